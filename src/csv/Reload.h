#pragma once

// Reading files again: what a series remembers of its file, how a file changed since, and
// the reload that appends what a growing file gained or reads a replaced one again whole,
// keeping each series (its label, style and place) and the view.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportOption.h"
#include "csv/CSVImportTuning.h"
#include "csv/Dialect.h"
#include "model/GraphData.h"
#include "progress/ProgressProc.h"
#include "progress/ResultCode.h"

class ColumnCache;
class GraphProject;

// A file as it was read: its inode and the hashes of its first and last bytes up to `size`
// (the end of the last line read), so that a change anywhere before that end is seen.
struct FileIdentity
{
    bool exists = false;
    int64_t size = 0;
    uint64_t device = 0, inode = 0;
    uint64_t head = 0, tail = 0;

    friend bool operator==(const FileIdentity& a, const FileIdentity& b)
    {
        return a.exists == b.exists && a.size == b.size && a.device == b.device &&
               a.inode == b.inode && a.head == b.head && a.tail == b.tail;
    }
    friend bool operator!=(const FileIdentity& a, const FileIdentity& b) { return !(a == b); }
};

// Bytes hashed at each end.
constexpr int64_t IDENTITY_BYTES = 4096;

// The identity of `path` read up to `end`.
FileIdentity ReadFileIdentity(const std::string& path, int64_t end);

enum class FileChange
{
    SAME,     // nothing after the old end, nothing changed before it
    GREW,     // bytes after the old end, the old bytes as they were
    REPLACED, // shorter, another inode, or changed before the old end: read it whole
    GONE,
};
FileChange CompareWithFile(const FileIdentity& then, const std::string& path);

// What the column cache needs of an import, beyond its series and this read, to write
// it again once appends grew it.
struct CacheBase
{
    std::string dir; // of the cache that holds the import
    std::string sourcePath;
    bool byRequest = false; // its option was the scan's default
    int resolution = 0;
    std::vector<wxString> labels; // as imported, in the importer's order
    std::vector<std::string> seriesKeys;
    int64_t gaps = 0, firstGapLine = 0;
};

// What one import read, shared by the series it made.
struct FileRead
{
    wxString path;
    wxChar separator = ',';
    DialectRequest request;
    CSVImportOption option; // dataRows: the lines read so far
    CSVFileInfo info;
    int64_t dataEnd = 0; // after the last line read
    bool endedWithLineFeed = true;
    std::vector<double> lastX; // the last value of each X column
    FileIdentity identity;
    // Null when the import is not cached; `grown` once appends made the cache stale, until
    // the grown series are queued to be cached once the file is quiet.
    std::shared_ptr<const CacheBase> cache;
    bool grown = false;
};

// A followed file that has not changed for this long is quiet: its grown series are cached.
constexpr int64_t QUIET_NANOS = 2000000000;

struct FileSeriesSource : SeriesSource
{
    FileSeriesSource(std::shared_ptr<FileRead> r, size_t s, std::string k)
        : read(std::move(r)), source(s), key(std::move(k))
    {
    }
    std::shared_ptr<FileRead> read;
    size_t source;   // of read->option.dataSources
    std::string key; // of the split column; empty without a split
};

// The data source of each of an import's `count` series, in the converter's order.
std::vector<size_t> SeriesSourceIndices(const CSVImportOption& option, size_t count);

struct ReloadReport
{
    int same = 0, grown = 0, replaced = 0, gone = 0, failed = 0;
    int64_t newPoints = 0;
    wxString message; // of the first file that is gone or failed
};

// Gives every file-backed series room to grow by a quarter in place, so that following
// its file costs each append in proportion to what it adds (one copy now).
void PrepareToFollow(GraphProject& project);

// What one file gained since it was read, found without touching the project, so that a
// worker thread can do it; the series take it on the main thread (ApplyFileUpdate).
struct FileUpdate
{
    std::shared_ptr<FileRead> read; // the series' read this brings up to date
    FileRead then;                  // a copy of it as it was when this began
    FileChange change = FileChange::SAME;
    bool more = false; // GREW: stopped at the byte limit, more lines wait
    // GREW: the new complete records, a chunk per data source, and where they end.
    int64_t count = 0, end = 0;
    std::vector<std::shared_ptr<GraphData>> chunks;
    std::vector<double> lastX;
    int64_t gaps = 0; // cells without a value among them
    // Read whole (REPLACED, or a growth that can't be appended): the series as a fresh
    // import makes them, with their data source and split value, and the read after it.
    ResultCode result = ResultCode::SUCCESS;
    wxString message;
    std::vector<std::shared_ptr<GraphData>> fresh;
    std::vector<std::pair<size_t, std::string>> freshSources;
    FileRead now;
};

// The distinct reads the project's series came from, in series order.
std::vector<std::shared_ptr<FileRead>> FileReadsOf(const GraphProject& project);

// Looks at the file of `then` (a copy of *read): what it gained when it only grew (at
// most `maxBytes` of new lines), or the file read whole when it was replaced or `whole`.
// Touches nothing but the file (and `cache`, when given: a whole read comes from it when
// it holds one of the file as it is now, and goes to it otherwise); `context` shows the
// progress of a whole read.
FileUpdate ReadFileUpdate(std::shared_ptr<FileRead> read, FileRead then, bool whole,
                          const CSVImportTuning& tuning, int resolution, ProcContext* context,
                          int64_t maxBytes = INT64_MAX, ColumnCache* cache = nullptr);

// Gives the series of `update.read` still in the project what the update found, and counts
// it in `report`. False when what the file gained can't be appended as it stands (the X
// stops stepping evenly, goes down ...): read it whole then. An update begun before the
// read last changed (a reload in between) is dropped.
bool ApplyFileUpdate(GraphProject& project, const FileUpdate& update, int resolution,
                     ReloadReport& report);

// Reads every file that series of the project came from again: a file that only grew has
// its new complete lines appended (a last line without its end waits), a replaced one is
// read whole with the same option; a file that is gone, or fails, leaves its series as
// they are (the report says so). `context` shows progress of whole reads.
void ReloadProject(GraphProject& project, const CSVImportTuning& tuning, int resolution,
                   ProcContext* context, ReloadReport& report);
