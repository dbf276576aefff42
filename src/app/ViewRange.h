#pragma once

#include "model/GraphProject.h"

// The plot range that shows all the data: over the visible series when at least one is
// visible, otherwise over all. An extent of zero width is widened by 1 on each side;
// without points (no series, or only empty ones) the range is (0, 1).
PlotRange ComputeFitRange(const GraphProject& project);

// Scales the plot range about its midpoint by `factor` on the chosen axes (X first, then
// Y, one range change each).
void ZoomPlotRange(GraphProject& project, double factor, bool zoomX, bool zoomY);
