#pragma once

// Comparing imports bit for bit, and telling which file backs an array.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "csv/Reload.h"
#include "model/GraphProject.h"
#include "support/CsvTestUtil.h"

namespace csvtest {

// Everything of an import that the cache keeps, flattened to bytes for an exact compare.
inline std::string Fingerprint(const GraphProject& project)
{
    std::string out;
    auto put = [&](const void* p, size_t n) { out.append(static_cast<const char*>(p), n); };
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto data = project.GetItem(i);
        const GraphDataY& y = *data->GetDataY();
        out += data->GetLabel().utf8_string() + "|";
        put(y.raw.data(), y.raw.size() * sizeof(double));
        put(&y.mipmapLevels, sizeof y.mipmapLevels);
        for (const auto& level : y.mipmap)
            put(level.data(), level.size() * sizeof(MinMax));
        const DataX x = data->GetDataX();
        put(&x.start, sizeof x.start);
        put(&x.interval, sizeof x.interval);
        if (x.IsExplicit())
            put(x.ExplicitValues()->data(), x.ExplicitValues()->size() * sizeof(double));
        const int64_t origin = data->HasTimeOrigin() ? data->GetTimeOrigin() : -1;
        put(&origin, sizeof origin);
        const auto* source = dynamic_cast<const FileSeriesSource*>(data->GetSource().get());
        if (source) {
            out += source->key + "|";
            put(&source->read->dataEnd, sizeof(int64_t));
            put(&source->read->option.dataRows, sizeof(int32_t));
            for (double last : source->read->lastX)
                put(&last, sizeof last);
        }
    }
    return out;
}

// The file that maps `address` in this process (empty: none, as for the heap).
inline std::string MappedFile(const void* address)
{
    std::string owner;
    for (std::istringstream maps(ReadFile("/proc/self/maps")); maps;) {
        std::string line;
        std::getline(maps, line);
        uintptr_t begin = 0, end = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx", &begin, &end) == 2 &&
            uintptr_t(address) >= begin && uintptr_t(address) < end && line.find('/') != line.npos)
            owner = line.substr(line.find('/'));
    }
    return owner;
}

// The names in a folder (none when it can't be read).
inline std::vector<std::string> FilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        names.push_back(entry.path().filename().string());
    return names;
}

// Lines `from` to `from + count` of a file "t,a,b": a sine and a cosine with a gap every 97
// lines, written with all their digits.
inline std::string SignalLines(int count, int from = 0)
{
    std::string text;
    char line[96];
    for (int i = from; i < from + count; ++i) {
        std::snprintf(line, sizeof line, "%d,%.17g,%.17g\n", i, std::sin(i * 0.01),
                      i % 97 == 0 ? NAN : std::cos(i * 0.3));
        text += line;
    }
    return text;
}

// Lines `from` to `from + count` of a file "t,v" whose X steps unevenly.
inline std::string JitterLines(int count, int from = 0)
{
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += std::to_string(i * 10 + (i * 7919) % 5) + "," + std::to_string(i % 13) + "\n";
    return text;
}

// Files of the shapes a cache keeps apart: an uneven X, a time column, a split column.
struct CacheShapes
{
    std::string jitter = "t,v\n" + JitterLines(3000), times = "when,v\n", stacked = "sym,t,p\n";
    CacheShapes()
    {
        for (int i = 0; i < 3000; ++i) {
            char text[64];
            std::snprintf(text, sizeof text, "2026-03-05T10:%02d:%02d.%03d,%d\n", i / 3600 % 60,
                          i / 60 % 60, i % 1000, i % 17);
            times += text;
            stacked += std::string(i % 2 ? "AB" : "CD") + "," + std::to_string(i / 2) + "," +
                       std::to_string(i * 0.5) + "\n";
        }
    }
};

} // namespace csvtest
