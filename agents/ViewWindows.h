#pragma once

#include <cstddef>
#include <vector>

// The open view windows as the main window's logic sees them (`ListWindows`): most recently
// activated first, each of a kind (1 document, 2 image, 3 list, 4 information view) and
// showing one element, or none for a list of search results. The windows themselves are
// widgets made by the user interface through a ViewFactory; everything that decides which
// window shows what (the selection, opening an agent's saved windows, withdrawing an element,
// closing an agent, shutting down) works on this list and the small interface below, so it
// runs and is tested without widgets.
namespace glanix {

class TElement;

enum WindowType : int { wtDocument = 1, wtImage = 2, wtList = 3, wtInfo = 4 };

class ViewWindow {
public:
    virtual ~ViewWindow() = default;

    virtual int kind() const = 0;
    // Null for a list that shows no single element (search results).
    virtual TElement* element() const = 0;
    // `Load`: the window shows the element (the caller checked canShowIn).
    virtual void showElement(TElement* element) = 0;
    // Asks the window to close; it leaves the list when it is gone (at once or later).
    virtual void closeWindow() = 0;
    virtual void bringToFront() = 0;

    // Loading or laying out: keys are not dispatched and clicks wait.
    virtual bool busy() const { return false; }

    // A list view in search mode shows results, not the selection.
    virtual bool followsSelection() const { return true; }

    virtual bool isMaximized() const { return false; }

    virtual void showMaximized(bool /*maximized*/) { }

    // Writes its placement and settings; called at shutdown, last window first.
    virtual void savePlacement() { }

    // A list view loses the element's row, or the rows of every element of an agent.
    virtual void removeRowOf(TElement* /*element*/) { }

    virtual void removeRowsOfAgent(TElement* /*agent*/) { }

    // The user marked the element unread: an open view must not mark it read again.
    virtual void postponeRead(TElement* /*element*/) { }

    // The element's notes changed: a notes button shows them.
    virtual void notesChanged(TElement* /*element*/) { }
};

class ViewWindows;

class ViewFactory {
public:
    virtual ~ViewFactory() = default;
    // A new window of the kind for that list (it reports its activation and its closing
    // there), not yet in it; null when this program has none.
    virtual ViewWindow* createView(int kind, ViewWindows& list) = 0;
};

// Which kind of view can show the element (`Starting`: the last start did not end).
bool canShowIn(int kind, TElement* element, bool starting);

class ViewWindows {
public:
    void setFactory(ViewFactory* factory) { m_factory = factory; }

    int count() const { return static_cast<int>(m_list.size()); }

    ViewWindow* at(int index) const { return m_list[static_cast<size_t>(index)]; }

    const std::vector<ViewWindow*>& list() const { return m_list; }

    int windowType(int index) const { return at(index)->kind(); }

    TElement* element(int index) const { return at(index)->element(); }

    bool isMaximized(int index) const { return at(index)->isMaximized(); }

    // A window came up or was activated: it goes to the front. A window closing leaves.
    void activated(ViewWindow* window);
    void removed(ViewWindow* window);

    // The first window of the kind in list order (for lists, those following the selection).
    ViewWindow* firstOfKind(int kind) const;
    ViewWindow* showing(TElement* element) const;

    // A new window of the kind showing the element, at the front; null when none can be made.
    ViewWindow* open(int kind, TElement* element);

    void close(int index) { at(index)->closeWindow(); }

    // After reopening: the first window maximized or in the normal state.
    void showFirst(bool maximized);
    void savePlacements();

private:
    ViewFactory* m_factory = nullptr;
    std::vector<ViewWindow*> m_list;
};

} // namespace glanix
