#pragma once

#include "model/GraphProject.h"
#include "model/Observer.h"
#include "ui/ProjectPanelDesign.h"

// The text of series `index` (from 0) wherever a list names it: "[01]label".
wxString SeriesItemText(int index, const wxString& label);

// The series list: item i stands for series i; its check box is the series' visibility,
// and the selected item is the series the Delete command acts on.
class ProjectPanel : public ProjectPanelDesign, public Observer
{
public:
    explicit ProjectPanel(wxWindow* parent);
    ~ProjectPanel() override;

    // Observes `project` (not owned; null for none) instead of the previous one.
    void SetProject(GraphProject* project);
    // The selected item, or -1 when nothing is selected.
    int GetSelectedGraphIndex() const;
    // Brings the items in line with the series, changing only what differs.
    void UpdateCheckListProj();

    void Update(Observable* observable, const ObserverParamBase& param) override;
    void Update() override { ProjectPanelDesign::Update(); }

protected:
    void CheckListProj_OnToggled(wxCommandEvent& event) override;

private:
    GraphProject* m_proj = nullptr;
};
