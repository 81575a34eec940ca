// The document view, offscreen on QtWebEngine, on pages stored the way a download leaves them:
//   - from selecting an element to its page laid out in a warm view (the page loaded, its
//     images decoded, the layout asked for), for a 20 KB page with ten images and a 1 MB page;
//   - the 1 MB page in compare mode against a version that differs in places;
//   - the memory of the whole program (this process and the web engine's) with one and with
//     ten document views open.
// With --home, nothing is timed: the window opens that home and all its agents, and each stored
// page named by its address is shown in the document view and grabbed to a PNG file, to see
// how it looks offline.
//
//   glanix-document-bench [--runs N]
//   glanix-document-bench --home HOME [--size WxH] --show URL --grab FILE [--show URL --grab FILE...]
#include "agents/MainController.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "tests/support/AgentBuilder.h"
#include "ui/ElementTreeModel.h"
#include "ui/TForm1.h"
#include "ui/TFormVueURL.h"
#include "ui/ViewWeb.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QByteArray png(int seed)
{
    QImage image(320, 200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * seed) & 255, (y * 7 + seed) & 255, (x ^ y) & 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray paragraphs(int bytes, int variant)
{
    QByteArray html = "<html><head><title>Page</title></head><body>";
    for (int i = 0; html.size() < bytes; ++i) {
        html += "<h2>Section " + QByteArray::number(i) + "</h2><p>";
        for (int w = 0; w < 60; ++w)
            html += (i % 17 == 0 && variant ? "changé " : "mot") + QByteArray::number((i * 61 + w) % 997)
                + ' ';
        html += "</p>\n";
    }
    return html + "</body></html>";
}

void makeAgent(const QString& home)
{
    using glanix::test::StoredDoc;
    glanix::test::AgentBuilder agent(home, QStringLiteral("Bench"));
    StoredDoc images {.name = QStringLiteral("Images"),
                      .url = QStringLiteral("http://bench.test/images.htm")};
    images.content = "<html><head><title>Images</title></head><body>";
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("i%1.png").arg(i);
        images.content += "<img src=\"" + name.toUtf8() + "\" width=160>";
        images.images.push_back({name, "http://bench.test/" + name, QStringLiteral("image/png"), png(i + 3)});
    }
    while (images.content.size() < 20000)
        images.content
            += "<p>Texte de remplissage pour une page d'une vingtaine de kilo-octets avec ses images.</p>\n";
    images.content += "</body></html>";
    agent.address({}, images);
    agent.address({},
                  {.name = QStringLiteral("Grande"),
                   .url = QStringLiteral("http://bench.test/grande.htm"),
                   .content = paragraphs(1 << 20, 1)});
    agent.write(QStringLiteral("DL/grande (2).htm"), paragraphs(1 << 20, 0));
    agent.address({},
                  {.name = QStringLiteral("Autre"),
                   .url = QStringLiteral("http://bench.test/autre.htm"),
                   .content = "<html><body><p>Une autre page.</p></body></html>"});
    writeFile(home + "Glanix.ini", "[OpenedAgents]\nAgent1=Bench\n");
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Resident memory of this process and of every process below it, in megabytes.
double treeMemoryMb()
{
    QMap<qint64, qint64> parent;
    QMap<qint64, double> rss;
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 id = pid.toLongLong(&ok);
        if (!ok)
            continue;
        QFile stat("/proc/" + pid + "/stat");
        QFile status("/proc/" + pid + "/status");
        if (!stat.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
            continue;
        const QByteArray s = stat.readAll();
        const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
        parent[id] = fields.value(1).toLongLong();
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss[id] = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
        }
    }
    const qint64 self = QCoreApplication::applicationPid();
    double total = 0;
    for (auto it = rss.cbegin(); it != rss.cend(); ++it) {
        for (qint64 p = it.key(); p > 1; p = parent.value(p, 0)) {
            if (p == self) {
                total += it.value();
                break;
            }
        }
    }
    return total;
}

// A message the start shows (no connection service on a bench machine...) is said and closed.
void dismissMessages(QTimer& timer)
{
    QObject::connect(&timer, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            std::fprintf(stderr, "message fermé : %s\n", qPrintable(modal->windowTitle()));
            modal->close();
        }
    });
    timer.start(500);
}

// Polls a script of the page until it gives true (or a minute has passed).
bool waitUntil(glanix::TFormVueURL* view, const QString& script)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 60000) {
        bool done = false;
        QVariant value;
        view->page()->runHelper(script, [&](const QVariant& v) {
            value = v;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return false;
        if (value.toBool())
            return true;
        QTest::qWait(100);
    }
    return false;
}

int grabPages(const QStringList& args)
{
    QString home = args[args.indexOf("--home") + 1];
    if (!home.endsWith(u'/'))
        home += u'/';
    QSize size(1600, 1000);
    if (const qsizetype i = args.indexOf("--size"); i > 0 && i + 1 < args.size()) {
        const QStringList wh = args[i + 1].split(u'x');
        size = QSize(wh.value(0).toInt(), wh.value(1).toInt()).expandedTo(QSize(320, 240));
    }
    QList<std::pair<QString, QString>> shots;
    for (qsizetype i = 1; i + 3 < args.size(); ++i) {
        if (args[i] == "--show" && args[i + 2] == "--grab")
            shots.append({args[i + 1], args[i + 3]});
    }
    if (shots.isEmpty()) {
        std::fprintf(stderr,
                     "usage: glanix-document-bench --home HOME [--size WxH] --show URL --grab FILE...\n");
        return 2;
    }
    QTemporaryDir applications;
    glanix::MainServices s;
    s.home = home;
    s.applicationsDir = applications.path();
    QTimer dismiss;
    dismissMessages(dismiss);
    glanix::TForm1 window(s);
    window.show();
    if (!QTest::qWaitFor([&] { return !window.controller().starting(); }, 60000)) {
        std::fprintf(stderr, "la fenêtre n'a pas fini de démarrer\n");
        return 1;
    }
    window.resize(size); // after the start, which puts back the size the home saved
    glanix::MainController& c = window.controller();
    // A home made by glanix-cli opens no agent of its own.
    if (const QStringList closed = c.agents().closedAgents(); !closed.isEmpty())
        c.agents().openSeveral(closed);
    c.store().loadEveryAgent();
    int failed = 0;
    for (const auto& [url, file] : shots) {
        glanix::TreeNode* node = c.store().FindElementByURL(url);
        if (!node) {
            std::fprintf(stderr, "%s : aucune page stockée à cette adresse\n", qPrintable(url));
            ++failed;
            continue;
        }
        glanix::TFormVueURL* view = window.activeDocumentView();
        std::unique_ptr<QSignalSpy> spy;
        if (view)
            spy = std::make_unique<QSignalSpy>(view, &glanix::TFormVueURL::loaded);
        window.treeView()->setCurrentIndex(window.treeModel().indexOf(node));
        if (!view && (view = window.activeDocumentView()))
            spy = std::make_unique<QSignalSpy>(view, &glanix::TFormVueURL::loaded);
        if (!view || (spy->isEmpty() && !spy->wait(60000))) {
            std::fprintf(stderr, "%s jamais affichée\n", qPrintable(url));
            ++failed;
            continue;
        }
        view->showMaximized(true);
        // Fonts and images load after the page itself: wait for them before painting.
        if (!waitUntil(view,
                       QStringLiteral("document.readyState == 'complete' && document.fonts.status == 'loaded'"
                                      " && Array.from(document.images).every(i => i.complete)")))
            std::fprintf(stderr, "%s : polices ou images encore en chargement\n", qPrintable(url));
        QTest::qWait(1500);
        const QPixmap picture = view->grab();
        if (!picture.save(file)) {
            std::fprintf(stderr, "%s : image non écrite\n", qPrintable(file));
            ++failed;
            continue;
        }
        std::printf("%s -> %s (%dx%d)\n", qPrintable(url), qPrintable(file), picture.width(),
                    picture.height());
    }
    window.close();
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    glanix::prepareWebEngine();
    QApplication app(argc, argv);
    int runs = 15;
    const QStringList args = QApplication::arguments();
    if (const qsizetype i = args.indexOf("--home"); i > 0 && i + 1 < args.size())
        return grabPages(args);
    if (const qsizetype i = args.indexOf("--runs"); i > 0 && i + 1 < args.size())
        runs = std::max(3, args[i + 1].toInt());

    QTemporaryDir dir, applications;
    const QString home = dir.path() + '/';
    makeAgent(home);
    glanix::MainServices s;
    s.home = home;
    s.applicationsDir = applications.path();
    QTimer dismiss;
    dismissMessages(dismiss);
    glanix::TForm1 window(s);
    window.resize(1280, 900);
    window.show();
    QTest::qWaitFor([&] { return !window.controller().starting(); }, 60000);
    glanix::MainController& c = window.controller();
    const auto select = [&](const char* path) {
        glanix::TElement* e = c.findByTreePath(QString::fromUtf8(path));
        window.treeView()->setCurrentIndex(window.treeModel().indexOf(e->Node()));
    };
    // Selecting, up to the page laid out: the view's load, then a layout asked of the page.
    const auto timed = [&](const char* path) {
        glanix::TFormVueURL* view = window.activeDocumentView();
        QSignalSpy loaded(view, &glanix::TFormVueURL::loaded);
        QElapsedTimer timer;
        timer.start();
        select(path);
        if (!loaded.wait(60000))
            std::fprintf(stderr, "%s jamais affichée\n", path);
        bool laidOut = false;
        view->page()->runHelper(QStringLiteral("document.body.offsetHeight"),
                                [&](const QVariant&) { laidOut = true; });
        QTest::qWaitFor([&] { return laidOut; }, 60000);
        return timer.nsecsElapsed() / 1e6;
    };

    select("Bench\\Grande"); // each timed selection then changes the page shown
    QTest::qWaitFor([&] { return window.activeDocumentView() && !window.activeDocumentView()->busy(); },
                    60000);
    std::vector<double> small, large, compared;
    for (int r = 0; r < runs; ++r) {
        timed("Bench\\Autre");
        small.push_back(timed("Bench\\Images"));
        timed("Bench\\Autre");
        large.push_back(timed("Bench\\Grande"));
    }
    window.activeDocumentView()->setCompareMode(true);
    for (int r = 0; r < runs; ++r) {
        timed("Bench\\Autre");
        // Each time afresh: the pair compared last would be shown again without comparing.
        window.activeDocumentView()->reload();
        compared.push_back(timed("Bench\\Grande"));
    }
    window.activeDocumentView()->setCompareMode(false);
    QTest::qWait(2000);
    const double one = treeMemoryMb();
    for (int i = 1; i < 10; ++i) {
        c.showInView(glanix::wtDocument, true);
        glanix::TFormVueURL* view = window.activeDocumentView();
        QTest::qWaitFor([&] { return view && !view->busy(); }, 60000);
    }
    QTest::qWait(3000);
    const double ten = treeMemoryMb();
    std::printf("selection -> page laid out, médianes sur %d :\n", runs);
    std::printf("  page de 20 Ko, 10 images   %8.1f ms\n", median(small));
    std::printf("  page de 1 Mo               %8.1f ms\n", median(large));
    std::printf("  page de 1 Mo, comparaison  %8.1f ms\n", median(compared));
    std::printf("mémoire du programme (processus du moteur compris) :\n");
    std::printf("  1 vue document             %8.1f Mo\n", one);
    std::printf("  10 vues document           %8.1f Mo (%.1f Mo par vue de plus)\n", ten, (ten - one) / 9);
    window.close();
    return 0;
}
