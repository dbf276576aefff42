#pragma once

#include <cstdint>
#include <vector>

#include <wx/string.h>

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

// Where the cursors stand, and what they are read against.
struct CursorReadoutInput
{
    double a = 0.0, b = 0.0;           // the X of A and B
    const GraphData* series = nullptr; // the selected series; null: the X lines only
    bool time = false;                 // X counts seconds from timeOrigin
    int64_t timeOrigin = 0;            // nanoseconds, as the project holds it
    double pixel = 0.0;                // the X span of one pixel: instants are written to it
};

// The read-out's lines, as drawn: x(A), x(B), their difference and its inverse; then for a
// series its label, y(A), y(B), their difference and the statistics between the cursors.
// "-" stands for a value that does not exist (outside the data, a NaN, no points).
std::vector<wxString> CursorReadout(const CursorReadoutInput& in);
