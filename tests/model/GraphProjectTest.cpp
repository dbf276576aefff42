#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "model/GraphProject.h"
#include "ModelTestUtil.h"
#include "support/TestSupport.h"

namespace {

TEST(GraphProject, NewProjectDefaults)
{
    auto project = CreateGraphProject();
    EXPECT_EQ(project->GetCount(), 0);
    PlotRange r = project->GetPlotRange();
    EXPECT_EQ((std::vector<double>{r.minX, r.maxX, r.minY, r.maxY}),
              (std::vector<double>{0, 1, 0, 1}));
    // The axis labels go through the catalog; the rest are plain defaults.
    ProjectProperty p = project->GetProperty();
    EXPECT_EQ(p.axisLabelX, "Time");
    EXPECT_EQ(p.axisLabelY, "Value");
    EXPECT_EQ(p, DefaultProjectProperty());
}

TEST(GraphProject, AddAndRemoveNotifyAndKeepOrder)
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
    EXPECT_EQ(recorder.Kinds(), (std::vector<uint32_t>{PROJ_ADD, PROJ_ADD, PROJ_ADD, PROJ_REMOVE}));
    for (const auto& u : recorder.updates)
        EXPECT_EQ(u.data, nullptr);
    // The removed series no longer reaches the project's observers.
    b->SetLabel("gone");
    EXPECT_EQ(recorder.updates.size(), 4u);
}

TEST(GraphProject, SeriesChangesAreForwardedAsProjData)
{
    auto project = CreateGraphProject();
    auto series = MakeSeries({1, 2});
    project->Add(series);
    ProjectRecorder recorder;
    project->Attach(&recorder);
    series->SetLabel("x");
    series->SetVisible(false);
    ASSERT_EQ(recorder.updates.size(), 2u);
    EXPECT_EQ(recorder.updates[0].kind, PROJ_DATA);
    EXPECT_EQ(recorder.updates[0].data, series.get());
    EXPECT_EQ(recorder.updates[0].dataKind, DATA_LABEL);
    EXPECT_EQ(recorder.updates[1].dataKind, DATA_VISIBLE);
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

TEST(GraphProject, SetPlotRangeNotifiesOnlyOnChange)
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
}

TEST(GraphProject, SetPropertyComparesEveryFieldCaseSensitively)
{
    auto project = CreateGraphProject();
    ProjectRecorder recorder;
    project->Attach(&recorder);
    ProjectProperty p = project->GetProperty();
    project->SetProperty(p);
    EXPECT_TRUE(recorder.updates.empty());
    p.tickFormatX = "%.0F";
    project->SetProperty(p);
    EXPECT_EQ(recorder.Kinds(), std::vector<uint32_t>{PROJ_PROPERTY});
    p.axisFont.weight = FONT_WEIGHT_BOLD;
    project->SetProperty(p);
    p.gridAutoY = false;
    project->SetProperty(p);
    EXPECT_EQ(recorder.updates.size(), 3u);
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
    EXPECT_EQ(project->GetPlotRange().maxX, 2.0);
    EXPECT_EQ(project->GetProperty().marginTop, 20.0);
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

TEST(GraphProject, RangeQueries)
{
    auto project = CreateGraphProject();
    EXPECT_EQ(project->GetMinX(false), DBL_MAX);
    EXPECT_EQ(project->GetMaxX(false), -DBL_MAX);
    EXPECT_EQ(project->GetMinY(false), DBL_MAX);
    EXPECT_EQ(project->GetMaxY(false), -DBL_MAX);

    auto a = MakeSeries({1, 5, 3}, DataX{10, 2}); // X 10..14
    auto b = MakeSeries({-4, 0}, DataX{-1, 0.5}); // X -1..-0.5
    auto empty = MakeSeries({}, DataX{-100, 1});  // no points: no extent
    project->Add(a);
    project->Add(b);
    project->Add(empty);
    EXPECT_EQ(project->GetMinX(false), -1.0);
    EXPECT_EQ(project->GetMaxX(false), 14.0);
    EXPECT_EQ(project->GetMinY(false), -4.0);
    EXPECT_EQ(project->GetMaxY(false), 5.0);

    b->SetVisible(false);
    EXPECT_EQ(project->GetMinX(true), 10.0);
    EXPECT_EQ(project->GetMinY(true), 1.0);
    a->SetVisible(false);
    EXPECT_EQ(project->GetMinX(true), DBL_MAX);
    EXPECT_EQ(project->GetMaxY(true), -DBL_MAX);
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

} // namespace

namespace {

TEST(FitRange, CoversConsideredSeriesAndWidensSingleValues)
{
    auto project = CreateGraphProject();
    PlotRange r = ComputeFitRange(*project);
    EXPECT_EQ(r.minX, 0.0);
    EXPECT_EQ(r.maxX, 1.0);
    EXPECT_EQ(r.minY, 0.0);
    EXPECT_EQ(r.maxY, 1.0);

    auto flat = MakeSeries({3, 3, 3}, DataX{10, 1}); // X 10..12, Y 3
    auto single = MakeSeries({-2}, DataX{20, 1});    // X 20, Y -2
    project->Add(flat);
    r = ComputeFitRange(*project);
    EXPECT_EQ(r.minX, 10.0);
    EXPECT_EQ(r.maxX, 12.0);
    EXPECT_EQ(r.minY, 2.0);
    EXPECT_EQ(r.maxY, 4.0);

    project->Add(single);
    flat->SetVisible(false);
    r = ComputeFitRange(*project); // only the visible one: one point
    EXPECT_EQ(r.minX, 19.0);
    EXPECT_EQ(r.maxX, 21.0);
    EXPECT_EQ(r.minY, -3.0);
    EXPECT_EQ(r.maxY, -1.0);
    r = ComputeFitRange(*project, true);
    EXPECT_EQ(r.minX, 10.0);
    EXPECT_EQ(r.maxX, 20.0);

    single->SetVisible(false); // none visible: all considered
    r = ComputeFitRange(*project);
    EXPECT_EQ(r.minY, -2.0);
    EXPECT_EQ(r.maxY, 3.0);
}

TEST(FitRange, AxisWithoutNumbersFallsBackToUnitRange)
{
    auto project = CreateGraphProject();
    project->Add(MakeSeries({NAN, NAN}, DataX{5, 1}));
    PlotRange r = ComputeFitRange(*project);
    EXPECT_EQ(r.minX, 5.0);
    EXPECT_EQ(r.maxX, 6.0);
    EXPECT_EQ(r.minY, 0.0);
    EXPECT_EQ(r.maxY, 1.0);
}

} // namespace
