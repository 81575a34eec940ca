#include "agents/MainController.h"

#include "agents/ElementStatus.h"
#include "agents/MainWindowPort.h"
#include "agents/TreeCommands.h"
#include "config/IniFile.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/FakeRemoteAccess.h"
#include "tests/support/MainFakes.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace glanix;
using namespace glanix::test;

namespace {

// The window as the controller sees it, without widgets.
struct FakePort final : MainWindowPort {
    QStringList captions;
    bool busy = false;
    TreeNode* selected = nullptr;
    QList<TreeNode*> expanded;
    bool shiftHeld = false;
    MainWindowState applied;
    MainWindowState state;
    bool treeVisible = true;
    QByteArray toolbars;
    QStringList opened;

    void setCaption(const QString& caption) override { captions << caption; }

    void setBusy(bool b) override { busy = b; }

    TreeNode* selectedNode() const override { return selected; }

    void selectNode(TreeNode* node) override { selected = node; }

    void expandNode(TreeNode* node) override { expanded << node; }

    void refreshNode(TreeNode*) override { }

    void focusTree() override { }

    bool startupKeysHeld() const override { return shiftHeld; }

    DisplayInfo displayInfo() const override { return DisplayInfo {QRect(0, 0, 1600, 1000), {}, "Sans"}; }

    void applyWindowState(const MainWindowState& s) override { applied = s; }

    MainWindowState captureWindowState() const override { return state; }

    bool treePanelVisible() const override { return treeVisible; }

    void showTreePanel() override { treeVisible = true; }

    void restoreToolbars(const QByteArray& s) override { toolbars = s; }

    QByteArray toolbarState() const override { return "barres"; }

    void optionsChanged() override { }

    void updateCommands() override { }

    void processEvents() override { }

    void openTextFile(const QString& path) override { opened << path; }
};

struct MainControllerTest : ::testing::Test, MainServiceFakes {
    TempHome home;
    FakePort port;
    std::unique_ptr<MainController> c;
    bool shiftHeld = false;

    void run(const QStringList& arguments = {})
    {
        const MainServices s = servicesOn(home, arguments);
        port = FakePort {};
        port.shiftHeld = shiftHeld;
        c = std::make_unique<MainController>(s);
        views.attach(c->views());
        c->created(port);
        c->firstShow();
        c->startup();
    }

    void quit()
    {
        ASSERT_TRUE(c->canClose());
        c->shutdown();
        c.reset();
    }

    QString ini(const char* section, const char* key) const
    {
        return IniFile(home.file("Glanix.ini"))
            .readString(QString::fromLatin1(section), QString::fromLatin1(key));
    }

    QStringList agents() const
    {
        QStringList names;
        for (int i = 0; i < c->store().tree().topLevelCount(); ++i)
            names << c->store().tree().topLevel(i)->text();
        return names;
    }
};

TEST_F(MainControllerTest, TheVeryFirstStart)
{
    run();
    EXPECT_TRUE(home.exists("Agent de Base.gnx"));
    EXPECT_TRUE(home.exists("Bonnes adresses.gnx"));
    EXPECT_TRUE(home.exists("Smart addresses.gnx"));
    EXPECT_EQ(agents(), QStringList({"Agent de Base"}));
    ASSERT_NE(port.selected, nullptr);
    EXPECT_EQ(port.selected->text(), "Glanix");
    const QString entry = QString::fromUtf8(home.read(dataHome.path() + "/applications/glanix.desktop"));
    EXPECT_TRUE(entry.contains("Exec=/usr/bin/glanix %f"));
    EXPECT_EQ(ini("General", "Starting"), "0");
    EXPECT_FALSE(port.busy);
    EXPECT_EQ(port.captions, QStringList({"Glanix 3.0", "Glanix 3.0"}));
    EXPECT_EQ(downloads.timeOutWatches, 1);
    EXPECT_EQ(downloads.dialUps, QStringList({""})); // NetworkManager is there: by modem
    quit();
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Agent de Base");
    EXPECT_EQ(ini("OpenedAgents", "Agent2"), "");

    // The second start opens what was open and makes nothing new.
    QFile::remove(dataHome.path() + "/applications/glanix.desktop");
    run();
    EXPECT_EQ(agents(), QStringList({"Agent de Base"}));
    EXPECT_FALSE(home.exists(dataHome.path() + "/applications/glanix.desktop"));
}

TEST_F(MainControllerTest, OpenedAgentsInOrderAndAnAgentFileArgumentLeavesThemAlone)
{
    AgentBuilder::sample(home.path(), "Veille");
    AgentBuilder::sample(home.path(), "Archives");
    AgentBuilder::sample(home.path(), "Divers");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\nAgent2=Disparu\nAgent3=Archives\n");
    run();
    EXPECT_EQ(agents(), QStringList({"Veille", "Archives"})); // the missing one skipped silently
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_FALSE(home.exists("Agent de Base.gnx"));
    quit();
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Veille");
    EXPECT_EQ(ini("OpenedAgents", "Agent2"), "Archives");

    run({home.file("Divers.gnx")});
    EXPECT_EQ(agents(), QStringList({"Divers"}));
    quit();
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Veille");
    EXPECT_EQ(ini("OpenedAgents", "Agent2"), "Archives");
}

TEST_F(MainControllerTest, ViewWindowsRoundTripAndAStartThatNeverEnded)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    run();
    TElement* journal = c->findByTreePath("Veille\\Presse\\Le Journal");
    TElement* logo = c->findByTreePath("Veille\\Presse\\Le Journal\\Images\\logo.gif");
    TElement* outils = c->findByTreePath("Veille\\Outils");
    ASSERT_TRUE(journal && logo && outils);
    EXPECT_EQ(c->findByTreePath("Veille\\presse"), nullptr); // names match exactly
    views.open(wtList, nullptr); // search results are not kept
    views.open(wtInfo, journal);
    views.open(wtList, outils);
    views.open(wtImage, logo);
    views.open(wtDocument, journal); // the most recent, at the head
    views.window(0).maximized = true;
    quit();
    EXPECT_EQ(ini("OpenedWindows", "ShortCut0"), "Veille\\Presse\\Le Journal"); // last window first
    EXPECT_EQ(ini("OpenedWindows", "WindowType0"), "4");
    EXPECT_EQ(ini("OpenedWindows", "ShortCut3"), "Veille\\Presse\\Le Journal");
    EXPECT_EQ(ini("OpenedWindows", "WindowType3"), "1");
    EXPECT_EQ(ini("OpenedWindows", "Maximized"), "1");

    run();
    ASSERT_EQ(views.count(), 4);
    EXPECT_EQ(views.windowType(0), wtDocument);
    EXPECT_EQ(views.element(1)->GetName(), "logo.gif");
    EXPECT_TRUE(views.firstMaximized);
    EXPECT_EQ(port.selected, views.element(0)->Node()); // the last one reopened
    c->shutdown();
    c.reset();

    // The run dies between the first show and the end of start-up.
    EXPECT_EQ(ini("General", "Starting"), "0");
    IniFile(home.file("Glanix.ini")).writeString(u"General", u"Starting", "1");
    run();
    QList<int> kinds;
    for (int i = 0; i < views.count(); ++i)
        kinds << views.windowType(i);
    EXPECT_EQ(kinds, QList<int>({wtList, wtInfo}));
    c.reset();

    // Shift held while starting: agents, but no view window.
    shiftHeld = true;
    run();
    EXPECT_EQ(agents(), QStringList({"Veille"}));
    EXPECT_EQ(views.count(), 0);
}

TEST_F(MainControllerTest, StartArgumentConnectionModeAndUpdateNotice)
{
    home.write("Glanix.ini", "[CheckUpDate]\nLastVersion=Glanix/3.1\nDownloadPage=https://glanix.example/\n");
    remoteAccess.setAvailable(false);
    prompt.setNextAnswer(UserPrompt::Ok);
    run({"start"});
    // No DLL is ever missing here: the message names what was looked for.
    EXPECT_EQ(prompt.texts().value(0),
              "Glanix n'a pas trouvé NetworkManager sur cette machine :\rvous avez probablement une "
              "connexion permanente à Internet.\rGlanix se configure donc en \"Connexion par réseau\" "
              "et non \"par modem\".\rCela signifie qu'il n'essaiera pas d'établir la connexion "
              "(numérotation)");
    EXPECT_FALSE(c->Opt().ConnectByModem);
    EXPECT_TRUE(c->Opt().HangUpWhenFinished);
    EXPECT_EQ(downloads.starts, 1);
    EXPECT_EQ(port.captions.last(), "Une nouvelle version existe (Glanix/3.1) : https://glanix.example/");
    quit();
    EXPECT_EQ(ini("General", "ConnectByModem"), "0");
    EXPECT_EQ(ini("General", "HangUpWhenFinished"), "1");

    // An agent file whose path holds "start" is only opened.
    AgentBuilder::sample(home.path(), "Restart");
    run({home.file("Restart.gnx")});
    EXPECT_EQ(downloads.starts, 1);
    EXPECT_TRUE(prompt.allAnswered());
}

TEST_F(MainControllerTest, ShutdownSavesFreesAndCleans)
{
    run();
    home.write("Vue externe.html", "x");
    home.write("Compared.html", "x");
    port.state.geometry = QRect(10, 20, 800, 600);
    port.state.split = 240;
    port.state.history = {"lwn.net", "Veille"};
    port.treeVisible = false;
    downloads.pending = 3;
    TElement* base = c->store().tree().topLevel(0)->element();
    const size_t destroyedBefore = downloads.destroyed.size();
    quit();
    EXPECT_TRUE(port.treeVisible); // shown again so that its width is saved
    EXPECT_EQ(ini("General", "Width"), "800");
    EXPECT_EQ(ini("General", "Split"), "240");
    EXPECT_EQ(home.read("History.dat"), "lwn.net\r\nVeille\r\n");
    EXPECT_EQ(ini("Toolbars", "State"), QString::fromLatin1(QByteArray("barres").toBase64()));
    EXPECT_FALSE(home.exists("Vue externe.html"));
    EXPECT_FALSE(home.exists("Compared.html"));
    EXPECT_EQ(downloads.shutdowns, 1);
    EXPECT_GT(downloads.destroyed.size(), destroyedBefore); // every element is freed
    EXPECT_NE(std::find(downloads.destroyed.begin(), downloads.destroyed.end(), base),
              downloads.destroyed.end());
    EXPECT_FALSE(home.exists("Erreurs.log")); // "Reste 3" goes nowhere outside debug mode
}

TEST_F(MainControllerTest, DebugModeLogsToCaptionAndFile)
{
    home.write("Glanix.ini", "[Debug]\nDebug=7351\n");
    home.write("Erreurs.log", "ancien\n");
    run();
    EXPECT_FALSE(home.read("Erreurs.log").contains("ancien")); // each debug run starts afresh
    c->env().logError("Pb dans un test");
    EXPECT_EQ(port.captions.last(), "Msg : Pb dans un test");
    downloads.pending = 2;
    c->shutdown();
    EXPECT_TRUE(home.read("Erreurs.log").contains("Reste 2"));
    EXPECT_EQ(port.opened, QStringList({home.file("Erreurs.log")}));
}

} // namespace

TEST_F(MainControllerTest, TheViewsFollowTheSelection)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    run();
    TElement* journal = c->findByTreePath("Veille\\Presse\\Le Journal");
    TElement* suite = c->findByTreePath("Veille\\Presse\\Le Journal\\Suite");
    TElement* outils = c->findByTreePath("Veille\\Outils");
    TElement* cafe = c->findByTreePath("Veille\\Café du coin");
    ASSERT_TRUE(journal && suite && outils && cafe);
    for (int i = views.count() - 1; i >= 0; --i)
        views.list->close(i);

    // Only a document view, its button down: a folder cannot be shown there, a list view comes.
    views.open(wtDocument, journal);
    c->followSelection(outils);
    ASSERT_EQ(views.count(), 2);
    EXPECT_EQ(views.windowType(0), wtList);
    EXPECT_EQ(views.element(0), outils);
    EXPECT_EQ(views.element(1), journal);

    // Never downloaded: the document view keeps its page, an information view shows the address.
    c->followSelection(cafe);
    ASSERT_EQ(views.count(), 3);
    EXPECT_EQ(views.windowType(0), wtInfo);
    EXPECT_EQ(views.element(0), cafe);
    EXPECT_EQ(views.list->firstOfKind(wtDocument)->element(), journal);
    EXPECT_EQ(describeElement(cafe).panel2, "à télécharger");

    // A stored page: every view that can show it does, the preferred one in front.
    c->followSelection(suite);
    EXPECT_EQ(views.windowType(0), wtDocument);
    EXPECT_EQ(views.element(0), suite);
    EXPECT_EQ(views.list->firstOfKind(wtInfo)->element(), suite);
    EXPECT_EQ(views.list->firstOfKind(wtList)->element(), suite); // a page with a stored copy has rows

    // Shown behind another window: it comes to the front.
    c->setPreferredView(wtInfo);
    c->followSelection(outils);
    EXPECT_EQ(views.element(0), outils);
    EXPECT_EQ(views.windowType(0), wtList);
    c->followSelection(suite);
    EXPECT_EQ(views.windowType(0), wtInfo);

    // The element goes away: both windows showing it close, a list of results loses its row.
    views.open(wtList, nullptr, true);
    views.list->firstOfKind(wtList)->showElement(outils);
    c->withdrawFromViews(suite);
    for (int i = 0; i < views.count(); ++i)
        EXPECT_NE(views.element(i), suite);
    EXPECT_EQ(views.count(), 2);
    EXPECT_NE(std::find(views.rowsRemoved.begin(), views.rowsRemoved.end(), suite), views.rowsRemoved.end());

    // After a start that never ended, document views are not updated.
    c->setPreferredView(wtDocument);
    c->Opt().Starting = true;
    c->followSelection(journal);
    EXPECT_EQ(views.list->firstOfKind(wtDocument), nullptr);
    c->Opt().Starting = false;
}

TEST_F(MainControllerTest, MarkingAsksFirstAndKeepsAnOpenViewFromReadingAgain)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    run();
    TElement* journal = c->findByTreePath("Veille\\Presse\\Le Journal");
    TElement* suite = c->findByTreePath("Veille\\Presse\\Le Journal\\Suite");
    TElement* presse = c->findByTreePath("Veille\\Presse");
    FakeViews::Window* view = views.open(wtDocument, suite);
    ASSERT_TRUE(view);

    port.selected = suite->Node();
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_EQ(c->markCurrent(MainController::Mark::Unread), 1);
    EXPECT_EQ(prompt.texts().last(), "Voulez-vous marquer les éléments sélectionnés\rcomme non lus ?");
    EXPECT_EQ(suite->State, stateUnread);
    EXPECT_EQ(view->postponed, std::vector<TElement*> {suite});

    // A folder with content: No marks the folder alone, Yes the pages it holds as well.
    port.selected = presse->Node();
    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_EQ(c->markCurrent(MainController::Mark::Read), 0);
    EXPECT_TRUE(prompt.texts().last().endsWith("Voulez-vous aussi marquer comme lues les pages contenues ?"));
    EXPECT_EQ(journal->State, stateUnread);
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_EQ(c->markCurrent(MainController::Mark::Read), 2);
    EXPECT_EQ(journal->State, stateRead);
    EXPECT_EQ(suite->State, stateRead);
    prompt.setNextAnswer(UserPrompt::Cancel);
    EXPECT_EQ(c->markCurrent(MainController::Mark::Refresh), -1);
}

TEST_F(MainControllerTest, APermanentRedirectionIsAppliedWhenSelected)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    run();
    TElement* dico = c->findByTreePath("Veille\\Outils\\Dictionnaire");
    dico->StatusNumber = 301;
    dico->Location = "/nouveau/";
    prompt.setNextAnswer(UserPrompt::Ok);
    c->selected(dico);
    EXPECT_EQ(dico->GetURL(), "http://dico.example/nouveau/");
    EXPECT_EQ(dico->StatusNumber, 200);
    EXPECT_TRUE(dico->Location.isEmpty());
    EXPECT_EQ(prompt.texts().last(),
              "L'URL http://dico.example/\ra définitivement changé, d'après son serveur\ret devient "
              "http://dico.example/nouveau/");
    // Only a slash more: applied without a word.
    const qsizetype asked = prompt.texts().size();
    dico->SetURL("http://dico.example/nouveau/index");
    dico->StatusNumber = 301;
    dico->Location = "http://dico.example/nouveau/index/";
    c->selected(dico);
    EXPECT_EQ(dico->StatusNumber, 200);
    EXPECT_EQ(prompt.texts().size(), asked);
}

TEST_F(MainControllerTest, DragAndDropRefusesWhatCannotLandAndMovesFilesWithTheElement)
{
    AgentBuilder::sample(home.path(), "Veille");
    AgentBuilder(home.path(), "Archives").folder("Boite");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\nAgent2=Archives\n");
    run();
    TElement* presse = c->findByTreePath("Veille\\Presse");
    TElement* regions = c->findByTreePath("Veille\\Presse\\Régions");
    TElement* journal = c->findByTreePath("Veille\\Presse\\Le Journal");
    TElement* outils = c->findByTreePath("Veille\\Outils");
    TElement* dico = c->findByTreePath("Veille\\Outils\\Dictionnaire");
    TElement* boite = c->findByTreePath("Archives\\Boite");
    ASSERT_TRUE(presse && regions && journal && outils && dico && boite);
    TreeCommands commands(c->store(), c->prompt());

    EXPECT_FALSE(TreeCommands::canDrop({outils}, *journal)); // a folder onto an address
    EXPECT_FALSE(TreeCommands::canDrop({journal}, *presse)); // onto its own parent
    EXPECT_FALSE(TreeCommands::canDrop({presse}, *regions)); // into itself
    EXPECT_FALSE(TreeCommands::canDrop({journal}, *journal));
    EXPECT_FALSE(TreeCommands::canDrop({presse->GetAgent()}, *boite)); // an agent stays where it is
    journal->LoadChildren(2);
    c->setSeeImages(true);
    ASSERT_TRUE(journal->imageGroupNode());
    EXPECT_FALSE(TreeCommands::canDrop({dico}, *journal->imageGroupNode()->element()));
    EXPECT_TRUE(commands.move({outils}, *journal).isEmpty());

    // An address onto another address becomes its linked page; its files follow.
    const QString oldSave = journal->GetSavePath();
    ASSERT_TRUE(QFileInfo::exists(oldSave));
    EXPECT_EQ(commands.move({journal}, *dico), QList<TElement*> {journal});
    EXPECT_EQ(journal->Parent(), dico);
    EXPECT_EQ(journal->Kind, kindPage);
    EXPECT_FALSE(QFileInfo::exists(oldSave));
    EXPECT_TRUE(QFileInfo::exists(journal->GetSavePath()));
    EXPECT_EQ(c->findByTreePath("Veille\\Outils\\Dictionnaire\\Le Journal\\Suite")->Parent(), journal);

    // A browser favourite leaving the favourites asks first; No leaves it where it was.
    c->store().setFavoritesFolder(home.file("Veille/Favs"));
    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_TRUE(commands.move({outils}, *boite).isEmpty());
    EXPECT_EQ(prompt.texts().last(),
              "L'élément que vous déplacez est un favori d'IE.\rLà où vous voulez "
              "l'avez lâché,\ril sera invisible d'IE.\rÊtes-vous certain de vouloir "
              "l'y déplacer ?");
    EXPECT_EQ(outils->Parent(), presse->GetAgent());
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_EQ(commands.move({outils}, *boite).size(), 1);
    EXPECT_EQ(c->findByTreePath("Archives\\Boite\\Outils"), outils);
    // Within the favourites nothing is asked.
    const qsizetype asked = prompt.texts().size();
    EXPECT_EQ(commands.move({regions}, *presse->GetAgent()).size(), 1);
    EXPECT_EQ(prompt.texts().size(), asked);
}

TEST_F(MainControllerTest, SeveralRowsAreDeletedOnceEvenWhenOneHoldsAnother)
{
    AgentBuilder::sample(home.path(), "Veille");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\n");
    run();
    TElement* presse = c->findByTreePath("Veille\\Presse");
    TElement* journal = c->findByTreePath("Veille\\Presse\\Le Journal");
    TElement* dico = c->findByTreePath("Veille\\Outils\\Dictionnaire");
    const QString journalFile = journal->GetSavePath();
    const QString dicoIni = dico->GetIniFileName();
    TreeCommands commands(c->store(), c->prompt());

    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_EQ(commands.removeSeveral({journal, dico}), -1);
    EXPECT_EQ(prompt.texts().last(),
              "Vous allez effacer les éléments sélectionnés\rainsi que tout leur contenu.\rÊtes-vous sûr ?");
    EXPECT_TRUE(QFileInfo::exists(journalFile));

    // The journal goes with its folder: it is not reached again once freed.
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_EQ(commands.removeSeveral({journal, presse, dico}), 3);
    EXPECT_EQ(c->findByTreePath("Veille\\Presse"), nullptr);
    EXPECT_EQ(c->findByTreePath("Veille\\Outils\\Dictionnaire"), nullptr);
    EXPECT_FALSE(QFileInfo::exists(journalFile));
    EXPECT_FALSE(QFileInfo::exists(dicoIni));
}

TEST_F(MainControllerTest, AnAgentSharedWithTheFavouritesLeavesTheBrowsersShortcuts)
{
    AgentBuilder b = AgentBuilder::sample(home.path(), "Veille");
    AgentBuilder archives(home.path(), "Archives");
    home.write("Glanix.ini", "[OpenedAgents]\nAgent1=Veille\nAgent2=Archives\n");
    run();
    TreeCommands commands(c->store(), c->prompt());
    commands.setAgentCloser([this](TElement* e) { c->agents().close(e); });

    // An agent of its own goes with its agent file.
    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_TRUE(commands.remove(*c->findByTreePath("Archives")));
    EXPECT_FALSE(QFileInfo::exists(archives.agentFile()));
    EXPECT_EQ(c->store().openAgents(), QStringList {b.agentFile()});

    c->store().setFavoritesFolder(b.favs());
    TElement* agent = c->findByTreePath("Veille");
    TElement* journal = c->findByTreePath("Veille\\Presse\\Le Journal");
    TElement* suite = c->findByTreePath("Veille\\Presse\\Le Journal\\Suite");
    const QString journalIni = journal->GetIniFileName();
    const QString journalFile = journal->GetSavePath();
    const QString suiteIni = suite->GetIniFileName();

    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_FALSE(commands.remove(*agent));
    EXPECT_TRUE(
        prompt.texts().last().startsWith("Cet agent va être effacé pour Glanix,\ret les URLs invisibles"));
    EXPECT_TRUE(QFileInfo::exists(b.agentFile()));

    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_TRUE(commands.remove(*agent));
    EXPECT_TRUE(agents().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(b.agentFile()));
    // The shortcut stays, without what the program kept in it; a linked page goes.
    ASSERT_TRUE(QFileInfo::exists(journalIni));
    EXPECT_TRUE(IniFile(journalIni).readString(u"Glanix", u"SaveFileName").isEmpty());
    EXPECT_EQ(IniFile(journalIni).readString(u"InternetShortcut", u"URL"),
              "http://journal.example/index.htm");
    EXPECT_FALSE(QFileInfo::exists(journalFile));
    EXPECT_FALSE(QFileInfo::exists(suiteIni));
    EXPECT_TRUE(QFileInfo::exists(b.favs() + "Café du coin.url"));
}
