#include "render/GraphRenderer.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <wx/debug.h>
#include <wx/log.h>

#include "render/AxisTicks.h"
#include "render/TimeTicks.h"
#include "render/CurveRaster.h"

namespace {

// cairo holds coordinates in 24.8 fixed point (about +-8.4 million); anything beyond
// wraps around. Mapped values are clamped well inside that: a segment towards a far
// point keeps its visible part to within a tiny fraction of a pixel.
constexpr double COORD_LIMIT = 1.0e6;

inline double ClampCoord(double v)
{
    return v < -COORD_LIMIT ? -COORD_LIMIT : (v > COORD_LIMIT ? COORD_LIMIT : v);
}

// Labels and marks at most one per pixel of the axis: denser ones are unreadable and
// would only cost time.
std::size_t TickCap(double axisLength)
{
    return axisLength >= 1.0 ? std::size_t(std::min(axisLength, 1.0e6)) + 1 : 1;
}

} // namespace

GraphRenderer::GraphRenderer(CairoContext& cairo, const GraphProject& project, double width,
                             double height)
    : m_cairo(cairo), m_project(project), m_width(width), m_height(height)
{
}

GraphRenderer::~GraphRenderer() = default;

GridIntervals GraphRenderer::ComputeIntervals() const
{
    return GridIntervals{
        GridInterval(m_prop.gridAutoX, m_prop.gridIntervalX, m_range.maxX - m_range.minX, m_pw),
        GridInterval(m_prop.gridAutoY, m_prop.gridIntervalY, m_range.maxY - m_range.minY, m_ph)};
}

RenderInfo GraphRenderer::Render()
{
    cairo_t* cr = m_cairo();
    wxCHECK_MSG(cr != nullptr, RenderInfo{}, "m_cairo() != 0");
    wxASSERT_MSG(m_width != 0.0 && m_height != 0.0, "m_width != 0.0 && m_height != 0.0");

    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    labelBoxes.clear();
    m_prop = m_project.GetProperty();
    m_range = m_project.GetPlotRange();
    m_columnEndsXs = nullptr; // searched again each frame

    cairo_rectangle(cr, 0, 0, m_width, m_height);
    m_cairo.SetSourceColour(m_prop.bgColor);
    cairo_fill(cr);

    cairo_save(cr);
    m_pw = m_width - m_prop.marginLeft - m_prop.marginRight;
    m_ph = m_height - m_prop.marginTop - m_prop.marginBottom;
    cairo_translate(cr, m_prop.marginLeft, m_prop.marginTop);

    if (resolution <= 0)
        resolution = m_pw >= 1.0 ? int(std::min(std::trunc(m_pw), double(INT_MAX))) : 0;
    resolution /= std::max(resolutionDivisor, 1);

    m_tf = PlotTransform::Make(m_range, m_pw, m_ph);

    GridIntervals gridInterval = ComputeIntervals();
    // One enumeration for grid lines, marks and labels, so that they always coincide.
    m_ticksX.clear();
    m_ticksY.clear();
    m_contextX.clear();
    m_ordinalsX.clear();
    m_ordinalsY.clear();
    if (m_tf.validX && m_project.HasTimeOrigin()) {
        MakeTimeTicksX(gridInterval.x);
    } else if (m_tf.validX) {
        m_ticksX = TickPositions(m_range.minX, m_range.maxX, gridInterval.x, TickCap(m_pw));
        m_labelsX = TickLabels(m_prop.tickFormatX, m_ticksX, gridInterval.x);
        for (double v : m_ticksX)
            m_ordinalsX.push_back(std::llround(v / gridInterval.x));
    }
    if (m_tf.validY) {
        m_ticksY = TickPositions(m_range.minY, m_range.maxY, gridInterval.y, TickCap(m_ph));
        m_labelsY = TickLabels(m_prop.tickFormatY, m_ticksY, gridInterval.y);
        for (double v : m_ticksY)
            m_ordinalsY.push_back(std::llround(v / gridInterval.y));
    }
    DrawGrid();

    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, m_pw, m_ph);
    cairo_clip(cr);
    DrawCurves();
    DrawLegend();
    cairo_restore(cr);

    DrawTicks();

    cairo_rectangle(cr, 0, 0, m_pw, m_ph);
    cairo_set_line_width(cr, m_prop.frameLineWidth);
    m_cairo.SetSourceColour(m_prop.frameLineColor);
    cairo_stroke(cr);

    DrawAxisLabels();
    cairo_restore(cr);

    const cairo_status_t status = cairo_status(cr);
    if (status != CAIRO_STATUS_SUCCESS)
        wxLogDebug("Error occurs with using Cairo: %s\n", cairo_status_to_string(status));

    return RenderInfo{RenderSize{m_width, m_height},
                      PlotArea{m_prop.marginLeft, m_prop.marginTop, m_pw, m_ph}, m_range,
                      gridInterval, m_tf};
}

void GraphRenderer::MakeTimeTicksX(double& interval)
{
    // The grid's aim for the axis length, or the interval the user set (in seconds).
    const double intervals = std::round(m_pw / 50.0) - 1.0;
    TimeStep step;
    if (!m_prop.gridAutoX && m_prop.gridIntervalX > 0.0) {
        step.count = std::max<int64_t>(1, std::llround(std::min(m_prop.gridIntervalX, 1e18) * 1e9));
    } else if (intervals > 0.0) {
        step = ChooseTimeStep(m_range.maxX - m_range.minX, intervals);
    } else {
        interval = -1.0;
        return;
    }
    interval = step.Seconds();
    for (TimeTick& tick : TimeTickPositions(m_project.GetTimeOrigin(), m_range.minX, m_range.maxX,
                                            step, TickCap(m_pw))) {
        m_ticksX.push_back(tick.x);
        m_labelsX.push_back(wxString::FromUTF8(tick.label.data(), tick.label.size()));
        m_contextX.push_back(wxString::FromUTF8(tick.context.data(), tick.context.size()));
        m_ordinalsX.push_back(tick.ordinal);
    }
}

void GraphRenderer::DrawGrid()
{
    cairo_t* cr = m_cairo();
    if (m_prop.gridEnabledX && !m_ticksX.empty()) {
        cairo_new_path(cr);
        for (double v : m_ticksX) {
            const double px = m_tf.ToPixelX(v);
            cairo_new_sub_path(cr);
            cairo_move_to(cr, px, 0);
            cairo_line_to(cr, px, m_ph);
        }
        cairo_set_line_width(cr, m_prop.gridLineWidth);
        m_cairo.SetSourceColour(m_prop.gridLineColor);
        cairo_stroke(cr);
    }
    if (m_prop.gridEnabledY && !m_ticksY.empty()) {
        cairo_new_path(cr);
        for (double v : m_ticksY) {
            const double py = m_tf.ToPixelY(v);
            cairo_new_sub_path(cr);
            cairo_move_to(cr, 0, py);
            cairo_line_to(cr, m_pw, py);
        }
        cairo_set_line_width(cr, m_prop.gridLineWidth);
        m_cairo.SetSourceColour(m_prop.gridLineColor);
        cairo_stroke(cr);
    }
}

void GraphRenderer::DrawCurves()
{
    if (!m_tf.validX || !m_tf.validY)
        return;
    const int count = m_project.GetCount();
    for (int i = 0; i < count; ++i) {
        const std::shared_ptr<GraphData> series = m_project.GetItem(i);
        if (series && series->IsVisible())
            DrawCurve(*series);
    }
}

namespace {

// Builds the curve as a cairo path (vector targets, translucent colours).
struct PathSink
{
    cairo_t* cr;
    void MoveTo(double x, double y) { cairo_move_to(cr, x, y); }
    void LineTo(double x, double y) { cairo_line_to(cr, x, y); }
    void ClosePath() { cairo_close_path(cr); }
};

// Feeds the curve's segments, in device pixels, to the raster. Each segment is held
// back until the next one shows whether its end is a join (round) or the end of the
// piece (cut square, as cairo's default butt cap).
struct RasterSink
{
    CurveRaster& raster;
    double scale, ox, oy;
    double lastX = 0, lastY = 0, startX = 0, startY = 0;
    bool pending = false; // a segment ending at (lastX, lastY) awaits its end kind
    double pendX = 0, pendY = 0;
    bool pendRoundA = false;

    void Flush(bool roundB)
    {
        if (pending)
            raster.AddSegment(pendX, pendY, lastX, lastY, pendRoundA, roundB);
        pending = false;
    }
    void MoveTo(double x, double y)
    {
        Flush(false);
        raster.EndPiece();
        startX = lastX = ox + scale * x;
        startY = lastY = oy + scale * y;
    }
    void LineTo(double x, double y)
    {
        const bool joined = pending;
        Flush(true);
        pendX = lastX;
        pendY = lastY;
        pendRoundA = joined;
        pending = true;
        lastX = ox + scale * x;
        lastY = oy + scale * y;
    }
    // A closed outline has joins everywhere, the start included.
    void ClosePath()
    {
        if (pending) {
            raster.AddSegment(pendX, pendY, lastX, lastY, true, true);
            pending = false;
        }
        raster.AddSegment(lastX, lastY, startX, startY, true, true);
        lastX = startX;
        lastY = startY;
    }
    void End()
    {
        Flush(false);
        raster.EndPiece();
    }
};

// The band of per-column blocks at explicit X: along the maxima, back along the minima.
template <typename Sink, typename IsGap>
void TraceExplicitBand(const DrawData& dd, const PlotTransform& tf, Sink& sink, IsGap isGap)
{
    const size_t n = size_t(dd.pairsEnd - dd.pairsBegin);
    size_t k = 0;
    while (k < n) {
        if (isGap(dd.pairsBegin + k)) {
            ++k;
            continue;
        }
        const size_t runBegin = k;
        sink.MoveTo(ClampCoord(tf.ToPixelX(dd.xs[k])),
                    ClampCoord(tf.ToPixelY(dd.pairsBegin[k].max)));
        for (++k; k < n && !isGap(dd.pairsBegin + k); ++k)
            sink.LineTo(ClampCoord(tf.ToPixelX(dd.xs[k])),
                        ClampCoord(tf.ToPixelY(dd.pairsBegin[k].max)));
        for (size_t q = k; q != runBegin;) {
            --q;
            sink.LineTo(ClampCoord(tf.ToPixelX(dd.xs[q])),
                        ClampCoord(tf.ToPixelY(dd.pairsBegin[q].min)));
        }
        sink.ClosePath();
    }
    for (size_t b = 0; b < dd.bridgeCount; ++b) {
        const double* line = dd.bridges + 4 * b;
        if (std::isnan(line[1]) || std::isnan(line[3]))
            continue;
        sink.MoveTo(ClampCoord(tf.ToPixelX(line[0])), ClampCoord(tf.ToPixelY(line[1])));
        sink.LineTo(ClampCoord(tf.ToPixelX(line[2])), ClampCoord(tf.ToPixelY(line[3])));
    }
}

// The plot-area path of one run of draw data, in the order a cairo path takes it.
template <typename Sink> void TraceCurve(const DrawData& dd, const PlotTransform& tf, Sink& sink)
{
    if (dd.raw) {
        // A NaN value lifts the pen: the line resumes at the next number.
        bool penDown = false;
        double x = dd.firstX;
        const double* xs = dd.xs;
        for (const double* v = dd.valuesBegin; v != dd.valuesEnd; ++v, x += dd.stepX) {
            if (xs)
                x = xs[v - dd.valuesBegin];
            if (std::isnan(*v)) {
                penDown = false;
                continue;
            }
            const double px = ClampCoord(tf.ToPixelX(x));
            const double py = ClampCoord(tf.ToPixelY(*v));
            if (penDown)
                sink.LineTo(px, py);
            else
                sink.MoveTo(px, py);
            penDown = true;
        }
        return;
    }
    // The band: along the maxima, back along the minima. A block without numbers
    // splits it into separate bands.
    const auto isGap = [](const MinMax* p) { return std::isnan(p->min) || std::isnan(p->max); };
    if (dd.xs) {
        TraceExplicitBand(dd, tf, sink, isGap);
        return;
    }
    const MinMax* p = dd.pairsBegin;
    double x0 = dd.firstX;
    while (p != dd.pairsEnd) {
        if (isGap(p)) {
            ++p;
            x0 += dd.stepX;
            continue;
        }
        const MinMax* runBegin = p;
        double x = x0;
        sink.MoveTo(ClampCoord(tf.ToPixelX(x)), ClampCoord(tf.ToPixelY(p->max)));
        for (++p; p != dd.pairsEnd && !isGap(p); ++p) {
            x += dd.stepX;
            sink.LineTo(ClampCoord(tf.ToPixelX(x)), ClampCoord(tf.ToPixelY(p->max)));
        }
        const MinMax* runEnd = p;
        x = x0 + double(runEnd - runBegin - 1) * dd.stepX;
        for (const MinMax* q = runEnd; q != runBegin;) {
            --q;
            sink.LineTo(ClampCoord(tf.ToPixelX(x)), ClampCoord(tf.ToPixelY(q->min)));
            x -= dd.stepX;
        }
        sink.ClosePath();
        x0 += double(runEnd - runBegin) * dd.stepX;
    }
}

} // namespace

bool GraphRenderer::CanRasterCurves(const LineStyle& style, double& scale, double& ox,
                                    double& oy) const
{
    cairo_t* cr = m_cairo();
    cairo_surface_t* target = cairo_get_target(cr);
    if (!rasterCurves || style.colour.alpha != 255 ||
        cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE)
        return false;
    // Only an unrotated, evenly scaled mapping to pixels. cairo's user-to-device
    // functions leave out the surface's own device scale and offset: add them here.
    double ux = 1.0, uy = 0.0, vx = 0.0, vy = 1.0;
    cairo_user_to_device_distance(cr, &ux, &uy);
    cairo_user_to_device_distance(cr, &vx, &vy);
    double dsx = 1.0, dsy = 1.0, dox = 0.0, doy = 0.0;
    cairo_surface_get_device_scale(target, &dsx, &dsy);
    cairo_surface_get_device_offset(target, &dox, &doy);
    if (uy != 0.0 || vx != 0.0 || ux != vy || !(ux > 0.0) || dsx != dsy || !(dsx > 0.0))
        return false;
    scale = ux * dsx;
    ox = 0.0;
    oy = 0.0;
    cairo_user_to_device(cr, &ox, &oy);
    ox = ox * dsx + dox;
    oy = oy * dsy + doy;
    return std::isfinite(ox) && std::isfinite(oy) && std::isfinite(scale);
}

void GraphRenderer::CompositeRaster(const LineStyle& style, double scale)
{
    cairo_t* cr = m_cairo();
    cairo_surface_t* mask = m_raster->Mask();
    cairo_surface_set_device_scale(mask, scale, scale);
    // The mask's pixel (0, 0) goes onto the target's pixel (OriginX, OriginY).
    double dsx = 1.0, dsy = 1.0, dox = 0.0, doy = 0.0;
    cairo_surface_t* target = cairo_get_target(cr);
    cairo_surface_get_device_scale(target, &dsx, &dsy);
    cairo_surface_get_device_offset(target, &dox, &doy);
    double mx = (m_raster->OriginX() - dox) / dsx, my = (m_raster->OriginY() - doy) / dsy;
    cairo_device_to_user(cr, &mx, &my);
    m_cairo.SetSourceColour(style.colour);
    cairo_mask_surface(cr, mask, mx, my);
}

void GraphRenderer::DrawCurve(const GraphData& series)
{
    int64_t first = 0, last = 0;
    if (!series.GetDataX().IndexRange(int64_t(series.GetCount()), m_range.minX, m_range.maxX, first,
                                      last))
        return;
    DrawData dd;
    const int64_t count = series.GetDataX().IsExplicit()
                              ? ExplicitDrawData(series, first, last, dd)
                              : series.GetDrawData(dd, first, last, resolution);
    if (count < 2)
        return;

    cairo_t* cr = m_cairo();
    const LineStyle style = series.GetLineStyle();
    double scale = 1.0, ox = 0.0, oy = 0.0;
    if (CanRasterCurves(style, scale, ox, oy)) {
        if (!m_raster)
            m_raster = std::make_unique<CurveRaster>();
        const double width = style.width > 0.0 ? style.width : 0.0;
        if (m_raster->Begin(ox, oy, ox + scale * m_pw, oy + scale * m_ph, scale * width / 2)) {
            RasterSink sink{*m_raster, scale, ox, oy};
            TraceCurve(dd, m_tf, sink);
            sink.End();
            if (m_raster->Finish())
                CompositeRaster(style, scale);
            return;
        }
    }
    cairo_new_path(cr);

    PathSink sink{cr};
    TraceCurve(dd, m_tf, sink);
    cairo_set_line_width(cr, style.width);
    m_cairo.SetSourceColour(style.colour);
    if (dd.raw) {
        cairo_stroke(cr);
    } else {
        cairo_stroke_preserve(cr);
        cairo_fill(cr);
    }
}

namespace {

// The first of xs[from, end) at or after x. The search starts where x would lie if the
// points were evenly spread (recordings nearly are) and widens by doubling steps from there:
// a few memory reads per pixel column instead of a search of the whole run.
int64_t GallopTo(const double* xs, int64_t from, int64_t end, double x)
{
    if (from >= end || xs[from] >= x)
        return from;
    const double span = xs[end - 1] - xs[from];
    int64_t guess = from;
    if (span > 0.0 && x < xs[end - 1])
        guess = from + int64_t(double(end - 1 - from) * ((x - xs[from]) / span));
    guess = std::clamp<int64_t>(guess, from, end - 1);
    int64_t lo, hi;
    if (xs[guess] < x) { // the answer lies after the guess
        lo = guess + 1;
        hi = lo;
        for (int64_t step = 1; hi < end && xs[hi] < x; step *= 2) {
            lo = hi + 1;
            hi = guess + 1 + step;
        }
        hi = std::min(hi, end);
    } else { // at or before the guess
        hi = guess;
        lo = hi;
        for (int64_t step = 1; lo > from && xs[lo - 1] >= x; step *= 2) {
            hi = lo - 1;
            lo = std::max(from, guess - step);
        }
    }
    return std::lower_bound(xs + lo, xs + hi, x) - xs;
}

} // namespace

int64_t GraphRenderer::ExplicitDrawData(const GraphData& series, int64_t first, int64_t last,
                                        DrawData& dd)
{
    const DataX& dataX = series.GetDataX();
    const GraphDataY& y = *series.GetDataY();
    const double* xs = dataX.ExplicitValues()->data();
    const int64_t count = last - first + 1;
    const int columns = std::max(resolution, 1);
    if (count < 2 * int64_t(columns)) {
        dd.raw = true;
        dd.valuesBegin = y.raw.data() + first;
        dd.valuesEnd = y.raw.data() + last + 1;
        dd.xs = xs + first;
        return count;
    }
    // Per pixel column the points whose X falls in it, found by binary search, and their
    // min/max from the pyramid: the cost follows the width, not the number of points.
    if (xs != m_columnEndsXs || first != m_columnEndsFirst || last != m_columnEndsLast ||
        m_columnEnds.size() != size_t(columns)) {
        m_columnEnds.resize(size_t(columns));
        const double x0 = m_range.minX;
        const double width = (m_range.maxX - m_range.minX) / columns;
        int64_t lo = first;
        for (int c = 0; c < columns; ++c) {
            lo = c + 1 == columns ? last + 1 : GallopTo(xs, lo, last + 1, x0 + (c + 1) * width);
            m_columnEnds[size_t(c)] = lo;
        }
        m_columnEndsXs = xs;
        m_columnEndsFirst = first;
        m_columnEndsLast = last;
    }
    m_blockX.clear();
    m_blocks.clear();
    m_bridges.clear();
    const double x0 = m_range.minX;
    const double width = (m_range.maxX - m_range.minX) / columns;
    const double nan = std::nan("");
    int64_t lo = first;
    bool pause = false; // columns without points since the last block
    for (int c = 0; c < columns && lo <= last; ++c) {
        const int64_t hi = m_columnEnds[size_t(c)];
        if (hi <= lo) {
            pause = !m_blocks.empty();
            continue;
        }
        if (pause) {
            // A pause in X: the band ends, and a line joins the points on either side.
            m_blocks.emplace_back(nan, nan);
            m_blockX.push_back(nan);
            for (double v : {xs[lo - 1], y.raw[size_t(lo - 1)], xs[lo], y.raw[size_t(lo)]})
                m_bridges.push_back(v);
            pause = false;
        }
        m_blocks.push_back(y.RangeMinMax(size_t(lo), size_t(hi)));
        m_blockX.push_back(x0 + (c + 0.5) * width);
        lo = hi;
    }
    dd.raw = false;
    dd.pairsBegin = m_blocks.data();
    dd.pairsEnd = m_blocks.data() + m_blocks.size();
    dd.xs = m_blockX.data();
    dd.bridges = m_bridges.data();
    dd.bridgeCount = m_bridges.size() / 4;
    return int64_t(m_blocks.size());
}

void GraphRenderer::DrawTicks()
{
    cairo_t* cr = m_cairo();
    const double len = m_prop.tickLineLength;
    cairo_new_path(cr);
    for (double v : m_ticksX) {
        const double px = m_tf.ToPixelX(v);
        cairo_new_sub_path(cr);
        cairo_move_to(cr, px, 0);
        cairo_line_to(cr, px, len);
        cairo_new_sub_path(cr);
        cairo_move_to(cr, px, m_ph - len);
        cairo_line_to(cr, px, m_ph);
    }
    for (double v : m_ticksY) {
        const double py = m_tf.ToPixelY(v);
        cairo_new_sub_path(cr);
        cairo_move_to(cr, 0, py);
        cairo_line_to(cr, len, py);
        cairo_new_sub_path(cr);
        cairo_move_to(cr, m_pw - len, py);
        cairo_line_to(cr, m_pw, py);
    }
    cairo_set_line_width(cr, m_prop.tickLineWidth);
    m_cairo.SetSourceColour(m_prop.tickLineColor);
    cairo_stroke(cr);

    DrawTickLabels();
}

namespace {

// Every k-th label (k from 1, 2, 5, 10, 20, ...) so that neighbours `spacing` pixels
// apart leave room for a label `size` pixels long.
int64_t LabelStride(double size, double spacing)
{
    const double needed = size + 8.0; // a gap between labels
    for (int64_t k = 1; k < (int64_t(1) << 40); k *= 10) {
        for (int64_t m : {1, 2, 5}) {
            if (double(m * k) * spacing >= needed)
                return m * k;
        }
    }
    return int64_t(1) << 40;
}

int64_t Mod(int64_t a, int64_t b)
{
    const int64_t r = a % b;
    return r < 0 ? r + b : r;
}

} // namespace

void GraphRenderer::DrawTickLabels()
{
    // The X axis title, which the dates under the tick labels leave alone.
    m_cairo.SelectFont(m_prop.axisFont, dpi);
    const cairo_text_extents_t title = m_cairo.TextExtents(m_prop.axisLabelX);
    const double titleBaseline =
        m_prop.axisPositionY > 0.0 ? -m_prop.axisPositionY : m_ph - m_prop.axisPositionY;
    const double titleLeft = m_pw / 2 - title.width / 2, titleTop = titleBaseline + title.y_bearing;
    m_cairo.SelectFont(m_prop.tickFont, dpi);
    m_cairo.SetSourceColour(m_prop.tickFontColor);
    const cairo_font_extents_t font = m_cairo.FontExtents();
    cairo_text_extents_t ext;
    // The smallest distance between neighbouring ticks, in pixels.
    auto spacing = [](const std::vector<double>& ticks, double scale) {
        double least = HUGE_VAL;
        for (size_t k = 1; k < ticks.size(); ++k)
            least = std::min(least, std::fabs(scale * (ticks[k] - ticks[k - 1])));
        return least;
    };

    // Positive: above the top edge; zero or negative: below the bottom edge.
    const double baseline =
        m_prop.tickPositionY > 0.0 ? -m_prop.tickPositionY : m_ph - m_prop.tickPositionY;
    double widest = 0.0;
    for (const wxString& label : m_labelsX) {
        widest = std::max(widest, m_cairo.TextExtents(label).width);
    }
    const int64_t strideX = LabelStride(widest, spacing(m_ticksX, m_tf.sx));
    const bool time = !m_contextX.empty();
    // Whether [left, left + width) of the frame's pixels lies inside the picture.
    auto inPicture = [this](double left, double width) {
        return left >= -m_prop.marginLeft && left + width <= m_width - m_prop.marginLeft;
    };
    double contextEnd = -HUGE_VAL;
    for (size_t k = 0; k < m_ticksX.size(); ++k) {
        const double px = m_tf.ToPixelX(m_ticksX[k]);
        if (Mod(m_ordinalsX[k], strideX) == 0) {
            ext = m_cairo.TextExtents(m_labelsX[k]);
            // A time label cut by the picture's edge would misread ("00:0" for "00:05").
            if (!time || inPicture(px - ext.width / 2, ext.width)) {
                m_cairo.ShowText(m_labelsX[k], px - ext.x_bearing - ext.width / 2, baseline);
                labelBoxes.push_back(
                    {px - ext.width / 2, baseline + ext.y_bearing, ext.width, ext.height});
            }
        }
        // The date (or year) under the first tick and where it changes, when it has room.
        if (k < m_contextX.size() && !m_contextX[k].empty()) {
            ext = m_cairo.TextExtents(m_contextX[k]);
            const double left = px - ext.width / 2;
            const double top = baseline + std::ceil(font.height) + ext.y_bearing;
            const bool onTitle = title.width > 0.0 && left < titleLeft + title.width &&
                                 left + ext.width > titleLeft && top < titleTop + title.height &&
                                 top + ext.height > titleTop;
            if (left >= contextEnd && !onTitle && inPicture(left, ext.width)) {
                m_cairo.ShowText(m_contextX[k], left - ext.x_bearing,
                                 baseline + std::ceil(font.height));
                labelBoxes.push_back({left, top, ext.width, ext.height});
                contextEnd = left + ext.width + 8.0;
            }
        }
    }

    // Positive: right of the right edge; zero or negative: from the left edge.
    const double left =
        m_prop.tickPositionX > 0.0 ? m_prop.tickPositionX + m_pw : m_prop.tickPositionX;
    const int64_t strideY = LabelStride(font.ascent, spacing(m_ticksY, m_tf.sy));
    for (size_t k = 0; k < m_ticksY.size(); ++k) {
        if (Mod(m_ordinalsY[k], strideY) != 0)
            continue;
        ext = m_cairo.TextExtents(m_labelsY[k]);
        const double middle = m_tf.ToPixelY(m_ticksY[k]);
        m_cairo.ShowText(m_labelsY[k], left, middle - ext.y_bearing - ext.height / 2);
        labelBoxes.push_back(
            {left + ext.x_bearing, middle - ext.height / 2, ext.width, ext.height});
    }
}

void GraphRenderer::DrawAxisLabels()
{
    cairo_t* cr = m_cairo();
    m_cairo.SelectFont(m_prop.axisFont, dpi);
    m_cairo.SetSourceColour(m_prop.axisFontColor);

    const double baseline =
        m_prop.axisPositionY > 0.0 ? -m_prop.axisPositionY : m_ph - m_prop.axisPositionY;
    cairo_text_extents_t ext = m_cairo.TextExtents(m_prop.axisLabelX);
    m_cairo.ShowText(m_prop.axisLabelX, m_pw / 2 - ext.x_bearing - ext.width / 2, baseline);

    const double x =
        m_prop.axisPositionX > 0.0 ? m_prop.axisPositionX + m_pw : m_prop.axisPositionX;
    cairo_save(cr);
    cairo_translate(cr, x, m_ph / 2);
    cairo_rotate(cr, -M_PI / 2);
    ext = m_cairo.TextExtents(m_prop.axisLabelY);
    m_cairo.ShowText(m_prop.axisLabelY, -ext.x_bearing - ext.width / 2, 0);
    cairo_restore(cr);
}

// A box in a corner of the frame listing each visible series: a stretch of its line,
// then its label.
void GraphRenderer::DrawLegend()
{
    if (!m_prop.legendVisible || m_pw <= 0.0 || m_ph <= 0.0)
        return;
    std::vector<std::shared_ptr<GraphData>> shown;
    for (int i = 0; i < m_project.GetCount(); ++i) {
        std::shared_ptr<GraphData> series = m_project.GetItem(i);
        if (series && series->IsVisible())
            shown.push_back(series);
    }
    if (shown.empty())
        return;

    cairo_t* cr = m_cairo();
    m_cairo.SelectFont(m_prop.legendFont, dpi);
    const cairo_font_extents_t font = m_cairo.FontExtents();
    const double pad = 6.0, sample = 24.0, gap = 6.0, inset = 8.0;
    const double row = std::ceil(font.height) + 2.0;
    double textWidth = 0.0;
    for (const auto& series : shown)
        textWidth = std::max(textWidth, m_cairo.TextExtents(series->GetLabel()).x_advance);
    const double w = std::ceil(pad + sample + gap + textWidth + pad);
    const double h = std::ceil(pad + row * double(shown.size()) + pad - 2.0);
    const wxString& where = m_prop.legendPosition;
    const double x = where.EndsWith("left") ? inset : m_pw - inset - w;
    const double y = where.StartsWith("bottom") ? m_ph - inset - h : inset;

    cairo_save(cr);
    cairo_rectangle(cr, std::round(x) + 0.5, std::round(y) + 0.5, w, h);
    m_cairo.SetSourceColour(m_prop.legendBGColor);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.0);
    m_cairo.SetSourceColour(m_prop.frameLineColor);
    cairo_stroke(cr);

    double top = std::round(y) + pad;
    for (const auto& series : shown) {
        const LineStyle style = series->GetLineStyle();
        const double middle = top + row / 2.0;
        cairo_move_to(cr, x + pad, middle);
        cairo_line_to(cr, x + pad + sample, middle);
        cairo_set_line_width(cr, style.width);
        m_cairo.SetSourceColour(style.colour);
        cairo_stroke(cr);
        m_cairo.SetSourceColour(m_prop.legendFontColor);
        m_cairo.ShowText(series->GetLabel(), x + pad + sample + gap,
                         middle + (font.ascent - font.descent) / 2.0);
        top += row;
    }
    cairo_restore(cr);
}
