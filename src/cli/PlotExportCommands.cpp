// plot and export: several files and formulas into one picture or one CSV file.
#include <cmath>
#include <cstdio>

#include <wx/intl.h>
#include <wx/tokenzr.h>

#include "cli/CliSupport.h"
#include "csv/CSVExporter.h"
#include "model/Palette.h"
#include "model/PropertyNames.h"
#include "project/ProjectOpen.h"
#include "render/CairoContext.h"
#include "render/GraphRenderer.h"

namespace {

void AddInputOptions(wxCmdLineParser& parser)
{
    parser.AddOption("o", "output", "the file to write", wxCMD_LINE_VAL_STRING,
                     wxCMD_LINE_OPTION_MANDATORY);
    AddReadingOptions(parser);
    parser.AddOption("", "formula", "add the series LABEL=EXPR (repeatable)");
    parser.AddOption("", "project",
                     "start from the saved project P (.ardentine): its series, properties and "
                     "view; FILEs and formulas are added after its series");
    parser.AddParam("FILE", wxCMD_LINE_VAL_STRING,
                    wxCMD_LINE_PARAM_MULTIPLE | wxCMD_LINE_PARAM_OPTIONAL);
}

std::vector<wxString> RepeatedOption(const wxCmdLineParser& parser, const wxString& name)
{
    std::vector<wxString> values;
    for (const wxCmdLineArg& arg : parser.GetArguments())
        if (arg.GetKind() == wxCMD_LINE_OPTION && arg.GetLongName() == name)
            values.push_back(arg.GetStrVal());
    return values;
}

// Opens the saved project, or makes an empty one. What opening left out or found changed
// goes to `warning` (and stderr): the picture is still made of the rest.
std::shared_ptr<GraphProject> StartProject(const wxCmdLineParser& parser,
                                           TerminalProgress& progress, wxString& warning)
{
    wxString path;
    if (!parser.Found("project", &path))
        return CreateGraphProject();
    SavedProject saved;
    wxString error;
    if (!ReadProjectFile(path, saved, error))
        throw EngineFailure{ResultCode::FAILURE, error};
    std::shared_ptr<GraphProject> project;
    OpenReport report;
    CheckResult(BuildSavedProject(saved, CSVImportTuning(), DEFAULT_MIPMAP_RESOLUTION, &progress,
                                  project, report, error),
                error);
    warning = report.Message();
    if (!warning.empty())
        std::fprintf(stderr, "%s\n", warning.utf8_str().data());
    return project;
}

// Opens --project, imports every FILE, then adds every --formula series, in the order given.
std::shared_ptr<GraphProject> BuildProject(const wxCmdLineParser& parser,
                                           TerminalProgress& progress, wxString& warning)
{
    const FileReading reading = ReadingOptions(parser);
    auto project = StartProject(parser, progress, warning);
    for (size_t i = 0; i < parser.GetParamCount(); ++i)
        ImportWithDefaults(*project, parser.GetParam(i), reading, progress);
    for (const wxString& formula : RepeatedOption(parser, "formula"))
        AddFormulaSeries(*project, formula, progress);
    if (project->GetCount() == 0)
        throw UsageError("nothing to do: give at least one FILE, --formula or --project",
                         parser.GetUsageString());
    return project;
}

void ParseSize(const wxString& text, int& width, int& height)
{
    long w = 0, h = 0;
    const wxString first = text.BeforeFirst('x'), second = text.AfterFirst('x');
    if (!first.ToLong(&w) || !second.ToLong(&h) || w < 1 || h < 1 || w > 20000 || h > 20000)
        throw UsageError("--size takes WxH with each side 1 to 20000, got \"" + text + "\"");
    width = int(w);
    height = int(h);
}

PlotRange ParseRange(const wxString& text)
{
    wxStringTokenizer tokens(text, ",", wxTOKEN_RET_EMPTY_ALL);
    double v[4];
    int count = 0;
    while (tokens.HasMoreTokens()) {
        if (count == 4 || !tokens.GetNextToken().ToCDouble(&v[count]) || !std::isfinite(v[count]))
            count = 5;
        else
            ++count;
    }
    if (count != 4 || v[0] > v[1] || v[2] > v[3])
        throw UsageError("--range takes MINX,MAXX,MINY,MAXY with MINX <= MAXX and MINY <= MAXY, "
                         "got \"" +
                         text + "\"");
    return PlotRange{v[0], v[1], v[2], v[3]};
}

ProjectProperty ParseProperties(const wxCmdLineParser& parser, ProjectProperty property)
{
    for (const wxString& assignment : RepeatedOption(parser, "property")) {
        const wxString name = assignment.BeforeFirst('=');
        const ProjectPropertyField* field = FindProjectPropertyField(name);
        if (!field || assignment.Find('=') == wxNOT_FOUND)
            throw UsageError("unknown property \"" + name + "\" in --property " + assignment);
        wxString error;
        if (!SetPropertyFromText(property, *field, assignment.AfterFirst('='), error))
            throw UsageError(error);
    }
    return property;
}

} // namespace

int RunPlot(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    AddInputOptions(parser);
    parser.AddOption("", "size", "image size WxH in pixels (default 640x480)");
    parser.AddOption("", "range", "plot range MINX,MAXX,MINY,MAXY (default: fit the data)");
    parser.AddOption("", "property", "display property NAME=VALUE (repeatable)");
    parser.AddSwitch("", "legend", "draw the legend (the same as --property Legend.Visible=true)");
    parser.AddSwitch("", "palette", "give each series its own colour-blind-safe colour");
    if (!ParseCommandLine(parser))
        return EXIT_OK;

    // Check every option before the long work starts.
    int width = 640, height = 480;
    wxString text;
    if (parser.Found("size", &text))
        ParseSize(text, width, height);
    const bool haveRange = parser.Found("range", &text);
    const PlotRange range = haveRange ? ParseRange(text) : PlotRange{};
    wxString output;
    parser.Found("output", &output);

    TerminalProgress progress;
    wxString warning;
    auto project = BuildProject(parser, progress, warning);
    const bool fromProject = parser.Found("project");
    ProjectProperty property = project->GetProperty();
    if (parser.Found("legend") || !fromProject)
        property.legendVisible = parser.Found("legend");
    project->SetProperty(ParseProperties(parser, property));
    if (parser.Found("palette"))
        for (int i = 0; i < project->GetCount(); ++i) {
            LineStyle style = project->GetItem(i)->GetLineStyle();
            style.colour = PaletteColour(i);
            project->GetItem(i)->SetLineStyle(style);
        }
    // As the desktop after a first import: every series counts, visible or not. A project
    // shows its saved view.
    const PlotRange view = haveRange     ? range
                           : fromProject ? project->GetPlotRange()
                                         : ComputeFitRange(*project, true);
    project->SetPlotRange(view.minX, view.maxX, view.minY, view.maxY);

    CairoContext context(output, width, height);
    if (context.GetKind() == CairoTarget::Invalid)
        throw EngineFailure{ResultCode::FAILURE,
                            "Can't create \"" + output +
                                "\": the name must end in .png, .svg, .pdf or .ps"};
    GraphRenderer renderer(context, *project, width, height);
    renderer.Render();
    if (!context.Finish())
        throw EngineFailure{ResultCode::FAILURE,
                            wxString::Format(_("Can't write \"%s\"!"), output)};
    Json out{{"result", 0},
             {"output", output.utf8_string()},
             {"width", width},
             {"height", height},
             {"series", project->GetCount()}};
    if (!warning.empty())
        out["warning"] = warning.utf8_string();
    PrintJson(out);
    return EXIT_OK;
}

int RunExport(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    AddInputOptions(parser);
    parser.AddOption("", "out-sep", "separator of the output: tab, semicolon, comma or space");
    parser.AddOption("", "series",
                     "1-based series to write, in order: N,N,... (default: the "
                     "first series and every later one with the same X axis)");
    parser.AddSwitch("", "no-header", "write no header line");
    parser.AddSwitch("", "no-x", "write no X column");
    if (!ParseCommandLine(parser))
        return EXIT_OK;

    wxString text, output;
    parser.Found("output", &output);
    const wxChar outSep = parser.Found("out-sep", &text) ? ParseSeparatorName(text) : ',';
    std::vector<long> chosen;
    if (parser.Found("series", &text)) {
        wxStringTokenizer tokens(text, ",", wxTOKEN_RET_EMPTY_ALL);
        while (tokens.HasMoreTokens()) {
            long n = 0;
            if (!tokens.GetNextToken().ToLong(&n) || n < 1)
                throw UsageError("--series takes 1-based numbers N,N,..., got \"" + text + "\"");
            chosen.push_back(n);
        }
    }

    TerminalProgress progress;
    wxString warning;
    auto project = BuildProject(parser, progress, warning);
    CSVExportOption option = CSVExporter::MakeDefaultOption(*project);
    if (!chosen.empty()) {
        option.exportedData.clear();
        for (long n : chosen) {
            if (n > project->GetCount())
                throw UsageError(wxString::Format("--series %ld: there are only %d series", n,
                                                  project->GetCount()));
            option.exportedData.push_back(
                ExportedItem{int32_t(n - 1), project->GetItem(int(n - 1))->GetLabel()});
        }
    }
    option.exportHeader = !parser.Found("no-header");
    option.exportX = !parser.Found("no-x");

    CSVExporter exporter(output, *project);
    exporter.SetSeparator(outSep);
    exporter.SetOption(option);
    CheckResult(exporter.Export(&progress), exporter);
    Json out{{"result", 0},
             {"output", output.utf8_string()},
             {"series", option.exportedData.size()},
             {"lines", project->GetItem(option.exportedData[0].index)->GetCount()}};
    if (!warning.empty())
        out["warning"] = warning.utf8_string();
    PrintJson(out);
    return EXIT_OK;
}
