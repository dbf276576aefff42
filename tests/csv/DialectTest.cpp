// Real files: their dialect as detected from a sample, the default option made of it,
// and the values read, table by table; then an oracle over random files in random
// dialects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "support/CsvImportUtil.h"
#include "support/CsvTestUtil.h"
#include "csv/CSVConverter.h"
#include "csv/CSVImporter.h"
#include "model/GraphProject.h"

namespace {

using Strings = std::vector<std::string>;
using Columns = std::vector<std::vector<double>>;
const double N = std::nan("");

using csvtest::Imported;
using csvtest::Kinds;

Imported ReadFile(const std::string& path, const DialectRequest& request = DialectRequest(),
                  int threads = 1, bool everyColumn = false)
{
    csvtest::ImportHow how;
    how.request = request;
    how.threads = threads;
    how.everyColumn = everyColumn;
    return csvtest::ImportFile(path, how);
}

using csvtest::Bits;
using csvtest::Shape;

TEST(Dialect, FilesOfManyShapesOpenWithTheDefaults)
{
    const struct
    {
        const char* name;
        std::string content;
        const char* shape;
        std::vector<std::vector<double>> values;
    } rows[] = {
        {"semicolons and decimal commas in a .csv",
         "a;b;c\n1;2,5;-3,25e1\n2;3,5;4\n",
         "; , NNN 1: b|c",
         {{2.5, 3.5}, {-32.5, 4}}},
        {"aligned with spaces", "  t    v\n  0  1.5\n  1  2.5\n", "  . NN 1: v", {{1.5, 2.5}}},
        {"quoted header and fields",
         "\"t\",\"Yval\"\n\"0\",\"1.5\"\n\"1\",\"2\"\n",
         ", . NN 1: Yval",
         {{1.5, 2}}},
        {"decimal commas inside quotes",
         "t,v\n0,\"1,5\"\n1,\"2,25\"\n",
         ", , NN 1: v",
         {{1.5, 2.25}}},
        {"separators and line ends inside quotes",
         "t,name,v\n0,\"a, \"\"b\"\"\nc\",1\n1,d,2\n",
         ", . NXN 1: v",
         {{1, 2}}},
        {"text columns skipped",
         "id,town,temp,sky\n1,Oslo,3,drizzle\n2,Bergen,4.5,rain\n",
         ", . NXNX 1: temp",
         {{3, 4.5}}},
        {"gaps of every spelling",
         "t,v\n0,1\n1,\n2,nan\n3,NA\n4,-\n5,n/a\n6,oops\n7,2\n",
         ", . NN 1: v",
         {{1, N, N, N, N, N, N, 2}}},
        {"trailing separator makes no series", "t;v;\n0;1,5;\n1;2;\n", "; , NNX 1: v", {{1.5, 2}}},
        {"title and units above the header",
         "Station 7 export\n\ntime;volt;amp\ns;V;A\n0;1;2\n1;3;4\n",
         "; . NNN 4: volt|amp",
         {{1, 3}, {2, 4}}},
        {"comment lines",
         "# CO2 monthly\n# year month value\n1958 3 315.7\n1958 4 317.45\n",
         "  . NNN 2: year#|month#|value#",
         {{1958, 1958}, {3, 4}, {315.7, 317.45}}},
        {"a second header block is gaps",
         "t,v\n0,1\n1,2\nt,v\n2,3\n",
         ", . NN 1: t#|v#",
         {{0, 1, N, 2}, {1, 2, N, 3}}},
        {"carriage returns only", "t,v\r0,1\r1,2\r", ", . NN 1: v", {{1, 2}}},
        {"CR LF with a byte-order mark",
         "\xEF\xBB\xBFt;v\r\n0;1,5\r\n",
         "; , NN 1: t#|v#",
         {{0}, {1.5}}},
        {"logger time stamps, no header",
         "2019-06-03 15:39:47.260,1\n2019-06-03 15:39:47.270,2\n",
         ", . TN 0: Column 2",
         {{1, 2}}},
        {"plain, first column goes down: every column counts its points",
         "speed,lift\n30,1.5\n20,0.5\n25,1\n",
         ", .  1: speed#|lift#",
         {{30, 20, 25}, {1.5, 0.5, 1}}},
        {"text first column: every number column counts its points",
         "name;a\nx;1,5\ny;2\n",
         "; , XN 1: a#",
         {{1.5, 2}}},
    };
    csvtest::TempDir dir;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        for (int threads : {1, 2}) {
            const Imported got = ReadFile(dir.Write("f.csv", r.content), DialectRequest(), threads);
            ASSERT_EQ(ResultCode::SUCCESS, got.scan) << got.message;
            EXPECT_EQ(ResultCode::SUCCESS, got.result) << got.message;
            EXPECT_EQ(r.shape, Shape(got));
            EXPECT_EQ(Bits(r.values), Bits(got.values));
        }
    }
}

// A time column read as a series: its values are seconds from its origin, exact to the
// microsecond whatever the spelling.
TEST(Dialect, TimeSpellingsReadToTheirInstant)
{
    // two stamps of one column, the second in ISO text to the microsecond
    const std::tuple<std::string, std::string, const char*> rows[] = {
        {"2012-01-01", "2012-01-02", "2012-01-02T00:00:00.000000"},
        {"Jan 1 2000", "Feb 29 2000", "2000-02-29T00:00:00.000000"},
        {"01-Mar-2026", "02-Mar-2026", "2026-03-02T00:00:00.000000"},
        {"\"March 3, 2026\"", "\"March 4, 2026\"", "2026-03-04T00:00:00.000000"},
        {"2026-03-05T10:00:00Z", "2026-03-05T12:00:00+01:00", "2026-03-05T11:00:00.000000"},
        {"2026-03-05 10:00:00.123456789", "2026-03-05 10:00:00.000001",
         "2026-03-05T10:00:00.000001"},
        {"13/04/2026", "14/04/2026", "2026-04-14T00:00:00.000000"}, // day first, settled
        {"04/13/2026", "04/14/2026", "2026-04-14T00:00:00.000000"}, // month first, settled
        {"03/04/2026", "05/04/2026", "2026-04-05T00:00:00.000000"}, // unsettled: day first
        {"1900-01-01 00:00:00.000001", "2199-12-31 23:59:59.999999", "2199-12-31T23:59:59.999999"},
    };
    csvtest::TempDir dir;
    for (const auto& [first, second, iso] : rows) {
        SCOPED_TRACE(second);
        const Imported got = ReadFile(
            dir.Write("t.csv", "when,v\n" + first + ",1\n" + second + ",2\n"), {}, 1, true);
        ASSERT_EQ(ResultCode::SUCCESS, got.result) << got.message;
        ASSERT_EQ("TN", Kinds(got.option.dialect));
        const double seconds = got.values[0][1];
        TimeNanos expected;
        ASSERT_TRUE(ParseTime(iso, iso + std::strlen(iso), TimeLayout::ISO, expected));
        const long double offset = (long double)expected - got.option.dialect.columns[0].origin;
        EXPECT_LT(std::fabs(offset - (long double)seconds * 1e9L), 1000.0L); // within 1 µs
    }
}

TEST(Dialect, DateAndClockColumnsJoinAndClocksWrapPastMidnight)
{
    csvtest::TempDir dir;
    const Imported joined = ReadFile(
        dir.Write("j.csv", "date,time,v\n2026-03-05,23:59:59.5,1\n2026-03-06,00:00:00.5,2\n"));
    EXPECT_EQ(", . TTN 1: v", Shape(joined));
    EXPECT_EQ(Strings{"2026-03-05T23:59:59.500"}, joined.xStarts);

    const Imported clock =
        ReadFile(dir.Write("c.csv", "t,v\n23:59:59,1\n00:00:01,2\n00:00:03,3\n"));
    ASSERT_EQ(ResultCode::SUCCESS, clock.result) << clock.message;
    EXPECT_EQ(Bits({{0, 2, 4}}), Bits(clock.xs)); // from the first time
}

TEST(Dialect, RequestsOverrideTheDetection)
{
    csvtest::TempDir dir;
    const std::string path = dir.Write("e.csv", "t,v\n1733600000123,1\n1733600000124,2\n");
    EXPECT_EQ("", Kinds(ReadFile(path).option.dialect)); // read the plain way: epochs are numbers
    DialectRequest request;
    request.SetColumn(ColumnRequest{0, ColumnKind::TIME, TimeLayout::EPOCH_MS});
    const Imported epoch = ReadFile(path, request);
    EXPECT_EQ("TN", Kinds(epoch.option.dialect));
    EXPECT_EQ(Strings{"2024-12-07T19:33:20.123"}, epoch.xStarts);

    DialectRequest comma;
    comma.decimal = ',';
    comma.separator = ';';
    const Imported decimals = ReadFile(dir.Write("d.csv", "t;v\n0;1,5\n1;2\n"), comma);
    EXPECT_EQ(Bits({{1.5, 2}}), Bits(decimals.values));
}

TEST(Dialect, WideAndLongLines)
{
    std::string header = "t", line = "0";
    for (int c = 1; c < 5000; ++c) {
        header += ",c" + std::to_string(c);
        line += "," + std::to_string(c) + ".5";
    }
    csvtest::TempDir dir;
    const Imported wide = ReadFile(dir.Write("w.csv", header + "\n" + line + "\n" + line + "\n"));
    EXPECT_EQ(5000, wide.info.columnCount);
    ASSERT_EQ(4999u, wide.values.size());
    EXPECT_EQ(4999.5, wide.values.back()[1]);
    EXPECT_EQ("c4999", wide.labels.back());
}

TEST(Dialect, FilesWithoutSeriesAreRefusedWithTheReason)
{
    csvtest::TempDir dir;
    const std::string text = dir.Write("x.csv", "name,town\nAnn,Oslo\n");
    const Imported none = ReadFile(text);
    EXPECT_TRUE(none.option.dataSources.empty());
    EXPECT_EQ("\"" + text + "\" has no data lines to import!",
              CheckDefaultImport(text, none.info, none.option).utf8_string());

    // A number column chosen where every cell is a gap.
    csvtest::Importing on(dir.Write("e.csv", "t,v,w\n0,1,\n1,2,-\n"));
    ASSERT_EQ(ResultCode::SUCCESS, on.importer.ScanInfoInternal(nullptr));
    on.ChangeOption([](CSVImportOption& option) {
        option.dialect.columns[2].kind = ColumnKind::NUMBER;
        option.dataSources.push_back(DataSource{true, 0, 1, 0, 2, "w"});
    });
    EXPECT_EQ(ResultCode::FAILURE, on.importer.Import(nullptr));
    EXPECT_EQ("Column 3 has no values to import!", on.importer.GetErrorMessage());
    EXPECT_EQ(0, on.project->GetCount());
}

// Recordings stacked in one table with a text key: one series per key and number column,
// each over its own rows, the same on one thread as on two (which meet the keys in
// another order).
TEST(Dialect, StackedRecordingsSplitByTheirKey)
{
    csvtest::TempDir dir;
    const Strings keys = {"MSFT", "AMZN", "IBM", "GOOG", "AAPL"};
    std::string stacked = "symbol,date,price,volume\n";
    const int months = 600; // enough lines for the import to run on two threads
    Strings series;
    Columns values(2 * keys.size());
    for (size_t k = 0; k < keys.size(); ++k) {
        series.push_back("price (" + keys[k] + ")");
        for (int m = 0; m < months; ++m) {
            stacked += keys[k] + "," + std::to_string(1950 + m / 12) + "-" +
                       (m % 12 < 9 ? "0" : "") + std::to_string(m % 12 + 1) + "-01," +
                       std::to_string(k * 1000 + m) + ".5," + std::to_string(m) + "\n";
            values[k].push_back(double(k * 1000 + size_t(m)) + 0.5);
            values[keys.size() + k].push_back(m);
        }
    }
    for (const std::string& key : keys)
        series.push_back("volume (" + key + ")");
    const std::string path = dir.Write("stocks.csv", stacked);
    const Imported one = ReadFile(path);
    EXPECT_EQ(0, one.option.splitColumn);
    EXPECT_EQ((Strings{"price", "volume"}), one.labels);
    ASSERT_EQ(ResultCode::SUCCESS, one.result) << one.message;
    EXPECT_EQ(series, one.series);
    EXPECT_EQ(Bits(values), Bits(one.values));
    EXPECT_EQ(Strings(series.size(), "1950-01-01T00:00:00.000"), one.xStarts);
    for (const std::vector<double>& x : one.xs)
        EXPECT_TRUE(std::is_sorted(x.begin(), x.end())); // no line back
    const Imported two = ReadFile(path, DialectRequest(), 2);
    EXPECT_EQ(one.series, two.series);
    EXPECT_EQ(Bits(one.values), Bits(two.values));
    EXPECT_EQ(Bits(one.xs), Bits(two.xs));

    // Interleaved stations, a row without its key (a gap, dropped) and a key in quotes.
    const Imported stations = ReadFile(dir.Write(
        "s.csv", "time,station,t\n0,\"A\",1\n0,B,2\n60,A,3\n60,,9\n60,B,4\n120,A,5\n120,B,6\n"));
    EXPECT_EQ((Strings{"t (A)", "t (B)"}), stations.series);
    EXPECT_EQ(Bits({{1, 3, 5}, {2, 4, 6}}), Bits(stations.values));
    EXPECT_EQ(Bits({{0, 60, 120}, {0, 60, 120}}), Bits(stations.xs));
    EXPECT_EQ(1, stations.gaps);

    // Asked for: no split (the points counted in file order), or a split by a column the
    // detection would not take; refused past the file's columns and with too many values.
    DialectRequest none;
    none.split = DialectRequest::SPLIT_NONE;
    const Imported whole = ReadFile(path, none);
    EXPECT_EQ((Strings{"price", "volume"}), whole.series);
    EXPECT_EQ(-1, whole.option.splitColumn);
    EXPECT_EQ(size_t(months) * keys.size(), whole.values[0].size());

    const std::string runs = dir.Write("r.csv", "run,v\n1,5\n1,6\n2,7\n1,8\n");
    DialectRequest byRun;
    byRun.split = 0;
    const Imported counted = ReadFile(runs, byRun);
    EXPECT_EQ((Strings{"v (1)", "v (2)"}), counted.series);
    EXPECT_EQ(Bits({{0, 1, 2}, {0}}), Bits(counted.xs));
    EXPECT_EQ(Bits({{5, 6, 8}, {7}}), Bits(counted.values));

    std::string many = "id,t,v\n";
    for (size_t k = 0; k <= CSVConverter::MAX_SPLIT_KEYS; ++k)
        many += "k" + std::to_string(k) + ",0,1\n";
    DialectRequest byId;
    byId.split = 0;
    const Imported tooMany = ReadFile(dir.Write("m.csv", many), byId);
    EXPECT_EQ(ResultCode::FAILURE, tooMany.result);
    EXPECT_EQ("Column 1 has more than 1000 different values to split by!", tooMany.message);
    EXPECT_TRUE(tooMany.series.empty());

    // An X chosen that goes down within a key: refused with the line.
    csvtest::Importing on(dir.Write("d.csv", "t,s,v\n0,A,1\n5,B,2\n9,A,3\n7,A,4\n"));
    on.importer.Request().split = 1;
    ASSERT_EQ(ResultCode::SUCCESS, on.importer.ScanInfoInternal(nullptr));
    on.ChangeOption([](CSVImportOption& option) {
        option.dataSources = {DataSource{false, 0, 1, 0, 2, "v"}};
    });
    EXPECT_EQ(ResultCode::FAILURE, on.importer.Import(nullptr));
    EXPECT_EQ("Column 1 goes down at line 5, so it can't be the X of a series!",
              on.importer.GetErrorMessage());
    EXPECT_EQ(0, on.project->GetCount());
}

// Random values written in random dialects read back bit for bit; times to the microsecond.
TEST(Dialect, OracleRandomFilesInRandomDialects)
{
    std::mt19937_64 random(20261207);
    csvtest::TempDir dir;
    for (int file = 0; file < 60; ++file) {
        SCOPED_TRACE("file " + std::to_string(file));
        const char separators[] = {',', ';', '\t', ' '};
        const char separator = separators[random() % 4];
        const char decimal = separator != ',' && random() % 2 ? ',' : '.';
        const bool quoteAll = separator != ' ' && random() % 3 == 0;
        const std::string end = random() % 2 ? "\r\n" : "\n";
        const char dateTimeMark = separator == ' ' ? 'T' : random() % 2 ? 'T' : ' ';
        const int columns = 1 + int(random() % 4);
        const int rows = 1 + int(random() % 300);

        std::string text = "when";
        for (int c = 0; c < columns; ++c)
            text += separator + std::string("v") + std::to_string(c);
        text += end;
        std::vector<TimeNanos> times;
        std::vector<std::vector<double>> values(static_cast<size_t>(columns));
        TimeNanos t = TimeNanos(random() % (200LL * 365 * 86400)) * NANOS_PER_SECOND -
                      TimeNanos(70LL * 365 * 86400) * NANOS_PER_SECOND;
        for (int r = 0; r < rows; ++r) {
            t += TimeNanos(random() % 5000000) * 1000; // µs steps, increasing
            times.push_back(t);
            std::string stamp = FormatIsoTime(t, 6);
            stamp[10] = dateTimeMark;
            text += quoteAll ? "\"" + stamp + "\"" : stamp;
            for (int c = 0; c < columns; ++c) {
                uint64_t bits = random();
                double v;
                std::memcpy(&v, &bits, sizeof v);
                if (!std::isfinite(v))
                    v = double(int64_t(bits % 2000001) - 1000000) / 1000;
                values[size_t(c)].push_back(v);
                char number[40];
                std::snprintf(number, sizeof number, "%.17g", v);
                std::string field = number;
                if (decimal == ',')
                    std::replace(field.begin(), field.end(), '.', ',');
                text += separator + (quoteAll ? "\"" + field + "\"" : field);
            }
            text += end;
        }
        const std::string path = dir.Write("r.csv", text);
        if (HasFailure())
            return;
        const Imported got = ReadFile(path, {}, 1, true);
        const CSVDialect& dialect = got.option.dialect;
        EXPECT_EQ(separator, dialect.separator);
        ASSERT_EQ(std::string("T") + std::string(size_t(columns), 'N'), Kinds(dialect))
            << text.substr(0, 400);
        ASSERT_EQ(ResultCode::SUCCESS, got.result) << got.message;
        for (int c = 0; c < columns; ++c)
            EXPECT_EQ(Bits({values[size_t(c)]}), Bits({got.values[size_t(c + 1)]}));
        for (int r = 0; r < rows; ++r) {
            const long double offset = (long double)times[size_t(r)] - dialect.columns[0].origin;
            ASSERT_LT(std::fabs(offset - (long double)got.values[0][size_t(r)] * 1e9L), 1000.0L)
                << "row " << r;
        }
    }
}

} // namespace
