#pragma once

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/gauge.h>
#include <wx/stattext.h>

// Layout of the progress dialog: message line, gauge and Cancel button.
class ProgressDlgDesign : public wxDialog
{
public:
    ProgressDlgDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                      const wxString& title = wxEmptyString, const wxPoint& pos = wxDefaultPosition,
                      const wxSize& size = wxSize(400, 92), long style = wxCAPTION | wxCLOSE_BOX);

    wxStaticText* GetMessageText() const { return m_staticTextMessage; }
    wxGauge* GetGauge() const { return m_gauge; }
    wxButton* GetCancelButton() const { return m_buttonCancel; }

protected:
    wxStaticText* m_staticTextMessage = nullptr;
    wxGauge* m_gauge = nullptr;
    wxButton* m_buttonCancel = nullptr;

    virtual void OnClose(wxCloseEvent& event) { event.Skip(); }
    virtual void OnIdle(wxIdleEvent& event) { event.Skip(); }
    virtual void OnInitDialog(wxInitDialogEvent& event) { event.Skip(); }
    virtual void ButtonCancel_OnButtonClick(wxCommandEvent& event) { event.Skip(); }
};
