// Runs the built ardentine-cli on small files and checks its JSON and the files it writes.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "project/ProjectOpen.h"
#include "render/CairoContext.h"
#include "support/CacheTestUtil.h"
#include "render/GraphRenderer.h"
#include "support/CsvTestUtil.h"
#include "support/ProjectTestUtil.h"

namespace {

using nlohmann::json;

struct Outcome
{
    int status = -1;
    std::string out;
    std::string err;
    json Json() const { return json::parse(out); }
};

using csvtest::ReadFile;

class Cli : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const { return m_dir.Path(name); }
    std::string Write(const std::string& name, const std::string& content) const
    {
        return m_dir.Write(name, content);
    }

    static std::string Quote(const std::string& arg)
    {
        std::string quoted = "'";
        for (char c : arg)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }

    // `launcher` goes before the program, e.g. "env -u DISPLAY".
    Outcome Run(const std::vector<std::string>& args, const std::string& launcher = "") const
    {
        std::string command = launcher + " " + Quote(ARDENTINE_CLI);
        for (const auto& arg : args)
            command += " " + Quote(arg);
        command += " >" + Quote(Path("stdout")) + " 2>" + Quote(Path("stderr")) + " </dev/null";
        Outcome outcome;
        const int raw = std::system(command.c_str());
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadFile(Path("stdout"));
        outcome.err = ReadFile(Path("stderr"));
        return outcome;
    }

    // The JSON of a run that must succeed.
    json Ok(const std::vector<std::string>& args) const
    {
        const Outcome r = Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.status == 0 ? r.Json() : json();
    }

    csvtest::TempDir m_dir;
};

TEST_F(Cli, InfoReportsShapeAndDefaultOption)
{
    const std::string file = Write("a.csv", "time,a,b\n0,1,2\n1,3,4\n");
    json expected = json::parse(R"({"result": 0, "rowCount": 3, "columnCount": 3,
        "headerRows": 1, "dataRows": 2, "dataSources": [
        {"useDirectVal":false,"xStart":0,"xInterval":1,"columnX":0,"columnY":1,"label":"a"},
        {"useDirectVal":false,"xStart":0,"xInterval":1,"columnX":0,"columnY":2,"label":"b"}]})");
    expected["fileName"] = file;
    EXPECT_EQ(Ok({"info", file}), expected);
}

// The engine's failures reach the JSON with their message (the messages themselves are
// pinned by the CSV tests), a file without any series among them; a FIFO fails at once
// instead of waiting for a writer.
TEST_F(Cli, InfoAndImportFailures)
{
    ASSERT_EQ(mkfifo(Path("pipe.csv").c_str(), 0600), 0);
    const std::string text = Write("text.csv", "name,town\nAnn,Oslo\n");
    const std::string one = Write("one.csv", "x\n1\n2\n");
    const std::string noSeries = "There is no data series to import. Please add one.";
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{"info", Path("none.csv")}, "Can't open \"" + Path("none.csv") + "\"!"},
        {{"info", Path("pipe.csv")}, "Can't read \"" + Path("pipe.csv") + "\"!"},
        {{"import", text}, "\"" + text + "\" has no data lines to import!"},
        {{"info", one}, noSeries},
    };
    for (const auto& [args, message] : failures) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const Outcome r = Run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.Json(), json({{"result", 3}, {"message", message}}));
    }
}

// One empty cell is a gap (null), reported with its line.
TEST_F(Cli, ImportPrintsSeriesWithValuesAndGaps)
{
    const std::string file = Write("a.csv", "time,a,b\r\n0.5,1,2\r\n1.5,,-4e1\r\n2.5,3,0\r\n");
    EXPECT_EQ(Ok({"import", file, "--values"}),
              json::parse(R"({"result": 0, "gaps": 1, "firstGapLine": 3, "series": [
        {"label": "a", "points": 3, "xStart": 0.5, "xInterval": 1, "yMin": 1, "yMax": 3,
         "values": [1, null, 3]},
        {"label": "b", "points": 3, "xStart": 0.5, "xInterval": 1, "yMin": -40, "yMax": 2,
         "values": [2, -40, 0]}]})"));
}

TEST_F(Cli, EvalValuesSummaryAndErrors)
{
    // A formula that starts with '-' after "--"; NaN prints as null, 1/3 with 17 digits.
    Outcome r = Run({"eval", "--size", "3", "--", "-x/(x<2?1:sqrt(-1))"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("[-0,-1,null]"), std::string::npos) << r.out;
    EXPECT_EQ(Run({"eval", "--size", "2", "--start", "1", "1/x/3"}).out,
              "{\"result\":0,\"values\":[0.33333333333333331,0.16666666666666666]}\n");

    EXPECT_EQ(Run({"eval", "x", "--size", "101", "--summary"}).Json(),
              json({{"result", 0}, {"points", 101}, {"yMin", 0}, {"yMax", 100}, {"mean", 50}}));

    // A failure: line and column count from 1, in the message and in the JSON.
    r = Run({"eval", "1+\n(2*"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.Json(),
              json({{"result", -1},
                    {"message", "Failed to parse the formula (line 2, column 4): unexpected end "
                                "of the formula!"},
                    {"line", 2},
                    {"column", 4}}));
}

// 2^31-1 points and their mipmap take about 21.5 GB: refused before anything is computed.
TEST_F(Cli, EvalRefusesASeriesThatDoesNotFitInMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    // Under a 4 GiB address-space limit, whatever this machine has.
    Outcome r = Run({"eval", "x", "--size", "2147483647", "--summary"}, "ulimit -v 4194304;");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.Json(),
              json({{"result", 2},
                    {"message", "Failed to allocate memory in the calculation process!"}}));
}

TEST_F(Cli, EvalReadsDataFiles)
{
    const std::string a = Write("a.csv", "t,v\n0,10\n1,20\n2,30\n");
    const std::string b = Write("b.txt", "t;w\n0;1\n1;2\n");
    EXPECT_EQ(Ok({"eval", "y(1,x)+Y(2,i)", "--size", "3", "--interval", "0.5", "--data", a,
                  "--data", b, "--sep", "semicolon"})["values"],
              json({11.0, 17.0, 20.0}));
}

// --help and --version need no display and succeed; anything else unknown is bad usage.
TEST_F(Cli, HelpVersionAndUsageErrorsWithoutADisplay)
{
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY";
    Outcome r = Run({"--version"}, noDisplay);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ardentine-cli " ARDENTINE_PROJECT_VERSION "\n");
    EXPECT_EQ(r.err, "");
    for (const char* help : {"--help", "-h", "help"}) {
        SCOPED_TRACE(help);
        r = Run({help}, noDisplay);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: ardentine-cli COMMAND", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("--version"), std::string::npos);
    }
    for (std::vector<std::string> args : {std::vector<std::string>{},
                                          {"bogus"},
                                          {"--bogus"},
                                          {"info"},
                                          {"info", "a", "--sep", "pipe"},
                                          {"info", "a", "--sep", "Tab"}, // lower case only
                                          {"info", "a", "--split-by", "0"},
                                          {"import", "a", "--split-by", "1", "--no-split"},
                                          {"import", "a", "--split-by", "1", "--no-detect"},
                                          {"eval", "x", "--size", "-1"},
                                          {"ticks", "--span", "1"}}) {
        r = Run(args, noDisplay);
        EXPECT_EQ(r.status, 2) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(r.err.empty());
        EXPECT_TRUE(r.out.empty());
    }
    r = Run({"--bogus"}, noDisplay);
    EXPECT_EQ(r.err.rfind("ardentine-cli: unknown command '--bogus'", 0), 0u) << r.err;
}

TEST_F(Cli, TicksIntervalAndPositions)
{
    EXPECT_EQ(Ok({"ticks", "--span", "100", "--pixels", "600"}), json({{"interval", 10.0}}));
    EXPECT_EQ(Ok({"ticks", "--span", "30", "--pixels", "100", "--auto", "0", "--interval", "10",
                  "--min", "3", "--max", "33"})["positions"],
              json({10.0, 20.0, 30.0}));
    // A time axis: its ticks with their labels.
    EXPECT_EQ(Ok({"ticks", "--time", "2026-03-05T23:00:00", "--span", "7200", "--pixels",
                  "600"})["ticks"][6],
              json({{"at", "2026-03-06T00:00:00"}, {"label", "00:00"}, {"context", "2026-03-06"}}));
    EXPECT_EQ(Run({"ticks", "--time", "soon", "--span", "1", "--pixels", "600"}).status, 2);
}

// The other kinds of file are the renderer's (RenderTest).
TEST_F(Cli, PlotWritesAPictureAtTheAskedSize)
{
    const std::string data = Write("a.csv", "t,a\n0,1\n1,3\n2,2\n");
    const std::string out = Path("g.png");
    EXPECT_EQ(Ok({"plot", data, "-o", out, "--size", "320x200", "--formula", "f=x*x", "--property",
                  "Axis.LabelY=Volts", "--property", "BGColor=#ffeeddff"})["series"],
              2);
    // The PNG header's width and height: 320 x 200.
    EXPECT_EQ(ReadFile(out).substr(16, 8), std::string("\0\0\x01\x40\0\0\0\xC8", 8));
}

TEST_F(Cli, PlotRejectsBadOptionsBeforeWriting)
{
    const std::string data = Write("a.csv", "1,2\n2,3\n");
    const std::pair<std::vector<std::string>, int> rows[] = {
        // arguments, exit status
        {{"plot", data, "-o", Path("x.png"), "--property", "Margin.Lefty=3"}, 2},
        // What the property pane refuses too.
        {{"plot", data, "-o", Path("x.png"), "--property", "Grid.IntervalX=0"}, 2},
        {{"plot", data, "-o", Path("x.png"), "--property", "Tick.FormatX=%d"}, 2},
        {{"plot", data, "-o", Path("x.png"), "--size", "0x10"}, 2},
        {{"plot", data, "-o", Path("x.png"), "--range", "1,0,0,1"}, 2},
        {{"plot", data}, 2},
        {{"plot", data, "-o", Path("x.jpg")}, 1},
    };
    for (const auto& [args, status] : rows) {
        SCOPED_TRACE(args.back());
        Outcome r = Run(args);
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_NE(access(Path("x.png").c_str(), F_OK), 0);
    }
    Outcome r = Run({"plot", data, "-o", Path("x.png"), "--property", "Grid.AutoX=maybe"});
    EXPECT_NE(r.err.find("Grid.AutoX"), std::string::npos) << r.err;
}

TEST_F(Cli, ExportWritesTheChosenSeries)
{
    const std::string data = Write("a.csv", "time,a,b\n0,1,150\n0.5,-0.00125,0\n");
    const std::string out = Path("out.csv");
    Ok({"export", data, "-o", out, "--series", "2,1", "--no-x", "--no-header", "--out-sep", "tab"});
    EXPECT_EQ(ReadFile(out), "1.50000000e+002\t1.00000000e+000\r\n"
                             "0.00000000e+000\t-1.25000000e-003\r\n");
    EXPECT_EQ(Run({"export", data, "-o", out, "--series", "3"}).status, 2);
}

// A saved project drawn headless: its view, properties and series as this process draws
// the same project, pixel for pixel; its series exported; a damaged one refused.
TEST_F(Cli, PlotAndExportASavedProject)
{
    Write("a.csv", "t,a,b\n0,1,150\n0.5,-2,0\n1,3,7\n1.5,0,1\n");
    auto project = CreateGraphProject();
    projecttest::Import(*project, Path("a.csv"));
    projecttest::Calculate(*project, "y(1,x)+y(2,x)/100", DataX{0, 0.25}, 7, "sum");
    project->GetItem(1)->SetLineStyle(LineStyle{3, Colour(255, 0, 0)});
    ProjectProperty property = project->GetProperty();
    property.bgColor = Colour(250, 250, 200);
    project->SetProperty(property);
    project->SetPlotRange(0.2, 1.3, -1, 4);
    wxString error;
    const std::string saved = Path("p.ardentine");
    ASSERT_TRUE(SaveProjectFile(wxString::FromUTF8(saved), DescribeProject(*project, {}), error));

    // Saved without the legend, drawn with it.
    EXPECT_EQ(Ok({"plot", "--project", saved, "-o", Path("cli.png"), "--size", "400x300",
                  "--legend"})["series"],
              3);
    property.legendVisible = true;
    project->SetProperty(property);
    {
        CairoContext cairo(wxString::FromUTF8(Path("here.png")), 400, 300);
        GraphRenderer(cairo, *project, 400, 300).Render();
        ASSERT_TRUE(cairo.Finish());
    }
    EXPECT_TRUE(ReadFile(Path("cli.png")) == ReadFile(Path("here.png"))); // pixel for pixel

    EXPECT_EQ(Ok({"export", "--project", saved, "-o", Path("out.csv"), "--series", "3",
                  "--no-x"})["lines"],
              7);
    EXPECT_EQ(ReadFile(Path("out.csv")).substr(0, 5), "sum\r\n");

    // The data gone: the picture is made of the rest, with a warning naming the file.
    std::remove(Path("a.csv").c_str());
    const json drawn = Ok({"plot", "--project", saved, "-o", Path("cli.png")});
    EXPECT_NE(drawn["warning"].get<std::string>().find("a.csv"), std::string::npos);

    Write("bad.ardentine", ReadFile(saved).substr(0, 100));
    const Outcome r = Run({"plot", "--project", Path("bad.ardentine"), "-o", Path("bad.png")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.Json()["message"].get<std::string>().find("not complete JSON"), std::string::npos);
    EXPECT_NE(access(Path("bad.png").c_str(), F_OK), 0);
}

// Stacked recordings split by their key, unless asked not to; a split by another column.
// How a split is made is the importer's (CSVImportTest).
TEST_F(Cli, SplitByKey)
{
    const std::string file =
        Write("s.csv", "key,t,v\nA,2020-01-01,1\nA,2020-01-03,2\nB,2020-01-01,3\nB,2020-01-02,4\n");
    EXPECT_EQ(Ok({"info", file})["splitColumn"], 0);
    json split = Ok({"import", file});
    ASSERT_EQ(split["series"].size(), 2u);
    EXPECT_EQ(split["series"][1]["label"], "v (B)");
    EXPECT_EQ(split["series"][1]["xEnd"], "2020-01-02T00:00:00");
    EXPECT_EQ(Ok({"import", file, "--no-split"})["series"].size(), 1u);
    EXPECT_EQ(Ok({"import", file, "--split-by", "2"})["series"].size(), 3u);
}

// import --follow prints a line for each change of the file (what a change reads is
// ReloadTest's).
TEST_F(Cli, ImportFollowsAGrowingFile)
{
    const std::string file = Write("live.csv", "t,v\n0,1\n1,2\n");
    FILE* out =
        popen((Quote(ARDENTINE_CLI) + " import " + Quote(file) + " --follow 20").c_str(), "r");
    ASSERT_TRUE(out);
    char line[4096];
    // Each read waits for the program's next line; --follow bounds the wait.
    ASSERT_TRUE(std::fgets(line, sizeof line, out));
    EXPECT_EQ(json::parse(line)["series"][0]["points"], 2);
    std::ofstream(file, std::ios::app) << "2,3\n";
    ASSERT_TRUE(std::fgets(line, sizeof line, out));
    EXPECT_EQ(json::parse(line), json::parse(R"({"newPoints": 1, "readAgain": 0, "points": [3]})"));
    Write("live.csv", "t,v\n0,9\n"); // a logger starting again
    ASSERT_TRUE(std::fgets(line, sizeof line, out));
    EXPECT_EQ(json::parse(line), json::parse(R"({"newPoints": 0, "readAgain": 1, "points": [1]})"));
    // Stopped early: the test does not wait the 20 s out.
    std::system(("pkill -f " + Quote(file)).c_str());
    pclose(out);
}

TEST_F(Cli, BundledExamplesImport)
{
    const std::string dir = ARDENTINE_BINARY_DIR "/examples/";
    const json series = Ok({"import", dir + "signals.csv"})["series"];
    ASSERT_EQ(series.size(), 4u);
    EXPECT_EQ(series[3]["label"], "spikes");
    EXPECT_EQ(series[3]["points"], 200000);
    EXPECT_FALSE(Ok({"import", dir + "signals.txt", "--sep", "tab"})["series"].empty());
}

using csvtest::FilesIn;

std::string CacheTestFile()
{
    std::string content = "t,a,b\n";
    for (int i = 0; i < 20000; ++i)
        content += std::to_string(i) + "," + std::to_string(i % 7) + "," +
                   std::to_string((i * 13) % 101) + ".25\n";
    return content;
}

// The second import reads the cache the first wrote and prints the same; --no-cache
// writes nothing. Two writers at once are the cache's (ColumnCacheTest).
TEST_F(Cli, ImportKeepsAColumnCache)
{
    const std::string file = Write("cached.csv", CacheTestFile());
    const std::string dir = Path("cache");
    const Outcome parsed = Run({"import", file, "--values", "--cache-dir", dir});
    ASSERT_EQ(parsed.status, 0) << parsed.err;
    ASSERT_EQ(1u, FilesIn(dir).size());
    const Outcome cached = Run({"import", file, "--values", "--cache-dir", dir});
    ASSERT_EQ(cached.status, 0) << cached.err;
    EXPECT_EQ(parsed.out, cached.out);
    EXPECT_EQ("", cached.err);

    const std::string off = Path("off");
    EXPECT_EQ(2, Run({"import", file, "--no-cache", "--cache-dir", off}).status);
    // Without values, the listing comes from the cache's metadata: the same answer.
    const Outcome listed = Run({"import", file, "--cache-dir", dir});
    EXPECT_EQ(Run({"import", file, "--no-cache"}).out, listed.out);
    EXPECT_EQ("", listed.err);
    EXPECT_FALSE(std::filesystem::exists(off));
}

// A disk that is full (here: a file size limit) leaves the import as it was, told once on
// stderr, and no file behind.
TEST_F(Cli, FullDiskImportsWithoutCache)
{
    const std::string file = Write("full.csv", CacheTestFile());
    const std::string dir = Path("cache");
    const Outcome r = Run({"import", file, "--cache-dir", dir},
                          "sh -c 'trap \"\" XFSZ; ulimit -f 32; exec \"$0\" \"$@\"'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(20000, r.Json()["series"][0]["points"]);
    const std::string told = "Imports are not cached: can't write to " + dir;
    EXPECT_EQ(0u, r.err.find(told)) << r.err;
    EXPECT_EQ(std::string::npos, r.err.find("Imports are not cached", 1)) << r.err;
    EXPECT_TRUE(FilesIn(dir).empty());
}

} // namespace
