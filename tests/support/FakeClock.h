#pragma once

#include "config/DateTime.h"

// A clock that says what the test tells it.
namespace glanix::test {

class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 3, 14), QTime(10, 0)))
        : m_now(std::move(start))
    {
    }

    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advanceSeconds(qint64 s) { m_now = m_now.addSecs(s); }
    void advanceDays(double d) { m_now = m_now.addMSecs(static_cast<qint64>(d * 86400000.0)); }

private:
    QDateTime m_now;
};

} // namespace glanix::test
