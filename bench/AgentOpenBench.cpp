// Opening a large agent: how long until its first two levels are in memory, how long to read
// it all, and how much memory each element takes once read. The agent is made on disk once
// (10 x 10 x 10 nested folders, 100 addresses in each of the 1,000 deepest ones) and kept.
//
//   glanix-agent-bench [--dir FOLDER] [--runs N]
#include "agents/AgentFile.h"
#include "config/Env.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <vector>

namespace {

constexpr int kFanOut = 10;
constexpr int kAddressesPerFolder = 100;

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

// Returns the number of addresses written.
int makeAgent(const QString& home)
{
    const QString favs = home + "Grand/Favs/";
    const QString dl = home + "Grand/DL/";
    QDir().mkpath(favs);
    QDir().mkpath(dl);
    writeFile(home + "Grand.gnx",
              QStringLiteral("[Glanix]\nDirChilds=%1\nSaveFileName=%2\n").arg(favs, dl).toUtf8());
    int count = 0;
    for (int a = 0; a < kFanOut; ++a) {
        for (int b = 0; b < kFanOut; ++b) {
            for (int c = 0; c < kFanOut; ++c) {
                const QString rel
                    = QStringLiteral("Dossier %1/Dossier %1%2/Dossier %1%2%3/").arg(a).arg(b).arg(c);
                QDir().mkpath(favs + rel);
                QDir().mkpath(dl + rel);
                for (int i = 0; i < kAddressesPerFolder; ++i) {
                    const QString name = QStringLiteral("Page %1").arg(i);
                    const QString url = QStringLiteral("http://site%1%2%3.example/dossier/page%4.htm")
                                            .arg(a)
                                            .arg(b)
                                            .arg(c)
                                            .arg(i);
                    writeFile(
                        favs + rel + name + ".url",
                        QStringLiteral("[InternetShortcut]\nURL=%1\n\n[Glanix]\nState=2\nStatusNumber=200\n"
                                       "SaveFileName=page %2.htm\nLastModified=45000,5\nVersions=-1\n"
                                       "DirChilds=page\nContentType=text/html\nSize=1234\n")
                            .arg(url, QString::number(i))
                            .toUtf8());
                    ++count;
                }
            }
        }
    }
    writeFile(home + "Grand/ready", "1");
    return count;
}

size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString folder = QDir::tempPath() + "/glanix-bench-home";
    int runs = 7;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--dir")
            folder = args[++i];
        else if (args[i] == "--runs")
            runs = std::max(1, args[++i].toInt());
    }
    const QString home = QDir(folder).absolutePath() + u'/';
    QDir().mkpath(home);
    if (!QFileInfo::exists(home + "Grand/ready")) {
        std::printf("Making the agent in %s ...\n", qPrintable(home));
        QElapsedTimer t;
        t.start();
        const int n = makeAgent(home);
        std::printf("  %d addresses in %d folders, %.1f s\n", n, kFanOut * kFanOut * kFanOut,
                    t.elapsed() / 1000.0);
    }

    // Opening first, each run in a fresh store: freeing a whole tree of 100,000 elements leaves
    // the allocator with work that would be charged to the next small open.
    std::vector<double> open;
    for (int run = 0; run < runs; ++run) {
        glanix::Env env(home);
        glanix::ElementStore store(env);
        QElapsedTimer t;
        t.start();
        if (!glanix::openAgent(store, home + "Grand.gnx")) {
            std::fprintf(stderr, "cannot open the agent\n");
            return 1;
        }
        open.push_back(t.nsecsElapsed() / 1e6);
    }

    std::vector<double> whole;
    std::vector<double> perElement;
    int elements = 0;
    for (int run = 0; run < std::max(1, runs / 2); ++run) {
        glanix::Env env(home);
        malloc_trim(0);
        const size_t before = heapInUse();
        glanix::ElementStore store(env);
        glanix::TElement* agent = glanix::openAgent(store, home + "Grand.gnx");
        QElapsedTimer t;
        t.start();
        agent->LoadChildren(1000);
        whole.push_back(t.nsecsElapsed() / 1e6);
        elements = 0;
        for (glanix::TreeNode* n = agent->Node(); n; n = n->next())
            ++elements;
        perElement.push_back(double(heapInUse() - before) / elements);
    }
    std::printf("elements read: %d (agent, %d folders, %d addresses)\n", elements, 1110,
                kFanOut * kFanOut * kFanOut * kAddressesPerFolder);
    std::printf("open to two levels in memory: median %.2f ms over %d runs\n", median(open), runs);
    std::printf("whole tree read:              median %.0f ms over %d runs\n", median(whole),
                int(whole.size()));
    std::printf("memory per element:           median %.0f bytes\n", median(perElement));
    return 0;
}
