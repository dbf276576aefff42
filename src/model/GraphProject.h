#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <wx/string.h>

#include "model/Colour.h"
#include "model/FontDesc.h"
#include "model/GraphData.h"
#include "model/Observer.h"
#include "model/PlotRange.h"

// Every display property of the graph. The comments give the property names under
// which the property panel shows them and the renderer uses them.
struct ProjectProperty
{
    Colour bgColor{255, 255, 255}; // "BGColor"

    double marginTop = 10.0;    // "Margin.Top"
    double marginBottom = 50.0; // "Margin.Bottom"
    double marginLeft = 100.0;  // "Margin.Left"
    double marginRight = 10.0;  // "Margin.Right"

    double frameLineWidth = 1.0;    // "Frame.LineWidth"
    Colour frameLineColor{0, 0, 0}; // "Frame.LineColor"

    bool gridEnabledX = true;            // "Grid.EnabledX"
    bool gridEnabledY = true;            // "Grid.EnabledY"
    bool gridAutoX = true;               // "Grid.AutoX"
    bool gridAutoY = true;               // "Grid.AutoY"
    double gridIntervalX = -1.0;         // "Grid.IntervalX": used when not auto and > 0
    double gridIntervalY = -1.0;         // "Grid.IntervalY"
    double gridLineWidth = 0.5;          // "Grid.LineWidth"
    Colour gridLineColor{192, 192, 192}; // "Grid.LineColor"

    double tickLineLength = 10.0;  // "Tick.LineLength"
    double tickLineWidth = 1.0;    // "Tick.LineWidth"
    Colour tickLineColor{0, 0, 0}; // "Tick.LineColor"
    FontDesc tickFont;             // "Tick.Font"
    Colour tickFontColor{0, 0, 0}; // "Tick.FontColor"
    double tickPositionX = -55.0;  // "Tick.PositionX"
    double tickPositionY = -15.0;  // "Tick.PositionY"
    wxString tickFormatX = "%.0f"; // "Tick.FormatX"
    wxString tickFormatY = "%.2f"; // "Tick.FormatY"

    wxString axisLabelX;           // "Axis.LabelX", default "Time" (translated)
    wxString axisLabelY;           // "Axis.LabelY", default "Value" (translated)
    FontDesc axisFont;             // "Axis.Font"
    Colour axisFontColor{0, 0, 0}; // "Axis.FontColor"
    double axisPositionY = -40.0;  // "Axis.PositionY"
    double axisPositionX = -70.0;  // "Axis.PositionX"

    // Off by default: without it the picture is exactly as before the legend existed.
    bool legendVisible = false;               // "Legend.Visible"
    wxString legendPosition = "top right";    // "Legend.Position": one of LEGEND_POSITIONS
    FontDesc legendFont;                      // "Legend.Font"
    Colour legendFontColor{0, 0, 0};          // "Legend.FontColor"
    Colour legendBGColor{255, 255, 255, 230}; // "Legend.BGColor"

    friend bool operator==(const ProjectProperty& a, const ProjectProperty& b);
    friend bool operator!=(const ProjectProperty& a, const ProjectProperty& b) { return !(a == b); }
};

// The corners a legend can sit in, inside the frame.
extern const char* const
    LEGEND_POSITIONS[4]; // "top right", "top left", "bottom right", "bottom left"

// The properties of a new project: the defaults above with the translated axis labels.
ProjectProperty DefaultProjectProperty();

enum : uint32_t
{
    PROJ_ADD = 1,
    PROJ_REMOVE = 2,
    PROJ_DATA = 4,
    PROJ_PLOT_RANGE = 8,
    PROJ_PROPERTY = 16,
    PROJ_INTERIM = 0x80000000u,
};

struct GraphProjectUpdate
{
    uint32_t kind = 0;
    GraphData* data = nullptr; // the series concerned, for PROJ_DATA
    uint32_t dataKind = 0;     // the series' own kind, for PROJ_DATA
};

// The document: ordered series, plot range and display properties. Main thread only.
class GraphProject : public Observable, public Observer
{
public:
    GraphProject();

    int GetCount() const { return static_cast<int>(m_data.size()); }
    // An empty reference (after an assertion) for a bad index.
    std::shared_ptr<GraphData> GetItem(int index) const;
    void Add(std::shared_ptr<GraphData> data);
    void Remove(int index); // does nothing (after an assertion) for a bad index

    // X values are seconds from this instant (ns since 1970, UTC) when the X axis shows
    // time: the origin of the first series added with one (a series with another origin
    // is moved to it). Cleared when the last series goes.
    bool HasTimeOrigin() const { return m_hasTimeOrigin; }
    int64_t GetTimeOrigin() const { return m_timeOrigin; }
    // Gives a project without series its origin ahead of them, as a saved project had it
    // (its first time series may have gone since); false, and nothing changed, when the
    // project has series.
    bool SetTimeOrigin(int64_t nanos);

    ProjectProperty GetProperty() const { return m_property; }
    void SetProperty(const ProjectProperty& property);

    PlotRange GetPlotRange() const { return m_plotRange; }
    void SetPlotRange(double minX, double maxX, double minY, double maxY);
    // Zoom about a point of one axis. A step that would leave a range the view can't
    // show (see IsUsableRange) is dropped, so the range never collapses or overflows.
    void ZoomX(double centre, double factor);
    void ZoomY(double centre, double factor);

    // Data range over all series, or the visible ones only, finite values only. Series
    // without points or with infinities only are skipped. With none considered: DBL_MAX
    // for the minima, -DBL_MAX for the maxima.
    double GetMinX(bool visibleOnly) const;
    double GetMaxX(bool visibleOnly) const;
    double GetMinY(bool visibleOnly) const;
    double GetMaxY(bool visibleOnly) const;

    void SetNotifyEnabled(bool enabled) { m_notifyEnabled = enabled; }
    bool IsNotifyEnabled() const { return m_notifyEnabled; }
    void BeginInterim();
    void EndInterim();
    bool IsInterim() const { return m_interim; }

    void Update(Observable* observable, const ObserverParamBase& param) override;

private:
    void Notify(const GraphProjectUpdate& update);

    std::vector<std::shared_ptr<GraphData>> m_data;
    ProjectProperty m_property;
    PlotRange m_plotRange;
    bool m_notifyEnabled = true;
    bool m_interim = false;
    uint32_t m_pendingKinds = 0;
    bool m_hasTimeOrigin = false;
    int64_t m_timeOrigin = 0;
};

std::shared_ptr<GraphProject> CreateGraphProject();

// The range that shows the finite values of every series considered: the visible ones
// when at least one is visible (or when allSeries is false), else all; a series of
// infinities only counts as absent. An axis whose data has a single value
// is widened by 1 on each side; an axis without data (no series, or no value that is a
// number) is (0, 1).
PlotRange ComputeFitRange(const GraphProject& project, bool allSeries = false);

// The Y range of the finite points of the visible series whose X lies in [minX, maxX],
// widened by 1 on each side when it is a single value; false when there is no such point.
bool ComputeVisibleRangeY(const GraphProject& project, double minX, double maxX, double& minY,
                          double& maxY);
