#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <wx/string.h>

#include "model/Colour.h"
#include "model/DataX.h"
#include "model/LargeArray.h"
#include "model/Observer.h"
#include "progress/ResultCode.h"

class Progress;

struct MinMax
{
    double min;
    double max;

    // Deliberately leaves the values unset: mipmap levels are allocated at full size and
    // then filled, and zeroing them first would be a wasted pass over 16 bytes a point.
    MinMax() {}
    constexpr MinMax(double lo, double hi) : min(lo), max(hi) {}
};

// Result of GraphData::GetDrawData: either a run of raw values or a run of min/max
// blocks of one mipmap level. The pointers stay valid while the series is held.
struct DrawData
{
    bool raw = true;
    double firstX = 0.0;
    double stepX = 0.0;
    const double* valuesBegin = nullptr;
    const double* valuesEnd = nullptr;
    const MinMax* pairsBegin = nullptr;
    const MinMax* pairsEnd = nullptr;
    // Blocks of a level below the stored pyramid, made from the raw values of the view
    // (fewer than MIPMAP_BLOCK values a block, so the cost follows the width).
    std::vector<MinMax> madeBlocks;
    // Explicit X of each value or block, in place of firstX + i * stepX.
    const double* xs = nullptr;
    // Explicit X blocks: lines (x0, y0, x1, y1) from the last point before a pause in X to
    // the first after it, where the blocks have a gap.
    const double* bridges = nullptr;
    size_t bridgeCount = 0;
};

// The min/max pyramid serves drawing levels 1, 2, ... (level L: blocks of 2^L values), but
// stores only those from MIPMAP_BLOCK values up: below, a view's blocks are made from fewer
// than 2 * MIPMAP_BLOCK * width raw values, and the pyramid costs 2 * 16 / MIPMAP_BLOCK bytes
// a value instead of 16. 32, measured against 8 and 16 (bench_mipmap, open_memory.sh): an
// eighth of the values' memory, and the deepest such view about 50 us at 1820 columns.
constexpr int MIPMAP_BLOCK_SHIFT = 5;
constexpr size_t MIPMAP_BLOCK = size_t(1) << MIPMAP_BLOCK_SHIFT;

// The stored arrays for `levels` drawing levels: level L is mipmap[L - MIPMAP_BLOCK_SHIFT].
inline size_t StoredMipmapLevels(int levels)
{
    return levels >= MIPMAP_BLOCK_SHIFT ? size_t(levels - MIPMAP_BLOCK_SHIFT + 1) : 0;
}

// Y values of a series and their min/max pyramid. Filled by its creator (on a worker
// thread), then immutable once a GraphData refers to it.
class GraphDataY
{
public:
    LargeArray<double> raw;
    // Blocks of MIPMAP_BLOCK values first, each array pairing the one before.
    std::vector<LargeArray<MinMax>> mipmap;
    // The drawing levels the pyramid serves (what CreateMipmap or Append was asked for).
    int mipmapLevels = 0;

    // Serves `levels` drawing levels; stored array j has ceil(n / (MIPMAP_BLOCK 2^j))
    // entries, so every value is covered (a short last block, or a lone last entry, is a
    // block of its own). Rebuilds only when the level count changes. SUCCESS, CANCELLED or
    // OUT_OF_MEMORY (then no levels at all).
    ResultCode CreateMipmap(int levels, Progress* progress);
    // The same with each stored array (of the size asked) from `allocate`, not the heap.
    ResultCode CreateMipmapIn(int levels, Progress* progress,
                              const std::function<LargeArray<MinMax>(size_t)>& allocate);

    // Appends `count` values and brings the pyramid up to date for `levels` levels (none
    // dropped): only the entries the new values fall in are computed, so the cost follows
    // count (and the pyramid's height), not the series' length. Throws std::bad_alloc.
    void Append(const double* values, size_t count, int levels);
    // Room for `extra` more values (and their pyramid) without moving the arrays: one
    // copy now instead of one in the middle of a followed file's appends. Address space
    // only until used.
    void ReserveGrowth(size_t extra);

    // The smallest and largest finite value; (DBL_MAX, -DBL_MAX) when there is none.
    MinMax ComputeRangeY() const;

    // The smallest and largest of raw[first, end), ignoring NaN, from the pyramid plus the
    // raw values at the ends: time in the logarithm of the run. (NaN, NaN) when the run
    // has no number. Infinities count: this is what is drawn.
    MinMax RangeMinMax(size_t first, size_t end) const;

    // The same over the finite values only: (NaN, NaN) when the run has none. Still
    // logarithmic while infinities are few; up to linear when they are everywhere.
    MinMax FiniteRangeMinMax(size_t first, size_t end) const;

    // The highest drawing level there are blocks for: made from raw values below the
    // stored arrays, read from them above.
    int DrawLevelCount() const;

private:
    void AddFinite(size_t level, size_t k, bool wantMin, bool wantMax, MinMax& out) const;
    void ClearMipmap();
};

// The number of mipmap levels for n values and resolution r: the smallest L with
// n / 2^L <= r. 0 (no mipmap) when n <= r or r < 1.
int MipmapLevelCount(size_t n, int resolution);

// The bytes the stored mipmap arrays for n values take, exactly: what the import and the
// calculation check against the free memory before they allocate.
double MipmapBytes(size_t n, int resolution);

std::shared_ptr<GraphDataY> CreateGraphDataY();

struct LineStyle
{
    double width = 1.0;
    Colour colour{0, 0, 255};

    friend bool operator==(const LineStyle& a, const LineStyle& b)
    {
        return a.width == b.width && a.colour == b.colour;
    }
    friend bool operator!=(const LineStyle& a, const LineStyle& b) { return !(a == b); }
};

// Kinds of a series' notifications (bit values).
enum GraphDataUpdate : uint32_t
{
    DATA_LABEL = 8,
    DATA_VISIBLE = 16,
    DATA_LINE = 32,
    DATA_VALUES = 64, // read again, or grown
};

// Where a series came from, so that it can be read again (a file and how it was read):
// set by its maker, kept when its values are replaced or grow.
class SeriesSource
{
public:
    virtual ~SeriesSource() = default;
};

// One series: X description, shared Y data, label, visibility and line style. Values
// never change after creation; the setters notify observers (main thread only).
class GraphData : public Observable
{
public:
    GraphData(const DataX& dataX, std::shared_ptr<GraphDataY> dataY);

    DataX GetDataX() const { return m_dataX; }
    std::shared_ptr<GraphDataY> GetDataY() const { return m_dataY; }

    wxString GetLabel() const { return m_label; }
    void SetLabel(const wxString& label);

    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible);

    LineStyle GetLineStyle() const { return m_lineStyle; }
    void SetLineStyle(const LineStyle& style);

    size_t GetCount() const { return m_dataY->raw.size(); }

    std::shared_ptr<SeriesSource> GetSource() const { return m_source; }
    void SetSource(std::shared_ptr<SeriesSource> source) { m_source = std::move(source); }
    // New X and values (its file read again): label, style, visibility and source stay;
    // an X counted from `timeOrigin` is moved to the series' own origin.
    void ReplaceValues(const DataX& dataX, std::shared_ptr<GraphDataY> dataY, int64_t timeOrigin);
    // The caller added `added` values at the end of its (shared) Y array, and X values to
    // an explicit X: updates the Y range in proportion to `added` and tells the observers.
    void PointsAppended(size_t added);

    // X values read from a time column are seconds from this instant (nanoseconds since
    // 1970, UTC); set by the series' creator before the series is shared.
    bool HasTimeOrigin() const { return m_hasTimeOrigin; }
    int64_t GetTimeOrigin() const { return m_timeOrigin; }
    void SetTimeOrigin(int64_t nanos)
    {
        m_hasTimeOrigin = true;
        m_timeOrigin = nanos;
    }
    // Counts its X from `nanos` instead, the same instants: before the series is shared
    // (a project does it to a series added with another origin).
    void MoveTimeOrigin(int64_t nanos);

    // The X extent, lower first whatever the sign of the interval. False (and nothing
    // written) for a series without points, which has no extent.
    bool GetRangeX(double& minX, double& maxX) const;

    // The finite Y range (see GraphDataY::ComputeRangeY), cached after the first call.
    MinMax GetRangeY();
    // Values that are all infinite or NaN, at least one infinite: such a series has no
    // range to show or fit, and ranges and fits leave it out, X included.
    bool HasOnlyInfinities();

    // Raw values or mipmap blocks for indices [first, last] (clamped) and `target` pixel
    // columns; returns the number of elements in the run, 0 when there is nothing.
    int64_t GetDrawData(DrawData& out, int64_t first, int64_t last, int target) const;

private:
    void Notify(uint32_t kind);

    DataX m_dataX;
    std::shared_ptr<GraphDataY> m_dataY;
    wxString m_label;
    bool m_visible = true;
    LineStyle m_lineStyle;
    double m_maxY = 0.0;
    double m_minY = 0.0;
    bool m_onlyInfinities = false;
    bool m_rangeCached = false;
    bool m_hasTimeOrigin = false;
    int64_t m_timeOrigin = 0;
    std::shared_ptr<SeriesSource> m_source;
};

std::shared_ptr<GraphData> CreateGraphData(const DataX& dataX, std::shared_ptr<GraphDataY> dataY);

// What a listing shows of a series without its values: its size and the extents of X and Y.
// The column cache keeps it beside the arrays, so that a listing reads no array.
struct SeriesShape
{
    wxString label;
    uint64_t count = 0;
    double start = 0.0, interval = 1.0; // of a regular X
    bool explicitX = false;
    double minX = 0.0, maxX = 0.0; // both 0 without points
    bool hasTimeOrigin = false;
    int64_t timeOrigin = 0;
    MinMax rangeY{0.0, 0.0}; // as GraphData::GetRangeY gives it
};
// The shape of `data`, its Y range given (GetRangeY, or the values' own for a writer that
// may not touch the series' cached range).
SeriesShape ShapeOf(const GraphData& data, MinMax rangeY);
