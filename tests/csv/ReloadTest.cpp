// Reading files again: how a file changed since it was read, and reloads after any mix of
// appends (whole lines or halves), truncations, rewrites and rotations, which must end
// where a fresh import of the final file does.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "support/CsvTestUtil.h"
#include "support/ModelTestUtil.h"
#include "support/ProjectTestUtil.h"
#include "csv/Follow.h"
#include "csv/Reload.h"
#include "model/GraphProject.h"

namespace {

void Append(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::app | std::ios::binary) << text;
}

// One follow step as the window takes it: read on the follower's thread, applied here, and
// read again at once while the follower asks for more.
void Follow(FileFollower& follower, GraphProject& project, ReloadReport& report,
            const std::function<void()>& whileReading = {})
{
    bool again = true;
    while (again) {
        std::promise<void> ended;
        ASSERT_TRUE(follower.Start(project, CSVImportTuning(), 4, [&] { ended.set_value(); }));
        if (whileReading)
            whileReading();
        ASSERT_EQ(std::future_status::ready, ended.get_future().wait_for(std::chrono::seconds(30)));
        ASSERT_TRUE(follower.Finish(project, report, again));
    }
}

TEST(Reload, HowAFileChanged)
{
    csvtest::TempDir dir;
    const std::string path = dir.Path("log.csv");
    const std::string text = "t,v\n0,1\n1,2\n";
    const std::tuple<const char*, std::function<void()>, FileChange> rows[] = {
        {"untouched", [] {}, FileChange::SAME},
        {"a line more", [&] { Append(path, "2,3\n"); }, FileChange::GREW},
        {"half a line more", [&] { Append(path, "2,"); }, FileChange::GREW},
        {"rewritten in place, as long", [&] { dir.Write("log.csv", "t,v\n0,1\n1,9\n"); },
         FileChange::REPLACED},
        {"truncated and written again", [&] { dir.Write("log.csv", "t,v\n"); },
         FileChange::REPLACED},
        {"rotated",
         [&] {
             std::rename(path.c_str(), dir.Path("log.csv.1").c_str());
             dir.Write("log.csv", text + "2,3\n");
         },
         FileChange::REPLACED},
        {"gone", [&] { std::remove(path.c_str()); }, FileChange::GONE},
    };
    for (const auto& [name, change, expected] : rows) {
        std::remove(dir.Path("log.csv.1").c_str());
        dir.Write("log.csv", text);
        const FileIdentity then = ReadFileIdentity(path, int64_t(text.size()));
        change();
        EXPECT_EQ(expected, CompareWithFile(then, path)) << name;
    }
}

// The series of a project after reloads, and of a fresh import of the same file.
std::vector<std::vector<double>> Values(const GraphProject& project)
{
    std::vector<std::vector<double>> out;
    for (int i = 0; i < project.GetCount(); ++i) {
        const auto series = project.GetItem(i);
        out.emplace_back();
        for (size_t k = 0; k < series->GetCount(); ++k) {
            out.back().push_back(series->GetDataX().At(k));
            out.back().push_back(series->GetDataY()->raw[k]);
        }
    }
    return out;
}

// Random write patterns of a logger with an evenly or unevenly stepping time: after every
// reload where the file ends with a line end, the series equal a fresh import, and the
// pyramid one built from scratch.
TEST(Reload, AnyWritePatternEndsAsAFreshImport)
{
    std::mt19937_64 random(3);
    int appended = 0, readWhole = 0;
    for (int run = 0; run < 24; ++run) {
        SCOPED_TRACE(run);
        csvtest::TempDir dir;
        const std::string path = dir.Path("log.csv");
        const bool even = run % 2 == 0;
        int64_t n = 0;
        auto line = [&] {
            const double t = even ? 0.5 * double(n) : double(n) + 0.25 * double(n % 3);
            ++n;
            char text[64];
            std::snprintf(text, sizeof text, "%.17g,%lld,%.3f\n", t,
                          static_cast<long long>(random() % 1000), double(random() % 9) / 8);
            return std::string(text);
        };
        // A file of `count` lines, the time from 0 again.
        auto restart = [&](int count) {
            n = 0;
            std::string content = "t,a,b\n";
            for (int k = 0; k < count; ++k)
                content += line(); // one after the other: '+' leaves the order open
            dir.Write("log.csv", content);
        };
        restart(5);
        auto project = CreateGraphProject();
        projecttest::Import(*project, path, 4);
        std::string pending; // half a line written, the rest to come
        for (int step = 0; step < 12; ++step) {
            const int what = int(random() % 10);
            if (!pending.empty()) {
                Append(path, pending);
                pending.clear();
            } else if (what < 6) {
                std::string more;
                for (int k = int(random() % 40); k >= 0; --k)
                    more += line();
                Append(path, more);
            } else if (what < 8) {
                const std::string next = line();
                const size_t cut = 1 + random() % (next.size() - 1);
                Append(path, next.substr(0, cut));
                pending = next.substr(cut);
            } else if (what == 8) { // a logger restarting: truncated, written again
                restart(int(random() % 8) + 2);
            } else { // rotated
                std::rename(path.c_str(), dir.Path("old.csv").c_str());
                restart(3);
            }
            // Every other step follows, in steps of a few lines.
            ReloadReport report;
            if (step % 2 == 0) {
                ReloadProject(*project, CSVImportTuning(), 4, nullptr, report);
            } else {
                FileFollower follower(100);
                Follow(follower, *project, report);
            }
            EXPECT_EQ(0, report.failed) << report.message;
            appended += report.grown;
            readWhole += report.replaced;
            if (pending.empty()) {
                auto fresh = CreateGraphProject();
                projecttest::Import(*fresh, path, 4);
                ASSERT_EQ(Values(*fresh), Values(*project)) << "step " << step;
            }
        }
        for (int i = 0; i < project->GetCount(); ++i)
            ExpectPyramidAsFromScratch(*project->GetItem(i)->GetDataY());
    }
    // Both ways were taken, many times.
    EXPECT_GT(appended, 50);
    EXPECT_GT(readWhole, 20);
}

// A series removed while what its file gained is read: the others still grow, nothing else changes;
// a file that is gone leaves its series as they were and says so.
TEST(Reload, RemovedSeriesAndVanishedFiles)
{
    csvtest::TempDir dir;
    const std::string path = dir.Write("log.csv", "t,a,b\n0,1,2\n1,3,4\n");
    auto project = CreateGraphProject();
    projecttest::Import(*project, path);
    Append(path, "2,5,6\n");
    ReloadReport grew;
    FileFollower follower;
    Follow(follower, *project, grew, [&] { project->Remove(0); });
    EXPECT_EQ(1, grew.grown);
    EXPECT_EQ(1, grew.newPoints);
    ASSERT_EQ(1, project->GetCount());
    EXPECT_EQ((std::vector<std::vector<double>>{{0, 2, 1, 4, 2, 6}}), Values(*project));

    std::remove(path.c_str());
    ReloadReport gone;
    ReloadProject(*project, CSVImportTuning(), 4, nullptr, gone);
    EXPECT_EQ(1, gone.gone);
    EXPECT_EQ("\"" + path + "\" is gone: its series stay as they were.",
              gone.message.utf8_string());
    EXPECT_EQ(3u, project->GetItem(0)->GetCount());
}

// Follow turned off and on again after appends: the arrays keep their place (copying
// them each time cost a 1 GB file most of a second).
TEST(Reload, FollowingAgainKeepsTheArraysInPlace)
{
    csvtest::TempDir dir;
    std::string text = "t,v\n";
    for (int k = 0; k < 400; ++k)
        text += std::to_string(k) + ",1\n";
    const std::string path = dir.Write("log.csv", text);
    auto project = CreateGraphProject();
    projecttest::Import(*project, path);
    PrepareToFollow(*project);
    const double* values = project->GetItem(0)->GetDataY()->raw.data();
    Append(path, "400,2\n401,3\n");
    ReloadReport report;
    ReloadProject(*project, CSVImportTuning(), 4, nullptr, report);
    PrepareToFollow(*project);
    EXPECT_EQ(402u, project->GetItem(0)->GetCount());
    EXPECT_EQ(values, project->GetItem(0)->GetDataY()->raw.data());
}

} // namespace
