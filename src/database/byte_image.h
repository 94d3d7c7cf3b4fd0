#pragma once

#include "common/large_blocks.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tavrino {

// Allocates without zeroing: an image is read straight into its bytes, so clearing them first
// would only touch every page twice. Sizes given without a value leave the bytes unset.
template <class T> struct UnsetAllocator : LargeBlockAllocator<T> {
    UnsetAllocator() = default;
    template <class U> UnsetAllocator(const UnsetAllocator<U>&) noexcept {}
    template <class U> void construct(U* at) noexcept { ::new (static_cast<void*>(at)) U; }
    template <class U, class... Args> void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

using Bytes = std::vector<std::uint8_t, UnsetAllocator<std::uint8_t>>;

// A receiver file held whole in memory. The tag keeps the three kinds from being mixed up.
template <class Tag> struct ByteImage {
    Bytes bytes;

    std::size_t length() const { return bytes.size(); }
    bool loaded() const { return !bytes.empty(); }
    bool operator==(const ByteImage&) const = default;
};

using ChannelImage = ByteImage<struct ChannelImageTag>;         // all_channel.dat
using SatelliteImage = ByteImage<struct SatelliteImageTag>;     // antenna_list.dat
using TransponderImage = ByteImage<struct TransponderImageTag>; // DVBS.dat

inline constexpr const char* channelFileName = "all_channel.dat";
inline constexpr const char* antennaFileName = "antenna_list.dat";
inline constexpr const char* dvbsFileName = "DVBS.dat";

} // namespace tavrino
