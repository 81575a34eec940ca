#include "store/FileNames.h"

#include "config/Env.h"
#include "store/Addresses.h"

#include <limits>

namespace glanix {

namespace {

bool isBidiControl(char16_t u)
{
    return u == 0x061C || u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E)
        || (u >= 0x2066 && u <= 0x2069);
}

bool isBadChar(QChar ch)
{
    const char16_t u = ch.unicode();
    return u < 0x20 || u == 0x7F || isBidiControl(u);
}

bool onlyDots(QStringView s)
{
    for (QChar ch : s) {
        if (ch != u'.')
            return false;
    }
    return true;
}

qsizetype utf8Length(QStringView s)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t u = s[i].unicode();
        if (u < 0x80)
            n += 1;
        else if (u < 0x800)
            n += 2;
        else if (QChar::isHighSurrogate(u) && i + 1 < s.size() && QChar::isLowSurrogate(s[i + 1].unicode())) {
            n += 4;
            ++i;
        } else
            n += 3;
    }
    return n;
}

QString mendOnce(const QString& name, int maxBytes)
{
    QString out = name;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar ch = out[i];
        if (ch == u'/')
            out[i] = u'_';
        else if (isBadChar(ch))
            out[i] = u' ';
        else if (ch.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (ch.isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    out = cutUtf8Bytes(out, maxBytes);
    const QStringView trimmed = QStringView(out).trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("_");
    if (onlyDots(trimmed))
        return u'_' + trimmed.toString();
    return out;
}

} // namespace

QString cutChars(const QString& text, qsizetype maxChars)
{
    if (text.size() <= maxChars)
        return text;
    qsizetype n = maxChars;
    if (n > 0 && text[n - 1].isHighSurrogate())
        --n;
    return text.left(n);
}

QString cutUtf8Bytes(const QString& text, int maxBytes)
{
    if (text.size() * 3 <= maxBytes || utf8Length(text) <= maxBytes)
        return text;
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const char16_t u = text[i].unicode();
        int len = 3;
        int units = 1;
        if (u < 0x80)
            len = 1;
        else if (u < 0x800)
            len = 2;
        else if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            len = 4;
            units = 2;
        }
        if (bytes + len > maxBytes)
            break;
        bytes += len;
        i += units;
    }
    return text.left(i);
}

QString SafeFileName(const QString& name, int maxBytes)
{
    QString current = name;
    for (int round = 0; round < 4; ++round) {
        QString next = mendOnce(current, maxBytes);
        if (next == current)
            break;
        current = std::move(next);
    }
    return current;
}

bool IsSafeFileName(QStringView name, int maxBytes)
{
    if (name.trimmed().isEmpty() || onlyDots(name.trimmed()) || utf8Length(name) > maxBytes)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar ch = name[i];
        if (ch == u'/' || isBadChar(ch))
            return false;
        if (ch.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            ++i;
        else if (ch.isSurrogate())
            return false;
    }
    return true;
}

QString fileExtension(QStringView fileName)
{
    const qsizetype slash = fileName.lastIndexOf(u'/');
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || dot < slash)
        return {};
    return fileName.sliced(dot).toString();
}

namespace {

QString urlToName(const QString& url, bool forExport)
{
    QString s = url;
    static const QStringView cuts[] = {u"?", u";", u"&", u"#", u"./", u"(", u")"};
    for (QStringView cut : cuts) {
        if (!forExport && cut == u")")
            continue;
        const qsizetype i = s.indexOf(cut);
        if (i >= 0)
            s.remove(i, 500);
    }
    s.replace(u'/', u'\\');
    if (s.endsWith(u'\\'))
        s.chop(1);
    const qsizetype sep = std::max(s.lastIndexOf(u'\\'), s.lastIndexOf(u':'));
    QString name = s.mid(sep + 1).trimmed();
    name.replace(QStringLiteral("%20"), QStringLiteral(" "));
    name.remove(u'"');
    name.remove(u'\'');
    for (QChar& ch : name) {
        if (ch == u'|' || ch == u'/' || ch == u':')
            ch = u'_';
        else if (ch == u'*')
            ch = u' ';
    }
    return name;
}

} // namespace

QString UrlToFileName(const QString& url)
{
    return SafeFileName(cutChars(urlToName(url, false), 63));
}

QString UrlToExportName(const QString& url)
{
    QString name = urlToName(url, true);
    const QString dir = DirectoryPart(url);
    const bool folder
        = url.endsWith(u'/') || url.endsWith(u'\\') || (!dir.isEmpty() && url == dir.chopped(1));
    if (!folder)
        return SafeFileName(cutChars(name, 63));
    if (name.size() > 63)
        name = cutChars(name, 52);
    return SafeFileName(name, kMaxNameBytes - 11) + QStringLiteral("/index.html");
}

QString CleanName(const QString& text)
{
    QString out = text;
    for (QChar& ch : out) {
        const char16_t u = ch.unicode();
        switch (u) {
        case u'%':
        case u'/':
        case u'\\':
        case u'?':
        case u'*':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            ch = u' ';
            break;
        case u':':
            ch = u'-';
            break;
        default:
            if (isBadChar(ch))
                ch = u' ';
        }
    }
    qsizetype i;
    while ((i = out.indexOf(QStringLiteral("  "))) >= 0)
        out.remove(i, 1);
    out = SafeFileName(cutChars(out, 63));
    // A mended name ("_" before a run of dots) still keeps to 63 characters.
    return out.size() > 63 ? SafeFileName(cutChars(out, 63)) : out;
}

void FixReservedName(QString& name)
{
    if (name.isEmpty())
        return;
    const QString lower = name.toLower();
    const bool device = lower == u"aux" || lower == u"con" || lower == u"prn";
    const bool numbered
        = name.size() == 4 && name[3].isDigit() && (lower.startsWith(u"com") || lower.startsWith(u"lpt"));
    if (device || numbered || name.endsWith(u'.'))
        name += u'~';
}

QString NameFromFileName(const QString& fileName)
{
    const QString ext = fileExtension(fileName);
    if (ext.left(4).toLower() == u".htm") {
        // "..htm" must not give ".".
        const QString name = fileName.chopped(ext.size());
        if (IsSafeFileName(name))
            return name;
    }
    return fileName;
}

QString SaveFileNameVersionPrec(const QString& path, int n, Env* log)
{
    if (n == 1)
        return path;
    if (n < 1 && log)
        log->logError(QStringLiteral("SaveFileNameVersionPrec(..., <1)"));
    const QString ext = fileExtension(path);
    return path.chopped(ext.size()) + QStringLiteral(" (%1)").arg(n) + ext;
}

namespace {

// The trailing number of a name: its start, and its value. Blanks and a "+" before the digits
// belong to it; without digits, or when they do not fit, start is the end of the name.
struct Tail {
    qsizetype start;
    qint64 value;
};

Tail trailingNumber(const QString& s)
{
    qsizetype i = s.size();
    while (i > 0 && s[i - 1].unicode() >= '0' && s[i - 1].unicode() <= '9')
        --i;
    if (i == s.size())
        return {s.size(), 0};
    // Only the digits that fit in a signed 32-bit number read as one.
    qsizetype first = i;
    while (true) {
        bool ok = false;
        const qint64 v = QStringView(s).sliced(first).toLongLong(&ok);
        if (ok && v <= std::numeric_limits<int>::max())
            break;
        ++first;
    }
    const qint64 value = QStringView(s).sliced(first).toLongLong();
    if (first == i) {
        if (first > 0 && s[first - 1] == u'+')
            --first;
        while (first > 0 && s[first - 1] == u' ')
            --first;
    }
    return {first, value};
}

} // namespace

QString UniqueName(const QString& name, const std::function<bool(const QString&)>& taken)
{
    QString current = name;
    while (taken(current)) {
        const bool provisional = current.endsWith(u' ');
        if (provisional)
            current.chop(1);
        const Tail tail = trailingNumber(current);
        if (tail.start == current.size())
            current += QStringLiteral("~1");
        else
            current = current.left(tail.start) + QString::number(tail.value + 1);
        if (provisional)
            current += u' ';
    }
    return current;
}

QString RelativePath(const QString& file, const QString& other)
{
    const QString path = file.left(file.indexOf(u'?') < 0 ? file.size() : file.indexOf(u'?'));
    QString folder = path.left(path.lastIndexOf(u'/') + 1);
    QString up;
    const QString lowered = other.toLower();
    while (!folder.isEmpty() && !lowered.startsWith(folder.toLower())) {
        folder.chop(1);
        folder = folder.left(folder.lastIndexOf(u'/') + 1);
        up += QStringLiteral("../");
    }
    return up + other.mid(folder.size());
}

} // namespace glanix
