#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace tavrino {

// Blocks of many megabytes (the images, the service rows of a large list) are placed on
// huge-page boundaries and the kernel is asked to back them with huge pages: touching them
// for the first time then costs a few faults instead of one per 4 KiB page.
inline void* allocateLargeFriendly(std::size_t bytes) {
    constexpr std::size_t hugePage = std::size_t{2} << 20;
    if (bytes < hugePage) {
        if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) {
            return p;
        }
        throw std::bad_alloc();
    }
    // aligned_alloc wants a multiple of the alignment; the tail past `bytes` is never touched,
    // so only the whole huge pages inside the block are advised and it costs no memory.
    const std::size_t rounded = (bytes + hugePage - 1) / hugePage * hugePage;
    void* p = std::aligned_alloc(hugePage, rounded);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    ::madvise(p, bytes / hugePage * hugePage, MADV_HUGEPAGE); // advice: else small pages
    return p;
}

inline void releaseLargeFriendly(void* p) {
    std::free(p);
}

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
