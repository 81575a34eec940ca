#include "config/Settings.h"

#include "config/IniFile.h"
#include "config/Numbers.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::TempHome;

namespace {

DisplayInfo display(QStringList fonts = {})
{
    return DisplayInfo {QRect(0, 0, 1920, 1080), [fonts](const QString& f) { return fonts.contains(f); }, {}};
}

struct SettingsTest : ::testing::Test {
    TempHome home;
    Settings settings {home.env()};

    QString ini(QStringView section, QStringView key) const
    {
        return IniFile(home.file("Glanix.ini")).readString(section, key, "<absent>");
    }
};

TEST_F(SettingsTest, FirstStartWithoutIniGivesEveryDefault)
{
    const MainWindowState state = settings.loadSettings(display());
    EXPECT_EQ(state.geometry, QRect(10, 40, 1900, 1000)); // centred, screen - 20 by screen - 80
    EXPECT_EQ(state.split, 1900 / 4);
    EXPECT_FALSE(state.maximized);
    EXPECT_TRUE(state.history.isEmpty());
    EXPECT_TRUE(state.openedAgents.isEmpty());
    EXPECT_TRUE(state.openedWindows.isEmpty());

    const TOptGene& o = settings.Opt();
    EXPECT_FALSE(o.Starting);
    EXPECT_EQ(o.NbMaxDownLoads, 20);
    EXPECT_EQ(o.TimeOut, 120);
    EXPECT_EQ(o.TimeOutByPage, 5);
    EXPECT_EQ(o.NbCharToCompare, 30);
    EXPECT_EQ(o.NbMiniCharDifferent, 15);
    EXPECT_EQ(o.MaxComparePeriod, 10);
    EXPECT_EQ(o.HighLightColor, 0xF000F0);
    EXPECT_EQ(o.DefFontColor, -2147483630);
    EXPECT_EQ(o.DefHotSpotColor, 16711680);
    EXPECT_EQ(o.DefPreFontName, "Courier New");
    EXPECT_DOUBLE_EQ(o.DoNotHangUpBefore * 1440, 3);
    EXPECT_DOUBLE_EQ(o.HangUpAfter, 0.125);
    EXPECT_TRUE(o.ConnectByModem);
    // A counter never started counts from now.
    EXPECT_DOUBLE_EQ(o.DateStartedFromZero, home.env().now());

    // Loading marks the start as under way; the end of start-up clears it.
    EXPECT_EQ(ini(u"General", u"Starting"), "1");
    settings.endStarting();
    EXPECT_EQ(ini(u"General", u"Starting"), "0");
}

TEST_F(SettingsTest, AStartThatNeverCompletedIsSeenByTheNextOne)
{
    settings.loadSettings(display());
    Settings next(home.env());
    next.loadSettings(display());
    EXPECT_TRUE(next.Opt().Starting);
}

TEST_F(SettingsTest, FloorsAndUnparsableValues)
{
    home.write("Glanix.ini",
               "[General]\nNbMaxDownLoads=0\nSplit=40\nTimeOut=abc\nHangUpAfter=1e\n"
               "HighLightColor=0x0000FF\nWidth=800\n");
    const MainWindowState state = settings.loadSettings(display());
    EXPECT_EQ(settings.Opt().NbMaxDownLoads, 1);
    EXPECT_EQ(state.split, 100);
    EXPECT_EQ(settings.Opt().TimeOut, 120);
    EXPECT_DOUBLE_EQ(settings.Opt().HangUpAfter, 0.125);
    EXPECT_EQ(settings.Opt().HighLightColor, 0xFF);
    // Left centres the width that was just read.
    EXPECT_EQ(state.geometry.x(), 960 - 400);
}

TEST_F(SettingsTest, NoDownloadsAtAllIsKeptInDebugMode)
{
    home.write("Glanix.ini", "[General]\nNbMaxDownLoads=0\n[Debug]\nDebug=7351\n");
    settings.loadSettings(display());
    EXPECT_EQ(settings.Opt().NbMaxDownLoads, 0);
}

TEST_F(SettingsTest, DefaultFontIsTheFirstInstalled)
{
    settings.loadSettings(display({"Arial", "Helvetica"}));
    EXPECT_EQ(settings.Opt().DefFontName, "Helvetica");

    Settings none(home.env());
    none.loadSettings(display());
    EXPECT_EQ(none.Opt().DefFontName, "Times New Roman");

    Settings desktop(home.env());
    DisplayInfo d = display();
    d.desktopFont = "Cantarell";
    desktop.loadSettings(d);
    EXPECT_EQ(desktop.Opt().DefFontName, "Cantarell");

    home.write("Glanix.ini", "[Html]\nDefFontName=Georgia\n");
    Settings chosen(home.env());
    chosen.loadSettings(display({"Verdana"}));
    EXPECT_EQ(chosen.Opt().DefFontName, "Georgia");
}

TEST_F(SettingsTest, MaximizedWindowKeepsItsPreviousGeometryAndUnknownKeysSurvive)
{
    home.write("Glanix.ini",
               "; hand note\n[General]\nLeft=5\nTop=6\nWidth=700\nHeight=500\nMystery=42\n"
               "[Glanix]\nVersions=3\n[Export]\nDepth=2\n[Somebody]\nx=y\n");
    MainWindowState state = settings.loadSettings(display());
    state.maximized = true;
    state.geometry = QRect(0, 0, 1920, 1080);
    settings.saveSettings(state, {});

    EXPECT_EQ(ini(u"General", u"Maximized"), "1");
    EXPECT_EQ(ini(u"General", u"Left"), "5");
    EXPECT_EQ(ini(u"General", u"Width"), "700");
    EXPECT_EQ(ini(u"General", u"Mystery"), "42");
    EXPECT_EQ(ini(u"Glanix", u"Versions"), "3");
    EXPECT_EQ(ini(u"Export", u"Depth"), "2");
    EXPECT_EQ(ini(u"Somebody", u"x"), "y");
    EXPECT_TRUE(home.read("Glanix.ini").startsWith("; hand note\n"));

    state.maximized = false;
    state.geometry = QRect(1, 2, 3, 4);
    settings.saveSettings(state, {});
    EXPECT_EQ(ini(u"General", u"Left"), "1");
    EXPECT_EQ(ini(u"General", u"Height"), "4");
}

TEST_F(SettingsTest, SaveWritesEveryRuntimeKeyButNotStartingNorBookmarks)
{
    settings.loadSettings(display());
    settings.endStarting();
    TOptGene& o = settings.Opt();
    o.Proxy = "proxy:3128";
    o.SeeImages = false;
    o.BookMarkFileName = "/tmp/bookmarks.html";
    o.TotalDownLoadedSinceBeginning = 123456789;
    MainWindowState state;
    state.geometry = QRect(1, 2, 300, 400);
    state.split = 150;
    settings.saveSettings(state, {});

    EXPECT_EQ(ini(u"General", u"Proxy"), "proxy:3128");
    EXPECT_EQ(ini(u"General", u"SeeImages"), "0");
    EXPECT_EQ(ini(u"General", u"TotalDownLoadedSinceBeginning"), "123456789");
    EXPECT_EQ(ini(u"General", u"Split"), "150");
    EXPECT_EQ(ini(u"General", u"Starting"), "0");
    EXPECT_EQ(ini(u"General", u"BookMarkFileName"), "<absent>");
    EXPECT_EQ(ini(u"Html", u"DefPreFontName"), "Courier New");

    // A hidden tree panel that reports no width keeps the one in the file.
    state.treePanelVisible = false;
    state.split = 0;
    settings.saveSettings(state, {});
    EXPECT_EQ(ini(u"General", u"Split"), "150");
}

TEST_F(SettingsTest, RealsWrittenUnderACommaLocaleReadUnderAPointLocale)
{
    settings.loadSettings(display());
    settings.Opt().HangUpAfter = 0.5;
    settings.Opt().TotalDownLoadedSinceBeginning = 1536.5;
    const QChar before = decimalSeparator();
    setDecimalSeparator(u',');
    settings.saveSettings({}, {});
    setDecimalSeparator(u'.');

    struct Restore {
        QChar sep;

        ~Restore() { setDecimalSeparator(sep); }
    } restore {before};

    EXPECT_EQ(ini(u"General", u"HangUpAfter"), "0,5");

    Settings again(home.env());
    again.loadSettings(display());
    EXPECT_DOUBLE_EQ(again.Opt().HangUpAfter, 0.5);
    EXPECT_DOUBLE_EQ(again.Opt().TotalDownLoadedSinceBeginning, 1536.5);
}

TEST_F(SettingsTest, OpenedAgentsAndWindowsRoundTrip)
{
    settings.loadSettings(display());
    MainWindowState state;
    state.openedAgents = {"Agent de Base", "Veille"};
    state.openedWindows = {{1, "Veille\\Presse\\Le Monde"}, {4, "Agent de Base"}};
    state.firstWindowMaximized = true;
    settings.saveSettings(state, "glanix");

    // The last window of the list is written first.
    EXPECT_EQ(ini(u"OpenedWindows", u"ShortCut0"), "Agent de Base");
    EXPECT_EQ(ini(u"OpenedWindows", u"WindowType1"), "1");
    EXPECT_EQ(ini(u"OpenedAgents", u"Agent2"), "Veille");

    Settings again(home.env());
    const MainWindowState read = again.loadSettings(display());
    EXPECT_EQ(read.openedAgents, state.openedAgents);
    ASSERT_EQ(read.openedWindows.size(), 2);
    EXPECT_EQ(read.openedWindows[0], (OpenedWindow {4, "Agent de Base"}));
    EXPECT_TRUE(read.firstWindowMaximized);

    // Fewer agents and windows later: nothing of the old lists is left behind.
    state.openedAgents = {"Veille"};
    state.openedWindows = {};
    again.saveSettings(state, {});
    EXPECT_EQ(ini(u"OpenedAgents", u"Agent1"), "Veille");
    EXPECT_EQ(ini(u"OpenedAgents", u"Agent2"), "<absent>");
    EXPECT_EQ(ini(u"OpenedWindows", u"ShortCut0"), "<absent>");
}

TEST_F(SettingsTest, StartingOnAnAgentFileLeavesTheUsualAgentsAlone)
{
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\nAgent2=\nAgent3=Perdu\n");
    MainWindowState state = settings.loadSettings(display());
    EXPECT_EQ(state.openedAgents, QStringList({"Veille"})); // stops at the first empty key
    state.openedAgents = {"Autre"};
    settings.saveSettings(state, "/home/u/Autre.GNX");
    EXPECT_EQ(ini(u"OpenedAgents", u"Agent1"), "Veille");
    EXPECT_EQ(ini(u"OpenedAgents", u"Agent3"), "Perdu");
}

TEST_F(SettingsTest, HistoryIsOneEntryPerCrlfLine)
{
    home.write("History.dat", "http://a/\r\nhttp://caf\xe9/\r\n\r\nhttp://b/");
    MainWindowState state = settings.loadSettings(display());
    EXPECT_EQ(state.history, QStringList({"http://a/", "http://caf\u00e9/", "http://b/"}));
    state.history = {"http://b/", "x\ny"};
    settings.saveSettings(state, {});
    EXPECT_EQ(home.read("History.dat"), "http://b/\r\nx y\r\n");
}

TEST_F(SettingsTest, DialogKeysCounterAndToolbarsAreWrittenAtOnce)
{
    settings.loadSettings(display());
    settings.Opt().NbMaxDownLoads = 7;
    settings.Opt().InvertMouse = true; // not the dialog's: waits for shutdown
    settings.writeDialogKeys();
    EXPECT_EQ(ini(u"General", u"NbMaxDownLoads"), "7");
    EXPECT_EQ(ini(u"General", u"InvertMouse"), "<absent>");
    EXPECT_EQ(ini(u"General", u"TotalDownLoadedSinceBeginning"), "<absent>");

    settings.Opt().TotalDownLoadedSinceBeginning = 5e6;
    home.clock().advanceDays(3);
    settings.resetTotalCounter();
    EXPECT_EQ(ini(u"General", u"TotalDownLoadedSinceBeginning"), "0");
    EXPECT_NEAR(parseReal(ini(u"General", u"DateStartedFromZero")).value_or(0), home.env().now(), 1e-9);

    const QByteArray state("\x00\x01binary\xff", 9);
    settings.saveToolbarState(state);
    EXPECT_EQ(Settings(home.env()).toolbarState(), state);
}

TEST_F(SettingsTest, ShowExceptionIsReadOnce)
{
    home.write("Glanix.ini", "[Debug]\nShowException=1\n");
    EXPECT_TRUE(settings.showException());
    home.write("Glanix.ini", "[Debug]\nShowException=0\n");
    EXPECT_TRUE(settings.showException());
    EXPECT_FALSE(Settings(home.env()).showException());
}

} // namespace
