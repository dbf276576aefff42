#include "csv/ColumnStream.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr uint64_t PAGE = 4096;

uint64_t RoundToPage(uint64_t bytes)
{
    return (bytes + PAGE - 1) / PAGE * PAGE;
}

// Reserved beyond what is asked when the file grows, so that growth is rare.
constexpr uint64_t GROWTH_STEP = uint64_t(64) << 20;

} // namespace

uint64_t StreamMetaRoom(std::size_t textBytes, std::size_t seriesCount)
{
    // The texts stand in the metadata a few times (the keys repeat the option); each series
    // has a fixed entry and one per pyramid level (at most 64).
    return (uint64_t(64) << 10) + RoundToPage(8 * uint64_t(textBytes)) +
           RoundToPage(uint64_t(seriesCount) * 2048);
}

std::shared_ptr<ColumnStreamFile> ColumnStreamFile::Create(const std::string& dir,
                                                           uint64_t metaRoom, uint64_t bytes,
                                                           const Reserve& reserve,
                                                           std::string& error)
{
    std::shared_ptr<ColumnStreamFile> file(new ColumnStreamFile);
    // The cache's rule for temporary files: a dot, the suffix inside, ".tmp" at the end
    // (one left by a crash is removed an hour later).
    std::string name = dir + "/.stream-XXXXXX.columns.tmp";
    file->m_fd = mkostemps(&name[0], int(std::strlen(".columns.tmp")), O_CLOEXEC);
    if (file->m_fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    file->m_path = name;
    file->m_reserve = reserve ? reserve : [](int fd, int64_t offset, int64_t length) {
        return posix_fallocate(fd, off_t(offset), off_t(length));
    };
    file->m_metaRoom = RoundToPage(metaRoom);
    file->m_next = file->m_metaRoom;
    const uint64_t total = file->m_metaRoom + RoundToPage(bytes);
    const int failed = file->m_reserve(file->m_fd, 0, int64_t(total));
    if (failed != 0) {
        error = std::strerror(failed);
        return nullptr; // the destructor removes the file
    }
    file->m_reserved = total;
    return file;
}

ColumnStreamFile::~ColumnStreamFile()
{
    if (m_fd >= 0)
        close(m_fd);
    if (!m_committed && !m_path.empty())
        unlink(m_path.c_str());
}

uint64_t ColumnStreamFile::Extend(uint64_t bytes)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t length = RoundToPage(bytes);
    const uint64_t offset = m_next;
    if (offset + length > m_reserved) {
        const uint64_t grown = offset + length + GROWTH_STEP;
        if (m_reserve(m_fd, int64_t(m_reserved), int64_t(grown - m_reserved)) != 0) {
            // The disk may still hold exactly what is asked.
            if (m_reserve(m_fd, int64_t(m_reserved), int64_t(offset + length - m_reserved)) != 0)
                throw std::bad_alloc();
            m_reserved = offset + length;
        } else {
            m_reserved = grown;
        }
    }
    m_next = offset + length;
    return offset;
}

uint64_t ColumnStreamFile::End() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_next;
}

void* ColumnStreamFile::MapNew(std::size_t bytes)
{
    const uint64_t offset = Extend(bytes);
    void* memory = mmap(nullptr, LargeMappingBytes(bytes), PROT_READ | PROT_WRITE, MAP_SHARED, m_fd,
                        off_t(offset));
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_regions.push_back({memory, offset, bytes});
    return memory;
}

std::vector<ColumnStreamFile::Region> ColumnStreamFile::Regions() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_regions;
}
