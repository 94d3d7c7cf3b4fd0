#include "bouquets/bouquet_items.h"

#include "bouquets/bouquet_slots.h"
#include "database/byte_reader.h"
#include "database/layout.h"

namespace tavrino {
namespace ch = layout::channel;

void describeItem(const Workspace& workspace, BouquetItem& item) {
    const ServiceTable& services = workspace.services();
    const auto row = services.findByFlagAndSid(item.link, item.sid);
    item.name = row ? services.serviceName(*row) : unknownServiceName;
    const std::string* raw = workspace.rawSatelliteName(item.satIndex);
    item.satellite = raw ? workspace.codePage().toUtf8(*raw) : std::string();
    item.altSystem = raw && bouquet_slots::isAltSystemName(*raw);
}

void encodeItem(Bytes& table, std::size_t slot, const BouquetItem& item, std::size_t position) {
    namespace r = ch::ref;
    const std::size_t s = ch::serviceRefSize * slot;
    table[s + r::altSystemMark] = table[s + r::altSystemMark2] = item.altSystem ? 1 : 0;
    writeNumber(table, s + r::position, 1, static_cast<std::int64_t>(position));
    writeNumber(table, s + r::reserved, 1, item.reserved);
    writeNumber(table, s + r::satIndex, 2, item.satIndex);
    writeNumber(table, s + r::frequency, 4, item.frequency);
    writeNumber(table, s + r::polarization, 1, item.polarization);
    writeNumber(table, s + r::sid, 2, item.sid);
    writeNumber(table, s + r::nid, 2, item.nid);
    writeNumber(table, s + r::tid, 2, item.tid);
    writeNumber(table, s + r::link, 4, item.link);
}

std::vector<BouquetItem> readBouquetItems(const Workspace& workspace, int record) {
    auto items = readStoredItems(workspace, record);
    for (BouquetItem& item : items) {
        describeItem(workspace, item);
    }
    return items;
}

std::vector<BouquetItem> readStoredItems(const Workspace& workspace, int record) {
    std::vector<BouquetItem> items;
    if (record < 0 || static_cast<std::size_t>(record) >= ch::bouquetCapacity ||
        !workspace.channelLoaded()) {
        return items;
    }
    const ByteReader reader(workspace.channelBytes(), workspace.files().channelPath);
    const std::size_t table =
        ch::bouquetItems + ch::bouquetItemTableSize * static_cast<std::size_t>(record);
    for (std::size_t j = 0; j < ch::bouquetItemCapacity; ++j) {
        const auto slot =
            reader.record(table + ch::serviceRefSize * j, ch::serviceRefSize, "bouquet item");
        BouquetItem item;
        item.position = slot.u16(ch::ref::position);
        if (item.position == 0) {
            break;
        }
        item.type = slot.u16(ch::ref::altSystemMark);
        item.reserved = slot.u16(ch::ref::reserved);
        item.satIndex = slot.u16(ch::ref::satIndex);
        item.frequency = slot.i32(ch::ref::frequency);
        item.polarization = slot.u16(ch::ref::polarization);
        item.sid = slot.u16(ch::ref::sid);
        item.nid = slot.u16(ch::ref::nid);
        item.tid = slot.u16(ch::ref::tid);
        item.link = slot.i32(ch::ref::link);
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace tavrino
