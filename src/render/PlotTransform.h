#pragma once

#include <cstdint>

#include "model/GraphData.h"
#include "model/PlotRange.h"

struct RenderSize
{
    double width = 1.0;
    double height = 1.0;
};

struct PlotArea
{
    double left = 0.0;
    double top = 0.0;
    double width = 1.0;
    double height = 1.0;
};

struct GridIntervals
{
    double x = 0.0; // -1: the axis has no lines
    double y = 0.0;
};

// Data (x, y) to plot-area pixels (sx * x + tx, sy * y + ty), origin at the frame's
// top-left corner, y growing downwards. Made once per frame, so the picture and the
// mouse mapping of a window always agree.
struct PlotTransform
{
    double sx = 0.0;
    double sy = 0.0;
    double tx = 0.0;
    double ty = 0.0;
    bool validX = false; // the X mapping is finite and increasing (positive width, span)
    bool validY = false;

    // The mapping of `range` onto a plot of width x height pixels. An axis whose size or
    // span is zero, negative or not finite is marked invalid.
    static PlotTransform Make(const PlotRange& range, double width, double height);

    bool IsValid() const { return validX && validY; }
    double ToPixelX(double x) const { return sx * x + tx; }
    double ToPixelY(double y) const { return sy * y + ty; }
    double ToDataX(double px) const { return (px - tx) / sx; }
    double ToDataY(double py) const { return (py - ty) / sy; }
};

// What one rendering produced: the size drawn, the frame, the range, the grid intervals
// and the mapping, in the coordinates of the whole picture (the transform's origin is the
// frame's corner, at plotArea.left/top).
struct RenderInfo
{
    RenderSize lastSize;
    PlotArea plotArea;
    PlotRange plotRange;
    GridIntervals gridInterval;
    PlotTransform transform;

    // Picture pixels to data and back, through the frame's corner.
    double ToDataX(double px) const { return transform.ToDataX(px - plotArea.left); }
    double ToDataY(double py) const { return transform.ToDataY(py - plotArea.top); }
    double ToPixelX(double x) const { return transform.ToPixelX(x) + plotArea.left; }
    double ToPixelY(double y) const { return transform.ToPixelY(y) + plotArea.top; }
    // Inside the frame, edges included.
    bool Contains(double px, double py) const
    {
        return px >= plotArea.left && px <= plotArea.left + plotArea.width && py >= plotArea.top &&
               py <= plotArea.top + plotArea.height;
    }
};
