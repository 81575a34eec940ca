#include "views/ViewUrls.h"

namespace glanix {

namespace {

QString webSchemeOf(const QString& viewScheme)
{
    if (viewScheme == QLatin1String(kViewScheme))
        return QStringLiteral("http");
    if (viewScheme == QLatin1String(kViewSchemeSecure))
        return QStringLiteral("https");
    return {};
}

void addOnce(QStringList& list, const QString& s)
{
    if (!s.isEmpty() && !list.contains(s))
        list.append(s);
}

} // namespace

bool isViewScheme(const QString& scheme)
{
    return !webSchemeOf(scheme).isEmpty();
}

QUrl toViewUrl(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    if (isViewScheme(scheme))
        return url;
    if (url.host().isEmpty() || (scheme != u"http" && scheme != u"https"))
        return {};
    QUrl view = url;
    view.setScheme(scheme == u"http" ? QLatin1String(kViewScheme) : QLatin1String(kViewSchemeSecure));
    return view.isValid() ? view : QUrl();
}

QUrl viewUrl(const QString& address)
{
    return toViewUrl(QUrl(address, QUrl::TolerantMode));
}

QString addressOfViewUrl(const QUrl& url)
{
    const QString scheme = webSchemeOf(url.scheme());
    if (scheme.isEmpty() || url.host().isEmpty())
        return {};
    QUrl web = url;
    web.setScheme(scheme);
    return web.toString(QUrl::FullyEncoded);
}

QStringList storedAddressForms(const QUrl& url)
{
    QStringList forms;
    const QString scheme = webSchemeOf(url.scheme());
    if (scheme.isEmpty() || url.host().isEmpty())
        return forms;
    QUrl web = url.adjusted(QUrl::RemoveFragment);
    web.setScheme(scheme);
    const QString encoded = web.toString(QUrl::FullyEncoded);
    for (const QString& s : {encoded, web.toString(), QUrl::fromPercentEncoding(encoded.toUtf8())}) {
        addOnce(forms, s);
        // Undoes viewUrlAsFolder: "news/?id=3" was stored as "news?id=3".
        const qsizetype query = s.indexOf(u'?');
        if (query > 0 && s[query - 1] == u'/')
            addOnce(forms, s.left(query - 1) + s.mid(query));
    }
    return forms;
}

QUrl viewUrlAsFolder(const QUrl& url)
{
    const QString path = url.path();
    if (path.isEmpty() || path == u"/" || path.endsWith(u'/'))
        return {};
    const QString last = path.mid(path.lastIndexOf(u'/') + 1);
    if (last.contains(u'.'))
        return {};
    QUrl folder = url;
    folder.setPath(path + u'/');
    return folder;
}

RequestVerdict requestVerdict(const QUrl& url, bool document)
{
    const QString scheme = url.scheme().toLower();
    if (isViewScheme(scheme))
        return {url.host().isEmpty() ? RequestVerdict::Block : RequestVerdict::Allow, {}};
    if (scheme == u"http" || scheme == u"https") {
        const QUrl view = toViewUrl(url);
        return view.isValid() ? RequestVerdict {RequestVerdict::Redirect, view} : RequestVerdict {};
    }
    if (scheme == u"about")
        return {url.path() == u"blank" || url.path() == u"srcdoc" ? RequestVerdict::Allow
                                                                  : RequestVerdict::Block,
                {}};
    if (scheme == u"data" && !document)
        return {RequestVerdict::Allow, {}};
    return {};
}

} // namespace glanix
