#include "config/Confirmations.h"

#include "config/GeneralOptions.h"
#include "config/IniFile.h"
#include "config/ViewPlacement.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::ScriptedPrompt;
using glanix::test::TempHome;

namespace {

const QString kQuestion = "Cet élément est aussi un favori d'Internet Explorer. Le supprimer ?";

TEST(Confirmations, RememberedAnswerSkipsTheQuestionUntilReset)
{
    TempHome home;
    ScriptedPrompt prompt;

    prompt.setNextConfirm(false);
    EXPECT_FALSE(askConfirmation(home.env(), prompt, kQuestion, "OnIEDelete"));

    // Ticking the box is remembered even when the answer is "Annuler".
    prompt.setNextConfirm(false, true);
    EXPECT_FALSE(askConfirmation(home.env(), prompt, kQuestion, "OnIEDelete"));
    EXPECT_EQ(IniFile(home.file("Glanix.ini")).readString(u"Confirmations", u"OnIEDelete"), "0");

    EXPECT_TRUE(askConfirmation(home.env(), prompt, kQuestion, "OnIEDelete"));
    EXPECT_EQ(prompt.questions().size(), 2u);
    EXPECT_TRUE(isConfirmationAsked(home.env(), "OnURLClick"));

    resetConfirmations(home.env());
    prompt.setNextConfirm(true, false);
    EXPECT_TRUE(askConfirmation(home.env(), prompt, kQuestion, "OnIEDelete"));
    EXPECT_EQ(prompt.questions().size(), 3u);
    EXPECT_TRUE(prompt.allAnswered());
}

TEST(Confirmations, WithoutANameTheQuestionIsAlwaysAskedAndReportedInDebugMode)
{
    TempHome home;
    home.write("Glanix.ini", "[Debug]\nDebug=7351\n");
    ScriptedPrompt prompt;
    prompt.setNextConfirm(true, true);
    EXPECT_TRUE(askConfirmation(home.env(), prompt, kQuestion, ""));
    prompt.setNextConfirm(true);
    EXPECT_TRUE(askConfirmation(home.env(), prompt, kQuestion, " "));
    EXPECT_TRUE(QString::fromUtf8(home.read("Erreurs.log")).contains("ConfType vide"));
    EXPECT_FALSE(IniFile(home.file("Glanix.ini")).sectionExists(u"Confirmations"));
}

TEST(ViewPlacement, SectionsByKindAndRankWithInsideAndOutsideGeometries)
{
    EXPECT_EQ(viewPlacementSection(ViewKind::Html, 2), "HtmlView2");
    EXPECT_EQ(viewPlacementSection(ViewKind::ListSearch, 1), "ListViewSearch1");
    EXPECT_EQ(viewPlacementSection(ViewKind::ListSpecial, 1), "ListViewSpecial1");

    TempHome home;
    ViewPlacement current;
    current.geometry = QRect(1, 2, 300, 200);
    current.columnWidths = {100, 50, 60};

    // Nothing stored: the window keeps what it has, with the kind's own defaults.
    ViewPlacement p = loadViewPlacement(home.env(), ViewKind::List, 1, true, current);
    EXPECT_EQ(p.geometry, current.geometry);
    EXPECT_EQ(p.lastSort, 2);
    EXPECT_EQ(p.columnWidths, current.columnWidths);

    p.inside = false;
    p.geometry = QRect(10, 20, 640, 480);
    p.lastSortOrder = 1;
    p.columnWidths = {120, 40, 60};
    saveViewPlacement(home.env(), ViewKind::List, 1, p, true);
    // Maximized: only the rest is written.
    ViewPlacement maximized = p;
    maximized.geometry = QRect(0, 0, 1900, 1000);
    saveViewPlacement(home.env(), ViewKind::List, 1, maximized, false);

    const ViewPlacement floating = loadViewPlacement(home.env(), ViewKind::List, 1, true, current);
    EXPECT_FALSE(floating.inside);
    EXPECT_EQ(floating.geometry, QRect(10, 20, 640, 480));
    EXPECT_EQ(floating.lastSortOrder, 1);
    EXPECT_EQ(floating.columnWidths, QList<int>({120, 40, 60}));

    // Without reading Style the caller's choice picks the In keys, which were never written.
    const ViewPlacement docked = loadViewPlacement(home.env(), ViewKind::List, 1, false, current);
    EXPECT_TRUE(docked.inside);
    EXPECT_EQ(docked.geometry, current.geometry);

    ViewPlacement info;
    info.showComms = true;
    info.showState = false;
    saveViewPlacement(home.env(), ViewKind::Info, 1, info, true);
    const ViewPlacement infoRead = loadViewPlacement(home.env(), ViewKind::Info, 1, true, {});
    EXPECT_TRUE(infoRead.showComms);
    EXPECT_FALSE(infoRead.showState);
    EXPECT_FALSE(IniFile(home.file("Glanix.ini")).valueExists(u"InfoView1", u"LastSort"));

    saveInPageSearchText(home.env(), "horaires");
    EXPECT_EQ(inPageSearchText(home.env()), "horaires");
}

struct ProxyCase {
    const char* stored;
    const char* address;
    const char* port;
};

TEST(GeneralOptions, ProxySplitsBeforeThePortOnly)
{
    const ProxyCase cases[] = {
        {"cache.example.org:3128", "cache.example.org", "3128"},
        {"jean:secret@cache.example.org:3128", "jean:secret@cache.example.org", "3128"},
        {"jean:secret@cache.example.org", "jean:secret@cache.example.org", ""},
        {"cache.example.org", "cache.example.org", ""},
        {"", "", ""},
        {"h:12345678901234", "h", "1234567890"},
    };
    for (const ProxyCase& c : cases) {
        const ProxyFields f = splitProxy(c.stored);
        EXPECT_EQ(f.address, c.address) << c.stored;
        EXPECT_EQ(f.port, c.port) << c.stored;
    }
    EXPECT_EQ(composeProxy(true, "cache.example.org", " 3128 "), "cache.example.org:3128");
    EXPECT_EQ(composeProxy(true, "cache.example.org", ""), "cache.example.org:8080");
    EXPECT_EQ(composeProxy(false, "cache.example.org", "3128"), "");
    EXPECT_EQ(composeProxy(true, "  ", "3128"), "");
    EXPECT_EQ(normalisePort("0"), "");
    EXPECT_EQ(normalisePort("abc"), "");
    EXPECT_EQ(normalisePort(" 0080 "), "80");
}

TEST(GeneralOptions, BandwidthStepsAndDelays)
{
    EXPECT_EQ(bandwidthForPosition(0), 1);
    EXPECT_EQ(bandwidthForPosition(3), 5);
    EXPECT_EQ(bandwidthForPosition(7), 100);
    EXPECT_EQ(bandwidthForPosition(8), 0);
    EXPECT_EQ(positionForBandwidth(25), 5);
    EXPECT_EQ(positionForBandwidth(7), -1);
    EXPECT_EQ(bandwidthText(0), "Illimité");
    EXPECT_EQ(bandwidthText(50), "50 Ko/s");
    EXPECT_EQ(minutesFromDays(0.00208333333333333), 3);
    EXPECT_EQ(minutesFromDays(0.125), 180);
    EXPECT_EQ(minutesFromDays(-1), 0);
    EXPECT_EQ(minutesFromDays(1e300), 9999999);
    EXPECT_DOUBLE_EQ(daysFromMinutes(180), 0.125);
}

} // namespace
