#include "render/CursorStats.h"

#include <algorithm>
#include <cmath>

#include "render/PlotTransform.h"
#include "render/TimeTicks.h"

CursorValue ValueAtCursor(const GraphData& series, double x)
{
    const int64_t index = series.GetDataX().HoldIndex(int64_t(series.GetCount()), x);
    if (index < 0)
        return {};
    const double y = series.GetDataY()->raw[size_t(index)];
    return std::isnan(y) ? CursorValue{} : CursorValue{true, y};
}

IntervalStats StatsBetween(const GraphData& series, double a, double b)
{
    IntervalStats stats;
    int64_t first = 0, last = 0;
    const auto y = series.GetDataY();
    if (!y || !series.GetDataX().IndexRange(int64_t(series.GetCount()), std::min(a, b),
                                            std::max(a, b), first, last))
        return stats;
    double sum = 0.0, squares = 0.0;
    int64_t count = 0;
    const double* v = y->raw.data();
    for (int64_t i = first; i <= last; ++i) {
        const double value = v[i];
        if (std::isfinite(value)) { // one infinity would swamp the mean and the RMS
            sum += value;
            squares += value * value;
            ++count;
        }
    }
    if (count == 0)
        return stats;
    const MinMax range = y->FiniteRangeMinMax(size_t(first), size_t(last) + 1);
    stats.count = count;
    stats.min = range.min;
    stats.max = range.max;
    stats.mean = sum / double(count);
    stats.rms = std::sqrt(squares / double(count));
    return stats;
}

namespace {

wxString Number(double v)
{
    return wxString::Format("%.6g", v);
}

wxString ValueOrDash(bool valid, double v)
{
    return valid ? Number(v) : wxString("-");
}

} // namespace

std::vector<wxString> CursorReadout(const CursorReadoutInput& in)
{
    const double dx = in.b - in.a;
    // On a time axis: instants to the pixel, and how long between them.
    const auto x = [&](double v) {
        return in.time ? wxString::FromUTF8(TimeAtX(in.timeOrigin, v, in.pixel)) : Number(v);
    };
    std::vector<wxString> lines = {
        "x(A) = " + x(in.a),
        "x(B) = " + x(in.b),
        wxString::FromUTF8("\u0394x = ") +
            (in.time ? wxString::FromUTF8(FormatDuration(dx)) : Number(dx)),
        wxString::FromUTF8("1/\u0394x = ") + ValueOrDash(dx != 0.0, 1.0 / dx),
    };
    if (!in.series)
        return lines;
    const CursorValue ya = ValueAtCursor(*in.series, in.a), yb = ValueAtCursor(*in.series, in.b);
    const IntervalStats s = StatsBetween(*in.series, in.a, in.b);
    const bool any = s.count > 0;
    lines.push_back(in.series->GetLabel());
    lines.push_back("y(A) = " + ValueOrDash(ya.valid, ya.y));
    lines.push_back("y(B) = " + ValueOrDash(yb.valid, yb.y));
    lines.push_back(wxString::FromUTF8("\u0394y = ") +
                    ValueOrDash(ya.valid && yb.valid, yb.y - ya.y));
    lines.push_back("min = " + ValueOrDash(any, s.min));
    lines.push_back("max = " + ValueOrDash(any, s.max));
    lines.push_back("mean = " + ValueOrDash(any, s.mean));
    lines.push_back("RMS = " + ValueOrDash(any, s.rms));
    lines.push_back(wxString::Format("N = %lld", static_cast<long long>(s.count)));
    return lines;
}
