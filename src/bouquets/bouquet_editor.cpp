#include "bouquets/bouquet_editor.h"

#include "bouquets/bouquet_slots.h"
#include "common/utf8.h"

#include <algorithm>

// The operations on whole bouquets.
namespace tavrino {

using namespace bouquet_slots;

std::vector<BouquetItem> BouquetEditor::items(int row) const {
    return validRow(row) ? readBouquetItems(workspace_, record(row)) : std::vector<BouquetItem>{};
}

void BouquetEditor::databaseReplaced() {
    ids_.clear();
    syncIds();
}

void BouquetEditor::syncIds() const {
    const auto count = static_cast<std::size_t>(std::max(storedCount(), 0));
    if (ids_.size() != count) { // a database this editor has not seen yet
        ids_.clear();
        for (std::size_t b = 0; b < count; ++b) {
            ids_.push_back(nextId_++);
        }
    }
}

std::optional<BouquetId> BouquetEditor::idOfRow(int row) const {
    if (!validRow(row)) {
        return std::nullopt;
    }
    syncIds();
    return ids_[static_cast<std::size_t>(record(row))];
}

std::optional<int> BouquetEditor::rowOfId(BouquetId id) const {
    syncIds();
    const auto it = std::find(ids_.begin(), ids_.end(), id);
    return it == ids_.end() ? std::nullopt
                            : rowOfRecord(static_cast<int>(std::distance(ids_.begin(), it)));
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
    const auto step = workspace_.beginEdit("Add Bouquet");
    if (!workspace_.channelLoaded() || name.empty()) {
        return {};
    }
    if (storedCount() >= static_cast<int>(ch::bouquetCapacity)) {
        prompter_.tell(limitNotice(maxBouquetsMessage));
        return {};
    }
    const auto bytes = encodeName(name);
    if (!bytes) {
        return {false, std::nullopt, true};
    }
    syncIds();
    const int n = storedCount();
    ids_.push_back(nextId_++);
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
    syncIds();
    ids_.insert(ids_.begin() + s, nextId_++);
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
    const auto step = workspace_.beginEdit("Insert Bouquet");
    if (name.empty()) {
        return {}; // an empty name would hide the new bouquet from the list
    }
    const auto bytes = encodeName(name);
    if (!bytes) {
        return {false, std::nullopt, true};
    }
    const auto rec = insertRecord(beforeRow, *bytes);
    return rec ? selectRecord(*rec) : ListChange{};
}

ListChange BouquetEditor::rename(int row, const std::string& name) {
    const auto step = workspace_.beginEdit("Rename Bouquet");
    if (!validRow(row) || name.empty()) {
        return {};
    }
    const auto bytes = encodeName(name);
    if (!bytes) {
        return {false, std::nullopt, true};
    }
    const int rec = record(row);
    writeName(rec, *bytes, true);
    workspace_.refreshBouquets();
    return selectRecord(rec);
}

bool BouquetEditor::confirm(const char* verb, int row) {
    const std::string name =
        workspace_.codePage().toUtf8(rows()[static_cast<std::size_t>(row)].name);
    return prompter_.ask(confirmQuestion(std::string("Are you sure you want to ") + verb +
                                         " Bouquet : " + name + " ?" + questionEnd));
}

bool BouquetEditor::removeRecord(int row) {
    if (!confirm("delete", row)) {
        return false;
    }
    const int b = record(row);
    const int n = storedCount();
    syncIds();
    ids_.erase(ids_.begin() + b);
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
    const auto step = workspace_.beginEdit("Remove Bouquet");
    if (!validRow(row) || !removeRecord(row)) {
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
    const auto step = workspace_.beginEdit("Cut Bouquet");
    copy(row);
    return remove(row);
}

ListChange BouquetEditor::paste(std::optional<int> beforeRow) {
    const auto step = workspace_.beginEdit("Paste Bouquet");
    if (bouquetClipboard_.name.empty()) {
        return {};
    }
    // The name travels whole: the cut to 50 characters is only for names the user types.
    const auto rec = insertRecord(beforeRow, bouquetClipboard_.name);
    if (!rec) {
        return {};
    }
    auto pasted = bouquetClipboard_.items;
    pasted.resize(std::min(pasted.size(), ch::bouquetItemCapacity));
    writeItems(*rec, pasted);
    return selectRecord(*rec);
}

void BouquetEditor::rotateRecords(int from, int to) {
    const int low = std::min(from, to);
    const int high = std::max(from, to);
    const Bytes& image = workspace_.channelBytes();
    ImageEditor editor = workspace_.channelEditor();
    // Each area holds one entry per record; the entry at `from` moves to `to` and the ones
    // between close up, exactly as the records do.
    const auto rotateArea = [&](std::size_t first, std::size_t entrySize) {
        const std::size_t begin = first + entrySize * static_cast<std::size_t>(low);
        const std::size_t end = first + entrySize * static_cast<std::size_t>(high + 1);
        Bytes area(image.begin() + static_cast<std::ptrdiff_t>(begin),
                   image.begin() + static_cast<std::ptrdiff_t>(end));
        if (from < to) {
            std::rotate(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(entrySize),
                        area.end());
        } else {
            std::rotate(area.rbegin(), area.rbegin() + static_cast<std::ptrdiff_t>(entrySize),
                        area.rend());
        }
        editor.writeBytes(begin, area);
    };
    rotateArea(ch::bouquets, ch::nameRecordSize);
    rotateArea(ch::bouquetItems, ch::bouquetItemTableSize);
    rotateArea(ch::bouquetItemCounts, 2);
    syncIds();
    const auto id = ids_[static_cast<std::size_t>(from)];
    ids_.erase(ids_.begin() + from);
    ids_.insert(ids_.begin() + to, id);
}

ListChange BouquetEditor::move(int fromRow, std::optional<int> ontoRow) {
    const auto step = workspace_.beginEdit("Move Bouquet");
    if (!validRow(fromRow) || (ontoRow && !validRow(*ontoRow))) {
        return {};
    }
    const int from = record(fromRow);
    int to = storedCount() - 1; // no row under the drop: to the end
    if (ontoRow) {
        const int onto = record(*ontoRow);
        to = from < onto ? onto - 1 : onto;
    }
    if (to == from) {
        return {}; // dropped on itself or on the bouquet just below: the order stays
    }
    copy(fromRow);
    if (!confirm("move", fromRow)) {
        return {};
    }
    rotateRecords(from, to);
    renumber();
    workspace_.refreshBouquets();
    return selectRecord(to);
}

} // namespace tavrino
