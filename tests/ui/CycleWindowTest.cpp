// The main window driving real download cycles against a loopback server: the start button,
// the communication bar and its counters, the bold nodes, the hints, interrupting one node,
// and quitting while downloads run.
#include "agents/DownloadEngine.h"
#include "engine/CycleStatus.h"
#include "engine/Scheduler.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TestServer.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/ActivityAnimation.h"
#include "ui/ElementTreeModel.h"
#include "ui/StatusBars.h"

#include <QDirIterator>
#include <QFont>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

using namespace glanix;
using namespace glanix::test;

namespace {

const QByteArray kGif
    = QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw==");

struct CycleWindowTest : MainWindowFixture {
    TestServer server;
    QTimer clockTimer;

    CycleWindowTest()
    {
        realEngine = true;
        // The server's dates are real; the clock runs fast so that "verified since the cycle
        // started" holds as with a real clock.
        home.clock().set(QDateTime::currentDateTime());
        clockTimer.setInterval(20);
        QObject::connect(&clockTimer, &QTimer::timeout, [this] { home.clock().advanceSeconds(1); });
        clockTimer.start();
        server.setDocument("/a.html",
                           {.body = "<html><head><title>A</title></head><body>Premier "
                                    "<img src=\"point.gif\"></body></html>"});
        server.setDocument("/point.gif", {.body = kGif, .contentType = "image/gif"});
        server.on("/lent.html", [](const RecordedRequest& r) {
            Reply reply = Reply::text(200, QByteArray(40000, 'x'));
            if (r.method == "GET") {
                reply.chunkSize = 2000;
                reply.chunkDelayMs = 60;
            }
            return reply;
        });
        server.on("/muet.html", [](const RecordedRequest& r) {
            Reply reply = Reply::text(200, QByteArray(40000, 'x'));
            if (r.method == "GET")
                reply.stallAfter = 3000;
            return reply;
        });
    }

    // The agent "Veille" with these addresses, never fetched, open at start-up.
    void agentWith(const QStringList& paths)
    {
        AgentBuilder agent(home.path(), "Veille");
        for (const QString& path : paths)
            agent.address({},
                          StoredDoc {.name = path.section(u'.', 0, 0),
                                     .url = server.url(QLatin1Char('/') + path),
                                     .complete = false});
        home.write("Glanix.ini",
                   "[OpenedAgents]\nAgent1=Veille\n[General]\nConnectByModem=0\nKeepReady=0\nSeeImages=0\n");
    }

    QWidget* button(const char* name) const { return window->findChild<QToolButton*>(QLatin1String(name)); }

    Scheduler& scheduler() const { return window->engine()->scheduler(); }

    QString comm(int panel) const { return window->statusBarComm()->panelText(panel); }

    // The node of that name, anywhere below the agents.
    TreeNode* node(const QString& text) const
    {
        const QModelIndexList found = window->treeModel().match(
            window->treeModel().index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchRecursive | Qt::MatchExactly);
        return found.isEmpty() ? nullptr : window->treeModel().nodeOf(found.first());
    }

    bool bold(const QString& text) const
    {
        TreeNode* n = node(text);
        return n
            && window->treeModel().data(window->treeModel().indexOf(n), Qt::FontRole).value<QFont>().bold();
    }

    bool cycleOver(int ms = 20000) const
    {
        return QTest::qWaitFor([this] { return !window->commBarVisible(); }, ms);
    }

    int imageNodes() const
    {
        int count = 0;
        for (TreeNode* n = window->controller().store().tree().firstNode(); n; n = n->next()) {
            const TElement* e = n->element();
            count += e && (e->Kind == kindImage || e->Kind == kindImageGroup);
        }
        return count;
    }

    QStringList leftovers() const
    {
        QStringList out;
        QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (QFileInfo(path).fileName().startsWith(u'.'))
                out << path;
        }
        return out;
    }
};

TEST_F(CycleWindowTest, TheStartButtonFetchesWhatIsDueAndTheBarsFollowTheCycle)
{
    agentWith({"a.html", "lent.html"});
    start();
    EXPECT_FALSE(window->commBarVisible());
    EXPECT_FALSE(action("TransparentButtonEndConnexion")->isEnabled());
    EXPECT_FALSE(action("MenuConnexionInterrompreTousLesTelechargementsEnCours")->isEnabled());

    QTest::mouseClick(button("TransparentButtonStartConnexion"), Qt::LeftButton);
    ASSERT_TRUE(window->commBarVisible());
    EXPECT_FALSE(action("TransparentButtonStartConnexion")->isEnabled());
    EXPECT_FALSE(action("MenuConnecter")->isEnabled());
    EXPECT_TRUE(action("TransparentButtonEndConnexion")->isEnabled());
    EXPECT_TRUE(action("MenuConnexionInterrompreTousLesTelechargementsEnCours")->isEnabled());
    // Images are walked through their nodes: the tree shows them for the cycle.
    EXPECT_FALSE(action("MenuVoirLesImagesDansArborescence")->isEnabled());

    // While the slow page comes: its node in bold with its progress, the counters, the hints.
    TreeNode* slow = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (TreeNode* n = window->controller().store().tree().firstNode(); n; n = n->next()) {
                if (n->text().endsWith(" % lent"))
                    slow = n;
            }
            return slow != nullptr;
        },
        10000))
        <<
        [this] {
            QString out;
            for (TreeNode* n = window->controller().store().tree().firstNode(); n; n = n->next())
                out += n->text() + (n->bold() ? "*" : "") + " | ";
            if (TreeNode* l = node("lent")) {
                TElement* e = l->element();
                out += QStringLiteral("url=%1 active=%2/%3 lv=%4 cs=%5 due=%6 complete=%7 running=%8 "
                                      "incycle=%9 launching=%10 ")
                           .arg(e->GetURL(), QString::number(e->GetActive()), QString::number(e->IsActive()),
                                QString::number(e->LastVerified), QString::number(scheduler().CycleStart),
                                QString::number(scheduler().IsURLToVerify(*e)), QString::number(e->Complete),
                                QString::number(scheduler().Running), QString::number(scheduler().inCycle()),
                                QString::number(scheduler().launching()));
            }
            for (const RecordedRequest& r : server.requests())
                out += QString::fromLatin1(r.method + " " + r.target) + " ; ";
            return out.toStdString();
        }();
    EXPECT_TRUE(
        window->treeModel().data(window->treeModel().indexOf(slow), Qt::FontRole).value<QFont>().bold());
    // The status tick follows within half a second.
    EXPECT_TRUE(QTest::qWaitFor([this] { return comm(StatusBarComm::Running) == "En cours 1"; }, 2000));
    EXPECT_EQ(window->statusBarGlobal()->panelText(0), "1 téléchargement en cours");
    EXPECT_TRUE(window->toolBars().animation->isRunning());
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return comm(StatusBarComm::Counters).startsWith("Vérifiés "); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return imageNodes() > 0; }, 10000));
    window->treeView()->expandAll();
    screenshot(window.get(), QStringLiteral("main-window-cycle"));

    ASSERT_TRUE(cycleOver());
    EXPECT_EQ(server.count("GET", "/a.html"), 1);
    EXPECT_EQ(server.count("GET", "/lent.html"), 1);
    EXPECT_EQ(server.count("GET", "/point.gif"), 1);
    EXPECT_EQ(comm(StatusBarComm::Counters), "Vérifiés 3 - Nouveaux 3 - Modifiés 0");
    const QString hint = action("TransparentButtonStartConnexion")->toolTip();
    EXPECT_TRUE(hint.startsWith("Dernière connexion :\nVérifiés 3 - Nouveaux 3 - Modifiés 0\nTotal "))
        << hint.toStdString();
    EXPECT_EQ(action("TransparentButtonEndConnexion")->toolTip(), "Connexion terminée");
    EXPECT_TRUE(action("TransparentButtonStartConnexion")->isEnabled());
    EXPECT_TRUE(action("MenuConnecter")->isEnabled());
    EXPECT_FALSE(action("TransparentButtonEndConnexion")->isEnabled());
    EXPECT_FALSE(window->toolBars().animation->isRunning());
    EXPECT_TRUE(window->statusBarGlobal()->panelText(0).isEmpty());
    // The tree is back as the user had it: no image nodes.
    EXPECT_TRUE(action("MenuVoirLesImagesDansArborescence")->isEnabled());
    EXPECT_FALSE(action("MenuVoirLesImagesDansArborescence")->isChecked());
    EXPECT_EQ(imageNodes(), 0);
    EXPECT_FALSE(bold("lent"));
    EXPECT_TRUE(prompt.allAnswered());
}

TEST_F(CycleWindowTest, AnUnreachableServerShowsItsFailureWhenTheDownloadEnds)
{
    QString gone;
    {
        TestServer closed; // its port is free again once it is gone: nobody answers there
        gone = closed.url("/parti.html");
    }
    AgentBuilder agent(home.path(), "Veille");
    agent.address({}, StoredDoc {.name = "a", .url = server.url("/a.html"), .complete = false});
    agent.address({}, StoredDoc {.name = "parti", .url = gone, .complete = false});
    home.write("Glanix.ini",
               "[OpenedAgents]\nAgent1=Veille\n[General]\nConnectByModem=0\nKeepReady=0\nSeeImages=0\n");
    start();
    ElementTreeModel& model = window->treeModel();
    // The tree has drawn it once as never downloaded.
    EXPECT_EQ(model.data(model.indexOf(node("parti")), ElementTreeModel::ImageIndexRole).toInt(), 5);

    action("MenuConnecter")->trigger();
    ASSERT_TRUE(cycleOver());
    const QModelIndex failed = model.indexOf(node("parti"));
    EXPECT_LT(node("parti")->element()->StatusNumber, 0);
    EXPECT_EQ(model.data(failed, ElementTreeModel::ImageIndexRole).toInt(), 7);
    EXPECT_EQ(model.data(failed, ElementTreeModel::StateMarkRole).toInt(), markError);
    EXPECT_EQ(comm(StatusBarComm::Counters), "Vérifiés 3 - Nouveaux 2 - Modifiés 0 - Erreurs 1");
}

TEST_F(CycleWindowTest, StartUpArmsTheTimeOutWatchAndTheNextWalkStartsAtThePressedNode)
{
    agentWith({"a.html", "lent.html"});
    start();
    EXPECT_TRUE(scheduler().status().timeOutWatchRunning());
    EXPECT_FALSE(scheduler().status().statusRunning());
    window->treeView()->expandAll();
    TreeNode* slow = node("lent");
    ASSERT_NE(slow, nullptr);
    const QRect row = window->treeView()->visualRect(window->treeModel().indexOf(slow));
    QTest::mousePress(window->treeView()->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseRelease(window->treeView()->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(scheduler().NodeEnCours, node("a"));
    EXPECT_EQ(scheduler().NodeDepart, nullptr);
}

TEST_F(CycleWindowTest, InterruptingOneNodeStopsItsDownloadOnly)
{
    agentWith({"muet.html"});
    start();
    action("MenuConnecter")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return bold("muet") || (node("muet") == nullptr); }, 10000));
    TreeNode* silent = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (TreeNode* n = window->controller().store().tree().firstNode(); n; n = n->next()) {
                if (n->bold())
                    silent = n;
            }
            return silent != nullptr;
        },
        10000));
    TElement* e = silent->element();
    window->treeView()->setCurrentIndex(window->treeModel().indexOf(silent));
    auto* menu = window->findChild<QMenu*>("PopupMenuArbre");
    menu->popup(window->mapToGlobal(QPoint(50, 50)));
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
    ASSERT_TRUE(action("PopupInterrompre")->isEnabled());
    action("PopupInterrompre")->trigger();
    menu->hide();

    EXPECT_FALSE(silent->bold());
    EXPECT_EQ(silent->text(), e->GetName());
    EXPECT_NEAR(e->LastVerified, home.env().now(), 5.0 / 86400);
    // Nothing else to do: the cycle ends by itself.
    ASSERT_TRUE(cycleOver());
    // On a node that is not downloading the entry is offered disabled.
    menu->popup(window->mapToGlobal(QPoint(50, 50)));
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000));
    EXPECT_FALSE(action("PopupInterrompre")->isEnabled());
    menu->hide();
}

TEST_F(CycleWindowTest, QuittingDuringACycleAsksAndOnYesStopsCleanly)
{
    agentWith({"a.html", "muet.html"});
    start();
    action("MenuConnecter")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return server.count("GET", "/muet.html") == 1; }, 10000));

    prompt.setNextAnswer(UserPrompt::No);
    EXPECT_FALSE(quit());
    EXPECT_EQ(prompt.texts().last(), "Des téléchargements sont en cours. Voulez-vous les interrompre ?");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->commBarVisible());
    EXPECT_TRUE(scheduler().inCycle());
    EXPECT_GT(scheduler().Running, 0);
    QTest::qWait(300);
    EXPECT_TRUE(scheduler().inCycle());

    prompt.setNextAnswer(UserPrompt::Yes);
    EXPECT_TRUE(quit());
    EXPECT_FALSE(scheduler().status().timeOutWatchRunning());
    EXPECT_EQ(scheduler().Running, 0);
    window.reset();
    EXPECT_EQ(ini("OpenedAgents", "Agent1"), "Veille");
    EXPECT_EQ(ini("General", "Starting"), "0");
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
    EXPECT_TRUE(prompt.allAnswered());
}

TEST_F(CycleWindowTest, StayingReadyKeepsTheCycleOpenUntilTheUserEndsIt)
{
    agentWith({"a.html"});
    start();
    action("MenuConnexionResterEnVeille")->trigger();
    ASSERT_TRUE(window->controller().Opt().KeepReady);
    action("MenuConnecter")->trigger();
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return server.count("GET", "/point.gif") == 1 && scheduler().Running == 0; }, 10000));
    // Several scheduler and status ticks with nothing left to do.
    QTest::qWait(700);
    EXPECT_TRUE(window->commBarVisible());
    EXPECT_EQ(comm(StatusBarComm::Counters), "Vérifiés 2 - Nouveaux 2 - Modifiés 0");

    // The end button stops launching only: the start command is offered again, the bar stays.
    QTest::mouseClick(button("TransparentButtonEndConnexion"), Qt::LeftButton);
    EXPECT_TRUE(action("MenuConnecter")->isEnabled());
    EXPECT_FALSE(action("MenuConnexionArreterDeLancerDesNouveauxTelechargements")->isEnabled());
    EXPECT_TRUE(window->commBarVisible());

    action("MenuConnexionInterrompreTousLesTelechargementsEnCours")->trigger();
    EXPECT_FALSE(window->commBarVisible());
    EXPECT_TRUE(action("TransparentButtonStartConnexion")
                    ->toolTip()
                    .startsWith("Dernière connexion :\nVérifiés 2 - Nouveaux 2 - Modifiés 0\n"));
    EXPECT_EQ(server.count("GET", "/a.html"), 1);
}

TEST_F(CycleWindowTest, InterruptingEverythingEndsTheCycleAtOnce)
{
    agentWith({"muet.html"});
    start();
    action("MenuConnecter")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([this] { return scheduler().Running == 1; }, 10000));
    action("MenuConnexionInterrompreTousLesTelechargementsEnCours")->trigger();
    EXPECT_FALSE(window->commBarVisible());
    EXPECT_FALSE(scheduler().inCycle());
    ASSERT_TRUE(QTest::qWaitFor([this] { return scheduler().Running == 0; }, 5000));
    for (TreeNode* n = window->controller().store().tree().firstNode(); n; n = n->next())
        EXPECT_FALSE(n->bold()) << n->text().toStdString();
}

} // namespace
