#include "reference/service_matcher.h"

#include "database/layout.h"

#include <algorithm>
#include <cstdlib>

namespace tavrino {
namespace {

// 2 MHz in the receiver's kHz: a rescan may find a transponder moved.
constexpr std::int64_t frequencyTolerance = 2000;
constexpr std::int64_t positionBase = 1800;    // places 0..3600 stand for 180.0W..180.0E
constexpr std::int64_t namedPlaceBase = 10000; // then one place per satellite name

std::uint64_t polCode(std::string_view pol) {
    return pol == "H" ? 1 : pol == "V" ? 2 : 0;
}

std::uint64_t identityKey(std::int64_t place, std::uint64_t pol, std::uint16_t sid) {
    return static_cast<std::uint64_t>(place) << 24 | pol << 16 | sid;
}

std::uint64_t idsKey(std::uint16_t sid, std::uint16_t tid, std::uint16_t nid) {
    return std::uint64_t{sid} << 32 | std::uint64_t{tid} << 16 | nid;
}

// FNV-1a: names only need to be told apart before they are compared whole.
std::uint32_t nameHash(std::string_view bytes) {
    std::uint32_t h = 2166136261u;
    for (const char c : bytes) {
        h = (h ^ static_cast<std::uint8_t>(c)) * 16777619u;
    }
    return h;
}

std::uint64_t nameKey(std::int64_t place, std::string_view bytes) {
    return static_cast<std::uint64_t>(place) << 32 | nameHash(bytes);
}

} // namespace

std::optional<int> satellitePosition(const Workspace& workspace, int satIndex) {
    const auto& satellites = workspace.files().satelliteFiles.satellites;
    if (satIndex < 0 || satIndex > layout::channel::altSystemSatIndex ||
        static_cast<std::size_t>(satIndex) >= satellites.size()) {
        return std::nullopt;
    }
    return satellites[static_cast<std::size_t>(satIndex)].orbitalPosition;
}

ServiceMatcher::ServiceMatcher(const Workspace& workspace) : workspace_(workspace) {
    const auto& names = workspace.services().satelliteNames();
    for (std::size_t b = 0; b < names.size(); ++b) {
        satellitePlaces_.emplace_back(workspace.codePage().toUtf8(names[b]),
                                      namedPlaceBase + static_cast<std::int64_t>(b));
    }
    std::sort(satellitePlaces_.begin(), satellitePlaces_.end());
}

const std::vector<ServiceMatcher::Key>& ServiceMatcher::index(Index which) const {
    auto& built = indexes_[which];
    if (!built) {
        built = build(which);
    }
    return *built;
}

// A service stands at its satellite's position and under its Satellite cell's name.
std::vector<ServiceMatcher::Key> ServiceMatcher::build(Index which) const {
    const ServiceTable& table = workspace_.services();
    std::vector<Key> keys;
    keys.reserve(table.size());
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        const ServiceRow& row = table.row(i);
        const DecodedService& r = row.record;
        std::optional<std::int64_t> place = namedPlaceBase + row.satelliteBlock;
        if (which == identityByPosition || which == nameByPosition) {
            const auto position = satellitePosition(workspace_, r.satIndex);
            place = position ? std::optional<std::int64_t>(positionBase + *position) : std::nullopt;
        }
        if (which == ids) {
            keys.emplace_back(idsKey(r.sid, r.tid, r.nid), i);
        } else if (place && (which == identityByPosition || which == identityByName)) {
            keys.emplace_back(identityKey(*place, static_cast<std::uint64_t>(row.pol), r.sid), i);
        } else if (place) {
            keys.emplace_back(nameKey(*place, r.name), i);
        }
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<std::uint32_t> ServiceMatcher::lookup(const std::vector<Key>& index,
                                                  std::uint64_t key) {
    std::vector<std::uint32_t> rows;
    for (auto it = std::lower_bound(index.begin(), index.end(), Key{key, 0});
         it != index.end() && it->first == key; ++it) {
        rows.push_back(it->second);
    }
    return rows;
}

std::optional<std::int64_t> ServiceMatcher::placeOf(const ReferenceRow& row) const {
    if (row.position) {
        return positionBase + *row.position;
    }
    if (row.satellite.empty()) {
        return std::nullopt;
    }
    const auto it = std::lower_bound(satellitePlaces_.begin(), satellitePlaces_.end(),
                                     std::pair<std::string, std::int64_t>{row.satellite, 0});
    if (it == satellitePlaces_.end() || it->first != row.satellite) {
        return std::nullopt;
    }
    return it->second;
}

std::vector<std::uint32_t> ServiceMatcher::identityMatches(const ReferenceRow& row,
                                                           std::int64_t place) const {
    std::vector<std::uint32_t> rows;
    if (!row.frequency || !row.sid) {
        return rows;
    }
    const Index by = place < namedPlaceBase ? identityByPosition : identityByName;
    for (const std::uint32_t s :
         lookup(index(by), identityKey(place, polCode(row.pol), *row.sid))) {
        const std::int64_t f = workspace_.services().row(s).record.frequency;
        if (std::abs(f - std::int64_t{*row.frequency}) <= frequencyTolerance) {
            rows.push_back(s);
        }
    }
    return rows;
}

std::vector<std::uint32_t> ServiceMatcher::idMatches(const ReferenceRow& row) const {
    if (!row.sid || !row.tid || !row.nid) {
        return {};
    }
    return lookup(index(ids), idsKey(*row.sid, *row.tid, *row.nid));
}

std::vector<std::uint32_t> ServiceMatcher::nameMatches(const ReferenceRow& row,
                                                       std::int64_t place) const {
    std::vector<std::uint32_t> rows;
    const Encoded name = workspace_.codePage().fromUtf8(row.name);
    if (row.name.empty() || !name.ok) {
        return rows;
    }
    const Index by = place < namedPlaceBase ? nameByPosition : nameByName;
    for (const std::uint32_t s : lookup(index(by), nameKey(place, name.bytes))) {
        if (workspace_.services().row(s).record.name == name.bytes) {
            rows.push_back(s);
        }
    }
    return rows;
}

std::vector<std::uint32_t> ServiceMatcher::named(std::vector<std::uint32_t> rows,
                                                 const ReferenceRow& row) const {
    if (rows.size() < 2 || row.name.empty()) {
        return rows;
    }
    const Encoded name = workspace_.codePage().fromUtf8(row.name);
    if (!name.ok) {
        return rows;
    }
    std::vector<std::uint32_t> same;
    for (const std::uint32_t s : rows) {
        if (workspace_.services().row(s).record.name == name.bytes) {
            same.push_back(s);
        }
    }
    return same.empty() ? rows : same;
}

Match ServiceMatcher::find(const ReferenceRow& row) const {
    const auto place = placeOf(row);
    const auto found = [&](const std::vector<std::uint32_t>& rows, MatchRule rule) {
        const auto best = named(rows, row);
        return Match{best.front(), rule, best.size()};
    };
    if (place) {
        if (const auto rows = identityMatches(row, *place); !rows.empty()) {
            return found(rows, MatchRule::Identity);
        }
    }
    if (const auto rows = idMatches(row); !rows.empty()) {
        return found(rows, MatchRule::Ids);
    }
    if (place) {
        const auto rows = nameMatches(row, *place);
        if (rows.size() == 1) {
            return found(rows, MatchRule::Name);
        }
        return {std::nullopt, MatchRule::Name, rows.size()}; // a name met twice names neither
    }
    return {};
}

Match ServiceMatcher::findBy(const ReferenceRow& row, MatchRule rule,
                             const std::function<bool(std::uint32_t)>& available) const {
    const auto place = placeOf(row);
    std::vector<std::uint32_t> rows;
    if (rule == MatchRule::Ids) {
        rows = idMatches(row);
    } else if (place) {
        rows =
            rule == MatchRule::Identity ? identityMatches(row, *place) : nameMatches(row, *place);
    }
    std::erase_if(rows, [&](std::uint32_t s) { return !available(s); });
    if (rows.empty() || (rule == MatchRule::Name && rows.size() > 1)) {
        return {std::nullopt, rule, rows.size()};
    }
    const auto best = named(rows, row);
    return {best.front(), rule, best.size()};
}

} // namespace tavrino
