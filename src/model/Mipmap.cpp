#include "model/GraphData.h"

#include <algorithm>
#include <cmath>
#include <new>

#include <wx/intl.h>

#include "progress/Progress.h"

namespace {

// Min and max that ignore NaN whichever side it stands on; NaN only when both are NaN.
inline double Min2(double a, double b)
{
    return (b < a || a != a) ? b : a;
}
inline double Max2(double a, double b)
{
    return (b > a || a != a) ? b : a;
}

// Reports progress every `step` entries over all levels and polls for cancel there.
class StepReporter
{
public:
    StepReporter(Progress* progress, size_t total)
        : m_progress(progress), m_total(total), m_step(total / 100 ? total / 100 : 1)
    {
    }

    // Fills entries [0, size) of one level through fill(begin, end), reporting before
    // every entry whose global counter is a multiple of the step. False when cancelled.
    template <typename FillRange> bool Run(size_t size, FillRange fill)
    {
        size_t k = 0;
        while (k < size) {
            const size_t counter = m_done + k;
            if (counter % m_step == 0) {
                ReportPosition(*m_progress, int64_t(counter), int64_t(m_total));
                if (m_progress->IsCancelled())
                    return false;
            }
            // Up to the next reporting point the loop runs without any test.
            const size_t end = std::min(size, k + (m_step - counter % m_step));
            fill(k, end);
            k = end;
        }
        m_done += size;
        return true;
    }

    void Finish() { ReportPosition(*m_progress, int64_t(m_total), int64_t(m_total)); }

private:
    Progress* m_progress;
    size_t m_total;
    size_t m_step;
    size_t m_done = 0; // entries of the levels completed before the current one
};

} // namespace

int MipmapLevelCount(size_t n, int resolution)
{
    if (resolution < 1)
        return 0;
    // Smallest L with n <= r * 2^L, in exact integer arithmetic.
    int levels = 0;
    unsigned __int128 capacity = static_cast<unsigned>(resolution);
    while (n > capacity) {
        capacity <<= 1;
        ++levels;
    }
    return levels;
}

double MipmapBytes(size_t n, int resolution)
{
    double bytes = 0.0;
    size_t entries = n;
    for (int level = MipmapLevelCount(n, resolution); level > 0; --level) {
        entries = (entries + 1) / 2;
        bytes += double(entries) * sizeof(MinMax);
    }
    return bytes;
}

ResultCode GraphDataY::CreateMipmap(int levels, Progress* progress)
{
    DummyProgress silent;
    if (!progress)
        progress = &silent;
    if (levels < 0)
        levels = 0;
    if (static_cast<size_t>(levels) == mipmap.size())
        return ResultCode::SUCCESS;
    mipmap.clear();
    if (levels < 1)
        return ResultCode::SUCCESS;

    size_t total = 0;
    try {
        mipmap.resize(levels);
        size_t size = raw.size();
        for (auto& level : mipmap) {
            size = (size + 1) / 2;
            level.resize(size);
            total += size;
        }
    } catch (const std::bad_alloc&) {
        mipmap.clear();
        mipmap.shrink_to_fit();
        return ResultCode::OUT_OF_MEMORY;
    }

    progress->SetMessage(_("Creating Mipmap..."));
    StepReporter reporter(progress, total);

    const double* values = raw.data();
    const size_t n = raw.size();
    MinMax* first = mipmap[0].data();
    const size_t pairs = n / 2;
    bool ok = reporter.Run(mipmap[0].size(), [&](size_t begin, size_t end) {
        const size_t stop = std::min(end, pairs);
        for (size_t k = begin; k < stop; ++k) {
            const double a = values[2 * k], b = values[2 * k + 1];
            first[k] = MinMax{Min2(a, b), Max2(a, b)};
        }
        if (end > pairs) // odd n: the last value is a block of its own
            first[pairs] = MinMax{values[n - 1], values[n - 1]};
    });

    for (size_t i = 1; ok && i < mipmap.size(); ++i) {
        const MinMax* prev = mipmap[i - 1].data();
        const size_t prevSize = mipmap[i - 1].size();
        MinMax* level = mipmap[i].data();
        const size_t prevPairs = prevSize / 2;
        ok = reporter.Run(mipmap[i].size(), [&](size_t begin, size_t end) {
            const size_t stop = std::min(end, prevPairs);
            for (size_t k = begin; k < stop; ++k) {
                const MinMax& a = prev[2 * k];
                const MinMax& b = prev[2 * k + 1];
                level[k] = MinMax{Min2(a.min, b.min), Max2(a.max, b.max)};
            }
            if (end > prevPairs)
                level[prevPairs] = prev[prevSize - 1];
        });
    }
    if (!ok) {
        mipmap.clear();
        mipmap.shrink_to_fit();
        return ResultCode::CANCELLED;
    }
    if (mipmap.size() > 1)
        reporter.Finish();
    return ResultCode::SUCCESS;
}

void GraphDataY::ReserveGrowth(size_t extra)
{
    // Only when less than half the room asked is left: asked again after a few appends
    // (Follow turned off and on), it must not copy the arrays each time.
    auto keepRoom = [](auto& array, size_t room) {
        if (array.capacity() - array.size() < room / 2)
            array.reserve(array.size() + room);
    };
    keepRoom(raw, extra);
    for (auto& level : mipmap) {
        extra = (extra + 1) / 2;
        keepRoom(level, extra);
    }
}

void GraphDataY::Append(const double* values, size_t count, int levels)
{
    size_t changed = raw.size(); // the first index of the level below that changed
    raw.insert(raw.end(), values, values + count);
    const size_t keep = mipmap.size();
    if (size_t(std::max(levels, 0)) > keep)
        mipmap.resize(size_t(levels));
    size_t below = raw.size();
    for (size_t i = 0; i < mipmap.size(); ++i) {
        LargeArray<MinMax>& level = mipmap[i];
        const size_t size = (below + 1) / 2;
        // A level new to the pyramid is filled whole.
        size_t first = i < keep ? std::min(changed / 2, level.size()) : 0;
        level.resize(size);
        for (size_t k = first; k < size; ++k) {
            const size_t a = 2 * k, b = std::min(2 * k + 1, below - 1);
            if (i == 0)
                level[k] = MinMax{Min2(raw[a], raw[b]), Max2(raw[a], raw[b])};
            else
                level[k] = MinMax{Min2(mipmap[i - 1][a].min, mipmap[i - 1][b].min),
                                  Max2(mipmap[i - 1][a].max, mipmap[i - 1][b].max)};
        }
        changed = first;
        below = size;
    }
}

int64_t GraphData::GetDrawData(DrawData& out, int64_t first, int64_t last, int target) const
{
    const auto& raw = m_dataY->raw;
    const auto& mipmap = m_dataY->mipmap;
    const int64_t n = static_cast<int64_t>(raw.size());
    if (n == 0)
        return 0;
    const int64_t i0 = std::clamp<int64_t>(first, 0, n - 1);
    const int64_t i1 = std::clamp<int64_t>(last, 0, n - 1);
    const int64_t count = i1 - i0 + 1;
    if (count < 1)
        return 0;

    if (target < 1)
        target = 1;
    const double wanted = std::floor(std::log(double(count) / double(target)) / std::log(2.0));
    const int levels = static_cast<int>(mipmap.size());
    const int level = wanted >= levels ? levels : (wanted < 1 ? 0 : static_cast<int>(wanted));

    if (level < 1) {
        out.raw = true;
        out.firstX = m_dataX.start + double(i0) * m_dataX.interval;
        out.stepX = m_dataX.interval;
        out.valuesBegin = raw.data() + i0;
        out.valuesEnd = raw.data() + i1 + 1;
        return count;
    }

    const auto& blocks = mipmap[level - 1];
    const int64_t size = static_cast<int64_t>(blocks.size());
    const int64_t s = int64_t(1) << level;
    const int64_t j0 = i0 / s;
    const int64_t j1 = i1 / s + 1;
    const int64_t begin = std::clamp<int64_t>(j0, 0, size - 1);
    const int64_t end = std::clamp<int64_t>(j1, 0, size);
    out.raw = false;
    out.firstX = m_dataX.start + double(j0) * m_dataX.interval * double(s);
    out.stepX = m_dataX.interval * double(s);
    out.pairsBegin = blocks.data() + begin;
    out.pairsEnd = blocks.data() + end;
    return end - begin;
}

namespace {

// Calls visit(level, k) for the blocks that together cover raw[first, end) exactly, each
// value once: level 0 is the raw values, and entry k of level L covers raw
// [k 2^L, (k + 1) 2^L). At most two blocks a level, so logarithmic in the run's length.
template <typename Visit>
void ForEachCoveringBlock(size_t first, size_t end, size_t levels, Visit visit)
{
    size_t a = first, b = end;
    for (size_t level = 0; a < b; ++level) {
        if (level == levels || b - a <= 2) {
            for (size_t k = a; k < b; ++k)
                visit(level, k);
            return;
        }
        if (a & 1)
            visit(level, a++);
        if (b & 1)
            visit(level, --b);
        a /= 2;
        b /= 2;
    }
}

} // namespace

MinMax GraphDataY::RangeMinMax(size_t first, size_t end) const
{
    const double nan = std::nan("");
    MinMax out{nan, nan};
    ForEachCoveringBlock(
        first, std::min(end, raw.size()), mipmap.size(), [&](size_t level, size_t k) {
            const MinMax m = level == 0 ? MinMax{raw[k], raw[k]} : mipmap[level - 1][k];
            out.min = Min2(out.min, m.min);
            out.max = Max2(out.max, m.max);
        });
    return out;
}

// A block whose min is finite holds its finite min; only a block whose min is -inf can
// hide one, so only such blocks are opened, down to the values. A few infinities cost a
// few paths down the pyramid; a run of nothing else is read whole.
void GraphDataY::AddFinite(size_t level, size_t k, bool wantMin, bool wantMax, MinMax& out) const
{
    const MinMax m = level == 0 ? MinMax{raw[k], raw[k]} : mipmap[level - 1][k];
    // All NaN, all +inf or all -inf (with or without NaN): no finite value here.
    if (!(m.min < INFINITY) || !(m.max > -INFINITY))
        return;
    if (wantMin && m.min > -INFINITY) {
        out.min = Min2(out.min, m.min);
        wantMin = false;
    }
    if (wantMax && m.max < INFINITY) {
        out.max = Max2(out.max, m.max);
        wantMax = false;
    }
    if (level == 0 || !(wantMin || wantMax))
        return;
    const size_t below = level == 1 ? raw.size() : mipmap[level - 2].size();
    AddFinite(level - 1, 2 * k, wantMin, wantMax, out);
    if (2 * k + 1 < below)
        AddFinite(level - 1, 2 * k + 1, wantMin, wantMax, out);
}

MinMax GraphDataY::FiniteRangeMinMax(size_t first, size_t end) const
{
    const double nan = std::nan("");
    MinMax out{nan, nan};
    ForEachCoveringBlock(first, std::min(end, raw.size()), mipmap.size(),
                         [&](size_t level, size_t k) { AddFinite(level, k, true, true, out); });
    return out;
}
