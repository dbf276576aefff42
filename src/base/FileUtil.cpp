#include "base/FileUtil.h"

#include <cstring>

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

} // namespace

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
