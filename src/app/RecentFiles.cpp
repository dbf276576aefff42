#include "app/RecentFiles.h"

#include <wx/config.h>
#include <wx/filename.h>

namespace {

// Load and Save work in the configuration's current group: ours for the call, then the
// caller's again.
template <typename Action> void InRecentFilesGroup(wxConfigBase& config, Action action)
{
    const wxString previous = config.GetPath();
    config.SetPath("/RecentFiles");
    action();
    config.SetPath(previous);
}

} // namespace

void RecentFiles::LoadFrom(wxConfigBase& config)
{
    InRecentFilesGroup(config, [&] { Load(config); });
}

void RecentFiles::Remember(const wxString& path, wxConfigBase& config)
{
    wxFileName name(path);
    name.MakeAbsolute();
    AddFileToHistory(name.GetFullPath());
    InRecentFilesGroup(config, [&] { Save(config); });
}

wxString RecentFiles::LastFolder() const
{
    return GetCount() > 0 ? wxFileName(GetHistoryFile(0)).GetPath() : wxString();
}
