#include "ui/ElementTreeModel.h"

#include "agents/AgentFile.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TempHome.h"
#include "ui/ElementIcons.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QFont>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::AgentBuilder;
using glanix::test::TempHome;

namespace {

struct ElementTreeModelTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    ElementIcons icons {store.knownTypes()};
    ElementTreeModel model {store, icons};
    std::unique_ptr<QAbstractItemModelTester> tester;

    // The tester walks (and fetches) the whole model at each change: not for laziness tests.
    void attachTester()
    {
        tester = std::make_unique<QAbstractItemModelTester>(
            &model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    }

    TElement* open(const QString& name = "Veille")
    {
        const AgentBuilder b = AgentBuilder::sample(home.path(), name);
        return openAgent(store, b.agentFile());
    }

    QModelIndex find(const QModelIndex& parent, const QString& text)
    {
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex i = model.index(row, 0, parent);
            if (i.data().toString() == text)
                return i;
        }
        return {};
    }
};

TEST_F(ElementTreeModelTest, ExpandingANodeReadsTwoLevelsBelowIt)
{
    TElement* agent = open();
    QTreeView view;
    view.setModel(&model);
    view.resize(400, 600);
    view.show();
    view.doItemsLayout();
    const QModelIndex top = model.index(0, 0);
    EXPECT_EQ(top.data().toString(), "Veille");
    const QModelIndex presse = find(top, "Presse");
    ASSERT_TRUE(presse.isValid());
    const QModelIndex journal = find(presse, "Le Journal");
    ASSERT_TRUE(journal.isValid());
    TElement* journalElement = model.elementOf(journal);
    EXPECT_EQ(journalElement->GetLoadedDepth(), -1);
    EXPECT_EQ(model.rowCount(journal), 1); // only its images, from its own file

    view.expand(top);
    view.expand(presse);
    EXPECT_EQ(journalElement->GetLoadedDepth(), 1);
    EXPECT_EQ(model.rowCount(journal), 2); // known before it is expanded
    const QModelIndex suite = find(journal, "Suite");
    ASSERT_TRUE(suite.isValid());
    EXPECT_EQ(model.elementOf(suite)->GetLoadedDepth(), -1);
    view.expand(journal);
    EXPECT_EQ(journalElement->GetLoadedDepth(), 2);
    EXPECT_EQ(model.elementOf(suite)->GetLoadedDepth(), 1);
    EXPECT_EQ(agent->GetLoadedDepth(), 2);

    // Asked again from inside a change, the reading waits until the change is over.
    attachTester();
    QCoreApplication::processEvents();
    EXPECT_GE(model.elementOf(suite)->GetLoadedDepth(), 1);
}

TEST_F(ElementTreeModelTest, TheModelFollowsEveryChangeOfTheStore)
{
    attachTester();
    TElement* agent = open();
    agent->LoadChildren(1000);
    TreeNode* outils = agent->Node()->child(0);
    TreeNode* presse = agent->Node()->child(1);
    ASSERT_EQ(presse->text(), "Presse");
    TElement* journal = presse->child(1)->element();
    ASSERT_EQ(journal->GetName(), "Le Journal");

    journal->SetState(stateRead);
    EXPECT_EQ(model.indexOf(journal->Node()).data(ElementTreeModel::StateMarkRole).toInt(), markNone);
    journal->Node()->setBold(true);
    EXPECT_TRUE(model.indexOf(journal->Node()).data(Qt::FontRole).value<QFont>().bold());
    journal->SetName("Le Quotidien");
    EXPECT_EQ(model.indexOf(journal->Node()).data().toString(), "Le Quotidien");
    ASSERT_TRUE(journal->MoveTo(outils));
    EXPECT_EQ(model.parent(model.indexOf(journal->Node())), model.indexOf(outils));
    journal->RemoveImageGroup();
    journal->BuildImageNodes();
    journal->Delete(true);
    EXPECT_EQ(model.rowCount(model.indexOf(outils)), 1);
    store.closeAll();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ElementTreeModelTest, IconsAndMarksShowTheElement)
{
    attachTester();
    TElement* agent = open();
    agent->LoadChildren(1000);
    const QModelIndex top = model.indexOf(agent->Node());
    EXPECT_EQ(top.data(ElementTreeModel::ImageIndexRole).toInt(), 0);
    const QModelIndex journal = find(find(top, "Presse"), "Le Journal");
    EXPECT_GE(journal.data(ElementTreeModel::ImageIndexRole).toInt(), 14);
    EXPECT_EQ(journal.data(ElementTreeModel::StateMarkRole).toInt(), markUnread);
    const QModelIndex meteo
        = find(find(find(top, "Presse"), QString::fromUtf8("Régions")), QString::fromUtf8("Météo locale"));
    EXPECT_EQ(meteo.data(ElementTreeModel::StateMarkRole).toInt(), markError);
    EXPECT_EQ(meteo.data(ElementTreeModel::ImageIndexRole).toInt(), 7);
    const QModelIndex dico = find(find(top, "Outils"), "Dictionnaire");
    EXPECT_EQ(dico.data(ElementTreeModel::StateMarkRole).toInt(), markInactive);
    EXPECT_TRUE(dico.data(Qt::ToolTipRole).toString().startsWith("http://dico.example/"));

    // Every icon number has a picture, and a mark changes it.
    for (int n : {0, 1, 2, 3, 5, 6, 7, 11, 12, 14}) {
        const QImage plain = icons.icon(n, markNone).pixmap(16, 16).toImage();
        EXPECT_FALSE(plain.isNull()) << n;
        for (int mark : {markUnread, markError, markInactive})
            EXPECT_NE(icons.icon(n, mark).pixmap(16, 16).toImage(), plain) << n << " " << mark;
    }
    const QImage unread = ElementIcons::mark(markUnread, 16).toImage();
    EXPECT_NE(unread, ElementIcons::mark(markError, 16).toImage());
}

} // namespace
