#include "store/PageAnalysis.h"

#include "store/Addresses.h"
#include "store/FileNames.h"
#include "store/HtmlText.h"
#include "store/PageEncoding.h"
#include "store/PageScanner.h"

#include <QSet>

namespace glanix {

namespace {

QString asciiLower(QString s)
{
    for (QChar& c : s) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    }
    return s;
}

class Recorder {
public:
    // Returns false when the address is already in the list (letter case ignored).
    bool firstTime(const QString& address) { return !seen.contains(asciiLower(address)); }
    void record(QStringList& list, const QString& address, const QString& fileName)
    {
        seen.insert(asciiLower(address));
        list.append(address + u' ' + fileName);
    }

private:
    QSet<QString> seen;
};

} // namespace

PageFindings analyseContent(const QByteArray& content, const QString& pageUrl, QByteArrayView headerCharset)
{
    PageFindings f;
    const QByteArray text = scannableContent(content, headerCharset);
    const PageScan scan = scanPage(text);
    const PageDecoder decoder(text, headerCharset, scan.metaCharset);

    f.title = HtmlToText(decoder.decode(scan.title), false).trimmed();
    f.refresh = decoder.decode(scan.refresh);
    // A relative base is taken against the page's own address.
    if (!scan.base.isEmpty())
        f.base = ResolveURL(pageUrl, decoder.decode(scan.base));

    Recorder frames, links, images;
    for (const ScannedAddress& a : scan.addresses) {
        const QString& from = a.afterBase && !f.base.isEmpty() ? f.base : pageUrl;
        // A blank would split the "address file-name" line in the wrong place.
        const QString address = ResolveURL(from, decoder.decode(a.value)).replace(u' ', QStringLiteral("%20"));
        if (address.isEmpty())
            continue;
        switch (a.kind) {
        case ScannedAddress::Kind::Link: {
            if (address.left(6).compare(u"mailto", Qt::CaseInsensitive) == 0 || !links.firstTime(address))
                break;
            const QString fileName = UrlToFileName(address);
            if (!fileName.isEmpty())
                links.record(f.PageLinks, address, fileName);
            break;
        }
        case ScannedAddress::Kind::Image:
            if (images.firstTime(address))
                images.record(f.ImageLinks, address, UrlToFileName(address));
            break;
        case ScannedAddress::Kind::Frame:
            if (frames.firstTime(address))
                frames.record(f.FrameLinks, address, UrlToFileName(address));
            break;
        }
    }
    return f;
}

} // namespace glanix
