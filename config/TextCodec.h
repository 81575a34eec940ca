#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Byte-to-text decoding shared by every reader of outside text: ini files made on
// Windows, page titles, server headers. Glanix writes UTF-8; what is not valid UTF-8
// is taken as Windows-1252, the encoding of the files and pages of that world.
namespace glanix {

bool isValidUtf8(QByteArrayView bytes);
QString decodeWindows1252(QByteArrayView bytes);
QByteArray encodeWindows1252(QStringView text); // unmappable characters become '?'

// Strips a UTF-8 BOM; valid UTF-8 is decoded as such, anything else as Windows-1252.
QString decodeUtf8OrWindows1252(QByteArrayView bytes);

} // namespace glanix
