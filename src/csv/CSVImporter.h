#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "model/GraphData.h"
#include "progress/ProgressProc.h"
#include "progress/ResultCode.h"

class GraphProject;
struct FilePart;

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

// Known line starts of the scanned file, so that the import can split the file between
// threads and still know each part's line numbers.
struct CSVLineIndex
{
    struct Mark
    {
        int64_t line;   // 0-based line index
        int64_t offset; // where that line starts
    };
    int64_t fileSize = -1;
    std::vector<Mark> marks;
};

constexpr int DEFAULT_MIPMAP_RESOLUTION = 512;

// Scans a CSV/TXT file for its shape, then imports chosen columns as series. Long
// operations return a ResultCode and never throw; the text of a failure is in
// GetErrorMessage().
class CSVImporter
{
public:
    CSVImporter(const wxString& fileName, GraphProject& project);

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

    // Converts one line (without its line end) into row `row` of the columns in `data`
    // (one entry per column; empty entries are parsed and dropped). False when the line
    // does not follow the number rules.
    bool ConvLineToValue(const char* begin, const char* end, int row,
                         std::vector<std::shared_ptr<GraphDataY>>& data, char separator) const;
    // One flag per column: X columns of the sources, and their Y columns with includeY.
    void CheckRequiredColumn(std::vector<bool>& flags, bool includeY) const;
    bool IsOptionValid() const;

    static bool IsNumericLine(const char* begin, const char* end, char separator);
    // Pieces between separators, converted to wide text; an empty text gives one name.
    static std::vector<wxString> SplitLine(const std::string& text, char separator);

    // Tuning and test hooks. Threads used by the import (1 or 2, default: the cores,
    // at most 2); files smaller than `bytes` are read by one thread.
    void SetThreadCount(int threads) { m_threadCount = threads < 1 ? 1 : threads; }
    void SetParallelMinBytes(int64_t bytes) { m_parallelMinBytes = bytes; }
    // Memory the import may use; by default what the system reports as available.
    void SetMemoryLimit(int64_t bytes) { m_memoryLimit = bytes; }
    // Most lines a file may have (the row counts are 32-bit).
    void SetMaxLineCount(int64_t lines) { m_maxLineCount = lines; }

private:
    struct ScanPart;

    bool NarrowSeparator(char& separator);
    void BuildDefaultOption(int headerCount, const std::string& headerText);
    ResultCode FailWith(const wxString& message);
    ResultCode ConvertFile(int fd, int64_t total, const std::vector<double*>& columns,
                           Progress* progress);
    void ConvertRange(int fd, char separator, FilePart& part, const std::vector<double*>& columns,
                      const std::function<bool(int64_t bytes)>& poll) const;
    void ScanRange(int fd, char separator, ScanPart& part,
                   const std::function<bool(int64_t bytes)>& poll) const;
    ResultCode JoinScanParts(int fd, char separator, bool parallel, ScanPart& head, ScanPart& tail,
                             Progress* progress, int64_t total, CSVLineIndex& index);
    bool CheckMemory(const std::vector<bool>& required);
    ResultCode BuildMipmaps(int resolution, Progress* progress);
    ResultCode BuildMipmapsOnThreads(int resolution, Progress* progress);

    GraphProject& m_project;
    wxString m_fileName;
    wxChar m_separator = ',';
    CSVFileInfo m_info;
    CSVImportOption m_option;
    wxString m_message;
    std::vector<std::shared_ptr<GraphData>> m_series;

    CSVLineIndex m_lineIndex;
    int m_resolution = DEFAULT_MIPMAP_RESOLUTION;
    int m_threadCount;
    int64_t m_parallelMinBytes = int64_t(8) << 20;
    int64_t m_memoryLimit = -1;
    int64_t m_maxLineCount = INT32_MAX;
};

// Whether v[0..n) steps evenly: every step within `percent` per cent of the first step.
// Gives the first value and the first step. Fails for no values, a negative first step
// (its tolerance is negative) and non-finite results.
bool IsArithmeticProgression(const double* v, size_t n, double percent, double& start,
                             double& interval);
