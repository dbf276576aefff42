#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "model/GraphProject.h"
#include "progress/Progress.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"
#include "RenderTestUtil.h"
#include "support/TestSupport.h"

namespace {

const ::testing::Environment* const cairoStaticData =
    ::testing::AddGlobalTestEnvironment(new CairoStaticData);

constexpr uint32_t WHITE = 0xFFFFFFFFu;
constexpr uint32_t BLACK = 0xFF000000u;
constexpr uint32_t BLUE = 0xFF0000FFu;

std::shared_ptr<GraphData> AddSeries(GraphProject& project, std::vector<double> values,
                                     DataX x = DataX{0.0, 1.0})
{
    auto y = CreateGraphDataY();
    y->raw.assign(values.begin(), values.end());
    DummyProgress progress;
    y->CreateMipmap(MipmapLevelCount(values.size(), 512), &progress);
    auto series = CreateGraphData(x, y);
    project.Add(series);
    return series;
}

// A rendering into an off-screen image, with the renderer's outputs.
struct Picture
{
    std::unique_ptr<CairoContext> cairo;
    RenderSize lastSize;
    PlotArea plotArea;
    PlotRange plotRange;
    GridIntervals gridInterval;

    uint32_t At(int x, int y) const { return PixelAt(cairo->GetSurface(), x, y); }
    // True when some pixel of the box [x0, x1) x [y0, y1) is dark (text, marks).
    bool AnyDark(int x0, int y0, int x1, int y1) const
    {
        for (int y = std::max(y0, 0); y < y1; ++y)
            for (int x = std::max(x0, 0); x < x1; ++x)
                if ((At(x, y) & 0xFFu) < 0x80u)
                    return true;
        return false;
    }
};

Picture Draw(const GraphProject& project, int w = 640, int h = 480, bool raster = true)
{
    Picture p;
    p.cairo = std::make_unique<CairoContext>(w, h);
    GraphRenderer renderer(*p.cairo, project, w, h);
    renderer.rasterCurves = raster;
    renderer.Render();
    p.lastSize = renderer.lastSize;
    p.plotArea = renderer.plotArea;
    p.plotRange = renderer.plotRange;
    p.gridInterval = renderer.gridInterval;
    return p;
}

// Blue enough to be (part of) a default-coloured curve, not grey grid or black text.
bool IsBluish(uint32_t p)
{
    return (p & 0xFF) > 0xC0 && ((p >> 16) & 0xFF) < 0x90;
}

ProjectProperty Props(const GraphProject& project)
{
    return project.GetProperty();
}

} // namespace

TEST(GraphRenderer, FrameAndOutputsAt640x480WithDefaults)
{
    auto project = CreateGraphProject();
    AddSeries(*project, {0.0, 1.0});
    project->SetPlotRange(0, 100, 0, 1);
    const Picture p = Draw(*project);
    EXPECT_EQ(p.lastSize.width, 640);
    EXPECT_EQ(p.lastSize.height, 480);
    EXPECT_EQ(p.plotArea.left, 100);
    EXPECT_EQ(p.plotArea.top, 10);
    EXPECT_EQ(p.plotArea.width, 530);
    EXPECT_EQ(p.plotArea.height, 420);
    EXPECT_EQ(p.plotRange.maxX, 100);
    EXPECT_EQ(p.gridInterval.x, 10); // 100 / (round(530 / 50) - 1) = 10
    EXPECT_EQ(p.gridInterval.y, 0.1);
    // The frame: a 1-pixel line centred on x = 100 covers half of columns 99 and 100.
    EXPECT_NE(p.At(99, 200), WHITE);
    EXPECT_NE(p.At(100, 200), WHITE);
    EXPECT_EQ(p.At(98, 200), WHITE);
    EXPECT_NE(p.At(300, 10), WHITE);  // top edge
    EXPECT_NE(p.At(300, 429), WHITE); // bottom edge, y = 430
    EXPECT_EQ(p.At(5, 5), WHITE);     // margin filled with the background
}

TEST(GraphRenderer, GridTicksAndLabelsCoincide)
{
    auto project = CreateGraphProject();
    project->SetPlotRange(0, 100, 0, 1);
    ProjectProperty prop = Props(*project);
    prop.gridLineColor = Colour(255, 0, 0);
    prop.gridLineWidth = 2.0;
    project->SetProperty(prop);
    const Picture on = Draw(*project);
    // X = 50 maps to 100 + 265 = 365: a grid line in the middle, a tick mark at the bottom
    // (1 pixel wide on a pixel boundary, so half of the columns 364 and 365).
    EXPECT_EQ(on.At(365, 200), 0xFFFF0000u);
    EXPECT_EQ(on.At(365, 425), 0xFF7F0000u);
    EXPECT_TRUE(on.AnyDark(350, 440, 380, 460)); // its label "50" below the frame

    prop.gridEnabledX = false;
    project->SetProperty(prop);
    const Picture off = Draw(*project);
    EXPECT_EQ(off.At(365, 200), WHITE);
    EXPECT_EQ(off.At(365, 425), 0xFF7F7F7Fu);
    EXPECT_TRUE(off.AnyDark(350, 440, 380, 460));
    EXPECT_EQ(off.gridInterval.x, 10);
}

TEST(GraphRenderer, ShortAxisHasNoLinesMarksOrLabels)
{
    auto project = CreateGraphProject();
    project->SetPlotRange(0, 100, 0, 1);
    ProjectProperty prop = Props(*project);
    prop.marginLeft = 100;
    prop.marginRight = 100;
    project->SetProperty(prop);
    const Picture p = Draw(*project, 274, 480); // plot width 74
    EXPECT_EQ(p.gridInterval.x, -1);
    EXPECT_FALSE(p.AnyDark(100, 440, 174, 460)); // no X labels
    EXPECT_GT(p.gridInterval.y, 0);
}

TEST(GraphRenderer, RawPolylineOrMinMaxBand)
{
    // Alternating 0 and 1: few points draw a zig-zag with white between its teeth, many
    // points (more than two per pixel column) a filled band.
    for (bool raster : {true, false}) {
        SCOPED_TRACE(raster ? "raster" : "cairo paths");
        for (size_t n : {size_t(11), size_t(2000), size_t(100000)}) {
            SCOPED_TRACE(n);
            auto project = CreateGraphProject();
            std::vector<double> values(n);
            for (size_t i = 0; i < n; ++i)
                values[i] = double(i % 2);
            AddSeries(*project, values);
            project->SetPlotRange(0, double(n - 1), -1, 2);
            ProjectProperty prop = Props(*project);
            prop.gridEnabledX = prop.gridEnabledY = false;
            project->SetProperty(prop);
            const Picture p = Draw(*project, 640, 480, raster);
            // Y = 0.5 is the frame's middle row (y = 220); X of a peak in the left half.
            const int peak = 100 + int(std::lround(530.0 / double(n - 1)));
            const bool band = n >= 2 * 530;
            if (band) {
                EXPECT_EQ(p.At(300, 220), BLUE);
                EXPECT_EQ(p.At(300, 220 - 69), BLUE);  // Y = 1 at y = 150
                EXPECT_EQ(p.At(300, 220 + 69), BLUE);  // Y = 0 at y = 290
                EXPECT_EQ(p.At(300, 220 - 75), WHITE); // above the maxima
            } else {
                EXPECT_EQ(p.At(peak, 220), WHITE);
                EXPECT_NE(p.At(peak, 151), WHITE); // the tooth's tip at Y = 1
            }
        }
    }
}

TEST(GraphRenderer, RasterMatchesCairoPaths)
{
    // The direct raster draws the shapes cairo would: compare both renderings pixel by
    // pixel for a zig-zag, a noise band with gaps, wide lines and a HiDPI image.
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> band(300000), line(700);
    for (double& v : band)
        v = noise(rng);
    for (size_t i = 1000; i < 1500; ++i)
        band[i] = NAN;
    for (double& v : line)
        v = noise(rng);
    line[300] = NAN;
    const struct
    {
        const char* name;
        std::vector<double>* values;
        double width, scale;
    } rows[] = {
        {"band", &band, 1.0, 1.0},           {"polyline", &line, 1.0, 1.0},
        {"wide band", &band, 5.0, 1.0},      {"wide polyline", &line, 3.5, 1.0},
        {"HiDPI polyline", &line, 1.0, 2.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto project = CreateGraphProject();
        auto series = AddSeries(*project, *row.values);
        series->SetLineStyle(LineStyle{row.width, Colour(200, 30, 0)});
        project->SetPlotRange(0, double(row.values->size()), -4, 4);
        CairoContext fast(640, 480, row.scale), exact(640, 480, row.scale);
        GraphRenderer a(fast, *project, 640, 480);
        a.Render();
        GraphRenderer b(exact, *project, 640, 480);
        b.rasterCurves = false;
        b.Render();
        const int w = int(640 * row.scale), h = int(480 * row.scale);
        int worst = 0;
        double total = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t pa = PixelAt(fast.GetSurface(), x, y);
                const uint32_t pb = PixelAt(exact.GetSurface(), x, y);
                for (int shift : {0, 8, 16}) {
                    const int d = std::abs(int((pa >> shift) & 0xFF) - int((pb >> shift) & 0xFF));
                    worst = std::max(worst, d);
                    total += d;
                }
            }
        EXPECT_LE(worst, 80) << "anti-aliasing may differ a little, shapes not";
        EXPECT_LT(total / (3.0 * w * h), 0.5);
    }
}

TEST(GraphRenderer, OnlyCurvesAreClipped)
{
    for (bool raster : {true, false}) {
        SCOPED_TRACE(raster ? "raster" : "cairo paths");
        auto project = CreateGraphProject();
        // A wide line that leaves the frame through its top edge near x = 128.
        auto series = AddSeries(*project, {0.5, 10.0});
        series->SetLineStyle(LineStyle{20.0, Colour(0, 0, 255)});
        ProjectProperty prop = Props(*project);
        prop.gridEnabledX = prop.gridEnabledY = false;
        project->SetProperty(prop);
        project->SetPlotRange(0, 1, 0, 1);
        const Picture p = Draw(*project, 640, 480, raster);
        EXPECT_EQ(p.At(128, 14), BLUE); // inside the frame near the top edge
        EXPECT_EQ(p.At(128, 6), WHITE); // in the top margin: clipped
        EXPECT_EQ(p.At(128, 0), WHITE);
    }
    auto project = CreateGraphProject();
    const Picture p = Draw(*project);
    // Tick labels lie outside the frame and are drawn: Y labels left, X labels below.
    EXPECT_TRUE(p.AnyDark(40, 0, 95, 440));
    EXPECT_TRUE(p.AnyDark(100, 435, 640, 455));
}

TEST(GraphRenderer, LabelPositionsPickTheSideBySign)
{
    // Wide margins give room on every side; each case shows one kind of text only.
    const struct
    {
        const char* name;
        bool tickLabels; // else axis labels
        double tickX, tickY, axisX, axisY;
        int x0, y0, x1, y1;     // where the text must be
        int nx0, ny0, nx1, ny1; // where it must not be
    } rows[] = {
        {"X ticks below", true, -1000, -15, 0, 0, 150, 400, 500, 420, 150, 60, 500, 100},
        {"X ticks above", true, -1000, 20, 0, 0, 150, 60, 500, 100, 150, 400, 500, 420},
        {"Y ticks left", true, -55, 1000, 0, 0, 40, 100, 100, 400, 615, 100, 720, 400},
        {"Y ticks right", true, 20, 1000, 0, 0, 615, 100, 720, 400, 40, 100, 100, 400},
        {"X label below", false, 0, 0, -1000, -40, 200, 420, 450, 440, 200, 60, 450, 100},
        {"X label above", false, 0, 0, -1000, 30, 200, 60, 450, 100, 200, 420, 450, 440},
        {"Y label left", false, 0, 0, -70, 1000, 20, 150, 100, 350, 615, 150, 720, 350},
        {"Y label right", false, 0, 0, 40, 1000, 615, 150, 670, 350, 20, 150, 100, 350},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto project = CreateGraphProject();
        project->SetPlotRange(0, 100, 0, 1);
        ProjectProperty prop = Props(*project);
        prop.marginLeft = prop.marginRight = 110;
        prop.marginTop = prop.marginBottom = 100;
        prop.tickLineLength = 0;
        prop.gridEnabledX = prop.gridEnabledY = false;
        prop.frameLineWidth = 0;
        if (row.tickLabels) {
            prop.axisLabelX = prop.axisLabelY = "";
            prop.tickPositionX = row.tickX;
            prop.tickPositionY = row.tickY;
        } else {
            prop.tickFormatX = prop.tickFormatY = "";
            prop.axisLabelX = prop.axisLabelY = "Label";
            prop.axisPositionX = row.axisX;
            prop.axisPositionY = row.axisY;
        }
        project->SetProperty(prop);
        const Picture p = Draw(*project, 720, 500); // frame (110, 100) to (610, 400)
        EXPECT_TRUE(p.AnyDark(row.x0, row.y0, row.x1, row.y1));
        EXPECT_FALSE(p.AnyDark(row.nx0, row.ny0, row.nx1, row.ny1));
    }
}

TEST(GraphRenderer, TransparentBackgroundGivesTransparentPngMargins)
{
    TempDir dir("transparent");
    auto project = CreateGraphProject();
    AddSeries(*project, {0.0, 1.0});
    ProjectProperty prop = Props(*project);
    prop.bgColor = Colour(255, 255, 255, 0);
    project->SetProperty(prop);
    const wxString path = dir.File("t.png");
    {
        CairoContext cairo(path, 640, 480);
        GraphRenderer renderer(cairo, *project, 640, 480);
        renderer.Render();
    }
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.utf8_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(PixelAt(png, 5, 5) >> 24, 0u);
    EXPECT_EQ(PixelAt(png, 635, 475) >> 24, 0u);
    EXPECT_EQ(PixelAt(png, 300, 200) >> 24, 0u);  // inside the frame too
    EXPECT_GT(PixelAt(png, 300, 10) >> 24, 100u); // the frame line
    cairo_surface_destroy(png);
}

TEST(GraphRenderer, VectorTargetsRenderTheGraph)
{
    TempDir dir("vector");
    auto project = CreateGraphProject();
    AddSeries(*project, std::vector<double>(5000, 0.5));
    for (const char* name : {"g.svg", "g.pdf", "g.ps"}) {
        SCOPED_TRACE(name);
        {
            CairoContext cairo(dir.File(name), 640, 480);
            GraphRenderer renderer(cairo, *project, 640, 480);
            renderer.Render();
            EXPECT_EQ(renderer.plotArea.width, 530);
            EXPECT_EQ(cairo_status(cairo()), CAIRO_STATUS_SUCCESS);
        }
        EXPECT_GT(ReadFile(dir.File(name)).size(), 1000u);
    }
}

TEST(GraphRenderer, DegenerateRangesDrawNoCurvesAndDivideByNothing)
{
    const struct
    {
        const char* name;
        PlotRange range;
        int width, height;
        double gridX, gridY;
    } rows[] = {
        {"zero width range", {5, 5, 0, 1}, 640, 480, 1.0, 0.1},
        {"zero height range", {0, 10, 3, 3}, 640, 480, 1.0, 1.0},
        {"reversed X", {10, 0, 0, 1}, 640, 480, -1, 0.1},
        {"NaN range", {NAN, 10, 0, NAN}, 640, 480, -1, -1},
        {"infinite span", {-DBL_MAX, DBL_MAX, 0, 1}, 640, 480, -1, 0.1},
        {"negative plot size", {0, 10, 0, 1}, 90, 40, -1, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto project = CreateGraphProject();
        AddSeries(*project, {5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
        project->SetNotifyEnabled(false);
        {
            ExpectWxAsserts asserts; // SetPlotRange asserts on inverted ranges
            project->SetPlotRange(row.range.minX, row.range.maxX, row.range.minY, row.range.maxY);
        }
        const Picture p = Draw(*project, row.width, row.height);
        EXPECT_EQ(p.gridInterval.x, row.gridX);
        EXPECT_NEAR(p.gridInterval.y, row.gridY, 1e-12);
        EXPECT_EQ(cairo_status(p.cairo->operator()()), CAIRO_STATUS_SUCCESS);
        for (int y = 0; y < row.height; ++y)
            for (int x = 0; x < row.width; ++x)
                ASSERT_NE(p.At(x, y), BLUE) << x << "," << y;
    }
}

TEST(GraphRenderer, AwkwardSeriesDrawWithoutError)
{
    const struct
    {
        const char* name;
        std::vector<double> values;
        DataX x;
        bool drawn;
    } rows[] = {
        {"X interval 0 inside", {0.2, 0.8, 0.5}, {5, 0}, true},
        {"X interval 0 outside", {0.2, 0.8, 0.5}, {50, 0}, false},
        {"negative interval", {0.5, 0.5, 0.5, 0.5}, {9, -3}, true},
        {"tiny interval", {0.2, 0.8, 0.5}, {5, 1e-300}, true},
        {"huge interval", {0.5, 0.5, 0.5}, {0, 1e300}, false},
        {"left of the window", {0.5, 0.5}, {-100, 1}, false},
        {"one point inside", {0.5, 0.5}, {10, 5}, false},
        {"NaN start", {0.5, 0.5}, {NAN, 1}, false},
        {"NaN interval", {0.5, 0.5}, {0, NAN}, false},
        {"huge values", {0.5, 1e300, -1e300, 0.5, -INFINITY, INFINITY, 0.5}, {1, 1}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto project = CreateGraphProject();
        AddSeries(*project, row.values, row.x);
        project->SetPlotRange(0, 10, 0, 1);
        for (bool raster : {true, false}) {
            SCOPED_TRACE(raster ? "raster" : "paths");
            const Picture p = Draw(*project, 640, 480, raster);
            EXPECT_EQ(cairo_status(p.cairo->operator()()), CAIRO_STATUS_SUCCESS);
            bool blue = false;
            for (int y = 10; y < 430 && !blue; ++y)
                for (int x = 100; x < 630 && !blue; ++x)
                    blue = IsBluish(p.At(x, y));
            EXPECT_EQ(blue, row.drawn);
            if (std::string(row.name) == "huge values") {
                // Lines towards +-1e300 leave the frame almost vertically at X = 1 and
                // cross it at X = 2.5; nothing wraps around to stray places.
                EXPECT_TRUE(IsBluish(p.At(153, 100)));
                EXPECT_TRUE(IsBluish(p.At(232, 300)));
                EXPECT_FALSE(IsBluish(p.At(206, 100)));
                EXPECT_FALSE(IsBluish(p.At(400, 100)));
            }
        }
    }
}

TEST(GraphRenderer, VisibleIndexRange)
{
    const struct
    {
        const char* name;
        DataX x;
        int64_t count;
        double minX, maxX;
        bool any;
        int64_t first, last;
    } rows[] = {
        {"inside", {0, 1}, 100, 2.5, 10, true, 3, 10},
        {"clamped", {0, 1}, 100, -1e300, 1e300, true, 0, 99},
        {"before", {0, 1}, 100, -10, -0.5, false, 0, 0},
        {"after", {0, 1}, 100, 99.5, 200, false, 0, 0},
        {"negative interval", {10, -1}, 11, 2, 5, true, 5, 8},
        {"interval 0 in", {3, 0}, 7, 0, 5, true, 0, 6},
        {"interval 0 out", {3, 0}, 7, 4, 5, false, 0, 0},
        {"tiny interval", {0, 1e-300}, 1000, -1, 1, true, 0, 999},
        {"NaN bound", {0, 1}, 10, NAN, 5, false, 0, 0},
        {"between points", {0, 1}, 10, 2.2, 2.8, false, 0, 0},
        {"no points", {0, 1}, 0, 0, 5, false, 0, 0},
        {"2^62 points", {0, 1}, int64_t(1) << 62, 1e30, 2e30, false, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int64_t first = 0, last = 0;
        EXPECT_EQ(VisibleIndexRange(row.x, row.count, row.minX, row.maxX, first, last), row.any);
        if (row.any) {
            EXPECT_EQ(first, row.first);
            EXPECT_EQ(last, row.last);
        }
    }
}

TEST(GraphRenderer, UnsafeFormatsAndOddInputsAreHarmless)
{
    auto project = CreateGraphProject();
    AddSeries(*project, {0.0, 1.0});
    ProjectProperty prop = Props(*project);
    prop.tickFormatX = "%s%s%s%s%n";
    prop.tickFormatY = "%d";
    prop.gridAutoX = false;
    prop.gridIntervalX = 1e-300; // one line per 1e-300 over the range: refused, not enumerated
    project->SetProperty(prop);
    CairoContext cairo(640, 480);
    GraphRenderer renderer(cairo, *project, 640, 480);
    renderer.resolutionDivisor = 0;
    renderer.Render();
    EXPECT_EQ(renderer.gridInterval.x, 1e-300);
    EXPECT_EQ(renderer.resolution, 530);
    EXPECT_EQ(cairo_status(cairo()), CAIRO_STATUS_SUCCESS);
}

TEST(GraphRenderer, InvalidContextIsRefused)
{
    auto project = CreateGraphProject();
    CairoContext cairo("x.jpg", 640, 480);
    GraphRenderer renderer(cairo, *project, 640, 480);
    ExpectWxAsserts asserts;
    renderer.Render();
    EXPECT_EQ(asserts.Count(), 1);
    EXPECT_EQ(renderer.lastSize.width, 1.0); // outputs untouched
}
