#include "app/cli/SearchCommand.h"

#include "app/cli/CliSupport.h"
#include "engine/HttpText.h"
#include "store/TElement.h"
#include "views/SearchWalk.h"

#include <algorithm>

namespace glanix::cli {

namespace {

const char* const kUsage = "Usage : glanix-cli search REQUÊTE [AGENT ...] [--code] [--no-count] "
                           "[--in pages,titles,notes,urls] [--min-age JOURS] [--max-age JOURS]\n";

// Days of an age filter, 1 to 9999 as in the dialog; 0 when the text is not one.
int daysArg(const QString& text)
{
    bool ok = false;
    const int days = text.toInt(&ok);
    return ok && days >= 1 && days <= 9999 ? days : 0;
}

QString settingsFrom(const Parsed& p, SearchSettings& s)
{
    s.where = 2;
    s.fast = p.has(QStringLiteral("--code"));
    s.count = !p.has(QStringLiteral("--no-count"));
    if (p.has(QStringLiteral("--in"))) {
        s.inPages = s.inTitle = s.inNotes = s.inURL = false;
        for (const QString& part : p.value(QStringLiteral("--in")).split(u',', Qt::SkipEmptyParts)) {
            const QString w = part.trimmed();
            if (w == u"pages")
                s.inPages = true;
            else if (w == u"titles")
                s.inTitle = true;
            else if (w == u"notes")
                s.inNotes = true;
            else if (w == u"urls")
                s.inURL = true;
            else
                return QStringLiteral("Valeur inconnue pour --in : ") + w;
        }
        if (!s.inPages && !s.inTitle && !s.inNotes && !s.inURL)
            return QStringLiteral("Rien à chercher : --in est vide");
    }
    for (const auto& [option, check, days] :
         {std::tuple {QStringLiteral("--min-age"), &s.checkMinAge, &s.minDaysOld},
          std::tuple {QStringLiteral("--max-age"), &s.checkMaxAge, &s.maxDaysOld}}) {
        if (!p.has(option))
            continue;
        *days = daysArg(p.value(option));
        if (*days == 0)
            return option + QStringLiteral(" attend un nombre de jours de 1 à 9999");
        *check = true;
    }
    return {};
}

struct Result {
    TElement* element;
    int score;
};

} // namespace

int runSearch(Context& ctx)
{
    const Parsed p = parseArgs(
        ctx.args, {QStringLiteral("--in"), QStringLiteral("--min-age"), QStringLiteral("--max-age")},
        {QStringLiteral("--code"), QStringLiteral("--no-count")});
    SearchSettings s;
    QString error = p.error;
    if (error.isEmpty() && (p.positional.isEmpty() || p.positional.first().trimmed().isEmpty()))
        error = QStringLiteral("Requête manquante");
    if (error.isEmpty())
        error = settingsFrom(p, s);
    if (!error.isEmpty()) {
        ctx.err << error << '\n' << kUsage;
        return kExitUsage;
    }
    s.query = p.positional.first().trimmed();

    HomeStore home(ctx.home);
    if (!home.openAgents(p.positional.mid(1), ctx.err))
        return kExitUsage;
    std::vector<Result> results;
    int documents = 0;
    if (!home.agents().isEmpty()) {
        const SearchScorer scorer(s.query, s.fast, s.count);
        SearchWalk walk(home.store(), home.agents().first()->Node(), s);
        SearchItem item;
        while (walk.next(item)) {
            const int score = scorer.score(item);
            if (score > 0)
                results.push_back({walk.current(), score});
        }
        documents = walk.documents();
    }
    // The results window lists the latest modified first.
    std::stable_sort(results.begin(), results.end(), [](const Result& a, const Result& b) {
        return a.element->LastModified > b.element->LastModified;
    });
    for (const Result& r : results)
        ctx.out << r.score << '\t' << r.element->TreePath() << '\t' << withoutCredentials(r.element->GetURL())
                << '\n';
    ctx.err << documents << " documents\n";
    return kExitOk;
}

} // namespace glanix::cli
