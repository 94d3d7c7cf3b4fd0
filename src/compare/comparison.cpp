#include "compare/comparison.h"

#include "compare/compare_parts.h"
#include "database/layout.h"

#include <algorithm>

namespace tavrino {

std::string_view areaText(DiffArea area) {
    constexpr std::array<std::string_view, diffAreaCount> texts = {
        "Service", "Bouquet", "Item", "Satellite", "Transponder", "Antenna"};
    return texts[static_cast<std::size_t>(area)];
}

std::string_view changeText(DiffChange change) {
    constexpr std::array<std::string_view, diffChangeCount> texts = {"Added", "Removed", "Changed",
                                                                     "Moved"};
    return texts[static_cast<std::size_t>(change)];
}

std::array<std::string, diffHeader.size()> DiffRow::cells() const {
    return {std::string(areaText(area)),
            std::string(changeText(change)),
            name,
            where,
            field,
            before,
            after};
}

std::size_t Comparison::count(DiffArea area, DiffChange change) const {
    return counts_[static_cast<std::size_t>(area)][static_cast<std::size_t>(change)];
}

std::size_t Comparison::count(DiffArea area) const {
    const auto& byChange = counts_[static_cast<std::size_t>(area)];
    std::size_t sum = 0;
    for (const std::size_t n : byChange) {
        sum += n;
    }
    return sum;
}

void Comparison::add(std::vector<DiffRow> rows) {
    if (rows.empty()) {
        return;
    }
    const DiffRow& first = rows.front();
    ++counts_[static_cast<std::size_t>(first.area)][static_cast<std::size_t>(first.change)];
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
}

void Comparison::add(DiffRow row) {
    std::vector<DiffRow> rows;
    rows.push_back(std::move(row));
    add(std::move(rows));
}

Comparison compareWorkspaces(const Workspace& before, const Workspace& after,
                             const CompareOptions& options) {
    comparing::Sides sides(before, after);
    // Services name their satellite by number, so they need the satellites paired first;
    // bouquet items name services.
    sides.satellites = comparing::pairSatellites(before, after);
    if (options.services || options.bouquets) {
        sides.services = comparing::pairServices(sides);
    }
    Comparison out;
    if (options.services) {
        comparing::compareServiceList(sides, out);
    }
    if (options.bouquets) {
        comparing::compareBouquets(sides, out);
    }
    if (options.satellites) {
        comparing::compareSatellites(sides, out);
    }
    return out;
}

namespace comparing {

std::optional<std::uint32_t> dvbsSatellite(const Workspace& ws, int satIndex) {
    const auto& satellites = ws.files().satelliteFiles.satellites;
    if (satIndex < 0 || satIndex > layout::channel::altSystemSatIndex ||
        static_cast<std::size_t>(satIndex) >= satellites.size()) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(satIndex);
}

std::string satelliteLabel(const Workspace& ws, int satIndex) {
    if (const auto i = dvbsSatellite(ws, satIndex)) {
        const DvbsSatellite& sat = ws.files().satelliteFiles.satellites[*i];
        return ws.codePage().toUtf8(sat.name) + " (" + positionText(sat.orbitalPosition) + ")";
    }
    if (satIndex <= layout::channel::altSystemSatIndex) {
        return std::to_string(satIndex) + " (not in DVBS.dat)";
    }
    std::string name = ws.satelliteName(satIndex); // "DVB-Cable", "DVB-Terrestrial", ...
    return name.empty() ? std::to_string(satIndex) : name;
}

std::string polarizationText(int polarization) {
    return polarization == 0 ? "H" : polarization == 1 ? "V" : std::to_string(polarization);
}

std::string placeText(const Workspace& ws, int satIndex, std::int32_t frequency, int polarization) {
    const auto position = satellitePosition(ws, satIndex);
    std::string text = position ? positionText(*position) : ws.satelliteName(satIndex);
    return text + " " + std::to_string(frequency) + " " + polarizationText(polarization);
}

void addChange(std::vector<DiffRow>& rows, const DiffRow& thing, std::string_view field,
               std::string before, std::string after) {
    DiffRow row = thing;
    row.field = field;
    row.before = std::move(before);
    row.after = std::move(after);
    rows.push_back(std::move(row));
}

void addField(std::vector<DiffRow>& rows, const DiffRow& thing, std::string_view field,
              std::string before, std::string after, std::int64_t beforeValue,
              std::int64_t afterValue) {
    if (before == after && beforeValue == afterValue) {
        return;
    }
    if (before == after) {
        before = std::to_string(beforeValue);
        after = std::to_string(afterValue);
    }
    addChange(rows, thing, field, std::move(before), std::move(after));
}

void addField(std::vector<DiffRow>& rows, const DiffRow& thing, std::string_view field,
              std::int64_t before, std::int64_t after) {
    if (before != after) {
        addField(rows, thing, field, std::to_string(before), std::to_string(after), before, after);
    }
}

std::vector<bool> keptInOrder(const std::vector<std::uint32_t>& places) {
    // Patience sorting: ends[k] is the index of the smallest last place of a rising run of
    // length k + 1; each index remembers the one before it in its run.
    std::vector<std::size_t> ends;
    std::vector<std::size_t> previous(places.size(), places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        const auto at =
            std::lower_bound(ends.begin(), ends.end(), places[i],
                             [&](std::size_t e, std::uint32_t p) { return places[e] < p; });
        if (at != ends.begin()) {
            previous[i] = *(at - 1);
        }
        if (at == ends.end()) {
            ends.push_back(i);
        } else {
            *at = i;
        }
    }
    std::vector<bool> kept(places.size(), false);
    for (std::size_t i = ends.empty() ? places.size() : ends.back(); i < places.size();
         i = previous[i]) {
        kept[i] = true;
    }
    return kept;
}

void ChangeGroups::moveInto(Comparison& out) {
    for (auto& group : groups_) {
        for (auto& rows : group) {
            out.add(std::move(rows));
        }
        group.clear();
    }
}

} // namespace comparing
} // namespace tavrino
