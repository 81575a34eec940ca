#include "store/TreeNode.h"

#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

using namespace glanix;
using glanix::test::TempHome;

namespace {

// Records every notification as text, checking that they come in pairs.
struct Recorder : TreeObserver {
    QStringList calls;
    QString pending;

    static QString name(TreeNode* n) { return n->isRoot() ? QString("root") : n->text(); }

    void begin(const QString& what)
    {
        EXPECT_TRUE(pending.isEmpty()) << "unpaired " << pending.toStdString();
        pending = what;
    }

    void end(const QString& what)
    {
        EXPECT_EQ(pending, what);
        pending.clear();
        calls << what;
    }

    void nodesAboutToBeInserted(TreeNode* p, int f, int l) override
    {
        begin(QString("insert %1 %2-%3").arg(name(p), QString::number(f), QString::number(l)));
    }

    void nodesInserted(TreeNode* p, int f, int l) override
    {
        end(QString("insert %1 %2-%3").arg(name(p), QString::number(f), QString::number(l)));
    }

    void nodesAboutToBeRemoved(TreeNode* p, int f, int l) override
    {
        begin(QString("remove %1 %2-%3").arg(name(p), QString::number(f), QString::number(l)));
    }

    void nodesRemoved(TreeNode* p, int f, int l) override
    {
        end(QString("remove %1 %2-%3").arg(name(p), QString::number(f), QString::number(l)));
    }

    void nodeAboutToBeMoved(TreeNode* a, int r, TreeNode* b, int d) override
    {
        begin(QString("move %1 %2 -> %3 %4").arg(name(a), QString::number(r), name(b), QString::number(d)));
    }

    void nodeMoved(TreeNode* a, int r, TreeNode* b, int d) override
    {
        end(QString("move %1 %2 -> %3 %4").arg(name(a), QString::number(r), name(b), QString::number(d)));
    }

    void nodeChanged(TreeNode* n) override { calls << "changed " + name(n); }
};

struct TreeNodeTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    Recorder recorder;
    ElementTree& tree = store.tree();

    TreeNode* add(TreeNode* parent, const QString& text)
    {
        auto* e = new TElement(store);
        e->SetHasExt(true);
        e->SetName(text);
        return parent ? parent->addChild(text, e) : tree.addTopLevel(text, e);
    }
};

QStringList walk(TreeNode* from, bool forward)
{
    QStringList out;
    for (TreeNode* n = from; n; n = forward ? n->next() : n->previous())
        out << n->text();
    return out;
}

TEST_F(TreeNodeTest, DepthFirstOrderBothWays)
{
    TreeNode* a = add(nullptr, "a");
    TreeNode* a1 = add(a, "a1");
    add(a1, "a11");
    add(a, "a2");
    TreeNode* b = add(nullptr, "b");
    TreeNode* b1 = add(b, "b1");
    EXPECT_EQ(walk(a, true), QStringList({"a", "a1", "a11", "a2", "b", "b1"}));
    EXPECT_EQ(walk(b1, false), QStringList({"b1", "b", "a2", "a11", "a1", "a"}));
    EXPECT_EQ(a->parent(), nullptr);
    EXPECT_TRUE(a->isTopLevel());
    EXPECT_EQ(b1->parent(), b);
    EXPECT_EQ(b1->level(), 1);
    EXPECT_EQ(a1->nextSibling()->text(), "a2");
    EXPECT_EQ(a1->prevSibling(), nullptr);
    EXPECT_TRUE(a->isAncestorOf(a1->firstChild()));
    EXPECT_FALSE(a1->isAncestorOf(a));
}

TEST_F(TreeNodeTest, EveryChangeIsAnnouncedInPairs)
{
    tree.addObserver(&recorder);
    TreeNode* a = add(nullptr, "a");
    TreeNode* b = add(nullptr, "b");
    TreeNode* a1 = add(a, "a1");
    add(a1, "a11");
    TreeNode* first = a->insertChild(0, "a0", nullptr);
    a1->setText("A1");
    a1->setText("A1"); // unchanged: silent
    a1->setBold(true);
    a1->setStateMark(markUnread);
    a1->moveTo(b);
    first->moveTo(a, 5);
    a1->deleteNode(); // its child goes with it, silently
    EXPECT_EQ(
        recorder.calls,
        QStringList({"insert root 0-0", "insert root 1-1", "insert a 0-0", "insert a1 0-0", "insert a 0-0",
                     "changed A1", "changed A1", "changed A1", "move a 1 -> b 0", "remove b 0-0"}));
    EXPECT_EQ(a->childCount(), 1);
    EXPECT_EQ(first->row(), 0);
    EXPECT_FALSE(a->moveTo(a->firstChild())); // not into itself
    tree.removeObserver(&recorder);
}

TEST_F(TreeNodeTest, EveryObserverIsToldAndOneMayLeaveWhileBeingTold)
{
    // A list view's model that goes away when a node is removed, beside the tree's model.
    struct Leaving : Recorder {
        ElementTree* tree = nullptr;

        void nodesAboutToBeRemoved(TreeNode* parent, int first, int last) override
        {
            Recorder::nodesAboutToBeRemoved(parent, first, last);
            tree->removeObserver(this);
        }
    } leaving;

    leaving.tree = &tree;
    tree.addObserver(&recorder);
    tree.addObserver(&leaving);
    tree.addObserver(&recorder); // once only
    TreeNode* a = add(nullptr, "a");
    a->setText("A");
    a->deleteNode();
    add(nullptr, "b");
    EXPECT_EQ(recorder.calls,
              QStringList({"insert root 0-0", "changed A", "remove root 0-0", "insert root 0-0"}));
    EXPECT_EQ(leaving.calls, QStringList({"insert root 0-0", "changed A"}));
    tree.removeObserver(&recorder);
}

TEST_F(TreeNodeTest, MovesWithinAParentCountRowsAsBeforeTheMove)
{
    TreeNode* p = add(nullptr, "p");
    for (const char* t : {"0", "1", "2", "3"})
        add(p, t);
    tree.addObserver(&recorder);
    p->child(0)->moveTo(p, 3);
    EXPECT_EQ(recorder.calls, QStringList({"move p 0 -> p 3"}));
    QStringList order;
    for (int i = 0; i < p->childCount(); ++i) {
        order << p->child(i)->text();
        EXPECT_EQ(p->child(i)->row(), i);
    }
    EXPECT_EQ(order, QStringList({"1", "2", "0", "3"}));
    tree.removeObserver(&recorder);
}

TEST_F(TreeNodeTest, DeletingANodeFreesTheElementsItOwns)
{
    TreeNode* a = add(nullptr, "a");
    TreeNode* child = add(a, "child");
    TElement* e = child->element();
    TElement image(store); // owned elsewhere: only its node goes
    image.Kind = kindImage;
    a->addChild("img", &image, false);
    EXPECT_EQ(image.Node()->element(), &image);
    EXPECT_EQ(e->Node(), child);
    const int withExt = store.ElementsWithExt().count();
    a->deleteNode();
    EXPECT_EQ(image.Node(), nullptr);
    EXPECT_EQ(store.ElementsWithExt().count(), withExt - 2);
    EXPECT_EQ(tree.topLevelCount(), 0);
}

} // namespace
