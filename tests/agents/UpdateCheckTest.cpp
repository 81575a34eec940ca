// The weekly update check against a loopback server, and what the caption makes of it.
#include "agents/TThreadVersion.h"
#include "agents/UpdateNotice.h"
#include "config/IniFile.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestServer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

struct UpdateCheckTest : ::testing::Test {
    TempHome home;
    TestServer server;

    UpdateCheckTest()
    {
        home.env().setDebug(true);
        server.setDocument("/glanix.ini", {.body = "[Glanix]\r\nLastVersion=Glanix/3.10\r\n"});
    }

    void configure(const QString& extra = {})
    {
        home.write("Glanix.ini", ("[CheckUpDate]\nURL=" + server.url("/glanix.ini") + "\n" + extra).toUtf8());
    }

    // One run: the check starts when downloading begins; true once it recorded an outcome.
    bool run(bool* ok = nullptr)
    {
        UpdateCheck check(home.env());
        QSignalSpy finished(&check, &UpdateCheck::finished);
        check.start(QString());
        if (!check.running())
            return false;
        if (!finished.wait(10000))
            return false;
        if (ok)
            *ok = finished.first().first().toBool();
        // At most once per run.
        check.start(QString());
        EXPECT_FALSE(check.running());
        return true;
    }

    QString ini(const char* key) const
    {
        return IniFile(home.file("Glanix.ini")).readString(u"CheckUpDate", QString::fromLatin1(key));
    }

    TDateTime toDo() const
    {
        return IniFile(home.file("Glanix.ini")).readDateTime(u"CheckUpDate", u"ToDo", 0);
    }

    QString log() const { return QString::fromUtf8(home.read("Erreurs.log")); }
};

TEST_F(UpdateCheckTest, ANewerVersionIsRecordedAndAnnouncedAtTheNextStart)
{
    configure("DownloadPage=https://glanix.example/telecharger\n");
    EXPECT_EQ(startupCaption(home.env()), "Glanix 3.0");
    bool ok = false;
    ASSERT_TRUE(run(&ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ(ini("LastVersion"), "Glanix/3.10");
    EXPECT_NEAR(toDo(), home.env().now() + 7, 1e-6);
    EXPECT_FALSE(home.exists("glanix_news.ini"));
    EXPECT_TRUE(log().contains("Http.Action = Ok"));
    EXPECT_TRUE(QString::fromUtf8(home.read("IsMaj.txt")).contains(" Http.Action Ok"));
    EXPECT_TRUE(
        QString::fromUtf8(home.read("HttpAction.txt")).contains("Http.Action effectué (fichier ini accédé)"));
    // 3.10 is newer than 3.0, although it sorts before it as text.
    EXPECT_EQ(startupCaption(home.env()),
              "Une nouvelle version existe (Glanix/3.10) : https://glanix.example/telecharger");

    const RecordedRequest get = server.lastRequest();
    EXPECT_EQ(get.method, "GET");
    EXPECT_EQ(get.header("Pragma"), "no-cache");
    EXPECT_EQ(get.header("User-Agent"), "Glanix/3.0");
}

TEST_F(UpdateCheckTest, TheCheckRunsAtMostOnceAWeek)
{
    configure();
    ASSERT_TRUE(run());
    server.clearRequests();
    home.clock().advanceDays(6.9);
    EXPECT_FALSE(run());
    EXPECT_EQ(server.requests().size(), 0);
    home.clock().advanceDays(0.2);
    EXPECT_TRUE(run());
    EXPECT_NEAR(toDo(), home.env().now() + 7, 1e-6);
}

TEST_F(UpdateCheckTest, AnOverdueCheckIsNextDueAWeekAfterItRan)
{
    configure();
    ASSERT_TRUE(run());
    home.clock().advanceDays(60);
    ASSERT_TRUE(run());
    EXPECT_NEAR(toDo(), home.env().now() + 7, 1e-6);
    home.clock().advanceDays(1);
    EXPECT_FALSE(run());
}

TEST_F(UpdateCheckTest, AMissingFileLeavesTheDateSoTheNextRunTriesAgain)
{
    server.removeDocument("/glanix.ini");
    configure("ToDo=1\n");
    bool ok = true;
    ASSERT_TRUE(run(&ok));
    EXPECT_FALSE(ok);
    EXPECT_TRUE(log().contains("Http.Action = pas Ok"));
    EXPECT_EQ(ini("ToDo"), "1");
    EXPECT_EQ(ini("LastVersion"), "");
    EXPECT_EQ(startupCaption(home.env()), "Glanix 3.0");
    EXPECT_TRUE(run());
}

TEST_F(UpdateCheckTest, AServerThatCannotBeReachedIsAnException)
{
    home.write("Glanix.ini", "[CheckUpDate]\nURL=http://127.0.0.1:1/glanix.ini\n");
    bool ok = true;
    ASSERT_TRUE(run(&ok));
    EXPECT_FALSE(ok);
    EXPECT_TRUE(log().contains("Except"));
    EXPECT_TRUE(QString::fromUtf8(home.read("IsMaj.txt")).contains(" Http.Action pas Ok (except)"));
}

TEST_F(UpdateCheckTest, ADateFarAheadOrUnreadableMeansNow)
{
    configure(QStringLiteral("ToDo=%1\n").arg(home.env().now() + 365));
    EXPECT_TRUE(run());
    configure("ToDo=demain\n");
    EXPECT_TRUE(run());
    configure(QStringLiteral("ToDo=%1\n").arg(home.env().now() + 3));
    EXPECT_FALSE(run());
}

TEST_F(UpdateCheckTest, WithoutAnAddressNothingIsAsked)
{
    home.write("Glanix.ini", "[CheckUpDate]\nURL=\n");
    EXPECT_FALSE(run());
    EXPECT_EQ(server.requests().size(), 0);
}

TEST_F(UpdateCheckTest, AVersionFileWithoutAVersionAnnouncesNothing)
{
    server.setDocument("/glanix.ini", {.body = "<html>Maintenance</html>"});
    configure();
    ASSERT_TRUE(run());
    EXPECT_EQ(ini("LastVersion"), "Glanix/3.0");
    EXPECT_EQ(startupCaption(home.env()), "Glanix 3.0");
}

TEST(UpdateNotice, VersionsCompareNumberByNumber)
{
    EXPECT_LT(compareVersions("Glanix/3.0", "Glanix/3.10"), 0);
    EXPECT_LT(compareVersions("Glanix/3.9", "Glanix/3.10"), 0);
    EXPECT_LT(compareVersions("Glanix/3.0", "Glanix/3.0.1"), 0);
    EXPECT_EQ(compareVersions("Glanix/3.0", "Glanix/3.0.0"), 0);
    EXPECT_GT(compareVersions("Glanix/3.0", "Glanix/2.9"), 0);
    // Not numbers: as texts, as they always were.
    EXPECT_LT(compareVersions("Glanix/3.0", "Glanix/3.0b"), 0);
}

} // namespace
