#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>

#include "support/CsvImportUtil.h"
#include "support/CsvTestUtil.h"
#include "csv/CSVConverter.h"
#include "csv/CSVImporter.h"
#include "csv/CSVScanner.h"
#include "csv/Dialect.h"
#include "csv/SplitJoin.h"
#include "model/GraphProject.h"
#include "support/TestSupport.h"

namespace {

using csvtest::TempDir;
using Columns = std::vector<std::vector<double>>;
using Strings = std::vector<std::string>;
using Positions = std::vector<std::pair<int, int>>;

// Lines "00000,0" of one width, so that line k starts at 8 k.
std::string Numbered(int from, int to)
{
    std::string text;
    char line[32];
    for (int i = from; i < to; ++i)
        text.append(line, size_t(std::snprintf(line, sizeof line, "%05d,%d\n", i, i % 7)));
    return text;
}

// 20000 numbered lines with a bad line "x" before each of the lines `at`.
std::string WithBadLines(const std::vector<int>& at)
{
    std::string text;
    int from = 0;
    for (int line : at) {
        text += Numbered(from, line) + "x";
        from = line;
    }
    return text + Numbered(from, 20000);
}

// A data line of exactly `length` characters.
std::string LineOf(size_t length)
{
    std::string line;
    while (line.size() < length)
        line += line.size() % 2 ? ',' : '1';
    return line;
}

const std::string BOM = "\xEF\xBB\xBF";

using csvtest::Bits;
using csvtest::Imported;

// What one thread and two must agree on.
auto Scanned(const Imported& got)
{
    return std::make_tuple(got.info.rowCount, got.info.columnCount, got.option.headerRows,
                           got.option.dataRows, got.labels, got.gaps, got.firstGapLine,
                           Bits(got.values));
}

// Scans, then imports every column with counted X.
Imported ImportAllColumns(const std::string& path, char separator, int threads)
{
    csvtest::ImportHow how;
    how.separator = separator;
    how.threads = threads;
    how.everyColumn = true;
    return csvtest::ImportFile(path, how);
}

TEST(CSVScan, HeaderDetectionAndDefaultOption)
{
    // name, content, separator, rows, columns, shape (as csvtest::Shape writes it)
    const std::tuple<const char*, std::string, char, int, int, const char*> cases[] = {
        {"empty file", "", ',', 0, 0, ", .  0:"},
        {"header only", "a,b\nc\n", ',', 2, 0, ", .  2:"},
        {"one column", "1\n2\n3\n", ',', 3, 1, ", .  0:"},
        {"header lines joined as read", "a,b\nc,d,e\n1,2,3\n", ',', 3, 3, ", .  2: bc|d"},
        {"too few names", "t,a,b\n1,2,3,4\n", ',', 2, 4, ", .  1: a|b|Column 4"},
        // Files the plain reading can't convert are detected.
        {"text below the header", "x,y\n\ntext,1\n", ',', 3, 2, ", . XN 2: y#"},
        {"decimal comma with ';'", "1,5;2,3\n1;2\n", ';', 2, 2, "; .  1: 2,3"},
        {"byte-order mark skipped", BOM + "1,2\n3,4\n", ',', 2, 2, ", .  0: Column 2"},
        {"CR LF line ends", "h,v\r\n1,2\r\n3,4\r\n", ',', 3, 2, ", .  1: v"},
        {"lone CR is text", "1,2\r3\n", ',', 1, 2, ", . NX 0: Column 1#"},
        {"nothing after a trailing comma: no series", "t,v,\n0,1,\n1,2,\n", ',', 3, 3, ", .  1: v"},
    };
    TempDir dir;
    for (const auto& [name, content, separator, rows, columns, shape] : cases) {
        SCOPED_TRACE(name);
        csvtest::ImportHow how;
        how.separator = separator;
        const Imported got = csvtest::ImportFile(dir.Write("scan.csv", content), how);
        ASSERT_EQ(got.scan, ResultCode::SUCCESS) << got.message;
        EXPECT_EQ(std::make_tuple(got.info.rowCount, got.info.columnCount, got.option.dataRows,
                                  csvtest::Shape(got)),
                  std::make_tuple(rows, columns, rows - got.option.headerRows, shape));
    }
}

TEST(CSVScan, NumericLinesHoldOnlyNumberCharactersAndTheSeparator)
{
    EXPECT_TRUE(IsNumericLine(nullptr, nullptr, ','));
    const std::string numberCharacters = "0123456789 \t+-.dDeE";
    for (char separator : {',', ';', '\t', ' '}) {
        for (int byte = 0; byte < 256; ++byte) {
            const char c = char(byte);
            const std::string line = std::string("1") + c + "2";
            const bool want = c == separator || numberCharacters.find(c) != std::string::npos;
            EXPECT_EQ(IsNumericLine(line.data(), line.data() + line.size(), separator), want)
                << byte << " " << int(separator);
        }
    }
}

TEST(CSVScan, SplitLineMakesOnlyThePiecesAskedFor)
{
    const std::tuple<const char*, size_t, Strings> rows[] = {
        {"a,b,,c", SIZE_MAX, {"a", "b", "", "c"}}, {"", SIZE_MAX, {""}}, {"a,b,,c", 2, {"a", "b"}},
        {"a,b,,c", 4, {"a", "b", "", "c"}},        {"a,b", 0, {}},
    };
    for (const auto& [text, maxPieces, pieces] : rows) {
        Strings got;
        for (const wxString& piece : SplitLine(text, ',', maxPieces))
            got.push_back(piece.utf8_string());
        EXPECT_EQ(got, pieces) << text << " " << maxPieces;
    }
}

// Marks at true line starts, in order, at most PROGRESS_LINES apart, up to the last lines.
void ExpectMarksAtLineStarts(const CSVLineIndex& index, const std::vector<int64_t>& starts,
                             int64_t lines)
{
    const std::vector<CSVLineIndex::Mark>& marks = index.marks;
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks[0].line, 0);
    for (size_t k = 0; k < marks.size(); ++k) {
        ASSERT_LT(marks[k].line, lines);
        EXPECT_EQ(marks[k].offset, starts[size_t(marks[k].line)]) << k;
        if (k > 0) {
            EXPECT_GT(marks[k].line, marks[k - 1].line);
            EXPECT_LE(marks[k].line - marks[k - 1].line, PROGRESS_LINES);
        }
    }
    EXPECT_GT(marks.back().line, lines - 1 - PROGRESS_LINES);
}

// "2026-03-05 10:00:SS.mmm,k,k%7" for k = 0, 1, ...: one stamp per millisecond.
std::string Stamped(int lines)
{
    std::string text = "time,a,b\n";
    char line[64];
    for (int k = 0; k < lines; ++k)
        text.append(line,
                    size_t(std::snprintf(line, sizeof line, "2026-03-05 10:00:%02d.%03d,%d,%d\n",
                                         k / 1000, k % 1000, k, k % 7)));
    return text;
}

// A file of time stamps is all header to the plain reading: it is scanned by the detected
// dialect, its line index reaches its end, and its data ends at its last line with more than
// blanks (a carriage return is more, unless it ends the line before its line feed). Its
// values: CSVConvert.CellsFollowTheFieldRules.
TEST(CSVScan, StampedFileIsIndexedAndEndsAtItsLastLineWithMoreThanBlanks)
{
    const int lines = 20000;
    const std::pair<const char*, int> tails[] = {
        {"", 0},        {"  \n\t\n", 0}, {"\r\n \t\r\n", 0}, {"\r\r\n \n", 1},
        {" x \n\n", 1}, {"\n\n \t7", 3}, {"\t\r \n\n", 1},
    };
    TempDir dir;
    for (const auto& [tail, extraRows] : tails) {
        SCOPED_TRACE(tail);
        const std::string content = Stamped(lines) + tail;
        const std::string path = dir.Write("stamped.csv", content);
        for (int threads : {1, 2}) {
            SCOPED_TRACE(threads);
            const CSVImportTuning tuning = csvtest::Threads(threads);
            wxString message;
            CSVScanner scanner(path, DialectRequest(), tuning, message);
            ASSERT_EQ(scanner.Scan(nullptr), ResultCode::SUCCESS) << message;
            const CSVImportOption& option = scanner.GetOption();
            EXPECT_TRUE(option.dialect.detected);
            EXPECT_EQ(option.dialect.Column(0).layout, TimeLayout::ISO);
            EXPECT_EQ(
                std::make_tuple(option.headerRows, option.dataRows, csvtest::Kinds(option.dialect)),
                std::make_tuple(1, lines + extraRows, std::string("TNN")));
            ExpectMarksAtLineStarts(scanner.GetLineIndex(), csvtest::LineStarts(content),
                                    scanner.GetInfo().rowCount);
        }
    }
}

// Two threads scan the plain way as one does, wherever the header ends, whether its text
// fills the kept text (then the second part's own reading of its leading lines is used)
// or not (then that part is read again).
TEST(CSVScan, TwoThreadsFindTheHeaderAndColumnsOneThreadFinds)
{
    std::string header;
    for (int i = 0; i < 3000; ++i)
        header += "text line " + std::to_string(i) + ",x\n";
    // name, content, header rows, columns
    const std::tuple<const char*, std::string, int, int> cases[] = {
        {"header past the middle", header + Numbered(0, 100), 3000, 2},
        {"header and data past the middle", header + header + Numbered(0, 4000), 6000, 2},
        {"all header", header, 3000, 0},
        {"text lines after the middle are data", Numbered(0, 4000) + header + "1,2,3,4\n", 0, 4},
        {"wider text line after the middle", Numbered(0, 4000) + header + "a,b,c,d,e\n1,2\n", 0, 5},
    };
    TempDir dir;
    const std::string path = dir.Path("header.csv");
    for (const auto& [name, content, headerRows, columns] : cases) {
        SCOPED_TRACE(name);
        dir.Write("header.csv", content);
        for (size_t cap : {size_t(16) << 20, size_t(100)}) {
            SCOPED_TRACE(cap);
            csvtest::ImportHow how;
            how.request.detect = false;
            how.maxHeaderText = cap;
            const Imported one = csvtest::ImportFile(path, how);
            how.threads = 2;
            const Imported two = csvtest::ImportFile(path, how);
            ASSERT_EQ(one.scan, ResultCode::SUCCESS) << one.message;
            ASSERT_EQ(two.scan, ResultCode::SUCCESS) << two.message;
            EXPECT_EQ(std::make_pair(one.option.headerRows, one.info.columnCount),
                      std::make_pair(headerRows, columns));
            EXPECT_EQ(Scanned(two), Scanned(one));
        }
    }
}

TEST(CSVScan, FolderTooManyLinesAndBadSeparator)
{
    TempDir dir;
    auto project = CreateGraphProject();
    // A folder opens like a file but cannot be read: not an empty file. A FIFO would
    // block the scan until a writer appears: refused before it is opened for reading, by
    // the import too (the file may be swapped after the scan).
    const std::string fifo = dir.Path("pipe.csv");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {dir.Dir(), fifo}) {
        SCOPED_TRACE(path);
        CSVImporter importer(path, *project);
        EXPECT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::FAILURE);
        EXPECT_EQ(importer.GetErrorMessage().utf8_string(), "Can't read \"" + path + "\"!");
    }
    const std::string swapped = dir.Write("swapped.csv", "0,1\n1,2\n");
    CSVImporter importer(swapped, *project);
    ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    ASSERT_EQ(std::rename(fifo.c_str(), swapped.c_str()), 0);
    EXPECT_EQ(importer.ImportInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(importer.GetErrorMessage().utf8_string(), "Can't read \"" + swapped + "\"!");

    const std::string path = dir.Write("lines.csv", "1\n2\n3\n4\n");
    CSVImporter limited(path, *project);
    limited.Tuning().maxLineCount = 3;
    EXPECT_EQ(limited.ScanInfoInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(limited.GetErrorMessage().utf8_string(), "\"" + path + "\" has too many lines!");
    limited.Tuning().maxLineCount = 4;
    EXPECT_EQ(limited.ScanInfoInternal(nullptr), ResultCode::SUCCESS);

    ExpectWxAsserts asserts;
    limited.SetSeparator('x');
    EXPECT_EQ(limited.ScanInfoInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(limited.GetErrorMessage(),
              "The separator must be a tab, a space, a comma or a semicolon!");
    EXPECT_EQ(asserts.Count(), 2);
}

// Every case is read by one thread and by two, which must agree. A cell the plain rules
// can't read is a gap (NaN) and counted; lines of any length are read.
TEST(CSVImport, ConversionLineRulesGapsAndLongLinesWithOneAndTwoThreads)
{
    TempDir dir;
    const std::string path = dir.Path("lines.csv");
    const double N = std::nan("");
    // name, content, separator, values (unless listed, one thread's are compared with two's),
    // gaps, line of the first gap
    const std::tuple<const char*, std::string, char, Columns, int64_t, int64_t> cases[] = {
        {"empty field", "0,0,0\n1,,2\n", ',', {{0, 1}, {0, N}, {0, 2}}, 1, 2},
        {"two tabs collapse", "1\t\t2\n", '\t', {{1}, {2}, {0}}, 0, 0},
        {"two spaces collapse", "1  2\n", ' ', {{1}, {2}, {0}}, 0, 0},
        {"space before comma", "1 ,2\n", ',', {{1}, {2}}, 0, 0},
        {"leading spaces", " 1,\t2\n", ',', {{1}, {2}}, 0, 0},
        {"one trailing comma", "1,2,\n", ',', {{1}, {2}, {0}}, 0, 0},
        {"two trailing commas: no empty series", "1,2,,\n", ',', {{1}, {2}}, 0, 0},
        {"one trailing space", "1 2 \n", ' ', {{1}, {2}, {0}}, 0, 0},
        {"two trailing spaces", "1 2  \n", ' ', {{1}, {2}}, 0, 0},
        {"d and E exponents", "1.5d2;1.5E2;-2D-1\n", ';', {{150}, {150}, {-0.2}}, 0, 0},
        {"nan and text cells", "1,2\nnan,x\n3,4\n", ',', {{1, N, 3}, {2, N, 4}}, 2, 2},
        {"overflow is infinity", "1e999,-1e999\n", ',', {{HUGE_VAL}, {-HUGE_VAL}}, 0, 0},
        {"1023 + LF", "1\n" + LineOf(1023) + "\n", ',', {}, 0, 0},
        {"1023 + CR LF", "1\r\n" + LineOf(1023) + "\r\n", ',', {}, 0, 0},
        {"1023 at end of file", "1\n" + LineOf(1023), ',', {}, 0, 0},
        {"CR LF", "a,b\r\n1,2\r\n3,4,5\r\n" + Numbered(0, 5000), ',', {}, 0, 0},
        {"bad value in the second half", WithBadLines({15000}), ',', {}, 1, 15001},
        {"bad values in both halves", WithBadLines({4000, 15000}), ',', {}, 2, 4001},
        {"bad first line of the second half", WithBadLines({10000}), ',', {}, 1, 10001},
    };
    for (const auto& [name, content, separator, columns, gaps, firstGapLine] : cases) {
        SCOPED_TRACE(name);
        dir.Write("lines.csv", content);
        const Imported one = ImportAllColumns(path, separator, 1);
        const Imported two = ImportAllColumns(path, separator, 2);
        EXPECT_EQ(one.result, ResultCode::SUCCESS) << one.message;
        EXPECT_EQ(two.result, ResultCode::SUCCESS) << two.message;
        if (!columns.empty()) {
            EXPECT_EQ(Bits(one.values), Bits(columns));
        }
        EXPECT_EQ(one.gaps, gaps);
        EXPECT_EQ(one.firstGapLine, firstGapLine);
        EXPECT_EQ(Scanned(two), Scanned(one));
    }
}

// ConvertPlainLine reads a block of lines in one pass: a line it takes must end where the
// line ends and give the row ConvertFields gives it; lines of plain numbers it must take,
// others it may leave to ConvertFields.
TEST(CSVImport, OnePassOverPlainLinesGivesTheRowsOfTheLineRules)
{
    const std::vector<const char*> plain = {"0",        "-0.00194121",
                                            "4999.998", "1e5",
                                            "+.5",      "7.",
                                            "1.5d2",    "-2E-3",
                                            "1e-400",   "12345678901234567890",
                                            "-0",       "0.000000000000000001234"};
    const std::vector<const char*> other = {"",  " 1", "1 ",  "\t2",  "nan", "x",  "1e",
                                            "-", ".",  "\v3", "1\r2", "0x1", "1e+"};
    constexpr size_t COLUMNS = 5;
    std::mt19937_64 rng(28);
    auto pick = [&rng](size_t n) { return size_t(rng() % n); };
    for (char separator : {',', ';', '\t', ' '}) {
        SCOPED_TRACE(std::string("separator '") + separator + "'");
        std::string block;
        std::vector<bool> plainLines;
        for (int i = 0; i < 5000; ++i) {
            const size_t fields = pick(20) == 0 ? 0 : 1 + pick(COLUMNS + 1);
            bool isPlain = fields <= COLUMNS;
            for (size_t f = 0; f < fields; ++f) {
                const bool odd = pick(8) == 0;
                isPlain = isPlain && !odd;
                block += std::string(f ? 1 : 0, separator) +
                         (odd ? other[pick(other.size())] : plain[pick(plain.size())]);
            }
            if (fields && pick(10) == 0)
                block += separator; // a trailing separator
            block += pick(3) ? "\n" : "\r\n";
            plainLines.push_back(isPlain);
        }
        block.resize(block.size() - (block.size() >= 2 && block[block.size() - 2] == '\r' ? 2 : 1));
        double want[COLUMNS], got[COLUMNS];
        double* wantColumns[COLUMNS] = {&want[0], &want[1], nullptr, &want[3], &want[4]};
        double* gotColumns[COLUMNS] = {&got[0], &got[1], nullptr, &got[3], &got[4]};
        const char* p = block.data();
        const char* const end = p + block.size();
        for (size_t i = 0; p != end; ++i) {
            const char* lineFeed = std::find(p, end, '\n');
            const char* next = lineFeed == end ? end : lineFeed + 1;
            const char* lineEnd =
                lineFeed != end && lineFeed > p && lineFeed[-1] == '\r' ? lineFeed - 1 : lineFeed;
            SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + std::string(p, lineEnd));
            std::fill(std::begin(want), std::end(want), -7.5);
            std::fill(std::begin(got), std::end(got), -7.5);
            const bool read = ConvertFields(p, lineEnd, 0, wantColumns, COLUMNS, separator);
            const char* stop = ConvertPlainLine(p, end, 0, gotColumns, COLUMNS, separator);
            if (plainLines[i]) {
                ASSERT_NE(stop, nullptr);
            }
            if (stop) {
                ASSERT_EQ(stop, next);
                ASSERT_TRUE(read);
                ASSERT_EQ(std::memcmp(got, want, sizeof got), 0);
            }
            p = next;
        }
    }
}

// After the header the scan and the conversion take blocks of lines at once: lines,
// columns, line index and values must be those of the lines one by one, across the seams
// of blocks and threads, with a line longer than a block and every line end.
TEST(CSVImport, BlocksOfLinesReadAsLinesOneByOne)
{
    std::mt19937_64 rng(1208);
    auto pick = [&rng](size_t n) { return size_t(rng() % n); };
    // Cells the line rules read (an empty one or a blank line would be a gap).
    const std::vector<const char*> cells = {"1", "-0.5", " 2", "3.25e1", "7.", "0.001"};
    std::string content = "t,a,b\nunit,V,A\n";
    while (content.size() < 3000000) {
        const size_t k = pick(200);
        if (k == 0)
            content += pick(2) ? "\r\n" : "\n"; // empty: zeros
        else if (k == 1 && content.size() > 1500000 && content.size() < 1600000)
            content += std::string(1200000, ' ') + "7,7\n"; // longer than a block
        else {
            const size_t fields = 1 + pick(pick(50) == 0 ? 6 : 3);
            for (size_t f = 0; f < fields; ++f)
                content += std::string(f ? "," : "") + cells[pick(cells.size())];
            content += pick(4) ? "\n" : "\r\n";
        }
    }
    content += "4,5"; // no line end
    // The model: line starts, the widest data line, and each line by ConvertFields.
    const std::vector<int64_t> starts = csvtest::LineStarts(content);
    const int64_t lines = int64_t(starts.size());
    int columns = 0;
    for (int64_t line = 2; line < lines; ++line) {
        const int64_t end = line + 1 < lines ? starts[size_t(line) + 1] : int64_t(content.size());
        columns = std::max<int>(columns, 1 + int(std::count(content.begin() + starts[size_t(line)],
                                                            content.begin() + end, ',')));
    }
    Columns expected(size_t(columns), std::vector<double>(size_t(lines - 2), 0.0));
    std::vector<double*> targets(static_cast<size_t>(columns));
    for (int64_t line = 2; line < lines; ++line) {
        for (int c = 0; c < columns; ++c)
            targets[size_t(c)] = &expected[size_t(c)][size_t(line - 2)];
        const char* begin = content.data() + starts[size_t(line)];
        const char* end = content.data() + (line + 1 < lines ? starts[size_t(line) + 1] - 1
                                                             : int64_t(content.size()));
        if (end > begin && end[-1] == '\r')
            --end;
        ASSERT_TRUE(ConvertFields(begin, end, 0, targets.data(), targets.size(), ','));
    }

    TempDir dir;
    const std::string path = dir.Write("blocks.csv", content);
    for (int threads : {1, 2}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        DialectRequest plainOnly;
        plainOnly.detect = false;
        const CSVImportTuning tuning = csvtest::Threads(threads);
        wxString message;
        CSVScanner scanner(path, plainOnly, tuning, message);
        ASSERT_EQ(scanner.Scan(nullptr), ResultCode::SUCCESS) << message;
        EXPECT_EQ(std::make_tuple(scanner.GetInfo().rowCount, scanner.GetInfo().columnCount,
                                  scanner.GetOption().headerRows),
                  std::make_tuple(lines, columns, 2));
        ExpectMarksAtLineStarts(scanner.GetLineIndex(), starts, lines);
        const std::vector<CSVLineIndex::Mark>& marks = scanner.GetLineIndex().marks;
        for (size_t k = 0; threads == 1 && k < marks.size(); ++k)
            EXPECT_EQ(marks[k].line, int64_t(k) * PROGRESS_LINES); // one thread: evenly

        const Imported got = ImportAllColumns(path, ',', threads);
        ASSERT_EQ(got.result, ResultCode::SUCCESS) << got.message;
        EXPECT_EQ(got.gaps, 0);
        EXPECT_TRUE(Bits(got.values) == Bits(expected));
    }
}

TEST(CSVImport, ArithmeticProgressionTolerance)
{
    // name, values, passes, start, interval
    const std::tuple<const char*, std::vector<double>, bool, double, double> cases[] = {
        {"steps of 0.1", {0, 0.1, 0.2, 0.3}, true, 0, 0.1},
        {"one value", {7}, true, 7, 0},
        {"no values", {}, false, 0, 0},
        {"just inside 0.1 per cent", {10, 11, 12.0009}, true, 10, 1},
        {"just outside 0.1 per cent", {10, 11, 12.0011}, false, 0, 0},
        {"infinite value", {0, 1, HUGE_VAL}, false, 0, 0},
    };
    for (const auto& [name, values, passes, wantStart, wantInterval] : cases) {
        SCOPED_TRACE(name);
        double start = -1, interval = -1;
        EXPECT_EQ(IsArithmeticProgression(values.data(), values.size(), 0.1, start, interval),
                  passes);
        if (passes) {
            EXPECT_EQ(start, wantStart);
            EXPECT_DOUBLE_EQ(interval, wantInterval);
        }
    }
}

TEST(CSVImport, ProgressEvery1000LinesAndCancelAtEachStage)
{
    TempDir dir;
    const std::string path = dir.Write("p.csv", Numbered(0, 5000));
    Positions everyThousandLines;
    for (int line = 0; line < 5000; line += 1000)
        everyThousandLines.push_back({8 * line + 8, 40000});
    for (int threads : {1, 2}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        csvtest::Importing on(path, threads);
        CSVImporter& importer = on.importer;
        ThreadProcContext context;
        context.cancelAfterPositions = 2;
        EXPECT_EQ(importer.ScanInfo(&context), ResultCode::CANCELLED);
        EXPECT_EQ(importer.GetInfo().rowCount, 0);
        EXPECT_TRUE(importer.GetOption().dataSources.empty());

        ThreadProcContext scan, import;
        ASSERT_EQ(importer.ScanInfo(&scan), ResultCode::SUCCESS);
        for (const char* stage : {"", "Creating Mipmap"}) {
            SCOPED_TRACE(stage);
            context.Reset();
            context.cancelAfterPositions = *stage ? -1 : 2;
            context.cancelOnMessage = stage;
            EXPECT_EQ(importer.Import(&context, 64), ResultCode::CANCELLED);
            EXPECT_EQ(on.project->GetCount(), 0);
            EXPECT_TRUE(importer.GetSeries().empty());
        }

        ASSERT_EQ(importer.Import(&import, 64), ResultCode::SUCCESS);
        const ProgressRecord scanned = scan.Record(), imported = import.Record();
        EXPECT_EQ(on.project->GetItem(0)->GetDataY()->mipmapLevels, 7); // 5000 values, 64
        ASSERT_GE(imported.positions.size(), 5u);
        if (threads == 1) {
            EXPECT_EQ(scanned.positions, everyThousandLines);
            EXPECT_EQ(Positions(imported.positions.begin(), imported.positions.begin() + 5),
                      everyThousandLines);
        }
        for (size_t k = 1; k < scanned.positions.size(); ++k)
            EXPECT_LE(scanned.positions[k - 1].first, scanned.positions[k].first);
    }
}

TEST(CSVImport, FileChangedAfterTheScan)
{
    TempDir dir;
    const std::string content = Numbered(0, 6000);
    for (int threads : {1, 2}) {
        SCOPED_TRACE("threads " + std::to_string(threads));
        const std::string path = dir.Write("changing.csv", content);
        csvtest::Importing on(path, threads);
        CSVImporter& importer = on.importer;
        ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);

        dir.Write("changing.csv", content.substr(0, content.size() / 3));
        EXPECT_EQ(importer.Import(nullptr), ResultCode::FAILURE);
        EXPECT_EQ(importer.GetErrorMessage().utf8_string(),
                  "\"" + path + "\" has changed since it was scanned!");

        // Grown at the end: the scanned lines are all there, and the new ones are checked.
        dir.Write("changing.csv", content + "1,2\n");
        EXPECT_EQ(importer.Import(nullptr), ResultCode::SUCCESS) << importer.GetErrorMessage();
        EXPECT_EQ(on.project->GetItem(0)->GetCount(), 6000u);
        dir.Write("changing.csv", content + LineOf(100000) + "\n");
        EXPECT_EQ(importer.Import(nullptr), ResultCode::SUCCESS) << importer.GetErrorMessage();

        // Shifted lines of the same size: a clear failure or a consistent result.
        dir.Write("changing.csv", "7,7\n" + content.substr(0, content.size() - 4));
        if (importer.Import(nullptr) != ResultCode::SUCCESS) {
            EXPECT_FALSE(importer.GetErrorMessage().empty());
        }

        unlink(path.c_str());
        EXPECT_EQ(importer.Import(nullptr), ResultCode::FAILURE);
        EXPECT_EQ(importer.GetErrorMessage().utf8_string(), "Can't open \"" + path + "\"!");
    }
}

TEST(CSVImport, RefusedImportsLeaveTheProjectUntouched)
{
    TempDir dir;
    const std::string path = dir.Write("o.csv", "0,9\n1,6\n2,7\n3,5\n");
    const char* invalid = "The import option doesn't match the file!";
    const char* noMemory = "Failed to allocate memory in the calculation process!";
    // name, X and Y column, data rows, memory limit, result, message
    const std::tuple<const char*, int, int, int, int64_t, ResultCode, const char*> cases[] = {
        {"as scanned", 0, 1, 4, -1, ResultCode::SUCCESS, ""},
        {"X that goes down", 1, 1, 4, -1, ResultCode::FAILURE,
         "Column 2 goes down at line 2, so it can't be the X of a series!"},
        {"Y column beyond the columns", 0, 2, 4, -1, ResultCode::FAILURE, invalid},
        {"negative X column", -1, 1, 4, -1, ResultCode::FAILURE, invalid},
        {"too many rows", 0, 1, 5, -1, ResultCode::FAILURE, invalid},
        {"memory for one of two columns", 0, 1, 4, 32, ResultCode::OUT_OF_MEMORY, noMemory},
    };
    for (const auto& [name, columnX, columnY, dataRows, memoryLimit, result, message] : cases) {
        SCOPED_TRACE(name);
        csvtest::Importing on(path);
        ASSERT_EQ(on.importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
        on.ChangeOption([&](CSVImportOption& option) {
            option.dataSources[0].columnX = columnX;
            option.dataSources[0].columnY = columnY;
            option.dataRows = dataRows;
        });
        on.importer.Tuning().memoryLimit = memoryLimit;
        ExpectWxAsserts asserts; // an invalid option asserts
        EXPECT_EQ(on.importer.Import(nullptr), result);
        EXPECT_EQ(on.importer.GetErrorMessage(), message);
        EXPECT_EQ(on.project->GetCount(), result == ResultCode::SUCCESS ? 1 : 0);
    }
}

// A second series of one Y column shares its values and its mipmap, so the memory estimate
// counts the column once: 1024 rows, X and Y columns (16384 bytes) and one mipmap for a
// resolution of 32. (Labels and values of the default series:
// Dialect.FilesOfManyShapesOpenWithTheDefaults.)
TEST(CSVImport, ASecondSeriesOfOneColumnSharesItsValues)
{
    TempDir dir;
    std::string content = "time,a\n";
    for (int i = 0; i < 1024; ++i)
        content += std::to_string(i) + "," + std::to_string(i % 7) + "\n";
    const std::string path = dir.Write("m.csv", content);
    const int64_t need = 16384 + int64_t(MipmapBytes(1024, 32));
    ASSERT_GT(need, 16384);
    for (const auto& [limit, result] :
         {std::pair{need, ResultCode::SUCCESS}, {need - 1, ResultCode::OUT_OF_MEMORY}}) {
        SCOPED_TRACE(limit);
        csvtest::Importing on(path);
        ASSERT_EQ(on.importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
        on.ChangeOption([](CSVImportOption& option) {
            option.dataSources.push_back(DataSource{true, 2, 0.5, 0, 1, "again"});
        });
        on.importer.Tuning().memoryLimit = limit;
        ASSERT_EQ(on.importer.Import(nullptr, 32), result) << on.importer.GetErrorMessage();
        if (result != ResultCode::SUCCESS)
            continue;
        GraphProject& project = *on.project;
        ASSERT_EQ(project.GetCount(), 2);
        EXPECT_EQ(project.GetItem(1)->GetLabel(), "again");
        EXPECT_EQ(project.GetItem(1)->GetDataX(), (DataX{2.0, 0.5}));
        EXPECT_EQ(project.GetItem(0)->GetDataY(), project.GetItem(1)->GetDataY());
    }
}

} // namespace
