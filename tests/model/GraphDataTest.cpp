#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "model/GraphData.h"
#include "ModelTestUtil.h"
#include "progress/Progress.h"

namespace {

class SeriesRecorder : public Observer
{
public:
    void Update(Observable*, const ObserverParamBase& param) override
    {
        if (auto* p = dynamic_cast<const ObserverParam<GraphDataUpdate>*>(&param))
            kinds.push_back(p->GetValue());
    }
    std::vector<uint32_t> kinds;
};

TEST(GraphData, NewSeriesDefaults)
{
    auto series = MakeSeries({1, 2, 3}, DataX{5.0, 0.5});
    EXPECT_TRUE(series->IsVisible());
    EXPECT_EQ(series->GetLineStyle(), (LineStyle{1.0, Colour(0, 0, 255)}));
    double lo, hi;
    ASSERT_TRUE(series->GetRangeX(lo, hi));
    EXPECT_EQ(lo, 5.0);
    EXPECT_EQ(hi, 6.0);
}

TEST(GraphData, SettersNotifyOnlyOnChangeExceptLineStyle)
{
    auto series = MakeSeries({1});
    SeriesRecorder recorder;
    series->Attach(&recorder);

    series->SetLabel("");                         // same: nothing
    series->SetLabel("Voltage");                  // DATA_LABEL
    series->SetLabel("Voltage");                  // same: nothing
    series->SetLabel("voltage");                  // differs in case only: notifies
    series->SetVisible(true);                     // same: nothing
    series->SetVisible(false);                    // DATA_VISIBLE
    series->SetLineStyle(series->GetLineStyle()); // always DATA_LINE
    EXPECT_EQ(recorder.kinds,
              (std::vector<uint32_t>{DATA_LABEL, DATA_LABEL, DATA_VISIBLE, DATA_LINE}));
    EXPECT_EQ(series->GetLabel(), "voltage");
}

TEST(GraphData, YRangeOfEmptySeriesIsInverted)
{
    auto series = MakeSeries({});
    MinMax range = series->GetRangeY();
    EXPECT_EQ(range.min, DBL_MAX);
    EXPECT_EQ(range.max, -DBL_MAX);
    double lo = 42, hi = 42;
    EXPECT_FALSE(series->GetRangeX(lo, hi));
    EXPECT_EQ(lo, 42);
}

TEST(GraphData, YRangeCountsEveryValueWithAndWithoutMipmap)
{
    for (size_t n : {1000u, 1001u}) {
        SCOPED_TRACE(n);
        auto y = CreateGraphDataY();
        y->raw.assign(n, 0.0);
        y->raw.back() = 99.0; // the lone trailing value of an odd count
        y->raw[3] = -7.0;
        DummyProgress progress;
        ASSERT_EQ(y->CreateMipmap(1, &progress), ResultCode::SUCCESS);
        auto series = CreateGraphData(DataX{}, y);
        MinMax range = series->GetRangeY();
        EXPECT_EQ(range.min, -7.0);
        EXPECT_EQ(range.max, 99.0);
    }
}

TEST(GraphData, YRangeIgnoresNaNAndIsCached)
{
    auto series = MakeSeries({NAN, 2.0, NAN, -1.0});
    MinMax range = series->GetRangeY();
    EXPECT_EQ(range.min, -1.0);
    EXPECT_EQ(range.max, 2.0);
    series->GetDataY()->raw[1] = 100.0; // values are immutable by contract; the cache shows it
    EXPECT_EQ(series->GetRangeY().max, 2.0);
}

TEST(GraphData, NegativeIntervalGivesOrderedXRange)
{
    auto series = MakeSeries({1, 2, 3}, DataX{10.0, -2.0});
    double lo, hi;
    ASSERT_TRUE(series->GetRangeX(lo, hi));
    EXPECT_EQ(lo, 6.0);
    EXPECT_EQ(hi, 10.0);
}

} // namespace
