#include <gtest/gtest.h>

#include <cmath>

#include "render/PlotTransform.h"

namespace {

// The range's corners land on the frame's corners (Y grows downwards) and every pixel
// maps back; an axis without a usable size or span is marked, the other keeps working.
TEST(PlotTransform, CornersMapBackAndBadAxesAreMarked)
{
    const struct
    {
        const char* name;
        PlotRange range;
        double width, height;
        bool validX, validY;
    } rows[] = {
        {"plain", {0, 10, -1, 1}, 500, 200, true, true},
        {"offset", {1e6, 1e6 + 2, 5, 6}, 640, 480, true, true},
        {"zero X span", {3, 3, 0, 1}, 100, 100, false, true},
        {"reversed Y", {0, 1, 1, 0}, 100, 100, true, false},
        {"no width", {0, 1, 0, 1}, 0, 100, false, true},
        {"negative height", {0, 1, 0, 1}, 100, -5, true, false},
        {"NaN bound", {NAN, 1, 0, 1}, 100, 100, false, true},
        {"X span overflows", {-1e308, 1e308, 0, 1}, 100, 100, false, true},
        {"Y span overflows", {0, 1, -1e308, 1e308}, 100, 100, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PlotTransform tf = PlotTransform::Make(row.range, row.width, row.height);
        EXPECT_EQ(row.validX, tf.validX);
        EXPECT_EQ(row.validY, tf.validY);
        EXPECT_EQ(row.validX && row.validY, tf.IsValid());
        const double tolerance = 1e-9 * std::max(row.width, row.height);
        if (tf.validX) {
            EXPECT_NEAR(0.0, tf.ToPixelX(row.range.minX), tolerance);
            EXPECT_NEAR(row.width, tf.ToPixelX(row.range.maxX), tolerance);
            EXPECT_NEAR(row.range.maxX, tf.ToDataX(tf.ToPixelX(row.range.maxX)),
                        1e-12 * std::fabs(row.range.maxX));
        }
        if (tf.validY) {
            EXPECT_NEAR(row.height, tf.ToPixelY(row.range.minY), tolerance);
            EXPECT_NEAR(0.0, tf.ToPixelY(row.range.maxY), tolerance);
            EXPECT_NEAR(row.range.minY, tf.ToDataY(tf.ToPixelY(row.range.minY)),
                        1e-12 * std::fabs(row.range.minY) + 1e-15);
        }
    }
}

} // namespace
