#pragma once

#include <cstddef>

namespace tavrino {

// Blocks of many megabytes (the images, the service rows of a large list) are placed on
// huge-page boundaries and the kernel is asked to back them with huge pages: touching them
// for the first time then costs a few faults instead of one per 4 KiB page. Out of line, so
// the compiler does not track the block's size into std::vector's own code (GCC 12 then
// warns about writes it cannot rule out at -O3).
void* allocateLargeFriendly(std::size_t bytes);
void releaseLargeFriendly(void* p) noexcept;

// A standard allocator over allocateLargeFriendly.
template <class T> struct LargeBlockAllocator {
    using value_type = T;
    LargeBlockAllocator() = default;
    template <class U> LargeBlockAllocator(const LargeBlockAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocateLargeFriendly(n * sizeof(T))); }
    void deallocate(T* p, std::size_t) noexcept { releaseLargeFriendly(p); }
    template <class U> bool operator==(const LargeBlockAllocator<U>&) const noexcept {
        return true;
    }
};

} // namespace tavrino
