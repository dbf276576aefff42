#pragma once

#include <wx/checklst.h>
#include <wx/panel.h>

// Layout of the series list pane: one check list filling the panel.
class ProjectPanelDesign : public wxPanel
{
public:
    ProjectPanelDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                       const wxPoint& pos = wxDefaultPosition,
                       const wxSize& size = wxSize(150, 200), long style = wxTAB_TRAVERSAL);

    wxCheckListBox* GetCheckList() const { return m_checkListProj; }

protected:
    wxCheckListBox* m_checkListProj = nullptr;

    virtual void CheckListProj_OnToggled(wxCommandEvent& event) { event.Skip(); }
};
