// How long the user-interface thread is held while a search runs in the background: a search
// over every element of an agent (the search_site.sh home by default), with a 1 ms timer on the
// user-interface thread; the longest gap between two ticks is the longest pause a user would
// feel. Prints it with the search's own time, median of the runs.
//   glanix-search-pause-bench [--home DIR] [--agent NAME] [--query Q] [--code] [--runs N]
#include "agents/AgentFile.h"
#include "config/Env.h"
#include "store/ElementStore.h"
#include "store/TElement.h"
#include "views/SearchSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace glanix;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString home = QStringLiteral("/tmp/glanix-search-bench/search-home");
    QString agentName = QStringLiteral("Bench");
    QString query = QStringLiteral("ment");
    bool code = false;
    int runs = 5;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--home" && i + 1 < args.size())
            home = args[++i];
        else if (args[i] == u"--agent" && i + 1 < args.size())
            agentName = args[++i];
        else if (args[i] == u"--query" && i + 1 < args.size())
            query = args[++i];
        else if (args[i] == u"--runs" && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == u"--code")
            code = true;
    }
    std::vector<double> pauses, totals;
    int documents = 0;
    for (int r = 0; r < runs; ++r) {
        Env env(home);
        ElementStore store(env);
        QString error;
        TElement* agent = openAgent(store, agentFilePath(home, agentName), {}, &error);
        if (!agent) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        SearchSettings s;
        s.query = query;
        s.fast = code;
        s.where = 1;
        SearchSession session(store, agent->Node(), s);
        QElapsedTimer clock, total;
        qint64 last = 0, longest = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        QObject::connect(&session, &SearchSession::captionChanged, [&](const QString& caption) {
            if (caption.contains(QStringLiteral(" documents")))
                documents = caption.section(u' ', -2, -2).toInt();
        });
        QObject::connect(&session, &SearchSession::finished, &app, &QCoreApplication::quit);
        clock.start();
        total.start();
        tick.start();
        session.start();
        app.exec();
        totals.push_back(static_cast<double>(total.nsecsElapsed()) / 1e6);
        pauses.push_back(static_cast<double>(longest) / 1e6);
    }
    std::sort(pauses.begin(), pauses.end());
    std::sort(totals.begin(), totals.end());
    std::printf(
        "%d documents: search %.0f ms, longest pause of the user-interface thread %.1f ms (medians of %d)\n",
        documents, totals[totals.size() / 2], pauses[pauses.size() / 2], runs);
    return 0;
}
