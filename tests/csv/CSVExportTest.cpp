#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include <dirent.h>
#include <sys/stat.h>

#include "CsvTestUtil.h"
#include "csv/CSVExporter.h"
#include "csv/CSVImporter.h"
#include "model/GraphProject.h"
#include "support/TestSupport.h"

namespace {

std::shared_ptr<GraphData> Series(std::vector<double> values, DataX x, const char* label)
{
    auto y = CreateGraphDataY();
    y->raw.assign(values.begin(), values.end());
    auto series = CreateGraphData(x, y);
    series->SetLabel(label);
    return series;
}

std::string Format(double value)
{
    char out[32];
    return std::string(out, FormatExportValue(value, out));
}

TEST(CSVExport, NumberFormatHasThreeExponentDigits)
{
    EXPECT_EQ(Format(150), "1.50000000e+002");
    EXPECT_EQ(Format(0), "0.00000000e+000");
    EXPECT_EQ(Format(-0.00125), "-1.25000000e-003");
    EXPECT_EQ(Format(1e300), "1.00000000e+300");
    EXPECT_EQ(Format(-4.9e-324), "-4.94065646e-324");

    // Same digits and rounding as printf's "%.8e" apart from the exponent width.
    std::mt19937_64 rng(99);
    for (int i = 0; i < 100000; ++i) {
        uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (!std::isfinite(d))
            continue;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.8e", d);
        std::string e = expected;
        const size_t mark = e.find('e');
        if (e.size() - mark == 4)
            e.insert(mark + 2, "0");
        ASSERT_EQ(Format(d), e);
    }
}

struct ExportFixture : ::testing::Test
{
    std::shared_ptr<GraphProject> project = CreateGraphProject();
    TempDir dir;

    void SetUp() override
    {
        project->Add(Series({1, 3}, DataX{0, 0.5}, "a"));
        project->Add(Series({2, 4}, DataX{0, 0.5}, "b"));
        project->Add(Series({9}, DataX{0, 0.5}, "short"));
        project->Add(Series({5, 6}, DataX{1, 0.5}, "shifted"));
    }

    std::string Export(CSVExportOption option, char separator, ResultCode& result)
    {
        const std::string path = dir.Path("out.csv");
        CSVExporter exporter(path, *project);
        exporter.SetOption(option);
        exporter.SetSeparator(separator);
        result = exporter.ExportInternal(nullptr);
        return ReadFile(path);
    }
};

TEST_F(ExportFixture, DefaultOptionTakesSeriesMatchingTheFirst)
{
    const CSVExportOption option = CSVExporter::MakeDefaultOption(*project);
    EXPECT_TRUE(option.exportX);
    EXPECT_TRUE(option.exportHeader);
    EXPECT_EQ(option.xDataHeader, project->GetProperty().axisLabelX);
    ASSERT_EQ(option.exportedData.size(), 2u);
    EXPECT_EQ(option.exportedData[1].index, 1);
    EXPECT_EQ(option.exportedData[1].header, "b");
}

TEST_F(ExportFixture, LayoutByteForByte)
{
    struct Case
    {
        const char* name;
        bool exportX, exportHeader;
        char separator;
        std::vector<int> items;
        std::string expected;
    };
    const Case cases[] = {
        {"header and X",
         true,
         true,
         ',',
         {0, 1},
         "Time,a,b\r\n"
         "0.00000000e+000,1.00000000e+000,2.00000000e+000\r\n"
         "5.00000000e-001,3.00000000e+000,4.00000000e+000\r\n"},
        {"no header",
         true,
         false,
         ',',
         {0},
         "0.00000000e+000,1.00000000e+000\r\n5.00000000e-001,3.00000000e+000\r\n"},
        {"no X, one series", false, true, ',', {1}, "b\r\n2.00000000e+000\r\n4.00000000e+000\r\n"},
        {"tab, no X",
         false,
         false,
         '\t',
         {1, 0},
         "2.00000000e+000\t1.00000000e+000\r\n4.00000000e+000\t3.00000000e+000\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSVExportOption option;
        option.exportX = c.exportX;
        option.exportHeader = c.exportHeader;
        option.xDataHeader = "Time";
        for (int index : c.items)
            option.exportedData.push_back(ExportedItem{index, project->GetItem(index)->GetLabel()});
        ResultCode result;
        EXPECT_EQ(Export(option, c.separator, result), c.expected);
        EXPECT_EQ(result, ResultCode::SUCCESS);
    }
}

TEST_F(ExportFixture, XIsAccumulatedByAddition)
{
    // From -5 in steps of 0.1 the sum misses zero at line 50 (-1.02695630e-015).
    std::vector<double> values(100, 1.0);
    project->Add(Series(values, DataX{-5, 0.1}, "acc"));
    CSVExportOption option;
    option.exportHeader = false;
    option.exportedData.push_back(ExportedItem{4, "acc"});
    ResultCode result;
    const std::string text = Export(option, ',', result);
    ASSERT_EQ(result, ResultCode::SUCCESS);
    double x = -5;
    size_t pos = 0;
    for (int r = 0; r < 100; ++r) {
        const std::string expected = Format(x) + "," + Format(1.0) + "\r\n";
        ASSERT_EQ(text.compare(pos, expected.size(), expected), 0) << "line " << r;
        pos += expected.size();
        x = x + 0.1;
    }
    EXPECT_EQ(pos, text.size());
    EXPECT_NE(text.find("\r\n-1.02695630e-015,"), std::string::npos);
}

TEST_F(ExportFixture, InvalidRequestsTouchNoFile)
{
    struct Case
    {
        const char* name;
        std::vector<int> items;
        const char* message;
    };
    const Case cases[] = {
        {"empty", {}, "Exported data is empty!"},
        {"different size", {0, 2}, "Exported data doesn't match x data or size of data!"},
        {"different X", {0, 3}, "Exported data doesn't match x data or size of data!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CSVExportOption option;
        for (int index : c.items)
            option.exportedData.push_back(ExportedItem{index, "h"});
        CSVExporter exporter(dir.Path("none.csv"), *project);
        exporter.SetOption(option);
        EXPECT_EQ(exporter.ExportInternal(nullptr), ResultCode::INVALID_REQUEST);
        EXPECT_EQ(exporter.GetErrorMessage(), c.message);
        struct stat info;
        EXPECT_NE(stat(dir.Path("none.csv").c_str(), &info), 0);
    }
}

int CountFiles(const std::string& path)
{
    int count = 0;
    DIR* d = opendir(path.c_str());
    while (dirent* entry = readdir(d))
        count += std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0;
    closedir(d);
    return count;
}

TEST_F(ExportFixture, CancelAndFailureKeepTheOldFile)
{
    std::vector<double> values(5000, 2.0);
    project->Add(Series(values, DataX{0, 1}, "long"));
    const std::string path = dir.Write("keep.csv", "old content\n");
    chmod(path.c_str(), 0640);
    CSVExportOption option;
    option.exportedData.push_back(ExportedItem{4, "long"});

    CSVExporter exporter(path, *project);
    exporter.SetOption(option);
    ThreadProcContext context;
    context.cancelAfterPositions = 3;
    EXPECT_EQ(exporter.Export(&context), ResultCode::CANCELLED);
    EXPECT_EQ(ReadFile(path), "old content\n");
    EXPECT_EQ(CountFiles(dir.Dir()), 1); // no temporary file left behind

    ThreadProcContext plain;
    ASSERT_EQ(exporter.Export(&plain), ResultCode::SUCCESS);
    EXPECT_NE(ReadFile(path), "old content\n");
    EXPECT_EQ(CountFiles(dir.Dir()), 1);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // the replaced file keeps its permissions

    // A cancelled export of a new file leaves nothing.
    CSVExporter fresh(dir.Path("new.csv"), *project);
    fresh.SetOption(option);
    context.Reset();
    EXPECT_EQ(fresh.Export(&context), ResultCode::CANCELLED);
    EXPECT_EQ(CountFiles(dir.Dir()), 1);
}

TEST_F(ExportFixture, ThroughASymbolicLinkTheTargetIsReplaced)
{
    const std::string target = dir.Write("target.csv", "old\n");
    const std::string link = dir.Path("link.csv");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    CSVExporter exporter(link, *project);
    ASSERT_EQ(exporter.ExportInternal(nullptr), ResultCode::SUCCESS);
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFile(target).substr(0, 7), "Time,a,");
}

TEST_F(ExportFixture, WriteErrorsAreReported)
{
    CSVExporter full("/dev/full", *project);
    EXPECT_EQ(full.ExportInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(full.GetErrorMessage(), "Can't write \"/dev/full\"!");

    const std::string missingDir = dir.Path("no/such/dir.csv");
    CSVExporter nowhere(missingDir, *project);
    EXPECT_EQ(nowhere.ExportInternal(nullptr), ResultCode::FAILURE);
    EXPECT_EQ(nowhere.GetErrorMessage().utf8_string(), "Can't create \"" + missingDir + "\"!");
}

TEST_F(ExportFixture, ExportThenImportRoundTrip)
{
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> dist(-1e6, 1e6);
    std::vector<double> a(3000), b(3000);
    for (size_t i = 0; i < a.size(); ++i) {
        a[i] = dist(rng);
        b[i] = dist(rng) * 1e-9;
    }
    auto source = CreateGraphProject();
    source->Add(Series(a, DataX{10, 0.25}, "first"));
    source->Add(Series(b, DataX{10, 0.25}, "second"));
    const std::string path = dir.Path("round.txt");
    CSVExporter exporter(path, *source);
    exporter.SetSeparator('\t');
    ASSERT_EQ(exporter.ExportInternal(nullptr), ResultCode::SUCCESS);

    CSVImporter importer(path, *project);
    importer.SetSeparator('\t');
    ASSERT_EQ(importer.ScanInfoInternal(nullptr), ResultCode::SUCCESS);
    ASSERT_EQ(importer.Import(nullptr), ResultCode::SUCCESS) << importer.GetErrorMessage();
    ASSERT_EQ(project->GetCount(), 6);
    const auto first = project->GetItem(4);
    EXPECT_EQ(first->GetLabel(), "first");
    EXPECT_EQ(project->GetItem(5)->GetLabel(), "second");
    EXPECT_EQ(first->GetDataX(), (DataX{10, 0.25}));
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_NEAR(first->GetDataY()->raw[i], a[i], std::fabs(a[i]) * 1e-8);
        ASSERT_NEAR(project->GetItem(5)->GetDataY()->raw[i], b[i], std::fabs(b[i]) * 1e-8);
    }
}

} // namespace
