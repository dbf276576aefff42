#include "render/CurveRaster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr float EMPTY_TOP = 1e30f;
constexpr float EMPTY_BOTTOM = -1e30f;

// A non-vertical edge of a segment's rectangle, as y = y0 + slope * (x - x0) over
// [xmin, xmax].
struct Edge
{
    double x0, y0, slope, xmin, xmax;
};

} // namespace

CurveRaster::~CurveRaster()
{
    if (m_mask)
        cairo_surface_destroy(m_mask);
}

bool CurveRaster::Begin(double x0, double y0, double x1, double y1, double r)
{
    m_x0 = x0;
    m_y0 = y0;
    m_x1 = x1;
    m_y1 = y1;
    m_r = r > 0.0 ? r : 0.0;
    m_originX = int(std::floor(x0));
    m_originY = int(std::floor(y0));
    m_cols = std::max(0, int(std::ceil(x1)) - m_originX);
    m_rows = std::max(0, int(std::ceil(y1)) - m_originY);
    const size_t samples = size_t(m_cols) * SUBSAMPLES;
    m_top.assign(samples, EMPTY_TOP);
    m_bottom.assign(samples, EMPTY_BOTTOM);
    m_cover.assign(size_t(m_rows) + 2, 0.0f);
    m_step.assign(size_t(m_rows) + 2, 0.0f);
    m_touched = false;
    m_boxLeft = m_cols;
    m_boxTop = m_rows;
    m_boxRight = -1;
    m_boxBottom = -1;
    if (m_cols == 0 || m_rows == 0)
        return true;
    if (!m_mask || cairo_image_surface_get_width(m_mask) < m_cols ||
        cairo_image_surface_get_height(m_mask) < m_rows) {
        if (m_mask)
            cairo_surface_destroy(m_mask);
        m_mask = cairo_image_surface_create(CAIRO_FORMAT_A8, m_cols, m_rows);
        if (cairo_surface_status(m_mask) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(m_mask);
            m_mask = nullptr;
            return false;
        }
    }
    cairo_surface_flush(m_mask);
    m_data = cairo_image_surface_get_data(m_mask);
    m_stride = cairo_image_surface_get_stride(m_mask);
    std::memset(m_data, 0, size_t(m_stride) * size_t(cairo_image_surface_get_height(m_mask)));
    return true;
}

void CurveRaster::AddSegment(double ax, double ay, double bx, double by, bool roundA, bool roundB)
{
    if (m_cols == 0)
        return;
    const double r = m_r;
    // Sub-samples whose centre lies within r of the segment's x-extent.
    const double lo = (std::min(ax, bx) - r - m_originX) * SUBSAMPLES - 0.5;
    const double hi = (std::max(ax, bx) + r - m_originX) * SUBSAMPLES - 0.5;
    const double last = double(m_top.size()) - 1.0;
    if (hi < 0.0 || lo > last)
        return;
    const size_t k0 = size_t(std::max(0.0, std::ceil(lo)));
    const size_t k1 = size_t(std::min(last, std::floor(hi)));
    if (!m_touched) {
        m_touchedLo = k0;
        m_touchedHi = k1;
        m_touched = true;
    } else {
        m_touchedLo = std::min(m_touchedLo, k0);
        m_touchedHi = std::max(m_touchedHi, k1);
    }

    // The segment's rectangle (butt ends); with the two end discs it makes the capsule.
    const double dx = bx - ax, dy = by - ay;
    const double len = std::sqrt(dx * dx + dy * dy);
    Edge edges[4];
    int edgeCount = 0;
    if (len > 0.0) {
        const double nx = -dy / len * r, ny = dx / len * r;
        const double cx[4] = {ax + nx, bx + nx, bx - nx, ax - nx};
        const double cy[4] = {ay + ny, by + ny, by - ny, ay - ny};
        for (int i = 0; i < 4; ++i) {
            const int j = (i + 1) % 4;
            if (cx[i] != cx[j]) // a vertical edge adds nothing its neighbours miss
                edges[edgeCount++] = Edge{cx[i], cy[i], (cy[j] - cy[i]) / (cx[j] - cx[i]),
                                          std::min(cx[i], cx[j]), std::max(cx[i], cx[j])};
        }
    }
    const double r2 = r * r;
    for (size_t k = k0; k <= k1; ++k) {
        const double xs = m_originX + (double(k) + 0.5) / SUBSAMPLES;
        double top = EMPTY_TOP, bottom = EMPTY_BOTTOM;
        const double da = xs - ax, db = xs - bx;
        if (roundA && da * da <= r2) {
            const double h = std::sqrt(r2 - da * da);
            top = std::min(top, ay - h);
            bottom = std::max(bottom, ay + h);
        }
        if (roundB && db * db <= r2) {
            const double h = std::sqrt(r2 - db * db);
            top = std::min(top, by - h);
            bottom = std::max(bottom, by + h);
        }
        for (int e = 0; e < edgeCount; ++e) {
            const Edge& g = edges[e];
            if (xs >= g.xmin && xs <= g.xmax) {
                const double y = g.y0 + g.slope * (xs - g.x0);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (top <= bottom) {
            m_top[k] = std::min(m_top[k], float(top));
            m_bottom[k] = std::max(m_bottom[k], float(bottom));
        }
    }
}

void CurveRaster::EndPiece()
{
    if (!m_touched || !m_data)
        return;
    m_touched = false;
    const float weight = 1.0f / SUBSAMPLES;
    const double clipTop = m_y0 - m_originY, clipBottom = m_y1 - m_originY;
    const int colLo = int(m_touchedLo / SUBSAMPLES), colHi = int(m_touchedHi / SUBSAMPLES);
    for (int c = colLo; c <= colHi; ++c) {
        int rowMin = m_rows, rowMax = -1;
        // Rows [fullLo, fullHi) are covered by every sub-sample: no sums needed there.
        int fullLo = 0, fullHi = m_rows, valid = 0;
        for (int s = 0; s < SUBSAMPLES; ++s) {
            const size_t k = size_t(c) * SUBSAMPLES + size_t(s);
            const float top = m_top[k], bottom = m_bottom[k];
            m_top[k] = EMPTY_TOP;
            m_bottom[k] = EMPTY_BOTTOM;
            const double xs = m_originX + (double(k) + 0.5) / SUBSAMPLES;
            if (xs < m_x0 || xs >= m_x1 || top > bottom)
                continue;
            const double t = std::max(double(top) - m_originY, clipTop);
            const double b = std::min(double(bottom) - m_originY, clipBottom);
            if (!(t < b))
                continue;
            const int ti = int(t), bi = std::min(int(b), m_rows - 1);
            // Partial rows at both ends, whole rows in between through a running sum.
            if (ti >= bi) {
                m_cover[ti] += float(b - t) * weight;
            } else {
                m_cover[ti] += float(ti + 1 - t) * weight;
                m_step[ti + 1] += weight;
                m_step[bi] -= weight;
                m_cover[bi] += float(std::min(b, double(bi + 1)) - bi) * weight;
            }
            rowMin = std::min(rowMin, ti);
            rowMax = std::max(rowMax, bi);
            fullLo = std::max(fullLo, ti + 1);
            fullHi = std::min(fullHi, bi);
            ++valid;
        }
        if (rowMax < rowMin)
            continue;
        if (valid < SUBSAMPLES || fullHi <= fullLo)
            fullLo = fullHi = rowMax + 1;
        float run = 0.0f;
        for (int row = rowMin; row <= rowMax; ++row) {
            run += m_step[row];
            const float v = m_cover[row] + run;
            m_cover[row] = 0.0f;
            m_step[row] = 0.0f;
            if (row == fullLo) {
                // Full coverage; the sums are untouched up to fullHi, the run stays 1.
                for (; row < fullHi; ++row)
                    m_data[size_t(row) * size_t(m_stride) + size_t(c)] = 255;
                --row;
                continue;
            }
            if (v <= 0.0f)
                continue;
            // Pieces that overlap add up, saturating at full coverage.
            unsigned char& px = m_data[size_t(row) * size_t(m_stride) + size_t(c)];
            const int sum = int(px) + int(v * 255.0f + 0.5f);
            px = (unsigned char)(sum > 255 ? 255 : sum);
        }
        m_boxLeft = std::min(m_boxLeft, c);
        m_boxRight = std::max(m_boxRight, c);
        m_boxTop = std::min(m_boxTop, rowMin);
        m_boxBottom = std::max(m_boxBottom, rowMax);
    }
}

bool CurveRaster::Finish()
{
    EndPiece();
    if (m_mask)
        cairo_surface_mark_dirty(m_mask);
    return m_boxRight >= m_boxLeft && m_boxBottom >= m_boxTop;
}
