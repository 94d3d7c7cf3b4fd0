#pragma once

#include "services/service_table.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tavrino {

struct ServiceFilter {
    std::optional<std::uint32_t> satelliteBlock; // nullopt: "- All Satellites -"
    std::optional<TypeText> type;                // nullopt: "- All Types -"
};

// The visible list: rows of the full table that pass the filter, in table order until sorted.
// It holds row indices, so an edit of a table row shows in the view at once.
class ServiceView {
public:
    // All rows in file order, duplicates or not; the sort direction setting is kept.
    void reset(const ServiceTable& table);
    void applyFilter(const ServiceTable& table, const ServiceFilter& filter);
    // "Duplicates only", for this and later filters until reset: per table row, the number of
    // its duplicate group (1 the largest), 0 for none. Only rows with a group pass, ordered by
    // group, in file order within one. nullopt shows every service again.
    void setDuplicateGroups(std::optional<std::vector<std::uint32_t>> groups) {
        duplicateGroups_ = std::move(groups);
    }

    // A header click: flips the view's one sort direction, then sorts. Returns true when the
    // new order is ascending. The direction starts ascending, so the first click sorts
    // descending.
    bool sortByHeaderClick(const ServiceTable& table, int column);
    // Sorts in a given direction (stable: equal keys keep their current order).
    void sort(const ServiceTable& table, int column, bool ascending);

    // First position, in view order, whose name begins with `utf8Prefix` ignoring case.
    // An empty prefix finds nothing (the selection stays where it is).
    std::optional<std::size_t> findByName(const ServiceTable& table,
                                          std::string_view utf8Prefix) const;

    const std::vector<std::uint32_t>& rows() const { return rows_; }
    std::size_t size() const { return rows_.size(); }
    std::uint32_t tableRow(std::size_t position) const { return rows_[position]; }
    std::optional<std::size_t> positionOfTableRow(std::uint32_t tableRow) const;
    // The positions of those table rows the view shows, in the order given; one pass over
    // the view, however many rows are asked for.
    std::vector<std::size_t> positionsOfTableRows(std::span<const std::uint32_t> tableRows) const;
    const ServiceFilter& filter() const { return filter_; }
    // The duplicate group a table row is shown in; 0 when it has none or duplicates are not
    // what the view shows.
    std::uint32_t groupOf(std::uint32_t tableRow) const;
    bool ascending() const { return ascending_; }

private:
    std::vector<std::uint32_t> rows_;
    ServiceFilter filter_;
    std::optional<std::vector<std::uint32_t>> duplicateGroups_;
    bool ascending_ = true;
};

} // namespace tavrino
