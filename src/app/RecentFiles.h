#pragma once

#include <wx/filehistory.h>

class wxConfigBase;

// File > Recent Files: the last imported files, newest first, kept in the configuration
// under "/RecentFiles" so that they outlive the session.
class RecentFiles : public wxFileHistory
{
public:
    static constexpr int MAX_FILES = 9;

    RecentFiles() : wxFileHistory(MAX_FILES) {}

    void LoadFrom(wxConfigBase& config);
    // Puts the file (made absolute) on top and writes the list to the configuration.
    void Remember(const wxString& path, wxConfigBase& config);
    // The folder of the newest file; empty when there is none.
    wxString LastFolder() const;
};
