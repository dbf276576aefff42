// One frame of the graph pane as the user sees it: render, copy to the window and GTK's
// flush to the X server, at 1920x1080. Run under Xvfb (xvfb-run -a -s "-screen 0 2560x1600x24").
#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/log.h>

#include "app/panes/GraphPanel.h"
#include "../BenchData.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"

namespace {

constexpr int WIDTH = 1920;
constexpr int HEIGHT = 1080;

// Waits until the X server has drawn what GTK sent (no GTK headers needed).
void SyncDisplay()
{
    using DefaultFn = void* (*)();
    using SyncFn = void (*)(void*);
    static auto getDefault =
        reinterpret_cast<DefaultFn>(dlsym(RTLD_DEFAULT, "gdk_display_get_default"));
    static auto sync = reinterpret_cast<SyncFn>(dlsym(RTLD_DEFAULT, "gdk_display_sync"));
    if (getDefault && sync)
        sync(getDefault());
}

// args: series length, series count
void BM_PanePaint(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    const int seriesCount = int(state.range(1));
    auto project = CreateGraphProject();
    for (int i = 0; i < seriesCount; ++i) {
        auto series = CreateGraphData(DataX{0.0, 1.0}, SharedNoisySine(n));
        series->SetLineStyle(LineStyle{1.0, Colour(uint8_t(25 * i), 0, uint8_t(255 - 25 * i))});
        project->Add(series);
    }
    project->SetPlotRange(0.0, double(n - 1), -2.0, 2.0);

    auto* frame = new wxFrame(nullptr, wxID_ANY, "bench");
    auto* panel = new GraphPanel(frame);
    frame->SetClientSize(WIDTH, HEIGHT);
    frame->Show();
    panel->SetProject(project.get());
    while (panel->GraphWindow()->GetClientSize() != wxSize(WIDTH, HEIGHT) || !panel->IsRendered())
        wxYield();

    for (auto _ : state) {
        const unsigned frames = panel->GetFrameCount();
        panel->GraphWindow()->Refresh(false);
        panel->GraphWindow()->Update();
        while (panel->GetFrameCount() == frames)
            wxYield();
        SyncDisplay();
    }
    panel->SetProject(nullptr);
    frame->Destroy();
    wxYield();
}

void Cases(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"n", "series"});
    for (int64_t n : {1'000'000, 100'000'000})
        for (int64_t series : {1, 10})
            b->Args({n, series});
}
BENCHMARK(BM_PanePaint)->Apply(Cases)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv))
        return 2;
    wxLog::SetLogLevel(wxLOG_Info);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxEntryCleanup();
    return 0;
}
