#pragma once

#include <wx/combobox.h>
#include <wx/dialog.h>

// Layout of the separator dialog: a read-only combo box over OK and Cancel.
class SeparatorSettingDlgDesign : public wxDialog
{
public:
    SeparatorSettingDlgDesign(wxWindow* parent, wxWindowID id = wxID_ANY,
                              const wxString& title = wxEmptyString,
                              const wxPoint& pos = wxDefaultPosition,
                              const wxSize& size = wxSize(214, 125),
                              long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);

    wxComboBox* GetComboBox() const { return m_comboBoxSeparator; }

protected:
    wxComboBox* m_comboBoxSeparator = nullptr;

    virtual void ComboBoxSeparator_OnComboBox(wxCommandEvent& event) { event.Skip(); }
};
