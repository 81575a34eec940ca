#include "config/Env.h"
#include "config/Home.h"
#include "tests/support/TempHome.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::TempHome;

TEST(Env, ErrorLogIsWrittenOnlyInDebugMode)
{
    TempHome home;
    QStringList shown;
    home.env().addErrorListener([&](const QString& m) { shown << m; });
    home.env().logError("Pb dans Reinit");
    EXPECT_TRUE(home.env().errorLogged());
    EXPECT_FALSE(home.exists("Erreurs.log"));
    EXPECT_TRUE(shown.isEmpty());

    TempHome debugHome;
    debugHome.write("Glanix.ini", "[Debug]\nDebug=7351\n");
    debugHome.env().addErrorListener([&](const QString& m) { shown << m; });
    debugHome.clock().set(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    debugHome.env().logError("Pb dans Reinit");
    const QString log = QString::fromUtf8(debugHome.read("Erreurs.log"));
    EXPECT_TRUE(log.endsWith("03:04:05 Pb dans Reinit\n")) << log.toStdString();
    EXPECT_EQ(shown, QStringList({"Pb dans Reinit"}));
}

TEST(Env, AnyOtherDebugValueIsOff)
{
    TempHome home;
    home.write("Glanix.ini", "[Debug]\nDebug=1\n");
    EXPECT_FALSE(home.env().isDebug());
}

TEST(Home, CommandLineThenPortableThenXdg)
{
    TempHome tmp;
    QStringList args {"--home", tmp.file("h1"), "tree", "A"};
    EXPECT_EQ(resolveHome(args, {}), tmp.file("h1/"));
    EXPECT_EQ(args, QStringList({"tree", "A"}));
    EXPECT_TRUE(QDir(tmp.file("h1")).exists());

    tmp.write("exe/Glanix.ini", "");
    QStringList none;
    EXPECT_EQ(resolveHome(none, tmp.file("exe")), tmp.file("exe/"));

    qputenv("XDG_DATA_HOME", tmp.file("xdg").toUtf8());
    EXPECT_EQ(resolveHome(none, tmp.file("noini")), tmp.file("xdg/glanix/"));
    qunsetenv("XDG_DATA_HOME");

    tmp.write("file", "x");
    QStringList bad {"--home=" + tmp.file("file")};
    QString error;
    EXPECT_TRUE(resolveHome(bad, {}, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}
