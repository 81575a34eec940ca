#include "config/Confirmations.h"
#include "config/IniFile.h"
#include "tests/support/GuiTest.h"
#include "tests/support/TempHome.h"
#include "ui/MessageBoxPrompt.h"
#include "ui/TFormConfirm.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

const QString kQuestion = "Ce document n'a pas encore été téléchargé. Le télécharger maintenant ?";

void answerConfirm(bool tick, const char* button)
{
    whenModal([tick, button](QWidget* modal) {
        auto* confirm = qobject_cast<TFormConfirm*>(modal);
        ASSERT_NE(confirm, nullptr);
        screenshot(confirm, "confirmation");
        if (tick)
            click(confirm->dontAskAgainBox());
        QTest::mouseClick(confirm->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
    });
}

TEST(TFormConfirm, RememberedThroughTheRealDialogAndAskedAgainAfterReset)
{
    TempHome home;
    MessageBoxPrompt prompt;

    answerConfirm(false, "cancel");
    EXPECT_FALSE(askConfirmation(home.env(), prompt, kQuestion, "OnURLClick"));

    answerConfirm(true, "yes");
    EXPECT_TRUE(askConfirmation(home.env(), prompt, kQuestion, "OnURLClick"));
    EXPECT_EQ(IniFile(home.file("Glanix.ini")).readString(u"Confirmations", u"OnURLClick"), "0");

    // No dialog now: one would fail the test through whenModal's absence of an answer.
    EXPECT_TRUE(askConfirmation(home.env(), prompt, kQuestion, "OnURLClick"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    resetConfirmations(home.env());
    answerConfirm(false, "cancel");
    EXPECT_FALSE(askConfirmation(home.env(), prompt, kQuestion, "OnURLClick"));
}

TEST(TFormConfirm, UntickingAgainKeepsAsking)
{
    TempHome home;
    MessageBoxPrompt prompt;
    whenModal([](QWidget* modal) {
        auto* confirm = qobject_cast<TFormConfirm*>(modal);
        ASSERT_NE(confirm, nullptr);
        click(confirm->dontAskAgainBox());
        click(confirm->dontAskAgainBox());
        QTest::keyClick(confirm, Qt::Key_Escape);
    });
    EXPECT_FALSE(askConfirmation(home.env(), prompt, kQuestion, "OnIEDelete"));
    EXPECT_TRUE(isConfirmationAsked(home.env(), "OnIEDelete"));
}

TEST(MessageBoxPrompt, AnswersTheButtonClickedAndEscapeCancels)
{
    MessageBoxPrompt prompt;
    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Glanix");
        EXPECT_EQ(box->text(), "Des téléchargements sont en cours.\nVoulez-vous les interrompre ?");
        screenshot(box, "message");
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == "&Non")
                QTest::mouseClick(b, Qt::LeftButton);
        }
    });
    EXPECT_EQ(prompt.ask(UserPrompt::Icon::Question,
                         "Des téléchargements sont en cours.\rVoulez-vous les interrompre ?",
                         UserPrompt::Yes | UserPrompt::No, UserPrompt::Yes),
              UserPrompt::No);

    whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(prompt.ask(UserPrompt::Icon::Warning, "?",
                         UserPrompt::Yes | UserPrompt::No | UserPrompt::Cancel, UserPrompt::Yes),
              UserPrompt::Cancel);
}

} // namespace
