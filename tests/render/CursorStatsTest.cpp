#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "support/ModelTestUtil.h"
#include "render/CursorStats.h"

namespace {

// Against a brute-force pass over random data with NaNs and infinities (finite values
// only), for awkward lengths and intervals, including intervals reaching past either end
// of the data.
TEST(CursorStats, MatchBruteForceWithNaNsInfinitiesAndEnds)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> value(-5, 5);
    for (size_t n : {1u, 2u, 7u, 64u, 65u, 1000u, 4097u}) {
        std::vector<double> v(n);
        for (double& x : v) {
            const unsigned r = rng() % 29;
            x = r < 4 ? NAN : r == 4 ? -INFINITY : r == 5 ? INFINITY : value(rng);
        }
        const DataX dx{10, 0.5};
        auto series = MakeMipmappedSeries(v, dx, 4);
        std::uniform_real_distribution<double> at(5, 10 + 0.5 * double(n) + 5);
        for (int trial = 0; trial < 50; ++trial) {
            const double a = at(rng), b = at(rng);
            SCOPED_TRACE(testing::Message() << n << " [" << a << ", " << b << "]");
            int64_t count = 0;
            double lo = INFINITY, hi = -INFINITY, sum = 0, squares = 0;
            for (size_t i = 0; i < n; ++i) {
                const double x = dx.start + dx.interval * double(i);
                if (x < std::min(a, b) || x > std::max(a, b) || !std::isfinite(v[i]))
                    continue;
                ++count;
                lo = std::min(lo, v[i]);
                hi = std::max(hi, v[i]);
                sum += v[i];
                squares += v[i] * v[i];
            }
            const IntervalStats s = StatsBetween(*series, a, b);
            ASSERT_EQ(count, s.count);
            if (count) {
                EXPECT_EQ(lo, s.min);
                EXPECT_EQ(hi, s.max);
                EXPECT_NEAR(sum / double(count), s.mean, 1e-9);
                EXPECT_NEAR(std::sqrt(squares / double(count)), s.rms, 1e-9);
            }
        }
    }
}

TEST(CursorStats, ValueIsSampleAndHoldInsideTheData)
{
    auto series = MakeSeries({1, 2, NAN, 4}, DataX{0, 10});
    // x, the value there (NaN: none)
    const std::pair<double, double> rows[] = {
        {0, 1},  {9.99, 1}, {10, 2},   {25, NAN}, // NaN held
        {30, 4}, {35, 4},   {40, NAN}, {-0.1, NAN}, {NAN, NAN},
    };
    for (const auto& [x, y] : rows) {
        const CursorValue c = ValueAtCursor(*series, x);
        EXPECT_EQ(!std::isnan(y), c.valid) << x;
        EXPECT_TRUE(!c.valid || c.y == y) << x;
    }
    EXPECT_EQ(0, StatsBetween(*MakeSeries({NAN, NAN}), 0, 1).count);
    EXPECT_EQ(0, StatsBetween(*MakeSeries({-INFINITY, NAN, INFINITY}), 0, 2).count);
    EXPECT_EQ(0, StatsBetween(*MakeSeries({}), 0, 1).count);
}

// The read-out as drawn, "|" between lines. The series is 0, 100, 50, 420 at x = 0, 100,
// 200, 300; "-" where there is no value.
TEST(CursorStats, ReadoutLines)
{
    auto series = MakeSeries({0, 100, 50, 420}, DataX{0, 100}, "volts");
    const std::string x = "x(A) = 50|x(B) = 250|\u0394x = 200|1/\u0394x = 0.005|";
    // name, A, B, with the series, on a time axis, the read-out
    const std::tuple<const char*, double, double, bool, bool, std::string> rows[] = {
        {"no series: the X lines only", 50, 250, false, false, x},
        {"series", 50, 250, true, false,
         x + "volts|y(A) = 0|y(B) = 50|\u0394y = 50|min = 50|max = 100|mean = 75|"
             "RMS = 79.0569|N = 2|"},
        {"outside the data", 400, 500, true, false,
         "x(A) = 400|x(B) = 500|\u0394x = 100|1/\u0394x = 0.01|volts|y(A) = -|y(B) = -|"
         "\u0394y = -|min = -|max = -|mean = -|RMS = -|N = 0|"},
        {"A on B", 100, 100, false, false, "x(A) = 100|x(B) = 100|\u0394x = 0|1/\u0394x = -|"},
        // 2026-03-05T14:05:30 plus seconds, to the millisecond of a pixel.
        {"time axis", 0.25, 90.5, false, true,
         "x(A) = 2026-03-05T14:05:30.250|x(B) = 2026-03-05T14:07:00.500|"
         "\u0394x = 1 min 30 s|1/\u0394x = 0.0110803|"},
    };
    for (const auto& [name, a, b, withSeries, time, expected] : rows) {
        SCOPED_TRACE(name);
        const CursorReadoutInput in{
            a, b, withSeries ? series.get() : nullptr, time, 1772719530000000000, 0.001};
        std::string text;
        for (const wxString& line : CursorReadout(in))
            text += line.utf8_string() + "|";
        EXPECT_EQ(expected, text);
    }
}

} // namespace
