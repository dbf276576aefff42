// Calendar ticks of time axes: steps, positions on whole units and labels, over spans from
// a microsecond to two centuries; durations and the fraction digits of a resolution.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csv/TimeText.h"
#include "render/TimeTicks.h"

namespace {

TimeNanos At(const std::string& iso)
{
    TimeNanos t = 0;
    EXPECT_TRUE(ParseTime(iso.data(), iso.data() + iso.size(), TimeLayout::ISO, t)) << iso;
    return t;
}

// "label" or "label[context]" per tick, space-separated, the first `n` ticks.
std::string Labels(const std::vector<TimeTick>& ticks, size_t n = 6)
{
    std::string text;
    for (size_t k = 0; k < ticks.size() && k < n; ++k) {
        if (k)
            text += ' ';
        text += ticks[k].label;
        if (!ticks[k].context.empty())
            text += "[" + ticks[k].context + "]";
    }
    return text;
}

TEST(TimeTicks, Print)
{
    const TimeNanos origin = At("2026-03-05T14:05:30.123456789");
    for (double span : {1e-6, 1e-5, 1e-3, 0.5, 10.0, 600.0, 7200.0, 86400.0, 3 * 86400.0,
                        40 * 86400.0, 365 * 86400.0, 3 * 365 * 86400.0, 200 * 365.25 * 86400.0}) {
        const TimeStep step = ChooseTimeStep(span, 16);
        const auto ticks = TimeTickPositions(origin, 0.0, span, step);
        printf("%g: unit %d count %lld n=%zu  %s\n", span, int(step.unit), (long long)step.count,
               ticks.size(), Labels(ticks, 5).c_str());
    }
}

} // namespace
