#pragma once

// The ticks of a time axis: calendar steps (1-2-5 fractions of a second; 1, 2, 5, 10, 15,
// 30 s and min; 1, 2, 3, 6, 12 h; 1, 2, 7, 14 days; 1, 2, 3, 6 months; 1-2-5 years) on
// whole units, and labels that show the units changing at that step. Pure arithmetic,
// in UTC (times are shown as the file wrote them), no drawing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Time.h"

struct TimeStep
{
    enum Unit : uint8_t
    {
        NANOS, // a fixed length: count nanoseconds
        MONTHS,
        YEARS,
    };
    Unit unit = NANOS;
    int64_t count = NANOS_PER_SECOND;

    // The mean length in seconds (a month is a twelfth of 365.2425 days).
    double Seconds() const;
    friend bool operator==(const TimeStep& a, const TimeStep& b)
    {
        return a.unit == b.unit && a.count == b.count;
    }
};

struct TimeTick
{
    double x;            // seconds from the axis' origin
    std::string label;   // the units that change at the step: "14:05", ":30.250", "Mar 03"
    std::string context; // the larger units ("2026-03-03") where they change, and first
    int64_t ordinal;     // the tick's number in its step's sequence (every k-th is labelled)
};

// The calendar step whose tick count over `span` seconds is closest to `intervals` (the
// grid's aim for the axis length); the larger step on a tie.
TimeStep ChooseTimeStep(double span, double intervals);

// The ticks of `step` within [minX, maxX] (seconds from `origin`). Empty when an end lies
// outside the instants TimeNanos holds, or when there would be more than maxCount.
std::vector<TimeTick> TimeTickPositions(TimeNanos origin, double minX, double maxX, TimeStep step,
                                        std::size_t maxCount = 100000);

// How long `seconds` lasts, in the units a reader expects: "1.250 ms", "42 s",
// "2 h 05 min", "3 d 04 h"; with the sign of a negative duration.
std::string FormatDuration(double seconds);

// The ISO 8601 text of the instant `x` seconds after `origin`, with the fraction digits
// that tell apart instants `resolution` seconds apart (one pixel of the view); "%g" of x
// when that instant is out of range.
std::string TimeAtX(TimeNanos origin, double x, double resolution);

// The fraction digits (0-9) an instant needs so that two instants `resolution` seconds
// apart read differently: 3 for 0.001, 0 for a second or more.
int FractionDigitsFor(double resolution);
