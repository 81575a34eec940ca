// Search throughput on a generated 4 MB page, in UTF-8 and in Latin-1: each engine alone on one
// word, and the whole scoring of an element (decoding included) for one word and for three
// words with "+" and "-". The `hostile/*` cases (unclosed tags after every letter, a long run
// of "&") run at 1 MB and 2 MB: the time must double, not quadruple. Read `bytes_per_second`.
#include "bench/PageGenerator.h"
#include "config/TextCodec.h"
#include "views/SearchEngines.h"
#include "views/SearchScorer.h"

#include <benchmark/benchmark.h>

using namespace glanix;

namespace {

const QByteArray& utf8Page()
{
    static const QByteArray page = bench::PageGenerator(1).page(4 << 20);
    return page;
}

const QByteArray& latin1Page()
{
    static const QByteArray page = encodeWindows1252(QString::fromUtf8(utf8Page()));
    return page;
}

const QByteArray& pageOf(int latin1)
{
    return latin1 ? latin1Page() : utf8Page();
}

void countInText(benchmark::State& state, const QString& word)
{
    const QString text = QString::fromUtf8(utf8Page());
    int found = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = CountInText(word, true, text));
    state.counters["found"] = found;
    state.SetBytesProcessed(state.iterations() * utf8Page().size());
}

void countInCode(benchmark::State& state, const QByteArray& word)
{
    int found = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = CountInCode(word, true, utf8Page()));
    state.counters["found"] = found;
    state.SetBytesProcessed(state.iterations() * utf8Page().size());
}

void score(benchmark::State& state, const QString& query, bool inCode)
{
    const QByteArray& page = pageOf(static_cast<int>(state.range(0)));
    const SearchScorer scorer(query, inCode, true);
    const SearchItem item {page, {}, QStringLiteral(" Nom  http://h/p.htm  x")};
    int found = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = scorer.score(item));
    state.counters["score"] = found;
    state.SetBytesProcessed(state.iterations() * page.size());
}

void hostile(benchmark::State& state, const QString& unit)
{
    QString text;
    const qsizetype size = state.range(0) << 20;
    while (text.size() < size)
        text += unit;
    for (auto _ : state)
        benchmark::DoNotOptimize(CountInText(u"ab", true, text));
    state.SetBytesProcessed(state.iterations() * size);
}

} // namespace

BENCHMARK_CAPTURE(countInText, ment, QStringLiteral("ment"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countInText, ete_starred, QStringLiteral("*ete*"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countInCode, ment, QByteArray("ment"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(countInCode, ete_starred, QByteArray("*\xC3\xA9t\xC3\xA9*"))->Unit(benchmark::kMillisecond);
// Argument: 0 the UTF-8 page, 1 the Latin-1 page.
BENCHMARK_CAPTURE(score, normal_one_word, QStringLiteral("ment"), false)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(score, normal_three_words, QStringLiteral("+ment -absent ete"), false)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(score, code_one_word, QStringLiteral("ment"), true)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(score, code_three_words, QStringLiteral("+ment -absent été"), true)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(hostile, a_lt, QStringLiteral("a<"))->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(hostile, amp, QStringLiteral("&"))->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
