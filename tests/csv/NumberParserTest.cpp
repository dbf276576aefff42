#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "csv/NumberParser.h"

namespace {

std::string Digits(std::mt19937_64& rng, int count)
{
    std::string s(size_t(count), '0');
    for (char& c : s)
        c = char('0' + rng() % 10);
    return s;
}

// Strings of the accepted grammar and near misses; 'd' marks become 'e' for strtod.
std::string RandomNumberText(std::mt19937_64& rng)
{
    auto pick = [&rng](int n) { return static_cast<int>(rng() % unsigned(n)); };
    auto digits = [&](int maxCount) { return Digits(rng, pick(maxCount + 1)); };
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

// Fields as files write them, weighted to the shapes the fast path takes (up to 19 digits,
// leading zeros, values about 2^53) and its edges: 20 digits, long fractions, exponents
// near 22, a decimal comma, blanks, junk.
std::string RandomField(std::mt19937_64& rng)
{
    auto pick = [&rng](int n) { return static_cast<int>(rng() % unsigned(n)); };
    auto digits = [&](int count) { return Digits(rng, count); };
    std::string s;
    if (pick(16) == 0)
        s += " \t"[pick(2)];
    if (pick(3) == 0)
        s += "+-"[pick(2)];
    switch (pick(5)) {
    case 0: // about 2^53 = 9007199254740992, as an integer or with its point moved
        s += std::to_string(9007199254740992ull - 3 + uint64_t(pick(7)));
        if (pick(2))
            s.insert(s.size() - size_t(pick(16)), ".");
        break;
    case 1: // leading zeros
        s += std::string(size_t(pick(12)), '0') + digits(pick(10));
        if (pick(2))
            s += "." + std::string(size_t(pick(18)), '0') + digits(pick(6));
        break;
    default: // up to 20 digits around the point
        s += digits(pick(pick(6) == 0 ? 21 : 9));
        if (pick(4))
            s += "." + digits(pick(pick(6) == 0 ? 21 : 9));
    }
    if (pick(4) == 0) {
        s += "eEdD"[pick(4)];
        if (pick(2))
            s += "+-"[pick(2)];
        s += std::to_string(pick(pick(4) == 0 ? 400 : 30));
    }
    if (pick(6) == 0)
        s += ",;\t\r\n x.5e"[pick(11)];
    return s;
}

// The one-pass reading of ParseNumber against the general way through fast_float: the
// same stop and the same bits, for the whole field and its prefixes, with digits after
// `last` so that reading past it shows.
TEST(NumberParser, FastPathMatchesTheGeneralWayBitForBit)
{
    std::mt19937_64 rng(20261208);
    for (int i = 0; i < 300000; ++i) {
        const std::string field = RandomField(rng);
        const size_t length = rng() % 3 ? field.size() : rng() % (field.size() + 1);
        const std::string text = field.substr(0, length) + "12345678901234567890";
        const char* first = text.data();
        const char* last = first + length;
        double value = -1.0, expected = -1.0;
        const char* stop = ParseNumber(first, last, value);
        const char* expectedStop = ParseNumberGeneral(first, last, expected);
        SCOPED_TRACE("field \"" + field + "\" length " + std::to_string(length));
        ASSERT_EQ(stop, expectedStop);
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << value << " " << expected;
    }
}

} // namespace
