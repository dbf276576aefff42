#pragma once

#include <wx/string.h>

#include "csv/Separator.h"
#include "ui/SeparatorSettingDlgDesign.h"

// The separator choice for TXT files: tab, semicolon, comma or space.
class SeparatorSettingDlg : public SeparatorSettingDlgDesign
{
public:
    explicit SeparatorSettingDlg(wxWindow* parent);

    // Tab, ';', ',' or ' '; anything else is refused (the separator stays as it was).
    void SetSeparator(wxChar separator);
    wxChar GetSeparator() const { return m_separator; }
    void UpdateComboBox();

protected:
    void ComboBoxSeparator_OnComboBox(wxCommandEvent& event) override;

private:
    wxChar m_separator = ',';
};

// Whether the user is asked for the separator of this file: an extension of exactly "txt".
bool IsSeparatorAsked(const wxString& fileName);

// The separator for a file to import or export: for an extension of exactly "txt" the
// user picks it in the dialog, which starts at `preset` (false when they cancel); for
// anything else it is ','.
bool ChooseSeparator(wxWindow* parent, const wxString& fileName, wxChar& separator,
                     wxChar preset = ',');
