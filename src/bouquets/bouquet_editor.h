#pragma once

#include "bouquets/bouquet_items.h"
#include "common/notice.h"
#include "workspace/workspace.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tavrino {

// What a list operation did: whether the image changed, and which list row to select.
struct ListChange {
    bool written = false;
    std::optional<int> select; // list row, 0-based
    bool nameRefused = false;  // the typed name cannot be stored; the user may correct it
};

// Names one bouquet for as long as the database is open, whatever other bouquets are
// inserted, removed or moved meanwhile.
using BouquetId = std::uint64_t;

// What a contents operation did: whether it wrote the bouquet, and which item to select.
struct ContentsChange {
    bool written = false;
    std::optional<int> select; // item position, 0-based
};

// One bouquet of a list laid out anew: a stored record moved whole, or a new bouquet; with
// `services` it holds these services (service-table rows) in place of its items.
struct BouquetPlacement {
    std::optional<int> record;
    std::string name; // code-page bytes of a new bouquet, up to 98
    std::optional<std::vector<std::uint32_t>> services;
};

// Every operation on whole bouquets and on the contents of one, written straight into the
// channel image through the workspace's one write path. Bouquets are addressed by their row in
// the bouquet list (0-based); each row keeps its real record, so a record with an empty name
// inside the count never shifts which bouquet an operation touches. Limits and questions go
// through the Prompter.
class BouquetEditor {
public:
    BouquetEditor(Workspace& workspace, Prompter& prompter)
        : workspace_(workspace), prompter_(prompter) {}

    const std::vector<BouquetRecord>& rows() const { return workspace_.files().bouquets.rows; }
    std::vector<BouquetItem> items(int row) const;

    // A new database was opened: every bouquet gets a fresh id.
    void databaseReplaced();
    std::optional<BouquetId> idOfRow(int row) const;
    std::optional<int> rowOfId(BouquetId id) const;

    // Names are UTF-8; they are cut to 50 characters of the code page.
    ListChange add(const std::string& name);
    // Before `beforeRow`, or at the end when nullopt.
    ListChange insert(std::optional<int> beforeRow, const std::string& name);
    ListChange rename(int row, const std::string& name);
    ListChange remove(int row);
    void copy(int row);
    ListChange cut(int row);
    ListChange paste(std::optional<int> beforeRow);
    // Drag-move: the bouquet ends just before the row it was dropped on; dropped on no row it
    // goes to the end. Only the order changes: the moved record keeps every byte.
    ListChange move(int fromRow, std::optional<int> ontoRow);

    // Lays the whole list out as `placements` say (at most 50); records none names are removed.
    // An item that already names a service it is to hold keeps its stored bytes. Writes only
    // the records, tables and counts that change; returns the records written.
    std::vector<int> arrange(const std::vector<BouquetPlacement>& placements);

    ContentsChange dropServices(int row, std::span<const std::uint32_t> serviceRows,
                                std::optional<int> beforeItem);
    // Drag reorder: the selected items go just before `ontoItem` (the end when nullopt).
    ContentsChange moveItems(int row, std::vector<int> selected, std::optional<int> ontoItem);
    ContentsChange deleteItems(int row, std::vector<int> selected);
    ContentsChange deleteItem(int row, int item); // the double click
    void copyItems(int row, std::vector<int> selected);
    ContentsChange cutItems(int row, std::vector<int> selected);
    ContentsChange pasteItems(int row, std::optional<int> beforeItem);
    // Removes every item that names a service an earlier item of the bouquet names, as one
    // step; selects what now stands where the first of them stood.
    ContentsChange removeDuplicateItems(int row);
    // The service an item refers to (by link value and SID), as a service-table row.
    std::optional<std::uint32_t> locate(int row, int item) const;

    const std::string& clipboardName() const { return bouquetClipboard_.name; }
    const std::vector<BouquetItem>& bouquetClipboardItems() const {
        return bouquetClipboard_.items;
    }
    const std::vector<BouquetItem>& itemClipboard() const { return itemClipboard_; }

private:
    struct BouquetClipboard {
        std::string name; // code-page bytes, as stored (up to 98)
        std::vector<BouquetItem> items;
    };

    int record(int row) const { return rows()[static_cast<std::size_t>(row)].record; }
    bool validRow(int row) const { return row >= 0 && row < static_cast<int>(rows().size()); }
    int storedCount() const { return workspace_.files().bouquets.count; }
    std::optional<std::string> encodeName(const std::string& utf8) const;
    void syncIds() const;
    std::optional<int> rowOfRecord(int record) const;
    void writeName(int record, const std::string& bytes, bool clearTail);
    void clearBouquet(int record);
    void renumber();
    std::optional<int> insertRecord(std::optional<int> beforeRow, const std::string& bytes);
    ListChange selectRecord(int record) const;
    bool confirm(const char* verb, int row); // "Are you sure you want to <verb> Bouquet : ..."
    bool removeRecord(int row);
    void rotateRecords(int from, int to);
    void writeItems(int record, const std::vector<BouquetItem>& items);
    BouquetItem itemFromService(std::uint32_t serviceRow) const;
    BouquetItem referenceTo(std::uint32_t serviceRow) const; // without name and satellite
    struct Slot; // a record, its item table and its item count, as bytes
    Slot storedSlot(int record) const;
    void refill(Slot& slot, const std::vector<std::uint32_t>& services) const;
    std::vector<int> writeSlots(const std::vector<Slot>& slots, std::size_t count);

    Workspace& workspace_;
    Prompter& prompter_;
    BouquetClipboard bouquetClipboard_;
    std::vector<BouquetItem> itemClipboard_;
    // Id of each stored record, kept in step by every operation that moves records.
    mutable std::vector<BouquetId> ids_;
    mutable BouquetId nextId_ = 1;
};

inline constexpr const char* maxBouquetsMessage = "MAX Bouquet (50) !!!";
inline constexpr const char* maxItemsMessage = "MAX Items in Bouquet (200) !!!";
inline constexpr const char* noBouquetMessage = "You must create bouquet first !!!";
inline constexpr std::size_t bouquetNameLimit = 50;

// The "User Bouquet details" tip of one item; lines end with CR LF but the last.
std::string bouquetItemDetails(const BouquetItem& item);
inline constexpr const char* bouquetDetailsTitle = "User Bouquet details";

} // namespace tavrino
