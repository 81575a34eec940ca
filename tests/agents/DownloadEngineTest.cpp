// The engine of the main window on a scripted connection service, without widgets: dialling,
// the cycle it starts and ends, hanging up, the connection's time limits and hints, and the
// unattended run.
#include "agents/DownloadEngine.h"

#include "agents/AgentFile.h"
#include "agents/ConnectionPort.h"
#include "agents/DialSession.h"
#include "agents/TThreadVersion.h"
#include "config/OptGene.h"
#include "engine/CycleStatus.h"
#include "engine/Scheduler.h"
#include "engine/TDialUp.h"
#include "store/ElementStore.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/FakeDialUp.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TempHome.h"

#include <QTest>
#include <QTextStream>
#include <gtest/gtest.h>
#include <map>

using namespace glanix;
using namespace glanix::test;

namespace {

class RecordingWindow final : public EngineView {
public:
    std::map<int, QString> global;
    QString startHint;
    QString endHint;
    bool commBar = false;
    int cyclesEnded = 0;

    void setGlobalPanel(int panel, const QString& text) override { global[panel] = text; }

    void setCommBarVisible(bool visible) override { commBar = visible; }

    void setStartButtonHint(const QString& text) override { startHint = text; }

    void setEndButtonHint(const QString& text) override { endHint = text; }

    void cycleEnded() override { ++cyclesEnded; }
};

// The window around the engine: a dialling "window" that records what it shows.
class FakePort final : public ConnectionPort, public DialWindow {
public:
    std::unique_ptr<DialSession> session;
    QString entryName;
    QStringList statuses;
    bool closed = false;
    std::optional<QString> answer; // of the connection choice
    QStringList offered;
    std::vector<bool> endButtonMenu;
    int optionsChanges = 0;

    void showDialWindow(std::unique_ptr<DialSession> s) override
    {
        session = std::move(s);
        closed = false;
        session->attach(this);
        session->start();
    }

    void closeDialWindow() override { session.reset(); }

    std::optional<QString> chooseConnection(const QStringList& entries, const QString&) override
    {
        offered = entries;
        return answer;
    }

    void setEndButtonMenu(bool attached) override { endButtonMenu.push_back(attached); }

    void optionsChanged() override { ++optionsChanges; }

    void setEntryName(const QString& name) override { entryName = name; }

    void setStatus(const QString& text) override { statuses << text; }

    // As the real window: it goes once the session's event is over.
    void closeWindow() override
    {
        closed = true;
        QMetaObject::invokeMethod(
            &m_context, [this] { session.reset(); }, Qt::QueuedConnection);
    }

private:
    QObject m_context;
};

struct DownloadEngineTest : ::testing::Test {
    TempHome home;
    ElementStore store {home.env()};
    TOptGene opt;
    ScriptedPrompt prompt;
    RecordingWindow window;
    FakePort port;
    FakeDialUp fake;
    QString report;
    QTextStream reportStream {&report};
    std::unique_ptr<DownloadEngine> engine;

    DownloadEngineTest()
    {
        // An agent with nothing to fetch: a cycle lasts as long as the connection rules say.
        AgentBuilder agent(home.path(), "Veille");
        agent.folder("Presse");
        QString error;
        EXPECT_NE(openAgent(store, agent.agentFile(), {}, &error), nullptr) << error.toStdString();
        opt.KeepReady = false;
        opt.ConnectByModem = true;
        opt.ConnectEntry = "Orange";
        fake.entries = {{"Orange", "gsm"}, {"Free", "pppoe"}};
        DownloadEngineSetup setup {store, opt, prompt, window, port};
        setup.dialUp = &fake;
        setup.report = &reportStream;
        engine = std::make_unique<DownloadEngine>(setup);
        engine->createDialUp(opt.ConnectEntry);
    }

    ~DownloadEngineTest() override { engine.reset(); }

    Scheduler& scheduler() { return engine->scheduler(); }

    TDateTime now() { return home.env().now(); }

    // Dials through the dialling window up to the connection.
    void connect()
    {
        engine->startCommand();
        ASSERT_TRUE(port.session);
        fake.play();
        ASSERT_TRUE(scheduler().inCycle());
    }

    static QString minutesAgo(TDateTime t, TDateTime now)
    {
        return QString::number((now - t) * 1440, 'f', 3);
    }
};

TEST_F(DownloadEngineTest, ADialToConnectedStartsTheCycleWithTheConnectionsAge)
{
    engine->startCommand();
    ASSERT_TRUE(port.session);
    EXPECT_EQ(port.entryName, "Orange");
    EXPECT_EQ(fake.dialled, QStringList({"Orange"}));
    // The end button has no menu while the line is dialled.
    EXPECT_EQ(port.endButtonMenu, std::vector<bool>({true, false}));
    EXPECT_FALSE(scheduler().inCycle());

    fake.play();
    EXPECT_EQ(port.statuses,
              QStringList({"Ouverture du port", "Connexion du périphérique", "Début d'authentification",
                           "Négocation ok", "Connecté"}));
    EXPECT_TRUE(scheduler().inCycle());
    EXPECT_TRUE(window.commBar);
    EXPECT_EQ(minutesAgo(scheduler().ConnectTime, now()), "1.000");
    EXPECT_TRUE(port.closed);
    EXPECT_TRUE(engine->updateCheck().started());
    // The window goes, its menu comes back, the line stays up.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !port.session; }, 2000));
    EXPECT_EQ(port.endButtonMenu.back(), true);
    EXPECT_TRUE(fake.hungUp.isEmpty());
    EXPECT_EQ(fake.active.size(), 1);
}

TEST_F(DownloadEngineTest, ALineAlreadyUpIsUsedWithoutDiallingOrTimeLimits)
{
    fake.active = {FakeDialUp::link("Orange")};
    engine->startCommand();
    EXPECT_FALSE(port.session);
    EXPECT_TRUE(scheduler().inCycle());
    EXPECT_EQ(scheduler().ConnectTime, 0);
    EXPECT_EQ(window.global[1], "Orange - ppp0 - Connecté");

    scheduler().EndCycle();
    EXPECT_EQ(window.endHint, "Connexion terminée");
    EXPECT_TRUE(window.startHint.startsWith("Dernière connexion :\n"));
}

TEST_F(DownloadEngineTest, AFailedDialEndsTheCycleAndTheWindowGoesAfterAPause)
{
    fake.script = {{rsOpenPort}, {rsConnectDevice}, {rsConnectDevice, deNoAnswer}};
    engine->startCommand();
    fake.play();
    EXPECT_FALSE(scheduler().inCycle());
    EXPECT_EQ(window.cyclesEnded, 1);
    EXPECT_EQ(window.endHint, "Connexion terminée");
    EXPECT_EQ(port.statuses.mid(2), QStringList({"Pas de réponse.", "Non connecté Pas de réponse."}));
    // Long enough to be read.
    EXPECT_FALSE(port.closed);
    ASSERT_TRUE(QTest::qWaitFor([this] { return port.closed; }, 3000));
}

TEST_F(DownloadEngineTest, CancellingHangsUpEndsTheCycleAndCloses)
{
    engine->startCommand();
    ASSERT_TRUE(fake.step());
    port.session->cancel();
    EXPECT_EQ(fake.hungUp, QStringList({"own:Orange"}));
    EXPECT_EQ(port.statuses.last(), "Raccroché");
    EXPECT_EQ(window.cyclesEnded, 1);
    // The rest of the dial is never heard of.
    fake.play();
    EXPECT_FALSE(scheduler().inCycle());
    ASSERT_TRUE(QTest::qWaitFor([this] { return port.closed; }, 3000));
}

TEST_F(DownloadEngineTest, WithoutAUsableEntryTheUserIsAskedToChooseOne)
{
    opt.ConnectEntry = "Ancien modem";
    port.answer = "Free";
    prompt.setNextAnswer(UserPrompt::Ok);
    engine->startCommand();
    EXPECT_EQ(prompt.texts(),
              QStringList({"Avant de pouvoir vous connecter avec Glanix,\rvous devez indiquer "
                           "la connexion à utiliser."}));
    EXPECT_EQ(port.offered, QStringList({"Orange", "Free"}));
    EXPECT_EQ(opt.ConnectEntry, "Free");
    EXPECT_EQ(engine->dialUp()->Entry, "Free");
    EXPECT_EQ(fake.dialled, QStringList({"Free"}));

    // Choosing nothing leaves the window saying so, and nothing is dialled.
    port.session.reset();
    fake.dialled.clear();
    opt.ConnectEntry.clear();
    port.answer.reset();
    prompt.setNextAnswer(UserPrompt::Ok);
    engine->startCommand();
    EXPECT_EQ(port.statuses.last(), "Pas d'entrée sélectionnée");
    EXPECT_TRUE(fake.dialled.isEmpty());

    // A phone book of one entry needs no choice.
    port.session.reset();
    fake.entries = {{"Seul", "gsm"}};
    engine->startCommand();
    EXPECT_EQ(fake.dialled, QStringList({"Seul"}));
    EXPECT_TRUE(prompt.allAnswered());
}

TEST_F(DownloadEngineTest, TheLastMinuteStartsNothingAndTheLimitHangsUp)
{
    opt.HangUpWhenFinished = true;
    opt.HangUpAfter = 3.0 / 24;
    connect();
    CycleStatus& status = scheduler().status();
    home.clock().advanceSeconds(3 * 3600 - 2 * 60 - 1);
    status.TimerStatusTimer();
    EXPECT_TRUE(scheduler().launching());

    home.clock().advanceSeconds(2);
    status.TimerStatusTimer();
    EXPECT_FALSE(scheduler().launching());
    EXPECT_TRUE(scheduler().inCycle());
    EXPECT_TRUE(fake.hungUp.isEmpty());

    home.clock().advanceSeconds(60);
    status.TimerStatusTimer();
    EXPECT_FALSE(scheduler().inCycle());
    EXPECT_EQ(fake.hungUp, QStringList({"/active/Orange"}));
    EXPECT_EQ(window.global[1], "Raccroché");
    EXPECT_EQ(window.endHint, "Durée de la dernière connection : 180 minutes");
}

TEST_F(DownloadEngineTest, NoLimitWhenTheLineIsNotHungUpAtTheEnd)
{
    opt.HangUpWhenFinished = false;
    opt.HangUpAfter = 3.0 / 24;
    connect();
    home.clock().advanceSeconds(5 * 3600);
    scheduler().status().TimerStatusTimer();
    EXPECT_TRUE(scheduler().launching());
    EXPECT_TRUE(fake.hungUp.isEmpty());
}

TEST_F(DownloadEngineTest, TheEndButtonTellsHowLongTheLineHasBeenUp)
{
    connect();
    engine->endButtonHover();
    EXPECT_EQ(window.endHint, "Connecté depuis 1 minute");
    home.clock().advanceSeconds(60);
    engine->endButtonHover();
    EXPECT_EQ(window.endHint, "Connecté depuis 2 minutes");
}

TEST_F(DownloadEngineTest, TheCycleStaysOpenUntilTheMinimumConnectionTime)
{
    opt.DoNotHangUpBefore = 3.0 / 1440;
    connect();
    scheduler().TimerCheckURLTimer();
    EXPECT_TRUE(scheduler().inCycle());
    home.clock().advanceSeconds(2 * 60 + 1);
    scheduler().TimerCheckURLTimer();
    EXPECT_FALSE(scheduler().inCycle());
}

TEST_F(DownloadEngineTest, HangingUpNowEndsTheCycleAndEveryLine)
{
    fake.active = {FakeDialUp::link("Orange"), FakeDialUp::link("Free")};
    engine->startCommand();
    ASSERT_TRUE(scheduler().inCycle());
    EXPECT_TRUE(engine->connectionActive());
    engine->hangUpNow();
    EXPECT_FALSE(scheduler().inCycle());
    EXPECT_EQ(fake.hungUp, QStringList({"/active/Orange", "/active/Free"}));
    EXPECT_FALSE(engine->connectionActive());

    // On the local network nothing is ever hung up.
    opt.ConnectByModem = false;
    fake.active = {FakeDialUp::link("Orange")};
    fake.hungUp.clear();
    EXPECT_FALSE(engine->connectionActive());
    engine->startCommand();
    engine->hangUpNow();
    EXPECT_TRUE(fake.hungUp.isEmpty());
}

TEST_F(DownloadEngineTest, ErrorsOfTheServiceEndTheCycleWithTheirText)
{
    fake.active = {FakeDialUp::link("Orange")};
    engine->startCommand();
    fake.listError = deServiceUnavailable;
    EXPECT_FALSE(engine->connectionActive());
    EXPECT_FALSE(scheduler().inCycle());
    EXPECT_EQ(window.global[1], TDialUp::errorText(deServiceUnavailable, French));
}

TEST_F(DownloadEngineTest, TheUnattendedRunEndsByItselfAndKeepsTheUsersChoice)
{
    opt.ConnectByModem = false;
    opt.KeepReady = true;
    engine->startUnattended();
    EXPECT_TRUE(scheduler().inCycle());
    EXPECT_FALSE(opt.KeepReady);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !scheduler().inCycle(); }, 5000));
    EXPECT_TRUE(opt.KeepReady);
    EXPECT_EQ(port.optionsChanges, 2);
    EXPECT_EQ(report, "Vérifiés 0 - Nouveaux 0 - Modifiés 0\nTotal 0Ko\n");

    // Not unattended any more: the next cycle follows KeepReady.
    engine->startCommand();
    QTest::qWait(600);
    EXPECT_TRUE(scheduler().inCycle());
}

TEST_F(DownloadEngineTest, ClosingDuringTheUnattendedRunKeepsTheUsersChoice)
{
    opt.ConnectByModem = false;
    opt.KeepReady = true;
    opt.HangUpAfter = 0;
    fake.active.clear();
    engine->startUnattended();
    engine->shutdown();
    EXPECT_TRUE(opt.KeepReady);
}

} // namespace
