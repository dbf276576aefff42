#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/GraphProject.h"
#include "render/CairoContext.h"
#include "render/PlotTransform.h"

class CurveRaster;

// Draws one project onto a CairoContext: background, grid, curves, ticks, labels, frame,
// axis labels. Built on the stack for one rendering; reads the project, never changes it.
class GraphRenderer
{
public:
    GraphRenderer(CairoContext& cairo, const GraphProject& project, double width, double height);
    ~GraphRenderer();

    // Draws the picture; returns its size, frame, range, grid intervals and mapping.
    RenderInfo Render();

    // Inputs.
    int resolution = -1;       // pixel columns asked of the mipmap; <= 0: the plot width
    int resolutionDivisor = 1; // the resolution is divided by this (values < 1 count as 1)
    double dpi = 96.0;         // for font sizes given in points
    // On image targets opaque curves are rasterised directly (the same shapes, a tenth
    // of the time); false builds cairo paths everywhere, as on vector targets.
    bool rasterCurves = true;

    // Output: the box of every tick label drawn (and of the dates under them), in the
    // frame's pixels, so that tests can check that none touch.
    struct LabelBox
    {
        double left, top, width, height;
    };
    std::vector<LabelBox> labelBoxes;

private:
    void DrawGrid();
    void DrawCurves();
    void DrawCurve(const GraphData& series);
    // The draw data of points [first, last] of a series with explicit X: the values at
    // their X, or one min/max block per pixel column. The element count.
    int64_t ExplicitDrawData(const GraphData& series, int64_t first, int64_t last, DrawData& dd);
    void DrawTicks();
    // The tick labels of both axes: every k-th when neighbours would touch.
    void DrawTickLabels();
    // Ticks, labels and their numbers of the X axis on a time axis (calendar steps).
    void MakeTimeTicksX(double& interval);
    void DrawAxisLabels();
    void DrawLegend();
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
    // Their labels; on a time axis the larger units above them where they change.
    std::vector<wxString> m_labelsX;
    std::vector<wxString> m_labelsY;
    std::vector<wxString> m_contextX;
    // Each tick's number in the sequence of its step: thinned labels keep multiples of k.
    std::vector<int64_t> m_ordinalsX;
    std::vector<int64_t> m_ordinalsY;
    std::unique_ptr<CurveRaster> m_raster; // made on first use, reused for every series
    std::vector<MinMax> m_blocks;          // explicit X: per pixel column
    std::vector<double> m_blockX;
    std::vector<double> m_bridges; // x0, y0, x1, y1 across pauses
    // The pixel columns' ends in the explicit X last searched: series that share their X
    // (the columns of one file) search it once per frame.
    const double* m_columnEndsXs = nullptr;
    int64_t m_columnEndsFirst = 0, m_columnEndsLast = -1;
    std::vector<int64_t> m_columnEnds;
};
