// Reading a column cache file back, both ways (read into the heap, map), beside what the
// machine needs at least to bring the same bytes into the process: mapping the file and
// touching each page, reading it into fresh memory, and summing it. The file is the one
// bench/app/reopen_cached.sh makes (t,a,b,c), of ARDENTINE_BENCH_LINES lines (default ten
// million), imported once into a cache folder under /tmp.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Checksum.h"
#include "csv/CSVImporter.h"
#include "csv/ColumnCache.h"
#include "model/GraphProject.h"

namespace {

struct CacheFixture
{
    std::string dir, source, cacheFile, key;
    size_t bytes = 0;
};

const CacheFixture& Fixture()
{
    static CacheFixture fixture = [] {
        CacheFixture f;
        const char* env = std::getenv("ARDENTINE_BENCH_LINES");
        const long lines = env ? std::atol(env) : 10000000;
        f.dir = "/tmp/ardentine-cache-read-bench-" + std::to_string(lines);
        std::filesystem::create_directories(f.dir);
        f.source = f.dir + "/big.csv";
        if (!std::filesystem::exists(f.source)) {
            FILE* out = std::fopen(f.source.c_str(), "w");
            std::fprintf(out, "t,a,b,c\n");
            for (long i = 0; i < lines; ++i)
                std::fprintf(out, "%ld,%ld,%ld,%ld\n", i, i % 97, i % 13, (i * 7) % 101);
            std::fclose(out);
        }
        ColumnCacheSettings settings;
        settings.dir = f.dir + "/cache";
        ColumnCache cache(settings);
        auto project = CreateGraphProject();
        CSVImporter importer(f.source, *project);
        importer.SetColumnCache(&cache);
        if (!importer.ImportCached()) {
            importer.ScanInfo(nullptr);
            importer.Import(nullptr);
        }
        cache.WaitForWrites();
        f.cacheFile = cache.FileFor(f.source);
        f.key = CacheRequestKey(',', DialectRequest(), DEFAULT_MIPMAP_RESOLUTION);
        struct stat info;
        stat(f.cacheFile.c_str(), &info);
        f.bytes = size_t(info.st_size);
        return f;
    }();
    return fixture;
}

void BM_CacheRead(benchmark::State& state)
{
    const CacheFixture& f = Fixture();
    const auto arrays = CacheArrays(state.range(0));
    for (auto _ : state) {
        CachedImport import;
        if (ReadCacheFile(f.cacheFile, f.source, f.key, true, import, {}, arrays) !=
            CacheRead::LOADED)
            state.SkipWithError("the cache was not loaded");
        benchmark::DoNotOptimize(import.series.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
}
BENCHMARK(BM_CacheRead)
    ->ArgName("0map_1read_2shapes")
    ->Arg(int(CacheArrays::MAP))
    ->Arg(int(CacheArrays::READ))
    ->Arg(int(CacheArrays::NONE))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Floor of the map: a fresh private mapping with one load per page.
void BM_FloorMapTouch(benchmark::State& state)
{
    const CacheFixture& f = Fixture();
    const int fd = open(f.cacheFile.c_str(), O_RDONLY);
    for (auto _ : state) {
        auto* p = static_cast<const volatile char*>(
            mmap(nullptr, f.bytes, PROT_READ, MAP_PRIVATE, fd, 0));
        for (size_t i = 0; i < f.bytes; i += 4096)
            benchmark::DoNotOptimize(p[i]);
        munmap(const_cast<char*>(p), f.bytes);
    }
    close(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
}
BENCHMARK(BM_FloorMapTouch)->Unit(benchmark::kMillisecond)->UseRealTime();

// Floor of the read: fresh memory (huge pages advised) filled by pread on 1 or 2 threads.
void BM_FloorPread(benchmark::State& state)
{
    const CacheFixture& f = Fixture();
    const int fd = open(f.cacheFile.c_str(), O_RDONLY);
    const int threads = int(state.range(0));
    for (auto _ : state) {
        auto* p = static_cast<char*>(
            mmap(nullptr, f.bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        madvise(p, f.bytes, MADV_HUGEPAGE);
        auto part = [&](size_t from, size_t to) {
            for (size_t at = from; at < to; at += size_t(4) << 20)
                benchmark::DoNotOptimize(
                    pread(fd, p + at, std::min(to - at, size_t(4) << 20), off_t(at)));
        };
        if (threads == 2) {
            std::thread helper(part, f.bytes / 2, f.bytes);
            part(0, f.bytes / 2);
            helper.join();
        } else {
            part(0, f.bytes);
        }
        munmap(p, f.bytes);
    }
    close(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
}
BENCHMARK(BM_FloorPread)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The checksum alone, over bytes already in the process.
void BM_ChecksumInMemory(benchmark::State& state)
{
    const CacheFixture& f = Fixture();
    const int fd = open(f.cacheFile.c_str(), O_RDONLY);
    void* p = mmap(nullptr, f.bytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    ByteRun run{p, f.bytes};
    benchmark::DoNotOptimize(ChecksumRuns(&run, 1, 1)); // every page touched once
    for (auto _ : state)
        benchmark::DoNotOptimize(ChecksumRuns(&run, 1, int(state.range(0))));
    munmap(p, f.bytes);
    close(fd);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(f.bytes));
}
BENCHMARK(BM_ChecksumInMemory)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
