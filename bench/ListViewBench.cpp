// The list view's rows: filling a folder of 10,000 addresses and an agent of 100,000 with
// "Tout le contenu", sorting by each column, the longest time between two moments where
// events run during a fill, and memory per row. The tree is made in memory (100 folders of
// 1,000 addresses, one of 10,000).
//
//   glanix-list-bench
#include "config/Env.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "views/ListViewModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <malloc.h>

using namespace glanix;

namespace {

TElement* addChild(ElementStore& store, TElement* parent, quint8 kind, const QString& name)
{
    auto* e = new TElement(store);
    e->SetHasExt(true);
    e->Kind = kind;
    e->SetParent(parent);
    e->SetName(name);
    parent->Node()->addChild(name, e);
    if (e->Ext())
        e->Ext()->LoadedDepth = 1000; // nothing on disk to read
    return e;
}

void addresses(ElementStore& store, TElement* folder, int count, int seed)
{
    for (int i = 0; i < count; ++i) {
        TElement* a
            = addChild(store, folder, kindAddress, QStringLiteral("Page %1").arg((i * 7919 + seed) % 100003));
        a->SetURL(QStringLiteral("http://site%1.example/page%2.htm").arg(seed).arg(i));
        a->ContentType = QStringLiteral("text/html");
        a->LastModified = 45000 + (i * 37 % 1000) / 10.0;
        a->DateDownloaded = a->LastModified + (i % 3 ? 0 : 1);
        a->LastVerified = 46000 + i % 17;
        a->Size = (i * 131) % 200000;
        a->StatusNumber = i % 50 ? 200 : 404;
    }
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

void measure(ListViewModel& model, TElement* listed, ListViewModel::Filter filter, const char* what)
{
    QElapsedTimer gap;
    qint64 longest = 0;
    int pumps = 0;
    model.setEventPump([&] {
        longest = std::max(longest, gap.nsecsElapsed());
        QCoreApplication::processEvents();
        ++pumps;
        gap.restart();
    });
    const size_t before = heapInUse();
    QElapsedTimer t;
    t.start();
    gap.start();
    model.fill(listed, filter);
    const double fillMs = t.nsecsElapsed() / 1e6;
    const size_t after = heapInUse();
    std::printf("%s: %d rows filled and sorted in %.1f ms; events ran %d times, longest gap %.2f ms; %.0f "
                "bytes a row\n",
                what, model.rowCount(), fillMs, pumps, longest / 1e6,
                model.rowCount() ? double(after - before) / model.rowCount() : 0.0);
    for (int c = 0; c < ListViewModel::ColumnCount; ++c) {
        t.restart();
        model.sortRows(c, c % 2 == 0);
        std::printf("  sort by %-12s %7.1f ms\n", qPrintable(ListViewModel::columnTitle(c)),
                    t.nsecsElapsed() / 1e6);
    }
    // What a view asks while scrolling: every cell of every row.
    t.restart();
    qsizetype chars = 0;
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < ListViewModel::ColumnCount; ++c)
            chars += model.data(model.index(r, c)).toString().size();
    }
    std::printf("  every cell read once: %.1f ms (%lld characters)\n", t.nsecsElapsed() / 1e6,
                static_cast<long long>(chars));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    Env env(home.path());
    ElementStore store(env);
    auto* agent = new TElement(store);
    agent->SetHasExt(true);
    agent->Kind = kindAgent;
    agent->SetParent(store.RootElement());
    agent->SetName(QStringLiteral("Grand"));
    store.tree().addTopLevel(QStringLiteral("Grand"), agent);
    agent->Ext()->LoadedDepth = 1000;

    QElapsedTimer t;
    t.start();
    TElement* big = addChild(store, agent, kindFolder, QStringLiteral("Dix mille"));
    addresses(store, big, 10000, 0);
    for (int f = 1; f < 91; ++f)
        addresses(store, addChild(store, agent, kindFolder, QStringLiteral("Dossier %1").arg(f)), 1000, f);
    std::printf("tree of 100,000 addresses made in %.1f s\n", t.nsecsElapsed() / 1e9);

    ListViewModel model(store);
    measure(model, big, {}, "folder of 10,000");
    measure(model, agent, {.folders = true, .allContent = true}, "agent, Tout le contenu");
    return 0;
}
