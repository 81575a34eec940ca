#pragma once

#include <QString>
#include <algorithm>
#include <memory>
#include <vector>

// The tree of open agents as the element store sees it: what it asks of a tree control, with
// no widget behind it. Each node carries one element (it owns it, except an image's node,
// whose image belongs to its page). Every change is announced to each of the tree's observers
// in pairs ("about to insert" / "inserted", ...), so that every item model that follows the
// tree (the tree view's, the list views') maps each one onto beginInsertRows/endInsertRows
// and friends; headless code runs without observers.
namespace glanix {

class ElementTree;
class TElement;
class TreeNode;

class TreeObserver {
public:
    virtual ~TreeObserver() = default;

    // Rows are positions among the children of `parent` (the tree's root for top-level nodes).
    // An observer overrides what it follows; most follow only removals.
    virtual void nodesAboutToBeInserted(TreeNode* /*parent*/, int /*first*/, int /*last*/) { }

    virtual void nodesInserted(TreeNode* /*parent*/, int /*first*/, int /*last*/) { }

    virtual void nodesAboutToBeRemoved(TreeNode* /*parent*/, int /*first*/, int /*last*/) { }

    virtual void nodesRemoved(TreeNode* /*parent*/, int /*first*/, int /*last*/) { }

    // `destinationRow` counts as before the move, as QAbstractItemModel::beginMoveRows does.
    virtual void nodeAboutToBeMoved(TreeNode* /*from*/, int /*row*/, TreeNode* /*to*/, int /*destinationRow*/)
    {
    }

    virtual void nodeMoved(TreeNode* /*from*/, int /*row*/, TreeNode* /*to*/, int /*destinationRow*/) { }

    // Text, bold or state mark changed, or the element's look (its icon).
    virtual void nodeChanged(TreeNode* /*node*/) { }
};

class TreeNode {
public:
    ~TreeNode();
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    ElementTree* tree() const { return m_tree; }

    TElement* element() const { return m_element; }

    bool ownsElement() const { return m_ownsElement; }

    const QString& text() const { return m_text; }

    void setText(const QString& text);

    // -1 = no mark; 0 unread, 1 error, 2 inactive.
    int stateMark() const { return m_stateMark; }

    void setStateMark(int mark);

    // Shown in bold while the element is being downloaded.
    bool bold() const { return m_bold; }

    void setBold(bool bold);
    // Tells the observers that the element's look changed (its icon).
    void notifyChanged();

    // Null for a top-level node.
    TreeNode* parent() const;
    bool isTopLevel() const;

    bool isRoot() const { return m_parent == nullptr; }

    int row() const { return m_row; }

    int childCount() const { return static_cast<int>(m_children.size()); }

    bool hasChildren() const { return !m_children.empty(); }

    TreeNode* child(int row) const;

    TreeNode* firstChild() const { return child(0); }

    TreeNode* lastChild() const { return child(childCount() - 1); }

    TreeNode* nextSibling() const;
    TreeNode* prevSibling() const;
    // Depth-first order over the whole tree (top-level nodes included); null at the ends.
    TreeNode* next() const;
    TreeNode* previous() const;
    // Depth of the node: 0 for a top-level node.
    int level() const;
    bool isAncestorOf(const TreeNode* node) const;

    // Adds a node carrying `element` as the last child (or at `row`). An owned element is
    // freed with its node; an image's node does not own its image.
    TreeNode* addChild(const QString& text, TElement* element, bool ownsElement = true);
    TreeNode* insertChild(int row, const QString& text, TElement* element, bool ownsElement = true);
    // Adds it where the tree's order puts it: a page's image group first, then folders, then
    // the rest, each by text compared on character codes (case-sensitive).
    TreeNode* addSorted(const QString& text, TElement* element, bool ownsElement = true);
    // Moves the node to its place in that order after its text changed (a rename).
    void keepSorted();

    // Removes the node with its subtree, freeing the elements the nodes own. `this` is gone
    // afterwards.
    void deleteNode();

    // Moves the node (with its subtree) under `newParent` as its last child, or before `row`.
    bool moveTo(TreeNode* newParent, int row = -1);

private:
    friend class ElementTree;
    friend class TElement;
    TreeNode(ElementTree* tree, TreeNode* parent, QString text, TElement* element, bool owns);
    void renumberFrom(int row);
    // Destroys the subtree without telling anyone; used once the removal is announced.
    void releaseElement();

    ElementTree* m_tree;
    TreeNode* m_parent;
    TElement* m_element;
    std::vector<std::unique_ptr<TreeNode>> m_children;
    QString m_text;
    int m_row = 0;
    qint8 m_stateMark = -1;
    bool m_bold = false;
    bool m_ownsElement = false;
};

// Owns the invisible root whose children are the top-level nodes (the agents).
class ElementTree {
public:
    ElementTree();
    ~ElementTree();
    ElementTree(const ElementTree&) = delete;
    ElementTree& operator=(const ElementTree&) = delete;

    TreeNode* root() { return m_root.get(); }

    const TreeNode* root() const { return m_root.get(); }

    int topLevelCount() const { return m_root->childCount(); }

    TreeNode* topLevel(int row) const { return m_root->child(row); }

    TreeNode* firstNode() const { return m_root->firstChild(); }

    TreeNode* addTopLevel(const QString& text, TElement* element) { return m_root->addChild(text, element); }

    // Deletes every node (and the elements they own).
    void clear();

    // Observers are told of changes in the order they were added.
    void addObserver(TreeObserver* observer);
    void removeObserver(TreeObserver* observer);

    // Nobody is told any more (the store is going away).
    void clearObservers() { m_observers.clear(); }

private:
    friend class TreeNode;

    // Calls `tell` on every observer; one removed meanwhile is not called any more.
    template<typename Tell> void notify(Tell tell)
    {
        if (m_observers.empty())
            return;
        const std::vector<TreeObserver*> observers = m_observers;
        for (TreeObserver* o : observers) {
            if (std::find(m_observers.begin(), m_observers.end(), o) != m_observers.end())
                tell(*o);
        }
    }

    std::unique_ptr<TreeNode> m_root;
    std::vector<TreeObserver*> m_observers;
};

} // namespace glanix
