#include "views/SearchEngines.h"

#include "store/HtmlText.h"

#include <array>
#include <string_view>

namespace glanix {

namespace {

constexpr qsizetype kQueryWordMax = 100;
constexpr qsizetype kTextWordMax = 250;
constexpr qsizetype kEntityMax = 10; // characters after "&", ";" included

struct Boundaries {
    std::array<bool, 128> code {};
    std::array<bool, 128> text {};

    constexpr Boundaries()
    {
        for (int c : {10, 13, 32, 33, 34, 58, 59, 63, 64, 91, 92, 93, 95, 123, 124, 125, 126})
            code[c] = true;
        for (int c = 39; c <= 47; ++c)
            code[c] = true;
        text = code;
        text['<'] = true;
        text['>'] = true;
    }
};

constexpr Boundaries kBoundaries;

bool codeBoundary(unsigned char c)
{
    return c < 128 && kBoundaries.code[c];
}

bool textBoundary(char32_t c)
{
    return c < 128 && kBoundaries.text[c];
}

// ---- Normal engine ----

// The characters one character of a word matches.
struct CharClass {
    bool any = false; // "?"
    bool wide = false; // holds a character beyond U+FFFF (two UTF-16 units)
    int size = 0;
    std::array<char32_t, 10> chars {};
    std::array<quint64, 4> lowBytes {}; // quick refusal on the low byte of a UTF-16 unit

    void add(char32_t c)
    {
        for (int i = 0; i < size; ++i) {
            if (chars[static_cast<size_t>(i)] == c)
                return;
        }
        if (size == static_cast<int>(chars.size()))
            return;
        chars[static_cast<size_t>(size++)] = c;
        wide = wide || c > 0xFFFF;
        const unsigned low = c & 0xFF;
        lowBytes[low >> 6] |= quint64(1) << (low & 63);
    }

    bool maybe(char16_t unit) const
    {
        const unsigned low = unit & 0xFF;
        return any || wide || (lowBytes[low >> 6] >> (low & 63)) & 1;
    }

    bool matches(char32_t c) const
    {
        if (any)
            return true;
        for (int i = 0; i < size; ++i) {
            if (chars[static_cast<size_t>(i)] == c)
                return true;
        }
        return false;
    }
};

struct AccentSet {
    const char16_t* from;
    const char16_t* to;
};

// Checked in this order; upper-case E, I and O and the letter ü fall to the case rule, so a
// word written "Ete" does not find "été" while "ete" does.
constexpr AccentSet kAccentSets[] = {
    {u"aàâäAÀÂÄ", u"aàâäAÀÂÄ"}, {u"eéèêë", u"eéèêëEÉÈÊË"}, {u"iîï", u"iîïIÎÏ"},
    {u"oôö", u"oôöOÔÖ"},        {u"uùûUÙÛ", u"uùûüUÙÛÜ"},  {u"cçCÇ", u"cçCÇ"},
};

CharClass classOf(char32_t c)
{
    CharClass k;
    if (c == U'?') {
        k.any = true;
        return k;
    }
    for (const AccentSet& s : kAccentSets) {
        if (c < 0x10000 && QStringView(s.from).contains(QChar(static_cast<char16_t>(c)))) {
            for (const char16_t* p = s.to; *p; ++p)
                k.add(*p);
            return k;
        }
    }
    k.add(c);
    k.add(QChar::toLower(c));
    k.add(QChar::toUpper(c));
    return k;
}

struct Unit {
    char32_t ch;
    qsizetype next;
};

// Named references that stand for punctuation or a blank count as that character; the
// others as their first letter ("&eacute;" reads as "e").
char32_t namedReference(QStringView name)
{
    if (name == u"amp")
        return U'&';
    if (name == u"lt")
        return U'<';
    if (name == u"gt")
        return U'>';
    if (name == u"quot")
        return U'"';
    if (name == u"apos")
        return U'\'';
    if (name == u"nbsp")
        return U' ';
    return name[0].unicode();
}

// The character at `p`: a character reference is one character, so is a surrogate pair.
Unit unitAt(QStringView t, qsizetype p)
{
    const qsizetype n = t.size();
    const QChar c = t[p];
    if (c == u'&') {
        const qsizetype stop = std::min(n, p + 1 + kEntityMax);
        qsizetype semi = p + 1;
        while (semi < stop && t[semi] != u';' && (t[semi].isLetterOrNumber() || t[semi] == u'#'))
            ++semi;
        if (semi < stop && t[semi] == u';' && semi > p + 1) {
            const QStringView name = t.sliced(p + 1, semi - p - 1);
            if (name[0] == u'#') {
                const QString ch = numericReferenceText(name.sliced(1));
                const char32_t value = ch.isEmpty() ? U' ' : QStringView(ch).toUcs4().value(0, U' ');
                return {value, semi + 1};
            }
            return {namedReference(name), semi + 1};
        }
        return {U'&', p + 1};
    }
    if (c.isHighSurrogate() && p + 1 < n && t[p + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, t[p + 1]), p + 2};
    return {c.unicode(), p + 1};
}

// Past whole tags; the character right after "<" is not examined.
qsizetype skipTags(QStringView t, qsizetype p)
{
    const qsizetype n = t.size();
    while (p < n && t[p] == u'<') {
        const qsizetype gt = p + 2 < n ? t.indexOf(u'>', p + 2) : -1;
        p = gt < 0 ? n : gt + 1;
    }
    return p;
}

} // namespace

SearchQuery SearchQuery::parse(const QString& query)
{
    SearchQuery q;
    const qsizetype n = query.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && (query[i] == u' ' || query[i] == u',' || query[i] == u';'))
            ++i;
        const qsizetype start = i;
        while (i < n && query[i] != u' ')
            ++i;
        if (i == start)
            break;
        const QString word = query.sliced(start, std::min(i - start, kQueryWordMax));
        if (word.startsWith(u'+')) {
            if (word.size() > 1)
                q.required << word.sliced(1);
        } else if (word.startsWith(u'-')) {
            if (word.size() > 1)
                q.excluded << word.sliced(1);
        } else {
            q.optional << word;
        }
    }
    return q;
}

int CountInText(QStringView word, bool countAll, QStringView text)
{
    QStringView w = word.trimmed().left(kTextWordMax);
    bool leading = false, trailing = false;
    while (w.startsWith(u'*')) {
        leading = true;
        w = w.sliced(1);
    }
    while (w.endsWith(u'*')) {
        trailing = true;
        w.chop(1);
    }
    if (w.isEmpty())
        return 0;
    std::vector<CharClass> classes;
    for (char32_t c : w.toUcs4())
        classes.push_back(classOf(c));
    const CharClass& first = classes.front();

    // The ASCII characters where an attempt may begin, or a tag or a reference does.
    std::array<bool, 128> attention {};
    attention['<'] = attention['&'] = true;
    for (char16_t c = 0; c < 128; ++c)
        attention[c] = attention[c] || first.matches(c);

    const qsizetype n = text.size();
    const QChar* data = text.data();
    int count = 0;
    qsizetype p = 0;
    while (p < n) {
        const char16_t u = data[p].unicode();
        if (u < 128 ? !attention[u] : !first.maybe(u)) {
            ++p;
            continue;
        }
        if (u == u'<') {
            p = skipTags(text, p);
            continue;
        }
        const Unit start = unitAt(text, p);
        qsizetype q = p;
        bool matched = true;
        for (size_t k = 0; k < classes.size(); ++k) {
            // Tags inside a word are skipped; after its last letter, "<" is a boundary.
            if (k > 0)
                q = skipTags(text, q);
            if (q >= n) {
                matched = false;
                break;
            }
            const Unit c = k == 0 ? start : unitAt(text, q);
            if (!classes[k].matches(c.ch)) {
                matched = false;
                break;
            }
            q = c.next;
        }
        if (matched) {
            const bool before = leading || p == 0 || textBoundary(text[p - 1].unicode());
            const bool after = trailing || q >= n || textBoundary(unitAt(text, q).ch);
            if (before && after) {
                ++count;
                if (!countAll)
                    return count;
                p = q;
                continue;
            }
        }
        // One character at a time: an occurrence may begin inside a failed attempt.
        p = start.next;
    }
    return count;
}

int CountInCode(QByteArrayView word, bool countAll, QByteArrayView buffer)
{
    QByteArrayView w = word.trimmed();
    bool leading = false, trailing = false;
    while (w.startsWith('*')) {
        leading = true;
        w = w.sliced(1);
    }
    while (w.endsWith('*')) {
        trailing = true;
        w.chop(1);
    }
    if (w.isEmpty())
        return 0;
    const qsizetype n = buffer.size();
    const qsizetype m = w.size();
    const char* b = buffer.data();
    const bool wild = w.contains('?');
    const std::string_view haystack(b, static_cast<size_t>(n));
    const std::string_view needle(w.data(), static_cast<size_t>(m));

    auto matchesAt = [&](qsizetype p) {
        for (qsizetype k = 0; k < m; ++k) {
            if (w[k] != '?' && w[k] != b[p + k])
                return false;
        }
        return true;
    };

    int count = 0;
    qsizetype p = 0;
    while (p + m <= n) {
        if (wild) {
            if (!matchesAt(p)) {
                ++p;
                continue;
            }
        } else {
            // memchr on the first byte, then a comparison: faster than a skip table for
            // the short words people type.
            const size_t at = haystack.find(needle, static_cast<size_t>(p));
            if (at == std::string_view::npos)
                break;
            p = static_cast<qsizetype>(at);
        }
        const bool before = leading || p == 0 || codeBoundary(static_cast<unsigned char>(b[p - 1]));
        const bool after = trailing || p + m >= n || codeBoundary(static_cast<unsigned char>(b[p + m]));
        if (before && after) {
            ++count;
            if (!countAll)
                return count;
            p += m;
        } else {
            ++p;
        }
    }
    return count;
}

} // namespace glanix
