#include "render/CursorStats.h"

#include <algorithm>
#include <cmath>

#include "render/PlotTransform.h"

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
