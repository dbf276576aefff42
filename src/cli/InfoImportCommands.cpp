// info and import: the scan and the default import of one file.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include <wx/filename.h>

#include "base/FileUtil.h"
#include "cli/CliSupport.h"
#include "csv/CSVImporter.h"
#include "csv/ColumnCache.h"
#include "csv/Reload.h"
#include "csv/Separator.h"

namespace {

void AddFileOptions(wxCmdLineParser& parser)
{
    AddReadingOptions(parser);
    parser.AddParam("FILE", wxCMD_LINE_VAL_STRING);
}

// What the detection found: only for files the plain reading does not read, so that the
// output for those stays as it was.
void AddDialect(Json& out, const CSVFileInfo& info, const CSVDialect& dialect)
{
    if (!dialect.detected)
        return;
    const int index = SeparatorIndex(wxChar(dialect.separator));
    out["separator"] = index >= 0 ? wxString(SEPARATORS[index].name).Lower().utf8_string() : "";
    out["decimal"] = dialect.decimal == ',' ? "comma" : "point";
    out["quoted"] = dialect.quote != 0;
    out["lineEnd"] = dialect.terminator == '\r' ? "CR" : "LF";
    Json columns = Json::array();
    for (size_t c = 0; c < dialect.columns.size(); ++c) {
        const ColumnFormat& format = dialect.columns[c];
        Json column{{"name", c < info.columnNames.size() ? info.columnNames[c].utf8_string() : ""},
                    {"type", ColumnKindName(format.kind)}};
        if (format.kind == ColumnKind::TIME) {
            column["format"] = TimeLayoutName(format.layout);
            if (format.clockColumn >= 0)
                column["clockColumn"] = format.clockColumn + 1;
        }
        if (format.joinedTo >= 0)
            column["joinedTo"] = format.joinedTo + 1;
        columns.push_back(std::move(column));
    }
    out["columns"] = std::move(columns);
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
    ApplyReading(importer, ReadingOptions(parser));
    TerminalProgress progress;
    CheckResult(importer.ScanInfo(&progress), importer);

    const CSVFileInfo info = importer.GetInfo();
    const CSVImportOption option = importer.GetOption();
    const wxString problem = CheckDefaultImport(parser.GetParam(0), info, option);
    if (!problem.empty())
        throw EngineFailure{ResultCode::FAILURE, problem};
    Json sources = Json::array();
    for (const DataSource& source : option.dataSources)
        sources.push_back(Json{{"useDirectVal", source.useDirectVal},
                               {"xStart", source.xStart},
                               {"xInterval", source.xInterval},
                               {"columnX", source.columnX},
                               {"columnY", source.columnY},
                               {"label", source.label.utf8_string()}});
    Json out{{"result", 0},
             {"fileName", info.fileName.utf8_string()},
             {"rowCount", info.rowCount},
             {"columnCount", info.columnCount},
             {"headerRows", option.headerRows},
             {"dataRows", option.dataRows},
             {"dataSources", sources}};
    if (option.splitColumn >= 0)
        out["splitColumn"] = option.splitColumn;
    AddDialect(out, info, option.dialect);
    PrintJson(out);
    return EXIT_OK;
}

namespace {

// Reloads every quarter second until `seconds` have passed; one JSON line per change:
// points added, files read again, the points each series has now.
void FollowFile(GraphProject& project, double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        ReloadReport report;
        ReloadProject(project, CSVImportTuning(), DEFAULT_MIPMAP_RESOLUTION, nullptr, report);
        if (report.newPoints == 0 && report.replaced == 0 && report.gone == 0 && report.failed == 0)
            continue;
        Json points = Json::array();
        for (int i = 0; i < project.GetCount(); ++i)
            points.push_back(project.GetItem(i)->GetCount());
        Json line{
            {"newPoints", report.newPoints}, {"readAgain", report.replaced}, {"points", points}};
        if (!report.message.empty())
            line["message"] = report.message.utf8_string();
        PrintJson(line);
        std::fflush(stdout);
    }
}

} // namespace

int RunImport(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    AddFileOptions(parser);
    parser.AddSwitch("", "values", "also print every value of every series");
    parser.AddOption("", "follow",
                     "then follow the file for SECONDS as the window does (a check every 0.25 s), "
                     "printing a line for each change",
                     wxCMD_LINE_VAL_DOUBLE);
    parser.AddSwitch("", "no-cache", "neither read the column cache nor write to it");
    parser.AddOption("", "cache-dir",
                     "the column cache's folder (default: $XDG_CACHE_HOME/ardentine)");
    if (!ParseCommandLine(parser))
        return EXIT_OK;
    ColumnCacheSettings cacheSettings;
    cacheSettings.enabled = !parser.Found("no-cache");
    wxString cacheDir;
    if (parser.Found("cache-dir", &cacheDir)) {
        if (!cacheSettings.enabled)
            throw UsageError("--cache-dir can't be combined with --no-cache");
        cacheSettings.dir = FileNameToNarrow(wxFileName(cacheDir).GetAbsolutePath());
        if (cacheSettings.dir.empty())
            throw UsageError("--cache-dir takes a folder, got \"" + cacheDir + "\"");
    }
    ColumnCache cache(cacheSettings);
    double followSeconds = 0.0;
    if (parser.Found("follow", &followSeconds) && !(followSeconds >= 0.0 && followSeconds <= 1e6))
        throw UsageError("--follow takes a number of seconds from 0 to 1000000");

    const bool withValues = parser.Found("values");
    auto project = CreateGraphProject();
    std::vector<SeriesShape> shapes;
    ImportReport report;
    // Without values the cache's metadata is all the listing needs: no array is read.
    if (withValues || followSeconds > 0.0 ||
        !ListCachedDefaults(parser.GetParam(0), ReadingOptions(parser), cache, shapes, report)) {
        TerminalProgress progress;
        report = ImportWithDefaults(*project, parser.GetParam(0), ReadingOptions(parser), progress,
                                    &cache);
        for (int i = 0; i < project->GetCount(); ++i)
            shapes.push_back(ShapeOf(*project->GetItem(i), project->GetItem(i)->GetRangeY()));
    }

    Json series = Json::array();
    for (size_t i = 0; i < shapes.size(); ++i) {
        const SeriesShape& shape = shapes[i];
        // A time X prints as ISO text, any other X as its number.
        auto xText = [&](double value) {
            return shape.hasTimeOrigin ? Json(FormatIsoTimeAt(shape.timeOrigin, value))
                                       : Json(value);
        };
        Json item{{"label", shape.label.utf8_string()}, {"points", shape.count},
                  {"xStart", xText(shape.start)},       {"xInterval", shape.interval},
                  {"yMin", shape.rangeY.min},           {"yMax", shape.rangeY.max}};
        if (shape.explicitX) {
            // Its own X at every point: the extent instead of a step.
            item.erase("xInterval");
            item["xStart"] = xText(shape.minX);
            item["xEnd"] = xText(shape.maxX);
            item["xExplicit"] = true;
        } else if (shape.hasTimeOrigin && shape.count > 0) {
            item["xEnd"] = xText(shape.start + double(shape.count - 1) * shape.interval);
        }
        if (withValues) {
            auto data = project->GetItem(int(i));
            const auto& raw = data->GetDataY()->raw;
            item["values"] = Json(std::vector<double>(raw.begin(), raw.end()));
            const DataX x = data->GetDataX();
            if (x.IsExplicit()) {
                Json xs = Json::array();
                for (size_t k = 0; k < shape.count; ++k)
                    xs.push_back(xText(x.At(k)));
                item["x"] = std::move(xs);
            }
        }
        series.push_back(std::move(item));
    }
    Json out{{"result", 0}, {"series", series}};
    if (report.gaps > 0) {
        out["gaps"] = report.gaps;
        out["firstGapLine"] = report.firstGapLine;
    }
    PrintJson(out);
    // The answer is out; the cache is written before the tool ends.
    cache.WaitForWrites();
    if (followSeconds > 0.0) {
        std::fflush(stdout);
        PrepareToFollow(*project);
        FollowFile(*project, followSeconds);
    }
    return EXIT_OK;
}
