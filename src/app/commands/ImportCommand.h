#pragma once

#include <wx/arrstr.h>
#include <wx/dnd.h>
#include <wx/string.h>

class ColumnCache;
class CommandHost;

// The command Import (File > Import, the toolbar's Import from File): a file dialog in the
// folder of the last import, then ImportFile with the options dialog.
void RunImportCommand(CommandHost& host);

// The import of one chosen file: the separator dialog for a "txt" file (',' for any other),
// then ImportFileWithSeparator. False when it was cancelled or failed.
bool ImportFile(CommandHost& host, const wxString& path, bool showOptions);

// Scans the file through a progress dialog, shows the options dialog (or takes the
// default option), imports with the "/Mipmap/Resolution" setting, fits the view after the
// first import into an empty project and remembers the file among the recent ones.
// Failures show the error box, cancels nothing; either leaves the project as it was.
bool ImportFileWithSeparator(CommandHost& host, const wxString& path, wxChar separator,
                             bool showOptions);

// Files named on the command line: imported one after another once the event loop runs,
// with the default option (a separator of 0 means by the file's extension); a project
// file (".ardentine") opens instead in a window that holds projects. Leading files whose
// prefetch found them in the column cache are imported at once, before the window's first
// picture.
void ImportFilesAtStart(CommandHost& host, const wxArrayString& files, wxChar separator);
// Starts reading from `cache` the files ImportFilesAtStart would import without asking
// anything, while the window is made.
void PrefetchFilesAtStart(const wxArrayString& files, wxChar separator, ColumnCache& cache,
                          int resolution);

// File > Recent Files: imports the index-th recent file as a dropped file is imported, or
// opens it when it is a project.
void RunRecentFileCommand(CommandHost& host, size_t index);

// Files dropped on the main window are imported as through the Import command; a project
// file opens.
class ImportDropTarget : public wxFileDropTarget
{
public:
    explicit ImportDropTarget(CommandHost& host) : m_host(host) {}

    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& files) override;

private:
    CommandHost& m_host;
};
