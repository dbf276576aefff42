#pragma once

// The column cache: what imports made, kept in files of the user's cache folder so that
// opening the same file the same way again maps them instead of parsing. Writes run on a
// thread of their own after the import; reads are quick enough for the calling thread.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "csv/ColumnCacheFile.h"

struct ColumnCacheSettings
{
    bool enabled = true;
    std::string dir;      // empty: DefaultColumnCacheDir()
    int64_t maxBytes = 0; // 0 or less: a tenth of the free space of the folder's disk
    CacheArrays arrays = CacheArrays::MAP;
};

// $XDG_CACHE_HOME/ardentine, or ~/.cache/ardentine.
std::string DefaultColumnCacheDir();

// Stops the writes of every column cache of the process (see CancelWrites): called before
// series grow in place, which a write running beside would read half-changed.
void CancelColumnCacheWrites();

// Queues `import` to be written by the live, enabled column cache of folder `dir` (none:
// dropped): for follow's grown series, whose cache may have been made again meanwhile.
void StoreInColumnCache(const std::string& dir, std::shared_ptr<const CachedImport> import);

class ColumnCache
{
public:
    explicit ColumnCache(ColumnCacheSettings settings);
    // Abandons writes not finished (their temporary files go with them).
    ~ColumnCache();
    ColumnCache(const ColumnCache&) = delete;
    ColumnCache& operator=(const ColumnCache&) = delete;

    bool IsEnabled() const { return m_settings.enabled; }
    const std::string& Dir() const { return m_dir; }
    // Whether imports may stream into the folder: the cache is on and the folder is there
    // (made when missing; a failure is told once). `why` says why not.
    bool UsableDir(std::string& why);
    // The cache file of a source file (named from its path).
    std::string FileFor(const std::string& sourcePath) const;

    // The import of `key` (see ReadCacheFile) when the cache holds it for the source as it
    // is now; a stale, damaged or foreign file is deleted on the way.
    CacheRead Load(const std::string& sourcePath, const std::string& key, bool byRequest,
                   CachedImport& out);
    // As Load, with no series: only their shapes, from the metadata alone (a listing).
    CacheRead LoadShapes(const std::string& sourcePath, const std::string& key, bool byRequest,
                         CachedImport& out);

    // Starts the Load of these on a thread of its own, for the Load of the same arguments
    // to take (at start-up, the cache is read while the window is made).
    void Prefetch(const std::string& sourcePath, const std::string& key, bool byRequest);
    // Whether the prefetch of these loaded the import (waits for it to end; false when
    // there is none). The import stays for the Load.
    bool PrefetchLoaded(const std::string& sourcePath, const std::string& key, bool byRequest);

    // Waits for the prefetches and drops those no Load took (their series' memory).
    void DropPrefetches();

    // Queues the import to be written (its series must not grow until it is: see
    // CancelWrites). Skipped when the cache is off, another writer has written it already,
    // or it alone is larger than the cap; after a write the least recently used files go
    // until the cache fits its cap.
    void Store(std::shared_ptr<const CachedImport> import);
    // Waits until every queued write has ended.
    void WaitForWrites();
    // Drops queued writes and stops the one running: before series grow in place.
    void CancelWrites();

    // Removes every cache file; the number removed.
    int Clear();

    // The cap in bytes now.
    int64_t CapBytes() const;

    // What the writes did (for tests and the trace).
    int WrittenCount() const { return m_written; }
    int SkippedCount() const { return m_skipped; }

    // Runs between the check of the source and the mapping of a read (tests).
    std::function<void()> afterKeyCheck;

    // Where the one message of a cache that can't be written goes (default: stderr).
    static void SetLog(std::function<void(const std::string&)> log);
    // Lets the next failure be told again (tests).
    static void ResetLogOnce();

private:
    struct Prefetched
    {
        std::string sourcePath, key;
        bool byRequest;
        std::thread thread;
        CacheRead result = CacheRead::ABSENT;
        CachedImport import;
    };
    std::unique_ptr<Prefetched> TakePrefetch(const std::string& sourcePath, const std::string& key,
                                             bool byRequest);

    void WriterLoop();
    void WriteOne(const CachedImport& import);
    void Evict(const std::string& keep);
    void ReportOnce(const std::string& why);

    ColumnCacheSettings m_settings;
    std::string m_dir;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::shared_ptr<const CachedImport>> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    std::atomic<bool> m_cancel{false};
    std::atomic<int> m_written{0};
    std::atomic<int> m_skipped{0};
    std::thread m_thread;
    std::mutex m_prefetchMutex;
    std::vector<std::unique_ptr<Prefetched>> m_prefetched; // not yet taken by a Load
};
