#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

// Tuning and test hooks of the import, shared by its scan and its conversion.
struct CSVImportTuning
{
    // Threads used (1 or 2; default: the cores, at most 2).
    int threadCount = std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, 2);
    // Files smaller than this are read by one thread.
    int64_t parallelMinBytes = int64_t(8) << 20;
    // Memory the conversion may use; below 0, what the system reports as available.
    int64_t memoryLimit = -1;
    // Imports whose values take more bytes than this stream into the column cache's
    // folder (see csv/ColumnStream.h); below 0, a quarter of the memory available.
    int64_t streamMinBytes = -1;
    // Reserves disk space for a streamed import: 0 or an errno (default posix_fallocate).
    std::function<int(int fd, int64_t offset, int64_t bytes)> reserveFile;
    // Most lines a file may have (the row counts are 32-bit).
    int64_t maxLineCount = INT32_MAX;
    // Header text kept for the series names of the plain reading; a longer header is cut.
    size_t maxHeaderText = size_t(16) << 20;
};
