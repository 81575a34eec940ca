#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// What a downloaded page needs besides itself, made ready for the element store: the
// addresses of its frames, links and images made absolute (against the base address when the
// page has one, else its own address), each kind recorded once (letter case ignored), as
// "address file-name" lines; its title as plain text; its base and refresh addresses.
namespace glanix {

struct PageFindings {
    QString title;   // plain text, trimmed; empty when the head has no title
    QString base;    // absolute; empty when none
    QString refresh; // as the page wrote it
    QStringList FrameLinks, PageLinks, ImageLinks;
};

// `content` is the page's bytes, `headerCharset` the charset the server named (if any).
PageFindings analyseContent(const QByteArray& content, const QString& pageUrl, QByteArrayView headerCharset = {});

} // namespace glanix
