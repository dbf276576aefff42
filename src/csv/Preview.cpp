#include "csv/Preview.h"

#include <cmath>

#include "base/FileUtil.h"
#include "base/NumberText.h"
#include "csv/Dialect.h"
#include "csv/NumberParser.h"

std::vector<std::string> ReadPreviewRecords(const wxString& path, int maxRecords, LineFormat format,
                                            size_t maxChars)
{
    std::vector<std::string> records;
    bool notRegular = false;
    FileCloser file{OpenRegularFile(FileNameToNarrow(path), notRegular)};
    if (!file.file)
        return records;
    LineReader reader(fileno(file.file), 0, INT64_MAX, format, size_t(64) << 10);
    const char* begin;
    const char* end;
    while (int(records.size()) < maxRecords && reader.Next(begin, end) == LineReader::LINE)
        records.emplace_back(begin, std::min(size_t(end - begin), maxChars));
    return records;
}

namespace {

wxString ValueText(double value, const ColumnFormat& format)
{
    if (format.kind == ColumnKind::TIME) {
        return FormatIsoTimeAt(format.origin, value);
    }
    return FormatExactNumber(value);
}

} // namespace

std::vector<PreviewCell> PreviewCells(const std::string& record, const CSVDialect& dialect,
                                      bool dataRow)
{
    std::vector<PreviewCell> cells;
    const char* begin = record.data();
    const char* end = begin + record.size();
    if (!dialect.detected) {
        // The plain number reader skips blanks before a value, so a run of blank
        // separators separates only two columns.
        const bool blank = dialect.separator == ' ' || dialect.separator == '\t';
        ForEachField(begin, end, blank ? ' ' : dialect.separator, 0, [&](const Field& field) {
            cells.push_back(
                PreviewCell{NarrowToWide(field.begin, size_t(field.end - field.begin))});
        });
        if (cells.empty())
            cells.push_back(PreviewCell());
        return cells;
    }
    int column = 0;
    ForEachField(begin, end, dialect.separator, dialect.quote, [&](const Field& field) {
        const ColumnFormat format = dialect.Column(column++);
        PreviewCell cell{FieldLabel(field, dialect.quote)};
        double value;
        if (dataRow && format.kind != ColumnKind::TEXT) {
            const bool read = ReadCellValue(field.begin, field.end, format.kind, format.layout,
                                            format.origin, dialect.decimal, value);
            if (read)
                cell.text = ValueText(value, format);
            cell.gap = !read;
        }
        cells.push_back(cell);
    });
    return cells;
}

char DetectFileSeparator(const wxString& path)
{
    bool notRegular = false;
    FileCloser file{OpenRegularFile(FileNameToNarrow(path), notRegular)};
    if (!file.file)
        return ',';
    const int fd = fileno(file.file);
    return DetectDialect(ReadFileSample(fd, GetFileSize(file.file)), DialectRequest())
        .dialect.separator;
}
