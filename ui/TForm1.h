#pragma once

#include "agents/MainController.h"
#include "agents/MainWindowPort.h"
#include "agents/TreeCommands.h"
#include "engine/EngineHost.h"
#include "ui/MainActions.h"
#include "ui/MainToolBars.h"
#include "ui/TFormExt.h"

#include <QMainWindow>
#include <map>
#include <memory>

class QDockWidget;
class QLabel;
class QMdiArea;
class QSplitter;
class QToolBar;
class QTreeView;

// The main window: the tree of open agents on the left of the split bar (`Split`), the view
// windows in the MDI area on the right, the menus and docking tool bars, the address box,
// the information panel "Informations serveur" and the status bars. It owns the program's
// state through MainController, which runs its lifecycle (settings loaded at the first show,
// the start-up sequence at the first idle moment, the close query and the shutdown) and the
// agent commands; the window only turns widgets into calls and back. It builds the download
// engine (DownloadEngine) unless one is given, and the engine writes the connection panels,
// buttons and menu entries through EngineWindow.
namespace glanix {

class DownloadEngine;
class ElementIcons;
class ElementTreeModel;
class EngineWindow;
class DesktopLauncher;
class FolderChooser;
class TFormVueURL;
class MessageBoxPrompt;
class NetworkManagerProbe;
class QtFolderChooser;
class StatusBarComm;
class StatusBarGlobal;

class TForm1 final : public QMainWindow, private MainWindowPort, private ViewHost, private ViewFactory {
    Q_OBJECT
    friend class EngineWindow;

public:
    // Services left null get the desktop's: message boxes, the folder dialog, NetworkManager.
    explicit TForm1(MainServices services, QWidget* parent = nullptr);
    ~TForm1() override;

    MainController& controller() override { return *m_controller; }

    ElementTreeModel& treeModel() { return *m_model; }

    QTreeView* treeView() const { return m_tree; }

    QSplitter* splitter() const { return m_split; }

    QMdiArea* mdiArea() const { return m_mdi; }

    const MainActions& actions() const { return m_actions; }

    const MainToolBars& toolBars() const { return m_toolBars; }

    StatusBarGlobal* statusBarGlobal() const { return m_statusGlobal; }

    StatusBarComm* statusBarComm() const { return m_statusComm; }

    // The download bar (StatusBarComm) is shown during a download cycle only.
    void setCommBarVisible(bool visible);
    bool commBarVisible() const;

    // The engine the window built; null when one was given in the services.
    DownloadEngine* engine() const { return m_engine.get(); }

    EngineWindow* engineWindow() const { return m_engineWindow.get(); }

    QDockWidget* infoPanel() const { return m_infoPanel; }

    QLabel* infoLabel() const { return m_infoLabel; }

    // The system asked the program to end (SIGTERM, SIGINT): dialogs are dismissed and the
    // window closes as "&Quitter" does, without asking about running downloads.
    void terminate();

    void setVisible(bool visible) override;

    // The view window in front, if any.
    TFormExt* activeView() const;
    // The document view in front of the others, if any.
    TFormVueURL* activeDocumentView() const;

    // A second program started on this home handed over `request` ("show" or an agent file's
    // path): the window comes forward and opens the agent.
    void bringForward(const QString& request);

signals:
    // "&Html" changed the page colours and fonts: the views redraw.
    void htmlOptionsChanged();
    void helpRequested(const QString& topic);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildCentralArea();
    void buildInfoPanel();
    void buildTreeMenu();
    void connectActions();
    void tileViews(Qt::Orientation orientation);
    // How the tree's long walks let the window live meanwhile: it repaints, Escape may stop
    // the walk, and nothing else the user does starts inside it.
    WalkControl walkControl();

    // Runs a long operation with the stop flag cleared and the dispatcher guarding it.
    template<class F> auto longOperation(F&& operation)
    {
        m_stopRequested = false;
        m_longOperation = true;

        struct Done {
            bool& flag;

            ~Done() { flag = false; }
        } done {m_longOperation};

        return operation();
    }

    // The application-wide key handling (every child window's keys pass here first).
    bool dispatchKey(QObject* watched, QKeyEvent* key, bool shortcutOverride);
    void findFromAddressBox();
    void runStartup();
    void currentChanged(const QModelIndex& current, const QModelIndex& previous);
    // `UpDateWindows`: the views follow the selection.
    void updateWindows();
    void viewActivated(class QMdiSubWindow* window);
    void printActiveView();
    // "Voir source" and "Sauver sous..." act on the file the first view shows, else the
    // current element's.
    QString shownOrCurrentFile() const;
    // A node's name is being edited in place: Del and F2 leave it alone.
    bool editingNode() const;
    void showSource();
    void saveShownAs();
    // Back (or forward) `steps` through the visited elements.
    void navigate(bool back, int steps);
    void showCurrentInfo();
    void connectEngine();
    // A connection entry or button as the engine decides; with an empty tree there is
    // nothing to start.
    void setEngineAction(EngineAction action, bool enabled);
    void applyEngineActions();
    // PopupMenuArreterPopup: the end button's menu follows the buttons and the connection.
    void connectionMenuAboutToShow();
    bool eventFilter(QObject* watched, QEvent* event) override;

    // --- Tree operations (TForm1Tree.cpp) ---
    void connectTreeOperations();
    TreeCommands treeCommands();
    // The list view the tree's commands act on: the active view, while the tree has not the
    // focus.
    class TFormVueListe* activeListView() const;
    QList<TElement*> selectedListRows() const;
    // What a drag from `source` ("tree" or "list") carries, and its drop on `target`.
    QList<TElement*> draggedElements(const QByteArray& source) const;
    bool dropOnTree(const QByteArray& source, TreeNode* target, bool apply);
    void deleteSelection();
    void markSelection(MainController::Mark mark);
    void moveUpDown(bool down);
    void fetchFromPage(bool images);
    void treeDoubleClicked(const QModelIndex& index);
    void reinitCurrent();
    // "Récupérer ce lien": the link last hovered, under the element of the document view.
    void fetchHoveredLink();
    void popupDocumentMenu(TElement* viewElement, const QPoint& globalPos) override;
    QAction* m_reinit = nullptr;
    QMenu* m_documentMenu = nullptr;
    // ---

    // Commands.
    void newAgent();
    void openAgentDialog();
    void openHandedAgent(const QString& path);
    void showProperties();
    void showGeneralOptions();
    void showHtmlOptions();
    void about();

    // MainWindowPort.
    void setCaption(const QString& caption) override;
    void setBusy(bool busy) override;
    TreeNode* selectedNode() const override;
    void selectNode(TreeNode* node) override;
    void expandNode(TreeNode* node) override;
    void refreshNode(TreeNode* node) override;
    void focusTree() override;
    bool startupKeysHeld() const override;
    DisplayInfo displayInfo() const override;
    void applyWindowState(const MainWindowState& state) override;
    MainWindowState captureWindowState() const override;
    bool treePanelVisible() const override;
    void showTreePanel() override;
    void restoreToolbars(const QByteArray& state) override;
    QByteArray toolbarState() const override;
    void optionsChanged() override;
    void updateCommands() override;
    void processEvents() override;
    void openTextFile(const QString& path) override;

    // ViewHost.
    void selectElement(TElement* element) override;
    void showElementStatus(TElement* element, bool highlight) override;
    void setStatusPanel(int panel, const QString& text) override;
    void refreshElement(TElement* element, bool reveal) override;
    void editNotes(TElement* element) override;
    void showVersion(TElement* element, int version) override;
    const ElementIcons* elementIcons() const override;
    void popupTreeMenu(const QPoint& globalPos) override;

    // ViewFactory.
    ViewWindow* createView(int kind, ViewWindows& list) override;

    std::unique_ptr<MessageBoxPrompt> m_ownPrompt;
    std::unique_ptr<QtFolderChooser> m_ownFolders;
    std::unique_ptr<NetworkManagerProbe> m_ownRemoteAccess;
    std::unique_ptr<DesktopLauncher> m_ownLauncher;
    std::unique_ptr<MainController> m_controller;
    // After the controller: the engine uses its store and Opt, and goes first.
    std::unique_ptr<EngineWindow> m_engineWindow;
    std::unique_ptr<DownloadEngine> m_engine;
    std::map<EngineAction, bool> m_engineActions;
    std::unique_ptr<ElementIcons> m_icons;
    ElementTreeModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    QSplitter* m_split = nullptr;
    QMdiArea* m_mdi = nullptr;
    QDockWidget* m_infoPanel = nullptr;
    QLabel* m_infoLabel = nullptr;
    StatusBarGlobal* m_statusGlobal = nullptr;
    StatusBarComm* m_statusComm = nullptr;
    QToolBar* m_commBar = nullptr;
    QMenu* m_treeMenu = nullptr;
    MainActions m_actions {};
    MainToolBars m_toolBars {};
    TElement* m_shownInStatus = nullptr;
    QString m_hint;
    bool m_firstShown = false;
    bool m_busy = false;
    bool m_navigating = false; // back or forward selects a node: not a visit
    bool m_longOperation = false; // a walk of the tree runs and lets events run
    bool m_stopRequested = false; // Escape answered Yes during it
    bool m_closeAfterStartup = false;
    bool m_terminating = false;
    int m_terminateTries = 0;
    bool m_shutDown = false;
};

} // namespace glanix
