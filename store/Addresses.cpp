#include "store/Addresses.h"

#include <QList>
#include <vector>

namespace glanix {

namespace {

bool isSchemeChar(QChar ch, bool first)
{
    const char16_t u = ch.unicode();
    const bool alpha = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    if (first)
        return alpha;
    return alpha || (u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.';
}

// Length of "scheme" in "scheme:..." (0 when the text does not start with a scheme).
qsizetype schemeLength(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && isSchemeChar(s[i], i == 0))
        ++i;
    return i > 0 && i < s.size() && s[i] == u':' ? i : 0;
}

bool startsWithCi(QStringView s, QStringView prefix)
{
    return s.startsWith(prefix, Qt::CaseInsensitive);
}

QString cutAt(const QString& s, QChar ch)
{
    const qsizetype i = s.indexOf(ch);
    return i < 0 ? s : s.left(i);
}

// Browsers drop tabs and line breaks anywhere in an address and blanks around it; they must
// never reach a request line or a file name.
QString cleanLink(const QString& link)
{
    // Almost every link is already clean: hand it back shared, without a copy.
    bool dirty = false;
    for (QChar ch : link) {
        const char16_t u = ch.unicode();
        if (u == u'\t' || u == u'\r' || u == u'\n' || u == 0) {
            dirty = true;
            break;
        }
    }
    if (!dirty)
        return link.isEmpty() || (!link.front().isSpace() && !link.back().isSpace()) ? link : link.trimmed();
    QString out;
    out.reserve(link.size());
    for (QChar ch : link) {
        if (ch != u'\t' && ch != u'\r' && ch != u'\n' && ch != QChar(0))
            out += ch;
    }
    return out.trimmed();
}

bool isDot(QStringView segment)
{
    return segment == u"." || segment.compare(u"%2e", Qt::CaseInsensitive) == 0;
}

bool isDotDot(QStringView segment)
{
    if (segment == u"..")
        return true;
    if (segment.size() != 4 && segment.size() != 6)
        return false;
    // ".%2e", "%2e." and "%2e%2e" in any case.
    qsizetype i = 0;
    for (int dot = 0; dot < 2; ++dot) {
        if (i < segment.size() && segment[i] == u'.')
            i += 1;
        else if (segment.sliced(i).startsWith(u"%2e", Qt::CaseInsensitive))
            i += 3;
        else
            return false;
    }
    return i == segment.size();
}

// The address with the dot segments of its path worked out; query and fragment untouched.
QString withoutDotSegments(const QString& url)
{
    const qsizetype start = url.indexOf(u'/', hostStart(url));
    if (start < 0)
        return url;
    qsizetype end = url.size();
    for (QChar stop : {u'?', u'#'}) {
        const qsizetype i = url.indexOf(stop, start);
        if (i >= 0 && i < end)
            end = i;
    }
    const QString path = url.sliced(start, end - start);
    const QString clean = RemoveDotSegments(path);
    if (clean == path)
        return url;
    return url.left(start) + clean + url.sliced(end);
}

} // namespace

QString RemoveDotSegments(const QString& path)
{
    // Almost every path has none: handed back shared.
    if (!path.contains(u"/.") && !path.startsWith(u'.') && !path.contains(u"%2e", Qt::CaseInsensitive))
        return path;
    const bool absolute = path.startsWith(u'/');
    const QList<QStringView> segments = QStringView(path).split(u'/');
    std::vector<QStringView> kept;
    kept.reserve(segments.size());
    bool endsAsFolder = false;
    for (qsizetype i = absolute ? 1 : 0; i < segments.size(); ++i) {
        const QStringView segment = segments[i];
        endsAsFolder = false;
        if (isDot(segment)) {
            endsAsFolder = true;
        } else if (isDotDot(segment)) {
            if (!kept.empty())
                kept.pop_back();
            endsAsFolder = true;
        } else {
            kept.push_back(segment);
        }
    }
    QString out;
    out.reserve(path.size());
    if (absolute)
        out += u'/';
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0)
            out += u'/';
        out += kept[i];
    }
    if (endsAsFolder && !kept.empty())
        out += u'/';
    return out;
}

qsizetype hostStart(QStringView url)
{
    const qsizetype scheme = schemeLength(url);
    if (scheme > 0 && url.sliced(scheme).startsWith(u"://"))
        return scheme + 3;
    return 7;
}

QString ServerPart(const QString& url)
{
    const qsizetype start = hostStart(url);
    for (qsizetype i = start + 1; i < url.size(); ++i) {
        const QChar ch = url[i];
        if (ch == u'/' || ch == u'?' || ch == u'#')
            return url.left(i);
    }
    return url;
}

QString DirectoryPart(const QString& address)
{
    if (address.isEmpty())
        return {};
    // A folder has no query or fragment; a "/" inside them says nothing about the path.
    QString url = address;
    for (QChar stop : {u'?', u'#'}) {
        const qsizetype i = url.indexOf(stop, hostStart(url));
        if (i >= 0)
            url.truncate(i);
    }
    const qsizetype start = hostStart(url);
    bool folder = true;
    if (url.indexOf(u'/', start + 2) >= 0) {
        const QStringView last = QStringView(url).sliced(url.lastIndexOf(u'/') + 1);
        folder = !last.contains(u'.');
    }
    if (folder && !url.endsWith(u'/'))
        url += u'/';
    const qsizetype slash = url.lastIndexOf(u'/');
    if (slash >= start + 3)
        return url.left(slash + 1);
    return url.left(start + 3);
}

QString ResolveURL(const QString& baseAddress, const QString& rawLink)
{
    QString base = cutAt(cutAt(cleanLink(baseAddress), u'?'), u'#');
    QString link = cleanLink(rawLink);

    if (startsWithCi(link, u"ftp://") || startsWithCi(link, u"file://") || startsWithCi(link, u"news://"))
        return link;
    if (link.startsWith(u'#'))
        return base;

    const qsizetype start = hostStart(base);
    if (base.indexOf(u'/', start) < 0)
        base += u'/';

    // mailto:, javascript:, data: and the like name nothing to fetch. "www.host:80/x" is a
    // host, not a scheme, hence the dot test.
    const qsizetype scheme = schemeLength(link);
    if (scheme > 0) {
        const QStringView name = QStringView(link).first(scheme);
        const bool web = name.compare(u"http", Qt::CaseInsensitive) == 0
            || name.compare(u"https", Qt::CaseInsensitive) == 0;
        if (!web && !name.contains(u'.'))
            return {};
    }

    while (link.startsWith(u"../")) {
        const QString folder = base.left(base.lastIndexOf(u'/') + 1);
        if (folder.size() > start + 1)
            base = folder;
        if (base.endsWith(u'/') && base.size() > start)
            base.chop(1);
        while (!base.isEmpty() && !base.endsWith(u'/') && base.indexOf(u'/', start) >= 0)
            base.chop(1);
        link.remove(0, 3);
    }
    if (link.startsWith(u"./"))
        link.remove(0, 2);

    // A last segment without a dot names a folder: http://host/dir + p.gif is dir/p.gif.
    const qsizetype lastSlash = base.lastIndexOf(u'/');
    if (lastSlash >= start && !QStringView(base).sliced(lastSlash + 1).contains(u'.'))
        base += base.endsWith(u'/') ? QStringLiteral("x") : QStringLiteral("/x");

    QString result;
    if (startsWithCi(link, u"http:") || startsWithCi(link, u"https:")) {
        result = link;
    } else if (link.startsWith(u"//")) {
        const qsizetype baseScheme = schemeLength(base);
        result = (baseScheme > 0 ? base.left(baseScheme) : QStringLiteral("http")) + u':' + link;
    } else if (link.startsWith(u'/')) {
        if (schemeLength(base) > 0) {
            const qsizetype hostEnd = base.indexOf(u'/', start);
            result = (hostEnd < 0 ? base : base.left(hostEnd)) + link;
        } else {
            result = QStringLiteral("http://") + base.left(base.indexOf(u'/')) + link;
        }
    } else {
        if (!base.endsWith(u'/') && base.indexOf(u'/', start) < 0)
            base += u'/';
        if (startsWithCi(link, u"www.") && link.contains(u'/'))
            result = QStringLiteral("http://") + link;
        else
            result = base.left(base.lastIndexOf(u'/') + 1) + link;
    }
    result = cutAt(result, u'#');

    // A redirector carrying another address ("go?u=http://other/p") resolves to that address.
    // Looking for "://" first keeps this cheap on the common address that carries nothing.
    constexpr qsizetype kFrom = 9;
    const QStringView view(result);
    for (qsizetype i = result.indexOf(u"://", kFrom + 4); i >= 0; i = result.indexOf(u"://", i + 1)) {
        if (i - 5 >= kFrom && view.sliced(i - 5, 5).compare(u"https", Qt::CaseInsensitive) == 0) {
            result.remove(0, i - 5);
            break;
        }
        if (view.sliced(i - 4, 4).compare(u"http", Qt::CaseInsensitive) == 0) {
            result.remove(0, i - 4);
            break;
        }
    }
    // "/x/../b.html" and "/b.html" are one document: one element, one request line.
    return withoutDotSegments(result);
}

bool sameAddress(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode();
        char16_t y = b[i].unicode();
        if (x >= 'A' && x <= 'Z')
            x += 32;
        if (y >= 'A' && y <= 'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

QString FirstWord(const QString& text)
{
    const qsizetype i = text.indexOf(u' ');
    return i < 0 ? text : text.left(i);
}

QString AfterFirstWord(const QString& text)
{
    const qsizetype i = text.indexOf(u' ');
    return i < 0 ? QString() : text.mid(i + 1);
}

} // namespace glanix
