#include "store/TreeNode.h"

#include "store/TElement.h"

#include <algorithm>

namespace glanix {

TreeNode::TreeNode(ElementTree* tree, TreeNode* parent, QString text, TElement* element, bool owns)
    : m_tree(tree)
    , m_parent(parent)
    , m_element(element)
    , m_text(std::move(text))
    , m_ownsElement(owns)
{
    if (m_element)
        m_element->m_node = this;
}

TreeNode::~TreeNode()
{
    // Children first: an image's node must go before its page frees the image.
    while (!m_children.empty())
        m_children.pop_back();
    releaseElement();
}

void TreeNode::releaseElement()
{
    TElement* element = m_element;
    m_element = nullptr;
    if (!element)
        return;
    if (element->m_node == this)
        element->m_node = nullptr;
    if (m_ownsElement)
        delete element;
}

void TreeNode::setText(const QString& text)
{
    if (m_text == text)
        return;
    m_text = text;
    notifyChanged();
}

void TreeNode::setStateMark(int mark)
{
    if (m_stateMark == mark)
        return;
    m_stateMark = static_cast<qint8>(mark);
    notifyChanged();
}

void TreeNode::setBold(bool bold)
{
    if (m_bold == bold)
        return;
    m_bold = bold;
    notifyChanged();
}

void TreeNode::notifyChanged()
{
    if (m_tree && m_parent)
        m_tree->notify([this](TreeObserver& o) { o.nodeChanged(this); });
}

TreeNode* TreeNode::parent() const
{
    return m_parent && m_parent->m_parent ? m_parent : nullptr;
}

bool TreeNode::isTopLevel() const
{
    return m_parent && !m_parent->m_parent;
}

TreeNode* TreeNode::child(int row) const
{
    return row >= 0 && row < childCount() ? m_children[static_cast<size_t>(row)].get() : nullptr;
}

TreeNode* TreeNode::nextSibling() const
{
    return m_parent ? m_parent->child(m_row + 1) : nullptr;
}

TreeNode* TreeNode::prevSibling() const
{
    return m_parent ? m_parent->child(m_row - 1) : nullptr;
}

TreeNode* TreeNode::next() const
{
    if (hasChildren())
        return firstChild();
    for (const TreeNode* n = this; n && n->m_parent; n = n->m_parent) {
        if (TreeNode* s = n->nextSibling())
            return s;
    }
    return nullptr;
}

TreeNode* TreeNode::previous() const
{
    TreeNode* p = prevSibling();
    if (!p)
        return parent();
    while (p->hasChildren())
        p = p->lastChild();
    return p;
}

int TreeNode::level() const
{
    int depth = -1;
    for (const TreeNode* n = this; n->m_parent; n = n->m_parent)
        ++depth;
    return depth;
}

bool TreeNode::isAncestorOf(const TreeNode* node) const
{
    for (const TreeNode* n = node ? node->m_parent : nullptr; n; n = n->m_parent) {
        if (n == this)
            return true;
    }
    return false;
}

void TreeNode::renumberFrom(int row)
{
    for (int i = row; i < childCount(); ++i)
        m_children[static_cast<size_t>(i)]->m_row = i;
}

TreeNode* TreeNode::addChild(const QString& text, TElement* element, bool ownsElement)
{
    return insertChild(childCount(), text, element, ownsElement);
}

namespace {

// 0 the image group, 1 a folder, 2 anything else.
int sortGroup(const TElement* e)
{
    if (!e)
        return 2;
    return e->Kind == kindImageGroup ? 0 : e->Kind == kindFolder ? 1 : 2;
}

bool sortsBefore(int groupA, const QString& a, int groupB, const QString& b)
{
    if (groupA != groupB)
        return groupA < groupB;
    return a < b; // UTF-16 code units: case-sensitive, accents after ASCII
}

} // namespace

TreeNode* TreeNode::addSorted(const QString& text, TElement* element, bool ownsElement)
{
    // The children are kept in that order; a folder read from disk comes in it and appends.
    const int group = sortGroup(element);
    const auto at = std::upper_bound(m_children.begin(), m_children.end(), 0, [&](int, const auto& node) {
        return sortsBefore(group, text, sortGroup(node->m_element), node->m_text);
    });
    return insertChild(static_cast<int>(at - m_children.begin()), text, element, ownsElement);
}

void TreeNode::keepSorted()
{
    TreeNode* parent = m_parent;
    if (!parent || !parent->m_parent)
        return; // agents keep the order they were opened in
    const int group = sortGroup(m_element);
    int row = 0;
    for (const auto& node : parent->m_children) {
        if (node.get() != this && sortsBefore(sortGroup(node->m_element), node->m_text, group, m_text))
            ++row;
    }
    // moveTo counts the destination as before the move.
    moveTo(parent, row >= m_row ? row + 1 : row);
}

TreeNode* TreeNode::insertChild(int row, const QString& text, TElement* element, bool ownsElement)
{
    row = std::clamp(row, 0, childCount());
    m_tree->notify([&](TreeObserver& o) { o.nodesAboutToBeInserted(this, row, row); });
    std::unique_ptr<TreeNode> node(new TreeNode(m_tree, this, text, element, ownsElement));
    TreeNode* raw = node.get();
    m_children.insert(m_children.begin() + row, std::move(node));
    renumberFrom(row);
    m_tree->notify([&](TreeObserver& o) { o.nodesInserted(this, row, row); });
    return raw;
}

void TreeNode::deleteNode()
{
    TreeNode* parent = m_parent;
    if (!parent)
        return;
    const int row = m_row;
    ElementTree* tree = m_tree;
    tree->notify([&](TreeObserver& o) { o.nodesAboutToBeRemoved(parent, row, row); });
    std::unique_ptr<TreeNode> self = std::move(parent->m_children[static_cast<size_t>(row)]);
    parent->m_children.erase(parent->m_children.begin() + row);
    parent->renumberFrom(row);
    self.reset();
    tree->notify([&](TreeObserver& o) { o.nodesRemoved(parent, row, row); });
}

bool TreeNode::moveTo(TreeNode* newParent, int row)
{
    if (!newParent || !m_parent || newParent == this || isAncestorOf(newParent)
        || newParent->m_tree != m_tree)
        return false;
    TreeNode* oldParent = m_parent;
    const int oldRow = m_row;
    int destination = row < 0 || row > newParent->childCount() ? newParent->childCount() : row;
    if (oldParent == newParent && (destination == oldRow || destination == oldRow + 1))
        return true;
    m_tree->notify([&](TreeObserver& o) { o.nodeAboutToBeMoved(oldParent, oldRow, newParent, destination); });
    std::unique_ptr<TreeNode> self = std::move(oldParent->m_children[static_cast<size_t>(oldRow)]);
    oldParent->m_children.erase(oldParent->m_children.begin() + oldRow);
    oldParent->renumberFrom(oldRow);
    const int insertAt = oldParent == newParent && destination > oldRow ? destination - 1 : destination;
    self->m_parent = newParent;
    newParent->m_children.insert(newParent->m_children.begin() + insertAt, std::move(self));
    newParent->renumberFrom(insertAt);
    m_tree->notify([&](TreeObserver& o) { o.nodeMoved(oldParent, oldRow, newParent, destination); });
    return true;
}

ElementTree::ElementTree()
    : m_root(new TreeNode(this, nullptr, QString(), nullptr, false))
{
}

ElementTree::~ElementTree()
{
    m_observers.clear();
    clear();
}

void ElementTree::addObserver(TreeObserver* observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void ElementTree::removeObserver(TreeObserver* observer)
{
    std::erase(m_observers, observer);
}

void ElementTree::clear()
{
    while (m_root->hasChildren())
        m_root->lastChild()->deleteNode();
}

} // namespace glanix
