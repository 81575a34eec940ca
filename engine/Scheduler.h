#pragma once

#include "config/DateTime.h"
#include "engine/CycleAnswers.h"
#include "engine/EngineHost.h"
#include "engine/SocketChannel.h"
#include "store/TreeNode.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

// The download scheduler: works in download cycles, walks the tree of open agents from its
// cursor, starts a download thread (TThreadDownLoad) for every element that is due, keeps at
// most NbMaxDownLoads of them running and ends the cycle when nothing is due and nothing
// runs. It owns the download threads and the run-time state of a cycle (counters, cursor,
// connection time), and, through CycleStatus, the status and time-out ticks.
//
// Lives on the user-interface thread, driven by its 200 ms timer; the desktop program's
// commands and glanix-cli call it there. What a cycle shows goes to the EngineView, the
// dial-up layer is behind Connection.
namespace glanix {

class CycleStatus;
class ElementStore;
class Env;
class TElement;
class TThreadDownLoad;
class UserPrompt;
struct TOptGene;

struct EngineContext {
    ElementStore& store;
    TOptGene& opt;
    EngineView* view = nullptr; // null: shows nothing
    Connection* connection = nullptr; // null: local network
    UserPrompt* prompt = nullptr; // null: messages go to the error log
    NextCheckRule nextCheck; // required for the automatic policy
    FreeSpaceProbe freeSpace; // null: QStorageInfo
    TlsOptions tls; // certificates trusted by the downloads
};

class Scheduler : public QObject, private TreeObserver {
    Q_OBJECT

public:
    explicit Scheduler(EngineContext context, QObject* parent = nullptr);
    // Stops and joins every thread (see shutdown()).
    ~Scheduler() override;

    ElementStore& store() const { return m_store; }

    Env& env() const;

    TOptGene& opt() const { return m_opt; }

    EngineView& view() const { return *m_view; }

    Connection& connection() const { return *m_connection; }

    const TlsOptions& tlsOptions() const { return m_tls; }

    // --- Commands ---------------------------------------------------------------------------
    // The start button (CMBtnStartConnexionClick, MenuConnecter).
    void startCommand();
    // The end button (CMBtnEndConnexionClick).
    void endCommand();
    void StartCycle();
    // No new download starts; running ones go on.
    void StopLaunching();
    // Ends the cycle (also the connection's end); running downloads go on.
    void EndCycle();
    // MenuConnexionInterrompreTousLesTelechargementsEnCours.
    void interruptAll();
    // PopupInterrompre: interrupts the element's download and counts it as verified now.
    void interruptElement(TElement* element);
    void InterromptThread(TElement* element);
    // MenuConnexionRaccrocherMaintenant.
    void hangUpNow();
    // The dial-up line is up: the cycle starts and the connection's age counts from a
    // minute ago.
    void connectionEstablished();
    // Mouse-down on a tree node: with DownLoadFromSelection the next walk starts there.
    void nodePressed(TreeNode* node);

    // "Rafraîchir": every element is looked at again.
    void requestCheck() { CheckRequested = true; }

    // The time-out and disk-space watch runs from the end of start-up on.
    void startTimeOutWatch();
    // The program is closing: every thread is asked to stop and joined; no step of theirs
    // touches an element any more. Called by the destructor; safe to call twice.
    void shutdown();

    // The element is about to be freed: its download is interrupted and forgotten.
    void elementDestroyed(TElement* element);

    // --- The walk ---------------------------------------------------------------------------
    bool IsURLToVerify(TElement& e);
    void ChercheProchainNoeud();

    // --- Run-time state of a cycle (kept in Opt by the original) ------------------------------
    const std::vector<TThreadDownLoad*>& Threads() const { return m_threads; }

    int Running = 0;
    int NbVerified = 0;
    int NbNew = 0;
    int NbModified = 0;
    int NbErrors = 0; // downloads that ended with a failure status
    qint64 BytesThisCycle = 0;
    TDateTime CycleStart = 0;
    TDateTime ConnectTime = 0;
    bool FirstPass = false;
    bool CheckRequested = false;
    bool NoNewDownLoads = false;
    bool CycleStarted = false;
    QString URLClicked;
    TreeNode* NodeEnCours = nullptr;
    TreeNode* NodeDepart = nullptr;

    // Downloads running or created and not started yet: the places taken.
    int busy() const { return Running + m_pendingStarts; }

    bool inCycle() const { return m_inCycle; }

    bool closing() const { return m_closing; }

    bool launching() const { return m_timerCheckURL.isActive(); }

    CycleStatus& status() const { return *m_status; }

    // Image answers of this cycle, for the other elements of the same address.
    CycleAnswers& answers() { return m_answers; }

    // The scheduler tick (TimerCheckURLTimer); public so that tests can run one.
    void TimerCheckURLTimer();

    // Starts a download of the element; null when the thread could not be created.
    TThreadDownLoad* startDownload(TElement* element);
    // End of a thread (also called at once for an interrupted one).
    void ThreadTerminated(TThreadDownLoad* thread);

    // --- Called by the download threads' steps (UI thread) ---------------------------------
    void downloadStarted(TThreadDownLoad* thread);
    void downloadFinished(TThreadDownLoad* thread, const DownloadReport& report);
    void addCycleBytes(qint64 bytes);

    // CommFinished added children: they are looked for before the cycle may end, also when
    // a walk that lets events run has already passed their place.
    void childrenAdded()
    {
        CheckRequested = true;
        ++m_childrenAddedCount;
    }

    // Writes TotalDownLoadedSinceBeginning to Glanix.ini.
    void saveTotal();
    // Element files that the store's writer failed to write: their elements say so.
    void reportWriteFailures();

    // Free bytes of the home's file system when the scheduler was created (FreeSpaceAtStart).
    qint64 freeSpaceAtStart() const { return m_freeSpaceAtStart; }

    // Minutes (rounded) since ConnectTime.
    int connectedMinutes() const;
    // More than DoNotHangUpBefore has passed since ConnectTime.
    bool pastDoNotHangUpBefore() const;

signals:
    // The cycle ended (EndCycle ran).
    void cycleEnded();

private:
    // The walk's cursor never rests on a node that leaves the tree (a closed agent, a deleted
    // element, image nodes), whoever removes it.
    void nodesAboutToBeRemoved(TreeNode* parent, int first, int last) override;
    void nodeAboutToBeRemoved(TreeNode* node);
    bool walkTests(TElement* e, TreeNode* node);
    // Another element of the image's address is being fetched.
    bool sameImageUnderWay(const TElement& image) const;
    // During the first pass, an element verified before waits while more downloads than this
    // run: three places stay for addresses never fetched. With fewer than four places in
    // all, one verified element may still run, or none would ever be checked.
    int reservedFrom() const;
    void advance();
    void threadFinished(TThreadDownLoad* thread);
    void setImagesShown(bool on);

    ElementStore& m_store;
    TOptGene& m_opt;
    EngineView m_noView;
    Connection m_localNetwork;
    EngineView* m_view;
    Connection* m_connection;
    UserPrompt* m_prompt;
    NextCheckRule m_nextCheck;
    TlsOptions m_tls;
    std::vector<TThreadDownLoad*> m_threads; // running, in start order
    std::vector<TThreadDownLoad*> m_owned; // every thread not yet joined
    std::unique_ptr<CycleStatus> m_status;
    CycleAnswers m_answers;
    QTimer m_timerCheckURL;
    int m_pendingStarts = 0;
    qint64 m_freeSpaceAtStart = -1;
    bool m_inCycle = false;
    bool m_closing = false;
    bool m_walking = false;
    bool m_lastWalkFound = false;
    bool m_sawHeldBack = false; // the last walk passed over a due element for want of a place
    quint64 m_childrenAddedCount = 0;
    bool m_addedDuringWalk = false; // children were added while the last walk let events run
    bool m_tickQueued = false;
    int m_stepsSinceEvents = 0;
    bool m_imagesBefore = true;
    bool m_imagesSwitched = false;
    bool m_commBarShown = false;

    friend class CycleStatus;
};

} // namespace glanix
