#pragma once

#include "store/PageScanner.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// What a downloaded page needs besides itself, made ready for the element store: the
// addresses of its frames, links and images made absolute (against the base address when the
// page has one, else its own address), each kind recorded once (letter case ignored), as
// "address file-name" lines; its title as plain text; its base and refresh addresses. Then the
// operations that keep the findings in the page's TExt and turn them into child elements.
// The download thread calls them in order after storing a page: FreeAnalysis, AnalysePage
// with the content, CreateFramePages, CreateImageChildren, CreateLinkedPages; the information
// page and maintenance call AnalysePage alone, which then reads the stored file.
namespace glanix {

class TElement;

// At most this many addresses of each kind are recorded, and at most this many children
// made by one call: a page of a million links must not stall the program.
inline constexpr int kMaxAddressesPerKind = 10000;
inline constexpr int kMaxChildrenPerCall = 2000;

struct PageFindings {
    QString title; // plain text, trimmed; empty when the head has no title
    QString base; // absolute; empty when none
    QString refresh; // as the page wrote it
    QStringList FrameLinks, PageLinks, ImageLinks;
};

// `content` is the page's bytes, `headerCharset` the charset the server named (if any).
// Requisites (style sheets, icons, srcset candidates...) join ImageLinks, fragment cut.
PageFindings analyseContent(const QByteArray& content, const QString& pageUrl,
                            QByteArrayView headerCharset = {}, PageScanOptions options = {});

// What a style sheet loads (@import, url(...): sheets, fonts, images), made absolute against
// the sheet's own address, each once, as "address file-name" lines.
QStringList styleSheetRequisites(const QByteArray& content, const QString& sheetUrl,
                                 QByteArrayView headerCharset = {});

// A style sheet: by its type once fetched, by its address before.
bool IsStyleSheet(const TElement& e);

// Style sheets, fonts and scripts: stored with a page, never counted as new or changed pages.
bool IsRequisiteType(const QString& contentType);

// Fills the page's FrameLinks, PageLinks and ImageLinks and sets Analysed; does nothing while
// Analysed is set. Without `content` the stored file is read. A provisionally named page (its
// name ends with a blank) takes its title as name, unless a sibling already bears it.
// Returns the refresh address the page asks for, as written (empty when none).
QString AnalysePage(TElement& page, const QByteArray* content = nullptr, QByteArrayView headerCharset = {});

// A page child for every frame whose address no open agent holds yet; a frame keeps its
// page's link depth.
void CreateFramePages(TElement& page);

// An image child for every image and requisite not already held near the page, then for what
// the page's stored style sheets load (recursively), then SaveImages. Linked pages of the page
// that are its requisites (filed so by earlier versions) become images, keeping their copies.
void CreateImageChildren(TElement& page);

// A page checked and found unchanged: what its stored copy and sheets need and it lacks
// becomes its images, and its old linked pages that are requisites become images too. Done
// once per stored copy (and again when scripts come to be stored): RequisitesSought, which
// the caller saves with the element. True when anything was added (and the images saved).
bool CompleteRequisites(TElement& page);

// Image children of the sheet's page for what the sheet, just fetched, loads. True when any
// was made.
bool CreateStyleSheetChildren(TElement& sheet, const QByteArray& content, QByteArrayView headerCharset = {});

// A page child for every link that passes the page's masks and links start and that no open
// agent holds yet; its link depth is the page's minus one.
void CreateLinkedPages(TElement& page);

} // namespace glanix
