#pragma once

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/statbmp.h>

// Layout of the about box: a frameless dialog with a picture area and an OK button.
class AboutDlgDesign : public wxDialog
{
public:
    AboutDlgDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                   const wxString& title = wxEmptyString, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxSize(247, 322), long style = 0);

    wxButton* GetOkButton() const { return m_buttonOK; }

protected:
    wxStaticBitmap* m_bitmap = nullptr;
    wxButton* m_buttonOK = nullptr;

    virtual void OnPaint(wxPaintEvent& event) { event.Skip(); }
    virtual void ButtonOK_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
};
