#include "engine/Scheduler.h"

#include "config/DeferredFileWriter.h"
#include "config/Env.h"
#include "config/IniFile.h"
#include "config/OptGene.h"
#include "engine/CycleStatus.h"
#include "engine/EngineTexts.h"
#include "engine/TThreadDownLoad.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/StatusTexts.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <cmath>

namespace glanix {

namespace {

constexpr double kMinute = 1.0 / 1440;

bool isDownloadable(const TElement* e)
{
    return e && (e->Kind == kindAddress || e->Kind == kindPage || e->Kind == kindImage);
}

bool startsWithCi(const QString& s, QLatin1StringView prefix)
{
    return s.startsWith(prefix, Qt::CaseInsensitive);
}

// The thread priority a download gets: the document the user is waiting for goes first.
QThread::Priority priorityFor(TElement* e, const Scheduler& s)
{
    if (s.URLClicked.isEmpty())
        return QThread::LowestPriority;
    if (e->GetURL() == s.URLClicked)
        return QThread::LowPriority;
    if (e->Kind == kindImage && s.view().documentViewOpen() && e->Parent()) {
        TElement* page = e->Parent();
        if (page->GetURL() == s.URLClicked)
            return QThread::LowPriority;
        TElement* above = page->Parent();
        if (page->isAddressOrPage() && above && above->GetURL() == s.URLClicked)
            return QThread::LowPriority;
    }
    // Idle priority would be SCHED_IDLE on Linux: downloads would starve whenever another
    // process keeps the processor busy. They mostly wait on sockets anyway.
    return QThread::LowestPriority;
}

} // namespace

Scheduler::Scheduler(EngineContext context, QObject* parent)
    : QObject(parent)
    , m_store(context.store)
    , m_opt(context.opt)
    , m_view(context.view ? context.view : &m_noView)
    , m_connection(context.connection ? context.connection : &m_localNetwork)
    , m_prompt(context.prompt)
    , m_nextCheck(std::move(context.nextCheck))
    , m_tls(std::move(context.tls))
{
    m_status = std::make_unique<CycleStatus>(*this, std::move(context.freeSpace), m_prompt);
    m_freeSpaceAtStart = m_status->freeBytes(env().home());
    m_timerCheckURL.setInterval(200);
    connect(&m_timerCheckURL, &QTimer::timeout, this, &Scheduler::TimerCheckURLTimer);
    m_store.tree().addObserver(this);
}

Scheduler::~Scheduler()
{
    shutdown();
    m_store.tree().removeObserver(this);
}

Env& Scheduler::env() const
{
    return m_store.env();
}

// --- Commands ------------------------------------------------------------------------------

void Scheduler::startCommand()
{
    if (m_store.tree().topLevelCount() == 0)
        return;
    m_view->setActionEnabled(EngineAction::EndButton, true);
    m_view->setActionEnabled(EngineAction::StartButton, false);
    if (!m_connection->byModem() || m_connection->activeConnectionExists())
        StartCycle();
    else
        m_connection->dial();
}

void Scheduler::endCommand()
{
    if (m_opt.HangUpWhenFinished && m_connection->byModem()) {
        m_connection->hangUp();
        m_view->setGlobalPanel(1, engine_texts::hungUp());
        EndCycle();
    } else {
        StopLaunching();
    }
}

void Scheduler::connectionEstablished()
{
    StartCycle();
    ConnectTime = env().now() - kMinute;
}

void Scheduler::StartCycle()
{
    if (m_closing)
        return;
    m_view->cycleStarting();
    BytesThisCycle = 0;
    NbNew = NbModified = NbVerified = NbErrors = 0;
    m_answers.clear();
    CheckRequested = true;
    FirstPass = true;
    // The option may have changed since the last cycle.
    m_store.setStoreScripts(m_opt.RunScripts);
    setImagesShown(true);
    m_view->setCommHint(engine_texts::loadingNewUrls());
    CycleStarted = true;
    NoNewDownLoads = false;
    m_commBarShown = true;
    m_view->setCommBarVisible(true);
    CycleStart = env().now();
    m_inCycle = true;
    m_timerCheckURL.start();
    m_status->startStatus();
    m_view->setActionEnabled(EngineAction::StopLaunching, true);
    m_view->setActionEnabled(EngineAction::InterruptAll, true);
    m_view->setActionEnabled(EngineAction::Connect, false);
}

void Scheduler::StopLaunching()
{
    saveTotal();
    m_timerCheckURL.stop();
    m_view->setActionEnabled(EngineAction::StartButton, true);
    m_view->setActionEnabled(EngineAction::EndButton, true);
    m_view->setActionEnabled(EngineAction::StopLaunching, false);
    m_view->setActionEnabled(EngineAction::Connect, true);
}

void Scheduler::EndCycle()
{
    StopLaunching();
    for (TThreadDownLoad* t : m_threads) {
        if (t->isSuspended())
            t->resume();
    }
    if (m_opt.HangUpWhenFinished && m_connection->byModem()) {
        m_connection->hangUp();
        m_view->setGlobalPanel(1, engine_texts::hungUp());
    }
    int minutes = -1;
    if (ConnectTime > 0)
        minutes = connectedMinutes();
    ConnectTime = 0;
    m_status->setPanel(panelCommunication, QString());
    // The last downloads ended after the last status tick: the summary counts them too.
    if (m_inCycle)
        m_status->showCounters();
    m_status->stopStatus();
    m_timerCheckURL.stop();
    m_commBarShown = false;
    m_view->setCommBarVisible(false);
    m_view->setStartButtonHint(engine_texts::lastConnectionHint(
        m_status->panel(panelCounters), m_status->panel(panelTotal), m_status->panel(panelRate)));
    m_view->setAnimation(false);
    m_view->setActionEnabled(EngineAction::EndButton, false);
    m_view->setEndButtonHint(engine_texts::endButtonHint(minutes));
    m_view->setActionEnabled(EngineAction::InterruptAll, false);
    setImagesShown(false);
    m_answers.clear();
    // What the cycle wrote is on disk when it ends (the writing thread keeps up, so this
    // rarely waits for more than one batch).
    m_store.writer().settleAll();
    for (const QString& error : m_store.writer().takeErrors())
        env().logError(error);
    reportWriteFailures();
    const bool was = m_inCycle;
    m_inCycle = false;
    m_view->cycleEnded();
    if (was)
        emit cycleEnded();
}

void Scheduler::reportWriteFailures()
{
    // Element files are written a little after the download that changed them: a failure
    // is told on the element it belongs to once it is known.
    for (const DeferredFileWriter::Failure& f : m_store.writer().takeFailures()) {
        for (TElement* e = m_store.ElementsWithExt().first(); e; e = ElementList::next(e)) {
            if (!e->isAddressOrPage() || e->GetIniFileName() != f.path)
                continue;
            e->StatusNumber = kStatusNotStored;
            e->Messages.append(StatusText(kStatusNotStored) + QStringLiteral(" : ") + f.error);
            e->ImageIndex = -1;
            if (e->Node()) {
                e->Node()->notifyChanged();
                m_store.host().refreshNode(e->Node());
            }
        }
        if (f.noSpace)
            m_status->diskFull(f.path);
    }
}

void Scheduler::setImagesShown(bool on)
{
    if (on) {
        m_imagesBefore = m_store.seeImages();
        m_imagesSwitched = true;
        m_view->setActionEnabled(EngineAction::SeeImages, false);
        if (m_view->showImagesInTree(true))
            return;
        if (!m_store.seeImages()) {
            m_store.setSeeImages(true);
            for (TElement* e = m_store.ElementsWithExt().first(); e; e = ElementList::next(e))
                e->BuildImageNodes();
        }
        return;
    }
    if (!m_imagesSwitched)
        return;
    m_imagesSwitched = false;
    m_view->setActionEnabled(EngineAction::SeeImages, true);
    if (m_view->showImagesInTree(m_imagesBefore))
        return;
    if (!m_imagesBefore && m_store.seeImages()) {
        m_store.setSeeImages(false);
        for (TElement* e = m_store.ElementsWithExt().first(); e; e = ElementList::next(e))
            e->RemoveImageGroup();
        if (NodeEnCours && NodeEnCours->element() && NodeEnCours->element()->Kind >= kindImage)
            NodeEnCours = nullptr;
        NodeDepart = nullptr;
    }
}

void Scheduler::interruptAll()
{
    EndCycle();
    for (auto it = m_threads.rbegin(); it != m_threads.rend(); ++it) {
        TThreadDownLoad* t = *it;
        t->requestTerminate();
        if (TElement* e = t->Element(); e && e->Node()) {
            e->Node()->setBold(false);
            e->Node()->setText(e->GetName());
        }
    }
}

void Scheduler::interruptElement(TElement* element)
{
    if (!element)
        return;
    InterromptThread(element);
    element->LastVerified = env().now();
}

void Scheduler::InterromptThread(TElement* element)
{
    if (!element || !element->Node() || !element->Node()->bold())
        return;
    for (qsizetype i = static_cast<qsizetype>(m_threads.size()) - 1; i >= 0; --i) {
        if (i >= static_cast<qsizetype>(m_threads.size()))
            continue;
        TThreadDownLoad* t = m_threads[static_cast<size_t>(i)];
        if (t->Element() != element)
            continue;
        t->setPriority(QThread::HighPriority);
        t->requestTerminate();
        ThreadTerminated(t);
    }
    element->Node()->setBold(false);
    element->Node()->setText(element->GetName());
}

void Scheduler::hangUpNow()
{
    EndCycle();
    if (m_connection->byModem())
        m_connection->hangUp();
}

void Scheduler::nodePressed(TreeNode* node)
{
    if (!m_opt.DownLoadFromSelection || !node)
        return;
    NodeEnCours = node->previous();
    NodeDepart = nullptr;
}

void Scheduler::startTimeOutWatch()
{
    m_status->startTimeOutWatch();
}

void Scheduler::saveTotal()
{
    IniFile ini(env().iniFileName());
    ini.writeReal(u"General", u"TotalDownLoadedSinceBeginning", m_opt.TotalDownLoadedSinceBeginning);
    const WriteResult r = ini.save();
    if (!r.ok)
        env().logError(r.error);
}

int Scheduler::connectedMinutes() const
{
    return static_cast<int>(std::lround((env().now() - ConnectTime) * 1440));
}

bool Scheduler::pastDoNotHangUpBefore() const
{
    return env().now() - ConnectTime > m_opt.DoNotHangUpBefore;
}

// --- Threads -------------------------------------------------------------------------------

TThreadDownLoad* Scheduler::startDownload(TElement* element)
{
    if (m_closing || !element)
        return nullptr;
    TThreadDownLoad* t = nullptr;
    try {
        t = new TThreadDownLoad(*this, element);
        connect(
            t, &QThread::finished, this, [this, t] { threadFinished(t); }, Qt::QueuedConnection);
        m_threads.push_back(t);
        m_owned.push_back(t);
        ++m_pendingStarts;
        // Bold at once, not only when DoStart runs: another walk of the same tick must not
        // take the element again.
        if (element->Node())
            element->Node()->setBold(true);
        t->start(priorityFor(element, *this));
    } catch (const std::exception&) {
        env().logError(QStringLiteral("Thread non lancé"));
        if (element->Node())
            element->Node()->setBold(false);
        if (t) {
            std::erase(m_threads, t);
            std::erase(m_owned, t);
            --m_pendingStarts;
            delete t;
        }
        return nullptr;
    }
    return t;
}

void Scheduler::downloadStarted(TThreadDownLoad* thread)
{
    if (thread->hasStarted())
        return;
    --m_pendingStarts;
    ++Running;
}

void Scheduler::threadFinished(TThreadDownLoad* thread)
{
    // Already joined and freed by shutdown().
    if (std::find(m_owned.begin(), m_owned.end(), thread) == m_owned.end())
        return;
    thread->wait();
    ThreadTerminated(thread);
    std::erase(m_owned, thread);
    delete thread;
}

void Scheduler::ThreadTerminated(TThreadDownLoad* thread)
{
    if (m_closing)
        return;
    const auto it = std::find(m_threads.begin(), m_threads.end(), thread);
    if (it != m_threads.end()) {
        m_threads.erase(it);
        if (thread->hasStarted())
            --Running;
        else
            --m_pendingStarts;
    }
    // Not while a walk runs (it lets events run): it may still find something due, and the
    // tick decides about the end once it is over. Once launching has stopped (a command, a
    // time or disk-space limit), nothing is left to do when the last download ends, whatever
    // was still due.
    if (busy() <= 0 && (!CheckRequested || !launching()) && !m_opt.KeepReady && m_inCycle && !m_walking) {
        if (ConnectTime == 0 || !m_connection->byModem() || pastDoNotHangUpBefore()) {
            EndCycle();
            return;
        }
    }
    // A place is free: look for the next element now rather than at the next tick, or short
    // downloads would leave their places empty most of the time.
    if (m_timerCheckURL.isActive() && !m_tickQueued) {
        m_tickQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_tickQueued = false;
            if (m_timerCheckURL.isActive() && !m_walking)
                TimerCheckURLTimer();
        });
    }
}

void Scheduler::downloadFinished(TThreadDownLoad* /*thread*/, const DownloadReport& report)
{
    if (report.outcome == DownloadReport::Outcome::Error)
        ++NbErrors;
    m_view->downloadEnded(report);
}

void Scheduler::addCycleBytes(qint64 bytes)
{
    BytesThisCycle += bytes;
    m_opt.TotalDownLoadedSinceBeginning += static_cast<double>(bytes);
}

void Scheduler::elementDestroyed(TElement* element)
{
    for (TThreadDownLoad* t : m_owned) {
        if (t->Element() == element) {
            t->requestTerminate();
            t->detachElement();
            ThreadTerminated(t);
        }
    }
}

void Scheduler::nodesAboutToBeRemoved(TreeNode* parent, int first, int last)
{
    for (int row = first; row <= last; ++row)
        nodeAboutToBeRemoved(parent->child(row));
}

void Scheduler::nodeAboutToBeRemoved(TreeNode* node)
{
    if (!node)
        return;
    if (NodeEnCours && (NodeEnCours == node || node->isAncestorOf(NodeEnCours)))
        NodeEnCours = node->previous();
    if (NodeDepart && (NodeDepart == node || node->isAncestorOf(NodeDepart)))
        NodeDepart = nullptr;
    // The cursor may have moved onto a node of the same subtree (a previous sibling's child).
    while (NodeEnCours && (NodeEnCours == node || node->isAncestorOf(NodeEnCours)))
        NodeEnCours = NodeEnCours->previous();
}

void Scheduler::shutdown()
{
    if (m_closing)
        return;
    m_closing = true;
    m_timerCheckURL.stop();
    m_status->stopStatus();
    for (TThreadDownLoad* t : m_owned) {
        t->requestTerminate();
        t->resume();
    }
    // A worker may be waiting in a blocking call to this thread: run those calls (their steps
    // see the closing flag and do nothing) until it has ended.
    for (TThreadDownLoad* t : m_owned) {
        while (!t->wait(QDeadlineTimer(5)))
            QCoreApplication::sendPostedEvents(t, QEvent::MetaCall);
    }
    for (TThreadDownLoad* t : m_owned)
        delete t;
    m_owned.clear();
    m_threads.clear();
    Running = 0;
    m_pendingStarts = 0;
}

// --- The tick ------------------------------------------------------------------------------

void Scheduler::TimerCheckURLTimer()
{
    if (m_walking || m_closing)
        return;
    bool wasDisabled = !m_timerCheckURL.isActive();
    m_timerCheckURL.stop();

    m_view->setAnimation(Running > 0);
    m_status->setPanel(panelRunning, engine_texts::running(Running));
    m_view->setApplicationHint(engine_texts::applicationHint(Running));

    if (busy() < m_opt.NbMaxDownLoads) {
        if (NoNewDownLoads || !CycleStarted) {
            wasDisabled = true;
            StopLaunching();
        } else {
            // Several walks per tick: one download per tick would cap a cycle at five starts a
            // second. The threads created here count as running although DoStart has not run.
            bool lookedAgain = false;
            while ((FirstPass || CheckRequested) && busy() < m_opt.NbMaxDownLoads && m_inCycle) {
                ChercheProchainNoeud();
                if (m_closing)
                    return;
                if (!m_inCycle)
                    break;
                // Told by the walk itself: comparing the cursor's save path before and after
                // cannot see the start node found again.
                if (!m_lastWalkFound) {
                    if (m_sawHeldBack) {
                        CheckRequested = true;
                        // Places freed while the walk let events run: the waiting elements
                        // may go now rather than at the next tick.
                        if (!lookedAgain && busy() <= reservedFrom()) {
                            lookedAgain = true;
                            continue;
                        }
                    } else if (NodeDepart && !m_addedDuringWalk) {
                        // Children added while the walk let events run may lie behind it.
                        CheckRequested = false;
                        m_view->setCommHint(QString());
                    }
                    FirstPass = true;
                    break;
                }
                TElement* e = NodeEnCours ? NodeEnCours->element() : nullptr;
                if (!isDownloadable(e) || !startDownload(e))
                    break;
            }
        }
    }

    if (busy() == 0 && !CheckRequested && !m_opt.KeepReady
        && (!m_connection->byModem() || pastDoNotHangUpBefore())) {
        if (m_inCycle)
            EndCycle();
        return;
    }
    if (!wasDisabled && m_commBarShown && m_inCycle)
        m_timerCheckURL.start();
}

// --- The walk ------------------------------------------------------------------------------

int Scheduler::reservedFrom() const
{
    return std::max(m_opt.NbMaxDownLoads - 3, 0);
}

bool Scheduler::walkTests(TElement* e, TreeNode* node)
{
    if (node->bold() || !e)
        return false;
    const QString& url = e->GetURL();
    if (url.isEmpty() || !isDownloadable(e))
        return false;
    const bool heldBack = FirstPass && e->LastVerified > 0 && e->Complete && busy() > reservedFrom();
    if (heldBack && m_sawHeldBack)
        return false;
    if (!e->GetActive() || !e->IsActive())
        return false;
    if (startsWithCi(url, QLatin1StringView("ftp://")) || startsWithCi(url, QLatin1StringView("file://")))
        return false;
    if (e->LastVerified > CycleStart)
        return false;
    if (e->Kind == kindImage && e->Parent() && e->LastVerified > e->Parent()->LastModified)
        return false;
    const bool due = IsURLToVerify(*e);
    // A due element waiting for a place means the walk is not over: the cycle must not end
    // before it had its turn. So does an image whose bytes are on their way for another page:
    // that download's answer serves it once it is over.
    if (heldBack || (due && e->Kind == kindImage && sameImageUnderWay(*e))) {
        m_sawHeldBack = m_sawHeldBack || due;
        return false;
    }
    return due;
}

bool Scheduler::sameImageUnderWay(const TElement& image) const
{
    for (const TThreadDownLoad* t : m_threads) {
        const TElement* other = t->Element();
        if (other && other != &image && other->Kind == kindImage
            && sameAddress(other->GetURL(), image.GetURL()))
            return true;
    }
    return false;
}

void Scheduler::advance()
{
    TElement* e = NodeEnCours->element();
    if ((!NodeEnCours->bold() || FirstPass) && e && e->Kind != kindImageGroup && e->GetActive()
        && e->IsActive())
        e->LoadChildren(1);
    if (!NodeDepart)
        NodeDepart = NodeEnCours;
    TreeNode* next = NodeEnCours->next();
    NodeEnCours = next ? next : m_store.tree().firstNode();
    if (FirstPass && ++m_stepsSinceEvents >= 32) {
        // The walk may visit every node: the user interface keeps running meanwhile.
        m_stepsSinceEvents = 0;
        QCoreApplication::processEvents();
    }
}

void Scheduler::ChercheProchainNoeud()
{
    Env& log = env();
    m_walking = true;
    m_lastWalkFound = false;
    m_sawHeldBack = false;
    m_addedDuringWalk = false;
    const quint64 addedBefore = m_childrenAddedCount;
    try {
        if (!NodeEnCours)
            NodeEnCours = m_store.tree().firstNode();
        if (!NodeEnCours) {
            if (log.isDebug())
                log.logError(QStringLiteral("NodeEnCours = nil"));
            m_walking = false;
            return;
        }
        NodeDepart = NodeEnCours;
        TreeNode* next = NodeEnCours->next();
        NodeEnCours = next ? next : m_store.tree().firstNode();
        bool found = false;
        while (NodeEnCours && !m_closing) {
            if (NodeEnCours == NodeDepart) {
                // The start node is examined last: otherwise an element on which the cursor
                // rests would never be found again while it is the only one due.
                found = walkTests(NodeEnCours->element(), NodeEnCours);
                break;
            }
            TElement* e = NodeEnCours->element();
            if (!e && log.isDebug())
                log.logError(QStringLiteral("ElementTemp vide et pas NodeEnCours"));
            if (walkTests(e, NodeEnCours)) {
                found = true;
                break;
            }
            advance();
            if (!NodeEnCours) {
                if (log.isDebug())
                    log.logError(QStringLiteral("NodeEnCours vide dans ChercheProchainNoeud"));
                NodeEnCours = m_store.tree().firstNode();
            }
        }
        m_lastWalkFound = found;
        if (found) {
            NodeEnCours->element()->LoadChildren(1);
        } else if (!m_closing) {
            FirstPass = false;
            m_view->setCommHint(engine_texts::checkingExistingUrls());
            // Due elements waiting for a place, or added behind the walk, are not "nothing left".
            m_addedDuringWalk = m_childrenAddedCount != addedBefore;
            if (!m_sawHeldBack && !m_addedDuringWalk && busy() < 1 && !m_opt.KeepReady
                && pastDoNotHangUpBefore())
                NoNewDownLoads = true;
        }
    } catch (const std::exception&) {
        log.logError(QStringLiteral("Erreur dans le parcours de ChercheProchainNoeud"));
    }
    m_walking = false;
}

bool Scheduler::IsURLToVerify(TElement& e)
{
    if (!e.Complete)
        return true;
    const double f = e.GetFrequency();
    const TDateTime now = env().now();
    if (f > 0) {
        const double days = std::floor(f);
        const double period = std::round((f - days) * 100);
        if (e.LastModified + days >= now)
            return false;
        return e.LastVerified + period < now;
    }
    if (f == 0)
        return true;
    if (f == -1 || f == -2) {
        const TDateTime next = m_nextCheck ? m_nextCheck(e) : 0;
        if (!(now > next))
            return false;
        return f == -1 || e.LastVerified <= 0 || e.State != stateUnread;
    }
    if (f == -3)
        return e.LastModified == 0 || e.LastVerified == 0;
    env().logError(QStringLiteral("IsURLToVerify indéfinie"));
    return false;
}

} // namespace glanix
