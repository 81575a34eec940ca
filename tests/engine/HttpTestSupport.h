#pragma once

#include "engine/Http.h"
#include "tests/support/FakeClock.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestServer.h"

#include <QStringList>
#include <memory>

// A client as a download sets it up, with its trace lines kept the way an element's
// messages show them (" <- " sent, " -> " received, " -- " socket events).
namespace glanix::test {

struct TracedClient {
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>();
    T_HTTP http {clock};
    QStringList trace;

    explicit TracedClient(const QString& url = {})
    {
        http.URL = url;
        http.Agent = QStringLiteral("Glanix/3.0");
        http.setIdleTimeout(20000); // a fault in the client must not hang the suite
        http.OnTrace = [this](T_TcpIp&, const QString& line, int level) {
            static const char* const prefixes[] = {" <- ", " -> ", " -- "};
            trace << QString::fromLatin1(prefixes[level]) + line;
        };
    }

    bool traced(const QString& line) const { return trace.contains(line); }

    bool tracedStartingWith(const QString& start) const
    {
        for (const QString& l : trace) {
            if (l.startsWith(start))
                return true;
        }
        return false;
    }
};

inline TDateTime days(const QDateTime& utc)
{
    return *encodeDateTime(utc.date().year(), utc.date().month(), utc.date().day(), utc.time().hour(),
                           utc.time().minute(), utc.time().second());
}

inline QDateTime utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

} // namespace glanix::test
