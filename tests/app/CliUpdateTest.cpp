// `glanix-cli update` run as a user would, against the loopback server.
#include "tests/support/AgentBuilder.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestServer.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using namespace glanix::test;

namespace {

// glanix-cli in the C locale, where a careless "%.2f" would print a point.
QProcessEnvironment cLocale()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    return env;
}

// An agent "Veille" holding these addresses, every one due.
void agentWith(TempHome& home, const std::vector<StoredDoc>& docs)
{
    AgentBuilder agent(home.path(), QStringLiteral("Veille"));
    for (const StoredDoc& d : docs)
        agent.address({}, d);
    agent.write("DL/GlanixDefault.ini", "[Glanix]\nFrequency=0\n");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

} // namespace

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
    // French numbers whatever the locale: a decimal comma, and tenths below 10 Ko.
    EXPECT_TRUE(QRegularExpression(u"^Total [0-9],[0-9] Ko$"_qs).match(lines[lines.size() - 2]).hasMatch())
        << lines[lines.size() - 2].toStdString();
    EXPECT_TRUE(QRegularExpression(u"^Durée [0-9]+,[0-9]{2} s$"_qs).match(lines.last()).hasMatch())
        << lines.last().toStdString();

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

TEST(CliUpdate, NumbersAreFrenchAndAddressesLoseTheirCredentials)
{
    TempHome home;
    TestServer server;
    server.setDocument(
        "/p.html", {.body = QByteArray(600, 'p'), .lastModified = QDateTime::currentDateTime().addDays(-1)});
    const QString withCredentials = server.url("/p.html").replace(u"://"_qs, u"://jean:secret@"_qs);
    agentWith(home, {StoredDoc {.name = QStringLiteral("Privé"), .url = withCredentials}});

    QProcess p;
    p.setProcessEnvironment(cLocale());
    p.start(QStringLiteral(GLANIX_CLI), {"--home", home.path(), "update"});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    EXPECT_FALSE(out.contains(u"secret"_qs)) << out.toStdString();
    const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(u"nouveau\t200 : OK\t"_qs + server.url("/p.html"))) << out.toStdString();
    // 600 bytes of body, nothing else counted (the HEAD has none).
    EXPECT_TRUE(lines.contains(u"Total 0,6 Ko"_qs)) << out.toStdString();
}

TEST(CliUpdate, ASignalEndsTheRunWithItsLinesAndCounters)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        TempHome home;
        TestServer server;
        server.setDocument("/fast.html", {.body = "<html>vite</html>"});
        server.on("/stall", [](const RecordedRequest& r) {
            Reply reply = Reply::text(200, QByteArray(5000, 's'));
            if (r.method == "GET")
                reply.stallAfter = 300;
            return reply;
        });
        agentWith(home,
                  {StoredDoc {.name = QStringLiteral("Rapide"),
                              .url = server.url("/fast.html"),
                              .saveFileName = QStringLiteral("rapide.htm")},
                   StoredDoc {.name = QStringLiteral("Muet"), .url = server.url("/stall")}});

        QProcess p;
        p.setProcessEnvironment(cLocale());
        p.start(QStringLiteral(GLANIX_CLI), {"--home", home.path(), "update"});
        ASSERT_TRUE(p.waitForStarted());
        // The quick page is stored (and so reported) and the other one hangs.
        ASSERT_TRUE(waitUntil([&] {
            return server.count("GET", "/stall") == 1 && home.exists(QStringLiteral("Veille/DL/rapide.htm"));
        }));
        ::kill(static_cast<pid_t>(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 128 + signal);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_TRUE(lines.contains(u"nouveau\t200 : OK\t"_qs + server.url("/fast.html")))
            << out.toStdString();
        // The quick one may or may not have been counted when the signal came.
        EXPECT_EQ(lines.filter(QRegularExpression(u"^Vérifiés [01] - Nouveaux [01] - Modifiés 0$"_qs)).size(),
                  1)
            << out.toStdString();
        EXPECT_TRUE(!lines.isEmpty() && lines.last().startsWith(u"Durée "_qs));
    }
}
