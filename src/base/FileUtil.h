#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <wx/string.h>

// Closes the file on every path out of a scope.
struct FileCloser
{
    FILE* file;
    ~FileCloser()
    {
        if (file)
            std::fclose(file);
    }
};

// Opens a file for reading ("r"), or gives null. Anything but a regular file is refused
// (null with `notRegular` set) before it is read: a FIFO would block until a writer
// appears, where no Cancel can reach it, and a folder or device has no lines to scan.
FILE* OpenRegularFile(const std::string& name, bool& notRegular);

// Size in bytes of an open file, 64-bit so that files over 2 GiB are measured right.
// The file position is left where it was. -1 when the file cannot be measured.
int64_t GetFileSize(FILE* file);

// pread/pwrite until all `bytes` are moved: the count moved, short only at the file's end
// or on an error. EINTR is retried.
size_t ReadFully(int fd, void* to, size_t bytes, int64_t offset);
size_t WriteFully(int fd, const void* from, size_t bytes, int64_t offset);

// Memory the system can still give without swapping (MemAvailable), in bytes; -1 when
// it is not known. Linux overcommits, so a failed allocation is often reported only by
// the out-of-memory killer: large allocations are checked against this first.
int64_t GetAvailableMemory();
// The memory limit of the process's cgroup (v1 or v2); -1 when it has none.
int64_t GetMemoryLimit();
// Whether `bytes` more fit in `limit` bytes, or, for a limit below 0, in the available
// memory (true when that is unknown: std::bad_alloc then tells).
bool FitsInMemory(double bytes, int64_t limit = -1);

// Narrow text <-> wide strings for file names and header texts: the C library's
// conversion first, then UTF-8, then Latin-1 (which never fails), so no text is lost
// whatever the locale of the process.
wxString NarrowToWide(const char* text, size_t length);
std::string WideToNarrow(const wxString& text);

// The file name for the C library, or an empty string when it cannot be converted.
std::string FileNameToNarrow(const wxString& fileName);
