#include "app/dialogs/SeparatorSettingDlg.h"

#include <wx/filename.h>
#include <wx/intl.h>

SeparatorSettingDlg::SeparatorSettingDlg(wxWindow* parent)
    : SeparatorSettingDlgDesign(parent, wxID_ANY, _("Separator Setting"))
{
    for (const SeparatorName& entry : SEPARATORS)
        m_comboBoxSeparator->Append(entry.name);
    UpdateComboBox();
}

void SeparatorSettingDlg::SetSeparator(wxChar separator)
{
    wxCHECK_RET(
        SeparatorIndex(separator) >= 0,
        "L'\\t' == separator || L';' == separator || L',' == separator || L' ' == separator");
    m_separator = separator;
    UpdateComboBox();
}

void SeparatorSettingDlg::UpdateComboBox()
{
    const int index = SeparatorIndex(m_separator);
    wxASSERT_MSG(index >= 0, "unknown separator");
    m_comboBoxSeparator->SetSelection(index >= 0 ? index : 0);
}

void SeparatorSettingDlg::ComboBoxSeparator_OnComboBox(wxCommandEvent&)
{
    const int index = m_comboBoxSeparator->GetSelection();
    wxCHECK_RET(index >= 0 && index < SEPARATOR_COUNT, "index >= 0 && index < SEPARATOR_COUNT");
    m_separator = SEPARATORS[index].character;
}

bool IsSeparatorAsked(const wxString& fileName)
{
    // Case-sensitive on purpose: "data.TXT" is read with commas.
    return wxFileName(fileName).GetExt() == "txt";
}

bool ChooseSeparator(wxWindow* parent, const wxString& fileName, wxChar& separator, wxChar preset)
{
    if (!IsSeparatorAsked(fileName)) {
        separator = ',';
        return true;
    }
    SeparatorSettingDlg dlg(parent);
    dlg.SetSeparator(preset);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    separator = dlg.GetSeparator();
    return true;
}
