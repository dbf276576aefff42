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
    size_t entries = (n + MIPMAP_BLOCK - 1) / MIPMAP_BLOCK;
    for (size_t level = StoredMipmapLevels(MipmapLevelCount(n, resolution)); level > 0; --level) {
        bytes += double(entries) * sizeof(MinMax);
        entries = (entries + 1) / 2;
    }
    return bytes;
}

namespace {

// Min and max of values[begin, end), folded from the left: the one rule for a block made
// from raw values, so that a pyramid grown by appends equals one built at once.
inline MinMax FoldValues(const double* values, size_t begin, size_t end)
{
    double lo = values[begin], hi = values[begin];
    for (size_t i = begin + 1; i < end; ++i) {
        lo = Min2(lo, values[i]);
        hi = Max2(hi, values[i]);
    }
    return MinMax{lo, hi};
}

inline MinMax Merge(const MinMax& a, const MinMax& b)
{
    return MinMax{Min2(a.min, b.min), Max2(a.max, b.max)};
}

// Entries [first, level.size()) of stored array `i` from the raw values or array i - 1.
void FillEntries(const LargeArray<double>& raw, const std::vector<LargeArray<MinMax>>& mipmap,
                 size_t i, size_t first, size_t end, MinMax* level)
{
    if (i == 0) {
        const size_t n = raw.size();
        for (size_t k = first; k < end; ++k)
            level[k] =
                FoldValues(raw.data(), k * MIPMAP_BLOCK, std::min(n, (k + 1) * MIPMAP_BLOCK));
        return;
    }
    const MinMax* prev = mipmap[i - 1].data();
    const size_t prevSize = mipmap[i - 1].size();
    const size_t pairs = std::min(end, prevSize / 2);
    for (size_t k = first; k < pairs; ++k)
        level[k] = Merge(prev[2 * k], prev[2 * k + 1]);
    if (end > pairs && pairs >= first) // an odd count: the last entry is a block of its own
        level[pairs] = prev[prevSize - 1];
}

} // namespace

void GraphDataY::ClearMipmap()
{
    mipmap.clear();
    mipmap.shrink_to_fit();
    mipmapLevels = 0;
}

int GraphDataY::DrawLevelCount() const
{
    // Without stored arrays only the levels made from raw values are there.
    const int stored = int(mipmap.size());
    const int top = stored > 0 ? stored + MIPMAP_BLOCK_SHIFT - 1 : MIPMAP_BLOCK_SHIFT - 1;
    return std::min(mipmapLevels, top);
}

ResultCode GraphDataY::CreateMipmap(int levels, Progress* progress)
{
    return CreateMipmapIn(levels, progress, {});
}

ResultCode GraphDataY::CreateMipmapIn(int levels, Progress* progress,
                                      const std::function<LargeArray<MinMax>(size_t)>& allocate)
{
    DummyProgress silent;
    if (!progress)
        progress = &silent;
    if (levels < 0)
        levels = 0;
    const size_t stored = StoredMipmapLevels(levels);
    if (levels == mipmapLevels && stored == mipmap.size())
        return ResultCode::SUCCESS;
    ClearMipmap();
    if (levels > 0)
        progress->SetMessage(_("Creating Mipmap..."));
    if (stored == 0) {
        mipmapLevels = levels;
        return ResultCode::SUCCESS;
    }

    size_t total = 0;
    try {
        mipmap.resize(stored);
        size_t size = (raw.size() + MIPMAP_BLOCK - 1) / MIPMAP_BLOCK;
        for (auto& level : mipmap) {
            if (allocate)
                level = allocate(size);
            else
                level.resize(size);
            total += size;
            size = (size + 1) / 2;
        }
    } catch (const std::bad_alloc&) {
        ClearMipmap();
        return ResultCode::OUT_OF_MEMORY;
    }

    StepReporter reporter(progress, total);
    bool ok = true;
    for (size_t i = 0; ok && i < mipmap.size(); ++i) {
        MinMax* level = mipmap[i].data();
        ok = reporter.Run(mipmap[i].size(), [&](size_t begin, size_t end) {
            FillEntries(raw, mipmap, i, begin, end, level);
        });
    }
    if (!ok) {
        ClearMipmap();
        return ResultCode::CANCELLED;
    }
    if (mipmap.size() > 1)
        reporter.Finish();
    mipmapLevels = levels;
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
    // ceil((n + e) / b) <= ceil(n / b) + ceil(e / b), level by level.
    extra = (extra + MIPMAP_BLOCK - 1) / MIPMAP_BLOCK;
    for (auto& level : mipmap) {
        keepRoom(level, extra);
        extra = (extra + 1) / 2;
    }
}

void GraphDataY::Append(const double* values, size_t count, int levels)
{
    const size_t before = raw.size();
    raw.insert(raw.end(), values, values + count);
    levels = std::max(levels, mipmapLevels); // none dropped
    const size_t keep = mipmap.size();
    mipmap.resize(std::max(keep, StoredMipmapLevels(levels)));
    mipmapLevels = levels;
    size_t changed = before / MIPMAP_BLOCK; // the first entry of array i that changes
    size_t size = (raw.size() + MIPMAP_BLOCK - 1) / MIPMAP_BLOCK;
    for (size_t i = 0; i < mipmap.size(); ++i) {
        LargeArray<MinMax>& level = mipmap[i];
        // An array new to the pyramid is filled whole.
        const size_t first = i < keep ? std::min(changed, level.size()) : 0;
        level.resize(size);
        FillEntries(raw, mipmap, i, first, size, level.data());
        changed = first / 2;
        size = (size + 1) / 2;
    }
}

int64_t GraphData::GetDrawData(DrawData& out, int64_t first, int64_t last, int target) const
{
    const GraphDataY& y = *m_dataY;
    const auto& raw = y.raw;
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
    const int levels = y.DrawLevelCount();
    const int level = wanted >= levels ? levels : (wanted < 1 ? 0 : static_cast<int>(wanted));

    if (level < 1) {
        out.raw = true;
        out.firstX = m_dataX.start + double(i0) * m_dataX.interval;
        out.stepX = m_dataX.interval;
        out.valuesBegin = raw.data() + i0;
        out.valuesEnd = raw.data() + i1 + 1;
        return count;
    }

    const int64_t s = int64_t(1) << level;
    const int64_t size = (n + s - 1) / s;
    const int64_t j0 = i0 / s;
    const int64_t j1 = i1 / s + 1;
    const int64_t begin = std::clamp<int64_t>(j0, 0, size - 1);
    const int64_t end = std::clamp<int64_t>(j1, 0, size);
    out.raw = false;
    out.firstX = m_dataX.start + double(j0) * m_dataX.interval * double(s);
    out.stepX = m_dataX.interval * double(s);
    if (level >= MIPMAP_BLOCK_SHIFT) {
        const MinMax* blocks = y.mipmap[size_t(level - MIPMAP_BLOCK_SHIFT)].data();
        out.pairsBegin = blocks + begin;
        out.pairsEnd = blocks + end;
        return end - begin;
    }
    out.madeBlocks.resize(size_t(end - begin));
    for (int64_t j = begin; j < end; ++j)
        out.madeBlocks[size_t(j - begin)] =
            FoldValues(raw.data(), size_t(j * s), size_t(std::min(n, (j + 1) * s)));
    out.pairsBegin = out.madeBlocks.data();
    out.pairsEnd = out.madeBlocks.data() + out.madeBlocks.size();
    return end - begin;
}

namespace {

// Calls visit(level, k) for the blocks that together cover raw[first, end) exactly, each
// value once: level 0 is the raw values, and entry k of level L >= 1 (stored array L - 1)
// covers raw [k B 2^(L-1), (k + 1) B 2^(L-1)) for B = MIPMAP_BLOCK. Fewer than B raw values
// at each end, then at most two blocks a level: logarithmic in the run's length.
template <typename Visit>
void ForEachCoveringBlock(size_t first, size_t end, size_t levels, Visit visit)
{
    const size_t inner = (first + MIPMAP_BLOCK - 1) / MIPMAP_BLOCK;
    const size_t outer = end / MIPMAP_BLOCK;
    if (levels == 0 || inner >= outer) {
        for (size_t k = first; k < end; ++k)
            visit(0, k);
        return;
    }
    for (size_t k = first; k < inner * MIPMAP_BLOCK; ++k)
        visit(0, k);
    for (size_t k = outer * MIPMAP_BLOCK; k < end; ++k)
        visit(0, k);
    size_t a = inner, b = outer;
    for (size_t level = 1; a < b; ++level) {
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
    if (level == 1) {
        const size_t stop = std::min(raw.size(), (k + 1) * MIPMAP_BLOCK);
        for (size_t i = k * MIPMAP_BLOCK; i < stop; ++i)
            AddFinite(0, i, wantMin, wantMax, out);
        return;
    }
    AddFinite(level - 1, 2 * k, wantMin, wantMax, out);
    if (2 * k + 1 < mipmap[level - 2].size())
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
