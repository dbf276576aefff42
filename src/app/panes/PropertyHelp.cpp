#include "app/panes/PropertyHelp.h"

#include <wx/translation.h>

namespace {

struct HelpEntry
{
    const char* name;
    const char* text;
};

const HelpEntry PROJECT_HELP[] = {
    {"Information", wxTRANSLATE("Display the information about this project.")},
    {"DataRange", wxTRANSLATE("Display the range of all data.")},
    {"DataRange.MinX", wxTRANSLATE("Display the minimal X-axis value of all data.")},
    {"DataRange.MaxX", wxTRANSLATE("Display the maximum X-axis value of all data.")},
    {"DataRange.MinY", wxTRANSLATE("Display the minimal Y-axis value of all data.")},
    {"DataRange.MaxY", wxTRANSLATE("Display the maximum Y-axis value of all data.")},
    {"Plot", wxTRANSLATE("Please input the graph plotting properties.")},
    {"Axis", wxTRANSLATE("Please input the axes settings.")},
    {"Axis.LabelX", wxTRANSLATE("Please input the label text of X-axis.")},
    {"Axis.LabelY", wxTRANSLATE("Please input the label text of Y-axis.")},
    {"Axis.Font", wxTRANSLATE("Please set the font of the axes.")},
    {"Axis.FontColor", wxTRANSLATE("Please set the font color of the axes.")},
    {"Axis.PositionX",
     wxTRANSLATE("Please input the X-position of the Y-axis label against the graph frame.")},
    {"Axis.PositionY",
     wxTRANSLATE("Please input the Y-position of the X-axis label against the graph frame.")},
    {"BGColor", wxTRANSLATE("Please set the background color of graph frame.")},
    {"Legend", wxTRANSLATE("Please set the legend that names each visible series.")},
    {"Legend.Visible", wxTRANSLATE("Please set whether or not to show the legend.")},
    {"Legend.Position", wxTRANSLATE("Please choose the corner of the graph frame for the legend.")},
    {"Legend.Font", wxTRANSLATE("Please set the font of the legend.")},
    {"Legend.FontColor", wxTRANSLATE("Please set the font color of the legend.")},
    {"Legend.BGColor", wxTRANSLATE("Please set the background color of the legend.")},
    {"Frame", wxTRANSLATE("Please set the graph frame properties.")},
    {"Frame.LineWidth", wxTRANSLATE("Please input the line width of the graph frame.")},
    {"Frame.LineColor", wxTRANSLATE("Please set the line color of the graph frame.")},
    {"Grid", wxTRANSLATE("Please set the grid properties.")},
    {"Grid.EnabledX", wxTRANSLATE("Please set whether or not to show the X-axis grid.")},
    {"Grid.EnabledY", wxTRANSLATE("Please set whether or not to show the Y-axis grid.")},
    {"Grid.AutoX", wxTRANSLATE("Please set whether or not to decide the interval of X-axis grid "
                               "automatically.")},
    {"Grid.AutoY", wxTRANSLATE("Please set whether or not to decide the interval of Y-axis grid "
                               "automatically.")},
    {"Grid.IntervalX", wxTRANSLATE("Please input the interval of X-axis grid.")},
    {"Grid.IntervalY", wxTRANSLATE("Please input the interval of Y-axis grid.")},
    {"Grid.LineWidth", wxTRANSLATE("Please input the line width of the grid.")},
    {"Grid.LineColor", wxTRANSLATE("Please set the line color of the grid.")},
    {"Margin", wxTRANSLATE("Please set the margin of the graph frame.")},
    {"Margin.Top",
     wxTRANSLATE("Please input the top space between the graph frame and the display area.")},
    {"Margin.Bottom",
     wxTRANSLATE("Please input the bottom space between the graph frame and the display area.")},
    {"Margin.Left",
     wxTRANSLATE("Please input the left space between the graph frame and the display area.")},
    {"Margin.Right",
     wxTRANSLATE("Please input the right space between the graph frame and the display area.")},
    {"PlotRange", wxTRANSLATE("Please set the range of the graph.")},
    {"PlotRange.MinX", wxTRANSLATE("Please set the minimal X-axis value of plotted data.")},
    {"PlotRange.MaxX", wxTRANSLATE("Please set the maximum X-axis value of plotted data.")},
    {"PlotRange.MinY", wxTRANSLATE("Please set the minimal Y-axis value of plotted data.")},
    {"PlotRange.MaxY", wxTRANSLATE("Please set the maximum Y-axis value of plotted data.")},
    {"Tick", wxTRANSLATE("Please set the ticks properties.")},
    {"Tick.LineLength", wxTRANSLATE("Please input the line length of the ticks.")},
    {"Tick.LineWidth", wxTRANSLATE("Please input the line width of the ticks.")},
    {"Tick.LineColor", wxTRANSLATE("Please set the line color of the ticks.")},
    {"Tick.Font", wxTRANSLATE("Please set the font of the ticks.")},
    {"Tick.FontColor", wxTRANSLATE("Please set the font color of the ticks.")},
    {"Tick.PositionX",
     wxTRANSLATE("Please input the X-position of the Y-axis tick against the graph frame.")},
    {"Tick.PositionY",
     wxTRANSLATE("Please input the Y-position of the X-axis tick against the graph frame.")},
    {"Tick.FormatX", wxTRANSLATE("Please input the format of X-axis tick value like the printf() "
                                 "function of C language. When it would print two ticks alike, "
                                 "the fewest digits that tell them apart are shown instead.")},
    {"Tick.FormatY", wxTRANSLATE("Please input the format of Y-axis tick value like the printf() "
                                 "function of C language. When it would print two ticks alike, "
                                 "the fewest digits that tell them apart are shown instead.")},
};

const HelpEntry SERIES_HELP[] = {
    {"Information", wxTRANSLATE("Display the information about this graph data.")},
    {"DataRange", wxTRANSLATE("Display the range of this graph  data.")},
    {"DataRange.MinX", wxTRANSLATE("Display the minimal X-axis value of this graph data.")},
    {"DataRange.MaxX", wxTRANSLATE("Display the maximum X-axis value of this graph data.")},
    {"DataRange.MinY", wxTRANSLATE("Display the minimal Y-axis value of this graph data.")},
    {"DataRange.MaxY", wxTRANSLATE("Display the maximum Y-axis value of this graph data.")},
    {"Label", wxTRANSLATE("Please input the label text.")},
    {"Points", wxTRANSLATE("Display the number of the data points.")},
    {"Plot", wxTRANSLATE("Please input the graph plotting properties.")},
    {"Curve", wxTRANSLATE("Please input the curve plotting properties.")},
    {"Curve.LineWidth", wxTRANSLATE("Please input the line width of the graph data.")},
    {"Curve.LineColor", wxTRANSLATE("Please set the line color of the graph data.")},
};

template <size_t N> wxString Lookup(const HelpEntry (&table)[N], const wxString& name)
{
    for (const HelpEntry& entry : table)
        if (name == entry.name)
            return wxGetTranslation(entry.text);
    return wxString();
}

} // namespace

wxString GetProjectPropertyHelp(const wxString& name)
{
    return Lookup(PROJECT_HELP, name);
}

wxString GetSeriesPropertyHelp(const wxString& name)
{
    return Lookup(SERIES_HELP, name);
}
