#include "csv/Reload.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/intl.h>

#include "base/FileUtil.h"
#include "csv/CSVConverter.h"
#include "csv/CSVImporter.h"
#include "csv/CSVScanner.h"
#include "csv/LineReader.h"
#include "model/GraphProject.h"

namespace {

// FNV-1a over [begin, end) of fd; 0 when it can't be read whole.
uint64_t HashRange(int fd, int64_t begin, int64_t end)
{
    std::vector<char> bytes(size_t(std::max<int64_t>(end - begin, 0)));
    if (!bytes.empty() && pread(fd, bytes.data(), bytes.size(), begin) != ssize_t(bytes.size()))
        return 0;
    uint64_t h = 1469598103934665603ull;
    for (char c : bytes)
        h = (h ^ uint8_t(c)) * 1099511628211ull;
    return h;
}

struct Fd
{
    int fd;
    ~Fd()
    {
        if (fd >= 0)
            close(fd);
    }
};

} // namespace

FileIdentity ReadFileIdentity(const std::string& path, int64_t end)
{
    FileIdentity id;
    Fd file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat info;
    if (file.fd < 0 || fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return id;
    id.exists = true;
    id.size = std::min<int64_t>(end, info.st_size);
    id.device = uint64_t(info.st_dev);
    id.inode = uint64_t(info.st_ino);
    id.head = HashRange(file.fd, 0, std::min(id.size, IDENTITY_BYTES));
    id.tail = HashRange(file.fd, std::max<int64_t>(0, id.size - IDENTITY_BYTES), id.size);
    return id;
}

FileChange CompareWithFile(const FileIdentity& then, const std::string& path)
{
    Fd file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    struct stat info;
    if (file.fd < 0 || fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return FileChange::GONE;
    if (!then.exists || uint64_t(info.st_dev) != then.device ||
        uint64_t(info.st_ino) != then.inode || info.st_size < then.size)
        return FileChange::REPLACED;
    // Rewritten in place (a logger that truncated and wrote again as much) shows here.
    if (HashRange(file.fd, 0, std::min(then.size, IDENTITY_BYTES)) != then.head ||
        HashRange(file.fd, std::max<int64_t>(0, then.size - IDENTITY_BYTES), then.size) !=
            then.tail)
        return FileChange::REPLACED;
    return info.st_size == then.size ? FileChange::SAME : FileChange::GREW;
}

std::vector<size_t> SeriesSourceIndices(const CSVImportOption& option, size_t count)
{
    // With a split, each source makes the same number of series, one per value.
    const size_t sources = std::max<size_t>(option.dataSources.size(), 1);
    const size_t perSource = option.splitColumn >= 0 ? std::max<size_t>(count / sources, 1) : 1;
    std::vector<size_t> indices;
    for (size_t k = 0; k < count; ++k)
        indices.push_back(std::min(k / perSource, sources - 1));
    return indices;
}

namespace {

struct Group
{
    std::shared_ptr<FileRead> read;
    std::vector<std::shared_ptr<GraphData>> series;
};

const FileSeriesSource* SourceOf(const GraphData& series)
{
    return dynamic_cast<const FileSeriesSource*>(series.GetSource().get());
}

// The complete records after `from` (a last one without its end waits) and where they end.
int64_t CountNewRecords(const FileRead& read, int64_t& end)
{
    end = read.dataEnd;
    Fd file{open(FileNameToNarrow(read.path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return -1;
    const CSVDialect& dialect = read.option.dialect;
    LineReader reader(file.fd, read.dataEnd, INT64_MAX,
                      LineFormat{dialect.terminator, dialect.detected ? dialect.quote : char(0)});
    int64_t count = 0;
    const char *begin, *stop;
    for (;;) {
        const LineReader::Status status = reader.Next(begin, stop);
        if (status != LineReader::LINE)
            return status == LineReader::END ? count : -1;
        if (!reader.EndedWithLineFeed())
            return count;
        ++count;
        end = reader.Offset();
    }
}

// Appends what a grown file gained; false when it can't be appended as it stands (an X
// that stops stepping evenly, or goes down, a split, X gaps): the file is then read whole,
// which gives exactly what a fresh import would.
bool AppendNewLines(FileRead& read, const Group& group, const CSVImportTuning& tuning,
                    int resolution, ReloadReport& report)
{
    if (read.option.splitColumn >= 0 || !read.endedWithLineFeed)
        return false;
    int64_t end = 0;
    const int64_t count = CountNewRecords(read, end);
    if (count < 0 || count > INT32_MAX - int64_t(read.option.dataRows))
        return false;
    if (count == 0)
        return true; // a last line still being written
    CSVImportOption option = read.option;
    option.headerRows = 0;
    option.dataRows = int32_t(count);
    CSVFileInfo info = read.info;
    info.rowCount = int32_t(count);
    wxString message;
    CSVConverter converter(read.path, char(read.separator), tuning, message);
    converter.SetStart(read.dataEnd);
    converter.SetRawX(true);
    std::vector<std::shared_ptr<GraphData>> chunks;
    if (converter.Convert(option, info, CSVLineIndex(), resolution, nullptr, chunks) !=
            ResultCode::SUCCESS ||
        chunks.size() != option.dataSources.size() || converter.GetDataEnd() != end)
        return false;

    // Check every series first: either all grow or none.
    for (const auto& series : group.series) {
        const FileSeriesSource* source = SourceOf(*series);
        const DataSource& ds = option.dataSources[source->source];
        const GraphData& chunk = *chunks[source->source];
        if (chunk.GetCount() != size_t(count))
            return false; // X gaps: the points they drop are a fresh import's business
        if (ds.useDirectVal)
            continue;
        const DataX x = series->GetDataX();
        const ColumnFormat format = option.dialect.Column(ds.columnX);
        if (series->HasTimeOrigin() && series->GetTimeOrigin() != format.origin)
            return false; // moved to the project's origin: its X is its own copy
        if (format.layout == TimeLayout::TIME_OF_DAY && format.joinedTo < 0)
            return false; // the days it went past midnight are counted over the whole file
        const DataX::Values& added = *chunk.GetDataX().ExplicitValues();
        const size_t n = series->GetCount();
        if (x.IsExplicit()) {
            if (x.ExplicitValues()->size() != n || (n > 0 && added[0] < x.At(n - 1)))
                return false;
            continue;
        }
        // Evenly stepped so far: every new step, the first from the last value read,
        // within the tolerance a fresh import allows.
        const double step = x.interval, tolerance = step * 0.1 / 100;
        double previous = read.lastX[size_t(ds.columnX)];
        for (double v : added) {
            const double d = (v - previous) - step;
            if (!(d <= tolerance && d >= -tolerance))
                return false;
            previous = v;
        }
    }

    // Each shared array grows once.
    std::set<const void*> grown;
    for (const auto& series : group.series) {
        const FileSeriesSource* source = SourceOf(*series);
        const GraphData& chunk = *chunks[source->source];
        GraphDataY& y = *series->GetDataY();
        if (grown.insert(&y).second) {
            const size_t total = y.raw.size() + size_t(count);
            y.Append(chunk.GetDataY()->raw.data(), size_t(count),
                     MipmapLevelCount(total, resolution));
        }
        const DataX x = series->GetDataX();
        if (x.IsExplicit() && grown.insert(x.ExplicitValues().get()).second)
            x.AppendShared(chunk.GetDataX().ExplicitValues()->data(), size_t(count));
        series->PointsAppended(size_t(count));
    }
    for (size_t c = 0; c < read.lastX.size(); ++c) {
        if (c < converter.GetLastX().size() && !std::isnan(converter.GetLastX()[c]))
            read.lastX[c] = converter.GetLastX()[c];
    }
    read.option.dataRows += int32_t(count);
    read.dataEnd = end;
    read.identity = ReadFileIdentity(FileNameToNarrow(read.path), end);
    report.newPoints += count;
    ++report.grown;
    return true;
}

// Reads the file again whole with the same option (its rows now up to the last data line)
// and gives each series its new values.
ResultCode ReadWhole(FileRead& read, const Group& group, const CSVImportTuning& tuning,
                     int resolution, ProcContext* context, wxString& message)
{
    auto scratch = CreateGraphProject();
    CSVImporter importer(read.path, *scratch);
    importer.SetSeparator(read.separator);
    importer.Request() = read.request;
    importer.Tuning() = tuning;
    ResultCode result = importer.ScanInfo(context);
    if (result != ResultCode::SUCCESS) {
        message = importer.GetErrorMessage();
        return result;
    }
    const CSVImportOption scanned = importer.GetOption();
    CSVImportOption option = read.option;
    option.dataRows = std::max(0, scanned.headerRows + scanned.dataRows - option.headerRows);
    const CSVFileInfo info = importer.GetInfo();
    message = CheckImportOption(info, option);
    if (!message.empty())
        return ResultCode::FAILURE;
    importer.SetOption(option);
    result = importer.ReadSeries(context, resolution);
    if (result != ResultCode::SUCCESS) {
        message = importer.GetErrorMessage();
        return result;
    }
    const auto& fresh = importer.GetSeries();
    const std::vector<size_t> sources = SeriesSourceIndices(option, fresh.size());
    std::map<std::pair<size_t, std::string>, std::shared_ptr<GraphData>> bySource;
    for (size_t k = 0; k < fresh.size(); ++k)
        bySource[{sources[k], importer.GetSeriesKeys()[k]}] = fresh[k];
    for (const auto& series : group.series) {
        const FileSeriesSource* source = SourceOf(*series);
        const auto found = bySource.find({source->source, source->key});
        if (found == bySource.end())
            continue; // a value of the split column no longer there: kept as it was
        const GraphData& now = *found->second;
        series->ReplaceValues(now.GetDataX(), now.GetDataY(), now.GetTimeOrigin());
    }
    read.option = option;
    read.info = info;
    read.dataEnd = importer.GetDataEnd();
    read.endedWithLineFeed = importer.DataEndedWithLineFeed();
    read.lastX = importer.GetLastX();
    read.identity = ReadFileIdentity(FileNameToNarrow(read.path), read.dataEnd);
    return ResultCode::SUCCESS;
}

} // namespace

void PrepareToFollow(GraphProject& project)
{
    std::set<const void*> done;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        if (!series || !SourceOf(*series))
            continue;
        GraphDataY& y = *series->GetDataY();
        if (done.insert(&y).second)
            y.ReserveGrowth(y.raw.size() / 4);
        const DataX x = series->GetDataX();
        if (x.IsExplicit() && done.insert(x.ExplicitValues().get()).second)
            x.ReserveShared(x.ExplicitValues()->size() / 4);
    }
}

void ReloadProject(GraphProject& project, const CSVImportTuning& tuning, int resolution,
                   ProcContext* context, ReloadReport& report)
{
    std::vector<Group> groups;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        const FileSeriesSource* source = series ? SourceOf(*series) : nullptr;
        if (!source || !source->read)
            continue;
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const Group& g) { return g.read == source->read; });
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{source->read, {}});
        group->series.push_back(series);
    }
    for (const Group& group : groups) {
        FileRead& read = *group.read;
        const FileChange change = CompareWithFile(read.identity, FileNameToNarrow(read.path));
        if (change == FileChange::SAME) {
            ++report.same;
            continue;
        }
        if (change == FileChange::GONE) {
            ++report.gone;
            if (report.message.empty())
                report.message =
                    wxString::Format(_("\"%s\" is gone: its series stay as they were."), read.path);
            continue;
        }
        if (change == FileChange::GREW && AppendNewLines(read, group, tuning, resolution, report))
            continue;
        wxString message;
        if (ReadWhole(read, group, tuning, resolution, context, message) == ResultCode::SUCCESS) {
            ++report.replaced;
        } else {
            ++report.failed;
            if (report.message.empty())
                report.message = message;
        }
    }
}
