#include "folder_input.h"

#include "database/layout.h"

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
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

bool writeChannelFile(const FolderParts& parts, const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const auto writeAt = [fd](const std::uint8_t* from, std::size_t size, std::size_t offset) {
        while (size > 0) {
            const ssize_t n = ::pwrite(fd, from, size, static_cast<off_t>(offset));
            if (n <= 0) {
                return false;
            }
            from += n;
            size -= static_cast<std::size_t>(n);
            offset += static_cast<std::size_t>(n);
        }
        return true;
    };
    bool ok = ::ftruncate(fd, static_cast<off_t>(ch::serviceTree + parts.tree.size())) == 0;
    std::size_t at = 0;
    for (const Region& r : regions()) {
        ok = ok && writeAt(parts.head.data() + at, r.size, r.offset);
        at += r.size;
    }
    ok = ok && writeAt(parts.tree.data(), parts.tree.size(), ch::serviceTree);
    return ::close(fd) == 0 && ok;
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
