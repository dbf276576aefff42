#include "cli/CliSupport.h"

#include <cstdio>

#include <wx/stdpaths.h>

#include "csv/CSVImporter.h"
#include "csv/Separator.h"
#include "model/Translations.h"
#include "formula/FormulaCalculator.h"

void PrintJson(const Json& value)
{
    const std::string text = DumpJson(value);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

wxChar ParseSeparatorName(const wxString& name)
{
    wxChar separator;
    if (name == name.Lower() && SeparatorFromName(name, separator))
        return separator;
    throw UsageError("unknown separator \"" + name + "\" (tab, semicolon, comma or space)");
}

void CheckResult(ResultCode result, const wxString& message)
{
    if (result == ResultCode::CANCELLED || TerminalProgress::Interrupted())
        throw Interrupted();
    if (!result.IsSuccess())
        throw EngineFailure{result.code, message};
}

void ImportWithDefaults(GraphProject& project, const wxString& file, wxChar separator,
                        TerminalProgress& progress)
{
    CSVImporter importer(file, project);
    importer.SetSeparator(separator);
    CheckResult(importer.ScanInfo(&progress), importer);
    CheckResult(importer.Import(&progress, DEFAULT_MIPMAP_RESOLUTION), importer);
}

void AddFormulaSeries(GraphProject& project, const wxString& labelAndFormula,
                      TerminalProgress& progress)
{
    const int equals = labelAndFormula.Find('=');
    if (equals == wxNOT_FOUND || equals == 0)
        throw UsageError("--formula takes LABEL=EXPR, got \"" + labelAndFormula + "\"");
    FormulaCalculator calculator(&project);
    calculator.SetLabel(labelAndFormula.Left(equals));
    calculator.SetFormula(labelAndFormula.Mid(equals + 1));
    if (project.GetCount() > 0) {
        auto first = project.GetItem(0);
        calculator.SetDataX(first->GetDataX());
        calculator.SetSize(static_cast<int32_t>(first->GetCount()));
    } else {
        calculator.SetDataX(DataX{0.0, 1.0});
        calculator.SetSize(1001);
    }
    if (!calculator.Compile())
        throw EngineFailure{-1, calculator.GetErrorMessage()};
    CheckResult(calculator.Run(DEFAULT_MIPMAP_RESOLUTION, &progress), calculator);
}

bool ParseCommandLine(wxCmdLineParser& parser)
{
    parser.AddSwitch("h", "help", "show this help", wxCMD_LINE_OPTION_HELP);
    // Parse without wx's own messages so that the usage goes to stderr with ours.
    const int result = parser.Parse(false);
    if (result == -1) {
        std::fputs(parser.GetUsageString().utf8_str().data(), stdout);
        return false;
    }
    if (result != 0)
        throw UsageError("invalid command line", parser.GetUsageString());
    return true;
}

void SetUpTranslations(const char*)
{
    InstallTranslations(wxStandardPaths::Get().GetExecutablePath());
}
