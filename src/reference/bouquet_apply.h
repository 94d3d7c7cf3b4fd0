#pragma once

#include "bouquets/bouquet_editor.h"
#include "reference/reference_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

// What became of one row of a reference list.
enum class RowResult {
    Found,           // by position, frequency, polarisation and SID
    FoundByIds,      // only by SID, TID and NID
    FoundByName,     // only by name and position
    NotFound,        //
    Duplicate,       // the bouquet and item number of an earlier row
    TooManyItems,    // its bouquet already holds 200 services
    TooManyBouquets, // its bouquet would be the 51st
    NoItems,         // the row of a bouquet without items
    Removed,         // a bouquet the list does not name, with "Replace all bouquets"
};

struct RowOutcome {
    int line = 0; // 0: a bouquet only the database holds
    std::string bouquet;
    std::string item; // as the list has it
    std::string name;
    RowResult result = RowResult::NotFound;
    std::size_t candidates = 0; // services the deciding rule matched
    int duplicateOf = 0;        // the line a duplicate repeats
    std::optional<std::uint32_t> service;

    bool weaker() const {
        return result == RowResult::FoundByIds || result == RowResult::FoundByName;
    }
};

// "Found", "Found by name (first of 2 services)", "Duplicate of line 7", ...
std::string resultText(const RowOutcome& row);

enum class BouquetFate { Created, Replaced, Unchanged, Kept, Removed, NotCreated };
std::string fateText(BouquetFate fate); // "New", "Replaced", ...

struct BouquetOutcome {
    std::string name; // UTF-8
    BouquetFate fate = BouquetFate::Kept;
    int found = 0;
    int weaker = 0;
    int notFound = 0;
    int leftOut = 0;               // duplicates and rows beyond a limit
    std::vector<std::size_t> rows; // indices into ApplyPlan::rows
};

// Everything applying a list would do, before anything is written.
struct ApplyPlan {
    std::vector<RowOutcome> rows;         // the list's rows in order, then removed bouquets
    std::vector<BouquetOutcome> bouquets; // as the list will stand, then removed, not created
    std::vector<BouquetPlacement> layout; // for BouquetEditor::arrange
    bool replaceAll = false;
};

// Finds every row's service and lays out the bouquets: those the list names are rebuilt (the
// first of that name in the database, else a new one at the end while there are fewer than
// 50) and keep the list's order among themselves; the others stay where they are, or go when
// `replaceAll` is set, and the list's bouquets then stand exactly in its order. Each bouquet
// takes at most 200 services, in the list's order; rows not found take no place.
ApplyPlan planApply(const Workspace& workspace, const BouquetEditor& editor,
                    const ReferenceList& list, bool replaceAll);

// Carries the plan out as one undoable step, "Apply Bouquets". Returns the bouquet records
// written; none when the bouquets already stood as planned.
std::vector<int> applyPlan(Workspace& workspace, BouquetEditor& editor, const ApplyPlan& plan);

inline constexpr const char* applyStepName = "Apply Bouquets";

} // namespace tavrino
