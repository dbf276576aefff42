#include "app/commands/ExportFile.h"

#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/tokenzr.h>

#include "app/dialogs/FileDialogs.h"

namespace {

// The pattern of filter `index` in "Label|pattern|Label|pattern...".
wxString FilterPattern(const wxString& wildcard, int index)
{
    const wxArrayString parts = wxStringTokenize(wildcard, "|", wxTOKEN_RET_EMPTY_ALL);
    const size_t at = size_t(index) * 2 + 1;
    return index >= 0 && at < parts.size() ? parts[at] : wxString();
}

} // namespace

wxString& LastExportFolder()
{
    static wxString folder;
    return folder;
}

bool ChooseExportFile(wxWindow* parent, const wxString& message, const wxString& wildcard,
                      wxString& path)
{
    wxFileDialog dlg(parent, message, LastExportFolder(), wxEmptyString, wildcard,
                     wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    const wxString chosen = ChosenPath(dlg);
    const wxString completed =
        WithFilterExtension(chosen, FilterPattern(wildcard, dlg.GetFilterIndex()));
    // The dialog asked only about the name as typed; ask about the one completed here.
    if (completed != chosen && wxFileExists(completed) &&
        wxMessageBox(
            wxString::Format(_("\"%s\" already exists.\nDo you want to replace it?"), completed),
            message, wxYES_NO | wxICON_QUESTION, parent) != wxYES)
        return false;
    path = completed;
    return true;
}

void RememberExportFolder(const wxString& path)
{
    LastExportFolder() = wxFileName(path).GetPath();
}
