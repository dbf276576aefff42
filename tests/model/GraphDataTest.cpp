#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "model/GraphData.h"
#include "ModelTestUtil.h"
#include "progress/Progress.h"

namespace {

TEST(GraphData, SettersNotifyOnlyOnChangeExceptLineStyle)
{
    auto series = MakeSeries({1});
    UpdateRecorder<GraphDataUpdate> recorder;
    series->Attach(&recorder);

    series->SetLabel("");                         // same: nothing
    series->SetLabel("Voltage");                  // DATA_LABEL
    series->SetLabel("Voltage");                  // same: nothing
    series->SetLabel("voltage");                  // differs in case only: notifies
    series->SetVisible(true);                     // same: nothing
    series->SetVisible(false);                    // DATA_VISIBLE
    series->SetLineStyle(series->GetLineStyle()); // always DATA_LINE
    EXPECT_EQ(recorder.updates,
              (std::vector<GraphDataUpdate>{DATA_LABEL, DATA_LABEL, DATA_VISIBLE, DATA_LINE}));
}

// Ranges count every finite value (the lone trailing one of an odd count too, with or
// without a mipmap), ignore NaN and infinities, and order X whatever the sign of the
// interval.
TEST(GraphData, Ranges)
{
    const double inf = INFINITY;
    const struct
    {
        const char* name;
        std::vector<double> values;
        DataX x;
        int mipmapLevels;
        MinMax y;
        bool hasX;
        double loX, hiX;
        bool onlyInfinities;
    } rows[] = {
        {"empty: inverted Y, no X", {}, {0, 1}, 0, {DBL_MAX, -DBL_MAX}, false, 42, 42, false},
        {"X from start and interval", {1, 2, 3}, {5.0, 0.5}, 0, {1, 3}, true, 5.0, 6.0, false},
        {"negative interval", {1, 2, 3}, {10.0, -2.0}, 0, {1, 3}, true, 6.0, 10.0, false},
        {"NaN ignored", {NAN, 2.0, NAN, -1.0}, {0, 1}, 0, {-1, 2}, true, 0, 3, false},
        {"odd count with mipmap", {0, -7, 0, 0, 99}, {0, 1}, 1, {-7, 99}, true, 0, 4, false},
        {"even count with mipmap", {0, -7, 0, 99}, {0, 1}, 1, {-7, 99}, true, 0, 3, false},
        {"all NaN: no range, not infinities",
         {NAN, NAN},
         {0, 1},
         0,
         {DBL_MAX, -DBL_MAX},
         true,
         0,
         1,
         false},
        // log(x - 500) from x = 499: NaN, -inf, then numbers.
        {"-inf", {NAN, -inf, 0, 0.69}, {499, 1}, 0, {0, 0.69}, true, 499, 502, false},
        {"-inf under a mipmap", {NAN, -inf, 0, 0.69, 1.1}, {0, 1}, 2, {0, 1.1}, true, 0, 4, false},
        {"+inf under a mipmap", {3, inf, -2, NAN, inf}, {0, 1}, 2, {-2, 3}, true, 0, 4, false},
        {"both infinities", {-inf, 5, inf, 6, -inf}, {0, 1}, 1, {5, 6}, true, 0, 4, false},
        {"a finite value between infinities",
         {inf, -inf, 7, inf},
         {0, 1},
         2,
         {7, 7},
         true,
         0,
         3,
         false},
        {"all -inf", {-inf, -inf, -inf}, {0, 1}, 1, {DBL_MAX, -DBL_MAX}, true, 0, 2, true},
        {"infinities and NaN",
         {NAN, inf, NAN, -inf, NAN},
         {0, 1},
         2,
         {DBL_MAX, -DBL_MAX},
         true,
         0,
         4,
         true},
        {"a lone +inf", {inf}, {0, 1}, 0, {DBL_MAX, -DBL_MAX}, true, 0, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto series = MakeSeries(row.values, row.x);
        DummyProgress progress;
        ASSERT_EQ(series->GetDataY()->CreateMipmap(row.mipmapLevels, &progress),
                  ResultCode::SUCCESS);
        const MinMax y = series->GetRangeY();
        double lo = 42, hi = 42;
        EXPECT_EQ(series->GetRangeX(lo, hi), row.hasX);
        EXPECT_EQ((std::vector<double>{y.min, y.max, lo, hi}),
                  (std::vector<double>{row.y.min, row.y.max, row.loX, row.hiX}));
        EXPECT_EQ(row.onlyInfinities, series->HasOnlyInfinities());
    }
}

} // namespace
