#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "csv/NumberParser.h"

namespace {

struct ParseCase
{
    const char* text;
    int consumed; // -1: no number
    double value;
};

TEST(NumberParser, AcceptsExactlyTheFileSyntax)
{
    const ParseCase cases[] = {
        {"150", 3, 150.0},
        {"1.5d2", 5, 150.0},
        {"1.5D2", 5, 150.0},
        {"1.5E2", 5, 150.0},
        {"1.5e+2", 6, 150.0},
        {"2.5d-1", 6, 0.25},
        {"  \t+7", 5, 7.0},
        {"\v\f\r-7", 5, -7.0},
        {"-.5", 3, -0.5},
        {"5.", 2, 5.0},
        {".", -1, 0},
        {"+", -1, 0},
        {"", -1, 0},
        {"   ", -1, 0},
        {"+-1", -1, 0},
        {"--1", -1, 0},
        {"e5", -1, 0},
        {"1e", 1, 1.0}, // a mark without digits is not part of the number
        {"1d+", 1, 1.0},
        {"1e+x", 1, 1.0},
        {"1.2.3", 3, 1.2}, // the caller rejects what follows
        {"0x10", 1, 0.0},  // no hexadecimal
        {"inf", -1, 0},
        {"-infinity", -1, 0},
        {"nan", -1, 0},
        {"1e400", 5, HUGE_VAL},
        {"-1d400", 6, -HUGE_VAL},
        {"1e-400", 6, 0.0},
        {"4.9e-324", 8, 4.9e-324},
        {"1,5", 1, 1.0},
        {"1 2", 1, 1.0},
        {"1.5d2e3", 5, 150.0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(std::string("input \"") + c.text + "\"");
        double value = 12345.0;
        const char* end = c.text + std::strlen(c.text);
        const char* stop = ParseNumber(c.text, end, value);
        if (c.consumed < 0) {
            EXPECT_EQ(stop, nullptr);
            EXPECT_EQ(value, 12345.0);
            continue;
        }
        ASSERT_NE(stop, nullptr);
        EXPECT_EQ(stop - c.text, c.consumed);
        EXPECT_EQ(value, c.value);
    }
}

TEST(NumberParser, NeverReadsPastTheEnd)
{
    // The digits after `last` must not be taken into the number.
    const char text[] = "12345";
    double value = 0;
    EXPECT_EQ(ParseNumber(text, text + 2, value), text + 2);
    EXPECT_EQ(value, 12.0);
    EXPECT_EQ(ParseNumber(text, text + 1, value), text + 1);
    const char exponent[] = "1d23";
    EXPECT_EQ(ParseNumber(exponent, exponent + 2, value), exponent + 1);
    EXPECT_EQ(value, 1.0);
}

// Random strings of the accepted grammar (and near misses) against strtod, with 'd'
// marks turned into 'e' for strtod, which does not know them.
std::string RandomNumberText(std::mt19937_64& rng)
{
    if (rng() % 4 == 0) { // a printed double of any magnitude
        uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        char text[64];
        std::snprintf(text, sizeof text, "%.*g", int(rng() % 19) + 1, std::isfinite(d) ? d : 1.0);
        return text;
    }
    auto pick = [&rng](int n) { return static_cast<int>(rng() % unsigned(n)); };
    auto digits = [&](int maxCount) {
        std::string s;
        const int count = pick(maxCount + 1);
        for (int i = 0; i < count; ++i)
            s += char('0' + pick(10));
        return s;
    };
    std::string s;
    if (pick(4) == 0)
        s += " \t"[pick(2)];
    if (pick(3) == 0)
        s += "+-"[pick(2)];
    s += digits(pick(4) == 0 ? 40 : 18);
    if (pick(2))
        s += '.' + digits(pick(4) == 0 ? 30 : 17);
    if (pick(2)) {
        s += "eEdD"[pick(4)];
        if (pick(2))
            s += "+-"[pick(2)];
        s += digits(pick(8) == 0 ? 5 : 3);
    }
    if (pick(4) == 0)
        s += ",x ."[pick(4)];
    return s;
}

TEST(NumberParser, MatchesStrtodOnRandomInputs)
{
    std::mt19937_64 rng(20261206);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = RandomNumberText(rng);
        std::string oracleText = text;
        for (char& c : oracleText)
            if (c == 'd' || c == 'D')
                c = 'e';
        char* oracleEnd = nullptr;
        const double expected = std::strtod(oracleText.c_str(), &oracleEnd);
        const long expectedLength = oracleEnd - oracleText.c_str();

        double value = 0;
        const char* stop = ParseNumber(text.data(), text.data() + text.size(), value);
        SCOPED_TRACE("input \"" + text + "\"");
        if (expectedLength == 0) {
            ASSERT_EQ(stop, nullptr);
            continue;
        }
        ASSERT_NE(stop, nullptr);
        ASSERT_EQ(stop - text.data(), expectedLength);
        ASSERT_EQ(std::signbit(value), std::signbit(expected));
        ASSERT_EQ(value, expected);
    }
}

} // namespace
