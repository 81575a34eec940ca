#include "agents/TreeWalks.h"

#include "store/TElement.h"
#include "store/TreeNode.h"

namespace glanix {

namespace {

// A walk over the tree in display order, wrapping once, that follows the tree's removals:
// when the node it stands on goes, it steps back to the node before the removed ones; when
// the node it started from goes, it ends at the end of the tree.
class TreeWalk final : private TreeObserver {
public:
    TreeWalk(ElementTree& tree, TreeNode* selected)
        : m_tree(tree)
        , m_start(selected)
        , m_at(selected)
    {
        m_tree.addObserver(this);
    }

    ~TreeWalk() override { m_tree.removeObserver(this); }

    TreeWalk(const TreeWalk&) = delete;
    TreeWalk& operator=(const TreeWalk&) = delete;

    // The next node, or null once back at the start (at the end of the tree when there was
    // no start, or it went).
    TreeNode* next()
    {
        TreeNode* n = m_at ? m_at->next() : m_tree.firstNode();
        if (!n) {
            if (m_wrapped || !m_start)
                return nullptr;
            m_wrapped = true;
            n = m_tree.firstNode();
        }
        if (!n || n == m_start)
            return nullptr;
        m_at = n;
        return n;
    }

private:
    static bool inside(const TreeNode* node, const TreeNode* parent, int first, int last)
    {
        for (const TreeNode* n = node; n; n = n->parent()) {
            const bool childOfParent = n->parent() ? n->parent() == parent : parent->isRoot();
            if (childOfParent && n->row() >= first && n->row() <= last)
                return true;
        }
        return false;
    }

    void nodesAboutToBeRemoved(TreeNode* parent, int first, int last) override
    {
        if (m_start && inside(m_start, parent, first, last))
            m_start = nullptr;
        if (m_at && inside(m_at, parent, first, last)) {
            // The node before the removed ones in display order: its next() is the one after.
            TreeNode* before = first > 0 ? parent->child(first - 1) : parent;
            while (first > 0 && before->hasChildren())
                before = before->lastChild();
            m_at = before->isRoot() ? nullptr : before;
        }
    }

    ElementTree& m_tree;
    TreeNode* m_start;
    TreeNode* m_at;
    bool m_wrapped = false;
};

bool stopped(const WalkControl& control)
{
    return control.stopped && control.stopped();
}

void letEventsRun(const WalkControl& control)
{
    if (control.letEventsRun)
        control.letEventsRun();
}

} // namespace

TreeNode* findNextUnread(ElementTree& tree, TreeNode* selected, bool neverRead, const WalkControl& control)
{
    TreeWalk walk(tree, selected);
    while (!stopped(control)) {
        TreeNode* n = walk.next();
        if (!n)
            return nullptr;
        TElement* e = n->element();
        if (e) {
            e->LoadChildren(2);
            if (e->isAddressOrPage() && e->State == stateUnread && (!neverRead || e->BeforeLastModified <= 0))
                return n;
        }
        letEventsRun(control);
    }
    return nullptr;
}

AddressFind findFromAddressBox(ElementTree& tree, TreeNode* selected, const QString& typed,
                               QStringList& entries, const WalkControl& control)
{
    AddressFind found;
    TElement* current = selected ? selected->element() : nullptr;
    if (!current || tree.topLevelCount() == 0)
        return found;
    if (typed == current->GetName() || typed == current->GetURL()) {
        if (!entries.contains(typed))
            entries.prepend(typed);
        found.pass = AddressFind::Pass::Current;
        found.node = selected;
        return found;
    }
    const QString text = typed.toUpper();
    const QString withScheme = QStringLiteral("HTTP://") + text;
    enum class By { Nothing, Name, Address };
    const auto test = [&](TElement& e, AddressFind::Pass pass) {
        const QString name = e.GetName().toUpper();
        const QString url = e.GetURL().toUpper();
        switch (pass) {
        case AddressFind::Pass::Exact:
            if (name == text)
                return By::Name;
            return url == text || url == withScheme ? By::Address : By::Nothing;
        case AddressFind::Pass::Prefix:
            if (name.startsWith(text))
                return By::Name;
            return url.startsWith(text) || url.startsWith(withScheme) ? By::Address : By::Nothing;
        default:
            if (name.contains(text))
                return By::Name;
            return url.contains(text) ? By::Address : By::Nothing;
        }
    };
    for (const AddressFind::Pass pass :
         {AddressFind::Pass::Exact, AddressFind::Pass::Prefix, AddressFind::Pass::Substring}) {
        if (pass == AddressFind::Pass::Prefix) {
            entries.removeAll(typed);
            if (TreeNode* first = tree.firstNode(); first && first->element())
                first->element()->LoadChildren(1000);
        }
        TreeWalk walk(tree, selected);
        while (!stopped(control)) {
            TreeNode* n = walk.next();
            if (!n)
                break;
            TElement* e = n->element();
            if (!e || e->isImageOrGroup()) {
                letEventsRun(control);
                continue;
            }
            if (pass == AddressFind::Pass::Exact)
                e->LoadChildren(1);
            const By by = test(*e, pass);
            if (by != By::Nothing) {
                found.pass = pass;
                found.node = n;
                found.text = by == By::Name ? e->GetName() : e->GetURL().mid(7);
                if (pass == AddressFind::Pass::Exact) {
                    if (typed == found.text && !entries.contains(found.text))
                        entries.prepend(found.text);
                } else {
                    found.selectionStart
                        = pass == AddressFind::Pass::Prefix ? static_cast<int>(typed.size()) : 0;
                    found.selectionLength = 100;
                }
                return found;
            }
            letEventsRun(control);
        }
        if (stopped(control))
            break;
    }
    return found;
}

} // namespace glanix
