#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/LargeArray.h"

// The smallest interval a regular X may be given where one is typed (the import and
// calculator dialogs). Not 0: points that all share one X cannot be fitted, zoomed or
// exported.
constexpr double MIN_X_INTERVAL = 1e-10;

// The X values of a series: regular (point i at start + i * interval) or explicit (one
// value per point, never decreasing, shared and never changed). Regular costs nothing
// and is what evenly spaced files and formulas give; explicit is for recordings with
// jitter, pauses or events. Every reader of X asks this type.
class DataX
{
public:
    using Values = LargeArray<double>;

    DataX(double start = 0.0, double interval = 1.0) : start(start), interval(interval) {}
    // Explicit X; null values give a regular X.
    static DataX Explicit(std::shared_ptr<const Values> values);

    // The regular representation (unused when explicit).
    double start;
    double interval;

    bool IsExplicit() const { return m_values != nullptr; }
    // The explicit values, or null.
    const std::shared_ptr<const Values>& ExplicitValues() const { return m_values; }
    // Adds X values at the end of the explicit array, which every series sharing it sees:
    // how the series of a growing file grow. Values are never changed, only added (a
    // series' points stay the first GetCount() of the array).
    void AppendShared(const double* values, size_t count) const;
    // Room for `extra` more values in the shared array, as GraphDataY::ReserveGrowth.
    void ReserveShared(size_t extra) const;

    // X of point i (i below the series' point count).
    double At(size_t i) const { return m_values ? (*m_values)[i] : start + double(i) * interval; }

    // The points [first, last] of a series of `count` points whose X lies in [minX, maxX];
    // false when none does (also for NaN bounds). Regular X computes it in doubles and
    // clamps before converting; explicit X searches.
    bool IndexRange(int64_t count, double minX, double maxX, int64_t& first, int64_t& last) const;
    // The first point at or after x (count when none), for explicit and rising regular X.
    int64_t LowerBound(int64_t count, double x) const;
    // The point whose value holds at x (sample and hold): the last at or before x; -1 before
    // the first point and past the series (the last point's X, or for regular X its step).
    int64_t HoldIndex(int64_t count, double x) const;

    // The lowest and highest X of `count` points; false for none.
    bool Extent(size_t count, double& minX, double& maxX) const;

    // Whether two series of these point counts have the same X at every point.
    bool SameAxis(size_t count, const DataX& other, size_t otherCount) const;

    // Memory the X takes beyond the series' values.
    double Bytes(size_t count) const { return m_values ? double(count) * sizeof(double) : 0.0; }

    // Exact: the same regular start and interval, or the same explicit values.
    friend bool operator==(const DataX& a, const DataX& b);
    friend bool operator!=(const DataX& a, const DataX& b) { return !(a == b); }

private:
    std::shared_ptr<const Values> m_values;
};
