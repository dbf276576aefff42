#include "progress/Progress.h"

#include <climits>

void ReportPosition(Progress& progress, int64_t position, int64_t total)
{
    if (total <= INT_MAX && position <= INT_MAX && position >= 0) {
        progress.SetPosition(static_cast<int>(position), static_cast<int>(total));
        return;
    }
    // Scale to a range of 2^30 so that the gauge still moves smoothly.
    const double scale = double(1 << 30) / double(total > 0 ? total : 1);
    int scaledPos = static_cast<int>(double(position < 0 ? 0 : position) * scale);
    progress.SetPosition(scaledPos > (1 << 30) ? (1 << 30) : scaledPos, 1 << 30);
}
