#pragma once

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/spinctrl.h>

// Layout of the image size dialog: width and height spin controls (10 to 10000), the
// "Same Size As Window" box, OK and Cancel.
class ImageSizeSettingDlgDesign : public wxDialog
{
public:
    static constexpr int MIN_SIDE = 10;
    static constexpr int MAX_SIDE = 10000;

    ImageSizeSettingDlgDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                              const wxString& title = wxEmptyString,
                              const wxPoint& pos = wxDefaultPosition,
                              const wxSize& size = wxSize(214, 150),
                              long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);

    wxSpinCtrl* GetWidthCtrl() const { return m_spinCtrlWidth; }
    wxSpinCtrl* GetHeightCtrl() const { return m_spinCtrlHeight; }
    wxCheckBox* GetSameSizeBox() const { return m_checkBoxSameSize; }

protected:
    wxSpinCtrl* m_spinCtrlWidth = nullptr;
    wxSpinCtrl* m_spinCtrlHeight = nullptr;
    wxCheckBox* m_checkBoxSameSize = nullptr;

    virtual void CheckBoxSameSize_OnCheckBox(wxCommandEvent& event) { event.Skip(); }
};
