// The style sheet scanner and the making of a sheet's requisites on any bytes. The first byte
// picks the charset the server is said to have sent.
#include "store/PageAnalysis.h"
#include "store/PageEncoding.h"
#include "store/StyleScanner.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const charsets[]
        = {"", "utf-8", "windows-1252", "utf-16", "utf-16be", "iso-8859-15", "koi8-r", "nonsense"};
    const char* charset = charsets[data[0] % 8];
    const QByteArray css(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    const glanix::StyleScan scan = glanix::scanStyleSheet(css);
    // Every byte looked at a bounded number of times.
    if (scan.bytesExamined > 4 * static_cast<qint64>(css.size()) + 16)
        std::abort();
    for (const QByteArray& value : scan.addresses) {
        if (value.isEmpty() || value.size() > glanix::kMaxStyleAddressLength || value.startsWith('#'))
            std::abort();
    }
    const QStringList lines
        = glanix::styleSheetRequisites(css, QStringLiteral("https://host/dir/css/main.css"), charset);
    // At most one line per value found in the text scanned (UTF-16 is scanned as UTF-8).
    const glanix::StyleScan scanned = glanix::scanStyleSheet(glanix::scannableContent(css, charset));
    if (lines.size() > static_cast<qsizetype>(scanned.addresses.size()))
        std::abort();
    for (const QString& line : lines) {
        // "address file-name": a web address without a blank, a control character or a fragment.
        const QString address = line.left(line.indexOf(u' '));
        if (!address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
            && !address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
            std::abort();
        for (QChar c : address) {
            if (c.unicode() <= ' ' || c == u'#')
                std::abort();
        }
    }
    return 0;
}
