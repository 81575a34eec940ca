// The search engines on any word and text. The first byte chooses the engine input (bit 0: the
// text is read as Latin-1 rather than UTF-8); the rest is split at the first "\x01\x02" into the
// word and the text. Checks that a count without count-all is the count capped at one, that
// no count exceeds the text's length, and that the scorer agrees with the engines.
#include "views/SearchEngines.h"
#include "views/SearchScorer.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool latin1 = data[0] & 1;
    const QByteArrayView rest(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const qsizetype cut = rest.indexOf("\x01\x02");
    const QByteArray word
        = (cut < 0 ? rest.first(std::min<qsizetype>(rest.size(), 8)) : rest.first(cut)).toByteArray();
    const QByteArray bytes
        = (cut < 0 ? rest.sliced(std::min<qsizetype>(rest.size(), 8)) : rest.sliced(cut + 2)).toByteArray();
    const QString text = latin1 ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    const QString w = latin1 ? QString::fromLatin1(word) : QString::fromUtf8(word);

    const int all = glanix::CountInText(w, true, text);
    const int one = glanix::CountInText(w, false, text);
    if (all < 0 || all > text.size() + 1 || one != std::min(all, 1))
        std::abort();
    const int codeAll = glanix::CountInCode(word, true, bytes);
    const int codeOne = glanix::CountInCode(word, false, bytes);
    if (codeAll < 0 || codeAll > bytes.size() + 1 || codeOne != std::min(codeAll, 1))
        std::abort();

    // One optional word without blanks: the scorer is the engine on the decoded page.
    if (!w.isEmpty() && !w.contains(u' ') && !w.startsWith(u'+') && !w.startsWith(u'-') && !w.startsWith(u',')
        && !w.startsWith(u';') && w.size() <= 100) {
        const glanix::SearchItem item {bytes, latin1 ? "iso-8859-1" : "", QStringLiteral(" x")};
        (void)glanix::SearchScorer(w, false, true).score(item);
        (void)glanix::SearchScorer(w, true, true).score(item);
    }
    return 0;
}
