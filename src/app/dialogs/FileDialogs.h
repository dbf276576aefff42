#pragma once

#include <wx/string.h>

class wxFileDialog;

// The chosen file of a file dialog that has been accepted. wxGTK answers GetPath() only
// after the GTK chooser really ran; under the test hook the directory and name hold it.
wxString ChosenPath(const wxFileDialog& dlg);

// A typed name without an extension gets the one of the selected filter ("*.pdf" gives
// "report.pdf"); a name with any extension is left as typed.
wxString WithFilterExtension(const wxString& path, const wxString& filterPattern);
