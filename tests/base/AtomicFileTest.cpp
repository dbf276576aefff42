// The rules of the one atomic writer shared by the CSV export, the image files and the
// settings file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include <sys/stat.h>
#include <unistd.h>

#include "base/AtomicFile.h"
#include "support/CsvTestUtil.h"

namespace {

using csvtest::ReadFile;

struct AtomicFileTest : ::testing::Test
{
    csvtest::TempDir dir;
    mode_t oldMask = umask(022);
    ~AtomicFileTest() override { umask(oldMask); }

    long FileCount() const
    {
        return std::distance(std::filesystem::directory_iterator(dir.Dir()), {});
    }
    static mode_t Mode(const std::string& path)
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    }
    static bool Write(AtomicFile& file, const std::string& text)
    {
        return std::fputs(text.c_str(), file.File()) >= 0;
    }
};

TEST_F(AtomicFileTest, TargetIsReplacedOnlyAfterACompleteWrite)
{
    // name, mode of the file there (-1: none yet), mode asked for, mode after the write
    const std::tuple<const char*, int, mode_t, mode_t> rows[] = {
        {"existing keeps its permissions", 0640, 0666, 0640},
        {"new gets the mode less the umask", -1, 0666, 0644},
        {"new private file", -1, 0600, 0600},
    };
    for (const auto& [name, oldMode, newMode, expectedMode] : rows) {
        SCOPED_TRACE(name);
        const std::string path = dir.Path("target.txt");
        std::filesystem::remove(path);
        if (oldMode >= 0) {
            dir.Write("target.txt", "old\n");
            chmod(path.c_str(), mode_t(oldMode));
        }
        const std::string before = ReadFile(path);
        {
            AtomicFile file; // destroyed without a commit: discarded
            ASSERT_TRUE(file.Create(path, newMode));
            EXPECT_NE(file.TempName(), "");
            Write(file, "half");
            std::fflush(file.File());
            EXPECT_EQ(ReadFile(path), before) << "the target is untouched while writing";
        }
        EXPECT_EQ(ReadFile(path), before);
        EXPECT_EQ(FileCount(), oldMode >= 0 ? 1 : 0) << "no temporary left behind";

        AtomicFile file;
        ASSERT_TRUE(file.Create(path, newMode));
        Write(file, "new\n");
        ASSERT_TRUE(file.Commit());
        EXPECT_EQ(ReadFile(path), "new\n");
        EXPECT_EQ(Mode(path), expectedMode);
        EXPECT_EQ(FileCount(), 1);
    }
}

TEST_F(AtomicFileTest, LinksAreFollowedAndTemporariesAreUnique)
{
    const std::string path = dir.Write("real.txt", "old\n");
    const std::string link = dir.Path("link.txt");
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    dir.Write("link.txt.tmp", "stray"); // the name a fixed-name writer would take
    dir.Write(".real.txt.tmp", "stray");

    // Two writers of one target at once never share a temporary; the last commit wins.
    AtomicFile first, second;
    ASSERT_TRUE(first.Create(link));
    ASSERT_TRUE(second.Create(link));
    EXPECT_NE(first.TempName(), second.TempName());
    Write(first, "first\n");
    Write(second, "second\n");
    ASSERT_TRUE(first.Commit());
    ASSERT_TRUE(second.Commit());

    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    EXPECT_EQ(ReadFile(path), "second\n");
    EXPECT_EQ(ReadFile(dir.Path("link.txt.tmp")), "stray");
    EXPECT_EQ(ReadFile(dir.Path(".real.txt.tmp")), "stray");
    EXPECT_EQ(FileCount(), 4);
}

TEST_F(AtomicFileTest, DevicesAreWrittenInPlaceAndFailuresReported)
{
    AtomicFile null;
    ASSERT_TRUE(null.Create("/dev/null"));
    EXPECT_EQ(null.TempName(), "") << "a device cannot be replaced";
    Write(null, "gone");
    EXPECT_TRUE(null.Commit());

    AtomicFile full;
    ASSERT_TRUE(full.Create("/dev/full"));
    Write(full, std::string(4096, 'x'));
    EXPECT_FALSE(full.Commit()) << "a write error shows at the latest in the commit";

    AtomicFile nowhere;
    EXPECT_FALSE(nowhere.Create(dir.Path("no/such/dir.txt")));
    EXPECT_FALSE(nowhere.Create(dir.Dir())) << "a folder is no file";
    EXPECT_FALSE(nowhere.Commit());
    EXPECT_EQ(FileCount(), 0);
}

} // namespace
