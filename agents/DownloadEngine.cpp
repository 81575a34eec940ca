#include "agents/DownloadEngine.h"

#include "agents/ConnectionPort.h"
#include "agents/DialSession.h"
#include "agents/HeadlessCycle.h"
#include "agents/TThreadVersion.h"
#include "config/Env.h"
#include "config/OptGene.h"
#include "engine/CycleStatus.h"
#include "engine/EngineTexts.h"
#include "engine/NetworkManagerDialUp.h"
#include "engine/Scheduler.h"
#include "engine/TDialUp.h"
#include "store/ElementStore.h"
#include "store/NextCheck.h"

#include <QTextStream>
#include <cstdio>

namespace glanix {

DownloadEngine::DownloadEngine(const DownloadEngineSetup& setup)
    : m_opt(setup.opt)
    , m_prompt(setup.prompt)
    , m_window(setup.window)
    , m_port(setup.port)
    , m_backend(setup.dialUp)
    , m_report(setup.report)
{
    if (!m_report) {
        m_ownReport = std::make_unique<QTextStream>(stdout);
        m_report = m_ownReport.get();
    }
    EngineContext context {setup.store, setup.opt};
    context.view = this;
    context.connection = this;
    context.prompt = &setup.prompt;
    context.nextCheck = [](const TElement& e) { return nextCheckTime(e); };
    context.freeSpace = setup.freeSpace;
    context.tls = setup.tls;
    m_scheduler = std::make_unique<Scheduler>(context);
    m_updateCheck = std::make_unique<UpdateCheck>(setup.store.env(), setup.tls);
}

DownloadEngine::~DownloadEngine()
{
    shutdown();
}

Env& DownloadEngine::env() const
{
    return m_scheduler->env();
}

DialUpBackend& DownloadEngine::backend()
{
    if (!m_backend) {
        m_ownBackend = std::make_unique<NetworkManagerDialUp>();
        m_backend = m_ownBackend.get();
    }
    return *m_backend;
}

// --- DownloadControl -------------------------------------------------------------------------

bool DownloadEngine::cycleInProgress() const
{
    return m_scheduler->inCycle();
}

int DownloadEngine::threadsRunning() const
{
    return m_scheduler->Running;
}

int DownloadEngine::pendingCount() const
{
    return m_scheduler->busy() - m_scheduler->Running;
}

void DownloadEngine::startCommand()
{
    if (m_shutDown)
        return;
    m_port.setEndButtonMenu(true);
    m_scheduler->startCommand();
}

void DownloadEngine::startUnattended()
{
    // Nobody is there to end a cycle kept open: this run ends once nothing is left to do,
    // and the user's choice comes back afterwards.
    m_unattended = true;
    m_keepReadyBefore = m_opt.KeepReady;
    m_opt.KeepReady = false;
    m_port.optionsChanged();
    startCommand();
}

void DownloadEngine::endCommand()
{
    m_scheduler->endCommand();
}

void DownloadEngine::stopLaunching()
{
    m_scheduler->StopLaunching();
}

void DownloadEngine::interruptAll()
{
    m_scheduler->interruptAll();
}

void DownloadEngine::interruptElement(TElement* element)
{
    m_scheduler->interruptElement(element);
}

void DownloadEngine::hangUpNow()
{
    m_scheduler->hangUpNow();
}

bool DownloadEngine::connectionActive()
{
    return m_opt.ConnectByModem && activeConnectionExists();
}

void DownloadEngine::setURLClicked(const QString& address)
{
    m_scheduler->URLClicked = address;
}

QString DownloadEngine::urlClicked() const
{
    return m_scheduler->URLClicked;
}

void DownloadEngine::nodePressed(TreeNode* node)
{
    m_scheduler->nodePressed(node);
}

void DownloadEngine::endButtonHover()
{
    m_scheduler->status().endButtonHover();
}

void DownloadEngine::createDialUp(const QString& entry)
{
    if (m_shutDown)
        return;
    m_dialUp = std::make_unique<TDialUp>(backend());
    m_dialUp->Language = French;
    m_dialUp->Entry = entry;
    bindHandlers(*m_dialUp);
}

void DownloadEngine::chooseConnection()
{
    std::unique_ptr<TDialUp> passing;
    TDialUp* dialUp = m_dialUp.get();
    if (!dialUp) {
        passing = std::make_unique<TDialUp>(backend());
        passing->Language = French;
        passing->Entry = m_opt.ConnectEntry;
        dialUp = passing.get();
    }
    dialUp->GetEntries();
    const std::optional<QString> chosen = m_port.chooseConnection(dialUp->Entries, m_opt.ConnectEntry);
    if (!chosen)
        return;
    dialUp->Entry = *chosen;
    m_opt.ConnectEntry = *chosen;
}

void DownloadEngine::startTimeOutWatch()
{
    m_scheduler->startTimeOutWatch();
}

void DownloadEngine::stopTimers()
{
    m_scheduler->status().stopStatus();
    m_scheduler->status().stopTimeOutWatch();
    if (m_scheduler->launching())
        m_scheduler->StopLaunching();
}

void DownloadEngine::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_port.closeDialWindow();
    m_updateCheck->stop();
    m_scheduler->status().stopTimeOutWatch();
    m_scheduler->shutdown();
    if (m_unattended)
        endUnattended();
    // Freeing the component leaves the line as it is.
    m_dialUp.reset();
}

void DownloadEngine::elementDestroyed(TElement* element)
{
    m_scheduler->elementDestroyed(element);
}

// --- Connection ------------------------------------------------------------------------------

bool DownloadEngine::byModem() const
{
    return m_opt.ConnectByModem && m_dialUp;
}

bool DownloadEngine::activeConnectionExists()
{
    if (!m_dialUp)
        return false;
    m_dialUp->DialMode = dmSync;
    m_dialUp->Tag = 0;
    m_dialUp->GetActiveConnections();
    return m_dialUp->Tag == 1;
}

void DownloadEngine::dial()
{
    auto dialUp = std::make_unique<TDialUp>(backend());
    m_port.showDialWindow(std::make_unique<DialSession>(*this, std::move(dialUp)));
}

void DownloadEngine::hangUp()
{
    if (!m_dialUp)
        return;
    m_dialUp->Tag = 10;
    m_dialUp->HangUp();
    m_dialUp->GetActiveConnections();
}

void DownloadEngine::dialConnected()
{
    startCycleOnce();
    m_scheduler->ConnectTime = env().now() - 1.0 / 1440;
}

void DownloadEngine::startCycleOnce()
{
    if (!m_scheduler->inCycle())
        m_scheduler->StartCycle();
}

// --- Opt's dial-up component -------------------------------------------------------------------

void DownloadEngine::bindHandlers(TDialUp& d)
{
    d.OnActiveConnection = [this](TDialUp& s, const QString& handle, int status, const QString& text,
                                  const QString& entry, const QString& type, const QString& device) {
        DialUp1ActiveConnection(s, handle, status, text, entry, type, device);
    };
    d.OnAsyncEvent = [this](TDialUp& s, int state, int error, const QString& message) {
        DialUp1AsyncEvent(s, state, error, message);
    };
    d.OnConnect = [this](TDialUp& s) { DialUp1Connect(s); };
    d.OnDialing = [this](TDialUp& s) { DialUp1Dialing(s); };
    d.OnError = [this](TDialUp& s, int error, const QString& message) { DialUp1Error(s, error, message); };
    d.OnNotConnected
        = [this](TDialUp& s, int error, const QString& message) { DialUp1NotConnected(s, error, message); };
}

void DownloadEngine::DialUp1ActiveConnection(TDialUp& sender, const QString& handle, int /*status*/,
                                             const QString& statusText, const QString& entry,
                                             const QString& /*deviceType*/, const QString& deviceName)
{
    m_window.setGlobalPanel(1, engine_texts::activeConnection(entry, deviceName, statusText));
    if (sender.Tag == 10)
        sender.HangUpConnection(handle);
    else
        sender.Tag = 1;
}

void DownloadEngine::DialUp1AsyncEvent(TDialUp& /*sender*/, int state, int error, const QString& message)
{
    m_window.setGlobalPanel(2, message);
    if (state == rsConnected && error == 0)
        dialConnected();
    else if (state == rsDisconnected || error >= 600)
        m_scheduler->EndCycle();
    else if (env().isDebug())
        env().logError(QStringLiteral("AsyncEvent : ") + QString::number(state));
}

void DownloadEngine::DialUp1Connect(TDialUp& /*sender*/)
{
    m_window.setGlobalPanel(1, engine_texts::connected());
    startCycleOnce();
}

void DownloadEngine::DialUp1Dialing(TDialUp& /*sender*/)
{
    m_window.setGlobalPanel(1, engine_texts::dialling());
}

void DownloadEngine::DialUp1Error(TDialUp& /*sender*/, int /*error*/, const QString& message)
{
    m_window.setGlobalPanel(1, message);
    m_scheduler->EndCycle();
}

void DownloadEngine::DialUp1NotConnected(TDialUp& /*sender*/, int /*error*/, const QString& message)
{
    m_window.setGlobalPanel(1, engine_texts::notConnected(message));
}

// --- The unattended run ----------------------------------------------------------------------

void DownloadEngine::endUnattended()
{
    m_unattended = false;
    // Ticked again by the user during the run: that stays.
    if (!m_opt.KeepReady)
        m_opt.KeepReady = m_keepReadyBefore;
    QTextStream& out = *m_report;
    out << engine_texts::counters(m_scheduler->NbVerified, m_scheduler->NbNew, m_scheduler->NbModified)
        << '\n';
    out << engine_texts::total(static_cast<double>(m_scheduler->BytesThisCycle)) << '\n';
    out.flush();
    if (!m_shutDown)
        m_port.optionsChanged();
}

// --- EngineView ------------------------------------------------------------------------------

void DownloadEngine::setCommPanel(int panel, const QString& text)
{
    m_window.setCommPanel(panel, text);
}

void DownloadEngine::setCommHint(const QString& text)
{
    m_window.setCommHint(text);
}

void DownloadEngine::setCommBarVisible(bool visible)
{
    m_window.setCommBarVisible(visible);
}

void DownloadEngine::setApplicationHint(const QString& text)
{
    m_window.setApplicationHint(text);
}

void DownloadEngine::setAnimation(bool running)
{
    m_window.setAnimation(running);
}

void DownloadEngine::setGlobalPanel(int panel, const QString& text)
{
    m_window.setGlobalPanel(panel, text);
}

void DownloadEngine::setActionEnabled(EngineAction action, bool enabled)
{
    m_window.setActionEnabled(action, enabled);
}

void DownloadEngine::setStartButtonHint(const QString& text)
{
    m_window.setStartButtonHint(text);
}

void DownloadEngine::setEndButtonHint(const QString& text)
{
    m_window.setEndButtonHint(text);
}

bool DownloadEngine::startButtonVisible() const
{
    return m_window.startButtonVisible();
}

bool DownloadEngine::showImagesInTree(bool on)
{
    return m_window.showImagesInTree(on);
}

bool DownloadEngine::documentViewOpen() const
{
    return m_window.documentViewOpen();
}

void DownloadEngine::clickedDocumentStored(TElement* element)
{
    m_window.clickedDocumentStored(element);
}

void DownloadEngine::clickedImageStored(TElement* element)
{
    m_window.clickedImageStored(element);
}

void DownloadEngine::cycleStarting()
{
    m_updateCheck->start(m_opt.Proxy);
    m_window.cycleStarting();
}

void DownloadEngine::cycleEnded()
{
    // No status tick follows to bring the count down: the hint goes with the animation.
    m_window.setApplicationHint(QString());
    m_window.cycleEnded();
    if (m_unattended)
        endUnattended();
}

void DownloadEngine::downloadEnded(const DownloadReport& report)
{
    if (m_unattended) {
        *m_report << downloadLine(report) << '\n';
        m_report->flush();
    }
    m_window.downloadEnded(report);
}

} // namespace glanix
