#include "views/DocumentResolver.h"

#include "agents/Launcher.h"
#include "config/OptGene.h"
#include "store/FileNames.h"
#include "store/PageAnalysis.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/ScriptedPrompt.h"
#include "views/ExternalView.h"
#include "views/OutsideOpening.h"
#include "views/ViewUrls.h"

#include <QDir>
#include <QFile>

using namespace glanix;
using namespace glanix::test;

namespace {

struct Resolver : StoreFixture {
    DocumentResolver resolver {home.env()};
    ShownDocuments shown;

    TElement* stored(TElement* parent, quint8 kind, const QString& name, const QString& url,
                     const QByteArray& content = "<html>x</html>", const QString& type = "text/html")
    {
        TElement* e = add(parent, kind, name, url, type);
        store_(e, content);
        return e;
    }

    void SetUp() override
    {
        StoreFixture::SetUp();
        installViewFiles(home.env());
    }

    ResolvedRequest get(const QString& viewAddress, RequestKind kind = RequestKind::Document) const
    {
        return resolver.resolve(QUrl(viewAddress), kind, shown);
    }

    TElement* answer(const QString& viewAddress, RequestKind kind = RequestKind::Document) const
    {
        return get(viewAddress, kind).element;
    }
};

} // namespace

TEST(ViewUrls, WebAddressesMapOntoTheViewSchemesAndBack)
{
    EXPECT_EQ(viewUrl("http://Host.example:8080/a/b.htm?q=1#s").toString(),
              "glanix-http://host.example:8080/a/b.htm?q=1#s");
    EXPECT_EQ(viewUrl("https://h/").toString(), "glanix-https://h/");
    for (const char* other :
         {"file:///etc/passwd", "ftp://h/x", "data:text/html,x", "javascript:alert(1)", "/rel"})
        EXPECT_FALSE(viewUrl(other).isValid()) << other;
    EXPECT_EQ(addressOfViewUrl(QUrl("glanix-https://h/a%20b.htm#x")), "https://h/a%20b.htm#x");
    EXPECT_TRUE(addressOfViewUrl(QUrl("https://h/a")).isEmpty());

    // The store may hold either form of an encoded address.
    const QStringList forms = storedAddressForms(QUrl("glanix-http://h/%C3%A9t%C3%A9%20x.htm#frag"));
    EXPECT_TRUE(forms.contains("http://h/%C3%A9t%C3%A9%20x.htm"));
    EXPECT_TRUE(forms.contains(QString::fromUtf8("http://h/été x.htm")));

    // A dotless last segment is served as a folder, so links resolve as they were stored.
    EXPECT_EQ(viewUrlAsFolder(QUrl("glanix-http://h/news?id=3")).toString(), "glanix-http://h/news/?id=3");
    EXPECT_FALSE(viewUrlAsFolder(QUrl("glanix-http://h/news/")).isValid());
    EXPECT_FALSE(viewUrlAsFolder(QUrl("glanix-http://h/page.htm")).isValid());
    EXPECT_FALSE(viewUrlAsFolder(QUrl("glanix-http://h")).isValid());
    EXPECT_TRUE(storedAddressForms(QUrl("glanix-http://h/news/?id=3")).contains("http://h/news?id=3"));
}

TEST_F(Resolver, DocumentsAreFoundInOrderElementChildShownElementsNeighboursThenAnywhere)
{
    TElement* a = stored(agent, kindAddress, "A", "http://h/a.htm");
    TElement* child = stored(a, kindPage, "Child", "http://h/child.htm");
    TElement* frame1 = stored(a, kindPage, "F1", "http://h/f1.htm");
    TElement* frame2 = stored(a, kindPage, "F2", "http://h/f2.htm");
    TElement* under1 = stored(frame1, kindPage, "Same1", "http://h/same.htm");
    TElement* under2 = stored(frame2, kindPage, "Same2", "http://h/same.htm");
    TElement* elsewhere = stored(agent, kindAddress, "B", "http://other/b.htm");
    add(a, kindPage, "Never", "http://h/never.htm"); // no stored copy
    shown.Element = a;
    shown.ShownElements = {a, a, frame1, frame2};

    EXPECT_EQ(answer("glanix-http://h/a.htm#top"), a);
    EXPECT_EQ(answer("glanix-http://H/CHILD.htm"), child);
    // The frame shown last is asked first.
    EXPECT_EQ(answer("glanix-http://h/same.htm"), under2);
    shown.ShownElements = {a, a, frame2, frame1};
    EXPECT_EQ(answer("glanix-http://h/same.htm"), under1);
    EXPECT_EQ(answer("glanix-http://other/b.htm"), elsewhere);

    const ResolvedRequest never = get("glanix-http://h/never.htm");
    EXPECT_TRUE(never.missing);
    EXPECT_EQ(never.element, nullptr);
    EXPECT_EQ(never.file, home.file("Frame Missing.html"));
    EXPECT_EQ(never.mimeType, "text/html");
    EXPECT_TRUE(QFile::exists(never.file));

    const ResolvedRequest child1 = get("glanix-http://h/child.htm");
    EXPECT_FALSE(child1.missing);
    EXPECT_EQ(child1.file, child->GetSavePath());
    EXPECT_EQ(child1.mimeType, "text/html");
}

TEST_F(Resolver, ImagesHeldByTheParentOrASiblingAreFound)
{
    TElement* a = stored(agent, kindAddress, "A", "http://h/a.htm");
    TElement* first = stored(a, kindPage, "First", "http://h/first.htm");
    TElement* second = stored(a, kindPage, "Second", "http://h/second.htm");
    TElement* own = stored(second, kindImage, "own.gif", "http://h/own.gif", "GIF89a", "image/gif");
    TElement* parents = stored(a, kindImage, "logo.gif", "http://h/logo.gif", "GIF89a", "image/gif");
    TElement* siblings = stored(first, kindImage, "pic.png", "http://h/pic.png", "PNG", "image/png");
    shown.Element = second;
    shown.ShownElements = {second, second};

    EXPECT_EQ(answer("glanix-http://h/own.gif", RequestKind::Resource), own);
    // Stored once per neighbourhood: the parent's and a sibling's images serve this page too.
    EXPECT_EQ(answer("glanix-http://h/logo.gif", RequestKind::Resource), parents);
    const ResolvedRequest pic = get("glanix-http://h/pic.png", RequestKind::Resource);
    EXPECT_EQ(pic.element, siblings);
    EXPECT_EQ(pic.mimeType, "image/png");
    EXPECT_TRUE(get("glanix-http://h/none.gif", RequestKind::Resource).missing);

    // The comparison's icons come from the home unless the page stored its own.
    const ResolvedRequest icon = get("glanix-http://h/dir/g_new.gif", RequestKind::Resource);
    EXPECT_FALSE(icon.missing);
    EXPECT_EQ(icon.file, home.file("g_new.gif"));
    TElement* storedIcon
        = stored(second, kindImage, "g_wen.gif", "http://h/g_wen.gif", "GIF89a", "image/gif");
    EXPECT_EQ(answer("glanix-http://h/g_wen.gif", RequestKind::Resource), storedIcon);
}

// What a page loads to look as it did online is answered from the images its analysis made,
// requested as the engine requests them: relative to the page, or to the sheet that names them.
TEST_F(Resolver, EveryRequisiteOfAStoredPageIsServedWhereverItWasNamed)
{
    const QByteArray html = "<link rel=stylesheet href=css/main.css><link rel=icon href=/favicon.ico>"
                            "<img srcset=\"i/s1.png 1x, i/s2.png 2x\"><p style=\"background:url(i/p.png)\">";
    TElement* a = stored(agent, kindAddress, "A", "http://h/dir/a.htm", html);
    TElement* b
        = stored(agent, kindAddress, "B", "http://h/dir/b.htm", "<link rel=stylesheet href=css/main.css>");
    shown.Element = a;
    shown.ShownElements = {a, a};
    for (TElement* page : {a, b}) {
        AnalysePage(*page);
        CreateImageChildren(*page);
    }
    ASSERT_TRUE(b->Ext()->ImgList.empty()); // its sheet is its neighbour's
    const QByteArray css
        = "@import 'theme.css'; @font-face{src:url(fonts/f.eot?#iefix)} h1{background:url(../i/h.png)}";
    TElement* sheet = a->FindImageByURL("http://h/dir/css/main.css");
    ASSERT_NE(sheet, nullptr);
    sheet->ContentType = "text/css";
    EXPECT_TRUE(CreateStyleSheetChildren(*sheet, css));
    for (TElement* image : a->Ext()->ImgList)
        store_(image, image == sheet ? css : image->GetURL().toUtf8());

    const QUrl page("glanix-http://h/dir/a.htm");
    const QUrl sheetUrl = page.resolved(QUrl("css/main.css"));
    const QUrl requests[] = {sheetUrl,
                             page.resolved(QUrl("/favicon.ico")),
                             page.resolved(QUrl("i/s1.png")),
                             page.resolved(QUrl("i/s2.png")),
                             page.resolved(QUrl("i/p.png")),
                             sheetUrl.resolved(QUrl("theme.css")),
                             sheetUrl.resolved(QUrl("fonts/f.eot?#iefix")).adjusted(QUrl::RemoveFragment),
                             sheetUrl.resolved(QUrl("../i/h.png"))};
    for (const ShownDocuments& from : {shown, ShownDocuments {b, {b, b}}}) {
        for (const QUrl& url : requests) {
            const ResolvedRequest r = resolver.resolve(url, RequestKind::Resource, from);
            ASSERT_FALSE(r.missing) << url.toString().toStdString();
            EXPECT_EQ(r.element->Parent(), a) << url.toString().toStdString();
        }
    }
    EXPECT_EQ(get(sheetUrl.toString(), RequestKind::Resource).mimeType, "text/css");
}

TEST_F(Resolver, AFolderLikeAddressServesItsPageAndImagesAsTheyWereStored)
{
    TElement* news = stored(agent, kindAddress, "News", "http://h/news?id=3");
    TElement* img = stored(news, kindImage, "a.gif", "http://h/news/a.gif", "GIF89a", "image/gif");
    shown.Element = news;
    const QUrl served = viewUrlAsFolder(viewUrl(news->GetURL()));
    EXPECT_EQ(answer(served.toString()), news);
    EXPECT_EQ(answer(served.resolved(QUrl("a.gif")).toString(), RequestKind::Resource), img);
}

TEST_F(Resolver, VersionsAndContentTypes)
{
    TElement* a = stored(agent, kindAddress, "A", "http://h/a.htm", "current");
    home.write(SaveFileNameVersionPrec(a->GetSavePath(), 2), "old");
    shown.Element = a;
    shown.versionElement = a;
    shown.CurrentVersion = 2;
    EXPECT_EQ(get("glanix-http://h/a.htm").file, SaveFileNameVersionPrec(a->GetSavePath(), 2));
    shown.CurrentVersion = 3; // no such file: the current one
    EXPECT_EQ(get("glanix-http://h/a.htm").file, a->GetSavePath());

    // Only the type of a content type is passed on; without one the file name decides.
    stored(a, kindPage, "Style", "http://h/s.css", "p{}", "text/css\r\nX-Evil: 1");
    EXPECT_EQ(get("glanix-http://h/s.css", RequestKind::Resource).mimeType, "text/css");
    TElement* png = stored(a, kindImage, "i.png", "http://h/i.png", "PNG", "<b>");
    EXPECT_EQ(get("glanix-http://h/i.png", RequestKind::Resource).mimeType, "image/png");
    png->ContentType = "";
    EXPECT_EQ(get("glanix-http://h/i.png", RequestKind::Resource).mimeType, "image/png");
}

TEST_F(Resolver, NothingOutsideTheStoreIsEverServed)
{
    const QString secret = home.write("secret.txt", "root:x:0:0");
    TElement* a = stored(agent, kindAddress, "A", "http://h/a.htm");
    shown.Element = a;
    shown.ShownElements = {a, a};

    // Paths in the request are only ever lookup keys.
    for (const char* hostile :
         {"glanix-http://h/../../secret.txt", "glanix-http://h/%2e%2e%2f%2e%2e%2fsecret.txt",
          "glanix-http://h/..%2f..%2f..%2fetc%2fpasswd", "glanix-http://h/a.htm%00.gif",
          "glanix-http://h/%00", "glanix-http://h/etc/passwd"}) {
        for (RequestKind kind : {RequestKind::Document, RequestKind::Resource}) {
            const ResolvedRequest r = get(hostile, kind);
            EXPECT_TRUE(r.missing) << hostile;
            EXPECT_EQ(r.file, home.file("Frame Missing.html")) << hostile;
        }
    }

    // A stored copy replaced by a link leading out of the agent is refused.
    TElement* planted = stored(a, kindPage, "P", "http://h/p.htm");
    QFile::remove(planted->GetSavePath());
    ASSERT_TRUE(QFile::link(secret, planted->GetSavePath()));
    EXPECT_TRUE(get("glanix-http://h/p.htm").missing);
    TElement* image = stored(a, kindImage, "i.gif", "http://h/i.gif", "GIF89a", "image/gif");
    QFile::remove(image->GetSavePath());
    ASSERT_TRUE(QFile::link("/etc/passwd", image->GetSavePath()));
    EXPECT_TRUE(get("glanix-http://h/i.gif", RequestKind::Resource).missing);

    // A link that stays inside the agent is a stored copy like any other.
    TElement* inside = stored(a, kindPage, "In", "http://h/in.htm");
    QFile::remove(inside->GetSavePath());
    ASSERT_TRUE(QFile::link(a->GetSavePath(), inside->GetSavePath()));
    EXPECT_EQ(answer("glanix-http://h/in.htm"), inside);
}

TEST_F(Resolver, ViewFilesAreInstalledOnceAndLeftAsTheUserMadeThem)
{
    EXPECT_TRUE(home.read("g_wen.gif").startsWith("GIF89a"));
    home.write("Frame Missing.html", "mine");
    installViewFiles(home.env());
    EXPECT_EQ(home.read("Frame Missing.html"), "mine");
}

TEST_F(Resolver, TheExternalViewTakesStoredImagesFromTheirFilesAndKeepsTheRest)
{
    TElement* page = stored(agent, kindAddress, "p", "http://h/d/p.htm");
    TElement* own = stored(page, kindImage, "a b.gif", "http://h/d/a%20b.gif", "GIF89a", "image/gif");
    TElement* sibling = stored(agent, kindAddress, "q", "http://h/d/q.htm");
    TElement* shared = stored(sibling, kindImage, "s.png", "http://h/s.png", "PNG", "image/png");
    const char html[] = "<html><head><title>t</title></head><BODY background=a%20b.gif>"
                        "<img alt='x' SRC=\"a%20b.gif\"><img src='/s.png' class=i><img src=missing.gif>"
                        "<p>a\0b &amp; <img src=a%20b.gif></body></html>";
    const QString ownUrl = QUrl::fromLocalFile(own->GetSavePath()).toString(QUrl::FullyEncoded);
    const QString sharedUrl = QUrl::fromLocalFile(shared->GetSavePath()).toString(QUrl::FullyEncoded);
    const QString out = QString::fromUtf8(buildExternalView(*page, QByteArray(html, sizeof html - 1)));
    EXPECT_EQ(out,
              "<html><head><title>t</title><BASE HREF=\"http://h/d/p.htm\"></head><BODY background=\""
                  + ownUrl + "\"><img alt='x' SRC=\"" + ownUrl + "\"><img src='" + sharedUrl
                  + "' class=i><img src=missing.gif><p>a b &amp; <img src=\"" + ownUrl + "\"></body></html>");

    // A base of the page's own is kept and resolves the sources.
    const QByteArray based = "<head><base href=\"http://h/\"></head><img src=\"s.png\">";
    EXPECT_EQ(QString::fromUtf8(buildExternalView(*page, based)),
              "<head><base href=\"http://h/\"></head><img src=\"" + sharedUrl + "\">");
}

namespace {

struct RecordingLauncher final : Launcher {
    QStringList opened, started;

    bool openUrl(const QUrl& url) override
    {
        opened << url.toString();
        return true;
    }

    bool startProgram(const QString& program, const QStringList& arguments) override
    {
        started << program + u' ' + arguments.join(u' ');
        return true;
    }

    bool openInTextEditor(const QString&) override { return false; }
};

} // namespace

TEST_F(Resolver, OpeningOutsideNeverRunsAStoredProgram)
{
    RecordingLauncher launcher;
    ScriptedPrompt prompt;
    TOptGene opt;
    OutsideOpening outside {home.env(), launcher, prompt, opt};

    TElement* page = stored(agent, kindAddress, "p", "http://h/p.htm", "<html><head></head>x</html>");
    page->State = stateUnread;
    EXPECT_TRUE(outside.open(*page, true));
    const QString external = home.env().homeFile("Vue externe.html");
    EXPECT_EQ(launcher.opened, QStringList {QUrl::fromLocalFile(external).toString()});
    EXPECT_TRUE(QFile(external).exists());
    EXPECT_EQ(page->State, stateRead);

    // Incomplete and asked for live: the user is asked first, the browser of the options used.
    opt.ExternalBrowser = "/usr/bin/navigateur";
    page->Complete = false;
    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_FALSE(outside.open(*page, false));
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_TRUE(outside.open(*page, false));
    EXPECT_EQ(launcher.started, QStringList {"/usr/bin/navigateur http://h/p.htm"});

    TElement* program
        = stored(agent, kindAddress, "setup.exe", "http://h/setup.exe", "MZ", "application/octet-stream");
    launcher.opened.clear();
    launcher.started.clear();
    prompt.setNextAnswer(UserPrompt::Ok);
    EXPECT_TRUE(outside.open(*program, true));
    EXPECT_TRUE(launcher.started.isEmpty());
    ASSERT_EQ(launcher.opened.size(), 1);
    ASSERT_TRUE(program->GetSavePath().endsWith(".exe")) << program->GetSavePath().toStdString();
    EXPECT_FALSE(launcher.opened[0].contains(QUrl::fromLocalFile(program->GetSavePath()).toString()));
    EXPECT_TRUE(launcher.opened[0].startsWith(QUrl::fromLocalFile(QDir::tempPath()).toString()));
    EXPECT_TRUE(prompt.texts().last().startsWith("Ce fichier est copié dans "));
    QFile::remove(QUrl(launcher.opened[0]).toLocalFile());
}

TEST_F(Resolver, PagesAreServedInTheCharsetTheyAreReadIn)
{
    const auto served = [&](const char* name, const QByteArray& content, const QString& type = "text/html") {
        TElement* e
            = stored(agent, kindAddress, name, QStringLiteral("http://h/%1.htm").arg(name), content, type);
        return DocumentResolver::mimeTypeOf(e, e->GetSavePath());
    };
    EXPECT_EQ(served("ascii", "<p>plain</p>"), "text/html");
    EXPECT_EQ(served("utf8", "<p>\xC3\xA9t\xC3\xA9</p>"), "text/html;charset=utf-8");
    EXPECT_EQ(served("latin", "<p>\xE9t\xE9</p>"), "text/html;charset=windows-1252");
    EXPECT_EQ(served("meta", "<meta charset=iso-8859-15><p>\xE9t\xE9</p>"), "text/html");
    EXPECT_EQ(served("header", "<p>\xE9t\xE9</p>", "text/html; charset=ISO-8859-1"),
              "text/html;charset=iso-8859-1");
    // Nothing but a plain name passes from the stored type.
    EXPECT_EQ(served("hostile", "<p>\xE9</p>", "text/html; charset=\"x\r\nSet-Cookie: a\""),
              "text/html;charset=x");
    EXPECT_EQ(served("texte", "caf\xC3\xA9", "text/plain"), "text/plain;charset=utf-8");
}
