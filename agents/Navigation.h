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

    // A selection change away from `current` (not made by going back or forward).
    void recordVisit(TElement* current);
    // Going back `steps` from `current`: at each step `current` (unless an image or image
    // group) goes to the front of NextList and the first of PreviousList becomes current.
    // Returns the element to select; null, with nothing changed, when PreviousList is shorter.
    TElement* goBack(TElement* current, int steps = 1);
    // The same the other way.
    TElement* goForward(TElement* current, int steps = 1);
    // The element leaves both lists.
    void forget(TElement* element);
    // Every element of the agent, from both lists.
    void forgetAgent(TElement* agent);
    void clear();

private:
    static TElement* move(TElement* current, int steps, QList<TElement*>& from, QList<TElement*>& to);

    QList<TElement*> m_previous;
    QList<TElement*> m_next;
};

} // namespace glanix
