#include "app/ViewRange.h"

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
