// HighlightChanges against diff and Python's difflib.HtmlDiff, on the same pairs of files, in
// the same run. Prints the median of each and the ratio difflib / Glanix. See README.md.
#include "bench/PageGenerator.h"
#include "views/HighlightChanges.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace glanix;

namespace {

struct Pair {
    QString name;
    QByteArray oldText, newText;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// The middle paragraph's first word outside a tag, replaced.
QByteArray oneWordChanged(const QByteArray& page, const QList<QByteArray>& paragraphs)
{
    const QByteArray& middle = paragraphs[paragraphs.size() / 2];
    qsizetype i = page.indexOf(middle) + middle.indexOf('>') + 1;
    bool inTag = false;
    for (; i < page.size(); ++i) {
        const char c = page[i];
        if (c == '<')
            inTag = true;
        else if (c == '>')
            inTag = false;
        else if (!inTag && c == ' ')
            break;
    }
    qsizetype end = ++i;
    while (end < page.size() && page[end] != ' ' && page[end] != '\n' && page[end] != '<')
        ++end;
    QByteArray changed = page;
    changed.replace(i, end - i, "changement");
    return changed;
}

QByteArray lastParagraphFirst(const QByteArray& page, const QList<QByteArray>& paragraphs)
{
    QByteArray moved = page;
    const QByteArray& last = paragraphs.last();
    moved.remove(moved.lastIndexOf(last), last.size());
    moved.insert(moved.indexOf(paragraphs.first()), last);
    return moved;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

const char* const kDifflib = R"(
import difflib, statistics, sys, time
old = open(sys.argv[1], encoding='latin-1').read().splitlines()
new = open(sys.argv[2], encoding='latin-1').read().splitlines()
runs = int(sys.argv[3])
times = []
for _ in range(runs):
    t = time.perf_counter()
    difflib.HtmlDiff().make_file(old, new)
    times.append(time.perf_counter() - t)
print(statistics.median(times) * 1000)
)";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int runs = 7;
    int difflibTimeout = 900;
    QString only;
    int bigKb = 1024;
    QString dump; // folder that receives each pair and its marked result
    bool tools = true;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--runs" && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == u"--difflib-timeout" && i + 1 < args.size())
            difflibTimeout = args[++i].toInt();
        else if (args[i] == u"--only" && i + 1 < args.size())
            only = args[++i];
        else if (args[i] == u"--glanix-only")
            tools = false;
        else if (args[i] == u"--big-kb" && i + 1 < args.size())
            bigKb = args[++i].toInt();
        else if (args[i] == u"--dump" && i + 1 < args.size())
            dump = args[++i];
    }

    bench::PageGenerator gen(7);
    QList<QByteArray> small, big;
    const QByteArray page30 = gen.page(30 * 1024, &small);
    const QByteArray page1m = gen.page(qsizetype {bigKb} * 1024, &big);
    const std::vector<Pair> pairs = {
        {"30 KB, one word changed", page30, oneWordChanged(page30, small)},
        {"30 KB, 5% of words changed", page30, gen.changeWords(page30, 0.05)},
        {QStringLiteral("%1 KB, 5% of words changed").arg(bigKb), page1m, gen.changeWords(page1m, 0.05)},
        {"30 KB, last paragraph moved to the top", page30, lastParagraphFirst(page30, small)},
    };

    QTemporaryDir dir;
    const QString script = dir.filePath("difflib_bench.py");
    writeFile(script, kDifflib);
    QTextStream out(stdout);
    out << "pair\tsize\tglanix_ms\tdiff_ms\tdifflib_ms\tdifflib/glanix\tpercent\tblocks\taborted\n";
    for (size_t p = 0; p < pairs.size(); ++p) {
        const Pair& pair = pairs[p];
        if (!only.isEmpty() && !only.split(u',').contains(QString::number(p)))
            continue;
        const QString oldFile = dir.filePath(QStringLiteral("old%1.htm").arg(p));
        const QString newFile = dir.filePath(QStringLiteral("new%1.htm").arg(p));
        writeFile(oldFile, pair.oldText);
        writeFile(newFile, pair.newText);

        std::vector<double> glanix, diff;
        HighlightResult last;
        for (int r = 0; r < runs; ++r) {
            QElapsedTimer t;
            t.start();
            last = HighlightChanges(pair.oldText, pair.newText, CompareSettings {});
            glanix.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        for (int r = 0; r < runs && tools; ++r) {
            QProcess d;
            d.setStandardOutputFile(QProcess::nullDevice());
            QElapsedTimer t;
            t.start();
            d.start(QStringLiteral("diff"), {oldFile, newFile});
            d.waitForFinished(-1);
            diff.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        if (!dump.isEmpty()) {
            writeFile(dump + QStringLiteral("/old%1.htm").arg(p), pair.oldText);
            writeFile(dump + QStringLiteral("/new%1.htm").arg(p), pair.newText);
            writeFile(dump + QStringLiteral("/marked%1.htm").arg(p), last.text);
        }
        if (!tools) {
            out << pair.name << '\t' << pair.oldText.size() << '\t' << QString::number(median(glanix), 'f', 2)
                << "\t-\t-\t-\t" << last.percent << '\t' << last.blocks << '\t' << (last.aborted ? "yes" : "no") << '\n';
            continue;
        }
        QProcess py;
        const int pyRuns = pair.oldText.size() > 100000 ? 1 : std::min(runs, 3);
        py.start(QStringLiteral("python3"), {script, oldFile, newFile, QString::number(pyRuns)});
        QString difflib;
        double ratio = 0;
        if (!py.waitForFinished(difflibTimeout * 1000)) {
            py.kill();
            py.waitForFinished();
            difflib = QStringLiteral("> %1000").arg(difflibTimeout);
            ratio = difflibTimeout * 1000.0 / median(glanix);
        } else {
            const double ms = py.readAllStandardOutput().trimmed().toDouble();
            difflib = QString::number(ms, 'f', 1);
            ratio = ms / median(glanix);
        }
        out << pair.name << '\t' << pair.oldText.size() << '\t' << QString::number(median(glanix), 'f', 2) << '\t'
            << QString::number(median(diff), 'f', 2) << '\t' << difflib << '\t' << QString::number(ratio, 'f', 0)
            << '\t' << last.percent << '\t' << last.blocks << '\t' << (last.aborted ? "yes" : "no") << '\n';
        out.flush();
    }
    return 0;
}
