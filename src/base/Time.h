#pragma once

// Instants: nanoseconds since 1970-01-01T00:00:00 UTC, no leap seconds (1678..2261), and
// values stored as seconds from such an origin (a time column's, a project's X axis).

#include <cstdint>
#include <string>

using TimeNanos = int64_t;
constexpr int64_t NANOS_PER_SECOND = 1000000000;
constexpr int64_t NANOS_PER_DAY = 86400 * NANOS_PER_SECOND;

// Seconds from `origin` to `t`, within half a microsecond for any two instants
// (whole seconds are exact; only the fraction is rounded).
inline double TimeSeconds(TimeNanos t, TimeNanos origin)
{
    int64_t narrow;
    if (!__builtin_sub_overflow(t, origin, &narrow)) {
        // The usual case, without the slow 128-bit division.
        int64_t seconds = narrow / NANOS_PER_SECOND;
        int64_t nanos = narrow % NANOS_PER_SECOND;
        if (nanos < 0) {
            nanos += NANOS_PER_SECOND;
            --seconds;
        }
        return double(seconds) + double(nanos) * 1e-9;
    }
    __extension__ typedef __int128 Wide; // the difference of two instants may pass 2^63
    const Wide difference = Wide(t) - Wide(origin);
    Wide seconds = difference / NANOS_PER_SECOND;
    Wide nanos = difference % NANOS_PER_SECOND;
    if (nanos < 0) {
        nanos += NANOS_PER_SECOND;
        --seconds;
    }
    return double(int64_t(seconds)) + double(int64_t(nanos)) * 1e-9;
}

// The instant `seconds` after `origin`, to the nearest nanosecond; false when it does not
// fit TimeNanos (or seconds is not finite).
bool InstantAt(TimeNanos origin, double seconds, TimeNanos& out);

// ISO 8601 text without a zone: "2026-03-05T14:05:30" plus '.' and `fractionDigits`
// (0-9) digits when above 0, cut (not rounded) to that many digits. Times before 1970 too.
// Any TimeNanos is written; fractionDigits outside 0-9 is taken as the nearest end.
std::string FormatIsoTime(TimeNanos t, int fractionDigits);
// The fewest fraction digits (0, 3, 6 or 9) that show t exactly.
int FractionDigitsOf(TimeNanos t);

// The ISO text of the instant `seconds` after `origin` (to the nanosecond), with the fraction
// digits it needs: how a value stored as seconds from a time column's origin is shown.
// Empty when the instant does not fit TimeNanos.
std::string FormatIsoTimeAt(TimeNanos origin, double seconds);
