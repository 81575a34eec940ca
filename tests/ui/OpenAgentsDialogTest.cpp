#include "tests/support/GuiTest.h"
#include "ui/TFormOuvrirAgents.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

TEST(OpenAgentsDialog, ChoosesSeveralInListOrderWithWhereEachIsSaved)
{
    TFormOuvrirAgents dialog({"Archives", "Revue", "Veille"},
                             [](const QString& name) { return "Agent sauvé dans\r/home/u/" + name; });
    ASSERT_TRUE(showActive(&dialog));
    EXPECT_EQ(dialog.windowTitle(), "Ouvrir agents");
    QListWidget* list = dialog.list();
    EXPECT_EQ(list->item(1)->toolTip(), "Agent sauvé dans\n/home/u/Revue");

    // Picked out of order with Ctrl, they still come in list order.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(dialog.selectedNames(), QStringList({"Archives", "Veille"}));

    auto* open = dialog.findChild<QPushButton*>("ok");
    list->clearSelection();
    EXPECT_FALSE(open->isEnabled());

    QSignalSpy help(&dialog, &TFormOuvrirAgents::helpRequested);
    QTest::keyClick(list, Qt::Key_F1);
    ASSERT_EQ(help.count(), 1);
    EXPECT_EQ(help.first().first().toString(), "Agents");

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedNames(), QStringList({"Revue"}));
}

} // namespace
