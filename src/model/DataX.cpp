#include "model/DataX.h"

#include <wx/debug.h>

#include <algorithm>
#include <cmath>

DataX DataX::Explicit(std::shared_ptr<const Values> values)
{
    DataX x;
    x.m_values = std::move(values);
    return x;
}

void DataX::AppendShared(const double* values, size_t count) const
{
    wxCHECK_RET(m_values, "an explicit X");
    auto& grown = const_cast<Values&>(*m_values);
    grown.insert(grown.end(), values, values + count);
}

void DataX::ReserveShared(size_t extra) const
{
    wxCHECK_RET(m_values, "an explicit X");
    auto& grown = const_cast<Values&>(*m_values);
    if (grown.capacity() - grown.size() < extra / 2) // as GraphDataY::ReserveGrowth
        grown.reserve(grown.size() + extra);
}

bool DataX::IndexRange(int64_t count, double minX, double maxX, int64_t& first, int64_t& last) const
{
    if (count <= 0 || !(minX <= maxX))
        return false;
    if (m_values) {
        const double* v = m_values->data();
        const int64_t n = std::min<int64_t>(count, int64_t(m_values->size()));
        const int64_t lo = std::lower_bound(v, v + n, minX) - v;
        const int64_t hi = std::upper_bound(v + lo, v + n, maxX) - v;
        if (lo >= hi)
            return false;
        first = lo;
        last = hi - 1;
        return true;
    }
    if (interval == 0.0) {
        if (!(start >= minX && start <= maxX))
            return false;
        first = 0;
        last = count - 1;
        return true;
    }
    double a = (minX - start) / interval;
    double b = (maxX - start) / interval;
    if (a > b) // negative interval: X falls with the index
        std::swap(a, b);
    const double lo = std::ceil(a);
    const double hi = std::floor(b);
    const double end = double(count - 1);
    if (!(lo <= hi) || hi < 0.0 || lo > end)
        return false;
    first = int64_t(std::max(lo, 0.0));
    last = int64_t(std::min(hi, end));
    return true;
}

int64_t DataX::LowerBound(int64_t count, double x) const
{
    if (count <= 0)
        return 0;
    if (m_values) {
        const double* v = m_values->data();
        const int64_t n = std::min<int64_t>(count, int64_t(m_values->size()));
        return std::lower_bound(v, v + n, x) - v;
    }
    if (!(interval > 0.0))
        return start >= x ? 0 : count;
    const double i = std::ceil((x - start) / interval);
    if (!(i > 0.0))
        return 0;
    return i >= double(count) ? count : int64_t(i);
}

int64_t DataX::HoldIndex(int64_t count, double x) const
{
    if (count <= 0 || !std::isfinite(x))
        return -1;
    if (m_values) {
        const double* v = m_values->data();
        const int64_t n = std::min<int64_t>(count, int64_t(m_values->size()));
        if (!(x >= v[0] && x <= v[n - 1]))
            return -1;
        return (std::upper_bound(v, v + n, x) - v) - 1;
    }
    if (!(interval > 0.0))
        return -1;
    const double index = std::floor((x - start) / interval);
    if (!(index >= 0.0) || index > double(count - 1))
        return -1;
    return int64_t(index);
}

bool DataX::Extent(size_t count, double& minX, double& maxX) const
{
    if (count == 0)
        return false;
    const double first = At(0);
    const double last = At(count - 1);
    minX = last < first ? last : first;
    maxX = last < first ? first : last;
    return true;
}

bool DataX::SameAxis(size_t count, const DataX& other, size_t otherCount) const
{
    if (count != otherCount)
        return false;
    if (!m_values && !other.m_values)
        return start == other.start && interval == other.interval;
    if (m_values == other.m_values)
        return true;
    for (size_t i = 0; i < count; ++i) {
        if (At(i) != other.At(i))
            return false;
    }
    return true;
}

bool operator==(const DataX& a, const DataX& b)
{
    if (a.m_values || b.m_values)
        return a.m_values == b.m_values || (a.m_values && b.m_values && *a.m_values == *b.m_values);
    return a.start == b.start && a.interval == b.interval;
}
