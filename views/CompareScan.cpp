#include "views/CompareScan.h"

namespace glanix::compare {

namespace {

inline unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

bool equalNoCase(const char* p, QByteArrayView s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (lowerAscii(static_cast<unsigned char>(p[i])) != lowerAscii(static_cast<unsigned char>(s[i])))
            return false;
    }
    return true;
}

} // namespace

bool StartsWithNoCase(const char* p, const char* end, QByteArrayView s)
{
    return end - p >= s.size() && equalNoCase(p, s);
}

const char* FindTextNoCase(const char* p, const char* end, QByteArrayView s)
{
    if (s.isEmpty())
        return p <= end ? p : nullptr;
    const auto first = static_cast<unsigned char>(s[0]);
    const bool letter = lowerAscii(first) != first || (first >= 'a' && first <= 'z');
    const char* last = end - s.size(); // last possible start
    while (p <= last) {
        if (!letter) {
            const void* hit = std::memchr(p, first, static_cast<size_t>(last - p + 1));
            if (!hit)
                return nullptr;
            p = static_cast<const char*>(hit);
        } else if (lowerAscii(static_cast<unsigned char>(*p)) != lowerAscii(first)) {
            ++p;
            continue;
        }
        if (equalNoCase(p, s))
            return p;
        ++p;
    }
    return nullptr;
}

const char* FindCharOutsideTags(const char* p, const char* end, char c)
{
    if (p >= end)
        return nullptr;
    if (*p == c)
        return p;
    // Two memchr scans instead of a byte loop: the next c, and whether a tag opens before it.
    const char* next = static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(end - p)));
    while (next) {
        const void* lt = std::memchr(p, '<', static_cast<size_t>(next - p));
        if (!lt)
            return next;
        p = SkipTag(static_cast<const char*>(lt) + 1, end);
        if (p >= end)
            return nullptr;
        if (next < p)
            next = static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(end - p)));
    }
    return nullptr;
}

const char* NextWord(const char* p, const char* end)
{
    bool steppedOverWord = false;
    do {
        const char* wordStart = p;
        while (p < end && !IsSeparator(*p) && *p != '<')
            ++p;
        if (p != wordStart)
            steppedOverWord = true;
        while (p < end && IsSeparator(*p))
            ++p;
        while (p < end && *p == '<')
            p = SkipTag(p + 1, end);
    } while (p < end && (!steppedOverWord || IsSeparator(*p)));
    return p;
}

const char* ForwardSearch::find(const char* from, const char* end)
{
    // A search from `from` has the same answer as the last one when it starts no earlier
    // than it and no later than its hit (or anywhere after it when it found nothing).
    if (m_valid && from >= m_from && (!m_found || from <= m_found))
        return m_found;
    m_from = from;
    m_found = m_ignoreCase ? FindTextNoCase(from, end, m_needle) : nullptr;
    if (!m_ignoreCase && end - from >= m_needle.size()) {
        const QByteArrayView hay(from, end - from);
        const qsizetype at = hay.indexOf(m_needle);
        m_found = at >= 0 ? from + at : nullptr;
    }
    m_valid = true;
    return m_found;
}

} // namespace glanix::compare
