#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CsvTestUtil.h"
#include "csv/CSVImporter.h"
#include "model/GraphProject.h"
#include "support/TestSupport.h"

namespace {

struct ScanExpect
{
    const char* name;
    std::string content;
    char separator;
    int rows;
    int columns;
    int headerRows;
    int dataRows;
    std::vector<std::string> labels; // one per default data source
};

std::vector<std::string> Labels(const CSVImportOption& option)
{
    std::vector<std::string> labels;
    for (const DataSource& source : option.dataSources)
        labels.push_back(source.label.utf8_string());
    return labels;
}

TEST(CSVScan, HeaderDetectionAndDefaultOption)
{
    const ScanExpect cases[] = {
        {"empty file", "", ',', 0, 0, 0, 0, {}},
        {"header only", "a,b\nc\n", ',', 2, 0, 2, 0, {}},
        {"one column", "1\n2\n3\n", ',', 3, 1, 0, 3, {}},
        {"named columns", "time,ch1,ch2\n0,1,2\n1,3,4\n", ',', 3, 3, 1, 2, {"ch1", "ch2"}},
        {"two header lines joined as read", "a,b\nc,d,e\n1,2,3\n", ',', 3, 3, 2, 1, {"bc", "d"}},
        {"too few names", "t,a,b\n1,2,3,4\n", ',', 2, 4, 1, 1, {"a", "b", "Column 4"}},
        {"no header", "0,1,2\n", ',', 1, 3, 0, 1, {"Column 2", "Column 3"}},
        {"blank line ends the header", "x,y\n\ntext,1\n", ',', 3, 2, 1, 2, {"y"}},
        {"text after data is data", "1,2\nab,c,d\n", ',', 2, 3, 0, 2, {"Column 2", "Column 3"}},
        {"decimal comma with ';'", "1,5;2,3\n1;2\n", ';', 2, 2, 1, 1, {"2,3"}},
        {"byte-order mark makes a header",
         "\xEF\xBB\xBF"
         "1,2\n3,4\n",
         ',',
         2,
         2,
         1,
         1,
         {"2"}},
        {"ragged lines and trailing comma",
         "1\n1,2,\n1,2\n",
         ',',
         3,
         3,
         0,
         3,
         {"Column 2", "Column 3"}},
        {"last line without line feed", "h,v\n1,2\n3,4", ',', 3, 2, 1, 2, {"v"}},
        {"CR LF line ends", "h,v\r\n1,2\r\n3,4\r\n", ',', 3, 2, 1, 2, {"v"}},
        {"lone CR is text", "1,2\r3\n", ',', 1, 0, 1, 0, {}},
        {"tab separator", "t\tu\tv\n0\t1\t2\n", '\t', 2, 3, 1, 1, {"u", "v"}},
        {"space separator", "t u\n0 1\n", ' ', 2, 2, 1, 1, {"u"}},
        {"exponent letters are numeric",
         "1e3,2d-1,+3.5E2\n",
         ',',
         1,
         3,
         0,
         1,
         {"Column 2", "Column 3"}},
        {"empty header names", "t,,\n1,2,3\n", ',', 2, 3, 1, 1, {"", ""}},
    };
    TempDir dir;
    auto project = CreateGraphProject();
    for (const ScanExpect& c : cases) {
        SCOPED_TRACE(c.name);
        CSVImporter importer(dir.Write("scan.csv", c.content), *project);
        importer.SetSeparator(c.separator);
        ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS)
            << importer.GetErrorMessage();
        const CSVFileInfo info = importer.GetInfo();
        EXPECT_EQ(info.rowCount, c.rows);
        EXPECT_EQ(info.columnCount, c.columns);
        const CSVImportOption option = importer.GetOption();
        EXPECT_EQ(option.headerRows, c.headerRows);
        EXPECT_EQ(option.dataRows, c.dataRows);
        EXPECT_EQ(Labels(option), c.labels);
        for (size_t k = 0; k < option.dataSources.size(); ++k) {
            EXPECT_FALSE(option.dataSources[k].useDirectVal);
            EXPECT_EQ(option.dataSources[k].columnX, 0);
            EXPECT_EQ(option.dataSources[k].columnY, int(k) + 1);
        }
    }
}

// Lines of exactly `length` characters (digits and commas, so they are data lines).
std::string LineOf(size_t length)
{
    std::string line;
    while (line.size() < length)
        line += line.size() % 2 ? ',' : '1';
    return line;
}

TEST(CSVScan, LineLengthLimitWithLFAndCRLF)
{
    struct LimitCase
    {
        const char* name;
        std::string content;
        int failingLine; // 0: accepted
    };
    const LimitCase cases[] = {
        {"1022 + LF", "1\n" + LineOf(1022) + "\n", 0},
        {"1023 + LF", "1\n" + LineOf(1023) + "\n", 2},
        {"1022 + CR LF", "1\r\n" + LineOf(1022) + "\r\n", 0},
        {"1023 + CR LF", "1\r\n" + LineOf(1023) + "\r\n", 2},
        {"1022 at end of file", "1\n" + LineOf(1022), 0},
        {"1023 at end of file", "1\n" + LineOf(1023), 2},
        {"1022 + lone CR at end of file", "1\n" + LineOf(1022) + "\r", 2},
        {"long line after many short ones", std::string(3000, '\n') + LineOf(5000), 3001},
        {"long header line", LineOf(1) + "x" + LineOf(1030) + "\n", 1},
    };
    TempDir dir;
    auto project = CreateGraphProject();
    for (const LimitCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("limit.csv", c.content);
        CSVImporter importer(path, *project);
        const ResultCode result = importer.ScanInfoInternal(nullptr);
        if (c.failingLine == 0) {
            EXPECT_EQ(result, ResultCode::SUCCESS) << importer.GetErrorMessage();
            continue;
        }
        EXPECT_EQ(result, ResultCode::FAILURE);
        EXPECT_EQ(importer.GetErrorMessage().utf8_string(),
                  "The length of the line in CSV file is too much at " + path + ":" +
                      std::to_string(c.failingLine) + "!");
        EXPECT_EQ(importer.GetInfo().rowCount, 0); // a failed scan leaves the result alone
    }
}

TEST(CSVScan, ReportsByteProgressEvery1000LinesAndCancels)
{
    std::string content;
    std::vector<int> lineEnds; // offset after each line
    for (int i = 0; i < 2500; ++i) {
        content += std::to_string(i) + ",1\n";
        lineEnds.push_back(int(content.size()));
    }
    TempDir dir;
    const std::string path = dir.Write("progress.csv", content);
    auto project = CreateGraphProject();

    CSVImporter importer(path, *project);
    ThreadProcContext context;
    ASSERT_EQ(importer.ScanInfo(&context), ResultCode::SUCCESS);
    const ProgressRecord record = context.Record();
    const int total = int(content.size());
    const std::vector<std::pair<int, int>> expected = {
        {lineEnds[0], total}, {lineEnds[1000], total}, {lineEnds[2000], total}};
    EXPECT_EQ(record.positions, expected);
    ASSERT_EQ(record.messages.size(), 1u);
    EXPECT_EQ(record.messages[0], "Scan \"" + path + "\" ...");

    CSVImporter cancelled(path, *project);
    ThreadProcContext cancelling;
    cancelling.cancelAfterPositions = 2;
    EXPECT_EQ(cancelled.ScanInfo(&cancelling), ResultCode::CANCELLED);
    EXPECT_EQ(cancelled.GetInfo().rowCount, 0);
    EXPECT_TRUE(cancelled.GetOption().dataSources.empty());
}

TEST(CSVScan, MissingFileTooManyLinesAndBadSeparator)
{
    TempDir dir;
    auto project = CreateGraphProject();
    const std::string missing = dir.Path("missing.csv");
    CSVImporter importer(missing, *project);
    EXPECT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(importer.GetErrorMessage().utf8_string(), "Can't open \"" + missing + "\"!");

    // A folder opens like a file but cannot be read: not an empty file.
    CSVImporter folder(dir.Dir(), *project);
    EXPECT_EQ(folder.ScanInfoInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(folder.GetErrorMessage().utf8_string(), "Can't read \"" + dir.Dir() + "\"!");

    // The row counts are 32-bit: a file with more lines fails instead of overflowing.
    const std::string path = dir.Write("lines.csv", "1\n2\n3\n4\n");
    CSVImporter limited(path, *project);
    limited.SetMaxLineCount(3);
    EXPECT_EQ(limited.ScanInfoInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(limited.GetErrorMessage().utf8_string(), "\"" + path + "\" has too many lines!");
    limited.SetMaxLineCount(4);
    EXPECT_EQ(limited.ScanInfoInternal(nullptr), ResultCode::SUCCESS);

    ExpectWxAsserts asserts;
    limited.SetSeparator('x');
    EXPECT_EQ(limited.ScanInfoInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(limited.GetErrorMessage(),
              "The separator must be a tab, a space, a comma or a semicolon!");
    EXPECT_EQ(asserts.Count(), 2);
}

TEST(CSVScan, TwoThreadsScanLikeOne)
{
    auto numbered = [](int from, int to) {
        std::string text;
        for (int i = from; i < to; ++i)
            text += std::to_string(i) + "," + std::to_string(i % 7) + (i % 5 ? "\n" : ",\n");
        return text;
    };
    std::string headerLines;
    for (int i = 0; i < 3000; ++i)
        headerLines += "text line " + std::to_string(i) + ",x\n";
    struct Case
    {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"data", "t,a,b\n" + numbered(0, 20000)},
        {"header lines past the middle", headerLines + numbered(0, 100)},
        {"too long line in the second half",
         numbered(0, 10000) + LineOf(1023) + "\n" + numbered(0, 10)},
        {"too long lines in both halves",
         numbered(0, 3000) + LineOf(2000) + "\n" + numbered(0, 9000) + LineOf(1023)},
        {"last line without line feed", numbered(0, 9999) + "1,2,3,4"},
        {"CR LF", "a,b\r\n1,2\r\n3,4,5\r\n" + numbered(0, 5000)},
    };
    TempDir dir;
    auto project = CreateGraphProject();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.Write("two.csv", c.content);
        CSVImporter one(path, *project), two(path, *project);
        one.SetThreadCount(1);
        two.SetThreadCount(2);
        two.SetParallelMinBytes(0);
        ThreadProcContext context;
        const ResultCode result = one.ScanInfoInternal(nullptr);
        EXPECT_EQ(two.ScanInfo(&context), result);
        EXPECT_EQ(two.GetErrorMessage(), one.GetErrorMessage());
        EXPECT_EQ(two.GetInfo().rowCount, one.GetInfo().rowCount);
        EXPECT_EQ(two.GetInfo().columnCount, one.GetInfo().columnCount);
        EXPECT_EQ(two.GetOption().headerRows, one.GetOption().headerRows);
        EXPECT_EQ(Labels(two.GetOption()), Labels(one.GetOption()));
        const ProgressRecord record = context.Record();
        for (size_t k = 1; k < record.positions.size(); ++k)
            EXPECT_LE(record.positions[k - 1].first, record.positions[k].first);
    }

    CSVImporter cancelled(dir.Write("two.csv", numbered(0, 20000)), *project);
    cancelled.SetParallelMinBytes(0);
    cancelled.SetThreadCount(2);
    ThreadProcContext cancelling;
    cancelling.cancelAfterPositions = 2;
    EXPECT_EQ(cancelled.ScanInfo(&cancelling), ResultCode::CANCELLED);
    EXPECT_EQ(cancelled.GetInfo().rowCount, 0);
}

} // namespace
