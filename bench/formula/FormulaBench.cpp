// Calculate over 10M points beside a plain compiled loop of the same expression, both
// writing into a freshly allocated series array. ns_per_point is the comparable figure;
// compare_numpy.py adds numpy's times and the ratios.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "formula/FormulaCalculator.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"

namespace {

constexpr int32_t BENCH_POINTS = 10'000'000;

const char* const BENCH_FORMULAS[] = {
    "x",
    "sin(x)*exp(-x/1000)+(x>500?1:0)", // f1
    "x*x+2*x+1",                       // f2
    "y(1,x*0.5)",
    "y(2,x*0.5)", // the same ramp over an X of its own
};

// Series 1 for "y": a ramp over the same X range; series 2 the same ramp at jittered X.
std::shared_ptr<GraphProject> MakeProject()
{
    auto project = CreateGraphProject();
    auto y = CreateGraphDataY();
    y->raw.resize(BENCH_POINTS);
    for (int32_t k = 0; k < BENCH_POINTS; ++k)
        y->raw[k] = 0.25 * k;
    project->Add(CreateGraphData(DataX{0.0, 1.0}, y));
    auto xs = std::make_shared<DataX::Values>(size_t(BENCH_POINTS));
    for (int32_t k = 0; k < BENCH_POINTS; ++k)
        (*xs)[size_t(k)] = double(k) + 0.1 * double(k % 3);
    project->Add(CreateGraphData(DataX::Explicit(std::move(xs)), y));
    return project;
}

void SetPerPoint(benchmark::State& state)
{
    state.counters["ns_per_point"] =
        benchmark::Counter(double(BENCH_POINTS), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}

void BM_Calculate(benchmark::State& state)
{
    const char* formula = BENCH_FORMULAS[state.range(0)];
    auto project = MakeProject();
    FormulaCalculator calculator(project.get());
    calculator.SetFormula(formula);
    calculator.SetSize(BENCH_POINTS);
    calculator.SetMaxThreads(int(state.range(1)));
    if (!calculator.Compile()) {
        state.SkipWithError("compile failed");
        return;
    }
    DummyProgress progress;
    for (auto _ : state) {
        if (calculator.Calculate(&progress) != ResultCode::SUCCESS)
            state.SkipWithError("calculate failed");
    }
    state.SetLabel(formula);
    SetPerPoint(state);
}
BENCHMARK(BM_Calculate)
    ->ArgNames({"formula", "threads"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1, 2}})
    ->UseRealTime() // a second thread may work too
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The same expressions written out, into the same kind of array.
template <typename F> void RunCompiled(benchmark::State& state, F f)
{
    for (auto _ : state) {
        auto y = CreateGraphDataY();
        y->raw.resize(BENCH_POINTS);
        double* out = y->raw.data();
        for (int32_t k = 0; k < BENCH_POINTS; ++k)
            out[k] = f(1.0 * double(k) + 0.0);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    SetPerPoint(state);
}

void BM_Compiled(benchmark::State& state)
{
    switch (state.range(0)) {
    case 0:
        state.SetLabel(BENCH_FORMULAS[0]);
        RunCompiled(state, [](double x) { return x; });
        break;
    case 1:
        state.SetLabel(BENCH_FORMULAS[1]);
        RunCompiled(state, [](double x) {
            return std::sin(x) * std::exp(-x / 1000.0) + (x > 500.0 ? 1.0 : 0.0);
        });
        break;
    case 2:
        state.SetLabel(BENCH_FORMULAS[2]);
        RunCompiled(state, [](double x) { return x * x + 2.0 * x + 1.0; });
        break;
    case 3: {
        state.SetLabel(BENCH_FORMULAS[3]);
        auto project = MakeProject();
        const auto series = project->GetItem(0);
        const double* values = series->GetDataY()->raw.data();
        const double count = double(series->GetCount());
        RunCompiled(state, [values, count](double x) {
            const double t = x * 0.5;
            const double k = std::floor(t);
            if (k < 0.0 || k + 1.0 >= count)
                return 0.0;
            const double f = t - k;
            const size_t j = size_t(k);
            return (1.0 - f) * values[j] + f * values[j + 1];
        });
        break;
    }
    }
}
BENCHMARK(BM_Compiled)
    ->ArgName("formula")
    ->DenseRange(0, 3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();
