#include "app/commands/ExportCommand.h"

#include <wx/intl.h>

#include "app/CommandReport.h"
#include "app/commands/CommandHost.h"
#include "app/commands/ExportFile.h"
#include "app/dialogs/CSVExportOptionDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "app/dialogs/SeparatorSettingDlg.h"
#include "csv/CSVExporter.h"

namespace {

// The user's choice of series and options; false when the dialog is cancelled.
bool ChooseExportOption(wxWindow* parent, GraphProject& project, CSVExportOption& option)
{
    CSVExportOptionDlg dlg(parent);
    dlg.SetProject(&project);
    dlg.SetOption(CSVExporter::MakeDefaultOption(project));
    if (dlg.ShowModal() != wxID_OK)
        return false;
    option = dlg.GetOption();
    return true;
}

} // namespace

void RunExportCommand(CommandHost& host)
{
    wxWindow* parent = host.GetCommandWindow();
    const auto project = host.GetProject();
    CSVExportOption option;
    if (!ChooseExportOption(parent, *project, option))
        return;
    wxString path;
    if (!ChooseExportFile(parent, _("Export"), _("CSV files (*.csv)|*.csv|TXT files (*.txt)|*.txt"),
                          path))
        return;
    wxChar separator = ',';
    if (!ChooseSeparator(parent, path, separator))
        return;

    CSVExporter exporter(path, *project);
    exporter.SetOption(option);
    exporter.SetSeparator(separator);
    ProgressDlg progress(parent);
    const ResultCode result = exporter.Export(&progress); // before its message is read
    if (!ReportCommandResult(parent, result, exporter.GetErrorMessage()))
        return;
    RememberExportFolder(path);
    host.SetStatusMessage(_("Exporting is completed!"));
}
