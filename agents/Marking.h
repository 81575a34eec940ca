#pragma once

#include <functional>

// The tree's marking commands, as the pop-up menu, the keys, the list view and glanix-cli run
// them: read, unread, and refresh (checked again at the next connection). Each acts on one
// target and, when `deep` (the Yes to "the pages it contains"), on everything below it in
// tree order, its whole tree read first; images only when the target is an image group.
namespace glanix {

class TElement;

// An unread element becomes read. Returns how many elements changed.
int markAsRead(TElement& target, bool deep);

// A read element that was downloaded becomes unread (one never downloaded stays as it is);
// `shown` is told of each one so that a view showing it can refresh.
int markAsUnread(TElement& target, bool deep, const std::function<void(TElement&)>& shown = {});

// The target is checked again at the next connection; below it, only what has no "?" in its
// address (a form answer is not posted again). Returns how many elements were marked.
int markForRefresh(TElement& target, bool deep);

} // namespace glanix
