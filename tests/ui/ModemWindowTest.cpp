// The main window's connection menu and end button in modem mode: what the menu offers before
// it opens, the hint of a line that is up, hanging up now, and the local-network fallback.
#include "agents/DownloadEngine.h"
#include "engine/Scheduler.h"
#include "tests/ui/ModemFixture.h"
#include "ui/StatusBars.h"

#include <QHelpEvent>
#include <QMenu>

using namespace glanix;
using namespace glanix::test;

namespace {

struct ModemWindowTest : ModemFixture {
    // PopupMenuConnexion as the end button opens it.
    void openConnectionMenu()
    {
        QMenu* menu = window->actions().connectionPopup;
        menu->popup(window->mapToGlobal(QPoint(100, 40)));
        ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
        menu->hide();
    }

    QString endButtonHover()
    {
        QWidget* end = toolButton("TransparentButtonEndConnexion");
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), end->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(end, &event);
        return end->toolTip();
    }
};

TEST_F(ModemWindowTest, TheEndButtonsMenuFollowsTheButtonsAndTheLine)
{
    start();
    openConnectionMenu();
    EXPECT_TRUE(action("MenuConnecter")->isEnabled()); // as the start button
    EXPECT_FALSE(
        action("MenuConnexionArreterDeLancerDesNouveauxTelechargements")->isEnabled()); // as the end one
    EXPECT_FALSE(action("MenuConnexionInterrompreTousLesTelechargementsEnCours")->isEnabled());
    EXPECT_FALSE(action("MenuConnexionResterEnVeille")->isChecked());
    EXPECT_TRUE(action("MenuConnexionRaccrocherMaintenant")->isVisible());
    EXPECT_TRUE(action("MenuConnexionRaccrocherQuandTermine")->isVisible());
    EXPECT_FALSE(action("MenuConnexionRaccrocherMaintenant")->isEnabled()); // no line up

    // A line is up: the cycle starts at once and the menu offers to stop and to hang up.
    dialUp.active = {FakeDialUp::link("Orange")};
    connect();
    ASSERT_TRUE(window->commBarVisible());
    EXPECT_EQ(window->statusBarGlobal()->panelText(1), "Orange - ppp0 - Connecté");
    window->controller().Opt().KeepReady = true;
    openConnectionMenu();
    EXPECT_FALSE(action("MenuConnecter")->isEnabled());
    EXPECT_TRUE(action("MenuConnexionArreterDeLancerDesNouveauxTelechargements")->isEnabled());
    EXPECT_TRUE(action("MenuConnexionInterrompreTousLesTelechargementsEnCours")->isEnabled());
    EXPECT_TRUE(action("MenuConnexionResterEnVeille")->isChecked());
    EXPECT_TRUE(action("MenuConnexionRaccrocherMaintenant")->isEnabled());

    action("MenuConnexionRaccrocherMaintenant")->trigger();
    EXPECT_FALSE(window->commBarVisible());
    EXPECT_EQ(dialUp.hungUp, QStringList({"/active/Orange"}));
    openConnectionMenu();
    EXPECT_FALSE(action("MenuConnexionRaccrocherMaintenant")->isEnabled());
}

TEST_F(ModemWindowTest, TheEndButtonTellsForHowLongTheLineIsUp)
{
    start();
    connect();
    dialUp.play();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->commBarVisible(); }, 3000));
    EXPECT_EQ(endButtonHover(), "Connecté depuis 1 minute");
    home.clock().advanceSeconds(60);
    EXPECT_EQ(endButtonHover(), "Connecté depuis 2 minutes");

    // With "Raccrocher lorsque Glanix a terminé" the end button hangs up and ends the cycle.
    action("MenuConnexionRaccrocherQuandTermine")->trigger();
    QTest::mouseClick(toolButton("TransparentButtonEndConnexion"), Qt::LeftButton);
    EXPECT_FALSE(window->commBarVisible());
    EXPECT_EQ(window->statusBarGlobal()->panelText(1), "Raccroché");
    EXPECT_EQ(dialUp.hungUp, QStringList({"/active/Orange"}));
    EXPECT_EQ(endButtonHover(), "Durée de la dernière connection : 2 minutes");
}

TEST_F(ModemWindowTest, OnTheLocalNetworkTheHangUpEntriesAreHidden)
{
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n[General]\nConnectByModem=0\n");
    start();
    openConnectionMenu();
    EXPECT_FALSE(action("MenuConnexionRaccrocherMaintenant")->isVisible());
    EXPECT_FALSE(action("MenuConnexionRaccrocherQuandTermine")->isVisible());
    connect();
    EXPECT_TRUE(window->commBarVisible());
    EXPECT_TRUE(dialUp.dialled.isEmpty());
    EXPECT_EQ(window->engine()->dialUp(), nullptr);
}

TEST_F(ModemWindowTest, WithoutNetworkManagerTheWindowFallsBackToTheLocalNetwork)
{
    remoteAccess.setAvailable(false);
    prompt.setNextAnswer(UserPrompt::Ok);
    start();
    ASSERT_EQ(prompt.texts().size(), 1);
    EXPECT_TRUE(prompt.texts().first().startsWith("Glanix n'a pas trouvé NetworkManager"));
    EXPECT_FALSE(window->controller().Opt().ConnectByModem);
    EXPECT_EQ(window->engine()->dialUp(), nullptr);
    connect();
    EXPECT_TRUE(window->commBarVisible());
    EXPECT_EQ(dialWindow(), nullptr);
}

} // namespace
