#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// How the views name stored documents. A view never asks for an http(s) address: each one
// stands for a URL of the views' own schemes, "glanix-http://host/path" for
// "http://host/path" and "glanix-https://..." for https, so that the page's relative links,
// frames and images resolve in the page as they did on the web, and every request lands in
// the views' scheme handler. Pure functions of their arguments.
namespace glanix {

inline constexpr char kViewScheme[] = "glanix-http";
inline constexpr char kViewSchemeSecure[] = "glanix-https";

bool isViewScheme(const QString& scheme);

// The view URL standing for a web address; an invalid URL for any other scheme.
QUrl viewUrl(const QString& address);
// The http(s) URL (or view URL) as a view URL; an invalid URL for any other scheme.
QUrl toViewUrl(const QUrl& url);

// The web address a view URL stands for, fragment kept; empty for any other URL.
QString addressOfViewUrl(const QUrl& url);

// The forms under which the store may hold the address of a view URL (as encoded, as
// decoded, with and without the slash that viewUrlAsFolder adds), most likely first,
// fragment cut.
QStringList storedAddressForms(const QUrl& url);

// Glanix resolves a link on a page whose address ends in a segment without a dot as if that
// address were a folder ("http://host/news" + "a.gif" is "http://host/news/a.gif"), as the
// page's images were stored. A page served under such an address is redirected to this
// form, so that the page resolves its links the same way. An invalid URL when no redirect
// is needed.
QUrl viewUrlAsFolder(const QUrl& url);

// What a view does with a request its page makes: the views' schemes are answered from the
// store, an http(s) address is redirected onto them, about:blank and inline data images are
// let through, and everything else (file:, ftp:, ws:, data: documents, ...) is refused.
struct RequestVerdict {
    enum Action { Allow, Redirect, Block } action = Block;

    QUrl redirect;
};

RequestVerdict requestVerdict(const QUrl& url, bool document);

} // namespace glanix
