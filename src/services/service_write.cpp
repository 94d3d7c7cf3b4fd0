#include "services/service_write.h"

#include "database/layout.h"

#include <algorithm>

namespace tavrino {
namespace {
namespace ch = layout::channel;
namespace sv = ch::service;

template <class T>
void writeIf(ImageEditor& channel, std::size_t at, int width, const std::optional<T>& value) {
    if (value) {
        channel.writeNumber(at, width, static_cast<std::int64_t>(*value));
    }
}

// Every in-use slot of the three reference tables and of the 50 bouquets, with the bouquet it
// belongs to (-1 for the reference tables). Counts beyond an area's capacity are cut to it.
std::vector<std::pair<std::size_t, int>> referenceSlots(const Bytes& image) {
    std::vector<std::pair<std::size_t, int>> slots;
    for (const auto& table : ch::referenceTables) {
        const auto count = std::min<std::size_t>(
            static_cast<std::uint32_t>(peekNumber(image, table.count, 4)), table.capacity);
        for (std::size_t i = 0; i < count; ++i) {
            slots.emplace_back(table.firstSlot + ch::serviceRefSize * i, -1);
        }
    }
    for (std::size_t b = 0; b < ch::bouquetCapacity; ++b) {
        const auto count = std::min<std::size_t>(
            static_cast<std::size_t>(peekNumber(image, ch::bouquetItemCounts + 2 * b, 2)),
            ch::bouquetItemCapacity);
        for (std::size_t j = 0; j < count; ++j) {
            slots.emplace_back(ch::bouquetItems + ch::bouquetItemTableSize * b +
                                   ch::serviceRefSize * j,
                               static_cast<int>(b));
        }
    }
    return slots;
}

bool copiesIdentity(const ServiceChanges& c) {
    return c.sid || c.satIndex || c.frequency || c.polarization || c.nid || c.tid;
}

} // namespace

void writeServiceChanges(ImageEditor& channel, std::uint32_t offset,
                         const ServiceChanges& changes) {
    if (changes.name) {
        const std::string& name = *changes.name;
        channel.writeBytes(offset + sv::name,
                           {reinterpret_cast<const std::uint8_t*>(name.data()), name.size()});
        if (name.size() < sv::nameAreaCapacity) {
            channel.fill(offset + sv::name + name.size(), sv::nameAreaCapacity - name.size(), 0);
        }
        channel.writeNumber(offset + sv::nameLength, 2, static_cast<std::int64_t>(name.size()));
    }
    writeIf(channel, offset + sv::flags, 1, changes.flags);
    writeIf(channel, offset + sv::satIndex, 1, changes.satIndex);
    writeIf(channel, offset + sv::frequency, 4, changes.frequency);
    writeIf(channel, offset + sv::serviceType, 2, changes.serviceType);
    writeIf(channel, offset + sv::tid, 2, changes.tid);
    writeIf(channel, offset + sv::nid, 2, changes.nid);
    writeIf(channel, offset + sv::sid, 2, changes.sid);
    writeIf(channel, offset + sv::polarization, 1, changes.polarization);
    writeIf(channel, offset + sv::pmtPid, 2, changes.pmtPid);
    writeIf(channel, offset + sv::pcrPid, 2, changes.pcrPid);
    writeIf(channel, offset + sv::videoPid, 2, changes.videoPid);
    writeIf(channel, offset + sv::audioPid, 2, changes.audioPid);
    writeIf(channel, offset + sv::teletextPid, 2, changes.teletextPid);
    writeIf(channel, offset + sv::videoTag, 2, changes.videoTag);
    writeIf(channel, offset + sv::audioTag, 2, changes.audioTag);
}

std::vector<int> followServiceReferences(ImageEditor& channel, std::int32_t flag,
                                         std::uint16_t oldSid, const ServiceChanges& changes) {
    namespace r = ch::ref;
    std::vector<int> bouquets;
    if (!copiesIdentity(changes)) {
        return bouquets;
    }
    for (const auto& [slot, bouquet] : referenceSlots(channel.bytes())) {
        const Bytes& image = channel.bytes();
        if (peekNumber(image, slot + r::link, 4) != flag ||
            peekNumber(image, slot + r::sid, 2) != oldSid) {
            continue;
        }
        writeIf(channel, slot + r::sid, 2, changes.sid);
        writeIf(channel, slot + r::satIndex, 2, changes.satIndex);
        writeIf(channel, slot + r::frequency, 4, changes.frequency);
        writeIf(channel, slot + r::polarization, 1, changes.polarization);
        writeIf(channel, slot + r::nid, 2, changes.nid);
        writeIf(channel, slot + r::tid, 2, changes.tid);
        if (bouquet >= 0 && (bouquets.empty() || bouquets.back() != bouquet)) {
            bouquets.push_back(bouquet);
        }
    }
    return bouquets;
}

} // namespace tavrino
