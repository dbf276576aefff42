#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportTuning.h"
#include "model/GraphData.h"
#include "progress/ProgressProc.h"
#include "progress/ResultCode.h"

class GraphProject;
struct CSVLineIndex;

// Shape of a scanned file.
struct CSVFileInfo
{
    wxString fileName;
    int32_t columnCount = 0; // largest column count of a data line
    int32_t rowCount = 0;    // every line read: header, data and blank lines
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
};

constexpr int DEFAULT_MIPMAP_RESOLUTION = 512;

// Why the option's rows or columns don't fit a file of this shape, naming the entry at
// fault (rows beyond the file, a column outside 1 to the column count); empty when they
// do. An option without data sources fits: it imports nothing.
wxString CheckOptionFitsFile(const CSVFileInfo& info, const CSVImportOption& option);

// Scans a CSV/TXT file for its shape, then imports chosen columns as series. Long
// operations return a ResultCode and never throw; the text of a failure is in
// GetErrorMessage(). The work is done by its parts: CSVScanner (csv/CSVScanner.h) and
// CSVConverter (csv/CSVConverter.h).
class CSVImporter
{
public:
    CSVImporter(const wxString& fileName, GraphProject& project);
    ~CSVImporter();

    // Tab, space, comma or semicolon.
    void SetSeparator(wxChar separator);
    wxChar GetSeparator() const { return m_separator; }

    ResultCode ScanInfo(ProcContext* context);
    ResultCode ScanInfoInternal(Progress* progress);

    CSVFileInfo GetInfo() const { return m_info; }
    CSVImportOption GetOption() const { return m_option; }
    void SetOption(const CSVImportOption& option) { m_option = option; }
    wxString GetErrorMessage() const { return m_message; }

    // The whole import as the desktop runs it: converts, builds every series' mipmap
    // for `resolution` (the "/Mipmap/Resolution" setting), then adds the series to the
    // project and labels them, on the calling thread and only when all of that
    // succeeded.
    ResultCode Import(ProcContext* context, int resolution = DEFAULT_MIPMAP_RESOLUTION);
    // Reads and converts; fills the series list (nothing reaches the project).
    ResultCode ImportInternal(Progress* progress);

    // Series of the last import, in the order of the data sources.
    const std::vector<std::shared_ptr<GraphData>>& GetSeries() const { return m_series; }

    // Tuning and test hooks (threads, memory limit, ...).
    CSVImportTuning& Tuning() { return m_tuning; }

private:
    GraphProject& m_project;
    wxString m_fileName;
    wxChar m_separator = ',';
    CSVFileInfo m_info;
    CSVImportOption m_option;
    wxString m_message;
    std::vector<std::shared_ptr<GraphData>> m_series;

    CSVImportTuning m_tuning;
    std::unique_ptr<CSVLineIndex> m_lineIndex; // of the last scan
    int m_resolution = DEFAULT_MIPMAP_RESOLUTION;
};
