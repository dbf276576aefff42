#include "ui/ImageSizeSettingDlgDesign.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

ImageSizeSettingDlgDesign::ImageSizeSettingDlgDesign(wxWindow* parent, wxWindowID id,
                                                     const wxString& title, const wxPoint& pos,
                                                     const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    auto* grid = new wxFlexGridSizer(2, 2, 0, 0);
    grid->AddGrowableCol(1);
    grid->SetFlexibleDirection(wxBOTH);
    auto addRow = [&](const wxString& label, int initial) {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALL | wxALIGN_CENTER_VERTICAL, 5);
        auto* spin = new wxSpinCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                    wxSP_ARROW_KEYS, MIN_SIDE, MAX_SIDE, initial);
        grid->Add(spin, 0, wxALL | wxEXPAND, 5);
        return spin;
    };
    m_spinCtrlWidth = addRow(_("Width:"), 640);
    m_spinCtrlHeight = addRow(_("Height:"), 480);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND);
    m_checkBoxSameSize = new wxCheckBox(this, wxID_ANY, _("Same Size As Window"));
    sizer->Add(m_checkBoxSameSize, 0, wxALL, 5);

    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxALL | wxEXPAND, 5);

    SetSizer(sizer);
    // Never smaller than the controls need, whatever the initial size says.
    SetMinSize(sizer->GetMinSize() + (GetSize() - GetClientSize()));
    wxSize initial = GetSize();
    initial.IncTo(GetMinSize());
    SetSize(initial);
    Layout();
    Centre(wxBOTH);

    m_checkBoxSameSize->Bind(wxEVT_CHECKBOX,
                             &ImageSizeSettingDlgDesign::CheckBoxSameSize_OnCheckBox, this);
}
