#include "csv/CSVImportOption.h"

#include <wx/intl.h>

const char* ColumnKindName(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::NUMBER:
        return "number";
    case ColumnKind::TIME:
        return "time";
    case ColumnKind::TEXT:
        break;
    }
    return "text";
}

bool ColumnKindFromName(const std::string& name, ColumnKind& kind)
{
    for (ColumnKind k : {ColumnKind::NUMBER, ColumnKind::TIME, ColumnKind::TEXT})
        if (name == ColumnKindName(k)) {
            kind = k;
            return true;
        }
    return false;
}

wxString CheckOptionFitsFile(const CSVFileInfo& info, const CSVImportOption& option)
{
    if (option.headerRows < 0 || option.dataRows < 0 ||
        int64_t(option.headerRows) + option.dataRows > info.rowCount)
        return wxString::Format(
            _("Header Rows and Data Rows together exceed the %d rows of the file!"), info.rowCount);
    const int columns = info.columnCount;
    if (option.splitColumn >= columns)
        return wxString::Format(_("The column to split by must lie between 1 and %d!"), columns);
    for (size_t k = 0; k < option.dataSources.size(); ++k) {
        const DataSource& source = option.dataSources[k];
        const char* axis = nullptr;
        int column = 0;
        if (!source.useDirectVal && (source.columnX < 0 || source.columnX >= columns))
            axis = "X";
        else if (source.columnY < 0 || source.columnY >= columns)
            axis = "Y";
        if (axis)
            return wxString::Format(
                _("The %s data column of series %d (\"%s\") must lie between 1 and %d!"), axis,
                int(k) + 1, source.label, columns);
        if (!source.useDirectVal && option.dialect.Column(source.columnX).kind == ColumnKind::TEXT)
            column = source.columnX;
        else if (option.dialect.Column(source.columnY).kind == ColumnKind::TEXT)
            column = source.columnY;
        else
            continue;
        return wxString::Format(_("Column %d of series %d (\"%s\") holds text, not values!"),
                                column + 1, int(k) + 1, source.label);
    }
    return wxString();
}

wxString SplitLabel(const wxString& label, const wxString& key)
{
    return label + " (" + key + ")";
}

wxString CheckImportOption(const CSVFileInfo& info, const CSVImportOption& option)
{
    if (option.dataSources.empty())
        return _("There is no data series to import. Please add one.");
    return CheckOptionFitsFile(info, option);
}

wxString CheckDefaultImport(const wxString& path, const CSVFileInfo& info,
                            const CSVImportOption& option)
{
    if (info.columnCount == 0 || option.dataRows == 0)
        return wxString::Format(_("\"%s\" has no data lines to import!"), path);
    return CheckImportOption(info, option);
}
