// Reading an element file that holds many image sections (a page with thousands of images):
// the time must grow with the number of sections, not with its square.
//
//   glanix-images-bench [--dir FOLDER] [--counts 10000,20000,40000] [--runs N]
#include "agents/AgentFile.h"
#include "config/Env.h"
#include "store/ElementStore.h"
#include "store/TElement.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

// An agent "Images" holding one address whose element file has `count` image sections.
void makeAgent(const QString& home, int count)
{
    QDir(home + "Images").removeRecursively();
    const QString favs = home + "Images/Favs/";
    const QString dl = home + "Images/DL/";
    QDir().mkpath(favs);
    QDir().mkpath(dl);
    writeFile(home + "Images.gnx",
              QStringLiteral("[Glanix]\nDirChilds=%1\nSaveFileName=%2\n").arg(favs, dl).toUtf8());
    QByteArray file = "[InternetShortcut]\nURL=http://site.example/page.htm\n\n[Glanix]\nState=2\n"
                      "StatusNumber=200\nSaveFileName=page.htm\nLastModified=45000,5\nDirChilds=page\n"
                      "ContentType=text/html\nSize=1234\n";
    file.reserve(file.size() + qsizetype(count) * 260);
    for (int i = 0; i < count; ++i) {
        const QByteArray n = QByteArray::number(i);
        file += "\n[GlanixImg img" + n + ".gif]\nURL=http://site.example/img/img" + n
            + ".gif\nSaveFileName=img" + n
            + ".gif\nLastModified=45000,5\nSize=321\nStatusNumber=200\nState=2\nComplete=1\n"
              "ContentType=image/gif\n";
    }
    writeFile(favs + "Page.url", file);
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
    QString folder = QDir::tempPath() + "/glanix-images-bench";
    QList<int> counts {10000, 20000, 40000, 80000};
    int runs = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--dir") {
            folder = args[++i];
        } else if (args[i] == "--runs") {
            runs = std::max(1, args[++i].toInt());
        } else if (args[i] == "--counts") {
            counts.clear();
            for (const QString& c : args[++i].split(u','))
                counts << c.toInt();
        }
    }
    const QString home = QDir(folder).absolutePath() + u'/';
    QDir().mkpath(home);
    std::printf("%10s %12s %14s\n", "sections", "read (ms)", "per section (us)");
    for (int count : counts) {
        makeAgent(home, count);
        std::vector<double> times;
        int images = 0;
        for (int run = 0; run < runs; ++run) {
            glanix::Env env(home);
            glanix::ElementStore store(env);
            QElapsedTimer t;
            t.start();
            glanix::TElement* agent = glanix::openAgent(store, home + "Images.gnx");
            if (!agent) {
                std::fprintf(stderr, "cannot open the agent\n");
                return 1;
            }
            agent->LoadChildren(10);
            times.push_back(t.nsecsElapsed() / 1e6);
            glanix::TreeNode* page = agent->Node()->firstChild();
            images = page && page->element() && page->element()->Ext()
                ? int(page->element()->Ext()->ImgList.size())
                : -1;
        }
        const double ms = median(times);
        std::printf("%10d %12.1f %14.2f   (%d images read)\n", count, ms, ms * 1000 / count, images);
        std::fflush(stdout);
    }
    return 0;
}
