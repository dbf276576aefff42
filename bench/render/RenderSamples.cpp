// Writes sample pictures of the renderer into a folder, to look at: a sine, noise drawn
// as a band, a zoomed-in part; each also with cairo paths for comparison.
#include <cmath>
#include <cstdio>
#include <random>

#include <wx/init.h>

#include "model/GraphProject.h"
#include "progress/Progress.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"

namespace {

std::shared_ptr<GraphData> Series(size_t n, double (*f)(size_t, std::mt19937&))
{
    auto y = CreateGraphDataY();
    y->raw.resize(n);
    std::mt19937 rng(3);
    for (size_t i = 0; i < n; ++i)
        y->raw[i] = f(i, rng);
    DummyProgress progress;
    y->CreateMipmap(MipmapLevelCount(n, 512), &progress);
    return CreateGraphData(DataX{0.0, 1.0}, y);
}

void Write(const GraphProject& project, const wxString& path, int w, int h, bool raster)
{
    CairoContext cairo(path, w, h);
    GraphRenderer renderer(cairo, project, w, h);
    renderer.rasterCurves = raster;
    renderer.Render();
    std::printf("%s: %s\n", static_cast<const char*>(path.utf8_str()),
                cairo.Finish() ? "written" : "FAILED");
}

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer;
    const wxString dir = argc > 1 ? wxString(argv[1]) : wxString(".");
    auto project = CreateGraphProject();

    project->Add(Series(1000, [](size_t i, std::mt19937&) { return std::sin(double(i) * 0.02); }));
    project->SetPlotRange(0, 999, -1.2, 1.2);
    Write(*project, dir + "/sine.png", 640, 480, true);
    Write(*project, dir + "/sine-paths.png", 640, 480, false);
    Write(*project, dir + "/sine.svg", 640, 480, true);
    project->Remove(0);

    project->Add(Series(2'000'000, [](size_t i, std::mt19937& rng) {
        return std::sin(double(i) * 5e-6) + std::normal_distribution<double>(0, 0.2)(rng);
    }));
    project->SetPlotRange(0, 2'000'000, -2.5, 2.5);
    Write(*project, dir + "/noise.png", 1280, 720, true);
    Write(*project, dir + "/noise-paths.png", 1280, 720, false);

    project->SetPlotRange(1'000'000, 1'000'300, -2.5, 2.5);
    Write(*project, dir + "/zoomed.png", 1280, 720, true);
    Write(*project, dir + "/zoomed-paths.png", 1280, 720, false);
    return 0;
}
