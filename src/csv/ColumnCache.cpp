#include "csv/ColumnCache.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "base/Checksum.h"
#include "base/FileUtil.h"
#include "csv/CSVImporter.h"
#include "model/GraphProject.h"
#include "csv/ColumnStream.h"

namespace {

constexpr const char* CACHE_SUFFIX = ".columns";
// A temporary file this old belongs to a writer that died: nobody will rename it.
constexpr time_t ORPHAN_SECONDS = 3600;

std::mutex g_cachesMutex;
std::vector<ColumnCache*> g_caches; // alive in the process

std::mutex g_logMutex;
std::function<void(const std::string&)> g_log;
std::atomic<bool> g_told{false};

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// mkdir -p, private to the user.
bool MakeDirs(const std::string& dir)
{
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    if (stat(dir.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

int64_t FreeBytes(const std::string& dir)
{
    struct statvfs info;
    if (statvfs(dir.c_str(), &info) != 0)
        return -1;
    return int64_t(info.f_bavail) * int64_t(info.f_frsize);
}

struct CacheEntry
{
    std::string path;
    int64_t bytes;
    int64_t used; // the file's mtime, set at every read
};

// The cache files of the folder, and the temporary files left by writers that died.
void ListCache(const std::string& dir, std::vector<CacheEntry>& files,
               std::vector<std::string>& orphans)
{
    DIR* folder = opendir(dir.c_str());
    if (!folder)
        return;
    const time_t now = std::time(nullptr);
    while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        const std::string path = dir + "/" + name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        if (name[0] != '.' && EndsWith(name, CACHE_SUFFIX))
            files.push_back({path, int64_t(info.st_size),
                             int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec});
        else if (name[0] == '.' && name.find(CACHE_SUFFIX) != std::string::npos &&
                 EndsWith(name, ".tmp") && now - info.st_mtime > ORPHAN_SECONDS)
            orphans.push_back(path);
    }
    closedir(folder);
}

// Holds the folder's lock: one writer at a time over all instances of the program.
class FolderLock
{
public:
    explicit FolderLock(const std::string& dir)
        : m_fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            close(m_fd); // releases the lock
    }
    // Waits for the lock, giving up when `cancel` is set.
    bool Take(const std::atomic<bool>& cancel)
    {
        if (m_fd < 0)
            return false;
        while (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK || cancel)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

private:
    int m_fd;
};

} // namespace

void CancelColumnCacheWrites()
{
    std::lock_guard<std::mutex> lock(g_cachesMutex);
    for (ColumnCache* cache : g_caches)
        cache->CancelWrites();
}

void StoreInColumnCache(const std::string& dir, std::shared_ptr<const CachedImport> import)
{
    std::lock_guard<std::mutex> lock(g_cachesMutex);
    for (ColumnCache* cache : g_caches) {
        if (cache->IsEnabled() && cache->Dir() == dir) {
            cache->Store(std::move(import));
            return;
        }
    }
}

std::string DefaultColumnCacheDir()
{
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/')
        return std::string(xdg) + "/ardentine";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.cache/ardentine";
}

ColumnCache::ColumnCache(ColumnCacheSettings settings)
    : m_settings(std::move(settings)),
      m_dir(m_settings.dir.empty() ? DefaultColumnCacheDir() : m_settings.dir)
{
    while (m_dir.size() > 1 && m_dir.back() == '/')
        m_dir.pop_back();
    std::lock_guard<std::mutex> lock(g_cachesMutex);
    g_caches.push_back(this);
}

ColumnCache::~ColumnCache()
{
    DropPrefetches();
    {
        std::lock_guard<std::mutex> lock(g_cachesMutex);
        g_caches.erase(std::find(g_caches.begin(), g_caches.end(), this));
    }
    CancelWrites();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

std::string ColumnCache::FileFor(const std::string& sourcePath) const
{
    char name[40];
    std::snprintf(
        name, sizeof name, "%016llx%016llx",
        static_cast<unsigned long long>(ChecksumBytes(sourcePath.data(), sourcePath.size(), 1)),
        static_cast<unsigned long long>(ChecksumBytes(sourcePath.data(), sourcePath.size(), 2)));
    return m_dir + "/" + name + CACHE_SUFFIX;
}

CacheRead ColumnCache::Load(const std::string& sourcePath, const std::string& key, bool byRequest,
                            CachedImport& out)
{
    if (!m_settings.enabled || sourcePath.empty())
        return CacheRead::ABSENT;
    if (auto prefetched = TakePrefetch(sourcePath, key, byRequest)) {
        out = std::move(prefetched->import);
        return prefetched->result;
    }
    return ReadCacheFile(FileFor(sourcePath), sourcePath, key, byRequest, out, afterKeyCheck,
                         m_settings.arrays);
}

CacheRead ColumnCache::LoadShapes(const std::string& sourcePath, const std::string& key,
                                  bool byRequest, CachedImport& out)
{
    if (!m_settings.enabled || sourcePath.empty())
        return CacheRead::ABSENT;
    return ReadCacheFile(FileFor(sourcePath), sourcePath, key, byRequest, out, afterKeyCheck,
                         CacheArrays::NONE);
}

void ColumnCache::Prefetch(const std::string& sourcePath, const std::string& key, bool byRequest)
{
    if (!m_settings.enabled || sourcePath.empty())
        return;
    auto prefetched = std::make_unique<Prefetched>();
    prefetched->sourcePath = sourcePath;
    prefetched->key = key;
    prefetched->byRequest = byRequest;
    Prefetched& p = *prefetched;
    try {
        p.thread = std::thread([this, &p] {
            p.result = ReadCacheFile(FileFor(p.sourcePath), p.sourcePath, p.key, p.byRequest,
                                     p.import, afterKeyCheck, m_settings.arrays);
        });
    } catch (const std::system_error&) {
        return; // the Load reads it then
    }
    std::lock_guard<std::mutex> lock(m_prefetchMutex);
    m_prefetched.push_back(std::move(prefetched));
}

bool ColumnCache::PrefetchLoaded(const std::string& sourcePath, const std::string& key,
                                 bool byRequest)
{
    std::unique_ptr<Prefetched> prefetched = TakePrefetch(sourcePath, key, byRequest);
    if (!prefetched)
        return false;
    const bool loaded = prefetched->result == CacheRead::LOADED;
    std::lock_guard<std::mutex> lock(m_prefetchMutex);
    m_prefetched.push_back(std::move(prefetched)); // ended: the Load takes it at once
    return loaded;
}

// The prefetch of these, ended, out of the list; null when there is none.
std::unique_ptr<ColumnCache::Prefetched>
ColumnCache::TakePrefetch(const std::string& sourcePath, const std::string& key, bool byRequest)
{
    std::unique_ptr<Prefetched> prefetched;
    {
        std::lock_guard<std::mutex> lock(m_prefetchMutex);
        for (auto it = m_prefetched.begin(); it != m_prefetched.end(); ++it) {
            if ((*it)->sourcePath == sourcePath && (*it)->key == key &&
                (*it)->byRequest == byRequest) {
                prefetched = std::move(*it);
                m_prefetched.erase(it);
                break;
            }
        }
    }
    if (prefetched && prefetched->thread.joinable())
        prefetched->thread.join();
    return prefetched;
}

void ColumnCache::DropPrefetches()
{
    std::lock_guard<std::mutex> lock(m_prefetchMutex);
    for (auto& prefetched : m_prefetched)
        if (prefetched->thread.joinable())
            prefetched->thread.join();
    m_prefetched.clear();
}

void ColumnCache::Store(std::shared_ptr<const CachedImport> import)
{
    if (!m_settings.enabled || !import || import->sourcePath.empty())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread(&ColumnCache::WriterLoop, this);
        } catch (const std::system_error&) {
            ReportOnce("no thread to write it");
            return;
        }
    }
    m_queue.push_back(std::move(import));
    m_wake.notify_one();
}

void ColumnCache::WaitForWrites()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void ColumnCache::CancelWrites()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_queue.clear();
    m_cancel = true;
    m_idle.wait(lock, [this] { return !m_busy; });
    m_cancel = false;
}

void ColumnCache::WriterLoop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        std::shared_ptr<const CachedImport> import = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        WriteOne(*import);
        import.reset(); // lets the series' memory go before the next wait
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

bool ColumnCache::UsableDir(std::string& why)
{
    if (!m_settings.enabled) {
        why = "the column cache is off";
        return false;
    }
    if (MakeDirs(m_dir))
        return true;
    why = "can't use the folder " + m_dir + ": " + std::strerror(errno);
    ReportOnce(why);
    return false;
}

namespace {

// `grown` keyed and described as a fresh import of its source would be, from a scan of the
// source now; false when the scan gives another option or the source changed meanwhile.
bool Rescan(const CachedImport& grown, CachedImport& out)
{
    auto scratch = CreateGraphProject();
    CSVImporter importer(NarrowToWide(grown.sourcePath.data(), grown.sourcePath.size()), *scratch);
    importer.SetSeparator(grown.separator);
    importer.Request() = grown.request;
    if (importer.ScanInfo(nullptr) != ResultCode::SUCCESS ||
        CacheOptionKey(grown.separator, grown.request, importer.GetOption(), grown.resolution) !=
            grown.optionKey ||
        ReadSourceStamp(grown.sourcePath) != grown.stamp)
        return false;
    out = grown;
    out.info = importer.GetInfo();
    out.rescan = false;
    return true;
}

} // namespace

void ColumnCache::WriteOne(const CachedImport& grownOrNot)
{
    CachedImport rescanned;
    if (grownOrNot.rescan && !Rescan(grownOrNot, rescanned)) {
        ++m_skipped;
        return;
    }
    const CachedImport& import = grownOrNot.rescan ? rescanned : grownOrNot;
    if (!MakeDirs(m_dir)) {
        ReportOnce("can't use the folder " + m_dir + ": " + std::strerror(errno));
        ++m_skipped;
        return;
    }
    FolderLock folder(m_dir);
    if (!folder.Take(m_cancel)) {
        if (!m_cancel)
            ReportOnce("can't lock the folder " + m_dir + ": " + std::strerror(errno));
        ++m_skipped;
        return;
    }
    const std::string target = FileFor(import.sourcePath);
    // Another instance that read the same file wrote it while this one parsed.
    if (CacheFileHolds(target, import.optionKey, import.stamp)) {
        ++m_skipped;
        return;
    }
    const int64_t bytes = CacheFileBytes(import);
    const int64_t free = FreeBytes(m_dir);
    if (!import.stream && free >= 0 && bytes > free) {
        ReportOnce("not enough space in " + m_dir);
        ++m_skipped;
        return;
    }
    if (bytes > CapBytes()) {
        ++m_skipped; // larger than the whole cache may be: not an error
        return;
    }
    std::string error;
    // A streamed import is on the disk already (its space was taken when it began).
    const CacheWrite written =
        import.stream ? FinishStreamedCacheFile(*import.stream, target, import, m_cancel, error)
                      : WriteCacheFile(target, import, m_cancel, error);
    switch (written) {
    case CacheWrite::WRITTEN:
        ++m_written;
        Evict(target);
        break;
    case CacheWrite::FAILED:
        ReportOnce("can't write to " + m_dir + ": " + error);
        ++m_skipped;
        break;
    case CacheWrite::CANCELLED:
        ++m_skipped;
        break;
    }
}

int64_t ColumnCache::CapBytes() const
{
    if (m_settings.maxBytes > 0)
        return m_settings.maxBytes;
    const int64_t free = FreeBytes(m_dir);
    return free > 0 ? free / 10 : 0;
}

void ColumnCache::Evict(const std::string& keep)
{
    std::vector<CacheEntry> files;
    std::vector<std::string> orphans;
    ListCache(m_dir, files, orphans);
    for (const std::string& orphan : orphans)
        unlink(orphan.c_str());
    const int64_t cap = CapBytes();
    int64_t total = 0;
    for (const CacheEntry& file : files)
        total += file.bytes;
    std::sort(files.begin(), files.end(),
              [](const CacheEntry& a, const CacheEntry& b) { return a.used < b.used; });
    for (const CacheEntry& file : files) {
        if (total <= cap)
            break;
        if (file.path != keep && unlink(file.path.c_str()) == 0)
            total -= file.bytes;
    }
}

int ColumnCache::Clear()
{
    DropPrefetches();
    CancelWrites();
    std::vector<CacheEntry> files;
    std::vector<std::string> orphans;
    ListCache(m_dir, files, orphans);
    int removed = 0;
    for (const CacheEntry& file : files)
        removed += unlink(file.path.c_str()) == 0;
    for (const std::string& orphan : orphans)
        unlink(orphan.c_str());
    return removed;
}

void ColumnCache::SetLog(std::function<void(const std::string&)> log)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_log = std::move(log);
}

void ColumnCache::ResetLogOnce()
{
    g_told = false;
}

void ColumnCache::ReportOnce(const std::string& why)
{
    if (g_told.exchange(true))
        return;
    const std::string line = "Imports are not cached: " + why;
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_log)
        g_log(line);
    else
        std::fprintf(stderr, "%s\n", line.c_str());
}
