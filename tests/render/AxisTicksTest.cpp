#include <gtest/gtest.h>

#include <tuple>

#include <cmath>

#include "render/AxisTicks.h"
#include "support/TestSupport.h"

TEST(AxisTicks, Round125PicksNearest125Value)
{
    const std::pair<double, double> rows[] = {
        {0.3, 0.2}, {1.49, 1.0}, {1.5, 2.0},     {3.4, 2.0},       {3.5, 5.0},
        {7.4, 5.0}, {7.5, 10},   {12345, 10000}, {1e-300, 1e-300}, {3e300, 2e300},
    };
    for (auto [in, out] : rows)
        EXPECT_NEAR(Round125(in), out, out * 1e-12) << in;
    ExpectWxAsserts asserts;
    EXPECT_EQ(Round125(0.0) + Round125(-3.0) + Round125(NAN), 3.0);
    EXPECT_EQ(asserts.Count(), 3);
}

TEST(AxisTicks, GridInterval)
{
    // name, automatic, manual interval, span, pixels, interval
    const std::tuple<const char*, bool, double, double, double, double> rows[] = {
        {"100 over 600 px", true, -1, 100, 600, 10},
        {"100 over 75 px", true, -1, 100, 75, 100},
        {"100 over 74 px", true, -1, 100, 74, -1},
        {"span 0", true, -1, 0, 600, 1.0},
        {"manual kept unrounded", false, 0.3, 100, 600, 0.3},
        {"manual 0 means auto", false, 0, 100, 600, 10},
        {"reversed span", true, -1, -5, 600, -1},
        {"reversed span, manual", false, 2, -5, 600, -1},
        {"NaN span", true, -1, NAN, 600, -1},
        {"tiny span", true, -1, 1e-310, 600, 1e-311},
    };
    for (const auto& [name, autoOn, manual, span, pixels, expected] : rows)
        EXPECT_NEAR(GridInterval(autoOn, manual, span, pixels), expected,
                    std::fabs(expected) * 1e-9)
            << name;
}

TEST(AxisTicks, TickPositionsAccumulateByAdditionAndNeverHangOrFlood)
{
    EXPECT_EQ(TickPositions(3, 33, 10), (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(TickPositions(-25, 25, 20), (std::vector<double>{-20, 0, 20}));
    const std::vector<double> tenths = TickPositions(0, 1, 0.1);
    ASSERT_EQ(tenths.size(), 11u);
    EXPECT_EQ(tenths[3], 0.30000000000000004);
    EXPECT_EQ(tenths[10], 0.9999999999999999);
    EXPECT_EQ(TickPositions(1e300, 5e300, 1e300).size(), 5u);
    EXPECT_EQ(TickPositions(1e-300, 5e-300, 1e-300).size(), 5u);
    // Adding the interval stops changing the value.
    EXPECT_EQ(TickPositions(1e20, 1e20 + 1e5, 1).size(), 1u);
    // Too many values: nothing rather than a frozen or flooded drawing.
    EXPECT_TRUE(TickPositions(0, 1000, 1e-300, 2000).empty());
    EXPECT_TRUE(TickPositions(-1e308, 1e308, 1e-300).empty());
    for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)})
        EXPECT_TRUE(TickPositions(0, 10, bad).empty()) << bad;
    EXPECT_TRUE(TickPositions(NAN, 10, 1).empty());
    EXPECT_TRUE(TickPositions(10, 0, 1).empty());
}

// Safe formats only; a tick reached by adding intervals may sit a hair below zero, and
// its label shows no "-0".
TEST(AxisTicks, LabelFormatsOnlySafeFormatsAndNoNegativeZero)
{
    for (auto [format, value, text] : {std::tuple{"%.2f", 1.5, "1.50"},
                                       {"%10.3e", 1.5, " 1.500e+00"},
                                       {"%+-8.1F", 1.5, "+1.5    "},
                                       {"%.1f%%", 1.5, "1.5%"},
                                       {u8"x=%.1f \u00B0C", 1.5, u8"x=1.5 \u00B0C"},
                                       {"100%%", 1.5, "100%"},
                                       {"%.2f", -1.4e-16, "0.00"},
                                       {"%.2f", -0.006, "-0.01"},
                                       {"%.2e", -1e-16, "-1.00e-16"}})
        EXPECT_EQ(FormatTickLabel(wxString::FromUTF8(format), value), wxString::FromUTF8(text))
            << format << " " << value;
    // Anything else is drawn as it stands, never handed to the formatter.
    for (const char* format :
         {"%s", "%n", "%d", "%f%f", "%*f", "%", "%Lf", "%1$f", "%.500f", "%%%", "%------+f"})
        EXPECT_EQ(FormatTickLabel(format, 1.0), wxString(format));
}

namespace {

// Labels that would read alike get the fewest digits that tell them apart; a format that
// already does is kept; "-0" never shows.
TEST(TickLabels, DigitsThatTellTicksApart)
{
    auto ticks = [](double from, double step, int n) {
        std::vector<double> v;
        for (int k = 0; k < n; ++k)
            v.push_back(from + k * step); // accumulated as the renderer's are
        return v;
    };
    auto join = [](const std::vector<wxString>& labels) {
        wxString text;
        for (const wxString& label : labels)
            text += (text.empty() ? "" : " ") + label;
        return text.utf8_string();
    };
    // name, format, ticks, interval, labels
    const std::tuple<const char*, const char*, std::vector<double>, double, const char*> rows[] = {
        {"microvolts with two decimals", "%.2f", ticks(-4e-6, 2e-6, 5), 2e-6,
         "-4e-06 -2e-06 0 2e-06 4e-06"},
        {"a zoom into 0..1 without decimals", "%.0f", ticks(0, 0.2, 6), 0.2,
         "0.0 0.2 0.4 0.6 0.8 1.0"},
        {"text around the conversion stays", "%.0f V", ticks(1, 0.5, 3), 0.5, "1.0 V 1.5 V 2.0 V"},
        {"a format that tells them apart is kept", "%.2f", ticks(-1, 0.5, 5), 0.5,
         "-1.00 -0.50 0.00 0.50 1.00"},
        {"large numbers as set", "%.0f", ticks(0, 100000, 3), 100000, "0 100000 200000"},
        {"no minus zero", "%.1f", {-0.2, -1e-17, 0.2}, 0.2, "-0.2 0.0 0.2"},
        {"a literal stays", "t", ticks(0, 1, 2), 1, "t t"},
    };
    for (const auto& [name, format, values, interval, labels] : rows)
        EXPECT_EQ(labels, join(TickLabels(format, values, interval))) << name;
}

} // namespace
