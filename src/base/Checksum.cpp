#include "base/Checksum.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

namespace {

constexpr uint64_t PRIME1 = 11400714785074694791ull;
constexpr uint64_t PRIME2 = 14029467366897019727ull;
constexpr uint64_t PRIME3 = 1609587929392839161ull;
constexpr size_t PIECE_BYTES = size_t(4) << 20;

uint64_t Rotate(uint64_t x, int r)
{
    return (x << r) | (x >> (64 - r));
}

uint64_t Round(uint64_t acc, uint64_t input)
{
    return Rotate(acc + input * PRIME2, 31) * PRIME1;
}

uint64_t Load(const unsigned char* p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

uint64_t Avalanche(uint64_t h)
{
    h ^= h >> 33;
    h *= PRIME2;
    h ^= h >> 29;
    h *= PRIME3;
    return h ^ (h >> 32);
}

} // namespace

uint64_t ChecksumBytes(const void* data, size_t size, uint64_t seed)
{
    const auto* p = static_cast<const unsigned char*>(data);
    uint64_t a = seed + PRIME1 + PRIME2, b = seed + PRIME2, c = seed, d = seed - PRIME1;
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        a = Round(a, Load(p + i));
        b = Round(b, Load(p + i + 8));
        c = Round(c, Load(p + i + 16));
        d = Round(d, Load(p + i + 24));
    }
    uint64_t h = Rotate(a, 1) + Rotate(b, 7) + Rotate(c, 12) + Rotate(d, 18) + uint64_t(size);
    for (; i + 8 <= size; i += 8)
        h = Rotate(h ^ Round(0, Load(p + i)), 27) * PRIME1 + PRIME3;
    for (; i < size; ++i)
        h = Rotate(h ^ (p[i] * PRIME3), 11) * PRIME1;
    return Avalanche(h);
}

bool ChecksumFilledRuns(const ByteRun* runs, size_t count, int threads, const PieceFill& fill,
                        uint64_t& sum)
{
    // Pieces are numbered across the runs; each piece's sum is seeded with its number, so
    // moving bytes between pieces, or pieces around, changes the whole.
    struct Piece
    {
        const unsigned char* data;
        size_t size, run, offset;
    };
    std::vector<Piece> pieces;
    for (size_t r = 0; r < count; ++r) {
        const auto* p = static_cast<const unsigned char*>(runs[r].data);
        size_t offset = 0;
        do {
            const size_t n = std::min(runs[r].size - offset, PIECE_BYTES);
            pieces.push_back({p ? p + offset : nullptr, n, r, offset});
            offset += n;
        } while (offset < runs[r].size);
    }
    std::vector<uint64_t> sums(pieces.size());
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        std::vector<unsigned char> passing; // the thread's buffer for runs not kept
        for (size_t k; !failed && (k = next.fetch_add(1)) < pieces.size();) {
            const Piece& piece = pieces[k];
            unsigned char* to = const_cast<unsigned char*>(piece.data);
            if (!to && piece.size > 0) {
                passing.resize(PIECE_BYTES);
                to = passing.data();
            }
            if (fill && piece.size > 0 && !fill(piece.run, piece.offset, piece.size, to)) {
                failed = true;
                return;
            }
            sums[k] = ChecksumBytes(to, piece.size, k);
        }
    };
    std::thread helper;
    if (threads > 1 && pieces.size() > 1) {
        try {
            helper = std::thread(work);
        } catch (const std::system_error&) {
            // One thread does it all.
        }
    }
    work();
    if (helper.joinable())
        helper.join();
    if (failed)
        return false;
    sum = ChecksumBytes(sums.data(), sums.size() * sizeof(uint64_t), count);
    return true;
}

uint64_t ChecksumRuns(const ByteRun* runs, size_t count, int threads)
{
    uint64_t sum = 0;
    ChecksumFilledRuns(runs, count, threads, {}, sum);
    return sum;
}
