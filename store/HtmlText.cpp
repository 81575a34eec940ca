#include "store/HtmlText.h"

#include "config/TextCodec.h"

namespace glanix {

namespace {

// Longest number a numeric reference may hold ("1114111", "x10FFFF"); a ";" further away
// leaves the text as it is, less its "&#".
constexpr qsizetype kMaxReferenceDigits = 7;

QString withoutLineEnds(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c != u'\r' && c != u'\n')
            out.append(c);
    }
    return out;
}

// While the text holds a "<" and a ">", the piece from the first "<" to the first ">" goes
// (everything up to that ">" when it comes first). Done in one pass: what is kept before a
// "<" never holds either character, so only the rest needs looking at.
QString withoutTags(const QString& t, bool lineBreaks)
{
    QString out;
    out.reserve(t.size());
    qsizetype i = 0;
    qsizetype lt = t.indexOf(u'<');
    qsizetype gt = t.indexOf(u'>');
    while (lt >= 0 && gt >= 0) {
        if (lt < gt) {
            out.append(QStringView(t).mid(i, lt - i));
            const QStringView piece = QStringView(t).mid(lt, gt - lt + 1);
            if (lineBreaks
                && (piece.compare(u"<br>", Qt::CaseInsensitive) == 0
                    || piece.compare(u"<p>", Qt::CaseInsensitive) == 0))
                out.append(u"\r\n");
        } else {
            out.clear();
        }
        i = gt + 1;
        if (lt < i)
            lt = t.indexOf(u'<', i);
        gt = t.indexOf(u'>', i);
    }
    out.append(QStringView(t).mid(i));
    return out;
}

// "&#" references, each replaced as soon as it is complete, so that one produced by another
// ("&#38;#65;") is decoded too, as a repeated search from the start would.
QString withNumericReferences(const QString& t)
{
    QString out;
    out.reserve(t.size());
    const qsizetype n = t.size();
    qsizetype i = 0;
    while (i < n) {
        out.append(t[i++]);
        while (out.size() >= 2 && out.back() == u'#' && out[out.size() - 2] == u'&') {
            out.chop(2);
            qsizetype semi = -1;
            for (qsizetype k = i; k < n && k - i <= kMaxReferenceDigits; ++k) {
                if (t[k] == u';') {
                    semi = k;
                    break;
                }
            }
            if (semi < 0)
                continue; // only the "&#" goes
            const QString text = numericReferenceText(QStringView(t).mid(i, semi - i));
            i = semi + 1;
            out.append(text);
        }
    }
    return out;
}

struct NamedReference {
    const char16_t* name; // without "&" and ";"
    char16_t ch;
};

constexpr NamedReference kNamed[] = {
    {u"aacute", 0xE1}, {u"agrave", 0xE0}, {u"acirc", 0xE2}, {u"auml", 0xE4},
    {u"Aacute", 0xC1}, {u"Agrave", 0xC0}, {u"Acirc", 0xC2}, {u"Auml", 0xC4},
    {u"eacute", 0xE9}, {u"egrave", 0xE8}, {u"ecirc", 0xEA}, {u"euml", 0xEB},
    {u"Eacute", 0xC9}, {u"Egrave", 0xC8}, {u"Ecirc", 0xCA}, {u"Euml", 0xCB},
    {u"iacute", 0xED}, {u"igrave", 0xEC}, {u"icirc", 0xEE}, {u"iuml", 0xEF},
    {u"Iacute", 0xCD}, {u"Igrave", 0xCC}, {u"Icirc", 0xCE}, {u"Iuml", 0xCF},
    {u"oacute", 0xF3}, {u"ograve", 0xF2}, {u"ocirc", 0xF4}, {u"ouml", 0xF6},
    {u"Oacute", 0xD3}, {u"Ograve", 0xD2}, {u"Ocirc", 0xD4}, {u"Ouml", 0xD6},
    {u"uacute", 0xFA}, {u"ugrave", 0xF9}, {u"ucirc", 0xFB}, {u"uuml", 0xFC},
    {u"Uacute", 0xDA}, {u"Ugrave", 0xD9}, {u"Ucirc", 0xDB}, {u"Uuml", 0xDC},
    {u"ccedil", 0xE7}, {u"Ccedil", 0xC7}, {u"ntilde", 0xF1}, {u"Ntilde", 0xD1},
    {u"quot", u'"'},
};

// The accented letters and "&quot;": none of them can produce another, so one pass does.
QString withNamedReferences(const QString& t)
{
    QString out;
    out.reserve(t.size());
    const qsizetype n = t.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype amp = t.indexOf(u'&', i);
        if (amp < 0)
            break;
        out.append(QStringView(t).mid(i, amp - i));
        i = amp + 1;
        qsizetype semi = -1;
        for (qsizetype k = i; k < n && k - i <= 6; ++k) {
            if (t[k] == u';') {
                semi = k;
                break;
            }
        }
        bool replaced = false;
        if (semi > i) {
            const QStringView name = QStringView(t).mid(i, semi - i);
            for (const NamedReference& r : kNamed) {
                if (name == QStringView(r.name)) {
                    out.append(QChar(r.ch));
                    i = semi + 1;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out.append(u'&');
    }
    out.append(QStringView(t).mid(i));
    return out;
}

QString collapsed(const QString& t)
{
    QString out;
    out.reserve(t.size());
    for (QChar c : t) {
        if (c == u'#' || (c == u' ' && !out.isEmpty() && out.back() == u' '))
            continue;
        out.append(c);
    }
    return out;
}

} // namespace

QString numericReferenceText(QStringView number)
{
    bool ok = false;
    uint code = 0;
    if (!number.isEmpty() && (number[0] == u'x' || number[0] == u'X'))
        code = number.mid(1).toUInt(&ok, 16);
    else if (!number.isEmpty() && number[0].isDigit())
        code = number.toUInt(&ok, 10);
    if (!ok)
        return QStringLiteral(" ");
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return QString(QChar(QChar::ReplacementCharacter));
    if (code >= 0x80 && code <= 0x9F) {
        const char byte = static_cast<char>(code);
        return decodeWindows1252(QByteArrayView(&byte, 1));
    }
    const char32_t ch = code;
    return QString::fromUcs4(&ch, 1);
}

QString HtmlToText(const QString& html, bool lineBreaks)
{
    QString t = withNumericReferences(withoutTags(withoutLineEnds(html), lineBreaks));
    // "&amp;" after "&nbsp;" on purpose: "&amp;eacute;" ends as "é" but "&amp;nbsp;" stays.
    t.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    t.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return collapsed(withNamedReferences(t));
}

} // namespace glanix
