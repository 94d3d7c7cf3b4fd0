#include "bouquets/bouquet_editor.h"

#include "common/utf8.h"
#include "database/layout.h"

#include <algorithm>
#include <set>

namespace tavrino {
namespace ch = layout::channel;

namespace {

std::size_t recordAt(int record) {
    return ch::bouquets + ch::nameRecordSize * static_cast<std::size_t>(record);
}
std::size_t tableAt(int record) {
    return ch::bouquetItems + ch::bouquetItemTableSize * static_cast<std::size_t>(record);
}
std::size_t itemCountAt(int record) {
    return ch::bouquetItemCounts + 2 * static_cast<std::size_t>(record);
}

std::string confirmLineEnd() {
    return "\r\n\r\n";
}

bool isAltSystemName(const std::string& name) {
    return name == "DVB-Cable" || name == "DVB-Terrestrial";
}

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

std::vector<BouquetItem> BouquetEditor::items(int row) const {
    return validRow(row) ? readBouquetItems(workspace_, record(row)) : std::vector<BouquetItem>{};
}

std::optional<std::string> BouquetEditor::encodeName(const std::string& utf8) const {
    const Encoded encoded = workspace_.codePage().fromUtf8(utf8);
    if (!encoded.ok) {
        std::string character;
        utf8::append(character, encoded.unmappable);
        prompter_.tell(limitNotice("The character \"" + character + "\" cannot be stored in " +
                                   workspace_.codePage().name() + " names !!!"));
        return std::nullopt;
    }
    return encoded.bytes.substr(0, bouquetNameLimit);
}

std::optional<int> BouquetEditor::rowOfRecord(int rec) const {
    for (std::size_t i = 0; i < rows().size(); ++i) {
        if (rows()[i].record == rec) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

ListChange BouquetEditor::selectRecord(int rec) const {
    return {true, rowOfRecord(rec)};
}

void BouquetEditor::writeName(int rec, const std::string& bytes, bool clearTail) {
    ImageEditor editor = workspace_.channelEditor();
    const std::size_t r = recordAt(rec);
    editor.writeNumber(r + ch::nameRecordLength, 1, static_cast<std::int64_t>(bytes.size()));
    editor.writeBytes(r + ch::nameRecordName,
                      {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    if (clearTail) {
        // Zero up to and including record byte 102; byte 103 is left as it is.
        const std::size_t from = ch::nameRecordName + bytes.size();
        editor.fill(r + from, 103 - from, 0);
    }
}

void BouquetEditor::clearBouquet(int rec) {
    ImageEditor editor = workspace_.channelEditor();
    editor.fill(tableAt(rec), ch::bouquetItemTableSize, 0);
    editor.writeNumber(itemCountAt(rec), 2, 0);
}

void BouquetEditor::renumber() {
    ImageEditor editor = workspace_.channelEditor();
    const auto count = peekNumber(workspace_.channelBytes(), ch::bouquetCount, 2);
    for (int b = 0; b < count; ++b) {
        editor.writeNumber(recordAt(b) + ch::nameRecordIndex, 1, b);
    }
}

ListChange BouquetEditor::add(const std::string& name) {
    if (!workspace_.channelLoaded() || name.empty()) {
        return {};
    }
    if (storedCount() >= static_cast<int>(ch::bouquetCapacity)) {
        prompter_.tell(limitNotice(maxBouquetsMessage));
        return {};
    }
    const auto bytes = encodeName(name);
    if (!bytes) {
        return {};
    }
    const int n = storedCount();
    {
        ImageEditor editor = workspace_.channelEditor();
        editor.writeNumber(ch::bouquetCount, 1, n + 1);
        editor.writeNumber(recordAt(n) + ch::nameRecordIndex, 1, n);
    }
    writeName(n, *bytes, false);
    clearBouquet(n); // a count left by an earlier bouquet in this slot would revive its items
    workspace_.refreshBouquets();
    return selectRecord(n);
}

std::optional<int> BouquetEditor::insertRecord(std::optional<int> beforeRow,
                                               const std::string& bytes) {
    if (!workspace_.channelLoaded()) {
        return std::nullopt;
    }
    const int n = storedCount();
    if (n >= static_cast<int>(ch::bouquetCapacity)) {
        prompter_.tell(limitNotice(maxBouquetsMessage));
        return std::nullopt;
    }
    const int s = beforeRow && validRow(*beforeRow) ? record(*beforeRow) : n;
    ImageEditor editor = workspace_.channelEditor();
    if (s < n) {
        const auto moved = static_cast<std::size_t>(n - s);
        editor.move(tableAt(s), tableAt(s + 1), ch::bouquetItemTableSize * moved);
        editor.move(itemCountAt(s), itemCountAt(s + 1), 2 * moved);
        editor.move(recordAt(s), recordAt(s + 1), ch::nameRecordSize * moved);
    }
    editor.writeNumber(ch::bouquetCount, 1, n + 1);
    writeName(s, bytes, false);
    clearBouquet(s);
    renumber();
    workspace_.refreshBouquets();
    return s;
}

ListChange BouquetEditor::insert(std::optional<int> beforeRow, const std::string& name) {
    if (name.empty()) {
        return {}; // an empty name would hide the new bouquet from the list
    }
    const auto bytes = encodeName(name);
    if (!bytes) {
        return {};
    }
    const auto rec = insertRecord(beforeRow, *bytes);
    return rec ? selectRecord(*rec) : ListChange{};
}

ListChange BouquetEditor::rename(int row, const std::string& name) {
    if (!validRow(row) || name.empty()) {
        return {};
    }
    const auto bytes = encodeName(name);
    if (!bytes) {
        return {};
    }
    const int rec = record(row);
    writeName(rec, *bytes, true);
    workspace_.refreshBouquets();
    return selectRecord(rec);
}

bool BouquetEditor::removeRecord(int row, const char* verb) {
    const std::string name =
        workspace_.codePage().toUtf8(rows()[static_cast<std::size_t>(row)].name);
    if (!prompter_.ask(confirmQuestion(std::string("Are you sure you want to ") + verb +
                                       " Bouquet : " + name + " ?" + confirmLineEnd()))) {
        return false;
    }
    const int b = record(row);
    const int n = storedCount();
    ImageEditor editor = workspace_.channelEditor();
    const auto moved = static_cast<std::size_t>(n - 1 - b);
    editor.move(tableAt(b + 1), tableAt(b), ch::bouquetItemTableSize * moved);
    editor.move(itemCountAt(b + 1), itemCountAt(b), 2 * moved);
    editor.move(recordAt(b + 1), recordAt(b), ch::nameRecordSize * moved);
    editor.writeNumber(ch::bouquetCount, 1, n - 1);
    // The slot that fell free is cleared, so nothing of the removed bouquet lingers.
    editor.fill(recordAt(n - 1), ch::nameRecordSize, 0);
    clearBouquet(n - 1);
    renumber();
    workspace_.refreshBouquets();
    return true;
}

ListChange BouquetEditor::remove(int row) {
    if (!validRow(row) || !removeRecord(row, "delete")) {
        return {};
    }
    if (rows().empty()) {
        return {true, std::nullopt};
    }
    return {true, std::min(row, static_cast<int>(rows().size()) - 1)};
}

void BouquetEditor::copy(int row) {
    if (!validRow(row)) {
        return;
    }
    bouquetClipboard_ = {rows()[static_cast<std::size_t>(row)].name, items(row)};
}

ListChange BouquetEditor::cut(int row) {
    copy(row);
    return remove(row);
}

ListChange BouquetEditor::paste(std::optional<int> beforeRow) {
    if (bouquetClipboard_.name.empty()) {
        return {};
    }
    const auto rec = insertRecord(beforeRow, bouquetClipboard_.name.substr(0, bouquetNameLimit));
    if (!rec) {
        return {};
    }
    auto pasted = bouquetClipboard_.items;
    pasted.resize(std::min(pasted.size(), ch::bouquetItemCapacity));
    writeItems(*rec, pasted);
    return selectRecord(*rec);
}

ListChange BouquetEditor::move(int fromRow, std::optional<int> ontoRow) {
    if (!validRow(fromRow) || (ontoRow && (*ontoRow == fromRow || !validRow(*ontoRow)))) {
        return {};
    }
    copy(fromRow);
    if (!removeRecord(fromRow, "move")) {
        return {};
    }
    // After the removal the rows below the moved one have shifted up by one.
    std::optional<int> before;
    if (ontoRow) {
        before = fromRow > *ontoRow ? *ontoRow : *ontoRow - 1;
    }
    const auto rec = insertRecord(before, bouquetClipboard_.name.substr(0, bouquetNameLimit));
    if (!rec) {
        return {true, std::nullopt};
    }
    writeItems(*rec, bouquetClipboard_.items);
    return selectRecord(*rec);
}

void BouquetEditor::writeItems(int rec, const std::vector<BouquetItem>& list) {
    namespace r = ch::ref;
    const std::size_t base = tableAt(rec);
    const Bytes& image = workspace_.channelBytes();
    Bytes table(image.begin() + static_cast<std::ptrdiff_t>(base),
                image.begin() + static_cast<std::ptrdiff_t>(base + ch::bouquetItemTableSize));
    const std::size_t n = std::min(list.size(), ch::bouquetItemCapacity);
    for (std::size_t i = 0; i < n; ++i) {
        const BouquetItem& item = list[i];
        const std::size_t s = ch::serviceRefSize * i;
        // Bytes +3, +5 and +13 keep what the slot held.
        table[s + r::altSystemMark] = table[s + r::altSystemMark2] = item.altSystem ? 1 : 0;
        writeNumber(table, s + r::position, 1, static_cast<std::int64_t>(i + 1));
        writeNumber(table, s + r::reserved, 1, item.reserved);
        writeNumber(table, s + r::satIndex, 2, item.satIndex);
        writeNumber(table, s + r::frequency, 4, item.frequency);
        writeNumber(table, s + r::polarization, 1, item.polarization);
        writeNumber(table, s + r::sid, 2, item.sid);
        writeNumber(table, s + r::nid, 2, item.nid);
        writeNumber(table, s + r::tid, 2, item.tid);
        writeNumber(table, s + r::link, 4, item.link);
    }
    std::fill(table.begin() + static_cast<std::ptrdiff_t>(ch::serviceRefSize * n), table.end(), 0);
    ImageEditor editor = workspace_.channelEditor();
    editor.writeBytes(base, table);
    editor.writeNumber(itemCountAt(rec), 1, static_cast<std::int64_t>(n));
}

BouquetItem BouquetEditor::itemFromService(std::uint32_t serviceRow) const {
    const ServiceTable& services = workspace_.services();
    const ServiceRow& row = services.row(serviceRow);
    const DecodedService& r = row.record;
    const std::string& block = services.satelliteNames()[row.satelliteBlock];
    BouquetItem item;
    item.name = services.serviceName(serviceRow);
    item.satellite = workspace_.codePage().toUtf8(block);
    item.altSystem = isAltSystemName(block);
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

ContentsChange BouquetEditor::dropServices(int row, std::span<const std::uint32_t> serviceRows,
                                           std::optional<int> beforeItem) {
    if (rows().empty()) {
        prompter_.tell(limitNotice(noBouquetMessage));
        return {};
    }
    if (!validRow(row) || serviceRows.empty()) {
        return {};
    }
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
    if (!prompter_.ask(confirmQuestion("Are you sure you want to delete " +
                                       std::to_string(selected.size()) +
                                       " services from this bouquet ?" + confirmLineEnd()))) {
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
    copyItems(row, selected);
    return deleteItems(row, std::move(selected));
}

ContentsChange BouquetEditor::pasteItems(int row, std::optional<int> beforeItem) {
    if (itemClipboard_.empty() || !validRow(row)) {
        return {};
    }
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
