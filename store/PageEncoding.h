#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How the bytes of a downloaded page become text for the user (titles, names): the charset
// of the HTTP header, then a byte-order mark or the page's meta charset, then UTF-8 when the
// page is valid UTF-8, else Windows-1252. Pages in UTF-16 are turned into UTF-8 before they
// are scanned, since the scanners work on bytes.
namespace glanix {

// The charset parameter of a Content-Type value or of a meta tag's text; empty when none.
QByteArray charsetParameter(QByteArrayView text);

// Content in UTF-8 when it is UTF-16 (told by the header's charset or by its byte-order
// mark), else the content as it is.
QByteArray scannableContent(const QByteArray& content, QByteArrayView headerCharset);

class PageDecoder {
public:
    // `content` is what was scanned (after scannableContent); the page's text is decoded
    // lazily, the UTF-8 check of the whole page only made when a piece needs it.
    PageDecoder(QByteArrayView content, QByteArrayView headerCharset, QByteArrayView metaCharset);

    QString decode(QByteArrayView bytes) const;
    // Text written the way the page writes its characters (a typed word looked for in the
    // page's own bytes).
    QByteArray encode(QStringView text) const;

private:
    enum class Kind { Undecided, Utf8, Windows1252, Other };
    static Kind kindOf(QByteArrayView charset, QByteArray& otherName);
    Kind decide() const;

    QByteArrayView m_content;
    mutable Kind m_kind = Kind::Undecided;
    QByteArray m_otherName;
};

} // namespace glanix
