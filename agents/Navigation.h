#pragma once

#include <QList>

// The back and forward lists of the tree (`PreviousList`, most recent first, and `NextList`,
// nearest first), at most 30 elements each; images and image groups never enter them. An
// element that goes away leaves them at once.
namespace glanix {

class TElement;

class NavigationHistory {
public:
    static constexpr int kMaxEntries = 30;

    const QList<TElement*>& PreviousList() const { return m_previous; }

    const QList<TElement*>& NextList() const { return m_next; }

    // A selection change to `current` (not made by going back or forward).
    void recordVisit(TElement* current);
    // The element leaves both lists.
    void forget(TElement* element);
    // Every element of the agent, from both lists.
    void forgetAgent(TElement* agent);
    void clear();

private:
    QList<TElement*> m_previous;
    QList<TElement*> m_next;
};

} // namespace glanix
