// Mipmap build cost per point, and the draw-range query, which must not grow with n.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "model/GraphData.h"
#include "progress/Progress.h"
#include "render/CursorStats.h"

namespace {

std::shared_ptr<GraphDataY> NoisySine(size_t n)
{
    auto y = CreateGraphDataY();
    y->raw.resize(n);
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> noise(-0.1, 0.1);
    for (size_t i = 0; i < n; ++i)
        y->raw[i] = std::sin(double(i) * 1e-4) + noise(rng);
    return y;
}

void BM_CreateMipmap(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    auto y = NoisySine(n);
    const int levels = MipmapLevelCount(n, 512);
    DummyProgress progress;
    for (auto _ : state) {
        y->mipmap.clear();
        benchmark::DoNotOptimize(y->CreateMipmap(levels, &progress));
    }
    state.counters["ns_per_point"] = benchmark::Counter(
        double(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["levels"] = levels;
}
BENCHMARK(BM_CreateMipmap)
    ->Arg(10'000'000)
    ->Arg(100'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_GetDrawDataWhole(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    auto y = NoisySine(n);
    DummyProgress progress;
    y->CreateMipmap(MipmapLevelCount(n, 512), &progress);
    auto series = CreateGraphData(DataX{0, 1}, y);
    DrawData dd;
    for (auto _ : state) {
        int64_t count = series->GetDrawData(dd, 0, int64_t(n) - 1, 1820);
        // Walk the run as the renderer would.
        double acc = 0;
        for (const MinMax* p = dd.pairsBegin; p && p != dd.pairsEnd; ++p)
            acc += p->max - p->min;
        benchmark::DoNotOptimize(acc);
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_GetDrawDataWhole)->Arg(1'000'000)->Arg(100'000'000)->Unit(benchmark::kMicrosecond);

// A view of 1820 columns * 2^level points in the middle of 100M: below MIPMAP_BLOCK points a
// column its blocks are made from raw values, above they are read from the pyramid; the cost
// per frame should stay near that of the whole series either way.
void BM_GetDrawDataZoomed(benchmark::State& state)
{
    const size_t n = 100'000'000;
    static const auto y = [n] {
        auto made = NoisySine(n);
        made->CreateMipmap(MipmapLevelCount(n, 512), nullptr);
        return made;
    }();
    auto series = CreateGraphData(DataX{0, 1}, y);
    const int64_t count = int64_t(1820) << state.range(0);
    const int64_t first = int64_t(n / 3);
    DrawData dd;
    for (auto _ : state) {
        benchmark::DoNotOptimize(series->GetDrawData(dd, first, first + count - 1, 1820));
        double acc = 0;
        for (const MinMax* p = dd.pairsBegin; p && p != dd.pairsEnd; ++p)
            acc += p->max - p->min;
        benchmark::DoNotOptimize(acc);
    }
    state.counters["raw_blocks"] = double(!dd.madeBlocks.empty());
}
BENCHMARK(BM_GetDrawDataZoomed)->DenseRange(1, 8)->Unit(benchmark::kMicrosecond);

// The A/B cursors' statistics over the whole series (the worst case); under 0.2 s at 100M.
void BM_CursorStatsWhole(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    auto y = NoisySine(n);
    DummyProgress progress;
    y->CreateMipmap(MipmapLevelCount(n, 512), &progress);
    auto series = CreateGraphData(DataX{0, 1}, y);
    for (auto _ : state)
        benchmark::DoNotOptimize(StatsBetween(*series, -1, double(n)));
}
BENCHMARK(BM_CursorStatsWhole)->Arg(100'000'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
