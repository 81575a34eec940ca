#include "tests/engine/EngineFixture.h"

#include <QThread>
#include <condition_variable>
#include <mutex>

using namespace glanix;
using namespace glanix::test;

namespace {

// Counts the requests the server is answering at the same moment.
struct Concurrency {
    std::atomic<int> now = 0;
    std::atomic<int> most = 0;

    Handler slow(int ms)
    {
        return [this, ms](const RecordedRequest&) {
            const int n = ++now;
            for (int m = most; n > m && !most.compare_exchange_weak(m, n);) { }
            QThread::msleep(static_cast<unsigned long>(ms));
            --now;
            return Reply::text(200, "<html>lent</html>");
        };
    }
};

struct SchedulerTest : EngineFixture {
    std::vector<std::pair<QString, QString>> slowAddresses(Concurrency& c, int count, int ms)
    {
        std::vector<std::pair<QString, QString>> list;
        for (int i = 0; i < count; ++i) {
            const QByteArray path = "/slow" + QByteArray::number(i);
            server.on(path, c.slow(ms));
            list.push_back({QStringLiteral("Lent%1").arg(i), server.url(QString::fromLatin1(path))});
        }
        return list;
    }
};

// Answers held until opened.
struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::atomic<int> waiting = 0;

    Handler handler()
    {
        return [this](const RecordedRequest&) {
            ++waiting;
            std::unique_lock lock(mutex);
            opened.wait(lock, [&] { return open; });
            return Reply::text(200, "x", "text/plain");
        };
    }

    void release()
    {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        opened.notify_all();
    }
};

// Runs only the download threads' own steps (no tick, no end-of-thread handling) until
// `until` holds.
bool runThreadSteps(Scheduler& s, const std::function<bool()>& until)
{
    QElapsedTimer t;
    t.start();
    while (!until() && t.elapsed() < 10000) {
        for (TThreadDownLoad* thread : s.Threads())
            QCoreApplication::sendPostedEvents(thread, QEvent::MetaCall);
        QThread::msleep(1);
    }
    return until();
}

bool allFinished(const Scheduler& s)
{
    return std::all_of(s.Threads().begin(), s.Threads().end(),
                       [](TThreadDownLoad* t) { return t->isFinished(); });
}

// One element, no tree, no network: the refresh policies against a stopped clock.
struct Policy : EngineFixture {
    TElement* e = nullptr;

    void SetUp() override
    {
        clockTimer.stop();
        home.clock().set(QDateTime(QDate(2026, 3, 14), QTime(12, 0)));
        TElement* agent = agentWith({{QStringLiteral("Page"), QStringLiteral("http://example.invalid/")}});
        e = agent->Node()->firstChild()->element();
        e->Complete = true;
    }

    TDateTime now() { return env().now(); }
};

} // namespace

TEST_F(Policy, ScheduledAfterModificationThenEveryPeriod)
{
    e->SetFrequency(3.07);
    e->LastModified = now() - 2.9;
    e->LastVerified = now() - 30;
    EXPECT_FALSE(engine().IsURLToVerify(*e)); // within 3 days of the change
    e->LastModified = now() - 3.1;
    e->LastVerified = now() - 6.9;
    EXPECT_FALSE(engine().IsURLToVerify(*e));
    e->LastVerified = now() - 7.1;
    EXPECT_TRUE(engine().IsURLToVerify(*e));
}

TEST_F(Policy, OnceSystematicAutomaticAndOnlyIfRead)
{
    e->SetFrequency(-3);
    e->LastModified = now() - 10;
    e->LastVerified = now() - 10;
    EXPECT_FALSE(engine().IsURLToVerify(*e));
    e->LastVerified = 0;
    EXPECT_TRUE(engine().IsURLToVerify(*e));

    e->SetFrequency(0);
    e->LastVerified = now();
    EXPECT_TRUE(engine().IsURLToVerify(*e));

    // Changed a day ago, the time before eleven days ago: next check 6.6 days after the
    // change, two hours early.
    e->SetFrequency(-1);
    e->LastModified = now() - 1;
    e->BeforeLastModified = now() - 11;
    e->LastVerified = now() - 1.0 / 24;
    EXPECT_FALSE(engine().IsURLToVerify(*e));
    home.clock().advanceDays(5.6);
    EXPECT_TRUE(engine().IsURLToVerify(*e));

    e->SetFrequency(-2);
    e->State = stateUnread;
    EXPECT_FALSE(engine().IsURLToVerify(*e)); // not read yet
    e->State = stateRead;
    EXPECT_TRUE(engine().IsURLToVerify(*e));

    e->Complete = false;
    e->SetFrequency(-3);
    EXPECT_TRUE(engine().IsURLToVerify(*e)); // incomplete: always due

    e->Complete = true;
    e->SetFrequency(-7);
    EXPECT_FALSE(engine().IsURLToVerify(*e));
    EXPECT_TRUE(env().errorLogged());
}

TEST_F(SchedulerTest, OneDownloadAtATimeWithOnePlace)
{
    Concurrency c;
    agentWith(slowAddresses(c, 4, 40));
    opt.NbMaxDownLoads = 1;
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(c.most, 1);
    EXPECT_EQ(scheduler->NbVerified, 4);
    // The places kept for new addresses do not keep verified ones from their check.
    server.clearRequests();
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(c.most, 1);
    EXPECT_EQ(scheduler->NbVerified, 4);
    EXPECT_EQ(server.count("HEAD"), 4);
}

TEST_F(SchedulerTest, RecheckReachesEveryElementWhenDownloadsEndTogether)
{
    // Verified elements wait while the places kept for new addresses are taken. A walk that
    // found nothing but such waiting elements must not let the cycle end when the running
    // downloads happen to finish before the next walk.
    Gate gate;
    server.on("/gate", gate.handler());
    std::vector<std::pair<QString, QString>> addresses;
    for (int i = 0; i < 6; ++i)
        addresses.push_back({QStringLiteral("Vu%1").arg(i), server.url(QStringLiteral("/gate?%1").arg(i))});
    TElement* agent = agentWith(addresses);
    for (int i = 0; i < agent->Node()->childCount(); ++i)
        agent->Node()->child(i)->element()->LastVerified = env().now() - 1;
    opt.NbMaxDownLoads = 4;
    Scheduler& s = engine();
    s.startCommand();
    home.clock().advanceSeconds(1);
    s.TimerCheckURLTimer();
    ASSERT_EQ(s.Threads().size(), 2u);
    ASSERT_TRUE(runThreadSteps(s, [&] { return gate.waiting == 2; }));
    gate.release();
    ASSERT_TRUE(runThreadSteps(s, [&] { return allFinished(s); }));
    ASSERT_TRUE(waitFor([&] { return !s.inCycle(); }));
    EXPECT_EQ(s.NbVerified, 6);
    EXPECT_EQ(server.count("HEAD"), 6);
}

TEST_F(SchedulerTest, DownloadsEndingDuringAWalkDoNotStallTheCycle)
{
    // The walk that passes over the waiting elements lets events run, and the running
    // downloads end meanwhile, after it passed the last due element (ftp addresses follow,
    // never due). Nothing runs when it is over, and yet elements are due: the cycle goes on.
    Gate gate;
    server.on("/gate", gate.handler());
    std::vector<std::pair<QString, QString>> addresses;
    for (int i = 0; i < 6; ++i)
        addresses.push_back({QStringLiteral("A%1").arg(i), server.url(QStringLiteral("/gate?%1").arg(i))});
    for (int i = 0; i < 100; ++i)
        addresses.push_back({QStringLiteral("Z%1").arg(i, 3, 10, QLatin1Char('0')),
                             QStringLiteral("ftp://127.0.0.1/%1").arg(i)});
    TElement* agent = agentWith(addresses);
    for (int i = 0; i < agent->Node()->childCount(); ++i)
        agent->Node()->child(i)->element()->LastVerified = env().now() - 1;
    opt.NbMaxDownLoads = 4;
    Scheduler& s = engine();
    s.startCommand();
    home.clock().advanceSeconds(1);
    bool endedDuringTheWalk = false;
    QTimer::singleShot(0, [&] {
        if (s.Threads().size() != 2 || !runThreadSteps(s, [&] { return gate.waiting == 2; }))
            return;
        gate.release();
        endedDuringTheWalk = runThreadSteps(s, [&] { return allFinished(s); });
    });
    s.TimerCheckURLTimer();
    ASSERT_TRUE(endedDuringTheWalk);
    ASSERT_TRUE(waitFor([&] { return !s.inCycle(); }));
    EXPECT_EQ(s.NbVerified, 6);
}

TEST_F(SchedulerTest, ManyDownloadsStartWithinOneTick)
{
    // One start per 200 ms tick would never have two of these 150 ms answers at once.
    Concurrency c;
    agentWith(slowAddresses(c, 12, 150));
    ASSERT_TRUE(runCycle());
    EXPECT_GE(c.most, 8);
    EXPECT_EQ(scheduler->NbVerified, 12);
}

TEST_F(SchedulerTest, VerifiedElementIsNotFetchedTwiceInACycle)
{
    page("p.html", "<a href=\"p.html\">moi</a><a href=\"q.html\">q</a>");
    page("q.html", "<a href=\"p.html\">p</a>");
    agentWith(
        {{QStringLiteral("P"), server.url("/p.html")}, {QStringLiteral("P bis"), server.url("/p.html")}}, 3);
    ASSERT_TRUE(runCycle());
    EXPECT_EQ(server.count("HEAD", "/q.html"), 1);
    // Two addresses of the same document are two elements; each is fetched once.
    EXPECT_EQ(server.count("HEAD", "/p.html"), 2);
}

TEST_F(SchedulerTest, KeepReadyKeepsTheCycleOpenUntilEnded)
{
    page("p.html", "<html>p</html>");
    agentWith({{QStringLiteral("P"), server.url("/p.html")}});
    opt.KeepReady = true;
    Scheduler& s = engine();
    s.startCommand();
    ASSERT_TRUE(waitFor([&] { return s.NbVerified == 1; }));
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(waitFor([&] { return t.elapsed() > 700; }));
    EXPECT_TRUE(s.inCycle());
    EXPECT_TRUE(s.launching());
    // Looked for again at each tick: a new address is fetched in the same cycle.
    page("q.html", "<html>q</html>");
    AgentBuilder more(home.path(), QStringLiteral("Autre"));
    more.address({}, StoredDoc {.name = QStringLiteral("Q"), .url = server.url("/q.html")});
    open(more)->SetFrequency(0);
    ASSERT_TRUE(waitFor([&] { return s.NbVerified == 2; }));
    s.EndCycle();
    EXPECT_FALSE(s.inCycle());
    EXPECT_FALSE(view.barVisible);
}

TEST_F(SchedulerTest, SilentServerIsInterruptedAndRestartedOnce)
{
    std::atomic<int> gets = 0;
    server.on("/stall", [&](const RecordedRequest& r) {
        Reply reply = Reply::text(200, QByteArray(5000, 's'));
        if (r.method == "GET") {
            ++gets;
            reply.stallAfter = 300;
        }
        return reply;
    });
    agentWith({{QStringLiteral("Muet"), server.url("/stall")}});
    opt.TimeOut = 30;
    opt.TimeOutByPage = 0;
    Scheduler& s = engine();
    clockTimer.stop();
    s.startCommand();
    TElement* e = find(server.url("/stall"));
    ASSERT_TRUE(waitFor([&] { return gets == 1 && s.Running == 1; }));
    QThread::msleep(100);
    home.clock().advanceSeconds(60);
    s.status().TimerTimeOutTimer();
    EXPECT_EQ(e->StatusNumber, -6);
    ASSERT_TRUE(waitFor([&] { return gets == 2 && s.Running == 1; }));
    QThread::msleep(100);
    home.clock().advanceSeconds(60);
    s.status().TimerTimeOutTimer();
    ASSERT_TRUE(waitFor([&] { return s.Running == 0 && s.Threads().empty(); }));
    home.clock().advanceSeconds(1);
    ASSERT_TRUE(waitFor([&] { return !s.inCycle(); }));
    EXPECT_EQ(gets, 2);
    EXPECT_EQ(e->StatusNumber, -6);
}

TEST_F(SchedulerTest, BandwidthLimitSuspendsAndTheStatusTickResumes)
{
    server.on("/big", [](const RecordedRequest& r) {
        Reply reply = Reply::text(200, QByteArray(200000, 'b'));
        if (r.method == "GET") {
            reply.chunkSize = 20000;
            reply.chunkDelayMs = 5;
        }
        return reply;
    });
    agentWith({{QStringLiteral("Gros"), server.url("/big")}});
    opt.BandWithLimit = 1;
    clockTimer.stop();
    Scheduler& s = engine();
    s.startCommand();
    home.clock().advanceSeconds(1);
    ASSERT_TRUE(waitFor([&] { return !s.Threads().empty() && s.Threads().front()->isSuspended(); }));
    TThreadDownLoad* t = s.Threads().front();
    // Still above the limit: the tick leaves it suspended.
    s.status().TimerStatusTimer();
    EXPECT_TRUE(t->isSuspended());
    // An hour later the cycle's average is far below 1 Ko/s.
    home.clock().advanceSeconds(3600);
    s.status().TimerStatusTimer();
    EXPECT_FALSE(t->isSuspended());
    ASSERT_TRUE(waitFor([&] { return s.Threads().empty(); }));
    EXPECT_EQ(find(server.url("/big"))->Size, 200000);
    EXPECT_EQ(s.BytesThisCycle, 200000);
}

TEST_F(SchedulerTest, LowDiskSpaceStopsNewDownloads)
{
    std::atomic<qint64> free = qint64(500) << 20;
    freeSpace = [&](const QString&) { return free.load(); };
    Concurrency c;
    agentWith(slowAddresses(c, 3, 300));
    opt.NbMaxDownLoads = 1;
    Scheduler& s = engine();
    s.startCommand();
    ASSERT_TRUE(waitFor([&] { return s.Running == 1; }));
    free = qint64(5) << 20;
    s.status().TimerTimeOutTimer();
    EXPECT_FALSE(s.launching());
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages.front().startsWith(u"La place disponible sur le disque "));
    EXPECT_TRUE(prompt.messages.front().contains(u": est inférieure à 10 Mo\nVeuillez libérer"));
    // The running download goes on; no other starts, and the cycle ends with it.
    ASSERT_TRUE(waitFor([&] { return s.Running == 0; }));
    QElapsedTimer t;
    t.start();
    waitFor([&] { return t.elapsed() > 500; });
    EXPECT_EQ(s.NbVerified, 1);
    EXPECT_FALSE(s.inCycle());
}

TEST_F(SchedulerTest, InterruptingOneElementAndEverything)
{
    std::atomic<int> gets = 0;
    Handler stall = [&](const RecordedRequest& r) {
        Reply reply = Reply::text(200, QByteArray(5000, 's'));
        if (r.method == "GET") {
            ++gets;
            reply.stallAfter = 300;
        }
        return reply;
    };
    for (const char* path : {"/s1", "/s2", "/s3"})
        server.on(path, stall);
    agentWith({{QStringLiteral("Un"), server.url("/s1")},
               {QStringLiteral("Deux"), server.url("/s2")},
               {QStringLiteral("Trois"), server.url("/s3")}});
    Scheduler& s = engine();
    s.startCommand();
    // Each has shown how much of it arrived.
    const auto arrived = [&](const char* path) {
        return find(server.url(QString::fromLatin1(path)))->Node()->text().contains(u" % ");
    };
    ASSERT_TRUE(waitFor([&] { return arrived("/s1") && arrived("/s2") && arrived("/s3"); }));
    TElement* one = find(server.url("/s1"));
    s.interruptElement(one);
    EXPECT_EQ(s.Running, 2);
    EXPECT_FALSE(one->Node()->bold());
    EXPECT_EQ(one->Node()->text(), one->GetName());
    EXPECT_GT(one->LastVerified, s.CycleStart);

    s.interruptAll();
    EXPECT_FALSE(s.inCycle());
    ASSERT_TRUE(waitFor([&] { return s.Threads().empty(); }, 3000));
    EXPECT_EQ(s.Running, 0);
    for (const char* path : {"/s1", "/s2", "/s3"}) {
        TElement* e = find(server.url(QString::fromLatin1(path)));
        EXPECT_FALSE(e->Node()->bold()) << path;
        // What arrived before the interruption is kept to resume, never as a whole copy.
        EXPECT_TRUE(!e->Complete || !QFileInfo::exists(e->GetSavePath())) << path;
    }
}

TEST_F(SchedulerTest, QuittingDuringACycleStopsEveryThreadCleanly)
{
    std::atomic<int> gets = 0;
    server.on("/stall", [&](const RecordedRequest& r) {
        Reply reply = Reply::text(200, QByteArray(50000, 's'));
        if (r.method == "GET") {
            ++gets;
            reply.stallAfter = 2000;
        }
        return reply;
    });
    Concurrency c;
    auto addresses = slowAddresses(c, 6, 200);
    addresses.push_back({QStringLiteral("Muet"), server.url("/stall")});
    agentWith(addresses);
    Scheduler& s = engine();
    s.startCommand();
    ASSERT_TRUE(waitFor([&] { return gets == 1 && c.now > 0; }));
    TElement* muet = find(server.url("/stall"));
    const QByteArray before = read(muet->GetIniFileName());
    QElapsedTimer t;
    t.start();
    scheduler.reset();
    EXPECT_LT(t.elapsed(), 3000);
    // Nothing half-done reached the element.
    EXPECT_EQ(read(muet->GetIniFileName()), before);
    EXPECT_EQ(muet->StatusNumber, 0);
}

TEST_F(SchedulerTest, ChildrenAddedBehindAWalkAreFetchedInTheSameCycle)
{
    // A download that ends while a walk lets events run adds a child at a place the walk has
    // passed (a style sheet bringing what it imports); the walk finds nothing, yet the child
    // is due and must be fetched before the cycle ends.
    Gate gate;
    server.on("/gate", gate.handler());
    page("new.html", "<html>nouveau</html>");
    std::vector<std::pair<QString, QString>> addresses {{QStringLiteral("A"), server.url("/gate")}};
    for (int i = 0; i < 100; ++i)
        addresses.push_back({QStringLiteral("Z%1").arg(i, 3, 10, QLatin1Char('0')),
                             QStringLiteral("ftp://127.0.0.1/%1").arg(i)});
    TElement* agent = agentWith(addresses);
    Scheduler& s = engine();
    s.startCommand();
    home.clock().advanceSeconds(1);
    s.TimerCheckURLTimer();
    ASSERT_TRUE(runThreadSteps(s, [&] { return gate.waiting == 1; }));

    bool added = false;
    QTimer::singleShot(0, [&] {
        auto* child = new TElement(*store);
        child->SetHasExt(true);
        child->Kind = kindAddress;
        child->SetParent(agent);
        child->SetName(QStringLiteral("Nouveau"));
        child->SetURL(server.url("/new.html"));
        child->MakeFolder(QFileInfo(child->GetIniFileName()).path());
        agent->Node()->insertChild(1, child->GetName(), child);
        s.childrenAdded();
        added = true;
    });
    home.clock().advanceSeconds(1);
    s.TimerCheckURLTimer();
    ASSERT_TRUE(added);
    gate.release();
    ASSERT_TRUE(waitFor([&] { return !s.inCycle(); }));
    EXPECT_EQ(server.count("GET", "/new.html"), 1);
}
