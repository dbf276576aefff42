#include "render/CursorStats.h"

#include <algorithm>
#include <cmath>

#include "render/PlotTransform.h"

namespace {

MinMax Merge(const MinMax& a, const MinMax& b)
{
    return MinMax(std::fmin(a.min, b.min), std::fmax(a.max, b.max));
}

} // namespace

CursorValue ValueAtCursor(const GraphData& series, double x)
{
    const DataX dx = series.GetDataX();
    const int64_t count = series.GetCount();
    if (count <= 0 || !(dx.interval > 0.0) || !std::isfinite(x))
        return {};
    const double index = std::floor((x - dx.start) / dx.interval);
    if (!(index >= 0.0) || index > double(count - 1))
        return {};
    const double y = series.GetDataY()->raw[size_t(index)];
    return std::isnan(y) ? CursorValue{} : CursorValue{true, y};
}

MinMax RangeMinMax(const GraphDataY& data, int64_t first, int64_t last)
{
    MinMax result(NAN, NAN);
    // Half-open [lo, hi) at the current level; level 0 is the raw values.
    int64_t lo = first, hi = last + 1;
    const auto entry = [&data](size_t level, int64_t i) {
        if (level == 0) {
            const double v = data.raw[size_t(i)];
            return MinMax(v, v);
        }
        return data.mipmap[level - 1][size_t(i)];
    };
    for (size_t level = 0; lo < hi; ++level) {
        if (level == data.mipmap.size()) { // top level: few entries left
            for (int64_t i = lo; i < hi; ++i)
                result = Merge(result, entry(level, i));
            break;
        }
        if (lo & 1)
            result = Merge(result, entry(level, lo++));
        if (hi & 1)
            result = Merge(result, entry(level, --hi));
        lo /= 2;
        hi /= 2;
    }
    return result;
}

IntervalStats StatsBetween(const GraphData& series, double a, double b)
{
    IntervalStats stats;
    int64_t first = 0, last = 0;
    const auto y = series.GetDataY();
    if (!y || !VisibleIndexRange(series.GetDataX(), series.GetCount(), std::min(a, b),
                                 std::max(a, b), first, last))
        return stats;
    double sum = 0.0, squares = 0.0;
    int64_t count = 0;
    const double* v = y->raw.data();
    for (int64_t i = first; i <= last; ++i) {
        const double value = v[i];
        if (value == value) { // not NaN
            sum += value;
            squares += value * value;
            ++count;
        }
    }
    if (count == 0)
        return stats;
    const MinMax range = RangeMinMax(*y, first, last);
    stats.count = count;
    stats.min = range.min;
    stats.max = range.max;
    stats.mean = sum / double(count);
    stats.rms = std::sqrt(squares / double(count));
    return stats;
}
