#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "support/CsvImportUtil.h"
#include "support/CsvTestUtil.h"
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
struct Picker
{
    size_t Below(size_t n) { return size_t(rng() % n); }
    const char* From(const std::vector<const char*>& pool) { return pool[Below(pool.size())]; }
    std::mt19937_64 rng{42};
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

// Scans `content`, imports every number and time column on one thread and on two, and
// compares each cell with the field rules applied to its record.
void ExpectCellsFollowTheFieldRules(const std::string& content, const std::string& dialectText,
                                    const std::string& kinds)
{
    TempDir dir;
    const std::string path = dir.Write("dialect.csv", content);
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        csvtest::ImportHow how;
        how.threads = threads;
        how.everyColumn = true;
        const csvtest::Imported got = csvtest::ImportFile(path, how);
        ASSERT_EQ(got.result, ResultCode::SUCCESS) << got.message;
        const CSVDialect& dialect = got.option.dialect;
        ASSERT_TRUE(dialect.detected);
        const char quote = dialect.quote ? dialect.quote : '-';
        EXPECT_EQ(std::string({dialect.separator, dialect.decimal, quote}), dialectText);
        ASSERT_EQ(csvtest::Kinds(dialect), kinds);
        std::vector<int> imported;
        for (int c = 0; c < got.info.columnCount; ++c) {
            if (dialect.Column(c).kind != ColumnKind::TEXT)
                imported.push_back(c);
        }
        const std::vector<std::string> records =
            SplitRecords(content, LineFormat{dialect.terminator, dialect.quote}, true);
        ASSERT_EQ(records.size(), size_t(got.info.rowCount));
        ASSERT_EQ(got.values.size(), imported.size());
        int64_t gaps = 0;
        for (size_t r = 0; r < got.values[0].size(); ++r) {
            const std::string& record = records[size_t(got.option.headerRows) + r];
            const std::vector<double> row = ModelRow(record, dialect, size_t(got.info.columnCount));
            for (size_t k = 0; k < imported.size(); ++k) {
                const double want = row[size_t(imported[k])];
                gaps += std::isnan(want);
                ASSERT_EQ(Bits(got.values[k][r]), Bits(want))
                    << "line " << size_t(got.option.headerRows) + r + 1 << " column "
                    << imported[k] + 1 << ": " << record;
            }
        }
        EXPECT_EQ(got.gaps, gaps);
    }
}

// Random files of each kind: one cell in ten a stamp that fails, short and long records,
// empty fields side by side, blanks that collapse, quotes around separators and line ends.
TEST(CSVConvert, CellsFollowTheFieldRules)
{
    // Numbers as files write them, and some that are no number of the CSV syntax.
    const std::vector<const char*> numbers = {
        "1",  "-2.5",    "+3e2", "1e",  ".5",    "5.",  "1.5d2", " 7 ",    "\t8",
        "9 ", "",        "nan",  "x",   "-",     ".",   "0x10",  "1e400",  "12345678901234567890",
        "-0", "1.25E-3", "1 2",  "\v3", "4e+01", "0.1", "-7",    "123.456"};
    const std::vector<const char*> decimalCommas = {
        "1,5", "-2,25", "3", " 4,5 ", "1.5", "", "x", "7,", ",5", "1,2,3", "-0,001", "2,5e3"};
    const std::vector<const char*> quoted = {"\"1.5\"",  "\"a,b\"", "\" 2 \"", "\"\"",
                                             "3",        " \"4\"",  "\"5\"x",  "\"say \"\"6\"\"\"",
                                             "\"7\n8\"", "-9"};
    const std::vector<const char*> blanks = {" ", "  ", "\t", " \t "};
    std::vector<const char*> noTabs;
    for (const char* number : numbers) {
        if (!std::strchr(number, '\t'))
            noTabs.push_back(number);
    }
    Picker pick;
    const auto shape = [&pick](const std::string& record, int i) { // short and long ones
        const size_t k = pick.Below(20);
        return record + (k == 0 ? ",extra,9\n" : "\n") + (k == 1 ? Stamp(pick, i) + ",1\n" : "") +
               (k == 2 ? "\n" : "");
    };
    // header, line i, dialect (separator, decimal mark, quote; '-': none), column kinds
    using Line = std::function<std::string(int)>;
    const std::tuple<const char*, Line, const char*, const char*> rows[] = {
        {"time,a,b,c\n",
         [&](int i) {
             return shape(Stamp(pick, i) + "," + pick.From(numbers) + "," + pick.From(numbers) +
                              "," + std::to_string(i),
                          i);
         },
         ",.-", "TNNNXN"},
        {"time;a;b\n",
         [&](int i) {
             return Stamp(pick, i) + ";" + pick.From(decimalCommas) + ";" + std::to_string(i) +
                    ",5\n";
         },
         ";,-", "TNN"},
        {"a\tb\tc\n", // a number is never read across a tab
         [&](int i) {
             const char* middle = pick.Below(4) == 0 ? "" : pick.From(noTabs);
             return std::to_string(i) + "\t" + middle + "\t" + pick.From(noTabs) + "\n";
         },
         "\t.-", "NNN"},
        {"a b c\n",
         [&](int i) {
             return std::string(pick.Below(3) == 0 ? " " : "") + std::to_string(i) +
                    pick.From(blanks) + std::to_string(i % 7) + ".5" + pick.From(blanks) +
                    (pick.Below(5) == 0 ? "x" : "-1e-3") + (pick.Below(4) == 0 ? "  " : "") + "\n";
         },
         " .-", "NNN"},
        {"\"time\",\"a\",\"b\"\n",
         [&](int i) {
             return "\"" + Stamp(pick, i) + "\"," + pick.From(quoted) + "," + std::to_string(i) +
                    "\n";
         },
         ",.\"", "TNN"},
    };
    for (const auto& [header, line, dialect, kinds] : rows) {
        SCOPED_TRACE(header);
        pick = Picker();
        std::string content = header;
        for (int i = 0; i < 3000; ++i)
            content += line(i);
        ExpectCellsFollowTheFieldRules(content, dialect, kinds);
    }
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
}

} // namespace
