#include "store/PageEncoding.h"

#include "config/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace glanix {

namespace {

bool isCharsetChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == '.' || c == ':';
}

enum class Utf16 { No, LittleEndian, BigEndian };

Utf16 utf16Of(QByteArrayView charset)
{
    const QByteArray c = charset.toByteArray().toLower();
    if (c == "utf-16be" || c == "unicodefffe")
        return Utf16::BigEndian;
    if (c == "utf-16" || c == "utf-16le" || c == "unicode")
        return Utf16::LittleEndian;
    return Utf16::No;
}

} // namespace

QByteArray charsetParameter(QByteArrayView text)
{
    const QByteArray lowered = text.toByteArray().toLower();
    const qsizetype at = lowered.indexOf("charset");
    if (at < 0)
        return {};
    qsizetype i = at + 7;
    while (i < text.size() && (text[i] == ' ' || text[i] == '=' || text[i] == '"' || text[i] == '\''))
        ++i;
    const qsizetype start = i;
    while (i < text.size() && isCharsetChar(text[i]))
        ++i;
    return text.sliced(start, i - start).toByteArray();
}

QByteArray scannableContent(const QByteArray& content, QByteArrayView headerCharset)
{
    Utf16 order = utf16Of(headerCharset);
    qsizetype skip = 0;
    if (content.startsWith("\xFF\xFE")) {
        order = Utf16::LittleEndian;
        skip = 2;
    } else if (content.startsWith("\xFE\xFF")) {
        order = Utf16::BigEndian;
        skip = 2;
    }
    if (order == Utf16::No)
        return content;
    QStringDecoder decoder(order == Utf16::LittleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    const QString text = decoder.decode(QByteArrayView(content).sliced(skip));
    return text.toUtf8();
}

PageDecoder::PageDecoder(QByteArrayView content, QByteArrayView headerCharset, QByteArrayView metaCharset)
    : m_content(content)
{
    if (!headerCharset.isEmpty() && utf16Of(headerCharset) != Utf16::No) {
        m_kind = Kind::Utf8; // converted before scanning
        return;
    }
    m_kind = kindOf(headerCharset, m_otherName);
    if (m_kind != Kind::Undecided)
        return;
    if (content.startsWith("\xEF\xBB\xBF")) {
        m_kind = Kind::Utf8;
        return;
    }
    // A page that calls itself UTF-16 in its own bytes was readable as bytes: not UTF-16.
    if (utf16Of(metaCharset) != Utf16::No)
        m_kind = Kind::Utf8;
    else
        m_kind = kindOf(metaCharset, m_otherName);
}

PageDecoder::Kind PageDecoder::kindOf(QByteArrayView charset, QByteArray& otherName)
{
    const QByteArray c = charset.toByteArray().trimmed().toLower();
    if (c.isEmpty())
        return Kind::Undecided;
    if (c == "utf-8" || c == "utf8")
        return Kind::Utf8;
    // Browsers read all of these as Windows-1252, and so did the pages' authors.
    if (c == "windows-1252" || c == "cp1252" || c == "iso-8859-1" || c == "iso8859-1" || c == "latin1"
        || c == "latin-1" || c == "us-ascii" || c == "ascii" || c == "x-cp1252")
        return Kind::Windows1252;
    if (QStringDecoder(c.constData()).isValid()) {
        otherName = c;
        return Kind::Other;
    }
    return Kind::Undecided;
}

PageDecoder::Kind PageDecoder::decide() const
{
    if (m_kind == Kind::Undecided)
        m_kind = isValidUtf8(m_content) ? Kind::Utf8 : Kind::Windows1252;
    return m_kind;
}

QString PageDecoder::decode(QByteArrayView bytes) const
{
    bool ascii = true;
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    switch (decide()) {
    case Kind::Utf8:
        return QString::fromUtf8(bytes);
    case Kind::Other: {
        QStringDecoder decoder(m_otherName.constData());
        return decoder.decode(bytes);
    }
    default:
        return decodeWindows1252(bytes);
    }
}

QByteArray PageDecoder::encode(QStringView text) const
{
    bool ascii = true;
    for (QChar c : text) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return text.toLatin1();
    switch (decide()) {
    case Kind::Utf8:
        return text.toUtf8();
    case Kind::Other: {
        QStringEncoder encoder(m_otherName.constData());
        return encoder.encode(text);
    }
    default:
        return encodeWindows1252(text);
    }
}

} // namespace glanix
