// The dialling window "Connexion" opened by the start button in modem mode.
#include "agents/DownloadEngine.h"
#include "engine/Scheduler.h"
#include "tests/ui/ModemFixture.h"
#include "ui/TFormChoixConn.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

using namespace glanix;
using namespace glanix::test;

namespace {

using TFormRasTest = ModemFixture;

TEST_F(TFormRasTest, TheWindowFollowsTheDialAndTheCycleStartsOnceConnected)
{
    start();
    connect();
    TFormRas* ras = dialWindow();
    ASSERT_NE(ras, nullptr);
    EXPECT_TRUE(ras->isVisible());
    EXPECT_EQ(ras->windowTitle(), "Connexion");
    EXPECT_TRUE(ras->isModal());
    EXPECT_TRUE(ras->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(ras->entryLabel()->text(), "Orange");
    EXPECT_EQ(ras->cancelButton()->text(), "Annuler");
    // No drop-down on the end button while the line is dialled.
    EXPECT_EQ(toolButton("TransparentButtonEndConnexion")->menu(), nullptr);
    EXPECT_FALSE(window->commBarVisible());

    ASSERT_TRUE(dialUp.step());
    EXPECT_EQ(ras->statusLabel()->text(), "Ouverture du port");
    ASSERT_TRUE(dialUp.step());
    EXPECT_EQ(ras->statusLabel()->text(), "Connexion du périphérique");
    screenshot(ras, QStringLiteral("dialling-window"));
    dialUp.play();
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialWindow() == nullptr; }, 3000));
    EXPECT_TRUE(window->commBarVisible());
    EXPECT_NEAR(window->engine()->scheduler().ConnectTime, home.env().now() - 1.0 / 1440, 1e-9);
    EXPECT_NE(toolButton("TransparentButtonEndConnexion")->menu(), nullptr);
    EXPECT_TRUE(dialUp.hungUp.isEmpty());
}

TEST_F(TFormRasTest, AnnulerHangsUpAndEndsTheCycle)
{
    start();
    connect();
    ASSERT_NE(dialWindow(), nullptr);
    ASSERT_TRUE(dialUp.step());
    QTest::mouseClick(dialWindow()->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialUp.hungUp, QStringList({"own:Orange"}));
    ASSERT_NE(dialWindow(), nullptr);
    EXPECT_EQ(dialWindow()->statusLabel()->text(), "Raccroché");
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialWindow() == nullptr; }, 3000));
    EXPECT_FALSE(window->commBarVisible());
    EXPECT_TRUE(action("TransparentButtonStartConnexion")->isEnabled());
    EXPECT_FALSE(action("TransparentButtonEndConnexion")->isEnabled());
    EXPECT_EQ(action("TransparentButtonEndConnexion")->toolTip(), "Connexion terminée");
}

TEST_F(TFormRasTest, AFailedDialIsShownThenTheWindowGoes)
{
    dialUp.script = {{rsOpenPort}, {rsConnectDevice, deLineBusy}};
    start();
    connect();
    dialUp.play();
    ASSERT_NE(dialWindow(), nullptr);
    EXPECT_EQ(dialWindow()->statusLabel()->text(), "Non connecté La ligne est occupée.");
    ASSERT_TRUE(QTest::qWaitFor([this] { return dialWindow() == nullptr; }, 3000));
    EXPECT_FALSE(window->commBarVisible());
}

TEST_F(TFormRasTest, WithoutAnEntryTheUserChoosesOneAndItIsDialled)
{
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n[General]\nConnectByModem=1\nConnectEntry=\n");
    start();
    prompt.setNextAnswer(UserPrompt::Ok);
    QStringList offered;
    whenModal([&](QWidget* modal) {
        auto* choice = qobject_cast<TFormChoixConn*>(modal);
        ASSERT_NE(choice, nullptr);
        for (int i = 0; i < choice->list()->count(); ++i)
            offered << choice->list()->item(i)->text();
        choice->list()->setCurrentRow(1);
        QTest::mouseClick(choice->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    connect();
    EXPECT_EQ(prompt.texts(),
              QStringList({"Avant de pouvoir vous connecter avec Glanix,\rvous devez indiquer la "
                           "connexion à utiliser."}));
    EXPECT_EQ(offered, QStringList({"Orange", "Free"}));
    EXPECT_EQ(window->controller().Opt().ConnectEntry, "Free");
    ASSERT_NE(dialWindow(), nullptr);
    EXPECT_EQ(dialWindow()->entryLabel()->text(), "Free");
    EXPECT_EQ(dialUp.dialled, QStringList({"Free"}));
    dialUp.play();
    ASSERT_TRUE(QTest::qWaitFor([this] { return window->commBarVisible(); }, 3000));
}

TEST_F(TFormRasTest, F1AsksForTheConnectionHelp)
{
    start();
    connect();
    ASSERT_NE(dialWindow(), nullptr);
    QSignalSpy help(window.get(), &TForm1::helpRequested);
    QTest::keyClick(dialWindow(), Qt::Key_F1);
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.first().first().toString(), "Connect");
    // Escape is "Annuler".
    QTest::keyClick(dialWindow(), Qt::Key_Escape);
    EXPECT_EQ(dialUp.hungUp, QStringList({"own:Orange"}));
}

} // namespace
