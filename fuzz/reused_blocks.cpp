// The folder target's own large-block allocator, in place of common/large_blocks.cpp: under
// AddressSanitizer every large block is a fresh mapping, and faulting in a new 1.6 MB image on
// every run cost half of each run. Blocks of a megabyte and more are kept for the next run
// instead, poisoned while unused and beyond the size asked for, so ASan still reports a read
// after free or past the end. Smaller blocks go to malloc as before.
#include "common/large_blocks.h"

#include <cstdlib>
#include <new>
#include <sanitizer/asan_interface.h>
#include <sanitizer/lsan_interface.h>
#include <vector>

namespace tavrino {
namespace {

constexpr std::size_t reusedFrom = std::size_t{1} << 20;
constexpr std::size_t keptBlocks = 8;

struct Block {
    void* at;
    std::size_t capacity;
};

std::vector<Block>& blocks(bool inUse) {
    static std::vector<Block> used;
    static std::vector<Block> unused = [] {
        std::vector<Block> v;
        v.reserve(keptBlocks); // releasing never allocates
        return v;
    }();
    return inUse ? used : unused;
}

void* take(std::size_t bytes) {
    auto& unused = blocks(false);
    auto best = unused.end();
    for (auto it = unused.begin(); it != unused.end(); ++it) {
        if (it->capacity >= bytes && (best == unused.end() || it->capacity < best->capacity)) {
            best = it;
        }
    }
    Block block{};
    if (best != unused.end()) {
        block = *best;
        unused.erase(best);
    } else {
        block.capacity = (bytes + reusedFrom - 1) / reusedFrom * reusedFrom;
        block.at = std::malloc(block.capacity);
        if (block.at == nullptr) {
            throw std::bad_alloc();
        }
        // The pool owns it for the whole run: libFuzzer's per-input leak check counts a malloc
        // without its free as a leak and took a kept block for one.
        __lsan_ignore_object(block.at);
    }
    ASAN_UNPOISON_MEMORY_REGION(block.at, bytes);
    ASAN_POISON_MEMORY_REGION(static_cast<char*>(block.at) + bytes, block.capacity - bytes);
    blocks(true).push_back(block);
    return block.at;
}

} // namespace

void* allocateLargeFriendly(std::size_t bytes) {
    if (bytes >= reusedFrom) {
        return take(bytes);
    }
    if (void* p = std::malloc(bytes == 0 ? 1 : bytes)) {
        return p;
    }
    throw std::bad_alloc();
}

void releaseLargeFriendly(void* p) noexcept {
    auto& used = blocks(true);
    for (auto it = used.begin(); it != used.end(); ++it) {
        if (it->at == p) {
            const Block block = *it;
            used.erase(it);
            auto& unused = blocks(false);
            if (unused.size() < keptBlocks) {
                ASAN_POISON_MEMORY_REGION(block.at, block.capacity);
                unused.push_back(block);
            } else {
                ASAN_UNPOISON_MEMORY_REGION(block.at, block.capacity);
                std::free(block.at);
            }
            return;
        }
    }
    std::free(p);
}

} // namespace tavrino
