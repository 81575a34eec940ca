// HighlightChanges on any pair of texts. The first bytes choose the settings; the rest is
// split at the first "\x01\x02" into the old and the new text. Checks that, markers taken out,
// the result is the new text, and that the resynchronisation index changes nothing.
#include "views/HighlightChanges.h"

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray withoutMarkers(QByteArray text, int colour)
{
    for (const QByteArray& m : {glanix::colourOpening(colour), QByteArray(glanix::kColourClosing),
                                QByteArray(glanix::kStartIcon), QByteArray(glanix::kEndIcon)})
        text.replace(m, "");
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    glanix::CompareSettings s;
    s.NbCharToCompare = data[0] % 40;
    s.NbMiniCharDifferent = data[1] % 30;
    s.HighLightColor = 0x00FF00;
    const QByteArrayView rest(reinterpret_cast<const char*>(data) + 2, static_cast<qsizetype>(size - 2));
    const qsizetype cut = rest.indexOf("\x01\x02");
    const QByteArray oldText = (cut < 0 ? rest.first(rest.size() / 2) : rest.first(cut)).toByteArray();
    const QByteArray newText = (cut < 0 ? rest.sliced(rest.size() / 2) : rest.sliced(cut + 2)).toByteArray();

    glanix::CompareControl plain, indexed;
    plain.indexPolicy = 0;
    indexed.indexPolicy = -1;
    const glanix::HighlightResult a = glanix::HighlightChanges(oldText, newText, s, plain);
    const glanix::HighlightResult b = glanix::HighlightChanges(oldText, newText, s, indexed);
    if (a.text != b.text || a.blocks != b.blocks || a.percent < 0 || a.percent > 100)
        std::abort();
    // Markers in the page itself would be taken out too: check only when there are none.
    if (!newText.contains("<FONT") && !newText.contains("</FONT>") && !newText.contains("<IMG SRC=")
        && withoutMarkers(a.text, s.HighLightColor) != newText)
        std::abort();
    return 0;
}
