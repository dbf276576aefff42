#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "render/AxisTicks.h"
#include "support/TestSupport.h"

TEST(AxisTicks, Round125PicksNearest125Value)
{
    const struct
    {
        double in, out;
    } rows[] = {
        {0.37, 0.5},    {0.3, 0.2},       {1.49, 1.0},    {1.5, 2.0}, {3.4, 2.0},
        {3.5, 5.0},     {7.4, 5.0},       {7.5, 10},      {10, 10},   {99, 100},
        {12345, 10000}, {1e-300, 1e-300}, {3e300, 2e300},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in);
        EXPECT_NEAR(Round125(row.in), row.out, row.out * 1e-12);
    }
}

TEST(AxisTicks, Round125RejectsNonPositive)
{
    ExpectWxAsserts asserts;
    EXPECT_EQ(Round125(0.0), 1.0);
    EXPECT_EQ(Round125(-3.0), 1.0);
    EXPECT_EQ(Round125(NAN), 1.0);
    EXPECT_EQ(asserts.Count(), 3);
}

TEST(AxisTicks, GridInterval)
{
    const struct
    {
        const char* name;
        bool autoOn;
        double manual, span, pixels, expected;
    } rows[] = {
        {"100 over 600 px", true, -1, 100, 600, 10},
        {"1000 over 374 px", true, -1, 1000, 374, 200},
        {"1 over 890 px", true, -1, 1, 890, 0.05},
        {"100 over 75 px", true, -1, 100, 75, 100},
        {"100 over 74 px", true, -1, 100, 74, -1},
        {"span 0", true, -1, 0, 600, 1.0},
        {"span 0, short axis", true, -1, 0, 10, 1.0},
        {"manual kept unrounded", false, 0.3, 100, 600, 0.3},
        {"manual -1 means auto", false, -1, 100, 600, 10},
        {"manual 0 means auto", false, 0, 100, 600, 10},
        {"auto ignores manual", true, 0.3, 100, 600, 10},
        {"reversed span", true, -1, -5, 600, -1},
        {"reversed span, manual", false, 2, -5, 600, -1},
        {"NaN span", true, -1, NAN, 600, -1},
        {"infinite span", true, -1, INFINITY, 600, -1},
        {"negative length", true, -1, 100, -300, -1},
        {"tiny span", true, -1, 1e-310, 600, 1e-311},
        {"huge axis", true, -1, 1, 1e15, 1e-13 * 0.5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(GridInterval(row.autoOn, row.manual, row.span, row.pixels), row.expected,
                    std::fabs(row.expected) * 1e-9);
    }
}

TEST(AxisTicks, TickPositionsAccumulateByAddition)
{
    EXPECT_EQ(TickPositions(3, 33, 10), (std::vector<double>{10, 20, 30}));
    const std::vector<double> tenths = TickPositions(0, 1, 0.1);
    ASSERT_EQ(tenths.size(), 11u);
    EXPECT_EQ(tenths[3], 0.30000000000000004);
    EXPECT_EQ(tenths[10], 0.9999999999999999);
    EXPECT_EQ(TickPositions(5, 5, 1), (std::vector<double>{5}));
    EXPECT_TRUE(TickPositions(5.5, 5.9, 1).empty());
    EXPECT_EQ(TickPositions(-25, 25, 20), (std::vector<double>{-20, 0, 20}));
}

TEST(AxisTicks, TickPositionsNeverHangOrFlood)
{
    // Too many values: nothing rather than a frozen or flooded drawing.
    EXPECT_TRUE(TickPositions(0, 1000, 1e-300, 2000).empty());
    EXPECT_TRUE(TickPositions(-1e308, 1e308, 1e-300).empty());
    // Adding the interval stops changing the value.
    EXPECT_EQ(TickPositions(1e20, 1e20 + 1e5, 1).size(), 1u);
    EXPECT_LE(TickPositions(0, 1e6, 1, 100).size(), 100u);
    for (double bad : {0.0, -1.0, double(NAN), double(INFINITY)}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(TickPositions(0, 10, bad).empty());
    }
    EXPECT_TRUE(TickPositions(NAN, 10, 1).empty());
    EXPECT_TRUE(TickPositions(0, INFINITY, 1).empty());
    EXPECT_TRUE(TickPositions(10, 0, 1).empty());
    // Extreme magnitudes still enumerate properly.
    EXPECT_EQ(TickPositions(1e300, 5e300, 1e300).size(), 5u);
    EXPECT_EQ(TickPositions(1e-300, 5e-300, 1e-300).size(), 5u);
}

TEST(AxisTicks, LabelFormatsOnlySafeFormats)
{
    const struct
    {
        const char* format;
        double value;
        const char* text;
    } rows[] = {
        {"%.0f", 1.5, "2"},
        {"%.2f", 1.5, "1.50"},
        {"%g", 0.25, "0.25"},
        {"%10.3e", 1.5, " 1.500e+00"},
        {"%+-8.1F", 2.0, "+2.0    "},
        {"%.1f%%", 12.0, "12.0%"},
        {"x=%.1f s", 3.0, "x=3.0 s"},
        {"abc", 1.0, "abc"},
        {"100%%", 1.0, "100%"},
        {"", 1.0, ""},
        // Anything else is drawn as it stands, never handed to the formatter.
        {"%s", 1.0, "%s"},
        {"%s%s%s%s%s%s%s%s", 1.0, "%s%s%s%s%s%s%s%s"},
        {"%n", 1.0, "%n"},
        {"%d", 1.0, "%d"},
        {"%f%f", 1.0, "%f%f"},
        {"%*f", 1.0, "%*f"},
        {"%.*f", 1.0, "%.*f"},
        {"%", 1.0, "%"},
        {"%5", 1.0, "%5"},
        {"%Lf", 1.0, "%Lf"},
        {"%lf", 1.0, "%lf"},
        {"%1$f", 1.0, "%1$f"},
        {"%c", 1.0, "%c"},
        {"%.500f", 1.0, "%.500f"},
        {"%%%", 1.0, "%%%"},
        {"%------+f", 1.0, "%------+f"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.format);
        EXPECT_EQ(FormatTickLabel(row.format, row.value), wxString(row.text));
    }
    EXPECT_EQ(FormatTickLabel(wxString::FromUTF8("%.1f \xC2\xB0"
                                                 "C"),
                              20.0),
              wxString::FromUTF8("20.0 \xC2\xB0"
                                 "C"));
}
