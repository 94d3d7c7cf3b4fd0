#include "bouquets/bouquet_editor.h"
#include "bouquets/bouquet_slots.h"

#include <algorithm>
#include <stdexcept>

// Laying the whole bouquet list out anew, as applying a reference list does.
namespace tavrino {
using namespace bouquet_slots;

struct BouquetEditor::Slot {
    Bytes record = Bytes(ch::nameRecordSize, 0);
    Bytes table = Bytes(ch::bouquetItemTableSize, 0);
    Bytes count = Bytes(2, 0);
};

namespace {

Bytes bytesAt(const Bytes& image, std::size_t offset, std::size_t size) {
    const auto first = image.begin() + static_cast<std::ptrdiff_t>(offset);
    return {first, first + static_cast<std::ptrdiff_t>(size)};
}

bool differs(const Bytes& image, std::size_t offset, const Bytes& bytes) {
    return !std::equal(bytes.begin(), bytes.end(),
                       image.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

BouquetEditor::Slot BouquetEditor::storedSlot(int rec) const {
    const Bytes& image = workspace_.channelBytes();
    return {bytesAt(image, recordAt(rec), ch::nameRecordSize),
            bytesAt(image, tableAt(rec), ch::bouquetItemTableSize),
            bytesAt(image, itemCountAt(rec), 2)};
}

void BouquetEditor::refill(Slot& slot, const std::vector<std::uint32_t>& services) const {
    namespace r = ch::ref;
    const Bytes old = slot.table;
    // The old items by the service they name, in slot order.
    std::vector<std::pair<std::uint32_t, std::size_t>> named;
    for (std::size_t j = 0; j < ch::bouquetItemCapacity; ++j) {
        const std::size_t s = ch::serviceRefSize * j;
        if (peekNumber(old, s + r::position, 2) == 0) {
            break;
        }
        const auto row = workspace_.services().findByFlagAndSid(
            static_cast<std::int32_t>(peekNumber(old, s + r::link, 4)),
            static_cast<std::uint16_t>(peekNumber(old, s + r::sid, 2)));
        if (row) {
            named.emplace_back(static_cast<std::uint32_t>(*row), j);
        }
    }
    std::sort(named.begin(), named.end());
    std::vector<bool> taken(named.size(), false);
    const std::size_t n = std::min(services.size(), ch::bouquetItemCapacity);
    for (std::size_t i = 0; i < n; ++i) {
        auto it = std::lower_bound(named.begin(), named.end(),
                                   std::pair<std::uint32_t, std::size_t>{services[i], 0});
        const auto isFree = [&] {
            return it != named.end() && it->first == services[i] &&
                   !taken[static_cast<std::size_t>(it - named.begin())];
        };
        while (it != named.end() && it->first == services[i] && !isFree()) {
            ++it;
        }
        if (isFree()) {
            taken[static_cast<std::size_t>(it - named.begin())] = true;
            const auto from =
                old.begin() + static_cast<std::ptrdiff_t>(ch::serviceRefSize * it->second);
            std::copy(from, from + static_cast<std::ptrdiff_t>(ch::serviceRefSize),
                      slot.table.begin() + static_cast<std::ptrdiff_t>(ch::serviceRefSize * i));
            writeNumber(slot.table, ch::serviceRefSize * i + r::position, 1,
                        static_cast<std::int64_t>(i + 1));
        } else {
            encodeItem(slot.table, i, referenceTo(services[i]), i + 1);
        }
    }
    std::fill(slot.table.begin() + static_cast<std::ptrdiff_t>(ch::serviceRefSize * n),
              slot.table.end(), 0);
    slot.count[0] = static_cast<std::uint8_t>(n); // the low byte, as the contents write does
}

std::vector<int> BouquetEditor::writeSlots(const std::vector<Slot>& slots, std::size_t count) {
    const Bytes& image = workspace_.channelBytes();
    ImageEditor editor = workspace_.channelEditor();
    std::vector<int> written;
    for (std::size_t k = 0; k < slots.size(); ++k) {
        const int rec = static_cast<int>(k);
        bool any = false;
        for (const auto& [at, bytes] :
             {std::pair{recordAt(rec), &slots[k].record}, std::pair{tableAt(rec), &slots[k].table},
              std::pair{itemCountAt(rec), &slots[k].count}}) {
            if (differs(image, at, *bytes)) {
                editor.writeBytes(at, *bytes);
                any = true;
            }
        }
        if (any) {
            written.push_back(rec);
        }
    }
    if (peekNumber(image, ch::bouquetCount, 1) != static_cast<std::int64_t>(count)) {
        editor.writeNumber(ch::bouquetCount, 1, static_cast<std::int64_t>(count));
    }
    return written;
}

std::vector<int> BouquetEditor::arrange(const std::vector<BouquetPlacement>& placements) {
    if (!workspace_.channelLoaded() || placements.size() > ch::bouquetCapacity) {
        return {};
    }
    syncIds();
    const auto stored = static_cast<std::size_t>(std::max(storedCount(), 0));
    std::vector<bool> placed(stored, false);
    std::vector<Slot> slots;
    std::vector<BouquetId> ids;
    for (const BouquetPlacement& p : placements) {
        if (p.record && (*p.record < 0 || static_cast<std::size_t>(*p.record) >= stored ||
                         placed[static_cast<std::size_t>(*p.record)])) {
            throw std::invalid_argument("a bouquet record placed twice or not stored");
        }
        Slot slot;
        if (p.record) {
            placed[static_cast<std::size_t>(*p.record)] = true;
            slot = storedSlot(*p.record);
            ids.push_back(ids_[static_cast<std::size_t>(*p.record)]);
        } else {
            const std::size_t length = std::min(p.name.size(), ch::nameRecordNameCapacity);
            slot.record[ch::nameRecordLength] = static_cast<std::uint8_t>(length);
            std::copy_n(p.name.begin(), length,
                        slot.record.begin() + static_cast<std::ptrdiff_t>(ch::nameRecordName));
            ids.push_back(nextId_++);
        }
        slot.record[ch::nameRecordIndex] = static_cast<std::uint8_t>(slots.size());
        if (p.services) {
            refill(slot, *p.services);
        }
        slots.push_back(std::move(slot));
    }
    const std::size_t count = slots.size();
    slots.resize(std::max(count, stored)); // records that fall free are cleared
    ids_ = std::move(ids);
    const auto written = writeSlots(slots, count);
    workspace_.refreshBouquets();
    return written;
}

} // namespace tavrino
