// What the main window costs a download cycle: the same cycle (N new pages on the loopback test
// server, NbMaxDownLoads 20) run by the scheduler alone, as glanix-cli update runs it, and by
// the real main window offscreen, with its status bars, bold nodes, progress texts, tree model
// and status ticks. Each run starts from a fresh home.
//
//   glanix-cycle-bench [--pages N] [--runs R]
#include "agents/AgentFile.h"
#include "agents/DownloadEngine.h"
#include "store/NextCheck.h"
#include "config/Env.h"
#include "config/OptGene.h"
#include "engine/Scheduler.h"
#include "store/ElementStore.h"
#include "tests/support/AgentBuilder.h"
#include "tests/support/TestServer.h"
#include "ui/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using glanix::test::AgentBuilder;
using glanix::test::StoredDoc;
using glanix::test::TestServer;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QByteArray pageBody(int i)
{
    QByteArray body = "<html><head><title>Page " + QByteArray::number(i) + "</title></head><body>";
    while (body.size() < 8000)
        body += "<p>Un paragraphe de texte qui change parfois, numéro " + QByteArray::number(i) + ".</p>\n";
    return body + "</body></html>";
}

// A fresh home holding the agent "Bench" with every page to fetch.
void makeHome(const QString& home, const TestServer& server, int pages)
{
    AgentBuilder agent(home, QStringLiteral("Bench"));
    for (int i = 0; i < pages; ++i)
        agent.address({},
                      StoredDoc {.name = QStringLiteral("Page %1").arg(i),
                                 .url = server.url(QStringLiteral("/p%1.html").arg(i)),
                                 .complete = false});
    QFile ini(home + "Glanix.ini");
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[OpenedAgents]\nAgent1=Bench\n[General]\nConnectByModem=0\nKeepReady=0\nSeeImages=0\n");
}

double headless(const QString& home)
{
    glanix::Env env(home);
    glanix::ElementStore store(env);
    glanix::openAgent(store, home + "Bench.gnx");
    glanix::TOptGene opt;
    opt.KeepReady = false;
    glanix::EngineContext context {store, opt};
    context.nextCheck = [](const glanix::TElement& e) { return glanix::nextCheckTime(e); };
    glanix::Scheduler scheduler(context);
    QEventLoop loop;
    QObject::connect(&scheduler, &glanix::Scheduler::cycleEnded, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    scheduler.startCommand();
    if (scheduler.inCycle())
        loop.exec();
    return timer.nsecsElapsed() / 1e6;
}

double windowed(const QString& home, const QString& applications)
{
    glanix::MainServices services;
    services.home = home;
    services.applicationsDir = applications;
    services.launchCommand = {QStringLiteral("/usr/bin/glanix")};
    glanix::TForm1 window(services);
    window.show();
    if (!QTest::qWaitFor([&] { return !window.controller().starting(); }, 600000))
        std::fprintf(stderr, "Le démarrage ne s'est pas terminé\n");
    // An event loop of its own, as the application's: QTest::qWaitFor sleeps between its
    // rounds, which would hold up every download that waits for the window.
    glanix::Scheduler& scheduler = window.engine()->scheduler();
    QEventLoop loop;
    QObject::connect(&scheduler, &glanix::Scheduler::cycleEnded, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    window.findChild<QAction*>(QStringLiteral("MenuConnecter"))->trigger();
    if (scheduler.inCycle())
        loop.exec();
    const double ms = timer.nsecsElapsed() / 1e6;
    window.close();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int pages = 500;
    int runs = 5;
    const QStringList args = QApplication::arguments();
    if (const qsizetype i = args.indexOf("--pages"); i > 0 && i + 1 < args.size())
        pages = std::max(1, args[i + 1].toInt());
    if (const qsizetype i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());

    TestServer server;
    for (int i = 0; i < pages; ++i)
        server.setDocument(QStringLiteral("/p%1.html").arg(i).toUtf8(), {.body = pageBody(i)});
    QTemporaryDir applications;
    std::vector<double> alone, window;
    for (int r = 0; r < runs; ++r) {
        {
            QTemporaryDir dir;
            makeHome(dir.path() + '/', server, pages);
            alone.push_back(headless(dir.path() + '/'));
        }
        QTemporaryDir dir;
        makeHome(dir.path() + '/', server, pages);
        window.push_back(windowed(dir.path() + '/', applications.path()));
    }
    std::printf("Cycle de %d pages nouvelles, médianes sur %d essais\n", pages, runs);
    std::printf("  ordonnanceur seul      %9.1f ms  %7.1f pages/s\n", median(alone),
                pages * 1000 / median(alone));
    std::printf("  fenêtre principale     %9.1f ms  %7.1f pages/s\n", median(window),
                pages * 1000 / median(window));
    std::printf("  rapport fenêtre / seul %9.2f\n", median(window) / median(alone));
    return 0;
}
