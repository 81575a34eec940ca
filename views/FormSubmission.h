#pragma once

#include <QList>
#include <QPair>
#include <QString>

// A form submitted in a view becomes an address to fetch at the next connection: the action
// ending in "?" (and "??" for a POST, which the download engine sends as a POST request), then
// the fields. Pure functions.
namespace glanix {

using FormField = QPair<QString, QString>; // name, value

// A value as it goes into the address: printable characters other than the specials stay,
// a space becomes "+", anything else "%XX" (a character above U+00FF as its UTF-8 bytes).
QString encodeFormValue(const QString& value);

// `action` is already absolute. A field named as the one before it (case ignored) continues
// its value after a CR LF, as a multiple selection reads back.
QString formSubmissionAddress(const QString& action, const QString& method, const QList<FormField>& fields);

} // namespace glanix
