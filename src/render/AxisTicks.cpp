#include "render/AxisTicks.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <wx/debug.h>

double Round125(double val)
{
    wxCHECK_MSG(val > 0.0 && std::isfinite(val), 1.0, "val > 0.0");
    double m = val;
    double p = 1.0;
    // Repeated multiplication keeps p the value the decimal steps produce, not pow's.
    while (m < 1.0) {
        m *= 10.0;
        p /= 10.0;
    }
    while (m >= 10.0) {
        m /= 10.0;
        p *= 10.0;
    }
    if (m < 1.5)
        return p;
    if (m < 3.5)
        return 2.0 * p;
    if (m < 7.5)
        return 5.0 * p;
    return 10.0 * p;
}

double GridInterval(bool autoInterval, double manualInterval, double span, double pixelLength)
{
    if (!(span >= 0.0)) // reversed or NaN: no sensible lines
        return -1.0;
    if (!autoInterval && manualInterval > 0.0)
        return manualInterval;
    if (span == 0.0)
        return 1.0;
    // Intervals the axis should show at about 50 pixels each; std::round rounds halves
    // away from zero as the toolkit's rounding does, without its int range limit.
    const double n = std::round(pixelLength / 50.0) - 1.0;
    if (!(n > 0.0)) // shorter than 75 pixels (or not a length)
        return -1.0;
    const double raw = span / n;
    if (!(raw > 0.0) || !std::isfinite(raw)) // span too small or too large for a double
        return -1.0;
    return Round125(raw);
}

std::vector<double> TickPositions(double min, double max, double interval, std::size_t maxCount)
{
    std::vector<double> values;
    if (!(interval > 0.0) || !std::isfinite(interval) || !std::isfinite(min) ||
        !std::isfinite(max) || max < min)
        return values;
    const double first = std::ceil(min / interval) * interval;
    // Count first (in doubles, one spare for rounding) so a tiny interval over a wide
    // range returns at once instead of enumerating billions of values.
    const double expected = std::floor(max / interval) - std::ceil(min / interval) + 1.0;
    if (!(expected <= double(maxCount) + 1.0))
        return values;
    for (double v = first; v <= max && values.size() < maxCount;) {
        values.push_back(v);
        const double next = v + interval;
        if (next == v)
            break;
        v = next;
    }
    return values;
}

wxString FormatTickLabel(const wxString& format, double value)
{
    switch (CheckTickFormat(format)) {
    case TickFormatCheck::OneDouble: {
        // Accumulated tick values land a hair below zero; "-0.00" is not a label.
        const wxString zero = wxString::Format(format, 0.0);
        if (value < 0.0 && wxString::Format(format, -value) == zero)
            return zero;
        return wxString::Format(format, value);
    }
    case TickFormatCheck::Literal: {
        wxString text = format;
        text.Replace("%%", "%");
        return text;
    }
    case TickFormatCheck::Unsafe:
        break;
    }
    return format;
}

namespace {

// Whether neighbouring labels differ (ticks rise, so equal texts are neighbours).
bool AllDiffer(const std::vector<wxString>& labels)
{
    for (size_t k = 1; k < labels.size(); ++k) {
        if (labels[k] == labels[k - 1])
            return false;
    }
    return true;
}

size_t LongestLength(const std::vector<wxString>& labels)
{
    size_t longest = 0;
    for (const wxString& label : labels)
        longest = std::max(longest, label.length());
    return longest;
}

} // namespace

std::vector<wxString> TickLabels(const wxString& format, const std::vector<double>& ticks,
                                 double interval)
{
    std::vector<double> values(ticks);
    for (double& v : values) {
        if (std::fabs(v) < std::fabs(interval) * 1e-9)
            v = 0.0;
    }
    auto labelsWith = [&values](const wxString& f) {
        std::vector<wxString> labels;
        for (double v : values)
            labels.push_back(FormatTickLabel(f, v));
        return labels;
    };
    std::vector<wxString> labels = labelsWith(format);
    std::pair<size_t, size_t> span;
    if (AllDiffer(labels) || CheckTickFormat(format, &span) != TickFormatCheck::OneDouble)
        return labels;
    const wxString before = format.Left(span.first), after = format.Mid(span.second);
    std::vector<wxString> fixed, scientific;
    for (int digits = 0; digits <= 17 && (fixed.empty() || scientific.empty()); ++digits) {
        for (const char* kind : {"f", "e"}) {
            std::vector<wxString>& found = *kind == 'f' ? fixed : scientific;
            if (!found.empty())
                continue;
            std::vector<wxString> tried =
                labelsWith(before + wxString::Format("%%.%d", digits) + kind + after);
            if (AllDiffer(tried))
                found = std::move(tried);
        }
    }
    if (fixed.empty() && scientific.empty())
        return labels;
    std::vector<wxString>& best =
        scientific.empty() || (!fixed.empty() && LongestLength(fixed) <= LongestLength(scientific))
            ? fixed
            : scientific;
    // A scientific zero reads better as a plain one.
    for (size_t k = 0; k < best.size(); ++k) {
        if (values[k] == 0.0 && &best == &scientific)
            best[k] = before + "0" + after;
    }
    return best;
}
