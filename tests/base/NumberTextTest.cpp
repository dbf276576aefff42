#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "base/NumberText.h"

namespace {

// %g's notation, as few digits as read back exactly, whole numbers whole.
TEST(FormatExactNumber, ShortestTextThatReadsBack)
{
    const std::pair<double, const char*> rows[] = {
        {0.0005, "0.0005"},
        {0.00005, "5e-05"},
        {1e-12, "1e-12"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"},
        {200000, "200000"}, // not "2e+05"
        {-4.5, "-4.5"},
        {0.1 + 0.2, "0.30000000000000004"},
        {12.345678912345678, "12.345678912345678"},
        {9007199254740993.0, "9007199254740992"}, // 2^53 + 1 is not a double
        {1e16, "10000000000000000"},
        {1e20, "1e+20"},
        {DBL_MAX, "1.7976931348623157e+308"},
        {5e-324, "5e-324"},
        {-0.0, "-0"},
        {INFINITY, "inf"},
        {-INFINITY, "-inf"},
        {NAN, "nan"},
    };
    for (const auto& [value, text] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FormatExactNumber(value), text);
    }
}

// Any finite double reads back exactly through strtod, in at most %.17g's length.
TEST(FormatExactNumber, RandomBitPatternsReadBack)
{
    std::mt19937_64 rng(26);
    for (int i = 0; i < 100000; ++i) {
        const uint64_t bits = rng();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (i % 2)
            value = double(int64_t(bits % 2000000001) - 1000000000) / double(1 + bits % 1000);
        if (!std::isfinite(value))
            continue;
        const std::string text = FormatExactNumber(value).utf8_string();
        SCOPED_TRACE(text);
        char longest[40];
        std::snprintf(longest, sizeof longest, "%.17g", value);
        EXPECT_LE(text.size(), std::strlen(longest));
        EXPECT_EQ(value, std::strtod(text.c_str(), nullptr));
    }
}

} // namespace
