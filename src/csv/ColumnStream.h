#pragma once

// A new cache file that an import too large for memory is parsed into: its columns and
// pyramid levels are shared mappings of the file, so their pages belong to the page cache
// (written back and dropped under pressure) instead of being the process's own memory.
// The file keeps a temporary name until the cache writer finishes it (see
// FinishStreamedCacheFile); otherwise it is removed when this goes, while the series that
// map it keep their pages.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "model/LargeArray.h"

class ColumnStreamFile
{
public:
    // Gives the file room for [offset, offset + bytes): 0, or an errno (posix_fallocate's
    // contract; tests put a full disk here).
    using Reserve = std::function<int(int fd, int64_t offset, int64_t bytes)>;

    ~ColumnStreamFile();
    ColumnStreamFile(const ColumnStreamFile&) = delete;
    ColumnStreamFile& operator=(const ColumnStreamFile&) = delete;

    // A temporary file in `dir` with `metaRoom` bytes for the head and `bytes` bytes of
    // arrays, all reserved on the disk now: a full disk fails here, never as a SIGBUS
    // while the mappings are written. Null, with `error`, when that fails (nothing left).
    static std::shared_ptr<ColumnStreamFile> Create(const std::string& dir, uint64_t metaRoom,
                                                    uint64_t bytes, const Reserve& reserve,
                                                    std::string& error);

    // `count` elements in the file (zeros), or on the heap when too small to be a mapping
    // of its own. Grows the file past its first size when needed; throws std::bad_alloc
    // when it can't. Safe from several threads.
    template <typename T> LargeArray<T> Array(std::size_t count)
    {
        if (count * sizeof(T) < LARGE_ARRAY_THRESHOLD)
            return LargeArray<T>(count);
        return AdoptMapping(static_cast<T*>(MapNew(count * sizeof(T))), count);
    }

    // A region the file handed out: where it was mapped, and where it lies in the file.
    struct Region
    {
        const void* address;
        uint64_t offset;
        uint64_t bytes;
    };
    // Every region so far, in the order handed out.
    std::vector<Region> Regions() const;

    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }
    uint64_t MetaRoom() const { return m_metaRoom; }
    // Room for `bytes` more at the end of the file (page aligned): its offset. Throws
    // std::bad_alloc when the disk has no room.
    uint64_t Extend(uint64_t bytes);
    // The end of the last region: the file's length once finished.
    uint64_t End() const;
    // The file now has the cache file's name: it stays.
    void Committed() { m_committed = true; }

private:
    ColumnStreamFile() = default;
    void* MapNew(std::size_t bytes);

    mutable std::mutex m_mutex;
    int m_fd = -1;
    std::string m_path;
    Reserve m_reserve;
    uint64_t m_metaRoom = 0;
    uint64_t m_next = 0;     // where the next region goes
    uint64_t m_reserved = 0; // the file's length so far
    bool m_committed = false;
    std::vector<Region> m_regions;
};

// Head room for the metadata of an import of these texts (labels, column names, paths)
// and series: generous, since the metadata is written last, in front of the arrays.
uint64_t StreamMetaRoom(std::size_t textBytes, std::size_t seriesCount);
