#include "ui/TForm1.h"

#include "agents/AgentFile.h"
#include "agents/DownloadEngine.h"
#include "agents/ElementStatus.h"
#include "agents/PropertiesEditor.h"
#include "agents/TreeCommands.h"
#include "agents/UpdateNotice.h"
#include "config/AtomicFile.h"
#include "config/Env.h"
#include "config/UserPrompt.h"
#include "engine/DownloadControl.h"
#include "store/TElement.h"
#include "ui/ActivityAnimation.h"
#include "ui/AddressBox.h"
#include "ui/DesktopLauncher.h"
#include "ui/ElementIcons.h"
#include "ui/ElementTreeModel.h"
#include "ui/EngineWindow.h"
#include "ui/GlanixApplication.h"
#include "ui/MessageBoxPrompt.h"
#include "ui/NetworkManagerProbe.h"
#include "ui/NewAgentWizard.h"
#include "ui/QtFolderChooser.h"
#include "ui/SearchLauncher.h"
#include "ui/StatusBars.h"
#include "ui/TFormExportHtml.h"
#include "ui/TFormNotes.h"
#include "ui/TFormOptionsGenerales.h"
#include "ui/TFormOptionsHtml.h"
#include "ui/TFormOptionsURL.h"
#include "ui/TFormOuvrirAgents.h"
#include "ui/TFormVueImage.h"
#include "ui/TFormVueInfos.h"
#include "ui/TFormVueListe.h"
#include "ui/TFormVueURL.h"
#include "views/OutsideOpening.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace glanix {

TForm1::TForm1(MainServices services, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    if (!services.prompt) {
        m_ownPrompt = std::make_unique<MessageBoxPrompt>(this);
        services.prompt = m_ownPrompt.get();
    }
    if (!services.folders) {
        m_ownFolders = std::make_unique<QtFolderChooser>(this);
        services.folders = m_ownFolders.get();
    }
    if (!services.remoteAccess) {
        m_ownRemoteAccess = std::make_unique<NetworkManagerProbe>();
        services.remoteAccess = m_ownRemoteAccess.get();
    }
    if (!services.launcher) {
        m_ownLauncher = std::make_unique<DesktopLauncher>();
        services.launcher = m_ownLauncher.get();
    }
    m_controller = std::make_unique<MainController>(services);
    if (!services.viewFactory)
        m_controller->setViewFactory(this);
    ElementStore& store = m_controller->store();
    m_icons = std::make_unique<ElementIcons>(store.knownTypes());
    m_model = new ElementTreeModel(store, *m_icons, this);

    m_actions = buildMainActions(this);
    m_toolBars = buildMainToolBars(this, m_actions);
    buildCentralArea();
    buildInfoPanel();
    buildTreeMenu();
    m_statusGlobal = new StatusBarGlobal(this);
    setStatusBar(m_statusGlobal);
    if (!services.downloads) {
        m_engineWindow = std::make_unique<EngineWindow>(*this);
        DownloadEngineSetup setup {m_controller->store(), m_controller->Opt(), m_controller->prompt(),
                                   *m_engineWindow, *m_engineWindow};
        setup.dialUp = services.dialUp;
        m_engine = std::make_unique<DownloadEngine>(setup);
        m_controller->setDownloads(m_engine.get());
    }
    // Until the engine says otherwise: ready to start, nothing to stop.
    m_engineActions = {{EngineAction::StartButton, true},   {EngineAction::Connect, true},
                       {EngineAction::EndButton, false},    {EngineAction::StopLaunching, false},
                       {EngineAction::InterruptAll, false}, {EngineAction::SeeImages, true}};
    connectActions();
    connectTreeOperations();
    connectEngine();

    Env& env = m_controller->env();
    const bool debug = env.isDebug();
    m_actions.effacerFichiersOrphelins->setVisible(debug);
    m_actions.test->setVisible(debug);
    if (GlanixApplication* app = GlanixApplication::instance()) {
        if (m_controller->settings().showException()) {
            app->setExceptionHandler({});
        } else {
            app->setExceptionHandler([this, &env](const QString& message) {
                const QString text = QStringLiteral("Exception : ") + message;
                env.logError(text);
                if (env.isDebug())
                    setWindowTitle(text);
            });
        }
    }
    m_controller->created(*this);
    updateCommands();
    // Every key of every child window passes the dispatcher first.
    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    // Destroying the window saves, as closing it does.
    if (!m_shutDown) {
        m_shutDown = true;
        m_controller->shutdown();
    }
    m_controller->setDownloads(nullptr);
    m_engine.reset();
    m_engineWindow.reset();
    if (GlanixApplication* app = GlanixApplication::instance())
        app->setExceptionHandler({});
    if (m_busy)
        QApplication::restoreOverrideCursor();
    // Hiding the children at the end of ~QWidget must not call back into what is gone by then.
    disconnect(m_infoPanel, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    disconnect(m_mdi, nullptr, this, nullptr);
    // View windows refer to the controller's list and elements, which go before the children.
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        delete sub;
    // The view and the model refer to the store, which goes before the child widgets do.
    delete m_tree;
    m_tree = nullptr;
    delete m_model;
    m_model = nullptr;
}

void TForm1::buildCentralArea()
{
    auto* central = new QWidget(this);
    m_split = new QSplitter(Qt::Horizontal, central);
    m_split->setObjectName(QStringLiteral("Split"));
    m_split->setChildrenCollapsible(false);
    m_tree = new QTreeView(m_split);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setMinimumWidth(100);
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setMouseTracking(true);
    // Names are edited through "&Renommer" (F2) and a new folder only.
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_mdi = new QMdiArea(m_split);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_split->addWidget(m_tree);
    m_split->addWidget(m_mdi);
    m_split->setStretchFactor(0, 0);
    m_split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_split, 1);
    setCentralWidget(central);

    // Just above the global status bar, below any docked panel.
    m_commBar = new QToolBar(tr("Téléchargements"), this);
    m_commBar->setObjectName(QStringLiteral("BarreCommunication"));
    m_commBar->setMovable(false);
    m_commBar->setFloatable(false);
    m_commBar->toggleViewAction()->setVisible(false);
    m_statusComm = new StatusBarComm(m_commBar);
    m_commBar->addWidget(m_statusComm);
    addToolBar(Qt::BottomToolBarArea, m_commBar);
    m_commBar->hide();

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &TForm1::currentChanged);
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = m_tree->indexAt(at);
        if (index.isValid())
            m_tree->setCurrentIndex(index);
        m_treeMenu->popup(m_tree->viewport()->mapToGlobal(at));
    });
}

void TForm1::buildInfoPanel()
{
    m_infoPanel = new QDockWidget(tr("Informations serveur"), this);
    m_infoPanel->setObjectName(QStringLiteral("PanelInformations"));
    m_infoLabel = new QLabel(m_infoPanel);
    m_infoLabel->setObjectName(QStringLiteral("LabelInformations"));
    m_infoLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_infoLabel->setWordWrap(true);
    m_infoLabel->setTextFormat(Qt::PlainText);
    m_infoLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_infoLabel->setMargin(4);
    auto* scroll = new QScrollArea(m_infoPanel);
    scroll->setWidget(m_infoLabel);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_infoPanel->setWidget(scroll);
    addDockWidget(Qt::BottomDockWidgetArea, m_infoPanel);
    m_infoPanel->hide();
    connect(m_actions.informationsServeur, &QAction::toggled, m_infoPanel, &QWidget::setVisible);
    connect(m_infoPanel, &QDockWidget::visibilityChanged, this, [this](bool) {
        // Hidden with the minimized window is still "shown" for the menu.
        if (!isMinimized())
            m_actions.informationsServeur->setChecked(!m_infoPanel->isHidden());
        showCurrentInfo();
    });
}

void TForm1::buildTreeMenu()
{
    const MainActions& a = m_actions;
    m_treeMenu = new QMenu(this);
    m_treeMenu->setObjectName(QStringLiteral("PopupMenuArbre"));
    m_treeMenu->addActions({a.nouvelleAdresse, a.nouveauSite, a.nouveauDossier});
    m_treeMenu->addSeparator();
    m_treeMenu->addActions({a.renommer, a.supprimer});
    m_treeMenu->addSeparator();
    m_treeMenu->addActions({a.activer, a.marquerLu, a.marquerNonLu, a.rafraichir, a.copierURL});
    m_treeMenu->addSeparator();
    m_treeMenu->addActions({a.recupererImages, a.recupererLiens, a.editerNotes});
    m_treeMenu->addSeparator();
    m_treeMenu->addActions({a.fermerAgent, a.proprietes});
    m_treeMenu->addSeparator();
    m_treeMenu->addAction(a.interrompre);
    connect(m_treeMenu, &QMenu::aboutToShow, this, [this] {
        const TreeNode* node = selectedNode();
        m_actions.interrompre->setEnabled(node && node->bold());
    });
}

void TForm1::connectActions()
{
    const MainActions& a = m_actions;
    MainController& c = *m_controller;
    connect(a.nouvelAgent, &QAction::triggered, this, &TForm1::newAgent);
    connect(a.ouvrirAgent, &QAction::triggered, this, &TForm1::openAgentDialog);
    connect(a.ouvrirTousLesAgents, &QAction::triggered, this, [&c] { c.agents().openAll(); });
    connect(a.fermerAgent, &QAction::triggered, this, [&c] { c.agents().close(c.currentElement()); });
    connect(a.fermerTousLesAgents, &QAction::triggered, this, [&c] { c.agents().closeAll(); });
    connect(a.quitter, &QAction::triggered, this, &QWidget::close);
    connect(a.proprietes, &QAction::triggered, this, &TForm1::showProperties);
    connect(a.generales, &QAction::triggered, this, &TForm1::showGeneralOptions);
    connect(a.html, &QAction::triggered, this, &TForm1::showHtmlOptions);
    connect(a.aPropos, &QAction::triggered, this, &TForm1::about);
    connect(a.chercher, &QAction::triggered, this, [this] { openSearchDialog(*this, *this); });
    connect(a.exporter, &QAction::triggered, this, [this, &c] {
        TElement* e = c.currentElement();
        if (!e)
            return;
        TFormExportHtml dialog(*e, c.env(), c.Opt().DoNotCheckDiskSpace, c.prompt(), c.folders(), this);
        connect(&dialog, &TFormExportHtml::helpRequested, this, &TForm1::helpRequested);
        dialog.setOpener([&c](const QUrl& url) { c.launcher().openUrl(url); });
        dialog.exec();
    });

    connect(a.voirImages, &QAction::toggled, this, [this](bool on) {
        m_controller->setSeeImages(on);
        updateCommands();
    });
    connect(a.modeComparaison, &QAction::toggled, this, [this](bool on) {
        m_controller->Opt().Compare = on;
        if (TFormVueURL* view = activeDocumentView())
            view->setCompareMode(on);
    });
    const std::pair<QAction*, int> preferred[]
        = {{a.vueDocument, wtDocument}, {a.vueListe, wtList}, {a.vueInformation, wtInfo}};
    for (auto [action, kind] : preferred) {
        connect(action, &QAction::triggered, this, [this, kind] {
            m_controller->setPreferredView(kind);
            updateWindows();
        });
    }
    const std::tuple<QAction*, int, bool> shows[]
        = {{a.affichageHtml, wtDocument, false},  {a.affichageListe, wtList, false},
           {a.affichageImage, wtImage, false},    {a.affichageInformations, wtInfo, false},
           {a.nouvelleVueHtml, wtDocument, true}, {a.nouvelleVueListe, wtList, true},
           {a.nouvelleVueImage, wtImage, true}};
    for (auto [action, kind, newWindow] : shows) {
        connect(action, &QAction::triggered, this,
                [this, kind, newWindow] { m_controller->showInView(kind, newWindow); });
    }
    connect(a.editerNotes, &QAction::triggered, this, [this] { editNotes(m_controller->currentElement()); });
    connect(a.imprimer, &QAction::triggered, this, &TForm1::printActiveView);
    connect(a.voirSource, &QAction::triggered, this, &TForm1::showSource);
    m_model->setRenamer([&c](TElement& e, const QString& name) {
        return TreeCommands(c.store(), c.prompt()).rename(e, name);
    });
    connect(a.nouvelleAdresse, &QAction::triggered, this, [this, &c] {
        TElement* current = c.currentElement();
        TElement* e = current ? TreeCommands(c.store(), c.prompt()).newAddress(*current) : nullptr;
        if (!e)
            return;
        selectNode(e->Node());
        m_tree->setFocus();
        showProperties(); // where the user types the address
    });
    connect(a.nouveauDossier, &QAction::triggered, this, [this, &c] {
        TElement* current = c.currentElement();
        TElement* e = current ? TreeCommands(c.store(), c.prompt()).newFolder(*current) : nullptr;
        if (!e)
            return;
        selectNode(e->Node());
        m_tree->setFocus();
        m_tree->edit(m_tree->currentIndex());
    });
    connect(a.renommer, &QAction::triggered, this, [this, &c] {
        // In the active list view, the selected row's name.
        if (auto* list = dynamic_cast<TFormVueListe*>(activeView()); list && !m_tree->hasFocus()) {
            list->editSelectedName();
            return;
        }
        TElement* e = c.currentElement();
        if (e && TreeCommands::canRename(*e) && !editingNode())
            m_tree->edit(m_tree->currentIndex());
    });
    connect(a.supprimer, &QAction::triggered, this, &TForm1::deleteSelection);
    connect(a.activer, &QAction::triggered, this, [this, &c] {
        if (TElement* e = c.currentElement(); e && e->Kind != kindRoot) {
            TreeCommands(c.store(), c.prompt()).toggleActive(*e);
            updateCommands();
        }
    });
    connect(a.copierURL, &QAction::triggered, this, [&c] {
        if (TElement* e = c.currentElement(); e && !e->GetURL().isEmpty())
            QGuiApplication::clipboard()->setText(e->GetURL());
    });
    const std::pair<QAction*, MainController::Mark> marks[] = {{a.marquerLu, MainController::Mark::Read},
                                                               {a.marquerNonLu, MainController::Mark::Unread},
                                                               {a.rafraichir, MainController::Mark::Refresh}};
    for (auto [action, mark] : marks) {
        connect(action, &QAction::triggered, this, [this, mark] { markSelection(mark); });
    }
    connect(a.sauverSous, &QAction::triggered, this, &TForm1::saveShownAs);
    const auto outside = [this](bool local) {
        MainController& c = *m_controller;
        if (TElement* e = c.currentElement()) {
            OutsideOpening {c.env(), c.launcher(), c.prompt(), c.Opt()}.open(*e, local);
            refreshElement(e, false);
        }
    };
    connect(a.versionLocale, &QAction::triggered, this, [outside] { outside(true); });
    connect(a.versionDistante, &QAction::triggered, this, [outside] { outside(false); });
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TForm1::viewActivated);
    connect(this, &TForm1::htmlOptionsChanged, this, [this] {
        for (ViewWindow* w : m_controller->views().list()) {
            if (w->kind() == wtDocument)
                static_cast<TFormVueURL*>(w)->applyViewerSettings();
        }
    });
    connect(a.raccrocherQuandTermine, &QAction::toggled, this,
            [this](bool on) { m_controller->Opt().HangUpWhenFinished = on; });
    connect(a.resterEnVeille, &QAction::toggled, this,
            [this](bool on) { m_controller->Opt().KeepReady = on; });
    connect(a.cacherArborescence, &QAction::toggled, this, [this](bool hide) {
        m_tree->setVisible(!hide);
        if (!hide)
            m_tree->setFocus();
    });

    DownloadControl& d = c.downloads();
    connect(a.connecter, &QAction::triggered, this, [&d] { d.startCommand(); });
    connect(a.demarrer, &QAction::triggered, this, [&d] { d.startCommand(); });
    connect(a.terminer, &QAction::triggered, this, [&d] { d.endCommand(); });
    connect(a.arreterDeLancer, &QAction::triggered, this, [&d] { d.stopLaunching(); });
    connect(a.interrompreTous, &QAction::triggered, this, [&d] { d.interruptAll(); });
    connect(a.raccrocherMaintenant, &QAction::triggered, this, [&d] { d.hangUpNow(); });
    connect(a.annuaire, &QAction::triggered, this, [&d] { d.chooseConnection(); });
    connect(a.interrompre, &QAction::triggered, this, [&c, &d] { d.interruptElement(c.currentElement()); });

    const auto nextUnread = [this](bool neverRead) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        longOperation([&] { return m_controller->goToNextUnread(neverRead, walkControl()); });
        QGuiApplication::restoreOverrideCursor();
    };
    connect(a.prochainePageNonLue, &QAction::triggered, this, [nextUnread] { nextUnread(false); });
    connect(a.prochaineAdresseNonLue, &QAction::triggered, this, [nextUnread] { nextUnread(false); });
    connect(a.prochaineAdresseJamaisLue, &QAction::triggered, this, [nextUnread] { nextUnread(true); });
    connect(m_toolBars.addressBox, &AddressBox::findRequested, this, &TForm1::findFromAddressBox);

    connect(a.precedent, &QAction::triggered, this, [this] { navigate(true, 1); });
    connect(a.suivant, &QAction::triggered, this, [this] { navigate(false, 1); });
    // Entry i of a drop-down is i + 1 steps away; each shows the element's name, its address
    // as the hint.
    const auto fill = [this](QMenu* menu, bool back) {
        menu->clear();
        menu->setToolTipsVisible(true);
        const NavigationHistory& h = m_controller->navigation();
        const QList<TElement*>& list = back ? h.PreviousList() : h.NextList();
        for (int i = 0; i < list.size(); ++i) {
            QAction* entry = menu->addAction(list[i]->GetName());
            entry->setToolTip(list[i]->GetURL());
            connect(entry, &QAction::triggered, this, [this, back, i] { navigate(back, i + 1); });
        }
    };
    QMenu* previousList = a.previousList;
    QMenu* nextList = a.nextList;
    connect(previousList, &QMenu::aboutToShow, this, [previousList, fill] { fill(previousList, true); });
    connect(nextList, &QMenu::aboutToShow, this, [nextList, fill] { fill(nextList, false); });

    connect(a.mosaiqueHorizontale, &QAction::triggered, this, [this] { tileViews(Qt::Vertical); });
    connect(a.mosaiqueVerticale, &QAction::triggered, this, [this] { tileViews(Qt::Horizontal); });
    connect(a.cascade, &QAction::triggered, m_mdi, &QMdiArea::cascadeSubWindows);
    connect(a.fermerToutesLesFenetres, &QAction::triggered, m_mdi, &QMdiArea::closeAllSubWindows);
}

void TForm1::navigate(bool back, int steps)
{
    NavigationHistory& h = m_controller->navigation();
    TElement* current = m_controller->currentElement();
    TElement* target = back ? h.goBack(current, steps) : h.goForward(current, steps);
    if (target && target->Node()) {
        m_navigating = true;
        selectNode(target->Node());
        m_navigating = false;
    }
    updateCommands();
}

WalkControl TForm1::walkControl()
{
    return {.stopped = [this] { return m_stopRequested; },
            .letEventsRun = [] { QCoreApplication::processEvents(); }};
}

bool TForm1::dispatchKey(QObject* watched, QKeyEvent* key, bool shortcutOverride)
{
    const int k = key->key();
    if (k == Qt::Key_Shift || k == Qt::Key_Control || k == Qt::Key_Alt || k == Qt::Key_Meta)
        return false; // keys alone
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this || QApplication::activeModalWidget())
        return false;
    if (m_longOperation) {
        // Only Escape reaches a long operation; nothing else may start inside it.
        if (k == Qt::Key_Escape && !shortcutOverride && !m_stopRequested
            && m_controller->prompt().yesNo(tr("Voulez-vous interrompre l'opération en cours ?"),
                                            UserPrompt::No))
            m_stopRequested = true;
        key->accept();
        return true;
    }
    if (editingNode())
        return false;
    if (TFormExt* view = activeView();
        view && view->busy() && widget != m_tree && !m_tree->isAncestorOf(widget)) {
        if (shortcutOverride)
            key->accept(); // the view keeps its keys while it loads
        return shortcutOverride;
    }
    if (shortcutOverride) {
        // What the menus offer now is what a key may do.
        updateCommands();
        return false;
    }
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    TFormVueURL* document = activeDocumentView();
    if (k == Qt::Key_F5 && mods == Qt::NoModifier) {
        const std::vector<ViewWindow*> views = m_controller->views().list();
        for (ViewWindow* w : views) {
            static_cast<TFormExt*>(w)->refreshView();
            if (!m_tree->hasFocus())
                break;
        }
        return true;
    }
    if ((k == Qt::Key_F6 || k == Qt::Key_F7 || k == Qt::Key_F8) && mods == Qt::ShiftModifier) {
        QAction* button = k == Qt::Key_F6 ? m_actions.vueDocument
            : k == Qt::Key_F7             ? m_actions.vueListe
                                          : m_actions.vueInformation;
        button->trigger();
        return true;
    }
    if (document && mods == Qt::ControlModifier && (key->modifiers() & Qt::KeypadModifier)
        && (k == Qt::Key_Plus || k == Qt::Key_Minus)) {
        document->zoom(k == Qt::Key_Plus ? 1 : -1);
        return true;
    }
    if ((k == Qt::Key_Return || k == Qt::Key_Enter) && mods == Qt::ShiftModifier && m_tree->hasFocus()) {
        m_treeMenu->popup(
            m_tree->viewport()->mapToGlobal(m_tree->visualRect(m_tree->currentIndex()).center()));
        return true;
    }
    if (k == Qt::Key_Insert && mods == Qt::ControlModifier && m_tree->hasFocus()) {
        m_actions.copierURL->trigger();
        return true;
    }
    return false;
}

void TForm1::findFromAddressBox()
{
    AddressBox* box = m_toolBars.addressBox;
    const QString typed = box->currentText();
    if (typed.isEmpty() || !m_controller->currentElement())
        return;
    QStringList entries = box->entries();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const AddressFind found
        = longOperation([&] { return m_controller->findFromAddressBox(typed, entries, walkControl()); });
    QGuiApplication::restoreOverrideCursor();
    if (entries != box->entries())
        box->setEntries(entries);
    if (found.pass == AddressFind::Pass::Prefix || found.pass == AddressFind::Pass::Substring) {
        // Enter again confirms the completion through the exact pass.
        box->setEditText(found.text);
        box->lineEdit()->setSelection(found.selectionStart, found.selectionLength);
    }
}

// Side by side (Qt::Horizontal) or one above the other (Qt::Vertical), each taking its share.
void TForm1::tileViews(Qt::Orientation orientation)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : m_mdi->subWindowList(QMdiArea::StackingOrder)) {
        if (!w->isMinimized())
            windows << w;
    }
    if (windows.isEmpty())
        return;
    const QRect area = m_mdi->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        if (orientation == Qt::Horizontal) {
            const int w = area.width() / n;
            windows[i]->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
        } else {
            const int h = area.height() / n;
            windows[i]->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
        }
    }
}

void TForm1::connectEngine()
{
    DownloadControl& d = m_controller->downloads();
    // With DownLoadFromSelection the next walk starts at the node pressed.
    connect(m_tree, &QAbstractItemView::pressed, this, [this, &d](const QModelIndex& index) {
        if (index.isValid())
            d.nodePressed(m_model->nodeOf(index));
    });
    connect(m_actions.connectionPopup, &QMenu::aboutToShow, this, &TForm1::connectionMenuAboutToShow);
    connect(m_actions.connectionMenu, &QMenu::aboutToShow, this, &TForm1::connectionMenuAboutToShow);
    if (QWidget* end = m_toolBars.connection->widgetForAction(m_actions.terminer))
        end->installEventFilter(this);
    m_actions.demarrer->setToolTip(tr("Connecter"));
    m_actions.terminer->setToolTip(tr("Terminer"));
}

void TForm1::setEngineAction(EngineAction action, bool enabled)
{
    m_engineActions[action] = enabled;
    applyEngineActions();
}

void TForm1::applyEngineActions()
{
    const MainActions& a = m_actions;
    const bool engine = m_controller->downloads().available();
    const bool hasAgents = m_controller->store().tree().topLevelCount() > 0;
    auto on = [this, engine](EngineAction action) { return engine && m_engineActions[action]; };
    a.demarrer->setEnabled(on(EngineAction::StartButton) && hasAgents);
    a.connecter->setEnabled(on(EngineAction::Connect) && hasAgents);
    a.terminer->setEnabled(on(EngineAction::EndButton));
    a.arreterDeLancer->setEnabled(on(EngineAction::StopLaunching));
    a.interrompreTous->setEnabled(on(EngineAction::InterruptAll));
    a.voirImages->setEnabled(m_engineActions[EngineAction::SeeImages]);
    a.annuaire->setEnabled(engine);
    if (!engine)
        a.raccrocherMaintenant->setEnabled(false);
}

void TForm1::connectionMenuAboutToShow()
{
    MainController& c = *m_controller;
    const MainActions& a = m_actions;
    m_engineActions[EngineAction::Connect] = a.demarrer->isEnabled();
    m_engineActions[EngineAction::StopLaunching] = a.terminer->isEnabled();
    m_engineActions[EngineAction::InterruptAll] = commBarVisible();
    applyEngineActions();
    {
        const QSignalBlocker block(a.resterEnVeille);
        a.resterEnVeille->setChecked(c.Opt().KeepReady);
    }
    const bool modem = c.Opt().ConnectByModem;
    a.raccrocherMaintenant->setVisible(modem);
    a.raccrocherQuandTermine->setVisible(modem);
    a.raccrocherMaintenant->setEnabled(modem && c.downloads().connectionActive());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        return dispatchKey(watched, static_cast<QKeyEvent*>(event), true);
    case QEvent::KeyPress:
        return dispatchKey(watched, static_cast<QKeyEvent*>(event), false);
    case QEvent::MouseMove:
        // The node under the mouse is described; over empty space, the current element.
        if (m_tree && watched == m_tree->viewport() && m_controller && !m_longOperation) {
            const QModelIndex index = m_tree->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            TElement* e = index.isValid() ? m_model->elementOf(index) : m_controller->currentElement();
            if (e || m_model->rowCount() > 0)
                showElementStatus(e, false);
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        // A long operation lets the window repaint, not act.
        if (m_longOperation && qobject_cast<QWidget*>(watched)
            && static_cast<QWidget*>(watched)->window() == this)
            return true;
        break;
    default:
        break;
    }
    // TransparentButtonEndConnexionMouseMove: the hint tells how long the line has been up.
    if ((event->type() == QEvent::Enter || event->type() == QEvent::ToolTip) && m_controller
        && watched == m_toolBars.connection->widgetForAction(m_actions.terminer))
        m_controller->downloads().endButtonHover();
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::setCommBarVisible(bool visible)
{
    m_commBar->setVisible(visible);
}

bool TForm1::commBarVisible() const
{
    return m_commBar->isVisibleTo(this);
}

// --- Lifecycle ---------------------------------------------------------------------------------

void TForm1::setVisible(bool visible)
{
    if (visible && !m_firstShown) {
        m_firstShown = true;
        m_controller->firstShow();
        QMainWindow::setVisible(true);
        QTimer::singleShot(0, this, &TForm1::runStartup);
        return;
    }
    QMainWindow::setVisible(visible);
}

void TForm1::runStartup()
{
    m_controller->startup();
    updateCommands();
    if (m_closeAfterStartup)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_shutDown) {
        event->accept();
        return;
    }
    if (m_longOperation) {
        // The walk ends first; closing again then closes.
        m_stopRequested = true;
        event->ignore();
        return;
    }
    if (m_controller->startupRunning()) {
        m_closeAfterStartup = true;
        event->ignore();
        return;
    }
    if (!m_controller->canClose(!m_terminating)) {
        event->ignore();
        return;
    }
    setCommBarVisible(false);
    m_shutDown = true;
    m_controller->shutdown();
    event->accept();
}

void TForm1::terminate()
{
    m_terminating = true;
    // Modal dialogs run their own loop: each is dismissed before the window goes.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        modal = QApplication::activePopupWidget();
    if (modal && ++m_terminateTries < 100) {
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        QTimer::singleShot(50, this, &TForm1::terminate);
        return;
    }
    if (m_controller->startupRunning()) {
        m_closeAfterStartup = true;
        return;
    }
    close();
}

void TForm1::bringForward(const QString& request)
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (Settings::isAgentFileArgument(request))
        openHandedAgent(request);
}

void TForm1::openHandedAgent(const QString& path)
{
    if (m_controller->closing())
        return;
    // Not under a dialog, nor before the agents of the last run are open: it waits its turn.
    if (m_controller->starting() || QApplication::activeModalWidget()) {
        QTimer::singleShot(500, this, [this, path] { openHandedAgent(path); });
        return;
    }
    m_controller->agents().open(path);
}

// --- Selection ---------------------------------------------------------------------------------

void TForm1::currentChanged(const QModelIndex& /*current*/, const QModelIndex& previous)
{
    // The element left behind is the one to come back to.
    if (TreeNode* left = m_navigating ? nullptr : m_model->nodeOf(previous); left && left->element())
        m_controller->navigation().recordVisit(left->element());
    m_controller->selected(m_controller->currentElement());
    updateWindows();
    showCurrentInfo();
    updateCommands();
}

void TForm1::updateWindows()
{
    if (!isVisible() || !m_controller || m_controller->closing())
        return;
    setUpdatesEnabled(false);
    TElement* e = m_controller->currentElement();
    if (e) {
        m_toolBars.addressBox->setEditText(e->isAddressOrPage() || e->isImage() ? e->GetURL() : e->GetName());
        m_controller->followSelection(e);
    }
    setUpdatesEnabled(true);
}

void TForm1::viewActivated(QMdiSubWindow* window)
{
    auto* view = window ? qobject_cast<TFormExt*>(window->widget()) : nullptr;
    if (!view)
        return;
    m_controller->views().activated(view);
    TElement* e = view->element();
    if (e && e->Node() && e != m_controller->currentElement())
        selectNode(e->Node());
    updateCommands();
}

TFormExt* TForm1::activeView() const
{
    QMdiSubWindow* sub = m_mdi ? m_mdi->activeSubWindow() : nullptr;
    return sub ? qobject_cast<TFormExt*>(sub->widget()) : nullptr;
}

TFormVueURL* TForm1::activeDocumentView() const
{
    for (ViewWindow* w : m_controller->views().list()) {
        if (w->kind() == wtDocument)
            return dynamic_cast<TFormVueURL*>(w);
    }
    return nullptr;
}

ViewWindow* TForm1::createView(int kind, ViewWindows& list)
{
    TFormExt* view = nullptr;
    if (kind == wtDocument)
        view = new TFormVueURL(list, *this);
    else if (kind == wtInfo)
        view = new TFormVueInfos(list, *this);
    else if (kind == wtList)
        view = new TFormVueListe(list, *this);
    else if (kind == wtImage)
        view = new TFormVueImage(list, *this);
    if (!view)
        return nullptr;
    view->dock(m_mdi);
    return view;
}

const ElementIcons* TForm1::elementIcons() const
{
    return m_icons.get();
}

void TForm1::popupTreeMenu(const QPoint& globalPos)
{
    m_treeMenu->popup(globalPos);
}

void TForm1::selectElement(TElement* element)
{
    if (element && element->Node())
        selectNode(element->Node());
}

void TForm1::showElementStatus(TElement* element, bool highlight)
{
    if (element == m_shownInStatus && !m_statusGlobal->panelText(1).isEmpty())
        return;
    m_shownInStatus = element;
    const ElementStatusTexts t = describeElement(element);
    m_statusGlobal->setPanelText(0, t.panel1);
    m_statusGlobal->setPanelText(1, t.panel2);
    if (t.hint != m_hint) {
        m_hint = t.hint;
        m_tree->setToolTip(m_hint);
    }
    if (!m_infoPanel->isHidden())
        m_infoLabel->setText(element ? element->GetServerInfo() : QString());
    if (highlight && element && element->Node() && element->Node() != selectedNode()) {
        const QModelIndex index = m_model->indexOf(element->Node());
        if (index.isValid() && m_tree->visualRect(index).isValid()) {
            m_tree->selectionModel()->select(index, QItemSelectionModel::Select);
            QTimer::singleShot(150, this, [this, index = QPersistentModelIndex(index)] {
                if (index.isValid() && index != m_tree->currentIndex())
                    m_tree->selectionModel()->select(index, QItemSelectionModel::Deselect);
            });
        }
    }
}

void TForm1::setStatusPanel(int panel, const QString& text)
{
    m_statusGlobal->setPanelText(panel, text);
    if (panel == 1 && text.isEmpty())
        m_shownInStatus = nullptr;
}

void TForm1::refreshElement(TElement* element, bool reveal)
{
    if (!element || !element->Node())
        return;
    element->Node()->notifyChanged();
    if (reveal)
        m_tree->scrollTo(m_model->indexOf(element->Node()));
}

void TForm1::editNotes(TElement* element)
{
    if (!element)
        return;
    TFormNotes dialog(*element, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    for (ViewWindow* w : m_controller->views().list())
        w->notesChanged(element);
}

void TForm1::showVersion(TElement* element, int version)
{
    ViewWindows& views = m_controller->views();
    ViewWindow* w = views.firstOfKind(wtDocument);
    if (!w)
        w = views.open(wtDocument, element);
    auto* view = dynamic_cast<TFormVueURL*>(w);
    if (!view)
        return;
    if (view->element() != element)
        view->showElement(element);
    view->chooseVersion(version);
    view->bringToFront();
}

bool TForm1::editingNode() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && m_tree && m_tree->isAncestorOf(focus) && qobject_cast<QLineEdit*>(focus);
}

QString TForm1::shownOrCurrentFile() const
{
    const std::vector<ViewWindow*>& views = m_controller->views().list();
    if (!views.empty() && views.front()->kind() == wtDocument)
        return static_cast<TFormVueURL*>(views.front())->shownFile();
    TElement* e = m_controller->currentElement();
    return e && (e->isAddressOrPage() || e->isImage()) ? e->GetSavePath() : QString();
}

void TForm1::showSource()
{
    const QString file = shownOrCurrentFile();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    MainController& c = *m_controller;
    const QString editor = c.Opt().ExternalEditor;
    if (!editor.isEmpty() && QFileInfo(editor).isExecutable() && c.launcher().startProgram(editor, {file}))
        return;
    if (c.launcher().openInTextEditor(file))
        return;
    // No editor on this desktop: a window of our own, for reading.
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return;
    auto* source = new QPlainTextEdit;
    source->setObjectName(QStringLiteral("SourceWindow"));
    source->setAttribute(Qt::WA_DeleteOnClose);
    source->setReadOnly(true);
    source->setLineWrapMode(QPlainTextEdit::NoWrap);
    source->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    source->setWindowTitle(QFileInfo(file).fileName());
    source->setPlainText(QString::fromUtf8(in.read(16 * 1024 * 1024)));
    source->resize(760, 560);
    source->show();
}

void TForm1::saveShownAs()
{
    const QString file = shownOrCurrentFile();
    if (file.isEmpty() || !QFileInfo(file).isFile())
        return;
    const QString target = QFileDialog::getSaveFileName(
        this, tr("Sauver sous..."), QFileInfo(file).fileName(),
        tr("Fichiers Html (*.htm *.html *.shtml);;Fichiers Texte (*.txt *.doc);;"
           "Fichiers images (*.gif *.jpg *.jpeg *.png);;Tous types (*)"));
    if (target.isEmpty() || QFileInfo(target).canonicalFilePath() == QFileInfo(file).canonicalFilePath())
        return;
    QFile in(file);
    const bool ok = in.open(QIODevice::ReadOnly) && writeFileAtomically(target, in.readAll()).ok;
    if (!ok)
        m_controller->prompt().warn(tr("Impossible d'enregistrer %1").arg(QDir::toNativeSeparators(target)));
}

void TForm1::printActiveView()
{
    TFormVueURL* view = activeDocumentView();
    if (!view || !view->element())
        return;
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        // Without a printer the pages go to a PDF file.
        const QString file = QFileDialog::getSaveFileName(this, tr("Imprimer dans un fichier"),
                                                          view->element()->GetName() + QStringLiteral(".pdf"),
                                                          tr("Documents PDF (*.pdf)"));
        if (file.isEmpty())
            return;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
    } else {
        QPrintDialog dialog(printer.get(), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    view->print(printer.get(), [this, printer](bool ok) {
        if (!ok)
            m_controller->prompt().warn(tr("L'impression a échoué."));
    });
}

void TForm1::showCurrentInfo()
{
    if (!m_controller || m_infoPanel->isHidden())
        return;
    TElement* e = m_controller->currentElement();
    m_infoLabel->setText(e ? e->GetServerInfo() : QString());
}

// --- Commands ----------------------------------------------------------------------------------

void TForm1::newAgent()
{
    MainController& c = *m_controller;
    NewAgentWizardSetup setup;
    setup.home = c.env().home();
    setup.bookmarkFile = c.Opt().BookMarkFileName;
    setup.favoritesFolder = c.Opt().FavoritesFolder;
    setup.clipboardText = QGuiApplication::clipboard()->text();
    NewAgentWizard wizard(setup, c.prompt(), c.folders(), this);
    if (wizard.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!createAgent(c.store(), wizard.choice(), &c.settings(), &error))
        c.prompt().warn(error);
    updateCommands();
    m_tree->setFocus();
}

void TForm1::openAgentDialog()
{
    AgentCommands& agents = m_controller->agents();
    const QStringList names = agents.closedAgents();
    if (names.isEmpty()) {
        m_controller->prompt().inform(tr("Tous les agents existants sont ouverts"));
        return;
    }
    TFormOuvrirAgents dialog(
        names, [&agents](const QString& name) { return agents.savedInHint(name); }, this);
    connect(&dialog, &TFormOuvrirAgents::helpRequested, this, &TForm1::helpRequested);
    if (dialog.exec() == QDialog::Accepted)
        agents.openSeveral(dialog.selectedNames());
}

void TForm1::showProperties()
{
    TElement* e = m_controller->currentElement();
    if (!e || !PropertiesEditor::hasProperties(*e))
        return;
    StoredPageFollowUp followUp;
    TFormOptionsURL dialog({e}, m_controller->Opt(), &followUp, this);
    connect(&dialog, &TFormOptionsURL::helpRequested, this, &TForm1::helpRequested);
    dialog.exec();
    refreshNode(e->Node());
    showCurrentInfo();
    m_tree->setFocus();
}

void TForm1::showGeneralOptions()
{
    MainController& c = *m_controller;
    const bool treeHadFocus = m_tree->hasFocus();
    TFormOptionsGenerales dialog(c.settings(), c.prompt(), c.remoteAccess(), this);
    connect(&dialog, &TFormOptionsGenerales::helpRequested, this, &TForm1::helpRequested);
    connect(&dialog, &TFormOptionsGenerales::modemModeChosen, this,
            [&c] { c.downloads().createDialUp(c.Opt().ConnectEntry); });
    if (dialog.exec() == QDialog::Accepted)
        c.store().setFavoritesFolder(c.Opt().FavoritesFolder);
    optionsChanged();
    if (treeHadFocus)
        m_tree->setFocus();
}

void TForm1::showHtmlOptions()
{
    TFormOptionsHtml dialog(m_controller->Opt(), this);
    connect(&dialog, &TFormOptionsHtml::optionsChanged, this, &TForm1::htmlOptionsChanged);
    dialog.exec();
}

void TForm1::about()
{
    QMessageBox::about(this, tr("À propos de Glanix"),
                       tr("<b>Glanix %1</b><p>Garde une copie des pages web et signale leurs changements.</p>"
                          "<p>Dossier des agents : %2</p>")
                           .arg(versionNumber(), m_controller->env().home().toHtmlEscaped()));
}

// --- MainWindowPort ----------------------------------------------------------------------------

void TForm1::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void TForm1::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

TreeNode* TForm1::selectedNode() const
{
    if (!m_tree || !m_model)
        return nullptr;
    const QModelIndex current = m_tree->currentIndex();
    return current.isValid() ? m_model->nodeOf(current) : nullptr;
}

void TForm1::selectNode(TreeNode* node)
{
    if (!m_tree)
        return;
    const QModelIndex index = m_model->indexOf(node);
    if (!index.isValid()) {
        m_tree->selectionModel()->clear();
        return;
    }
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
}

void TForm1::expandNode(TreeNode* node)
{
    if (m_tree && node)
        m_tree->expand(m_model->indexOf(node));
}

void TForm1::refreshNode(TreeNode* node)
{
    if (node)
        node->notifyChanged();
}

void TForm1::focusTree()
{
    if (m_tree && m_tree->isVisible())
        m_tree->setFocus();
}

bool TForm1::startupKeysHeld() const
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

DisplayInfo TForm1::displayInfo() const
{
    DisplayInfo info;
    const QScreen* screen = QGuiApplication::primaryScreen();
    info.screen = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    info.fontInstalled = [](const QString& family) { return QFontDatabase::hasFamily(family); };
    info.desktopFont = QApplication::font().family();
    return info;
}

void TForm1::applyWindowState(const MainWindowState& state)
{
    QRect geometry = state.geometry;
    // A place saved on a bigger or another screen must not leave the window out of reach.
    const QRect screen = displayInfo().screen;
    geometry.setWidth(std::clamp(geometry.width(), 400, std::max(400, screen.width())));
    geometry.setHeight(std::clamp(geometry.height(), 300, std::max(300, screen.height())));
    if (!screen.intersects(geometry))
        geometry.moveCenter(screen.center());
    setGeometry(geometry);
    if (state.maximized)
        setWindowState(QWidget::windowState() | Qt::WindowMaximized);
    const int split = std::max(100, state.split);
    m_split->setSizes({split, std::max(100, geometry.width() - split)});
    m_toolBars.addressBox->setEntries(state.history);
}

MainWindowState TForm1::captureWindowState() const
{
    MainWindowState s;
    s.maximized = isMaximized();
    s.minimized = isMinimized();
    s.geometry = s.maximized || s.minimized ? normalGeometry() : geometry();
    s.treePanelVisible = treePanelVisible();
    s.split = s.treePanelVisible ? m_split->sizes().value(0) : 0;
    s.history = m_toolBars.addressBox->entries();
    return s;
}

bool TForm1::treePanelVisible() const
{
    return !m_actions.cacherArborescence->isChecked();
}

void TForm1::showTreePanel()
{
    m_actions.cacherArborescence->setChecked(false);
}

void TForm1::restoreToolbars(const QByteArray& state)
{
    if (!state.isEmpty())
        restoreState(state);
    // Whatever the saved state says, the bars the user needs to find are there.
    for (QToolBar* bar : {m_toolBars.views, m_toolBars.tree, m_toolBars.navigation, m_toolBars.address})
        bar->setVisible(true);
    menuBar()->setVisible(true);
    m_statusGlobal->setVisible(true);
    // Shown by the engine during a download cycle only.
    setCommBarVisible(false);
    m_actions.informationsServeur->setChecked(!m_infoPanel->isHidden());
}

QByteArray TForm1::toolbarState() const
{
    return saveState();
}

void TForm1::optionsChanged()
{
    const TOptGene& opt = m_controller->Opt();
    const QSignalBlocker b1(m_actions.voirImages);
    const QSignalBlocker b2(m_actions.modeComparaison);
    const QSignalBlocker b3(m_actions.raccrocherQuandTermine);
    const QSignalBlocker b4(m_actions.resterEnVeille);
    m_actions.voirImages->setChecked(opt.SeeImages);
    m_actions.modeComparaison->setChecked(opt.Compare);
    m_actions.raccrocherQuandTermine->setChecked(opt.HangUpWhenFinished);
    m_actions.resterEnVeille->setChecked(opt.KeepReady);
}

void TForm1::updateCommands()
{
    if (!m_controller || !m_tree)
        return;
    const MainActions& a = m_actions;
    TElement* e = m_controller->currentElement();
    const bool hasAgents = m_controller->store().tree().topLevelCount() > 0;
    a.fermerAgent->setEnabled(e != nullptr);
    a.exporter->setEnabled(e != nullptr);
    a.chercher->setEnabled(hasAgents);
    a.fermerTousLesAgents->setEnabled(hasAgents);
    a.proprietes->setEnabled(e && PropertiesEditor::hasProperties(*e));
    for (QAction* next : {a.prochainePageNonLue, a.prochaineAdresseNonLue, a.prochaineAdresseJamaisLue})
        next->setEnabled(hasAgents);
    a.precedent->setEnabled(!m_controller->navigation().PreviousList().isEmpty());
    a.suivant->setEnabled(!m_controller->navigation().NextList().isEmpty());
    for (QAction* v : {a.vueDocument, a.vueListe, a.vueInformation})
        v->setEnabled(true);
    const bool starting = m_controller->Opt().Starting;
    const std::pair<QAction*, int> shows[]
        = {{a.affichageHtml, wtDocument},     {a.affichageListe, wtList},      {a.affichageImage, wtImage},
           {a.affichageInformations, wtInfo}, {a.nouvelleVueHtml, wtDocument}, {a.nouvelleVueListe, wtList},
           {a.nouvelleVueImage, wtImage}};
    for (auto [action, kind] : shows)
        action->setEnabled(canShowIn(kind, e, starting));
    a.editerNotes->setEnabled(e && !e->isImageOrGroup() && e->Kind != kindRoot);
    TFormVueURL* document = activeDocumentView();
    a.imprimer->setEnabled(document && document->element());
    const bool leaf = e && (e->isAddressOrPage() || e->isImage());
    a.versionLocale->setEnabled(leaf);
    a.versionDistante->setEnabled(leaf);
    a.voirSource->setEnabled(document || (e && e->isAddressOrPage()));
    a.sauverSous->setEnabled(m_controller->views().count() > 0 && leaf);
    for (QAction* mark : {a.marquerLu, a.marquerNonLu, a.rafraichir})
        mark->setEnabled(e && e->Kind != kindRoot);
    a.nouvelleAdresse->setEnabled(e && e->HasExt() && e->Kind != kindRoot);
    a.nouveauDossier->setEnabled(e && (e->Kind == kindAgent || e->Kind == kindFolder));
    const auto* list = dynamic_cast<TFormVueListe*>(activeView());
    TElement* row = list && !m_tree->hasFocus() ? list->selectedElement() : nullptr;
    a.renommer->setEnabled(row ? TreeCommands::canRename(*row) : e && TreeCommands::canRename(*e));
    a.supprimer->setEnabled(e != nullptr);
    a.activer->setEnabled(e != nullptr);
    a.activer->setText(e ? TreeCommands::activateCaption(*e) : tr("&Activer"));
    a.copierURL->setEnabled(e && !e->GetURL().isEmpty());
    // Tree operations.
    a.nouveauSite->setEnabled(a.nouvelleAdresse->isEnabled());
    a.auDessus->setEnabled(hasAgents);
    a.enDessous->setEnabled(hasAgents);
    a.recupererImages->setEnabled(e && e->isAddressOrPage());
    a.recupererLiens->setEnabled(e && e->isAddressOrPage());
    if (m_reinit)
        m_reinit->setEnabled(e && e->Kind != kindRoot);
    applyEngineActions();
}

void TForm1::processEvents()
{
    QCoreApplication::processEvents();
}

void TForm1::openTextFile(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace glanix
