// One frame of the graph at 1920x1080: its cost must not grow with the series length.
#include <benchmark/benchmark.h>

#include <wx/init.h>

#include "../BenchData.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"

namespace {

constexpr int WIDTH = 1920;
constexpr int HEIGHT = 1080;

// X at every point, jittered about 0, 1, 2, ..., shared by the series as their values are.
DataX JitteredX(size_t n)
{
    auto xs = std::make_shared<DataX::Values>(n);
    for (size_t i = 0; i < n; ++i)
        (*xs)[i] = double(i) + 0.1 * double(i % 3);
    return DataX::Explicit(std::move(xs));
}

// args: series length, series count, points in view (0: all), X per point (0: regular)
void BM_Render(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    const int seriesCount = int(state.range(1));
    const double inView = double(state.range(2));
    auto y = SharedNoisySine(n);
    const DataX x = state.range(3) ? JitteredX(n) : DataX{0.0, 1.0};
    auto project = CreateGraphProject();
    for (int i = 0; i < seriesCount; ++i) {
        auto series = CreateGraphData(x, y);
        series->SetLineStyle(LineStyle{1.0, Colour(uint8_t(25 * i), 0, uint8_t(255 - 25 * i))});
        project->Add(series);
    }
    const double minX = inView > 0 ? double(n) / 2 : 0.0;
    const double maxX = inView > 0 ? minX + inView - 1 : double(n - 1);
    project->SetPlotRange(minX, maxX, -2.0, 2.0);

    CairoContext cairo(WIDTH, HEIGHT);
    for (auto _ : state) {
        GraphRenderer renderer(cairo, *project, WIDTH, HEIGHT);
        renderer.Render();
        cairo_surface_flush(cairo.GetSurface());
    }
}

void Cases(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"n", "series", "inView", "explicitX"});
    for (int64_t n : {1'000'000, 100'000'000})
        for (int64_t series : {1, 10})
            for (int64_t inView : {0, 1000})
                for (int64_t explicitX : {0, 1})
                    b->Args({n, series, inView, explicitX});
}
BENCHMARK(BM_Render)->Apply(Cases)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    // The project uses translations and main-thread checks of wxBase.
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 2;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
