#include "config/DateTime.h"

#include <QLocale>

#include <cmath>

namespace glanix {

namespace {

constexpr qint64 kJulianDayOf18991230 = 2415019;
constexpr double kMsPerDay = 86400000.0;

} // namespace

TDateTime toDateTime(const QDateTime& dt)
{
    if (!dt.isValid())
        return 0;
    const QDateTime local = dt.toLocalTime();
    const qint64 days = local.date().toJulianDay() - kJulianDayOf18991230;
    return static_cast<double>(days) + local.time().msecsSinceStartOfDay() / kMsPerDay;
}

QDateTime fromDateTime(TDateTime days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return {};
    double whole = std::floor(days);
    qint64 ms = std::llround((days - whole) * kMsPerDay);
    if (ms >= static_cast<qint64>(kMsPerDay)) {
        whole += 1;
        ms = 0;
    }
    const QDate date = QDate::fromJulianDay(static_cast<qint64>(whole) + kJulianDayOf18991230);
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)));
}

QString formatDateTimeShort(const QDateTime& dt)
{
    const QLocale locale = QLocale::system();
    return locale.toString(dt.date(), QLocale::ShortFormat) + u' '
        + locale.toString(dt.time(), QStringLiteral("HH:mm:ss"));
}

} // namespace glanix
