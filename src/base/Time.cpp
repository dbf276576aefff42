// Instants as nanoseconds since 1970 (UTC, no leap seconds), and their ISO 8601 text.
#include "base/Time.h"

#include <cmath>

#include <date/date.h>

namespace {

constexpr int64_t POW10[10] = {1,      10,      100,      1000,      10000,
                               100000, 1000000, 10000000, 100000000, 1000000000};

} // namespace

bool InstantAt(TimeNanos origin, double seconds, TimeNanos& out)
{
    const double nanos = std::round(seconds * 1e9);
    // 2^63 is exact in a double; anything at or past it does not fit.
    if (!(std::fabs(nanos) < 9.2233720368547758e18))
        return false;
    return !__builtin_add_overflow(origin, int64_t(nanos), &out);
}

std::string FormatIsoTime(TimeNanos t, int fractionDigits)
{
    fractionDigits = fractionDigits < 0 ? 0 : fractionDigits > 9 ? 9 : fractionDigits;
    // Floored, without multiplying back: days * NANOS_PER_DAY leaves int64 near its ends.
    int64_t days = t / NANOS_PER_DAY, nanosOfDay = t % NANOS_PER_DAY;
    if (nanosOfDay < 0) {
        nanosOfDay += NANOS_PER_DAY;
        --days;
    }
    const date::year_month_day ymd{date::sys_days{date::days{days}}};
    const int64_t seconds = nanosOfDay / NANOS_PER_SECOND;
    const int64_t fraction = nanosOfDay % NANOS_PER_SECOND;

    char text[32];
    char* p = text;
    auto put = [&p](int64_t value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10)
            p[i] = char('0' + value % 10);
        p += width;
    };
    put(int(ymd.year()), 4);
    *p++ = '-';
    put(unsigned(ymd.month()), 2);
    *p++ = '-';
    put(unsigned(ymd.day()), 2);
    *p++ = 'T';
    put(seconds / 3600, 2);
    *p++ = ':';
    put(seconds / 60 % 60, 2);
    *p++ = ':';
    put(seconds % 60, 2);
    if (fractionDigits > 0) {
        *p++ = '.';
        put(fraction / POW10[9 - fractionDigits], fractionDigits);
    }
    return std::string(text, p);
}

int FractionDigitsOf(TimeNanos t)
{
    const int64_t fraction = t % NANOS_PER_SECOND; // its sign does not change what divides it
    if (fraction == 0)
        return 0;
    if (fraction % 1000000 == 0)
        return 3;
    return fraction % 1000 == 0 ? 6 : 9;
}

std::string FormatIsoTimeAt(TimeNanos origin, double seconds)
{
    TimeNanos t = 0;
    if (!InstantAt(origin, seconds, t))
        return std::string();
    return FormatIsoTime(t, FractionDigitsOf(t));
}
