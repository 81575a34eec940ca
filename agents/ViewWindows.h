#pragma once

class QString;

// The open view windows as the main window's logic sees them (`ListWindows`): most recently
// activated first, each of a kind (1 document, 2 image, 3 list, 4 information view) and
// showing one element, or none for a list of search results. Opening an agent's saved
// windows, closing an agent and shutting down go through here. The base class is a program
// without view windows.
namespace glanix {

class TElement;

enum WindowType : int { wtDocument = 1, wtImage = 2, wtList = 3, wtInfo = 4 };

class ViewWindows {
public:
    virtual ~ViewWindows() = default;

    virtual int count() const { return 0; }

    virtual int windowType(int /*index*/) const { return 0; }

    // Null for a list that shows no single element (search results).
    virtual TElement* element(int /*index*/) const { return nullptr; }

    virtual bool isMaximized(int /*index*/) const { return false; }

    // Opens a window of the kind on the element; false when there is none to open.
    virtual bool open(int /*windowType*/, TElement* /*element*/) { return false; }

    virtual void close(int /*index*/) { }

    // A list that shows no single element loses the rows of the agent's elements.
    virtual void removeRowsOf(TElement* /*agent*/) { }

    // After reopening: the first window maximized or in the normal state.
    virtual void showFirst(bool /*maximized*/) { }

    // Every window writes its placement, last first.
    virtual void savePlacements() { }
};

} // namespace glanix
