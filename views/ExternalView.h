#pragma once

#include <QByteArray>
#include <QString>

// "Vue externe.html": a stored page made ready for a browser outside Glanix. Its relative
// links keep working through a base tag (unless the page has its own), and the images the
// store holds are taken from their local files instead of the web.
namespace glanix {

class TElement;

// The page's bytes with the base tag inserted and the stored images' sources turned into
// file URLs; only those values change. Images are looked up among the page's own and those
// held near it (the same neighbourhood as when they were stored).
QByteArray buildExternalView(TElement& page, const QByteArray& content);

} // namespace glanix
