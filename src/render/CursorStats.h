#pragma once

#include <cstdint>

#include "model/GraphData.h"

// What the A/B cursors read off one series.
struct CursorValue
{
    bool valid = false; // false: the cursor lies outside the data, or the value is NaN
    double y = 0.0;
};

struct IntervalStats
{
    int64_t count = 0; // points in the interval with a finite value; 0: no statistics
    double min = 0.0;
    double max = 0.0;
    double mean = 0.0;
    double rms = 0.0;
};

// The value of the last point at or before x (sample and hold, not interpolated).
CursorValue ValueAtCursor(const GraphData& series, double x);

// Statistics of the finite values of the points with X in [min(a, b), max(a, b)]: NaN and
// infinities are left out. Min and max come from the mipmap (logarithmic in the length);
// mean and RMS scan the values.
IntervalStats StatsBetween(const GraphData& series, double a, double b);
