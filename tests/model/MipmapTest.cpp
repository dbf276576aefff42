#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <tuple>

#include "model/GraphData.h"
#include "model/MipmapBuilder.h"
#include "support/ModelTestUtil.h"
#include "progress/Progress.h"
#include "support/TestSupport.h"

namespace {

// Every stored level against every block's brute-force min and max; fmin and fmax skip NaN,
// so a block of NaN only stays NaN. And bit for bit what a build from scratch makes.
void ExpectLevelsOf(const std::vector<double>& raw, const GraphDataY& y, int levels)
{
    ASSERT_EQ(levels, y.mipmapLevels);
    ASSERT_EQ(StoredMipmapLevels(levels), y.mipmap.size());
    for (int level = MIPMAP_BLOCK_SHIFT; level <= levels; ++level) {
        std::vector<double> want, got;
        const size_t block = size_t(1) << level;
        for (size_t begin = 0; begin < raw.size(); begin += block) {
            const MinMax m = ScanMinMax(raw, begin, std::min(begin + block, raw.size()));
            want.insert(want.end(), {m.min, m.max});
        }
        for (const MinMax& m : y.mipmap[size_t(level - MIPMAP_BLOCK_SHIFT)])
            got.insert(got.end(), {m.min, m.max});
        ASSERT_TRUE(SameValues(got, want)) << "level " << level;
    }
    EXPECT_TRUE(SameValues(raw, std::vector<double>(y.raw.begin(), y.raw.end())));
    ExpectPyramidAsFromScratch(y);
}

// A build from scratch at awkward lengths; then appends of random sizes (a value, a few,
// many; NaN among them) grow the pyramid to what a build makes of the whole run, levels
// added as the run grows.
TEST(Mipmap, LevelsMatchBruteForce)
{
    std::mt19937 rng(12345);
    std::normal_distribution<double> dist;
    for (size_t n : {0u, 1u, 2u, 3u, 7u, 8u, 9u, 255u, 256u, 257u, 1023u, 1024u, 1025u, 4097u}) {
        SCOPED_TRACE(n);
        std::vector<double> raw(n);
        for (auto& v : raw)
            v = dist(rng);
        if (n > 5)
            raw[1] = raw[2] = raw[3] = raw[4] = NAN; // NaN inside the first block
        auto y = CreateGraphDataY();
        y->raw.assign(raw.begin(), raw.end());
        DummyProgress progress;
        ASSERT_EQ(y->CreateMipmap(MIPMAP_BLOCK_SHIFT + 2, &progress), ResultCode::SUCCESS);
        ExpectLevelsOf(raw, *y, MIPMAP_BLOCK_SHIFT + 2);
    }
    for (int run = 0; run < 20; ++run) {
        auto grown = CreateGraphDataY();
        std::vector<double> all;
        for (int append = 0; append < 12; ++append) {
            SCOPED_TRACE(testing::Message() << "run " << run << " append " << append);
            std::vector<double> values(rng() % 3 == 0 ? rng() % 3 : rng() % 700);
            for (double& v : values)
                v = rng() % 17 == 0 ? NAN : dist(rng);
            all.insert(all.end(), values.begin(), values.end());
            grown->Append(values.data(), values.size(), MipmapLevelCount(all.size(), 16));
            ASSERT_NO_FATAL_FAILURE(ExpectLevelsOf(all, *grown, MipmapLevelCount(all.size(), 16)));
            double bytes = 0; // the memory estimate of imports and formulas is exact
            for (const auto& level : grown->mipmap)
                bytes += double(level.size() * sizeof(MinMax));
            EXPECT_EQ(MipmapBytes(all.size(), 16), bytes);
        }
    }
}

TEST(Mipmap, LevelCountFromResolution)
{
    // values, resolution, levels
    const std::tuple<size_t, int, int> rows[] = {
        {1000, 512, 1}, {1000001, 512, 11}, {512, 512, 0},
        {0, 512, 0},    {1024, 512, 1},     {2048, 512, 2}, // exact powers do not round up
        {1000, 0, 0},   {1000, -5, 0},      {size_t(1) << 40, 1, 40},
    };
    for (const auto& [n, resolution, levels] : rows)
        EXPECT_EQ(MipmapLevelCount(n, resolution), levels) << n;
}

// Progress steps over all levels' entries; one level ends on its last step, several with
// the total. The same level count again does nothing; a cancel inside a level of a rebuild
// leaves no levels, and no levels asked for are none.
TEST(Mipmap, ProgressAndCancel)
{
    // values, levels, most steps, last position (-1: all entries of all arrays)
    const std::tuple<size_t, int, size_t, std::pair<int, int>> rows[] = {
        {1000 * MIPMAP_BLOCK, MIPMAP_BLOCK_SHIFT, 100, {990, 1000}},
        {1000001, 11, 102, {-1, -1}},
    };
    for (const auto& [n, levels, steps, lastStep] : rows) {
        SCOPED_TRACE(n);
        auto y = CreateGraphDataY();
        y->raw.assign(n, 1.0);
        ThreadProcContext context;
        ASSERT_EQ(RunProgressProc(&context, &GraphDataY::CreateMipmap, y.get(), levels),
                  ResultCode::SUCCESS);
        const ProgressRecord record = context.Record();
        size_t entries = 0;
        for (const auto& level : y->mipmap)
            entries += level.size();
        const std::pair<int, int> last =
            lastStep.first < 0 ? std::make_pair(int(entries), int(entries)) : lastStep;
        EXPECT_LE(record.positions.size(), steps);
        EXPECT_EQ(record.positions.front(), std::make_pair(0, last.second));
        EXPECT_EQ(record.positions.back(), last);
        EXPECT_TRUE(std::is_sorted(record.positions.begin(), record.positions.end()));
        EXPECT_EQ(record.messages, std::vector<std::string>{"Creating Mipmap..."});
        EXPECT_EQ(y->mipmap.back().size(), (n + (size_t(1) << levels) - 1) >> levels);

        const MinMax* before = y->mipmap[0].data();
        context.Reset();
        // The first array holds about half of all entries; cancel somewhere inside a later one.
        context.cancelWhen = [](int position, int total) { return position > total * 0.8; };
        RunProgressProc(&context, &GraphDataY::CreateMipmap, y.get(), levels);
        EXPECT_EQ(y->mipmap[0].data(), before);
        EXPECT_EQ(RunProgressProc(&context, &GraphDataY::CreateMipmap, y.get(), levels + 1),
                  ResultCode::CANCELLED);
        EXPECT_TRUE(y->mipmap.empty());
        RunProgressProc(nullptr, &GraphDataY::CreateMipmap, y.get(), levels);
        RunProgressProc(nullptr, &GraphDataY::CreateMipmap, y.get(), 0);
        EXPECT_TRUE(y->mipmap.empty());
    }
}

// One thread or two build every shown column, one shown twice too.
TEST(MipmapBuilder, BuildsEveryShownColumn)
{
    std::vector<std::shared_ptr<GraphDataY>> ys;
    std::vector<GraphDataY*> shown;
    for (size_t n : {5000u, 70000u, 100u, 4097u}) {
        ys.push_back(CreateGraphDataY());
        for (size_t i = 0; i < n; ++i)
            ys.back()->raw.push_back(std::sin(double(i) * 0.01) * double(n));
        shown.push_back(ys.back().get());
    }
    shown.push_back(ys[0].get());
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        for (const auto& y : ys)
            y->mipmap.clear();
        MipmapBuilder builder(shown, threads);
        ThreadProcContext context;
        ASSERT_EQ(RunProgressProc(&context, &MipmapBuilder::Build, &builder, 64),
                  ResultCode::SUCCESS);
        for (const auto& y : ys)
            ExpectLevelsOf(std::vector<double>(y->raw.begin(), y->raw.end()), *y,
                           MipmapLevelCount(y->raw.size(), 64));
    }
}

// Values 0..96 repeated, the very last one 1e9.
std::shared_ptr<GraphData> SeriesWithMipmap(size_t n, DataX x = DataX{0, 1})
{
    std::vector<double> values(n);
    for (size_t i = 0; i < n; ++i)
        values[i] = i + 1 < n ? double(i % 97) : 1e9;
    return MakeMipmappedSeries(values, x);
}

TEST(DrawData, LevelOrRawValuesForTheView)
{
    // name, values, X, first and last index, target columns, count, level (0: raw values),
    // first X and X step
    const std::tuple<const char*, size_t, DataX, int64_t, int64_t, int, int64_t, int, double,
                     double>
        rows[] = {
            // floor(log2(1e6 / 500)) = 10: blocks of 1024 values, up to the end of the level.
            {"whole: coarsest level for 500",
             1000000,
             {2.0, 0.5},
             0,
             999999,
             500,
             977,
             10,
             2.0,
             512.0},
            {"few values in view are raw", 1000000, {0, 0.1}, 1000, 1999, 800, 1000, 0, 100.0, 0.1},
            {"level capped at the coarsest", 1000001, {0, 1}, 0, 1000000, 10, 489, 11, 0.0, 2048.0},
            {"before the first value: index 0", 100, {0, 1}, -50, -10, 100, 1, 0, 0.0, 1.0},
            {"huge indices do not overflow",
             100,
             {0, 1},
             INT64_MIN,
             INT64_MAX,
             1000,
             100,
             0,
             0.0,
             1.0},
            {"target 0 is one column", 100, {0, 1}, 0, 99, 0, 100, 0, 0.0, 1.0},
        };
    for (const auto& [name, n, x, first, last, target, count, level, firstX, stepX] : rows) {
        SCOPED_TRACE(name);
        auto series = SeriesWithMipmap(n, x);
        DrawData dd;
        EXPECT_EQ(series->GetDrawData(dd, first, last, target), count);
        EXPECT_EQ(std::make_tuple(dd.raw, dd.firstX, dd.stepX),
                  std::make_tuple(level == 0, firstX, stepX));
        if (level == 0) {
            EXPECT_EQ(dd.valuesBegin, series->GetDataY()->raw.data() + std::max<int64_t>(first, 0));
            continue;
        }
        const auto& pairs = series->GetDataY()->mipmap[size_t(level - MIPMAP_BLOCK_SHIFT)];
        EXPECT_EQ(dd.pairsBegin, pairs.data());
        EXPECT_EQ(dd.pairsEnd, pairs.data() + count);
        EXPECT_EQ((dd.pairsEnd - 1)->max, 1e9) << "the last block holds the very last value";
    }

    // Reversed range and empty series: nothing, the record unchanged.
    DrawData dd;
    dd.firstX = -123;
    EXPECT_EQ(SeriesWithMipmap(100)->GetDrawData(dd, 50, 10, 100), 0);
    EXPECT_EQ(MakeSeries({})->GetDrawData(dd, 0, 10, 100), 0);
    EXPECT_EQ(dd.firstX, -123);
}

// Regular X: each block of a random view is its values' min and max, whether it comes from
// the stored pyramid or is made from raw values; the view never asks for more than about two
// blocks a pixel column, however long the series.
TEST(DrawData, BlocksOfRandomViewsAgreeWithBruteForce)
{
    std::mt19937_64 random(31);
    for (size_t n : {1000u, 4097u, 65536u, 250007u}) {
        const std::vector<double> values = RandomValues(n, random, 97);
        const auto series = MakeMipmappedSeries(values, DataX{0.0, 1.0}, 64);
        for (int q = 0; q < 300; ++q) {
            const int64_t first = int64_t(random() % n);
            const int64_t last = first + int64_t(random() % (n - size_t(first)));
            const int target = 1 + int(random() % 300);
            SCOPED_TRACE(testing::Message() << n << " values, view " << first << ".." << last
                                            << ", " << target << " columns");
            DrawData dd;
            const int64_t count = series->GetDrawData(dd, first, last, target);
            if (dd.raw) {
                ASSERT_EQ(count, last - first + 1);
                continue;
            }
            const size_t step = size_t(dd.stepX);
            ASSERT_LE(count, 2 * int64_t(std::max(target, 64)) + 2); // 64: the top level's cap
            ASSERT_EQ(count, dd.pairsEnd - dd.pairsBegin);
            for (int64_t k = 0; k < count; ++k) {
                const size_t a = size_t(dd.firstX) + size_t(k) * step;
                const MinMax want = ScanMinMax(values, a, std::min(n, a + step));
                const MinMax got = dd.pairsBegin[k];
                ASSERT_TRUE(SameValues({want.min, want.max}, {got.min, got.max}))
                    << "block " << k << " of " << step;
            }
        }
    }
}

} // namespace
