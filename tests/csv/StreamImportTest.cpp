// Imports too large for memory stream into a new cache file: the series they make equal a
// heap import's bit for bit, and a full disk, a cancel or a cache that can't keep the file
// leave nothing behind.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <tuple>

#include "csv/CSVImporter.h"
#include "csv/ColumnCache.h"
#include "model/GraphProject.h"
#include "support/CacheTestUtil.h"
#include "support/CsvTestUtil.h"
#include "support/TestSupport.h"

namespace {

using csvtest::FilesIn;
using csvtest::Fingerprint;
using csvtest::MappedFile;

std::string Lines(int count)
{
    return "t,a,b\n" + csvtest::SignalLines(count);
}

// The X the series of a file get: the scan's choice, or the first column (shown too).
enum XColumn
{
    DEFAULT_X,
    FIRST,
    FIRST_SHOWN,
};

class StreamImportTest : public ::testing::Test
{
protected:
    std::string CacheDir() const { return m_dir.Path("cache"); }
    ColumnCacheSettings Settings() const
    {
        ColumnCacheSettings settings;
        settings.dir = CacheDir();
        return settings;
    }

    struct Outcome
    {
        ResultCode result;
        bool streamed;
        wxString message;
    };

    // An import of `path` through `cache`, forced to stream when `stream` (the rule's
    // threshold at 0); `m_tune` sets more of the importer.
    Outcome Import(const std::string& path, ColumnCache* cache, bool stream, GraphProject& project,
                   ProcContext* context = nullptr)
    {
        CSVImporter importer(path, project);
        importer.SetColumnCache(cache);
        importer.Tuning().streamMinBytes = stream ? 0 : -1;
        if (m_tune)
            m_tune(importer);
        EXPECT_EQ(ResultCode::SUCCESS, importer.ScanInfo(nullptr)) << path;
        if (m_xColumn != DEFAULT_X) {
            // The first column as the X of the others (and as a series too: its X values
            // are then a copy).
            CSVImportOption option = importer.GetOption();
            std::vector<DataSource> sources;
            for (DataSource source : option.dataSources) {
                source.useDirectVal = false;
                source.columnX = 0;
                if (source.columnY != 0)
                    sources.push_back(source);
            }
            if (m_xColumn == FIRST_SHOWN) {
                DataSource shown = sources.at(0);
                shown.columnY = 0;
                shown.label = "x";
                sources.push_back(shown);
            }
            option.dataSources = sources;
            importer.SetOption(option);
        }
        const Outcome outcome{importer.Import(context, 64), importer.IsStreamed(),
                              importer.GetErrorMessage()};
        if (cache)
            cache->WaitForWrites();
        return outcome;
    }

    csvtest::TempDir m_dir;
    XColumn m_xColumn = DEFAULT_X;
    std::function<void(CSVImporter&)> m_tune;
};

TEST_F(StreamImportTest, StreamedSeriesEqualAHeapImportAndBecomeTheCache)
{
    const csvtest::CacheShapes shapes;
    std::string gapsX = "t,v\n", shownX = "t,v\n";
    // Past the size of a mapping of its own, so that the kept points and the copied X are
    // arrays of the file too.
    for (int i = 0; i < 300000; ++i) {
        gapsX += (i % 11 == 3 ? std::string() : std::to_string(i * 3 + i % 2)) + "," +
                 std::to_string(i % 7) + "\n";
        shownX += std::to_string(int64_t(i) * i) + "," + std::to_string(i % 5) + "\n";
    }
    // Files of every way an import stores its arrays: name, content, X, split by the first
    // column (the series are then gathered on the heap).
    const std::tuple<std::string, std::string, XColumn, bool> kinds[] = {
        {"regular", Lines(5000), DEFAULT_X, false},
        {"explicit X", shapes.jitter, FIRST, false},
        {"X with gaps", gapsX, FIRST, false},
        {"time origin", shapes.times, DEFAULT_X, false},
        {"X also shown", shownX, FIRST_SHOWN, false},
        {"split keys", shapes.stacked, DEFAULT_X, true},
        {"mapped arrays", Lines(400000), DEFAULT_X, false}};
    ColumnCache cache(Settings());
    int written = 0;
    for (const auto& [name, content, x, split] : kinds) {
        SCOPED_TRACE(name);
        const std::string path = m_dir.Write(name + ".csv", content);
        auto heap = CreateGraphProject(), streamed = CreateGraphProject(),
             reopened = CreateGraphProject();
        m_xColumn = x;
        m_tune = [split = split](CSVImporter& importer) {
            if (split)
                importer.Request().split = 0;
        };
        const Outcome onHeap = Import(path, nullptr, true, *heap);
        ASSERT_EQ(ResultCode::SUCCESS, onHeap.result) << onHeap.message.utf8_string();
        const Outcome outcome = Import(path, &cache, true, *streamed);
        ASSERT_EQ(ResultCode::SUCCESS, outcome.result);
        const bool didStream = outcome.streamed;
        EXPECT_EQ(!split, didStream);
        ASSERT_GT(heap->GetCount(), 0);
        EXPECT_EQ(Fingerprint(*heap), Fingerprint(*streamed));
        EXPECT_EQ(++written, cache.WrittenCount());
        // Every array large enough to be a mapping of its own is a page run of the cache
        // file, not of the heap.
        for (int i = 0; didStream && i < streamed->GetCount(); ++i) {
            const auto data = streamed->GetItem(i);
            std::vector<std::pair<const void*, size_t>> arrays{
                {data->GetDataY()->raw.data(), data->GetDataY()->raw.size() * sizeof(double)}};
            if (data->GetDataX().IsExplicit())
                arrays.push_back({data->GetDataX().ExplicitValues()->data(),
                                  data->GetDataX().ExplicitValues()->size() * sizeof(double)});
            for (const auto& level : data->GetDataY()->mipmap)
                arrays.push_back({level.data(), level.size() * sizeof(MinMax)});
            for (const auto& array : arrays) {
                if (array.second >= LARGE_ARRAY_THRESHOLD) {
                    EXPECT_EQ(cache.FileFor(path), MappedFile(array.first)) << i;
                }
            }
        }

        // The finished file is a cache file like any other: the next open maps it.
        const Outcome again = Import(path, &cache, true, *reopened);
        ASSERT_EQ(ResultCode::SUCCESS, again.result);
        EXPECT_FALSE(again.streamed);
        EXPECT_EQ(written, cache.WrittenCount()); // a hit writes nothing
        EXPECT_EQ(Fingerprint(*heap), Fingerprint(*reopened));
        EXPECT_EQ(
            std::vector<std::string>{
                std::filesystem::path(cache.FileFor(path)).filename().string()},
            FilesIn(CacheDir()));
        cache.Clear();
    }
}

// Without a usable cache (a disk too full for the values at the start, the cache off, a
// folder that can't be made) the import falls back to memory when the values fit there,
// else refuses with the reason; no file is left either way.
TEST_F(StreamImportTest, WithoutAUsableCacheFallsBackOrRefuses)
{
    struct Row
    {
        const char* name;
        bool fullDisk;
        bool enabled;
        std::string dir;
        int64_t memoryLimit;
        ResultCode expected;
        std::string reason;
    };
    const std::string path = m_dir.Write("full.csv", Lines(20000));
    const std::string blocker = m_dir.Write("blocker", "a file, not a folder");
    const Row rows[] = {
        {"full disk, fits in memory", true, true, CacheDir(), -1, ResultCode::SUCCESS, ""},
        {"full disk", true, true, CacheDir(), 1000, ResultCode::OUT_OF_MEMORY,
         std::strerror(ENOSPC)},
        {"cache off", false, false, CacheDir(), 1000, ResultCode::OUT_OF_MEMORY,
         "the column cache is off"},
        {"no folder", false, true, blocker + "/cache", 1000, ResultCode::OUT_OF_MEMORY,
         std::strerror(ENOTDIR)},
    };
    ColumnCache::SetLog([](const std::string&) {});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ColumnCache::ResetLogOnce();
        ColumnCacheSettings settings;
        settings.dir = row.dir;
        settings.enabled = row.enabled;
        ColumnCache cache(settings);
        auto project = CreateGraphProject();
        m_tune = [&](CSVImporter& importer) {
            importer.Tuning().memoryLimit = row.memoryLimit;
            if (row.fullDisk)
                importer.Tuning().reserveFile = [](int, int64_t, int64_t) { return ENOSPC; };
        };
        const auto [result, streamed, message] = Import(path, &cache, true, *project);
        m_tune = nullptr;
        EXPECT_EQ(row.expected, result);
        EXPECT_FALSE(streamed);
        for (const std::string& name : FilesIn(CacheDir()))
            EXPECT_EQ(std::string::npos, name.find(".tmp")) << name;
        if (result == ResultCode::SUCCESS) {
            auto heap = CreateGraphProject();
            ASSERT_EQ(ResultCode::SUCCESS, Import(path, nullptr, false, *heap).result);
            EXPECT_EQ(Fingerprint(*heap), Fingerprint(*project));
        } else {
            EXPECT_EQ(0, project->GetCount());
            EXPECT_NE(std::string::npos, message.utf8_string().find(row.reason))
                << message.utf8_string();
            EXPECT_TRUE(FilesIn(CacheDir()).empty());
        }
        cache.Clear(); // the heap import's cache file would serve the next row
    }
    ColumnCache::SetLog(nullptr);
    ColumnCache::ResetLogOnce();
}

// A cancel while parsing or while building the pyramid in the file: nothing in the project,
// no file in the cache folder.
TEST_F(StreamImportTest, CancelLeavesNoFile)
{
    const std::string path = m_dir.Write("cancel.csv", Lines(400000));
    for (const char* stage : {"", "Creating Mipmap"}) {
        SCOPED_TRACE(*stage ? stage : "parsing");
        ColumnCache cache(Settings());
        auto project = CreateGraphProject();
        ThreadProcContext context;
        context.cancelAfterPositions = *stage ? -1 : 2;
        context.cancelOnMessage = stage;
        EXPECT_EQ(ResultCode::CANCELLED, Import(path, &cache, true, *project, &context).result);
        EXPECT_EQ(0, project->GetCount());
        EXPECT_TRUE(FilesIn(CacheDir()).empty());
    }
}

// Below the rule a file is read onto the heap, as ever. A streamed file the cache does not
// keep (larger than its cap, or the cache cancelled) is removed, while the series that map
// it keep their values.
TEST_F(StreamImportTest, BelowTheRuleTheHeapAboveAFileTheCacheDoesNotKeepGoes)
{
    const std::string path = m_dir.Write("capped.csv", Lines(400000));
    ColumnCacheSettings settings = Settings();
    settings.maxBytes = 4096;
    ColumnCache cache(settings);
    auto heap = CreateGraphProject();
    const Outcome below = Import(path, &cache, false, *heap);
    ASSERT_EQ(ResultCode::SUCCESS, below.result);
    EXPECT_FALSE(below.streamed);
    EXPECT_EQ("", MappedFile(heap->GetItem(0)->GetDataY()->raw.data()));
    auto project = CreateGraphProject();
    const Outcome outcome = Import(path, &cache, true, *project);
    ASSERT_EQ(ResultCode::SUCCESS, outcome.result);
    EXPECT_TRUE(outcome.streamed);
    EXPECT_EQ(0, cache.WrittenCount());
    EXPECT_TRUE(FilesIn(CacheDir()).empty());
    EXPECT_EQ(Fingerprint(*heap), Fingerprint(*project));
}

} // namespace
