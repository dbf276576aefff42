#include "model/LargeArray.h"

#include <sys/mman.h>

namespace {
constexpr std::size_t LARGE_THRESHOLD = LARGE_ARRAY_THRESHOLD;
constexpr std::size_t LARGE_PAGE_BYTES = 4096;
std::size_t RoundUp(std::size_t bytes)
{
    return (bytes + LARGE_PAGE_BYTES - 1) / LARGE_PAGE_BYTES * LARGE_PAGE_BYTES;
}
} // namespace

std::size_t LargeMappingBytes(std::size_t bytes)
{
    return RoundUp(bytes);
}

void UnmapLarge(void* memory, std::size_t bytes) noexcept
{
    if (memory)
        munmap(memory, RoundUp(bytes));
}

void* AllocateLarge(std::size_t bytes)
{
    auto& adoption = large_array_detail::adoption;
    if (adoption.memory && bytes == adoption.bytes) {
        void* p = adoption.memory;
        adoption.memory = nullptr; // once: a later allocation is an ordinary one
        return p;
    }
    if (bytes < LARGE_THRESHOLD)
        return ::operator new(bytes);
    void* p =
        mmap(nullptr, RoundUp(bytes), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    madvise(p, RoundUp(bytes), MADV_HUGEPAGE); // advice only; failure is harmless
    return p;
}

void DeallocateLarge(void* p, std::size_t bytes) noexcept
{
    if (!p)
        return;
    if (bytes < LARGE_THRESHOLD)
        ::operator delete(p);
    else
        munmap(p, RoundUp(bytes));
}
