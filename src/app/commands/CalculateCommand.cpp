#include "app/commands/CalculateCommand.h"

#include <wx/intl.h>

#include "app/Application.h"
#include "app/CommandReport.h"
#include "app/MainFrame.h"
#include "app/Settings.h"
#include "app/dialogs/CalculatorDlg.h"
#include "app/dialogs/ProgressDlg.h"
#include "formula/FormulaCalculator.h"

namespace {

// Shows the dialog until the calculator accepts its formula; false when the user cancels.
// After a rejected formula the dialog comes back with everything typed and the cursor at
// the fault.
bool AskForCompiledFormula(MainFrame& frame, CalculatorDlg& dlg, FormulaCalculator& calculator)
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
        ShowErrorMessage(&frame, calculator.GetErrorMessage());
        dlg.SetFormulaCursor(calculator.GetErrorPosition());
    }
    return false;
}

} // namespace

void RunCalculateCommand(MainFrame& frame)
{
    GraphProject& project = *frame.GetProject();
    const bool wasEmpty = project.GetCount() == 0;
    FormulaCalculator calculator(&project);
    CalculatorDlg dlg(&frame);
    dlg.SetProject(&project);
    dlg.SetFormula(ReadSetting(SETTING_CALCULATOR_FORMULA));
    if (!AskForCompiledFormula(frame, dlg, calculator))
        return;
    Application::GetInstance().GetConfig()->Write(SETTING_CALCULATOR_FORMULA.key, dlg.GetFormula());

    ProgressDlg progress(&frame);
    const ResultCode result = calculator.Run(ReadSetting(SETTING_MIPMAP_RESOLUTION), &progress);
    if (!ReportCommandResult(&frame, result, calculator.GetErrorMessage()))
        return;
    if (wasEmpty)
        frame.FitPlotRange(true, true);
    frame.SetStatusMessage(_("Calculating the image is completed!"));
}
