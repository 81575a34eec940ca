// An exported page opened in a real browser engine with the network refused: every image it
// shows comes from the export folder.
#include "tests/store/StoreFixture.h"
#include "views/HtmlExport.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>

using namespace glanix;
using namespace glanix::test;

namespace {

// Records every request and lets only local files through.
class OfflineOnly final : public QWebEngineUrlRequestInterceptor {
public:
    QList<QUrl> requests;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        requests << info.requestUrl();
        if (info.requestUrl().scheme() != u"file")
            info.block(true);
    }
};

QByteArray png(QColor colour)
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool load(QWebEnginePage& page, const QUrl& url)
{
    QSignalSpy finished(&page, &QWebEnginePage::loadFinished);
    page.load(url);
    return finished.wait(30000) && finished.first().first().toBool();
}

QVariant run(QWebEnginePage& page, const QString& script)
{
    QVariant result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    for (int i = 0; i < 300 && !done; ++i)
        QTest::qWait(50);
    return result;
}

struct ExportBrowser : StoreFixture { };

} // namespace

TEST_F(ExportBrowser, EveryImageOfAnExportedPageLoadsFromTheExportFolder)
{
    TElement* site = add(agent, kindAddress, "Site", "http://site.example/index.htm", "text/html");
    store_(site,
           "<html><body background=\"img/fond.png\"><img src=\"img/logo.png\">"
           "<a href=\"d/p.htm\">p</a></body></html>");
    store_(add(site, kindImage, "logo.png", "http://site.example/img/logo.png", "image/png"), png(Qt::red));
    store_(add(site, kindImage, "fond.png", "http://site.example/img/fond.png", "image/png"), png(Qt::blue));
    // The page shows its parent's logo (it holds no image of its own) and one of its own.
    TElement* page = add(site, kindPage, "Page d'été", "http://site.example/d/p.htm", "text/html");
    store_(page,
           "<html><img src=\"../img/logo.png\"><img src='photo%20%231.png'>"
           "<img src=\"http://ailleurs.example/x.png\"></html>");
    store_(add(page, kindImage, "photo #1.png", "http://site.example/d/photo%20%231.png", "image/png"),
           png(Qt::green));

    ExportSettings s;
    s.SaveTo = home.file("Clé USB/Export");
    HtmlExport exporter(*site, s, home.env());
    exporter.setFreeSpaceProbe([](const QString&) { return qint64(-1); });
    const ExportResult r = exporter.run();
    ASSERT_EQ(r.exported, 5);
    const QString dest = home.file("Clé USB/Export/");
    const QString pageCopy = exporter.exportedPaths()[3];

    QWebEngineProfile profile;
    OfflineOnly offline;
    profile.setUrlRequestInterceptor(&offline);
    QWebEnginePage browser(&profile);

    ASSERT_TRUE(load(browser, QUrl(r.openUrl)));
    EXPECT_EQ(run(browser, "document.links.length").toInt(), 2 * 2); // two per exported page
    EXPECT_TRUE(run(browser,
                    "Array.from(document.links).filter(a => a.protocol == 'file:')"
                    ".every(a => a.href.startsWith('"
                        + QUrl::fromLocalFile(dest).toString(QUrl::FullyEncoded) + "'))")
                    .toBool());

    for (const QString& copy : {exporter.exportedPaths()[0], pageCopy}) {
        offline.requests.clear();
        ASSERT_TRUE(load(browser, QUrl::fromLocalFile(dest + copy))) << copy.toStdString();
        // Decoded images, not just requests: broken or missing files have no width.
        const QVariant widths = run(browser, "Array.from(document.images).map(i => i.naturalWidth)");
        const QVariantList list = widths.toList();
        const bool isPage = copy == pageCopy;
        ASSERT_EQ(list.size(), isPage ? 3 : 1) << copy.toStdString();
        EXPECT_EQ(list[0].toInt(), 4);
        if (isPage) {
            EXPECT_EQ(list[1].toInt(), 4);
            EXPECT_EQ(list[2].toInt(), 0); // on the web, refused
        } else {
            EXPECT_NE(
                run(browser, "getComputedStyle(document.body).backgroundImage").toString().indexOf("file://"),
                -1);
        }
        for (const QUrl& url : offline.requests) {
            if (url.scheme() == u"file")
                EXPECT_TRUE(url.toLocalFile().startsWith(dest)) << url.toString().toStdString();
            else
                EXPECT_EQ(url.host(), "ailleurs.example");
        }
    }
}
