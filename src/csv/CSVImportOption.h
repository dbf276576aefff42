#pragma once

// What a scan learns of a file and what an import makes of it: the types shared by the
// scan, the conversion, the options dialog and the command-line tool.

#include <cstdint>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/TimeText.h"

// Shape of a scanned file.
struct CSVFileInfo
{
    wxString fileName;
    int32_t columnCount = 0;           // largest column count of a data line
    int32_t rowCount = 0;              // every line read: header, data and blank lines
    std::vector<wxString> columnNames; // from the header, unquoted; may be fewer than the columns
};

enum class ColumnKind : uint8_t
{
    NUMBER,
    TIME, // read as seconds from the column's time origin
    TEXT, // not offered as a series
};

// The name of a kind in project files and in the command line's output ("number", "time",
// "text"), and back; false for any other name.
const char* ColumnKindName(ColumnKind kind);
bool ColumnKindFromName(const std::string& name, ColumnKind& kind);

struct ColumnFormat
{
    ColumnKind kind = ColumnKind::NUMBER;
    TimeLayout layout = TimeLayout::NONE; // of a time column
    TimeNanos origin = 0;                 // of a time column: its values are seconds from it
    int32_t clockColumn = -1; // a date column's companion time-of-day column, added to it
    int32_t joinedTo = -1;    // a clock column's date column

    friend bool operator==(const ColumnFormat& a, const ColumnFormat& b)
    {
        return a.kind == b.kind && a.layout == b.layout && a.origin == b.origin &&
               a.clockColumn == b.clockColumn && a.joinedTo == b.joinedTo;
    }
};

// How the fields of a file are written. Without `detected`, the plain reading: one
// separator, '.' decimals, no quotes, every column a number.
struct CSVDialect
{
    bool detected = false;
    char separator = ',';
    char decimal = '.';
    char quote = 0;                    // '"' when fields may be quoted
    char terminator = '\n';            // '\r' for files with carriage returns only
    std::vector<ColumnFormat> columns; // of a detected dialect, one per column

    // The format of column c (a number column when the dialect doesn't say).
    ColumnFormat Column(int c) const
    {
        return c >= 0 && size_t(c) < columns.size() ? columns[size_t(c)] : ColumnFormat();
    }
    bool IsTimeColumn(int c) const { return Column(c).kind == ColumnKind::TIME; }
};

// One series to create. Column indices are 0-based.
struct DataSource
{
    bool useDirectVal = false; // X from xStart/xInterval instead of column columnX
    double xStart = 0.0;
    double xInterval = 1.0;
    int32_t columnX = 0;
    int32_t columnY = 0;
    wxString label;
};

struct CSVImportOption
{
    int32_t headerRows = 0; // lines skipped at the start
    int32_t dataRows = 0;   // lines converted after them, one point each
    std::vector<DataSource> dataSources;
    CSVDialect dialect;
    // A column whose values split the rows into recordings stacked in one table (-1:
    // none): each data source then makes one series per value, over that value's rows, in
    // order of first appearance, labelled "label (value)"; a row without a value is a gap.
    int32_t splitColumn = -1;
};

// The label of a data source's series for one value of the split column.
wxString SplitLabel(const wxString& label, const wxString& key);

constexpr int DEFAULT_MIPMAP_RESOLUTION = 512;

// Why the option's rows or columns don't fit a file of this shape, naming the entry at
// fault (rows beyond the file, a column outside 1 to the column count, a text column);
// empty when they do. An option without data sources fits: it imports nothing.
wxString CheckOptionFitsFile(const CSVFileInfo& info, const CSVImportOption& option);

// CheckOptionFitsFile, and refused when there is no data series at all: the whole check
// that the dialog's OK and the command line run before an import.
wxString CheckImportOption(const CSVFileInfo& info, const CSVImportOption& option);

// Why the scanned file `path` can't be imported with this option without a dialog: no
// data lines, or CheckImportOption's reason; empty when it can.
wxString CheckDefaultImport(const wxString& path, const CSVFileInfo& info,
                            const CSVImportOption& option);
