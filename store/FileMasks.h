#pragma once

#include <QString>
#include <QStringList>

// The include and exclude masks of linked pages ("htm", "*.zip, *.exe"): file-name patterns
// with "*" (any run) and "?" (any one character), matched against lowered file names.
namespace glanix {

// Blanks and commas separate masks like ";" does; each mask is trimmed and lowered; a mask
// without "*", "?" and "." matches anywhere in a name ("htm" is "*htm*"), one without "."
// also matches any ending. Empty text, or text of separators only, gives no mask at all.
QStringList maskList(const QString& text);

// The whole name must match: "*" alone and "*.*" are the usual shorthands (every name, every
// name with a dot); a mask without wildcards must equal the name.
bool MatchesMask(QStringView mask, QStringView name);

bool MatchesAnyMask(const QStringList& masks, QStringView name);

} // namespace glanix
