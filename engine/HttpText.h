#pragma once

#include "config/DateTime.h"

#include <QString>
#include <QStringView>
#include <optional>

// The text side of HTTP: splitting addresses, the three date forms servers send, and the
// texts of the statuses the client produces. Pure functions, safe from any thread.
namespace glanix {

class Clock;

struct UrlParts {
    QString scheme; // as written, without "://"; empty when the address has none
    QString user;
    QString password;
    QString host; // an IPv6 literal keeps its brackets
    QString port; // text; empty when the address has none
    QString path; // from the first "/", "?" or "#" on; empty when there is none
};

// The authority ends at the first "/", "?" or "#", so "http://a?b@evil/" names host "a";
// the last "@" of the authority separates the credentials, which no request ever carries.
UrlParts SplitURL(QStringView address);

// The host as a resolver takes it: an IPv6 literal without its brackets, an international
// name in its ASCII form. Empty when the text cannot be a host name (blanks, CR, LF, NUL,
// "/" ...), so that nothing a page wrote can slip into a request.
QString asciiHostName(const QString& host);

// Bytes that may not stand in a request line (controls, blanks, non-ASCII, quotes and angle
// brackets) percent-encoded; existing escapes are kept.
QString encodeRequestTarget(const QString& target);

// Control characters replaced by "?", for messages and traces.
QString printableText(const QString& text);

// The address without its credentials, for request lines, Referer headers and traces.
QString withoutCredentials(const QString& address);

// Days since 1899-12-30 from calendar fields, without any time-zone conversion; nothing for
// an impossible date or time.
std::optional<TDateTime> encodeDateTime(int year, int month, int day, int hour, int minute, int second);

// RFC 1123, RFC 850 (two-digit years: below 81 is 20xx) and "Sunday, Nov 06, 1994".
// Nothing when the text is none of them.
std::optional<TDateTime> parseHttpDateStrict(QStringView text);
// The same, with the current date-time from `clock` for a text that does not parse.
TDateTime ParseHttpDate(QStringView text, const Clock& clock);
// "Sun, 6 Nov 1994 08:49:37 GMT": the date-time as it stands, no time-zone conversion.
QString FormatHttpDate(TDateTime dateTime);

// Statuses of the client's own failures (an HTTP status code otherwise).
constexpr int kStatusProtocolError = -2;
constexpr int kStatusSocketError = -3;
constexpr int kStatusHostError = -4;
constexpr int kStatusTimeLimit = -5; // cut at the transfer's time limit ("Transmission incomplète")

} // namespace glanix
