// Series with their own X: the questions every reader of X asks, against brute force on
// random rising X with repeats and pauses, at awkward lengths.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "support/ModelTestUtil.h"
#include "model/DataX.h"

namespace {

const size_t LENGTHS[] = {0, 1, 2, 3, 7, 8, 9, 15, 16, 17, 255, 256, 257, 1023, 1024, 1025};

// Rising with repeats (a tenth of the steps are 0) and a few long pauses.
std::shared_ptr<DataX::Values> RisingX(size_t n, std::mt19937_64& random)
{
    auto xs = std::make_shared<DataX::Values>();
    double x = double(random() % 100) - 50.0;
    for (size_t i = 0; i < n; ++i) {
        xs->push_back(x);
        const int kind = int(random() % 100);
        x += kind < 10 ? 0.0 : kind < 12 ? 60.0 : 0.001 * double(1 + random() % 1000);
    }
    return xs;
}

TEST(DataX, SearchesAgreeWithBruteForce)
{
    std::mt19937_64 random(23);
    for (size_t n : LENGTHS) {
        SCOPED_TRACE(n);
        const auto xs = RisingX(n, random);
        const DataX x = DataX::Explicit(xs);
        for (int q = 0; q < 300; ++q) {
            double a = -60.0 + double(random() % 20000) / 100.0;
            double b = a + double(random() % 6000) / 100.0;
            if (n > 0 && q % 3 == 0) { // bounds on points, repeats included
                a = (*xs)[random() % n];
                b = (*xs)[random() % n];
                if (b < a)
                    std::swap(a, b);
            }
            int64_t wantFirst = -1, wantLast = -1, below = int64_t(n), hold = -1;
            for (size_t i = 0; i < n; ++i) {
                const double v = (*xs)[i];
                if (v >= a && v <= b) {
                    wantFirst = wantFirst < 0 ? int64_t(i) : wantFirst;
                    wantLast = int64_t(i);
                }
                if (v >= a && below == int64_t(n))
                    below = int64_t(i);
                if (v <= a)
                    hold = int64_t(i);
            }
            if (n == 0 || a > xs->back())
                hold = -1;
            int64_t first = -1, last = -1;
            const bool found = x.IndexRange(int64_t(n), a, b, first, last);
            ASSERT_EQ((std::vector<int64_t>{wantFirst >= 0, wantFirst, wantLast, below, hold}),
                      (std::vector<int64_t>{found, first, last, x.LowerBound(int64_t(n), a),
                                            x.HoldIndex(int64_t(n), a)}))
                << a << " " << b;
        }
        double lo = NAN, hi = NAN;
        EXPECT_EQ(n > 0, x.Extent(n, lo, hi));
        EXPECT_TRUE(SameValues({lo, hi}, {n ? xs->front() : NAN, n ? xs->back() : NAN}));
        EXPECT_EQ(8.0 * double(n), x.Bytes(n));
    }
}

TEST(DataX, SameAxisAndEquality)
{
    auto xs = std::make_shared<DataX::Values>(DataX::Values{0, 0.5, 1, 1.5});
    const DataX explicitX = DataX::Explicit(xs);
    const DataX copy = DataX::Explicit(std::make_shared<DataX::Values>(*xs));
    EXPECT_TRUE(explicitX == copy);
    EXPECT_TRUE(explicitX.SameAxis(4, DataX{0, 0.5}, 4)); // the same points, regular
    EXPECT_FALSE(explicitX == (DataX{0, 0.5}));
    EXPECT_FALSE(explicitX.SameAxis(4, DataX{0, 0.5}, 3));
    EXPECT_FALSE(explicitX.SameAxis(4, DataX{0, 1}, 4));
}

TEST(DataX, RegularIndexRangeIsClamped)
{
    // name, X, count, min and max X, any point inside, first and last index
    const std::tuple<const char*, DataX, int64_t, double, double, bool, int64_t, int64_t> rows[] = {
        {"inside", {0, 1}, 100, 2.5, 10, true, 3, 10},
        {"clamped", {0, 1}, 100, -1e300, 1e300, true, 0, 99},
        {"negative interval", {10, -1}, 11, 2, 5, true, 5, 8},
        {"interval 0", {3, 0}, 7, 0, 5, true, 0, 6},
        {"tiny interval", {0, 1e-300}, 1000, -1, 1, true, 0, 999},
        {"NaN bound", {0, 1}, 10, NAN, 5, false, 0, 0},
        {"between points", {0, 1}, 10, 2.2, 2.8, false, 0, 0},
        {"2^62 points", {0, 1}, int64_t(1) << 62, 1e30, 2e30, false, 0, 0},
    };
    for (const auto& [name, x, count, minX, maxX, any, wantFirst, wantLast] : rows) {
        SCOPED_TRACE(name);
        int64_t first = 0, last = 0;
        EXPECT_EQ(x.IndexRange(count, minX, maxX, first, last), any);
        EXPECT_EQ(std::make_pair(first, last), std::make_pair(wantFirst, wantLast));
    }
}

// The pyramid's range queries against a scan, with infinities absent, rare, common and
// everywhere: RangeMinMax skips NaN only; FiniteRangeMinMax must still find the finite
// values in a block whose min or max is infinite. Empty ranges too: the renderer asks one
// per pixel column of a series with its own X, and a column may hold no point.
TEST(DataX, RangeMinMaxOfThePyramidAgreesWithAScan)
{
    std::vector<size_t> lengths(std::begin(LENGTHS), std::end(LENGTHS));
    lengths.push_back(100003); // levels deeper than the short lengths reach
    std::mt19937_64 random(7);
    for (unsigned every : {0u, 1000u, 5u, 1u}) {
        for (size_t n : lengths) {
            SCOPED_TRACE(testing::Message() << n << " values, 1 in " << every << " infinite");
            const std::vector<double> values = RandomValues(n, random, every);
            const auto series = MakeMipmappedSeries(values, DataX{}, 2);
            const GraphDataY& y = *series->GetDataY();
            for (int q = 0; n > 0 && q < 200; ++q) {
                const size_t a = random() % n, b = a + random() % (n - a + 1);
                const MinMax all = ScanMinMax(values, a, b);
                const MinMax finite = ScanMinMax(values, a, b, true);
                const MinMax got = y.RangeMinMax(a, b), gotFinite = y.FiniteRangeMinMax(a, b);
                ASSERT_TRUE(SameValues({all.min, all.max, finite.min, finite.max},
                                       {got.min, got.max, gotFinite.min, gotFinite.max}))
                    << a << " " << b;
            }
        }
    }
}

} // namespace
