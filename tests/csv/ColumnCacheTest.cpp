// The column cache: what an import made comes back bit for bit, and a cache that does not
// match the file as it is now, or is damaged, never reaches a series.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>
#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/BuildInfo.h"
#include "csv/CSVImporter.h"
#include "csv/ColumnCache.h"
#include "csv/Reload.h"
#include "support/CacheTestUtil.h"
#include "support/CsvTestUtil.h"
#include "model/GraphProject.h"

namespace {

using csvtest::FilesIn;
using csvtest::Fingerprint;
using csvtest::MappedFile;
using csvtest::ReadFile;
using csvtest::SignalLines;

class ColumnCacheTest : public ::testing::Test
{
protected:
    ColumnCacheSettings Settings() const
    {
        ColumnCacheSettings settings;
        settings.dir = m_dir.Path("cache");
        return settings;
    }

    // The default import of `path`, through `cache` (null: none); the project it made.
    // m_fromCache tells whether it came from the cache.
    std::shared_ptr<GraphProject> Import(const std::string& path, ColumnCache* cache,
                                         int resolution = 64)
    {
        auto project = CreateGraphProject();
        CSVImporter importer(path, *project);
        importer.SetColumnCache(cache);
        m_fromCache = importer.ImportCached(resolution);
        if (!m_fromCache) {
            EXPECT_EQ(ResultCode::SUCCESS, importer.ScanInfo(nullptr)) << path;
            EXPECT_EQ(ResultCode::SUCCESS, importer.Import(nullptr, resolution)) << path;
        }
        if (cache)
            cache->WaitForWrites();
        return project;
    }

    csvtest::TempDir m_dir;
    bool m_fromCache = false;
};

// How `path` changed since the first series of `project` read it, as a reload sees it.
FileChange ChangeSinceRead(const GraphProject& project, const std::string& path)
{
    const auto* source =
        dynamic_cast<const FileSeriesSource*>(project.GetItem(0)->GetSource().get());
    return source ? CompareWithFile(source->read->identity, path) : FileChange::GONE;
}

// Makes the file look untouched for a while, as a logger that stopped writing.
void MakeQuiet(const std::string& path)
{
    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    timespec times[2] = {info.st_atim, info.st_mtim};
    times[1].tv_sec -= QUIET_NANOS / 1000000000 + 1;
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
}

// Files of every kind of series (name, content): regular and explicit X, time origins, gaps,
// split keys, and one whose arrays are large enough to be mapped rather than copied.
std::vector<std::pair<std::string, std::string>> Kinds()
{
    const csvtest::CacheShapes shapes;
    return {{"regular", "t,a,b\n" + SignalLines(5000)},
            {"explicit X", shapes.jitter},
            {"time origin", shapes.times},
            {"split keys", shapes.stacked},
            {"mapped arrays", "t,a,b\n" + SignalLines(400000)}};
}

// Bit for bit, both ways of bringing the arrays in; mapped, the values of a large series
// are pages of the cache file, not copies on the heap.
TEST_F(ColumnCacheTest, RoundTripIsBitForBit)
{
    for (const auto& [name, content] : Kinds()) {
        for (const bool mapped : {true, false}) {
            ColumnCacheSettings settings = Settings();
            settings.dir = m_dir.Path(mapped ? "cache-mapped" : "cache-read");
            settings.arrays = mapped ? CacheArrays::MAP : CacheArrays::READ;
            ColumnCache cache(settings);
            SCOPED_TRACE(name + (mapped ? ", mapped" : ", read"));
            const std::string path = m_dir.Write(name + ".csv", content);
            const auto parsed = Import(path, &cache);
            EXPECT_FALSE(m_fromCache);
            const auto cached = Import(path, &cache);
            EXPECT_TRUE(m_fromCache);
            ASSERT_GT(parsed->GetCount(), 0);
            EXPECT_EQ(Fingerprint(*parsed), Fingerprint(*cached));
            EXPECT_EQ(Fingerprint(*parsed), Fingerprint(*Import(path, nullptr)));
            EXPECT_EQ(FileChange::SAME, ChangeSinceRead(*cached, path));
            if (name == "mapped arrays") {
                EXPECT_EQ(mapped, cache.FileFor(path) ==
                                      MappedFile(cached->GetItem(0)->GetDataY()->raw.data()));
            }
            EXPECT_EQ(1, cache.WrittenCount());
        }
    }
}

// Every part of the key: a change of the source makes the cache stale (deleted, then
// written again by the import that follows); another way of reading it is another key; a
// cache of another version of the program (or of the layout) is rebuilt, not misread.
TEST_F(ColumnCacheTest, StaleAndOtherKeys)
{
    using Change = std::function<void(const std::string& source, const std::string& cache)>;
    auto keepTime = [](const std::string& path, const std::function<void()>& act) {
        struct stat before;
        ASSERT_EQ(0, stat(path.c_str(), &before));
        act();
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, 0));
    };
    // The byte at `at` (from the end when negative) made `c`, the time kept.
    auto poke = [&](std::streamoff at, char c) {
        return [&keepTime, at, c](const std::string& p, const std::string&) {
            keepTime(p, [&] {
                std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
                f.seekp(at, at < 0 ? std::ios::end : std::ios::beg);
                f.put(c);
            });
        };
    };
    auto editCache = [](const std::function<void(std::string&)>& edit) {
        return [edit](const std::string&, const std::string& file) {
            std::string bytes = ReadFile(file);
            edit(bytes);
            std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        };
    };
    // what changes, the resolution and separator of the read that follows, what it finds
    const std::tuple<const char*, Change, int, char, CacheRead> rows[] = {
        {"a line appended",
         [](const std::string& p, const std::string&) {
             std::ofstream(p, std::ios::app) << "99999,1,2\n";
         },
         64, 0, CacheRead::STALE},
        {"touched only",
         [](const std::string& p, const std::string&) {
             const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 5}};
             utimensat(AT_FDCWD, p.c_str(), times, 0);
         },
         64, 0, CacheRead::STALE},
        {"first bytes changed, time kept", poke(6, '7'), 64, 0, CacheRead::STALE},
        {"last bytes changed, time kept", poke(-3, '1'), 64, 0, CacheRead::STALE},
        {"replaced by a copy (another inode)",
         [&](const std::string& p, const std::string&) {
             keepTime(p, [&] {
                 const std::string copy = p + ".copy";
                 std::filesystem::copy_file(p, copy);
                 std::rename(copy.c_str(), p.c_str());
             });
         },
         64, 0, CacheRead::STALE},
        {"another resolution", nullptr, 128, 0, CacheRead::OTHER_KEY},
        {"a cache of another layout", // the layout number after the magic
         editCache([](std::string& bytes) { ++bytes[8]; }), 64, 0, CacheRead::OTHER_VERSION},
        {"a cache of another program version", editCache([](std::string& bytes) {
             const size_t at = bytes.find(ProgramVersion(), 32);
             ASSERT_NE(std::string::npos, at);
             bytes[at] = '9';
         }),
         64, 0, CacheRead::OTHER_VERSION},
        {"another separator", nullptr, 64, ';', CacheRead::OTHER_KEY},
    };
    for (const auto& [name, change, resolution, separator, expected] : rows) {
        SCOPED_TRACE(name);
        ColumnCache cache(Settings());
        const std::string path = m_dir.Write("keyed.csv", "t,a,b\n" + SignalLines(2000));
        Import(path, &cache);
        const std::string file = cache.FileFor(path), good = ReadFile(file);
        ASSERT_TRUE(std::filesystem::exists(file));
        if (change)
            change(path, file);
        auto project = CreateGraphProject();
        CSVImporter importer(path, *project);
        if (separator)
            importer.SetSeparator(separator);
        CachedImport out;
        const std::string key =
            CacheRequestKey(importer.GetSeparator(), importer.Request(), resolution);
        EXPECT_EQ(expected, cache.Load(path, key, true, out));
        EXPECT_TRUE(out.series.empty());
        EXPECT_EQ(expected == CacheRead::OTHER_KEY, std::filesystem::exists(file));
        if (separator == 0) {
            // The import that follows reads the file and writes its cache again.
            Import(path, &cache, resolution);
            EXPECT_FALSE(m_fromCache);
            Import(path, &cache, resolution);
            EXPECT_TRUE(m_fromCache);
            if (expected == CacheRead::OTHER_VERSION) {
                EXPECT_EQ(good, ReadFile(file)); // written again as this version writes it
            }
        }
    }
}

// Random byte flips and cuts anywhere in the file: the cache is refused (and deleted), or,
// for a byte no series reads (padding), gives exactly what was written. Both ways of
// bringing the arrays in, with arrays small enough to be copied and large enough to be
// adopted whole.
TEST_F(ColumnCacheTest, DamageNeverReachesASeries)
{
    // how the arrays come in, lines of the file, random damages tried
    const std::tuple<CacheArrays, int, int> rows[] = {
        {CacheArrays::MAP, 3000, 75},
        {CacheArrays::READ, 3000, 75},
        {CacheArrays::MAP, 270000, 4}, // 2.1 MB a column
        {CacheArrays::READ, 270000, 4},
    };
    for (const auto& [arrays, lines, trials] : rows) {
        SCOPED_TRACE(std::string(arrays == CacheArrays::READ ? "read, " : "mapped, ") +
                     std::to_string(lines) + " lines");
        ColumnCacheSettings settings = Settings();
        settings.arrays = arrays;
        ColumnCache cache(settings);
        const std::string path = m_dir.Write("damaged.csv", "t,a,b\n" + SignalLines(lines));
        const std::string expected = Fingerprint(*Import(path, &cache));
        const std::string file = cache.FileFor(path);
        const std::string good = ReadFile(file);
        ASSERT_GT(good.size(), 8192u);
        std::mt19937 random(20260305);
        auto tryBytes = [&](const std::string& bytes, const std::string& what) {
            SCOPED_TRACE(what);
            std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
            EXPECT_EQ(expected,
                      Fingerprint(*Import(path, &cache))); // from the cache or parsed again
            return m_fromCache;
        };
        int refused = 0;
        for (int trial = 0; trial < trials; ++trial) {
            std::string bytes = good;
            const int flips = 1 + trial % 3;
            std::string what = "flips at";
            for (int k = 0; k < flips; ++k) {
                const size_t at = random() % bytes.size();
                bytes[at] = char(bytes[at] ^ (1 + random() % 255));
                what += " " + std::to_string(at);
            }
            refused += !tryBytes(bytes, what);
        }
        EXPECT_GT(refused, trials * 2 / 3); // most bytes are values, keys or the pyramid
        for (size_t cut : {size_t(0), size_t(5), size_t(31), size_t(32), size_t(4096),
                           good.size() / 2, good.size() - 1})
            EXPECT_FALSE(tryBytes(good.substr(0, cut), "cut at " + std::to_string(cut)));
        EXPECT_FALSE(tryBytes(good + "x", "one byte more"));
        // A file cut after the key check, before its arrays are read: refused all the same.
        std::ofstream(file, std::ios::binary | std::ios::trunc) << good;
        cache.afterKeyCheck = [&] { truncate(file.c_str(), off_t(good.size() - 4096)); };
        EXPECT_EQ(expected, Fingerprint(*Import(path, &cache)));
        EXPECT_FALSE(m_fromCache);
        cache.afterKeyCheck = nullptr;
    }
}

// The source changes after its key was checked: the series are the cached ones, the file
// as it was; a reload sees the change, and the next open finds the cache stale.
TEST_F(ColumnCacheTest, SourceChangedBetweenCheckAndMapping)
{
    ColumnCache cache(Settings());
    const std::string path = m_dir.Write("moving.csv", "t,a\n" + SignalLines(2000));
    const std::string expected = Fingerprint(*Import(path, &cache));
    cache.afterKeyCheck = [&] { std::ofstream(path, std::ios::app) << SignalLines(10, 2000); };
    const auto project = Import(path, &cache);
    cache.afterKeyCheck = nullptr;
    ASSERT_TRUE(m_fromCache);
    EXPECT_EQ(expected, Fingerprint(*project));
    EXPECT_EQ(FileChange::GREW, ChangeSinceRead(*project, path));
    // Rewritten while mapped: the series keep what they had.
    std::ofstream(path, std::ios::trunc) << "t,a\n1,2\n";
    EXPECT_EQ(expected, Fingerprint(*project));
    Import(path, &cache);
    EXPECT_FALSE(m_fromCache);
}

// A cache turned off, or a folder that can't be made: the import works as without a cache,
// the folder is never made, and a folder that can't be made is told once.
TEST_F(ColumnCacheTest, DisabledOrUnwritableCacheImportsWithoutIt)
{
    const std::string path = m_dir.Write("a.csv", "t,a\n" + SignalLines(100));
    const std::string expected = Fingerprint(*Import(path, nullptr));
    for (bool enabled : {false, true}) {
        SCOPED_TRACE(enabled ? "unwritable" : "disabled");
        std::vector<std::string> told;
        ColumnCache::ResetLogOnce();
        ColumnCache::SetLog([&](const std::string& line) { told.push_back(line); });
        ColumnCacheSettings settings = Settings();
        settings.enabled = enabled;
        if (enabled)
            settings.dir = m_dir.Write("plain-file", "x") + "/cache";
        ColumnCache cache(settings);
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(expected, Fingerprint(*Import(path, &cache)));
            EXPECT_FALSE(m_fromCache);
        }
        ColumnCache::SetLog(nullptr);
        ColumnCache::ResetLogOnce();
        EXPECT_EQ(0, cache.WrittenCount());
        EXPECT_FALSE(std::filesystem::exists(settings.dir));
        ASSERT_EQ(enabled ? 1u : 0u, told.size());
        if (enabled) {
            EXPECT_NE(std::string::npos, told[0].find(settings.dir)) << told[0];
        }
    }
}

// Two instances read the same file at once: one cache file, written once; a reader beside
// them never sees a file half-written.
TEST_F(ColumnCacheTest, TwoInstancesWriteOnce)
{
    const std::string path = m_dir.Write("shared.csv", "t,a,b\n" + SignalLines(300000));
    ColumnCache first(Settings()), second(Settings());
    std::filesystem::create_directories(Settings().dir);
    // Held here until both have parsed and queued their writes, as when two instances
    // open the file at the same moment.
    const int folder = open(Settings().dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(0, flock(folder, LOCK_EX));
    std::atomic<bool> done{false};
    int damaged = 0;
    std::thread reader([&] {
        ColumnCache third(Settings());
        while (!done) {
            CachedImport out;
            damaged += third.Load(path, CacheRequestKey(',', DialectRequest(), 64), true, out) ==
                       CacheRead::DAMAGED;
        }
    });
    std::shared_ptr<GraphProject> projects[2] = {CreateGraphProject(), CreateGraphProject()};
    ColumnCache* caches[2] = {&first, &second};
    for (int k = 0; k < 2; ++k) {
        CSVImporter importer(path, *projects[k]);
        importer.SetColumnCache(caches[k]);
        ASSERT_EQ(ResultCode::SUCCESS, importer.ScanInfo(nullptr));
        ASSERT_EQ(ResultCode::SUCCESS, importer.Import(nullptr, 64));
        EXPECT_FALSE(importer.IsFromCache());
    }
    close(folder);
    first.WaitForWrites();
    second.WaitForWrites();
    done = true;
    reader.join();
    EXPECT_EQ(0, damaged);
    EXPECT_EQ(1, first.WrittenCount() + second.WrittenCount());
    EXPECT_EQ(1, first.SkippedCount() + second.SkippedCount());
    EXPECT_EQ(1u, FilesIn(Settings().dir).size());
}

// Past the cap, the files used longest ago go; a file alone larger than the cap is not
// written at all.
TEST_F(ColumnCacheTest, CapEvictsLeastRecentlyUsed)
{
    const std::string paths[] = {m_dir.Write("one.csv", "t,a\n" + SignalLines(3000)),
                                 m_dir.Write("two.csv", "t,a\n" + SignalLines(3000, 1)),
                                 m_dir.Write("three.csv", "t,a\n" + SignalLines(3000, 2))};
    ColumnCacheSettings settings = Settings();
    {
        ColumnCache probe(settings);
        Import(paths[0], &probe);
        settings.maxBytes = int64_t(std::filesystem::file_size(probe.FileFor(paths[0]))) * 5 / 2;
        probe.Clear();
    }
    ColumnCache cache(settings);
    auto age = [&](const std::string& path, time_t seconds) {
        const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
        utimensat(AT_FDCWD, cache.FileFor(path).c_str(), times, 0);
    };
    Import(paths[0], &cache);
    Import(paths[1], &cache);
    age(paths[0], 1000);
    age(paths[1], 2000);
    Import(paths[0], &cache); // a use makes it the most recent
    EXPECT_TRUE(m_fromCache);
    Import(paths[2], &cache);
    std::vector<bool> kept;
    for (const std::string& path : paths)
        kept.push_back(std::filesystem::exists(cache.FileFor(path)));
    EXPECT_EQ((std::vector<bool>{true, false, true}), kept);

    settings.maxBytes = 1000;
    ColumnCache tiny(settings);
    EXPECT_EQ(2, tiny.Clear());
    Import(paths[1], &tiny);
    EXPECT_EQ(0, tiny.WrittenCount());
    EXPECT_FALSE(std::filesystem::exists(tiny.FileFor(paths[1])));
}

// A write stopped half-way (the series are about to grow) leaves neither a cache file nor
// a temporary one.
TEST_F(ColumnCacheTest, CancelledWriteLeavesNothing)
{
    const std::string path = m_dir.Write("big.csv", "t,a,b\n" + SignalLines(400000));
    ColumnCache cache(Settings());
    auto project = CreateGraphProject();
    CSVImporter importer(path, *project);
    importer.SetColumnCache(&cache);
    ASSERT_EQ(ResultCode::SUCCESS, importer.ScanInfo(nullptr));
    ASSERT_EQ(ResultCode::SUCCESS, importer.Import(nullptr, 64));
    CancelColumnCacheWrites();
    cache.WaitForWrites();
    if (cache.WrittenCount() == 0) { // unless the write was over before the cancel came
        EXPECT_EQ(std::vector<std::string>{}, FilesIn(Settings().dir));
    }
}

// A followed file that grew: once it is quiet, the cache holds its grown series, and a
// re-open from the cache gives exactly what a fresh import of the grown file gives. While
// it still grows, nothing is written and the old cache is never believed.
TEST_F(ColumnCacheTest, FollowedFileGrownIsCachedOnceQuiet)
{
    // name, header, lines of the file
    const std::tuple<const char*, const char*, std::string (*)(int, int)> rows[] = {
        {"regular", "t,a,b\n", csvtest::SignalLines},
        {"explicit X", "t,v\n", csvtest::JitterLines},
    };
    for (const auto& [name, header, lines] : rows) {
        SCOPED_TRACE(name);
        ColumnCache cache(Settings());
        const std::string path =
            m_dir.Write(std::string("followed ") + name + ".csv", header + lines(3000, 0));
        const auto project = Import(path, &cache);
        ASSERT_EQ(1, cache.WrittenCount());
        auto grow = [&, lines = lines](int from) {
            std::ofstream(path, std::ios::app) << lines(700, from);
            ReloadReport report;
            ReloadProject(*project, CSVImportTuning(), 64, nullptr, report);
            EXPECT_EQ(1, report.grown);
        };
        auto poll = [&] {
            ReloadReport report;
            ReloadProject(*project, CSVImportTuning(), 64, nullptr, report);
            EXPECT_EQ(1, report.same);
            cache.WaitForWrites();
        };
        grow(3000);
        poll(); // just written to: not quiet yet
        EXPECT_EQ(1, cache.WrittenCount());
        grow(3700);
        MakeQuiet(path);
        poll();
        EXPECT_EQ(2, cache.WrittenCount());
        poll(); // written once
        EXPECT_EQ(2, cache.WrittenCount());
        const std::string reopened = Fingerprint(*Import(path, &cache));
        EXPECT_TRUE(m_fromCache);
        EXPECT_EQ(Fingerprint(*Import(path, nullptr)), reopened);
        EXPECT_EQ(Fingerprint(*project), reopened);
    }
}

// Every field of a shape, doubles exactly.
std::string ShapeText(const SeriesShape& s)
{
    char text[256];
    std::snprintf(text, sizeof text, "|%llu %a %a %d %a %a %d %lld %a %a",
                  (unsigned long long)s.count, s.start, s.interval, int(s.explicitX), s.minX,
                  s.maxX, int(s.hasTimeOrigin), (long long)s.timeOrigin, s.rangeY.min,
                  s.rangeY.max);
    return s.label.utf8_string() + text;
}

// A listing takes the shapes of the series from the metadata alone, the same as the
// series' own; damaged metadata is refused (and the file deleted), damaged arrays are left
// to the read that takes them; a changed source is stale.
TEST_F(ColumnCacheTest, ListingReadsTheMetadataAlone)
{
    ColumnCache cache(Settings());
    auto list = [&](const std::string& path) {
        auto project = CreateGraphProject();
        CSVImporter importer(path, *project);
        importer.SetColumnCache(&cache);
        std::vector<SeriesShape> shapes;
        std::string text = importer.ListCached(shapes, 64) ? "listed" : "not listed";
        for (const SeriesShape& shape : shapes)
            text += "\n" + ShapeText(shape);
        EXPECT_EQ(0, project->GetCount());
        return text;
    };
    for (const auto& [name, content] : Kinds()) {
        SCOPED_TRACE(name);
        const std::string path = m_dir.Write(name + ".csv", content);
        EXPECT_EQ("not listed", list(path));
        const auto project = Import(path, &cache);
        std::string expected = "listed";
        for (int i = 0; i < project->GetCount(); ++i) {
            const auto data = project->GetItem(i);
            expected += "\n" + ShapeText(ShapeOf(*data, data->GetRangeY()));
        }
        EXPECT_EQ(expected, list(path));
    }

    const std::string path = m_dir.Path("regular.csv");
    const std::string file = cache.FileFor(path);
    const std::string good = ReadFile(file);
    // The file name the metadata's file info holds (the first is the key's).
    const size_t named = good.rfind("regular.csv", 4095);
    ASSERT_NE(good.find("regular.csv"), named);
    std::string bytes = good;
    bytes[named] ^= 1;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_EQ("not listed", list(path));
    EXPECT_FALSE(std::filesystem::exists(file));

    bytes = good;
    bytes[4096 + 3] ^= 1; // the first value of the first array
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_NE("not listed", list(path));
    Import(path, &cache);
    EXPECT_FALSE(m_fromCache);

    std::ofstream(path, std::ios::app) << "5000,0.5,0.5\n";
    EXPECT_EQ("not listed", list(path));
}

} // namespace
