// `glanix-cli update` run as a user would, against the loopback server.
#include "tests/support/AgentBuilder.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestServer.h"

#include <gtest/gtest.h>

using namespace glanix::test;

TEST(CliUpdate, RunsOneCycleAndReportsEachDownload)
{
    TempHome home;
    TestServer server;
    const QDateTime modified = QDateTime::currentDateTime().addDays(-3);
    server.setDocument(
        "/index.html",
        {.body = "<html><img src=\"logo.gif\"><a href=\"a.html\">a</a></html>", .lastModified = modified});
    server.setDocument("/logo.gif", {.body = "GIF89a", .contentType = "image/gif", .lastModified = modified});
    server.setDocument("/a.html", {.body = "<html>a</html>", .lastModified = modified});
    AgentBuilder agent(home.path(), QStringLiteral("Veille"));
    agent.address({}, StoredDoc {.name = QStringLiteral("Site"), .url = server.url("/index.html")});
    agent.address({}, StoredDoc {.name = QStringLiteral("Absent"), .url = server.url("/absent.html")});
    agent.write("DL/GlanixDefault.ini", "[Glanix]\nFrequency=0\nDownLoadLinksDepth=2\n");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");

    const CliResult first = runCli({"--home", home.path(), "update"});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    const QStringList lines = first.out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(u"nouveau\t200 : OK\t"_qs + server.url("/index.html")))
        << first.out.toStdString();
    EXPECT_TRUE(lines.contains(u"nouveau\t200 : OK\t"_qs + server.url("/logo.gif")));
    EXPECT_TRUE(lines.contains(u"nouveau\t200 : OK\t"_qs + server.url("/a.html")));
    EXPECT_TRUE(lines.contains(u"erreur\t404 : Non trouvé\t"_qs + server.url("/absent.html")));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[lines.size() - 3], u"Vérifiés 4 - Nouveaux 3 - Modifiés 0"_qs);
    EXPECT_TRUE(lines[lines.size() - 2].startsWith(u"Total "_qs));
    EXPECT_TRUE(lines.last().startsWith(u"Durée "_qs));

    server.clearRequests();
    const CliResult second = runCli({"--home", home.path(), "update", "Veille"});
    ASSERT_EQ(second.code, 0);
    EXPECT_TRUE(second.out.contains(u"inchangé\t200 : OK\t"_qs + server.url("/index.html")));
    EXPECT_EQ(server.count("GET"), 0);
}

TEST(CliUpdate, BadUsage)
{
    TempHome home;
    EXPECT_EQ(runCli({"--home", home.path(), "update", "--depth"}).code, 2);
    const CliResult missing = runCli({"--home", home.path(), "update", "Inconnu"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_FALSE(missing.err.isEmpty());
    EXPECT_EQ(runCli({"--home", home.path(), "update"}).code, 2); // no agent open
}
