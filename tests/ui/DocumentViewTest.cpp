// The document view on real QtWebEngine, against stored pages made here.
#include "store/FileNames.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/StatusBars.h"
#include "ui/TFormVueInfos.h"
#include "ui/TFormVueURL.h"
#include "views/InfoPage.h"
#include "views/ViewUrls.h"

#include <QCheckBox>
#include <QPdfDocument>
#include <QPrinter>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QToolButton>
#include <QWebEngineView>

using namespace glanix;
using namespace glanix::test;

namespace {

const QByteArray kGif
    = QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");

struct DocumentViewTest : MainWindowFixture {
    QString dl;

    void SetUp() override
    {
        realViews = true;
        AgentBuilder agent(home.path(), QStringLiteral("Lecture"));
        dl = agent.dl();
        StoredDoc accueil;
        accueil.name = QStringLiteral("Accueil");
        accueil.url = QStringLiteral("http://site.test/index.html");
        accueil.state = 1;
        accueil.content
            = "<html><head><title>Accueil du site</title></head><body>"
              "<p id=t>Bonjour le monde, voici les nouvelles du jour.</p><img id=logo src=\"logo.gif\">"
              "<a id=suite href=\"suite.html\">suite</a> <a id=absent href=\"absent.html#haut\">absent</a>"
              "<form action=\"cherche\" method=\"post\"><input name=\"q\" value=\"a b&amp;c\">"
              "<select name=\"s\" multiple><option selected value=\"1\">1<option selected value=\"2\">2"
              "</select><input type=submit id=go name=go value=\"OK\"></form></body></html>";
        accueil.images.push_back({QStringLiteral("logo.gif"), QStringLiteral("http://site.test/logo.gif"),
                                  QStringLiteral("image/gif"), kGif});
        const QString children = agent.address({}, accueil);
        agent.page(children,
                   {.name = QStringLiteral("Suite"),
                    .url = QStringLiteral("http://site.test/suite.html"),
                    .content = "<title>Suite</title><p>La suite</p>"});
        // The version before: another first paragraph.
        agent.write(QStringLiteral("DL/") + SaveFileNameVersionPrec(QStringLiteral("accueil.htm"), 2),
                    "<html><head><title>Accueil du site</title></head><body>"
                    "<p id=t>Bonsoir tout le monde, rien de neuf aujourd'hui.</p></body></html>");

        StoredDoc frames;
        frames.name = QStringLiteral("Cadres");
        frames.url = QStringLiteral("http://site.test/cadres/index.html");
        frames.content = "<html><frameset cols=\"30%,*\"><frame name=\"menu\" src=\"menu.html\">"
                         "<frame name=\"main\" src=\"a.html\"></frameset></html>";
        const QString frameChildren = agent.address({}, frames);
        const auto page = [&](const char* name, const char* url, const QByteArray& body) {
            agent.page(frameChildren,
                       {.name = QLatin1String(name), .url = QLatin1String(url), .content = body});
        };
        page("Menu", "http://site.test/cadres/menu.html", "<a id=b href=\"b.html\" target=\"main\">b</a>");
        page("Page A", "http://site.test/cadres/a.html", "<p>page A</p>");
        page("Page B", "http://site.test/cadres/b.html", "<p>page B</p>");
        QByteArray longPage = "<html><body>";
        for (int i = 0; i < 400; ++i)
            longPage += "<p>Paragraphe " + QByteArray::number(i) + "</p>";
        agent.address({},
                      {.name = QStringLiteral("Longue"),
                       .url = QStringLiteral("http://site.test/longue.html"),
                       .content = longPage + "</body></html>"});
        home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Lecture\n");
    }

    TElement* element(const char* path)
    {
        return window->controller().findByTreePath(QString::fromUtf8(path));
    }

    // Selects the element and waits for the document view to have shown it.
    TFormVueURL* show(TElement* e)
    {
        TFormVueURL* view = window->activeDocumentView();
        std::unique_ptr<QSignalSpy> spy;
        if (view)
            spy = std::make_unique<QSignalSpy>(view, &TFormVueURL::loaded);
        window->treeView()->setCurrentIndex(window->treeModel().indexOf(e->Node()));
        view = window->activeDocumentView();
        EXPECT_NE(view, nullptr);
        if (!view)
            return nullptr;
        if (!spy)
            spy = std::make_unique<QSignalSpy>(view, &TFormVueURL::loaded);
        EXPECT_TRUE(spy->count() > 0 || spy->wait(20000)) << "never loaded";
        return view;
    }

    // GLANIX_SCREENSHOTS=DIR keeps a picture of the window as a user would see it.
    void shot(const char* name)
    {
        const QString dir = qEnvironmentVariable("GLANIX_SCREENSHOTS");
        if (dir.isEmpty())
            return;
        QTest::qWait(300);
        window->grab().save(dir + u'/' + QLatin1String(name) + QStringLiteral(".png"));
    }

    template<class View> static QVariant js(View* view, const QString& script)
    {
        QVariant result;
        bool done = false;
        view->page()->runHelper(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 10000)) << script.toStdString();
        return result;
    }
};

TEST_F(DocumentViewTest, ShowsAStoredPageFollowsItsLinksAndAsksForMissingOnes)
{
    start();
    TElement* accueil = element("Lecture\\Accueil");
    ASSERT_TRUE(accueil);
    TFormVueURL* view = show(accueil);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->element(), accueil);
    EXPECT_EQ(js(view, "document.getElementById('logo').naturalWidth").toInt(), 1); // served from the store
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->windowTitle() == "Accueil du site"; }, 5000));
    // The status bar describes the element shown: its date and size.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->statusBarGlobal()->panelText(1).contains("octets"); }, 3000))
        << window->statusBarGlobal()->panelText(1).toStdString();
    EXPECT_EQ(window->statusBarGlobal()->panelText(0), "http://site.test/index.html");
    shot("document-view");
    EXPECT_TRUE(view->versionsButton()->isEnabled());
    EXPECT_EQ(view->versionCaptions().size(), 2);

    // A stored link selects its element, which the same view shows.
    QSignalSpy loaded(view, &TFormVueURL::loaded);
    js(view, "document.getElementById('suite').click(); true");
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(currentText(), "Suite");
    EXPECT_EQ(view->element()->GetName(), "Suite");

    // A link to what is not stored: No leaves the tree, Yes adds a page to fetch.
    show(accueil);
    const int before = accueil->Node()->childCount();
    prompt.setNextConfirm(false);
    js(view, "document.getElementById('absent').click(); true");
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompt.questions().size() == 1; }, 10000));
    EXPECT_EQ(accueil->Node()->childCount(), before);
    prompt.setNextConfirm(true);
    js(view, "document.getElementById('absent').click(); true");
    ASSERT_TRUE(QTest::qWaitFor([&] { return currentText().startsWith("absent"); }, 10000))
        << currentText().toStdString();
    TElement* added = window->controller().currentElement();
    EXPECT_EQ(added->GetURL(), "http://site.test/absent.html");
    EXPECT_EQ(added->Kind, kindPage);
    EXPECT_EQ(added->Parent(), accueil);
}

TEST_F(DocumentViewTest, AFormSubmittedBecomesAPageToFetchAndTheReadStateWaitsForTheDelay)
{
    start();
    TElement* accueil = element("Lecture\\Accueil");
    TFormVueURL* view = show(accueil);
    ASSERT_TRUE(view);
    EXPECT_EQ(accueil->State, stateUnread);
    view->SauveVue(); // before ReadTime (2 s on the program's clock)
    EXPECT_EQ(accueil->State, stateUnread);
    view->postponeRead(accueil);
    home.clock().advanceSeconds(3);
    view->SauveVue();
    EXPECT_EQ(accueil->State, stateUnread); // marked unread meanwhile: not read again
    home.clock().advanceDays(1.1);
    view->SauveVue();
    EXPECT_EQ(accueil->State, stateRead);

    // The place the reader had reached comes back with the page.
    TElement* longue = element("Lecture\\Longue");
    show(longue);
    js(view, "window.scrollTo(0, 1200); true");
    QTest::qWait(200); // the scroll is reported with the next frame
    show(accueil);
    EXPECT_EQ(longue->Ext()->Position, 1200);
    show(longue);
    EXPECT_TRUE(QTest::qWaitFor([&] { return js(view, "window.scrollY").toInt() == 1200; }, 5000));
    show(accueil);

    js(view, "document.getElementById('go').click(); true");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (int i = 0; i < accueil->Node()->childCount(); ++i) {
                if (accueil->Node()->child(i)->text().startsWith("Formulaire"))
                    return true;
            }
            return false;
        },
        10000));
    TElement* form = nullptr;
    for (int i = 0; i < accueil->Node()->childCount(); ++i) {
        if (accueil->Node()->child(i)->text().startsWith("Formulaire"))
            form = accueil->Node()->child(i)->element();
    }
    ASSERT_TRUE(form);
    EXPECT_EQ(form->GetName().trimmed(), "Formulaire Accueil");
    EXPECT_EQ(form->GetURL(), "http://site.test/cherche??q=a+b%26c&s=1%0D%0A2&go=OK");
    EXPECT_EQ(form->GetFrequency(), -3);
    EXPECT_EQ(form->Kind, kindPage);
}

TEST_F(DocumentViewTest, FramesCompareModeFindAndPrinting)
{
    start();
    TFormVueURL* view = show(element("Lecture\\Cadres"));
    ASSERT_TRUE(view);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->shown().ShownElements.size() == 3; }, 10000));
    // A link with a target loads its page into that frame; the view keeps its element.
    js(view, "window.frames[0].document.getElementById('b').click(); true");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return js(view, "window.frames[1].document.body.innerText").toString().contains("page B"); },
        10000));
    EXPECT_EQ(view->element()->GetName(), "Cadres");
    EXPECT_EQ(view->frameElement()->GetName(), "Page B");
    shot("document-view-frames");

    TElement* accueil = element("Lecture\\Accueil");
    view = show(accueil);
    QSignalSpy loaded(view, &TFormVueURL::loaded);
    view->setCompareMode(true);
    ASSERT_TRUE(loaded.wait(20000));
    EXPECT_EQ(view->compareState(), TFormVueURL::CompareState::Shown);
    EXPECT_TRUE(view->compareButton()->toolTip().contains("%"))
        << view->compareButton()->toolTip().toStdString();
    // The marked copy is what the view shows, with the page's own images still served.
    EXPECT_TRUE(js(view, "document.documentElement.outerHTML").toString().contains("g_new.gif"));
    EXPECT_EQ(js(view, "document.getElementById('logo').naturalWidth").toInt(), 1);
    shot("document-view-compare");
    view->setCompareMode(false);
    ASSERT_TRUE(loaded.wait(20000));

    QSignalSpy found(view, &TFormVueURL::findResult);
    view->searchField()->setText("nouvelles");
    view->findInPage();
    ASSERT_TRUE(found.wait(10000));
    EXPECT_EQ(view->searchField()->toolTip(), "Trouvé");
    EXPECT_EQ(view->searchField()->palette().color(QPalette::Text), QColor(0, 128, 128));
    shot("document-view-found");
    view->searchField()->setText("introuvable");
    view->findInPage();
    ASSERT_TRUE(found.wait(10000));
    EXPECT_EQ(view->searchField()->toolTip(), "Non trouvé");

    QTemporaryDir out;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath("page.pdf"));
    bool printed = false, finished = false;
    view->print(&printer, [&](bool ok) {
        printed = ok;
        finished = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished; }, 20000));
    ASSERT_TRUE(printed);
    QPdfDocument pdf;
    ASSERT_EQ(pdf.load(out.filePath("page.pdf")), QPdfDocument::Error::None);
    const QString text = pdf.getAllText(0).text();
    for (const char* part : {"http://site.test/index.html", "Modifié le", "Imprimé le", "Page 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << " in " << text.toStdString();
}

TEST_F(DocumentViewTest, TheInformationViewShowsThePageAndOpensOldVersions)
{
    start();
    TElement* accueil = element("Lecture\\Accueil");
    show(accueil);
    action("MenuVueInformation")->trigger();
    auto* info = dynamic_cast<TFormVueInfos*>(window->controller().views().firstOfKind(wtInfo));
    ASSERT_TRUE(info);
    EXPECT_EQ(window->controller().views().at(0), info); // the preferred kind comes to the front
    const auto text = [&] { return js(info, "document.body ? document.body.innerText : ''").toString(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return text().contains("http://site.test/index.html"); }, 10000));
    EXPECT_FALSE(text().contains("http://site.test/logo.gif"));
    info->box(infoLinks)->setChecked(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return text().contains("http://site.test/logo.gif"); }, 10000))
        << text().toStdString();
    shot("information-view");

    js(info, "document.querySelector('a[href=\"PrevVer2\"]').click(); true");
    TFormVueURL* document = window->activeDocumentView();
    ASSERT_TRUE(QTest::qWaitFor([&] { return document && document->CurrentVersion == 2; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return js(document, "document.body.innerText").toString().contains("Bonsoir"); }, 10000));
}

// What a bench counts: each request with the kind the engine gave it, and what became of it.
TEST_F(DocumentViewTest, EveryRequestIsReportedWithItsKindAndWhatBecameOfIt)
{
    start();
    TFormVueURL* view = show(element("Lecture\\Longue"));
    ASSERT_TRUE(view);
    using Type = QWebEngineUrlRequestInfo::ResourceType;
    QMap<QString, QPair<Type, RequestOutcome>> seen;
    view->profile()->setRequestObserver([&](const QUrl& url, Type type, RequestOutcome outcome) {
        const QString address = addressOfViewUrl(url);
        seen.insert(address.isEmpty() ? url.toString() : address, {type, outcome});
    });
    show(element("Lecture\\Cadres"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.contains("http://site.test/cadres/a.html"); }, 10000));
    EXPECT_EQ(seen.value("http://site.test/cadres/index.html"),
              qMakePair(Type::ResourceTypeMainFrame, RequestOutcome::Stored));
    EXPECT_EQ(seen.value("http://site.test/cadres/menu.html"),
              qMakePair(Type::ResourceTypeSubFrame, RequestOutcome::Stored));

    show(element("Lecture\\Accueil"));
    EXPECT_EQ(seen.value("http://site.test/logo.gif"),
              qMakePair(Type::ResourceTypeImage, RequestOutcome::Stored));
    js(view,
       "var l = document.createElement('link'); l.rel = 'stylesheet'; l.href = 'absent.css';"
       "document.head.appendChild(l); try { new WebSocket('ws://site.test/ws'); } catch (e) {} true");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return seen.contains("http://site.test/absent.css") && seen.contains("ws://site.test/ws"); },
        10000))
        << seen.keys().join(" ").toStdString();
    EXPECT_EQ(seen.value("http://site.test/absent.css"),
              qMakePair(Type::ResourceTypeStylesheet, RequestOutcome::Missing));
    EXPECT_EQ(seen.value("ws://site.test/ws"),
              qMakePair(Type::ResourceTypeWebSocket, RequestOutcome::Refused));
    view->profile()->setRequestObserver({});
}

// Nothing a stored page asks for reaches the network or a file outside the store, scripts on.
TEST_F(DocumentViewTest, AStoredPageNeverReachesTheNetwork)
{
    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* s = listener.nextPendingConnection()) {
            ++connections;
            s->close();
        }
    });
    const QByteArray at = "127.0.0.1:" + QByteArray::number(listener.serverPort());
    const QByteArray page = "<html><head><link rel=stylesheet href=\"http://" + at
        + "/s.css\"><link rel=prefetch href=\"http://" + at
        + "/p\"><link rel=dns-prefetch href=\"//leak.example\"><script src=\"http://" + at
        + "/x.js\"></script>" + "<meta http-equiv=refresh content=\"0; url=http://" + at
        + "/refresh\"></head><body>" + "<img src=\"http://" + at + "/i.png\"><img src=\"file:///etc/passwd\">"
        + "<iframe id=f src=\"file:///etc/passwd\"></iframe><iframe src=\"http://" + at + "/frame\"></iframe>"
        + "<iframe src=\"ftp://" + at + "/ftp\"></iframe><video poster=\"http://" + at + "/v.png\"></video>"
        + "<script>fetch('http://" + at + "/fetch').catch(function(){});"
        + "var x = new XMLHttpRequest(); x.open('GET', 'http://" + at + "/xhr'); x.send();"
        + "try { new WebSocket('ws://" + at + "/ws'); } catch (e) {}" + "navigator.sendBeacon('http://" + at
        + "/beacon', 'x');" + "document.title = 'scripts ran';</script></body></html>";
    AgentBuilder agent(home.path(), QStringLiteral("Lecture"));
    agent.address({},
                  {.name = QStringLiteral("Piège"),
                   .url = QStringLiteral("http://site.test/trap.html"),
                   .content = page});
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Lecture\n[Html]\nRunScripts=1\n");
    start();
    TFormVueURL* view = show(element("Lecture\\Piège"));
    ASSERT_TRUE(view);
    QTest::qWait(1500); // what the page starts after its load
    EXPECT_EQ(view->windowTitle(), "scripts ran");
    EXPECT_EQ(connections, 0);
    EXPECT_FALSE(js(view, "document.documentElement.outerHTML").toString().contains("root:"));
    EXPECT_EQ(view->element()->GetName(), "Piège"); // the refresh did not take the view away
}

} // namespace
