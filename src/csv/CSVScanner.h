#pragma once

// The importer's scan: line counting, header detection, the line index and the default
// import option. Internal to the importer (and its tests).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportTuning.h"
#include "csv/CSVImportOption.h"
#include "csv/Dialect.h"
#include "csv/LineReader.h"
#include "progress/Progress.h"
#include "progress/ResultCode.h"

// Known line starts of the scanned file, so that the conversion can split the file
// between threads and still know each part's line numbers.
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

// Whether a line has only the characters of numbers and separators: a data line; the
// lines before the first one are the header.
bool IsNumericLine(const char* begin, const char* end, char separator);
// Pieces between separators, converted to wide text; an empty text gives one name. Only
// the first `maxPieces` are made: the header text of a file may be megabytes long.
std::vector<wxString> SplitLine(const std::string& text, char separator,
                                size_t maxPieces = SIZE_MAX);

// A file is read the plain way (header lines up to the first line of number characters,
// one separator, no quotes) when a sample of it shows that this reads it; otherwise, or
// when the request asks for more, its dialect is detected and read.
class CSVScanner
{
public:
    // Failures are described in `message`.
    CSVScanner(const wxString& fileName, const DialectRequest& request,
               const CSVImportTuning& tuning, wxString& message);

    // SUCCESS fills the shape, the line index and the default option.
    ResultCode Scan(Progress* progress);

    const CSVFileInfo& GetInfo() const { return m_info; }
    const CSVImportOption& GetOption() const { return m_option; }
    CSVLineIndex& GetLineIndex() { return m_lineIndex; }

private:
    struct ScanPart;

    bool PlainReadingCanHold(const FileSample& sample) const;
    ResultCode ScanFile(int fd, int64_t total, LineFormat format, bool plain, Progress* progress,
                        ScanPart& result);
    void ScanRange(int fd, ScanPart& part, const std::function<bool(int64_t bytes)>& poll) const;
    // ScanRange's lines after the header, without quotes: blocks of lines at a time.
    void ScanBlocks(LineReader& reader, ScanPart& part,
                    const std::function<bool(int64_t bytes)>& poll) const;
    ResultCode JoinParts(int fd, bool parallel, ScanPart& head, ScanPart& tail, Progress* progress,
                         int64_t total);
    // One series per column after the first, over the first as X; or, without
    // `firstColumnIsX`, one per column counting its points.
    void BuildDefaultOption(int headerCount, const std::string& headerText,
                            bool firstColumnIsX = true);

    wxString m_fileName;
    DialectRequest m_request;
    char m_separator; // of the plain reading
    // Of the running pass: its line ends, and whether it looks for the plain header.
    LineFormat m_format;
    bool m_plain = true;
    const CSVImportTuning& m_tuning;
    wxString& m_message;
    CSVFileInfo m_info;
    CSVImportOption m_option;
    CSVLineIndex m_lineIndex;
};
