#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <filesystem>
#include <random>
#include <tuple>

#include <wx/filefn.h>

#include "render/CairoContext.h"
#include "render/GraphRenderer.h"
#include "support/CsvTestUtil.h"
#include "support/ModelTestUtil.h"
#include "support/RenderTestUtil.h"
#include "support/TestSupport.h"

namespace {

using csvtest::ReadFile;
using rendertest::PixelAt;
using rendertest::Project;

constexpr uint32_t WHITE = 0xFFFFFFFFu;
constexpr uint32_t BLUE = 0xFF0000FFu;
using Box = std::array<int, 4>; // x0, y0, x1, y1

void AddSeries(GraphProject& project, std::vector<double> values, DataX x = DataX{},
               LineStyle style = LineStyle{})
{
    auto series = MakeMipmappedSeries(std::move(values), x);
    series->SetLineStyle(style);
    project.Add(series);
}

const auto Dark = [](uint32_t p) { return (p & 0xFFu) < 0x80u; };
const auto Inked = [](uint32_t p) { return p != WHITE; };
// Grid lines off: any ink inside the frame is a curve.
const auto NoGrid = [](ProjectProperty& prop) { prop.gridEnabledX = prop.gridEnabledY = false; };
// Blue enough to be (part of) a default-coloured curve, not grey grid or black text.
const auto Bluish = [](uint32_t p) { return (p & 0xFF) > 0xC0 && ((p >> 16) & 0xFF) < 0x90; };

// A rendering into an off-screen image, with the renderer's outputs.
struct Picture
{
    std::unique_ptr<CairoContext> cairo;
    PlotArea plotArea;
    GridIntervals gridInterval;

    uint32_t At(int x, int y) const { return PixelAt(cairo->GetSurface(), x, y); }
    // True when some pixel of the box [x0, x1) x [y0, y1) satisfies is.
    bool Any(bool (*is)(uint32_t), int x0, int y0, int x1, int y1) const
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (is(At(x, y)))
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
    const RenderInfo info = renderer.Render();
    EXPECT_EQ(cairo_status((*p.cairo)()), CAIRO_STATUS_SUCCESS);
    EXPECT_TRUE(info.lastSize.width == w && info.lastSize.height == h);
    p.plotArea = info.plotArea;
    p.gridInterval = info.gridInterval;
    return p;
}

} // namespace

TEST(CairoContext, WindowImageCopiesInOnePiece)
{
    CairoContext window(40, 30);
    window.SetSourceColour(Colour(0, 128, 0));
    cairo_paint(window());
    cairo_surface_t* screen = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 60, 60);
    cairo_t* cr = cairo_create(screen);
    cairo_translate(cr, 10, 5); // where the pane sits in its top-level window
    window.CopyTo(cr);
    EXPECT_EQ(PixelAt(screen, 10, 5) & PixelAt(screen, 49, 34), 0xFF008000u);
    EXPECT_EQ(PixelAt(screen, 50, 35), 0xFF000000u);
    cairo_destroy(cr);
    cairo_surface_destroy(screen);
}

TEST(GraphRenderer, FrameTicksAndClippingAt640x480WithDefaults)
{
    auto project = Project({0, 100, 0, 1}, [](ProjectProperty& prop) {
        prop.gridLineColor = Colour(255, 0, 0);
        prop.gridLineWidth = 2.0;
        prop.gridEnabledX = false;
    });
    // A wide line that leaves the frame through its left and top edges (x = 128).
    AddSeries(*project, {0.5, 10.0}, DataX{0, 100}, LineStyle{20.0, Colour(0, 0, 255)});
    const Picture p = Draw(*project);
    const PlotArea& a = p.plotArea;
    EXPECT_EQ((std::vector<double>{a.left, a.top, a.width, a.height}),
              (std::vector<double>{100, 10, 530, 420}));
    // X: 100 / (round(530 / 50) - 1), with or without lines.
    EXPECT_EQ(std::make_pair(p.gridInterval.x, p.gridInterval.y), std::make_pair(10.0, 0.1));
    // The frame: a 1-pixel line centred on x = 100 covers half of columns 99 and 100.
    for (int x : {99, 100, 629, 630})
        EXPECT_NE(p.At(x, 200), WHITE) << x;
    for (int x : {98, 631, 5})
        EXPECT_EQ(p.At(x, 200), WHITE) << x;
    // X = 50 at x = 365: a tick mark half over column 365 and a label, but no grid line.
    EXPECT_EQ(p.At(365, 425), 0xFF7F7F7Fu);
    EXPECT_TRUE(p.Any(Dark, 350, 440, 380, 460));
    EXPECT_EQ(p.At(365, 200), WHITE);
    EXPECT_EQ(p.At(300, 219), 0xFFFF0000u); // the grid line of Y = 0.5 at y = 220
    // The curve is clipped to the frame; tick labels outside it are not.
    EXPECT_EQ(p.At(128, 14), BLUE);
    EXPECT_EQ(p.At(128, 6), WHITE);
    EXPECT_EQ(p.At(95, 220), WHITE);
    EXPECT_TRUE(p.Any(Dark, 40, 0, 95, 440));
}

TEST(GraphRenderer, RawPolylineOrMinMaxBand)
{
    // Alternating 0 and 1: few points draw a zig-zag with white between its teeth, many
    // points (more than two per pixel column) a filled band.
    for (size_t n : {size_t(11), size_t(100000)}) {
        SCOPED_TRACE(n);
        auto project = Project({0, double(n - 1), -1, 2}, NoGrid);
        std::vector<double> values(n);
        for (size_t i = 0; i < n; ++i)
            values[i] = double(i % 2);
        AddSeries(*project, values);
        const Picture p = Draw(*project);
        // Y = 0.5 is the frame's middle row (y = 220), Y = 1 at y = 150, Y = 0 at y = 290.
        const int peak = 100 + int(std::lround(530.0 / double(n - 1)));
        if (n > 2 * 530) {
            for (int y : {220, 151, 289})
                EXPECT_EQ(p.At(300, y), BLUE) << y;
            EXPECT_EQ(p.At(300, 145), WHITE); // above the maxima
        } else {
            EXPECT_EQ(p.At(peak, 220), WHITE);
            EXPECT_NE(p.At(peak, 151), WHITE); // the tooth's tip at Y = 1
        }
    }
}

// A series with its own X (jitter, repeats, a long pause): every pixel column with points
// shows their brute-force minimum and maximum; the pause is crossed by a line.
TEST(GraphRenderer, ExplicitXDrawsEachColumnsMinAndMax)
{
    std::mt19937_64 random(8);
    auto xs = std::make_shared<DataX::Values>();
    std::vector<double> values;
    double x = 0.0;
    for (int i = 0; i < 200000; ++i) {
        xs->push_back(x);
        values.push_back(random() % 997 == 0 ? 9.0 : std::sin(x / 50.0));
        x += i == 100000 ? 4000.0 : (random() % 10 == 0 ? 0.0 : 0.001 * double(random() % 20));
    }
    const double maxX = xs->back();
    for (size_t n : {size_t(500), values.size()}) { // a polyline, then blocks per column
        SCOPED_TRACE(n);
        auto xn = std::make_shared<DataX::Values>(xs->begin(), xs->begin() + long(n));
        const double right = n == values.size() ? maxX : xn->back();
        auto project = Project({0, right, -2, 10}, NoGrid);
        AddSeries(*project, std::vector<double>(values.begin(), values.begin() + long(n)),
                  DataX::Explicit(xn));
        const Picture p = Draw(*project);
        const PlotArea& a = p.plotArea;
        const double width = right / a.width;
        auto row = [&](double v) { return int(a.top + (10.0 - v) / 12.0 * a.height); };
        size_t i = 0;
        int checked = 0;
        for (int c = 0; c < int(a.width) - 1; ++c) {
            double lo = HUGE_VAL, hi = -HUGE_VAL;
            for (; i < n && (*xn)[i] < (c + 1) * width; ++i) {
                lo = std::min(lo, values[i]);
                hi = std::max(hi, values[i]);
            }
            if (lo > hi || c == 0) // the frame covers the first column
                continue;
            const int px = int(a.left) + c;
            for (int target : {row(lo), row(hi)}) {
                // Grid lines are off: any ink inside the frame is the curve.
                ASSERT_TRUE(p.Any(Inked, px - 1, target - 1, px + 2, target + 2))
                    << "column " << c << " row " << target;
            }
            ++checked;
        }
        EXPECT_GT(checked, 50);
        if (n < values.size())
            continue;
        // The pause: one line from the last point before it to the first after it, no band.
        const double x0 = (*xn)[100000], x1 = (*xn)[100001];
        const double mid = (x0 + x1) / 2;
        const double v =
            values[100000] + (values[100001] - values[100000]) * (mid - x0) / (x1 - x0);
        const int px = int(a.left + mid / width);
        EXPECT_TRUE(p.Any(Inked, px - 1, row(v) - 1, px + 2, row(v) + 2));
        EXPECT_FALSE(p.Any(Inked, px - 1, row(v) + 6, px + 2, row(v) + 40));
    }
}

TEST(GraphRenderer, RasterMatchesCairoPaths)
{
    // The direct raster draws the shapes cairo would: compare both renderings pixel by
    // pixel for a noise band with gaps, clipped lines and a HiDPI image.
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 1.5);
    std::vector<double> band(300000), line(700);
    for (std::vector<double>* values : {&band, &line})
        for (double& v : *values)
            v = noise(rng);
    std::fill(band.begin() + 1000, band.begin() + 1500, NAN);
    line[300] = NAN;
    const std::tuple<const char*, std::vector<double>*, double, double> rows[] = {
        // name, values, line width, scale
        {"wide band", &band, 5.0, 1.0},
        {"wide polyline", &line, 3.5, 1.0},
        {"HiDPI polyline", &line, 1.0, 2.0},
    };
    for (const auto& [name, values, width, scale] : rows) {
        SCOPED_TRACE(name);
        auto project = Project({0, double(values->size()), -4, 4});
        AddSeries(*project, *values, DataX{}, LineStyle{width, Colour(200, 30, 0)});
        CairoContext fast(640, 480, scale), exact(640, 480, scale);
        GraphRenderer(fast, *project, 640, 480).Render();
        GraphRenderer paths(exact, *project, 640, 480);
        paths.rasterCurves = false;
        paths.Render();
        int worst = 0;
        double total = 0;
        const int w = int(640 * scale), h = int(480 * scale);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int shift : {0, 8, 16}) {
                    const int d = std::abs(int(PixelAt(fast.GetSurface(), x, y) >> shift & 0xFF) -
                                           int(PixelAt(exact.GetSurface(), x, y) >> shift & 0xFF));
                    worst = std::max(worst, d);
                    total += d;
                }
        EXPECT_LE(worst, 80) << "anti-aliasing may differ a little, shapes not";
        EXPECT_LT(total / (3.0 * w * h), 0.5);
    }
}

TEST(GraphRenderer, LabelPositionsPickTheSideBySign)
{
    // Wide margins give room on every side; each case shows one kind of text only.
    // name, tick labels (else axis labels), position X and Y, boxes where the text must and
    // must not be
    const std::tuple<const char*, bool, double, double, Box, Box> rows[] = {
        {"X ticks below", true, -1000, -15, {150, 400, 500, 420}, {150, 60, 500, 100}},
        {"X ticks above", true, -1000, 20, {150, 60, 500, 100}, {150, 400, 500, 420}},
        {"Y ticks left", true, -55, 1000, {40, 100, 100, 400}, {615, 100, 720, 400}},
        {"Y ticks right", true, 20, 1000, {615, 100, 720, 400}, {40, 100, 100, 400}},
        {"X label below", false, -1000, -40, {200, 420, 450, 440}, {200, 60, 450, 100}},
        {"X label above", false, -1000, 30, {200, 60, 450, 100}, {200, 420, 450, 440}},
        {"Y label left", false, -70, 1000, {20, 150, 100, 350}, {615, 150, 720, 350}},
        {"Y label right", false, 40, 1000, {615, 150, 670, 350}, {20, 150, 100, 350}},
    };
    for (const auto& [name, ticks, posX, posY, yes, no] : rows) {
        SCOPED_TRACE(name);
        auto project = Project({0, 100, 0, 1}, [t = ticks, x = posX, y = posY](auto& prop) {
            prop.gridEnabledX = prop.gridEnabledY = false;
            prop.marginLeft = prop.marginRight = 110;
            prop.marginTop = prop.marginBottom = 100;
            prop.tickLineLength = prop.frameLineWidth = 0;
            (t ? prop.tickPositionX : prop.axisPositionX) = x;
            (t ? prop.tickPositionY : prop.axisPositionY) = y;
            (t ? prop.axisLabelX : prop.tickFormatX) = "";
            (t ? prop.axisLabelY : prop.tickFormatY) = "";
        });
        const Picture p = Draw(*project, 720, 500); // frame (110, 100) to (610, 400)
        EXPECT_TRUE(p.Any(Dark, yes[0], yes[1], yes[2], yes[3]));
        EXPECT_FALSE(p.Any(Dark, no[0], no[1], no[2], no[3]));
    }
}

// Each kind is written through the atomic writer (its rules: AtomicFileTest): an old file
// is replaced once the new one is complete, and a stray file with the temporary name the
// image writer once took is neither used nor removed. A failure replaces nothing.
TEST(GraphRenderer, EachFileKindHoldsTheGraphOtherwiseInvalid)
{
    const csvtest::TempDir dir;
    dir.Write("keep.png", "good");
    auto project = Project(PlotRange{},
                           [](ProjectProperty& prop) { prop.bgColor = Colour(255, 255, 255, 0); });
    AddSeries(*project, std::vector<double>(5000, 0.5));
    // name, width, kind, what the file starts with and holds
    const std::tuple<const char*, double, CairoTarget, std::string, std::string> rows[] = {
        {"g.pNg", 640.9, CairoTarget::Png, "\x89PNG\r\n\x1a\n", "IEND"},
        {"g.PDF", 640, CairoTarget::Pdf, "%PDF", "%%EOF"},
        {"g.Ps", 640, CairoTarget::Ps, "%!PS", "%%EOF"},
        {"g.svg", 640, CairoTarget::Svg, "<?xml", "<svg"},
        {"g.eps", 640, CairoTarget::Invalid, "", ""},
        {"g.png.txt", 640, CairoTarget::Invalid, "", ""},
        {"no/such/g.pdf", 640, CairoTarget::Invalid, "", ""},
        {"zero.png", 0.5, CairoTarget::Invalid, "", ""},
        {"nan.svg", NAN, CairoTarget::Invalid, "", ""},
        {"keep.png", -1, CairoTarget::Invalid, "good", "good"},
    };
    for (const auto& [name, width, kind, head, inside] : rows) {
        SCOPED_TRACE(name);
        const std::string path = dir.Path(name);
        const bool valid = kind != CairoTarget::Invalid;
        if (valid) {
            dir.Write(name, "old");
            dir.Write(std::string(name) + ".tmp", "stray");
        }
        {
            CairoContext cairo(path, width, 480.2);
            ASSERT_EQ(cairo.GetKind(), kind);
            ExpectWxAsserts asserts; // the renderer refuses an invalid target
            GraphRenderer(cairo, *project, 640, 480).Render();
            EXPECT_EQ(asserts.Count(), valid ? 0 : 1);
            EXPECT_EQ(ReadFile(path), valid ? "old" : head) << "replaced only when complete";
        }
        const std::string bytes = ReadFile(path);
        EXPECT_EQ(bytes.substr(0, head.size()), head);
        EXPECT_NE(bytes.find(inside), std::string::npos);
        EXPECT_EQ(wxFileExists(path), !head.empty());
        EXPECT_EQ(ReadFile(path + ".tmp"), valid ? "stray" : "");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()), {}), 9);
    cairo_surface_t* png = cairo_image_surface_create_from_png(dir.Path("g.pNg").c_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), 640);           // truncated, not rounded
    for (auto [x, y] : {std::pair{5, 5}, {635, 475}, {300, 100}}) // margins, inside the frame
        EXPECT_EQ(PixelAt(png, x, y) >> 24, 0u) << x << "," << y;
    EXPECT_GT(PixelAt(png, 300, 10) >> 24, 100u); // the frame line
    cairo_surface_destroy(png);
}

TEST(GraphRenderer, DegenerateRangesDrawNoCurvesAndDivideByNothing)
{
    // name, range, image width and height, grid intervals X and Y
    const std::tuple<const char*, PlotRange, int, int, double, double> rows[] = {
        {"zero width range", {5, 5, 0, 1}, 640, 480, 1.0, 0.1},
        {"zero height range", {0, 10, 3, 3}, 640, 480, 1.0, 1.0},
        {"reversed X", {10, 0, 0, 1}, 640, 480, -1, 0.1},
        {"NaN range", {NAN, 10, 0, NAN}, 640, 480, -1, -1},
        {"infinite span", {-DBL_MAX, DBL_MAX, 0, 1}, 640, 480, -1, 0.1},
        {"negative plot size", {0, 10, 0, 1}, 90, 40, -1, -1},
    };
    for (const auto& [name, range, width, height, gridX, gridY] : rows) {
        SCOPED_TRACE(name);
        auto project = CreateGraphProject();
        AddSeries(*project, std::vector<double>(11, 5.0));
        {
            ExpectWxAsserts asserts; // SetPlotRange asserts on inverted ranges
            project->SetPlotRange(range.minX, range.maxX, range.minY, range.maxY);
        }
        const Picture p = Draw(*project, width, height);
        EXPECT_EQ(p.gridInterval.x, gridX);
        EXPECT_NEAR(p.gridInterval.y, gridY, 1e-12);
        EXPECT_FALSE(p.Any(Bluish, 0, 0, width, height));
    }
}

TEST(GraphRenderer, AwkwardSeriesDrawWithoutStrayLines)
{
    auto project = Project({0, 10, 0, 1});
    AddSeries(*project, {0.2, 0.8, 0.5}, DataX{8.5, 0});
    AddSeries(*project, {0.5, 1e300, -1e300, 0.5, -INFINITY, INFINITY, 0.5}, DataX{1, 1});
    for (bool raster : {true, false}) {
        SCOPED_TRACE(raster ? "raster" : "paths");
        const Picture p = Draw(*project, 640, 480, raster);
        EXPECT_TRUE(Bluish(p.At(550, 220))); // X interval 0: all points at X = 8.5
        // Lines towards +-1e300 leave the frame almost vertically at X = 1 and cross it at
        // X = 2.5; nothing wraps around to stray places.
        EXPECT_TRUE(Bluish(p.At(153, 100)) && Bluish(p.At(232, 300)));
        EXPECT_FALSE(Bluish(p.At(206, 100)) || Bluish(p.At(400, 100)));
    }
}

TEST(GraphRenderer, UnsafeFormatsAndTinyIntervalsAreHarmless)
{
    auto project = Project(PlotRange{}, [](ProjectProperty& prop) {
        prop.tickFormatX = "%s%s%s%s%n";
        prop.tickFormatY = "%d";
        prop.gridAutoX = false;
        prop.gridIntervalX = 1e-300; // refused, not enumerated
    });
    CairoContext cairo(640, 480);
    GraphRenderer renderer(cairo, *project, 640, 480);
    renderer.resolutionDivisor = 0;
    EXPECT_EQ(renderer.Render().gridInterval.x, 1e-300);
    EXPECT_EQ(renderer.resolution, 530);
    EXPECT_EQ(cairo_status(cairo()), CAIRO_STATUS_SUCCESS);
}

// The legend of two labelled series stays inside the chosen corner of the frame, which is
// (100, 10)-(630, 430) at 640 x 480 with the default margins; its properties alone change
// nothing. The command line's --legend: Cli.PlotAndExportASavedProject.
TEST(Legend, DrawnOnlyInsideTheChosenCornerOfTheFrame)
{
    const auto draw = [](const std::function<void(ProjectProperty&)>& edit) {
        auto project = Project({0, 10, -2, 2}, edit);
        for (const char* label : {"sine", "a longer label"}) {
            project->Add(MakeMipmappedSeries({-1, 1, 0.5}, DataX{0, 5}));
            project->GetItem(project->GetCount() - 1)->SetLabel(label);
        }
        return Draw(*project);
    };
    const Picture plain = draw({});
    // visible, position, the quarter of the frame the legend must stay in, the fewest
    // pixels it changes
    const std::tuple<bool, const char*, Box, int> rows[] = {
        {false, "bottom left", {0, 0, 0, 0}, 0}, // every property set, but off
        {true, "top right", {365, 10, 631, 220}, 500},
        {true, "bottom left", {100, 220, 365, 431}, 500},
        {true, "top left", {100, 10, 365, 220}, 500},
    };
    for (const auto& [visible, position, box, changed] : rows) {
        SCOPED_TRACE(std::string(position) + (visible ? "" : ", off"));
        const Picture p = draw([v = visible, at = position](ProjectProperty& prop) {
            prop.legendVisible = v;
            prop.legendPosition = at;
            prop.legendFont.pointSize = 14;
            prop.legendBGColor = Colour(255, 0, 0);
        });
        int inside = 0, outside = 0;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                if (p.At(x, y) != plain.At(x, y))
                    ++(x >= box[0] && x < box[2] && y >= box[1] && y < box[3] ? inside : outside);
        EXPECT_GE(inside, changed);
        EXPECT_EQ(0, outside);
    }
}

// Over random ranges and sizes, on number and time axes, no two tick labels (nor the dates
// under them) touch: crowded labels are thinned.
TEST(GraphRenderer, TickLabelsNeverOverlap)
{
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int run = 0; run < 300; ++run) {
        const bool time = run % 2 == 1;
        const double span = std::pow(10.0, -7.0 + 17.0 * unit(random));
        const double minX = (unit(random) - 0.3) * span * (time ? 3.0 : 1e6);
        const double ySpan = std::pow(10.0, -8.0 + 16.0 * unit(random));
        const int w = 120 + int(unit(random) * 1800), h = 100 + int(unit(random) * 900);
        SCOPED_TRACE(testing::Message() << "run " << run << " span " << span << " at " << minX
                                        << " size " << w << "x" << h);
        auto project = Project(PlotRange{minX, minX + span, -ySpan, 3 * ySpan});
        if (time) {
            auto series = MakeMipmappedSeries({0.0, 1.0}, DataX{minX, span});
            series->SetTimeOrigin(1772719530123456789); // 2026-03-05T14:05:30.123456789
            project->Add(series);
        }
        CairoContext cairo(w, h);
        GraphRenderer renderer(cairo, *project, w, h);
        renderer.Render();
        const auto& boxes = renderer.labelBoxes;
        for (size_t a = 0; a < boxes.size(); ++a)
            for (size_t b = a + 1; b < boxes.size(); ++b) {
                const auto &p = boxes[a], &q = boxes[b];
                ASSERT_FALSE(p.left < q.left + q.width && q.left < p.left + p.width &&
                             p.top < q.top + q.height && q.top < p.top + p.height)
                    << a << " and " << b << " of " << boxes.size();
            }
    }
}
