#include "app/commands/ImportCommand.h"

#include <wx/config.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>

#include "app/Application.h"
#include "app/CommandReport.h"
#include "app/MainFrame.h"
#include "app/RecentFiles.h"
#include "app/Settings.h"
#include "app/dialogs/CSVImportOptionDlg.h"
#include "app/dialogs/FileDialogs.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "csv/CSVImporter.h"

void RunImportCommand(MainFrame& frame)
{
    wxFileDialog dlg(&frame, _("Import"), frame.GetRecentFiles().LastFolder(), wxEmptyString,
                     _("CSV files (*.csv)|*.csv|TXT files (*.txt)|*.txt"),
                     wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dlg.ShowModal() != wxID_OK)
        return;
    ImportFile(frame, ChosenPath(dlg), true);
}

bool ImportFile(MainFrame& frame, const wxString& path, bool showOptions)
{
    wxChar separator = ',';
    if (!ChooseSeparator(&frame, path, separator))
        return false;
    return ImportFileWithSeparator(frame, path, separator, showOptions);
}

namespace {

// The option to import, from the dialog or as scanned; false when the user cancelled or
// the option can't be imported (the reason is then shown).
bool ChooseOption(MainFrame& frame, CSVImporter& importer, const wxString& path, wxChar separator,
                  bool showOptions)
{
    const CSVFileInfo info = importer.GetInfo();
    // Refused here, not by an empty dialog whose import would report success.
    if (info.columnCount == 0 || importer.GetOption().dataRows == 0) {
        ShowErrorMessage(&frame, wxString::Format(_("\"%s\" has no data lines to import!"), path));
        return false;
    }
    if (!showOptions) {
        const wxString problem = CheckImportOption(info, importer.GetOption());
        if (!problem.empty())
            ShowErrorMessage(&frame, problem);
        return problem.empty();
    }
    CSVImportOptionDlg dlg(&frame);
    dlg.SetInfo(info);
    dlg.SetOption(importer.GetOption());
    dlg.SetPreview(ReadPreviewLines(path, CSVImportOptionDlg::PREVIEW_LINES), separator);
    if (dlg.ShowModal() != wxID_OK)
        return false;
    importer.SetOption(dlg.GetOption());
    return true;
}

} // namespace

bool ImportFileWithSeparator(MainFrame& frame, const wxString& path, wxChar separator,
                             bool showOptions)
{
    GraphProject& project = *frame.GetProject();
    const bool wasEmpty = project.GetCount() == 0;
    CSVImporter importer(path, project);
    importer.SetSeparator(separator);
    ProgressDlg progress(&frame);
    // The message is read after the scan: argument order is unspecified.
    const ResultCode scanned = importer.ScanInfo(&progress);
    if (!ReportCommandResult(&frame, scanned, importer.GetErrorMessage()))
        return false;
    if (!ChooseOption(frame, importer, path, separator, showOptions))
        return false;
    const ResultCode result = importer.Import(&progress, ReadSetting(SETTING_MIPMAP_RESOLUTION));
    if (!ReportCommandResult(&frame, result, importer.GetErrorMessage()))
        return false;
    if (wasEmpty)
        frame.FitPlotRange(true, true);
    frame.SetStatusMessage(_("Importing is completed!"));
    if (wxConfigBase* config = Application::GetInstance().GetConfig())
        frame.GetRecentFiles().Remember(path, *config);
    return true;
}

void ImportFilesAtStart(MainFrame& frame, const wxArrayString& files, wxChar separator)
{
    if (files.empty())
        return;
    frame.CallAfter([&frame, files, separator] {
        for (const wxString& file : files) {
            if (separator)
                ImportFileWithSeparator(frame, file, separator, false);
            else
                ImportFile(frame, file, false);
        }
    });
}

void RunRecentFileCommand(MainFrame& frame, size_t index)
{
    RecentFiles& recent = frame.GetRecentFiles();
    if (index >= recent.GetCount())
        return;
    const wxString path = recent.GetHistoryFile(index);
    // Checked first: a vanished "txt" file would otherwise ask for its separator.
    if (!wxFileName::FileExists(path)) {
        ShowErrorMessage(&frame, wxString::Format(_("Can't open \"%s\"!"), path));
        return;
    }
    ImportFile(frame, path, true);
}

// The dialogs must not run inside the drag: the import starts once the drop is over.
bool ImportDropTarget::OnDropFiles(wxCoord, wxCoord, const wxArrayString& files)
{
    MainFrame* frame = &m_frame;
    frame->CallAfter([frame, files] {
        for (const wxString& file : files)
            ImportFile(*frame, file, true);
    });
    return true;
}
