#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportOption.h"
#include "csv/ColumnCacheFile.h"
#include "csv/CSVImportTuning.h"
#include "csv/Dialect.h"
#include "model/GraphData.h"
#include "progress/ProgressProc.h"
#include "progress/ResultCode.h"

class ColumnCache;
class ColumnStreamFile;
class GraphProject;
struct CSVLineIndex;

// Scans a CSV/TXT file for its shape, then imports chosen columns as series. Long
// operations return a ResultCode and never throw; the text of a failure is in
// GetErrorMessage(). The work is done by its parts: CSVScanner (csv/CSVScanner.h) and
// CSVConverter (csv/CSVConverter.h).
class CSVImporter
{
public:
    CSVImporter(const wxString& fileName, GraphProject& project);
    ~CSVImporter();

    // Tab, space, comma or semicolon, fixed for the plain reading and the detection.
    // Unset, the plain reading uses a comma and the detection finds the separator.
    void SetSeparator(wxChar separator);
    wxChar GetSeparator() const { return m_separator; }
    // What else the user fixed before the scan (decimal mark, time columns, no detection).
    DialectRequest& Request() { return m_request; }

    ResultCode ScanInfo(ProcContext* context);
    ResultCode ScanInfoInternal(Progress* progress);

    CSVFileInfo GetInfo() const { return m_info; }
    CSVImportOption GetOption() const { return m_option; }
    void SetOption(const CSVImportOption& option) { m_option = option; }
    wxString GetErrorMessage() const { return m_message; }

    // The whole import as the desktop runs it: converts, builds every series' mipmap
    // for `resolution` (the "/Mipmap/Resolution" setting), then adds the series to the
    // project and labels them, on the calling thread and only when all of that
    // succeeded.
    ResultCode Import(ProcContext* context, int resolution = DEFAULT_MIPMAP_RESOLUTION);
    // Import without the project: the series, labels (GetLabels) and mipmaps only.
    ResultCode ReadSeries(ProcContext* context, int resolution = DEFAULT_MIPMAP_RESOLUTION);
    const std::vector<wxString>& GetLabels() const { return m_labels; }
    // The split column's value each series holds (empty without a split).
    const std::vector<std::string>& GetSeriesKeys() const { return m_seriesKeys; }
    // Where the last converted line ends, and whether it had its line end.
    int64_t GetDataEnd() const { return m_dataEnd; }
    bool DataEndedWithLineFeed() const { return m_dataEndedWithLineFeed; }
    const std::vector<double>& GetLastX() const { return m_lastX; }
    // Reads and converts; fills the series list (nothing reaches the project).
    ResultCode ImportInternal(Progress* progress);

    // Cells of the last import that had no value (NaN gaps now), and the 1-based line of
    // the first (0 when none).
    int64_t GetGapCount() const { return m_gaps; }
    int64_t GetFirstGapLine() const { return m_firstGapLine; }

    // Series of the last import, in the order of the data sources (unlabelled).
    const std::vector<std::shared_ptr<GraphData>>& GetSeries() const { return m_series; }

    // The column cache that imports are read from and written to (null: none). An import
    // of an option the cache holds for the file as it is now takes its series from there
    // without converting; any other import queues its series to be written there.
    void SetColumnCache(ColumnCache* cache) { m_cache = cache; }
    // The import of the default option, from the cache and without a scan, on the calling
    // thread: true when the cache held it (the series are then in the project as Import
    // puts them); false, with nothing changed, when it did not.
    bool ImportCached(int resolution = DEFAULT_MIPMAP_RESOLUTION);
    // The shapes of the series ImportCached would add, from the cache's metadata alone:
    // true when the cache held them (the gap counts are then set too); nothing is added.
    bool ListCached(std::vector<SeriesShape>& shapes, int resolution = DEFAULT_MIPMAP_RESOLUTION);
    // The whole file read with `option` (its rows up to the file's end, as a reload reads
    // it), from the cache and without a scan, on the calling thread: true when the cache
    // held that read of the file as it is now (the series are then as ReadSeries leaves
    // them); false, with nothing read, when it did not.
    bool ReadWholeCached(const CSVImportOption& option, int resolution);
    // Whether the last import was parsed into a new cache file (too large for memory).
    bool IsStreamed() const { return m_streamed; }
    // Starts ImportCached's read of the cache on a thread of its own, for ImportCached to
    // take (see ColumnCache::Prefetch); and whether that read found the import (waits for
    // it to end; false without one).
    void PrefetchCached(int resolution = DEFAULT_MIPMAP_RESOLUTION);
    // The same for ReadWholeCached of `option`.
    void PrefetchWholeCached(const CSVImportOption& option, int resolution);
    bool IsWholePrefetched(const CSVImportOption& option, int resolution);
    bool IsPrefetched(int resolution = DEFAULT_MIPMAP_RESOLUTION);
    // Whether the series of the last import came from the cache.
    bool IsFromCache() const { return m_fromCache; }
    // The file as the last read saw it: from the cache, as it was when cached.
    FileIdentity GetReadIdentity() const;
    // Queues the series of the last ReadSeries for the cache (Import does it itself).
    void StoreRead() { StoreInCache(GetReadIdentity()); }

    // What the cache needs, beside the series, to write the last import again once
    // appends grew it (null without a cache).
    // How the last import read its file, as its series remember it.
    FileRead ReadOf(const FileIdentity& identity) const;
    std::shared_ptr<const CacheBase> MakeCacheBase() const;

    // Tuning and test hooks (threads, memory limit, ...).
    CSVImportTuning& Tuning() { return m_tuning; }

private:
    // The cache keys of reading this file with the default option, or with `option`.
    std::string RequestKey(int resolution) const;
    std::string OptionKey(const CSVImportOption& option, int resolution) const;
    bool LoadCached(const std::string& key, bool byRequest);
    void AddToProject(const FileIdentity& identity);
    void StoreInCache(const FileIdentity& identity);
    // Whether the option is the one the scan gives (the cache's request key holds it).
    bool IsDefaultOption() const;

    GraphProject& m_project;
    wxString m_fileName;
    wxChar m_separator = ',';
    DialectRequest m_request;
    int64_t m_gaps = 0;
    int64_t m_firstGapLine = 0;
    CSVFileInfo m_info;
    CSVImportOption m_option;
    wxString m_message;
    std::vector<std::shared_ptr<GraphData>> m_series;
    std::vector<wxString> m_labels; // of m_series
    std::vector<std::string> m_seriesKeys;
    int64_t m_dataEnd = 0;
    bool m_dataEndedWithLineFeed = true;
    std::vector<double> m_lastX;

    CSVImportTuning m_tuning;
    std::unique_ptr<CSVLineIndex> m_lineIndex; // of the last scan
    int m_resolution = DEFAULT_MIPMAP_RESOLUTION;

    ColumnCache* m_cache = nullptr;
    std::string m_sourcePath;        // absolute, for the cache; empty when unknown
    SourceStamp m_scanStamp;         // the file when its scan began
    CSVImportOption m_scannedOption; // the default option of the last scan
    bool m_fromCache = false;
    FileIdentity m_cachedIdentity;              // of the file when the cached series were read
    std::shared_ptr<ColumnStreamFile> m_stream; // of the last import, when it streamed
    bool m_streamed = false;
    bool m_cachedDefault = false; // the cached import's option was its scan's default
};
