#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/GraphProject.h"
#include "render/CairoContext.h"

class CurveRaster;

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
// top-left corner, y growing downwards.
struct PlotTransform
{
    double sx = 0.0;
    double sy = 0.0;
    double tx = 0.0;
    double ty = 0.0;
    bool validX = false; // the X mapping is finite and increasing (positive width, span)
    bool validY = false;
};

// Draws one project onto a CairoContext: background, grid, curves, ticks, labels, frame,
// axis labels. Built on the stack for one rendering; reads the project, never changes it.
class GraphRenderer
{
public:
    GraphRenderer(CairoContext& cairo, const GraphProject& project, double width, double height);
    ~GraphRenderer();

    void Render();

    // Inputs.
    int resolution = -1;       // pixel columns asked of the mipmap; <= 0: the plot width
    int resolutionDivisor = 1; // the resolution is divided by this (values < 1 count as 1)
    double dpi = 96.0;         // for font sizes given in points
    // On image targets opaque curves are rasterised directly (the same shapes, a tenth
    // of the time); false builds cairo paths everywhere, as on vector targets.
    bool rasterCurves = true;

    // Outputs, written by Render.
    RenderSize lastSize;
    PlotArea plotArea;
    PlotRange plotRange;
    GridIntervals gridInterval;

private:
    void DrawGrid();
    void DrawCurves();
    void DrawCurve(const GraphData& series);
    void DrawTicks();
    void DrawAxisLabels();
    GridIntervals ComputeIntervals() const;
    void CompositeRaster(const LineStyle& style, double scale);
    bool CanRasterCurves(const LineStyle& style, double& scale, double& ox, double& oy) const;

    CairoContext& m_cairo;
    const GraphProject& m_project;
    double m_width;
    double m_height;

    // Per rendering.
    ProjectProperty m_prop;
    PlotRange m_range;
    double m_pw = 0.0;
    double m_ph = 0.0;
    PlotTransform m_tf;
    // Values of the grid lines, marks and labels; empty for an axis without lines.
    std::vector<double> m_ticksX;
    std::vector<double> m_ticksY;
    std::unique_ptr<CurveRaster> m_raster; // made on first use, reused for every series
};

// The indices [first, last] of the points of a series whose X lies in [minX, maxX],
// computed in doubles and clamped to [0, count - 1] before conversion. False when no
// point lies there (also for NaN). With interval 0 every point has X = start.
bool VisibleIndexRange(const DataX& dataX, int64_t count, double minX, double maxX, int64_t& first,
                       int64_t& last);
