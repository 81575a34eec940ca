#include "tests/support/AgentBuilder.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix::test;

TEST(Cli, UsageAndUnknownCommands)
{
    TempHome home;
    const CliResult none = runCli({"--home", home.path()});
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(none.err.contains("Usage"));
    const CliResult unknown = runCli({"--home", home.path(), "frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains("Commande inconnue : frobnicate"));
}

TEST(Cli, TreeListsAWholeAgent)
{
    TempHome home;
    glanix::test::AgentBuilder::sample(home.path());
    const CliResult byName = runCli({"--home", home.path(), "tree", "Veille"});
    EXPECT_EQ(byName.code, 0) << byName.err.toStdString();
    const QStringList lines = byName.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[3], "2\t3\tDictionnaire\t0\t0\tNon téléchargé\thttp://dico.example/");
    const CliResult byPath = runCli({"--home", home.path(), "tree", home.file("Veille.gnx")});
    EXPECT_EQ(byPath.out, byName.out);

    const CliResult missing = runCli({"--home", home.path(), "tree", "Absent"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.err, "Agent Absent.gnx introuvable\n");
    EXPECT_TRUE(missing.out.isEmpty());
    home.write("Cassé.gnx", "[Glanix]\nDirChilds=/nowhere/\n");
    const CliResult broken = runCli({"--home", home.path(), "tree", "Cassé"});
    EXPECT_EQ(broken.code, 2);
    EXPECT_TRUE(broken.err.contains("introuvable"));
    EXPECT_EQ(runCli({"--home", home.path(), "tree"}).code, 2);
}
