#include "views/ExportLinks.h"

#include "store/Addresses.h"
#include "store/PageEncoding.h"

#include <QUrl>
#include <cstring>
#include <vector>

namespace glanix {

namespace {

inline bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

inline char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool equalsLower(QByteArrayView text, const char* word)
{
    const qsizetype n = static_cast<qsizetype>(std::strlen(word));
    if (text.size() != n)
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        if (lower(text[i]) != word[i])
            return false;
    }
    return true;
}

// Position of `word` (lower case) in `text` ignoring ASCII case, from `from`; -1 when absent.
qsizetype findLower(QByteArrayView text, const char* word, qsizetype from)
{
    const qsizetype n = static_cast<qsizetype>(std::strlen(word));
    for (qsizetype i = from; i + n <= text.size(); ++i) {
        qsizetype k = 0;
        while (k < n && lower(text[i + k]) == word[k])
            ++k;
        if (k == n)
            return i;
    }
    return -1;
}

struct Attribute {
    QByteArrayView name;
    qsizetype valueBegin = -1; // offsets in the page; -1 for an attribute without value
    qsizetype valueEnd = -1;
    char quote = 0;
};

// End of the tag that starts at `lt` (the position of its ">"), or -1. A ">" inside a quoted
// attribute value belongs to the value: `<a title="a>b" href=x>` is one tag.
qsizetype tagEnd(QByteArrayView page, qsizetype lt)
{
    const char* p = page.data();
    const qsizetype n = page.size();
    bool afterEquals = false;
    for (qsizetype i = lt + 1; i < n; ++i) {
        const char c = p[i];
        if (c == '>')
            return i;
        if (c == '=') {
            afterEquals = true;
            continue;
        }
        if (afterEquals && (c == '"' || c == '\'')) {
            const void* close = std::memchr(p + i + 1, c, static_cast<size_t>(n - i - 1));
            // An unclosed quote would swallow the rest of the page: read it as a plain mark.
            if (close) {
                const qsizetype at = static_cast<const char*>(close) - p;
                const void* gt = std::memchr(p + i + 1, '>', static_cast<size_t>(at - i - 1));
                const void* lt2 = std::memchr(p + i + 1, '<', static_cast<size_t>(at - i - 1));
                // A value running over the next tag is a missing quote, not a long value.
                if (!(gt && lt2))
                    i = at;
            }
        }
        if (!isBlank(c))
            afterEquals = false;
    }
    return -1;
}

// The tag's name (lower case, "/x" for a closing tag) and attributes, from `lt` to `gt`.
QByteArray parseTag(QByteArrayView page, qsizetype lt, qsizetype gt, std::vector<Attribute>& attributes)
{
    attributes.clear();
    qsizetype i = lt + 1;
    const qsizetype nameBegin = i;
    while (i < gt && !isBlank(page[i]) && page[i] != '>' && !(page[i] == '/' && i > nameBegin))
        ++i;
    QByteArray name = page.sliced(nameBegin, i - nameBegin).toByteArray().toLower();
    while (i < gt) {
        while (i < gt && (isBlank(page[i]) || page[i] == '/'))
            ++i;
        const qsizetype attrBegin = i;
        while (i < gt && !isBlank(page[i]) && page[i] != '=' && page[i] != '/')
            ++i;
        if (i == attrBegin) {
            ++i; // a lone "=": skip it
            continue;
        }
        Attribute a;
        a.name = page.sliced(attrBegin, i - attrBegin);
        qsizetype j = i;
        while (j < gt && isBlank(page[j]))
            ++j;
        if (j < gt && page[j] == '=') {
            ++j;
            while (j < gt && isBlank(page[j]))
                ++j;
            if (j < gt && (page[j] == '"' || page[j] == '\'')) {
                a.quote = page[j];
                const qsizetype close = page.sliced(j + 1, gt - j - 1).indexOf(a.quote);
                a.valueBegin = j + 1;
                a.valueEnd = close < 0 ? gt : j + 1 + close;
                i = close < 0 ? gt : a.valueEnd + 1;
            } else {
                a.valueBegin = j;
                while (j < gt && !isBlank(page[j]))
                    ++j;
                a.valueEnd = j;
                i = j;
            }
        }
        attributes.push_back(a);
    }
    return name;
}

const Attribute* findAttribute(const std::vector<Attribute>& attributes, const char* name)
{
    for (const Attribute& a : attributes) {
        if (equalsLower(a.name, name))
            return &a;
    }
    return nullptr;
}

// The new value as it must stand between the attribute's delimiters.
QByteArray delimited(QByteArray value, char quote)
{
    if (quote == '"')
        return value.replace("\"", "&quot;");
    if (quote == '\'')
        return value.replace("'", "&#39;");
    for (char c : value) {
        if (isBlank(c) || c == '"' || c == '\'' || c == '<' || c == '>' || c == '=' || c == '`')
            return '"' + value.replace("\"", "&quot;") + '"';
    }
    return value;
}

// Raw text whose tags are not read: a script's or a style's content up to its closing tag.
qsizetype rawTextEnd(QByteArrayView page, qsizetype from, const QByteArray& name)
{
    const QByteArray closing = "</" + name;
    const qsizetype at = findLower(page, closing.constData(), from);
    return at < 0 ? page.size() : at;
}

} // namespace

QString exportPathUrl(const QString& relativePath)
{
    QStringList segments = relativePath.split(u'/');
    for (QString& s : segments)
        s = QString::fromLatin1(QUrl::toPercentEncoding(s, "!$()*+,@-._~"));
    return segments.join(u'/');
}

QByteArray rewriteExportLinks(QByteArrayView page, const ExportLinkOptions& options,
                              const ExportLinkTarget& target, int* examined)
{
    const PageDecoder decoder(page, {}, {});
    QByteArray out;
    out.reserve(page.size() + page.size() / 16);
    QString base;
    bool baseSeen = false;
    bool headEnded = false;
    int count = 0;
    std::vector<Attribute> attributes;
    qsizetype p = 0;
    while (p < page.size()) {
        const qsizetype lt = page.indexOf('<', p);
        if (lt < 0)
            break;
        out.append(page.sliced(p, lt - p));
        if (page.sliced(lt).startsWith("<!--")) {
            const qsizetype close = page.indexOf("-->", lt + 4);
            p = close < 0 ? page.size() : close + 3;
            out.append(page.sliced(lt, p - lt));
            continue;
        }
        const qsizetype gt = tagEnd(page, lt);
        if (gt < 0)
            break;
        p = gt + 1;
        const QByteArray name = parseTag(page, lt, gt, attributes);
        const qsizetype outTag = out.size();
        out.append(page.sliced(lt, gt + 1 - lt));

        if (name == "/head")
            headEnded = true;
        if (name == "script" || name == "style") {
            const qsizetype end = rawTextEnd(page, p, name);
            out.append(page.sliced(p, end - p));
            p = end;
            continue;
        }

        ExportLinkKind kind = ExportLinkKind::Link;
        const Attribute* attr = nullptr;
        if (name == "img" || name == "image") {
            kind = ExportLinkKind::Image;
            attr = findAttribute(attributes, "src");
        } else if (name == "input") {
            const Attribute* type = findAttribute(attributes, "type");
            if (type && type->valueBegin >= 0
                && equalsLower(page.sliced(type->valueBegin, type->valueEnd - type->valueBegin), "image")) {
                kind = ExportLinkKind::Image;
                attr = findAttribute(attributes, "src");
            }
        } else if (name == "frame" || name == "iframe") {
            kind = ExportLinkKind::Frame;
            attr = findAttribute(attributes, "src");
        } else {
            attr = findAttribute(attributes, "href");
            if (!attr && name == "body") {
                kind = ExportLinkKind::Image;
                attr = findAttribute(attributes, "background");
            }
        }
        if (!attr || attr->valueBegin < 0)
            continue;

        const QByteArrayView raw = page.sliced(attr->valueBegin, attr->valueEnd - attr->valueBegin);
        const QByteArrayView value = raw.trimmed();
        const bool isBase = name == "base" && !headEnded && !baseSeen;
        if (isBase) {
            baseSeen = true;
            base = ResolveURL(options.pageUrl, decoder.decode(value));
            kind = ExportLinkKind::Base;
        }
        if (value.isEmpty() || value.startsWith('#'))
            continue;
        ++count;
        if (options.progress && count > 100 && count % 10 == 0)
            options.progress(count);

        const qsizetype hash = value.indexOf('#');
        const QByteArrayView fragment = hash < 0 ? QByteArrayView() : value.sliced(hash);
        QString address = isBase ? base
                                 : ResolveURL(base.isEmpty() ? options.pageUrl : base,
                                              decoder.decode(hash < 0 ? value : value.first(hash)));
        if (address.isEmpty())
            continue;
        address.replace(u' ', QStringLiteral("%20"));
        const std::optional<QString> replacement = target(kind, address);
        if (!replacement || !options.change)
            continue;
        const QByteArray written = decoder.encode(*replacement) + fragment.toByteArray();
        if (written == value)
            continue;
        const qsizetype at = outTag + (attr->valueBegin - lt);
        out.replace(at, raw.size(), delimited(written, attr->quote));
    }
    if (p < page.size())
        out.append(page.sliced(p));
    if (examined)
        *examined = count;
    return out;
}

} // namespace glanix
