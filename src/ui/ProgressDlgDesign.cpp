#include "ui/ProgressDlgDesign.h"

#include <wx/intl.h>
#include <wx/sizer.h>

ProgressDlgDesign::ProgressDlgDesign(wxWindow* parent, wxWindowID id, const wxString& title,
                                     const wxPoint& pos, const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    auto* sizer = new wxBoxSizer(wxVERTICAL);

    m_staticTextMessage = new wxStaticText(this, wxID_ANY, _("Now processing..."),
                                           wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
    sizer->Add(m_staticTextMessage, 0, wxALL | wxEXPAND, 5);

    m_gauge = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxDefaultSize, wxGA_HORIZONTAL);
    m_gauge->SetValue(0);
    sizer->Add(m_gauge, 0, wxLEFT | wxRIGHT | wxEXPAND, 5);

    m_buttonCancel = new wxButton(this, wxID_CANCEL, _("Cancel"));
    sizer->Add(m_buttonCancel, 0, wxALL | wxALIGN_RIGHT, 5);

    SetSizer(sizer);
    Layout();
    Centre(wxBOTH);

    Bind(wxEVT_CLOSE_WINDOW, &ProgressDlgDesign::OnClose, this);
    Bind(wxEVT_IDLE, &ProgressDlgDesign::OnIdle, this);
    Bind(wxEVT_INIT_DIALOG, &ProgressDlgDesign::OnInitDialog, this);
    m_buttonCancel->Bind(wxEVT_BUTTON, &ProgressDlgDesign::ButtonCancel_OnButtonClick, this);
}
