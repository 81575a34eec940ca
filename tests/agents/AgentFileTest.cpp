#include "agents/AgentFile.h"

#include "agents/TreeListing.h"
#include "config/IniFile.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/MainFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::AgentBuilder;
using glanix::test::StoredDoc;
using glanix::test::TempHome;

namespace {

struct AgentFileTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
};

TEST_F(AgentFileTest, NamesAndPathsOfAgentFiles)
{
    EXPECT_EQ(agentFilePath("/h/", "Veille"), "/h/Veille.gnx");
    EXPECT_EQ(agentFilePath("/h", "Veille.gnx"), "/h/Veille.gnx");
    EXPECT_EQ(agentFilePath("/h/", "/other/Revue.gnx"), "/other/Revue.gnx");
    EXPECT_EQ(agentName("/other/Revue.gnx"), "Revue");
}

TEST_F(AgentFileTest, OpeningBuildsTheAgentAndReadsTwoLevels)
{
    const AgentBuilder b = AgentBuilder::sample(home.path());
    // What a killed update was writing, on both sides: it goes when the agent opens.
    const QString strayDl = b.dl() + "Presse/.glanix-999999999-0000abcd.tmp";
    const QString strayFavs = b.favs() + ".glanix-999999999-0000abcd.tmp";
    home.write(strayDl.mid(home.path().size()), "half a page");
    home.write(strayFavs.mid(home.path().size()), "half an element file");
    TElement* agent = openAgent(store, b.agentFile());
    EXPECT_FALSE(QFileInfo::exists(strayDl));
    EXPECT_FALSE(QFileInfo::exists(strayFavs));
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(agent->Kind, kindAgent);
    EXPECT_EQ(agent->GetName(), "Veille");
    EXPECT_EQ(agent->Parent(), store.RootElement());
    EXPECT_EQ(agent->FavsDir(), b.favs());
    EXPECT_EQ(agent->DLDir(), b.dl());
    EXPECT_EQ(store.tree().topLevelCount(), 1);
    EXPECT_EQ(store.tree().topLevel(0), agent->Node());
    EXPECT_EQ(store.openAgents(), QStringList({b.agentFile()}));
    EXPECT_EQ(agent->GetLoadedDepth(), 2);
    // Presse (level 1, after the folder Outils) has its children; Régions (level 2) not yet.
    TreeNode* presse = agent->Node()->child(1);
    ASSERT_EQ(presse->text(), "Presse");
    EXPECT_EQ(presse->childCount(), 2);
    EXPECT_EQ(presse->child(0)->element()->GetLoadedDepth(), -1);
    EXPECT_EQ(openAgent(store, b.agentFile()), agent); // already open
    EXPECT_EQ(store.tree().topLevelCount(), 1);
}

TEST_F(AgentFileTest, TheWholeTreeAsLines)
{
    const AgentBuilder b = AgentBuilder::sample(home.path());
    const QStringList lines = listAgentTree(openAgent(store, b.agentFile()));
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[0], QString::fromUtf8("0\t1\tVeille\t0\t0\tNon téléchargé\t"));
    // Folders first, then the rest, on character codes.
    EXPECT_EQ(lines[1], QString::fromUtf8("1\t2\tOutils\t0\t0\tNon téléchargé\t"));
    EXPECT_EQ(
        lines[5],
        QString::fromUtf8("3\t3\tMétéo locale\t3\t404\t404 : Non trouvé\thttps://meteo.example/region/"));
    EXPECT_EQ(lines[6], "2\t3\tLe Journal\t1\t200\t200 : OK\thttp://journal.example/index.htm");
    EXPECT_EQ(lines[7], QString::fromUtf8("3\t6\tImages\t0\t0\tNon téléchargé\t"));
    EXPECT_EQ(lines[9], "4\t5\tlogo.gif\t0\t200\t200 : OK\thttp://journal.example/logo.gif");
    EXPECT_EQ(lines[10], "3\t4\tSuite\t2\t200\t200 : OK\thttp://journal.example/suite.htm");
    EXPECT_EQ(lines[11], QString::fromUtf8("1\t3\tCafé du coin\t0\t0\tNon téléchargé\thttp://cafe.example/"));
}

TEST_F(AgentFileTest, PercentPlaceholdersInNamesAndAddressesArePrintedAsTheyStand)
{
    AgentBuilder b(home.path(), "Veille %1");
    b.folder("Dossier %9");
    StoredDoc doc {.name = "Page %1%2%3", .url = "http://h.example/%4%5?q=%6", .content = "<p>x</p>"};
    doc.images = {{.name = "a%2fb.gif", .url = "http://h.example/a%2fb%7.gif", .content = "GIF89a"}};
    b.address("Dossier %9", doc);
    const QStringList lines = listAgentTree(openAgent(store, b.agentFile()));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QString::fromUtf8("0\t1\tVeille %1\t0\t0\tNon téléchargé\t"));
    EXPECT_EQ(lines[1], QString::fromUtf8("1\t2\tDossier %9\t0\t0\tNon téléchargé\t"));
    EXPECT_EQ(lines[2], "2\t3\tPage %1%2%3\t0\t200\t200 : OK\thttp://h.example/%4%5?q=%6");
    EXPECT_EQ(lines[4], "4\t5\ta%2fb.gif\t0\t200\t200 : OK\thttp://h.example/a%2fb%7.gif");
}

TEST_F(AgentFileTest, FoldersOfTheAgentFile)
{
    home.mkdir("A/Favs");
    home.mkdir("A/DL");
    home.mkdir("Favoris");
    AgentFolders f;
    QString error;
    home.write("win.gnx",
               ("[Glanix]\r\nDirChilds=" + home.file("A\\Favs\\") + "\r\nSaveFileName=" + home.file("A/DL"))
                   .toUtf8());
    ASSERT_TRUE(readAgentFolders(home.file("win.gnx"), {}, f, &error)) << error.toStdString();
    EXPECT_EQ(f.favs, home.file("A/Favs/"));
    EXPECT_EQ(f.dl, home.file("A/DL/"));

    home.write("fav.gnx", ("[Glanix]\nDirChilds=Favorites\\\nSaveFileName=" + home.file("A/DL/")).toUtf8());
    ASSERT_TRUE(readAgentFolders(home.file("fav.gnx"), home.file("Favoris/"), f, &error));
    EXPECT_EQ(f.favs, home.file("Favoris/"));
    EXPECT_FALSE(readAgentFolders(home.file("fav.gnx"), {}, f, &error)); // no favourites folder here
    EXPECT_EQ(error, QString::fromUtf8("Le sous-répertoire \"Favs\" de l'agent fav.gnx est introuvable."));

    home.write(
        "same.gnx",
        ("[Glanix]\nDirChilds=" + home.file("A/DL") + "\nSaveFileName=" + home.file("A/DL/")).toUtf8());
    EXPECT_FALSE(readAgentFolders(home.file("same.gnx"), {}, f, &error));
    EXPECT_TRUE(error.startsWith("Les 2 répertoires"));

    home.write("nodl.gnx", ("[Glanix]\nDirChilds=" + home.file("A/Favs")).toUtf8());
    EXPECT_FALSE(readAgentFolders(home.file("nodl.gnx"), {}, f, &error));
    EXPECT_EQ(error, QString::fromUtf8("Le sous-répertoire \"DL\" de l'agent nodl.gnx est introuvable."));

    EXPECT_EQ(openAgent(store, home.file("missing.gnx"), {}, &error), nullptr);
    EXPECT_EQ(error, "Agent missing.gnx introuvable");
    EXPECT_EQ(store.tree().topLevelCount(), 0);
    EXPECT_TRUE(store.openAgents().isEmpty());
}

} // namespace

namespace {

using glanix::test::ScriptedFolders;
using glanix::test::ScriptedPrompt;

struct FolderCheckTest : AgentFileTest {
    ScriptedPrompt prompt;
    ScriptedFolders folders;

    AgentDialogs dialogs() { return AgentDialogs {&prompt, &folders, {}}; }

    QString key(const QString& file, const char* name)
    {
        return IniFile(home.file(file)).readString(u"Glanix", QString::fromLatin1(name));
    }
};

TEST_F(FolderCheckTest, AMissingFolderIsFoundBesideTheOtherAndKept)
{
    home.mkdir("A/Favs");
    home.mkdir("A/DL");
    home.write("a.gnx", ("[Glanix]\nSaveFileName=" + home.file("A/DL/")).toUtf8());
    ASSERT_TRUE(checkAgentFolders(home.file("a.gnx"), home.env(), {}, dialogs()));
    EXPECT_EQ(key("a.gnx", "DirChilds"), home.file("A/Favs/"));

    home.write("b.gnx", ("[Glanix]\nDirChilds=" + home.file("A/Favs") + "\nSaveFileName=/gone/DL/").toUtf8());
    ASSERT_TRUE(checkAgentFolders(home.file("b.gnx"), home.env(), {}, dialogs()));
    EXPECT_EQ(key("b.gnx", "SaveFileName"), home.file("A/DL/"));

    // An older agent file names its download folder only in the shortcut folder's settings.
    home.write("A/Favs/GlanixDefault.ini", ("[Glanix]\nSaveFileName=" + home.file("A/DL")).toUtf8());
    home.write("c.gnx", ("[Glanix]\nDirChilds=" + home.file("A/Favs/")).toUtf8());
    EXPECT_EQ(agentDownloadFolder(home.file("c.gnx"), {}, home.env()), home.file("A/DL/"));
    EXPECT_EQ(key("c.gnx", "SaveFileName"), home.file("A/DL/"));
    EXPECT_TRUE(prompt.questions().empty());
}

TEST_F(FolderCheckTest, TheUserIsAskedWhereAFolderWentAndADownloadFolderMustBeNamedDL)
{
    home.mkdir("B/Raccourcis");
    home.mkdir("B/Stock/dl");
    home.mkdir("B/Stock/DL");
    home.write("b.gnx", "[Glanix]\nDirChilds=/gone/Favs/\nSaveFileName=/gone/DL/\n");

    // Favs: asked for, then DL: a folder called "dl" is refused, the agent stays closed.
    prompt.setNextAnswer(UserPrompt::Ok);
    folders.setNextFolder(home.file("B/Raccourcis"));
    prompt.setNextAnswer(UserPrompt::Ok);
    folders.setNextFolder(home.file("B/Stock/dl"));
    prompt.setNextAnswer(UserPrompt::Ok);
    EXPECT_EQ(openAgent(store, home.file("b.gnx"), dialogs()), nullptr);
    EXPECT_EQ(
        prompt.texts(),
        QStringList({"Le sous-répertoire \"Favs\" de l'agent b.gnx est introuvable.\r\rVeuillez indiquer "
                     "son chemin",
                     "Le sous-répertoire \"DL\" de l'agent b.gnx est introuvable.\r\rVeuillez indiquer son "
                     "chemin",
                     "Le chemin que vous avez indiqué\rne contient pas le répertoire \"DL\""}));
    EXPECT_EQ(folders.titles(),
              QStringList({"Indiquez l'emplacement du répertoire \"Favs\"\rde l'agent b.gnx",
                           "Indiquez l'emplacement du répertoire \"DL\"\r de l'agent b.gnx"}));
    EXPECT_EQ(key("b.gnx", "DirChilds"), home.file("B/Raccourcis/")); // kept for next time
    EXPECT_EQ(store.tree().topLevelCount(), 0);

    // Next time only DL is asked for; "DL" itself is taken.
    prompt.clear();
    prompt.setNextAnswer(UserPrompt::Ok);
    folders.setNextFolder(home.file("B/Stock/DL/"));
    TElement* agent = openAgent(store, home.file("b.gnx"), dialogs());
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(agent->DLDir(), home.file("B/Stock/DL/"));
    EXPECT_EQ(key("b.gnx", "SaveFileName"), home.file("B/Stock/DL/"));

    // Cancelling the dialog leaves the agent closed and the file as it was.
    home.write("c.gnx", "[Glanix]\nDirChilds=/gone/Favs/\nSaveFileName=/gone/DL/\n");
    prompt.setNextAnswer(UserPrompt::Ok);
    folders.setNextFolder(QString());
    EXPECT_EQ(openAgent(store, home.file("c.gnx"), dialogs()), nullptr);
    EXPECT_EQ(key("c.gnx", "DirChilds"), "/gone/Favs/");
}

TEST_F(FolderCheckTest, IdenticalFoldersAreRefusedAndForgotten)
{
    home.mkdir("C/Tout");
    home.write(
        "c.gnx",
        ("[Glanix]\nDirChilds=" + home.file("C/Tout") + "\nSaveFileName=" + home.file("C/Tout/")).toUtf8());
    prompt.setNextAnswer(UserPrompt::Ok);
    EXPECT_EQ(openAgent(store, home.file("c.gnx"), dialogs()), nullptr);
    EXPECT_EQ(prompt.texts().last(),
              "Les 2 répertoires \"Favs\" et \"DL\" correspondant à un agent\rne peuvent être identiques");
    EXPECT_EQ(key("c.gnx", "DirChilds"), "");
    EXPECT_EQ(key("c.gnx", "SaveFileName"), "");
}

TEST_F(FolderCheckTest, TheFavouritesAgentAndAMissingFileWithoutQuestions)
{
    home.mkdir("Favoris");
    home.mkdir("F/DL");
    store.setFavoritesFolder(home.file("Favoris"));
    home.write("f.gnx", ("[Glanix]\nDirChilds=FAVORITES\\\nSaveFileName=" + home.file("F/DL/")).toUtf8());
    TElement* agent = openAgent(store, home.file("f.gnx"), dialogs());
    ASSERT_NE(agent, nullptr);
    EXPECT_EQ(agent->FavsDir(), home.file("Favoris/"));
    EXPECT_EQ(key("f.gnx", "DirChilds"), "FAVORITES\\"); // the file keeps naming the favourites

    // A missing agent file opens nothing and asks nothing; asking its folders tells.
    EXPECT_EQ(openAgent(store, home.file("absent.gnx"), dialogs()), nullptr);
    EXPECT_TRUE(prompt.texts().isEmpty());
    prompt.setNextAnswer(UserPrompt::Ok);
    EXPECT_EQ(agentChildsFolder(home.file("absent.gnx"), {}, &prompt), "");
    EXPECT_EQ(prompt.texts(), QStringList({"Agent absent.gnx introuvable"}));
}

} // namespace
