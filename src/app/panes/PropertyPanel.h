#pragma once

#include <map>

#include "model/GraphProject.h"
#include "model/Observer.h"
#include "ui/PropertyPanelDesign.h"

// The property grid of the project (item 0 of the target drop-down) or of one series
// (item k for the series at index k - 1). Edits are written back a whole group at a time
// ("Margin", "Grid", "Curve", ...); the group rows themselves are read-only, so every
// value passes its own property's checks.
class PropertyPanel : public PropertyPanelDesign, public Observer
{
public:
    enum UpdateMode
    {
        UPDATE_ALL,
        UPDATE_PLOT_RANGE,
        UPDATE_PROJ_PROP,
        UPDATE_GRAPH_PROP,
    };

    explicit PropertyPanel(wxWindow* parent);
    ~PropertyPanel() override;

    // Observes `project` (not owned; null for none) instead of the previous one. Null
    // empties the drop-down, the grid and the help text.
    void SetProject(GraphProject* project);
    // Refills the drop-down (keeping the selected index where it still exists) and
    // rebuilds the grid.
    void UpdateTargetList();
    void UpdatePropertyList(UpdateMode mode);

    // The grid intervals the graph pane last drew (0 or less: none), shown in the rows of
    // the automatic axes; the project keeps "automatic" as it is.
    void SetIntervalsInUse(double x, double y);

    void Update(Observable* observable, const ObserverParamBase& param) override;
    void Update() override { PropertyPanelDesign::Update(); }

protected:
    void ComboBoxTarget_OnComboBox(wxCommandEvent& event) override;
    void PropGrid_OnChanging(wxPropertyGridEvent& event) override;
    void PropGrid_OnChanged(wxPropertyGridEvent& event) override;
    void PropGrid_OnSelected(wxPropertyGridEvent& event) override;

private:
    void ClearPropertyList();
    void RebuildGrid(int target);
    void ShowHelp(const wxPGProperty& property);
    void AppendProjectProperty();
    void AppendGraphProperty(int index);
    wxPGProperty* AppendGroup(wxPGProperty* parent, const wxString& name);
    wxPGProperty* Add(wxPGProperty* parent, wxPGProperty* property);
    void AppendDataRange(wxPGProperty* category, double minX, double maxX, double minY,
                         double maxY);
    wxPGProperty* Handle(const wxString& name) const;

    wxString RefusalOfChange(const wxString& name, const wxVariant& value) const;
    void WriteProjectGroup(const wxString& group);
    void WriteGridGroup(ProjectProperty& prop);
    void WriteSeriesGroup(int index, const wxString& group);
    void ShowIntervalsInUse();

    GraphProject* m_proj = nullptr;
    // The grid's editable properties by full name; emptied whenever the grid is cleared.
    std::map<wxString, wxPGProperty*> m_handles;
    // True while the panel itself writes into the project: its notifications are ignored.
    bool m_updating = false;
    bool m_valuesPending = false; // grown series: the list is brought up to date once, later
    int m_shownTarget = -1;       // the drop-down item whose grid is shown
    bool m_splitterMoved = false; // by the user: the label column is then theirs
    double m_intervalX = 0.0;     // in use, as last drawn
    double m_intervalY = 0.0;
};
