// Offline fidelity of an agent already downloaded: for every stored page, what it names
// statically (images, frames, style sheets, icons, srcset candidates, inline styles, and what
// its stored sheets import and name, recursively) is asked of the views' resolver as the
// document view would ask it, from that page. Prints the requests the store answers against
// those it cannot, by kind, and lists the misses.
//
//   glanix-fidelity-bench HOME AGENT [--scripts] [--misses N]
#include "agents/AgentFile.h"
#include "config/Env.h"
#include "store/Addresses.h"
#include "store/ElementStore.h"
#include "store/PageAnalysis.h"
#include "store/TElement.h"
#include "views/DocumentResolver.h"
#include "views/ViewUrls.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <cstdio>

using namespace glanix;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString kindOf(const QString& address)
{
    QString path = address.section(u'?', 0, 0).section(u'#', 0, 0);
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext.isEmpty() ? QStringLiteral("(none)") : ext;
}

struct Tally {
    QMap<QString, int> answered, missing;
    QStringList misses;
};

void ask(DocumentResolver& resolver, const ShownDocuments& shown, const QString& address, Tally& t,
         QStringList& sheets)
{
    const ResolvedRequest r = resolver.resolve(viewUrl(address), RequestKind::Resource, shown);
    const QString kind = kindOf(address);
    if (r.missing) {
        ++t.missing[kind];
        t.misses << shown.Element->GetURL() + QStringLiteral(" -> ") + address;
        return;
    }
    ++t.answered[kind];
    if (r.element && IsStyleSheet(*r.element))
        sheets << r.file + u'\n' + address;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: glanix-fidelity-bench HOME AGENT [--scripts] [--misses N]\n");
        return 2;
    }
    QString home = args[1];
    if (!home.endsWith(u'/'))
        home += u'/';
    const bool scripts = args.contains(QStringLiteral("--scripts"));
    const qsizetype at = args.indexOf(QStringLiteral("--misses"));
    const int shownMisses = at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : 20;

    Env env(home);
    ElementStore store(env);
    store.setStoreScripts(scripts);
    TElement* agent = openAgent(store, home + args[2] + QStringLiteral(".gnx"));
    if (!agent) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(args[2]));
        return 1;
    }
    agent->LoadChildren(1000);
    DocumentResolver resolver(env);
    Tally tally;
    int pages = 0;
    for (TreeNode* n = agent->Node(); n; n = n->next()) {
        TElement* page = n->element();
        if (!page || !page->isAddressOrPage() || !page->IsHtml() || page->LastModified == 0)
            continue;
        const QByteArray html = readAll(page->GetSavePath());
        if (html.isEmpty())
            continue;
        ++pages;
        const PageFindings f = analyseContent(html, page->GetURL(), {}, {.scripts = scripts});
        ShownDocuments shown;
        shown.Element = page;
        shown.ShownElements = {page, page};
        QStringList sheets;
        for (const QString& line : f.ImageLinks)
            ask(resolver, shown, FirstWord(line), tally, sheets);
        // What the sheets load, as the engine asks it: relative to each sheet, once per page.
        QSet<QString> seen;
        while (!sheets.isEmpty()) {
            const QString entry = sheets.takeFirst();
            const QString sheetUrl = entry.section(u'\n', 1);
            if (seen.contains(sheetUrl))
                continue;
            seen.insert(sheetUrl);
            for (const QString& line : styleSheetRequisites(readAll(entry.section(u'\n', 0, 0)), sheetUrl))
                ask(resolver, shown, FirstWord(line), tally, sheets);
        }
    }
    int answered = 0, missing = 0;
    std::printf("%d stored pages\n%-8s %9s %9s\n", pages, "kind", "answered", "missing");
    QSet<QString> kinds;
    for (auto it = tally.answered.begin(); it != tally.answered.end(); ++it)
        kinds.insert(it.key());
    for (auto it = tally.missing.begin(); it != tally.missing.end(); ++it)
        kinds.insert(it.key());
    QStringList sorted(kinds.begin(), kinds.end());
    sorted.sort();
    for (const QString& k : sorted) {
        std::printf("%-8s %9d %9d\n", qPrintable(k), tally.answered.value(k), tally.missing.value(k));
        answered += tally.answered.value(k);
        missing += tally.missing.value(k);
    }
    std::printf("%-8s %9d %9d  (%.1f%% answered)\n", "total", answered, missing,
                answered + missing ? 100.0 * answered / (answered + missing) : 100.0);
    for (const QString& m : tally.misses.mid(0, shownMisses))
        std::printf("  miss: %s\n", qPrintable(m));
    return 0;
}
