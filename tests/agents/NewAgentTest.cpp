#include "agents/NewAgent.h"

#include "agents/AgentFile.h"
#include "agents/DefaultAgents.h"
#include "agents/NetscapeAgent.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "store/ElementStore.h"
#include "store/FileOps.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

// Records what the store selects.
struct SelectingHost : StoreHost {
    TreeNode* selected = nullptr;

    TreeNode* selectedNode() const override { return selected; }

    void selectNode(TreeNode* node) override { selected = node; }
};

struct NewAgentTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    SelectingHost host;
    ScriptedPrompt prompt;

    NewAgentTest() { store.setHost(&host); }

    ~NewAgentTest() override { store.setHost(nullptr); }

    QString ini(const QString& file, const char* section, const char* key)
    {
        return IniFile(home.file(file)).readString(QString::fromLatin1(section), QString::fromLatin1(key));
    }
};

TEST_F(NewAgentTest, ProposedNamesAndFoldersSkipWhatIsTaken)
{
    EXPECT_EQ(proposeAgentName(home.path()), "Agent 1");
    home.write("Agent 1.gnx", "");
    EXPECT_EQ(proposeAgentName(home.path()), "Agent 2");
    EXPECT_EQ(proposeAgentFolder(home.path(), "Agent 2"), home.path() + "Agent 2");
    home.mkdir("Agent 2");
    home.mkdir("Agent 21");
    EXPECT_EQ(proposeAgentFolder(home.path(), "Agent 2"), home.path() + "Agent 22");

    EXPECT_EQ(agentNameError(home.path(), "Agent 1"), "Un agent portant ce nom existe déjà");
    EXPECT_EQ(agentNameError(home.path(), " Agent 3 "), "");
    EXPECT_FALSE(agentNameError(home.path(), "  ").isEmpty());
    // The name is a file of the home: nothing that would put it elsewhere.
    for (const char* bad : {"../Ailleurs", "a/b", "..", ".cache", "a\\b"})
        EXPECT_EQ(agentNameError(home.path(), bad), "Ce nom ne peut pas servir de nom de fichier") << bad;
}

TEST_F(NewAgentTest, TheFolderPageWarnsRefusesAndAsks)
{
    QString folder = "Nouveau/";
    EXPECT_TRUE(acceptAgentFolder(folder, home.path(), prompt));
    EXPECT_EQ(folder, home.path() + "Nouveau"); // in the home, without the trailing "/"

    home.mkdir("Plein/docs");
    folder = home.path() + "Plein";
    prompt.setNextAnswer(UserPrompt::Ok);
    EXPECT_TRUE(acceptAgentFolder(folder, home.path(), prompt));
    EXPECT_EQ(prompt.texts().last(), "Attention ce répertoire existe déjà");

    const AgentBuilder veille(home.path(), "Veille");
    home.write("Veille/DL/GlanixDefault.ini", "[Glanix]\n");
    home.mkdir("Veille/DL/Presse/DL");
    folder = home.path() + "Veille/DL/Presse";
    prompt.setNextAnswer(UserPrompt::Ok);
    EXPECT_FALSE(acceptAgentFolder(folder, home.path(), prompt));
    EXPECT_TRUE(prompt.texts().last().startsWith("Ce répertoire est déjà un sous-répertoire"));

    folder = home.path() + "Veille";
    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_FALSE(acceptAgentFolder(folder, home.path(), prompt));
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_TRUE(acceptAgentFolder(folder, home.path(), prompt));

    folder = "";
    prompt.setNextAnswer(UserPrompt::Ok);
    EXPECT_FALSE(acceptAgentFolder(folder, home.path(), prompt));
    EXPECT_TRUE(prompt.allAnswered());
}

TEST_F(NewAgentTest, AnAgentOnOneAddressIsWrittenOpenAndSelected)
{
    NewAgentChoice c;
    c.start = AgentStart::Address;
    c.name = "Veille";
    c.folder = home.path() + "Stock";
    c.address = "https://lwn.net/Articles/";
    c.depth = 1;
    c.sameServer = true;
    c.includeMask = "*.htm* ";
    c.frequency = -1;
    TElement* agent = createAgent(store, c, nullptr);
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(ini("Veille.gnx", "Glanix", "DirChilds"), home.path() + "Stock/Favs/");
    EXPECT_EQ(ini("Veille.gnx", "Glanix", "SaveFileName"), home.path() + "Stock/DL/");
    EXPECT_EQ(ini("Stock/DL/GlanixDefault.ini", "Glanix", "Frequency"), "-1");
    EXPECT_EQ(store.openAgents(), QStringList({home.file("Veille.gnx")}));

    ASSERT_NE(host.selected, nullptr);
    TElement* site = host.selected->element();
    EXPECT_EQ(site->GetName(), "Nouveau site "); // provisional until the page's title is known
    EXPECT_EQ(site->Kind, kindAddress);
    EXPECT_EQ(ini("Stock/Favs/Nouveau site .url", "InternetShortcut", "URL"), "https://lwn.net/Articles/");
    EXPECT_EQ(ini("Stock/Favs/Nouveau site .url", "Glanix", "DownLoadLinksDepth"), "1");
    EXPECT_EQ(ini("Stock/Favs/Nouveau site .url", "Glanix", "DownLoadLinksStart"), "https://lwn.net");
    EXPECT_EQ(ini("Stock/Favs/Nouveau site .url", "Glanix", "IncludeMask"), "*.htm*");

    // Closed and opened again, it reads back without a question.
    store.closeAll();
    TElement* again = openAgent(store, home.file("Veille.gnx"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Node()->childCount(), 1);
}

TEST_F(NewAgentTest, AnEmptyAgentAndOneOnTheFavourites)
{
    NewAgentChoice empty;
    empty.start = AgentStart::Folder;
    empty.name = "Vide";
    empty.folder = home.path() + "Vide";
    ASSERT_NE(createAgent(store, empty, nullptr), nullptr);
    EXPECT_TRUE(QFileInfo(home.file("Vide/Favs")).isDir()); // opens again without asking
    EXPECT_EQ(host.selected->text(), "Vide");

    home.mkdir("Favoris/Presse");
    NewAgentChoice fav;
    fav.start = AgentStart::Favorites;
    fav.name = "Favoris";
    fav.folder = home.path() + "Fav";
    fav.favoritesFolder = home.path() + "Favoris/Presse";
    TElement* agent = createAgent(store, fav, nullptr);
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(agent->FavsDir(), home.path() + "Favoris/Presse/");
    EXPECT_EQ(agent->DLDir(), home.path() + "Fav/DL/");
}

TEST_F(NewAgentTest, TheNetscapeAgentFollowsItsBookmarkFile)
{
    Settings settings(home.env());
    const QString bookmarks
        = home.write("bookmarks.html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n");
    SetFileDate(bookmarks, 46000.5);
    NewAgentChoice c;
    c.start = AgentStart::Netscape;
    c.name = "Netscape";
    c.folder = home.path() + "Netscape";
    c.bookmarkFile = bookmarks;
    TElement* agent = createAgent(store, c, &settings);
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(IniFile(home.env().iniFileName()).readString(u"General", u"BookMarkFileName"), bookmarks);
    EXPECT_EQ(settings.Opt().BookMarkFileName, bookmarks);
    TElement* mark = agent->Node()->firstChild()->element();
    EXPECT_EQ(mark->GetName(), "BookMark");
    EXPECT_EQ(home.read("Netscape/DL/BookMark.htm"), home.read("bookmarks.html"));
    EXPECT_EQ(mark->State, stateUnread);
    EXPECT_DOUBLE_EQ(mark->LastModified, 46000.5);

    // Opened again: the copy on disk is the bookmark element, not a second one beside it.
    mark->SetState(stateRead);
    mark->Save();
    store.closeAll();
    SetFileDate(bookmarks, 46000.5 + 0.5 / 1440); // within the minute: not newer
    agent = openAgent(store, home.file("Netscape.gnx"), AgentDialogs {nullptr, nullptr, bookmarks});
    ASSERT_NE(agent, nullptr);
    ASSERT_EQ(agent->Node()->childCount(), 1);
    EXPECT_EQ(agent->Node()->firstChild()->element()->State, stateRead);

    home.write("bookmarks.html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><DT>Nouveau</DL>\n");
    SetFileDate(bookmarks, 46001);
    refreshNetscapeAgent(*agent, bookmarks);
    EXPECT_EQ(agent->Node()->firstChild()->element()->State, stateUnread);
    EXPECT_EQ(home.read("Netscape/DL/BookMark.htm"), home.read("bookmarks.html"));
}

TEST_F(NewAgentTest, AddressesGetUniqueNamesAndTheirParentsOptions)
{
    const AgentBuilder b = AgentBuilder::sample(home.path());
    TElement* agent = openAgent(store, b.agentFile());
    ASSERT_NE(agent, nullptr);
    TElement* presse = elementAtPath(*agent, "Presse");
    ASSERT_NE(presse, nullptr);
    presse->SetDownLoadLinksDepth(3);

    NewAddress wanted;
    wanted.url = "lwn.net";
    wanted.name = "Le Journal"; // taken: a second file must not replace the first
    TElement* e = addAddress(*presse, wanted);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetName(), "Le Journal~1");
    EXPECT_EQ(e->GetURL(), "http://lwn.net");
    EXPECT_EQ(e->GetDownLoadLinksDepth(), 3);
    EXPECT_EQ(home.read("Veille/Favs/Presse/Le Journal.url").contains("journal.example"), true);

    TElement* journal = elementAtPath(*agent, "Presse/Le Journal");
    ASSERT_NE(journal, nullptr);
    TElement* page = addAddress(*journal, NewAddress {"https://journal.example/autre.htm"});
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Kind, kindPage);
    EXPECT_EQ(page->GetName(), "Nouvelle adresse ");
    EXPECT_EQ(elementAtPath(*agent, "Presse/Absent"), nullptr);
}

TEST_F(NewAgentTest, DefaultFoldersAreInstalledOnceAndRenamedIntoPlace)
{
    installDefaultFolders(home.env());
    EXPECT_TRUE(QFileInfo(home.file("StartNew/Favs/Glanix")).isDir());
    EXPECT_TRUE(home.exists("Bonnes adressesNew/DL/GlanixDefault.ini"));
    EXPECT_TRUE(home.exists("Smart addressesNew/Favs/LWN.url"));
    // A user's own copy stays; a fresh one replaces a missing one.
    home.write("Start/Favs/Mien.url", "[InternetShortcut]\nURL=http://mien/\n");
    renameFreshDefaultFolders(home.path());
    EXPECT_FALSE(home.exists("StartNew"));
    EXPECT_TRUE(home.exists("Start/Favs/Mien.url"));
    EXPECT_FALSE(home.exists("Start/Favs/Glanix"));
    EXPECT_TRUE(home.exists("Bonnes adresses/Favs/Wikipédia.url"));
    EXPECT_FALSE(home.exists("Bonnes adressesNew"));
    // Once per version: nothing comes back after the user removed it.
    DeleteTree(home.file("Smart addresses"));
    installDefaultFolders(home.env());
    renameFreshDefaultFolders(home.path());
    EXPECT_FALSE(home.exists("Smart addresses"));
}

TEST_F(NewAgentTest, TheDefaultAgentsAndTheDesktopEntry)
{
    installDefaultFolders(home.env());
    renameFreshDefaultFolders(home.path());
    TElement* base = createDefaultAgents(store, {});
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(base->GetName(), "Agent de Base");
    EXPECT_EQ(ini("Agent de Base.gnx", "Glanix", "DirChilds"), home.path() + "Start/Favs/");
    EXPECT_EQ(ini("Bonnes adresses.gnx", "Glanix", "SaveFileName"), home.path() + "Bonnes adresses/DL/");
    EXPECT_TRUE(home.exists("Smart addresses.gnx"));
    EXPECT_EQ(store.tree().topLevelCount(), 1);
    ASSERT_NE(host.selected, nullptr);
    EXPECT_EQ(host.selected->text(), "Glanix");

    const QString apps = home.path() + "share/applications";
    ASSERT_TRUE(
        writeDesktopEntry(apps, {"/opt/Mes programmes/glanix", "--home", "/home/u/100%"}, home.env()));
    const QString entry = QString::fromUtf8(home.read(apps + "/glanix.desktop"));
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Mes programmes/glanix\" --home /home/u/100%% %f\n"));
    EXPECT_TRUE(entry.contains("\nName=Glanix\n"));
}

} // namespace
