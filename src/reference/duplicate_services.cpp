#include "reference/duplicate_services.h"

#include <algorithm>
#include <compare>
#include <cstdint>
#include <numeric>

namespace tavrino {
namespace {

constexpr std::int64_t frequencyTolerance = 2; // MHz, as the service matcher allows

// Union-find over service rows; the root of a set is its first row in file order.
class Sets {
public:
    explicit Sets(std::size_t size) : parent_(size) {
        std::iota(parent_.begin(), parent_.end(), std::uint32_t{0});
    }
    std::uint32_t root(std::uint32_t row) {
        while (parent_[row] != row) {
            parent_[row] = parent_[parent_[row]];
            row = parent_[row];
        }
        return row;
    }
    void join(std::uint32_t a, std::uint32_t b) {
        a = root(a);
        b = root(b);
        if (a != b) {
            parent_[std::max(a, b)] = std::min(a, b);
        }
    }

private:
    std::vector<std::uint32_t> parent_;
};

// What the first rule compares. A service stands at its satellite's position; without one
// (cable, terrestrial, IP, a number DVBS.dat does not hold) in its satellite block.
struct IdentityEntry {
    bool inBlock = false;
    std::int64_t place = 0; // tenths of a degree, or the block
    PolText pol = PolText::Empty;
    std::uint16_t sid = 0;
    std::int64_t frequency = 0;
    std::uint32_t row = 0;

    auto operator<=>(const IdentityEntry&) const = default;
    bool sameKey(const IdentityEntry& o) const {
        return inBlock == o.inBlock && place == o.place && pol == o.pol && sid == o.sid;
    }
};

IdentityEntry identityEntry(const Workspace& workspace, std::uint32_t i) {
    const ServiceRow& row = workspace.services().row(i);
    IdentityEntry e{false, 0, row.pol, row.record.sid, row.record.frequency, i};
    if (const auto position = satellitePosition(workspace, row.record.satIndex)) {
        e.place = *position;
    } else {
        e.inBlock = true;
        e.place = row.satelliteBlock;
    }
    return e;
}

// Ties the services of equal place, polarisation and SID whose frequencies are within the
// tolerance; in frequency order a tie between any two is a chain of neighbouring ties.
// Returns, per row, whether it was tied.
std::vector<bool> tieByIdentity(const Workspace& workspace, Sets& sets) {
    const std::size_t size = workspace.services().size();
    std::vector<IdentityEntry> entries;
    entries.reserve(size);
    for (std::uint32_t i = 0; i < size; ++i) {
        entries.push_back(identityEntry(workspace, i));
    }
    std::sort(entries.begin(), entries.end());
    std::vector<bool> tied(size, false);
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const IdentityEntry& e = entries[i];
        const IdentityEntry& last = entries[i - 1];
        if (e.sameKey(last) && e.frequency - last.frequency <= frequencyTolerance) {
            sets.join(e.row, last.row);
            tied[e.row] = tied[last.row] = true;
        }
    }
    return tied;
}

void tieByIds(const ServiceTable& table, Sets& sets) {
    std::vector<std::pair<std::uint64_t, std::uint32_t>> entries;
    entries.reserve(table.size());
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        const DecodedService& r = table.row(i).record;
        entries.emplace_back(std::uint64_t{r.sid} << 32 | std::uint64_t{r.tid} << 16 | r.nid, i);
    }
    std::sort(entries.begin(), entries.end());
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].first == entries[i - 1].first) {
            sets.join(entries[i].second, entries[i - 1].second);
        }
    }
}

} // namespace

DuplicateServices findDuplicateServices(const Workspace& workspace) {
    const ServiceTable& table = workspace.services();
    const auto size = static_cast<std::uint32_t>(table.size());
    Sets sets(size);
    const std::vector<bool> tiedByIdentity = tieByIdentity(workspace, sets);
    std::vector<std::uint32_t> identityRoot(size);
    for (std::uint32_t i = 0; i < size; ++i) {
        identityRoot[i] = sets.root(i);
    }
    tieByIds(table, sets);

    // Rows in file order, so each group is in file order and groups by their first row.
    std::vector<DuplicateGroup> all;
    std::vector<std::uint32_t> groupOfRoot(size, UINT32_MAX);
    for (std::uint32_t i = 0; i < size; ++i) {
        const std::uint32_t root = sets.root(i);
        if (groupOfRoot[root] == UINT32_MAX) {
            groupOfRoot[root] = static_cast<std::uint32_t>(all.size());
            all.emplace_back();
        }
        DuplicateGroup& group = all[groupOfRoot[root]];
        group.services.push_back(i);
        group.rules.push_back(tiedByIdentity[i] ? MatchRule::Identity : MatchRule::Ids);
        if (identityRoot[i] != identityRoot[group.services.front()]) {
            group.rule = MatchRule::Ids;
        }
    }

    DuplicateServices found;
    for (DuplicateGroup& group : all) {
        if (group.services.size() > 1) {
            found.groups.push_back(std::move(group));
        }
    }
    std::stable_sort(found.groups.begin(), found.groups.end(),
                     [](const DuplicateGroup& a, const DuplicateGroup& b) {
                         return a.services.size() > b.services.size();
                     });
    found.groupNumber.assign(size, 0);
    for (std::size_t g = 0; g < found.groups.size(); ++g) {
        for (const std::uint32_t row : found.groups[g].services) {
            found.groupNumber[row] = static_cast<std::uint32_t>(g + 1);
        }
    }
    return found;
}

std::string_view duplicateRuleText(MatchRule rule) {
    return rule == MatchRule::Identity ? "Position/Frequency/Pol/SID" : "SID/TID/NID";
}

} // namespace tavrino
