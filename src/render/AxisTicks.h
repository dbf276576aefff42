#pragma once

#include <cstddef>
#include <vector>

#include <wx/string.h>

#include "model/TickFormat.h"

// Where grid lines, tick marks and tick labels of an axis go, and what the labels say.
// Pure arithmetic: no drawing, no state.

// The 1-2-5 value nearest to val (> 0): mantissa thresholds 1.5, 3.5 and 7.5, each a
// strict less-than. Asserts and returns 1.0 for a value that is not positive and finite.
double Round125(double val);

// The interval of an axis: the manual interval when auto is off and it is > 0, else one
// that gives about one line per 50 pixels, rounded to 1-2-5; 1.0 for a span of exactly 0.
// -1 means "no lines": the axis is shorter than 75 pixels, or the span is reversed (< 0)
// or not a number.
double GridInterval(bool autoInterval, double manualInterval, double span, double pixelLength);

// Values ceil(min / interval) * interval, then by repeated addition of interval, while
// <= max. Empty when interval is not positive and finite, min or max is not finite, or
// more than maxCount values would result (so a tiny interval cannot flood the drawing).
// Stops early if adding the interval no longer changes the value.
std::vector<double> TickPositions(double min, double max, double interval,
                                  std::size_t maxCount = 100000);

// The label of value: format applied to value when it is safe (IsTickFormatSafe);
// otherwise the format's literal text (with "%%" read as "%" when the format has no
// conversion at all).
wxString FormatTickLabel(const wxString& format, double value);

// The labels of evenly spaced ticks `interval` apart: the format's, unless it prints two
// different ticks alike (two decimals on microvolts); then, for this frame, the fewest
// digits that tell them apart, fixed or scientific (the shorter), in place of the format's
// conversion. A value within a billionth of an interval of zero is 0; "-0" never shows.
std::vector<wxString> TickLabels(const wxString& format, const std::vector<double>& ticks,
                                 double interval);
