// Mask lists and the matcher: the text before the first line feed is the mask text, the rest
// the file name.
#include "store/FileMasks.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype cut = input.indexOf(u'\n');
    const QString masks = cut < 0 ? input : input.left(cut);
    const QString name = cut < 0 ? QString() : input.mid(cut + 1).toLower();
    const QStringList list = glanix::maskList(masks);
    for (const QString& m : list) {
        if (m.isEmpty() || m != m.trimmed())
            std::abort();
    }
    glanix::MatchesAnyMask(list, name);
    // Every name matches "*"; a name always matches itself when it holds no wildcard.
    if (!glanix::MatchesMask(u"*", name))
        std::abort();
    if (!name.contains(u'*') && !name.contains(u'?') && !glanix::MatchesMask(name, name))
        std::abort();
    return 0;
}
