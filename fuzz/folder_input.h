#pragma once

#include "database/byte_image.h"
#include "samplegen/sample_generator.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

// One fuzz input holds a whole receiver folder. The fixed areas of all_channel.dat are packed
// densely, area by area with the slots in use at the front, so that a mutation lands on a
// version byte, a count, a provider key or a bouquet record instead of on megabytes of unused
// slots; the service tree, DVBS.dat and antenna_list.dat follow, each after a 4-byte length.
namespace tavrino::fuzz {

struct FolderParts {
    Bytes head; // exactly headSize() bytes
    Bytes tree;
    Bytes dvbs;
    Bytes antenna;
};

// A region of all_channel.dat that the packed head carries.
struct Region {
    std::size_t offset;
    std::size_t size;
};

std::span<const Region> headRegions();
std::size_t headSize();

// Any bytes split into the four parts (short inputs give short or empty parts).
FolderParts split(std::span<const std::uint8_t> input);
Bytes join(const FolderParts& parts);

// Writes all_channel.dat as the parts describe it, without building its 1.6 MB in memory: the
// file is sized first, so the slots the head does not carry read as zeros, and then only the
// head's regions and the tree are written. False when a write failed.
bool writeChannelFile(const FolderParts& parts, const std::filesystem::path& path);
// The parts of generated files (for seeds).
FolderParts pack(const sample::Files& files);

} // namespace tavrino::fuzz
