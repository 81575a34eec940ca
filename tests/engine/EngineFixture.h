#pragma once

#include "agents/AgentFile.h"
#include "store/NextCheck.h"
#include "config/OptGene.h"
#include "config/UserPrompt.h"
#include "engine/CycleStatus.h"
#include "engine/Scheduler.h"
#include "engine/TThreadDownLoad.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

// A download engine on a temporary home and a loopback server. The fake clock starts at the
// real time (the server's dates are real) and runs 50 times faster than the wall clock, so
// that "verified since the cycle started" holds as it would with a real clock; tests that
// need a precise time stop it.
namespace glanix::test {

class RecordingView final : public EngineView {
public:
    std::vector<DownloadReport> reports;
    std::map<int, QString> panels;
    QString hint;
    bool barVisible = false;

    void downloadEnded(const DownloadReport& report) override { reports.push_back(report); }

    void setCommPanel(int panel, const QString& text) override { panels[panel] = text; }

    void setCommHint(const QString& text) override { hint = text; }

    void setCommBarVisible(bool visible) override { barVisible = visible; }

    int count(DownloadReport::Outcome outcome) const
    {
        return static_cast<int>(std::count_if(reports.begin(), reports.end(),
                                              [&](const DownloadReport& r) { return r.outcome == outcome; }));
    }
};

class RecordingPrompt final : public UserPrompt {
public:
    QStringList messages;

    Button ask(Icon, const QString& text, unsigned, Button defaultButton) override
    {
        messages << text;
        return defaultButton;
    }

    bool confirm(const QString&, const std::function<void(bool)>&) override { return false; }
};

struct EngineFixture : ::testing::Test {
    TempHome home;
    TestServer server;
    QString site = home.file(QStringLiteral("site/"));
    TOptGene opt;
    RecordingView view;
    RecordingPrompt prompt;
    std::unique_ptr<ElementStore> store;
    std::unique_ptr<Scheduler> scheduler;
    FreeSpaceProbe freeSpace;
    QTimer clockTimer;

    EngineFixture()
    {
        home.clock().set(QDateTime::currentDateTime());
        QDir().mkpath(site);
        server.serveFolder(site);
        opt.KeepReady = false;
        opt.NbMaxDownLoads = 20;
        clockTimer.setInterval(20);
        QObject::connect(&clockTimer, &QTimer::timeout, [this] { home.clock().advanceSeconds(1); });
        clockTimer.start();
    }

    ~EngineFixture() override
    {
        scheduler.reset();
        store.reset();
    }

    // A file of the served site, with its modification time `age` seconds in the past.
    void page(const QString& path, const QByteArray& content, int age = 3600)
    {
        const QString file = site + path;
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
        f.flush();
        f.setFileTime(QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime);
    }

    Env& env() { return home.env(); }

    // Opens the agent built on disk (the store and scheduler are made on first use).
    TElement* open(const AgentBuilder& agent)
    {
        if (!store)
            store = std::make_unique<ElementStore>(env());
        QString error;
        TElement* e = openAgent(*store, agent.agentFile(), {}, &error);
        EXPECT_NE(e, nullptr) << error.toStdString();
        return e;
    }

    // An agent "Veille" holding the addresses, each checked at every cycle.
    TElement* agentWith(const std::vector<std::pair<QString, QString>>& addresses, int depth = 0)
    {
        AgentBuilder builder(home.path(), QStringLiteral("Veille"));
        for (const auto& [name, url] : addresses)
            builder.address({}, StoredDoc {.name = name, .url = url});
        TElement* agent = open(builder);
        agent->SetFrequency(0);
        for (int i = 0; i < agent->Node()->childCount(); ++i)
            agent->Node()->child(i)->element()->SetDownLoadLinksDepth(depth);
        return agent;
    }

    Scheduler& engine()
    {
        if (!store)
            store = std::make_unique<ElementStore>(env());
        if (!scheduler) {
            EngineContext context {*store, opt};
            context.view = &view;
            context.prompt = &prompt;
            context.nextCheck = [](const TElement& e) { return nextCheckTime(e); };
            context.freeSpace = freeSpace;
            scheduler = std::make_unique<Scheduler>(context);
        }
        return *scheduler;
    }

    // Runs one cycle from the start command to its end; false when it did not end in time.
    bool runCycle(int timeoutMs = 20000)
    {
        view.reports.clear();
        Scheduler& s = engine();
        QEventLoop loop;
        QObject::connect(&s, &Scheduler::cycleEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        s.startCommand();
        if (s.inCycle())
            loop.exec();
        return !s.inCycle();
    }

    // Lets the event loop run until `done` holds; false on time-out.
    static bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!done()) {
            if (t.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }

    // The element of that address among the open agents.
    TElement* find(const QString& url) const
    {
        TreeNode* n = store->FindElementByURL(url);
        if (n)
            return n->element();
        for (TElement* e = store->ElementsWithExt().first(); e; e = ElementList::next(e)) {
            if (TElement* image = e->FindImageByURL(url))
                return image;
        }
        return nullptr;
    }

    // Temporary files left anywhere in the home (an interrupted or refused write).
    QStringList leftovers() const
    {
        QStringList out;
        QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (QFileInfo(path).fileName().startsWith(u".glanix-"))
                out << path;
        }
        return out;
    }

    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

} // namespace glanix::test
