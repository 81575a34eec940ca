#include "agents/Marking.h"

#include "store/TElement.h"
#include "store/TreeNode.h"

namespace glanix {

namespace {

// Runs `change` on the target, then, when deep, on every element below it in tree order.
template<typename Change> int forTargetAndBelow(TElement& target, bool deep, Change change)
{
    int changed = change(target) ? 1 : 0;
    TreeNode* node = target.Node();
    if (!deep || !node)
        return changed;
    target.LoadChildren(1000);
    const bool images = target.Kind == kindImageGroup;
    const int level = node->level();
    for (TreeNode* n = node->next(); n && n->level() > level; n = n->next()) {
        TElement* e = n->element();
        if (!e || (!images && e->isImageOrGroup()))
            continue;
        if (change(*e))
            ++changed;
    }
    return changed;
}

} // namespace

int markAsRead(TElement& target, bool deep)
{
    return forTargetAndBelow(target, deep, [](TElement& e) {
        if (e.State != stateUnread)
            return false;
        e.SetState(stateRead);
        e.Save();
        return true;
    });
}

int markAsUnread(TElement& target, bool deep, const std::function<void(TElement&)>& shown)
{
    return forTargetAndBelow(target, deep, [&](TElement& e) {
        if (shown)
            shown(e);
        if (e.State != stateRead || e.LastModified <= 0)
            return false;
        e.SetState(stateUnread);
        e.Save();
        return true;
    });
}

int markForRefresh(TElement& target, bool deep)
{
    return forTargetAndBelow(target, deep, [&](TElement& e) {
        if (&e != &target && e.GetURL().contains(u'?'))
            return false;
        e.LastVerified = 0;
        e.Save();
        return true;
    });
}

} // namespace glanix
