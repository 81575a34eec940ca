#pragma once

#include <QString>
#include <QStringView>
#include <functional>

namespace glanix {

class Env;

// Local names made from addresses and titles. Whatever text comes in, a produced name is one
// path component that stays in its folder: no "/", NUL or control character, never "", "."
// or "..", and short enough in UTF-8 bytes to take a version suffix (" (12)") and an
// extension within the platform's 255-byte limit.

inline constexpr int kMaxNameBytes = 200; // element names and names made from addresses
inline constexpr int kMaxFileNameBytes = 255; // what the file system accepts
inline constexpr int kMaxPathBytes = 4095;

// Mends a name so that it is one harmless path component (see above); a sound name comes
// back unchanged. Applied until nothing changes.
QString SafeFileName(const QString& name, int maxBytes = kMaxNameBytes);

// True when `name` can be used as it stands as one path component.
bool IsSafeFileName(QStringView name, int maxBytes = kMaxFileNameBytes);

// Cuts to at most `maxChars` characters, never inside a surrogate pair.
QString cutChars(const QString& text, qsizetype maxChars);
// Cuts to at most `maxBytes` UTF-8 bytes on a character boundary.
QString cutUtf8Bytes(const QString& text, int maxBytes);

// Local file name of a link, image or frame (the address's last segment, cleaned).
QString UrlToFileName(const QString& url);

// Name used by the HTML export; an address naming a folder gives "name/index.html".
QString UrlToExportName(const QString& url);

// Element name from any text (a title, a typed name).
QString CleanName(const QString& text);

// Names that Windows reserves get "~" so that an agent can be shared with a Windows machine.
void FixReservedName(QString& name);

// Element name of a linked page from its file name ("page.htm" gives "page").
QString NameFromFileName(const QString& fileName);

// Path of old version `n` of a stored file: 1 is the file itself, 2 is "page (2).htm".
QString SaveFileNameVersionPrec(const QString& path, int n, Env* log = nullptr);

// The file-name extension with its dot, from the last "." of the last path component;
// empty when there is none.
QString fileExtension(QStringView fileName);

// First name, from `name` on, for which `taken` is false: a trailing number is counted up
// ("Page~1", "Photo4"), "~1" is added when there is none, and a trailing blank (the mark of a
// provisional name) is kept.
QString UniqueName(const QString& name, const std::function<bool(const QString&)>& taken);

// `other` written relative to the folder of `file` ("../img/a.gif").
QString RelativePath(const QString& file, const QString& other);

} // namespace glanix
