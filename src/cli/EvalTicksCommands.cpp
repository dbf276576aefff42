// eval and ticks: the formula calculator and the tick arithmetic from the command line.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/CliSupport.h"
#include "csv/CSVImporter.h"
#include "formula/FormulaCalculator.h"
#include "csv/TimeText.h"
#include "render/AxisTicks.h"
#include "render/TimeTicks.h"

namespace {

// The values are streamed: a 100M-point array would not fit a JSON document in memory.
void PrintValues(const LargeArray<double>& values)
{
    std::string out = "{\"result\":0,\"values\":[";
    for (size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += ',';
        AppendNumber(out, values[i]);
        if (out.size() > (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    out += "]}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int RunEval(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    parser.AddOption("", "start", "X of the first point (default 0)", wxCMD_LINE_VAL_DOUBLE);
    parser.AddOption("", "interval", "X step between points (default 1)", wxCMD_LINE_VAL_DOUBLE);
    parser.AddOption("", "size", "number of points (default 1001)", wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "data", "import FILE first (repeatable; read with y(n,x) and Y(n,i))");
    parser.AddOption("", "sep", "separator of the preceding --data file");
    AddReadingOptions(parser, false);
    parser.AddSwitch("", "summary", "print points, yMin, yMax and mean instead of the values");
    parser.AddParam("FORMULA", wxCMD_LINE_VAL_STRING);
    if (!ParseCommandLine(parser))
        return EXIT_OK;

    double start = 0.0, interval = 1.0;
    long size = 1001;
    parser.Found("start", &start);
    parser.Found("interval", &interval);
    parser.Found("size", &size);
    if (size < 0 || size > INT32_MAX)
        throw UsageError(wxString::Format("--size must be 0 to %d", INT32_MAX),
                         parser.GetUsageString());

    // Each --sep belongs to the --data before it.
    struct DataFile
    {
        wxString name;
        wxChar separator = 0;
    };
    std::vector<DataFile> files;
    for (const wxCmdLineArg& arg : parser.GetArguments()) {
        if (arg.GetKind() != wxCMD_LINE_OPTION)
            continue;
        if (arg.GetLongName() == "data")
            files.push_back(DataFile{arg.GetStrVal()});
        else if (arg.GetLongName() == "sep") {
            if (files.empty())
                throw UsageError("--sep belongs after a --data FILE", parser.GetUsageString());
            files.back().separator = ParseSeparatorName(arg.GetStrVal());
        }
    }

    auto project = CreateGraphProject();
    TerminalProgress progress;
    FileReading reading = ReadingOptions(parser);
    for (const DataFile& file : files) {
        reading.separator = file.separator;
        ImportWithDefaults(*project, file.name, reading, progress);
    }

    FormulaCalculator calculator(project.get());
    calculator.SetFormula(parser.GetParam(0));
    calculator.SetDataX(DataX{start, interval});
    calculator.SetSize(static_cast<int32_t>(size));
    if (!calculator.Compile()) {
        // Counted from 1, as in the message.
        const FormulaPosition where = calculator.GetErrorPosition();
        PrintJson(Json{{"result", -1},
                       {"message", calculator.GetErrorMessage().utf8_string()},
                       {"line", where.line + 1},
                       {"column", where.column + 1}});
        return EXIT_ENGINE_FAILURE;
    }
    CheckResult(calculator.Run(DEFAULT_MIPMAP_RESOLUTION, &progress), calculator);

    auto result = project->GetItem(project->GetCount() - 1);
    const auto& values = result->GetDataY()->raw;
    if (!parser.Found("summary")) {
        PrintValues(values);
        return EXIT_OK;
    }
    double sum = 0.0;
    for (double value : values)
        sum += value;
    const MinMax range = result->GetRangeY();
    PrintJson(Json{{"result", 0},
                   {"points", values.size()},
                   {"yMin", range.min},
                   {"yMax", range.max},
                   {"mean", values.empty() ? 0.0 : sum / double(values.size())}});
    return EXIT_OK;
}

namespace {

// The calendar ticks of a time axis as the graph draws them: the step the axis length
// aims at (or the manual interval, in seconds), each tick's instant, label and context.
Json TimeTicksJson(TimeNanos origin, double span, double pixels, double manual)
{
    const double intervals = std::round(pixels / 50.0) - 1.0;
    TimeStep step;
    Json ticks = Json::array();
    if (manual > 0.0)
        step.count = std::max<int64_t>(1, std::llround(std::min(manual, 1e18) * 1e9));
    else if (intervals > 0.0 && span >= 0.0)
        step = ChooseTimeStep(span, intervals);
    else
        return Json{{"stepSeconds", -1}, {"ticks", ticks}};
    const char* units[] = {"ns", "months", "years"};
    for (const TimeTick& tick : TimeTickPositions(origin, 0.0, span, step))
        ticks.push_back(Json{{"at", FormatIsoTimeAt(origin, tick.x)},
                             {"label", tick.label},
                             {"context", tick.context}});
    return Json{{"step", std::to_string(step.count) + " " + units[step.unit]},
                {"stepSeconds", step.Seconds()},
                {"ticks", ticks}};
}

} // namespace

int RunTicks(int argc, char** argv)
{
    wxCmdLineParser parser(argc, argv);
    parser.AddOption("", "span", "max - min of the axis", wxCMD_LINE_VAL_DOUBLE,
                     wxCMD_LINE_OPTION_MANDATORY);
    parser.AddOption("", "pixels", "length of the axis in pixels", wxCMD_LINE_VAL_DOUBLE,
                     wxCMD_LINE_OPTION_MANDATORY);
    parser.AddOption("", "auto", "1 (default): automatic interval; 0: use --interval",
                     wxCMD_LINE_VAL_NUMBER);
    parser.AddOption("", "interval", "manual interval (default -1)", wxCMD_LINE_VAL_DOUBLE);
    parser.AddOption("", "min", "axis minimum, to list the positions", wxCMD_LINE_VAL_DOUBLE);
    parser.AddOption("", "max", "axis maximum, to list the positions", wxCMD_LINE_VAL_DOUBLE);
    parser.AddOption("", "time",
                     "a time axis from this ISO 8601 instant over --span seconds: its calendar "
                     "ticks with their labels");
    if (!ParseCommandLine(parser))
        return EXIT_OK;

    double span = 0, pixels = 0, manual = -1.0, min = 0, max = 0;
    long autoFlag = 1;
    parser.Found("span", &span);
    parser.Found("pixels", &pixels);
    parser.Found("auto", &autoFlag);
    parser.Found("interval", &manual);
    if (autoFlag != 0 && autoFlag != 1)
        throw UsageError("--auto takes 0 or 1", parser.GetUsageString());
    const bool haveMin = parser.Found("min", &min), haveMax = parser.Found("max", &max);
    if (haveMin != haveMax)
        throw UsageError("--min and --max go together", parser.GetUsageString());

    wxString start;
    if (parser.Found("time", &start)) {
        if (haveMin)
            throw UsageError("--time lists its own positions: no --min and --max",
                             parser.GetUsageString());
        const std::string text = start.utf8_string();
        TimeNanos origin = 0;
        if (!ParseTime(text.data(), text.data() + text.size(), TimeLayout::ISO, origin))
            throw UsageError("--time takes an ISO 8601 instant, got \"" + start + "\"",
                             parser.GetUsageString());
        PrintJson(TimeTicksJson(origin, span, pixels, autoFlag == 1 ? -1.0 : manual));
        return EXIT_OK;
    }
    const double interval = GridInterval(autoFlag == 1, manual, span, pixels);
    Json out{{"interval", interval}};
    if (haveMin)
        out["positions"] =
            Json(interval > 0 ? TickPositions(min, max, interval) : std::vector<double>());
    PrintJson(out);
    return EXIT_OK;
}
