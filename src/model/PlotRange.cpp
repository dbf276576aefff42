#include "model/PlotRange.h"

#include <algorithm>
#include <cmath>

bool IsUsableAxis(double lo, double hi)
{
    if (!std::isfinite(lo) || !std::isfinite(hi) || !(lo < hi))
        return false;
    const double span = hi - lo;
    return std::isfinite(span) && span > MIN_RELATIVE_SPAN * std::max(std::fabs(lo), std::fabs(hi));
}

bool IsUsableRange(const PlotRange& range)
{
    return IsUsableAxis(range.minX, range.maxX) && IsUsableAxis(range.minY, range.maxY);
}

PlotRange MergeAxes(const PlotRange& current, const PlotRange& fit, bool fitX, bool fitY)
{
    PlotRange r = current;
    if (fitX) {
        r.minX = fit.minX;
        r.maxX = fit.maxX;
    }
    if (fitY) {
        r.minY = fit.minY;
        r.maxY = fit.maxY;
    }
    return r;
}

PlotRange ZoomedX(const PlotRange& range, double centre, double factor)
{
    PlotRange r = range;
    r.minX = centre + (range.minX - centre) * factor;
    r.maxX = centre + (range.maxX - centre) * factor;
    return r;
}

PlotRange ZoomedY(const PlotRange& range, double centre, double factor)
{
    PlotRange r = range;
    r.minY = centre + (range.minY - centre) * factor;
    r.maxY = centre + (range.maxY - centre) * factor;
    return r;
}

PlotRange Panned(const PlotRange& range, double dx, double dy)
{
    return PlotRange{range.minX + dx, range.maxX + dx, range.minY + dy, range.maxY + dy};
}

double ValidZoomFactor(double factor)
{
    return std::isfinite(factor) && factor >= MIN_ZOOM_FACTOR && factor <= MAX_ZOOM_FACTOR
               ? factor
               : DEFAULT_ZOOM_FACTOR;
}
