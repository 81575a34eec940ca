#pragma once

#include <QDateTime>

// Date-times as Glanix stores them: a real number of days since 30 December 1899 in local
// time, the fraction being the time of day; 0 means "never".
namespace glanix {

using TDateTime = double;

TDateTime toDateTime(const QDateTime& dt);
QDateTime fromDateTime(TDateTime days);

// The one source of "now". Refresh policies, time-outs and read delays ask it, so tests
// can set the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
    TDateTime nowDays() const { return toDateTime(now()); }
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// "dd/MM/yyyy HH:mm:ss" in the user's locale: short date, a blank, long time.
QString formatDateTimeShort(const QDateTime& dt);

} // namespace glanix
