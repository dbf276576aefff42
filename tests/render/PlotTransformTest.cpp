#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "render/PlotTransform.h"

namespace {

// The range's corners land on the frame's corners (Y grows downwards) and every pixel
// maps back; an axis without a usable size or span is marked, the other keeps working.
TEST(PlotTransform, CornersMapBackAndBadAxesAreMarked)
{
    // name, range, width, height, X usable, Y usable
    const std::tuple<const char*, PlotRange, double, double, bool, bool> rows[] = {
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
    for (const auto& [name, range, width, height, validX, validY] : rows) {
        SCOPED_TRACE(name);
        const PlotTransform tf = PlotTransform::Make(range, width, height);
        EXPECT_EQ(std::make_tuple(validX, validY, validX && validY),
                  std::make_tuple(tf.validX, tf.validY, tf.IsValid()));
        const double tolerance = 1e-9 * std::max(width, height);
        if (tf.validX) {
            EXPECT_NEAR(0.0, tf.ToPixelX(range.minX), tolerance);
            EXPECT_NEAR(width, tf.ToPixelX(range.maxX), tolerance);
            EXPECT_NEAR(range.maxX, tf.ToDataX(tf.ToPixelX(range.maxX)),
                        1e-12 * std::fabs(range.maxX));
        }
        if (tf.validY) {
            EXPECT_NEAR(height, tf.ToPixelY(range.minY), tolerance);
            EXPECT_NEAR(0.0, tf.ToPixelY(range.maxY), tolerance);
            EXPECT_NEAR(range.minY, tf.ToDataY(tf.ToPixelY(range.minY)),
                        1e-12 * std::fabs(range.minY) + 1e-15);
        }
    }
}

} // namespace
