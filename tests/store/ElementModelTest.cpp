#include "config/Numbers.h"
#include "store/Addresses.h"
#include "tests/store/StoreFixture.h"

#include <QDir>
#include <QFileInfo>

using namespace glanix;
using glanix::test::RecordingHost;
using glanix::test::StoreFixture;

namespace {

using ElementModelTest = StoreFixture;

TEST_F(ElementModelTest, PathsFollowKindAndParent)
{
    TElement* folder = add(agent, kindFolder, "Docs");
    TElement* address = add(folder, kindAddress, "Accueil", "http://servera/index.htm", "text/html");
    TElement* page = add(address, kindPage, "Suite", "http://servera/suite.htm", "text/html");
    TElement* image = add(page, kindImage, "logo.gif", "http://servera/logo.gif", "image/gif");

    EXPECT_EQ(agent->GetIniFileName(), dl("GlanixDefault.ini"));
    EXPECT_EQ(folder->GetSavePath(), dl("Docs/"));
    EXPECT_EQ(folder->GetChildsPath(), favs("Docs/"));
    EXPECT_EQ(folder->GetIniFileName(), dl("Docs/GlanixDefault.ini"));
    EXPECT_EQ(address->GetIniFileName(), favs("Docs/Accueil.url"));
    EXPECT_EQ(address->GetSavePath(), dl("Docs/accueil.html"));
    EXPECT_EQ(address->GetChildsPath(), dl("Docs/accu/"));
    EXPECT_EQ(page->GetIniFileName(), dl("Docs/accu/Suite.url"));
    EXPECT_EQ(page->GetSavePath(), dl("Docs/accu/suite.html"));
    EXPECT_EQ(page->GetChildsPath(), dl("Docs/accu/suit/"));
    EXPECT_EQ(image->GetSavePath(), dl("Docs/accu/suit/logo.gif"));
    EXPECT_EQ(image->GetIniFileName(), page->GetIniFileName());
    EXPECT_EQ(image->GetChildsPath(), "");
    EXPECT_EQ(page->TreePath(), "Veille\\Docs\\Accueil\\Suite");
    EXPECT_EQ(image->TreePath(), "Veille\\Docs\\Accueil\\Suite\\Images\\logo.gif");
    EXPECT_EQ(store.RootElement()->GetIniFileName(), home.file("Glanix.ini"));
    EXPECT_EQ(page->GetAgent(), agent);
    EXPECT_EQ(image->GetLoadedDepth(), 2000);
}

TEST_F(ElementModelTest, SavedFileNamesFollowTheContentType)
{
    EXPECT_EQ(add(agent, kindAddress, "Accueil", "http://a/", "text/html")->GetSaveFileName(),
              "accueil.html");
    EXPECT_EQ(add(agent, kindAddress, "Index.htm", "http://a/i", "text/html")->GetSaveFileName(),
              "Index.htm");
    EXPECT_EQ(add(agent, kindAddress, "Photo", "http://a/p", "image/jpeg")->GetSaveFileName(), "photo.jpg");
    EXPECT_EQ(add(agent, kindAddress, "Notes.txt", "http://a/n")->GetSaveFileName(), "Notes.txt");
    // A long multi-byte name keeps its extension and room for " (NN)" within 255 bytes.
    TElement* longName = add(agent, kindAddress, "x", "http://a/l", "text/html");
    longName->SetName(QString(60, QChar(0x4E2D)));
    const QString saved = longName->GetSaveFileName();
    EXPECT_TRUE(saved.endsWith(".html"));
    EXPECT_LE(saved.toUtf8().size(), 239);
}

TEST_F(ElementModelTest, ChildFoldersAreFourCharactersAndUniqueAmongSiblings)
{
    TElement* a = add(agent, kindAddress, "Index.htm", "http://a/1", "text/html");
    TElement* b = add(agent, kindAddress, "index.htm ", "http://a/2", "text/html");
    TElement* c = add(agent, kindAddress, "INDEX.htm  ", "http://a/3", "text/html");
    EXPECT_EQ(a->GetDirChilds(), "Inde");
    EXPECT_EQ(b->GetDirChilds(), "ind0");
    EXPECT_EQ(c->GetDirChilds(), "IND1");
    EXPECT_EQ(add(agent, kindAddress, "a.htm", "http://a/4", "text/html")->GetDirChilds(), "a");
    EXPECT_EQ(add(agent, kindAddress, "con.htm", "http://a/5", "text/html")->GetDirChilds(), "con~");
    // A folder's download side sits beside the addresses' child folders: no clash either.
    add(agent, kindFolder, "docs");
    EXPECT_EQ(add(agent, kindAddress, "Docs.htm", "http://a/6", "text/html")->GetDirChilds(), "Doc0");
}

TEST_F(ElementModelTest, InheritedSettingsAreCachedWhereFirstAsked)
{
    TElement* root = store.RootElement();
    EXPECT_EQ(root->Versions, 1); // the defaults of a missing Glanix.ini
    EXPECT_EQ(agent->Versions, kInherit);
    TElement* folder = add(agent, kindFolder, "Docs");
    TElement* address = add(folder, kindAddress, "A", "http://a/");
    EXPECT_EQ(address->GetVersions(), 1);
    EXPECT_EQ(address->Versions, 1);
    EXPECT_EQ(folder->Versions, 1);
    root->Versions = 5;
    EXPECT_EQ(address->GetVersions(), 1);
    EXPECT_EQ(add(agent, kindAddress, "B", "http://b/")->GetVersions(), 1); // agent cached 1

    EXPECT_EQ(address->GetDownLoadType(), 0);
    EXPECT_DOUBLE_EQ(address->GetFrequency(), -2);
    folder->SetActive(false);
    EXPECT_FALSE(address->ActiveDefined);
    EXPECT_FALSE(address->GetActive());
    EXPECT_TRUE(address->ActiveDefined);
    EXPECT_FALSE(address->IsActive());

    // Images, masks and links start take the value without caching it.
    agent->SetDownLoadImages(false);
    EXPECT_FALSE(address->GetDownLoadImages());
    EXPECT_FALSE(address->GetDownLoadImagesDefined());
    agent->SetDownLoadImages(true);
    EXPECT_TRUE(address->GetDownLoadImages());
    folder->SetIncludeMask("*.htm");
    EXPECT_EQ(address->GetIncludeMask(), "*.htm");
    EXPECT_EQ(address->Ext()->IncludeMask, "");
    TElement loose(store); // no node: its own value
    loose.SetHasExt(true);
    loose.SetParent(folder);
    EXPECT_EQ(loose.GetIncludeMask(), "");
    EXPECT_EQ(loose.GetDownLoadLinksDepth(), -1);
}

TEST_F(ElementModelTest, LinkDepthCountsDownAndNeverGoesNegative)
{
    TElement* address = add(agent, kindAddress, "A", "http://a/");
    address->SetDownLoadLinksDepth(2);
    TElement* p1 = add(address, kindPage, "P1", "http://a/1.htm");
    TElement* p2 = add(p1, kindPage, "P2", "http://a/2.htm");
    TElement* p3 = add(p2, kindPage, "P3", "http://a/3.htm");
    EXPECT_EQ(p1->GetDownLoadLinksDepth(), 1);
    EXPECT_EQ(p2->GetDownLoadLinksDepth(), 0);
    EXPECT_EQ(p3->GetDownLoadLinksDepth(), 0);
    address->SetDownLoadLinksDepth(0);
    EXPECT_EQ(p1->GetDownLoadLinksDepth(), 0);
    EXPECT_EQ(add(p1, kindImage, "i.gif", "http://a/i.gif")->GetDownLoadLinksDepth(), 0);
}

TEST_F(ElementModelTest, LinksStartFollowsTheChainOfLinkedPages)
{
    TElement* address = add(agent, kindAddress, "A", "http://servera/dir/index.htm");
    address->SetDownLoadLinksStart(DirectoryPart(address->GetURL())); // "same folder"
    TElement* inside = add(address, kindPage, "In", "http://servera/dir/sub/p.htm");
    EXPECT_EQ(inside->GetDownLoadLinksStart(), "http://servera/dir/");
    TElement* elsewhere = add(address, kindPage, "Out", "http://servera/other/q.htm");
    EXPECT_EQ(elsewhere->GetDownLoadLinksStart(), "http://servera/other/");
    EXPECT_TRUE(elsewhere->Ext()->LinksStartDefined);

    TElement* server = add(agent, kindAddress, "S", "http://serverb/x/index.htm");
    server->SetDownLoadLinksStart(ServerPart(server->GetURL())); // "same server"
    EXPECT_EQ(add(server, kindPage, "T", "http://serverc/y.htm")->GetDownLoadLinksStart(), "http://serverc");

    // The start follows a change of address.
    server->SetURL("https://serverd/a/b.htm");
    EXPECT_EQ(server->GetDownLoadLinksStart(), "https://serverd");
    address->SetURL("http://servera/new/index.htm");
    EXPECT_EQ(address->GetDownLoadLinksStart(), "http://servera/new/");
}

TEST_F(ElementModelTest, SettingAnAddressNormalisesItAndForgetsTheLastCheck)
{
    TElement* a = add(agent, kindAddress, "A", "http://host/old.htm");
    a->LastVerified = 45000;
    a->StatusNumber = 404;
    a->SetURL("http:\\\\host\\dir\\page.htm");
    EXPECT_EQ(a->GetURL(), "http://host/dir/page.htm");
    EXPECT_EQ(a->LastVerified, 0);
    EXPECT_EQ(a->StatusNumber, 0);
    a->LastVerified = 1;
    a->SetURL("http://host/dir/page.htm"); // the same address: nothing happens
    EXPECT_EQ(a->LastVerified, 1);

    home.env().setDebug(true);
    a->SetURL("");
    EXPECT_TRUE(log().contains("On vient de mettre une URL à 0 !!!"));
}

// Counts the "changed" notifications of the tree.
struct ChangeCounter : TreeObserver {
    int changes = 0;

    void nodesAboutToBeRemoved(TreeNode*, int, int) override { }

    void nodeChanged(TreeNode*) override { ++changes; }
};

TEST_F(ElementModelTest, StatesSetTheTreeMarkOnce)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    ChangeCounter counter;
    store.tree().addObserver(&counter);
    a->SetState(stateUnread);
    a->SetState(stateUnread);
    EXPECT_EQ(counter.changes, 1);
    EXPECT_EQ(a->Node()->stateMark(), markUnread);
    a->SetState(stateError);
    EXPECT_EQ(a->Node()->stateMark(), markError);
    a->SetState(stateRead);
    EXPECT_EQ(a->Node()->stateMark(), markNone);
    a->SetActive(false);
    EXPECT_EQ(a->Node()->stateMark(), markInactive);
    a->SetState(stateNeutral);
    EXPECT_EQ(a->Node()->stateMark(), markInactive);
    store.tree().removeObserver(&counter);
}

TEST_F(ElementModelTest, LastModifiedIsRaisedOnEnclosingFoldersAndSaved)
{
    TElement* folder = add(agent, kindFolder, "Docs");
    TElement* address = add(folder, kindAddress, "A", "http://a/");
    TElement* page = add(address, kindPage, "P", "http://a/p.htm");
    folder->LastModified = 46000;
    page->SetLastModified(45500);
    EXPECT_EQ(folder->LastModified, 46000);
    EXPECT_EQ(agent->LastModified, 45500);
    EXPECT_EQ(address->LastModified, 0); // an address is not a container
    EXPECT_TRUE(home.exists("Veille/DL/GlanixDefault.ini"));
    EXPECT_FALSE(home.exists("Veille/DL/Docs/GlanixDefault.ini"));
    page->SetLastModified(47000);
    EXPECT_EQ(folder->LastModified, 47000);
    EXPECT_TRUE(home.exists("Veille/DL/Docs/GlanixDefault.ini"));
}

TEST_F(ElementModelTest, StatusTextAndContentKinds)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    a->StatusNumber = -6;
    a->Complete = false;
    EXPECT_EQ(a->StatusText(), "Pas de réponse pendant trop longtemps - Incomplet");
    EXPECT_TRUE(a->IsHtml());
    a->ContentType = "text/plain";
    EXPECT_TRUE(a->IsText());
    EXPECT_FALSE(a->IsHtml());
    a->ContentType = "image/png";
    EXPECT_TRUE(a->IsImage());
    EXPECT_FALSE(add(agent, kindFolder, "F")->IsHtml());
}

TEST_F(ElementModelTest, FindingElementsByAddress)
{
    TElement* a = add(agent, kindAddress, "A", "HTTP://host/a");
    add(agent, kindAddress, "B", "http://host/b/");
    EXPECT_EQ(store.FindElementByURL("http://host/a/#top"), a->Node());
    EXPECT_EQ(a->FindElementByURL("http://HOST/b"), a->Node()->nextSibling());
    EXPECT_EQ(store.FindElementByURL("http://host/c"), nullptr);
    // The latest element wins.
    TElement* again = add(agent, kindAddress, "A2", "http://host/a");
    EXPECT_EQ(store.FindElementByURL("http://host/a"), again->Node());
    // A changed address is found under the new one only; once freed, the earlier one wins.
    again->SetURL("http://host/z");
    EXPECT_EQ(store.FindElementByURL("http://host/a"), a->Node());
    EXPECT_EQ(store.FindElementByURL("http://HOST/z/"), again->Node());
    again->SetURL("http://host/a");
    again->Delete(false);
    EXPECT_EQ(store.FindElementByURL("http://host/a"), a->Node());
    // The latest match answers, even when it has no node.
    auto loose = std::make_unique<TElement>(store);
    loose->SetHasExt(true);
    loose->SetURL("http://host/a");
    EXPECT_EQ(store.FindElementByURL("http://host/a"), nullptr);
    loose.reset();
    EXPECT_EQ(store.FindElementByURL("http://host/a"), a->Node());
}

TEST_F(ElementModelTest, FindLocalLooksAmongNeighboursOnTheSameServer)
{
    TElement* address = add(agent, kindAddress, "A", "http://servera/index.htm");
    TElement* logo = add(address, kindImage, "logo.gif", "http://servera/logo.gif");
    TElement* p1 = add(address, kindPage, "P1", "http://servera/p1.htm");
    TElement* p2 = add(address, kindPage, "P2", "http://servera/p2.htm");
    TElement* photo = add(p2, kindImage, "photo.jpg", "http://servera/photo.jpg");
    TElement* deep = add(p1, kindPage, "Deep", "http://servera/deep.htm");
    TElement* other = add(agent, kindAddress, "B", "http://serverb/b.htm");

    EXPECT_EQ(p1->FindLocal("http://servera/LOGO.gif"), logo);
    EXPECT_EQ(p1->FindLocal("http://servera/p2.htm"), p2);
    EXPECT_EQ(p1->FindLocal("http://servera/photo.jpg"), photo);
    EXPECT_EQ(deep->FindLocal("http://servera/photo.jpg"), photo); // one level up, same server
    EXPECT_EQ(p1->FindLocal("http://servera/p1.htm"), nullptr); // not the element itself
    EXPECT_EQ(deep->FindLocal("http://serverb/b.htm"), nullptr); // other server: the climb stops
    EXPECT_EQ(address->FindLocal("http://serverb/b.htm"), other); // siblings under the agent
    EXPECT_EQ(logo->FindLocal("http://servera/logo.gif"), logo);
    EXPECT_EQ(logo->FindLocal("http://servera/LOGO.gif"), nullptr);
    EXPECT_EQ(address->FindImageByURL("http://SERVERA/logo.gif"), logo);
}

TEST_F(ElementModelTest, ImagesComeAndGoInTheTreeUnderTheirGroup)
{
    TElement* page = add(agent, kindAddress, "A", "http://a/");
    EXPECT_FALSE(page->HasVisibleChildren());
    TElement* i1 = add(page, kindImage, "one.gif", "http://a/1.gif");
    TElement* i2 = add(page, kindImage, "two.gif", "http://a/2.gif");
    i2->SetState(stateUnread);
    page->BuildImageNodes();
    TreeNode* group = page->imageGroupNode();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group, page->Node()->firstChild());
    EXPECT_EQ(group->text(), "Images");
    EXPECT_EQ(group->childCount(), 2);
    EXPECT_EQ(i1->Node()->parent(), group);
    EXPECT_EQ(i2->Node()->stateMark(), markUnread);
    EXPECT_EQ(group->element()->GetImageIndex(), 6);
    EXPECT_FALSE(page->HasVisibleChildren());
    add(page, kindPage, "P", "http://a/p");
    EXPECT_TRUE(page->HasVisibleChildren());
    page->BuildImageNodes(); // again: nothing doubled
    EXPECT_EQ(group->childCount(), 2);

    page->RemoveImageGroup();
    EXPECT_EQ(page->imageGroupNode(), nullptr);
    EXPECT_EQ(i1->Node(), nullptr);
    EXPECT_EQ(page->Ext()->ImgList.size(), 2u);
    EXPECT_EQ(page->Node()->childCount(), 1);
}

TEST_F(ElementModelTest, IconNumbers)
{
    store.setFavoritesFolder(home.file("Favoris"));
    TElement* netscape = new TElement(store);
    netscape->SetHasExt(true);
    netscape->Kind = kindAgent;
    netscape->SetParent(store.RootElement());
    netscape->SetName("Netscape");
    store.tree().addTopLevel("Netscape", netscape);
    TElement* shared = new TElement(store);
    shared->SetHasExt(true);
    shared->Kind = kindAgent;
    shared->SetParent(store.RootElement());
    shared->SetName("Favoris");
    shared->SetDirChilds(home.file("Favoris/Liens"));
    store.tree().addTopLevel("Favoris", shared);
    EXPECT_EQ(agent->GetImageIndex(), 0);
    EXPECT_EQ(netscape->GetImageIndex(), 1);
    EXPECT_EQ(shared->GetImageIndex(), 2);
    EXPECT_EQ(add(agent, kindFolder, "F")->GetImageIndex(), 3);

    TElement* error = add(agent, kindAddress, "E", "http://a/e");
    error->StatusNumber = 404;
    EXPECT_EQ(error->GetImageIndex(), 7);
    EXPECT_EQ(add(agent, kindAddress, "Ftp", "FTP://a/f")->GetImageIndex(), 12);
    TElement* info = add(agent, kindAddress, "I", "http://a/i");
    info->DownLoadType = 1;
    EXPECT_EQ(info->GetImageIndex(), 11);
    EXPECT_EQ(add(agent, kindAddress, "N", "http://a/n")->GetImageIndex(), 5);

    TElement* html = add(agent, kindAddress, "H", "http://a/h", "text/html");
    store_(html, "<p>");
    TElement* gif = add(agent, kindAddress, "G", "http://a/g", "image/gif");
    store_(gif, "GIF89a");
    TElement* html2 = add(agent, kindAddress, "H2", "http://a/h2", "text/html");
    store_(html2, "<p>");
    EXPECT_EQ(html->GetImageIndex(), 14);
    EXPECT_EQ(gif->GetImageIndex(), 15);
    EXPECT_EQ(html2->GetImageIndex(), 14);
    EXPECT_EQ(store.knownTypes().at(1).extension, ".gif");
    html->ImageIndex = -1;
    EXPECT_EQ(html->GetImageIndex(), 14); // kept once computed, same number again

    home.env().setDebug(true);
    TElement* missing = add(agent, kindAddress, "M", "http://a/m", "text/html");
    missing->LastModified = 45000;
    missing->LastVerified = 45000;
    EXPECT_EQ(missing->GetImageIndex(), 11);
    EXPECT_EQ(missing->LastVerified, 0); // fetched again at the next check
    EXPECT_TRUE(log().contains("Fichier introuvable : " + missing->GetSavePath().toUtf8()));
    EXPECT_TRUE(home.read("Fichier Introuvables.txt").contains(missing->GetSavePath().toUtf8()));
}

TEST_F(ElementModelTest, SiblingAndImageNamesAreMadeUnique)
{
    TElement* a = add(agent, kindAddress, "Page", "http://a/1");
    add(agent, kindAddress, "Page~1", "http://a/2");
    TElement* c = add(agent, kindAddress, "Other", "http://a/3");
    c->SetName("page");
    EXPECT_EQ(c->GetName(), "page~2");
    EXPECT_EQ(UniqueSiblingName("PAGE ", c->Node(), agent->Node()), "PAGE~2 ");
    EXPECT_EQ(UniqueSiblingName("Page", a->Node(), agent->Node()), "Page");

    TElement* page = add(agent, kindAddress, "P", "http://a/p");
    add(page, kindImage, "logo.gif", "http://a/logo.gif");
    add(page, kindImage, "logo~.gif", "http://a/x/logo.gif");
    EXPECT_EQ(NoDuplicateImgName("Logo.gif", *page), "Logo~~.gif");
    EXPECT_EQ(NoDuplicateImgName("my%20logo.gif", *page), "my logo.gif");
    page->BuildImageNodes();
    // A page beside images cannot take an image's name either.
    EXPECT_EQ(UniqueSiblingName("logo.gif", nullptr, page->Node()), "logo.gif~1");

    home.env().setDebug(true);
    EXPECT_EQ(NoDuplicateImgName("", *page), "");
    EXPECT_TRUE(log().contains("Name vide dans NoDuplicateImgName"));
}

TEST_F(ElementModelTest, AgentNamesAreUniqueAmongTopLevelNodes)
{
    TElement* other = new TElement(store);
    other->SetHasExt(true);
    other->Kind = kindAgent;
    other->SetParent(store.RootElement());
    other->SetName("Autre");
    store.tree().addTopLevel("Autre", other);
    other->SetName("Veille");
    EXPECT_EQ(other->GetName(), "Veille~");
    EXPECT_TRUE(log().isEmpty());
    EXPECT_TRUE(home.env().errorLogged()); // not in the list of open agents
}

TEST_F(ElementModelTest, DestroyingAnElementTellsTheHostAndLeavesTheList)
{
    RecordingHost host;
    store.setHost(&host);
    const int before = store.ElementsWithExt().count();
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    TElement* image = add(a, kindImage, "i.gif", "http://a/i.gif");
    EXPECT_EQ(store.ElementsWithExt().count(), before + 1);
    EXPECT_EQ(store.ElementsWithExt().last(), a);
    a->Node()->deleteNode();
    EXPECT_EQ(store.ElementsWithExt().count(), before);
    EXPECT_EQ(host.destroyed.size(), 2u);
    EXPECT_NE(std::find(host.destroyed.begin(), host.destroyed.end(), image), host.destroyed.end());
    EXPECT_FALSE(home.env().errorLogged());
    store.setHost(nullptr);
}

TEST_F(ElementModelTest, CopyFromTakesSettingsWithTheirFlags)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    a->Versions = 3;
    a->Frequency = 3.07;
    a->SetActive(false);
    a->SetDownLoadLinksDepth(2);
    a->SetDownLoadLinksStart("http://a/");
    a->SetIncludeMask("*.htm");
    TElement copy(store);
    copy.SetHasExt(true);
    copy.CopyFrom(*a);
    EXPECT_EQ(copy.GetName(), "A");
    EXPECT_EQ(copy.GetURL(), "http://a/");
    EXPECT_EQ(copy.Versions, 3);
    EXPECT_DOUBLE_EQ(copy.Frequency, 3.07);
    EXPECT_FALSE(copy.Active);
    EXPECT_TRUE(copy.ActiveDefined);
    EXPECT_EQ(copy.Ext()->DownLoadLinksDepth, 2);
    EXPECT_TRUE(copy.Ext()->LinksStartDefined);
    EXPECT_TRUE(copy.Ext()->MasksDefined);
    EXPECT_EQ(copy.Ext()->IncludeMask, "*.htm");
    EXPECT_FALSE(copy.Ext()->DownLoadImagesDefined);
}

TEST_F(ElementModelTest, ServerInformationFromTheMessages)
{
    TElement* a = add(agent, kindAddress, "A", "http://a/");
    a->Messages = QStringList {" -> GET / HTTP/1.0", " <- Server: Apache", " <- Set-Cookie: id=1",
                               " <- Server: other"};
    EXPECT_EQ(a->GetServerInfo(), "Server: Apache    Set-Cookie: id=1");
    EXPECT_TRUE(a->Messages.isEmpty());
    a->Messages = QStringList {" <- Set-Cookie: id=2"};
    EXPECT_EQ(a->GetServerInfo(), "Set-Cookie: id=2");
}

} // namespace

TEST_F(ElementModelTest, SiblingsKeepTheTreeOrderWhateverTheWayTheyCome)
{
    // Folders first, then the rest, each on character codes: as added one by one during a
    // cycle, as read back from disk, and after a rename.
    TElement* page = add(agent, kindAddress, "a", "http://a/");
    add(agent, kindFolder, "b");
    add(agent, kindFolder, "A");
    add(agent, kindAddress, "Zèbre", "http://z/");
    add(agent, kindAddress, "Zebre", "http://z2/");
    const auto texts = [](TElement* parent) {
        QStringList out;
        for (TreeNode* n = parent->Node()->firstChild(); n; n = n->nextSibling())
            out << n->text();
        return out;
    };
    EXPECT_EQ(texts(agent), QStringList({"A", "b", "Zebre", "Zèbre", "a"}));
    page->SetName("0 premier");
    EXPECT_EQ(texts(agent), QStringList({"A", "b", "0 premier", "Zebre", "Zèbre"}));

    add(page, kindPage, "suite", "http://a/s");
    add(page, kindImage, "logo.gif", "http://a/l.gif");
    page->BuildImageNodes();
    add(page, kindPage, "Avant", "http://a/v");
    EXPECT_EQ(texts(page), QStringList({"Images", "Avant", "suite"}));

    for (TreeNode* n = agent->Node()->firstChild(); n; n = n->nextSibling())
        n->element()->Save();
    home.mkdir("Veille/Favs/A");
    home.mkdir("Veille/Favs/b");
    store.tree().clear();
    SetUp(); // the agent anew, its children read from disk
    agent->LoadChildren(1);
    EXPECT_EQ(texts(agent), QStringList({"A", "b", "0 premier", "Zebre", "Zèbre"}));
}
