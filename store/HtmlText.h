#pragma once

#include <QString>

// Plain text from a piece of HTML already decoded to characters (a page title, a page for
// the search): tags dropped, numeric references and the usual named ones decoded, blanks
// collapsed. Every step is one pass, whatever the input.
namespace glanix {

// With `lineBreaks`, the tags <br> and <p> become line breaks (CR LF).
QString HtmlToText(const QString& html, bool lineBreaks);

// The character of a numeric reference's number ("233", "x2019"): U+FFFD for 0, surrogates
// and numbers past U+10FFFF; 128-159 as Windows-1252 reads them (what such pages meant);
// a blank when the text is not a number.
QString numericReferenceText(QStringView number);

} // namespace glanix
