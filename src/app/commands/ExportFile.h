#pragma once

#include <wx/string.h>

class wxWindow;

// The save dialog of the export commands. It opens in the folder of the last successful
// export (of either kind, in this run of the program), asks before replacing a file, and
// gives a typed name without an extension the one of the selected filter. False when the
// user cancels; otherwise `path` is the file to write.
bool ChooseExportFile(wxWindow* parent, const wxString& message, const wxString& wildcard,
                      wxString& path);

// Called after an export has written `path`: the next dialog opens in its folder.
void RememberExportFolder(const wxString& path);
// The folder the next export dialog opens in; empty before the first export.
wxString& LastExportFolder();
