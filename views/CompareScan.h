#pragma once

#include <QByteArrayView>

#include <cstring>

// Byte scanners shared by the change highlighter. Every routine takes the end of its text
// explicitly and never reads past it; a NUL byte inside a page is an ordinary character.
namespace glanix::compare {

// TAB, LF, FF, CR, blank and ">" (so that the end of a tag behaves like white space).
inline bool IsSeparator(unsigned char c)
{
    return c == ' ' || c == '>' || c == '\n' || c == '\r' || c == '\t' || c == '\f';
}

inline bool IsSeparator(char c) { return IsSeparator(static_cast<unsigned char>(c)); }

// Past the ">" closing the tag that opens at p, or `end` when it is not closed.
inline const char* SkipTag(const char* p, const char* end)
{
    const void* gt = std::memchr(p, '>', static_cast<size_t>(end - p));
    return gt ? static_cast<const char*>(gt) + 1 : end;
}

// Over separators and whole tags.
inline const char* SkipBlanksAndTags(const char* p, const char* end)
{
    while (p < end) {
        if (*p == '<')
            p = SkipTag(p + 1, end);
        else if (IsSeparator(*p))
            ++p;
        else
            break;
    }
    return p;
}

// True when [p, end) begins with `s`, ASCII letters compared without regard to case.
bool StartsWithNoCase(const char* p, const char* end, QByteArrayView s);

// First position at or after p where `s` occurs, ASCII letters compared without regard to
// case; nullptr when there is none.
const char* FindTextNoCase(const char* p, const char* end, QByteArrayView s);

// First position at or after p holding c outside tags: p itself is tested even inside a
// tag, and stepping onto a "<" steps past the whole tag. nullptr when there is none.
const char* FindCharOutsideTags(const char* p, const char* end, char c);

// The start of the word after the one at p, over white space and tags; `end` when none.
const char* NextWord(const char* p, const char* end);

// Remembers the last answer of a forward search so that repeated searches from growing
// positions (one per script or comment opened in a page) cost one pass in all.
class ForwardSearch {
public:
    ForwardSearch(QByteArrayView needle, bool ignoreCase)
        : m_needle(needle)
        , m_ignoreCase(ignoreCase)
    {
    }

    const char* find(const char* from, const char* end);

private:
    QByteArrayView m_needle;
    bool m_ignoreCase;
    const char* m_from = nullptr;  // start of the last search
    const char* m_found = nullptr; // its answer; nullptr = none up to the end
    bool m_valid = false;
};

} // namespace glanix::compare
