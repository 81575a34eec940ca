// The desktop program itself, started as a user's session starts it and ended as a logout ends
// it (SIGTERM): what it must leave on disk.
#include "config/IniFile.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestServer.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

struct GlanixProcess : ::testing::Test {
    TempHome home;
    QTemporaryDir dataHome;
    QProcess process;

    void start(const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_DATA_HOME", dataHome.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(GLANIX_GUI), QStringList {"--home", home.path()} + arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Start-up is over once General/Starting is back to 0 with agents open.
    bool started() const
    {
        return QTest::qWaitFor(
            [this] {
                const IniFile ini(home.file("Glanix.ini"));
                return home.exists("Agent de Base.gnx") && ini.valueExists(u"General", u"Starting")
                    && ini.readString(u"General", u"Starting") == "0";
            },
            30000);
    }

    int terminate(int signal = SIGTERM)
    {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        EXPECT_TRUE(process.waitForFinished(30000));
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QString ini(const char* section, const char* key) const
    {
        return IniFile(home.file("Glanix.ini"))
            .readString(QString::fromLatin1(section), QString::fromLatin1(key));
    }
};

TEST_F(GlanixProcess, ALogoutClosesTheWindowTheNormalWay)
{
    home.write("Glanix.ini", "[General]\nConnectByModem=0\nSeeImages=0\n");
    home.write("History.dat", "https://lwn.net/\r\nLe Journal\r\n");
    start();
    ASSERT_TRUE(started()) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(home.exists(dataHome.path() + "/applications/glanix.desktop"));
    EXPECT_EQ(terminate(), 0);

    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Agent de Base");
    EXPECT_EQ(ini("General", "SeeImages"), "0");
    EXPECT_FALSE(ini("General", "Width").isEmpty());
    EXPECT_FALSE(ini("General", "Split").isEmpty());
    EXPECT_FALSE(ini("Toolbars", "State").isEmpty());
    EXPECT_EQ(home.read("History.dat"), "https://lwn.net/\r\nLe Journal\r\n");
}

TEST_F(GlanixProcess, CtrlCDuringTheConnectionMessageStillSaves)
{
    // Without NetworkManager the start-up shows its message; an interrupt dismisses it.
    home.write("Glanix.ini", "[General]\nConnectByModem=1\n");
    start();
    ASSERT_TRUE(started());
    EXPECT_EQ(terminate(SIGINT), 0);
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Agent de Base");
    EXPECT_EQ(ini("General", "Starting"), "0");
}

TEST_F(GlanixProcess, TheOpenWindowKeepsItsHomeToItself)
{
    home.write("Glanix.ini", "[General]\nConnectByModem=0\n");
    start();
    ASSERT_TRUE(started()) << process.readAllStandardError().toStdString();
    AgentBuilder veille(home.path(), "Veille");

    // A writing command is refused and told who holds the home.
    QProcess cli;
    cli.start(QStringLiteral(GLANIX_CLI), {"--home", home.path(), "add", "Veille", "lwn.net/"});
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 2);
    EXPECT_EQ(
        QString::fromUtf8(cli.readAllStandardError()),
        QStringLiteral("Glanix est déjà ouvert sur ce dossier (processus %1)\n").arg(process.processId()));
    EXPECT_TRUE(QDir(home.file("Veille/Favs")).entryList({"*.url"}, QDir::Files).isEmpty());

    // A second window on the same home hands its agent file to the first and ends.
    QProcess second;
    second.setProcessEnvironment(process.processEnvironment());
    second.start(QStringLiteral(GLANIX_GUI), {"--home", home.path(), home.file("Veille.gnx")});
    ASSERT_TRUE(second.waitForFinished(30000)) << "the second window stayed";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(process.state(), QProcess::Running);

    EXPECT_EQ(terminate(), 0);
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Agent de Base");
    EXPECT_EQ(ini("OpenedAgents", "Agent2"), "Veille");
}

TEST_F(GlanixProcess, StartRunsOneUnattendedCycleThatEndsByItself)
{
    TestServer server;
    server.setDocument("/page.html",
                       {.body = "<html><head><title>Page</title></head><body>Texte</body></html>"});
    AgentBuilder agent(home.path(), "Veille");
    agent.address({}, StoredDoc {.name = "Page", .url = server.url("/page.html"), .complete = false});
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n[General]\nConnectByModem=0\nKeepReady=1\n");
    start({"start"});
    // The run tells what it fetched, then its counters once the cycle is over.
    QByteArray out;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            out += process.readAllStandardOutput();
            return out.contains("Total ");
        },
        30000))
        << out.toStdString() << process.readAllStandardError().toStdString();
    EXPECT_TRUE(out.startsWith("nouveau\t")) << out.toStdString();
    EXPECT_TRUE(out.contains("Vérifiés 1 - Nouveaux 1 - Modifiés 0\n")) << out.toStdString();
    EXPECT_EQ(server.count("GET", "/page.html"), 1);
    EXPECT_EQ(terminate(), 0);
    // The run hung up when done; staying ready was put back as the user had it.
    EXPECT_EQ(ini("General", "HangUpWhenFinished"), "1");
    EXPECT_EQ(ini("General", "KeepReady"), "1");
    EXPECT_TRUE(home.exists("Veille/DL/page.htm"));
}

} // namespace
