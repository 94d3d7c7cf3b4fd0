#include "bouquets/bouquet_editor.h"
#include "bouquets/bouquet_slots.h"

#include <algorithm>
#include <set>

// The operations on the contents of one bouquet.
namespace tavrino {
using namespace bouquet_slots;

namespace {

// Valid positions, ascending, each once.
std::vector<int> sortedUnique(std::vector<int> positions, std::size_t size) {
    std::set<int> unique;
    for (const int p : positions) {
        if (p >= 0 && static_cast<std::size_t>(p) < size) {
            unique.insert(p);
        }
    }
    return {unique.begin(), unique.end()};
}

} // namespace

void BouquetEditor::writeItems(int rec, const std::vector<BouquetItem>& list) {
    const std::size_t base = tableAt(rec);
    const Bytes& image = workspace_.channelBytes();
    Bytes table(image.begin() + static_cast<std::ptrdiff_t>(base),
                image.begin() + static_cast<std::ptrdiff_t>(base + ch::bouquetItemTableSize));
    const std::size_t n = std::min(list.size(), ch::bouquetItemCapacity);
    for (std::size_t i = 0; i < n; ++i) {
        encodeItem(table, i, list[i], i + 1);
    }
    std::fill(table.begin() + static_cast<std::ptrdiff_t>(ch::serviceRefSize * n), table.end(), 0);
    ImageEditor editor = workspace_.channelEditor();
    editor.writeBytes(base, table);
    editor.writeNumber(itemCountAt(rec), 1, static_cast<std::int64_t>(n));
}

BouquetItem BouquetEditor::referenceTo(std::uint32_t serviceRow) const {
    const ServiceTable& services = workspace_.services();
    const ServiceRow& row = services.row(serviceRow);
    const DecodedService& r = row.record;
    BouquetItem item;
    item.altSystem = isAltSystemName(services.satelliteNames()[row.satelliteBlock]);
    item.type = r.serviceType;
    item.reserved = 0;
    item.satIndex = r.satIndex;
    item.frequency = r.frequency;
    item.polarization = row.pol == PolText::H ? 0 : 1;
    item.sid = r.sid;
    item.nid = r.nid;
    item.tid = r.tid;
    item.link = r.flag;
    return item;
}

BouquetItem BouquetEditor::itemFromService(std::uint32_t serviceRow) const {
    const ServiceTable& services = workspace_.services();
    BouquetItem item = referenceTo(serviceRow);
    item.name = services.serviceName(serviceRow);
    item.satellite = workspace_.codePage().toUtf8(
        services.satelliteNames()[services.row(serviceRow).satelliteBlock]);
    return item;
}

ContentsChange BouquetEditor::dropServices(int row, std::span<const std::uint32_t> serviceRows,
                                           std::optional<int> beforeItem) {
    if (rows().empty()) {
        prompter_.tell(limitNotice(noBouquetMessage));
        return {};
    }
    if (!validRow(row) || serviceRows.empty()) {
        return {};
    }
    auto step = workspace_.beginEdit("Drop Services");
    auto list = items(row);
    std::size_t at =
        beforeItem
            ? std::min<std::size_t>(static_cast<std::size_t>(std::max(0, *beforeItem)), list.size())
            : list.size();
    const std::size_t before = list.size();
    for (const std::uint32_t service : serviceRows) {
        if (service >= workspace_.services().size()) {
            continue; // a stale drag from an earlier database
        }
        if (list.size() >= ch::bouquetItemCapacity) {
            prompter_.tell(limitNotice(maxItemsMessage));
            break;
        }
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at++), itemFromService(service));
    }
    if (list.size() == before) {
        return {};
    }
    step.rename(countedName("Drop", list.size() - before, "Service"));
    writeItems(record(row), list);
    return {true, static_cast<int>(at) - 1};
}

ContentsChange BouquetEditor::moveItems(int row, std::vector<int> selected,
                                        std::optional<int> ontoItem) {
    auto list = items(row);
    selected = sortedUnique(std::move(selected), list.size());
    if (selected.empty() ||
        (ontoItem && (*ontoItem < 0 || *ontoItem >= static_cast<int>(list.size()) ||
                      std::binary_search(selected.begin(), selected.end(), *ontoItem)))) {
        return {};
    }
    const auto step = workspace_.beginEdit(countedName("Move", selected.size(), "Item"));
    itemClipboard_.clear();
    for (const int p : selected) {
        itemClipboard_.push_back(list[static_cast<std::size_t>(p)]);
    }
    int target = ontoItem ? *ontoItem : static_cast<int>(list.size());
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        list.erase(list.begin() + *it);
        if (*it < target) {
            --target;
        }
    }
    list.insert(list.begin() + target, itemClipboard_.begin(), itemClipboard_.end());
    writeItems(record(row), list);
    return {true, target + static_cast<int>(itemClipboard_.size()) - 1};
}

ContentsChange BouquetEditor::deleteItems(int row, std::vector<int> selected) {
    auto list = items(row);
    selected = sortedUnique(std::move(selected), list.size());
    if (selected.empty()) {
        return {};
    }
    const auto step = workspace_.beginEdit(countedName("Delete", selected.size(), "Item"));
    if (!prompter_.ask(confirmQuestion("Are you sure you want to delete " +
                                       std::to_string(selected.size()) +
                                       " services from this bouquet ?" + questionEnd))) {
        return {};
    }
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        list.erase(list.begin() + *it);
    }
    writeItems(record(row), list);
    if (list.empty()) {
        return {true, std::nullopt};
    }
    return {true, std::min(selected.front(), static_cast<int>(list.size()) - 1)};
}

ContentsChange BouquetEditor::deleteItem(int row, int item) {
    return deleteItems(row, {item});
}

void BouquetEditor::copyItems(int row, std::vector<int> selected) {
    const auto list = items(row);
    selected = sortedUnique(std::move(selected), list.size());
    if (selected.empty()) {
        return;
    }
    itemClipboard_.clear();
    for (const int p : selected) {
        itemClipboard_.push_back(list[static_cast<std::size_t>(p)]);
    }
}

ContentsChange BouquetEditor::cutItems(int row, std::vector<int> selected) {
    const auto step = workspace_.beginEdit(
        countedName("Cut", sortedUnique(selected, items(row).size()).size(), "Item"));
    copyItems(row, selected);
    return deleteItems(row, std::move(selected));
}

ContentsChange BouquetEditor::pasteItems(int row, std::optional<int> beforeItem) {
    if (itemClipboard_.empty() || !validRow(row)) {
        return {};
    }
    auto step = workspace_.beginEdit("Paste Items");
    auto list = items(row);
    std::size_t at =
        beforeItem && *beforeItem >= 0 && static_cast<std::size_t>(*beforeItem) < list.size()
            ? static_cast<std::size_t>(*beforeItem)
            : list.size();
    const std::size_t before = list.size();
    for (const BouquetItem& item : itemClipboard_) {
        if (list.size() >= ch::bouquetItemCapacity) {
            prompter_.tell(limitNotice(maxItemsMessage));
            break;
        }
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at++), item);
    }
    if (list.size() == before) {
        return {};
    }
    step.rename(countedName("Paste", list.size() - before, "Item"));
    writeItems(record(row), list);
    return {true, static_cast<int>(at) - 1};
}

std::optional<std::uint32_t> BouquetEditor::locate(int row, int item) const {
    const auto list = items(row);
    if (item < 0 || static_cast<std::size_t>(item) >= list.size()) {
        return std::nullopt;
    }
    const BouquetItem& i = list[static_cast<std::size_t>(item)];
    const auto found = workspace_.services().findByFlagAndSid(i.link, i.sid);
    if (!found) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(*found);
}

std::string bouquetItemDetails(const BouquetItem& item) {
    const std::string rule = "------------------------------";
    const std::string end = "\r\n";
    return item.name + end + rule + end + "Ch.No.: " + std::to_string(item.position) + end +
           "Tuner  : " + item.tuner() + end + "Sat.      : " + item.satellite + end +
           "Freq.    : " + std::to_string(item.frequency) + end + rule + end +
           "SID    : " + std::to_string(item.sid) + end + "TID    : " + std::to_string(item.tid) +
           end + "NID   : " + std::to_string(item.nid) + end + rule;
}

} // namespace tavrino
