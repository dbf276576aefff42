// The importer's scan: line counting, header detection, the line index, the default
// option.
#include "csv/CSVScanner.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <emmintrin.h>
#include <unistd.h>
#include <wx/intl.h>

#include "base/FileUtil.h"
#include "csv/LineReader.h"
#include "csv/SplitJoin.h"

namespace {

// The characters of numbers and blanks: one load a character instead of a chain of tests
// (a file of date-times is all header lines, each read up to its first ':').
struct NumberCharacters
{
    bool allowed[256] = {};

    constexpr NumberCharacters()
    {
        for (char c = '0'; c <= '9'; ++c)
            allowed[static_cast<unsigned char>(c)] = true;
        for (char c : {' ', '\t', '+', '-', '.', 'd', 'D', 'e', 'E'})
            allowed[static_cast<unsigned char>(c)] = true;
    }
};

constexpr NumberCharacters NUMBER_CHARACTERS;

// The build targets every x86-64, which has no popcnt instruction.
inline int CountBits(uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return int((x * 0x0101010101010101ull) >> 56);
}

// One bit per byte of the 64 at p: those equal to the terminator, and to the separator.
struct ByteMasks
{
    uint64_t terminator = 0, separator = 0;

    ByteMasks(const char* p, char terminator_, char separator_)
    {
        const __m128i term = _mm_set1_epi8(terminator_), sep = _mm_set1_epi8(separator_);
        for (int k = 0; k < 4; ++k) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            const int shift = 16 * k;
            terminator |= uint64_t(uint16_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, term)))) << shift;
            separator |= uint64_t(uint16_t(_mm_movemask_epi8(_mm_cmpeq_epi8(v, sep)))) << shift;
        }
    }
};

// Calls line(begin, end, separators) for each line of the whole lines [p, end) (each
// ended by `terminator`, but a last one at the end of the file), with the line without its
// terminator and the count of `separator` in it; stops when line() returns false. Reads up
// to 63 bytes past end, which must be readable.
template <class F>
void ForEachLineSeparators(const char* p, const char* end, char terminator, char separator,
                           F&& line)
{
    const char* lineBegin = p;
    int separators = 0;
    for (const char* q = p; q < end; q += 64) {
        ByteMasks masks(q, terminator, separator);
        if (end - q < 64) {
            const uint64_t inside = (uint64_t(1) << (end - q)) - 1;
            masks.terminator &= inside;
            masks.separator &= inside;
        }
        while (masks.terminator) {
            const int at = __builtin_ctzll(masks.terminator);
            const uint64_t before = (uint64_t(1) << at) - 1;
            separators += CountBits(masks.separator & before);
            if (!line(lineBegin, q + at, separators))
                return;
            masks.terminator &= masks.terminator - 1;
            masks.separator &= ~before;
            lineBegin = q + at + 1;
            separators = 0;
        }
        separators += CountBits(masks.separator);
    }
    if (lineBegin != end)
        line(lineBegin, end, separators);
}

} // namespace

bool IsNumericLine(const char* begin, const char* end, char separator)
{
    for (const char* p = begin; p != end; ++p) {
        const char c = *p;
        if (!NUMBER_CHARACTERS.allowed[static_cast<unsigned char>(c)] && c != separator)
            return false;
    }
    return true;
}

std::vector<wxString> SplitLine(const std::string& text, char separator, size_t maxPieces)
{
    std::vector<wxString> names;
    size_t begin = 0;
    while (names.size() < maxPieces) {
        const size_t cut = text.find(separator, begin);
        const size_t end = cut == std::string::npos ? text.size() : cut;
        names.push_back(NarrowToWide(text.data() + begin, end - begin));
        if (cut == std::string::npos)
            return names;
        begin = cut + 1;
    }
    return names;
}

// What one thread learned about its byte range of the file; its line count starts at 0.
struct CSVScanner::ScanPart : FilePart
{
    ScanPart(int64_t from, int64_t to, bool header, bool keepText = true)
        : FilePart(from, to, 0), headerMode(header), keepsHeaderText(keepText)
    {
    }

    // Both parts start among header lines: the second part's leading non-number lines
    // are header lines when the first part ends among them, else data lines.
    bool headerMode;
    bool keepsHeaderText; // only the first part's text names the series
    int headerCount = 0;
    std::string headerText;
    int columnCount = 0;                   // of the lines from the first data line on
    int leadColumns = 0;                   // of the header lines, when their text is not kept
    int64_t dataStart = -1;                // offset of the first data line
    int64_t lastNonBlank = -1;             // line within the part
    std::vector<CSVLineIndex::Mark> marks; // line index within the part
};

void CSVScanner::ScanBlocks(LineReader& reader, ScanPart& part,
                            const std::function<bool(int64_t bytes)>& poll) const
{
    const char terminator = m_format.terminator;
    int64_t& line = part.line;
    const char* begin;
    const char* end;
    for (;;) {
        const int64_t blockOffset = reader.Offset();
        const LineReader::Status status = reader.NextLines(begin, end);
        if (status != LineReader::LINE) {
            part.result = EndOfReading(status);
            return;
        }
        ForEachLineSeparators(
            begin, end, terminator, m_separator,
            [&](const char* lineBegin, const char* lineEnd, int separators) {
                if (line >= m_tuning.maxLineCount) {
                    part.result = PartEnd::TOO_MANY;
                    return false;
                }
                // Past the line and its end, for the progress.
                const char* after = lineEnd == end ? end : lineEnd + 1;
                if (terminator == '\n' && lineEnd != end && lineEnd > lineBegin &&
                    lineEnd[-1] == '\r')
                    --lineEnd;
                // Mostly the first byte tells.
                if (lineBegin != lineEnd &&
                    (!IsBlank(*lineBegin) || !std::all_of(lineBegin, lineEnd, IsBlank)))
                    part.lastNonBlank = line;
                if (m_plain)
                    part.columnCount = std::max(part.columnCount, separators + 1);
                if (line % PROGRESS_LINES == 0) {
                    const int64_t start = blockOffset + (lineBegin - begin);
                    part.marks.push_back(CSVLineIndex::Mark{line, start});
                    if (!poll(blockOffset + (after - begin) - part.begin)) {
                        part.result = PartEnd::STOPPED;
                        return false;
                    }
                }
                ++line;
                return true;
            });
        if (part.result != PartEnd::DONE)
            return;
    }
}

void CSVScanner::ScanRange(int fd, ScanPart& part,
                           const std::function<bool(int64_t bytes)>& poll) const
{
    LineReader reader(fd, part.begin, part.end, m_format);
    const char* begin;
    const char* end;
    for (int64_t& line = part.line;; ++line) {
        // After the header, without quotes, a whole block of lines is read at once.
        if (!m_format.quote && (!m_plain || !part.headerMode)) {
            ScanBlocks(reader, part, poll);
            break;
        }
        const int64_t lineStart = reader.Offset();
        const LineReader::Status status = reader.Next(begin, end);
        if (status != LineReader::LINE) {
            part.result = EndOfReading(status);
            break;
        }
        if (line >= m_tuning.maxLineCount) {
            part.result = PartEnd::TOO_MANY;
            break;
        }
        if (begin != end && !std::all_of(begin, end, IsBlank))
            part.lastNonBlank = line;
        if (!m_plain) {
            // Only the lines are counted; the sample tells the rest.
        } else if (part.headerMode && !IsNumericLine(begin, end, m_separator)) {
            if (!part.keepsHeaderText)
                part.leadColumns =
                    std::max(part.leadColumns, CountByteWithSlack(begin, end, m_separator) + 1);
            // Bounded: a file that is all "header" is not read the plain way anyway.
            else if (part.headerText.size() < m_tuning.maxHeaderText)
                part.headerText.append(begin, end);
            ++part.headerCount;
        } else {
            if (part.headerMode)
                part.dataStart = lineStart;
            part.headerMode = false;
            const int columns = CountByteWithSlack(begin, end, m_separator) + 1;
            if (columns > part.columnCount)
                part.columnCount = columns;
        }
        if (line % PROGRESS_LINES == 0) {
            part.marks.push_back(CSVLineIndex::Mark{line, lineStart});
            if (!poll(reader.Offset() - part.begin)) {
                part.result = PartEnd::STOPPED;
                break;
            }
        }
    }
    part.RecordEnd(reader);
}

// Where a second thread may start: the line start nearest the middle, or -1.
static int64_t FindSplit(int fd, int64_t total, char terminator)
{
    char buffer[64 << 10];
    const int64_t from = total / 2 - 1;
    const ssize_t got = pread(fd, buffer, sizeof buffer, from);
    if (from < 1 || got <= 0)
        return -1;
    const void* lf = std::memchr(buffer, terminator, size_t(got));
    // None: a long line lies there, which one thread reads.
    return lf ? from + (static_cast<const char*>(lf) - buffer) + 1 : -1;
}

// Adds the second part's lines, columns and line marks to the first part. When the
// first part ended among header lines, the header goes on over the second part's leading
// lines; while the header text is not full they must add to it: that part is then read
// again (a header text under its cap bounds that part's size).
ResultCode CSVScanner::JoinParts(int fd, bool parallel, ScanPart& head, ScanPart& tail,
                                 Progress* progress, int64_t total)
{
    CSVLineIndex& index = m_lineIndex;
    index.marks = head.marks;
    if (!parallel)
        return ResultCode::SUCCESS;
    if (head.headerMode && head.headerText.size() < m_tuning.maxHeaderText) {
        ScanPart rest{tail.begin, INT64_MAX, true};
        rest.headerText = std::move(head.headerText);
        rest.headerCount = head.headerCount;
        ScanRange(fd, rest, [&](int64_t bytes) {
            if (!progress)
                return true;
            ReportPosition(*progress, rest.begin + bytes, total);
            return !progress->IsCancelled();
        });
        if (rest.result == PartEnd::DONE && head.line + rest.line > m_tuning.maxLineCount)
            rest.result = PartEnd::TOO_MANY;
        if (rest.result != PartEnd::DONE)
            return ReportPart(rest, head.line, m_fileName, m_message);
        for (const CSVLineIndex::Mark& mark : rest.marks)
            index.marks.push_back(CSVLineIndex::Mark{head.line + mark.line, mark.offset});
        head.headerText = std::move(rest.headerText);
        head.headerCount = rest.headerCount;
        head.dataStart = rest.dataStart;
        if (rest.lastNonBlank >= 0)
            head.lastNonBlank = head.line + rest.lastNonBlank;
        head.line += rest.line;
        head.columnCount = rest.columnCount;
        return ResultCode::SUCCESS;
    }
    if (tail.result == PartEnd::DONE && head.line + tail.line > m_tuning.maxLineCount)
        tail.result = PartEnd::TOO_MANY;
    if (tail.result != PartEnd::DONE)
        return ReportPart(tail, head.line, m_fileName, m_message);
    for (const CSVLineIndex::Mark& mark : tail.marks)
        index.marks.push_back(CSVLineIndex::Mark{head.line + mark.line, mark.offset});
    if (tail.lastNonBlank >= 0)
        head.lastNonBlank = head.line + tail.lastNonBlank;
    head.line += tail.line;
    if (head.headerMode) {
        head.headerCount += tail.headerCount;
        head.dataStart = tail.dataStart;
        head.columnCount = tail.columnCount;
    } else {
        head.columnCount = std::max({head.columnCount, tail.columnCount, tail.leadColumns});
    }
    return ResultCode::SUCCESS;
}

CSVScanner::CSVScanner(const wxString& fileName, const DialectRequest& request,
                       const CSVImportTuning& tuning, wxString& message)
    : m_fileName(fileName), m_request(request),
      m_separator(request.separator ? request.separator : ','), m_tuning(tuning), m_message(message)
{
}

// One pass over the file: its lines, line index and (plain) header and columns.
ResultCode CSVScanner::ScanFile(int fd, int64_t total, LineFormat format, bool plain,
                                Progress* progress, ScanPart& result)
{
    m_format = format;
    m_plain = plain;
    // Quotes may hold line ends anywhere: a split could fall inside a field.
    const int64_t split = (m_tuning.threadCount >= 2 && total >= m_tuning.parallelMinBytes &&
                           total > 0 && !format.quote)
                              ? FindSplit(fd, total, format.terminator)
                              : -1;
    ScanPart& head = result;
    ScanPart tail{split, INT64_MAX, true, false};
    const SplitRead run = ReadSplit(
        fd, split, -1, total, head, tail, progress,
        [&](ScanPart& part, const std::function<bool(int64_t)>& poll) {
            ScanRange(fd, part, poll);
        },
        format.terminator);
    if (run.cancelled && head.result == PartEnd::DONE)
        return ResultCode::CANCELLED;
    if (head.result != PartEnd::DONE)
        return ReportPart(head, 0, m_fileName, m_message);
    m_lineIndex.fileSize = total;
    return JoinParts(fd, run.parallel, head, tail, progress, total);
}

// False when the sample shows that the plain reading will not hold: the head has a line of
// number characters (where the plain data would start) and the sample fails from there, or
// no sampled line at all is one of number characters (a file of time stamps or text).
bool CSVScanner::PlainReadingCanHold(const FileSample& sample) const
{
    int64_t dataStart = -1;
    bool anyNumeric = false;
    auto scan = [&](const std::string& text, int64_t offset, bool head) {
        for (size_t start = 0; start < text.size();) {
            size_t stop = text.find('\n', start);
            if (stop == std::string::npos)
                stop = text.size();
            const size_t end = stop > start && text[stop - 1] == '\r' ? stop - 1 : stop;
            if (IsNumericLine(text.data() + start, text.data() + end, m_separator)) {
                anyNumeric = true;
                if (head && dataStart < 0)
                    dataStart = offset + int64_t(start);
            }
            start = stop + 1;
        }
    };
    scan(sample.head, sample.headOffset, true);
    for (const FileSample::Chunk& chunk : sample.spread)
        scan(chunk.text, chunk.offset, false);
    if (!anyNumeric)
        return false;
    if (dataStart < 0)
        return true; // a header longer than the head: the scan decides
    bool noX = false;
    int filled = 0;
    return PlainReadingHolds(sample, m_separator, dataStart, noX, filled);
}

ResultCode CSVScanner::Scan(Progress* progress)
{
    try {
        const std::string name = FileNameToNarrow(m_fileName);
        bool notRegular = false;
        FileCloser file{OpenRegularFile(name, notRegular)};
        if (!file.file) {
            m_message = wxString::Format(
                notRegular ? _("Can't read \"%s\"!") : _("Can't open \"%s\"!"), m_fileName);
            return ResultCode::FAILURE;
        }
        const int64_t total = GetFileSize(file.file);
        const int fd = fileno(file.file);
        if (progress)
            progress->SetMessage(wxString::Format("Scan \"%s\" ...", m_fileName));

        const FileSample sample = ReadFileSample(fd, total);
        const bool plain =
            !m_request.detect || (!m_request.ForcesDialect() && !sample.carriageReturnsOnly);
        auto scanned = std::make_unique<ScanPart>(0, INT64_MAX, true);
        // When the sample already shows that the plain reading can't hold, the file is read
        // once, by its dialect, instead of twice.
        std::unique_ptr<DialectGuess> early;
        if (plain && m_request.detect && !PlainReadingCanHold(sample)) {
            early = std::make_unique<DialectGuess>(DetectDialect(sample, m_request));
            if (early->typedColumns == 0)
                early.reset(); // nothing better: the plain reading's result it is
        }
        if (plain && !early) {
            const ResultCode result = ScanFile(fd, total, LineFormat(), true, progress, *scanned);
            if (result != ResultCode::SUCCESS)
                return result;
            m_info.fileName = m_fileName;
            m_info.columnCount = scanned->columnCount;
            m_info.rowCount = static_cast<int32_t>(scanned->line);
            m_info.columnNames.clear();
            BuildDefaultOption(scanned->headerCount, scanned->headerText);
            bool firstColumnNoX = false;
            int filledColumns = 0;
            if (!m_request.detect)
                return ResultCode::SUCCESS;
            if (m_info.columnCount > 0 && m_option.dataRows > 0 &&
                PlainReadingHolds(sample, m_separator, scanned->dataStart, firstColumnNoX,
                                  filledColumns)) {
                // Such an X column would be refused: every column is a series that counts
                // its points instead.
                if (firstColumnNoX)
                    BuildDefaultOption(scanned->headerCount, scanned->headerText, false);
                // Nothing after a trailing separator: no series of zeros.
                auto& sources = m_option.dataSources;
                sources.erase(std::remove_if(sources.begin(), sources.end(),
                                             [&](const DataSource& source) {
                                                 return source.columnY >= filledColumns;
                                             }),
                              sources.end());
                return ResultCode::SUCCESS;
            }
        }

        const DialectGuess guess = early ? *early : DetectDialect(sample, m_request);
        if (plain && !early && guess.typedColumns == 0)
            return ResultCode::SUCCESS; // nothing better than the plain reading
        const CSVDialect& dialect = guess.dialect;
        if (!plain || early || dialect.quote || dialect.terminator != '\n') {
            scanned = std::make_unique<ScanPart>(0, INT64_MAX, false);
            m_lineIndex = CSVLineIndex();
            const ResultCode result =
                ScanFile(fd, total, LineFormat{dialect.terminator, dialect.quote}, false, progress,
                         *scanned);
            if (result != ResultCode::SUCCESS)
                return result;
        }
        m_info.fileName = m_fileName;
        m_info.rowCount = static_cast<int32_t>(scanned->line);
        m_info.columnCount = guess.columnCount;
        m_info.columnNames = guess.names;
        m_option = DefaultDialectOption(guess, m_info.rowCount, int(scanned->lastNonBlank));
        return ResultCode::SUCCESS;
    } catch (const std::bad_alloc&) {
        m_message = _("Failed to allocate memory in the calculation process!");
        return ResultCode::OUT_OF_MEMORY;
    }
}

void CSVScanner::BuildDefaultOption(int headerCount, const std::string& headerText,
                                    bool firstColumnIsX)
{
    m_option.headerRows = 0;
    m_option.dataRows = m_info.rowCount;
    m_option.dataSources.clear();
    m_option.dialect = CSVDialect();
    m_option.dialect.separator = m_separator;
    for (int j = firstColumnIsX ? 1 : 0; j < m_info.columnCount; ++j) {
        DataSource source;
        source.useDirectVal = !firstColumnIsX;
        source.columnY = j;
        source.label = wxString::Format(_("Column %d"), j + 1);
        m_option.dataSources.push_back(source);
    }
    if (headerCount == 0)
        return;

    m_option.headerRows = headerCount;
    m_option.dataRows = m_info.rowCount - headerCount;
    // Names up to the last column a series shows: the header text may be megabytes long.
    size_t wanted = 0;
    for (const DataSource& source : m_option.dataSources)
        wanted = std::max(wanted, size_t(source.columnY) + 1);
    std::vector<wxString> names = SplitLine(headerText, m_separator, wanted);
    for (wxString& name : names) {
        // A quoted name is shown without its quotes.
        if (name.length() >= 2 && name.StartsWith("\"") && name.EndsWith("\"")) {
            name = name.Mid(1, name.length() - 2);
            name.Replace("\"\"", "\"");
        }
    }
    for (DataSource& source : m_option.dataSources) {
        if (size_t(source.columnY) < names.size())
            source.label = names[size_t(source.columnY)];
    }
}
