// The page scanner and the whole analysis (decoding, title, addresses) on any bytes. The first
// byte picks the charset the server is said to have sent.
#include "store/PageAnalysis.h"
#include "store/PageScanner.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const charsets[] = {"", "utf-8", "windows-1252", "utf-16", "utf-16be", "iso-8859-15", "koi8-r",
                                           "nonsense"};
    const char* charset = charsets[data[0] % 8];
    const QByteArray content(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const glanix::PageScan scan = glanix::scanPage(content);
    // One pass, a bounded number of searches per tag.
    if (scan.bytesExamined > 64 * static_cast<qint64>(content.size()) + 64)
        std::abort();
    const glanix::PageFindings f = glanix::analyseContent(content, QStringLiteral("http://host/dir/page.htm"), charset);
    for (const QStringList* list : {&f.FrameLinks, &f.PageLinks, &f.ImageLinks}) {
        for (const QString& line : *list) {
            // "address file-name": the address never holds a blank or a control character.
            const QString address = line.left(line.indexOf(u' '));
            for (QChar c : address) {
                if (c.unicode() <= ' ')
                    std::abort();
            }
        }
    }
    return 0;
}
