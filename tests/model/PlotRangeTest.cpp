#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "model/GraphProject.h"
#include "model/PlotRange.h"
#include "model/ViewHistory.h"

namespace {

// Empty, inverted, infinite, overflowing spans and spans below the floor relative to the
// bounds are refused; tiny spans about tiny bounds are not.
TEST(PlotRange, UsableAxes)
{
    const double inf = INFINITY;
    const std::tuple<double, double, bool> rows[] = {
        {0, 1, true},      {-1e308, 1e307, true},   {1, 1, false},
        {2, 1, false},     {NAN, 1, false},         {0, inf, false},
        {-inf, 0, false},  {-1e308, 1e308, false},  {1e6, 1e6 + 1e-7, false},
        {0, 1e-300, true}, {1e6, 1e6 + 1e-5, true},
    };
    for (const auto& [lo, hi, usable] : rows)
        EXPECT_EQ(usable, IsUsableAxis(lo, hi)) << lo << " " << hi;
}

TEST(PlotRange, ZoomKeepsTheCentreAndPanMovesBothBounds)
{
    const PlotRange r{0, 1000, -1, 1};
    // One wheel step about X = 100 with the default factor, in and out.
    PlotRange in = ZoomedX(r, 100, 1 / 1.1);
    EXPECT_DOUBLE_EQ(100 - 100 / 1.1, in.minX);
    EXPECT_DOUBLE_EQ(100 + 900 / 1.1, in.maxX);
    EXPECT_EQ(-1, in.minY);
    PlotRange out = ZoomedX(r, 100, 1.1);
    EXPECT_NEAR(-10, out.minX, 1e-12);
    EXPECT_DOUBLE_EQ(1090, out.maxX);
    PlotRange y = ZoomedY(r, 1, 2);
    EXPECT_EQ((PlotRange{0, 1000, -3, 1}), y);

    EXPECT_EQ((PlotRange{-53, 947, 41, 43}), Panned(r, -53, 42));
    EXPECT_EQ((PlotRange{5, 6, 0, 1}), MergeAxes(PlotRange{}, PlotRange{5, 6, 7, 8}, true, false));
    EXPECT_EQ((PlotRange{0, 1, 7, 8}), MergeAxes(PlotRange{}, PlotRange{5, 6, 7, 8}, false, true));
}

TEST(PlotRange, ZoomFactorsOutsideTheBoundsGiveTheDefault)
{
    const std::pair<double, double> rows[] = {
        {2, 2},     {1e-3, 1e-3},    {1e3, 1e3}, {0, 1.1},    {-2, 1.1},
        {NAN, 1.1}, {INFINITY, 1.1}, {1e4, 1.1}, {1e-4, 1.1},
    };
    for (const auto& [stored, used] : rows)
        EXPECT_EQ(used, ValidZoomFactor(stored)) << stored;
}

// Thousands of wheel steps out (7,300 at 1.1) or a few huge steps in stop at the last
// usable range instead of overflowing to infinity or collapsing min onto max.
TEST(PlotRange, ProjectZoomStopsAtTheLimits)
{
    for (const auto& [factor, steps] : {std::pair{1.1, 8000}, {1e-3, 10}}) {
        SCOPED_TRACE(factor);
        auto project = CreateGraphProject();
        project->SetPlotRange(0, 1000, 0, 1);
        for (int i = 0; i < steps; ++i) {
            project->ZoomX(100, factor);
            project->ZoomY(0.5, factor);
        }
        const PlotRange r = project->GetPlotRange();
        EXPECT_TRUE(IsUsableRange(r)) << r.minX << " " << r.maxX << " " << r.minY << " " << r.maxY;
        // And it still zooms back the other way.
        project->ZoomX(100, 1 / factor);
        EXPECT_NE(r.maxX - r.minX, project->GetPlotRange().maxX - project->GetPlotRange().minX);
    }
}

PlotRange At(double x)
{
    return PlotRange{x, x + 1, 0, 1};
}

// Back and forward; a new range drops what lay ahead, the same range twice counts once.
// The empty project's view is no place to go back to: views before the data replace each
// other and the first view of data takes their place. The last hundred are kept.
TEST(ViewHistory, BackForwardAndWhatIsKept)
{
    ViewHistory h;
    h.Reset(At(-2), false);
    h.Push(At(-1), false); // the range edited before any import
    h.Push(At(0));         // the first fit after an import
    EXPECT_EQ(1u, h.GetCount());
    for (double x : {1, 2, 3, 3})
        h.Push(At(x));
    EXPECT_EQ(4u, h.GetCount());
    EXPECT_EQ(At(2), h.GoBack());
    EXPECT_EQ(At(1), h.GoBack());
    EXPECT_EQ(At(2), h.GoForward());
    h.Push(At(9));
    EXPECT_FALSE(h.CanGoForward());
    std::vector<PlotRange> back;
    while (h.CanGoBack())
        back.push_back(h.GoBack());
    EXPECT_EQ(back, (std::vector<PlotRange>{At(2), At(1), At(0)}));

    for (int x = 1; x <= 150; ++x)
        h.Push(At(x));
    EXPECT_EQ(ViewHistory::MAX_ENTRIES, h.GetCount());
    while (h.CanGoBack())
        back.push_back(h.GoBack());
    EXPECT_EQ(At(51), back.back());
}

} // namespace
