#pragma once

// The file the column cache keeps for one source file: what an import of it made (its
// series with their X, time origins and pyramids, and what a reload needs to know), under
// a key of how the source was and how it was read.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/string.h>

#include "csv/CSVImportOption.h"
#include "csv/Dialect.h"
#include "csv/Reload.h"
#include "model/GraphData.h"

// The source file as stat sees it: a change of any of these makes its cache stale.
class ColumnStreamFile;

struct SourceStamp
{
    bool exists = false;
    int64_t size = 0;
    int64_t mtimeNanos = 0;
    uint64_t device = 0, inode = 0;

    friend bool operator==(const SourceStamp& a, const SourceStamp& b)
    {
        return a.exists == b.exists && a.size == b.size && a.mtimeNanos == b.mtimeNanos &&
               a.device == b.device && a.inode == b.inode;
    }
    friend bool operator!=(const SourceStamp& a, const SourceStamp& b) { return !(a == b); }
};
SourceStamp ReadSourceStamp(const std::string& path);

// How an import read its file, as key text: equal texts read the same series from the
// same bytes. The request key stands for "the default option the scan of this request
// gives"; the option key for one option exactly.
std::string CacheRequestKey(wxChar separator, const DialectRequest& request, int resolution);
std::string CacheOptionKey(wxChar separator, const DialectRequest& request,
                           const CSVImportOption& option, int resolution);

// What an import made, as the cache keeps it.
struct CachedImport
{
    std::string sourcePath;
    SourceStamp stamp;      // of the source when it was read
    std::string requestKey; // empty unless the option was the scan's default
    std::string optionKey;
    wxChar separator = ',';
    CSVFileInfo info;
    CSVImportOption option;
    std::vector<wxString> labels;
    std::vector<std::string> seriesKeys;
    int64_t gaps = 0, firstGapLine = 0;
    int64_t dataEnd = 0;
    bool endedWithLineFeed = true;
    std::vector<double> lastX;
    FileIdentity identity; // of the source up to dataEnd, when it was read
    std::vector<std::shared_ptr<GraphData>> series;
    std::vector<SeriesShape> shapes; // read only, from the metadata
    // The file the series' arrays were parsed into, when the import streamed (see
    // csv/ColumnStream.h): finished in place instead of written anew.
    std::shared_ptr<ColumnStreamFile> stream;
    // Grown by appends: written only when a scan of the source now gives `option` (the
    // file info then the scan's), so that the cache holds what a fresh import would make.
    bool rescan = false;
    DialectRequest request; // for the rescan: not written
    int resolution = 0;
};

// The cache's description of `series`, read as `read` says by the import `base` describes,
// from the source as `stamp` saw it.
std::shared_ptr<CachedImport> MakeCachedImport(const FileRead& read, const CacheBase& base,
                                               const SourceStamp& stamp,
                                               std::vector<std::shared_ptr<GraphData>> series);

enum class CacheRead
{
    LOADED,
    ABSENT,        // no file
    OTHER_KEY,     // another option, or another file of the same name: kept
    STALE,         // the source changed since: deleted
    DAMAGED,       // short, or its checksum does not match: deleted
    OTHER_VERSION, // written by another version of the program: deleted
};
const char* CacheReadName(CacheRead result);

// Where the arrays of a cache file go when it is read.
enum class CacheArrays
{
    // The series map the file, so the system pages them in and out. The least work: its
    // pages are the system's file cache, with no copy and no fresh memory to clear.
    MAP,
    READ, // into memory of the process's own, read and checked piece by piece on two threads
    NONE, // no series, only their shapes: the metadata alone is read and checked
};

// Reads the cache file of `sourcePath` when it holds the import of `key` (a request key
// when `byRequest`, else an option key) and the source is as it was then. Checks the key
// and the source first, then the checksum of every byte it gives, and only then makes
// series: their arrays are read from the cache file or map it (privately; never the
// source), so that a later change of the source does not reach them and shows as a stale
// key next time. `afterKeyCheck`, when set, runs between the check of the source and the
// reading of the arrays (tests).
CacheRead ReadCacheFile(const std::string& cachePath, const std::string& sourcePath,
                        const std::string& key, bool byRequest, CachedImport& out,
                        const std::function<void()>& afterKeyCheck = {},
                        CacheArrays arrays = CacheArrays::MAP);

// Whether the cache file holds a sound-looking import of this option and source stamp (the
// head and keys only, no checksum): another writer got there first.
bool CacheFileHolds(const std::string& cachePath, const std::string& optionKey,
                    const SourceStamp& stamp);

enum class CacheWrite
{
    WRITTEN,
    CANCELLED,
    FAILED, // `error` says why
};
// Writes the import through AtomicFile: readers see the old file or the whole new one.
// `cancel` is polled between pieces; the series must not change meanwhile.
CacheWrite WriteCacheFile(const std::string& cachePath, const CachedImport& import,
                          const std::atomic<bool>& cancel, std::string& error);

// Makes the streamed file of the import its cache file: arrays the series hold in it stay
// where they are, others are added, then the metadata and head go in front and the file
// takes the cache file's name (rename: readers see the old file or the whole new one).
CacheWrite FinishStreamedCacheFile(ColumnStreamFile& file, const std::string& cachePath,
                                   const CachedImport& import, const std::atomic<bool>& cancel,
                                   std::string& error);

// The bytes WriteCacheFile would write, near enough to check a size cap first.
int64_t CacheFileBytes(const CachedImport& import);
