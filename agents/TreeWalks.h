#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// The long walks of the tree that the user starts from the keyboard: the next unread page (or
// never-read address) and the search of the address box. Both walk the tree in display order
// from the node after the selected one, wrap to the first node and end back at the selected
// node or when `stopped` says so. Between nodes `letEventsRun` runs (the window's events, so
// that Escape can stop the walk); a node removed meanwhile, even the one the walk stands on or
// started from, never leaves the walk on a freed node.
namespace glanix {

class ElementTree;
class TreeNode;

struct WalkControl {
    std::function<bool()> stopped; // null: never
    std::function<void()> letEventsRun; // null: nothing to run
};

// The next address or page that is unread (`neverRead`: unread and without an earlier
// version); folders are read two levels deep as the walk passes them. Null when none.
TreeNode* findNextUnread(ElementTree& tree, TreeNode* selected, bool neverRead,
                         const WalkControl& control = {});

// What the address box's search found.
struct AddressFind {
    enum class Pass { None, Current, Exact, Prefix, Substring };
    Pass pass = Pass::None;
    TreeNode* node = nullptr; // the match (Exact, Prefix, Substring)
    // Prefix and substring passes: what the box shows, and the part selected in it (what
    // Enter confirms through the exact pass).
    QString text;
    int selectionStart = 0;
    int selectionLength = 0;
};

// Finds the element whose name or address is `typed` (exactly, "http://" left out, as a
// prefix, then anywhere), as Enter in the address box does; `entries` (the box's history) is
// updated as the box's rules say.
AddressFind findFromAddressBox(ElementTree& tree, TreeNode* selected, const QString& typed,
                               QStringList& entries, const WalkControl& control = {});

} // namespace glanix
