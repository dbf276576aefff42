#include "app/commands/ExportCommand.h"

#include <wx/intl.h>

#include "app/CommandReport.h"
#include "app/MainFrame.h"
#include "app/commands/ExportFile.h"
#include "app/dialogs/CSVExportOptionDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "csv/CSVExporter.h"

namespace {

// The user's choice of series and options; false when the dialog is cancelled.
bool ChooseExportOption(MainFrame& frame, GraphProject& project, CSVExportOption& option)
{
    CSVExportOptionDlg dlg(&frame);
    dlg.SetProject(&project);
    dlg.SetOption(CSVExporter::MakeDefaultOption(project));
    if (dlg.ShowModal() != wxID_OK)
        return false;
    option = dlg.GetOption();
    return true;
}

} // namespace

void RunExportCommand(MainFrame& frame)
{
    const auto project = frame.GetProject();
    CSVExportOption option;
    if (!ChooseExportOption(frame, *project, option))
        return;
    wxString path;
    if (!ChooseExportFile(&frame, _("Export"), _("CSV files (*.csv)|*.csv|TXT files (*.txt)|*.txt"),
                          path))
        return;
    wxChar separator = ',';
    if (!ChooseSeparator(&frame, path, separator))
        return;

    CSVExporter exporter(path, *project);
    exporter.SetOption(option);
    exporter.SetSeparator(separator);
    ProgressDlg progress(&frame);
    const ResultCode result = exporter.Export(&progress); // before its message is read
    if (!ReportCommandResult(&frame, result, exporter.GetErrorMessage()))
        return;
    RememberExportFolder(path);
    frame.SetStatusMessage(_("Exporting is completed!"));
}
