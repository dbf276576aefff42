#include "ui/SeparatorSettingDlgDesign.h"

#include <wx/button.h>
#include <wx/sizer.h>

SeparatorSettingDlgDesign::SeparatorSettingDlgDesign(wxWindow* parent, wxWindowID id,
                                                     const wxString& title, const wxPoint& pos,
                                                     const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_comboBoxSeparator = new wxComboBox(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                         wxDefaultSize, 0, nullptr, wxCB_READONLY);
    sizer->Add(m_comboBoxSeparator, 0, wxALL | wxEXPAND, 20);

    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALL | wxEXPAND, 5);

    SetSizer(sizer);
    Layout();
    Centre(wxBOTH);

    m_comboBoxSeparator->Bind(wxEVT_COMBOBOX,
                              &SeparatorSettingDlgDesign::ComboBoxSeparator_OnComboBox, this);
}
