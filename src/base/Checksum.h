#pragma once

#include <cstddef>
#include <cstdint>

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
