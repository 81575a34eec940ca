#pragma once

#include "agents/AgentCommands.h"
#include "agents/Launcher.h"
#include "agents/Navigation.h"
#include "agents/TreeWalks.h"
#include "agents/ViewWindows.h"
#include "config/Settings.h"
#include "store/ElementStore.h"

#include <QStringList>
#include <memory>

// The main window's logic without its widgets: it owns what the window owns for the whole run
// (the Env, the settings and Opt, the element store with the root element and the open
// agents, the navigation lists) and runs the window's lifecycle in order: creation, first
// show (settings loaded), the start-up sequence at the first idle moment (default folders,
// agents, first start, view windows, connection mode, unattended run, caption, time-out
// watch), the close query and the shutdown (everything saved, elements freed, temporary
// files deleted). It answers what the element store asks of the window. The window (TForm1)
// creates it, implements MainWindowPort and forwards its events here.
namespace glanix {

class Clock;
class DialUpBackend;
class DownloadControl;
class FolderChooser;
class MainWindowPort;
class RemoteAccessProbe;
class UserPrompt;
class Launcher;
class ViewFactory;

// What the window is given to run on; tests replace any of it.
struct MainServices {
    QString home;
    std::shared_ptr<Clock> clock; // null: the system's
    // Required.
    UserPrompt* prompt = nullptr;
    FolderChooser* folders = nullptr;
    RemoteAccessProbe* remoteAccess = nullptr;
    // Optional.
    DownloadControl* downloads = nullptr; // null: the window builds the real engine
    DialUpBackend* dialUp = nullptr; // null: NetworkManager
    ViewFactory* viewFactory = nullptr; // null: no view windows until setViewFactory
    Launcher* launcher = nullptr; // null: nothing is started (the window gives the desktop's)
    QStringList arguments; // the command line after the program name and --home
    QString applicationsDir; // where the desktop entry goes
    QStringList launchCommand; // what the desktop entry starts
};

class MainController final : private StoreHost {
public:
    explicit MainController(const MainServices& services);
    ~MainController() override;
    MainController(const MainController&) = delete;
    MainController& operator=(const MainController&) = delete;

    Env& env() { return *m_env; }

    Settings& settings() { return m_settings; }

    TOptGene& Opt() { return m_settings.Opt(); }

    ElementStore& store() { return *m_store; }

    NavigationHistory& navigation() { return m_navigation; }

    AgentCommands& agents() { return *m_agents; }

    UserPrompt& prompt() { return *m_prompt; }

    FolderChooser& folders() { return *m_folders; }

    RemoteAccessProbe& remoteAccess() { return *m_remoteAccess; }

    DownloadControl& downloads() { return *m_downloads; }

    Launcher& launcher() { return *m_launcher; }

    // The engine the window built once this controller existed (it needs the store and Opt).
    // Set before the lifecycle starts; the caller keeps it alive until after shutdown().
    void setDownloads(DownloadControl* downloads);

    // `ListWindows`. The window makes its views once this controller exists.
    ViewWindows& views() { return m_views; }

    void setViewFactory(ViewFactory* factory) { m_views.setFactory(factory); }

    // The kind of the view button held down (F6, F7, F8); 0 for none.
    int preferredView() const { return m_preferredView; }

    void setPreferredView(int kind) { m_preferredView = kind; }

    // `UpDateWindows` once the window chose the selected element: the open views that can
    // show it do, a view of the preferred kind is made when none exists, and the one showing
    // it comes to the front. Null closes every view.
    void followSelection(TElement* selected);
    // "Affichage" (`newWindow` false) and "Nouvelle vue": the current element in a view of
    // that kind; false when that kind cannot show it.
    bool showInView(int kind, bool newWindow);
    // The selection moved to `e`: a permanent redirection its server announced is applied now,
    // and said when the address really changed.
    void selected(TElement* e);
    // "&Lu", "&Non lu" and "Ra&fraîchir" on the current element, after their question (the
    // pages it contains too on Yes). Returns how many elements changed; -1 when cancelled.
    enum class Mark { Read, Unread, Refresh };
    int markCurrent(Mark mark);
    // The same on the selected rows of a list view, each in turn (the current element when
    // there are none).
    int markRows(Mark mark, const QList<TElement*>& rows);
    // An element going away leaves the views: the windows showing it close, lists lose its row.
    void withdrawFromViews(TElement* element);

    const QString& firstArgument() const { return m_firstArgument; }

    // The element of the selected node (`ElementCourant`).
    TElement* currentElement() const;

    // "Prochaine page non lue" (`neverRead`: "Prochaine adresse jamais lue"): the next unread
    // address or page after the selection is selected; false when there is none. One walk at a
    // time: a second request while one runs is ignored.
    bool goToNextUnread(bool neverRead, const WalkControl& control);
    // Enter in the address box: an exact match is selected; `entries` is the box's history.
    AddressFind findFromAddressBox(const QString& typed, QStringList& entries, const WalkControl& control);

    bool starting() const { return !m_started; }

    bool startupRunning() const { return m_startupRunning; }

    bool closing() const { return m_closing; }

    // --- Lifecycle, in this order ----------------------------------------------------------
    // Caption, debug switch and error log, cursor.
    void created(MainWindowPort& port);
    // Tool bars, settings and address history loaded; the first node selected.
    void firstShow();
    // The start-up sequence; runs once.
    void startup();
    // The close query: false keeps the window open. Without `ask` (the system asked the
    // program to end) running downloads are interrupted without a question.
    bool canClose(bool ask = true);
    // Everything saved and freed; the window goes next.
    void shutdown();

    // "Voir les images dans l'arborescence": image nodes built or removed in every page.
    void setSeeImages(bool on);
    // The image nodes of every page shown or taken away, the user's choice left as it is (a
    // download cycle shows them while it runs).
    void showImageNodes(bool on);

    // The tree-path of an element back to its element, expanding the nodes passed.
    TElement* findByTreePath(const QString& path);

private:
    TreeNode* selectedNode() const override;
    void selectNode(TreeNode* node) override;
    void refreshNode(TreeNode* node) override;
    void closeViewsOf(TElement* element) override;
    void elementDestroyed(TElement* element) override;

    void reopenViewWindows();
    void prepareConnection();

    std::unique_ptr<Env> m_env;
    Settings m_settings;
    std::unique_ptr<ElementStore> m_store;
    NavigationHistory m_navigation;
    std::unique_ptr<DownloadControl> m_ownDownloads;
    std::unique_ptr<Launcher> m_ownLauncher;
    Launcher* m_launcher;
    UserPrompt* m_prompt;
    FolderChooser* m_folders;
    RemoteAccessProbe* m_remoteAccess;
    DownloadControl* m_downloads;
    ViewWindows m_views;
    int m_preferredView = wtDocument;
    std::unique_ptr<AgentCommands> m_agents;
    MainWindowPort* m_port = nullptr;
    bool m_walking = false; // a long walk of the tree runs (it lets events run)
    QString m_firstArgument;
    QString m_applicationsDir;
    QStringList m_launchCommand;
    MainWindowState m_loaded;
    bool m_shown = false;
    bool m_started = false;
    bool m_startupRunning = false;
    bool m_closing = false;
    bool m_shutDown = false;
};

} // namespace glanix
