#include "folder_input.h"

#include "database/layout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace tavrino::fuzz {
namespace ch = layout::channel;

namespace {

constexpr std::size_t providerSlots = 16;
constexpr std::size_t otherNameSlots = 2;
constexpr std::size_t referenceSlots = 8;
constexpr std::size_t itemSlots = 8;

std::vector<Region> makeRegions() {
    std::vector<Region> r = {
        {0, ch::providers}, // version byte and the rest of the file header
        {ch::providers, ch::nameRecordSize * providerSlots},
        {ch::providerCount, 2},
        {ch::secondNames, ch::nameRecordSize * otherNameSlots},
        {ch::secondNameCount, 2},
        {ch::thirdNames, ch::nameRecordSize * otherNameSlots},
        {ch::thirdNameCount, 2},
        {ch::bouquets, ch::nameRecordSize * ch::bouquetCapacity},
        {ch::bouquetCount, 14},
    };
    for (const auto& table : ch::referenceTables) {
        r.push_back({table.firstSlot, ch::serviceRefSize * referenceSlots});
        r.push_back({table.count, 4});
    }
    for (std::size_t b = 0; b < ch::bouquetCapacity; ++b) {
        r.push_back(
            {ch::bouquetItems + ch::bouquetItemTableSize * b, ch::serviceRefSize * itemSlots});
    }
    r.push_back({ch::bouquetItemCounts, 2 * ch::bouquetCapacity});
    return r;
}

const std::vector<Region>& regions() {
    static const std::vector<Region> all = makeRegions();
    return all;
}

Bytes take(std::span<const std::uint8_t>& input, std::size_t size) {
    const std::size_t n = std::min(size, input.size());
    Bytes out(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n));
    input = input.subspan(n);
    return out;
}

std::uint32_t takeLength(std::span<const std::uint8_t>& input) {
    const Bytes b = take(input, 4);
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
        v |= static_cast<std::uint32_t>(b[i]) << (8 * i);
    }
    return v;
}

void putLength(Bytes& out, std::size_t size) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    }
}

} // namespace

std::span<const Region> headRegions() {
    return regions();
}

std::size_t headSize() {
    std::size_t size = 0;
    for (const Region& r : regions()) {
        size += r.size;
    }
    return size;
}

FolderParts split(std::span<const std::uint8_t> input) {
    FolderParts parts;
    parts.head = take(input, headSize());
    parts.head.resize(headSize(), 0);
    parts.tree = take(input, takeLength(input));
    parts.dvbs = take(input, takeLength(input));
    parts.antenna.assign(input.begin(), input.end());
    return parts;
}

Bytes join(const FolderParts& parts) {
    Bytes out = parts.head;
    for (const Bytes* part : {&parts.tree, &parts.dvbs}) {
        putLength(out, part->size());
        out.insert(out.end(), part->begin(), part->end());
    }
    out.insert(out.end(), parts.antenna.begin(), parts.antenna.end());
    return out;
}

sample::Files expand(const FolderParts& parts) {
    sample::Files files;
    files.channel.reserve(ch::serviceTree + parts.tree.size());
    files.channel.assign(ch::serviceTree, 0);
    std::size_t at = 0;
    for (const Region& r : regions()) {
        std::memcpy(files.channel.data() + r.offset, parts.head.data() + at, r.size);
        at += r.size;
    }
    files.channel.insert(files.channel.end(), parts.tree.begin(), parts.tree.end());
    files.dvbs = parts.dvbs;
    files.antenna = parts.antenna;
    return files;
}

FolderParts pack(const sample::Files& files) {
    FolderParts parts;
    for (const Region& r : regions()) {
        const auto from = files.channel.begin() + static_cast<std::ptrdiff_t>(r.offset);
        parts.head.insert(parts.head.end(), from, from + static_cast<std::ptrdiff_t>(r.size));
    }
    parts.tree.assign(files.channel.begin() + static_cast<std::ptrdiff_t>(ch::serviceTree),
                      files.channel.end());
    parts.dvbs = files.dvbs;
    parts.antenna = files.antenna;
    return parts;
}

} // namespace tavrino::fuzz
