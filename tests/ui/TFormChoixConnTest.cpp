// "Choix connexion", opened by "&Annuaire".
#include "ui/TFormChoixConn.h"

#include "agents/DownloadEngine.h"
#include "engine/TDialUp.h"
#include "tests/ui/ModemFixture.h"

#include <QListWidget>
#include <QPushButton>

using namespace glanix;
using namespace glanix::test;

namespace {

using TFormChoixConnTest = ModemFixture;

TEST_F(TFormChoixConnTest, ThePhoneBookIsOfferedAndTheChoiceBecomesTheEntry)
{
    start();
    QString current;
    QString title;
    whenModal([&](QWidget* modal) {
        auto* choice = qobject_cast<TFormChoixConn*>(modal);
        ASSERT_NE(choice, nullptr);
        title = choice->windowTitle();
        current = choice->list()->currentItem()->text();
        screenshot(choice, QStringLiteral("choix-connexion"));
        choice->list()->setCurrentRow(1);
        QTest::mouseClick(choice->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    action("MenuPreferencesConnexion")->trigger();
    EXPECT_EQ(title, "Choix connexion");
    EXPECT_EQ(current, "Orange");
    EXPECT_EQ(window->controller().Opt().ConnectEntry, "Free");
    EXPECT_EQ(window->engine()->dialUp()->Entry, "Free");

    // Cancelled, nothing changes.
    whenModal(
        [](QWidget* modal) { QTest::mouseClick(modal->findChild<QPushButton*>("cancel"), Qt::LeftButton); });
    action("MenuPreferencesConnexion")->trigger();
    EXPECT_EQ(window->controller().Opt().ConnectEntry, "Free");
    ASSERT_TRUE(quit());
    EXPECT_EQ(ini("General", "ConnectEntry"), "Free");
}

TEST_F(TFormChoixConnTest, AnEmptyPhoneBookSaysSoAndChoosesNothing)
{
    dialUp.entries.clear();
    start();
    bool okEnabled = true;
    whenModal([&](QWidget* modal) {
        okEnabled = modal->findChild<QPushButton*>("ok")->isEnabled();
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    action("MenuPreferencesConnexion")->trigger();
    EXPECT_FALSE(okEnabled);
    EXPECT_EQ(window->controller().Opt().ConnectEntry, "Orange");
}

} // namespace
