#include "agents/MainController.h"

#include "agents/AgentFile.h"
#include "agents/DefaultAgents.h"
#include "agents/MainWindowPort.h"
#include "agents/Marking.h"
#include "agents/UpdateNotice.h"
#include "agents/ViewWindows.h"
#include "config/Env.h"
#include "config/RemoteAccess.h"
#include "config/UserPrompt.h"
#include "engine/DownloadControl.h"
#include "store/Addresses.h"
#include "store/FileOps.h"
#include "store/TElement.h"
#include "store/TreeNode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace glanix {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("MainController", text);
}

// Without a desktop (glanix-cli, tests that do not look): nothing is started.
class NoLauncher final : public Launcher {
public:
    bool openUrl(const QUrl&) override { return false; }

    bool startProgram(const QString&, const QStringList&) override { return false; }

    bool openInTextEditor(const QString&) override { return false; }
};

template<class T> T* required(T* service, const char* what)
{
    if (!service)
        qFatal("MainController: %s manquant", what);
    return service;
}

} // namespace

MainController::MainController(const MainServices& services)
    : m_env(std::make_unique<Env>(services.home, services.clock))
    , m_settings(*m_env)
    , m_store(std::make_unique<ElementStore>(*m_env))
    , m_ownDownloads(services.downloads ? nullptr : std::make_unique<DownloadControl>())
    , m_ownLauncher(services.launcher ? nullptr : std::make_unique<NoLauncher>())
    , m_launcher(services.launcher ? services.launcher : m_ownLauncher.get())
    , m_prompt(required(services.prompt, "prompt"))
    , m_folders(required(services.folders, "folders"))
    , m_remoteAccess(required(services.remoteAccess, "remoteAccess"))
    , m_downloads(services.downloads ? services.downloads : m_ownDownloads.get())
    , m_firstArgument(services.arguments.value(0))
    , m_applicationsDir(services.applicationsDir)
    , m_launchCommand(services.launchCommand)
{
    m_views.setFactory(services.viewFactory);
    m_agents = std::make_unique<AgentCommands>(*m_store, m_settings.Opt(), *m_prompt, *m_folders, m_views,
                                               m_navigation, nullptr);
    m_store->setHost(this);
}

MainController::~MainController()
{
    m_store->setHost(nullptr);
}

void MainController::setDownloads(DownloadControl* downloads)
{
    m_downloads = downloads ? downloads : m_ownDownloads.get();
    if (!m_downloads) {
        m_ownDownloads = std::make_unique<DownloadControl>();
        m_downloads = m_ownDownloads.get();
    }
}

TElement* MainController::currentElement() const
{
    TreeNode* node = selectedNode();
    return node ? node->element() : nullptr;
}

bool MainController::goToNextUnread(bool neverRead, const WalkControl& control)
{
    if (m_walking || store().tree().topLevelCount() == 0)
        return false;
    m_walking = true;
    TreeNode* found = findNextUnread(store().tree(), selectedNode(), neverRead, control);
    m_walking = false;
    if (found && m_port)
        m_port->selectNode(found);
    return found != nullptr;
}

AddressFind MainController::findFromAddressBox(const QString& typed, QStringList& entries,
                                               const WalkControl& control)
{
    if (m_walking)
        return {};
    m_walking = true;
    const AddressFind found
        = glanix::findFromAddressBox(store().tree(), selectedNode(), typed, entries, control);
    m_walking = false;
    if (found.pass == AddressFind::Pass::Exact && m_port)
        m_port->selectNode(found.node);
    return found;
}

void MainController::created(MainWindowPort& port)
{
    m_port = &port;
    m_agents->setPort(&port);
    port.setCaption(QStringLiteral("Glanix ") + versionNumber());
    // Each debug run starts a fresh log.
    if (m_env->isDebug())
        RemoveFile(m_env->homeFile(QStringLiteral("Erreurs.log")));
    m_env->addErrorListener([this](const QString& message) {
        if (m_port)
            m_port->setCaption(QStringLiteral("Msg : ") + message);
    });
    port.setBusy(true);
}

void MainController::firstShow()
{
    if (m_shown || !m_port)
        return;
    m_shown = true;
    m_port->restoreToolbars(m_settings.toolbarState());
    m_loaded = m_settings.loadSettings(m_port->displayInfo());
    m_store->setSeeImages(Opt().SeeImages);
    m_store->setStoreScripts(Opt().RunScripts);
    m_store->setFavoritesFolder(Opt().FavoritesFolder);
    m_port->applyWindowState(m_loaded);
    m_port->optionsChanged();
    if (TreeNode* first = m_store->tree().firstNode())
        m_port->selectNode(first);
    m_port->updateCommands();
}

void MainController::startup()
{
    if (m_started || m_startupRunning || !m_port)
        return;
    m_startupRunning = true;
    MainWindowPort& port = *m_port;

    installDefaultFolders(*m_env);
    renameFreshDefaultFolders(m_env->home());

    const bool fromArgument = Settings::isAgentFileArgument(m_firstArgument);
    bool listed = false;
    if (fromArgument) {
        listed = true;
        m_agents->open(m_firstArgument);
    } else {
        for (const QString& name : std::as_const(m_loaded.openedAgents)) {
            listed = true;
            m_agents->open(name);
        }
    }

    const bool noAgentFile = QDir(m_env->home()).entryList({QStringLiteral("*.gnx")}, QDir::Files).isEmpty();
    if (!listed && noAgentFile) {
        if (!m_applicationsDir.isEmpty() && !m_launchCommand.isEmpty())
            writeDesktopEntry(m_applicationsDir, m_launchCommand, *m_env);
        createDefaultAgents(*m_store, AgentDialogs {m_prompt, m_folders, Opt().BookMarkFileName});
    }

    if (listed && m_store->tree().topLevelCount() > 0 && !port.startupKeysHeld())
        reopenViewWindows();
    if (!port.selectedNode() && m_store->tree().firstNode())
        port.selectNode(m_store->tree().firstNode());

    m_settings.endStarting();
    port.setBusy(false);

    prepareConnection();

    // An agent file given as argument is never an unattended run, whatever its path holds.
    if (!fromArgument && m_firstArgument.toLower().contains(QLatin1String("start"))) {
        Opt().HangUpWhenFinished = true;
        port.optionsChanged();
        m_downloads->startUnattended();
    }

    port.setCaption(startupCaption(*m_env));
    port.focusTree();
    m_downloads->startTimeOutWatch();
    m_started = true;
    m_startupRunning = false;
    port.updateCommands();
}

void MainController::prepareConnection()
{
    if (!Opt().ConnectByModem)
        return;
    if (m_remoteAccess->isAvailable()) {
        m_downloads->createDialUp(Opt().ConnectEntry);
        return;
    }
    Opt().ConnectByModem = false;
    m_prompt->inform(tr(
        "Glanix n'a pas trouvé NetworkManager sur cette machine :\rvous avez probablement une "
        "connexion permanente à Internet.\rGlanix se configure donc en \"Connexion par réseau\" et non \"par "
        "modem\".\rCela signifie qu'il n'essaiera pas d'établir la connexion (numérotation)"));
}

TElement* MainController::findByTreePath(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    TreeNode* parent = m_store->tree().root();
    TreeNode* node = nullptr;
    for (const QString& part : path.split(u'\\')) {
        if (node) {
            if (TElement* e = node->element(); e && e->HasExt())
                e->LoadChildren(1);
            if (m_port)
                m_port->expandNode(node);
            parent = node;
        }
        node = nullptr;
        for (int i = 0; i < parent->childCount() && !node; ++i) {
            if (parent->child(i)->text() == part)
                node = parent->child(i);
        }
        if (!node)
            return nullptr;
    }
    return node->element();
}

void MainController::reopenViewWindows()
{
    TElement* last = nullptr;
    for (const OpenedWindow& w : std::as_const(m_loaded.openedWindows)) {
        TElement* e = findByTreePath(w.ShortCut);
        if (!e || w.WindowType < wtDocument || w.WindowType > wtInfo)
            continue;
        // The document and image views are the likeliest cause of a start that never ended.
        const bool needsFile = w.WindowType == wtDocument || w.WindowType == wtImage;
        if (needsFile && (Opt().Starting || !QFileInfo::exists(e->GetSavePath())))
            continue;
        if (!m_views.open(w.WindowType, e))
            continue;
        m_port->expandNode(e->Node());
        last = e;
    }
    if (m_views.count() > 0)
        m_views.showFirst(m_loaded.firstWindowMaximized);
    m_port->selectNode(last ? last->Node() : m_store->tree().firstNode());
}

bool MainController::canClose(bool ask)
{
    if (m_startupRunning)
        return false;
    if (ask && m_downloads->cycleInProgress()
        && !m_prompt->yesNo(tr("Des téléchargements sont en cours. Voulez-vous les interrompre ?"),
                            UserPrompt::No))
        return false;
    m_downloads->stopTimers();
    return true;
}

void MainController::shutdown()
{
    if (m_shutDown || !m_port)
        return;
    m_shutDown = true;
    MainWindowPort& port = *m_port;
    m_downloads->shutdown();
    m_closing = true;

    if (!port.treePanelVisible())
        port.showTreePanel();
    MainWindowState state = port.captureWindowState();
    state.openedAgents.clear();
    for (const QString& file : std::as_const(m_store->openAgents()))
        state.openedAgents << agentName(file);
    state.openedWindows.clear();
    for (int i = 0; i < m_views.count(); ++i) {
        if (TElement* e = m_views.element(i))
            state.openedWindows << OpenedWindow {m_views.windowType(i), e->TreePath()};
    }
    state.firstWindowMaximized = m_views.count() > 0 && m_views.isMaximized(0);
    m_settings.saveSettings(state, m_firstArgument);

    m_views.savePlacements();
    m_settings.saveToolbarState(port.toolbarState());
    // The views save what they show (read state, positions) while the elements still exist.
    for (int i = m_views.count() - 1; i >= 0; --i) {
        if (i < m_views.count())
            m_views.close(i);
    }

    port.selectNode(nullptr);
    m_store->closeAll();
    if (const int pending = m_downloads->pendingCount(); pending > 0)
        m_env->logError(QStringLiteral("Reste %1").arg(pending));
    RemoveFile(m_env->homeFile(QStringLiteral("Vue externe.html")));
    RemoveFile(m_env->homeFile(QStringLiteral("Compared.html")));
    if (m_env->isDebug() && m_env->errorLogged())
        port.openTextFile(m_env->homeFile(QStringLiteral("Erreurs.log")));
    if (m_downloads->threadsRunning() > 0 || m_views.count() > 0)
        m_env->logError(QStringLiteral("ThreadsRunning = %1\rOpt.ListWindows.Count = %2")
                            .arg(m_downloads->threadsRunning())
                            .arg(m_views.count()));
}

void MainController::setSeeImages(bool on)
{
    Opt().SeeImages = on;
    showImageNodes(on);
}

void MainController::showImageNodes(bool on)
{
    m_store->setSeeImages(on);
    if (!on && m_port) {
        // The selection leaves the nodes that are about to go.
        TreeNode* selected = m_port->selectedNode();
        TreeNode* kept = selected;
        while (kept && kept->element() && kept->element()->isImageOrGroup())
            kept = kept->parent();
        if (kept != selected)
            m_port->selectNode(kept);
    }
    for (TElement* e = m_store->ElementsWithExt().first(); e; e = ElementList::next(e)) {
        if (!e->isAddressOrPage() || !e->Node())
            continue;
        if (on)
            e->BuildImageNodes();
        else
            e->RemoveImageGroup();
    }
}

TreeNode* MainController::selectedNode() const
{
    return m_port ? m_port->selectedNode() : nullptr;
}

void MainController::selectNode(TreeNode* node)
{
    if (m_port)
        m_port->selectNode(node);
}

void MainController::refreshNode(TreeNode* node)
{
    if (m_port)
        m_port->refreshNode(node);
    else if (node)
        node->notifyChanged();
}

void MainController::closeViewsOf(TElement* element)
{
    withdrawFromViews(element);
}

void MainController::withdrawFromViews(TElement* element)
{
    if (!element)
        return;
    m_navigation.forget(element);
    // From the back of the list: a window closing at once leaves the entries before it valid.
    for (int i = m_views.count() - 1; i >= 0; --i) {
        if (i >= m_views.count())
            continue;
        ViewWindow* w = m_views.at(i);
        if (w->element() == element)
            w->closeWindow();
        else if (w->kind() == wtList)
            w->removeRowOf(element);
    }
}

void MainController::followSelection(TElement* e)
{
    if (!e) {
        m_env->logError(QStringLiteral("Les fenêtres devraient être fermées"));
        for (int i = m_views.count() - 1; i >= 0; --i) {
            if (i < m_views.count())
                m_views.close(i);
        }
        return;
    }
    const bool starting = Opt().Starting;
    const int kinds[] = {wtDocument, wtImage, wtList, wtInfo};
    for (int kind : kinds) {
        ViewWindow* w = m_views.firstOfKind(kind);
        if (w && w->element() != e && canShowIn(kind, e, starting))
            w->showElement(e);
    }
    ViewWindow* preferred = nullptr;
    auto ensure = [&](int kind) {
        if (!canShowIn(kind, e, starting))
            return;
        ViewWindow* w = m_views.firstOfKind(kind);
        if (!w)
            w = m_views.open(kind, e);
        if (w && w->element() == e)
            preferred = w;
    };
    switch (m_preferredView) {
    case wtDocument:
        ensure(wtDocument);
        ensure(wtImage);
        break;
    case wtList:
        ensure(wtList);
        break;
    case wtInfo:
        ensure(wtInfo);
        break;
    default:
        break;
    }
    if (preferred && m_views.at(0) != preferred)
        preferred->bringToFront();
    ViewWindow* showing = m_views.showing(e);
    if (!showing) {
        const bool leaf = e->isAddressOrPage() || e->isImage();
        const int kind = leaf ? wtInfo : wtList;
        if (!leaf && e->Kind != kindAgent && e->Kind != kindFolder && e->Kind != kindImageGroup)
            return;
        ViewWindow* w = m_views.firstOfKind(kind);
        if (!w)
            w = m_views.open(kind, e);
        else if (canShowIn(kind, e, starting))
            w->showElement(e);
        if (w && m_views.count() > 0 && m_views.at(0) != w)
            w->bringToFront();
    } else if (m_views.at(0) != showing) {
        showing->bringToFront();
    }
}

void MainController::selected(TElement* e)
{
    if (!e || e->StatusNumber != 301 || e->Location.isEmpty())
        return;
    const QString old = e->GetURL();
    const QString moved = ResolveURL(old, e->Location);
    if (moved.isEmpty())
        return;
    e->SetURL(moved);
    e->Location.clear();
    e->StatusNumber = 200;
    e->State = stateRead;
    e->Save();
    if (m_port)
        m_port->refreshNode(e->Node());
    if (moved != old + u'/')
        m_prompt->inform(tr("L'URL ") + old + u'\r' + tr("a définitivement changé, d'après son serveur")
                         + u'\r' + tr("et devient ") + moved);
}

int MainController::markCurrent(Mark mark)
{
    return markRows(mark, {});
}

int MainController::markRows(Mark mark, const QList<TElement*>& rows)
{
    QList<TElement*> targets = rows;
    if (targets.isEmpty()) {
        TElement* e = currentElement();
        if (!e || e->Kind == kindRoot)
            return -1;
        targets << e;
    }
    // List rows always offer the pages they contain; one tree element only when it has some.
    TElement* first = targets.front();
    const bool single = rows.isEmpty()
        && (first->Kind == kindImageGroup || !first->Node() || !first->Node()->hasChildren());
    QString question;
    if (mark == Mark::Refresh) {
        question = single ? tr("Voulez-vous marquer les éléments sélectionnés\rpour vérification lors de la "
                               "prochaine connexion ?")
                          : tr("Vous allez marquer les éléments sélectionnés\rpour vérification lors de la "
                               "prochaine connexion.\rVoulez-vous aussi rafraîchir les pages contenues ?");
    } else {
        const QString w = mark == Mark::Unread ? QStringLiteral("non ") : QString();
        question = single
            ? tr("Voulez-vous marquer les éléments sélectionnés\rcomme %1lus ?").arg(w)
            : tr("Vous allez marquer les éléments sélectionnés comme %1lus.\r\rVoulez-vous aussi "
                 "marquer comme %1lues les pages contenues ?")
                  .arg(w);
    }
    const unsigned buttons = single ? UserPrompt::Yes | UserPrompt::Cancel
                                    : UserPrompt::Yes | UserPrompt::No | UserPrompt::Cancel;
    const UserPrompt::Button answer
        = m_prompt->ask(UserPrompt::Icon::Question, question, buttons, UserPrompt::Yes);
    if (answer == UserPrompt::Cancel)
        return -1;
    const bool deep = !single && answer == UserPrompt::Yes;
    int changed = 0;
    for (TElement* e : targets) {
        if (!e || e->Kind == kindRoot)
            continue;
        switch (mark) {
        case Mark::Read:
            changed += markAsRead(*e, deep);
            break;
        case Mark::Unread:
            // An open view must not mark it read again behind the user's back.
            changed += markAsUnread(*e, deep, [this](TElement& x) {
                for (ViewWindow* w : m_views.list())
                    w->postponeRead(&x);
            });
            break;
        case Mark::Refresh:
            changed += markForRefresh(*e, deep);
            break;
        }
        if (m_port)
            m_port->refreshNode(e->Node());
    }
    return changed;
}

bool MainController::showInView(int kind, bool newWindow)
{
    TElement* e = currentElement();
    if (!canShowIn(kind, e, Opt().Starting))
        return false;
    ViewWindow* w = newWindow ? nullptr : m_views.firstOfKind(kind);
    if (!w)
        w = m_views.open(kind, e);
    else
        w->showElement(e);
    if (!w)
        return false;
    if (m_views.at(0) != w)
        w->bringToFront();
    return true;
}

void MainController::elementDestroyed(TElement* element)
{
    m_navigation.forget(element);
    m_downloads->elementDestroyed(element);
}

} // namespace glanix
