#pragma once

#include <QString>

// Elements named the way scripts and saved windows name them: by their tree path below an
// agent (names joined with "\", a page's images under the component "Images"), or by their
// address. Reads from disk what the walk needs; never writes.
namespace glanix {

class TElement;

// The element at `path` below the agent; the agent itself for an empty path. Names compare
// exactly, as the tree shows them. Null when a component names nothing.
TElement* elementAtTreePath(TElement& agent, const QString& path);

// The first element of the agent, in tree order (a page's images right after the page),
// whose address is `url` (fragment and one trailing slash ignored, ASCII case ignored).
// Reads the whole tree first.
TElement* firstElementWithAddress(TElement& agent, const QString& url);

// A PATH argument: an address when it contains "://", else a tree path below the agent.
TElement* findElementArg(TElement& agent, const QString& pathOrUrl);

} // namespace glanix
