// Page analysis throughput: the scanner alone, the whole analysis (addresses made absolute
// and recorded), and inputs built to make a careless scanner quadratic.
#include "bench/PageGenerator.h"
#include "store/HtmlText.h"
#include "store/PageAnalysis.h"
#include "store/PageScanner.h"

#include <benchmark/benchmark.h>

using namespace glanix;

namespace {

const QByteArray& realisticPage()
{
    static const QByteArray page = bench::PageGenerator(1).page(1 << 20);
    return page;
}

void scanPage(benchmark::State& state)
{
    const QByteArray& page = realisticPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(glanix::scanPage(page));
    state.SetBytesProcessed(state.iterations() * page.size());
}

void analysePage(benchmark::State& state)
{
    const QByteArray& page = realisticPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(analyseContent(page, QStringLiteral("http://www.example.com/actualites/index.htm")));
    state.SetBytesProcessed(state.iterations() * page.size());
}

void hostile(benchmark::State& state, const QByteArray& head, const QByteArray& unit)
{
    QByteArray page = head;
    const qsizetype size = state.range(0) << 20;
    while (page.size() < size)
        page += unit;
    for (auto _ : state)
        benchmark::DoNotOptimize(glanix::scanPage(page));
    state.SetBytesProcessed(state.iterations() * page.size());
}

void htmlToText(benchmark::State& state)
{
    const QString text = QString::fromUtf8(realisticPage());
    for (auto _ : state)
        benchmark::DoNotOptimize(HtmlToText(text, true));
    state.SetBytesProcessed(state.iterations() * realisticPage().size());
}

} // namespace

BENCHMARK(scanPage)->Unit(benchmark::kMillisecond);
BENCHMARK(analysePage)->Unit(benchmark::kMillisecond);
BENCHMARK(htmlToText)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(hostile, only_lt, QByteArray(), QByteArray("<"))->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(hostile, one_long_tag, QByteArray("<a href=x.htm "), QByteArray("aaaaaaa "))
    ->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(hostile, unclosed_comment, QByteArray("<!--"), QByteArray("<a href=x.htm>text "))
    ->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(hostile, unclosed_script, QByteArray("<script language=js>"), QByteArray("<img src=y.gif>"))
    ->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
