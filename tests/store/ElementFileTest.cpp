#include "config/AtomicFile.h"
#include "config/IniFile.h"
#include "config/Numbers.h"
#include "config/TextCodec.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "tests/store/StoreFixture.h"
#include "tests/support/AgentBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace glanix;
using glanix::test::AgentBuilder;
using glanix::test::RecordingHost;
using glanix::test::StoreFixture;

namespace {

using ElementFileTest = StoreFixture;

TElement* childNamed(TElement* parent, const QString& name)
{
    for (TreeNode* n = parent->Node()->firstChild(); n; n = n->nextSibling()) {
        if (n->element() && n->element()->GetName() == name)
            return n->element();
    }
    return nullptr;
}

QStringList childNames(TElement* parent)
{
    QStringList names;
    for (TreeNode* n = parent->Node()->firstChild(); n; n = n->nextSibling())
        names << n->text();
    return names;
}

TEST_F(ElementFileTest, ABrowserShortcutLoadsAsNeverDownloadedAndKeepsItsOwnKeys)
{
    AgentBuilder b(home.path(), "Veille");
    const QString path
        = b.browserShortcut("", "Café", QString::fromUtf8("http://cafe.example/carte-é.htm"), true);
    agent->LoadChildren(1);
    TElement* cafe = childNamed(agent, QString::fromUtf8("Café"));
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(cafe->Kind, kindAddress);
    EXPECT_EQ(cafe->GetURL(), QString::fromUtf8("http://cafe.example/carte-é.htm"));
    EXPECT_EQ(cafe->StatusNumber, 0);
    EXPECT_TRUE(cafe->Complete);
    EXPECT_EQ(cafe->LastModified, 0);
    EXPECT_EQ(cafe->Versions, kInherit);
    EXPECT_FALSE(cafe->ActiveDefined);
    EXPECT_FALSE(cafe->Ext()->LinksStartDefined);
    EXPECT_EQ(cafe->GetVersions(), 1);

    cafe->SetState(stateUnread);
    ASSERT_TRUE(cafe->Save());
    const IniFile ini(path);
    EXPECT_EQ(ini.readString(u"DEFAULT", u"BASEURL"), QString::fromUtf8("http://cafe.example/carte-é.htm"));
    EXPECT_EQ(ini.readString(u"InternetShortcut", u"IconIndex"), "1");
    EXPECT_TRUE(ini.valueExists(u"InternetShortcut", u"IDList"));
    EXPECT_EQ(ini.readString(u"{000214A0-0000-0000-C000-000000000046}", u"Prop3"), "19,2");
    EXPECT_EQ(ini.readInteger(u"Glanix", u"State", 0), 1);
    EXPECT_EQ(ini.readInteger(u"Glanix", u"Versions", 0), 1);
    EXPECT_TRUE(home.read(path).contains("\r\n")); // a Windows file keeps its line ends
}

TEST_F(ElementFileTest, EverythingSavedIsReadBack)
{
    setDecimalSeparator(u',');
    TElement* a = add(agent, kindAddress, "Accueil", "http://servera/index.htm", "text/html");
    a->Location = "http://servera/index2.htm";
    a->DateDownloaded = 45000.25;
    a->Size = 1234;
    a->BeforeLastModified = 44999.5;
    a->BeforeSize = 1000;
    a->Etag = "\"abc\"";
    a->State = stateRead;
    a->StatusNumber = 304;
    a->LastVerified = home.env().now();
    a->Complete = false;
    a->LastModified = 45000.125;
    a->Versions = 3;
    a->DownLoadType = 1;
    a->Frequency = 3.07;
    a->SetActive(false);
    a->SetDownLoadImages(false);
    a->SetDownLoadLinksDepth(2);
    a->SetDownLoadLinksStart("http://servera/");
    a->SetIncludeMask("*.htm");
    a->SetExcludeMask("*.zip");
    a->SetPosition(77);
    a->Messages = QStringList {" -> HEAD / HTTP/1.0", " <- HTTP/1.0 304"};
    add(a, kindImage, "logo.gif", "http://servera/logo.gif", "image/gif")->Size = 42;
    a->SaveImages();
    ASSERT_TRUE(a->Save());
    EXPECT_TRUE(a->Messages.isEmpty() == false); // incomplete: kept in memory
    EXPECT_TRUE(home.read(a->GetIniFileName()).contains("Frequency=3,07"));

    const QString dirChilds = a->dirChildsField();
    a->Node()->deleteNode();
    agent->LoadChildren(1);
    TElement* b = childNamed(agent, "Accueil");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->GetURL(), "http://servera/index.htm");
    EXPECT_EQ(b->Location, "http://servera/index2.htm");
    EXPECT_DOUBLE_EQ(b->DateDownloaded, 45000.25);
    EXPECT_EQ(b->Size, 1234);
    EXPECT_DOUBLE_EQ(b->BeforeLastModified, 44999.5);
    EXPECT_EQ(b->BeforeSize, 1000);
    EXPECT_EQ(b->Etag, "\"abc\"");
    EXPECT_EQ(b->ContentType, "text/html");
    EXPECT_EQ(b->State, stateRead);
    EXPECT_EQ(b->StatusNumber, 304);
    EXPECT_FALSE(b->Complete);
    EXPECT_DOUBLE_EQ(b->LastModified, 45000.125);
    EXPECT_EQ(b->Versions, 3);
    EXPECT_EQ(b->DownLoadType, 1);
    EXPECT_DOUBLE_EQ(b->Frequency, 3.07);
    EXPECT_FALSE(b->Active);
    EXPECT_TRUE(b->ActiveDefined);
    EXPECT_FALSE(b->Ext()->DownLoadImages);
    EXPECT_TRUE(b->Ext()->DownLoadImagesDefined);
    EXPECT_EQ(b->Ext()->DownLoadLinksDepth, 2);
    EXPECT_EQ(b->Ext()->DownLoadLinksStart, "http://servera/");
    EXPECT_EQ(b->Ext()->IncludeMask, "*.htm");
    EXPECT_EQ(b->Ext()->ExcludeMask, "*.zip");
    EXPECT_EQ(b->GetPosition(), 77);
    EXPECT_EQ(b->saveFileNameField(), "accueil.html");
    EXPECT_EQ(b->dirChildsField(), dirChilds);
    EXPECT_EQ(b->GetMessages(), QStringList({" -> HEAD / HTTP/1.0", " <- HTTP/1.0 304"}));
    ASSERT_EQ(b->Ext()->ImgList.size(), 1u);
    EXPECT_EQ(b->Ext()->ImgList[0]->Size, 42);
    EXPECT_EQ(b->Ext()->ImgList[0]->GetURL(), "http://servera/logo.gif");
    EXPECT_EQ(b->Node()->stateMark(), markInactive);
    setDecimalSeparator(u'.');
}

TEST_F(ElementFileTest, KeysAreReadAsTheyStand)
{
    AgentBuilder builder(home.path(), "Veille");
    builder.write("Favs/Empty start.url",
                  "[InternetShortcut]\nURL=http://a/\n[Glanix]\nDownLoadLinksStart=\n"
                  "Versions=-1\nDownLoadType=0\nActive=\nSize=12abc\nState=7\n");
    builder.write("Favs/No start.url",
                  "[internetshortcut]\nurl=http://b/\n[GLANIX]\ndateDOWNLOADED=45000,5\n");
    agent->LoadChildren(1);
    TElement* empty = childNamed(agent, "Empty start");
    TElement* none = childNamed(agent, "No start");
    ASSERT_TRUE(empty && none);
    EXPECT_TRUE(empty->Ext()->LinksStartDefined);
    EXPECT_FALSE(none->Ext()->LinksStartDefined);
    EXPECT_EQ(empty->Versions, kInherit);
    EXPECT_EQ(empty->DownLoadType, 0);
    EXPECT_FALSE(empty->ActiveDefined); // present but empty
    EXPECT_EQ(empty->Size, 0); // malformed: the default
    EXPECT_EQ(none->GetURL(), "http://b/");
    EXPECT_DOUBLE_EQ(none->DateDownloaded, 45000.5);

    // A state the file format does not know is not written; the key keeps its value.
    ASSERT_TRUE(empty->Save());
    EXPECT_EQ(IniFile(empty->GetIniFileName()).readInteger(u"Glanix", u"State", 0), 7);
    empty->State = 7 + 1;
    empty->Save();
    EXPECT_EQ(IniFile(empty->GetIniFileName()).readInteger(u"Glanix", u"State", 0), 7);
}

TEST_F(ElementFileTest, ImageSectionsAreTheImagesOfAPage)
{
    AgentBuilder builder(home.path(), "Veille");
    builder.write("Favs/Page.url",
                  "[InternetShortcut]\nURL=http://a/\n[GlanixImg Messages logo.gif]\n -> GET\n"
                  "[GlanixImg logo.gif]\nURL=http://a/logo.gif\nState=1\n"
                  "[GlanixImg b.png]\nURL=http://a/b.png\nSaveFileName=C:\\x\\b.png\n");
    agent->LoadChildren(1);
    TElement* page = childNamed(agent, "Page");
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Ext()->ImgList.size(), 2u);
    TElement* logo = page->Ext()->ImgList[0];
    EXPECT_EQ(logo->GetName(), "logo.gif");
    EXPECT_EQ(logo->State, stateUnread);
    EXPECT_EQ(logo->GetMessages(), QStringList({" -> GET"}));
    EXPECT_EQ(page->Ext()->ImgList[1]->saveFileNameField(), "b.png");
    ASSERT_NE(page->imageGroupNode(), nullptr); // images are shown in the tree by default
    EXPECT_EQ(logo->Node()->stateMark(), markUnread);
    EXPECT_EQ(logo->Node()->text(), "logo.gif");

    home.env().setDebug(true);
    logo->Load();
    EXPECT_TRUE(log().contains("tuURI.Charge"));
    page->SaveImage(*std::make_unique<IniFile>(page->GetIniFileName()));
    EXPECT_TRUE(log().contains("Pas de SauveImage pour autre chose qu'une image (ici pour Page)"));
}

TEST_F(ElementFileTest, PathsPastTheFileSystemLimitsAreRefused)
{
    home.env().setDebug(true);
    TElement* folder = add(agent, kindFolder, "F");
    // A shortcut name of exactly 255 bytes is written.
    TElement* fits = add(folder, kindAddress, QString(251, u'x'), "http://a/");
    EXPECT_TRUE(fits->Save());
    EXPECT_EQ(QFileInfo(fits->GetIniFileName()).fileName().toUtf8().size(), 255);
    // A path past 4095 bytes is refused, naming the element by its place in the tree.
    TElement* nested = folder;
    const QString deep = QString(240, u'd');
    for (int i = 0; i < 17; ++i)
        nested = add(nested, kindFolder, deep + QString::number(i));
    TElement* far = add(nested, kindAddress, "far", "http://far/");
    EXPECT_FALSE(far->Save());
    EXPECT_TRUE(log().contains("Chemin trop long : Veille\\F\\" + deep.toUtf8() + "0\\"));
    EXPECT_TRUE(log().contains("\\far\n"));
    EXPECT_FALSE(QFileInfo::exists(far->GetIniFileName()));
}

TEST_F(ElementFileTest, MessagesAreWrittenOnlyAfterARecentCheck)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    a->Messages = QStringList {"first"};
    a->LastVerified = home.env().now();
    ASSERT_TRUE(a->Save());
    EXPECT_TRUE(a->Messages.isEmpty()); // complete: dropped from memory
    a->Messages = QStringList {"second"};
    a->LastVerified = home.env().now() - 4.0 / 24;
    ASSERT_TRUE(a->Save());
    EXPECT_EQ(IniFile(a->GetIniFileName()).sectionLines(u"Glanix Messages"), QStringList({"first"}));
}

TEST_F(ElementFileTest, AnInterruptedWriteLeavesThePreviousFile)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    ASSERT_TRUE(a->Save());
    const QByteArray before = home.read(a->GetIniFileName());
    a->SetURL("http://changed/");
    failNextAtomicWrites(1);
    EXPECT_FALSE(a->Save());
    EXPECT_EQ(home.read(a->GetIniFileName()), before);
    EXPECT_TRUE(home.env().errorLogged());
    EXPECT_EQ(QDir(favs()).entryList(QDir::Files | QDir::Hidden), QStringList({"A.url"}));
    EXPECT_TRUE(a->Save());
    EXPECT_TRUE(home.read(a->GetIniFileName()).contains("URL=http://changed/"));
}

TEST_F(ElementFileTest, RootDefaultsAndTheRootSection)
{
    TElement* root = store.RootElement();
    EXPECT_EQ(root->DLDir(), home.path());
    EXPECT_EQ(root->GetDownLoadType(), 0);
    EXPECT_DOUBLE_EQ(root->GetFrequency(), -2);
    EXPECT_EQ(root->GetDownLoadLinksDepth(), 0);
    EXPECT_TRUE(root->Ext()->LinksStartDefined);
    root->Versions = 4;
    ASSERT_TRUE(root->Save());
    EXPECT_FALSE(IniFile(home.file("Glanix.ini")).sectionExists(u"InternetShortcut"));

    ElementStore again(home.env());
    EXPECT_EQ(again.RootElement()->Versions, 4);
    EXPECT_EQ(again.RootElement()->DLDir(), home.path());
    EXPECT_EQ(again.RootElement()->GetDownLoadType(), 0); // written by the first save
}

TEST_F(ElementFileTest, ChildrenAreReadFromDiskLevelByLevel)
{
    AgentBuilder b(home.path(), "Veille");
    b.folder("Docs").folder("Docs/Deep").folder(".hidden");
    test::StoredDoc page {"Page", "http://a/page.htm"};
    const QString pageChildren = b.address("", page);
    b.page(pageChildren, {"Linked", "http://a/linked.htm"});
    QDir().mkpath(pageChildren + "NotAFolderChild");
    b.address("Docs", {"InDocs", "http://a/docs.htm"});
    b.address("Docs/Deep", {"Deeper", "http://a/deep.htm"});
    b.write("Favs/readme.txt", "x");
    b.write("Favs/.Net news.url", "[InternetShortcut]\nURL=http://a/net\n");
    QFile::link(b.favs() + "Docs", b.favs() + "LinkToDocs");

    EXPECT_EQ(agent->GetLoadedDepth(), -1);
    agent->LoadChildren(2);
    EXPECT_EQ(childNames(agent), QStringList({"Docs", ".Net news", "Page"}));
    TElement* docs = childNamed(agent, "Docs");
    TElement* pageElement = childNamed(agent, "Page");
    EXPECT_EQ(docs->Kind, kindFolder);
    EXPECT_EQ(childNames(docs), QStringList({"Deep", "InDocs"}));
    EXPECT_EQ(childNames(pageElement), QStringList({"Linked"}));
    EXPECT_EQ(childNamed(pageElement, "Linked")->Kind, kindPage);
    TElement* deep = childNamed(docs, "Deep");
    EXPECT_EQ(deep->Node()->childCount(), 0); // third level not read yet
    EXPECT_EQ(deep->GetLoadedDepth(), -1);
    EXPECT_EQ(docs->GetLoadedDepth(), 1);

    agent->LoadChildren(2); // nothing read twice
    EXPECT_EQ(childNames(agent).size(), 3);
    deep->LoadChildren(2);
    EXPECT_EQ(childNames(deep), QStringList({"Deeper"}));
    agent->LoadChildren(1000);
    EXPECT_EQ(agent->GetLoadedDepth(), 1000);
    EXPECT_EQ(childNames(deep).size(), 1);
}

TEST_F(ElementFileTest, NotesLiveInTheirOwnSection)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    ASSERT_TRUE(a->WriteNotes({"Lire la suite", "[pas une section]"}));
    ASSERT_TRUE(a->Save());
    EXPECT_EQ(a->ReadNotes(), QStringList({"Lire la suite", "[pas une section]"}));
    EXPECT_TRUE(agent->WriteNotes({"agent"}));
    EXPECT_EQ(agent->ReadNotes(), QStringList({"agent"}));
    EXPECT_TRUE(IniFile(agent->GetIniFileName()).sectionExists(u"Glanix Notes"));
    EXPECT_FALSE(add(a, kindImage, "i.gif", "http://a/i.gif")->WriteNotes({"x"}));
}

TEST_F(ElementFileTest, RenamingCarriesTheStoredFileItsVersionsAndItsChildFolder)
{
    TElement* a = add(agent, kindAddress, "Accueil", "http://a/", "text/html");
    ASSERT_TRUE(a->Save());
    store_(a, "v1");
    home.write(dl("accueil (2).html"), "v2");
    home.write(dl("accueil (3).html"), "v3");
    TElement* page = add(a, kindPage, "Suite", "http://a/suite.htm", "text/html");
    store_(page, "p");
    ASSERT_TRUE(page->Save());

    a->SetName("Bienvenue: le site");
    EXPECT_EQ(a->GetName(), "Bienvenue- le site");
    EXPECT_EQ(a->Node()->text(), "Bienvenue- le site");
    EXPECT_EQ(home.read(dl("bienvenue- le site.html")), "v1");
    EXPECT_EQ(home.read(dl("bienvenue- le site (2).html")), "v2");
    EXPECT_EQ(home.read(dl("bienvenue- le site (3).html")), "v3");
    EXPECT_FALSE(QFileInfo::exists(dl("accueil.html")));
    EXPECT_TRUE(QFileInfo::exists(favs("Bienvenue- le site.url")));
    EXPECT_FALSE(QFileInfo::exists(favs("Accueil.url")));
    // The child folder keeps its name; the linked page is still where it was.
    EXPECT_EQ(page->GetSavePath(), dl("accu/suite.html"));
    EXPECT_EQ(home.read(page->GetSavePath()), "p");

    TElement* folder = add(agent, kindFolder, "Docs");
    TElement* inside = add(folder, kindAddress, "In", "http://in/", "text/html");
    ASSERT_TRUE(inside->Save());
    store_(inside, "in");
    folder->SetName("Archives.");
    EXPECT_EQ(folder->GetName(), "Archives.~");
    EXPECT_TRUE(QFileInfo::exists(favs("Archives.~/In.url")));
    EXPECT_EQ(home.read(dl("Archives.~/in.html")), "in");
    EXPECT_EQ(inside->GetSavePath(), dl("Archives.~/in.html"));
    EXPECT_EQ(inside->GetIniFileName(), favs("Archives.~/In.url"));
    folder->SetName(".config");
    EXPECT_EQ(folder->GetName(), "_.config"); // a hidden folder would not be read back
}

TEST_F(ElementFileTest, ARenamedPageFileNamesItsMovedCopyAtOnce)
{
    // A page renamed after its title during a download: the element file on disk, without
    // waiting for the element's next save, must name the copy where it now is.
    TElement* a = add(agent, kindAddress, "Nouveau site ", "http://a/", "text/html");
    ASSERT_TRUE(a->Save());
    store_(a, "v1");
    ASSERT_TRUE(a->Save());
    store.writer().holdForTesting(true);
    {
        DeferredFileWriter::Scope deferred(store.writer());
        a->SetName("Le titre");
        a->StatusNumber = 304;
        ASSERT_TRUE(a->Save());
    }
    const IniFile onDisk(favs("Le titre.url"));
    const QString named = onDisk.readString(u"Glanix", u"SaveFileName");
    EXPECT_EQ(home.read(dl(named)), "v1") << named.toStdString();
    store.writer().holdForTesting(false);
    store.writer().settleAll();
}

TEST_F(ElementFileTest, RenamingAnAgentRenamesItsOpenAgentFile)
{
    const QString file = home.write("Veille.gnx", "[Glanix]\n");
    store.openAgents() << home.file("Autre.gnx") << file;
    agent->SetName("Revue");
    EXPECT_EQ(agent->GetName(), "Revue");
    EXPECT_TRUE(home.exists("Revue.gnx"));
    EXPECT_FALSE(home.exists("Veille.gnx"));
    EXPECT_EQ(store.openAgents().last(), home.file("Revue.gnx"));
    home.env().setDebug(true);
    agent->SetName("Encore");
    agent->SetName("Encore"); // same name: nothing
    store.openAgents().clear();
    agent->SetName("Perdu");
    EXPECT_TRUE(log().contains("Agent Perdu introuvable dans ListeAgents"));
    EXPECT_FALSE(log().contains("Agent Encore introuvable"));
}

TEST_F(ElementFileTest, MovingAcrossFoldersTakesTheFilesAlong)
{
    TElement* from = add(agent, kindFolder, "From");
    TElement* to = add(agent, kindFolder, "To");
    ASSERT_TRUE(from->Save() && to->Save());
    TElement* a = add(from, kindAddress, "Page", "http://a/", "text/html");
    ASSERT_TRUE(a->Save());
    store_(a, "v1");
    home.write(dl("From/page (2).html"), "v2");
    TElement* linked = add(a, kindPage, "Linked", "http://a/l.htm", "text/html");
    ASSERT_TRUE(linked->Save());
    store_(linked, "l");
    // Already there, on disk only: the target is read first, so the name is made unique.
    test::AgentBuilder(home.path(), "Veille").address("To", {"Page", "http://other/"});

    ASSERT_TRUE(a->MoveTo(to->Node()));
    EXPECT_EQ(a->GetName(), "Page~1");
    EXPECT_EQ(a->Node()->parent(), to->Node());
    EXPECT_EQ(childNames(to), QStringList({"Page", "Page~1"}));
    EXPECT_EQ(a->Kind, kindAddress);
    EXPECT_EQ(home.read(dl("To/page~1.html")), "v1");
    EXPECT_EQ(home.read(dl("To/page~1 (2).html")), "v2");
    EXPECT_TRUE(QFileInfo::exists(favs("To/Page~1.url")));
    EXPECT_FALSE(QFileInfo::exists(favs("From/Page.url")));
    EXPECT_EQ(linked->GetSavePath(), dl("To/") + a->GetDirChilds() + "/linked.html");
    EXPECT_EQ(home.read(linked->GetSavePath()), "l");
    EXPECT_TRUE(QFileInfo::exists(linked->GetIniFileName()));

    // Under another address it becomes a linked page, its files beside the page's.
    TElement* host = add(agent, kindAddress, "Host", "http://h/", "text/html");
    ASSERT_TRUE(host->Save());
    ASSERT_TRUE(a->MoveTo(host->Node()));
    EXPECT_EQ(a->Kind, kindPage);
    EXPECT_EQ(a->GetIniFileName(), dl("host/Page~1.url"));
    EXPECT_EQ(home.read(dl("host/page~1.html")), "v1");
    EXPECT_TRUE(QFileInfo::exists(a->GetIniFileName()));

    // A folder moves both its sides; it never goes under an address, nor into itself.
    TElement* inner = add(from, kindFolder, "Inner");
    ASSERT_TRUE(inner->Save());
    home.mkdir("Veille/Favs/From/Inner");
    EXPECT_FALSE(inner->MoveTo(host->Node()));
    EXPECT_FALSE(from->MoveTo(inner->Node()));
    ASSERT_TRUE(inner->MoveTo(to->Node()));
    EXPECT_TRUE(QFileInfo(dl("To/Inner")).isDir());
    EXPECT_TRUE(QFileInfo(favs("To/Inner")).isDir());
    EXPECT_FALSE(QFileInfo::exists(dl("From/Inner")));
}

TEST_F(ElementFileTest, DeletingWithAndWithoutFiles)
{
    RecordingHost host;
    store.setHost(&host);
    TElement* a = add(agent, kindAddress, "A", "http://a/", "text/html");
    ASSERT_TRUE(a->Save());
    store_(a, "a");
    home.write(dl("a (2).html"), "a2");
    TElement* page = add(a, kindPage, "P", "http://a/p.htm", "text/html");
    ASSERT_TRUE(page->Save());
    store_(page, "p");
    TElement* image = add(page, kindImage, "i.gif", "http://a/i.gif", "image/gif");
    store_(image, "GIF");
    page->SaveImages();
    TElement* b = add(agent, kindAddress, "B", "http://b/", "text/html");
    ASSERT_TRUE(b->Save());
    store_(b, "b");
    agent->SetDownLoadLinksDepth(3);

    // Without files: the shortcut goes, the stored copy stays.
    host.selected = b->Node();
    b->Delete(false);
    EXPECT_EQ(host.selected, a->Node()); // no next sibling: the previous one
    EXPECT_FALSE(QFileInfo::exists(favs("B.url")));
    EXPECT_TRUE(QFileInfo::exists(dl("b.html")));
    EXPECT_EQ(agent->Ext()->DownLoadLinksDepth, 3); // an agent keeps its depth

    // A linked page: its parent stops following links so that it does not come back.
    a->SetDownLoadLinksDepth(2);
    host.selected = page->Node();
    page->Delete(true);
    EXPECT_EQ(host.selected, a->Node());
    EXPECT_EQ(a->Ext()->DownLoadLinksDepth, 0);
    EXPECT_EQ(IniFile(a->GetIniFileName()).readInteger(u"Glanix", u"DownLoadLinksDepth", -1), 0);
    EXPECT_FALSE(QFileInfo::exists(dl("a/p.htm")));
    EXPECT_FALSE(QFileInfo::exists(dl("a/P.url")));
    EXPECT_EQ(a->Node()->childCount(), 0);

    // With files: stored copy, old versions, child folder.
    TElement* p2 = add(a, kindPage, "P2", "http://a/p2.htm", "text/html");
    ASSERT_TRUE(p2->Save());
    store_(p2, "p2");
    const int destroyedBefore = static_cast<int>(host.destroyed.size());
    a->Delete(true);
    EXPECT_EQ(static_cast<int>(host.destroyed.size()), destroyedBefore + 2);
    EXPECT_FALSE(QFileInfo::exists(dl("a.html")));
    EXPECT_FALSE(QFileInfo::exists(dl("a (2).html")));
    EXPECT_FALSE(QFileInfo::exists(dl("a")));
    EXPECT_FALSE(QFileInfo::exists(favs("A.url")));
    EXPECT_EQ(agent->Node()->childCount(), 0);
    EXPECT_EQ(host.viewsClosed.size(), host.destroyed.size()); // each one closed before it went
    store.setHost(nullptr);
}

TEST_F(ElementFileTest, DeletingOneImageKeepsThePageAndItsOtherImages)
{
    TElement* page = add(agent, kindAddress, "P", "http://a/", "text/html");
    TElement* one = add(page, kindImage, "one.gif", "http://a/1.gif", "image/gif");
    add(page, kindImage, "two.gif", "http://a/2.gif", "image/gif");
    ASSERT_TRUE(page->Save());
    page->SaveImages();
    store_(one, "1");
    home.write(SaveFileNameVersionPrec(one->GetSavePath(), 2), "old");
    one->Delete(true);
    const IniFile ini(page->GetIniFileName());
    EXPECT_FALSE(ini.sectionExists(u"GlanixImg one.gif"));
    EXPECT_TRUE(ini.sectionExists(u"GlanixImg two.gif"));
    EXPECT_EQ(page->Ext()->ImgList.size(), 1u);
    EXPECT_EQ(QDir(page->GetChildsPath()).entryList(QDir::Files), QStringList());
}

TEST_F(ElementFileTest, ReinitErasesWhatTheProgramStored)
{
    AgentBuilder b(home.path(), "Veille");
    test::StoredDoc doc {"Page", "http://a/"};
    doc.content = "<p>";
    doc.images.push_back({"logo.gif", "http://a/logo.gif", "image/gif", "GIF", 1});
    doc.images.push_back({"other.gif", "http://a/other.gif", "image/gif", "GIF", 0});
    b.address("", doc);
    b.write("Favs/Page.url", home.read("Veille/Favs/Page.url") + "[Other]\nkeep=1\n");
    agent->LoadChildren(1);
    TElement* page = childNamed(agent, "Page");
    ASSERT_NE(page, nullptr);
    TElement* logo = page->Ext()->ImgList[0];

    logo->Reinit(); // only the image's own sections go
    IniFile after(page->GetIniFileName());
    EXPECT_FALSE(after.sectionExists(u"GlanixImg logo.gif"));
    EXPECT_TRUE(after.sectionExists(u"GlanixImg other.gif"));
    EXPECT_TRUE(after.sectionExists(u"Glanix"));
    EXPECT_FALSE(QFileInfo::exists(logo->GetSavePath()));
    EXPECT_EQ(logo->LastModified, 0);

    page->Versions = 2;
    page->Reinit();
    const IniFile reset(page->GetIniFileName());
    EXPECT_EQ(reset.sections(), QStringList({"InternetShortcut", "Other"}));
    EXPECT_EQ(reset.readString(u"InternetShortcut", u"URL"), "http://a/");
    EXPECT_FALSE(QFileInfo::exists(dl("page.htm")));
    EXPECT_EQ(page->Versions, kInherit);
    EXPECT_DOUBLE_EQ(page->Frequency, -1);
    EXPECT_EQ(page->saveFileNameField(), "page.htm"); // kept
    EXPECT_EQ(page->StatusNumber, 200); // kept
}

TEST_F(ElementFileTest, FewerVersionsDeleteTheSurplus)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/", "text/html");
    a->Versions = 3;
    for (int n = 1; n <= 4; ++n)
        home.write(SaveFileNameVersionPrec(a->GetSavePath(), n), QByteArray::number(n));
    a->SetVersions(1);
    EXPECT_TRUE(QFileInfo::exists(dl("a.html")));
    EXPECT_TRUE(QFileInfo::exists(dl("a (2).html")));
    EXPECT_FALSE(QFileInfo::exists(dl("a (3).html")));
    EXPECT_FALSE(QFileInfo::exists(dl("a (4).html")));
    a->Versions = kInherit;
    a->SetVersions(0); // unset before: nothing deleted
    EXPECT_TRUE(QFileInfo::exists(dl("a (2).html")));
    a->SetVersions(kInherit); // back to inherit: nothing deleted either
    EXPECT_TRUE(QFileInfo::exists(dl("a.html")));
}

TEST_F(ElementFileTest, ANewStoredFileNameRenamesTheCopyAndItsVersions)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/", "text/html");
    store_(a, "html");
    home.write(dl("a (2).html"), "old");
    a->SetFileName("/elsewhere/a.gif");
    EXPECT_EQ(a->saveFileNameField(), "a.gif");
    EXPECT_EQ(home.read(dl("a.gif")), "html");
    EXPECT_EQ(home.read(dl("a (2).gif")), "old");
    a->SetFileName("..");
    EXPECT_EQ(a->saveFileNameField(), "_..");
    EXPECT_TRUE(QFileInfo::exists(dl("_..")));
}

// Names from titles and addresses, and links planted in the store: nothing is written
// outside the agent's folders.
TEST_F(ElementFileTest, HostileNamesAndPlantedLinksStayInsideTheAgent)
{
    home.env().setDebug(true);
    const QString outside = home.file("outside/");
    home.mkdir("outside");
    TElement* a = add(agent, kindAddress, "A", "http://a/", "text/html");
    ASSERT_TRUE(a->Save());
    for (const QString& title : {QString(".."), QString("../../outside/x"), QString("/etc/passwd"),
                                 QString(""), QString("a\nb\r[Glanix]"), QString(300, QChar(0x00E9))}) {
        TElement* p = add(a, kindPage, "provisional ", "http://a/p.htm", "text/html");
        p->SetName(title);
        ASSERT_TRUE(p->Save()) << title.toStdString();
        EXPECT_TRUE(isInsideFolder(p->GetIniFileName(), dl())) << p->GetIniFileName().toStdString();
        EXPECT_TRUE(isInsideFolder(p->GetSavePath(), dl()));
        EXPECT_TRUE(IsSafeFileName(QFileInfo(p->GetIniFileName()).fileName()));
    }
    EXPECT_EQ(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // A link planted where the child folder of an address will be.
    TElement* b = add(agent, kindAddress, "B", "http://b/", "text/html");
    ASSERT_TRUE(QFile::link(outside, dl(b->GetDirChilds())));
    TElement* planted = add(b, kindPage, "Planted", "http://b/p.htm", "text/html");
    EXPECT_FALSE(planted->Save());
    EXPECT_TRUE(log().contains("Chemin hors de l'agent"));
    EXPECT_EQ(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // A link planted at the .url file itself is replaced, not written through.
    const QString secret = home.write("outside/secret", "secret");
    TElement* c = add(agent, kindAddress, "C", "http://c/");
    ASSERT_TRUE(QFile::link(secret, c->GetIniFileName()));
    EXPECT_TRUE(c->Save());
    EXPECT_EQ(home.read("outside/secret"), "secret");
    EXPECT_FALSE(QFileInfo(c->GetIniFileName()).isSymLink());
}

} // namespace

TEST_F(ElementFileTest, FilesWaitingToBeWrittenReadBackAndMoveAsIfWritten)
{
    TElement* a = add(agent, kindAddress, "Accueil", "http://a/", "text/html");
    TElement* b = add(agent, kindAddress, "Brouillon", "http://b/", "text/html");
    // As in a download step: the writes go to the store's writing thread, held here so that
    // they are all still waiting.
    store.writer().holdForTesting(true);
    {
        DeferredFileWriter::Scope deferred(store.writer());
        a->StatusNumber = 200;
        a->LastVerified = home.env().now();
        a->Messages = QStringList({"-- ligne"});
        ASSERT_TRUE(a->Save());
        EXPECT_TRUE(a->Messages.isEmpty());
        EXPECT_EQ(a->GetMessages(), QStringList({"-- ligne"}));
        a->StatusNumber = 404;
        ASSERT_TRUE(a->Save());
        // A rename or a deletion never lets a late write bring back the old file.
        a->SetName("Bienvenue");
        ASSERT_TRUE(b->Save());
        EXPECT_FALSE(QFileInfo::exists(favs("Brouillon.url")));
        b->Delete(true);
    }
    store.writer().holdForTesting(false);
    store.writer().settleAll();
    EXPECT_FALSE(QFileInfo::exists(favs("Accueil.url")));
    EXPECT_FALSE(QFileInfo::exists(favs("Brouillon.url")));
    IniFile written(favs("Bienvenue.url"));
    EXPECT_EQ(written.readInteger(u"Glanix", u"StatusNumber", 0), 404);
    EXPECT_EQ(written.sectionLines(u"Glanix Messages"), QStringList({"-- ligne"}));
}
