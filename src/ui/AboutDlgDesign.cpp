#include "ui/AboutDlgDesign.h"

#include <wx/intl.h>
#include <wx/sizer.h>

AboutDlgDesign::AboutDlgDesign(wxWindow* parent, wxWindowID id, const wxString& title,
                               const wxPoint& pos, const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    auto* sizer = new wxBoxSizer(wxVERTICAL);

    m_bitmap = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize,
                                  wxBORDER_SUNKEN);
    sizer->Add(m_bitmap, 1, wxEXPAND, 0);

    m_buttonOK =
        new wxButton(this, wxID_OK, _("OK"), wxDefaultPosition, wxDefaultSize, wxBORDER_NONE);
    sizer->Add(m_buttonOK, 0, wxEXPAND, 0);

    SetSizer(sizer);
    Layout();
    Centre(wxBOTH);

    Bind(wxEVT_PAINT, &AboutDlgDesign::OnPaint, this);
    m_buttonOK->Bind(wxEVT_BUTTON, &AboutDlgDesign::ButtonOK_OnButtonClick, this);
}
