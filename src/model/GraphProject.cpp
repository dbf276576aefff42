#include "model/GraphProject.h"

#include <algorithm>
#include <cfloat>

#include <wx/debug.h>
#include <wx/intl.h>

bool operator==(const ProjectProperty& a, const ProjectProperty& b)
{
    return a.bgColor == b.bgColor && a.marginTop == b.marginTop &&
           a.marginBottom == b.marginBottom && a.marginLeft == b.marginLeft &&
           a.marginRight == b.marginRight && a.frameLineWidth == b.frameLineWidth &&
           a.frameLineColor == b.frameLineColor && a.gridEnabledX == b.gridEnabledX &&
           a.gridEnabledY == b.gridEnabledY && a.gridAutoX == b.gridAutoX &&
           a.gridAutoY == b.gridAutoY && a.gridIntervalX == b.gridIntervalX &&
           a.gridIntervalY == b.gridIntervalY && a.gridLineWidth == b.gridLineWidth &&
           a.gridLineColor == b.gridLineColor && a.tickLineLength == b.tickLineLength &&
           a.tickLineWidth == b.tickLineWidth && a.tickLineColor == b.tickLineColor &&
           a.tickFont == b.tickFont && a.tickFontColor == b.tickFontColor &&
           a.tickPositionX == b.tickPositionX && a.tickPositionY == b.tickPositionY &&
           a.tickFormatX == b.tickFormatX && a.tickFormatY == b.tickFormatY &&
           a.axisLabelX == b.axisLabelX && a.axisLabelY == b.axisLabelY &&
           a.axisFont == b.axisFont && a.axisFontColor == b.axisFontColor &&
           a.axisPositionY == b.axisPositionY && a.axisPositionX == b.axisPositionX &&
           a.legendVisible == b.legendVisible && a.legendPosition == b.legendPosition &&
           a.legendFont == b.legendFont && a.legendFontColor == b.legendFontColor &&
           a.legendBGColor == b.legendBGColor;
}

const char* const LEGEND_POSITIONS[4] = {"top right", "top left", "bottom right", "bottom left"};

ProjectProperty DefaultProjectProperty()
{
    ProjectProperty property;
    property.axisLabelX = _("Time");
    property.axisLabelY = _("Value");
    return property;
}

std::shared_ptr<GraphProject> CreateGraphProject()
{
    return std::make_shared<GraphProject>();
}

GraphProject::GraphProject() : m_property(DefaultProjectProperty()) {}

std::shared_ptr<GraphData> GraphProject::GetItem(int index) const
{
    wxCHECK_MSG(index >= 0 && index < static_cast<int>(m_data.size()), nullptr,
                "index out of range");
    return m_data[index];
}

void GraphProject::Add(std::shared_ptr<GraphData> data)
{
    wxCHECK_RET(data, "null series");
    if (data->HasTimeOrigin()) {
        if (!m_hasTimeOrigin) {
            m_hasTimeOrigin = true;
            m_timeOrigin = data->GetTimeOrigin();
        } else {
            data->MoveTimeOrigin(m_timeOrigin);
        }
    }
    m_data.push_back(data);
    data->Attach(this);
    Notify(GraphProjectUpdate{PROJ_ADD, nullptr, 0});
}

bool GraphProject::SetTimeOrigin(int64_t nanos)
{
    if (!m_data.empty())
        return false;
    m_hasTimeOrigin = true;
    m_timeOrigin = nanos;
    return true;
}

void GraphProject::Remove(int index)
{
    wxCHECK_RET(index >= 0 && index < static_cast<int>(m_data.size()), "index out of range");
    m_data[index]->Detach(this);
    m_data.erase(m_data.begin() + index);
    if (m_data.empty())
        m_hasTimeOrigin = false;
    Notify(GraphProjectUpdate{PROJ_REMOVE, nullptr, 0});
}

void GraphProject::SetProperty(const ProjectProperty& property)
{
    if (property == m_property)
        return;
    m_property = property;
    Notify(GraphProjectUpdate{PROJ_PROPERTY, nullptr, 0});
}

void GraphProject::SetPlotRange(double minX, double maxX, double minY, double maxY)
{
    wxASSERT(minX <= maxX);
    wxASSERT(minY <= maxY);
    bool changed = false;
    // A NaN never compares equal, so it always counts as a change.
    auto store = [&changed](double& field, double value) {
        if (!(field == value)) {
            field = value;
            changed = true;
        }
    };
    store(m_plotRange.minX, minX);
    store(m_plotRange.maxX, maxX);
    store(m_plotRange.minY, minY);
    store(m_plotRange.maxY, maxY);
    if (changed)
        Notify(GraphProjectUpdate{PROJ_PLOT_RANGE, nullptr, 0});
}

void GraphProject::ZoomX(double centre, double factor)
{
    const PlotRange r = ZoomedX(m_plotRange, centre, factor);
    if (IsUsableRange(r))
        SetPlotRange(r.minX, r.maxX, r.minY, r.maxY);
}

void GraphProject::ZoomY(double centre, double factor)
{
    const PlotRange r = ZoomedY(m_plotRange, centre, factor);
    if (IsUsableRange(r))
        SetPlotRange(r.minX, r.maxX, r.minY, r.maxY);
}

namespace {

// Whether a series counts in the project's data range.
bool InDataRange(GraphData& data, bool visibleOnly)
{
    return (!visibleOnly || data.IsVisible()) && data.GetCount() > 0 && !data.HasOnlyInfinities();
}

} // namespace

double GraphProject::GetMinX(bool visibleOnly) const
{
    double result = DBL_MAX;
    for (const auto& data : m_data) {
        double lo, hi;
        if (InDataRange(*data, visibleOnly) && data->GetRangeX(lo, hi) && lo < result)
            result = lo;
    }
    return result;
}

double GraphProject::GetMaxX(bool visibleOnly) const
{
    double result = -DBL_MAX;
    for (const auto& data : m_data) {
        double lo, hi;
        if (InDataRange(*data, visibleOnly) && data->GetRangeX(lo, hi) && hi > result)
            result = hi;
    }
    return result;
}

double GraphProject::GetMinY(bool visibleOnly) const
{
    double result = DBL_MAX;
    for (const auto& data : m_data) {
        if (InDataRange(*data, visibleOnly)) {
            const double value = data->GetRangeY().min;
            if (value < result)
                result = value;
        }
    }
    return result;
}

double GraphProject::GetMaxY(bool visibleOnly) const
{
    double result = -DBL_MAX;
    for (const auto& data : m_data) {
        if (InDataRange(*data, visibleOnly)) {
            const double value = data->GetRangeY().max;
            if (value > result)
                result = value;
        }
    }
    return result;
}

void GraphProject::BeginInterim()
{
    if (!m_interim)
        m_pendingKinds = 0;
    m_interim = true;
}

void GraphProject::EndInterim()
{
    if (m_interim && m_pendingKinds != 0) {
        const uint32_t kinds = m_pendingKinds;
        m_interim = false; // the summary itself is not interim
        Notify(GraphProjectUpdate{kinds, nullptr, 0});
    }
    m_interim = false;
}

void GraphProject::Update(Observable* observable, const ObserverParamBase& param)
{
    auto* update = dynamic_cast<const ObserverParam<GraphDataUpdate>*>(&param);
    if (!update)
        return;
    auto* data = dynamic_cast<GraphData*>(observable);
    wxCHECK_RET(data != nullptr, "notification from something that is not a series");
    Notify(GraphProjectUpdate{PROJ_DATA, data, update->GetValue()});
}

void GraphProject::Notify(const GraphProjectUpdate& update)
{
    if (!m_notifyEnabled)
        return;
    GraphProjectUpdate sent = update;
    if (m_interim) {
        sent.kind |= PROJ_INTERIM;
        if (update.kind & (PROJ_PROPERTY | PROJ_PLOT_RANGE))
            m_pendingKinds |= update.kind;
    }
    ObserverParam<GraphProjectUpdate> param(sent);
    NotifyInternal(param);
}

PlotRange ComputeFitRange(const GraphProject& project, bool allSeries)
{
    // A series of infinities only is left out as if it were not there.
    bool anyVisible = false;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto data = project.GetItem(i);
        anyVisible = anyVisible || (data->IsVisible() && !data->HasOnlyInfinities());
    }
    const bool visibleOnly = anyVisible && !allSeries;

    auto fit = [](double lo, double hi, double& outLo, double& outHi) {
        if (!(lo <= hi)) { // nothing considered, or only NaN
            outLo = 0.0;
            outHi = 1.0;
            return;
        }
        if (lo == hi) {
            lo -= 1.0;
            hi += 1.0;
        }
        outLo = lo;
        outHi = hi;
    };
    PlotRange range;
    fit(project.GetMinX(visibleOnly), project.GetMaxX(visibleOnly), range.minX, range.maxX);
    fit(project.GetMinY(visibleOnly), project.GetMaxY(visibleOnly), range.minY, range.maxY);
    return range;
}

bool ComputeVisibleRangeY(const GraphProject& project, double minX, double maxX, double& minY,
                          double& maxY)
{
    double lo = DBL_MAX, hi = -DBL_MAX;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        int64_t first = 0, last = 0;
        if (!series->IsVisible() ||
            !series->GetDataX().IndexRange(int64_t(series->GetCount()), minX, maxX, first, last))
            continue;
        const MinMax run = series->GetDataY()->FiniteRangeMinMax(size_t(first), size_t(last) + 1);
        if (run.min <= run.max) {
            lo = std::min(lo, run.min);
            hi = std::max(hi, run.max);
        }
    }
    if (!(lo <= hi))
        return false;
    minY = lo == hi ? lo - 1.0 : lo;
    maxY = lo == hi ? hi + 1.0 : hi;
    return true;
}
