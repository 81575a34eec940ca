#pragma once

#include "views/CompareSettings.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// Marks what is new in a page against an older version of it, working on the bytes of both
// files: both texts are walked forward together; at a difference the new text is searched
// word by word for a run found again in the old text (ResyncFinder). Short changes are
// coloured, long ones framed by the g_new.gif / g_wen.gif icons; removed text is not shown.
// Markup and white space are copied but take no part in matching. Knows nothing of windows:
// the caller's poll callback processes pending events and reports the keyboard.
namespace glanix {

enum class UserRequest {
    None,
    Abort,     // Shift or Escape is down or was pressed since the last poll
    KeepGoing, // Ctrl is down: carry on past the time limit
};

struct CompareControl {
    // Called at most about once a second while the search runs.
    std::function<UserRequest()> poll;
    // Milliseconds on a monotonic clock; the steady clock when empty.
    std::function<qint64()> elapsedMs;
    // Test seam for the resynchronisation index (see ResyncFinder::setIndexPolicy).
    int indexPolicy = 1;
};

struct HighlightResult {
    QByteArray text;     // the new page with its changes marked
    int percent = 0;     // 0..100
    int blocks = 0;      // marked changes
    qint64 same = 0;     // characters copied as unchanged
    qint64 changed = 0;  // characters marked as changed
    bool aborted = false; // timed out or stopped by the user: the rest is unmarked
    bool failed = false;  // a fault was caught; `text` holds what had been produced
};

// The markers the highlighter writes.
QByteArray colourOpening(int highLightColor);
inline constexpr char kColourClosing[] = "</FONT>";
inline constexpr char kStartIcon[] = "<IMG SRC=\"g_new.gif\">";
inline constexpr char kEndIcon[] = "<IMG SRC=\"g_wen.gif\">";

HighlightResult HighlightChanges(QByteArray oldText, QByteArrayView newText, const CompareSettings& settings,
                                 const CompareControl& control = {});

} // namespace glanix
