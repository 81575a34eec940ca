#pragma once

#include "engine/DownloadControl.h"
#include "engine/EngineHost.h"
#include "engine/SocketChannel.h"

#include <QString>
#include <memory>

class QTextStream;

// The download engine as the main window runs it: it owns the scheduler (with its download
// threads and the status and time-out ticks), the dial-up component of Opt with the window's
// DialUp1 handlers, the dialling sessions and the weekly update check. The window's
// connection commands reach it through DownloadControl; the scheduler reaches the window
// through this object's EngineView, which passes everything on to the window's and adds
// what a cycle starts and ends here (the update check, the unattended run's report). As the
// scheduler's Connection it checks for a line that is up, has the dialling window shown and
// hangs up. Lives on the user-interface thread; created by the main window, which it must
// not outlive.
namespace glanix {

class ConnectionPort;
class DialUpBackend;
class ElementStore;
class Env;
class Scheduler;
class TDialUp;
class UpdateCheck;
class UserPrompt;
struct TOptGene;

struct DownloadEngineSetup {
    ElementStore& store;
    TOptGene& opt;
    UserPrompt& prompt;
    EngineView& window;
    ConnectionPort& port;
    DialUpBackend* dialUp = nullptr; // null: NetworkManager on the system bus
    FreeSpaceProbe freeSpace; // null: the file systems' own figures
    TlsOptions tls;
    QTextStream* report = nullptr; // the unattended run's lines; null: standard output
};

class DownloadEngine final : public DownloadControl, public Connection, private EngineView {
public:
    explicit DownloadEngine(const DownloadEngineSetup& setup);
    ~DownloadEngine() override;
    DownloadEngine(const DownloadEngine&) = delete;
    DownloadEngine& operator=(const DownloadEngine&) = delete;

    Scheduler& scheduler() const { return *m_scheduler; }

    Env& env() const;

    TOptGene& opt() const { return m_opt; }

    UserPrompt& prompt() const { return m_prompt; }

    ConnectionPort& port() const { return m_port; }

    UpdateCheck& updateCheck() const { return *m_updateCheck; }

    // Opt's dial-up component; null until connection by modem is set up.
    TDialUp* dialUp() const { return m_dialUp.get(); }

    // --- DownloadControl ----------------------------------------------------------------------
    bool available() const override { return true; }

    bool cycleInProgress() const override;
    int threadsRunning() const override;
    int pendingCount() const override;
    void startCommand() override;
    void startUnattended() override;
    void endCommand() override;
    void stopLaunching() override;
    void interruptAll() override;
    void interruptElement(TElement* element) override;
    void hangUpNow() override;
    bool connectionActive() override;
    void nodePressed(TreeNode* node) override;
    void setURLClicked(const QString& address) override;
    QString urlClicked() const override;
    void endButtonHover() override;
    void createDialUp(const QString& entry) override;
    // MenuPreferencesConnexionClick: Opt's component (or a passing one) lists the phone book
    // and the user's choice becomes Entry and ConnectEntry; cancelled, nothing changes.
    void chooseConnection() override;
    void startTimeOutWatch() override;
    void stopTimers() override;
    void shutdown() override;
    void elementDestroyed(TElement* element) override;

    // --- Connection ---------------------------------------------------------------------------
    bool byModem() const override;
    bool activeConnectionExists() override;
    void dial() override;
    void hangUp() override;

    // --- The dialling window's calls ----------------------------------------------------------
    // The line is up: the cycle starts and the connection's age counts from a minute ago.
    void dialConnected();
    // A second report of the same connection starts nothing.
    void startCycleOnce();

    // --- Handlers of Opt's dial-up component ------------------------------------------------------
    void DialUp1ActiveConnection(TDialUp& sender, const QString& handle, int status,
                                 const QString& statusText, const QString& entry, const QString& deviceType,
                                 const QString& deviceName);
    void DialUp1AsyncEvent(TDialUp& sender, int state, int error, const QString& message);
    void DialUp1Connect(TDialUp& sender);
    void DialUp1Dialing(TDialUp& sender);
    void DialUp1Error(TDialUp& sender, int error, const QString& message);
    void DialUp1NotConnected(TDialUp& sender, int error, const QString& message);

private:
    DialUpBackend& backend();
    void bindHandlers(TDialUp& dialUp);
    void endUnattended();

    // EngineView: the window's, plus the engine's own part.
    void setCommPanel(int panel, const QString& text) override;
    void setCommHint(const QString& text) override;
    void setCommBarVisible(bool visible) override;
    void setApplicationHint(const QString& text) override;
    void setAnimation(bool running) override;
    void setGlobalPanel(int panel, const QString& text) override;
    void setActionEnabled(EngineAction action, bool enabled) override;
    void setStartButtonHint(const QString& text) override;
    void setEndButtonHint(const QString& text) override;
    bool startButtonVisible() const override;
    bool showImagesInTree(bool on) override;
    bool documentViewOpen() const override;
    void clickedDocumentStored(TElement* element) override;
    void clickedImageStored(TElement* element) override;
    void cycleStarting() override;
    void cycleEnded() override;
    void downloadEnded(const DownloadReport& report) override;

    TOptGene& m_opt;
    UserPrompt& m_prompt;
    EngineView& m_window;
    ConnectionPort& m_port;
    DialUpBackend* m_backend;
    std::unique_ptr<DialUpBackend> m_ownBackend;
    std::unique_ptr<QTextStream> m_ownReport;
    QTextStream* m_report;
    std::unique_ptr<Scheduler> m_scheduler;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    std::unique_ptr<TDialUp> m_dialUp;
    bool m_unattended = false;
    bool m_keepReadyBefore = false;
    bool m_shutDown = false;
};

} // namespace glanix
