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

void AddReadingOptions(wxCmdLineParser& parser, bool withSeparator)
{
    if (withSeparator)
        parser.AddOption("", "sep",
                         "separator: tab, semicolon, comma or space (default: detected)");
    parser.AddOption("", "decimal", "decimal mark: point or comma (default: detected)");
    parser.AddOption("", "time-column",
                     "read 1-based column N as time, N[:FORMAT] with FORMAT iso, dmy, mdy, "
                     "month-name, time, epoch-s, epoch-ms, epoch-us or epoch-ns (repeatable)");
    parser.AddOption("", "split-by",
                     "one series per value of 1-based column N and number column (default: "
                     "detected for stacked recordings)",
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddSwitch("", "no-split", "never split the rows by the values of a column");
    parser.AddSwitch("", "no-detect", "only the plain reading: comma or --sep, no quotes, numbers");
}

FileReading ReadingOptions(const wxCmdLineParser& parser)
{
    FileReading reading;
    wxString text;
    if (parser.Found("sep", &text))
        reading.separator = ParseSeparatorName(text);
    if (parser.Found("decimal", &text)) {
        if (text != "point" && text != "comma")
            throw UsageError("unknown decimal mark \"" + text + "\" (point or comma)");
        reading.request.decimal = text == "point" ? '.' : ',';
    }
    reading.request.detect = !parser.Found("no-detect");
    for (const wxCmdLineArg& arg : parser.GetArguments()) {
        if (arg.GetKind() != wxCMD_LINE_OPTION || arg.GetLongName() != "time-column")
            continue;
        const wxString value = arg.GetStrVal();
        long column = 0;
        TimeLayout layout = TimeLayout::NONE;
        const wxString number = value.BeforeFirst(':');
        const wxString format = value.AfterFirst(':');
        if (!number.ToLong(&column) || column < 1 || column > INT32_MAX ||
            (value.Contains(":") && !TimeLayoutFromName(format.utf8_string(), layout)))
            throw UsageError("--time-column takes N or N:FORMAT, got \"" + value + "\"");
        reading.request.SetColumn(ColumnRequest{int(column - 1), ColumnKind::TIME, layout});
    }
    long splitBy = 0;
    if (parser.Found("split-by", &splitBy)) {
        if (splitBy < 1 || splitBy > INT32_MAX)
            throw UsageError(
                wxString::Format("--split-by takes a column from 1, got %ld", splitBy));
        reading.request.split = int(splitBy - 1);
    }
    if (parser.Found("no-split")) {
        if (reading.request.split >= 0)
            throw UsageError("--split-by can't be combined with --no-split");
        reading.request.split = DialectRequest::SPLIT_NONE;
    }
    if (!reading.request.detect && reading.request.ForcesDialect())
        throw UsageError(
            "--no-detect can't be combined with --decimal, --time-column or --split-by");
    return reading;
}

void ApplyReading(CSVImporter& importer, const FileReading& reading)
{
    importer.Request() = reading.request;
    if (reading.separator)
        importer.SetSeparator(reading.separator);
}

ImportReport ImportWithDefaults(GraphProject& project, const wxString& file,
                                const FileReading& reading, TerminalProgress& progress,
                                ColumnCache* cache)
{
    CSVImporter importer(file, project);
    ApplyReading(importer, reading);
    importer.SetColumnCache(cache);
    if (importer.ImportCached(DEFAULT_MIPMAP_RESOLUTION))
        return ImportReport{importer.GetGapCount(), importer.GetFirstGapLine()};
    CheckResult(importer.ScanInfo(&progress), importer);
    const wxString problem = CheckDefaultImport(file, importer.GetInfo(), importer.GetOption());
    if (!problem.empty())
        throw EngineFailure{ResultCode::FAILURE, problem};
    CheckResult(importer.Import(&progress, DEFAULT_MIPMAP_RESOLUTION), importer);
    return ImportReport{importer.GetGapCount(), importer.GetFirstGapLine()};
}

bool ListCachedDefaults(const wxString& file, const FileReading& reading, ColumnCache& cache,
                        std::vector<SeriesShape>& shapes, ImportReport& report)
{
    auto project = CreateGraphProject();
    CSVImporter importer(file, *project);
    ApplyReading(importer, reading);
    importer.SetColumnCache(&cache);
    if (!importer.ListCached(shapes, DEFAULT_MIPMAP_RESOLUTION))
        return false;
    report = ImportReport{importer.GetGapCount(), importer.GetFirstGapLine()};
    return true;
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
