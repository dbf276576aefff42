// The checksum of runs of bytes: the same value whichever way the bytes arrive, and a
// change anywhere changes it.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/Checksum.h"

namespace {

constexpr size_t PIECE = size_t(4) << 20; // the pieces the sums are taken over

// Runs of awkward lengths about the piece size, zero and one byte among them.
std::vector<std::string> Runs()
{
    std::mt19937 random(11);
    std::vector<std::string> runs;
    for (size_t size : {size_t(0), size_t(1), size_t(33), PIECE - 1, PIECE, PIECE + 1, size_t(0),
                        2 * PIECE + 7}) {
        std::string run(size, '\0');
        for (char& c : run)
            c = char(random());
        runs.push_back(std::move(run));
    }
    return runs;
}

std::vector<ByteRun> ByteRuns(const std::vector<std::string>& runs)
{
    std::vector<ByteRun> out;
    for (const std::string& run : runs)
        out.push_back({run.data(), run.size()});
    return out;
}

// Filled piece by piece from a copy, on one and two threads: the sum of the runs given
// whole, kept or passed through; a fill that fails gives no sum.
TEST(Checksum, FilledRunsSumAsWholeRuns)
{
    const std::vector<std::string> source = Runs();
    const std::vector<ByteRun> whole = ByteRuns(source);
    const uint64_t expected = ChecksumRuns(whole.data(), whole.size(), 1);
    EXPECT_EQ(expected, ChecksumRuns(whole.data(), whole.size(), 2));
    for (int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        std::vector<std::string> target(source.size());
        for (size_t r = 0; r < source.size(); ++r)
            target[r].assign(source[r].size(), '\0');
        const std::vector<ByteRun> runs = ByteRuns(target);
        auto fill = [&](size_t run, size_t offset, size_t size, void* to) {
            EXPECT_EQ(&target[run][offset], to);
            std::memcpy(to, source[run].data() + offset, size);
            return true;
        };
        uint64_t sum = 0;
        ASSERT_TRUE(ChecksumFilledRuns(runs.data(), runs.size(), threads, fill, sum));
        EXPECT_EQ(expected, sum);
        EXPECT_EQ(source, target);
        auto failing = [&](size_t run, size_t offset, size_t size, void* to) {
            return fill(run, offset, size, to) && run != 5;
        };
        EXPECT_FALSE(ChecksumFilledRuns(runs.data(), runs.size(), threads, failing, sum));
        // Runs of null data pass through a buffer of the thread's: the same sum.
        std::vector<ByteRun> passing = ByteRuns(source);
        for (ByteRun& run : passing)
            run.data = nullptr;
        auto copy = [&](size_t run, size_t offset, size_t size, void* to) {
            std::memcpy(to, source[run].data() + offset, size);
            return true;
        };
        ASSERT_TRUE(ChecksumFilledRuns(passing.data(), passing.size(), threads, copy, sum));
        EXPECT_EQ(expected, sum);
    }
}

// One flipped bit, a byte moved from one run to the next, or runs in another order: all
// change the sum.
TEST(Checksum, ChangesAreSeen)
{
    const std::vector<std::string> source = Runs();
    const std::vector<ByteRun> whole = ByteRuns(source);
    const uint64_t expected = ChecksumRuns(whole.data(), whole.size(), 2);
    std::vector<std::vector<std::string>> changed;
    for (size_t at : {size_t(0), PIECE - 1, PIECE, 2 * PIECE + 6}) {
        changed.push_back(source);
        changed.back().back()[at] ^= 0x10;
    }
    changed.push_back(source);
    changed.back()[2].push_back(changed.back()[3][0]);
    changed.back()[3].erase(0, 1);
    changed.push_back(source);
    std::swap(changed.back()[2], changed.back()[3]);
    for (size_t k = 0; k < changed.size(); ++k) {
        const std::vector<ByteRun> runs = ByteRuns(changed[k]);
        EXPECT_NE(expected, ChecksumRuns(runs.data(), runs.size(), 2)) << "change " << k;
    }
}

} // namespace
