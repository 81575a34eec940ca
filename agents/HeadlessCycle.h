#pragma once

#include "engine/EngineHost.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTextStream>

// One download cycle without a window, as `glanix-cli update` runs it: opens the agents,
// runs the same scheduler and download threads as the desktop program on the local network
// with KeepReady off, in the caller's event loop, and reports each finished download and the
// cycle's counters as lines of text. Nothing a window alone needs is done per download.
// SIGINT and SIGTERM interrupt the downloads; the counters are still printed.
namespace glanix {

class Env;

class HeadlessCycle final : public EngineView {
public:
    HeadlessCycle(Env& env, QTextStream& out, QTextStream& err);

    // Agent names or .gnx paths; none: the agents of Glanix.ini's OpenedAgents. Returns false
    // (with a message on `err`) when an agent cannot be opened; true once the cycle ran.
    bool run(const QStringList& agents);

    // What the last cycle counted.
    int verified() const { return m_verified; }

    int created() const { return m_created; }

    int modified() const { return m_modified; }

    // Images of an address fetched once in the cycle and copied for its other elements.
    int localCopies() const { return m_localCopies; }

    // The signal (SIGINT, SIGTERM) that interrupted the last cycle; 0 when none did.
    int interruptedBy() const { return m_signal; }

    void downloadEnded(const DownloadReport& report) override;

private:
    Env& m_env;
    QTextStream& m_out;
    QTextStream& m_err;
    int m_verified = 0;
    int m_created = 0;
    int m_modified = 0;
    int m_localCopies = 0;
    int m_signal = 0;
};

// The word of a download's outcome in the report lines.
QString outcomeWord(DownloadReport::Outcome outcome);

// A finished download as its report line says it: outcome, status, address. The address
// loses its credentials (the lines go to mails and logs).
QString downloadLine(const DownloadReport& report);

// "Total 0,6 Ko" (a decimal below 10 Ko), "Total 153 Ko"; and "Durée 2,33 s".
QString cycleTotalLine(qint64 bytes);
QString cycleDurationLine(qint64 milliseconds);

} // namespace glanix
