#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrino {

using Bytes = std::vector<std::uint8_t>;

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
