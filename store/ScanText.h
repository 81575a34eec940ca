#pragma once

#include <cstddef>
#include <string_view>

// Byte helpers the page and style-sheet scanners share: they read raw bytes, never decode.
namespace glanix {

// The bytes at `p` (before `end`) begin with `word`, written in lower case, in any case.
inline bool startsWithCi(const char* p, const char* end, std::string_view word)
{
    if (end - p < static_cast<std::ptrdiff_t>(word.size()))
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = p[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
        if (c != word[i])
            return false;
    }
    return true;
}

} // namespace glanix
