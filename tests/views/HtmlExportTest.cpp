#include "views/HtmlExport.h"

#include "config/AtomicFile.h"
#include "store/FileOps.h"
#include "tests/store/StoreFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>
#include <cerrno>

using namespace glanix;
using namespace glanix::test;

namespace {

struct CancelAt final : ExportProgress {
    HtmlExport* exporter = nullptr;
    int at = 0;
    int captions = 0;

    void caption(const QString& text) override
    {
        if (text.contains(" liens - "))
            return;
        if (++captions == at)
            exporter->cancel();
    }
};

// Site (http://s.example/index.htm, image logo.gif) > P1 > P2 (image photo.jpg); Zdup repeats P1's
// address in another case; Ailleurs is an address on another server.
struct Export : StoreFixture {
    TElement* site = nullptr;
    TElement* logo = nullptr;
    TElement* p1 = nullptr;
    TElement* p2 = nullptr;
    TElement* photo = nullptr;
    QString dest;

    TElement* stored(TElement* parent, quint8 kind, const QString& name, const QString& url,
                     const QByteArray& content, const QString& type = "text/html")
    {
        TElement* e = add(parent, kind, name, url, type);
        store_(e, content, 45000 + parent->GetName().size());
        return e;
    }

    void SetUp() override
    {
        StoreFixture::SetUp();
        site = stored(agent, kindAddress, "Site", "http://s.example/index.htm",
                      "<html><body><img src=\"img/logo.gif\"><a href=\"p1.htm\">1</a>"
                      "<a href=\"http://other/x.htm\">o</a></body></html>");
        logo = stored(site, kindImage, "logo.gif", "http://s.example/img/logo.gif", "GIF89a-logo",
                      "image/gif");
        // P1 shows its parent's image: it holds no image element of its own.
        p1 = stored(site, kindPage, "P1", "http://s.example/p1.htm",
                    "<html><img src=\"/img/logo.gif\"><a href=\"index.htm\">i</a><a "
                    "href=\"sub/p2.htm\">2</a></html>");
        p2 = stored(p1, kindPage, "P2", "http://s.example/sub/p2.htm",
                    "<html><a href=\"../p1.htm#x\">1</a><img src='photo.jpg'><a "
                    "href=\"http://t/z.htm\">z</a></html>");
        photo = stored(p2, kindImage, "photo.jpg", "http://s.example/sub/photo.jpg", "JFIF-photo",
                       "image/jpeg");
        stored(site, kindPage, "Zdup", "http://S.EXAMPLE/P1.htm", "<html>same address</html>");
        stored(agent, kindAddress, "Ailleurs", "http://t/a.htm", "<html>t</html>");
        dest = home.file("Sortie");
    }

    ExportSettings settings() const
    {
        ExportSettings s;
        s.SaveTo = dest;
        return s;
    }

    ExportResult run(TElement* e, const ExportSettings& s, QStringList* paths = nullptr,
                     ExportProgress* progress = nullptr, std::function<qint64(const QString&)> probe = {})
    {
        HtmlExport x(*e, s, home.env());
        x.setFreeSpaceProbe(probe ? std::move(probe) : [](const QString&) { return qint64(-1); });
        if (auto* c = dynamic_cast<CancelAt*>(progress))
            c->exporter = &x;
        x.setProgress(progress);
        ExportResult r = x.run();
        if (paths)
            *paths = x.exportedPaths();
        return r;
    }

    QByteArray copy(const QString& path) const { return home.read("Sortie/" + path); }

    // Every address of an href, src or background attribute in an exported page.
    static QStringList linksOf(const QByteArray& page)
    {
        static const QRegularExpression re(QStringLiteral(R"((?:href|src|background)=["']?([^"' >]+))"),
                                           QRegularExpression::CaseInsensitiveOption);
        QStringList out;
        for (auto it = re.globalMatch(QString::fromUtf8(page)); it.hasNext();)
            out << it.next().captured(1);
        return out;
    }

    // The file a relative link of `page` leads to.
    QString target(const QString& page, const QString& link) const
    {
        const QString path = QUrl::fromPercentEncoding(link.section(u'#', 0, 0).toUtf8());
        return QDir::cleanPath(QFileInfo(dest + "/" + page).path() + "/" + path);
    }

    // Every link of every exported page either is an address on the web or leads to a copy
    // inside the export folder.
    void expectLinksHold(const QStringList& paths) const
    {
        for (const QString& page : paths) {
            if (!page.endsWith(".htm") && !page.endsWith(".html"))
                continue;
            for (const QString& link : linksOf(copy(page))) {
                if (link.startsWith("http://"))
                    continue;
                EXPECT_FALSE(link.contains(':')) << page.toStdString() << " " << link.toStdString();
                const QString file = target(page, link);
                EXPECT_TRUE(file.startsWith(dest + "/") && QFileInfo(file).isFile())
                    << page.toStdString() << " -> " << link.toStdString();
            }
        }
    }

    int temporaryFiles() const
    {
        int n = 0;
        for (QDirIterator it(dest, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            n += isTemporaryFileName(QFileInfo(it.next()).fileName()) ? 1 : 0;
        return n;
    }
};

} // namespace

TEST_F(Export, CopiesTheSelectionWithLinksBetweenTheCopies)
{
    QStringList paths;
    const ExportResult r = run(site, settings(), &paths);
    ASSERT_EQ(r.outcome, ExportResult::Outcome::Done);
    ASSERT_EQ(paths.size(), 5) << paths.join(", ").toStdString(); // Zdup's address is P1's
    EXPECT_EQ(r.exported, 5);
    EXPECT_TRUE(r.message.isEmpty()) << r.message.toStdString();
    expectLinksHold(paths);

    const QString sitePath = paths[0], logoPath = paths[1], p1Path = paths[2], p2Path = paths[3];
    // P1's image is its parent's copy; P2's link keeps its fragment; what is not exported
    // stays on the web, absolute.
    const QStringList p1Links = linksOf(copy(p1Path));
    EXPECT_EQ(target(p1Path, p1Links[0]), dest + "/" + logoPath);
    EXPECT_EQ(target(p1Path, p1Links[1]), dest + "/" + sitePath);
    const QStringList p2Links = linksOf(copy(p2Path));
    EXPECT_TRUE(p2Links[0].endsWith("#x"));
    EXPECT_EQ(target(p2Path, p2Links[0]), dest + "/" + p1Path);
    EXPECT_EQ(p2Links[2], "http://t/z.htm");
    EXPECT_TRUE(linksOf(copy(sitePath)).contains("http://other/x.htm"));
    EXPECT_EQ(copy(logoPath), "GIF89a-logo");
    EXPECT_NEAR(FileDateOf(dest + "/" + p2Path), p2->LastModified, 1.0 / 86400);

    // The index: one line per page, a dot per level, links relative to the index.
    const QByteArray index = home.read("Sortie/Index Site.html");
    EXPECT_EQ(r.indexPath, dest + "/Index Site.html");
    EXPECT_TRUE(index.contains("Généré par Glanix"));
    EXPECT_TRUE(
        index.contains("<TR><TD WIDTH=7%>...<A HREF=\"" + p2Path.toUtf8()
                       + "\">P2</A></TD><TD>&nbsp;<A "
                         "HREF=\"http://s.example/sub/p2.htm\">http://s.example/sub/p2.htm</A></TD></TR>"))
        << index.toStdString();
    EXPECT_TRUE(index.contains(">.<A HREF=\"" + sitePath.toUtf8() + "\">Site</A>"));
    EXPECT_FALSE(index.contains("logo"));
    EXPECT_EQ(r.openUrl, QUrl::fromLocalFile(r.indexPath).toString());
    // Nothing points into the store.
    for (const QString& p : paths)
        EXPECT_FALSE(copy(p).contains(home.path().toUtf8()));
}

TEST_F(Export, DepthZeroTakesTheElementAndItsImagesOnly)
{
    ExportSettings s = settings();
    s.Depth = 0;
    s.MakeIndex = false;
    QStringList paths;
    const ExportResult r = run(site, s, &paths);
    EXPECT_EQ(paths.size(), 2);
    EXPECT_TRUE(linksOf(copy(paths[0])).contains("http://s.example/p1.htm"));
    EXPECT_TRUE(r.indexPath.isEmpty());
    EXPECT_EQ(r.openUrl, QUrl::fromLocalFile(dest + "/" + paths[0]).toString());

    s.WithImg = false;
    run(site, s, &paths);
    EXPECT_EQ(paths.size(), 1);
    EXPECT_TRUE(linksOf(copy(paths[0])).contains("http://s.example/img/logo.gif"));
}

TEST_F(Export, AnImageHeldByTheParentIsExportedWithThePageThatShowsIt)
{
    ExportSettings s = settings();
    s.Depth = 0;
    QStringList paths;
    run(p1, s, &paths);
    ASSERT_EQ(paths.size(), 2) << paths.join(", ").toStdString();
    EXPECT_EQ(copy(paths[1]), "GIF89a-logo");
    EXPECT_EQ(target(paths[0], linksOf(copy(paths[0]))[0]), dest + "/" + paths[1]);
}

TEST_F(Export, SameServerWithKeepStructNamesCopiesAfterTheirAddresses)
{
    TElement* elsewhere = stored(site, kindPage, "Autre", "http://t/z.htm", "<html>z</html>");
    ExportSettings s = settings();
    s.SameServer = true;
    s.KeepStruct = true;
    QStringList paths;
    run(site, s, &paths);
    EXPECT_EQ(paths, QStringList({"index.htm", "img/logo.gif", "p1.htm", "sub/p2.htm", "sub/photo.jpg"}));
    EXPECT_EQ(
        copy("sub/p2.htm"),
        "<html><a href=\"../p1.htm#x\">1</a><img src='photo.jpg'><a href=\"http://t/z.htm\">z</a></html>");
    EXPECT_EQ(
        copy("p1.htm"),
        "<html><img src=\"img/logo.gif\"><a href=\"index.htm\">i</a><a href=\"sub/p2.htm\">2</a></html>");
    EXPECT_FALSE(QFile::exists(dest + "/z.htm"));
    (void)elsewhere;

    // Without changes the pages are the stored bytes.
    s.DontChange = true;
    dest = home.file("Sortie2");
    s.SaveTo = dest;
    run(site, s, &paths);
    EXPECT_EQ(
        home.read("Sortie2/p1.htm"),
        "<html><img src=\"/img/logo.gif\"><a href=\"index.htm\">i</a><a href=\"sub/p2.htm\">2</a></html>");
}

TEST_F(Export, NothingIsWrittenOutsideTheDestination)
{
    stored(site, kindPage, "Evil", "http://s.example/../../../evil.htm", "<html>e</html>");
    stored(site, kindPage, "Evil2", "http://s.example/a/..%2F..%2F..%2Fevil2.htm", "<html>e</html>");
    // A folder of the destination that leads elsewhere is not written through.
    home.mkdir("Ailleurs");
    home.mkdir("Sortie");
    ASSERT_TRUE(QFile::link(home.file("Ailleurs"), dest + "/sub"));
    ExportSettings s = settings();
    s.SameServer = true;
    s.KeepStruct = true;
    QStringList paths;
    const ExportResult r = run(site, s, &paths);
    EXPECT_TRUE(QDir(home.file("Ailleurs")).isEmpty());
    EXPECT_FALSE(paths.contains("sub/p2.htm"));
    EXPECT_EQ(r.failures.size(), 2); // p2 and its photo
    for (const QString& p : paths)
        EXPECT_TRUE(isInsideFolder(dest + "/" + p, dest)) << p.toStdString();
    EXPECT_FALSE(home.exists("evil.htm"));
    EXPECT_FALSE(home.exists("evil2.htm"));
}

TEST_F(Export, NamesThatDifferOnlyByCaseNeverShareAFile)
{
    TElement* a = stored(agent, kindAddress, "Doc", "http://u.example/a.htm", "<html>A</html>");
    TElement* b = stored(agent, kindAddress, "doc2", "http://u.example/b.htm", "<html>B</html>");
    a->SetFileName("Doc.htm");
    b->SetFileName("doc.htm");
    store_(a, "<html>A</html>");
    store_(b, "<html>B</html>");
    ExportSettings s = settings();
    s.Depth = 1;
    QStringList paths;
    run(agent, s, &paths);
    QStringList lowered;
    for (const QString& p : paths)
        lowered << p.toLower();
    lowered.removeDuplicates();
    EXPECT_EQ(lowered.size(), paths.size()) << paths.join(", ").toStdString();
    EXPECT_TRUE(paths.contains("Doc.htm"));
    EXPECT_TRUE(paths.contains("doc~1.htm")) << paths.join(", ").toStdString();
    EXPECT_EQ(copy(paths[paths.indexOf("doc~1.htm")]), "<html>B</html>");
}

TEST_F(Export, AnInterruptedOrFullExportLeavesWholeFilesAndSaysSo)
{
    CancelAt cancel;
    cancel.at = 3;
    QStringList paths;
    ExportResult r = run(site, settings(), &paths, &cancel);
    EXPECT_EQ(r.outcome, ExportResult::Outcome::Cancelled);
    EXPECT_EQ(r.exported, 2);
    EXPECT_TRUE(r.message.startsWith("Export interrompu : 2 documents exportés sur 5."))
        << r.message.toStdString();
    EXPECT_EQ(home.read("Sortie/Index Site.html").count("<TR>"), 1);
    EXPECT_EQ(temporaryFiles(), 0);

    dest = home.file("Plein");
    ExportSettings s = settings();
    failFileSteps(5, 1000, ENOSPC, dest); // a write is two steps: the third document fails
    r = run(site, s, &paths);
    failFileSteps(0, 0, 0);
    EXPECT_EQ(r.outcome, ExportResult::Outcome::DiskFull);
    EXPECT_EQ(paths.size(), 2);
    EXPECT_TRUE(r.message.startsWith("Le disque est plein")) << r.message.toStdString();
    EXPECT_EQ(copy(paths[1]), "GIF89a-logo");
    EXPECT_TRUE(copy(paths[0]).endsWith("</html>"));
    EXPECT_EQ(temporaryFiles(), 0);
}

TEST_F(Export, TooLittleSpaceOrNoFolderStopsBeforeAnythingIsWritten)
{
    ExportSettings s = settings();
    const ExportResult r = run(site, s, nullptr, nullptr, [](const QString&) { return qint64(100); });
    EXPECT_EQ(r.outcome, ExportResult::Outcome::NoSpace);
    EXPECT_TRUE(r.message.startsWith("Il risque de ne pas y avoir assez de place\rsur le disque /"));
    EXPECT_TRUE(r.message.contains("\rpour exporter toute la sélection.\rLa sélection a besoin de "));
    EXPECT_FALSE(QFile::exists(dest));

    // A destination that cannot be made: said once, not once per document.
    home.write("fichier", "x");
    s.SaveTo = home.file("fichier/Sortie");
    const ExportResult noFolder = run(site, s);
    EXPECT_EQ(noFolder.outcome, ExportResult::Outcome::NoFolder);
    EXPECT_TRUE(noFolder.failures.isEmpty());
    EXPECT_EQ(noFolder.message, "Le dossier " + s.SaveTo + "/ ne peut pas être créé.");

    s.SaveTo = dest;
    HtmlExport unchecked(*site, s, home.env());
    unchecked.setFreeSpaceProbe([](const QString&) { return qint64(100); });
    unchecked.setCheckDiskSpace(false);
    EXPECT_EQ(unchecked.run().outcome, ExportResult::Outcome::Done);
}

TEST_F(Export, TheProposedDestinationIsAFolderThatDoesNotExistYet)
{
    EXPECT_EQ(proposedDestination(dest + "~~/"), dest);
    home.mkdir("Sortie");
    home.mkdir("Sortie~");
    EXPECT_EQ(proposedDestination(dest + "~"), dest + "~~");

    ExportSettings s = loadExportSettings(home.env());
    EXPECT_EQ(s.SaveTo, home.file("Glanix Export"));
    EXPECT_EQ(s.Depth, 50);
    s.Depth = 7;
    s.KeepStruct = true;
    saveExportSettings(home.env(), s);
    const ExportSettings back = loadExportSettings(home.env());
    EXPECT_EQ(back.Depth, 7);
    EXPECT_TRUE(back.KeepStruct);
    EXPECT_FALSE(back.keepStruct()); // only with SameServer
}
