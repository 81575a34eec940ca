#include "agents/ViewWindows.h"

#include "store/TElement.h"

#include <QFileInfo>
#include <algorithm>

namespace glanix {

bool canShowIn(int kind, TElement* e, bool starting)
{
    if (!e)
        return false;
    switch (kind) {
    case wtDocument:
        return !starting && (e->IsHtml() || (e->IsText() && e->isAddressOrPage()))
            && QFileInfo(e->GetSavePath()).isFile();
    case wtImage:
        return !starting && e->isImage() && QFileInfo(e->GetSavePath()).isFile();
    case wtList:
        return e->Kind == kindAgent || e->Kind == kindFolder || e->Kind == kindImageGroup
            || (e->IsHtml() && e->LastModified > 0);
    case wtInfo:
        return e->Kind != kindAgent && e->Kind != kindFolder && e->Kind != kindImageGroup
            && e->Kind != kindRoot;
    default:
        return false;
    }
}

void ViewWindows::activated(ViewWindow* window)
{
    std::erase(m_list, window);
    m_list.insert(m_list.begin(), window);
}

void ViewWindows::removed(ViewWindow* window)
{
    std::erase(m_list, window);
}

ViewWindow* ViewWindows::firstOfKind(int kind) const
{
    for (ViewWindow* w : m_list) {
        if (w->kind() == kind && (kind != wtList || w->followsSelection()))
            return w;
    }
    return nullptr;
}

ViewWindow* ViewWindows::showing(TElement* element) const
{
    for (ViewWindow* w : m_list) {
        if (element && w->element() == element)
            return w;
    }
    return nullptr;
}

ViewWindow* ViewWindows::open(int kind, TElement* element)
{
    ViewWindow* w = m_factory ? m_factory->createView(kind, *this) : nullptr;
    if (!w)
        return nullptr;
    activated(w);
    if (element)
        w->showElement(element);
    return w;
}

void ViewWindows::showFirst(bool maximized)
{
    if (!m_list.empty())
        m_list.front()->showMaximized(maximized);
}

void ViewWindows::savePlacements()
{
    for (auto it = m_list.rbegin(); it != m_list.rend(); ++it)
        (*it)->savePlacement();
}

} // namespace glanix
