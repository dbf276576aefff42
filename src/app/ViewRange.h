#pragma once

#include "model/GraphProject.h"

// Scales the plot range about its midpoint by `factor` on the chosen axes (X first, then
// Y, one range change each).
void ZoomPlotRange(GraphProject& project, double factor, bool zoomX, bool zoomY);
