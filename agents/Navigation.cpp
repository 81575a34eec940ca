#include "agents/Navigation.h"

#include "store/TElement.h"

namespace glanix {

void NavigationHistory::recordVisit(TElement* current)
{
    if (!current)
        return;
    for (TElement* e : std::as_const(m_next)) {
        if (!e->isImageOrGroup())
            m_previous.prepend(e);
    }
    m_next.clear();
    m_previous.removeAll(current);
    if (!current->isImageOrGroup())
        m_previous.prepend(current);
    while (m_previous.size() > kMaxEntries)
        m_previous.removeAt(kMaxEntries);
}

TElement* NavigationHistory::goBack(TElement* current, int steps)
{
    return move(current, steps, m_previous, m_next);
}

TElement* NavigationHistory::goForward(TElement* current, int steps)
{
    return move(current, steps, m_next, m_previous);
}

TElement* NavigationHistory::move(TElement* current, int steps, QList<TElement*>& from, QList<TElement*>& to)
{
    if (steps < 1 || from.size() < steps)
        return nullptr;
    for (int i = 0; i < steps; ++i) {
        if (current && !current->isImageOrGroup()) {
            to.removeAll(current);
            to.prepend(current);
        }
        current = from.takeFirst();
    }
    while (to.size() > kMaxEntries)
        to.removeAt(kMaxEntries);
    return current;
}

void NavigationHistory::forget(TElement* element)
{
    // Every occurrence: a freed element left behind would be followed later.
    m_previous.removeAll(element);
    m_next.removeAll(element);
}

void NavigationHistory::forgetAgent(TElement* agent)
{
    auto ofAgent = [agent](TElement* e) { return e->GetAgent() == agent; };
    m_previous.removeIf(ofAgent);
    m_next.removeIf(ofAgent);
}

void NavigationHistory::clear()
{
    m_previous.clear();
    m_next.clear();
}

} // namespace glanix
