#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <tuple>

#include "model/GraphData.h"
#include "support/ModelTestUtil.h"
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
    const double inf = INFINITY, M = DBL_MAX;
    // name, values, X, mipmap levels, Y min, Y max, X min, X max, only infinities
    const std::tuple<const char*, std::vector<double>, DataX, int, std::vector<double>, bool>
        rows[] = {
            {"empty: inverted Y, no X", {}, {0, 1}, 0, {M, -M, 42, 42}, false},
            {"X from start and interval", {1, 2, 3}, {5.0, 0.5}, 0, {1, 3, 5, 6}, false},
            {"negative interval", {1, 2, 3}, {10.0, -2.0}, 0, {1, 3, 6, 10}, false},
            {"NaN ignored", {NAN, 2.0, NAN, -1.0}, {0, 1}, 0, {-1, 2, 0, 3}, false},
            {"odd count with mipmap", {0, -7, 0, 0, 99}, {0, 1}, 1, {-7, 99, 0, 4}, false},
            {"even count with mipmap", {0, -7, 0, 99}, {0, 1}, 1, {-7, 99, 0, 3}, false},
            {"all NaN: not infinities", {NAN, NAN}, {0, 1}, 0, {M, -M, 0, 1}, false},
            // log(x - 500) from x = 499: NaN, -inf, then numbers.
            {"-inf", {NAN, -inf, 0, 0.69}, {499, 1}, 0, {0, 0.69, 499, 502}, false},
            {"-inf under a mipmap", {NAN, -inf, 0, 0.69, 1.1}, {0, 1}, 2, {0, 1.1, 0, 4}, false},
            {"+inf under a mipmap", {3, inf, -2, NAN, inf}, {0, 1}, 2, {-2, 3, 0, 4}, false},
            {"both infinities", {-inf, 5, inf, 6, -inf}, {0, 1}, 1, {5, 6, 0, 4}, false},
            {"finite between infinities", {inf, -inf, 7, inf}, {0, 1}, 2, {7, 7, 0, 3}, false},
            {"all -inf", {-inf, -inf, -inf}, {0, 1}, 1, {M, -M, 0, 2}, true},
            {"infinities and NaN", {NAN, inf, NAN, -inf, NAN}, {0, 1}, 2, {M, -M, 0, 4}, true},
            {"a lone +inf", {inf}, {0, 1}, 0, {M, -M, 0, 0}, true},
        };
    for (const auto& [name, values, x, levels, range, onlyInfinities] : rows) {
        SCOPED_TRACE(name);
        auto series = MakeSeries(values, x);
        DummyProgress progress;
        ASSERT_EQ(series->GetDataY()->CreateMipmap(levels, &progress), ResultCode::SUCCESS);
        const MinMax y = series->GetRangeY();
        double lo = 42, hi = 42;
        EXPECT_EQ(series->GetRangeX(lo, hi), !values.empty());
        EXPECT_EQ((std::vector<double>{y.min, y.max, lo, hi}), range);
        EXPECT_EQ(onlyInfinities, series->HasOnlyInfinities());
    }
}

} // namespace
