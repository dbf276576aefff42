#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "model/GraphProject.h"
#include "ModelTestUtil.h"
#include "support/TestSupport.h"

namespace {

// Series changes are forwarded as PROJ_DATA; a removed series no longer reaches the
// project's observers.
TEST(GraphProject, AddRemoveAndSeriesChangesNotifyInOrder)
{
    auto project = CreateGraphProject();
    ProjectRecorder recorder;
    project->Attach(&recorder);
    auto a = MakeSeries({1}), b = MakeSeries({2}), c = MakeSeries({3});
    project->Add(a);
    project->Add(b);
    project->Add(c);
    project->Remove(1);
    ASSERT_EQ(project->GetCount(), 2);
    EXPECT_EQ(project->GetItem(0), a);
    EXPECT_EQ(project->GetItem(1), c);
    b->SetLabel("gone");
    c->SetVisible(false);
    EXPECT_EQ(recorder.Kinds(),
              (std::vector<uint32_t>{PROJ_ADD, PROJ_ADD, PROJ_ADD, PROJ_REMOVE, PROJ_DATA}));
    EXPECT_EQ(recorder.updates[0].data, nullptr);
    EXPECT_EQ(recorder.updates[4].data, c.get());
    EXPECT_EQ(recorder.updates[4].dataKind, DATA_VISIBLE);
}

TEST(GraphProject, BadIndexAssertsAndDoesNothing)
{
    auto project = CreateGraphProject();
    project->Add(MakeSeries({1}));
    ExpectWxAsserts asserts;
    EXPECT_EQ(project->GetItem(1), nullptr);
    EXPECT_EQ(project->GetItem(-1), nullptr);
    project->Remove(5);
    EXPECT_EQ(project->GetCount(), 1);
    EXPECT_EQ(asserts.Count(), 3);
}

TEST(GraphProject, SettersNotifyOnlyOnChange)
{
    auto project = CreateGraphProject();
    ProjectRecorder recorder;
    project->Attach(&recorder);
    project->SetPlotRange(0, 1, 0, 1);
    EXPECT_TRUE(recorder.updates.empty());
    project->SetPlotRange(0, 1, 0, 2);
    EXPECT_EQ(recorder.Kinds(), std::vector<uint32_t>{PROJ_PLOT_RANGE});
    ExpectWxAsserts asserts;             // a NaN bound fails "minY <= maxY"
    project->SetPlotRange(0, 1, 0, NAN); // NaN always counts as a change
    project->SetPlotRange(0, 1, 0, NAN);
    EXPECT_EQ(recorder.updates.size(), 3u);
    project->SetPlotRange(2, 1, 0, 1); // inverted: asserted, stored all the same
    EXPECT_EQ(project->GetPlotRange().minX, 2.0);
    EXPECT_EQ(asserts.Count(), 3);

    // Properties compare every field, text case-sensitively.
    const size_t before = recorder.updates.size();
    ProjectProperty p = project->GetProperty();
    project->SetProperty(p);
    p.tickFormatX = "%.0F";
    project->SetProperty(p);
    p.axisFont.weight = FONT_WEIGHT_BOLD;
    project->SetProperty(p);
    p.gridAutoY = false;
    project->SetProperty(p);
    EXPECT_EQ(recorder.updates.size(), before + 3);
    EXPECT_EQ(recorder.Kinds().back(), PROJ_PROPERTY);
}

TEST(GraphProject, NotifyDisabledChangesSilently)
{
    auto project = CreateGraphProject();
    ProjectRecorder recorder;
    project->Attach(&recorder);
    project->SetNotifyEnabled(false);
    project->Add(MakeSeries({1}));
    project->Remove(0);
    project->SetPlotRange(0, 2, 0, 2);
    ProjectProperty p = project->GetProperty();
    p.marginTop = 20;
    project->SetProperty(p);
    EXPECT_TRUE(recorder.updates.empty());
    EXPECT_EQ(project->GetPlotRange(), (PlotRange{0, 2, 0, 2})) << "changed all the same";
}

TEST(GraphProject, InterimMarksEveryKindAndEndSendsOneSummary)
{
    auto project = CreateGraphProject();
    auto series = MakeSeries({1});
    project->Add(series);
    ProjectRecorder recorder;
    project->Attach(&recorder);
    project->BeginInterim();
    project->SetPlotRange(0, 2, 0, 1);
    project->SetPlotRange(0, 3, 0, 1);
    project->SetPlotRange(0, 4, 0, 1);
    series->SetLabel("s"); // interim too, but not pending
    project->EndInterim();
    EXPECT_EQ(recorder.Kinds(), (std::vector<uint32_t>{0x80000008u, 0x80000008u, 0x80000008u,
                                                       PROJ_DATA | PROJ_INTERIM, PROJ_PLOT_RANGE}));
    // A second EndInterim, or an interim without changes, sends nothing.
    project->EndInterim();
    project->BeginInterim();
    project->EndInterim();
    EXPECT_EQ(recorder.updates.size(), 5u);
}

TEST(GraphProject, DestroyingProjectDetachesFromSurvivingSeries)
{
    auto series = MakeSeries({1});
    ProjectRecorder recorder;
    {
        auto project = CreateGraphProject();
        project->Add(series);
        project->Attach(&recorder);
    }
    EXPECT_TRUE(series->GetObservers().empty());
    EXPECT_TRUE(recorder.GetObservables().empty());
    series->SetLabel("after"); // must not touch the destroyed project
}

TEST(FitRange, CoversConsideredSeriesAndWidensSingleValues)
{
    auto project = CreateGraphProject();
    EXPECT_EQ(ComputeFitRange(*project), (PlotRange{0, 1, 0, 1}));

    auto flat = MakeSeries({3, 3, 3}, DataX{10, 1}); // X 10..12, Y 3
    auto single = MakeSeries({-2}, DataX{20, 1});    // X 20, Y -2
    project->Add(flat);
    auto empty = MakeSeries({}, DataX{-100, 1}); // no points: no extent
    project->Add(empty);
    EXPECT_EQ(ComputeFitRange(*project), (PlotRange{10, 12, 2, 4}));

    project->Add(single);
    flat->SetVisible(false);
    // Only the visible one: one point; or all of them, whether visible or not.
    EXPECT_EQ(ComputeFitRange(*project), (PlotRange{19, 21, -3, -1}));
    EXPECT_EQ(ComputeFitRange(*project, true), (PlotRange{10, 20, -2, 3}));

    single->SetVisible(false);
    empty->SetVisible(false); // none visible: all considered
    EXPECT_EQ(ComputeFitRange(*project), (PlotRange{10, 20, -2, 3}));
}

TEST(FitRange, AxisWithoutNumbersFallsBackToUnitRange)
{
    auto project = CreateGraphProject();
    project->Add(MakeSeries({NAN, NAN}, DataX{5, 1}));
    EXPECT_EQ(ComputeFitRange(*project), (PlotRange{5, 6, 0, 1}));
}

// One infinity must not blank the graph: fits and data ranges take the finite values, and
// a series of infinities only counts as absent, on both axes.
TEST(FitRange, InfinitiesAreLeftOut)
{
    const double inf = INFINITY;
    const struct
    {
        const char* name;
        std::vector<std::vector<double>> series; // X of series k starts at 100 k
        std::vector<bool> visible;
        PlotRange fit;
    } rows[] = {
        {"-inf beside numbers", {{NAN, -inf, 0, 2}}, {true}, {0, 3, 0, 2}},
        {"+inf and -inf", {{inf, 1, -inf, 4, NAN}}, {true}, {0, 4, 1, 4}},
        {"infinities only, alone", {{-inf, -inf}}, {true}, {0, 1, 0, 1}},
        {"infinities only, beside a series",
         {{1, 2}, {-inf, NAN, inf}},
         {true, true},
         {0, 1, 1, 2}},
        {"the only visible one has infinities only", {{1, 2}, {-inf}}, {false, true}, {0, 1, 1, 2}},
        {"a single finite value among infinities", {{-inf, 5, inf}}, {true}, {0, 2, 4, 6}},
        {"gaps only still give X (as before)", {{NAN, NAN}, {-inf}}, {true, true}, {0, 1, 0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto project = CreateGraphProject();
        for (size_t k = 0; k < row.series.size(); ++k) {
            auto series = MakeMipmappedSeries(row.series[k], DataX{100.0 * double(k), 1}, 1);
            series->SetVisible(row.visible[k]);
            project->Add(series);
        }
        EXPECT_EQ(ComputeFitRange(*project), row.fit);
        const PlotRange r = ComputeFitRange(*project);
        EXPECT_TRUE(std::isfinite(r.minY) && std::isfinite(r.maxY));
    }

    auto project = CreateGraphProject();
    project->Add(MakeSeries({-inf, 3, 8}));
    project->Add(MakeSeries({inf, inf}, DataX{-50, 1}));
    EXPECT_EQ((std::vector<double>{0, 2, 3, 8}),
              (std::vector<double>{project->GetMinX(false), project->GetMaxX(false),
                                   project->GetMinY(false), project->GetMaxY(false)}));
}

// Fitting Y to what is visible: only the visible series' finite points inside the X window
// count (hidden series and infinities do not); a single value is widened; none is false.
TEST(GraphProject, VisibleRangeYCountsTheWindowOnly)
{
    const double inf = INFINITY;
    auto project = CreateGraphProject();
    project->Add(MakeMipmappedSeries({5, 1, -inf, 7, 2, 9, 3, 4}, DataX{0, 1}, 1));
    auto hidden = MakeSeries({-100, 100}, DataX{2, 1});
    hidden->SetVisible(false);
    project->Add(hidden);
    const struct
    {
        double minX, maxX;
        bool found;
        double minY, maxY;
    } rows[] = {
        {0.5, 4.5, true, 1, 7},  // the infinity at 2 is left out
        {5, 5, true, 8, 10},     // one value, widened
        {2, 2, false, 0, 0},     // only an infinity
        {20, 30, false, 0, 0},   // past the data
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.minX);
        double lo = 0, hi = 0;
        ASSERT_EQ(row.found, ComputeVisibleRangeY(*project, row.minX, row.maxX, lo, hi));
        if (row.found) {
            EXPECT_EQ(row.minY, lo);
            EXPECT_EQ(row.maxY, hi);
        }
    }
}

} // namespace
