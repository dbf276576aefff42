#pragma once

// The part of the data plane the graph shows, and the arithmetic of moving it: fit, zoom
// about a point and pan. Pure functions; the project stores the result and notifies.
struct PlotRange
{
    double minX = 0.0;
    double maxX = 1.0;
    double minY = 0.0;
    double maxY = 1.0;

    friend bool operator==(const PlotRange& a, const PlotRange& b)
    {
        return a.minX == b.minX && a.maxX == b.maxX && a.minY == b.minY && a.maxY == b.maxY;
    }
    friend bool operator!=(const PlotRange& a, const PlotRange& b) { return !(a == b); }
};

// Spans below this fraction of the larger bound's magnitude are refused: a few more zoom
// steps would collapse min onto max, after which no zoom or pan could move the view.
constexpr double MIN_RELATIVE_SPAN = 1e-12;

// An axis a view can show: finite bounds, lo < hi, a finite span above the relative floor.
bool IsUsableAxis(double lo, double hi);
// Both axes usable.
bool IsUsableRange(const PlotRange& range);

// `current` with the axes chosen by fitX/fitY taken from `fit`.
PlotRange MergeAxes(const PlotRange& current, const PlotRange& fit, bool fitX, bool fitY);

// Scales an axis about `centre` by `factor` (< 1 zooms in).
PlotRange ZoomedX(const PlotRange& range, double centre, double factor);
PlotRange ZoomedY(const PlotRange& range, double centre, double factor);

// Moves the range by (dx, dy) data units.
PlotRange Panned(const PlotRange& range, double dx, double dy);

// Zoom factors of the commands and the wheel: a finite number in [MIN, MAX]; anything
// else gives the default (1.1), so a stored 0 or 1e300 never freezes or blows up the view.
constexpr double MIN_ZOOM_FACTOR = 1e-3;
constexpr double MAX_ZOOM_FACTOR = 1e3;
constexpr double DEFAULT_ZOOM_FACTOR = 1.1;
double ValidZoomFactor(double factor);
