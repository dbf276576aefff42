#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/GraphData.h"
#include "ModelTestUtil.h"
#include "progress/Progress.h"
#include "support/TestSupport.h"

namespace {

// Brute-force min/max of raw[begin, end), ignoring NaN.
MinMax Oracle(const std::vector<double>& raw, size_t begin, size_t end)
{
    MinMax r{NAN, NAN};
    for (size_t i = begin; i < end && i < raw.size(); ++i) {
        double v = raw[i];
        if (std::isnan(v))
            continue;
        if (std::isnan(r.min) || v < r.min)
            r.min = v;
        if (std::isnan(r.max) || v > r.max)
            r.max = v;
    }
    return r;
}

bool SameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

TEST(Mipmap, LevelsMatchBruteForceOnAwkwardLengths)
{
    std::mt19937 rng(12345);
    std::normal_distribution<double> dist;
    for (size_t n : {0u, 1u, 2u, 3u, 7u, 8u, 9u, 255u, 256u, 257u, 1023u, 1024u, 1025u, 4097u}) {
        std::vector<double> raw(n);
        for (auto& v : raw)
            v = dist(rng);
        if (n > 5) {
            raw[1] = NAN;
            raw[2] = raw[3] = NAN; // a whole block of NaN at level 1
        }
        auto y = CreateGraphDataY();
        y->raw.assign(raw.begin(), raw.end());
        const int levels = 6;
        DummyProgress progress;
        ASSERT_EQ(y->CreateMipmap(levels, &progress), ResultCode::SUCCESS);
        ASSERT_EQ(y->mipmap.size(), size_t(levels));
        for (int i = 1; i <= levels; ++i) {
            const size_t block = size_t(1) << i;
            const auto& level = y->mipmap[i - 1];
            ASSERT_EQ(level.size(), (n + block - 1) / block) << "n=" << n << " level=" << i;
            for (size_t k = 0; k < level.size(); ++k) {
                MinMax expected = Oracle(raw, k * block, (k + 1) * block);
                ASSERT_TRUE(SameValue(level[k].min, expected.min))
                    << "n=" << n << " level=" << i << " k=" << k;
                ASSERT_TRUE(SameValue(level[k].max, expected.max))
                    << "n=" << n << " level=" << i << " k=" << k;
            }
        }
    }
}

TEST(Mipmap, LevelCountFromResolution)
{
    EXPECT_EQ(MipmapLevelCount(1000, 512), 1);
    EXPECT_EQ(MipmapLevelCount(1000001, 512), 11);
    EXPECT_EQ(MipmapLevelCount(512, 512), 0);
    EXPECT_EQ(MipmapLevelCount(0, 512), 0);
    EXPECT_EQ(MipmapLevelCount(1024, 512), 1);
    EXPECT_EQ(MipmapLevelCount(2048, 512), 2); // exact powers do not round up
    EXPECT_EQ(MipmapLevelCount(1000, 0), 0);
    EXPECT_EQ(MipmapLevelCount(1000, -5), 0);
    EXPECT_EQ(MipmapLevelCount(size_t(1) << 40, 1), 40);
}

TEST(Mipmap, ProgressStepsAndNoFinalUpdateForOneLevel)
{
    auto y = CreateGraphDataY();
    y->raw.assign(1000, 1.0);
    ThreadProcContext context;
    ASSERT_EQ(RunProgressProc(&context, &GraphDataY::CreateMipmap, y.get(), 1),
              ResultCode::SUCCESS);
    ProgressRecord record = context.Record();
    ASSERT_EQ(record.positions.size(), 100u);
    EXPECT_EQ(record.positions.front(), std::make_pair(0, 500));
    EXPECT_EQ(record.positions.back(), std::make_pair(495, 500));
    EXPECT_EQ(record.messages, std::vector<std::string>{"Creating Mipmap..."});
}

TEST(Mipmap, ProgressEndsWithTotalForSeveralLevels)
{
    auto y = CreateGraphDataY();
    y->raw.assign(1000001, 1.0);
    ThreadProcContext context;
    ASSERT_EQ(RunProgressProc(&context, &GraphDataY::CreateMipmap, y.get(), 11),
              ResultCode::SUCCESS);
    ProgressRecord record = context.Record();
    int total = record.positions.back().second;
    EXPECT_EQ(record.positions.back().first, total);
    EXPECT_LE(record.positions.size(), 102u);
    for (size_t i = 1; i < record.positions.size(); ++i)
        ASSERT_LE(record.positions[i - 1].first, record.positions[i].first);
    EXPECT_EQ(y->mipmap[0].size(), 500001u); // the lone last value has its own block
    EXPECT_EQ(y->mipmap[10].size(), 489u);
}

TEST(Mipmap, CancelInTheMiddleOfALevelLeavesNoLevels)
{
    auto y = CreateGraphDataY();
    y->raw.assign(1000001, 2.0);
    ThreadProcContext context;
    // Level 1 holds about half of all entries; cancel somewhere inside level 3.
    context.cancelWhen = [](int position, int total) { return position > total * 0.8; };
    EXPECT_EQ(RunProgressProc(&context, &GraphDataY::CreateMipmap, y.get(), 11),
              ResultCode::CANCELLED);
    EXPECT_TRUE(y->mipmap.empty());
}

TEST(Mipmap, SameLevelCountDoesNothingAndOtherRebuilds)
{
    auto y = CreateGraphDataY();
    y->raw.assign(100, 1.0);
    DummyProgress progress;
    y->CreateMipmap(3, &progress);
    const MinMax* before = y->mipmap[0].data();
    y->CreateMipmap(3, &progress);
    EXPECT_EQ(y->mipmap[0].data(), before);
    y->CreateMipmap(2, &progress);
    EXPECT_EQ(y->mipmap.size(), 2u);
    y->CreateMipmap(0, &progress);
    EXPECT_TRUE(y->mipmap.empty());
}

std::shared_ptr<GraphData> SeriesWithMipmap(size_t n, int resolution, DataX x = DataX{0, 1})
{
    auto y = CreateGraphDataY();
    y->raw.resize(n);
    for (size_t i = 0; i < n; ++i)
        y->raw[i] = double(i % 97);
    DummyProgress progress;
    y->CreateMipmap(MipmapLevelCount(n, resolution), &progress);
    return CreateGraphData(x, y);
}

TEST(DrawData, WholeSeriesUsesCoarsestLevelGivingTarget)
{
    auto series = SeriesWithMipmap(1000000, 512, DataX{2.0, 0.5});
    DrawData dd;
    int64_t count = series->GetDrawData(dd, 0, 999999, 500);
    // floor(log2(1e6 / 500)) = 10: blocks of 1024 values, up to the end of the level.
    EXPECT_FALSE(dd.raw);
    EXPECT_EQ(count, 977); // ceil(1e6 / 1024)
    EXPECT_EQ(dd.pairsBegin, series->GetDataY()->mipmap[9].data());
    EXPECT_EQ(dd.pairsEnd, series->GetDataY()->mipmap[9].data() + 977);
    EXPECT_EQ(dd.firstX, 2.0);
    EXPECT_EQ(dd.stepX, 512.0);
}

TEST(DrawData, FewValuesInViewAreRaw)
{
    auto series = SeriesWithMipmap(1000000, 512, DataX{0, 0.1});
    DrawData dd;
    int64_t count = series->GetDrawData(dd, 1000, 1999, 800);
    EXPECT_TRUE(dd.raw);
    EXPECT_EQ(count, 1000);
    EXPECT_EQ(dd.valuesBegin, series->GetDataY()->raw.data() + 1000);
    EXPECT_DOUBLE_EQ(dd.firstX, 100.0);
    EXPECT_EQ(dd.stepX, 0.1);
}

TEST(DrawData, ClampsAndEmptyCases)
{
    auto series = SeriesWithMipmap(100, 512);
    DrawData dd;
    dd.firstX = -123;
    // Entirely before the first value: clamps to index 0, one raw value.
    EXPECT_EQ(series->GetDrawData(dd, -50, -10, 100), 1);
    EXPECT_TRUE(dd.raw);
    EXPECT_EQ(dd.firstX, 0.0);
    // Reversed range: nothing, record unchanged.
    dd.firstX = -123;
    EXPECT_EQ(series->GetDrawData(dd, 50, 10, 100), 0);
    EXPECT_EQ(dd.firstX, -123);
    // Huge indices do not overflow.
    EXPECT_EQ(series->GetDrawData(dd, INT64_MIN, INT64_MAX, 1000), 100);
    // Target 0 is treated as one column.
    EXPECT_EQ(series->GetDrawData(dd, 0, 99, 0), 100);
    auto empty = MakeSeries({});
    EXPECT_EQ(empty->GetDrawData(dd, 0, 10, 100), 0);
}

TEST(DrawData, LevelIsCappedAtCoarsestAndCoversTheEnd)
{
    auto y = CreateGraphDataY();
    y->raw.assign(1000001, 0.0);
    y->raw.back() = 1e9;
    DummyProgress progress;
    y->CreateMipmap(MipmapLevelCount(y->raw.size(), 512), &progress);
    auto series = CreateGraphData(DataX{0, 1}, y);
    DrawData dd;
    int64_t count = series->GetDrawData(dd, 0, 1000000, 10);
    EXPECT_FALSE(dd.raw);
    EXPECT_EQ(count, 489);
    EXPECT_EQ(dd.stepX, 2048.0);
    // The last block holds the very last value.
    EXPECT_EQ((dd.pairsEnd - 1)->max, 1e9);
}

} // namespace
