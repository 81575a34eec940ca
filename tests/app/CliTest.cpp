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
