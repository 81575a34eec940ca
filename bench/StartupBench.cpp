// How long the main window takes to start and to quit, offscreen:
//   - a very first start in an empty home (default folders installed, three agent files, the
//     desktop entry, "Agent de Base" opened);
//   - a start that reopens an agent of 10,000 addresses in 20 folders, against opening the
//     same agent file alone in a bare element store (what the window adds: widgets, model,
//     settings, start-up sequence);
//   - quitting with that agent open (settings, history and tool bars saved, elements freed).
//
//   glanix-startup-bench [--runs N]
#include "agents/AgentFile.h"
#include "agents/MainController.h"
#include "config/Env.h"
#include "store/ElementStore.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kFolders = 20;
constexpr int kAddressesPerFolder = 500;

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

void makeAgent(const QString& home)
{
    const QString favs = home + "Grand/Favs/";
    const QString dl = home + "Grand/DL/";
    writeFile(home + "Grand.gnx",
              QStringLiteral("[Glanix]\nDirChilds=%1\nSaveFileName=%2\n").arg(favs, dl).toUtf8());
    writeFile(dl + "GlanixDefault.ini", "[Glanix]\nFrequency=-1\n");
    for (int f = 0; f < kFolders; ++f) {
        QDir().mkpath(dl + QStringLiteral("Rubrique %1").arg(f));
        for (int i = 0; i < kAddressesPerFolder; ++i)
            writeFile(favs + QStringLiteral("Rubrique %1/Page %2.url").arg(f).arg(i),
                      QStringLiteral("[InternetShortcut]\nURL=http://site%1.example/page%2.htm\n\n[Glanix]\n"
                                     "State=2\nStatusNumber=200\nLastModified=45000,5\n")
                          .arg(f)
                          .arg(i)
                          .toUtf8());
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

glanix::MainServices services(const QString& home, const QString& applications)
{
    glanix::MainServices s;
    s.home = home;
    s.applicationsDir = applications;
    s.launchCommand = {QStringLiteral("/usr/bin/glanix")};
    return s;
}

// Shows the window and returns the milliseconds until its start-up sequence ended.
double startWindow(glanix::TForm1& window)
{
    QElapsedTimer timer;
    timer.start();
    window.show();
    if (!QTest::qWaitFor([&] { return !window.controller().starting(); }, 600000))
        std::fprintf(stderr, "Le démarrage ne s'est pas terminé\n");
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 5;
    const QStringList args = QApplication::arguments();
    if (const qsizetype i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = std::max(1, args[i + 1].toInt());

    QTemporaryDir applications;
    std::vector<double> first, reopen, bare, quit;
    for (int r = 0; r < runs; ++r) {
        QTemporaryDir dir;
        const QString home = dir.path() + '/';
        writeFile(home + "Glanix.ini", "[General]\nConnectByModem=0\n");
        glanix::TForm1 window(services(home, applications.path()));
        first.push_back(startWindow(window));
        window.close();
    }

    QTemporaryDir big;
    const QString home = big.path() + '/';
    makeAgent(home);
    for (int r = 0; r < runs; ++r) {
        {
            glanix::Env env(home);
            glanix::ElementStore store(env);
            QElapsedTimer timer;
            timer.start();
            glanix::openAgent(store, home + "Grand.gnx");
            bare.push_back(timer.nsecsElapsed() / 1e6);
        }
        writeFile(home + "Glanix.ini", "[General]\nConnectByModem=0\n[OpenedAgents]\nAgent1=Grand\n");
        glanix::TForm1 window(services(home, applications.path()));
        reopen.push_back(startWindow(window));
        QElapsedTimer timer;
        timer.start();
        window.close();
        quit.push_back(timer.nsecsElapsed() / 1e6);
    }

    std::printf("Médianes sur %d essais (millisecondes)\n", runs);
    std::printf("  premier démarrage (dossier vide)           %8.1f\n", median(first));
    std::printf("  agent de %d adresses : fenêtre           %8.1f\n", kFolders * kAddressesPerFolder,
                median(reopen));
    std::printf("  même agent ouvert seul (sans fenêtre)      %8.1f\n", median(bare));
    std::printf("  rapport fenêtre / agent seul               %8.2f\n", median(reopen) / median(bare));
    std::printf("  fermeture avec l'agent ouvert              %8.1f\n", median(quit));
    return 0;
}
