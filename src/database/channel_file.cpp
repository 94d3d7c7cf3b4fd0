#include "database/channel_file.h"

#include "database/byte_reader.h"
#include "database/file_problem.h"
#include "database/layout.h"

#include <algorithm>

namespace tavrino {
namespace ch = layout::channel;

namespace {

ByteReader readerFor(const ChannelImage& image, const std::string& path) {
    return ByteReader(image.bytes, path);
}

std::size_t checkedCount(const ByteReader& reader, std::size_t offset, int width,
                         std::size_t capacity, const std::string& what) {
    const auto count = reader.readNumber(offset, width, what);
    if (count < 0 || static_cast<std::size_t>(count) > capacity) {
        reader.fail(what + " at offset " + std::to_string(offset) + " is " + std::to_string(count) +
                    ", more than its " + std::to_string(capacity) + " slots");
    }
    return static_cast<std::size_t>(count);
}

DecodedService decodeService(const RecordReader& rec, std::int32_t flag, const ByteReader& reader) {
    namespace sv = ch::service;
    DecodedService s;
    s.offset = static_cast<std::uint32_t>(rec.offset());
    s.flag = flag;
    s.link = rec.i32(sv::link);
    s.nameLength = rec.u16(sv::nameLength);
    // A length beyond the name area would read other fields as name bytes.
    s.name = rec.name(sv::name, std::min<std::size_t>(s.nameLength, sv::nameCapacity));
    s.genreId = rec.u16(sv::genreId);
    s.providerIndex = rec.u16(sv::providerIndex);
    const std::int32_t satIndex = rec.i32(sv::satIndex);
    if (satIndex < 0 || satIndex > 255) {
        reader.fail("the service record at offset " + std::to_string(rec.offset()) +
                    " has satellite number " + std::to_string(satIndex) +
                    ", but satellite numbers go from 0 to 255");
    }
    s.satIndex = static_cast<std::uint8_t>(satIndex);
    s.frequency = rec.i32(sv::frequency);
    s.serviceType = rec.u16(sv::serviceType);
    s.tid = rec.u16(sv::tid);
    s.nid = rec.u16(sv::nid);
    s.sid = rec.u16(sv::sid);
    s.polarization = rec.u16(sv::polarization);
    s.pmtPid = rec.u16(sv::pmtPid);
    s.pcrPid = rec.u16(sv::pcrPid);
    s.videoTag = rec.u16(sv::videoTag);
    s.videoPid = rec.u16(sv::videoPid);
    s.audioTag = rec.u16(sv::audioTag);
    s.audioPid = rec.u16(sv::audioPid);
    s.teletextPid = rec.u16(sv::teletextPid);
    s.flags = rec.u16(sv::flags);
    return s;
}

} // namespace

int channelVersion(const ChannelImage& image) {
    return image.loaded() ? image.bytes[ch::version] : 0;
}

void checkChannelFile(const ChannelImage& image, const std::string& path) {
    if (!image.loaded()) {
        throw FileProblem(FileProblem::Kind::EmptyFile, path, "empty file");
    }
    if (channelVersion(image) < ch::oldestSupportedVersion) {
        throw FileProblem(FileProblem::Kind::OldVersion, path, "version below 6");
    }
    if (image.length() < ch::minimumSize) {
        throw FileProblem(FileProblem::Kind::Damaged, path,
                          "the file ends at " + std::to_string(image.length()) +
                              ", but a channel database has at least " +
                              std::to_string(ch::minimumSize) + " bytes");
    }
}

ProviderTable decodeProviders(const ChannelImage& image, const std::string& path) {
    const ByteReader reader = readerFor(image, path);
    ProviderTable table;
    table.count =
        checkedCount(reader, ch::providerCount, 2, ch::providerCapacity, "the provider count");
    for (std::size_t i = 0; i < table.count; ++i) {
        const auto rec = reader.record(ch::providers + ch::nameRecordSize * i, ch::nameRecordSize,
                                       "the provider record");
        const int key = rec.u16(ch::nameRecordIndex);
        if (key > static_cast<int>(ch::providerKeyLimit)) {
            reader.fail("the provider record at offset " + std::to_string(rec.offset()) +
                        " has key " + std::to_string(key) + ", but keys go from 0 to 2000");
        }
        const std::size_t length =
            std::min<std::size_t>(rec.u8(ch::nameRecordLength), ch::nameRecordNameCapacity);
        table.names[static_cast<std::size_t>(key)] = rec.name(ch::nameRecordName, length);
    }
    return table;
}

BouquetTable decodeBouquets(const ChannelImage& image, const std::string& path) {
    const ByteReader reader = readerFor(image, path);
    BouquetTable table;
    table.count = static_cast<int>(
        checkedCount(reader, ch::bouquetCount, 2, ch::bouquetCapacity, "the bouquet count"));
    for (int b = 0; b < table.count; ++b) {
        const auto rec =
            reader.record(ch::bouquets + ch::nameRecordSize * static_cast<std::size_t>(b),
                          ch::nameRecordSize, "the bouquet record");
        const std::size_t length =
            std::min<std::size_t>(rec.u16(ch::nameRecordLength), ch::nameRecordNameCapacity);
        if (length == 0) {
            continue;
        }
        BouquetRecord row;
        row.record = b;
        row.number = rec.u16(ch::nameRecordIndex);
        // Bouquet names keep zero bytes, one character per byte.
        row.name.assign(
            reinterpret_cast<const char*>(image.bytes.data() + rec.offset() + ch::nameRecordName),
            length);
        table.rows.push_back(std::move(row));
    }
    return table;
}

void walkServiceTree(const ChannelImage& image, const std::string& path,
                     ServiceTreeVisitor& visitor) {
    const ByteReader reader = readerFor(image, path);
    const std::size_t length = image.length();
    std::size_t p = ch::serviceTree;
    do {
        const auto header =
            reader.record(p, ch::satelliteHeaderSize, "the header of a satellite block");
        visitor.satelliteBlock(header.name(ch::satelliteHeaderName, ch::satelliteHeaderNameWidth));
        const std::int32_t tpCount = header.i32(ch::satelliteHeaderTpCount);
        if (tpCount < 0) {
            reader.fail("the satellite block at offset " + std::to_string(p) +
                        " has a negative transponder count (" + std::to_string(tpCount) + ")");
        }
        std::size_t q = p + ch::satelliteHeaderSize + ch::transponderPrefixSize;
        for (std::int32_t t = 0; t < tpCount; ++t) {
            const auto tp = reader.record(q, ch::transponderHeaderSize, "a transponder header");
            const int serviceCount = tp.u16(ch::transponderServiceCount);
            const std::int32_t firstLink = tp.i32(ch::transponderFirstLink);
            const std::int32_t lastLink = tp.i32(ch::transponderLastLink);
            q += ch::transponderHeaderSize;
            const std::size_t listSize = ch::service::size * static_cast<std::size_t>(serviceCount);
            if (q > length || listSize > length - q) { // the message is built only when needed
                reader.require(q, listSize,
                               "the service list of the transponder at offset " +
                                   std::to_string(tp.offset()));
            }
            std::int32_t previousLink = 0;
            for (int k = 0; k < serviceCount; ++k) {
                const auto rec = reader.record(q, ch::service::size, "a service record");
                std::int32_t flag = previousLink;
                if (k == serviceCount - 1) {
                    flag = lastLink; // wins for a single service
                } else if (k == 0) {
                    flag = firstLink;
                }
                previousLink = rec.i32(ch::service::link);
                visitor.service(decodeService(rec, flag, reader));
                q += ch::service::size;
            }
            q += ch::transponderPrefixSize;
        }
        p = q - ch::transponderPrefixSize;
    } while (p + 201 < length); // a shorter tail is not a block; it is carried unchanged
}

DecodedService decodeServiceRecord(const ChannelImage& image, const std::string& path,
                                   std::size_t offset, std::int32_t flag) {
    const ByteReader reader = readerFor(image, path);
    return decodeService(reader.record(offset, ch::service::size, "service record"), flag, reader);
}

void remarkReferences(ChannelImage& image, const std::string& path) {
    const ByteReader reader = readerFor(image, path);
    std::vector<std::size_t> slots;
    int tableNumber = 1;
    for (const auto& table : ch::referenceTables) {
        const auto count =
            checkedCount(reader, table.count, 4, table.capacity,
                         "the count of reference table " + std::to_string(tableNumber++));
        for (std::size_t i = 0; i < count; ++i) {
            slots.push_back(table.firstSlot + ch::serviceRefSize * i);
        }
    }
    for (std::size_t b = 0; b < ch::bouquetCapacity; ++b) {
        const auto count =
            checkedCount(reader, ch::bouquetItemCounts + 2 * b, 2, ch::bouquetItemCapacity,
                         "the item count of bouquet " + std::to_string(b));
        for (std::size_t j = 0; j < count; ++j) {
            slots.push_back(ch::bouquetItems + ch::bouquetItemTableSize * b +
                            ch::serviceRefSize * j);
        }
    }
    // All counts were checked before the first byte changes.
    for (const std::size_t s : slots) {
        const bool altSystem =
            peekNumber(image.bytes, s + ch::ref::satIndex, 2) > ch::altSystemSatIndex;
        image.bytes[s + ch::ref::altSystemMark] = altSystem ? 1 : 0;
        image.bytes[s + ch::ref::altSystemMark2] = 0;
    }
}

} // namespace tavrino
