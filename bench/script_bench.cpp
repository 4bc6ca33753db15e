// Speed of the script engine. Run through bench/run; never part of the tests.
#include "QuietHost.h"
#include "script/ScriptEngine.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace {

using namespace lumeria;
using bench::QuietHost;

constexpr int kIterations = 20000;
// SV, then per iteration WI, MA and ENDWHILE, then the WI that ends the loop.
constexpr int64_t kLinesPerRun = 1 + 3 * int64_t(kIterations) + 1;

void runLoop(benchmark::State& state, std::chrono::microseconds interval)
{
    Publication pub;
    QuietHost host;
    ScriptEngine engine(host, host, pub);
    engine.setEventInterval(interval);
    const QString script =
        QStringLiteral("SV \"i\" \"0\"|WI \"[i]\" \"<\" \"%1\"|MA \"[i]+1\" \"0\" \"i\"|ENDWHILE").arg(kIterations);
    for (auto _ : state) {
        engine.run(script);
        if (engine.variables().get(QStringLiteral("i")) != QString::number(kIterations))
            state.SkipWithError("the loop did not finish");
    }
    state.counters["lines_per_second"] =
        benchmark::Counter(double(kLinesPerRun) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_WhileLoop(benchmark::State& state)
{
    runLoop(state, std::chrono::microseconds(1000));
}
BENCHMARK(BM_WhileLoop)->Unit(benchmark::kMillisecond);

// The same loop asking for events before every line, as an unthrottled
// interpreter would: the cost the throttle removes.
void BM_WhileLoopEventsEveryLine(benchmark::State& state)
{
    runLoop(state, std::chrono::microseconds(0));
}
BENCHMARK(BM_WhileLoopEventsEveryLine)->Unit(benchmark::kMillisecond);

void BM_Substitution(benchmark::State& state)
{
    Publication pub;
    QuietHost host;
    ScriptEngine engine(host, host, pub);
    engine.variables().set(QStringLiteral("NAME"), QStringLiteral("Ada"));
    engine.variables().set(QStringLiteral("SCORE"), QStringLiteral("42"));
    const QString text = QStringLiteral("Hello [Name], your score is [Score] of [Max] on page [PageNumber].");
    for (auto _ : state)
        benchmark::DoNotOptimize(engine.substitute(text));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Substitution);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
