#pragma once

#include <cstdio>
#include <string>

#include <sys/types.h>

// Writes a file so that its target is replaced only by a complete file: the bytes go to
// a temporary file beside the target, renamed over it by Commit. The rules:
// - through a symbolic link the file it points to is replaced, never the link;
// - a target that is not a regular file (a device, a pipe) cannot be replaced, so it is
//   written in place (there is then no temporary name);
// - the temporary name is unique (created with O_EXCL), so two writers, or a stray file
//   of that name, never share it;
// - a replaced file keeps its permission bits; a new file gets `newMode` less the umask.
// Destruction without Commit discards: the target stays as it was, no temporary is left.
class AtomicFile
{
public:
    AtomicFile() = default;
    ~AtomicFile() { Discard(); }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Opens the file to write (buffered, 1 MiB); false when it cannot be created.
    bool Create(const std::string& target, mode_t newMode = 0666);
    FILE* File() const { return m_file; }
    // The temporary file being written; empty when the target is written in place.
    const std::string& TempName() const { return m_temp; }

    // Closes and puts the file in place; false when any write, the close or the rename
    // failed (the temporary is then removed). `flushToDisk` waits until the bytes are on
    // the disk first, so that a crash leaves the old file or the new one (for small
    // files such as settings; too slow for large exports).
    bool Commit(bool flushToDisk = false);
    // Closes and removes whatever was written.
    void Discard();

private:
    std::string m_target;
    std::string m_temp;
    FILE* m_file = nullptr;
};
