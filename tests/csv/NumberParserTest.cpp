#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "csv/NumberParser.h"

namespace {

// Strings of the accepted grammar and near misses; 'd' marks become 'e' for strtod.
std::string RandomNumberText(std::mt19937_64& rng)
{
    auto pick = [&rng](int n) { return static_cast<int>(rng() % unsigned(n)); };
    auto digits = [&](int maxCount) {
        std::string s(size_t(pick(maxCount + 1)), '0');
        for (char& c : s)
            c = char('0' + pick(10));
        return s;
    };
    std::string s;
    if (pick(4) == 0)
        s += " \t\n\v\f\r"[pick(6)];
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
        s += ",x .5"[pick(5)];
    return s;
}

// Also parses prefixes of the text, so a read past `last` shows as a wrong result.
TEST(NumberParser, MatchesStrtodOnRandomInputs)
{
    // strtod reads these further; the file syntax has no hex, inf or nan.
    for (const char* text : {"0x1p3", "inf", "-Infinity", "nan"}) {
        double value = 0;
        const char* stop = ParseNumber(text, text + std::strlen(text), value);
        EXPECT_EQ(stop, text[1] == 'x' ? text + 1 : nullptr) << text;
    }
    std::mt19937_64 rng(20261206);
    for (int i = 0; i < 200000; ++i) {
        const std::string text = RandomNumberText(rng);
        const size_t length = rng() % 4 ? text.size() : rng() % (text.size() + 1);
        std::string oracleText = text.substr(0, length);
        for (char& c : oracleText)
            if (c == 'd' || c == 'D')
                c = 'e';
        char* oracleEnd = nullptr;
        const double expected = std::strtod(oracleText.c_str(), &oracleEnd);
        const long expectedLength = oracleEnd - oracleText.c_str();

        double value = 0;
        const char* stop = ParseNumber(text.data(), text.data() + length, value);
        SCOPED_TRACE("input \"" + text + "\" length " + std::to_string(length));
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
