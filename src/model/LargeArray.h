#pragma once

#include <cstddef>
#include <new>
#include <vector>

// Allocator for the big arrays of a series (raw values, mipmap levels). Blocks of 2 MiB
// and more are mapped directly and marked for transparent huge pages: first-touch page
// faults dominate the cost of filling a fresh array, and huge pages cut them about
// three-fold. Otherwise it behaves exactly like std::allocator.
void* AllocateLarge(std::size_t bytes);
void DeallocateLarge(void* p, std::size_t bytes) noexcept;

template <typename T> struct LargeAllocator
{
    using value_type = T;

    LargeAllocator() noexcept = default;
    template <typename U> LargeAllocator(const LargeAllocator<U>&) noexcept {}

    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { DeallocateLarge(p, n * sizeof(T)); }

    template <typename U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
    template <typename U> bool operator!=(const LargeAllocator<U>&) const noexcept { return false; }
};

template <typename T> using LargeArray = std::vector<T, LargeAllocator<T>>;
