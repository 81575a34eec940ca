#pragma once

#include "config/AtomicFile.h"
#include "config/DateTime.h"

#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

// One download: fetches one element (an address, a linked page or an image) on its own
// thread and turns the answer into a stored version.
//
// The HTTP exchange (T_HTTP) runs on the worker. Everything shared (the element, its files,
// the tree, the scheduler's counters, the view) is touched only on the user-interface thread,
// by the steps DoStart, DoTrace, DoDataReceived, CommFinished and DoEndComm, each run by a
// blocking queued call from the worker. The scheduler creates the thread, owns it, and
// controls it only through the terminate request, suspend/resume and its priority; it never
// waits for it, except at shutdown, where the pending steps are run (and skip their work)
// while it joins.
namespace glanix {

class Scheduler;
struct StoredAnswer;
class T_HTTP;
class TElement;

class TThreadDownLoad : public QThread {
    Q_OBJECT

public:
    TThreadDownLoad(Scheduler& owner, TElement* element);
    ~TThreadDownLoad() override;

    // The element downloaded; null once it was freed during the download.
    TElement* Element() const { return m_element; }

    // Forgets the element (it is being freed): no later step touches it.
    void detachElement() { m_element = nullptr; }

    // Creation time, then the time of the last trace line or data block (UI thread).
    TDateTime LastActivity = 0;

    // The worker gives up at its next trace line or data block (and its socket waits).
    void requestTerminate();

    bool terminateRequested() const { return m_terminate.load(); }

    // The time-out check interrupted it: the element keeps the status -6.
    void markTimedOut() { m_timedOut = true; }

    bool timedOut() const { return m_timedOut; }

    // Bandwidth limit: the worker suspends itself at a data block; the status tick resumes.
    bool isSuspended() const { return m_suspended.load(); }

    void resume();

    // DoStart has run (the scheduler counts it among the downloads in progress).
    bool hasStarted() const { return m_started; }

    // Test seam: the bytes received so far.
    qint64 received() const { return Received; }

protected:
    void run() override;

private:
    // Worker side.
    void execute();
    void oneRequest();
    void useStoredAnswer();
    void rememberAnswer(const TElement& e);
    void prepareDocument();
    bool followRedirection();
    void tooManyRedirections();
    void Trace(const QString& line, int level);
    void DataReceived(qint64 count);
    void checkTerminate() const;
    void suspendSelf();
    void runOnOwnerThread(void (TThreadDownLoad::*step)(), Qt::ConnectionType type);
    void sync(void (TThreadDownLoad::*step)());
    // Queues the step without waiting for it (it only shows and records progress).
    void post(void (TThreadDownLoad::*step)());

    // User-interface side, each run by a blocking call from the worker.
    void DoStart();
    void DoTrace();
    void DoDataReceived();
    void CommFinished();
    void DoEndComm();

    // Parts of CommFinished.
    void storeFullDownload(TElement& e);
    void storeNewContent(TElement& e);
    void analysePage(TElement& e);
    void createRefreshChild(TElement& e, const QString& refresh);
    bool prepareCopy();
    bool prepareOnOwnerThread();
    bool writeDocument(TElement& e, bool shift);
    void storeFailed(TElement& e);
    void storeInformation(TElement& e);
    void refreshViews(TElement& e);
    bool keepCommsOf(const TElement& e) const;
    void addMessage(TElement& e, const QString& line) const;

    Scheduler& m_owner;
    TElement* m_element;
    std::unique_ptr<T_HTTP> Http;

    // Filled by DoStart from the element (UI thread), read by the worker afterwards.
    QString ElementName;
    QString SavePath;
    QString StoredETag;
    qint64 StoredSize = 0;
    TDateTime StoredDate = 0;
    TDateTime StartTime = 0;
    bool InfoOnly = false;
    bool WasComplete = true;
    std::atomic<int> m_bandwidthLimit = 0; // Ko/s; 0 = none
    std::atomic<qint64> m_elapsedTenths = 0; // since the cycle started, at the last data block
    qint64 m_timeLimitMs = 125000; // the whole exchange's limit, from the options

    // Written by the worker, read by the steps.
    QString NewAddress;
    QString TraceLine;
    int Status = 0;
    qint64 Received = 0;
    qint64 Expected = 0;
    qint64 LastBlock = 0;
    std::atomic<qint64> CycleBytes = 0;
    qint64 m_loadedPartial = 0; // bytes of a partial copy put in the stream to resume
    bool Downloaded = false;
    bool IsNew = false;
    bool IsModified = false;
    bool m_counted = true; // IsNew and IsModified count in the cycle's figures
    bool m_cut = false; // an exception ended a request before its answer was whole
    bool m_started = false;
    bool m_timedOut = false;
    bool m_childrenAdded = false;
    bool m_image = false; // an incomplete copy is not stored
    PreparedFile m_prepared; // the answer, written beside SavePath by the worker
    QStringList m_storeFolders; // the agent's folders, where the worker may write
    QString m_storeError; // French: why the answer could not be stored
    bool m_noSpace = false; // ... because the disk is full
    bool m_storing = false; // CommFinished decided to store the answer
    std::shared_ptr<const StoredAnswer> m_answer; // what another element of the address got
    bool m_usedAnswer = false;

    // Progress posted by the worker and not shown yet.
    struct Progress {
        qint64 received = 0;
        qint64 expected = 0;
        qint64 bytes = 0; // blocks added up since the last showing
        bool pending = false;
    };

    std::mutex m_progressMutex;
    QStringList m_pendingTraces;
    Progress m_progress;

    std::atomic<bool> m_terminate = false;
    std::atomic<bool> m_suspended = false;
    std::mutex m_suspendMutex;
    std::condition_variable m_suspendCondition;
};

} // namespace glanix
