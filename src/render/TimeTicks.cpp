#include "render/TimeTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <date/date.h>

namespace {

constexpr int64_t SECOND = NANOS_PER_SECOND;
constexpr int64_t MINUTE = 60 * SECOND;
constexpr int64_t HOUR = 60 * MINUTE;
constexpr int64_t DAY = NANOS_PER_DAY;
constexpr double MONTH_SECONDS = 365.2425 * 86400.0 / 12.0;

const char* const MONTH_NAMES[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const std::vector<TimeStep>& Steps()
{
    static const std::vector<TimeStep> steps = [] {
        std::vector<TimeStep> v;
        for (int64_t p = 1; p < SECOND; p *= 10)
            for (int64_t m : {1, 2, 5})
                v.push_back({TimeStep::NANOS, m * p});
        for (int64_t unit : {SECOND, MINUTE})
            for (int64_t k : {1, 2, 5, 10, 15, 30})
                v.push_back({TimeStep::NANOS, k * unit});
        for (int64_t k : {1, 2, 3, 6, 12})
            v.push_back({TimeStep::NANOS, k * HOUR});
        for (int64_t k : {1, 2, 7, 14})
            v.push_back({TimeStep::NANOS, k * DAY});
        for (int64_t k : {1, 2, 3, 6})
            v.push_back({TimeStep::MONTHS, k});
        for (int64_t p = 1; p <= 100; p *= 10)
            for (int64_t m : {1, 2, 5})
                v.push_back({TimeStep::YEARS, m * p});
        return v;
    }();
    return steps;
}

int64_t FloorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

struct Civil
{
    int year;
    unsigned month, day;
    int64_t nanosOfDay;
};

Civil CivilOf(TimeNanos t)
{
    const int64_t days = FloorDiv(t, DAY);
    const date::year_month_day ymd{date::sys_days{date::days{days}}};
    return Civil{int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()), t - days * DAY};
}

// The first instant of a month (index year * 12 + month - 1), or false when it does not
// fit TimeNanos.
bool MonthStart(int64_t monthIndex, TimeNanos& out)
{
    const int64_t year = FloorDiv(monthIndex, 12);
    if (year < 1678 || year > 2261)
        return false;
    const date::sys_days day{date::year(int(year)) /
                             date::month(unsigned(monthIndex - year * 12 + 1)) / date::day(1)};
    return !__builtin_mul_overflow(int64_t(day.time_since_epoch().count()), DAY, &out);
}

// Two digits of 0..99.
std::string Two(int64_t v)
{
    return std::string{char('0' + v / 10 % 10), char('0' + v % 10)};
}

std::string DateText(const Civil& c)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", c.year, c.month, c.day);
    return text;
}

std::string ClockText(const Civil& c, bool withSeconds)
{
    const int64_t s = c.nanosOfDay / SECOND;
    std::string text = Two(s / 3600) + ":" + Two(s / 60 % 60);
    return withSeconds ? text + ":" + Two(s % 60) : text;
}

// The label and the context of a tick at t for the step: the context holds the units
// the label leaves out, and `key` what must change for it to be shown again.
void Describe(TimeNanos t, const TimeStep& step, std::string& label, std::string& context,
              int64_t& key)
{
    const Civil c = CivilOf(t);
    const int64_t dayKey = (int64_t(c.year) * 12 + c.month) * 32 + c.day;
    if (step.unit == TimeStep::YEARS) {
        label = std::to_string(c.year);
        key = 0;
        return;
    }
    if (step.unit == TimeStep::MONTHS || step.count >= DAY) {
        label = MONTH_NAMES[c.month - 1];
        if (step.unit != TimeStep::MONTHS)
            label += " " + Two(c.day);
        context = std::to_string(c.year);
        key = c.year;
        return;
    }
    if (step.count >= SECOND) {
        label = ClockText(c, step.count < MINUTE);
        context = DateText(c);
        key = dayKey;
        return;
    }
    // A fraction of a second: its digits, after the second it belongs to.
    int digits = 9;
    for (int64_t p = step.count; p % 10 == 0; p /= 10)
        --digits;
    const int64_t s = c.nanosOfDay / SECOND;
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, "%09lld",
                  static_cast<long long>(c.nanosOfDay % SECOND));
    label = ":" + Two(s % 60) + "." + std::string(fraction, size_t(digits));
    context = DateText(c) + " " + ClockText(c, false);
    key = dayKey * 1440 + s / 60;
}

} // namespace

double TimeStep::Seconds() const
{
    switch (unit) {
    case MONTHS:
        return double(count) * MONTH_SECONDS;
    case YEARS:
        return double(count) * 12.0 * MONTH_SECONDS;
    case NANOS:
        break;
    }
    return double(count) * 1e-9;
}

TimeStep ChooseTimeStep(double span, double intervals)
{
    const std::vector<TimeStep>& steps = Steps();
    TimeStep best = steps.front();
    double bestMiss = HUGE_VAL;
    for (const TimeStep& step : steps) {
        const double miss = std::fabs(span / step.Seconds() - intervals);
        if (miss <= bestMiss) {
            best = step;
            bestMiss = miss;
        }
    }
    return best;
}

std::vector<TimeTick> TimeTickPositions(TimeNanos origin, double minX, double maxX, TimeStep step,
                                        std::size_t maxCount)
{
    std::vector<TimeTick> ticks;
    TimeNanos a = 0, b = 0;
    if (!(minX <= maxX) || step.count <= 0 || !InstantAt(origin, minX, a) ||
        !InstantAt(origin, maxX, b))
        return ticks;
    // The instants of the ticks and their numbers in the step's sequence.
    std::vector<std::pair<TimeNanos, int64_t>> at;
    if (step.unit == TimeStep::NANOS) {
        // Weeks start on Monday; 1970-01-01 was a Thursday.
        const int64_t offset = step.count % (7 * DAY) == 0 ? 4 * DAY : 0;
        const int64_t first = FloorDiv(a - offset - 1, step.count) + 1;
        const int64_t last = FloorDiv(b - offset, step.count);
        if (last - first + 1 > int64_t(maxCount))
            return ticks;
        for (int64_t k = first; k <= last; ++k)
            at.emplace_back(k * step.count + offset, k);
    } else {
        const int64_t perTick = step.unit == TimeStep::YEARS ? 12 * step.count : step.count;
        const Civil from = CivilOf(a);
        int64_t month = int64_t(from.year) * 12 + from.month - 1;
        if (from.day != 1 || from.nanosOfDay != 0)
            ++month;
        int64_t k = FloorDiv(month + perTick - 1, perTick);
        const Civil to = CivilOf(b);
        const int64_t lastMonth = int64_t(to.year) * 12 + to.month - 1;
        if ((lastMonth - k * perTick) / perTick + 1 > int64_t(maxCount))
            return ticks;
        for (TimeNanos t = 0; k * perTick <= lastMonth && MonthStart(k * perTick, t) && t <= b; ++k)
            at.emplace_back(t, k);
    }
    int64_t lastKey = 0;
    for (const auto& [t, ordinal] : at) {
        TimeTick tick{TimeSeconds(t, origin), std::string(), std::string(), ordinal};
        int64_t key = 0;
        Describe(t, step, tick.label, tick.context, key);
        if (!ticks.empty() && key == lastKey)
            tick.context.clear();
        lastKey = key;
        ticks.push_back(std::move(tick));
    }
    return ticks;
}

std::string FormatDuration(double seconds)
{
    if (std::isnan(seconds))
        return "-";
    const char* sign = seconds < 0.0 ? "-" : "";
    const double a = std::fabs(seconds);
    char text[64];
    if (a < 60.0) {
        const char* unit = a == 0.0   ? "s"
                           : a < 1e-6 ? "ns"
                           : a < 1e-3 ? "\xC2\xB5s"
                           : a < 1.0  ? "ms"
                                      : "s";
        const double scale = a == 0.0 ? 1.0 : a < 1e-6 ? 1e9 : a < 1e-3 ? 1e6 : a < 1.0 ? 1e3 : 1.0;
        std::snprintf(text, sizeof text, "%s%.3f %s", sign, a * scale, unit);
        return text;
    }
    if (!std::isfinite(a) || a > 1e15)
        return std::string(sign) + "\xE2\x88\x9E"; // beyond any calendar
    // Two units, the smaller rounded.
    const int64_t whole = int64_t(std::llround(a));
    if (whole < 3600)
        std::snprintf(text, sizeof text, "%s%lld min %02lld s", sign,
                      static_cast<long long>(whole / 60), static_cast<long long>(whole % 60));
    else if (whole < 86400 - 30)
        std::snprintf(text, sizeof text, "%s%lld h %02lld min", sign,
                      static_cast<long long>((whole + 30) / 3600),
                      static_cast<long long>((whole + 30) / 60 % 60));
    else
        std::snprintf(text, sizeof text, "%s%lld d %02lld h", sign,
                      static_cast<long long>((whole + 1800) / 86400),
                      static_cast<long long>((whole + 1800) / 3600 % 24));
    return text;
}

std::string TimeAtX(TimeNanos origin, double x, double resolution)
{
    TimeNanos t = 0;
    if (!InstantAt(origin, x, t)) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", x);
        return text;
    }
    return FormatIsoTime(t, FractionDigitsFor(resolution));
}

int FractionDigitsFor(double resolution)
{
    if (!(resolution < 1.0))
        return 0;
    if (!(resolution > 0.0))
        return 9;
    // A hair of tolerance: 0.001 computed as a difference is not exactly 1e-3.
    const int digits = int(std::ceil(-std::log10(resolution) - 1e-9));
    return std::clamp(digits, 0, 9);
}
