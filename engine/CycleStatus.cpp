#include "engine/CycleStatus.h"

#include "config/Env.h"
#include "config/OptGene.h"
#include "config/UserPrompt.h"
#include "engine/EngineTexts.h"
#include "engine/Scheduler.h"
#include "engine/TThreadDownLoad.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

#include <QStorageInfo>
#include <cmath>

namespace glanix {

namespace {

constexpr qint64 kUnmeasured = 1000000000;
constexpr double kSecond = 1.0 / 86400;

bool isNetworkFileSystem(const QByteArray& type)
{
    static const QByteArray kNetwork[]
        = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p"};
    for (const QByteArray& t : kNetwork) {
        if (type == t)
            return true;
    }
    return type.startsWith("fuse");
}

qint64 storageFreeSpace(const QString& path)
{
    const QStorageInfo info(path);
    if (!info.isValid() || !info.isReady())
        return -1;
    if (isNetworkFileSystem(info.fileSystemType()))
        return kUnmeasured;
    return info.bytesAvailable();
}

// The file system of a path as the messages name it.
QString driveOf(const QString& path)
{
    const QStorageInfo info(path);
    return info.isValid() ? info.rootPath() : path;
}

} // namespace

CycleStatus::CycleStatus(Scheduler& scheduler, FreeSpaceProbe freeSpace, UserPrompt* prompt)
    : m_scheduler(scheduler)
    , m_freeSpace(freeSpace ? std::move(freeSpace) : FreeSpaceProbe(storageFreeSpace))
    , m_prompt(prompt)
    , m_random(0x474c4e58u)
{
    m_timerStatus.setInterval(500);
    m_timerTimeOut.setInterval(15000);
    m_timerTimeOut.setSingleShot(true);
    connect(&m_timerStatus, &QTimer::timeout, this, &CycleStatus::TimerStatusTimer);
    connect(&m_timerTimeOut, &QTimer::timeout, this, &CycleStatus::TimerTimeOutTimer);
}

void CycleStatus::startStatus()
{
    m_timerStatus.start();
}

void CycleStatus::stopStatus()
{
    m_timerStatus.stop();
}

void CycleStatus::startTimeOutWatch()
{
    m_timeOutArmed = true;
    m_timerTimeOut.start();
}

void CycleStatus::stopTimeOutWatch()
{
    m_timeOutArmed = false;
    m_timerTimeOut.stop();
}

void CycleStatus::setPanel(int index, const QString& text)
{
    QString& current = m_panels[static_cast<size_t>(index)];
    if (current == text)
        return;
    current = text;
    m_scheduler.view().setCommPanel(index, text);
}

double CycleStatus::cycleRate() const
{
    const Scheduler& s = m_scheduler;
    if (s.BytesThisCycle <= 0)
        return 0;
    const double tenths = std::round((s.env().now() - s.CycleStart) * 864000);
    if (tenths <= 0)
        return 0;
    return static_cast<double>(s.BytesThisCycle) * 10 / tenths / 1024;
}

void CycleStatus::TimerStatusTimer()
{
    Scheduler& s = m_scheduler;
    checkTimeLimits();
    if (!s.inCycle() && !m_timerStatus.isActive())
        return;
    s.view().setAnimation(s.Running > 0);
    setPanel(panelRunning, engine_texts::running(s.Running));
    s.view().setApplicationHint(engine_texts::applicationHint(s.Running));
    showCounters();
    releaseOneThread(cycleRate());
    s.reportWriteFailures();
}

void CycleStatus::showCounters()
{
    const Scheduler& s = m_scheduler;
    setPanel(panelCounters, engine_texts::counters(s.NbVerified, s.NbNew, s.NbModified, s.NbErrors));
    setPanel(panelTotal, engine_texts::total(static_cast<double>(s.BytesThisCycle)));
    if (const double rate = cycleRate(); rate > 0)
        setPanel(panelRate, engine_texts::rate(rate));
}

void CycleStatus::checkTimeLimits()
{
    Scheduler& s = m_scheduler;
    const TOptGene& opt = s.opt();
    // A limit of 0 means "no maximum" in the options dialog; it must not hang up at once.
    if (s.ConnectTime <= 0 || !opt.HangUpWhenFinished || opt.HangUpAfter <= 0)
        return;
    const double age = s.env().now() - s.ConnectTime;
    if (age > opt.HangUpAfter)
        s.hangUpNow();
    else if (age > opt.HangUpAfter - 1.0 / 1440)
        s.StopLaunching();
}

void CycleStatus::releaseOneThread(double rate)
{
    Scheduler& s = m_scheduler;
    const TOptGene& opt = s.opt();
    if (!(s.connection().byModem() || opt.BandWithLimit == 0 || opt.BandWithLimit > rate))
        return;
    const auto& threads = s.Threads();
    if (threads.empty())
        return;
    for (int draw = 0; draw < 5; ++draw) {
        TThreadDownLoad* t = threads[m_random.bounded(static_cast<quint32>(threads.size()))];
        if (t->isSuspended()) {
            t->resume();
            return;
        }
    }
}

void CycleStatus::endButtonHover()
{
    if (m_scheduler.ConnectTime > 0)
        m_scheduler.view().setEndButtonHint(engine_texts::connectedSince(m_scheduler.connectedMinutes()));
}

void CycleStatus::TimerTimeOutTimer()
{
    m_timerTimeOut.stop();
    m_scheduler.saveTotal();
    restartSilentDownloads();
    checkDiskSpace();
    if (m_timeOutArmed && !m_scheduler.closing())
        m_timerTimeOut.start();
}

void CycleStatus::restartSilentDownloads()
{
    Scheduler& s = m_scheduler;
    const TOptGene& opt = s.opt();
    const double limit = (opt.TimeOut + static_cast<double>(opt.TimeOutByPage) * s.Running) * kSecond;
    const TDateTime now = s.env().now();
    // Copied: interrupting and restarting change the list.
    const std::vector<TThreadDownLoad*> threads = s.Threads();
    for (auto it = threads.rbegin(); it != threads.rend(); ++it) {
        TThreadDownLoad* t = *it;
        if (t->LastActivity >= now - limit)
            continue;
        TElement* e = t->Element();
        if (!e)
            continue;
        t->markTimedOut();
        s.InterromptThread(e);
        if (e->StatusNumber != -6) {
            e->StatusNumber = -6;
            s.startDownload(e);
        }
    }
}

void CycleStatus::diskFull(const QString& path)
{
    Scheduler& s = m_scheduler;
    if (m_diskFullToldAt == s.CycleStart)
        return;
    m_diskFullToldAt = s.CycleStart;
    if (s.launching())
        s.StopLaunching();
    const QString text = engine_texts::lowDiskSpace(driveOf(path), s.view().startButtonVisible());
    if (m_prompt)
        m_prompt->warn(text);
    else
        s.store().env().logError(text);
}

qint64 CycleStatus::freeBytes(const QString& path) const
{
    const qint64 bytes = m_freeSpace(path);
    return bytes < 0 || bytes > kUnmeasured ? kUnmeasured : bytes;
}

void CycleStatus::checkDiskSpace()
{
    Scheduler& s = m_scheduler;
    ElementStore& store = s.store();
    if (s.opt().DoNotCheckDiskSpace || store.tree().topLevelCount() == 0)
        return;
    // The home stands for drive C: a disk that was already nearly full at start-up is only
    // reported once it has lost another megabyte.
    QStringList paths {store.env().home()};
    QStringList drives {driveOf(store.env().home())};
    for (int i = 0; i < store.tree().topLevelCount(); ++i) {
        TElement* e = store.tree().topLevel(i)->element();
        const QString path = e ? e->GetSavePath() : QString();
        if (path.isEmpty() || path.startsWith(u'\\'))
            continue;
        const QString drive = driveOf(path);
        if (!drives.contains(drive)) {
            drives.append(drive);
            paths.append(path);
        }
    }
    for (qsizetype i = 0; i < paths.size(); ++i) {
        const qint64 free = freeBytes(paths[i]);
        const qint64 mo = free / 1048576;
        if (mo < 0 || mo > 9)
            continue;
        if (store.env().isDebug() && m_prompt)
            m_prompt->inform(engine_texts::lowDiskSpaceDebug(free, drives[i]));
        if (i == 0 && s.freeSpaceAtStart() >= 0 && free >= s.freeSpaceAtStart() - 1000000)
            continue;
        s.StopLaunching();
        const QString text = engine_texts::lowDiskSpace(drives[i], s.view().startButtonVisible());
        if (m_prompt)
            m_prompt->warn(text);
        else
            store.env().logError(text);
    }
}

} // namespace glanix
