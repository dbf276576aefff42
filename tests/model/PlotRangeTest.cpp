#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "model/GraphProject.h"
#include "model/PlotRange.h"
#include "model/ViewHistory.h"

namespace {

TEST(PlotRange, UsableAxes)
{
    const double inf = INFINITY;
    const struct
    {
        double lo, hi;
        bool usable;
    } rows[] = {
        {0, 1, true},
        {-1e308, 1e307, true},
        {1, 1, false}, // empty
        {2, 1, false}, // inverted
        {NAN, 1, false},
        {0, inf, false},
        {-inf, 0, false},
        {-1e308, 1e308, false},   // span overflows
        {1e6, 1e6 + 1e-7, false}, // below the relative floor
        {1e6, 1e6 + 1e-5, true},
        {0, 1e-300, true}, // tiny but relative to tiny bounds
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.lo << " " << row.hi);
        EXPECT_EQ(row.usable, IsUsableAxis(row.lo, row.hi));
    }
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
    const struct
    {
        double stored, used;
    } rows[] = {
        {2, 2},     {1e-3, 1e-3},    {1e3, 1e3}, {0, 1.1},    {-2, 1.1},
        {NAN, 1.1}, {INFINITY, 1.1}, {1e4, 1.1}, {1e-4, 1.1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.used, ValidZoomFactor(row.stored)) << row.stored;
}

// Thousands of wheel steps out or a few huge steps in stop at the last usable range
// instead of overflowing to infinity or collapsing min onto max.
TEST(PlotRange, ProjectZoomStopsAtTheLimits)
{
    const struct
    {
        const char* name;
        double factor;
        int steps;
    } rows[] = {
        {"7,300 steps out at 1.1", 1.1, 8000},
        {"steps in at 1000", 1e-3, 10},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto project = CreateGraphProject();
        project->SetPlotRange(0, 1000, 0, 1);
        for (int i = 0; i < row.steps; ++i) {
            project->ZoomX(100, row.factor);
            project->ZoomY(0.5, row.factor);
        }
        const PlotRange r = project->GetPlotRange();
        EXPECT_TRUE(IsUsableRange(r)) << r.minX << " " << r.maxX << " " << r.minY << " " << r.maxY;
        // And it still zooms back the other way.
        project->ZoomX(100, 1 / row.factor);
        EXPECT_NE(r.maxX - r.minX, project->GetPlotRange().maxX - project->GetPlotRange().minX);
    }
}

PlotRange At(double x)
{
    return PlotRange{x, x + 1, 0, 1};
}

TEST(ViewHistory, BackForwardAndANewRangeDropsWhatLayAhead)
{
    ViewHistory h;
    h.Reset(At(0));
    EXPECT_FALSE(h.CanGoBack());
    for (double x : {1, 2, 3})
        h.Push(At(x));
    h.Push(At(3)); // the same range twice counts once
    EXPECT_EQ(4u, h.GetCount());
    EXPECT_EQ(At(2), h.GoBack());
    EXPECT_EQ(At(1), h.GoBack());
    EXPECT_EQ(At(2), h.GoForward());
    h.Push(At(9));
    EXPECT_FALSE(h.CanGoForward());
    EXPECT_EQ(At(2), h.GoBack());
    EXPECT_EQ(At(1), h.GoBack());
    EXPECT_EQ(At(0), h.GoBack());
    EXPECT_FALSE(h.CanGoBack());
}

// The empty project's view is no place to go back to: the first view of data takes its
// place, and views before the data replace each other.
TEST(ViewHistory, AViewWithoutDataIsReplacedByTheNextOne)
{
    ViewHistory h;
    h.Reset(At(0), false);
    h.Push(At(1), false); // the range edited before any import
    EXPECT_EQ(1u, h.GetCount());
    h.Push(At(5)); // the first fit after an import
    EXPECT_EQ(1u, h.GetCount());
    EXPECT_FALSE(h.CanGoBack());
    h.Push(At(6));
    EXPECT_EQ(At(5), h.GoBack());
    EXPECT_FALSE(h.CanGoBack());
}

TEST(ViewHistory, KeepsTheLastHundredRanges)
{
    ViewHistory h;
    h.Reset(At(0));
    for (int x = 1; x <= 150; ++x)
        h.Push(At(x));
    EXPECT_EQ(ViewHistory::MAX_ENTRIES, h.GetCount());
    PlotRange oldest;
    while (h.CanGoBack())
        oldest = h.GoBack();
    EXPECT_EQ(At(51), oldest);
}

} // namespace
