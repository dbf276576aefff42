#include "app/commands/CalculateCommand.h"

#include <wx/confbase.h>
#include <wx/intl.h>

#include "app/CommandReport.h"
#include "app/Settings.h"
#include "app/commands/CommandHost.h"
#include "app/dialogs/CalculatorDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "formula/FormulaCalculator.h"
#include "model/GraphProject.h"

namespace {

// Shows the dialog until the calculator accepts its formula; false when the user cancels.
// After a rejected formula the dialog comes back with everything typed and the cursor at
// the fault.
bool AskForCompiledFormula(wxWindow* parent, CalculatorDlg& dlg, FormulaCalculator& calculator)
{
    while (dlg.ShowModal() == wxID_OK) {
        calculator.SetFormula(dlg.GetFormula());
        calculator.SetDataX(dlg.GetDataX());
        int64_t origin = 0;
        if (dlg.GetTimeOrigin(origin))
            calculator.SetTimeOrigin(origin);
        calculator.SetSize(dlg.GetDataSize());
        calculator.SetLabel(dlg.GetNewLabel());
        if (calculator.Compile())
            return true;
        ShowErrorMessage(parent, calculator.GetErrorMessage());
        dlg.SetFormulaCursor(calculator.GetErrorPosition());
    }
    return false;
}

} // namespace

void RunCalculateCommand(CommandHost& host)
{
    wxWindow* parent = host.GetCommandWindow();
    wxConfigBase& config = host.GetConfig();
    GraphProject& project = *host.GetProject();
    const bool wasEmpty = project.GetCount() == 0;
    FormulaCalculator calculator(&project);
    CalculatorDlg dlg(parent);
    dlg.SetProject(&project);
    dlg.SetFormula(ReadSetting(config, SETTING_CALCULATOR_FORMULA));
    if (!AskForCompiledFormula(parent, dlg, calculator))
        return;
    config.Write(SETTING_CALCULATOR_FORMULA.key, dlg.GetFormula());

    ProgressDlg progress(parent);
    const ResultCode result =
        calculator.Run(ReadSetting(config, SETTING_MIPMAP_RESOLUTION), &progress);
    if (!ReportCommandResult(parent, result, calculator.GetErrorMessage()))
        return;
    if (wasEmpty)
        host.FitPlotRange(true, true);
    host.SetStatusMessage(_("Calculating the image is completed!"));
}
