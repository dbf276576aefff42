#include "ui/ProjectPanelDesign.h"

#include <wx/sizer.h>

ProjectPanelDesign::ProjectPanelDesign(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                       const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_checkListProj = new wxCheckListBox(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0,
                                         nullptr, wxBORDER_STATIC);
    sizer->Add(m_checkListProj, 1, wxALL | wxEXPAND, 5);
    SetSizer(sizer);
    Layout();

    m_checkListProj->Bind(wxEVT_CHECKLISTBOX, &ProjectPanelDesign::CheckListProj_OnToggled, this);
}
