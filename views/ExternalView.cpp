#include "views/ExternalView.h"

#include "store/Addresses.h"
#include "store/TElement.h"

#include <QFileInfo>
#include <QHash>
#include <QUrl>

namespace glanix {

namespace {

struct Value {
    qsizetype start = -1; // in the tag, the value without its quotes
    qsizetype length = 0;
    bool quoted = false;
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The value of attribute `name` in a lower-cased tag ("<img src=...>").
Value attribute(const QByteArray& lower, QByteArrayView name)
{
    qsizetype from = 1;
    while ((from = lower.indexOf(name, from)) > 0) {
        const qsizetype end = from + name.size();
        const bool startsWord = isSpace(lower[from - 1]) || lower[from - 1] == '"' || lower[from - 1] == '\'';
        qsizetype i = end;
        while (i < lower.size() && isSpace(lower[i]))
            ++i;
        if (!startsWord || i >= lower.size() || lower[i] != '=') {
            from = end;
            continue;
        }
        ++i;
        while (i < lower.size() && isSpace(lower[i]))
            ++i;
        Value v;
        if (i < lower.size() && (lower[i] == '"' || lower[i] == '\'')) {
            const char quote = lower[i];
            const qsizetype close = lower.indexOf(quote, i + 1);
            v.start = i + 1;
            v.length = (close < 0 ? lower.size() - 1 : close) - v.start;
            v.quoted = true;
        } else {
            qsizetype j = i;
            while (j < lower.size() && !isSpace(lower[j]) && lower[j] != '>')
                ++j;
            v.start = i;
            v.length = j - i;
        }
        return v;
    }
    return {};
}

TElement* storedImage(TElement& page, const QString& address)
{
    if (TElement* own = page.FindImageByURL(address))
        return own;
    TElement* near = page.FindLocal(address);
    return near && near->isImage() ? near : nullptr;
}

} // namespace

QByteArray buildExternalView(TElement& page, const QByteArray& content)
{
    QByteArray text = content;
    text.replace('\0', ' ');
    QByteArray out;
    out.reserve(text.size() + 256);
    QString base;
    bool headPassed = false;
    QHash<QByteArray, QByteArray> replaced; // value as written -> file URL, or itself
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf('<', pos);
        if (open < 0) {
            out += QByteArrayView(text).sliced(pos);
            break;
        }
        out += QByteArrayView(text).sliced(pos, open - pos);
        qsizetype close = text.indexOf('>', open);
        if (close < 0)
            close = text.size() - 1;
        QByteArray tag = text.mid(open, close - open + 1);
        const QByteArray lower = tag.toLower();
        pos = close + 1;
        if (!headPassed) {
            if (lower.contains("base") && lower.contains("href")) {
                const Value v = attribute(lower, "href");
                if (v.start > 0)
                    base = QString::fromUtf8(tag.mid(v.start, v.length)).trimmed();
            }
            if (lower.startsWith("</head")) {
                headPassed = true;
                if (base.isEmpty())
                    out += "<BASE HREF=\"" + page.GetURL().toUtf8() + "\">";
            }
        }
        QByteArrayView name;
        if (lower.contains("img") || lower.contains("image"))
            name = "src";
        else if (lower.contains("body"))
            name = "background";
        const Value v = name.isEmpty() ? Value {} : attribute(lower, name);
        if (v.start > 0 && v.length > 0) {
            const QByteArray value = tag.mid(v.start, v.length);
            auto known = replaced.find(value);
            if (known == replaced.end()) {
                const QString address
                    = ResolveURL(base.isEmpty() ? page.GetURL() : base, QString::fromUtf8(value).trimmed());
                TElement* image = address.isEmpty() ? nullptr : storedImage(page, address);
                const QString file = image ? image->GetSavePath() : QString();
                const QByteArray target = !file.isEmpty() && QFileInfo(file).isFile()
                    ? QUrl::fromLocalFile(file).toEncoded()
                    : value;
                known = replaced.insert(value, target);
            }
            if (*known != value) {
                tag = tag.left(v.start) + (v.quoted ? QByteArray() : "\"") + *known
                    + (v.quoted ? QByteArray() : "\"") + tag.mid(v.start + v.length);
            }
        }
        out += tag;
    }
    return out;
}

} // namespace glanix
