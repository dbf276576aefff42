#pragma once

// The import dialog's preview, read and split by the same rules as the import.

#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportOption.h"
#include "csv/LineReader.h"

// The first records of a file as the import reads them (line ends and quotes of
// `format`), each cut to `maxChars` bytes for display. Empty when the file can't be read.
std::vector<std::string> ReadPreviewRecords(const wxString& path, int maxRecords, LineFormat format,
                                            size_t maxChars = 4096);

struct PreviewCell
{
    wxString text;
    bool gap = false; // a data cell that the import reads as a gap
};

// The fields of a record as the import assigns them to columns. In a data row a number or
// time cell shows the value the import reads (a time as ISO 8601 text), and a cell
// without one is a gap showing its text.
std::vector<PreviewCell> PreviewCells(const std::string& record, const CSVDialect& dialect,
                                      bool dataRow);

// The separator the detection finds in a file (a comma when it can't be read).
char DetectFileSeparator(const wxString& path);
