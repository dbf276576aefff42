#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "CsvTestUtil.h"
#include "csv/CSVImporter.h"
#include "model/GraphProject.h"
#include "support/TestSupport.h"

namespace {

using Columns = std::vector<std::vector<double>>;

std::vector<double> Values(const std::shared_ptr<GraphData>& series)
{
    const auto& raw = series->GetDataY()->raw;
    return std::vector<double>(raw.begin(), raw.end());
}

// Scans, then imports every column as a series with direct X values.
struct AllColumns
{
    ResultCode result;
    wxString message;
    Columns columns;
};

AllColumns ImportAllColumns(const std::string& path, char separator)
{
    auto project = CreateGraphProject();
    CSVImporter importer(path, *project);
    importer.SetSeparator(separator);
    AllColumns out{importer.ScanInfoInternal(nullptr), {}, {}};
    if (out.result != ResultCode::SUCCESS)
        return out;
    CSVImportOption option;
    option.headerRows = 0;
    option.dataRows = importer.GetInfo().rowCount;
    for (int c = 0; c < importer.GetInfo().columnCount; ++c) {
        DataSource source;
        source.useDirectVal = true;
        source.columnY = c;
        option.dataSources.push_back(source);
    }
    importer.SetOption(option);
    out.result = importer.ImportInternal(nullptr);
    out.message = importer.GetErrorMessage();
    for (const auto& series : importer.GetSeries())
        out.columns.push_back(Values(series));
    return out;
}

TEST(CSVImport, ConversionRules)
{
    struct Case
    {
        const char* name;
        std::string content;
        char separator;
        int failingLine; // 0: success
        Columns columns;
    };
    const Case cases[] = {
        {"plain", "1,2\n3,4\n", ',', 0, {{1, 3}, {2, 4}}},
        {"empty field", "0,0,0\n1,,2\n", ',', 2, {}},
        {"two tabs collapse", "1\t\t2\n", '\t', 0, {{1}, {2}, {0}}},
        {"two spaces collapse", "1  2\n", ' ', 0, {{1}, {2}, {0}}},
        {"space before comma", "1 ,2\n", ',', 1, {}},
        {"trailing space", "1,2 \n", ',', 1, {}},
        {"leading spaces", " 1,\t2\n", ',', 0, {{1}, {2}}},
        {"one trailing comma", "1,2,\n", ',', 0, {{1}, {2}, {0}}},
        {"two trailing commas", "1,2,,\n", ',', 1, {}},
        {"one trailing space", "1 2 \n", ' ', 0, {{1}, {2}, {0}}},
        {"two trailing spaces", "1 2  \n", ' ', 1, {}},
        {"d and E exponents", "1.5d2;1.5E2;-2D-1\n", ';', 0, {{150}, {150}, {-0.2}}},
        {"blank data line gives zeros", "1,2\n\n3,4\n", ',', 0, {{1, 0, 3}, {2, 0, 4}}},
        {"short line keeps zeros", "1,2\n3\n", ',', 0, {{1, 3}, {2, 0}}},
        {"second dot", "1,2\n1.2.3,4\n", ',', 2, {}},
        {"letters", "1,2\n3,4x\n", ',', 2, {}},
        {"CR LF", "1,2\r\n3,4\r\n", ',', 0, {{1, 3}, {2, 4}}},
        {"last line without line feed", "1,2\n3,4", ',', 0, {{1, 3}, {2, 4}}},
        {"overflow is infinity", "1e999,-1e999\n", ',', 0, {{HUGE_VAL}, {-HUGE_VAL}}},
        {"decimal comma fails", "1;2\n1,5;2\n", ';', 2, {}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("conv.csv", c.content);
        const AllColumns got = ImportAllColumns(path, c.separator);
        if (c.failingLine == 0) {
            ASSERT_EQ(got.result, ResultCode::SUCCESS) << got.message;
            EXPECT_EQ(got.columns, c.columns);
            continue;
        }
        EXPECT_EQ(got.result, ResultCode::FAILURE);
        EXPECT_EQ(got.message.utf8_string(),
                  "Conversion from string to numerical value is failed at " + path + ":" +
                      std::to_string(c.failingLine) + "!");
        EXPECT_TRUE(got.columns.empty());
    }
}

TEST(CSVImport, DefaultOptionImportAddsLabelledSeriesAfterSuccess)
{
    TempDir dir;
    auto project = CreateGraphProject();
    CSVImporter importer(dir.Write("a.csv", "time,a,b\n0,1,2\n1,3,4\n"), *project);
    ASSERT_EQ(importer.ScanInfo(nullptr), ResultCode::SUCCESS);
    ASSERT_EQ(importer.Import(nullptr), ResultCode::SUCCESS) << importer.GetErrorMessage();
    ASSERT_EQ(project->GetCount(), 2);
    EXPECT_EQ(project->GetItem(0)->GetLabel(), "a");
    EXPECT_EQ(project->GetItem(1)->GetLabel(), "b");
    EXPECT_EQ(project->GetItem(0)->GetDataX(), (DataX{0.0, 1.0}));
    EXPECT_EQ(Values(project->GetItem(0)), (std::vector<double>{1, 3}));
    EXPECT_EQ(Values(project->GetItem(1)), (std::vector<double>{2, 4}));
}

TEST(CSVImport, ArithmeticProgressionTolerance)
{
    struct Case
    {
        const char* name;
        std::vector<double> values;
        bool passes;
        double start, interval;
    };
    const Case cases[] = {
        {"steps of 0.1", {0, 0.1, 0.2, 0.3}, true, 0, 0.1},
        {"a doubled step", {0, 1, 2, 4}, false, 0, 0},
        {"decreasing", {3, 2, 1}, false, 0, 0},
        {"constant", {5, 5, 5}, true, 5, 0},
        {"one value", {7}, true, 7, 0},
        {"no values", {}, false, 0, 0},
        {"just inside 0.1 per cent", {10, 11, 12.0009}, true, 10, 1},
        {"just outside 0.1 per cent", {10, 11, 12.0011}, false, 0, 0},
        {"infinite value", {0, 1, HUGE_VAL}, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        double start = -1, interval = -1;
        EXPECT_EQ(IsArithmeticProgression(c.values.data(), c.values.size(), 0.1, start, interval),
                  c.passes);
        if (c.passes) {
            EXPECT_EQ(start, c.start);
            EXPECT_DOUBLE_EQ(interval, c.interval);
        }
    }
}

TEST(CSVImport, XColumnRules)
{
    TempDir dir;
    auto project = CreateGraphProject();
    const std::string path = dir.Write("x.csv", "t,v\n0,5\n1,6\n2,7\n4,8\n");

    CSVImporter bad(path, *project);
    ASSERT_EQ(bad.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    EXPECT_EQ(bad.Import(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(bad.GetErrorMessage(), "Column 1 is not arithmetic progression!");
    EXPECT_EQ(project->GetCount(), 0);

    CSVImporter oneRow(path, *project);
    ASSERT_EQ(oneRow.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    CSVImportOption option = oneRow.GetOption();
    option.dataRows = 1;
    oneRow.SetOption(option);
    ASSERT_EQ(oneRow.ImportInternal(nullptr), ResultCode::SUCCESS);
    EXPECT_EQ(oneRow.GetSeries()[0]->GetDataX(), (DataX{0.0, 0.0}));

    option.dataRows = 0;
    oneRow.SetOption(option);
    EXPECT_EQ(oneRow.ImportInternal(nullptr), ResultCode::FAILURE);

    option.dataSources[0].useDirectVal = true;
    option.dataSources[0].xStart = 2;
    option.dataSources[0].xInterval = 0.5;
    oneRow.SetOption(option);
    ASSERT_EQ(oneRow.ImportInternal(nullptr), ResultCode::SUCCESS);
    EXPECT_EQ(oneRow.GetSeries()[0]->GetCount(), 0u);
    EXPECT_EQ(oneRow.GetSeries()[0]->GetDataX(), (DataX{2.0, 0.5}));
}

TEST(CSVImport, SourcesOfOneColumnShareTheirValues)
{
    TempDir dir;
    auto project = CreateGraphProject();
    CSVImporter importer(dir.Write("s.csv", "0,1,2\n1,3,4\n"), *project);
    ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    CSVImportOption option = importer.GetOption();
    option.dataSources[1].columnY = 1;
    option.dataSources[1].useDirectVal = true;
    importer.SetOption(option);
    ASSERT_EQ(importer.Import(nullptr), ResultCode::SUCCESS);
    ASSERT_EQ(project->GetCount(), 2);
    EXPECT_EQ(project->GetItem(0)->GetDataY(), project->GetItem(1)->GetDataY());
    EXPECT_EQ(Values(project->GetItem(1)), (std::vector<double>{1, 3}));
}

std::string NumberedFile(int lines, int columns)
{
    std::string content = "time";
    for (int c = 1; c < columns; ++c)
        content += ",c" + std::to_string(c);
    content += "\n";
    for (int i = 0; i < lines; ++i) {
        content += std::to_string(i * 0.5);
        for (int c = 1; c < columns; ++c)
            content += "," + std::to_string(std::sin(i * 0.01 * c));
        content += "\n";
    }
    return content;
}

TEST(CSVImport, CancelAtEachStageLeavesTheProjectUntouched)
{
    TempDir dir;
    const std::string path = dir.Write("big.csv", NumberedFile(5000, 3));
    struct Stage
    {
        const char* name;
        int afterPositions;
        const char* onMessage;
    };
    const Stage stages[] = {
        {"convert", 2, ""},
        {"mipmap", -1, "Creating Mipmap"},
    };
    for (int threads : {1, 2}) {
        for (const Stage& stage : stages) {
            SCOPED_TRACE(std::string(stage.name) + " threads " + std::to_string(threads));
            auto project = CreateGraphProject();
            CSVImporter importer(path, *project);
            importer.SetThreadCount(threads);
            importer.SetParallelMinBytes(0);
            ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
            ThreadProcContext context;
            context.cancelAfterPositions = stage.afterPositions;
            context.cancelOnMessage = stage.onMessage;
            EXPECT_EQ(importer.Import(&context, 64), ResultCode::CANCELLED);
            EXPECT_EQ(project->GetCount(), 0);
            EXPECT_TRUE(importer.GetSeries().empty());
        }
    }
}

TEST(CSVImport, ProgressMessagesAndMipmapLevels)
{
    TempDir dir;
    const std::string path = dir.Write("p.csv", NumberedFile(2000, 2));
    auto project = CreateGraphProject();
    CSVImporter importer(path, *project);
    importer.SetThreadCount(1);
    ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    ThreadProcContext context;
    ASSERT_EQ(importer.Import(&context, 512), ResultCode::SUCCESS);
    const ProgressRecord record = context.Record();
    ASSERT_GE(record.messages.size(), 2u);
    EXPECT_EQ(record.messages[0], "Import \"" + path + "\" ...");
    EXPECT_EQ(record.messages[1], "Creating Mipmap...");
    EXPECT_EQ(context.Executions(), 2);
    // Lines 0 and 1000 of the file (the header is line 0).
    ASSERT_GE(record.positions.size(), 2u);
    EXPECT_EQ(record.positions[0].second, int(ReadFile(path).size()));
    EXPECT_LT(record.positions[0].first, record.positions[1].first);
    EXPECT_EQ(project->GetItem(0)->GetDataY()->mipmap.size(), 2u); // 2000 values, 512

    auto coarse = CreateGraphProject();
    CSVImporter none(path, *coarse);
    ASSERT_EQ(none.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    ASSERT_EQ(none.Import(nullptr, 4096), ResultCode::SUCCESS);
    EXPECT_TRUE(coarse->GetItem(0)->GetDataY()->mipmap.empty());
}

TEST(CSVImport, TwoThreadsGiveTheSameValuesAndFirstFailure)
{
    TempDir dir;
    std::string content = NumberedFile(20000, 4);
    const std::string path = dir.Write("par.csv", content);
    auto importWith = [&](const std::string& file, int threads, AllColumns& out) {
        auto project = CreateGraphProject();
        CSVImporter importer(file, *project);
        importer.SetThreadCount(threads);
        importer.SetParallelMinBytes(0);
        out.result = importer.ScanInfoInternal(nullptr);
        if (out.result == ResultCode::SUCCESS)
            out.result = importer.Import(nullptr);
        out.message = importer.GetErrorMessage();
        for (int i = 0; i < project->GetCount(); ++i)
            out.columns.push_back(Values(project->GetItem(i)));
    };
    AllColumns one, two;
    importWith(path, 1, one);
    importWith(path, 2, two);
    ASSERT_EQ(one.result, ResultCode::SUCCESS) << one.message;
    ASSERT_EQ(two.result, ResultCode::SUCCESS) << two.message;
    EXPECT_EQ(one.columns, two.columns);

    // Bad lines in both halves: the first one is reported, with its line number.
    struct Fault
    {
        const char* name;
        std::vector<int> lines; // 0-based lines made bad
        int reported;           // 1-based
    };
    const Fault faults[] = {
        {"second half only", {15000}, 15001},
        {"both halves", {15000, 4000}, 4001},
        {"first line of the second half", {10001}, 10002},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        std::string bad = content;
        for (int line : fault.lines) {
            size_t pos = 0;
            for (int i = 0; i < line; ++i)
                pos = bad.find('\n', pos) + 1;
            bad.insert(pos, "x");
        }
        const std::string file = dir.Write("bad.csv", bad);
        for (int threads : {1, 2}) {
            AllColumns got;
            importWith(file, threads, got);
            EXPECT_EQ(got.result, ResultCode::FAILURE);
            EXPECT_EQ(got.message.utf8_string(),
                      "Conversion from string to numerical value is failed at " + file + ":" +
                          std::to_string(fault.reported) + "!");
        }
    }
}

TEST(CSVImport, TooLongLineAfterTheDataRowsFails)
{
    TempDir dir;
    auto project = CreateGraphProject();
    const std::string small = "1,2\n3,4\n";
    const std::string path = dir.Write("tail.csv", small);
    CSVImporter importer(path, *project);
    ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    CSVImportOption option = importer.GetOption();
    option.dataRows = 1;
    importer.SetOption(option);
    dir.Write("tail.csv", small + std::string(1023, '5') + "\n");
    EXPECT_EQ(importer.Import(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(importer.GetErrorMessage().utf8_string(),
              "The length of the line in CSV file is too much at " + path + ":3!");
    EXPECT_EQ(project->GetCount(), 0);
}

TEST(CSVImport, FileChangedAfterTheScan)
{
    TempDir dir;
    const std::string content = NumberedFile(6000, 3);
    for (int threads : {1, 2}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        const std::string path = dir.Write("changing.csv", content);
        auto project = CreateGraphProject();
        CSVImporter importer(path, *project);
        importer.SetThreadCount(threads);
        importer.SetParallelMinBytes(0);
        ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
        const std::string changed = "\"" + path + "\" has changed since it was scanned!";

        dir.Write("changing.csv", content.substr(0, content.size() / 3));
        EXPECT_EQ(importer.Import(nullptr), ResultCode::FAILURE);
        EXPECT_EQ(importer.GetErrorMessage().utf8_string(), changed);

        // Grown at the end: the scanned lines are all there, so it imports them.
        dir.Write("changing.csv", content + "1,2,3\n");
        EXPECT_EQ(importer.Import(nullptr), ResultCode::SUCCESS) << importer.GetErrorMessage();
        EXPECT_EQ(project->GetItem(0)->GetCount(), 6000u);

        // Shifted lines (same size): a clear failure or the same values, never garbage.
        dir.Write("changing.csv", "7,7\n" + content.substr(0, content.size() - 4));
        const ResultCode shifted = importer.Import(nullptr);
        if (shifted != ResultCode::SUCCESS) {
            EXPECT_FALSE(importer.GetErrorMessage().empty());
        }

        unlink(path.c_str());
        EXPECT_EQ(importer.Import(nullptr), ResultCode::FAILURE);
        EXPECT_EQ(importer.GetErrorMessage().utf8_string(), "Can't open \"" + path + "\"!");
    }
}

TEST(CSVImport, InvalidOptionFailsClearly)
{
    TempDir dir;
    auto project = CreateGraphProject();
    CSVImporter importer(dir.Write("o.csv", "0,1\n1,2\n"), *project);
    ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    const CSVImportOption good = importer.GetOption();
    struct Case
    {
        const char* name;
        void (*change)(CSVImportOption&);
    };
    const Case cases[] = {
        {"Y column beyond the columns", [](CSVImportOption& o) { o.dataSources[0].columnY = 2; }},
        {"negative X column", [](CSVImportOption& o) { o.dataSources[0].columnX = -1; }},
        {"too many rows", [](CSVImportOption& o) { o.dataRows = 3; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSVImportOption option = good;
        c.change(option);
        importer.SetOption(option);
        EXPECT_FALSE(importer.IsOptionValid());
        ExpectWxAsserts asserts;
        EXPECT_EQ(importer.Import(nullptr), ResultCode::FAILURE);
        EXPECT_EQ(importer.GetErrorMessage(), "The import option doesn't match the file!");
        EXPECT_EQ(project->GetCount(), 0);
    }
}

TEST(CSVImport, MemoryShortageFailsBeforeAllocating)
{
    TempDir dir;
    auto project = CreateGraphProject();
    CSVImporter importer(dir.Write("m.csv", NumberedFile(1000, 3)), *project);
    ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    importer.SetMemoryLimit(1000 * 8 * 2); // less than three columns of 1000 values
    EXPECT_EQ(importer.Import(nullptr), ResultCode::OUT_OF_MEMORY);
    EXPECT_EQ(importer.GetErrorMessage(), "Failed to allocate memory in the calculation process!");
    EXPECT_EQ(project->GetCount(), 0);
    importer.SetMemoryLimit(-1);
    EXPECT_EQ(importer.Import(nullptr), ResultCode::SUCCESS);
}

} // namespace

namespace {

TEST(CSVImport, BundledExamplesImport)
{
    struct Case
    {
        const char* file;
        wxChar separator;
        std::vector<std::string> labels;
        size_t points;
    };
    const Case cases[] = {
        {"signals.csv", ',', {"sine", "decay", "step", "spikes"}, 200000},
        {"signals.txt", '\t', {"square", "ramp"}, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto project = CreateGraphProject();
        CSVImporter importer(std::string(ARDENTINE_BINARY_DIR) + "/examples/" + c.file, *project);
        importer.SetSeparator(c.separator);
        ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS)
            << importer.GetErrorMessage();
        ASSERT_EQ(importer.Import(nullptr), ResultCode::SUCCESS) << importer.GetErrorMessage();
        ASSERT_EQ(project->GetCount(), int(c.labels.size()));
        for (int i = 0; i < project->GetCount(); ++i) {
            EXPECT_EQ(project->GetItem(i)->GetLabel().utf8_string(), c.labels[i]);
            EXPECT_EQ(project->GetItem(i)->GetCount(), c.points);
        }
    }
}

} // namespace
