// The importer's state, the scan and the default import option.
#include "csv/CSVImporter.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include <unistd.h>
#include <wx/intl.h>

#include "csv/FileUtil.h"
#include "csv/HelperThread.h"
#include "csv/LineReader.h"
#include "progress/Progress.h"

namespace {

constexpr int64_t kProgressLines = 1000;

} // namespace

CSVImporter::CSVImporter(const wxString& fileName, GraphProject& project)
    : m_project(project), m_fileName(fileName),
      m_threadCount(std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 2))
{
}

void CSVImporter::SetSeparator(wxChar separator)
{
    wxASSERT_MSG(separator == '\t' || separator == ' ' || separator == ',' || separator == ';',
                 "unsupported separator");
    m_separator = separator;
}

bool CSVImporter::NarrowSeparator(char& separator)
{
    const wxChar wide = m_separator;
    if (wide != '\t' && wide != ' ' && wide != ',' && wide != ';') {
        wxFAIL_MSG("separator must be tab, space, comma or semicolon");
        m_message = _("The separator must be a tab, a space, a comma or a semicolon!");
        return false;
    }
    separator = static_cast<char>(wide);
    return true;
}

ResultCode CSVImporter::FailWith(const wxString& message)
{
    m_message = message;
    return ResultCode::FAILURE;
}

ResultCode CSVImporter::ScanInfo(ProcContext* context)
{
    return RunProgressProc(context, &CSVImporter::ScanInfoInternal, this);
}

bool CSVImporter::IsNumericLine(const char* begin, const char* end, char separator)
{
    for (const char* p = begin; p != end; ++p) {
        const char c = *p;
        if (c == separator || (c >= '0' && c <= '9'))
            continue;
        switch (c) {
        case ' ':
        case '\t':
        case '+':
        case '-':
        case '.':
        case 'd':
        case 'D':
        case 'e':
        case 'E':
            continue;
        default:
            return false;
        }
    }
    return true;
}

std::vector<wxString> CSVImporter::SplitLine(const std::string& text, char separator)
{
    std::vector<wxString> names;
    size_t begin = 0;
    for (;;) {
        const size_t cut = text.find(separator, begin);
        const size_t end = cut == std::string::npos ? text.size() : cut;
        names.push_back(NarrowToWide(text.data() + begin, end - begin));
        if (cut == std::string::npos)
            return names;
        begin = cut + 1;
    }
}

// What one thread learned about its byte range of the file.
struct CSVImporter::ScanPart
{
    ScanPart(int64_t from, int64_t to, bool header) : begin(from), end(to), headerMode(header) {}

    enum End
    {
        DONE,
        TOO_LONG,
        READ_ERROR,
        TOO_MANY,
        STOPPED,
    };

    int64_t begin;
    int64_t end;
    bool headerMode; // the first part starts in header mode, the second does not
    End result = DONE;
    int64_t lines = 0; // lines read (the failing line's index in the part on failure)
    int headerCount = 0;
    std::string headerText;
    int columnCount = 0;
    std::vector<CSVLineIndex::Mark> marks; // line index within the part
    int64_t offset = 0;
    bool endedWithLineFeed = true;
    std::atomic<int64_t> bytes{0};
};

void CSVImporter::ScanRange(int fd, char separator, ScanPart& part,
                            const std::function<bool(int64_t bytes)>& poll) const
{
    LineReader reader(fd, part.begin, part.end);
    const char* begin;
    const char* end;
    for (int64_t& line = part.lines;; ++line) {
        const int64_t lineStart = reader.Offset();
        const LineReader::Status status = reader.Next(begin, end);
        if (status != LineReader::LINE) {
            if (status == LineReader::TOO_LONG)
                part.result = ScanPart::TOO_LONG;
            else if (status == LineReader::READ_ERROR)
                part.result = ScanPart::READ_ERROR;
            break;
        }
        if (line >= m_maxLineCount) {
            part.result = ScanPart::TOO_MANY;
            break;
        }
        if (part.headerMode && !IsNumericLine(begin, end, separator)) {
            part.headerText.append(begin, end);
            ++part.headerCount;
        } else {
            part.headerMode = false;
            const int columns = CountByteWithSlack(begin, end, separator) + 1;
            if (columns > part.columnCount)
                part.columnCount = columns;
        }
        if (line % kProgressLines == 0) {
            part.marks.push_back(CSVLineIndex::Mark{line, lineStart});
            if (!poll(reader.Offset() - part.begin)) {
                part.result = ScanPart::STOPPED;
                break;
            }
        }
    }
    part.offset = reader.Offset();
    part.endedWithLineFeed = reader.EndedWithLineFeed();
}

ResultCode CSVImporter::ReportScanPart(const ScanPart& part, int64_t firstLine)
{
    const int line = static_cast<int>(std::min<int64_t>(firstLine + part.lines + 1, INT32_MAX));
    switch (part.result) {
    case ScanPart::DONE:
        return ResultCode::SUCCESS;
    case ScanPart::TOO_LONG:
        return FailWith(wxString::Format(
            _("The length of the line in CSV file is too much at %s:%d!"), m_fileName, line));
    case ScanPart::READ_ERROR:
        return FailWith(wxString::Format(_("Can't read \"%s\"!"), m_fileName));
    case ScanPart::TOO_MANY:
        return FailWith(wxString::Format(_("\"%s\" has too many lines!"), m_fileName));
    case ScanPart::STOPPED:
        break;
    }
    return ResultCode::CANCELLED;
}

// Where a second thread may start: the line start nearest the middle, or -1.
static int64_t FindSplit(int fd, int64_t total)
{
    char buffer[LineReader::MAX_LINE_LENGTH + 3];
    const int64_t from = total / 2 - 1;
    const ssize_t got = pread(fd, buffer, sizeof buffer, from);
    if (from < 1 || got <= 0)
        return -1;
    const void* lf = std::memchr(buffer, '\n', size_t(got));
    // None: a line too long lies there, which one thread reports with its number.
    return lf ? from + (static_cast<const char*>(lf) - buffer) + 1 : -1;
}

// Adds the second part's lines, columns and line marks to the first part. When the
// first part ended among header lines, the header may go on in the second: that part is
// then read again the plain way.
ResultCode CSVImporter::JoinScanParts(int fd, char separator, bool parallel, ScanPart& head,
                                      ScanPart& tail,
                                      const std::function<bool(int64_t bytes)>& report,
                                      CSVLineIndex& index)
{
    index.marks = head.marks;
    if (!parallel)
        return ResultCode::SUCCESS;
    if (head.headerMode) {
        ScanPart rest{tail.begin, INT64_MAX, true};
        rest.headerText = std::move(head.headerText);
        rest.headerCount = head.headerCount;
        tail.bytes = 0;
        const int64_t split = tail.begin;
        ScanRange(fd, separator, rest, [&](int64_t bytes) { return report(split + bytes); });
        if (rest.result == ScanPart::DONE && head.lines + rest.lines > m_maxLineCount)
            rest.result = ScanPart::TOO_MANY;
        if (rest.result != ScanPart::DONE)
            return ReportScanPart(rest, head.lines);
        head.headerText = std::move(rest.headerText);
        head.headerCount = rest.headerCount;
        head.lines += rest.lines;
        head.columnCount = rest.columnCount;
        return ResultCode::SUCCESS;
    }
    if (tail.result == ScanPart::DONE && head.lines + tail.lines > m_maxLineCount)
        tail.result = ScanPart::TOO_MANY;
    if (tail.result != ScanPart::DONE)
        return ReportScanPart(tail, head.lines);
    for (const CSVLineIndex::Mark& mark : tail.marks)
        index.marks.push_back(CSVLineIndex::Mark{head.lines + mark.line, mark.offset});
    head.lines += tail.lines;
    head.columnCount = std::max(head.columnCount, tail.columnCount);
    return ResultCode::SUCCESS;
}

ResultCode CSVImporter::ScanInfoInternal(Progress* progress)
{
    try {
        char separator;
        if (!NarrowSeparator(separator))
            return ResultCode::FAILURE;

        const std::string name = FileNameToNarrow(m_fileName);
        bool notRegular = false;
        FileCloser file{OpenRegularFile(name, notRegular)};
        if (notRegular)
            return FailWith(wxString::Format(_("Can't read \"%s\"!"), m_fileName));
        if (!file.file)
            return FailWith(wxString::Format(_("Can't open \"%s\"!"), m_fileName));
        const int64_t total = GetFileSize(file.file);
        const int fd = fileno(file.file);
        if (progress)
            progress->SetMessage(wxString::Format("Scan \"%s\" ...", m_fileName));

        const int64_t split = (m_threadCount >= 2 && total >= m_parallelMinBytes && total > 0)
                                  ? FindSplit(fd, total)
                                  : -1;
        ScanPart head{0, split > 0 ? split : INT64_MAX, true};
        ScanPart tail{split, INT64_MAX, false};
        std::atomic<bool> stop{false};
        HelperThread helper;
        const bool parallel = split > 0 && helper.Start([&] {
            ScanRange(fd, separator, tail, [&](int64_t bytes) {
                tail.bytes.store(bytes, std::memory_order_relaxed);
                return !stop.load(std::memory_order_relaxed);
            });
        });
        if (!parallel)
            head.end = INT64_MAX;
        auto report = [&](int64_t headBytes) {
            if (!progress)
                return true;
            ReportPosition(*progress, headBytes + tail.bytes.load(std::memory_order_relaxed),
                           total);
            return !progress->IsCancelled();
        };
        ScanRange(fd, separator, head, report);
        if (parallel) {
            if (head.result != ScanPart::DONE)
                stop = true;
            helper.WaitPolling([&] { return report(head.offset); }, [&] { stop = true; });
            if (head.result == ScanPart::DONE && stop)
                return ResultCode::CANCELLED;
        }
        if (head.result != ScanPart::DONE)
            return ReportScanPart(head, 0);
        if (parallel && (head.offset != split || !head.endedWithLineFeed))
            return FailWith(
                wxString::Format(_("\"%s\" has changed since it was scanned!"), m_fileName));

        CSVLineIndex index;
        index.fileSize = total;
        const ResultCode joined = JoinScanParts(fd, separator, parallel, head, tail, report, index);
        if (joined != ResultCode::SUCCESS)
            return joined;

        m_info.fileName = m_fileName;
        m_info.columnCount = head.columnCount;
        m_info.rowCount = static_cast<int32_t>(head.lines);
        m_lineIndex = std::move(index);
        BuildDefaultOption(head.headerCount, head.headerText);
        return ResultCode::SUCCESS;
    } catch (const std::bad_alloc&) {
        m_message = _("Failed to allocate memory in the calculation process!");
        return ResultCode::OUT_OF_MEMORY;
    }
}

void CSVImporter::BuildDefaultOption(int headerCount, const std::string& headerText)
{
    m_option.headerRows = 0;
    m_option.dataRows = m_info.rowCount;
    m_option.dataSources.clear();
    for (int j = 1; j < m_info.columnCount; ++j) {
        DataSource source;
        source.columnY = j;
        source.label = wxString::Format(_("Column %d"), j + 1);
        m_option.dataSources.push_back(source);
    }
    if (headerCount == 0)
        return;

    m_option.headerRows = headerCount;
    m_option.dataRows = m_info.rowCount - headerCount;
    const std::vector<wxString> names = SplitLine(headerText, static_cast<char>(m_separator));
    for (size_t k = 0; k < m_option.dataSources.size() && k + 1 < names.size(); ++k)
        m_option.dataSources[k].label = names[k + 1];
}
