#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "model/GraphProject.h"
#include "support/ModelTestUtil.h"
#include "support/TestSupport.h"

namespace {

// Series changes are forwarded as PROJ_DATA; a removed series no longer reaches the
// project's observers, nor a series the destroyed project.
TEST(GraphProject, AddRemoveAndSeriesChangesNotifyInOrder)
{
    auto a = MakeSeries({1}), b = MakeSeries({2}), c = MakeSeries({3});
    ProjectRecorder recorder;
    {
        auto project = CreateGraphProject();
        project->Attach(&recorder);
        for (auto& series : {a, b, c})
            project->Add(series);
        project->Remove(1);
        EXPECT_EQ((std::vector<GraphData*>{project->GetItem(0).get(), project->GetItem(1).get()}),
                  (std::vector<GraphData*>{a.get(), c.get()}));
        b->SetLabel("gone");
        c->SetVisible(false);
        EXPECT_EQ(recorder.Kinds(),
                  (std::vector<uint32_t>{PROJ_ADD, PROJ_ADD, PROJ_ADD, PROJ_REMOVE, PROJ_DATA}));
        EXPECT_EQ(recorder.updates[0].data, nullptr);
        EXPECT_EQ(recorder.updates[4].data, c.get());
        EXPECT_EQ(recorder.updates[4].dataKind, DATA_VISIBLE);

        ExpectWxAsserts asserts; // a bad index asserts and does nothing
        EXPECT_EQ(project->GetItem(2), nullptr);
        EXPECT_EQ(project->GetItem(-1), nullptr);
        project->Remove(5);
        EXPECT_EQ(project->GetCount(), 2);
        EXPECT_EQ(asserts.Count(), 3);
    }
    EXPECT_TRUE(a->GetObservers().empty());
    EXPECT_TRUE(recorder.GetObservables().empty());
    a->SetLabel("after"); // must not touch the destroyed project
}

TEST(GraphProject, SettersNotifyOnlyOnChange)
{
    auto project = CreateGraphProject();
    ProjectRecorder recorder;
    project->Attach(&recorder);
    project->SetPlotRange(0, 1, 0, 1);
    project->SetPlotRange(0, 1, 0, 2);
    ExpectWxAsserts asserts;             // a NaN bound fails "minY <= maxY"
    project->SetPlotRange(0, 1, 0, NAN); // NaN always counts as a change
    project->SetPlotRange(0, 1, 0, NAN);
    project->SetPlotRange(2, 1, 0, 1); // inverted: asserted, stored all the same
    EXPECT_EQ(project->GetPlotRange().minX, 2.0);
    EXPECT_EQ(asserts.Count(), 3);

    // Properties compare every field, text case-sensitively.
    ProjectProperty p = project->GetProperty();
    project->SetProperty(p);
    p.tickFormatX = "%.0F";
    project->SetProperty(p);
    p.axisFont.weight = FONT_WEIGHT_BOLD;
    project->SetProperty(p);
    p.gridAutoY = false;
    project->SetProperty(p);
    const uint32_t RANGE = PROJ_PLOT_RANGE, PROPERTY = PROJ_PROPERTY;
    EXPECT_EQ(recorder.Kinds(),
              (std::vector<uint32_t>{RANGE, RANGE, RANGE, RANGE, PROPERTY, PROPERTY, PROPERTY}));
}

// Disabled notifications change silently; an interim marks every kind, and its end sends
// one summary of what is pending, once.
TEST(GraphProject, NotifyDisabledAndInterim)
{
    auto project = CreateGraphProject();
    ProjectRecorder recorder;
    project->Attach(&recorder);
    project->SetNotifyEnabled(false);
    project->Add(MakeSeries({1}));
    project->Remove(0);
    project->SetPlotRange(0, 2, 0, 2);
    EXPECT_TRUE(recorder.updates.empty());
    EXPECT_EQ(project->GetPlotRange(), (PlotRange{0, 2, 0, 2})) << "changed all the same";

    project->SetNotifyEnabled(true);
    auto series = MakeSeries({1});
    project->Add(series);
    recorder.updates.clear();
    project->BeginInterim();
    project->SetPlotRange(0, 3, 0, 1);
    project->SetPlotRange(0, 4, 0, 1);
    series->SetLabel("s"); // interim too, but not pending
    project->EndInterim();
    project->EndInterim();
    project->BeginInterim(); // an interim without changes sends nothing
    project->EndInterim();
    EXPECT_EQ(recorder.Kinds(), (std::vector<uint32_t>{0x80000008u, 0x80000008u,
                                                       PROJ_DATA | PROJ_INTERIM, PROJ_PLOT_RANGE}));
}

// A fit covers the visible series (all of them when none is visible, or when asked),
// widens a single value by one each way, and leaves out what has no numbers: one infinity
// must not blank the graph, and a series of infinities only counts as absent.
TEST(FitRange, CoversTheConsideredSeries)
{
    const double inf = INFINITY;
    const bool T = true, F = false;
    struct Series
    {
        double x0;
        std::vector<double> y;
        bool visible;
    };
    const Series flat{10, {3, 3, 3}, T}, hidden{10, {3, 3, 3}, F}, empty{-100, {}, T},
        single{20, {-2}, T};
    // name, series, every series, the fit
    const std::tuple<const char*, std::vector<Series>, bool, PlotRange> rows[] = {
        {"empty project", {}, F, {0, 1, 0, 1}},
        {"flat series widened, empty one ignored", {flat, empty}, F, {10, 12, 2, 4}},
        {"only the visible single point", {hidden, empty, single}, F, {19, 21, -3, -1}},
        {"every series when asked", {hidden, empty, single}, T, {10, 20, -2, 3}},
        {"none visible: all considered", {hidden, {20, {-2}, F}}, F, {10, 20, -2, 3}},
        {"no numbers: unit Y", {{5, {NAN, NAN}, T}}, F, {5, 6, 0, 1}},
        {"-inf beside numbers", {{0, {NAN, -inf, 0, 2}, T}}, F, {0, 3, 0, 2}},
        {"+inf and -inf", {{0, {inf, 1, -inf, 4, NAN}, T}}, F, {0, 4, 1, 4}},
        {"infinities only, alone", {{0, {-inf, -inf}, T}}, F, {0, 1, 0, 1}},
        {"infinities only, beside", {{0, {1, 2}, T}, {100, {-inf, NAN, inf}, T}}, F, {0, 1, 1, 2}},
        {"the visible one infinities only", {{0, {1, 2}, F}, {100, {-inf}, T}}, F, {0, 1, 1, 2}},
        {"a finite value among infinities", {{0, {-inf, 5, inf}, T}}, F, {0, 2, 4, 6}},
        {"gaps only still give X", {{0, {NAN, NAN}, T}, {100, {-inf}, T}}, F, {0, 1, 0, 1}},
    };
    for (const auto& [name, series, all, fit] : rows) {
        SCOPED_TRACE(name);
        auto project = CreateGraphProject();
        for (const auto& s : series) {
            project->Add(MakeMipmappedSeries(s.y, DataX{s.x0, 1}, 1));
            project->GetItem(project->GetCount() - 1)->SetVisible(s.visible);
        }
        EXPECT_EQ(ComputeFitRange(*project, all), fit);
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
    // X window, found, Y range
    const std::tuple<double, double, bool, double, double> rows[] = {
        {0.5, 4.5, true, 1, 7}, // the infinity at 2 is left out
        {5, 5, true, 8, 10},    // one value, widened
        {2, 2, false, 0, 0},    // only an infinity
        {20, 30, false, 0, 0},  // past the data
    };
    for (const auto& [minX, maxX, found, minY, maxY] : rows) {
        SCOPED_TRACE(minX);
        double lo = 0, hi = 0;
        EXPECT_EQ(found, ComputeVisibleRangeY(*project, minX, maxX, lo, hi));
        EXPECT_EQ(std::make_pair(minY, maxY), std::make_pair(lo, hi));
    }
}

} // namespace
