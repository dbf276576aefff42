// info and import: the scan and the default import of one file.
#include "cli/CliSupport.h"
#include "csv/CSVImporter.h"

namespace {

wxChar SeparatorOption(const wxCmdLineParser& parser)
{
    wxString name;
    return parser.Found("sep", &name) ? ParseSeparatorName(name) : wxChar(',');
}

void AddFileOptions(wxCmdLineParser& parser)
{
    parser.AddOption("", "sep", "separator: tab, semicolon, comma (default) or space");
    parser.AddParam("FILE", wxCMD_LINE_VAL_STRING);
}

} // namespace

int RunInfo(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    AddFileOptions(parser);
    if (!ParseCommandLine(parser))
        return EXIT_OK;

    auto project = CreateGraphProject();
    CSVImporter importer(parser.GetParam(0), *project);
    importer.SetSeparator(SeparatorOption(parser));
    TerminalProgress progress;
    CheckResult(importer.ScanInfo(&progress), importer);

    const CSVFileInfo info = importer.GetInfo();
    const CSVImportOption option = importer.GetOption();
    Json sources = Json::array();
    for (const DataSource& source : option.dataSources)
        sources.push_back(Json{{"useDirectVal", source.useDirectVal},
                               {"xStart", source.xStart},
                               {"xInterval", source.xInterval},
                               {"columnX", source.columnX},
                               {"columnY", source.columnY},
                               {"label", source.label.utf8_string()}});
    PrintJson(Json{{"result", 0},
                   {"fileName", info.fileName.utf8_string()},
                   {"rowCount", info.rowCount},
                   {"columnCount", info.columnCount},
                   {"headerRows", option.headerRows},
                   {"dataRows", option.dataRows},
                   {"dataSources", sources}});
    return EXIT_OK;
}

int RunImport(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    AddFileOptions(parser);
    parser.AddSwitch("", "values", "also print every value of every series");
    if (!ParseCommandLine(parser))
        return EXIT_OK;

    auto project = CreateGraphProject();
    TerminalProgress progress;
    ImportWithDefaults(*project, parser.GetParam(0), SeparatorOption(parser), progress);

    const bool withValues = parser.Found("values");
    Json series = Json::array();
    for (int i = 0; i < project->GetCount(); ++i) {
        auto data = project->GetItem(i);
        const MinMax range = data->GetRangeY();
        Json item{{"label", data->GetLabel().utf8_string()},
                  {"points", data->GetCount()},
                  {"xStart", data->GetDataX().start},
                  {"xInterval", data->GetDataX().interval},
                  {"yMin", range.min},
                  {"yMax", range.max}};
        if (withValues) {
            const auto& raw = data->GetDataY()->raw;
            item["values"] = Json(std::vector<double>(raw.begin(), raw.end()));
        }
        series.push_back(std::move(item));
    }
    PrintJson(Json{{"result", 0}, {"series", series}});
    return EXIT_OK;
}
