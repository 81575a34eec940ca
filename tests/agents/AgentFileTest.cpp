#include "agents/AgentFile.h"

#include "agents/TreeListing.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::AgentBuilder;
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
    TElement* agent = openAgent(store, b.agentFile());
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
    // Presse (level 1) has its children; Le Journal (level 2) not yet.
    TreeNode* presse = agent->Node()->child(2);
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
    EXPECT_EQ(lines[1], QString::fromUtf8("1\t3\tCafé du coin\t0\t0\tNon téléchargé\thttp://cafe.example/"));
    EXPECT_EQ(lines[5], "2\t3\tLe Journal\t1\t200\t200 : OK\thttp://journal.example/index.htm");
    EXPECT_EQ(lines[6], QString::fromUtf8("3\t6\tImages\t0\t0\tNon téléchargé\t"));
    EXPECT_EQ(lines[7], "4\t5\tlogo.gif\t0\t200\t200 : OK\thttp://journal.example/logo.gif");
    EXPECT_EQ(lines[9], "3\t4\tSuite\t2\t200\t200 : OK\thttp://journal.example/suite.htm");
    EXPECT_EQ(
        lines[11],
        QString::fromUtf8("3\t3\tMétéo locale\t3\t404\t404 : Non trouvé\thttps://meteo.example/region/"));
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

    EXPECT_EQ(openAgent(store, home.file("missing.gnx"), &error), nullptr);
    EXPECT_EQ(error, "Agent missing.gnx introuvable");
    EXPECT_EQ(store.tree().topLevelCount(), 0);
    EXPECT_TRUE(store.openAgents().isEmpty());
}

} // namespace
