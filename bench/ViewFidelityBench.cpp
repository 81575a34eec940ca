// Offline fidelity as the engine sees it: every stored page of an agent is opened in one real
// document view, offscreen (its sealed profile and scheme handler), and every request the page
// makes while it loads and settles is counted, by kind, as answered from the store, missing or
// refused. Unlike glanix-fidelity-bench, nothing is guessed from the page's text: what the
// engine does not ask for (unused fonts, rules that match nothing) is not counted, and what
// only layout or style finds is.
//
//   glanix-view-fidelity-bench HOME AGENT [--requests FILE] [--misses N] [--quiet-ms MS]
//                              [--views N] [--pages-per-view N]
//
// --requests writes one line per request: kind, outcome, address (http(s) form), page address,
// separated by tabs.
#include "agents/AgentFile.h"
#include "agents/MainController.h"
#include "store/TElement.h"
#include "store/TreeNode.h"
#include "tests/support/FakeRemoteAccess.h"
#include "tests/support/MainFakes.h"
#include "tests/support/QuietViewHost.h"
#include "tests/support/ScriptedPrompt.h"
#include "ui/TFormExt.h"
#include "ui/TFormVueURL.h"
#include "ui/ViewWeb.h"
#include "views/ViewUrls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTest>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace glanix;

namespace {

QString kindOf(QWebEngineUrlRequestInfo::ResourceType type)
{
    using R = QWebEngineUrlRequestInfo;
    switch (type) {
    case R::ResourceTypeMainFrame:
        return QStringLiteral("page");
    case R::ResourceTypeSubFrame:
        return QStringLiteral("frame");
    case R::ResourceTypeStylesheet:
        return QStringLiteral("stylesheet");
    case R::ResourceTypeImage:
    case R::ResourceTypeFavicon:
        return QStringLiteral("image");
    case R::ResourceTypeFontResource:
        return QStringLiteral("font");
    case R::ResourceTypeScript:
    case R::ResourceTypeWorker:
    case R::ResourceTypeSharedWorker:
    case R::ResourceTypeServiceWorker:
        return QStringLiteral("script");
    default:
        return QStringLiteral("other");
    }
}

const char* outcomeName(RequestOutcome o)
{
    switch (o) {
    case RequestOutcome::Stored:
        return "stored";
    case RequestOutcome::Missing:
        return "missing";
    case RequestOutcome::Redirected:
        return "redirected";
    case RequestOutcome::Refused:
        return "refused";
    }
    return "?";
}

struct Counts {
    int stored = 0, missing = 0, refused = 0;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    prepareWebEngine();
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr,
                     "usage: glanix-view-fidelity-bench HOME AGENT [--requests FILE] [--misses N] "
                     "[--quiet-ms MS] [--views N] [--pages-per-view N]\n");
        return 2;
    }
    const auto option = [&](const char* name, const QString& fallback) {
        const qsizetype at = args.indexOf(QLatin1String(name));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : fallback;
    };
    QString home = QFileInfo(args[1]).absoluteFilePath();
    if (!home.endsWith(u'/'))
        home += u'/';
    const int shownMisses = option("--misses", QStringLiteral("20")).toInt();
    const int quietMs = option("--quiet-ms", QStringLiteral("300")).toInt();
    const int viewCount = option("--views", QStringLiteral("4")).toInt();
    const int pagesPerView = std::max(1, option("--pages-per-view", QStringLiteral("1")).toInt());
    QFile requestsFile(option("--requests", {}));
    QTextStream requestsOut;
    if (!requestsFile.fileName().isEmpty()) {
        if (!requestsFile.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(requestsFile.fileName()));
            return 1;
        }
        requestsOut.setDevice(&requestsFile);
    }

    test::ScriptedPrompt prompt;
    test::ScriptedFolders folders;
    test::FakeRemoteAccess remoteAccess(true);
    test::FakeDownloads downloads; // nothing is fetched while the pages are shown
    MainServices services;
    services.home = home;
    services.prompt = &prompt;
    services.folders = &folders;
    services.remoteAccess = &remoteAccess;
    services.downloads = &downloads;
    MainController controller(services);
    controller.settings().readOptions(); // Html/RunScripts as the user set it
    TElement* agent = openAgent(controller.store(), home + args[2] + QStringLiteral(".gnx"));
    if (!agent) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(args[2]));
        return 1;
    }
    agent->LoadChildren(1000);
    std::vector<TElement*> pages;
    for (TreeNode* n = agent->Node(); n; n = n->next()) {
        TElement* page = n->element();
        if (page && page->isAddressOrPage() && page->IsHtml() && page->LastModified != 0
            && !DocumentResolver::servableFile(page).isEmpty())
            pages.push_back(page);
    }

    test::QuietViewHost host(controller);
    QMap<QString, Counts> byKind;
    QSet<QString> distinct;
    QStringList misses;
    const auto record = [&](TElement* page, const QUrl& url, QWebEngineUrlRequestInfo::ResourceType type,
                            RequestOutcome outcome) {
        const QString kind = kindOf(type);
        // The page itself is what is measured, not one of its requisites.
        if (!page || outcome == RequestOutcome::Redirected
            || (kind == u"page" && outcome == RequestOutcome::Stored))
            return;
        QString address = addressOfViewUrl(url);
        if (address.isEmpty())
            address = url.toString();
        const QString pageUrl = page->GetURL();
        Counts& c = byKind[kind];
        distinct.insert(kind + u'\t' + address);
        if (outcome == RequestOutcome::Stored)
            ++c.stored;
        else if (outcome == RequestOutcome::Missing)
            ++c.missing;
        else
            ++c.refused;
        if (outcome != RequestOutcome::Stored)
            misses << QStringLiteral("%1 %2: %3 -> %4").arg(kind, outcomeName(outcome), pageUrl, address);
        if (requestsOut.device())
            requestsOut << kind << '\t' << outcomeName(outcome) << '\t' << address << '\t' << pageUrl << '\n';
    };

    // Several views at once: a page spends most of its time waiting on the engine, not the CPU.
    // Each page gets a view of its own by default, as when it is the first one opened: the
    // engine's memory cache would otherwise answer a style sheet the page before asked for,
    // and hide that this page could not find it.
    struct Slot {
        std::unique_ptr<TFormVueURL> view;
        TElement* page = nullptr;
        int shown = 0; // pages shown by this view

        enum { Idle, Loading, LayingOut, Settling } state = Idle;

        QElapsedTimer since; // since the state began
        QElapsedTimer sinceLastRequest;
    };

    std::vector<Slot> lanes(static_cast<size_t>(std::max(1, viewCount)));
    size_t next = 0;
    int neverLoaded = 0;
    const auto makeView = [&](Slot& slot) {
        slot.view.reset(); // its profile and its engine page go with it
        slot.view = std::make_unique<TFormVueURL>(controller.views(), host);
        slot.view->resize(1280, 900);
        slot.view->show();
        slot.shown = 0;
        Slot* self = &slot;
        slot.view->profile()->setRequestObserver([&record, self](const QUrl& url,
                                                                 QWebEngineUrlRequestInfo::ResourceType type,
                                                                 RequestOutcome outcome) {
            self->sinceLastRequest.restart();
            record(self->state == Slot::Idle ? nullptr : self->page, url, type, outcome);
        });
        QObject::connect(slot.view.get(), &TFormVueURL::loaded, slot.view.get(), [self](bool) {
            if (self->state != Slot::Loading)
                return;
            // Style and layout find what the parser does not (backgrounds, fonts).
            self->state = Slot::LayingOut;
            self->since.restart();
            self->view->page()->runHelper(QStringLiteral("document.body ? document.body.offsetHeight : 0"),
                                          [self](const QVariant&) {
                                              if (self->state != Slot::LayingOut)
                                                  return;
                                              self->state = Slot::Settling;
                                              self->since.restart();
                                          });
        });
    };
    const auto startNext = [&](Slot& slot) {
        if (slot.state != Slot::Idle && slot.view) {
            slot.view->profile()->setRequestObserver({});
            slot.state = Slot::Idle;
        }
        if (next >= pages.size()) {
            slot.view.reset();
            return;
        }
        if (!slot.view || slot.shown >= pagesPerView)
            makeView(slot);
        slot.page = pages[next++];
        slot.state = Slot::Loading;
        slot.since.restart();
        slot.sinceLastRequest.restart();
        ++slot.shown;
        slot.view->Load(slot.page);
    };
    QElapsedTimer total;
    total.start();
    for (Slot& slot : lanes)
        startNext(slot);
    const auto busy = [&] {
        return std::any_of(lanes.begin(), lanes.end(), [](const Slot& s) { return s.view != nullptr; });
    };
    while (busy()) {
        QTest::qWait(50);
        for (Slot& slot : lanes) {
            if (!slot.view)
                continue;
            const bool quiet = slot.state == Slot::Settling && slot.sinceLastRequest.elapsed() >= quietMs;
            const bool stuck = slot.since.elapsed() > (slot.state == Slot::Loading ? 30000 : 10000);
            if (stuck && slot.state == Slot::Loading)
                ++neverLoaded;
            if (quiet || stuck) {
                // Its observer goes with the view when a fresh one comes; requests still under way
                // then count for nobody.
                slot.state = Slot::Idle;
                if (slot.shown >= pagesPerView)
                    slot.view.reset();
                startNext(slot);
            }
        }
    }
    const double seconds = total.elapsed() / 1000.0;

    std::printf("%zu stored pages shown in %.1f s (%.0f ms a page)%s\n", pages.size(), seconds,
                pages.empty() ? 0.0 : 1000 * seconds / pages.size(),
                neverLoaded ? qPrintable(QStringLiteral(", %1 never finished loading").arg(neverLoaded))
                            : "");
    std::printf("%-11s %9s %9s %9s\n", "kind", "answered", "missing", "refused");
    Counts sum;
    for (auto it = byKind.cbegin(); it != byKind.cend(); ++it) {
        std::printf("%-11s %9d %9d %9d\n", qPrintable(it.key()), it->stored, it->missing, it->refused);
        sum.stored += it->stored;
        sum.missing += it->missing;
        sum.refused += it->refused;
    }
    const int all = sum.stored + sum.missing + sum.refused;
    std::printf("%-11s %9d %9d %9d  (%.1f%% answered; %lld distinct addresses)\n", "total", sum.stored,
                sum.missing, sum.refused, all ? 100.0 * sum.stored / all : 100.0,
                static_cast<long long>(distinct.size()));
    for (const QString& m : misses.mid(0, shownMisses))
        std::printf("  miss: %s\n", qPrintable(m));
    return 0;
}
