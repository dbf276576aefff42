#include <gtest/gtest.h>

#include "csv/CSVImportOption.h"

namespace {

DataSource Source(const char* label, int columnY, int columnX = 0)
{
    return DataSource{false, 0.0, 1.0, columnX, columnY, label};
}

// The check the dialog's OK and the command line run on a file of 10 rows: the message
// names the entry at fault.
TEST(CSVImportOption, CheckNamesWhatDoesNotFitTheFile)
{
    CSVImportOption text{0, 10, {Source("a", 1), Source("n", 2)}, {}};
    text.dialect.columns.resize(3);
    text.dialect.columns[2].kind = ColumnKind::TEXT;
    // Name, columns of the file, the option, the refusal (empty: accepted).
    const std::tuple<const char*, int, CSVImportOption, const char*> rows[] = {
        {"fits", 4, CSVImportOption{0, 10, {Source("a", 1), Source("b", 3)}, {}}, ""},
        {"direct X ignores its column", 4,
         CSVImportOption{0, 10, {DataSource{true, 0.0, 1.0, 7, 1, "a"}}, {}}, ""},
        {"no series", 4, CSVImportOption{0, 10, {}, {}},
         "There is no data series to import. Please add one."},
        {"one-column file, Y column 2", 1, CSVImportOption{0, 10, {Source("x", 1)}, {}},
         "The Y data column of series 1 (\"x\") must lie between 1 and 1!"},
        {"X column beyond", 4, CSVImportOption{0, 10, {Source("a", 1), Source("b", 1, 4)}, {}},
         "The X data column of series 2 (\"b\") must lie between 1 and 4!"},
        {"rows beyond the file", 4, CSVImportOption{3, 10, {Source("a", 1)}, {}},
         "Header Rows and Data Rows together exceed the 10 rows of the file!"},
        {"split column beyond", 4, CSVImportOption{0, 10, {Source("a", 1)}, {}, 4},
         "The column to split by must lie between 1 and 4!"},
        {"a text column", 3, text, "Column 3 of series 2 (\"n\") holds text, not values!"},
    };
    for (const auto& [name, columns, option, message] : rows) {
        SCOPED_TRACE(name);
        EXPECT_EQ(message, CheckImportOption(CSVFileInfo{"data.csv", columns, 10, {}}, option));
    }
}

// Project files and the command line's output write these names: one table for both.
TEST(CSVImportOption, KindNamesReadBack)
{
    for (ColumnKind kind : {ColumnKind::NUMBER, ColumnKind::TIME, ColumnKind::TEXT}) {
        ColumnKind read = ColumnKind(9);
        EXPECT_TRUE(ColumnKindFromName(ColumnKindName(kind), read));
        EXPECT_EQ(kind, read);
    }
    ColumnKind read = ColumnKind::TIME;
    EXPECT_FALSE(ColumnKindFromName("Number", read));
}

} // namespace
