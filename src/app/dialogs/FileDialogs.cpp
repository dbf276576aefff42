#include "app/dialogs/FileDialogs.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

wxString ChosenPath(const wxFileDialog& dlg)
{
    wxString path = dlg.GetPath();
    if (path.empty())
        path = wxFileName(dlg.GetDirectory(), dlg.GetFilename()).GetFullPath();
    return path;
}

wxString WithFilterExtension(const wxString& path, const wxString& filterPattern)
{
    wxFileName name(path);
    if (name.HasExt())
        return path;
    // "*.pdf" or "*.pdf;*.PDF": the first pattern's extension.
    const wxString first = filterPattern.BeforeFirst(';');
    const wxString ext = first.AfterLast('.');
    if (!first.StartsWith("*.") || ext.empty() || ext.find_first_of("*?") != wxString::npos)
        return path;
    name.SetExt(ext);
    return name.GetFullPath();
}
