#include "base/FileUtil.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/debug.h>
#include <wx/strconv.h>

FILE* OpenRegularFile(const std::string& name, bool& notRegular)
{
    notRegular = false;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = name.empty() ? -1 : open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        notRegular = true;
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, "r");
    if (!file)
        close(fd);
    return file;
}

int64_t GetFileSize(FILE* file)
{
    wxCHECK_MSG(file, -1, "file is null");
    const off_t current = ftello(file);
    if (current < 0 || fseeko(file, 0, SEEK_SET) != 0)
        return -1;
    const off_t start = ftello(file);
    if (fseeko(file, 0, SEEK_END) != 0)
        return -1;
    const off_t end = ftello(file);
    fseeko(file, current, SEEK_SET);
    if (start < 0 || end < 0)
        return -1;
    return static_cast<int64_t>(end - start);
}

namespace {

// A number from a one-line file such as /sys/fs/cgroup/memory.max; -1 for "max" or none.
int64_t ReadLimitFile(const char* path)
{
    FILE* file = std::fopen(path, "r");
    if (!file)
        return -1;
    long long value = -1;
    if (std::fscanf(file, "%lld", &value) != 1)
        value = -1;
    std::fclose(file);
    return static_cast<int64_t>(value);
}

// A field of a cgroup's memory.stat; -1 when missing.
int64_t ReadStatField(const std::string& path, const char* field)
{
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return -1;
    char name[64];
    long long value = 0;
    int64_t result = -1;
    while (std::fscanf(file, "%63s %lld", name, &value) == 2) {
        if (std::strcmp(name, field) == 0) {
            result = value;
            break;
        }
    }
    std::fclose(file);
    return result;
}

// Limits at or above this are a cgroup's "no limit" (v1 writes a page-rounded INT64_MAX).
constexpr int64_t NO_LIMIT = int64_t(1) << 62;

// The memory limit of the process's own cgroup and what it uses that can't be dropped
// (its usage less inactive file pages); false when it has no limit. /proc/self/cgroup
// names it: "N:memory:/path" under cgroup v1, "0::/path" under v2.
bool ReadOwnCgroup(int64_t& limit, int64_t& used)
{
    FILE* file = std::fopen("/proc/self/cgroup", "r");
    if (!file)
        return false;
    char line[4096];
    std::string v1, v2;
    while (std::fgets(line, sizeof line, file)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        const size_t first = text.find(':');
        const size_t second = first == std::string::npos ? first : text.find(':', first + 1);
        if (second == std::string::npos)
            continue;
        const std::string controllers = text.substr(first + 1, second - first - 1);
        const std::string path = text.substr(second + 1);
        if (controllers == "memory")
            v1 = path;
        else if (controllers.empty())
            v2 = path;
    }
    std::fclose(file);
    std::string dir;
    const char* limitName = nullptr;
    const char* usageName = nullptr;
    const char* inactiveName = nullptr;
    if (!v1.empty()) {
        dir = "/sys/fs/cgroup/memory" + v1;
        limitName = "/memory.limit_in_bytes";
        usageName = "/memory.usage_in_bytes";
        inactiveName = "total_inactive_file";
    } else if (!v2.empty() && v2 != "/") {
        dir = "/sys/fs/cgroup" + v2;
        limitName = "/memory.max";
        usageName = "/memory.current";
        inactiveName = "inactive_file";
    } else {
        return false;
    }
    limit = ReadLimitFile((dir + limitName).c_str());
    used = ReadLimitFile((dir + usageName).c_str());
    if (limit < 0 || limit >= NO_LIMIT || used < 0)
        return false;
    const int64_t inactive = ReadStatField(dir + "/memory.stat", inactiveName);
    if (inactive > 0 && inactive < used)
        used -= inactive;
    return true;
}

} // namespace

int64_t GetMemoryLimit()
{
    int64_t limit = -1, used = 0;
    return ReadOwnCgroup(limit, used) ? limit : -1;
}

namespace {

// `io` (pread or pwrite) until `bytes` are done, the end of the file or an error.
template <typename Buffer, typename Io>
size_t Fully(int fd, Buffer* buffer, size_t bytes, int64_t offset, Io io)
{
    size_t done = 0;
    while (done < bytes) {
        const ssize_t n = io(fd, buffer + done, bytes - done, off_t(offset + int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    return done;
}

} // namespace

size_t ReadFully(int fd, void* to, size_t bytes, int64_t offset)
{
    return Fully(fd, static_cast<char*>(to), bytes, offset, pread);
}

size_t WriteFully(int fd, const void* from, size_t bytes, int64_t offset)
{
    return Fully(fd, static_cast<const char*>(from), bytes, offset, pwrite);
}

int64_t GetAvailableMemory()
{
    FILE* meminfo = std::fopen("/proc/meminfo", "r");
    if (!meminfo)
        return -1;
    char line[256];
    int64_t result = -1;
    while (std::fgets(line, sizeof line, meminfo)) {
        long long kib = 0;
        if (std::sscanf(line, "MemAvailable: %lld kB", &kib) == 1) {
            result = static_cast<int64_t>(kib) * 1024;
            break;
        }
    }
    std::fclose(meminfo);
    // In a container the cgroup's limit may be far below what the machine has free.
    const int64_t limit = ReadLimitFile("/sys/fs/cgroup/memory.max");
    const int64_t used = ReadLimitFile("/sys/fs/cgroup/memory.current");
    if (limit >= 0 && used >= 0) {
        const int64_t left = limit > used ? limit - used : 0;
        if (result < 0 || left < result)
            result = left;
    }
    // The same for the process's own cgroup (v1, or v2 below the root).
    int64_t ownLimit = -1, ownUsed = 0;
    if (ReadOwnCgroup(ownLimit, ownUsed)) {
        const int64_t left = ownLimit > ownUsed ? ownLimit - ownUsed : 0;
        if (result < 0 || left < result)
            result = left;
    }
    // A process limited in address space (ulimit -v) gets no more than that.
    struct rlimit space;
    if (getrlimit(RLIMIT_AS, &space) == 0 && space.rlim_cur != RLIM_INFINITY) {
        long long pages = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm && std::fscanf(statm, "%lld", &pages) == 1) {
            const int64_t used = int64_t(pages) * sysconf(_SC_PAGESIZE);
            const int64_t left =
                int64_t(space.rlim_cur) > used ? int64_t(space.rlim_cur) - used : 0;
            if (result < 0 || left < result)
                result = left;
        }
        if (statm)
            std::fclose(statm);
    }
    return result;
}

bool FitsInMemory(double bytes, int64_t limit)
{
    if (limit < 0)
        limit = GetAvailableMemory();
    return limit < 0 || bytes <= double(limit);
}

wxString NarrowToWide(const char* text, size_t length)
{
    if (length == 0)
        return wxString();
    wxString wide(text, wxConvLibc, length);
    if (wide.empty())
        wide = wxString::FromUTF8(text, length);
    if (wide.empty())
        wide = wxString(text, wxConvISO8859_1, length);
    return wide;
}

std::string WideToNarrow(const wxString& text)
{
    if (text.empty())
        return std::string();
    wxCharBuffer narrow = text.mb_str(wxConvLibc);
    if (narrow.length() == 0)
        narrow = text.utf8_str();
    return std::string(narrow.data(), narrow.length());
}

std::string FileNameToNarrow(const wxString& fileName)
{
    if (fileName.empty())
        return std::string();
    wxCharBuffer narrow = fileName.fn_str();
    if (narrow.length() == 0)
        return std::string();
    return std::string(narrow.data(), narrow.length());
}
