#include "app/commands/ImportCommand.h"

#include <wx/confbase.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/log.h>

#include "app/CommandReport.h"
#include "app/RecentFiles.h"
#include "app/Settings.h"
#include "app/commands/CommandHost.h"
#include "app/commands/ProjectCommand.h"
#include "app/commands/ProjectHost.h"
#include "app/dialogs/CSVImportOptionDlg.h"
#include "app/dialogs/FileDialogs.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "csv/CSVImporter.h"
#include "csv/ColumnCache.h"
#include "csv/Preview.h"
#include "model/GraphProject.h"
#include "project/ProjectFile.h"
#include "project/ProjectOpen.h"

void RunImportCommand(CommandHost& host)
{
    wxFileDialog dlg(host.GetCommandWindow(), _("Import"), host.GetRecentFiles().LastFolder(),
                     wxEmptyString,
                     _("All data files (*.csv;*.tsv;*.txt;*.dat)|*.csv;*.tsv;*.txt;*.dat|"
                       "CSV files (*.csv)|*.csv|TXT files (*.txt)|*.txt|All files (*)|*"),
                     wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK)
        return;
    ImportFile(host, ChosenPath(dlg), true);
}

bool ImportFile(CommandHost& host, const wxString& path, bool showOptions)
{
    // Asked for "txt" files only, with the separator the file seems to use chosen.
    wxChar separator = 0;
    if (IsSeparatorAsked(path) && !ChooseSeparator(host.GetCommandWindow(), path, separator,
                                                   wxChar(DetectFileSeparator(path))))
        return false;
    return ImportFileWithSeparator(host, path, separator, showOptions);
}

namespace {

// Imports with the option, saying why when it can't; the message's window is `parent`.
bool RunImport(CSVImporter& importer, ProgressDlg& progress, wxConfigBase& config, wxWindow* parent)
{
    const ResultCode result =
        importer.Import(&progress, ReadSetting(config, SETTING_MIPMAP_RESOLUTION));
    return ReportCommandResult(parent, result, importer.GetErrorMessage());
}

// Imports the option from the dialog (whose OK runs the import, and stays open when it
// fails) or as scanned; false when the user cancelled or it failed (the reason shown).
bool ChooseOptionAndImport(wxWindow* parent, CSVImporter& importer, ProgressDlg& progress,
                           wxConfigBase& config, const wxString& path, bool showOptions)
{
    const CSVFileInfo info = importer.GetInfo();
    // Refused here, not by an empty dialog whose import would report success.
    const wxString problem = CheckDefaultImport(path, info, importer.GetOption());
    if (!showOptions || info.columnCount == 0 || importer.GetOption().dataRows == 0) {
        if (!problem.empty()) {
            ShowErrorMessage(parent, problem);
            return false;
        }
        return RunImport(importer, progress, config, parent);
    }
    CSVImportOptionDlg dlg(parent);
    dlg.SetInfo(info);
    dlg.SetPreview(ReadPreviewRecords(
        path, CSVImportOptionDlg::PREVIEW_LINES,
        LineFormat{importer.GetOption().dialect.terminator, importer.GetOption().dialect.quote}));
    dlg.SetOption(importer.GetOption());
    dlg.SetReading(importer.Request(), [&](const DialectRequest& request, CSVFileInfo& newInfo,
                                           CSVImportOption& newOption) {
        importer.Request() = request;
        const ResultCode result = importer.ScanInfo(&progress);
        if (result != ResultCode::SUCCESS)
            return result == ResultCode::CANCELLED ? wxString(_("Cancelled."))
                                                   : importer.GetErrorMessage();
        newInfo = importer.GetInfo();
        newOption = importer.GetOption();
        return wxString();
    });
    bool imported = false;
    dlg.SetAccept([&](const CSVImportOption& option) {
        importer.SetOption(option);
        imported = RunImport(importer, progress, config, &dlg);
        return imported;
    });
    if (dlg.ShowModal() != wxID_OK)
        return false;
    if (imported)
        return true;
    // Closed without its OK handler (as a test closes it).
    importer.SetOption(dlg.GetOption());
    return RunImport(importer, progress, config, parent);
}

// A file given at start-up that is imported without a question first.
bool ImportsUnasked(const wxString& file, wxChar separator)
{
    return !IsProjectFileName(file) && (separator || !IsSeparatorAsked(file));
}

// The importer of ImportFileWithSeparator, before its file is read.
void SetUpImporter(CSVImporter& importer, wxChar separator, ColumnCache* cache)
{
    if (separator)
        importer.SetSeparator(separator);
    importer.SetColumnCache(cache);
}

} // namespace

bool ImportFileWithSeparator(CommandHost& host, const wxString& path, wxChar separator,
                             bool showOptions)
{
    wxWindow* parent = host.GetCommandWindow();
    GraphProject& project = *host.GetProject();
    wxLogDebug("ImportFileWithSeparator(): %s", path);
    const bool wasEmpty = project.GetCount() == 0;
    CSVImporter importer(path, project);
    SetUpImporter(importer, separator, host.GetColumnCache());
    // Without the dialog, an import the cache holds needs neither a scan nor a progress
    // dialog.
    if (showOptions ||
        !importer.ImportCached(ReadSetting(host.GetConfig(), SETTING_MIPMAP_RESOLUTION))) {
        ProgressDlg progress(parent);
        // The message is read after the scan: argument order is unspecified.
        const ResultCode scanned = importer.ScanInfo(&progress);
        if (!ReportCommandResult(parent, scanned, importer.GetErrorMessage()))
            return false;
        if (!ChooseOptionAndImport(parent, importer, progress, host.GetConfig(), path, showOptions))
            return false;
    }
    wxLogDebug("ImportFileWithSeparator(): %s %s", path,
               importer.IsFromCache() ? "from the column cache" : "read");
    if (wasEmpty)
        host.FitPlotRange(true, true);
    if (importer.GetGapCount() > 0)
        host.SetStatusMessage(
            wxString::Format(_("Importing is completed! %lld cells without a value are gaps, the "
                               "first on line %lld."),
                             static_cast<long long>(importer.GetGapCount()),
                             static_cast<long long>(importer.GetFirstGapLine())));
    else
        host.SetStatusMessage(_("Importing is completed!"));
    host.GetRecentFiles().Remember(path, host.GetConfig());
    return true;
}

namespace {

// A project file opens in a window that holds project files (after asking about a modified
// project); any other file is imported.
void OpenOrImport(CommandHost& host, const wxString& path)
{
    auto* projects = dynamic_cast<ProjectHost*>(&host);
    if (!projects || !IsProjectFileName(path))
        ImportFile(host, path, true);
    else if (SaveOrDiscardModified(*projects, _("Open Project")))
        OpenProjectFile(*projects, path);
}

} // namespace

namespace {

// Whether the file, or every file of the project, was read from the cache at start-up: it
// then opens before the first picture, with nothing to ask or show progress for.
bool IsPrefetchedAtStart(CommandHost& host, const wxString& file, wxChar separator)
{
    ColumnCache* cache = host.GetColumnCache();
    const int resolution = ReadSetting(host.GetConfig(), SETTING_MIPMAP_RESOLUTION);
    if (cache && IsProjectFileName(file))
        return ProjectFilesPrefetched(file, resolution, *cache);
    if (!ImportsUnasked(file, separator) || !cache)
        return false;
    auto scratch = CreateGraphProject();
    CSVImporter importer(file, *scratch);
    SetUpImporter(importer, separator, cache);
    return importer.IsPrefetched(resolution);
}

} // namespace

void PrefetchFilesAtStart(const wxArrayString& files, wxChar separator, ColumnCache& cache,
                          int resolution)
{
    auto scratch = CreateGraphProject();
    for (const wxString& file : files) {
        if (IsProjectFileName(file))
            PrefetchProjectFiles(file, resolution, cache);
        if (!ImportsUnasked(file, separator))
            continue;
        CSVImporter importer(file, *scratch);
        SetUpImporter(importer, separator, &cache);
        importer.PrefetchCached(resolution);
    }
}

void ImportFilesAtStart(CommandHost& host, const wxArrayString& files, wxChar separator)
{
    if (files.empty())
        return;
    size_t first = 0;
    for (; first < files.size() && IsPrefetchedAtStart(host, files[first], separator); ++first) {
        if (IsProjectFileName(files[first]))
            OpenOrImport(host, files[first]);
        else
            ImportFileWithSeparator(host, files[first], separator, false);
    }
    host.GetCommandWindow()->CallAfter([&host, files, separator, first] {
        for (size_t k = first; k < files.size(); ++k) {
            const wxString& file = files[k];
            if (IsProjectFileName(file))
                OpenOrImport(host, file);
            else if (separator)
                ImportFileWithSeparator(host, file, separator, false);
            else
                ImportFile(host, file, false);
        }
        if (ColumnCache* cache = host.GetColumnCache())
            cache->DropPrefetches(); // of files that went another way
    });
}

void RunRecentFileCommand(CommandHost& host, size_t index)
{
    RecentFiles& recent = host.GetRecentFiles();
    if (index >= recent.GetCount())
        return;
    const wxString path = recent.GetHistoryFile(index);
    // Checked first: a vanished "txt" file would otherwise ask for its separator.
    if (!wxFileName::FileExists(path)) {
        ShowErrorMessage(host.GetCommandWindow(), wxString::Format(_("Can't open \"%s\"!"), path));
        return;
    }
    OpenOrImport(host, path);
}

// The dialogs must not run inside the drag: the import starts once the drop is over.
bool ImportDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files)
{
    CommandHost* host = &m_host;
    host->GetCommandWindow()->CallAfter([host, files] {
        for (const wxString& file : files)
            OpenOrImport(*host, file);
    });
    return true;
}
