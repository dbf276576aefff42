// One frame of the graph pane as the user sees it: render, copy to the window and GTK's
// flush to the X server, at 1920x1080. Run under Xvfb (xvfb-run -a -s "-screen 0 2560x1600x24").
#include <benchmark/benchmark.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/time.h>
#include <wx/uiaction.h>

#include "app/Application.h"
#include "app/MainFrame.h"
#include "csv/CSVImporter.h"
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

// From an input event sent through the X server (XTest, as a device would) to the new
// picture on the screen, on 4 series of 10M points at 1920x1080: a wheel step, a drag step
// and a key press. args: kind (0 wheel, 1 drag, 2 key). wxUIActionSimulator is not used for
// the events themselves: it paces them, which added 20-40 ms.
void BM_InputToPicture(benchmark::State& state)
{
    const size_t n = 10'000'000;
    auto project = CreateGraphProject();
    for (int i = 0; i < 4; ++i)
        project->Add(CreateGraphData(DataX{0.0, 1.0}, SharedNoisySine(n)));
    project->SetPlotRange(0.0, double(n - 1), -2.0, 2.0);
    auto* frame = new wxFrame(nullptr, wxID_ANY, "bench");
    auto* panel = new GraphPanel(frame);
    frame->SetClientSize(WIDTH, HEIGHT);
    frame->Show();
    panel->SetProject(project.get());
    while (panel->GraphWindow()->GetClientSize() != wxSize(WIDTH, HEIGHT) || !panel->IsRendered())
        wxYield();
    panel->GraphWindow()->SetFocus();
    // The wheel through XTest, as wxUIActionSimulator has no wheel.
    using DisplayFn = void* (*)(void*);
    using FakeButtonFn = int (*)(void*, unsigned, int, unsigned long);
    using FlushFn = int (*)(void*);
    static auto xdisplay =
        reinterpret_cast<DisplayFn>(dlsym(RTLD_DEFAULT, "gdk_x11_display_get_xdisplay"));
    static auto getDefault =
        reinterpret_cast<void* (*)()>(dlsym(RTLD_DEFAULT, "gdk_display_get_default"));
    void* xtst = dlopen("libXtst.so.6", RTLD_NOW | RTLD_GLOBAL);
    auto fakeButton =
        xtst ? reinterpret_cast<FakeButtonFn>(dlsym(xtst, "XTestFakeButtonEvent")) : nullptr;
    auto flush = reinterpret_cast<FlushFn>(dlsym(RTLD_DEFAULT, "XFlush"));
    wxUIActionSimulator sim;
    const wxPoint centre = panel->GraphWindow()->ClientToScreen(wxPoint(WIDTH / 2, HEIGHT / 2));
    sim.MouseMove(centre);
    if (state.range(0) == 1)
        sim.MouseDown();
    int step = 0;
    for (auto _ : state) {
        const unsigned frames = panel->GetFrameCount();
        ++step;
        switch (state.range(0)) {
        case 0:
            if (!fakeButton || !xdisplay || !getDefault || !flush) {
                state.SkipWithError("no XTest");
                break;
            }
            {
                void* display = xdisplay(getDefault());
                fakeButton(display, step % 2 ? 4 : 5, 1, 0); // in and out by turns
                fakeButton(display, step % 2 ? 4 : 5, 0, 0);
                flush(display);
            }
            break;
        case 1: {
            // A step of the held mouse through XTest, as the wheel.
            using FakeMotionFn = int (*)(void*, int, int, int, unsigned long);
            auto fakeMotion =
                xtst ? reinterpret_cast<FakeMotionFn>(dlsym(xtst, "XTestFakeMotionEvent"))
                     : nullptr;
            if (!fakeMotion || !xdisplay || !getDefault || !flush) {
                sim.MouseMove(centre + wxPoint(step % 2 ? 5 : 0, 0));
                break;
            }
            void* display = xdisplay(getDefault());
            fakeMotion(display, -1, centre.x + (step % 2 ? 5 : 0), centre.y, 0);
            flush(display);
            break;
        }
        default: {
            // Left and right arrows by turns, through XTest as the wheel.
            using KeycodeFn = unsigned char (*)(void*, unsigned long);
            using FakeKeyFn = int (*)(void*, unsigned, int, unsigned long);
            static auto keycode =
                reinterpret_cast<KeycodeFn>(dlsym(RTLD_DEFAULT, "XKeysymToKeycode"));
            auto fakeKey =
                xtst ? reinterpret_cast<FakeKeyFn>(dlsym(xtst, "XTestFakeKeyEvent")) : nullptr;
            if (!keycode || !fakeKey || !xdisplay || !getDefault || !flush) {
                sim.Char(step % 2 ? WXK_LEFT : WXK_RIGHT);
                break;
            }
            void* display = xdisplay(getDefault());
            const unsigned key = keycode(display, step % 2 ? 0xff51 : 0xff53); // XK_Left, XK_Right
            fakeKey(display, key, 1, 0);
            fakeKey(display, key, 0, 0);
            flush(display);
            break;
        }
        }
        // A picture within two seconds, or the event never arrived.
        const wxLongLong deadline = wxGetLocalTimeMillis() + 2000;
        while (panel->GetFrameCount() == frames && wxGetLocalTimeMillis() < deadline)
            wxYield();
        if (panel->GetFrameCount() == frames) {
            state.SkipWithError("no picture after the event");
            break;
        }
        SyncDisplay();
    }
    if (state.range(0) == 1)
        sim.MouseUp();
    panel->SetProject(nullptr);
    frame->Destroy();
    wxYield();
}
BENCHMARK(BM_InputToPicture)
    ->ArgName("kind")
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->UseRealTime();

// View > Follow through the window on a copy of bench_csv's generated file of `lines`
// lines (about 100 MB and 1 GB). kind 0: 1 MB of lines appended while Follow is off, then
// Follow turned on, whose first check is at once: from the check to the new picture on the
// screen. kind 1: one line appended while following at the default poll: from the write to
// the picture, the poll's wait included. args: lines, kind.
void BM_FollowToPicture(benchmark::State& state)
{
    const long lines = long(state.range(0));
    const char* env = std::getenv("ARDENTINE_BENCH_DIR");
    const std::string dir = env ? env : "/tmp/ardentine-bench";
    const std::string source = dir + "/wide_" + std::to_string(lines) + ".csv";
    const std::string path = source + ".window";
    if (std::system(("mkdir -p " + dir + " && { test -f " + source +
                     " || " ARDENTINE_BENCH_CSV " --generate " + source + " " +
                     std::to_string(lines) + "; } && cp " + source + " " + path)
                        .c_str()) != 0) {
        state.SkipWithError("cannot make the data file");
        return;
    }
    auto* frame = new MainFrame(nullptr);
    frame->SetClientSize(WIDTH, HEIGHT);
    frame->Show();
    {
        CSVImporter importer(path, *frame->GetProject());
        if (importer.ScanInfoInternal(nullptr) != ResultCode::SUCCESS ||
            importer.Import(nullptr) != ResultCode::SUCCESS) {
            state.SkipWithError("import failed");
            frame->Destroy();
            return;
        }
    }
    frame->FitPlotRange(true, true);
    GraphPanel* panel = frame->GetGraphPanel();
    while (!panel->IsRendered())
        wxYield();
    const auto series = frame->GetProject()->GetItem(0);
    long next = lines;
    auto append = [&](size_t bytes) {
        std::string text;
        char line[128];
        while (text.size() < bytes) {
            const double t = double(next++) * 0.001;
            std::snprintf(line, sizeof line, "%.10g,%.6g,%.6g,%.6g,%.6g\n", t, std::sin(t),
                          std::cos(3 * t), 1.0, 0.5);
            text += line;
        }
        std::ofstream(path, std::ios::app | std::ios::binary) << text;
    };
    wxGUIEventLoop loop;
    wxEventLoopActivator active(&loop);
    const bool oneLine = state.range(1) == 1;
    if (oneLine)
        frame->SetFollowing(true);
    for (auto _ : state) {
        const size_t count = series->GetCount();
        state.PauseTiming();
        if (!oneLine)
            append(1000000);
        state.ResumeTiming();
        const unsigned frames = panel->GetFrameCount();
        if (oneLine)
            append(1);
        else
            frame->SetFollowing(true);
        // Waits in the event loop, not spinning: the follower's thread needs the other core.
        const wxLongLong deadline = wxGetLocalTimeMillis() + 5000;
        while ((series->GetCount() == count || panel->GetFrameCount() == frames) &&
               wxGetLocalTimeMillis() < deadline) {
            // CallAfter's events wait for idle time, which this loop has not: taken here.
            wxTheApp->ProcessPendingEvents();
            loop.DispatchTimeout(1);
        }
        if (series->GetCount() == count || panel->GetFrameCount() == frames) {
            state.SkipWithError("the append did not reach the picture");
            break;
        }
        SyncDisplay();
        if (!oneLine)
            frame->SetFollowing(false);
    }
    frame->SetFollowing(false);
    frame->Destroy();
    wxYield();
    std::remove(path.c_str());
}
BENCHMARK(BM_FollowToPicture)
    ->ArgNames({"lines", "kind"})
    ->ArgsProduct({{2600000, 26000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The program's application, with a configuration of its own: the wheel reads the
    // zoom factor from the settings.
    const wxString configHome = wxFileName::CreateTempFileName("ardentine-bench");
    wxRemoveFile(configHome);
    wxFileName::Mkdir(configHome);
    setenv("XDG_CONFIG_HOME", configHome.utf8_str(), 1);
    wxApp::SetInstance(new Application);
    if (!wxEntryStart(argc, argv))
        return 2;
    Application::GetInstance().LoadConfiguration(Application::LocalConfigPath());
    wxLog::SetLogLevel(wxLOG_Info);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxEntryCleanup();
    return 0;
}
