#include "reference/bouquet_apply.h"

#include "database/layout.h"
#include "reference/service_matcher.h"

#include <map>
#include <set>
#include <unordered_map>

namespace tavrino {
namespace {
namespace ch = layout::channel;

// The rows that name one bouquet, wherever they stand in the list.
struct Group {
    std::string name; // UTF-8, as the first row has it
    std::string bytes;
    std::vector<std::size_t> rows;
    std::optional<int> record; // the stored bouquet it rebuilds
    bool placed = true;        // false: there is no room for it
    std::vector<std::uint32_t> services;
    std::vector<std::size_t> outcomes; // indices into ApplyPlan::rows
};

// One place of the list as it will stand: a group, a bouquet the list does not name, or both.
struct Entry {
    std::optional<std::size_t> group;
    std::optional<int> record;
};

class Planner {
public:
    Planner(const Workspace& ws, const BouquetEditor& editor, const ReferenceList& list)
        : ws_(ws), editor_(editor), list_(list), matcher_(ws) {}

    ApplyPlan run(bool replaceAll) {
        plan_.replaceAll = replaceAll;
        plan_.rows.reserve(list_.rows.size() + editor_.rows().size());
        groupRows();
        matchRecords();
        const std::vector<Entry> entries = replaceAll ? listOrder() : storedOrder();
        for (Group& g : groups_) {
            resolve(g);
        }
        for (const Entry& e : entries) {
            place(e);
        }
        for (std::size_t r = 0; r < editor_.rows().size(); ++r) {
            if (!placed_.contains(editor_.rows()[r].record)) {
                removed(editor_.rows()[r]);
            }
        }
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            if (!groups_[g].placed) {
                plan_.bouquets.push_back(outcome(groups_[g], BouquetFate::NotCreated));
            }
        }
        return std::move(plan_);
    }

private:
    int storedCount() const { return ws_.files().bouquets.count; }

    void groupRows() {
        std::unordered_map<std::string, std::size_t> byName;
        for (std::size_t i = 0; i < list_.rows.size(); ++i) {
            const ReferenceRow& row = list_.rows[i];
            const auto [it, added] = byName.try_emplace(row.bouquetBytes, groups_.size());
            if (added) {
                groups_.push_back({row.bouquet, row.bouquetBytes, {}, std::nullopt, true, {}, {}});
            }
            groups_[it->second].rows.push_back(i);
        }
    }

    // Each name rebuilds the first stored bouquet of that name.
    void matchRecords() {
        std::unordered_map<std::string, int> first;
        for (const BouquetRecord& row : editor_.rows()) {
            first.try_emplace(row.name, row.record);
        }
        for (Group& g : groups_) {
            if (const auto it = first.find(g.bytes); it != first.end()) {
                g.record = it->second;
            }
        }
    }

    // Listed bouquets take the places listed bouquets held, in the list's order; the others
    // keep theirs; new ones follow at the end while there is room.
    std::vector<Entry> storedOrder() {
        std::map<int, std::size_t> groupOfRecord;
        std::vector<std::size_t> listed;
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            if (groups_[g].record) {
                groupOfRecord[*groups_[g].record] = g;
                listed.push_back(g);
            }
        }
        std::vector<Entry> entries;
        auto next = listed.begin();
        for (int r = 0; r < storedCount(); ++r) {
            if (groupOfRecord.contains(r)) {
                entries.push_back({*next, groups_[*next].record});
                ++next;
            } else {
                entries.push_back({std::nullopt, r});
            }
        }
        addNew(entries);
        return entries;
    }

    // "Replace all bouquets": the list's bouquets alone, in its order.
    std::vector<Entry> listOrder() {
        std::size_t room = ch::bouquetCapacity;
        for (const Group& g : groups_) {
            room -= g.record ? 1 : 0;
        }
        std::vector<Entry> entries;
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            if (groups_[g].record) {
                entries.push_back({g, groups_[g].record});
            } else if (room > 0) {
                entries.push_back({g, std::nullopt});
                --room;
            } else {
                groups_[g].placed = false;
            }
        }
        return entries;
    }

    void addNew(std::vector<Entry>& entries) {
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            if (groups_[g].record) {
                continue;
            }
            if (entries.size() < ch::bouquetCapacity) {
                entries.push_back({g, std::nullopt});
            } else {
                groups_[g].placed = false;
            }
        }
    }

    void resolve(Group& g) {
        std::unordered_map<int, int> lineOfItem;
        for (const std::size_t i : g.rows) {
            const ReferenceRow& row = list_.rows[i];
            RowOutcome out;
            out.line = row.line;
            out.bouquet = row.bouquet;
            out.item = row.item ? std::to_string(*row.item) : "";
            out.name = row.name;
            if (!g.placed) {
                out.result = RowResult::TooManyBouquets;
            } else if (!row.item && !row.namesService()) {
                out.result = RowResult::NoItems;
            } else if (row.item && lineOfItem.contains(*row.item)) {
                out.result = RowResult::Duplicate;
                out.duplicateOf = lineOfItem[*row.item];
            } else {
                match(g, row, out);
            }
            if (row.item) {
                lineOfItem.try_emplace(*row.item, row.line);
            }
            plan_.rows.push_back(std::move(out));
            g.outcomes.push_back(plan_.rows.size() - 1);
        }
    }

    void match(Group& g, const ReferenceRow& row, RowOutcome& out) {
        const Match m = matcher_.find(row);
        out.candidates = m.candidates;
        if (!m.service) {
            out.result = RowResult::NotFound;
            return;
        }
        if (g.services.size() >= ch::bouquetItemCapacity) {
            out.result = RowResult::TooManyItems;
            return;
        }
        out.service = m.service;
        out.result = m.rule == MatchRule::Identity ? RowResult::Found
                     : m.rule == MatchRule::Ids    ? RowResult::FoundByIds
                                                   : RowResult::FoundByName;
        g.services.push_back(*m.service);
    }

    // Whether the stored bouquet already holds exactly these services.
    bool holds(int record, const std::vector<std::uint32_t>& services) const {
        const auto items = readStoredItems(ws_, record);
        if (items.size() != services.size()) {
            return false;
        }
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto row = ws_.services().findByFlagAndSid(items[i].link, items[i].sid);
            if (!row || *row != services[i]) {
                return false;
            }
        }
        return true;
    }

    void place(const Entry& e) {
        if (e.record) {
            placed_.insert(*e.record);
        }
        if (!e.group) {
            plan_.layout.push_back({e.record, {}, std::nullopt});
            if (const auto row = rowOfRecord(*e.record)) {
                BouquetOutcome kept;
                kept.name = ws_.codePage().toUtf8(row->name);
                plan_.bouquets.push_back(std::move(kept));
            }
            return;
        }
        Group& g = groups_[*e.group];
        plan_.layout.push_back({e.record, e.record ? std::string() : g.bytes, g.services});
        const BouquetFate fate = !e.record                      ? BouquetFate::Created
                                 : holds(*e.record, g.services) ? BouquetFate::Unchanged
                                                                : BouquetFate::Replaced;
        plan_.bouquets.push_back(outcome(g, fate));
    }

    void removed(const BouquetRecord& bouquet) {
        const std::string name = ws_.codePage().toUtf8(bouquet.name);
        RowOutcome row;
        row.bouquet = name;
        row.result = RowResult::Removed;
        plan_.rows.push_back(std::move(row));
        BouquetOutcome out;
        out.name = name;
        out.fate = BouquetFate::Removed;
        out.rows.push_back(plan_.rows.size() - 1);
        plan_.bouquets.push_back(std::move(out));
    }

    const BouquetRecord* rowOfRecord(int record) const {
        for (const BouquetRecord& row : editor_.rows()) {
            if (row.record == record) {
                return &row;
            }
        }
        return nullptr;
    }

    BouquetOutcome outcome(const Group& g, BouquetFate fate) {
        BouquetOutcome out;
        out.name = g.name;
        out.fate = fate;
        out.rows = g.outcomes;
        for (const std::size_t i : out.rows) {
            const RowOutcome& row = plan_.rows[i];
            out.found += row.result == RowResult::Found ? 1 : 0;
            out.weaker += row.weaker() ? 1 : 0;
            out.notFound += row.result == RowResult::NotFound ? 1 : 0;
            out.leftOut += row.result == RowResult::Duplicate ||
                                   row.result == RowResult::TooManyItems ||
                                   row.result == RowResult::TooManyBouquets
                               ? 1
                               : 0;
        }
        return out;
    }

    const Workspace& ws_;
    const BouquetEditor& editor_;
    const ReferenceList& list_;
    ServiceMatcher matcher_;
    std::vector<Group> groups_;
    std::set<int> placed_;
    ApplyPlan plan_;
};

} // namespace

std::string resultText(const RowOutcome& row) {
    const std::string ofMany =
        row.candidates > 1 ? " (first of " + std::to_string(row.candidates) + " services)" : "";
    switch (row.result) {
    case RowResult::Found:
        return "Found" + ofMany;
    case RowResult::FoundByIds:
        return "Found by SID, TID and NID" + ofMany;
    case RowResult::FoundByName:
        return "Found by name";
    case RowResult::NotFound:
        return row.candidates > 1
                   ? "Not found (" + std::to_string(row.candidates) + " services of that name)"
                   : "Not found";
    case RowResult::Duplicate:
        return "Duplicate of line " + std::to_string(row.duplicateOf);
    case RowResult::TooManyItems:
        return "Left out: more than 200 items";
    case RowResult::TooManyBouquets:
        return "Left out: more than 50 bouquets";
    case RowResult::NoItems:
        return "No items";
    case RowResult::Removed:
        return "Removed";
    }
    return {};
}

std::string fateText(BouquetFate fate) {
    switch (fate) {
    case BouquetFate::Created:
        return "New";
    case BouquetFate::Replaced:
        return "Replaced";
    case BouquetFate::Unchanged:
        return "Unchanged";
    case BouquetFate::Kept:
        return "Kept";
    case BouquetFate::Removed:
        return "Removed";
    case BouquetFate::NotCreated:
        return "Not created";
    }
    return {};
}

ApplyPlan planApply(const Workspace& workspace, const BouquetEditor& editor,
                    const ReferenceList& list, bool replaceAll) {
    return Planner(workspace, editor, list).run(replaceAll);
}

std::vector<int> applyPlan(Workspace& workspace, BouquetEditor& editor, const ApplyPlan& plan) {
    const auto step = workspace.beginEdit(applyStepName);
    return editor.arrange(plan.layout);
}

} // namespace tavrino
