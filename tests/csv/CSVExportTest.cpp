#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <tuple>

#include "support/CacheTestUtil.h"
#include "support/CsvTestUtil.h"
#include "csv/CSVExporter.h"
#include "model/GraphProject.h"
#include "support/ModelTestUtil.h"
#include "support/ProjectTestUtil.h"
#include "support/TestSupport.h"

namespace {

using csvtest::ReadFile;

std::string Format(double value)
{
    char out[32];
    return std::string(out, FormatExportValue(value, out));
}

std::string RegularX(double value)
{
    char out[32];
    return std::string(out, FormatRegularX(value, out));
}

// Each number with the fewest digits that read back as the same double, in "%.8e"'s
// layout with three exponent digits: what "%.8e" wrote exactly stays byte for byte.
TEST(CSVExport, NumbersReadBackExactlyInTheOldLayout)
{
    auto oldLayout = [](double d) {
        char text[64];
        std::snprintf(text, sizeof text, "%.8e", d);
        std::string e = text;
        if (e.size() - e.find('e') == 4)
            e.insert(e.find('e') + 2, "0");
        return e;
    };
    std::mt19937_64 rng(99);
    for (int i = 0; i < 200000; ++i) {
        const uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (i % 2) // short decimals, as files hold them
            d = double(int64_t(bits % 2000000001) - 1000000000) / std::pow(10.0, double(bits % 12));
        if (!std::isfinite(d))
            continue;
        const std::string text = Format(d);
        ASSERT_EQ(d, std::strtod(text.c_str(), nullptr)) << text;
        const std::string old = oldLayout(d);
        if (std::strtod(old.c_str(), nullptr) == d) {
            ASSERT_EQ(old, text);
        } else {
            const size_t e = text.find('e');
            ASSERT_TRUE(text[text[0] == '-' ? 2 : 1] == '.' && e - text.find('.') > 9 &&
                        (text[e + 1] == '+' || text[e + 1] == '-') && text.size() - e >= 5)
                << text;
        }
    }
    EXPECT_EQ("1.7976931348623157e+308", Format(1.7976931348623157e+308));
}

struct ExportFixture : ::testing::Test
{
    std::shared_ptr<GraphProject> project = CreateGraphProject();
    csvtest::TempDir dir;

    void SetUp() override
    {
        project->Add(MakeSeries({1, 3}, DataX{0, 0.5}, "a"));
        project->Add(MakeSeries({2, 4}, DataX{0, 0.5}, "b"));
        project->Add(MakeSeries({9}, DataX{0, 0.5}, "short"));
        project->Add(MakeSeries({5, 6}, DataX{1, 0.5}, "shifted"));
    }

    // Exports the series `items` to out.csv; returns the file's content.
    std::string Export(const std::vector<int>& items, bool exportX = true, bool header = true,
                       char separator = ',')
    {
        CSVExportOption option{exportX, header, "Time", {}};
        for (int index : items)
            option.exportedData.push_back(ExportedItem{index, project->GetItem(index)->GetLabel()});
        CSVExporter exporter(dir.Path("out.csv"), *project);
        exporter.SetOption(option);
        exporter.SetSeparator(separator);
        result = exporter.ExportInternal(nullptr);
        message = exporter.GetErrorMessage();
        return ReadFile(dir.Path("out.csv"));
    }
    ResultCode result = ResultCode::FAILURE;
    wxString message;

    // out.csv imported with its default option, the separator detected.
    std::shared_ptr<GraphProject> ImportBack()
    {
        auto imported = CreateGraphProject();
        projecttest::Import(*imported, dir.Path("out.csv"));
        return imported;
    }

    size_t FileCount() const { return csvtest::FilesIn(dir.Dir()).size(); }
};

TEST_F(ExportFixture, LayoutByteForByteWithXAccumulated)
{
    EXPECT_EQ(Export({0, 1}), "Time,a,b\r\n0.00000000e+000,1.00000000e+000,2.00000000e+000\r\n"
                              "5.00000000e-001,3.00000000e+000,4.00000000e+000\r\n");
    EXPECT_EQ(Export({1, 0}, false, true, '\t'),
              "b\ta\r\n2.00000000e+000\t1.00000000e+000\r\n4.00000000e+000\t3.00000000e+000\r\n");
    EXPECT_EQ(Export({0}, true, false),
              "0.00000000e+000,1.00000000e+000\r\n5.00000000e-001,3.00000000e+000\r\n");

    // X is accumulated by addition: from -5 in steps of 0.1 the sum misses zero at line 50,
    // written as "%.8e" always wrote it. Seconds since 1970 keep their milliseconds (once
    // "%.8e" wrote them all as 1.73360000e+009).
    const std::tuple<double, double, std::string (*)(double), const char*> rows[] = {
        {-5, 0.1, RegularX, "\r\n-1.02695630e-015,"},
        {1733600000.123, 0.333, Format, "1.733600000123e+009,"},
    };
    for (const auto& [start, step, format, mark] : rows) {
        project->Add(MakeSeries(std::vector<double>(100, 1.0), DataX{start, step}, "acc"));
        std::string expected;
        double x = start;
        for (int r = 0; r < 100; ++r, x = x + step)
            expected += format(x) + "," + Format(1.0) + "\r\n";
        EXPECT_EQ(Export({project->GetCount() - 1}, true, false), expected);
        EXPECT_NE(expected.find(mark), std::string::npos);
    }
}

// Refused requests touch no file; write errors are reported.
TEST_F(ExportFixture, InvalidRequestsAndWriteErrors)
{
    const std::string mismatch = "Exported data doesn't match x data or size of data!";
    const std::vector<std::pair<std::vector<int>, std::string>> cases = {
        {{}, "Exported data is empty!"}, {{0, 2}, mismatch}, {{0, 3}, mismatch}};
    for (const auto& [items, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(items));
        EXPECT_EQ(Export(items), "");
        EXPECT_EQ(result, ResultCode::INVALID_REQUEST);
        EXPECT_EQ(message, expected);
        EXPECT_EQ(FileCount(), 0u);
    }
    CSVExporter full("/dev/full", *project);
    EXPECT_EQ(full.ExportInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(full.GetErrorMessage(), "Can't write \"/dev/full\"!");
    const std::string missingDir = dir.Path("no/such/dir.csv");
    CSVExporter nowhere(missingDir, *project);
    EXPECT_EQ(nowhere.ExportInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(nowhere.GetErrorMessage().utf8_string(), "Can't create \"" + missingDir + "\"!");
}

// The writer's own rules are pinned in AtomicFileTest; here, that the export uses it.
TEST_F(ExportFixture, TargetIsReplacedOnlyAfterACompleteWrite)
{
    project->Add(MakeSeries(std::vector<double>(5000, 2.0), DataX{0, 1}, "long"));
    const std::string path = dir.Write("keep.csv", "old content\n");
    const CSVExportOption option{true, true, "Time", {ExportedItem{4, "long"}}};
    for (const std::string& target : {path, dir.Path("new.csv")}) {
        SCOPED_TRACE(target);
        CSVExporter exporter(target, *project);
        exporter.SetOption(option);
        ThreadProcContext context;
        context.cancelAfterPositions = 3;
        EXPECT_EQ(exporter.Export(&context), ResultCode::CANCELLED);
        EXPECT_EQ(ReadFile(path), "old content\n");
        EXPECT_EQ(FileCount(), 1u); // no temporary file left behind
    }

    // The default option takes the series that match the first.
    CSVExporter exporter(path, *project);
    ASSERT_EQ(exporter.ExportInternal(nullptr), ResultCode::SUCCESS);
    EXPECT_EQ(ReadFile(path).substr(0, 10), "Time,a,b\r\n");
    EXPECT_EQ(FileCount(), 1u);
}

// Written and read back bit for bit, with a regular X (tab-separated) and with an X of its
// own that steps unevenly and pauses.
TEST_F(ExportFixture, ExportThenImportRoundTripsBitForBit)
{
    std::mt19937_64 rng(3);
    auto xs = std::make_shared<DataX::Values>();
    std::vector<double> values(3000);
    double x = 1733600000.0;
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] =
            std::uniform_real_distribution<double>(-1e6, 1e6)(rng) * std::pow(10.0, rng() % 20);
        xs->push_back(x);
        x += i % 500 == 499 ? 60.0 : 0.001 * double(1 + rng() % 5);
    }
    for (const auto& [x, separator] :
         {std::pair{DataX{10, 0.25}, '\t'}, {DataX::Explicit(xs), ','}}) {
        SCOPED_TRACE(x.IsExplicit() ? "own X" : "regular X");
        project = CreateGraphProject();
        project->Add(MakeSeries(values, x, "first"));
        Export({0}, true, true, separator);
        const auto imported = ImportBack();
        ASSERT_EQ(imported->GetCount(), 1);
        const auto series = imported->GetItem(0);
        EXPECT_EQ(series->GetLabel(), "first");
        EXPECT_EQ(series->GetDataX().IsExplicit(), x.IsExplicit());
        EXPECT_TRUE(series->GetDataX() == x ||
                    x.SameAxis(values.size(), series->GetDataX(), values.size()));
        const auto& raw = series->GetDataY()->raw;
        EXPECT_EQ(values, std::vector<double>(raw.begin(), raw.end()));
    }
}

// A time X is written as ISO text with the fraction digits its instants need, and reads
// back to the same instants: evenly stepped to the millisecond, or uneven to the microsecond.
TEST_F(ExportFixture, TimeXWritesIsoTextThatReadsBackToTheSameInstants)
{
    const TimeNanos origin = 1772719530123000000; // 2026-03-05T14:05:30.123
    auto xs = std::make_shared<DataX::Values>(std::initializer_list<double>{0.0, 0.000001, 1.5});
    const std::pair<DataX, const char*> rows[] = {
        {DataX{0.0, 0.001},
         "Time,t\r\n2026-03-05T14:05:30.123,1.00000000e+000\r\n"
         "2026-03-05T14:05:30.124,2.00000000e+000\r\n2026-03-05T14:05:30.125,3.00000000e+000\r\n"},
        {DataX::Explicit(xs), "Time,t\r\n2026-03-05T14:05:30.123000,1.00000000e+000\r\n"
                              "2026-03-05T14:05:30.123001,2.00000000e+000\r\n"
                              "2026-03-05T14:05:31.623000,3.00000000e+000\r\n"},
    };
    for (const auto& [x, lines] : rows) {
        project = CreateGraphProject();
        auto series = MakeSeries({1, 2, 3}, x, "t");
        series->SetTimeOrigin(origin);
        project->Add(series);
        EXPECT_EQ(lines, Export({0}));
        const auto back = ImportBack()->GetItem(0);
        ASSERT_TRUE(back && back->HasTimeOrigin());
        for (size_t i = 0; i < 3; ++i) {
            TimeNanos want = 0, got = 0;
            ASSERT_TRUE(InstantAt(origin, x.At(i), want));
            ASSERT_TRUE(InstantAt(back->GetTimeOrigin(), back->GetDataX().At(i), got));
            EXPECT_EQ(want, got) << i;
        }
    }
}

} // namespace
