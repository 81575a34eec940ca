#include "agents/DialSession.h"

#include "agents/ConnectionPort.h"
#include "agents/DownloadEngine.h"
#include "config/OptGene.h"
#include "config/UserPrompt.h"
#include "engine/EngineTexts.h"
#include "engine/Scheduler.h"
#include "engine/TDialUp.h"

#include <QTimer>

namespace glanix {

namespace {

// Long enough to read the last state before the window goes.
constexpr int kReadingPauseMs = 800;

} // namespace

DialSession::DialSession(DownloadEngine& engine, std::unique_ptr<TDialUp> dialUp)
    : m_engine(engine)
    , m_dialUp(std::move(dialUp))
{
    TDialUp& d = *m_dialUp;
    d.OnAsyncEvent = [this](TDialUp&, int state, int error, const QString& message) {
        asyncEvent(state, error, message);
    };
    d.OnConnect = [this](TDialUp&) {
        if (m_finished)
            return;
        m_finished = true;
        m_engine.startCycleOnce();
        if (m_window)
            m_window->closeWindow();
    };
    d.OnError = [this](TDialUp&, int, const QString& message) {
        status(message);
        QTimer::singleShot(kReadingPauseMs, this, [this] { m_engine.scheduler().EndCycle(); });
    };
    d.OnNotConnected
        = [this](TDialUp&, int, const QString& message) { status(engine_texts::notConnected(message)); };
    d.OnActiveConnection = [](TDialUp& sender, const QString& handle, int, const QString&, const QString&,
                              const QString&, const QString&) {
        if (sender.Tag == 10)
            sender.HangUpConnection(handle);
    };
}

DialSession::~DialSession()
{
    m_engine.port().setEndButtonMenu(true);
}

void DialSession::start()
{
    TDialUp& d = *m_dialUp;
    d.Language = French;
    d.Entry = m_engine.opt().ConnectEntry;
    d.GetEntries();
    if (d.Entries.size() != 1 && !d.Entries.contains(d.Entry)) {
        m_engine.scheduler().EndCycle();
        m_engine.prompt().inform(
            tr("Avant de pouvoir vous connecter avec Glanix,\rvous devez indiquer la connexion à utiliser."));
        m_engine.chooseConnection();
        d.Entry = m_engine.opt().ConnectEntry;
    }
    if (d.Entries.size() == 1)
        d.Entry = d.Entries.first();
    if (d.Entry.isEmpty() || !d.Entries.contains(d.Entry)) {
        status(tr("Pas d'entrée sélectionnée"));
        return;
    }
    if (m_window)
        m_window->setEntryName(d.Entry);
    d.DialMode = dmAsync;
    m_engine.port().setEndButtonMenu(false);
    d.Dial();
}

void DialSession::asyncEvent(int state, int error, const QString& message)
{
    if (m_finished)
        return;
    status(message);
    if (state == rsConnected && error == 0)
        connected();
    else if (state == rsDisconnected || error >= 600)
        failed();
}

void DialSession::connected()
{
    m_finished = true;
    m_engine.dialConnected();
    if (m_window)
        m_window->closeWindow();
}

void DialSession::failed()
{
    m_finished = true;
    m_engine.scheduler().EndCycle();
    closeAfter(kReadingPauseMs);
}

void DialSession::cancel()
{
    if (m_closing)
        return;
    m_finished = true;
    TDialUp& d = *m_dialUp;
    d.Tag = 10;
    d.HangUp();
    status(engine_texts::hungUp());
    d.GetActiveConnections();
    m_engine.scheduler().EndCycle();
    closeAfter(kReadingPauseMs);
}

void DialSession::status(const QString& text)
{
    if (m_window)
        m_window->setStatus(text);
}

void DialSession::closeAfter(int milliseconds)
{
    m_closing = true;
    QTimer::singleShot(milliseconds, this, [this] {
        if (m_window)
            m_window->closeWindow();
    });
}

} // namespace glanix
