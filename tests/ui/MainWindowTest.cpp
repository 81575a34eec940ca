#include "ui/MainWindow.h"

#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TempHome.h"
#include "ui/ElementTreeModel.h"

#include <QDir>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::AgentBuilder;
using glanix::test::TempHome;

namespace {

TEST(MainWindow, ShowsTheAgentsOfTheHomeInNameOrder)
{
    TempHome home;
    AgentBuilder::sample(home.path(), "Veille");
    AgentBuilder::sample(home.path(), "Archives");
    home.write("Cassé.gnx", "[Glanix]\nDirChilds=/nowhere/\n");
    MainWindow window(home.path(), {});
    window.show();
    ElementTreeModel& model = window.treeModel();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0, 0).data().toString(), "Archives");
    EXPECT_EQ(model.index(1, 0).data().toString(), "Veille");
    EXPECT_EQ(window.treeView()->currentIndex(), model.index(0, 0));

    // Expand everything of "Veille" and take a picture of the window.
    QTreeView* view = window.treeView();
    const QModelIndex veille = model.index(1, 0);
    view->expand(veille);
    for (int i = 0; i < 6; ++i) {
        for (QModelIndex idx = veille; idx.isValid(); idx = view->indexBelow(idx))
            view->expand(idx);
    }
    view->setCurrentIndex(veille);
    const QImage shot = window.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    // Every name fits in the panel.
    for (QModelIndex idx = model.index(0, 0); idx.isValid(); idx = view->indexBelow(idx))
        EXPECT_LE(view->visualRect(idx).right(), view->viewport()->width())
            << idx.data().toString().toStdString();
    const QString out = qEnvironmentVariable("GLANIX_SCREENSHOT_DIR", QDir::tempPath());
    shot.save(out + "/glanix-main-window.png");
    EXPECT_EQ(model.rowCount(model.index(0, 0, veille)), 0); // "Café du coin" has no children
}

} // namespace
