#include "engine/HttpText.h"

#include "config/DateTime.h"

#include <QDate>
#include <QUrl>
#include <array>
#include <cmath>

namespace glanix {

namespace {

constexpr qint64 kJulianDayOf18991230 = 2415019;
constexpr std::array<const char*, 12> kMonths
    = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 7> kDays = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

// Characters `from` to `to` of `s`, counted from 1 as the date rules are written.
QStringView chars(QStringView s, qsizetype from, qsizetype to)
{
    if (from > s.size())
        return {};
    return s.mid(from - 1, std::min(to, s.size()) - from + 1);
}

std::optional<int> number(QStringView s)
{
    s = s.trimmed();
    if (s.isEmpty() || s.size() > 4)
        return std::nullopt;
    int value = 0;
    for (QChar c : s) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<int> month(QStringView s)
{
    for (int i = 0; i < 12; ++i) {
        if (s == QLatin1String(kMonths[i]))
            return i + 1;
    }
    return std::nullopt;
}

std::optional<TDateTime> fromFields(QStringView day, QStringView monthName, QStringView year,
                                    QStringView hour, QStringView minute, QStringView second)
{
    const auto d = number(day), y = number(year), h = number(hour), mi = number(minute), s = number(second);
    const auto m = month(monthName);
    if (!d || !y || !h || !mi || !s || !m)
        return std::nullopt;
    return encodeDateTime(*y, *m, *d, *h, *mi, *s);
}

} // namespace

UrlParts SplitURL(QStringView address)
{
    UrlParts parts;
    QStringView rest = address;
    const qsizetype sep = address.indexOf(u"://");
    if (sep >= 0) {
        parts.scheme = address.left(sep).toString();
        rest = address.mid(sep + 3);
    } else if (address.left(7).compare(u"mailto:", Qt::CaseInsensitive) == 0) {
        parts.scheme = QStringLiteral("mailto");
        rest = address.mid(address.indexOf(u':') + 1);
    }

    qsizetype end = rest.size();
    for (QChar c : {u'/', u'?', u'#'}) {
        const qsizetype i = rest.indexOf(c);
        if (i >= 0 && i < end)
            end = i;
    }
    parts.path = rest.mid(end).toString();
    const QStringView authority = rest.left(end);

    const qsizetype at = authority.lastIndexOf(u'@');
    QStringView hostPort = at >= 0 ? authority.mid(at + 1) : authority;
    if (at >= 0) {
        const QStringView credentials = authority.left(at);
        const qsizetype colon = credentials.indexOf(u':');
        parts.user = (colon >= 0 ? credentials.left(colon) : credentials).toString();
        if (colon >= 0)
            parts.password = credentials.mid(colon + 1).toString();
    }
    // A colon inside an IPv6 literal's brackets is not the port's.
    const qsizetype bracket = hostPort.startsWith(u'[') ? hostPort.indexOf(u']') : -1;
    const qsizetype colon = hostPort.lastIndexOf(u':');
    if (colon >= 0 && colon > bracket) {
        parts.host = hostPort.left(colon).toString();
        parts.port = hostPort.mid(colon + 1).toString();
    } else {
        parts.host = hostPort.toString();
    }
    return parts;
}

QString withoutCredentials(const QString& address)
{
    const qsizetype sep = address.indexOf(u"://");
    const qsizetype start = sep >= 0 ? sep + 3 : 0;
    qsizetype end = address.size();
    for (QChar c : {u'/', u'?', u'#'}) {
        const qsizetype i = address.indexOf(c, start);
        if (i >= 0 && i < end)
            end = i;
    }
    const qsizetype at = address.lastIndexOf(u'@', end - 1);
    if (at < start || at >= end)
        return address;
    return address.left(start) + address.mid(at + 1);
}

QString asciiHostName(const QString& hostname)
{
    QString host = hostname;
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    bool ascii = true;
    for (QChar c : host)
        ascii = ascii && c.unicode() < 0x80;
    if (!ascii)
        host = QString::fromLatin1(QUrl::toAce(host));
    if (host.isEmpty() || host.size() > 253)
        return {};
    for (QChar c : host) {
        const char16_t u = c.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
            || u == u'-' || u == u'.' || u == u'_' || u == u':' || u == u'%';
        if (!ok)
            return {};
    }
    // A colon only belongs to an IPv6 literal, which came in brackets.
    if (host.contains(u':') && !hostname.startsWith(u'['))
        return {};
    return host;
}

QString encodeRequestTarget(const QString& target)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray bytes = target.toUtf8();
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b <= 0x20 || b >= 0x7F || b == '"' || b == '<' || b == '>') {
            out += u'%';
            out += QLatin1Char(hex[b >> 4]);
            out += QLatin1Char(hex[b & 15]);
        } else {
            out += QLatin1Char(ch);
        }
    }
    return out;
}

QString printableText(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7F)
            c = u'?';
    }
    return out;
}

std::optional<TDateTime> encodeDateTime(int year, int month, int day, int hour, int minute, int second)
{
    const QDate date(year, month, day);
    if (year < 1 || !date.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0
        || second > 59)
        return std::nullopt;
    const double days = static_cast<double>(date.toJulianDay() - kJulianDayOf18991230);
    return days + (hour * 3600 + minute * 60 + second) / 86400.0;
}

std::optional<TDateTime> parseHttpDateStrict(QStringView text)
{
    if (text.contains(u'-')) {
        const qsizetype blank = text.indexOf(u' ');
        QString s = text.mid(blank + 1).toString();
        if (s.indexOf(u'-') == 1)
            s.prepend(u'0');
        QString century;
        const qsizetype firstBlank = s.indexOf(u' ');
        // An absent blank counts as position 0, so the year is taken as two digits.
        if (firstBlank < 10) {
            const auto yy = number(chars(s, 8, 9));
            if (!yy)
                return std::nullopt;
            century = *yy < 81 ? QStringLiteral("20") : QStringLiteral("19");
        } else {
            century = chars(s, 8, 9).toString();
            s.remove(7, 2);
        }
        const QString year = century + chars(s, 8, 9).toString();
        return fromFields(chars(s, 1, 2), chars(s, 4, 6), year, chars(s, 11, 12), chars(s, 14, 15),
                          chars(s, 17, 18).trimmed());
    }
    if (text.size() >= 4 && text[3] == u',') {
        return fromFields(chars(text, 6, 7), chars(text, 9, 11), chars(text, 13, 16), chars(text, 18, 19),
                          chars(text, 21, 22), chars(text, 24, 25));
    }
    const qsizetype p = text.indexOf(u',');
    const qsizetype q = p >= 0 ? text.indexOf(u',', p + 1) : -1;
    if (q < 2)
        return std::nullopt;
    return fromFields(text.mid(q - 2, 2), text.mid(p + 2, 3), text.mid(q + 2, 4), u"0", u"0", u"0");
}

TDateTime ParseHttpDate(QStringView text, const Clock& clock)
{
    if (const auto parsed = parseHttpDateStrict(text))
        return *parsed;
    return clock.nowDays();
}

QString FormatHttpDate(TDateTime dateTime)
{
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3.0e6)
        dateTime = 0;
    double whole = std::floor(dateTime);
    qint64 ms = std::llround((dateTime - whole) * 86400000.0);
    if (ms >= 86400000) {
        whole += 1;
        ms = 0;
    }
    const QDate date = QDate::fromJulianDay(static_cast<qint64>(whole) + kJulianDayOf18991230);
    const qint64 secs = ms / 1000;
    return QStringLiteral("%1, %2 %3 %4 %5:%6:%7 GMT")
        .arg(QLatin1String(kDays[date.dayOfWeek() - 1]))
        .arg(date.day())
        .arg(QLatin1String(kMonths[date.month() - 1]))
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(secs / 3600, 2, 10, QLatin1Char('0'))
        .arg(secs / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(secs % 60, 2, 10, QLatin1Char('0'));
}

} // namespace glanix
