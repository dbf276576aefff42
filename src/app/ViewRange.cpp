#include "app/ViewRange.h"

namespace {

// min > max means nothing was considered (the project's range queries give DBL_MAX and
// -DBL_MAX then).
void FitAxis(double lo, double hi, double& outMin, double& outMax)
{
    if (lo > hi) {
        outMin = 0.0;
        outMax = 1.0;
        return;
    }
    if (lo == hi) {
        lo -= 1.0;
        hi += 1.0;
    }
    outMin = lo;
    outMax = hi;
}

} // namespace

PlotRange ComputeFitRange(const GraphProject& project)
{
    bool anyVisible = false;
    for (int i = 0; i < project.GetCount(); ++i)
        anyVisible = anyVisible || project.GetItem(i)->IsVisible();

    PlotRange range;
    FitAxis(project.GetMinX(anyVisible), project.GetMaxX(anyVisible), range.minX, range.maxX);
    FitAxis(project.GetMinY(anyVisible), project.GetMaxY(anyVisible), range.minY, range.maxY);
    return range;
}

void ZoomPlotRange(GraphProject& project, double factor, bool zoomX, bool zoomY)
{
    if (zoomX) {
        const PlotRange r = project.GetPlotRange();
        project.ZoomX((r.minX + r.maxX) / 2.0, factor);
    }
    if (zoomY) {
        const PlotRange r = project.GetPlotRange();
        project.ZoomY((r.minY + r.maxY) / 2.0, factor);
    }
}
