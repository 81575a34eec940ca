#pragma once

#include <QString>
#include <QStringView>

// Address arithmetic shared by page analysis, the download engine, the views and the export:
// making a link found in a page absolute, and cutting an address into its server and folder.
// Pure functions of their arguments; the scheme of the base is kept (an https page's links
// stay https).
namespace glanix {

// Absolute address of `link` found in the page at `base`; empty when the link leads nowhere
// Glanix can fetch (mailto:, javascript: and other non-web schemes).
QString ResolveURL(const QString& base, const QString& link);

// The path with its "." and ".." segments worked out (RFC 3986, 5.2.4), "%2e" standing for a
// dot: "/x/../../b.html" is "/b.html". A ".." never climbs above the root.
QString RemoveDotSegments(const QString& path);

// Scheme and host, without the slash after them ("https://host:8080").
QString ServerPart(const QString& url);

// The address up to and including its last "/": a page's folder; an address whose last
// segment has no dot counts as a folder and gets its slash.
QString DirectoryPart(const QString& url);

// The part before and after the first blank ("address file-name" lines).
QString FirstWord(const QString& text);
QString AfterFirstWord(const QString& text);

// Addresses are equal ignoring the case of ASCII letters only.
bool sameAddress(QStringView a, QStringView b);

// Index at which the host begins: after "scheme://", else 7 as for "http://".
qsizetype hostStart(QStringView url);

} // namespace glanix
