#include "csv/Reload.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/intl.h>

#include "base/FileUtil.h"
#include "csv/ColumnCache.h"
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
    if (ReadFully(fd, bytes.data(), bytes.size(), begin) != bytes.size())
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

const FileSeriesSource* SourceOf(const GraphData& series)
{
    return dynamic_cast<const FileSeriesSource*>(series.GetSource().get());
}

// The series of the project that came from `read`.
std::vector<std::shared_ptr<GraphData>> SeriesOf(const GraphProject& project, const FileRead* read)
{
    std::vector<std::shared_ptr<GraphData>> series;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto item = project.GetItem(i);
        const FileSeriesSource* source = item ? SourceOf(*item) : nullptr;
        if (source && source->read.get() == read)
            series.push_back(item);
    }
    return series;
}

// The complete records after the read's end (a last one without its end waits) and where
// they end, stopping once `maxBytes` are passed; -1 when the file can't be read.
int64_t CountNewRecords(const FileRead& read, int64_t maxBytes, int64_t& end, bool& more)
{
    end = read.dataEnd;
    more = false;
    Fd file{open(FileNameToNarrow(read.path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return -1;
    const CSVDialect& dialect = read.option.dialect;
    LineReader reader(file.fd, read.dataEnd, INT64_MAX,
                      LineFormat{dialect.terminator, dialect.detected ? dialect.quote : char(0)});
    int64_t count = 0;
    const char *begin, *stop;
    for (;;) {
        if (end - read.dataEnd >= maxBytes) {
            more = true;
            return count;
        }
        const LineReader::Status status = reader.Next(begin, stop);
        if (status != LineReader::LINE)
            return status == LineReader::END ? count : -1;
        if (!reader.EndedWithLineFeed())
            return count;
        ++count;
        end = reader.Offset();
    }
}

// Parses what a grown file gained; false when it can't be read as an append (a split,
// a last line read without its end), so the file is read whole.
bool ReadNewLines(FileUpdate& update, const CSVImportTuning& tuning, int resolution,
                  int64_t maxBytes)
{
    const FileRead& read = update.then;
    if (read.option.splitColumn >= 0 || !read.endedWithLineFeed)
        return false;
    const int64_t count = CountNewRecords(read, maxBytes, update.end, update.more);
    if (count < 0 || count > INT32_MAX - int64_t(read.option.dataRows))
        return false;
    update.count = count;
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
    if (converter.Convert(option, info, CSVLineIndex(), resolution, nullptr, update.chunks) !=
            ResultCode::SUCCESS ||
        update.chunks.size() != option.dataSources.size() || converter.GetDataEnd() != update.end)
        return false;
    update.lastX = converter.GetLastX();
    update.gaps = converter.GetGapCount();
    return true;
}

// The series and the read of a whole read, into the update.
void TakeWholeRead(FileUpdate& update, const CSVImporter& importer, const CSVImportOption& option,
                   const CSVFileInfo& info)
{
    update.fresh = importer.GetSeries();
    const std::vector<size_t> sources = SeriesSourceIndices(option, update.fresh.size());
    for (size_t k = 0; k < update.fresh.size(); ++k)
        update.freshSources.emplace_back(sources[k], importer.GetSeriesKeys()[k]);
    update.now = update.then;
    update.now.cache = importer.MakeCacheBase(); // read whole: its own cache entry, if any
    update.now.grown = false;
    update.now.option = option;
    update.now.info = info;
    update.now.dataEnd = importer.GetDataEnd();
    update.now.endedWithLineFeed = importer.DataEndedWithLineFeed();
    update.now.lastX = importer.GetLastX();
    update.now.identity = importer.GetReadIdentity();
}

// Reads the file again whole with the same option (its rows now up to the last data line).
void ReadWhole(FileUpdate& update, const CSVImportTuning& tuning, int resolution,
               ProcContext* context, ColumnCache* cache)
{
    update.change = FileChange::REPLACED;
    const FileRead& read = update.then;
    auto scratch = CreateGraphProject();
    CSVImporter importer(read.path, *scratch);
    importer.SetSeparator(read.separator);
    importer.Request() = read.request;
    importer.Tuning() = tuning;
    importer.SetColumnCache(cache);
    if (importer.ReadWholeCached(read.option, resolution)) {
        TakeWholeRead(update, importer, importer.GetOption(), importer.GetInfo());
        return;
    }
    update.result = importer.ScanInfo(context);
    if (update.result != ResultCode::SUCCESS) {
        update.message = importer.GetErrorMessage();
        return;
    }
    const CSVImportOption scanned = importer.GetOption();
    CSVImportOption option = read.option;
    option.dataRows = std::max(0, scanned.headerRows + scanned.dataRows - option.headerRows);
    const CSVFileInfo info = importer.GetInfo();
    update.message = CheckImportOption(info, option);
    if (!update.message.empty()) {
        update.result = ResultCode::FAILURE;
        return;
    }
    importer.SetOption(option);
    update.result = importer.ReadSeries(context, resolution);
    if (update.result != ResultCode::SUCCESS) {
        update.message = importer.GetErrorMessage();
        return;
    }
    if (cache && !importer.IsFromCache())
        importer.StoreRead();
    TakeWholeRead(update, importer, option, info);
}

// Notes that the cache of the read's import is stale until its grown series are written.
// The line of a first gap among appended records is not known here: such a file is left
// to be read again when next opened.
void CountGrowthForCache(FileRead& read, int64_t gaps)
{
    if (!read.cache)
        return;
    read.grown = true;
    if (gaps == 0)
        return;
    if (read.cache->gaps == 0) {
        read.cache = nullptr;
        return;
    }
    auto cache = std::make_shared<CacheBase>(*read.cache);
    cache->gaps += gaps;
    read.cache = std::move(cache);
}

// Queues the grown series of `read` to be cached, as a fresh import of the file now would
// make them, once the file has been quiet a while; false while it is not. Any append
// cancels the write (the series grow in place), and a later quiet moment writes again.
bool CacheGrownSeries(const GraphProject& project, FileRead& read)
{
    const CacheBase& base = *read.cache;
    const SourceStamp stamp = ReadSourceStamp(base.sourcePath);
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    if (!stamp.exists || stamp.size != read.identity.size ||
        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() - stamp.mtimeNanos <
            QUIET_NANOS)
        return false;
    read.grown = false; // whether it is cached now or can't be
    // The series in the importer's order; none dropped, none moved to another time origin.
    const auto group = SeriesOf(project, &read);
    const std::vector<size_t> sources = SeriesSourceIndices(read.option, base.labels.size());
    std::vector<std::shared_ptr<GraphData>> series(base.labels.size());
    for (const auto& data : group) {
        const FileSeriesSource* source = SourceOf(*data);
        const ColumnFormat format =
            read.option.dialect.Column(read.option.dataSources[source->source].columnX);
        if (data->HasTimeOrigin() && data->GetTimeOrigin() != format.origin)
            return true;
        for (size_t k = 0; k < series.size(); ++k) {
            if (sources[k] == source->source && base.seriesKeys[k] == source->key) {
                series[k] = CreateGraphData(data->GetDataX(), data->GetDataY());
                if (data->HasTimeOrigin())
                    series[k]->SetTimeOrigin(data->GetTimeOrigin());
            }
        }
    }
    for (const auto& data : series)
        if (!data)
            return true;
    auto cached = MakeCachedImport(read, base, stamp, std::move(series));
    cached->rescan = true;
    StoreInColumnCache(base.dir, std::move(cached));
    return true;
}

// Appends a grown file's new records to its series: either all grow or none (false: the
// X does not go on as it went, so the file is read whole, as a fresh import would).
bool AppendNewLines(FileRead& read, const FileUpdate& update,
                    const std::vector<std::shared_ptr<GraphData>>& group, int resolution,
                    ReloadReport& report)
{
    const int64_t count = update.count;
    const CSVImportOption& option = read.option;
    for (const auto& series : group) {
        const FileSeriesSource* source = SourceOf(*series);
        const DataSource& ds = option.dataSources[source->source];
        const GraphData& chunk = *update.chunks[source->source];
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

    // Each shared array grows once, in place: no cache write may be reading it then.
    CancelColumnCacheWrites();
    std::set<const void*> grown;
    for (const auto& series : group) {
        const GraphData& chunk = *update.chunks[SourceOf(*series)->source];
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
        if (c < update.lastX.size() && !std::isnan(update.lastX[c]))
            read.lastX[c] = update.lastX[c];
    }
    read.option.dataRows += int32_t(count);
    read.dataEnd = update.end;
    read.identity = ReadFileIdentity(FileNameToNarrow(read.path), update.end);
    CountGrowthForCache(read, update.gaps);
    report.newPoints += count;
    ++report.grown;
    return true;
}

} // namespace

void PrepareToFollow(GraphProject& project)
{
    CancelColumnCacheWrites(); // the arrays move
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

std::vector<std::shared_ptr<FileRead>> FileReadsOf(const GraphProject& project)
{
    std::vector<std::shared_ptr<FileRead>> reads;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        const FileSeriesSource* source = series ? SourceOf(*series) : nullptr;
        if (source && source->read &&
            std::find(reads.begin(), reads.end(), source->read) == reads.end())
            reads.push_back(source->read);
    }
    return reads;
}

FileUpdate ReadFileUpdate(std::shared_ptr<FileRead> read, FileRead then, bool whole,
                          const CSVImportTuning& tuning, int resolution, ProcContext* context,
                          int64_t maxBytes, ColumnCache* cache)
{
    FileUpdate update;
    update.read = std::move(read);
    update.then = std::move(then);
    update.change = CompareWithFile(update.then.identity, FileNameToNarrow(update.then.path));
    if (update.change == FileChange::SAME || update.change == FileChange::GONE)
        return update;
    if (!whole && update.change == FileChange::GREW &&
        ReadNewLines(update, tuning, resolution, maxBytes))
        return update;
    update.count = 0;
    update.chunks.clear();
    update.more = false;
    ReadWhole(update, tuning, resolution, context, cache);
    return update;
}

bool ApplyFileUpdate(GraphProject& project, const FileUpdate& update, int resolution,
                     ReloadReport& report)
{
    FileRead& read = *update.read;
    if (read.dataEnd != update.then.dataEnd || read.identity != update.then.identity)
        return true; // read again meanwhile: this update is out of date
    const auto group = SeriesOf(project, &read);
    switch (update.change) {
    case FileChange::SAME:
        ++report.same;
        if (read.grown && read.cache)
            CacheGrownSeries(project, read);
        return true;
    case FileChange::GONE:
        ++report.gone;
        if (report.message.empty())
            report.message =
                wxString::Format(_("\"%s\" is gone: its series stay as they were."), read.path);
        return true;
    case FileChange::GREW:
        return update.count == 0 || group.empty() ||
               AppendNewLines(read, update, group, resolution, report);
    case FileChange::REPLACED:
        break;
    }
    if (update.result != ResultCode::SUCCESS) {
        ++report.failed;
        if (report.message.empty())
            report.message = update.message;
        return true;
    }
    std::map<std::pair<size_t, std::string>, std::shared_ptr<GraphData>> bySource;
    for (size_t k = 0; k < update.fresh.size(); ++k)
        bySource[update.freshSources[k]] = update.fresh[k];
    for (const auto& series : group) {
        const FileSeriesSource* source = SourceOf(*series);
        const auto found = bySource.find({source->source, source->key});
        if (found == bySource.end())
            continue; // a value of the split column no longer there: kept as it was
        const GraphData& now = *found->second;
        series->ReplaceValues(now.GetDataX(), now.GetDataY(), now.GetTimeOrigin());
    }
    read = update.now;
    ++report.replaced;
    return true;
}

void ReloadProject(GraphProject& project, const CSVImportTuning& tuning, int resolution,
                   ProcContext* context, ReloadReport& report)
{
    for (const auto& read : FileReadsOf(project)) {
        const FileUpdate update = ReadFileUpdate(read, *read, false, tuning, resolution, context);
        if (!ApplyFileUpdate(project, update, resolution, report))
            ApplyFileUpdate(project, ReadFileUpdate(read, *read, true, tuning, resolution, context),
                            resolution, report);
    }
}
