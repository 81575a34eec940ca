// HtmlToText on any text, with and without line breaks.
#include "store/HtmlText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const QString plain = glanix::HtmlToText(text, data[0] & 1);
    // Nothing but the line breaks it inserts can make it longer than... a reference of 3
    // characters can give 2 (a surrogate pair) and "<p>" gives 2: never more than the input.
    if (plain.size() > text.size())
        std::abort();
    if (plain.contains(u"  ") || plain.contains(u'#'))
        std::abort();
    return 0;
}
