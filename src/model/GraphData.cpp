#include "model/GraphData.h"

#include <algorithm>
#include <cfloat>

#include "base/Time.h"

std::shared_ptr<GraphDataY> CreateGraphDataY()
{
    return std::make_shared<GraphDataY>();
}

MinMax GraphDataY::ComputeRangeY() const
{
    const MinMax range = FiniteRangeMinMax(0, raw.size());
    return range.min <= range.max ? range : MinMax{DBL_MAX, -DBL_MAX};
}

GraphData::GraphData(const DataX& dataX, std::shared_ptr<GraphDataY> dataY)
    : m_dataX(dataX), m_dataY(dataY ? std::move(dataY) : CreateGraphDataY())
{
}

std::shared_ptr<GraphData> CreateGraphData(const DataX& dataX, std::shared_ptr<GraphDataY> dataY)
{
    return std::make_shared<GraphData>(dataX, std::move(dataY));
}

void GraphData::Notify(uint32_t kind)
{
    ObserverParam<GraphDataUpdate> param(static_cast<GraphDataUpdate>(kind));
    NotifyInternal(param);
}

void GraphData::MoveTimeOrigin(int64_t nanos)
{
    if (m_hasTimeOrigin && nanos != m_timeOrigin) {
        const double shift = TimeSeconds(m_timeOrigin, nanos);
        if (m_dataX.IsExplicit()) {
            auto values = std::make_shared<DataX::Values>(*m_dataX.ExplicitValues());
            for (double& x : *values)
                x += shift;
            m_dataX = DataX::Explicit(std::move(values));
        } else {
            m_dataX.start += shift;
        }
    }
    SetTimeOrigin(nanos);
}

void GraphData::ReplaceValues(const DataX& dataX, std::shared_ptr<GraphDataY> dataY,
                              int64_t timeOrigin)
{
    m_dataX = dataX;
    m_dataY = dataY ? std::move(dataY) : CreateGraphDataY();
    m_rangeCached = false;
    if (m_hasTimeOrigin && timeOrigin != m_timeOrigin) {
        const int64_t own = m_timeOrigin;
        m_timeOrigin = timeOrigin;
        MoveTimeOrigin(own);
    }
    Notify(DATA_VALUES);
}

void GraphData::PointsAppended(size_t added)
{
    if (m_rangeCached) {
        const size_t size = m_dataY->raw.size();
        const MinMax more = m_dataY->FiniteRangeMinMax(size - std::min(added, size), size);
        if (more.min <= more.max) {
            m_minY = std::min(m_minY, more.min);
            m_maxY = std::max(m_maxY, more.max);
            m_onlyInfinities = false;
        } else if (!(m_minY <= m_maxY)) {
            m_rangeCached = false; // still no finite value: asked again when needed
        }
    }
    Notify(DATA_VALUES);
}

void GraphData::SetLabel(const wxString& label)
{
    if (label == m_label)
        return;
    m_label = label;
    Notify(DATA_LABEL);
}

void GraphData::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    Notify(DATA_VISIBLE);
}

void GraphData::SetLineStyle(const LineStyle& style)
{
    m_lineStyle = style;
    Notify(DATA_LINE);
}

bool GraphData::GetRangeX(double& minX, double& maxX) const
{
    return m_dataX.Extent(GetCount(), minX, maxX);
}

MinMax GraphData::GetRangeY()
{
    if (!m_rangeCached) {
        const MinMax range = m_dataY->ComputeRangeY();
        m_minY = range.min;
        m_maxY = range.max;
        // With no finite value, any number left is an infinity.
        const MinMax all = m_dataY->RangeMinMax(0, GetCount());
        m_onlyInfinities = !(range.min <= range.max) && all.min == all.min;
        m_rangeCached = true;
    }
    return MinMax{m_minY, m_maxY};
}

bool GraphData::HasOnlyInfinities()
{
    GetRangeY();
    return m_onlyInfinities;
}

SeriesShape ShapeOf(const GraphData& data, MinMax rangeY)
{
    SeriesShape shape;
    shape.label = data.GetLabel();
    shape.count = data.GetCount();
    const DataX x = data.GetDataX();
    shape.start = x.start;
    shape.interval = x.interval;
    shape.explicitX = x.IsExplicit();
    x.Extent(size_t(shape.count), shape.minX, shape.maxX);
    shape.hasTimeOrigin = data.HasTimeOrigin();
    shape.timeOrigin = data.GetTimeOrigin();
    shape.rangeY = rangeY;
    return shape;
}
