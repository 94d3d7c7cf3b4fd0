#pragma once

#include "database/byte_image.h"
#include "database/layout.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Pieces the sample generator and the rescan share.
namespace tavrino::sample::detail {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) {
        return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(n));
    }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    void fill(Bytes& b, std::size_t offset, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            b[offset + i] = static_cast<std::uint8_t>(next());
        }
    }

private:
    std::uint64_t state_;
};

inline void put(Bytes& b, std::size_t offset, int width, std::int64_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < width; ++i) {
        b[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

inline void putName(Bytes& b, std::size_t offset, std::size_t width, const std::string& name) {
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(offset), width, 0);
    std::copy_n(name.begin(), std::min(width, name.size()),
                b.begin() + static_cast<std::ptrdiff_t>(offset));
}

struct ServiceInfo {
    std::int32_t id = 0; // the link value standing for the service (its FLAG)
    int sid = 0;
    int nid = 0;
    int tid = 0;
    int satIndex = 0;
    std::int32_t frequency = 0;
    int polarization = 0;
    int serviceType = 0;
};

// Bouquet items mark cable and terrestrial services in both mark bytes, the reference tables
// in the first only; files older than the current layout mark differently until converted.
inline void putReference(Bytes& b, std::size_t s, const ServiceInfo& svc, int position,
                         bool bouquetItem, int version) {
    namespace ch = layout::channel;
    namespace r = ch::ref;
    const bool alt = svc.satIndex > ch::altSystemSatIndex;
    if (version >= ch::currentLayoutVersion) {
        b[s + r::altSystemMark] = alt ? 1 : 0;
        b[s + r::altSystemMark2] = alt && bouquetItem ? 1 : 0;
    } else {
        b[s + r::altSystemMark] = 0;
        b[s + r::altSystemMark2] = 7;
    }
    put(b, s + r::position, 2, position);
    put(b, s + r::reserved, 2, 0);
    put(b, s + r::satIndex, 2, svc.satIndex);
    put(b, s + r::frequency, 4, svc.frequency);
    put(b, s + r::polarization, 2, svc.polarization == 0 ? 0 : 1);
    put(b, s + r::sid, 2, svc.sid);
    put(b, s + r::nid, 2, svc.nid);
    put(b, s + r::tid, 2, svc.tid);
    put(b, s + r::link, 4, svc.id);
}

// The three reference tables: TV, radio and the rest, in service order.
inline void writeReferenceTables(Bytes& b, const std::vector<ServiceInfo>& services, int version) {
    namespace ch = layout::channel;
    std::array<std::vector<const ServiceInfo*>, 3> lists;
    for (const auto& svc : services) {
        const int kind = svc.serviceType & 0xFF;
        lists[kind == 1 ? 0 : kind == 2 ? 1 : 2].push_back(&svc);
    }
    for (std::size_t t = 0; t < 3; ++t) {
        const auto& table = ch::referenceTables[t];
        const std::size_t count = std::min(lists[t].size(), table.capacity);
        put(b, table.count, 4, static_cast<int>(count));
        for (std::size_t i = 0; i < count; ++i) {
            putReference(b, table.firstSlot + ch::serviceRefSize * i, *lists[t][i],
                         static_cast<int>(i + 1), false, version);
        }
    }
}

} // namespace tavrino::sample::detail
