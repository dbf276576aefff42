#pragma once

// Reading the dialect of a file from a sample of its lines: separator, decimal mark,
// quoting, line ends, header lines and one type per column (number, time or text); and
// the field rules that the conversion shares with the detection.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportOption.h"
#include "csv/LineReader.h"

// The type the user gave a column.
struct ColumnRequest
{
    int column; // 0-based
    ColumnKind kind;
    TimeLayout layout = TimeLayout::NONE; // of a time column; NONE: detected

    friend bool operator==(const ColumnRequest& a, const ColumnRequest& b)
    {
        return a.column == b.column && a.kind == b.kind && a.layout == b.layout;
    }
};

// What the user (or the command line) fixed before the detection; the rest is detected.
struct DialectRequest
{
    bool detect = true; // false: the plain reading only
    char separator = 0; // 0: detect
    char decimal = 0;   // 0: detect
    std::vector<ColumnRequest> columns;
    static constexpr int SPLIT_DETECT = -2;
    static constexpr int SPLIT_NONE = -1;
    int split = SPLIT_DETECT; // or the 0-based column whose values split the rows

    // Whether the user asked for more than the plain reading can give.
    bool ForcesDialect() const { return decimal != 0 || !columns.empty() || split >= 0; }
    // Sets (replaces) the type of one column.
    void SetColumn(const ColumnRequest& request);
};

// Lines of a file to detect its dialect from: its head and runs of lines spread over it
// (so that a file whose first lines are tidy and later ones are not is seen as it is).
struct FileSample
{
    std::string head;       // from the start of the file, after a byte-order mark
    int64_t headOffset = 0; // where the head starts in the file
    bool headIsWholeFile = false;
    struct Chunk
    {
        int64_t offset;   // of its first line, a line start
        std::string text; // whole lines only
    };
    std::vector<Chunk> spread;
    bool carriageReturnsOnly = false; // '\r' line ends and no '\n' in the head
};

FileSample ReadFileSample(int fd, int64_t fileSize);

// The records of a chunk, cut by `format`; a last record without its end is kept only
// with keepPartial.
std::vector<std::string> SplitRecords(const std::string& chunk, LineFormat format,
                                      bool keepPartial);

// One field of a record: the text between the quotes for a quoted field.
struct Field
{
    const char* begin;
    const char* end;
    bool quoted;
};

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Moves begin and end inward past blanks.
inline void TrimBlanks(const char*& begin, const char*& end)
{
    while (begin < end && IsBlank(*begin))
        ++begin;
    while (end > begin && IsBlank(end[-1]))
        --end;
}

// Calls f(field) for every field of the record [p, end) and returns their count. A space
// separator collapses runs of blanks and ignores them at both ends; any other separator
// cuts at each occurrence (so "1,2," has three fields). With a quote character, a field
// that starts with it (after blanks) runs to the matching quote; a doubled quote inside
// stands for one; what follows the closing quote up to the separator is dropped.
template <class F>
int ForEachField(const char* p, const char* end, char separator, char quote, F&& f)
{
    const bool blank = separator == ' ';
    auto skipBlanks = [&] {
        while (p < end && IsBlank(*p))
            ++p;
    };
    auto findSeparator = [&](const char* from) -> const char* {
        if (blank) {
            while (from < end && !IsBlank(*from))
                ++from;
            return from;
        }
        const void* hit = std::memchr(from, separator, size_t(end - from));
        return hit ? static_cast<const char*>(hit) : end;
    };
    if (blank) {
        skipBlanks();
        if (p == end)
            return 0;
    }
    int count = 0;
    for (;;) {
        const char* start = p;
        if (quote) {
            while (start < end && *start == ' ')
                ++start;
        }
        if (quote && start < end && *start == quote) {
            const char* close = start + 1;
            for (;;) {
                const void* hit = std::memchr(close, quote, size_t(end - close));
                if (!hit) {
                    close = end; // unterminated: the field runs to the end of the record
                    break;
                }
                close = static_cast<const char*>(hit);
                if (close + 1 < end && close[1] == quote) {
                    close += 2;
                    continue;
                }
                break;
            }
            f(Field{start + 1, close, true});
            p = findSeparator(close < end ? close + 1 : end);
        } else {
            p = findSeparator(p);
            f(Field{start, p, false});
        }
        ++count;
        if (p >= end)
            return count;
        ++p;
        if (blank) {
            skipBlanks();
            if (p == end)
                return count;
        }
    }
}

// The text of a field for a label: blanks around it trimmed, doubled quotes undone.
wxString FieldLabel(const Field& field, char quote);

// The whole field (blanks around it allowed) as a number of the CSV syntax with `decimal`
// as its decimal mark ('.' or ','). No allocation, locale-free.
bool ParseNumberField(const char* begin, const char* end, char decimal, double& value);
// Empty, "nan", "NaN", "NAN", "NA", "N/A", "null", "NULL" or "-" (blanks around allowed):
// a cell that says there is no value.
bool IsMissingToken(const char* begin, const char* end);

// The value of a number or time cell [begin, end): the number, or seconds from the time
// column's origin. False for a gap (and for a text column).
inline bool ReadCellValue(const char* begin, const char* end, ColumnKind kind, TimeLayout layout,
                          TimeNanos origin, char decimal, double& value)
{
    if (kind == ColumnKind::NUMBER)
        return ParseNumberField(begin, end, decimal, value);
    TimeNanos time;
    if (kind != ColumnKind::TIME || !ParseTime(begin, end, layout, time))
        return false;
    value = TimeSeconds(time, origin);
    return true;
}

// What the detection found.
struct DialectGuess
{
    CSVDialect dialect;
    int headerLines = 0;
    int columnCount = 0;
    std::vector<wxString> names; // of the columns, from the header
    int xColumn = -1;            // of the default series; -1: they count their points
    int typedColumns = 0;        // number and time columns
    // A column whose values split the rows into recordings stacked in one table (within
    // each, xColumn never goes down); -1 for none.
    int splitColumn = -1;
    std::vector<wxString> splitKeys; // its values in the sample, in order of appearance
};

DialectGuess DetectDialect(const FileSample& sample, const DialectRequest& request);

// Whether the plain reading (header lines up to the first line of number characters,
// every data line converting with `separator`) reads the sample. `dataStart` is where
// the plain scan found the first data line: sampled lines before it are header lines.
// `firstColumnNoX` tells whether the first column is no X: it goes down somewhere in the
// sample, or repeats its value between many neighbours; `filledColumns` is the most columns
// a sampled line has up to its last non-empty field. A header line that is mostly numbers
// is a row the plain reading would lose: it does not hold then.
bool PlainReadingHolds(const FileSample& sample, char separator, int64_t dataStart,
                       bool& firstColumnNoX, int& filledColumns);

// The default option of a detected dialect for a file of `rowCount` records whose last
// non-blank record is `lastDataLine`: one series per number column, over the guess's X
// column (the first time column that rises, else the first column when it is a number
// column that rises), or counting their points from 0 when there is none. With a split
// column the import makes those series once per value of it.
CSVImportOption DefaultDialectOption(const DialectGuess& guess, int rowCount, int lastDataLine);
