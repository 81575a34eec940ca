#include "store/PageAnalysis.h"

#include "config/Env.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/FileMasks.h"
#include "store/FileNames.h"
#include "store/FileOps.h"
#include "store/HtmlText.h"
#include "store/PageEncoding.h"
#include "store/PageScanner.h"
#include "store/StyleScanner.h"
#include "store/TElement.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <utility>

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

// One list of addresses, each recorded once, letter case ignored, up to the cap.
class Recorder {
public:
    explicit Recorder(QStringList& list)
        : m_list(list)
    {
    }

    // Lowers the address once for the two steps below.
    bool seen(const QString& address)
    {
        m_key = asciiLower(address);
        return m_seen.size() >= kMaxAddressesPerKind || m_seen.contains(m_key);
    }

    // Records the address last asked about.
    void record(const QString& address, const QString& fileName)
    {
        m_seen.insert(m_key);
        m_list.append(address + u' ' + fileName);
    }

private:
    QStringList& m_list;
    QSet<QString> m_seen;
    QString m_key;
};

bool isWebAddress(const QString& url)
{
    return url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// A requisite is fetched once whatever part of it a page or sheet points at (sprites, fonts
// named "x.eot?#iefix"); only web addresses are fetched.
QString requisiteAddress(QString address)
{
    const qsizetype hash = address.indexOf(u'#');
    if (hash >= 0)
        address.truncate(hash);
    return isWebAddress(address) ? address : QString();
}

QString folderOf(const QString& path)
{
    return QFileInfo(path).path();
}

// A kindPage child under the page, provisionally named, saved at once.
TElement* newPageChild(TElement& page, const QString& fileName, const QString& address)
{
    auto* child = new TElement(page.store());
    child->SetHasExt(true);
    child->Kind = kindPage;
    child->SetParent(&page);
    QString name = NameFromFileName(fileName).trimmed() + u' ';
    if (name == u" ")
        name = QStringLiteral("NoName ");
    child->SetName(UniqueSiblingName(name, nullptr, page.Node()));
    child->SetURL(address);
    child->SetDownLoadLinksStart(page.GetDownLoadLinksStart());
    child->MakeFolder(folderOf(child->GetIniFileName()));
    page.Node()->addSorted(child->GetName(), child);
    return child;
}

void logCapped(TElement& page, const char* what, qsizetype skipped)
{
    page.store().env().logError(QStringLiteral("Trop de %1 dans %2 : %3 ignorés")
                                    .arg(QLatin1String(what), page.GetURL(), QString::number(skipped)));
}

} // namespace

PageFindings analyseContent(const QByteArray& content, const QString& pageUrl, QByteArrayView headerCharset,
                            PageScanOptions options)
{
    PageFindings f;
    const QByteArray text = scannableContent(content, headerCharset);
    const PageScan scan = scanPage(text, options);
    const PageDecoder decoder(text, headerCharset, scan.metaCharset);

    f.title = HtmlToText(decoder.decode(scan.title), false).trimmed();
    f.refresh = decoder.decode(scan.refresh);
    // A relative base is taken against the page's own address.
    if (!scan.base.isEmpty())
        f.base = ResolveURL(pageUrl, decoder.decode(scan.base));

    Recorder frames(f.FrameLinks), links(f.PageLinks), images(f.ImageLinks);
    // The same value against the same base is the same address: repeats (an image used
    // twenty times) are dropped before the costly resolution.
    QSet<QByteArray> rawSeen[4][2];
    for (const ScannedAddress& a : scan.addresses) {
        QSet<QByteArray>& raw = rawSeen[static_cast<int>(a.kind)][a.afterBase ? 1 : 0];
        const qsizetype before = raw.size();
        raw.insert(a.value);
        if (raw.size() == before)
            continue;
        const QString& from = a.afterBase && !f.base.isEmpty() ? f.base : pageUrl;
        QString address = ResolveURL(from, decoder.decode(a.value));
        if (address.isEmpty())
            continue;
        // A blank would split the "address file-name" line in the wrong place.
        if (address.contains(u' '))
            address.replace(u' ', QStringLiteral("%20"));
        switch (a.kind) {
        case ScannedAddress::Kind::Link: {
            // Only a link that has a file name joins the list of those seen.
            if (address.left(6).compare(u"mailto", Qt::CaseInsensitive) == 0 || links.seen(address))
                break;
            const QString fileName = UrlToFileName(address);
            if (!fileName.isEmpty())
                links.record(address, fileName);
            break;
        }
        case ScannedAddress::Kind::Image:
            if (!images.seen(address))
                images.record(address, UrlToFileName(address));
            break;
        case ScannedAddress::Kind::Frame:
            if (!frames.seen(address))
                frames.record(address, UrlToFileName(address));
            break;
        case ScannedAddress::Kind::Requisite:
            // Stored and shown as the page's images are.
            address = requisiteAddress(address);
            if (!address.isEmpty() && !images.seen(address))
                images.record(address, UrlToFileName(address));
            break;
        }
    }
    return f;
}

QStringList styleSheetRequisites(const QByteArray& content, const QString& sheetUrl,
                                 QByteArrayView headerCharset)
{
    const QByteArray text = scannableContent(content, headerCharset);
    const StyleScan scan = scanStyleSheet(text);
    const PageDecoder decoder(text, headerCharset, scan.charset);
    QStringList lines;
    Recorder recorder(lines);
    QSet<QByteArray> rawSeen;
    for (const QByteArray& value : scan.addresses) {
        const qsizetype before = rawSeen.size();
        rawSeen.insert(value);
        if (rawSeen.size() == before)
            continue;
        QString address = requisiteAddress(ResolveURL(sheetUrl, decoder.decode(value)));
        if (address.isEmpty())
            continue;
        address.replace(u' ', QStringLiteral("%20"));
        if (!recorder.seen(address))
            recorder.record(address, UrlToFileName(address));
    }
    return lines;
}

bool IsStyleSheet(const TElement& e)
{
    if (!e.ContentType.isEmpty())
        return e.ContentType.compare(u"text/css", Qt::CaseInsensitive) == 0;
    // Not fetched yet, or stored without a type: the address tells.
    QStringView path = e.GetURL();
    for (const QChar cut : {u'?', u'#'}) {
        if (const qsizetype at = path.indexOf(cut); at >= 0)
            path.truncate(at);
    }
    return path.endsWith(QLatin1String(".css"), Qt::CaseInsensitive);
}

bool IsRequisiteType(const QString& contentType)
{
    const QString t = contentType.trimmed().toLower();
    return t.startsWith(u"text/css") || t.startsWith(u"font/") || t.startsWith(u"application/font")
        || t.startsWith(u"application/x-font") || t.startsWith(u"application/vnd.ms-fontobject")
        || t.contains(u"javascript") || t.contains(u"ecmascript");
}

QString AnalysePage(TElement& page, const QByteArray* content, QByteArrayView headerCharset)
{
    TExt* ext = page.Ext();
    if (!ext || ext->Analysed)
        return {};
    ext->Analysed = true;
    ext->FrameLinks.clear();
    ext->PageLinks.clear();
    ext->ImageLinks.clear();
    if (!page.IsHtml())
        return {};
    QByteArray stored;
    if (!content) {
        QFile file(page.GetSavePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        stored = file.readAll();
        content = &stored;
    }
    const QByteArray charset = headerCharset.isEmpty() ? charsetParameter(page.ContentType.toLatin1())
                                                       : headerCharset.toByteArray();
    PageFindings f
        = analyseContent(*content, page.GetURL(), charset, {.scripts = page.store().storeScripts()});
    ext->FrameLinks = std::move(f.FrameLinks);
    ext->PageLinks = std::move(f.PageLinks);
    ext->ImageLinks = std::move(f.ImageLinks);

    if (page.GetName().endsWith(u' ') && !f.title.isEmpty()) {
        // The check is made on the name the page would really get: a sibling bearing it
        // keeps the provisional name rather than a "~1" variant of the title.
        const QString name = CleanName(f.title).trimmed();
        const TreeNode* parentNode = page.Parent() ? page.Parent()->Node() : nullptr;
        if (!name.isEmpty() && UniqueSiblingName(name, page.Node(), parentNode) == name)
            page.SetName(name);
    }
    return f.refresh;
}

void CreateFramePages(TElement& page)
{
    if (!page.HasExt() || !page.Node())
        return;
    page.store().loadEveryAgent();
    AnalysePage(page);
    const QStringList frames = page.Ext()->FrameLinks;
    int made = 0;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QString address = FirstWord(frames[i]);
        if (page.FindElementByURL(address))
            continue; // also a frame that loads its own page
        if (made++ == kMaxChildrenPerCall) {
            logCapped(page, "cadres", frames.size() - i);
            break;
        }
        TElement* child = newPageChild(page, AfterFirstWord(frames[i]), address);
        // A frame belongs to its page and does not use up a level of depth.
        child->SetDownLoadLinksDepth(page.GetDownLoadLinksDepth());
        child->Save();
    }
}

namespace {

// An image child of the page for every line not already held near it; at most `room` made.
int addImages(TElement& page, const QStringList& lines, int room)
{
    int made = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString address = FirstWord(lines[i]);
        // The page's own images count as near it: a page analysed again gets no duplicates.
        if (page.FindImageByURL(address) || page.FindLocal(address))
            continue;
        if (made == room) {
            logCapped(page, "images", lines.size() - i);
            break;
        }
        ++made;
        auto image = std::make_unique<TElement>(page.store());
        image->SetHasExt(false);
        image->Kind = kindImage;
        image->SetParent(&page);
        image->SetName(NoDuplicateImgName(AfterFirstWord(lines[i]), page));
        image->SetURL(address);
        page.MakeFolder(folderOf(page.GetIniFileName()));
        page.addImage(std::move(image));
    }
    return made;
}

QByteArray storedBytes(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The requisites of the page's stored style sheets, and of the sheets these bring, each sheet
// read once; a sheet importing itself or an earlier one brings nothing new.
int addStoredSheetRequisites(TElement& page, int room)
{
    int made = 0;
    auto& images = page.Ext()->ImgList;
    for (size_t i = 0; i < images.size() && made < room; ++i) {
        TElement& sheet = *images[i];
        if (!IsStyleSheet(sheet) || sheet.LastModified == 0)
            continue;
        const QByteArray css = storedBytes(sheet.GetSavePath());
        if (!css.isEmpty())
            made += addImages(page, styleSheetRequisites(css, sheet.GetURL()), room - made);
    }
    return made;
}

// The stored copy and old versions of `from` go to `to`'s place; false when the copy cannot
// (then nothing moved). An old version that cannot move stays where it is.
bool moveStoredCopies(const QString& from, const QString& to, Env& log)
{
    if (from == to || !PathExists(from))
        return true;
    if (PathExists(to) || !MoveFileOrDir(from, to))
        return false;
    for (int n = 2; PathExists(SaveFileNameVersionPrec(from, n)); ++n) {
        if (!MoveFileOrDir(SaveFileNameVersionPrec(from, n), SaveFileNameVersionPrec(to, n)))
            log.logError(QStringLiteral("Version non déplacée : ") + SaveFileNameVersionPrec(from, n));
    }
    return true;
}

// A linked page of `page` becomes its image `name`: dates, copies and messages kept, read.
bool becomeImage(TElement& page, TElement& linked, const QString& name)
{
    TElement* image = page.FindImageByURL(linked.GetURL());
    if (image && image->LastModified > 0 && PathExists(image->GetSavePath())) {
        // Stored twice: the image's copy stays.
        linked.Delete(linked.GetSavePath() != image->GetSavePath(), true);
        return true;
    }
    std::unique_ptr<TElement> made;
    if (!image) {
        made = std::make_unique<TElement>(page.store());
        made->SetHasExt(false);
        made->Kind = kindImage;
        made->SetParent(&page);
        made->SetName(NoDuplicateImgName(name, page));
        made->SetURL(linked.GetURL());
        image = made.get();
    }
    const QString type = std::exchange(image->ContentType, linked.ContentType);
    const QString from = linked.GetSavePath();
    const QString to = image->GetSavePath();
    if (to.isEmpty() || !page.MakeFolder(folderOf(to)) || !moveStoredCopies(from, to, page.store().env())) {
        page.store().env().logError(QStringLiteral("Feuille de style non reprise : ") + from);
        image->ContentType = type;
        return false;
    }
    image->LastModified = linked.LastModified;
    image->Size = linked.Size;
    image->BeforeLastModified = linked.BeforeLastModified;
    image->BeforeSize = linked.BeforeSize;
    image->Etag = linked.Etag;
    image->StatusNumber = linked.StatusNumber;
    image->Messages = linked.Messages;
    image->LastVerified = linked.LastVerified;
    image->DateDownloaded = linked.DateDownloaded;
    image->Complete = linked.Complete;
    image->Location = linked.Location;
    image->State = linked.State == stateError ? stateError : stateRead;
    if (made)
        page.addImage(std::move(made));
    linked.Delete(false, true);
    return true;
}

// Earlier versions filed a page's style sheets and icons as linked pages, unread and counted
// as new: each becomes an image of its page, keeping its stored copy. A linked page being
// fetched or holding children stays until a later check.
int turnLinkedPagesIntoRequisites(TElement& page)
{
    const TreeNode* node = page.Node();
    const TExt& ext = *page.Ext();
    if (!node || ext.ImageLinks.isEmpty())
        return 0;
    std::vector<TElement*> leaves; // linked pages holding nothing, not being fetched
    for (int i = 0; i < node->childCount(); ++i) {
        const TreeNode* child = node->child(i);
        TElement* e = child->element();
        if (e && e->Kind == kindPage && !child->bold() && !child->hasChildren() && e->Ext()
            && e->Ext()->ImgList.empty())
            leaves.push_back(e);
    }
    // Pages that link nowhere (most pages of a deep site at its depth limit) build no table.
    if (leaves.empty())
        return 0;
    QHash<QString, QString> requisites; // lowered address -> image name
    for (const QString& line : ext.ImageLinks)
        requisites.insert(asciiLower(FirstWord(line)), AfterFirstWord(line));
    for (const QStringList* links : {&ext.PageLinks, &ext.FrameLinks}) {
        for (const QString& line : *links)
            requisites.remove(asciiLower(FirstWord(line)));
    }
    int turned = 0;
    for (TElement* e : leaves) {
        const auto it = requisites.constFind(asciiLower(e->GetURL()));
        if (it != requisites.constEnd() && becomeImage(page, *e, it.value()))
            ++turned;
    }
    return turned;
}

quint8 requisitesWanted(const TElement& page)
{
    return page.store().storeScripts() ? 2 : 1;
}

// The images and requisites the analysed page lacks, its old linked pages that are requisites
// turned into images first; how many were added or turned.
int addRequisites(TElement& page)
{
    const int turned = turnLinkedPagesIntoRequisites(page);
    const int made = addImages(page, page.Ext()->ImageLinks, kMaxChildrenPerCall);
    return turned + made + addStoredSheetRequisites(page, kMaxChildrenPerCall - made);
}

void showImages(TElement& page, bool added)
{
    page.SaveImages();
    if (added && page.store().seeImages())
        page.BuildImageNodes();
}

} // namespace

void CreateImageChildren(TElement& page)
{
    if (!page.HasExt())
        return;
    AnalysePage(page);
    const int added = addRequisites(page);
    page.Ext()->RequisitesSought = requisitesWanted(page);
    showImages(page, !page.Ext()->ImageLinks.isEmpty() || added > 0);
}

bool CompleteRequisites(TElement& page)
{
    // Each stored copy is read once for this: a check of an unchanged page stays cheap.
    if (!page.HasExt() || !page.IsHtml() || page.LastModified == 0
        || page.Ext()->RequisitesSought >= requisitesWanted(page))
        return false;
    const bool wasAnalysed = page.Ext()->Analysed;
    AnalysePage(page);
    const bool changed = addRequisites(page) > 0;
    page.Ext()->RequisitesSought = requisitesWanted(page);
    // Every page of an agent may be checked: their lists are not kept.
    if (!wasAnalysed)
        page.FreeAnalysis();
    if (changed)
        showImages(page, true);
    return changed;
}

bool CreateStyleSheetChildren(TElement& sheet, const QByteArray& content, QByteArrayView headerCharset)
{
    TElement* page = sheet.Parent();
    if (sheet.Kind != kindImage || !page || !page->HasExt() || !page->GetDownLoadImages())
        return false;
    const int made
        = addImages(*page, styleSheetRequisites(content, sheet.GetURL(), headerCharset), kMaxChildrenPerCall);
    if (made > 0)
        showImages(*page, true);
    return made > 0;
}

void CreateLinkedPages(TElement& page)
{
    if (!page.HasExt() || !page.Node())
        return;
    const QStringList include = maskList(page.GetIncludeMask());
    const QStringList exclude = maskList(page.GetExcludeMask());
    page.store().loadEveryAgent();
    AnalysePage(page);
    const QStringList links = page.Ext()->PageLinks;
    const QString start = page.GetDownLoadLinksStart();
    int made = 0;
    for (qsizetype i = 0; i < links.size(); ++i) {
        const QString address = FirstWord(links[i]);
        const QString fileName = AfterFirstWord(links[i]);
        const QString lowered = fileName.toLower();
        if (!include.isEmpty() && !MatchesAnyMask(include, lowered))
            continue;
        if (!exclude.isEmpty() && MatchesAnyMask(exclude, lowered))
            continue;
        if (!address.startsWith(start) || page.FindElementByURL(address))
            continue;
        if (made++ == kMaxChildrenPerCall) {
            logCapped(page, "liens", links.size() - i);
            break;
        }
        // Its depth stays unset: it answers the page's depth minus one.
        newPageChild(page, fileName, address)->Save();
    }
}

} // namespace glanix
