#include "app/RecentFiles.h"

#include <wx/config.h>
#include <wx/filename.h>

namespace {

const char* const RECENT_FILES_PATH = "/RecentFiles";

} // namespace

void RecentFiles::LoadFrom(wxConfigBase& config)
{
    const wxString previous = config.GetPath();
    config.SetPath(RECENT_FILES_PATH);
    Load(config);
    config.SetPath(previous);
}

void RecentFiles::Remember(const wxString& path, wxConfigBase& config)
{
    wxFileName name(path);
    name.MakeAbsolute();
    AddFileToHistory(name.GetFullPath());
    const wxString previous = config.GetPath();
    config.SetPath(RECENT_FILES_PATH);
    Save(config);
    config.SetPath(previous);
}

wxString RecentFiles::LastFolder() const
{
    return GetCount() > 0 ? wxFileName(GetHistoryFile(0)).GetPath() : wxString();
}
