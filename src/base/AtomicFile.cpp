#include "base/AtomicFile.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int TEMP_NAME_ATTEMPTS = 100;

// Through a symbolic link the file it points to is the target.
std::string ResolveLinks(const std::string& name)
{
    std::string target = name;
    if (char* resolved = realpath(name.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    return target;
}

} // namespace

bool AtomicFile::Create(const std::string& target, mode_t newMode)
{
    Discard();
    m_target = ResolveLinks(target);
    struct stat info;
    const bool exists = stat(m_target.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        m_file = std::fopen(m_target.c_str(), "w");
        return m_file != nullptr;
    }
    const size_t slash = m_target.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    int fd = -1;
    for (int attempt = 0; attempt < TEMP_NAME_ATTEMPTS && fd < 0; ++attempt) {
        m_temp = dir + "." + base + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) +
                 ".tmp";
        fd = open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, newMode);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        m_temp.clear();
        return false;
    }
    if (exists)
        fchmod(fd, info.st_mode & 07777);
    m_file = fdopen(fd, "w");
    if (!m_file) {
        close(fd);
        Discard();
        return false;
    }
    std::setvbuf(m_file, nullptr, _IOFBF, size_t(1) << 20);
    return true;
}

bool AtomicFile::Commit(bool flushToDisk)
{
    if (!m_file)
        return false;
    bool written = !std::ferror(m_file);
    if (written && flushToDisk)
        written = std::fflush(m_file) == 0 && fsync(fileno(m_file)) == 0;
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!written || !closed ||
        (!m_temp.empty() && std::rename(m_temp.c_str(), m_target.c_str()) != 0)) {
        Discard();
        return false;
    }
    m_temp.clear();
    return true;
}

void AtomicFile::Discard()
{
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    if (!m_temp.empty())
        unlink(m_temp.c_str());
    m_temp.clear();
}
