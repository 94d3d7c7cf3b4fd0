#include "common/large_blocks.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace tavrino {

void* allocateLargeFriendly(std::size_t bytes) {
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

void releaseLargeFriendly(void* p) noexcept {
    std::free(p);
}

} // namespace tavrino
