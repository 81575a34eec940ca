#pragma once

#include "engine/EngineHost.h"

#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QTimer>
#include <array>

// The connection and status side of a download cycle: the 500 ms status tick (connection
// time limits, the counters, total and rate panels, releasing threads held by the bandwidth
// limit) and the 15 s time-out and disk-space tick (a silent download restarted once, new
// downloads stopped when a disk fills). Owned by the Scheduler, whose state it reads and
// whose commands it uses; what it shows goes to the scheduler's EngineView.
namespace glanix {

class Scheduler;
class UserPrompt;

class CycleStatus : public QObject {
    Q_OBJECT

public:
    CycleStatus(Scheduler& scheduler, FreeSpaceProbe freeSpace, UserPrompt* prompt);

    // TimerStatus runs from StartCycle to EndCycle.
    void startStatus();
    void stopStatus();

    bool statusRunning() const { return m_timerStatus.isActive(); }

    // TimerTimeOut runs from the end of start-up on and re-arms itself, until the program
    // closes.
    void startTimeOutWatch();
    void stopTimeOutWatch();

    bool timeOutWatchRunning() const { return m_timerTimeOut.isActive(); }

    // The ticks; public so that tests can run one.
    void TimerStatusTimer();
    void TimerTimeOutTimer();

    // What the communication bar shows now.
    const QString& panel(int index) const { return m_panels[static_cast<size_t>(index)]; }

    void setPanel(int index, const QString& text);

    // The average rate of the cycle in Ko/s; 0 when none can be computed yet.
    double cycleRate() const;

    // Panels 1 to 3 (counters, total, rate) as they stand now.
    void showCounters();

    // The end button's hint while the mouse is over it (TransparentButtonEndConnexionMouseMove).
    void endButtonHover();

    // A store failed for want of space on the file system of `path`: no new download is
    // launched, and the low-space message is shown once in the cycle.
    void diskFull(const QString& path);

    // Free bytes of the file system holding `path`, as the disk check counts them.
    qint64 freeBytes(const QString& path) const;

private:
    void checkTimeLimits();
    void releaseOneThread(double rate);
    void restartSilentDownloads();
    void checkDiskSpace();

    Scheduler& m_scheduler;
    FreeSpaceProbe m_freeSpace;
    TDateTime m_diskFullToldAt = -1; // the start of the cycle told of a full disk
    UserPrompt* m_prompt;
    QTimer m_timerStatus;
    QTimer m_timerTimeOut;
    QRandomGenerator m_random;
    std::array<QString, 5> m_panels;
    bool m_timeOutArmed = false;
};

} // namespace glanix
