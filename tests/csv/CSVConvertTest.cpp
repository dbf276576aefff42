#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/CsvTestUtil.h"
#include "csv/CSVImporter.h"
#include "csv/Dialect.h"
#include "model/GraphProject.h"

namespace {

using csvtest::TempDir;

const double GAP = std::nan("");

uint64_t Bits(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Fixed-seed picks, so that every run writes the same files.
class Picker
{
public:
    size_t Below(size_t n)
    {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return size_t(m_state >> 33) % n;
    }
    const char* From(const std::vector<const char*>& pool) { return pool[Below(pool.size())]; }

private:
    uint64_t m_state = 42;
};

// "2026-03-05 10:MM:SS.mmm" for a millisecond count, or once in a while a stamp that fails.
std::string Stamp(Picker& pick, int ms)
{
    static const std::vector<const char*> odd = {"",
                                                 "  ",
                                                 "bad",
                                                 "2026-02-30 10:00:00",
                                                 "2026-03-05T10:00:00Z",
                                                 " 2026-03-05 10:00:01.5 ",
                                                 "2026-03-05 10:00",
                                                 "2026-3-5 10:00:02"};
    if (pick.Below(10) == 0)
        return pick.From(odd);
    char text[32];
    std::snprintf(text, sizeof text, "2026-03-05 10:%02d:%02d.%03d", ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    return text;
}

// The values the field rules give a record: one per column, NaN for a gap.
std::vector<double> ModelRow(const std::string& record, const CSVDialect& dialect, size_t columns)
{
    std::vector<double> row(columns, GAP);
    size_t c = 0;
    ForEachField(record.data(), record.data() + record.size(), dialect.separator, dialect.quote,
                 [&](const Field& field) {
                     if (c < columns) {
                         const ColumnFormat format = dialect.Column(int(c));
                         double value;
                         TimeNanos time;
                         if (format.kind == ColumnKind::NUMBER) {
                             if (ParseNumberField(field.begin, field.end, dialect.decimal, value))
                                 row[c] = value;
                         } else if (ParseTime(field.begin, field.end, format.layout, time)) {
                             row[c] = TimeSeconds(time, format.origin);
                         }
                     }
                     ++c;
                 });
    return row;
}

struct Expectation
{
    char separator, decimal, quote;
    std::vector<ColumnKind> kinds;
};

// Scans `content`, imports every number and time column on one thread and on two, and
// compares each cell with the field rules applied to its record.
void ExpectCellsFollowTheFieldRules(const std::string& content, const Expectation& expected)
{
    TempDir dir;
    const std::string path = dir.Write("dialect.csv", content);
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        auto project = CreateGraphProject();
        CSVImporter importer(path, *project);
        importer.Tuning().threadCount = threads;
        importer.Tuning().parallelMinBytes = 0;
        ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
        const CSVFileInfo info = importer.GetInfo();
        CSVImportOption option = importer.GetOption();
        const CSVDialect& dialect = option.dialect;
        ASSERT_TRUE(dialect.detected);
        EXPECT_EQ(dialect.separator, expected.separator);
        EXPECT_EQ(dialect.decimal, expected.decimal);
        EXPECT_EQ(dialect.quote, expected.quote);
        ASSERT_EQ(info.columnCount, int(expected.kinds.size()));
        std::vector<int> imported;
        option.dataSources.clear();
        for (int c = 0; c < info.columnCount; ++c) {
            EXPECT_EQ(dialect.Column(c).kind, expected.kinds[size_t(c)]) << c;
            if (dialect.Column(c).kind != ColumnKind::TEXT) {
                option.dataSources.push_back(DataSource{true, 0, 1, 0, c, ""});
                imported.push_back(c);
            }
        }
        importer.SetOption(option);
        ASSERT_EQ(importer.ImportInternal(nullptr), ResultCode::SUCCESS)
            << importer.GetErrorMessage();

        const std::vector<std::string> records =
            SplitRecords(content, LineFormat{dialect.terminator, dialect.quote}, true);
        ASSERT_EQ(records.size(), size_t(info.rowCount));
        int64_t gaps = 0;
        const auto& series = importer.GetSeries();
        ASSERT_EQ(series.size(), imported.size());
        for (int r = 0; r < option.dataRows; ++r) {
            const std::string& record = records[size_t(option.headerRows + r)];
            const std::vector<double> row = ModelRow(record, dialect, size_t(info.columnCount));
            for (size_t k = 0; k < imported.size(); ++k) {
                const double want = row[size_t(imported[k])];
                gaps += std::isnan(want);
                ASSERT_EQ(Bits(series[k]->GetDataY()->raw[size_t(r)]), Bits(want))
                    << "line " << option.headerRows + r + 1 << " column " << imported[k] + 1 << ": "
                    << record;
            }
        }
        EXPECT_EQ(importer.GetGapCount(), gaps);
    }
}

// Numbers as files write them, and some that are no number of the CSV syntax.
const std::vector<const char*> POINT_NUMBERS = {
    "1",  "-2.5",    "+3e2", "1e",  ".5",    "5.",  "1.5d2", " 7 ",    "\t8",
    "9 ", "",        "nan",  "x",   "-",     ".",   "0x10",  "1e400",  "12345678901234567890",
    "-0", "1.25E-3", "1 2",  "\v3", "4e+01", "0.1", "-7",    "123.456"};

TEST(CSVConvert, CommaSeparatedTimeAndNumbers)
{
    Picker pick;
    std::string content = "time,a,b,c\n";
    for (int i = 0; i < 3000; ++i) {
        content += Stamp(pick, i) + "," + pick.From(POINT_NUMBERS) + "," +
                   pick.From(POINT_NUMBERS) + "," + std::to_string(i);
        // Short and long records now and then.
        const size_t shape = pick.Below(20);
        if (shape == 0)
            content += ",extra,9";
        content += "\n";
        if (shape == 1)
            content += Stamp(pick, i) + ",1\n";
        if (shape == 2)
            content += "\n";
    }
    ExpectCellsFollowTheFieldRules(content,
                                   {',',
                                    '.',
                                    0,
                                    {ColumnKind::TIME, ColumnKind::NUMBER, ColumnKind::NUMBER,
                                     ColumnKind::NUMBER, ColumnKind::TEXT, ColumnKind::NUMBER}});
}

TEST(CSVConvert, DecimalCommaAndSemicolons)
{
    const std::vector<const char*> numbers = {"1,5", "-2,25", "3",  " 4,5 ", "1.5",    "",
                                              "x",   "7,",    ",5", "1,2,3", "-0,001", "2,5e3"};
    Picker pick;
    std::string content = "time;a;b\n";
    for (int i = 0; i < 3000; ++i)
        content += Stamp(pick, i) + ";" + pick.From(numbers) + ";" + std::to_string(i) + ",5\n";
    ExpectCellsFollowTheFieldRules(
        content, {';', ',', 0, {ColumnKind::TIME, ColumnKind::NUMBER, ColumnKind::NUMBER}});
}

TEST(CSVConvert, TabsWithEmptyFields)
{
    std::vector<const char*> numbers;
    for (const char* number : POINT_NUMBERS) {
        if (!std::strchr(number, '\t'))
            numbers.push_back(number);
    }
    Picker pick;
    std::string content = "a\tb\tc\n";
    for (int i = 0; i < 3000; ++i) {
        // Empty fields next to each other: a number is never read across a tab.
        const char* middle = pick.Below(4) == 0 ? "" : pick.From(numbers);
        content += std::to_string(i) + "\t" + middle + "\t" + pick.From(numbers) + "\n";
    }
    ExpectCellsFollowTheFieldRules(
        content, {'\t', '.', 0, {ColumnKind::NUMBER, ColumnKind::NUMBER, ColumnKind::NUMBER}});
}

TEST(CSVConvert, SpacesCollapse)
{
    const std::vector<const char*> gaps = {" ", "  ", "\t", " \t "};
    Picker pick;
    std::string content = "a b c\n";
    for (int i = 0; i < 3000; ++i)
        content += std::string(pick.Below(3) == 0 ? " " : "") + std::to_string(i) +
                   pick.From(gaps) + std::to_string(i % 7) + ".5" + pick.From(gaps) +
                   (pick.Below(5) == 0 ? "x" : "-1e-3") + (pick.Below(4) == 0 ? "  " : "") + "\n";
    ExpectCellsFollowTheFieldRules(
        content, {' ', '.', 0, {ColumnKind::NUMBER, ColumnKind::NUMBER, ColumnKind::NUMBER}});
}

TEST(CSVConvert, QuotedFields)
{
    const std::vector<const char*> quoted = {"\"1.5\"",  "\"a,b\"", "\" 2 \"", "\"\"",
                                             "3",        " \"4\"",  "\"5\"x",  "\"say \"\"6\"\"\"",
                                             "\"7\n8\"", "-9"};
    Picker pick;
    std::string content = "\"time\",\"a\",\"b\"\n";
    for (int i = 0; i < 3000; ++i)
        content +=
            "\"" + Stamp(pick, i) + "\"," + pick.From(quoted) + "," + std::to_string(i) + "\n";
    ExpectCellsFollowTheFieldRules(
        content, {',', '.', '"', {ColumnKind::TIME, ColumnKind::NUMBER, ColumnKind::NUMBER}});
}

// The exact difference, as the int128 arithmetic gives it, for any two instants.
TEST(CSVConvert, TimeSecondsNearTheEnds)
{
    const TimeNanos values[] = {
        INT64_MIN,        INT64_MIN + 1,       -NANOS_PER_SECOND - 1, -1,       0, 1, 999999999,
        NANOS_PER_SECOND, 1772704800001000000, INT64_MAX - 1,         INT64_MAX};
    for (TimeNanos t : values) {
        for (TimeNanos origin : values) {
            __extension__ typedef __int128 Wide;
            const Wide difference = Wide(t) - Wide(origin);
            Wide seconds = difference / NANOS_PER_SECOND;
            Wide nanos = difference % NANOS_PER_SECOND;
            if (nanos < 0) {
                nanos += NANOS_PER_SECOND;
                --seconds;
            }
            const double want = double(int64_t(seconds)) + double(int64_t(nanos)) * 1e-9;
            EXPECT_EQ(Bits(TimeSeconds(t, origin)), Bits(want)) << t << " " << origin;
        }
    }
    EXPECT_EQ(TimeSeconds(1500000000, 0), 1.5);
    EXPECT_EQ(TimeSeconds(0, 1500000000), -1.5);
}

} // namespace
