#pragma once

// The importer's conversion: data lines to values (on one or two threads), the memory
// check and the X columns. Internal to the importer (and its tests).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportTuning.h"
#include "csv/CSVImportOption.h"
#include "csv/CSVScanner.h"
#include "model/GraphData.h"

class ColumnStreamFile;
struct FilePart;

// Converts one line (without its line end) into row `row` of `columns` (one entry per
// column; null entries are parsed and dropped). False when the line does not follow the
// number rules.
bool ConvertFields(const char* p, const char* end, size_t row, double* const* columns,
                   size_t columnCount, char separator);

// ConvertFields over the line at p, within the whole lines [p, end) (each ended by a
// '\n', but a last one at the end of the file): returns the start of the next line.
// Null when the line is not simply numbers and separators (say a blank before a number);
// ConvertFields then decides, and what was written of the row does not count.
const char* ConvertPlainLine(const char* p, const char* end, size_t row, double* const* columns,
                             size_t columnCount, char separator);

// Whether v[0..n) steps evenly: every step within `percent` per cent of the first step.
// Gives the first value and the first step. Fails for no values, a negative first step
// (its tolerance is negative) and non-finite results.
bool IsArithmeticProgression(const double* v, size_t n, double percent, double& start,
                             double& interval);

// One flag per column: X columns of the sources (with the time-of-day columns joined to
// them), and their Y columns with includeY.
std::vector<bool> RequiredColumns(const CSVImportOption& option, const CSVFileInfo& info,
                                  bool includeY);
// Bytes an import takes: the required columns, and a mipmap for `resolution` of each
// column that some series shows.
double ImportBytes(const CSVImportOption& option, const std::vector<bool>& required,
                   int resolution);

class CSVConverter
{
public:
    // Failures are described in `message`.
    CSVConverter(const wxString& fileName, char separator, const CSVImportTuning& tuning,
                 wxString& message);

    // One series per data source of a valid option, in their order (with a split column,
    // one per source and value of it); `index` is the scan's and `resolution` the
    // mipmaps' (for the memory check). A cell without a value of its column's type is a
    // gap (NaN), counted; a chosen column without any value fails.
    ResultCode Convert(const CSVImportOption& option, const CSVFileInfo& info,
                       const CSVLineIndex& index, int resolution, Progress* progress,
                       std::vector<std::shared_ptr<GraphData>>& series);

    // Gaps of the last conversion, and the 1-based line of the first (0 when none).
    int64_t GetGapCount() const { return m_gaps; }
    int64_t GetFirstGapLine() const { return m_firstGapLine; }
    // The labels of the last conversion's series (set on the main thread, where the
    // project may hear of them), and the value of the split column each one holds.
    const std::vector<wxString>& GetLabels() const { return m_labels; }
    const std::vector<std::string>& GetSeriesKeys() const { return m_seriesKeys; }

    // For reading what a file gained: lines are counted from `offset` (a line start), and
    // X columns keep every value as read (never made start and interval).
    void SetStart(int64_t offset) { m_start = offset; }
    void SetRawX(bool raw) { m_rawX = raw; }
    // Where the last converted line ended, and whether it ended with its line end.
    int64_t GetDataEnd() const { return m_dataEnd; }
    bool DataEndedWithLineFeed() const { return m_dataEndedWithLineFeed; }
    // The last value of each X column (NaN for other columns, or none).
    const std::vector<double>& GetLastX() const { return m_lastX; }

    // The column cache's folder, where an import larger than the tuning's
    // streamMinBytes is parsed into a new cache file instead of the heap (empty: never,
    // for the reason `whyNot`, which a refusal of a file too large for memory gives).
    void SetStreamDir(const std::string& dir, const std::string& whyNot = std::string())
    {
        m_streamDir = dir;
        m_whyNotStream = whyNot;
    }
    // The file the last conversion's series live in, when it streamed (else null).
    std::shared_ptr<ColumnStreamFile> TakeStream() { return std::move(m_stream); }

    // Most values a split column may have: each makes a series per data source.
    static constexpr size_t MAX_SPLIT_KEYS = 1000;

private:
    // The X of an X column, and the points its series keep when it has gaps.
    struct XColumn
    {
        DataX x;
        std::vector<size_t> kept; // empty: every point
    };
    struct ConvertPart;

    ResultCode Fail(const wxString& message);
    // A column of `rows` zeros: in the streamed file when there is one.
    LargeArray<double> NewColumn(size_t rows);
    void AllocateColumns(std::vector<std::shared_ptr<GraphDataY>>& columns, size_t rows);
    // The values of `y` at the points `kept`.
    std::shared_ptr<GraphDataY> Kept(const GraphDataY& y, const std::vector<size_t>& kept);
    // The X of `column` over the rows `rows` (every row when null), whose values are
    // `values` (taken when no series shows them, with mayTake).
    ResultCode MakeXColumn(const CSVImportOption& option, int column, LargeArray<double>& values,
                           const std::vector<size_t>* rows, bool mayTake, XColumn& out);
    ResultCode MakeSeries(const CSVImportOption& option, const CSVFileInfo& info,
                          std::vector<std::shared_ptr<GraphDataY>>& dataYs,
                          std::vector<std::shared_ptr<GraphData>>& series);
    ResultCode MakeSplitSeries(const CSVImportOption& option,
                               std::vector<std::shared_ptr<GraphDataY>>& dataYs,
                               std::vector<std::shared_ptr<GraphData>>& series);
    ResultCode FinishColumns(const CSVImportOption& option, const std::vector<bool>& required,
                             std::vector<std::shared_ptr<GraphDataY>>& dataYs);
    // What a record's conversion needs of a dialect, worked out once per part.
    struct RecordPlan;

    ResultCode ConvertFile(int fd, int64_t total, const std::vector<double*>& columns,
                           Progress* progress);
    void ConvertRange(int fd, ConvertPart& part, const std::vector<double*>& columns,
                      const std::function<bool(int64_t bytes)>& poll) const;
    // ConvertRange for the plain reading: blocks of lines, each line in one pass.
    void ConvertPlainRange(int fd, ConvertPart& part, const std::vector<double*>& columns,
                           const std::function<bool(int64_t bytes)>& poll) const;
    // A record by the dialect's rules (or the fallback's, for a plain line that failed).
    void ConvertRecord(const char* begin, const char* end, int64_t line, size_t row,
                       const RecordPlan& plan, ConvertPart& part) const;
    // The split column's values of both parts as one list, the tail's rows renumbered.
    ResultCode JoinKeys(ConvertPart& head, ConvertPart& tail, double* keyColumn);

    wxString m_fileName;
    char m_separator;
    const CSVImportTuning& m_tuning;
    wxString& m_message;
    // Of the running conversion.
    const CSVImportOption* m_option = nullptr;
    const CSVLineIndex* m_lineIndex = nullptr;
    CSVDialect m_fallback; // the plain reading's rules for a line that fails them
    int64_t m_gaps = 0;
    int64_t m_firstGapLine = 0;
    std::vector<std::string> m_keys; // of the split column, in order of appearance
    std::vector<wxString> m_labels;
    std::vector<std::string> m_seriesKeys;
    int64_t m_start = 0;
    bool m_rawX = false;
    int64_t m_dataEnd = 0;
    bool m_dataEndedWithLineFeed = true;
    std::vector<double> m_lastX;
    std::string m_streamDir;
    std::string m_whyNotStream;
    std::shared_ptr<ColumnStreamFile> m_stream;
};
