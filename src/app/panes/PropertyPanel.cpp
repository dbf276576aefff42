#include "app/panes/PropertyPanel.h"

#include <array>
#include <cmath>

#include <wx/propgrid/advprops.h>
#include <wx/wupdlock.h>

#include "app/panes/ProjectPanel.h"
#include "app/panes/PropertyGridValues.h"
#include "app/panes/PropertyHelp.h"
#include "model/PlotRange.h"
#include "model/PropertyNames.h"
#include "render/AxisTicks.h"

namespace {

const char COMPOSED[] = "<composed>";

// The rows of the "PlotRange" group, in the order of PlotRangeValues.
const char* const PLOT_RANGE_ROWS[4] = {"PlotRange.MinX", "PlotRange.MaxX", "PlotRange.MinY",
                                        "PlotRange.MaxY"};

std::array<double, 4> PlotRangeValues(const PlotRange& r)
{
    return {r.minX, r.maxX, r.minY, r.maxY};
}

// Sets a flag for its lifetime, so that an early return cannot leave it set.
class FlagScope
{
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_old; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_old;
};

wxColour ColourOf(const wxVariant& value)
{
    wxColour colour;
    if (value.GetType() == "wxColourPropertyValue") {
        wxColourPropertyValue cpv;
        cpv << value;
        colour = cpv.m_colour;
    } else {
        colour << value;
    }
    return colour;
}

wxFont FontOf(const wxVariant& value)
{
    wxFont font;
    font << value;
    return font;
}

wxPGProperty* CreateFieldProperty(const ProjectPropertyField& field, const wxString& label,
                                  const ProjectProperty& prop)
{
    switch (field.kind) {
    case PropertyKind::Colour: {
        auto* p = new wxColourProperty(label, wxPG_LABEL, ToWxColour(prop.*field.colour));
        p->SetAttribute(wxPG_COLOUR_HAS_ALPHA, true);
        return p;
    }
    case PropertyKind::Double:
        return field.min <= field.max
                   ? new ExactFloatProperty(label, prop.*field.number, field.min, field.max)
                   : new ExactFloatProperty(label, prop.*field.number);
    case PropertyKind::Bool: {
        auto* p = new wxBoolProperty(label, wxPG_LABEL, prop.*field.flag);
        p->SetAttribute(wxPG_BOOL_USE_CHECKBOX, true);
        return p;
    }
    case PropertyKind::Font:
        return new wxFontProperty(label, wxPG_LABEL, ToWxFont(prop.*field.font));
    case PropertyKind::Text:
        if (field.choices) {
            wxPGChoices choices;
            int selected = 0;
            for (int i = 0; i < field.choiceCount; ++i) {
                choices.Add(field.choices[i], i);
                if (prop.*field.text == field.choices[i])
                    selected = i;
            }
            return new wxEnumProperty(label, wxPG_LABEL, choices, selected);
        }
        return new wxStringProperty(label, wxPG_LABEL, prop.*field.text);
    }
    return nullptr;
}

// Stores the grid's value of one field. Colours and fonts are converted only when they
// differ from the stored value, so an untouched field keeps every detail (the toolkit
// fills in a face name the model leaves empty).
void ReadField(const ProjectPropertyField& field, const wxPGProperty& property,
               ProjectProperty& prop)
{
    const wxVariant value = property.GetValue();
    switch (field.kind) {
    case PropertyKind::Colour:
        if (ColourOf(value) != ToWxColour(prop.*field.colour))
            prop.*field.colour = FromWxColour(ColourOf(value));
        break;
    case PropertyKind::Double:
        prop.*field.number = value.GetDouble();
        break;
    case PropertyKind::Bool:
        prop.*field.flag = value.GetBool();
        break;
    case PropertyKind::Font:
        if (FontOf(value) != ToWxFont(prop.*field.font))
            prop.*field.font = FromWxFont(FontOf(value));
        break;
    case PropertyKind::Text:
        if (field.choices) {
            const long index = value.GetLong();
            if (index >= 0 && index < field.choiceCount)
                prop.*field.text = field.choices[index];
        } else {
            prop.*field.text = value.GetString();
        }
        break;
    }
}

// The interval a user starts from when an axis stops being automatic and no interval
// was ever drawn: about ten lines over the plot range.
double StartingInterval(double min, double max)
{
    const double span = max - min;
    return std::isfinite(span) && span > 0 ? Round125(span / 10) : 1.0;
}

} // namespace

PropertyPanel::PropertyPanel(wxWindow* parent) : PropertyPanelDesign(parent)
{
    ClearPropertyList();
    m_propGrid->Bind(wxEVT_PG_COL_END_DRAG, [this](wxPropertyGridEvent& event) {
        m_splitterMoved = true;
        event.Skip();
    });
}

PropertyPanel::~PropertyPanel()
{
    SetProject(nullptr);
}

void PropertyPanel::SetProject(GraphProject* project)
{
    if (project == m_proj)
        return;
    // A project destroyed meanwhile has already broken the link.
    if (m_proj && IsObserving(m_proj))
        m_proj->Detach(this);
    m_proj = project;
    m_intervalX = m_intervalY = 0.0; // nothing drawn of this project yet
    if (!m_proj) {
        m_comboBoxTarget->Clear();
        ClearPropertyList();
        m_textCtrlHelp->Clear();
        return;
    }
    m_proj->Attach(this);
    UpdateTargetList();
}

void PropertyPanel::UpdateTargetList()
{
    const int old = m_comboBoxTarget->GetSelection();
    m_comboBoxTarget->Clear();
    if (!m_proj)
        return;
    m_comboBoxTarget->Append(_("Project"));
    for (int i = 0; i < m_proj->GetCount(); ++i)
        m_comboBoxTarget->Append(SeriesItemText(i, m_proj->GetItem(i)->GetLabel()));
    const int last = static_cast<int>(m_comboBoxTarget->GetCount()) - 1;
    m_comboBoxTarget->SetSelection(old < 0 ? 0 : std::min(old, last));
    UpdatePropertyList(UPDATE_ALL);
}

void PropertyPanel::UpdatePropertyList(UpdateMode mode)
{
    if (!m_proj)
        return;
    const int sel = m_comboBoxTarget->GetSelection();
    switch (mode) {
    case UPDATE_ALL:
        RebuildGrid(sel);
        break;
    case UPDATE_PLOT_RANGE:
        if (sel == 0) {
            const std::array<double, 4> values = PlotRangeValues(m_proj->GetPlotRange());
            for (int i = 0; i < 4; ++i)
                if (wxPGProperty* p = Handle(PLOT_RANGE_ROWS[i]))
                    p->SetValue(values[i]);
        }
        break;
    case UPDATE_PROJ_PROP:
        if (sel == 0)
            RebuildGrid(sel);
        break;
    case UPDATE_GRAPH_PROP:
        if (sel > 0)
            RebuildGrid(sel);
        break;
    }
}

// The same target keeps its selected row, scroll position and open groups: a rebuild
// must not move the row the user is about to edit from under the pointer.
void PropertyPanel::RebuildGrid(int target)
{
    const bool same = target == m_shownTarget;
    const wxString state = same ? m_propGrid->SaveEditableState(wxPropertyGrid::SelectionState |
                                                                wxPropertyGrid::ScrollPosState |
                                                                wxPropertyGrid::ExpandedState)
                                : wxString();
    wxWindowUpdateLocker noFlicker(m_propGrid);
    ClearPropertyList();
    if (target == 0)
        AppendProjectProperty();
    else if (target > 0)
        AppendGraphProperty(target - 1);
    m_shownTarget = target;
    if (!m_splitterMoved)
        m_propGrid->SetSplitterLeft(true);
    if (!same)
        return;
    m_propGrid->RestoreEditableState(state, wxPropertyGrid::SelectionState |
                                                wxPropertyGrid::ScrollPosState |
                                                wxPropertyGrid::ExpandedState);
    if (const wxPGProperty* selected = m_propGrid->GetSelection())
        ShowHelp(*selected);
}

void PropertyPanel::ShowHelp(const wxPGProperty& property)
{
    const int sel = m_comboBoxTarget->GetSelection();
    if (!m_proj || sel < 0)
        return;
    const wxString name = property.GetName();
    m_textCtrlHelp->SetValue(
        name + "\n\n" + (sel == 0 ? GetProjectPropertyHelp(name) : GetSeriesPropertyHelp(name)));
}

void PropertyPanel::ClearPropertyList()
{
    m_shownTarget = -1;
    m_handles.clear();
    m_propGrid->Clear();
    m_textCtrlHelp->Clear(); // no property is selected any more
}

wxPGProperty* PropertyPanel::Handle(const wxString& name) const
{
    const auto it = m_handles.find(name);
    return it == m_handles.end() ? nullptr : it->second;
}

wxPGProperty* PropertyPanel::Add(wxPGProperty* parent, wxPGProperty* property)
{
    wxPGProperty* p = m_propGrid->AppendIn(parent, property);
    m_handles[p->GetName()] = p;
    return p;
}

wxPGProperty* PropertyPanel::AppendGroup(wxPGProperty* parent, const wxString& name)
{
    // Its text is read-only: committing it would re-parse every child from the text,
    // past the children's own checks.
    wxPGProperty* group = Add(parent, new wxStringProperty(name, wxPG_LABEL, COMPOSED));
    group->ChangeFlag(wxPG_PROP_READONLY, true);
    return group;
}

void PropertyPanel::AppendDataRange(wxPGProperty* category, double minX, double maxX, double minY,
                                    double maxY)
{
    wxPGProperty* group = AppendGroup(category, "DataRange");
    const struct
    {
        const char* name;
        wxString label;
        double value;
        bool known; // nothing to show for an axis without data
    } rows[] = {{"MinX", _("MinX"), minX, minX <= maxX},
                {"MaxX", _("MaxX"), maxX, minX <= maxX},
                {"MinY", _("MinY"), minY, minY <= maxY},
                {"MaxY", _("MaxY"), maxY, minY <= maxY}};
    for (const auto& row : rows) {
        auto* p = new ExactFloatProperty(row.label, row.value);
        p->SetName(row.name);
        if (wxString(row.name).EndsWith("X") && m_proj->HasTimeOrigin())
            p->ShowAsTime(m_proj->GetTimeOrigin());
        if (!row.known)
            p->SetValueToUnspecified();
        Add(group, p);
    }
    m_propGrid->EnableProperty(group, false);
}

void PropertyPanel::AppendProjectProperty()
{
    const ProjectProperty prop = m_proj->GetProperty();

    wxPGProperty* info = m_propGrid->Append(new wxPropertyCategory("Information"));
    AppendDataRange(info, m_proj->GetMinX(false), m_proj->GetMaxX(false), m_proj->GetMinY(false),
                    m_proj->GetMaxY(false));

    wxPGProperty* plot = m_propGrid->Append(new wxPropertyCategory("Plot"));
    wxPGProperty* plotRange = AppendGroup(plot, "PlotRange");
    const std::array<double, 4> values = PlotRangeValues(m_proj->GetPlotRange());
    for (int i = 0; i < 4; ++i) {
        auto* p = new ExactFloatProperty(wxString(PLOT_RANGE_ROWS[i]).AfterFirst('.'), values[i]);
        // On a time axis X reads and is typed as ISO 8601 text.
        if (i < 2 && m_proj->HasTimeOrigin())
            p->ShowAsTime(m_proj->GetTimeOrigin());
        Add(plotRange, p);
    }

    std::map<wxString, wxPGProperty*> groups;
    for (const ProjectPropertyField& field : ProjectPropertyFields()) {
        const wxString name = field.name;
        wxPGProperty* parent = plot;
        wxString label = name;
        if (name.Contains(".")) {
            wxPGProperty*& group = groups[name.BeforeFirst('.')];
            if (!group)
                group = AppendGroup(plot, name.BeforeFirst('.'));
            parent = group;
            label = name.AfterFirst('.');
        }
        Add(parent, CreateFieldProperty(field, label, prop));
    }
    m_propGrid->EnableProperty(Handle("Grid.IntervalX"), !prop.gridAutoX);
    m_propGrid->EnableProperty(Handle("Grid.IntervalY"), !prop.gridAutoY);
    ShowIntervalsInUse();
}

void PropertyPanel::SetIntervalsInUse(double x, double y)
{
    m_intervalX = x;
    m_intervalY = y;
    ShowIntervalsInUse();
}

// An automatic axis shows the interval in use, read-only; unknown until a frame is drawn.
void PropertyPanel::ShowIntervalsInUse()
{
    if (!m_proj)
        return;
    const ProjectProperty prop = m_proj->GetProperty();
    const struct
    {
        const char* name;
        bool automatic;
        double interval;
    } axes[] = {{"Grid.IntervalX", prop.gridAutoX, m_intervalX},
                {"Grid.IntervalY", prop.gridAutoY, m_intervalY}};
    for (const auto& axis : axes) {
        wxPGProperty* p = Handle(axis.name);
        if (!p || !axis.automatic)
            continue;
        if (axis.interval > 0)
            p->SetValue(axis.interval);
        else
            p->SetValueToUnspecified();
    }
}

void PropertyPanel::AppendGraphProperty(int index)
{
    wxASSERT(index < m_proj->GetCount());
    const auto data = m_proj->GetItem(index);
    if (!data)
        return;
    wxPGProperty* info = m_propGrid->Append(new wxPropertyCategory("Information"));
    Add(info, new wxStringProperty("Label", wxPG_LABEL, data->GetLabel()));
    wxPGProperty* points =
        Add(info, new wxIntProperty("Points", wxPG_LABEL,
                                    wxLongLong(static_cast<wxLongLong_t>(data->GetCount()))));
    m_propGrid->EnableProperty(points, false);
    double minX = DBL_MAX, maxX = -DBL_MAX;
    data->GetRangeX(minX, maxX); // leaves them crossed for a series without points
    const MinMax y = data->GetRangeY();
    AppendDataRange(info, minX, maxX, y.min, y.max);

    wxPGProperty* plot = m_propGrid->Append(new wxPropertyCategory("Plot"));
    wxPGProperty* curve = AppendGroup(plot, "Curve");
    const LineStyle style = data->GetLineStyle();
    Add(curve, new ExactFloatProperty("LineWidth", style.width, SERIES_LINE_WIDTH_MIN,
                                      SERIES_LINE_WIDTH_MAX));
    auto* colour = new wxColourProperty("LineColor", wxPG_LABEL, ToWxColour(style.colour));
    colour->SetAttribute(wxPG_COLOUR_HAS_ALPHA, true);
    Add(curve, colour);
}

void PropertyPanel::Update(Observable*, const ObserverParamBase& param)
{
    const auto* p = dynamic_cast<const ObserverParam<GraphProjectUpdate>*>(&param);
    if (m_updating || !p || !m_proj)
        return;
    const uint32_t kind = p->GetValue().kind;
    const uint32_t dataKind = p->GetValue().dataKind;
    if ((kind & (PROJ_ADD | PROJ_REMOVE)) || ((kind & PROJ_DATA) && (dataKind & DATA_LABEL))) {
        UpdateTargetList();
    } else if (kind & PROJ_PROPERTY) {
        UpdatePropertyList(UPDATE_PROJ_PROP);
    } else if ((kind & PROJ_PLOT_RANGE) && !(kind & PROJ_INTERIM)) {
        UpdatePropertyList(UPDATE_PLOT_RANGE);
    } else if ((kind & PROJ_DATA) && (dataKind & DATA_LINE)) {
        UpdatePropertyList(UPDATE_GRAPH_PROP);
    } else if ((kind & PROJ_DATA) && (dataKind & DATA_VALUES)) {
        // A file read again or grown: the points and ranges shown change. Its series all
        // change at once, and the picture comes first: one update, after them.
        if (!m_valuesPending) {
            m_valuesPending = true;
            CallAfter([this] {
                m_valuesPending = false;
                if (m_proj)
                    UpdatePropertyList(UPDATE_ALL);
            });
        }
    }
}

void PropertyPanel::ComboBoxTarget_OnComboBox(wxCommandEvent&)
{
    UpdatePropertyList(UPDATE_ALL);
}

void PropertyPanel::PropGrid_OnSelected(wxPropertyGridEvent& event)
{
    if (const wxPGProperty* property = event.GetProperty())
        ShowHelp(*property);
}

wxString PropertyPanel::RefusalOfChange(const wxString& name, const wxVariant& value) const
{
    if (m_comboBoxTarget->GetSelection() != 0)
        return wxString();
    if (name.StartsWith("PlotRange.")) {
        // Judged on the values as they would be after this edit.
        double v[4];
        for (int i = 0; i < 4; ++i) {
            const wxPGProperty* p = Handle(PLOT_RANGE_ROWS[i]);
            v[i] = name == PLOT_RANGE_ROWS[i] ? value.GetDouble()
                   : p                        ? p->GetValue().GetDouble()
                                              : NAN;
        }
        if (!IsUsableAxis(v[0], v[1]) || !IsUsableAxis(v[2], v[3]))
            return _("The minimum must be less than the maximum, with a finite range between.");
    } else if (const ProjectPropertyField* field = FindProjectPropertyField(name);
               field && field->refusal) {
        // The table's rules beyond plain limits, which the command line applies too.
        const bool taken = field->kind == PropertyKind::Double
                               ? IsWithinLimits(*field, value.GetDouble())
                               : IsAcceptedText(*field, value.GetString());
        if (!taken)
            return wxGetTranslation(field->refusal);
    }
    return wxString();
}

void PropertyPanel::PropGrid_OnChanging(wxPropertyGridEvent& event)
{
    const wxPGProperty* property = event.GetProperty();
    if (!property)
        return;
    // A group's text would re-parse every child past its checks; its editor is read-only,
    // and this also stops a commit that bypasses the editor.
    if (!m_proj || property->HasFlag(wxPG_PROP_READONLY)) {
        event.Veto();
        event.SetValidationFailureBehavior(0); // nothing to tell the user
        return;
    }
    const wxString refusal = RefusalOfChange(property->GetName(), event.GetValue());
    if (!refusal.empty()) {
        event.Veto();
        event.SetValidationFailureMessage(refusal);
    }
}

void PropertyPanel::PropGrid_OnChanged(wxPropertyGridEvent& event)
{
    const wxPGProperty* property = event.GetProperty();
    const int sel = m_comboBoxTarget->GetSelection();
    if (!m_proj || !property || sel < 0)
        return;
    // The grid sends the event for a child, then for its group: only the group's acts,
    // and it re-reads the whole group.
    if (property->GetParent() && !property->GetParent()->IsCategory() &&
        !property->GetParent()->IsRoot())
        return;
    const wxString name = property->GetName();
    if (sel == 0) {
        WriteProjectGroup(name);
    } else if (sel <= m_proj->GetCount()) {
        WriteSeriesGroup(sel - 1, name);
    }
}

void PropertyPanel::WriteProjectGroup(const wxString& group)
{
    FlagScope updating(m_updating);
    if (group == "PlotRange") {
        double v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = Handle(PLOT_RANGE_ROWS[i])->GetValue().GetDouble();
        if (IsUsableAxis(v[0], v[1]) && IsUsableAxis(v[2], v[3]))
            m_proj->SetPlotRange(v[0], v[1], v[2], v[3]);
        else
            UpdatePropertyList(UPDATE_PLOT_RANGE);
        return;
    }
    ProjectProperty prop = m_proj->GetProperty();
    if (group == "Grid") {
        WriteGridGroup(prop);
        return;
    }
    bool known = false;
    for (const ProjectPropertyField& field : ProjectPropertyFields()) {
        const wxString name = field.name;
        if (name == group || (name.BeforeFirst('.') == group && name.Contains("."))) {
            if (const wxPGProperty* p = Handle(name))
                ReadField(field, *p, prop);
            known = true;
        }
    }
    if (known)
        m_proj->SetProperty(prop);
}

void PropertyPanel::WriteGridGroup(ProjectProperty& prop)
{
    const bool oldX = prop.gridAutoX, oldY = prop.gridAutoY;
    for (const char* name : {"Grid.EnabledX", "Grid.EnabledY", "Grid.AutoX", "Grid.AutoY",
                             "Grid.LineWidth", "Grid.LineColor"})
        ReadField(*FindProjectPropertyField(name), *Handle(name), prop);
    // While an axis is automatic its interval row shows the interval in use, not a manual
    // value.
    if (!oldX)
        prop.gridIntervalX = Handle("Grid.IntervalX")->GetValue().GetDouble();
    if (!oldY)
        prop.gridIntervalY = Handle("Grid.IntervalY")->GetValue().GetDouble();
    // An axis made manual starts from the interval in use, so the lines stay where they
    // were; with none drawn, from its earlier manual value, else about ten lines.
    const PlotRange range = m_proj->GetPlotRange();
    const auto starting = [](double inUse, double stored, double min, double max) {
        if (inUse > 0 && std::isfinite(inUse))
            return inUse;
        return stored > 0 && std::isfinite(stored) ? stored : StartingInterval(min, max);
    };
    if (oldX && !prop.gridAutoX)
        prop.gridIntervalX = starting(m_intervalX, prop.gridIntervalX, range.minX, range.maxX);
    if (oldY && !prop.gridAutoY)
        prop.gridIntervalY = starting(m_intervalY, prop.gridIntervalY, range.minY, range.maxY);
    m_proj->SetProperty(prop);

    const struct
    {
        const char* name;
        bool oldAuto, newAuto;
        double interval;
    } axes[] = {{"Grid.IntervalX", oldX, prop.gridAutoX, prop.gridIntervalX},
                {"Grid.IntervalY", oldY, prop.gridAutoY, prop.gridIntervalY}};
    for (const auto& axis : axes) {
        wxPGProperty* p = Handle(axis.name);
        if (axis.oldAuto && !axis.newAuto)
            p->SetValue(axis.interval);
        m_propGrid->EnableProperty(p, !axis.newAuto);
    }
    ShowIntervalsInUse();
}

void PropertyPanel::WriteSeriesGroup(int index, const wxString& group)
{
    const auto data = m_proj->GetItem(index);
    if (!data)
        return;
    FlagScope updating(m_updating);
    if (group == "Label") {
        data->SetLabel(Handle("Label")->GetValue().GetString());
        // Only the item's text changes: rebuilding the grid here would delete the
        // property whose event is being handled.
        const int item = index + 1;
        m_comboBoxTarget->SetString(static_cast<unsigned>(item),
                                    SeriesItemText(index, data->GetLabel()));
        // GTK keeps showing the old text of the selected item until it is selected anew.
        m_comboBoxTarget->SetSelection(wxNOT_FOUND);
        m_comboBoxTarget->SetSelection(item);
    } else if (group == "Curve") {
        LineStyle style = data->GetLineStyle();
        style.width = Handle("Curve.LineWidth")->GetValue().GetDouble();
        const wxColour colour = ColourOf(Handle("Curve.LineColor")->GetValue());
        if (colour != ToWxColour(style.colour))
            style.colour = FromWxColour(colour);
        data->SetLineStyle(style);
    }
}
