// The importer's conversion: data lines to values (on one or two threads), the memory
// check and the X columns.
#include "csv/CSVConverter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include <wx/intl.h>

#include "base/FileUtil.h"
#include "base/HelperThread.h"
#include "csv/ColumnStream.h"
#include "csv/Dialect.h"
#include "csv/LineReader.h"
#include "csv/NumberParser.h"
#include "csv/SplitJoin.h"

namespace {

// How far the steps of an X column may stray from its first step.
constexpr double PROGRESSION_TOLERANCE_PERCENT = 0.1;

// Sizes every column to `rows` zeros. The first touch of fresh pages (the kernel clears
// them) costs as much as parsing, so the second thread takes every other column.
void AllocateHeapColumns(std::vector<std::shared_ptr<GraphDataY>>& columns, size_t rows,
                         int threads)
{
    std::vector<GraphDataY*> pending;
    for (const auto& column : columns) {
        if (column)
            pending.push_back(column.get());
    }
    std::atomic<bool> failed{false};
    auto fill = [&](size_t first) {
        for (size_t k = first; k < pending.size() && !failed; k += 2) {
            try {
                pending[k]->raw.resize(rows);
            } catch (const std::bad_alloc&) {
                failed = true;
            }
        }
    };
    HelperThread helper;
    const bool parallel = threads >= 2 && pending.size() >= 2 && rows >= (size_t(1) << 16) &&
                          helper.Start([&] { fill(1); });
    fill(0);
    if (parallel)
        helper.WaitPolling([] { return true; }, [] {});
    else
        fill(1);
    if (failed)
        throw std::bad_alloc();
}

// A time of day that drops by more than half a day went past midnight.
constexpr double WRAP_DROP_SECONDS = 43200.0;

// Each drop past midnight adds a day to the rest of the column.
void UnwrapTimeOfDay(LargeArray<double>& values)
{
    double days = 0.0;
    double last = std::nan("");
    for (double& v : values) {
        if (std::isnan(v))
            continue;
        if (last - v > WRAP_DROP_SECONDS)
            days += 86400.0;
        last = v;
        v += days;
    }
}

// The bytes of texts an import's metadata holds, for the streamed file's head room.
size_t MetaTextBytes(const wxString& fileName, const CSVFileInfo& info,
                     const CSVImportOption& option)
{
    size_t bytes = 4 * fileName.size() + 64 * size_t(std::max(info.columnCount, 0));
    for (const wxString& name : info.columnNames)
        bytes += 4 * name.size();
    for (const DataSource& source : option.dataSources)
        bytes += 4 * source.label.size() + 64;
    return bytes;
}

// Above this many bytes of values an import streams to the cache's folder.
int64_t StreamMinBytes(const CSVImportTuning& tuning)
{
    if (tuning.streamMinBytes >= 0)
        return tuning.streamMinBytes;
    int64_t memory = GetAvailableMemory();
    const int64_t limit = GetMemoryLimit();
    if (limit >= 0 && (memory < 0 || limit < memory))
        memory = limit;
    return memory >= 0 ? memory / 4 : INT64_MAX;
}

} // namespace

LargeArray<double> CSVConverter::NewColumn(size_t rows)
{
    return m_stream ? m_stream->Array<double>(rows) : LargeArray<double>(rows);
}

void CSVConverter::AllocateColumns(std::vector<std::shared_ptr<GraphDataY>>& columns, size_t rows)
{
    if (!m_stream) {
        AllocateHeapColumns(columns, rows, m_tuning.threadCount);
        return;
    }
    // The file's fresh pages read as zeros without being touched.
    for (const auto& column : columns) {
        if (column)
            column->raw = NewColumn(rows);
    }
}

std::shared_ptr<GraphDataY> CSVConverter::Kept(const GraphDataY& y, const std::vector<size_t>& kept)
{
    auto out = CreateGraphDataY();
    if (m_stream)
        out->raw = NewColumn(kept.size());
    else
        out->raw.resize(kept.size());
    for (size_t k = 0; k < kept.size(); ++k)
        out->raw[k] = y.raw[kept[k]];
    return out;
}

bool ConvertFields(const char* p, const char* end, size_t row, double* const* columns,
                   size_t columnCount, char separator)
{
    if (p == end)
        return true;
    for (size_t column = 0;; ++column) {
        double value;
        const char* next = ParseNumber(p, end, value);
        if (!next || column >= columnCount)
            return false;
        if (next != end && *next != separator)
            return false;
        if (double* target = columns[column])
            target[row] = value;
        if (next == end)
            return true;
        p = next + 1;
        if (p == end)
            return true;
    }
}

namespace {

inline bool StartsNumber(char c)
{
    return unsigned(c - '0') < 10u || c == '-' || c == '+' || c == '.';
}

// Whether p, before end, is at a line end: the length of the end, else 0.
inline int LineEndAt(const char* p, const char* end)
{
    return *p == '\n' ? 1 : *p == '\r' && end - p >= 2 && p[1] == '\n' ? 2 : 0;
}

} // namespace

// A field that starts with a number character can't make ParseNumber skip blanks (a line
// end among them); the number then stops at the line end as it would at the line's end.
const char* ConvertPlainLine(const char* p, const char* end, size_t row, double* const* columns,
                             size_t columnCount, char separator)
{
    for (size_t column = 0;; ++column) {
        if (p == end)
            return end;
        if (const int lineEnd = LineEndAt(p, end))
            return p + lineEnd; // an empty line, or after a trailing separator
        if (column >= columnCount || !StartsNumber(*p))
            return nullptr;
        double value;
        const char* next = ParseNumber(p, end, value);
        if (!next)
            return nullptr;
        if (double* target = columns[column])
            target[row] = value;
        if (next == end)
            return end;
        if (*next == separator) {
            p = next + 1;
            continue;
        }
        const int lineEnd = LineEndAt(next, end);
        return lineEnd ? next + lineEnd : nullptr;
    }
}

bool IsArithmeticProgression(const double* v, size_t n, double percent, double& start,
                             double& interval)
{
    if (n == 0)
        return false;
    const double first = v[0];
    if (n == 1) {
        if (!std::isfinite(first))
            return false;
        start = first;
        interval = 0.0;
        return true;
    }
    const double step = v[1] - v[0];
    const double tolerance = (step * percent) / 100;
    if (!std::isfinite(first) || !std::isfinite(step))
        return false;
    for (size_t i = 1; i < n; ++i) {
        const double d = (v[i] - v[i - 1]) - step;
        // Written so that a NaN difference (an infinite value) fails as well.
        if (!(d <= tolerance && d >= -tolerance))
            return false;
    }
    start = first;
    interval = step;
    return true;
}

std::vector<bool> RequiredColumns(const CSVImportOption& option, const CSVFileInfo& info,
                                  bool includeY)
{
    std::vector<bool> flags(info.columnCount > 0 ? info.columnCount : 0, false);
    auto set = [&flags, &info](int index) {
        wxCHECK_RET(index >= 0 && index < info.columnCount,
                    "index >= 0 && index < info.columnCount");
        flags[index] = true;
    };
    for (const DataSource& source : option.dataSources) {
        if (!source.useDirectVal) {
            set(source.columnX);
            const int clock = option.dialect.Column(source.columnX).clockColumn;
            if (clock >= 0)
                set(clock);
        }
        if (includeY)
            set(source.columnY);
    }
    if (includeY && option.splitColumn >= 0 && !option.dataSources.empty())
        set(option.splitColumn);
    return flags;
}

double ImportBytes(const CSVImportOption& option, const std::vector<bool>& required, int resolution)
{
    std::vector<bool> distinctY(required.size(), false);
    for (const DataSource& source : option.dataSources)
        distinctY[source.columnY] = true;
    const double rows = option.dataRows;
    double bytes = 0.0;
    std::vector<bool> shownX(required.size(), false);
    for (const DataSource& source : option.dataSources) {
        if (!source.useDirectVal && size_t(source.columnX) < shownX.size())
            shownX[size_t(source.columnX)] = distinctY[size_t(source.columnX)];
    }
    for (size_t c = 0; c < required.size(); ++c) {
        if (required[c])
            bytes += rows * sizeof(double);
        // An X column that also shows as a series is copied when it is not even.
        if (shownX[c])
            bytes += rows * sizeof(double);
        if (distinctY[c])
            bytes += MipmapBytes(size_t(option.dataRows), resolution);
        // A split gathers each shown column's values by key.
        if (distinctY[c] && option.splitColumn >= 0)
            bytes += rows * sizeof(double);
    }
    // And the keys' rows and X values.
    if (option.splitColumn >= 0)
        bytes += rows * (sizeof(size_t) + 2 * sizeof(double));
    return bytes;
}

CSVConverter::CSVConverter(const wxString& fileName, char separator, const CSVImportTuning& tuning,
                           wxString& message)
    : m_fileName(fileName), m_separator(separator), m_tuning(tuning), m_message(message)
{
    m_fallback.detected = true;
    m_fallback.separator = separator;
    m_fallback.quote = '"';
}

namespace {

// One column of a record's conversion.
struct PlanCell
{
    double* target; // null: the column is not converted
    ColumnKind kind;
    TimeLayout layout;
    TimeNanos origin;
    bool key; // the split column: its text becomes the number of its value
};

// The values of a split column met by one part of the file, numbered in order.
class KeyTable
{
public:
    // The number of the value [begin, end) (blanks around it trimmed); NaN for an empty
    // one, and for a new one past MAX_SPLIT_KEYS (which makes the table Overflowed()).
    double Number(const char* begin, const char* end)
    {
        TrimBlanks(begin, end);
        if (begin == end)
            return std::nan("");
        const size_t length = size_t(end - begin);
        // Rows of one recording mostly follow each other.
        if (m_last < m_keys.size() && Is(m_keys[m_last], begin, length))
            return double(m_last);
        for (size_t k = 0; k < m_keys.size(); ++k) {
            if (Is(m_keys[k], begin, length)) {
                m_last = k;
                return double(k);
            }
        }
        if (m_keys.size() >= CSVConverter::MAX_SPLIT_KEYS) {
            m_overflowed = true;
            return std::nan("");
        }
        m_keys.emplace_back(begin, end);
        m_last = m_keys.size() - 1;
        return double(m_last);
    }
    const std::vector<std::string>& Keys() const { return m_keys; }
    bool Overflowed() const { return m_overflowed; }

private:
    static bool Is(const std::string& key, const char* begin, size_t length)
    {
        return key.size() == length && std::memcmp(key.data(), begin, length) == 0;
    }

    std::vector<std::string> m_keys;
    size_t m_last = 0;
    bool m_overflowed = false;
};

// The cell's value: a number, or seconds from the time column's origin; false for a gap.
inline bool ReadCell(const PlanCell& cell, const char* begin, const char* end, char decimal,
                     double& value)
{
    return ReadCellValue(begin, end, cell.kind, cell.layout, cell.origin, decimal, value);
}

} // namespace

struct CSVConverter::ConvertPart : FilePart
{
    ConvertPart(int64_t from, int64_t to, int64_t firstLine)
        : FilePart(from, to, firstLine), startLine(firstLine)
    {
    }

    int64_t startLine;
    KeyTable keys;
    int64_t dataEnd = -1; // after the last converted line
    bool dataEndedWithLineFeed = true;
};

struct CSVConverter::RecordPlan
{
    RecordPlan(const CSVDialect& dialect, const std::vector<double*>& columns, int keyColumn)
        : separator(dialect.separator), decimal(dialect.decimal), quote(dialect.quote)
    {
        // Columns after the last converted one are not even split off.
        size_t used = columns.size();
        while (used > 0 && !columns[used - 1])
            --used;
        for (size_t c = 0; c < used; ++c) {
            const ColumnFormat format = dialect.Column(int(c));
            cells.push_back(PlanCell{columns[c], format.kind, format.layout, format.origin,
                                     int(c) == keyColumn});
        }
    }

    std::vector<PlanCell> cells;
    char separator;
    char decimal;
    char quote;
};

void CSVConverter::ConvertRecord(const char* begin, const char* end, int64_t line, size_t row,
                                 const RecordPlan& plan, ConvertPart& part) const
{
    const PlanCell* const cells = plan.cells.data();
    const size_t count = plan.cells.size();
    const char separator = plan.separator;
    const char decimal = plan.decimal;
    size_t c = 0;
    if (plan.quote || separator == ' ') {
        ForEachField(begin, end, separator, plan.quote, [&](const Field& field) {
            if (c < count && cells[c].target) {
                double value;
                if (cells[c].key) {
                    value = part.keys.Number(field.begin, field.end);
                    if (std::isnan(value))
                        part.CountGap(line);
                } else if (!ReadCell(cells[c], field.begin, field.end, decimal, value)) {
                    value = std::nan("");
                    part.CountGap(line);
                }
                cells[c].target[row] = value;
            }
            ++c;
        });
    } else if (count > 0) {
        // Without quotes every separator ends a field (ForEachField's rule), so a number
        // read up to a separator is its whole field: one pass, no search for the end.
        const char* p = begin;
        for (;;) {
            const PlanCell& cell = cells[c];
            const char* stop = nullptr;
            double value;
            if (cell.target && cell.kind == ColumnKind::NUMBER && !cell.key && decimal == '.' &&
                p != end && StartsNumber(*p)) {
                const char* next = ParseNumber(p, end, value);
                if (next && (next == end || *next == separator))
                    stop = next;
            }
            if (!stop) {
                const void* hit = std::memchr(p, separator, size_t(end - p));
                stop = hit ? static_cast<const char*>(hit) : end;
                if (cell.target && cell.key) {
                    value = part.keys.Number(p, stop);
                    if (std::isnan(value))
                        part.CountGap(line);
                } else if (cell.target && !ReadCell(cell, p, stop, decimal, value)) {
                    value = std::nan("");
                    part.CountGap(line);
                }
            }
            if (cell.target)
                cell.target[row] = value;
            ++c;
            if (stop == end || c == count)
                break;
            p = stop + 1;
        }
    }
    for (; c < count; ++c) {
        if (cells[c].target) {
            cells[c].target[row] = std::nan("");
            part.CountGap(line);
        }
    }
}

ResultCode CSVConverter::Fail(const wxString& message)
{
    m_message = message;
    return ResultCode::FAILURE;
}

void CSVConverter::ConvertPlainRange(int fd, ConvertPart& part, const std::vector<double*>& columns,
                                     const std::function<bool(int64_t bytes)>& poll) const
{
    const RecordPlan fallback(m_fallback, columns, -1);
    LineReader reader(fd, part.begin, part.end);
    const int64_t first = m_option->headerRows;
    const int64_t last = first + m_option->dataRows;
    double* const* targets = columns.data();
    const size_t columnCount = columns.size();
    int64_t line = part.line;
    const char* p;
    const char* end;
    for (;;) {
        const int64_t blockOffset = reader.Offset();
        const LineReader::Status status = reader.NextLines(p, end);
        if (status != LineReader::LINE) {
            part.line = line;
            part.result = EndOfReading(status);
            break;
        }
        const char* const block = p;
        const char* converted = nullptr; // the end of the last converted line
        bool stopped = false;
        while (p != end) {
            const char* next = nullptr;
            const bool data = line >= first && line < last;
            if (data)
                next = ConvertPlainLine(p, end, size_t(line - first), targets, columnCount,
                                        m_separator);
            if (!next) {
                const void* lineFeed = std::memchr(p, '\n', size_t(end - p));
                const char* lineEnd = lineFeed ? static_cast<const char*>(lineFeed) : end;
                next = lineFeed ? lineEnd + 1 : end;
                if (lineFeed && lineEnd > p && lineEnd[-1] == '\r')
                    --lineEnd;
                const size_t row = size_t(line - first);
                if (data && !ConvertFields(p, lineEnd, row, targets, columnCount, m_separator))
                    ConvertRecord(p, lineEnd, line, row, fallback, part);
            }
            if (data)
                converted = next;
            if (line % PROGRESS_LINES == 0 && !poll(blockOffset + (next - block) - part.begin)) {
                stopped = true;
                break;
            }
            ++line;
            p = next;
        }
        if (converted) {
            part.dataEnd = blockOffset + (converted - block);
            part.dataEndedWithLineFeed = converted != end || reader.EndedWithLineFeed();
        }
        if (stopped) {
            part.result = PartEnd::STOPPED;
            part.line = line;
            break;
        }
    }
    part.RecordEnd(reader);
}

void CSVConverter::ConvertRange(int fd, ConvertPart& part, const std::vector<double*>& columns,
                                const std::function<bool(int64_t bytes)>& poll) const
{
    const CSVDialect& dialect = m_option->dialect;
    const int keyColumn = m_option->splitColumn;
    if (!dialect.detected && keyColumn < 0 && dialect.terminator == '\n' && !dialect.quote)
        return ConvertPlainRange(fd, part, columns, poll);
    const RecordPlan plan(dialect, columns, keyColumn);
    const RecordPlan fallback(m_fallback, columns, keyColumn);
    // A split's key is text, which only the record rules read.
    const bool plain = !dialect.detected && keyColumn < 0;
    LineReader reader(fd, part.begin, part.end, LineFormat{dialect.terminator, dialect.quote});
    const int64_t first = m_option->headerRows;
    const int64_t last = first + m_option->dataRows;
    double* const* targets = columns.data();
    const size_t columnCount = columns.size();
    int64_t line = part.line;
    const char* begin;
    const char* end;
    for (;;) {
        const LineReader::Status status = reader.Next(begin, end);
        if (status != LineReader::LINE) {
            part.line = line;
            part.result = EndOfReading(status);
            break;
        }
        if (line >= first && line < last) {
            const size_t row = size_t(line - first);
            if (dialect.detected)
                ConvertRecord(begin, end, line, row, plan, part);
            else if (!plain || !ConvertFields(begin, end, row, targets, columnCount, m_separator))
                ConvertRecord(begin, end, line, row, fallback, part);
            part.dataEnd = reader.Offset();
            part.dataEndedWithLineFeed = reader.EndedWithLineFeed();
        }
        if (line % PROGRESS_LINES == 0 && !poll(reader.Offset() - part.begin)) {
            part.result = PartEnd::STOPPED;
            part.line = line;
            break;
        }
        ++line;
    }
    part.RecordEnd(reader);
}

ResultCode CSVConverter::ConvertFile(int fd, int64_t total, const std::vector<double*>& columns,
                                     Progress* progress)
{
    const int64_t neededLines = int64_t(m_option->headerRows) + m_option->dataRows;

    // Split at the indexed line start nearest the middle, when that pays.
    int64_t split = -1;
    int64_t splitLine = 0;
    if (m_start == 0 && m_tuning.threadCount >= 2 && total >= m_tuning.parallelMinBytes &&
        m_lineIndex->fileSize == total) {
        for (const CSVLineIndex::Mark& mark : m_lineIndex->marks) {
            if (mark.line > 0 && (split < 0 || std::llabs(mark.offset - total / 2) <
                                                   std::llabs(split - total / 2))) {
                split = mark.offset;
                splitLine = mark.line;
            }
        }
    }

    ConvertPart head{m_start, INT64_MAX, 0};
    ConvertPart tail{split, INT64_MAX, splitLine};
    const SplitRead run = ReadSplit(
        fd, split, splitLine, total, head, tail, progress,
        [&](ConvertPart& part, const std::function<bool(int64_t)>& poll) {
            ConvertRange(fd, part, columns, poll);
        },
        m_option->dialect.terminator);
    if (head.result != PartEnd::DONE)
        return ReportPart(head, 0, m_fileName, m_message);
    if (run.cancelled)
        return ResultCode::CANCELLED;
    m_gaps = head.gaps + tail.gaps;
    const ConvertPart& ending = run.parallel && tail.dataEnd >= 0 ? tail : head;
    m_dataEnd = ending.dataEnd >= 0 ? ending.dataEnd : m_start;
    m_dataEndedWithLineFeed = ending.dataEndedWithLineFeed;
    m_firstGapLine = head.gaps ? head.firstGapLine + 1 : tail.gaps ? tail.firstGapLine + 1 : 0;
    // Fewer lines than scanned: the file has shrunk.
    FilePart& last = run.parallel ? tail : head;
    if (last.result == PartEnd::DONE && last.line < neededLines)
        last.result = PartEnd::CHANGED;
    const ResultCode read = ReportPart(last, 0, m_fileName, m_message);
    if (read != ResultCode::SUCCESS || m_option->splitColumn < 0)
        return read;
    return JoinKeys(head, tail, run.parallel ? columns[size_t(m_option->splitColumn)] : nullptr);
}

ResultCode CSVConverter::JoinKeys(ConvertPart& head, ConvertPart& tail, double* keyColumn)
{
    m_keys = head.keys.Keys();
    bool overflowed = head.keys.Overflowed();
    if (keyColumn) {
        std::vector<double> renumbered;
        for (const std::string& key : tail.keys.Keys()) {
            const size_t k = size_t(std::find(m_keys.begin(), m_keys.end(), key) - m_keys.begin());
            if (k == m_keys.size())
                m_keys.push_back(key);
            renumbered.push_back(double(k));
        }
        overflowed = overflowed || tail.keys.Overflowed() || m_keys.size() > MAX_SPLIT_KEYS;
        const int64_t first = tail.startLine - m_option->headerRows;
        for (int64_t row = std::max<int64_t>(first, 0); row < m_option->dataRows; ++row) {
            double& key = keyColumn[row];
            if (!std::isnan(key))
                key = renumbered[size_t(key)];
        }
    }
    if (overflowed)
        return Fail(wxString::Format(_("Column %d has more than %d different values to split by!"),
                                     m_option->splitColumn + 1, int(MAX_SPLIT_KEYS)));
    return ResultCode::SUCCESS;
}

// Time stamps made whole: a date column gets its time-of-day column added, a time of day
// alone goes on past midnight. Then a chosen column without any value is refused.
ResultCode CSVConverter::FinishColumns(const CSVImportOption& option,
                                       const std::vector<bool>& required,
                                       std::vector<std::shared_ptr<GraphDataY>>& dataYs)
{
    const CSVDialect& dialect = option.dialect;
    for (size_t c = 0; c < required.size(); ++c) {
        if (!required[c])
            continue;
        const ColumnFormat format = dialect.Column(int(c));
        LargeArray<double>& values = dataYs[c]->raw;
        if (format.clockColumn >= 0 && dataYs[size_t(format.clockColumn)]) {
            const LargeArray<double>& clock = dataYs[size_t(format.clockColumn)]->raw;
            for (size_t i = 0; i < values.size(); ++i)
                values[i] += clock[i];
        } else if (format.kind == ColumnKind::TIME && format.layout == TimeLayout::TIME_OF_DAY &&
                   format.joinedTo < 0) {
            UnwrapTimeOfDay(values);
        }
    }
    if (!dialect.detected && m_gaps == 0)
        return ResultCode::SUCCESS;
    for (size_t c = 0; c < required.size(); ++c) {
        if (!required[c] || dialect.Column(int(c)).joinedTo >= 0)
            continue;
        const LargeArray<double>& values = dataYs[c]->raw;
        if (!values.empty() &&
            std::all_of(values.begin(), values.end(), [](double v) { return std::isnan(v); }))
            return Fail(wxString::Format(_("Column %d has no values to import!"), int(c) + 1));
    }
    return ResultCode::SUCCESS;
}

// Regular when the column steps evenly (as X columns always were), else explicit when it
// never goes down; its gaps are points that no series using it keeps.
ResultCode CSVConverter::MakeXColumn(const CSVImportOption& option, int column,
                                     LargeArray<double>& values, const std::vector<size_t>* rows,
                                     bool mayTake, XColumn& out)
{
    auto rowOf = [rows](size_t i) { return rows ? (*rows)[i] : i; };
    double start = 0.0, interval = 1.0;
    if (!m_rawX && IsArithmeticProgression(values.data(), values.size(),
                                           PROGRESSION_TOLERANCE_PERCENT, start, interval)) {
        out.x = DataX{start, interval};
        if (rows)
            out.kept = *rows;
        return ResultCode::SUCCESS;
    }
    if (values.empty())
        return Fail(wxString::Format(_("Column %d is not arithmetic progression!"), column + 1));
    double last = -HUGE_VAL;
    bool gaps = false;
    for (size_t i = 0; i < values.size(); ++i) {
        const double v = values[i];
        if (std::isnan(v)) {
            gaps = true;
            continue;
        }
        if (v < last)
            return Fail(wxString::Format(
                _("Column %d goes down at line %lld, so it can't be the X of a series!"),
                column + 1,
                static_cast<long long>(option.headerRows) + static_cast<long long>(rowOf(i)) + 1));
        last = v;
    }
    auto explicitX = std::make_shared<DataX::Values>();
    if (gaps && m_stream) {
        // Counted first: pushed one by one, the values would grow on the heap.
        const size_t count = size_t(
            std::count_if(values.begin(), values.end(), [](double v) { return !std::isnan(v); }));
        *explicitX = NewColumn(count);
        out.kept.reserve(count);
        for (size_t i = 0, k = 0; i < values.size(); ++i) {
            if (!std::isnan(values[i])) {
                out.kept.push_back(rowOf(i));
                (*explicitX)[k++] = values[i];
            }
        }
    } else if (gaps) {
        for (size_t i = 0; i < values.size(); ++i) {
            if (!std::isnan(values[i])) {
                out.kept.push_back(rowOf(i));
                explicitX->push_back(values[i]);
            }
        }
    } else {
        if (rows)
            out.kept = *rows;
        if (mayTake) {
            *explicitX = std::move(values);
        } else if (m_stream) {
            *explicitX = NewColumn(values.size());
            std::copy(values.begin(), values.end(), explicitX->begin());
        } else {
            *explicitX = values;
        }
    }
    out.x = DataX::Explicit(std::move(explicitX));
    return ResultCode::SUCCESS;
}

ResultCode CSVConverter::MakeSeries(const CSVImportOption& option, const CSVFileInfo& info,
                                    std::vector<std::shared_ptr<GraphDataY>>& dataYs,
                                    std::vector<std::shared_ptr<GraphData>>& series)
{
    const std::vector<bool> xColumns = RequiredColumns(option, info, false);
    std::vector<XColumn> xs(xColumns.size());
    for (size_t c = 0; c < xColumns.size(); ++c) {
        // A time-of-day column joined to a date is already part of the date's X.
        if (!xColumns[c] || option.dialect.Column(int(c)).joinedTo >= 0)
            continue;
        for (auto v = dataYs[c]->raw.rbegin(); v != dataYs[c]->raw.rend(); ++v) {
            if (!std::isnan(*v)) {
                m_lastX[c] = *v;
                break;
            }
        }
        // No series shows it: its values become the X.
        const bool mayTake = std::none_of(option.dataSources.begin(), option.dataSources.end(),
                                          [&](const DataSource& s) { return s.columnY == int(c); });
        const ResultCode made =
            MakeXColumn(option, int(c), dataYs[c]->raw, nullptr, mayTake, xs[c]);
        if (made != ResultCode::SUCCESS)
            return made;
    }
    for (const DataSource& source : option.dataSources) {
        wxASSERT(dataYs[source.columnY]);
        if (source.useDirectVal) {
            series.push_back(
                CreateGraphData(DataX{source.xStart, source.xInterval}, dataYs[source.columnY]));
        } else {
            const XColumn& x = xs[source.columnX];
            series.push_back(CreateGraphData(x.x, x.kept.empty()
                                                      ? dataYs[source.columnY]
                                                      : Kept(*dataYs[source.columnY], x.kept)));
            const ColumnFormat format = option.dialect.Column(source.columnX);
            if (format.kind == ColumnKind::TIME)
                series.back()->SetTimeOrigin(format.origin);
        }
        m_labels.push_back(source.label);
        m_seriesKeys.emplace_back();
    }
    return ResultCode::SUCCESS;
}

// Each source's series for each key, over the key's rows: its own X (evenly stepped or
// not, as a whole column's) or its points counted from the source's start.
ResultCode CSVConverter::MakeSplitSeries(const CSVImportOption& option,
                                         std::vector<std::shared_ptr<GraphDataY>>& dataYs,
                                         std::vector<std::shared_ptr<GraphData>>& series)
{
    const LargeArray<double>& keyOf = dataYs[size_t(option.splitColumn)]->raw;
    std::vector<std::vector<size_t>> rows(m_keys.size());
    for (size_t i = 0; i < keyOf.size(); ++i) {
        if (!std::isnan(keyOf[i]))
            rows[size_t(keyOf[i])].push_back(i);
    }
    // The X of each X column within each key, made once.
    std::vector<std::vector<XColumn>> xs(dataYs.size());
    for (const DataSource& source : option.dataSources) {
        if (source.useDirectVal || !xs[size_t(source.columnX)].empty())
            continue;
        std::vector<XColumn>& byKey = xs[size_t(source.columnX)];
        byKey.resize(m_keys.size());
        const LargeArray<double>& all = dataYs[size_t(source.columnX)]->raw;
        for (size_t k = 0; k < m_keys.size(); ++k) {
            LargeArray<double> values(rows[k].size());
            for (size_t i = 0; i < rows[k].size(); ++i)
                values[i] = all[rows[k][i]];
            const ResultCode made =
                MakeXColumn(option, source.columnX, values, &rows[k], true, byKey[k]);
            if (made != ResultCode::SUCCESS)
                return made;
        }
    }
    for (const DataSource& source : option.dataSources) {
        for (size_t k = 0; k < m_keys.size(); ++k) {
            if (source.useDirectVal) {
                series.push_back(CreateGraphData(DataX{source.xStart, source.xInterval},
                                                 Kept(*dataYs[source.columnY], rows[k])));
            } else {
                const XColumn& x = xs[size_t(source.columnX)][k];
                series.push_back(CreateGraphData(x.x, Kept(*dataYs[source.columnY], x.kept)));
                const ColumnFormat format = option.dialect.Column(source.columnX);
                if (format.kind == ColumnKind::TIME)
                    series.back()->SetTimeOrigin(format.origin);
            }
            m_seriesKeys.push_back(m_keys[k]);
            m_labels.push_back(
                SplitLabel(source.label, NarrowToWide(m_keys[k].data(), m_keys[k].size())));
        }
    }
    return ResultCode::SUCCESS;
}

ResultCode CSVConverter::Convert(const CSVImportOption& option, const CSVFileInfo& info,
                                 const CSVLineIndex& index, int resolution, Progress* progress,
                                 std::vector<std::shared_ptr<GraphData>>& series)
{
    series.clear();
    m_option = &option;
    m_lineIndex = &index;
    m_gaps = 0;
    m_keys.clear();
    m_labels.clear();
    m_seriesKeys.clear();
    m_lastX.assign(size_t(std::max(info.columnCount, 0)), std::nan(""));
    m_dataEnd = m_start;
    m_dataEndedWithLineFeed = true;
    m_firstGapLine = 0;
    try {
        if (!CheckOptionFitsFile(info, option).empty()) {
            wxFAIL_MSG("CheckOptionFitsFile()");
            return Fail(_("The import option doesn't match the file!"));
        }

        const std::string name = FileNameToNarrow(m_fileName);
        bool notRegular = false;
        FileCloser file{OpenRegularFile(name, notRegular)};
        if (notRegular)
            return Fail(wxString::Format(_("Can't read \"%s\"!"), m_fileName));
        if (!file.file)
            return Fail(wxString::Format(_("Can't open \"%s\"!"), m_fileName));
        const int64_t total = GetFileSize(file.file);

        const std::vector<bool> required = RequiredColumns(option, info, true);
        const double bytes = ImportBytes(option, required, resolution);
        // Too large for memory to hold comfortably: parsed into a new cache file, whose
        // pages the kernel writes back and drops. A split gathers its series on the heap.
        m_stream.reset();
        std::string streamError;
        const bool large = (!m_streamDir.empty() || !m_whyNotStream.empty()) &&
                           bytes > double(StreamMinBytes(m_tuning));
        if (large && m_streamDir.empty())
            streamError = m_whyNotStream;
        else if (large && option.splitColumn < 0)
            m_stream = ColumnStreamFile::Create(
                m_streamDir,
                StreamMetaRoom(MetaTextBytes(m_fileName, info, option), option.dataSources.size()),
                uint64_t(bytes), m_tuning.reserveFile, streamError);
        if (!m_stream && !FitsInMemory(bytes, m_tuning.memoryLimit)) {
            m_message = streamError.empty()
                            ? _("Failed to allocate memory in the calculation process!")
                            : wxString::Format(_("The values of this file don't fit in memory, "
                                                 "and the column cache can't hold them: %s"),
                                               wxString::FromUTF8(streamError));
            return ResultCode::OUT_OF_MEMORY;
        }
        std::vector<std::shared_ptr<GraphDataY>> dataYs(required.size());
        for (size_t c = 0; c < required.size(); ++c) {
            if (required[c])
                dataYs[c] = CreateGraphDataY();
        }
        AllocateColumns(dataYs, size_t(option.dataRows));
        std::vector<double*> columns(required.size(), nullptr);
        for (size_t c = 0; c < required.size(); ++c) {
            if (dataYs[c])
                columns[c] = dataYs[c]->raw.data();
        }

        if (progress)
            progress->SetMessage(wxString::Format(_("Import \"%s\" ..."), m_fileName));
        const ResultCode converted = ConvertFile(fileno(file.file), total, columns, progress);
        if (converted != ResultCode::SUCCESS)
            return converted;
        const ResultCode finished = FinishColumns(option, required, dataYs);
        if (finished != ResultCode::SUCCESS)
            return finished;

        const ResultCode made = option.splitColumn >= 0 ? MakeSplitSeries(option, dataYs, series)
                                                        : MakeSeries(option, info, dataYs, series);
        if (made != ResultCode::SUCCESS)
            series.clear();
        return made;
    } catch (const std::bad_alloc&) {
        series.clear();
        m_message = _("Failed to allocate memory in the calculation process!");
        return ResultCode::OUT_OF_MEMORY;
    }
}
