// Calendar ticks of time axes: steps, positions on whole units and labels, over spans from
// a microsecond to two centuries; durations and the fraction digits of a resolution.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "csv/TimeText.h"
#include "render/TimeTicks.h"

namespace {

TimeNanos At(const std::string& iso)
{
    TimeNanos t = 0;
    EXPECT_TRUE(ParseTime(iso.data(), iso.data() + iso.size(), TimeLayout::ISO, t)) << iso;
    return t;
}

// "label" or "label[context]" per tick, space-separated, the first `n` ticks.
std::string Labels(const std::vector<TimeTick>& ticks, size_t n = 5)
{
    std::string text;
    for (size_t k = 0; k < ticks.size() && k < n; ++k) {
        if (k)
            text += ' ';
        text += ticks[k].label;
        if (!ticks[k].context.empty())
            text += "[" + ticks[k].context + "]";
    }
    return text;
}

constexpr double DAY = 86400.0;

// From a microsecond to two centuries after an instant with nanoseconds, aiming at 16
// intervals: the step, the tick count and the first labels.
TEST(TimeTicks, StepsAndLabelsFromMicrosecondsToCenturies)
{
    const TimeNanos origin = At("2026-03-05T14:05:30.123456789");
    // span, step in seconds, tick count, the first labels
    const std::tuple<double, double, size_t, const char*> rows[] = {
        {1e-6, 50e-9, 20,
         ":30.12345680[2026-03-05 14:05] :30.12345685 :30.12345690 :30.12345695 :30.12345700"},
        {1e-5, 500e-9, 20,
         ":30.1234570[2026-03-05 14:05] :30.1234575 :30.1234580 :30.1234585 :30.1234590"},
        {1e-3, 50e-6, 20, ":30.12350[2026-03-05 14:05] :30.12355 :30.12360 :30.12365 :30.12370"},
        {0.5, 0.05, 10, ":30.15[2026-03-05 14:05] :30.20 :30.25 :30.30 :30.35"},
        {10, 0.5, 20, ":30.5[2026-03-05 14:05] :31.0 :31.5 :32.0 :32.5"},
        {600, 30, 20, "14:06:00[2026-03-05] 14:06:30 14:07:00 14:07:30 14:08:00"},
        {7200, 600, 12, "14:10[2026-03-05] 14:20 14:30 14:40 14:50"},
        // Past midnight the date shows again.
        {DAY, 7200, 12, "16:00[2026-03-05] 18:00 20:00 22:00 00:00[2026-03-06]"},
        {3 * DAY, 21600, 12, "18:00[2026-03-05] 00:00[2026-03-06] 06:00 12:00 18:00"},
        {40 * DAY, 2 * DAY, 20, "Mar 06[2026] Mar 08 Mar 10 Mar 12 Mar 14"},
        {365 * DAY, 365.2425 * DAY / 12, 12, "Apr[2026] May Jun Jul Aug"},
        {3 * 365 * DAY, 365.2425 * DAY / 6, 18, "May[2026] Jul Sep Nov Jan[2027]"},
        {200 * 365.25 * DAY, 3652.425 * DAY, 20, "2030 2040 2050 2060 2070"},
    };
    for (const auto& [span, stepSeconds, count, labels] : rows) {
        SCOPED_TRACE(span);
        const TimeStep step = ChooseTimeStep(span, 16);
        EXPECT_DOUBLE_EQ(stepSeconds, step.Seconds());
        const std::vector<TimeTick> ticks = TimeTickPositions(origin, 0.0, span, step);
        EXPECT_EQ(count, ticks.size());
        EXPECT_EQ(labels, Labels(ticks));
    }
    // A tick 10 us into 2026 lies exactly where its label says.
    const auto fine = TimeTickPositions(origin, 0.0, 1e-5, ChooseTimeStep(1e-5, 16));
    ASSERT_FALSE(fine.empty());
    TimeNanos first = 0;
    ASSERT_TRUE(InstantAt(origin, fine[0].x, first));
    EXPECT_EQ(At("2026-03-05T14:05:30.123457"), first);
}

// Months and years step by the calendar, from the first of a month; weeks from Monday;
// leap days and month ends; ends outside the instants there are give no ticks.
TEST(TimeTicks, CalendarSteps)
{
    const TimeNanos origin = At("2024-01-31T00:00:00");
    const TimeStep month{TimeStep::MONTHS, 1}, twoYears{TimeStep::YEARS, 2};
    const TimeStep day{TimeStep::NANOS, 86400 * NANOS_PER_SECOND};
    const TimeStep week{TimeStep::NANOS, 7 * 86400 * NANOS_PER_SECOND};
    // name, from and to in days after the origin, step, labels
    const std::tuple<const char*, double, double, TimeStep, const char*> rows[] = {
        {"after Jan 31 comes Feb 1", 0, 120, month, "Feb[2024] Mar Apr May"},
        {"the leap day", 28, 31, day, "Feb 28[2024] Feb 29 Mar 01 Mar 02"},
        {"years on multiples of the step", 0, 7 * 365, twoYears, "2026 2028 2030"},
        {"weeks from Monday", 0, 21, week, "Feb 05[2024] Feb 12 Feb 19"},
        {"a tick on an end is kept", 1, 30, month, "Feb[2024] Mar"},
    };
    for (const auto& [name, from, to, step, labels] : rows)
        EXPECT_EQ(labels, Labels(TimeTickPositions(origin, from * DAY, to * DAY, step))) << name;
    EXPECT_TRUE(TimeTickPositions(origin, 0.0, 300.0 * 365 * DAY, twoYears).empty());
    EXPECT_TRUE(TimeTickPositions(origin, 0.0, 1.0, {TimeStep::NANOS, 1}, 1000).empty());
    EXPECT_TRUE(TimeTickPositions(origin, 1.0, 0.0, day).empty());
}

TEST(TimeTicks, DurationsAndFractionDigits)
{
    const std::pair<double, const char*> durations[] = {
        {0.00125, "1.250 ms"},
        {7500, "2 h 05 min"},
        {42, "42.000 s"},
        {1.5e-7, "150.000 ns"},
        {2.5e-5, "25.000 \xC2\xB5s"},
        {-90, "-1 min 30 s"},
        {100000, "1 d 04 h"},
        {0, "0.000 s"},
    };
    for (const auto& [seconds, text] : durations)
        EXPECT_EQ(text, FormatDuration(seconds)) << seconds;
    const std::pair<double, int> digits[] = {{0.001, 3},  {1, 0},          {3600, 0},
                                             {2.5e-7, 7}, {0.1 - 0.09, 2}, {0, 9}};
    for (const auto& [resolution, n] : digits)
        EXPECT_EQ(n, FractionDigitsFor(resolution)) << resolution;
}

} // namespace
