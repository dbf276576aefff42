#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "csv/TimeText.h"

namespace {

using L = TimeLayout;

// Expected instants come from the C library's UTC calendar, which also rolls 24:00 and a
// 60th second over as the parser must.
TimeNanos At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
             int64_t nanos = 0)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return int64_t(timegm(&fields)) * NANOS_PER_SECOND + nanos;
}

constexpr int64_t HOUR = 3600 * NANOS_PER_SECOND;
constexpr int64_t MINUTE = 60 * NANOS_PER_SECOND;
constexpr TimeNanos UNTOUCHED = 4242;

struct Row
{
    std::string text;
    TimeLayout layout;
    std::optional<TimeNanos> expected; // none: refused
};

bool Parse(const std::string& text, TimeLayout layout, TimeNanos& out)
{
    // An exact-size copy without a terminator, so a read past the end shows under ASan.
    const std::vector<char> exact(text.begin(), text.end());
    return ParseTime(exact.data(), exact.data() + exact.size(), layout, out);
}

// Also checks that TimeLayoutsOf reports exactly the layouts ParseTime accepts.
void CheckRows(const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(TimeLayoutName(row.layout)) + " \"" + row.text + "\"");
        TimeNanos out = UNTOUCHED;
        EXPECT_EQ(Parse(row.text, row.layout, out), row.expected.has_value());
        EXPECT_EQ(out, row.expected.value_or(UNTOUCHED));
        const uint32_t layouts = TimeLayoutsOf(row.text.data(), row.text.data() + row.text.size());
        const bool reported = layouts & (1u << unsigned(row.layout));
        const bool calendar = row.layout >= L::ISO && row.layout <= L::TIME_OF_DAY;
        EXPECT_EQ(reported, calendar && row.expected.has_value());
    }
}

void CheckRefused(TimeLayout layout, const std::vector<std::string>& texts)
{
    std::vector<Row> rows;
    for (const std::string& text : texts)
        rows.push_back({text, layout, {}});
    CheckRows(rows);
}

// Spellings the oracles below write (IsoRoundTripMatchesTimegm, OtherSpellingsAgree) are not
// repeated here: these rows are the edges and the spellings those never write.
TEST(TimeText, IsoDates)
{
    CheckRows({
        {"2000-01-01", L::ISO, INT64_C(946684800) * NANOS_PER_SECOND},
        {"2026-3-5", L::ISO, At(2026, 3, 5)},
        {"2026.03.05", L::ISO, At(2026, 3, 5)},
        {"2026-03-05T14:05", L::ISO, At(2026, 3, 5, 14, 5)},
        {"2026-03-05t14:05:30", L::ISO, At(2026, 3, 5, 14, 5, 30)},
        {"2026-03-05   14:05:30", L::ISO, At(2026, 3, 5, 14, 5, 30)},
        {" \t2026-03-05T14:05:30.123 \t", L::ISO, At(2026, 3, 5, 14, 5, 30, 123000000)},
        {"1678-01-01T00:00:00", L::ISO, At(1678, 1, 1)},
        {"2261-12-31T23:59:59.999999999", L::ISO, At(2262, 1, 1) - 1},
    });
    CheckRefused(L::ISO, {"1900-02-29", "2023-02-29", "2026-04-31", "2026-13-01", "2026-00-10",
                          "2026-01-00", "1677-12-31", "2262-01-01", "26-03-05", "02026-03-05"});
    CheckRefused(L::ISO, {"2026-003-05", "2026-03/05", "2026-03-05x", "2026-03-05T",
                          "2026-03-05T14", "2026-03-05T14:05:30.", "2026-03-05T14:05:30.12x",
                          "2026-03-05T14:05:30.1 2", "2026-03-05T14:05.5", "2026-03-05T12:60",
                          "2026-03-0514:05", "2026-03-05 - 14:05"});
    CheckRefused(L::ISO, {"", " ", "-", "2026", "20260305", "1e5"});
}

TEST(TimeText, Clocks)
{
    CheckRows({
        {"9:05", L::TIME_OF_DAY, 9 * HOUR + 5 * MINUTE},
        {"9:5:7", L::TIME_OF_DAY, 9 * HOUR + 5 * MINUTE + 7 * NANOS_PER_SECOND},
        {"18.00.00", L::TIME_OF_DAY, 18 * HOUR}, // dotted clocks: whole seconds only
        // Digits past the ninth are dropped, not rounded.
        {"00:00:00.99999999999999", L::TIME_OF_DAY, 999999999},
        {"24:00", L::TIME_OF_DAY, NANOS_PER_DAY},
        {"23:59:60", L::TIME_OF_DAY, NANOS_PER_DAY},
        {"12:00:60.5", L::TIME_OF_DAY, 12 * HOUR + MINUTE + 500000000},
        {"2026-12-31 23:59:60", L::ISO, At(2027, 1, 1)},
        {"12:00 AM", L::TIME_OF_DAY, 0},
        {"12:30 am", L::TIME_OF_DAY, 30 * MINUTE},
        {"12:00 PM", L::TIME_OF_DAY, 12 * HOUR},
        {"9:05pM", L::TIME_OF_DAY, 21 * HOUR + 5 * MINUTE},
        {"2026-03-05 2:05:30 PM", L::ISO, At(2026, 3, 5, 14, 5, 30)},
    });
    CheckRefused(L::TIME_OF_DAY,
                 {"18.00",  "18.00.00.5", "24:00:01",   "24:00:00.1", "24:01",     "25:00",
                  "12:60",  "12:00:61",   "123:00",     "12:000",     "12:",       ":30",
                  "12:30:", "12.30",      "12",         "0:30 AM",    "13:00 PM",  "24:00 AM",
                  "9:05 P", "9:05 PMX",   "9:05 PM PM", "PM",         "2026-03-05"});
}

TEST(TimeText, Zones)
{
    const TimeNanos at = At(2026, 3, 5, 14, 5, 30);
    CheckRows({
        {"2026-03-05T14:05:30z", L::ISO, at},
        {"2026-03-05 14:05:30 UTC", L::ISO, at},
        {"2026-03-05 14:05:30 gmt", L::ISO, at},
        {"2026-03-05T14:05:30+02", L::ISO, at - 2 * HOUR},
        {"2026-03-05 14:05:30 +02:00", L::ISO, at - 2 * HOUR},
        {"2026-03-05T14:05:30-0530", L::ISO, at + 5 * HOUR + 30 * MINUTE},
        {"2026-03-05 14:05:30.123456789+02:00", L::ISO, at - 2 * HOUR + 123456789},
        {"2026-03-05T02:05:30 PM +01:00", L::ISO, at - HOUR},
        {"00:30+01:00", L::TIME_OF_DAY, -30 * MINUTE},
        {"23:30 -01:00", L::TIME_OF_DAY, NANOS_PER_DAY + 30 * MINUTE},
    });
    CheckRefused(L::ISO,
                 {"2026-03-05T14:05:30+2", "2026-03-05T14:05:30+02:0", "2026-03-05T14:05:30+020",
                  "2026-03-05T14:05:30+02000", "2026-03-05T14:05:30+02:00:00",
                  "2026-03-05T14:05:30+24:00", "2026-03-05T14:05:30+02:60",
                  "2026-03-05T14:05:30 UT", "2026-03-05T14:05:30 Z Z", "2026-03-05T14:05:30Zulu",
                  "2026-03-05T14:05:30 +02:00 PM", "2026-03-05Z", "2026-03-05+02:00"});
    CheckRefused(L::TIME_OF_DAY, {"+02:00"});
}

TEST(TimeText, NumericDayAndMonthOrder)
{
    CheckRows({
        {"05/03/2026", L::DAY_FIRST, At(2026, 3, 5)},
        {"05/03/2026", L::MONTH_FIRST, At(2026, 5, 3)},
        {"05-03-2026", L::DAY_FIRST, At(2026, 3, 5)},
        {"05/03/2026T14:05:30.5Z", L::DAY_FIRST, At(2026, 3, 5, 14, 5, 30, 500000000)},
        {"13/04/2026", L::DAY_FIRST, At(2026, 4, 13)},
    });
    CheckRefused(L::MONTH_FIRST, {"13/04/2026", "02/29/1900"});
    CheckRefused(L::DAY_FIRST, {"31/04/2026", "29/02/1900", "05/03/26", "05/03-2026", "005/03/2026",
                                "05/03/02026", "2026-03-05", "05/03/2026 x"});
}

TEST(TimeText, MonthNames)
{
    CheckRows({
        {"Jan 1 2000", L::MONTH_NAME, At(2000, 1, 1)},
        {"March 3, 2026", L::MONTH_NAME, At(2026, 3, 3)},
        {"01-Mar-2026", L::MONTH_NAME, At(2026, 3, 1)},
        {"1 March 2026", L::MONTH_NAME, At(2026, 3, 1)},
        {"2026-Mar-01", L::MONTH_NAME, At(2026, 3, 1)},
        {"mar. 3, 2026", L::MONTH_NAME, At(2026, 3, 3)},
        {"Mar.3.2026", L::MONTH_NAME, At(2026, 3, 3)},
        {"Sept 9 2026", L::MONTH_NAME, At(2026, 9, 9)},
        {"May 31 2026", L::MONTH_NAME, At(2026, 5, 31)},
        {"01-Mar-2026 14:05:30.5", L::MONTH_NAME, At(2026, 3, 1, 14, 5, 30, 500000000)},
        {"March 3, 2026, 2:05 PM", L::MONTH_NAME, At(2026, 3, 3, 14, 5)},
        {"Wednesday, March 4, 2026", L::MONTH_NAME, At(2026, 3, 4)},
    });
    CheckRefused(L::MONTH_NAME, {"Fri, 05 Mar 2026", "Feb 29 1900", "Jan 32 2000", "Jan 001 2000",
                                 "Jan 1 00", "Jan 2000", "Ma 1 2000", "Marc 1 2000",
                                 "Januaryy 1 2000", "Foo 1 2000", "Jan1 2000", "100 Jan 2000"});
    CheckRefused(L::MONTH_NAME, {"1 2 March 2026", "Jan 1 2000 noon", "Thu", "2026-03-05"});
}

TEST(TimeText, EpochNumbers)
{
    const int64_t MAX = std::numeric_limits<int64_t>::max();
    const int64_t MIN = std::numeric_limits<int64_t>::min();
    CheckRows({
        {"1733600000.123", L::EPOCH_S, INT64_C(1733600000123000000)},
        {"1733600000123.456789", L::EPOCH_MS, INT64_C(1733600000123456789)},
        {"1733600000123456", L::EPOCH_US, INT64_C(1733600000123456000)},
        {"1733600000123456789", L::EPOCH_NS, INT64_C(1733600000123456789)},
        {"-0.0000000015", L::EPOCH_S, -1},
        {"1.0000000009", L::EPOCH_S, NANOS_PER_SECOND},
        {"12.9", L::EPOCH_NS, 12},
        {".5", L::EPOCH_S, 500000000},
        {"5.", L::EPOCH_S, 5 * NANOS_PER_SECOND},
        {"+42", L::EPOCH_MS, 42000000},
        {" 42 ", L::EPOCH_US, 42000},
        {"-0", L::EPOCH_S, 0},
        {"9223372036.854775807", L::EPOCH_S, MAX},
        {"9223372036854775807", L::EPOCH_NS, MAX},
        {"-9223372036854775808", L::EPOCH_NS, MIN},
        {"-9223372036854.775808", L::EPOCH_MS, MIN},
    });
    CheckRefused(L::EPOCH_NS,
                 {"9223372036854775808", "-9223372036854775809", "99999999999999999999999"});
    CheckRefused(L::EPOCH_S,
                 {"9223372037", "1e5", "", "-", ".", "4 2", "0x10", "--1", "1.2.3", "12:30"});
    CheckRefused(L::NONE, {"1733600000"});
}

TEST(TimeText, LayoutsOfAField)
{
    const uint32_t ISO = 1u << unsigned(L::ISO), DMY = 1u << unsigned(L::DAY_FIRST),
                   MDY = 1u << unsigned(L::MONTH_FIRST), NAME = 1u << unsigned(L::MONTH_NAME),
                   CLOCK = 1u << unsigned(L::TIME_OF_DAY), DATE = TIME_DATE_ONLY;
    const std::pair<uint32_t, std::vector<const char*>> rows[] = {
        {DMY | MDY | DATE, {"03/04/2026", "1.2.2026"}},
        {DMY | MDY, {"12/12/2026 10:00"}},
        {DMY | DATE, {"13/04/2026"}},
        {DMY, {"13/04/2026 10:00"}},
        {MDY | DATE, {"04/13/2026"}},
        {ISO | DATE, {"2026-03-05"}},
        {ISO, {" 2026-03-05T14:05:30Z "}},
        {NAME | DATE, {"1 March 2026"}},
        {NAME, {"Mar 1 2026 9:00"}},
        {CLOCK, {"14:05:30", "2:05 PM"}},
        // none: impossible dates, numbers, text
        {0, {"31/02/2026", "2026", "20260305", "1733600000.123", "-5", "12.5", "1e5", "", "abc"}},
    };
    for (const auto& [layouts, texts] : rows)
        for (const char* text : texts)
            EXPECT_EQ(TimeLayoutsOf(text, text + std::strlen(text)), layouts) << text;
}

// Whole instants at every precision: TimeText.IsoRoundTripMatchesTimegm.
TEST(TimeText, FormatsIsoText)
{
    const TimeNanos at = At(2026, 3, 5, 14, 5, 30, 123456789);
    const std::tuple<TimeNanos, int, const char*> rows[] = {
        {-500000000, 0, "1969-12-31T23:59:59"},
        {-1, 3, "1969-12-31T23:59:59.999"},
        {at, 2, "2026-03-05T14:05:30.12"},
        {at, 12, "2026-03-05T14:05:30.123456789"},
        {at, -1, "2026-03-05T14:05:30"},
        {std::numeric_limits<int64_t>::min(), 9, "1677-09-21T00:12:43.145224192"},
        {std::numeric_limits<int64_t>::max(), 9, "2262-04-11T23:47:16.854775807"},
    };
    for (const auto& [t, digits, text] : rows)
        EXPECT_EQ(FormatIsoTime(t, digits), text) << t << " with " << digits;
}

TEST(TimeText, FewestFractionDigits)
{
    const std::pair<TimeNanos, int> rows[] = {
        {0, 0}, {-NANOS_PER_SECOND, 0}, {1000000, 3}, {-500000000, 3}, {-1000, 6}, {1, 9}, {-1, 9},
    };
    for (const auto& [t, digits] : rows)
        EXPECT_EQ(FractionDigitsOf(t), digits) << t;
}

TEST(TimeText, LayoutNamesReadBackAndOthersAreRefused)
{
    for (unsigned i = unsigned(L::ISO); i <= unsigned(L::EPOCH_NS); ++i) {
        TimeLayout read = L::NONE;
        const char* name = TimeLayoutName(TimeLayout(i));
        EXPECT_TRUE(TimeLayoutFromName(name, read) && read == TimeLayout(i)) << name;
    }
    for (const char* name : {"none", "ISO", "", "epoch", "iso "}) {
        TimeLayout read = L::EPOCH_S; // a refused name leaves it
        EXPECT_TRUE(!TimeLayoutFromName(name, read) && read == L::EPOCH_S) << name;
    }
}

// Random instants of 1900..2200 at a random precision survive FormatIsoTime and ParseTime
// bit for bit, and the written fields name the same second as timegm() says.
TEST(TimeText, IsoRoundTripMatchesTimegm)
{
    std::mt19937_64 rng(20260305);
    std::uniform_int_distribution<TimeNanos> instant(At(1900, 1, 1), At(2200, 1, 1));
    for (int i = 0; i < 200000; ++i) {
        const int digits = int(rng() % 10);
        const int64_t step = [digits] {
            int64_t s = 1;
            for (int k = digits; k < 9; ++k)
                s *= 10;
            return s;
        }();
        TimeNanos t = instant(rng);
        t -= ((t % step) + step) % step;
        const std::string text = FormatIsoTime(t, digits);
        SCOPED_TRACE(text);
        TimeNanos parsed = UNTOUCHED;
        ASSERT_TRUE(Parse(text, L::ISO, parsed));
        ASSERT_EQ(parsed, t);
        const int fewest = FractionDigitsOf(t);
        ASSERT_LE(fewest, (digits + 2) / 3 * 3);
        ASSERT_TRUE(Parse(FormatIsoTime(t, fewest), L::ISO, parsed));
        ASSERT_EQ(parsed, t);

        std::tm fields{};
        ASSERT_EQ(std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &fields.tm_year, &fields.tm_mon,
                              &fields.tm_mday, &fields.tm_hour, &fields.tm_min, &fields.tm_sec),
                  6);
        fields.tm_year -= 1900;
        fields.tm_mon -= 1;
        const int64_t seconds = t / NANOS_PER_SECOND - (t % NANOS_PER_SECOND < 0 ? 1 : 0);
        ASSERT_EQ(int64_t(timegm(&fields)), seconds);
    }
}

// The general reader agrees with the fixed one: the same instants, fields taken from
// gmtime_r(), written in the other layouts and with random offsets.
TEST(TimeText, OtherSpellingsAgree)
{
    static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::mt19937_64 rng(77);
    std::uniform_int_distribution<int64_t> second(At(1900, 1, 1) / NANOS_PER_SECOND,
                                                  At(2200, 1, 1) / NANOS_PER_SECOND);
    char text[96];
    for (int i = 0; i < 20000; ++i) {
        const time_t s = time_t(second(rng));
        const int millis = int(rng() % 1000);
        const TimeNanos t = int64_t(s) * NANOS_PER_SECOND + millis * 1000000;
        const int offsetMinutes = int(rng() % 113) * 15 - 14 * 60;
        std::tm u{}, local{};
        gmtime_r(&s, &u);
        const time_t shifted = s + offsetMinutes * 60;
        gmtime_r(&shifted, &local);
        const int year = u.tm_year + 1900, month = u.tm_mon + 1, hour12 = (u.tm_hour + 11) % 12 + 1;
        const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;

        const auto check = [&](TimeLayout layout, TimeNanos expected) {
            SCOPED_TRACE(std::string(TimeLayoutName(layout)) + " \"" + text + "\"");
            TimeNanos parsed = UNTOUCHED;
            ASSERT_TRUE(Parse(text, layout, parsed));
            ASSERT_EQ(parsed, expected);
        };
        std::snprintf(text, sizeof text, "%d/%d/%d %d:%d:%d.%03d+00:00", year, month, u.tm_mday,
                      u.tm_hour, u.tm_min, u.tm_sec, millis);
        check(L::ISO, t);
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d",
                      local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec, millis, offsetMinutes < 0 ? '-' : '+',
                      offset / 60, offset % 60);
        check(L::ISO, t);
        std::snprintf(text, sizeof text, "%d.%d.%d %d:%02d:%02d.%03d", u.tm_mday, month, year,
                      u.tm_hour, u.tm_min, u.tm_sec, millis);
        check(L::DAY_FIRST, t);
        std::snprintf(text, sizeof text, "%02d/%02d/%d %d:%02d:%02d.%03d %s", month, u.tm_mday,
                      year, hour12, u.tm_min, u.tm_sec, millis, u.tm_hour < 12 ? "AM" : "PM");
        check(L::MONTH_FIRST, t);
        std::snprintf(text, sizeof text, "%s, %02d %s %d %02d:%02d:%02d GMT", DAYS[u.tm_wday],
                      u.tm_mday, MONTHS[u.tm_mon], year, u.tm_hour, u.tm_min, u.tm_sec);
        check(L::MONTH_NAME, int64_t(s) * NANOS_PER_SECOND);
        std::snprintf(text, sizeof text, "%" PRId64, t / 1000000);
        check(L::EPOCH_MS, t);
        const int64_t magnitude = t < 0 ? -t : t;
        std::snprintf(text, sizeof text, "%s%" PRId64 ".%09" PRId64, t < 0 ? "-" : "",
                      magnitude / NANOS_PER_SECOND, magnitude % NANOS_PER_SECOND);
        check(L::EPOCH_S, t);
    }
}

} // namespace
