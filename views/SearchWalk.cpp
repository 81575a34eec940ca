#include "views/SearchWalk.h"

#include "config/Env.h"
#include "store/ElementStore.h"
#include "store/PageEncoding.h"
#include "store/TElement.h"

#include <QFile>
#include <QFileInfo>

namespace glanix {

SearchWalk::SearchWalk(ElementStore& store, TreeNode* start, const SearchSettings& settings)
    : m_store(store)
    , m_settings(settings)
    , m_start(start)
    , m_agent(start)
    , m_startLevel(start ? start->level() : 0)
{
    while (m_agent && !m_agent->isTopLevel())
        m_agent = m_agent->parent();
    m_done = start == nullptr;
    m_store.tree().addObserver(this);
}

SearchWalk::~SearchWalk()
{
    detach();
}

void SearchWalk::detach()
{
    if (m_detached)
        return;
    m_detached = true;
    m_store.tree().removeObserver(this);
    m_done = true;
    m_current = nullptr;
    m_node = m_resume = m_start = m_agent = nullptr;
}

TreeNode* SearchWalk::following(TreeNode* node) const
{
    // An image group's images are never searched: its subtree is stepped over.
    const TElement* e = node->element();
    if (node->hasChildren() && !(e && e->Kind == kindImageGroup))
        return node->firstChild();
    for (TreeNode* n = node; n; n = n->parent()) {
        if (TreeNode* sibling = n->nextSibling())
            return sibling;
    }
    return nullptr;
}

TreeNode* SearchWalk::advance()
{
    const bool first = !m_begun;
    TreeNode* n;
    if (first) {
        m_begun = true;
        n = m_start;
    } else if (m_resume || m_resumeAtEnd) {
        n = m_resume;
        m_resume = nullptr;
        m_resumeAtEnd = false;
    } else {
        n = following(m_node);
    }
    if (first)
        return n;
    switch (m_settings.where) {
    case 0:
        return n && n->level() > m_startLevel ? n : nullptr;
    case 1:
        if (!n || n->isTopLevel()) {
            n = m_agent;
            ++m_wraps;
        }
        break;
    default:
        if (!n) {
            n = m_store.tree().firstNode();
            ++m_wraps;
        }
        break;
    }
    // Coming back to the start node ends the round; once it is gone, a second wrap does.
    if (!n || (m_wraps > 0 && n == m_start) || m_wraps > 1)
        return nullptr;
    return n;
}

bool SearchWalk::searchable(TElement& e) const
{
    if (!e.isAddressOrPage())
        return false;
    const QString type = e.ContentType.section(u';', 0, 0).trimmed().toLower();
    if (!type.isEmpty() && type != u"text/html" && type != u"text/plain")
        return false;
    if (!QFileInfo(e.GetSavePath()).isFile())
        return false;
    const TDateTime now = m_store.env().now();
    if (m_settings.checkMinAge && !(e.LastModified < now - m_settings.minDaysOld))
        return false;
    if (m_settings.checkMaxAge && !(e.LastModified > now - m_settings.maxDaysOld))
        return false;
    return true;
}

void SearchWalk::fill(TElement& e, SearchItem& item) const
{
    item = {};
    if (m_settings.inPages) {
        QFile file(e.GetSavePath());
        if (file.open(QIODevice::ReadOnly))
            item.page = file.readAll();
        item.headerCharset = charsetParameter(e.ContentType.toLatin1());
    }
    if (m_settings.inTitle)
        item.tail += u' ' + e.GetName() + u' ';
    if (m_settings.inNotes) {
        for (const QString& line : e.ReadNotes())
            item.tail += u' ' + line + u' ';
    }
    if (m_settings.inURL)
        item.tail += u' ' + e.GetURL() + u' ';
    // A word at the very end is still followed by a character.
    item.tail += QStringLiteral(" x");
}

bool SearchWalk::next(SearchItem& item)
{
    Step s;
    while ((s = step(item, 1000)) == Step::Later) { }
    return s == Step::Found;
}

SearchWalk::Step SearchWalk::step(SearchItem& item, int budget)
{
    m_current = nullptr;
    for (int visited = 0; !m_done; ++visited) {
        if (visited == budget)
            return Step::Later;
        TreeNode* n = advance();
        if (!n) {
            m_done = true;
            break;
        }
        m_node = n;
        TElement* e = n->element();
        if (!e || e->isImageOrGroup())
            continue;
        // Folders not yet opened in the tree are searched too.
        e->LoadChildren(1);
        if (!searchable(*e))
            continue;
        fill(*e, item);
        m_current = e;
        ++m_documents;
        return Step::Found;
    }
    return Step::End;
}

void SearchWalk::nodesAboutToBeRemoved(TreeNode* parent, int first, int last)
{
    auto removed = [&](const TreeNode* x) {
        if (!x)
            return false;
        for (int r = first; r <= last; ++r) {
            const TreeNode* c = parent->child(r);
            if (c == x || c->isAncestorOf(x))
                return true;
        }
        return false;
    };
    // What comes after the removed nodes in display order; null at the end of the tree.
    auto follower = [&]() -> TreeNode* {
        if (last + 1 < parent->childCount())
            return parent->child(last + 1);
        for (TreeNode* n = parent; n && !n->isRoot(); n = n->parent()) {
            if (TreeNode* sibling = n->nextSibling())
                return sibling;
        }
        return nullptr;
    };

    if (m_current && m_current->Node() && removed(m_current->Node()))
        m_current = nullptr;
    if (removed(m_node)) {
        m_node = nullptr;
        m_resume = follower();
        m_resumeAtEnd = m_resume == nullptr;
    } else if (removed(m_resume)) {
        m_resume = follower();
        m_resumeAtEnd = m_resume == nullptr;
    }
    if (removed(m_agent) && m_settings.where != 2)
        m_done = true;
    if (removed(m_start)) {
        if (m_settings.where == 0) {
            m_done = true;
        } else {
            TreeNode* f = follower();
            m_start = f && !(m_settings.where == 1 && f->isTopLevel()) ? f : nullptr;
        }
    }
}

} // namespace glanix
