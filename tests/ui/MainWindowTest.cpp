#include "config/IniFile.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/AddressBox.h"
#include "ui/NewAddressWizard.h"
#include "ui/StatusBars.h"
#include "views/ListViewModel.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialog>
#include <QDockWidget>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QWidgetAction>

using namespace glanix;
using namespace glanix::test;

namespace {

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, FirstStartShowsTheBaseAgentAndEveryMenu)
{
    start();
    EXPECT_EQ(window->windowTitle(), "Glanix 3.0");
    EXPECT_EQ(topLevelNames(), QStringList({"Agent de Base"}));
    EXPECT_EQ(currentText(), "Glanix");
    EXPECT_TRUE(treeHasFocus());

    QStringList menus;
    for (QAction* a : window->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(
        menus,
        QStringList({"&Fichier", "&Edition", "&Vues", "&Connexion", "&Préférences", "Fe&nêtres", "&?"}));

    // Shortcuts of the menus, some of which a menu designer could not express.
    const std::pair<const char*, QKeySequence> keys[] = {
        {"MenuOuvrirAgent", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"MenuFermerAgent", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {"MenuQuitter", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"MenuProprietes", QKeySequence(Qt::ALT | Qt::Key_Return)},
        {"MenuActiver", QKeySequence(Qt::CTRL | Qt::Key_Space)},
        {"MenuMarquerLu", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R)},
        {"MenuNouvelleAdresse", QKeySequence(Qt::Key_Insert)},
        {"MenuVoirLesImagesDansArborescence", QKeySequence(Qt::CTRL | Qt::Key_I)},
        {"MenuModeComparaison", QKeySequence(Qt::Key_F10)},
        {"MenuConnecter", QKeySequence(Qt::Key_F9)},
        {"MenuCacherArborescence", QKeySequence(Qt::CTRL | Qt::Key_H)},
        {"MenuMosaiqueHorizontale", QKeySequence(Qt::CTRL | Qt::Key_G)},
    };
    for (const auto& [name, key] : keys)
        EXPECT_EQ(action(name)->shortcut(), key) << name;
    // No two commands share a key.
    QHash<QKeySequence, QString> used;
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->shortcut().isEmpty())
            continue;
        EXPECT_FALSE(used.contains(a->shortcut()))
            << a->objectName().toStdString() << " and " << used.value(a->shortcut()).toStdString();
        used.insert(a->shortcut(), a->objectName());
    }

    // What is not built yet is there, and disabled; what is built works.
    EXPECT_FALSE(action("MenuImprimer")->isEnabled());
    EXPECT_TRUE(action("MenuExporter")->isEnabled());
    EXPECT_TRUE(action("MenuNouvelleAdresse")->isEnabled());
    EXPECT_FALSE(action("MenuRecupererImages")->isEnabled());
    EXPECT_TRUE(action("MenuOuvrirAgent")->isEnabled());
    EXPECT_TRUE(action("MenuProprietes")->isEnabled());
    EXPECT_TRUE(action("MenuConnecter")->isEnabled()); // an engine is there
    EXPECT_FALSE(action("MenuEffacerFichiersOrphelins")->isVisible()); // debug mode only
    // The settings the menus mirror.
    EXPECT_TRUE(action("MenuVoirLesImagesDansArborescence")->isChecked());
    EXPECT_TRUE(action("MenuModeComparaison")->isChecked());
    EXPECT_FALSE(action("MenuConnexionRaccrocherQuandTermine")->isChecked());
    EXPECT_TRUE(action("MenuConnexionResterEnVeille")->isChecked());

    // Bars and panels a user finds at once.
    for (const char* name :
         {"ToolBarVues", "ToolBarArborescence", "ToolBarNavigation", "ToolBarConnexion", "ToolBarAdresse"})
        EXPECT_TRUE(window->findChild<QToolBar*>(QLatin1String(name))->isVisible()) << name;
    EXPECT_TRUE(window->statusBarGlobal()->isVisible());
    EXPECT_FALSE(window->commBarVisible());
    EXPECT_EQ(window->statusBarComm()->panelText(StatusBarComm::Counters), "Nouveaux et modifiés");
    // Icons are drawn on every tool button.
    for (QToolBar* bar : window->findChildren<QToolBar*>()) {
        for (QAction* a : bar->actions()) {
            if (!a->isSeparator() && !qobject_cast<QWidgetAction*>(a)) {
                EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
            }
        }
    }
    window->treeView()->expandAll();
    screenshot(window.get(), QStringLiteral("main-window"));
    EXPECT_TRUE(prompt.allAnswered());
}

TEST_F(MainWindowTest, QuittingSavesTheWindowTheMenusAndTheHistory)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini",
               "[OpenedAgents]\nAgent1=Veille\n[General]\nSplit=40\nWidth=900\nHeight=600\n"
               "Left=20\nTop=30\n");
    home.write("History.dat", "http://a.example/\r\nVeille\r\n");
    start();
    EXPECT_EQ(window->splitter()->sizes().value(0), 100); // raised to 100
    EXPECT_EQ(window->toolBars().addressBox->entries(), QStringList({"http://a.example/", "Veille"}));
    EXPECT_EQ(ini("General", "Starting"), "0");

    type(Qt::Key_I, Qt::ControlModifier);
    type(Qt::Key_F10);
    action("MenuConnexionRaccrocherQuandTermine")->trigger();
    window->toolBars().addressBox->remember("lwn.net");
    window->setGeometry(60, 70, 700, 500);
    window->splitter()->setSizes({250, 450});
    window->findChild<QToolBar*>("ToolBarNavigation")->hide();
    window->findChild<QToolBar*>("ToolBarConnexion")->hide();
    ASSERT_TRUE(quit());

    EXPECT_EQ(ini("General", "SeeImages"), "0");
    EXPECT_EQ(ini("General", "Compare"), "0");
    EXPECT_EQ(ini("General", "HangUpWhenFinished"), "1");
    EXPECT_EQ(ini("General", "Width"), "700");
    EXPECT_EQ(ini("General", "Left"), "60");
    EXPECT_EQ(ini("General", "Split"), "250");
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Veille");
    EXPECT_EQ(home.read("History.dat"), "lwn.net\r\nhttp://a.example/\r\nVeille\r\n");
    EXPECT_FALSE(ini("Toolbars", "State").isEmpty());
    EXPECT_EQ(downloads.shutdowns, 1);
    EXPECT_EQ(views.placementsSaved, 1);

    // The next run finds it all again, the tool bar the user hid included.
    window.reset();
    start();
    EXPECT_FALSE(action("MenuVoirLesImagesDansArborescence")->isChecked());
    EXPECT_FALSE(action("MenuModeComparaison")->isChecked());
    EXPECT_TRUE(action("MenuConnexionRaccrocherQuandTermine")->isChecked());
    EXPECT_EQ(window->geometry(), QRect(60, 70, 700, 500));
    EXPECT_EQ(window->splitter()->sizes().value(0), 250);
    EXPECT_FALSE(window->findChild<QToolBar*>("ToolBarConnexion")->isVisible());
    EXPECT_TRUE(window->findChild<QToolBar*>("ToolBarNavigation")->isVisible()); // always shown again
}

TEST_F(MainWindowTest, ImagesInTheTreeFollowTheirMenuEntry)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    start();
    MainController& c = window->controller();
    TElement* journal = c.findByTreePath("Veille\\Presse\\Le Journal");
    ASSERT_NE(journal, nullptr);
    TreeNode* images = journal->Node()->firstChild();
    ASSERT_EQ(images->text(), "Images");
    ASSERT_EQ(images->childCount(), 2);
    window->treeView()->setCurrentIndex(window->treeModel().indexOf(images->child(1)));
    ASSERT_EQ(currentText(), "logo.gif");

    type(Qt::Key_I, Qt::ControlModifier);
    EXPECT_FALSE(c.Opt().SeeImages);
    EXPECT_EQ(journal->Node()->firstChild()->text(), "Suite");
    EXPECT_EQ(currentText(), "Le Journal"); // moved up out of the removed nodes

    type(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(journal->Node()->firstChild()->text(), "Images");
    EXPECT_EQ(journal->Node()->firstChild()->childCount(), 2);

    // The information panel tells what the server said about the current element.
    journal->GetMessages() << "<-  HTTP/1.0 200 OK"
                           << "<-  Server: exemple/1.0";
    ASSERT_EQ(c.currentElement(), journal);
    action("MenuInformationsServeur")->trigger();
    EXPECT_TRUE(window->infoPanel()->isVisible());
    EXPECT_EQ(window->infoLabel()->text(), "Server: exemple/1.0");
    window->setCommBarVisible(true);
    window->treeView()->expandAll();
    screenshot(window.get(), QStringLiteral("main-window-agent"));
}

TEST_F(MainWindowTest, PropertiesOpenOnTheCurrentElementAndGiveTheFocusBack)
{
    start();
    QString title;
    whenModal([&](QWidget* dialog) {
        title = dialog->windowTitle();
        static_cast<QDialog*>(dialog)->reject();
    });
    type(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(title, "Propriétés");
    EXPECT_TRUE(treeHasFocus());

    // The general options dialog: help and the dial-up hook reach the window.
    bool generalShown = false;
    whenModal([&](QWidget* dialog) {
        generalShown = dialog->windowTitle() == "Options générales";
        static_cast<QDialog*>(dialog)->reject();
    });
    action("MenuOptionsGenerales")->trigger();
    EXPECT_TRUE(generalShown);
    EXPECT_TRUE(treeHasFocus());
}

TEST_F(MainWindowTest, OpeningAgentsFromTheDialog)
{
    start();
    AgentBuilder::sample(home.path(), "Veille");
    AgentBuilder::sample(home.path(), "Archives");
    QStringList listed;
    QString hint;
    whenModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Ouvrir agents");
        auto* list = dialog->findChild<QListWidget*>("ListAgents");
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        hint = list->item(0)->toolTip();
        screenshot(dialog, QStringLiteral("ouvrir-agents"));
        list->clearSelection();
        list->item(0)->setSelected(true);
        list->item(2)->setSelected(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
    });
    type(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(listed, QStringList({"Archives", "Bonnes adresses", "Smart addresses", "Veille"}));
    EXPECT_EQ(hint, "Agent sauvé dans\n" + home.path() + "Archives");
    EXPECT_EQ(topLevelNames(), QStringList({"Agent de Base", "Archives", "Smart addresses"}));
    EXPECT_EQ(currentText(), "Smart addresses");

    action("MenuOuvrirTousLesAgents")->trigger();
    EXPECT_EQ(topLevelNames().size(), 5);
    prompt.setNextAnswer(UserPrompt::Ok);
    type(Qt::Key_O, Qt::ControlModifier);
    ASSERT_FALSE(prompt.texts().isEmpty());
    EXPECT_EQ(prompt.texts().last(), "Tous les agents existants sont ouverts");
}

TEST_F(MainWindowTest, ClosingAnAgentTakesItOutOfEveryList)
{
    AgentBuilder::sample(home.path(), "Veille");
    AgentBuilder::sample(home.path(), "Archives");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\nAgent2=Archives\n");
    views.refuseToOpen = true; // only the windows opened below
    start();
    MainController& c = window->controller();
    TElement* cafe = c.findByTreePath("Veille\\Café du coin");
    TElement* journal = c.findByTreePath("Veille\\Presse\\Le Journal");
    TElement* other = c.findByTreePath("Archives\\Outils");
    for (TElement* e : {cafe, journal, other})
        window->treeView()->setCurrentIndex(window->treeModel().indexOf(e->Node()));
    EXPECT_GE(c.navigation().PreviousList().size(), 3);
    window->treeView()->setCurrentIndex(window->treeModel().indexOf(journal->Node()));
    views.refuseToOpen = false;
    views.open(wtInfo, cafe);
    views.open(wtList, nullptr, true); // search results
    views.open(wtInfo, other);
    views.refuseToOpen = true;

    type(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(topLevelNames(), QStringList({"Archives"}));
    EXPECT_EQ(currentText(), "Archives");
    ASSERT_TRUE(c.navigation().PreviousList().contains(other));
    for (TElement* e : c.navigation().PreviousList())
        EXPECT_EQ(e->GetAgent()->GetName(), "Archives");
    ASSERT_EQ(views.count(), 2); // the view of "Café du coin" is closed
    EXPECT_EQ(views.element(0), other);
    EXPECT_EQ(views.rowsRemovedFor.size(), 1u);
    EXPECT_EQ(c.store().openAgents(), QStringList({home.file("Archives.gnx")}));

    action("MenuFermerTousLesAgents")->trigger();
    EXPECT_TRUE(topLevelNames().isEmpty());
    EXPECT_EQ(views.count(), 0);
    EXPECT_TRUE(c.navigation().PreviousList().isEmpty());
    EXPECT_FALSE(action("MenuFermerAgent")->isEnabled());
    ASSERT_TRUE(quit());
    EXPECT_TRUE(ini("OpenedAgents", "Agent1").isEmpty());
}

TEST_F(MainWindowTest, TheCloseQueryKeepsRunningDownloads)
{
    start();
    downloads.cycle = true;
    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_FALSE(quit());
    EXPECT_EQ(prompt.texts().last(), "Des téléchargements sont en cours. Voulez-vous les interrompre ?");
    EXPECT_EQ(downloads.shutdowns, 0);
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_TRUE(quit());
    EXPECT_EQ(downloads.timersStopped, 1);
    EXPECT_EQ(downloads.shutdowns, 1);
}

TEST_F(MainWindowTest, TerminationDismissesDialogsAndSaves)
{
    start();
    home.write("History.dat", "");
    window->toolBars().addressBox->remember("debian.org");
    downloads.cycle = true; // no question asked when the system ends the program
    whenModal([&](QWidget*) { window->terminate(); });
    action("MenuOptionsHtml")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->isVisible(); }, 5000));
    EXPECT_EQ(home.read("History.dat"), "debian.org\r\n");
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Agent de Base");
    EXPECT_TRUE(prompt.texts().isEmpty());
}

} // namespace

TEST_F(MainWindowTest, TheAddressBoxAndTheNextUnreadKeysFindElements)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    start();
    MainController& c = window->controller();
    window->treeView()->setCurrentIndex(window->treeModel().indexOf(c.store().tree().topLevel(0)));
    // Ctrl+Enter walks to the only unread page, reading folders as it goes.
    type(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(currentText(), "Le Journal");

    AddressBox* box = window->toolBars().addressBox;
    box->lineEdit()->setFocus();
    box->lineEdit()->clear(); // it shows the address of the selection
    QTest::keyClicks(box->lineEdit(), "dico.example/");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(currentText(), "Dictionnaire");
    EXPECT_EQ(box->entries().value(0), "dico.example/") << box->entries().join(u'|').toStdString();
    // A part of a name is completed; Enter again selects it.
    box->setEditText(QString::fromUtf8("téo lo"));
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(box->currentText(), QString::fromUtf8("Météo locale"));
    EXPECT_EQ(currentText(), "Dictionnaire");
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(currentText(), QString::fromUtf8("Météo locale"));
}

TEST_F(MainWindowTest, BackAndForwardRetraceTheVisits)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    start();
    MainController& c = window->controller();
    for (const char* path : {"Veille\\Café du coin", "Veille\\Presse\\Le Journal", "Veille\\Outils"})
        window->treeView()->setCurrentIndex(window->treeModel().indexOf(c.findByTreePath(path)->Node()));
    EXPECT_FALSE(action("MenuSuivant")->isEnabled());
    type(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(currentText(), "Le Journal");
    type(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(currentText(), QString::fromUtf8("Café du coin"));
    EXPECT_TRUE(action("MenuSuivant")->isEnabled());
    type(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(currentText(), "Le Journal");
    // Going back and forth is not a visit: the way forward is still there.
    EXPECT_EQ(c.navigation().NextList().size(), 1);
    type(Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(currentText(), "Outils");
    EXPECT_FALSE(action("MenuSuivant")->isEnabled());
}

TEST_F(MainWindowTest, TheTreeIsEditedFromTheKeyboard)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    start();
    MainController& c = window->controller();
    TElement* presse = c.findByTreePath("Veille\\Presse");
    TElement* journal = c.findByTreePath("Veille\\Presse\\Le Journal");
    const auto select = [&](TElement* e) {
        window->treeView()->setCurrentIndex(window->treeModel().indexOf(e->Node()));
        window->treeView()->setFocus();
    };

    // Ins on an address: a linked page under it, then the properties dialog for its address.
    select(journal);
    whenModal([](QWidget* dialog) { dialog->close(); });
    type(Qt::Key_Insert);
    TElement* added = c.currentElement();
    EXPECT_EQ(added->Parent(), journal);
    EXPECT_EQ(added->Kind, kindPage);
    EXPECT_EQ(added->GetName(), "Nouvelle adresse ");

    // F2 edits a folder's name in place; an agent keeps its own.
    select(presse);
    type(Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Jour/naux");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the editor hands its text over once back in the loop
    EXPECT_EQ(presse->GetName(), "Jour naux"); // what a file name can hold
    EXPECT_EQ(currentText(), "Jour naux");
    EXPECT_TRUE(QFileInfo::exists(home.file("Veille/Favs/Jour naux")));
    select(presse->GetAgent());
    type(Qt::Key_F2);
    EXPECT_FALSE(qobject_cast<QLineEdit*>(QApplication::focusWidget()));

    // Ctrl+Space deactivates, and the command then offers to activate.
    select(journal);
    type(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(journal->IsActive());
    EXPECT_EQ(action("MenuActiver")->text(), "&Activer");

    // Del on a folder with content, answered No: its content stays, one level up, with its files.
    select(presse);
    prompt.setNextAnswer(UserPrompt::No);
    type(Qt::Key_Delete);
    EXPECT_EQ(c.findByTreePath("Veille\\Jour naux"), nullptr);
    TElement* kept = c.findByTreePath("Veille\\Le Journal");
    ASSERT_TRUE(kept);
    EXPECT_TRUE(QFileInfo::exists(kept->GetSavePath()));
    EXPECT_EQ(prompt.texts().last(), "Vous allez effacer Jour naux\rVoulez-vous aussi effacer son contenu ?");
}

TEST_F(MainWindowTest, TheTreeIsWalkedDraggedAndFetchedInto)
{
    AgentBuilder b = AgentBuilder::sample(home.path(), "Veille");
    StoredDoc galerie;
    galerie.name = "Galerie";
    galerie.url = "http://galerie.example/";
    galerie.content = "<html><body><img src=\"photo.png\"></body></html>";
    b.address("Outils", galerie);
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    start();
    MainController& c = window->controller();
    TElement* presse = c.findByTreePath("Veille\\Presse");
    TElement* journal = c.findByTreePath("Veille\\Presse\\Le Journal");
    TElement* suite = c.findByTreePath("Veille\\Presse\\Le Journal\\Suite");
    TElement* page = c.findByTreePath("Veille\\Outils\\Galerie");
    ElementTreeModel& model = window->treeModel();
    const auto select = [&](TElement* e) {
        window->treeView()->setCurrentIndex(model.indexOf(e->Node()));
        window->treeView()->setFocus();
    };

    // Ctrl+L: the page's images become its children. A folder goes under a folder or an agent only.
    select(page);
    EXPECT_FALSE(action("MenuNouveauDossier")->isEnabled());
    type(Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(page->imageGroupNode());
    EXPECT_EQ(page->imageGroupNode()->childCount(), 1);

    // Ctrl+Down goes over the image group to the next page.
    journal->LoadChildren(2);
    window->treeView()->expand(model.indexOf(journal->Node()));
    ASSERT_TRUE(journal->imageGroupNode());
    window->treeView()->expand(model.indexOf(journal->imageGroupNode()));
    select(journal);
    type(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(c.currentElement(), suite);
    type(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(c.currentElement(), journal);

    // A node dragged onto its own parent is refused; onto a folder it moves there.
    select(page);
    QMimeData data;
    data.setData(ListViewModel::DragFormat, "tree");
    EXPECT_FALSE(model.canDropMimeData(&data, Qt::MoveAction, -1, -1, model.indexOf(page->Parent()->Node())));
    EXPECT_FALSE(
        model.canDropMimeData(&data, Qt::MoveAction, 0, 0, model.indexOf(presse->Node()))); // between
    // Dropped on the node's row, as the mouse lets go there.
    QWidget* viewport = window->treeView()->viewport();
    const QPoint at = window->treeView()->visualRect(model.indexOf(presse->Node())).center();
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QDragMoveEvent over(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &over);
    EXPECT_TRUE(over.isAccepted());
    QDropEvent drop(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_EQ(c.findByTreePath("Veille\\Presse\\Galerie"), page);

    // "Nouveau site": the address gets its scheme, the name its trim; with depth 0 the wizard
    // ends on its third page.
    TElement* outils = c.findByTreePath("Veille\\Outils");
    select(outils);
    bool endedOnThird = false;
    whenModal([&](QWidget* w) {
        auto* wizard = qobject_cast<NewAddressWizard*>(w);
        ASSERT_TRUE(wizard);
        EXPECT_EQ(wizard->windowTitle(), "Nouvelle adresse");
        wizard->addressField()->setText("site.example/");
        wizard->nameField()->setText("  Mon site ");
        wizard->nextButton()->click();
        EXPECT_EQ(wizard->addressField()->text(), "http://site.example/");
        wizard->nextButton()->click();
        endedOnThird = wizard->currentPage() == 2 && wizard->finishButton()->isVisible()
            && !wizard->nextButton()->isVisible();
        wizard->finishButton()->click();
    });
    action("MenuNouveauSite")->trigger();
    EXPECT_TRUE(endedOnThird);
    TElement* site = c.findByTreePath("Veille\\Outils\\Mon site");
    ASSERT_TRUE(site);
    EXPECT_EQ(site->GetURL(), "http://site.example/");
    EXPECT_EQ(c.currentElement(), site);

    // "Récupérer ce lien": the link the status bar shows, cut before its anchor, as a
    // provisional linked page of the element shown.
    select(journal);
    window->statusBarGlobal()->setPanelText(1, " http://journal.example/archives.htm#haut ");
    window->findChild<QAction*>("PopupRecupererCeLien")->trigger();
    TElement* fetched = c.findByTreePath("Veille\\Presse\\Le Journal\\archives ");
    ASSERT_TRUE(fetched);
    EXPECT_EQ(fetched->GetURL(), "http://journal.example/archives.htm");
    EXPECT_EQ(fetched->Kind, kindPage);
}

TEST_F(MainWindowTest, ReinitialiserIsADebugEntry)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n[Debug]\nDebug=7351\n");
    start();
    MainController& c = window->controller();
    TElement* journal = c.findByTreePath("Veille\\Presse\\Le Journal");
    TElement* suite = c.findByTreePath("Veille\\Presse\\Le Journal\\Suite");
    const auto select = [&](TElement* e) {
        window->treeView()->setCurrentIndex(window->treeModel().indexOf(e->Node()));
        window->treeView()->setFocus();
    };
    // Offered in debug mode, it forgets what was fetched below the element.
    QAction* reinit = action("PopupReinitialiser");
    ASSERT_TRUE(reinit);
    EXPECT_TRUE(reinit->isVisible());
    const QString suiteFile = suite->GetSavePath();
    ASSERT_TRUE(QFileInfo::exists(suiteFile));
    select(journal);
    prompt.setNextAnswer(UserPrompt::Yes);
    reinit->trigger();
    EXPECT_FALSE(QFileInfo::exists(suiteFile));
    EXPECT_EQ(suite->LastModified, 0);
}

// Pictures to look at, not checks: run with --gtest_also_run_disabled_tests; they go to /tmp.
TEST_F(MainWindowTest, DISABLED_PicturesOfThePopupsAndNavigation)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n[General]\nSeeImages=1\n");
    start();
    window->resize(900, 600);
    MainController& c = window->controller();
    QTreeView* tree = window->treeView();
    const auto select = [&](const char* path) {
        TElement* e = c.findByTreePath(QString::fromUtf8(path));
        EXPECT_TRUE(e) << path;
        tree->setCurrentIndex(window->treeModel().indexOf(e->Node()));
        tree->setFocus();
        return e;
    };
    // The window with whatever pops up over it.
    const auto shot = [&](QWidget* popup, const char* name) {
        QTest::qWait(150);
        QPixmap picture = window->grab();
        if (popup && popup->isVisible()) {
            QPainter painter(&picture);
            painter.drawPixmap(popup->mapToGlobal(QPoint()) - window->mapToGlobal(QPoint()), popup->grab());
        }
        picture.save(QStringLiteral("/tmp/glanix-%1.png").arg(QLatin1String(name)));
    };
    const auto treeMenu = [&](const char* path, const char* name) {
        select(path);
        type(Qt::Key_Return, Qt::ShiftModifier);
        auto* menu = window->findChild<QMenu*>("PopupMenuArbre");
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
        shot(menu, name);
        menu->close();
    };
    TElement* journal = select("Veille\\Presse\\Le Journal");
    journal->LoadChildren(2);
    tree->expandAll();
    treeMenu("Veille\\Presse", "popup-folder");
    treeMenu("Veille\\Presse\\Le Journal", "popup-address");
    ASSERT_TRUE(journal->imageGroupNode() && journal->imageGroupNode()->childCount() > 0);
    tree->setCurrentIndex(window->treeModel().indexOf(journal->imageGroupNode()->child(0)));
    type(Qt::Key_Return, Qt::ShiftModifier);
    auto* menu = window->findChild<QMenu*>("PopupMenuArbre");
    EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    shot(menu, "popup-image");
    menu->close();

    select("Veille\\Presse\\Le Journal");
    whenModal([&](QWidget* dialog) {
        QTest::qWait(100);
        dialog->grab().save("/tmp/glanix-notes.png");
        dialog->close();
    });
    action("MenuEditerNotes")->trigger();

    for (const char* path : {"Veille\\Outils", "Veille\\Outils\\Dictionnaire", "Veille\\Presse\\Régions",
                             "Veille\\Presse\\Le Journal\\Suite"})
        select(path);
    QMenu* back = window->actions().previousList;
    back->popup(window->mapToGlobal(QPoint(60, 60)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return back->isVisible(); }, 2000));
    shot(back, "back-list");
    back->close();

    AddressBox* box = window->toolBars().addressBox;
    box->setEntries({"http://journal.example/index.htm", "http://journal.example/suite.htm", "Presse",
                     "http://dico.example/", "journal du soir"});
    box->setFocus();
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), "j");
    QWidget* popup = box->completer()->popup();
    QTest::qWaitFor([&] { return popup->isVisible(); }, 2000);
    shot(popup, "address-completion");
}
