#pragma once

#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <new>
#include <utility>
#include <vector>

// Allocator for the big arrays of a series (raw values, mipmap levels). Blocks of 2 MiB
// and more are mapped directly and marked for transparent huge pages: first-touch page
// faults dominate the cost of filling a fresh array, and huge pages cut them about
// three-fold. Otherwise it behaves exactly like std::allocator.
void* AllocateLarge(std::size_t bytes);
void DeallocateLarge(void* p, std::size_t bytes) noexcept;

// Arrays of at least this many bytes are mappings of their own (see AdoptMapping).
constexpr std::size_t LARGE_ARRAY_THRESHOLD = std::size_t(2) << 20;
// The length of the mapping of an array of `bytes` bytes.
std::size_t LargeMappingBytes(std::size_t bytes);
// Undoes a mapping of LargeMappingBytes(bytes) bytes that no array adopted.
void UnmapLarge(void* memory, std::size_t bytes) noexcept;

namespace large_array_detail {
// Set while AdoptMapping builds an array on this thread: the next allocation of `bytes`
// is `memory`.
struct Adoption
{
    void* memory = nullptr;
    std::size_t bytes = 0;
};
inline thread_local Adoption adoption;

// The elements AdoptMapping inserts: their construction writes nothing, so what the
// memory holds stays (and the loop that would write them compiles to nothing).
struct Untouched
{
    // Only the allocator's construct takes these (and writes nothing); the assignments of
    // the standard library's other insert paths are never reached, which this makes plain.
    template <typename T> [[noreturn]] operator T() const { std::abort(); }
};
struct UntouchedIterator
{
    using iterator_category = std::random_access_iterator_tag;
    using value_type = Untouched;
    using difference_type = std::ptrdiff_t;
    using pointer = const Untouched*;
    using reference = Untouched;

    difference_type i = 0;
    Untouched operator*() const { return {}; }
    Untouched operator[](difference_type) const { return {}; }
    UntouchedIterator& operator++() { return ++i, *this; }
    UntouchedIterator operator++(int) { return {i++}; }
    UntouchedIterator& operator--() { return --i, *this; }
    UntouchedIterator operator--(int) { return {i--}; }
    UntouchedIterator& operator+=(difference_type n) { return i += n, *this; }
    UntouchedIterator& operator-=(difference_type n) { return i -= n, *this; }
    UntouchedIterator operator+(difference_type n) const { return {i + n}; }
    UntouchedIterator operator-(difference_type n) const { return {i - n}; }
    difference_type operator-(const UntouchedIterator& o) const { return i - o.i; }
    bool operator==(const UntouchedIterator& o) const { return i == o.i; }
    bool operator!=(const UntouchedIterator& o) const { return i != o.i; }
    bool operator<(const UntouchedIterator& o) const { return i < o.i; }
    bool operator>(const UntouchedIterator& o) const { return i > o.i; }
    bool operator<=(const UntouchedIterator& o) const { return i <= o.i; }
    bool operator>=(const UntouchedIterator& o) const { return i >= o.i; }
};
} // namespace large_array_detail

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

    template <typename U> void construct(U*, large_array_detail::Untouched) {}
    template <typename U, typename... Args> void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    template <typename U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
    template <typename U> bool operator!=(const LargeAllocator<U>&) const noexcept { return false; }
};

template <typename T> using LargeArray = std::vector<T, LargeAllocator<T>>;

// An array over `count` elements that are already at `memory`: a mapping of
// LargeMappingBytes(count * sizeof(T)) bytes made with mmap, which the array then owns
// (it is unmapped when the array is freed or grows). Nothing is written to it, so a file
// mapped privately stays in the page cache instead of becoming the process's own memory.
// A smaller array would be freed as heap memory, so it is copied and the mapping undone.
template <typename T> LargeArray<T> AdoptMapping(T* memory, std::size_t count)
{
    if (count * sizeof(T) < LARGE_ARRAY_THRESHOLD) {
        LargeArray<T> copy(memory, memory + count);
        UnmapLarge(memory, count * sizeof(T));
        return copy;
    }
    using large_array_detail::UntouchedIterator;
    LargeArray<T> array;
    large_array_detail::adoption = {memory, count * sizeof(T)};
    array.reserve(count); // takes the memory: the allocation has that size
    large_array_detail::adoption = {};
    array.insert(array.end(), UntouchedIterator{0},
                 UntouchedIterator{static_cast<std::ptrdiff_t>(count)});
    return array;
}
