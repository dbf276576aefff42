#include "render/PlotTransform.h"

#include <cmath>

PlotTransform PlotTransform::Make(const PlotRange& range, double width, double height)
{
    PlotTransform tf;
    const double spanX = range.maxX - range.minX;
    const double spanY = range.maxY - range.minY;
    tf.sx = width / spanX;
    tf.sy = -(height / spanY);
    tf.tx = -(tf.sx * range.minX);
    tf.ty = height - tf.sy * range.minY;
    // A zero, negative or non-finite size or span has no usable mapping on that axis; a
    // span that overflows would map every value onto one pixel, which maps back to NaN.
    tf.validX = width > 0.0 && spanX > 0.0 && std::isfinite(spanX) && std::isfinite(tf.sx) &&
                std::isfinite(tf.tx);
    tf.validY = height > 0.0 && spanY > 0.0 && std::isfinite(spanY) && std::isfinite(tf.sy) &&
                std::isfinite(tf.ty);
    return tf;
}
