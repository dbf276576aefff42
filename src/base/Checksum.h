#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// A 64-bit checksum of `size` bytes for telling a damaged file from a sound one (not for
// security): every byte goes through four independent multiply-rotate lanes, so any
// change of one byte changes the sum, and random damage goes unseen with odds of about
// 2^-64. Runs at memory speed; no allocation, any alignment.
uint64_t ChecksumBytes(const void* data, size_t size, uint64_t seed);

// One checksum of several runs of bytes, in order, computed on `threads` threads (1 or 2)
// in pieces of a few MiB: the same value for the same runs whatever the thread count.
struct ByteRun
{
    const void* data;
    size_t size;
};
uint64_t ChecksumRuns(const ByteRun* runs, size_t count, int threads);

// ChecksumRuns over runs whose bytes are not there yet: `fill(run, offset, size, to)` puts
// each piece at `to` (a read from a file) just before it is summed, on the thread that
// sums it, so that the bytes are summed while they are still in the processor's cache.
// `to` is the run's own memory, or for a run of null data a buffer of the thread's: such a
// run is summed as it passes, not kept. False, with `sum` unset, when a fill fails; the
// pieces after it are then left unfilled.
using PieceFill = std::function<bool(size_t run, size_t offset, size_t size, void* to)>;
bool ChecksumFilledRuns(const ByteRun* runs, size_t count, int threads, const PieceFill& fill,
                        uint64_t& sum);
