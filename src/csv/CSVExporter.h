#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <wx/string.h>

#include "progress/ProgressProc.h"
#include "progress/ResultCode.h"

class GraphData;
class GraphProject;

struct ExportedItem
{
    int32_t index = 0; // the series' position in the project
    wxString header;
};

struct CSVExportOption
{
    bool exportX = true;
    bool exportHeader = true;
    wxString xDataHeader;
    std::vector<ExportedItem> exportedData; // in column order
};

// Writes series that share one X axis into a CSV/TXT file: an optional header line, then
// per point an optional X value and one value per series, "%.8e" with at least three
// exponent digits, CR LF after every line. The target is replaced only by a complete file.
class CSVExporter
{
public:
    CSVExporter(const wxString& fileName, GraphProject& project);

    // Series 0 and every later series with the same X data and point count.
    static CSVExportOption MakeDefaultOption(const GraphProject& project);

    void SetOption(const CSVExportOption& option) { m_option = option; }
    CSVExportOption GetOption() const { return m_option; }
    void SetSeparator(wxChar separator);
    wxString GetErrorMessage() const { return m_message; }

    bool IsExportedDataValid();

    ResultCode Export(ProcContext* context);
    ResultCode ExportInternal(Progress* progress);

private:
    GraphProject& m_project;
    wxString m_fileName;
    wxChar m_separator = ',';
    CSVExportOption m_option;
    wxString m_message;
};

// Series can share the file's one X column: the same X at every point (compared exactly).
bool ShareExportAxis(const GraphData& a, const GraphData& b);

// Writes value with the fewest digits that read back as the same double, laid out as
// "%.8e" with at least three exponent digits (1.50000000e+002, 1.733600000123e+009) into
// out, which must hold 32 characters; returns the length. No terminating NUL.
size_t FormatExportValue(double value, char* out);
// The X column of a regular X, accumulated point by point, as "%.8e" with three exponent
// digits, as the file has always been written.
size_t FormatRegularX(double value, char* out);
// FormatRegularX, unless that loses more than a millionth of `interval` (an X of seconds
// since 1970 with milliseconds): then FormatExportValue.
size_t FormatRegularXExact(double value, double interval, char* out);
