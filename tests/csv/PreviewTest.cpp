#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/CsvImportUtil.h"
#include "support/CsvTestUtil.h"
#include "csv/CSVImporter.h"
#include "csv/Preview.h"
#include "model/GraphProject.h"

namespace {

using Strings = std::vector<std::string>;

Strings Texts(const std::vector<PreviewCell>& cells)
{
    Strings texts;
    for (const PreviewCell& cell : cells)
        texts.push_back((cell.gap ? "!" : "") + cell.text.utf8_string());
    return texts;
}

CSVDialect Plain(char separator)
{
    CSVDialect dialect;
    dialect.separator = separator;
    return dialect;
}

TEST(Preview, CellsAreSplitAsTheImportReadsThem)
{
    const CSVDialect detected{
        true, ';',  ',',
        '"',  '\n', {ColumnFormat{}, ColumnFormat{ColumnKind::TEXT}, ColumnFormat{}}};
    const struct
    {
        const char* record;
        CSVDialect dialect;
        bool data;
        Strings cells; // "!" marks a gap
    } rows[] = {
        {"1,,3", Plain(','), true, {"1", "", "3"}},
        {"", Plain(','), true, {""}},
        // Blanks collapse as the reader skips them.
        {"  1   2 3 ", Plain(' '), true, {"1", "2", "3"}},
        {"1\t\t2", Plain('\t'), true, {"1", "2"}},
        {"1,5;\"a;b\";x", detected, true, {"1.5", "a;b", "!x"}},
        {"t;\"say \"\"hi\"\"\";v", detected, false, {"t", "say \"hi\"", "v"}},
        {"2,25e1;;", detected, true, {"22.5", "", "!"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.record);
        EXPECT_EQ(r.cells, Texts(PreviewCells(r.record, r.dialect, r.data)));
    }
}

// What the preview shows of a data row is what the import reads: values, to the last
// digit, and gaps alike (the preview once showed six digits: 0.123457).
TEST(Preview, DataCellsEqualTheImportedValues)
{
    csvtest::TempDir dir;
    const std::string path =
        dir.Write("p.csv", "when,a,b\n2026-03-05T10:00:00,1.5,\n2026-03-05T10:00:01,x,-2e3\n"
                           "2026-03-05T10:00:02,0.1234567890123,4\n" +
                               std::string(5000, 'y') + "\n");
    csvtest::Importing on(path);
    ASSERT_EQ(ResultCode::SUCCESS, on.importer.ScanInfoInternal(nullptr));
    on.ChangeOption([](CSVImportOption& option) { option.dataRows = 3; });
    ASSERT_EQ(ResultCode::SUCCESS, on.importer.Import(nullptr)) << on.importer.GetErrorMessage();
    ASSERT_EQ(2, on.project->GetCount());
    const CSVImportOption& option = on.importer.GetOption();

    const std::vector<std::string> records = ReadPreviewRecords(
        path, 10, LineFormat{option.dialect.terminator, option.dialect.quote}, 100);
    ASSERT_EQ(5u, records.size());
    EXPECT_EQ(100u, records[4].size()); // cut for display
    EXPECT_EQ("2026-03-05T10:00:01", Texts(PreviewCells(records[2], option.dialect, true))[0]);
    for (int row = 0; row < 3; ++row) {
        const std::vector<PreviewCell> cells =
            PreviewCells(records[size_t(row + 1)], option.dialect, true);
        for (int s = 0; s < 2; ++s) {
            SCOPED_TRACE(testing::Message() << "row " << row << " series " << s);
            const double value = on.project->GetItem(s)->GetDataY()->raw[size_t(row)];
            const PreviewCell& cell = cells[size_t(s + 1)];
            EXPECT_EQ(std::isnan(value), cell.gap);
            double shown = NAN;
            EXPECT_EQ(!cell.gap, cell.text.ToCDouble(&shown)) << cell.text;
            if (!cell.gap) {
                EXPECT_EQ(value, shown) << cell.text;
            }
        }
    }
}

} // namespace
