// The importer's operations; the scan and the conversion are done by its parts.
#include "csv/CSVImporter.h"

#include <climits>
#include <cstdlib>

#include <wx/intl.h>

#include "csv/CSVConverter.h"
#include "csv/CSVScanner.h"
#include "csv/ColumnCache.h"
#include "csv/ColumnStream.h"
#include "csv/Reload.h"
#include "base/FileUtil.h"
#include "csv/Separator.h"
#include "model/GraphProject.h"
#include "model/MipmapBuilder.h"
#include "progress/Progress.h"

CSVImporter::CSVImporter(const wxString& fileName, GraphProject& project)
    : m_project(project), m_fileName(fileName), m_lineIndex(std::make_unique<CSVLineIndex>())
{
}

CSVImporter::~CSVImporter() = default;

namespace {

// The file's absolute path without links, which names its cache; empty when it has none.
std::string AbsolutePath(const wxString& fileName)
{
    const std::string narrow = FileNameToNarrow(fileName);
    char resolved[PATH_MAX];
    return !narrow.empty() && realpath(narrow.c_str(), resolved) ? std::string(resolved)
                                                                 : std::string();
}

// A copy of each series that shares its values but none of its later changes (labels,
// moved time origins), for the cache writer's thread.
std::vector<std::shared_ptr<GraphData>>
Snapshot(const std::vector<std::shared_ptr<GraphData>>& series)
{
    std::vector<std::shared_ptr<GraphData>> copies;
    for (const auto& data : series) {
        auto copy = CreateGraphData(data->GetDataX(), data->GetDataY());
        if (data->HasTimeOrigin())
            copy->SetTimeOrigin(data->GetTimeOrigin());
        copies.push_back(std::move(copy));
    }
    return copies;
}

} // namespace

void CSVImporter::SetSeparator(wxChar separator)
{
    wxASSERT_MSG(IsSupportedSeparator(separator), "unsupported separator");
    m_separator = separator;
    m_request.separator = IsSupportedSeparator(separator) ? char(separator) : 0;
}

ResultCode CSVImporter::ScanInfo(ProcContext* context)
{
    return RunProgressProc(context, &CSVImporter::ScanInfoInternal, this);
}

ResultCode CSVImporter::ScanInfoInternal(Progress* progress)
{
    char separator; // checked here; the request carries it
    if (!NarrowSeparator(m_separator, separator, m_message))
        return ResultCode::FAILURE;
    if (m_cache) {
        m_sourcePath = AbsolutePath(m_fileName);
        m_scanStamp = ReadSourceStamp(m_sourcePath);
    }
    CSVScanner scanner(m_fileName, m_request, m_tuning, m_message);
    const ResultCode result = scanner.Scan(progress);
    if (result == ResultCode::SUCCESS) {
        m_info = scanner.GetInfo();
        m_option = scanner.GetOption();
        m_scannedOption = m_option;
        *m_lineIndex = std::move(scanner.GetLineIndex());
    }
    return result;
}

ResultCode CSVImporter::ImportInternal(Progress* progress)
{
    m_series.clear();
    char separator;
    if (!NarrowSeparator(m_separator, separator, m_message))
        return ResultCode::FAILURE;
    if (m_request.separator)
        separator = m_request.separator;
    CSVConverter converter(m_fileName, separator, m_tuning, m_message);
    m_stream.reset();
    std::string whyNot;
    if (m_cache && m_cache->UsableDir(whyNot))
        converter.SetStreamDir(m_cache->Dir());
    else
        converter.SetStreamDir(std::string(), whyNot);
    const ResultCode result =
        converter.Convert(m_option, m_info, *m_lineIndex, m_resolution, progress, m_series);
    if (result == ResultCode::SUCCESS)
        m_stream = converter.TakeStream();
    m_streamed = m_stream != nullptr;
    m_gaps = converter.GetGapCount();
    m_firstGapLine = converter.GetFirstGapLine();
    m_labels = converter.GetLabels();
    m_seriesKeys = converter.GetSeriesKeys();
    m_dataEnd = converter.GetDataEnd();
    m_dataEndedWithLineFeed = converter.DataEndedWithLineFeed();
    m_lastX = converter.GetLastX();
    return result;
}

ResultCode CSVImporter::Import(ProcContext* context, int resolution)
{
    const ResultCode result = ReadSeries(context, resolution);
    if (result != ResultCode::SUCCESS)
        return result;
    const FileIdentity identity = GetReadIdentity();
    if (!m_fromCache)
        StoreInCache(identity); // before the project moves time origins
    AddToProject(identity);
    return ResultCode::SUCCESS;
}

bool CSVImporter::ImportCached(int resolution)
{
    if (!m_cache)
        return false;
    m_sourcePath = AbsolutePath(m_fileName);
    if (!LoadCached(RequestKey(resolution), true))
        return false;
    m_resolution = resolution;
    AddToProject(m_cachedIdentity);
    return true;
}

bool CSVImporter::ListCached(std::vector<SeriesShape>& shapes, int resolution)
{
    CachedImport cached;
    if (!m_cache || m_cache->LoadShapes(AbsolutePath(m_fileName), RequestKey(resolution), true,
                                        cached) != CacheRead::LOADED)
        return false;
    shapes = std::move(cached.shapes);
    m_gaps = cached.gaps;
    m_firstGapLine = cached.firstGapLine;
    return true;
}

bool CSVImporter::ReadWholeCached(const CSVImportOption& option, int resolution)
{
    if (!m_cache)
        return false;
    m_sourcePath = AbsolutePath(m_fileName);
    m_resolution = resolution;
    if (!LoadCached(OptionKey(option, resolution), false))
        return false;
    // An import of fewer rows than the file has is not what a scan now would read.
    if (int64_t(m_option.headerRows) + m_option.dataRows == m_info.rowCount)
        return true;
    m_series.clear();
    m_fromCache = false;
    return false;
}

FileIdentity CSVImporter::GetReadIdentity() const
{
    return m_fromCache ? m_cachedIdentity
                       : ReadFileIdentity(FileNameToNarrow(m_fileName), m_dataEnd);
}

void CSVImporter::PrefetchCached(int resolution)
{
    if (m_cache)
        m_cache->Prefetch(AbsolutePath(m_fileName), RequestKey(resolution), true);
}

void CSVImporter::PrefetchWholeCached(const CSVImportOption& option, int resolution)
{
    if (m_cache)
        m_cache->Prefetch(AbsolutePath(m_fileName), OptionKey(option, resolution), false);
}

bool CSVImporter::IsWholePrefetched(const CSVImportOption& option, int resolution)
{
    return m_cache &&
           m_cache->PrefetchLoaded(AbsolutePath(m_fileName), OptionKey(option, resolution), false);
}

bool CSVImporter::IsPrefetched(int resolution)
{
    return m_cache &&
           m_cache->PrefetchLoaded(AbsolutePath(m_fileName), RequestKey(resolution), true);
}

std::string CSVImporter::RequestKey(int resolution) const
{
    return CacheRequestKey(m_separator, m_request, resolution);
}

std::string CSVImporter::OptionKey(const CSVImportOption& option, int resolution) const
{
    return CacheOptionKey(m_separator, m_request, option, resolution);
}

bool CSVImporter::LoadCached(const std::string& key, bool byRequest)
{
    m_fromCache = false;
    CachedImport cached;
    if (!m_cache || m_sourcePath.empty() ||
        m_cache->Load(m_sourcePath, key, byRequest, cached) != CacheRead::LOADED)
        return false;
    m_info = cached.info;
    m_option = cached.option;
    m_series = std::move(cached.series);
    m_labels = std::move(cached.labels);
    m_seriesKeys = std::move(cached.seriesKeys);
    m_gaps = cached.gaps;
    m_firstGapLine = cached.firstGapLine;
    m_dataEnd = cached.dataEnd;
    m_dataEndedWithLineFeed = cached.endedWithLineFeed;
    m_lastX = std::move(cached.lastX);
    // The file as it was read then: should it have changed since the check, a reload
    // sees the change.
    m_cachedIdentity = cached.identity;
    m_cachedDefault = !cached.requestKey.empty();
    m_fromCache = true;
    return true;
}

bool CSVImporter::IsDefaultOption() const
{
    if (m_fromCache)
        return m_cachedDefault;
    return OptionKey(m_scannedOption, m_resolution) == OptionKey(m_option, m_resolution);
}

void CSVImporter::StoreInCache(const FileIdentity& identity)
{
    // A streamed file not finished as the cache is removed; the series keep its pages.
    std::shared_ptr<ColumnStreamFile> stream = std::move(m_stream);
    // Not when the file changed while it was read: the series may hold some of each.
    if (!m_cache || !m_cache->IsEnabled() || m_sourcePath.empty() || !m_scanStamp.exists ||
        ReadSourceStamp(m_sourcePath) != m_scanStamp)
        return;
    auto cached =
        MakeCachedImport(ReadOf(identity), *MakeCacheBase(), m_scanStamp, Snapshot(m_series));
    cached->stream = std::move(stream);
    m_cache->Store(std::move(cached));
}

FileRead CSVImporter::ReadOf(const FileIdentity& identity) const
{
    FileRead read;
    read.path = m_fileName;
    read.separator = m_separator;
    read.request = m_request;
    read.option = m_option;
    read.info = m_info;
    read.dataEnd = m_dataEnd;
    read.endedWithLineFeed = m_dataEndedWithLineFeed;
    read.lastX = m_lastX;
    read.identity = identity;
    return read;
}

std::shared_ptr<const CacheBase> CSVImporter::MakeCacheBase() const
{
    if (!m_cache || !m_cache->IsEnabled() || m_sourcePath.empty())
        return nullptr;
    auto cache = std::make_shared<CacheBase>();
    cache->dir = m_cache->Dir();
    cache->sourcePath = m_sourcePath;
    cache->byRequest = IsDefaultOption();
    cache->resolution = m_resolution;
    cache->labels = m_labels;
    cache->seriesKeys = m_seriesKeys;
    cache->gaps = m_gaps;
    cache->firstGapLine = m_firstGapLine;
    return cache;
}

void CSVImporter::AddToProject(const FileIdentity& identity)
{
    // Each series remembers the file and how it was read, to read it again.
    auto read = std::make_shared<FileRead>(ReadOf(identity));
    read->cache = MakeCacheBase();
    std::vector<size_t> sources = SeriesSourceIndices(m_option, m_series.size());
    for (size_t k = 0; k < m_series.size(); ++k) {
        m_series[k]->SetSource(
            std::make_shared<FileSeriesSource>(read, sources[k], m_seriesKeys[k]));
        // Named before it joins: the panes rebuild once for it, not again for its label.
        m_series[k]->SetLabel(m_labels[k]);
        m_project.Add(m_series[k]);
    }
}

ResultCode CSVImporter::ReadSeries(ProcContext* context, int resolution)
{
    m_resolution = resolution;
    // Checked here, on the calling thread: a hit shows no progress at all.
    if (m_cache && !m_sourcePath.empty() && LoadCached(OptionKey(m_option, resolution), false))
        return ResultCode::SUCCESS;
    m_fromCache = false;
    ResultCode result = RunProgressProc(context, &CSVImporter::ImportInternal, this);
    if (result == ResultCode::SUCCESS) {
        std::vector<GraphDataY*> dataYs;
        for (const auto& series : m_series)
            dataYs.push_back(series->GetDataY().get());
        MipmapBuilder builder(std::move(dataYs), m_tuning.threadCount);
        if (m_stream) {
            std::shared_ptr<ColumnStreamFile> stream = m_stream;
            builder.SetAllocator([stream](size_t n) { return stream->Array<MinMax>(n); });
        }
        result = RunProgressProc(context, &MipmapBuilder::Build, &builder, resolution);
        if (result != ResultCode::SUCCESS && result != ResultCode::NOT_STARTED)
            m_message = _("Failed to allocate memory!");
    }
    if (result != ResultCode::SUCCESS) {
        m_series.clear();
        m_stream.reset(); // its file goes with it
    }
    return result;
}
