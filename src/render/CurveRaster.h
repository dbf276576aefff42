#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <cairo.h>

// Anti-aliased coverage of thick curves on image targets. cairo's general scan
// conversion of thousands of steep, overlapping edges costs about 10 ms per series at
// 1920x1080; the shapes drawn here are simpler: a stroke of half-width r with round joins
// covers the points within r of the path, and a min/max band stroked and filled covers
// the points within r of the band. Both meet every vertical line in one interval, so
// the coverage is computed column by column from sub-pixel slices of those intervals.
//
// All coordinates are device pixels.
class CurveRaster
{
public:
    // Starts a curve clipped to [x0, x1) x [y0, y1), drawn with half-width r. False when
    // no mask could be made (then draw the curve another way).
    bool Begin(double x0, double y0, double x1, double y1, double r);

    // The points within r of the segment from (ax, ay) to (bx, by); with roundA or
    // roundB also those within r of that end (a round join), else the end is cut square.
    void AddSegment(double ax, double ay, double bx, double by, bool roundA, bool roundB);

    // Ends a connected piece (a sub-path): its coverage goes into the mask. Separate
    // pieces may meet the same vertical line in separate intervals.
    void EndPiece();

    // Ends the curve: the A8 mask now holds its coverage; its pixel (0, 0) lies at device
    // pixel (OriginX(), OriginY()). False when nothing is covered.
    bool Finish();

    cairo_surface_t* Mask() const { return m_mask; }
    int OriginX() const { return m_originX; }
    int OriginY() const { return m_originY; }
    // The covered box within the mask (pixels), valid after Finish returned true.
    int BoxLeft() const { return m_boxLeft; }
    int BoxTop() const { return m_boxTop; }
    int BoxRight() const { return m_boxRight; }
    int BoxBottom() const { return m_boxBottom; }

    CurveRaster() = default;
    ~CurveRaster();
    CurveRaster(const CurveRaster&) = delete;
    CurveRaster& operator=(const CurveRaster&) = delete;

    // Sub-samples per pixel column.
    static constexpr int SUBSAMPLES = 16;

private:
    double m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0, m_r = 0;
    int m_originX = 0, m_originY = 0, m_cols = 0, m_rows = 0;
    // Per sub-sample column: the covered interval (top > bottom when empty).
    std::vector<float> m_top;
    std::vector<float> m_bottom;
    std::vector<float> m_cover;
    std::vector<float> m_step;
    size_t m_touchedLo = 0, m_touchedHi = 0; // sub-samples of the current piece
    bool m_touched = false;
    unsigned char* m_data = nullptr;
    int m_stride = 0;
    cairo_surface_t* m_mask = nullptr;
    int m_boxLeft = 0, m_boxTop = 0, m_boxRight = 0, m_boxBottom = 0;
};
