// The import: conversion of the data lines (on one or two threads), the X columns,
// the mipmaps and the hand-over of the series to the project.
#include "csv/CSVImporter.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <system_error>
#include <thread>

#include <unistd.h>
#include <wx/intl.h>

#include "csv/FileUtil.h"
#include "csv/HelperThread.h"
#include "csv/LineReader.h"
#include "csv/NumberParser.h"
#include "model/GraphProject.h"
#include "progress/Progress.h"

namespace {

constexpr int64_t kProgressLines = 1000;
constexpr double kProgressionTolerancePercent = 0.1;

// One line into row `row` of `columns` (null entries: parsed, not stored).
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

// Progress for the helper's share of the mipmaps: silent, cancelled by a flag.
class FlagProgress : public Progress
{
public:
    explicit FlagProgress(std::atomic<bool>& stop) : m_stop(stop) {}
    void SetPosition(int, int) override {}
    void SetMessage(const wxString&) override {}
    bool IsCancelled() override { return m_stop.load(); }

private:
    std::atomic<bool>& m_stop;
};

// Forwards to the dialog's progress; a cancel there (or a stop) stops the helper too.
class ForwardProgress : public Progress
{
public:
    ForwardProgress(Progress* inner, std::atomic<bool>& stop) : m_inner(inner), m_stop(stop) {}
    void SetPosition(int position, int total) override
    {
        if (m_inner)
            m_inner->SetPosition(position, total);
    }
    void SetMessage(const wxString& message) override
    {
        if (m_inner)
            m_inner->SetMessage(message);
    }
    bool IsCancelled() override
    {
        if (m_inner && m_inner->IsCancelled())
            m_stop = true;
        return m_stop.load();
    }

private:
    Progress* m_inner;
    std::atomic<bool>& m_stop;
};

// Sizes every column to `rows` zeros. The first touch of fresh pages (the kernel clears
// them) costs as much as parsing, so the second thread takes every other column.
void AllocateColumns(std::vector<std::shared_ptr<GraphDataY>>& columns, size_t rows, int threads)
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

} // namespace

enum class CSVImporter::PartEnd
{
    DONE,
    TOO_LONG,
    BAD_VALUE,
    READ_ERROR,
    CHANGED, // the file no longer matches its scan
    STOPPED, // cancelled, or stopped because of the other part
};

// One byte range of the file converted by one thread, starting at a known line.
struct CSVImporter::ConvertPart
{
    int fd;
    int64_t begin;
    int64_t end;
    int64_t firstLine;
    char separator;
    PartEnd result = PartEnd::DONE;
    int64_t line = 0;   // the failing line, or the line count after the part
    int64_t offset = 0; // where the part ended
    bool endedWithLineFeed = true;
    std::atomic<int64_t> bytes{0}; // converted so far, for the other thread's progress
};

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

bool CSVImporter::IsOptionValid() const
{
    const CSVImportOption& o = m_option;
    if (o.headerRows < 0 || o.dataRows < 0 ||
        int64_t(o.headerRows) + int64_t(o.dataRows) > int64_t(m_info.rowCount))
        return false;
    for (const DataSource& source : o.dataSources) {
        if (!source.useDirectVal && (source.columnX < 0 || source.columnX >= m_info.columnCount))
            return false;
        if (source.columnY < 0 || source.columnY >= m_info.columnCount)
            return false;
    }
    return true;
}

void CSVImporter::CheckRequiredColumn(std::vector<bool>& flags, bool includeY) const
{
    flags.assign(m_info.columnCount > 0 ? m_info.columnCount : 0, false);
    auto set = [&flags, this](int index) {
        wxCHECK_RET(index >= 0 && index < m_info.columnCount,
                    "index >= 0 && index < m_info.columnCount");
        flags[index] = true;
    };
    for (const DataSource& source : m_option.dataSources) {
        if (!source.useDirectVal)
            set(source.columnX);
        if (includeY)
            set(source.columnY);
    }
}

bool CSVImporter::ConvLineToValue(const char* begin, const char* end, int row,
                                  std::vector<std::shared_ptr<GraphDataY>>& data,
                                  char separator) const
{
    std::vector<double*> columns(data.size(), nullptr);
    for (size_t c = 0; c < data.size(); ++c) {
        if (!data[c])
            continue;
        wxCHECK_MSG(row >= 0 && row < static_cast<int>(data[c]->raw.size()), false,
                    "row < static_cast<int>(data[column]->raw.size())");
        columns[c] = data[c]->raw.data();
    }
    return ConvertFields(begin, end, static_cast<size_t>(row), columns.data(), columns.size(),
                         separator);
}

bool CSVImporter::CheckMemory(const std::vector<bool>& required)
{
    int64_t limit = m_memoryLimit >= 0 ? m_memoryLimit : GetAvailableMemory();
    if (limit < 0)
        return true; // unknown: rely on std::bad_alloc
    std::vector<bool> distinctY(required.size(), false);
    for (const DataSource& source : m_option.dataSources)
        distinctY[source.columnY] = true;
    const double rows = m_option.dataRows;
    double bytes = 0.0;
    for (size_t c = 0; c < required.size(); ++c) {
        if (required[c])
            bytes += rows * sizeof(double);
        // A min/max pyramid takes about twice the values' size.
        if (distinctY[c] && MipmapLevelCount(size_t(m_option.dataRows), m_resolution) > 0)
            bytes += rows * 2 * sizeof(double);
    }
    return bytes <= double(limit);
}

ResultCode CSVImporter::ReportPart(const ConvertPart& part)
{
    const int line = static_cast<int>(std::min<int64_t>(part.line + 1, INT32_MAX));
    switch (part.result) {
    case PartEnd::DONE:
        return ResultCode::SUCCESS;
    case PartEnd::TOO_LONG:
        return FailWith(wxString::Format(
            _("The length of the line in CSV file is too much at %s:%d!"), m_fileName, line));
    case PartEnd::BAD_VALUE:
        return FailWith(wxString::Format(
            _("Conversion from string to numerical value is failed at %s:%d!"), m_fileName, line));
    case PartEnd::READ_ERROR:
        return FailWith(wxString::Format(_("Can't read \"%s\"!"), m_fileName));
    case PartEnd::CHANGED:
        return FailWith(
            wxString::Format(_("\"%s\" has changed since it was scanned!"), m_fileName));
    case PartEnd::STOPPED:
        break;
    }
    return ResultCode::CANCELLED;
}

void CSVImporter::ConvertRange(ConvertPart& part, const std::vector<double*>& columns,
                               const std::function<bool(int64_t bytes)>& poll) const
{
    LineReader reader(part.fd, part.begin, part.end);
    const int64_t first = m_option.headerRows;
    const int64_t last = first + m_option.dataRows;
    double* const* targets = columns.data();
    const size_t columnCount = columns.size();
    int64_t line = part.firstLine;
    const char* begin;
    const char* end;
    for (;;) {
        const LineReader::Status status = reader.Next(begin, end);
        if (status != LineReader::LINE) {
            part.line = line;
            if (status == LineReader::TOO_LONG)
                part.result = PartEnd::TOO_LONG;
            else if (status == LineReader::READ_ERROR)
                part.result = PartEnd::READ_ERROR;
            break;
        }
        if (line >= first && line < last &&
            !ConvertFields(begin, end, size_t(line - first), targets, columnCount,
                           part.separator)) {
            part.result = PartEnd::BAD_VALUE;
            part.line = line;
            break;
        }
        if (line % kProgressLines == 0 && !poll(reader.Offset() - part.begin)) {
            part.result = PartEnd::STOPPED;
            part.line = line;
            break;
        }
        ++line;
    }
    part.offset = reader.Offset();
    part.endedWithLineFeed = reader.EndedWithLineFeed();
}

ResultCode CSVImporter::ConvertFile(int fd, int64_t total, const std::vector<double*>& columns,
                                    Progress* progress)
{
    char separator = static_cast<char>(m_separator);
    const int64_t neededLines = int64_t(m_option.headerRows) + m_option.dataRows;

    // Split at the indexed line start nearest the middle, when that pays.
    int64_t split = -1;
    int64_t splitLine = 0;
    if (m_threadCount >= 2 && total >= m_parallelMinBytes && m_lineIndex.fileSize == total) {
        for (const CSVLineIndex::Mark& mark : m_lineIndex.marks) {
            if (mark.line > 0 && (split < 0 || std::llabs(mark.offset - total / 2) <
                                                   std::llabs(split - total / 2))) {
                split = mark.offset;
                splitLine = mark.line;
            }
        }
    }

    ConvertPart head{fd, 0, INT64_MAX, 0, separator};
    ConvertPart tail{fd, split, INT64_MAX, splitLine, separator};
    std::atomic<bool> stop{false};
    HelperThread helper;
    const bool parallel = split > 0 && helper.Start([&] {
        char before = 0;
        if (pread(fd, &before, 1, split - 1) != 1 || before != '\n') {
            tail.result = PartEnd::CHANGED;
            return;
        }
        ConvertRange(tail, columns, [&](int64_t bytes) {
            tail.bytes.store(bytes, std::memory_order_relaxed);
            return !stop.load(std::memory_order_relaxed);
        });
    });
    if (parallel)
        head.end = split;

    auto report = [&](int64_t headBytes) {
        if (!progress)
            return true;
        ReportPosition(*progress, headBytes + tail.bytes.load(std::memory_order_relaxed), total);
        return !progress->IsCancelled();
    };
    ConvertRange(head, columns, report);
    if (!parallel) {
        if (head.result != PartEnd::DONE)
            return ReportPart(head);
        if (head.line < neededLines)
            head.result = PartEnd::CHANGED;
        return ReportPart(head);
    }

    if (head.result == PartEnd::DONE &&
        (head.line != splitLine || head.offset != split || !head.endedWithLineFeed))
        head.result = PartEnd::CHANGED;
    if (head.result != PartEnd::DONE)
        stop = true;
    helper.WaitPolling([&] { return report(head.offset); }, [&] { stop = true; });
    if (head.result != PartEnd::DONE)
        return ReportPart(head);
    if (stop)
        return ResultCode::CANCELLED;
    if (tail.result == PartEnd::DONE && tail.line < neededLines)
        tail.result = PartEnd::CHANGED;
    return ReportPart(tail);
}

ResultCode CSVImporter::ImportInternal(Progress* progress)
{
    m_series.clear();
    try {
        char separator;
        if (!NarrowSeparator(separator))
            return ResultCode::FAILURE;
        if (!IsOptionValid()) {
            wxFAIL_MSG("IsOptionValid()");
            return FailWith(_("The import option doesn't match the file!"));
        }

        const std::string name = FileNameToNarrow(m_fileName);
        bool notRegular = false;
        FileCloser file{OpenRegularFile(name, notRegular)};
        if (notRegular)
            return FailWith(wxString::Format(_("Can't read \"%s\"!"), m_fileName));
        if (!file.file)
            return FailWith(wxString::Format(_("Can't open \"%s\"!"), m_fileName));
        const int64_t total = GetFileSize(file.file);

        std::vector<bool> required;
        CheckRequiredColumn(required, true);
        if (!CheckMemory(required)) {
            m_message = _("Failed to allocate memory in the calculation process!");
            return ResultCode::OUT_OF_MEMORY;
        }
        std::vector<std::shared_ptr<GraphDataY>> dataYs(required.size());
        for (size_t c = 0; c < required.size(); ++c) {
            if (required[c])
                dataYs[c] = CreateGraphDataY();
        }
        AllocateColumns(dataYs, size_t(m_option.dataRows), m_threadCount);
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

        std::vector<bool> xColumns;
        CheckRequiredColumn(xColumns, false);
        std::vector<DataX> dataXs(xColumns.size());
        for (size_t c = 0; c < xColumns.size(); ++c) {
            if (!xColumns[c])
                continue;
            const auto& raw = dataYs[c]->raw;
            if (!IsArithmeticProgression(raw.data(), raw.size(), kProgressionTolerancePercent,
                                         dataXs[c].start, dataXs[c].interval))
                return FailWith(wxString::Format(_("Column %d is not arithmetic progression!"),
                                                 static_cast<int>(c + 1)));
        }

        for (const DataSource& source : m_option.dataSources) {
            const DataX x = source.useDirectVal ? DataX{source.xStart, source.xInterval}
                                                : dataXs[source.columnX];
            wxASSERT(dataYs[source.columnY]);
            m_series.push_back(CreateGraphData(x, dataYs[source.columnY]));
        }
        return ResultCode::SUCCESS;
    } catch (const std::bad_alloc&) {
        m_series.clear();
        m_message = _("Failed to allocate memory in the calculation process!");
        return ResultCode::OUT_OF_MEMORY;
    }
}

ResultCode CSVImporter::BuildMipmaps(int resolution, Progress* progress)
{
    try {
        return BuildMipmapsOnThreads(resolution, progress);
    } catch (const std::bad_alloc&) {
        return ResultCode::OUT_OF_MEMORY;
    }
}

ResultCode CSVImporter::BuildMipmapsOnThreads(int resolution, Progress* progress)
{
    struct Item
    {
        GraphDataY* y;
        int levels;
    };
    std::vector<Item> items;
    for (const auto& series : m_series) {
        GraphDataY* y = series->GetDataY().get();
        const int levels = MipmapLevelCount(y->raw.size(), resolution);
        bool seen = false;
        for (const Item& item : items)
            seen = seen || item.y == y;
        if (!seen && levels > 0)
            items.push_back(Item{y, levels});
    }

    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    auto work = [&](Progress* p) -> ResultCode {
        for (size_t i = next++; i < items.size(); i = next++) {
            const ResultCode result = items[i].y->CreateMipmap(items[i].levels, p);
            if (result != ResultCode::SUCCESS) {
                stop = true;
                return result;
            }
        }
        return ResultCode::SUCCESS;
    };

    FlagProgress helperProgress(stop);
    ForwardProgress mainProgress(progress, stop);
    ResultCode helperResult = ResultCode::SUCCESS;
    HelperThread helper;
    const bool parallel = m_threadCount >= 2 && items.size() >= 2 &&
                          helper.Start([&] { helperResult = work(&helperProgress); });
    ResultCode result = work(&mainProgress);
    if (parallel)
        helper.WaitPolling([&] { return !mainProgress.IsCancelled(); }, [&] { stop = true; });
    // A shortage of memory on either thread outranks the cancel it caused on the other.
    if (helperResult == ResultCode::OUT_OF_MEMORY || result == ResultCode::SUCCESS)
        result = helperResult;
    return result;
}

ResultCode CSVImporter::Import(ProcContext* context, int resolution)
{
    m_resolution = resolution;
    ResultCode result = RunProgressProc(context, &CSVImporter::ImportInternal, this);
    if (result == ResultCode::SUCCESS) {
        result = RunProgressProc(context, &CSVImporter::BuildMipmaps, this, resolution);
        if (result != ResultCode::SUCCESS && result != ResultCode::NOT_STARTED)
            m_message = _("Failed to allocate memory!");
    }
    if (result == ResultCode::NOT_STARTED)
        m_message = _("Can't create the thread!");
    if (result != ResultCode::SUCCESS) {
        m_series.clear();
        return result;
    }
    for (size_t k = 0; k < m_series.size(); ++k) {
        m_project.Add(m_series[k]);
        m_series[k]->SetLabel(m_option.dataSources[k].label);
    }
    return ResultCode::SUCCESS;
}
