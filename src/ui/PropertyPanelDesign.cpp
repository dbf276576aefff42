#include "ui/PropertyPanelDesign.h"

#include <wx/settings.h>
#include <wx/sizer.h>

PropertyPanelDesign::PropertyPanelDesign(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                         const wxSize& size, long style)
    : wxPanel(parent, id, pos, size, style)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_comboBoxTarget = new wxComboBox(this, wxID_ANY, _("Combo!"), wxDefaultPosition, wxDefaultSize,
                                      0, nullptr, wxCB_DROPDOWN | wxCB_READONLY);
    sizer->Add(m_comboBoxTarget, 0, wxALL | wxEXPAND, 5);

    m_splitter =
        new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_3D, "splitter");
    m_splitter->SetSashGravity(0.9);
    m_propGrid = new wxPropertyGrid(m_splitter, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                    wxPG_AUTO_SORT | wxBORDER_STATIC);
    m_textCtrlHelp =
        new wxTextCtrl(m_splitter, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxTE_MULTILINE | wxTE_READONLY | wxTE_NO_VSCROLL | wxBORDER_STATIC);
    m_textCtrlHelp->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    m_textCtrlHelp->SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    m_splitter->SplitHorizontally(m_propGrid, m_textCtrlHelp);
    sizer->Add(m_splitter, 1, wxEXPAND, 5);
    SetSizer(sizer);
    Layout();

    // The sash goes to its place once the splitter has its real size.
    m_splitter->Bind(wxEVT_IDLE, &PropertyPanelDesign::Splitter_OnIdle, this);
    m_comboBoxTarget->Bind(wxEVT_COMBOBOX, &PropertyPanelDesign::ComboBoxTarget_OnComboBox, this);
    m_propGrid->Bind(wxEVT_PG_CHANGING, &PropertyPanelDesign::PropGrid_OnChanging, this);
    m_propGrid->Bind(wxEVT_PG_CHANGED, &PropertyPanelDesign::PropGrid_OnChanged, this);
    m_propGrid->Bind(wxEVT_PG_SELECTED, &PropertyPanelDesign::PropGrid_OnSelected, this);
}

PropertyPanelDesign::~PropertyPanelDesign()
{
    m_splitter->Unbind(wxEVT_IDLE, &PropertyPanelDesign::Splitter_OnIdle, this);
    m_comboBoxTarget->Unbind(wxEVT_COMBOBOX, &PropertyPanelDesign::ComboBoxTarget_OnComboBox, this);
    m_propGrid->Unbind(wxEVT_PG_CHANGING, &PropertyPanelDesign::PropGrid_OnChanging, this);
    m_propGrid->Unbind(wxEVT_PG_CHANGED, &PropertyPanelDesign::PropGrid_OnChanged, this);
    m_propGrid->Unbind(wxEVT_PG_SELECTED, &PropertyPanelDesign::PropGrid_OnSelected, this);
}

void PropertyPanelDesign::Splitter_OnIdle(wxIdleEvent& event)
{
    m_splitter->SetSashPosition(350);
    m_splitter->Unbind(wxEVT_IDLE, &PropertyPanelDesign::Splitter_OnIdle, this);
    event.Skip();
}
