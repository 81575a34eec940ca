#pragma once

#include <QString>

// The agent named "Netscape" follows a browser's bookmark file (a bookmarks.html in the
// NETSCAPE-Bookmark-file-1 format that every browser exports, named by
// General/BookMarkFileName): its one address "BookMark" holds a copy of that file, taken
// again whenever the file has changed.
namespace glanix {

class TElement;

// The bookmark file to follow: the setting when it names a file, else "" (feature off).
QString netscapeBookmarkFile(const QString& bookMarkFileName);

// Makes the "BookMark" element when the agent has no child yet, and copies the bookmark file
// over its stored copy when the file is newer (by more than a minute), marking it new.
void refreshNetscapeAgent(TElement& agent, const QString& bookMarkFileName);

} // namespace glanix
