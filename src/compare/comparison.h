#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

class Workspace;

enum class DiffArea : std::uint8_t { Service, Bouquet, Item, Satellite, Transponder, Antenna };
enum class DiffChange : std::uint8_t { Added, Removed, Changed, Moved };
inline constexpr std::size_t diffAreaCount = 6;
inline constexpr std::size_t diffChangeCount = 4;

std::string_view areaText(DiffArea area);       // "Service", "Bouquet", ...
std::string_view changeText(DiffChange change); // "Added", "Removed", "Changed", "Moved"

inline constexpr std::array<std::string_view, 7> diffHeader = {"Area",  "Change", "Name", "Where",
                                                               "Field", "Before", "After"};

// One line of a comparison, texts in UTF-8. A changed thing gives one row per changed field;
// a moved one gives its old and new place as Before and After.
struct DiffRow {
    DiffArea area = DiffArea::Service;
    DiffChange change = DiffChange::Changed;
    std::string name;  // the service, bouquet or satellite
    std::string where; // "19.2E 11778 H", "Favoriten #12" (an item), "#3" (a bouquet), "19.2E"
    std::string field; // a column of `services`, `transponders` or `antenna`; or "Name", "Position"
    std::string before;
    std::string after;
    // The service's row in each side's service table, when there is one: the window selects it.
    std::optional<std::uint32_t> beforeService;
    std::optional<std::uint32_t> afterService;

    std::array<std::string, diffHeader.size()> cells() const;
};

// Which areas to compare: services; bouquets with their items; satellites with their
// transponders and antenna settings.
struct CompareOptions {
    bool services = true;
    bool bouquets = true;
    bool satellites = true;
};

// Rows by area, each area's rows by change: Added, Removed, Changed, Moved.
class Comparison {
public:
    const std::vector<DiffRow>& rows() const { return rows_; }
    bool same() const { return rows_.empty(); }
    // Things that differ, not rows: a service with three changed fields counts once.
    std::size_t count(DiffArea area, DiffChange change) const;
    std::size_t count(DiffArea area) const;

    // The rows of one thing (at least one).
    void add(std::vector<DiffRow> rows);
    void add(DiffRow row);

private:
    std::vector<DiffRow> rows_;
    std::array<std::array<std::size_t, diffChangeCount>, diffAreaCount> counts_{};
};

// What changes from `before` to `after`. Services are paired by the identity rules of the
// reference lists (position, frequency within 2 MHz, polarisation and SID; else SID, TID and
// NID; else name and position), every pair of a stronger rule first, so records that moved
// and got new links show only what really differs. Bouquets pair by name, else by holding the
// same services; items by the service they name; satellites by position and name, position,
// or name; transponders by frequency and polarisation, frequency within 2 MHz, or TID and NID.
Comparison compareWorkspaces(const Workspace& before, const Workspace& after,
                             const CompareOptions& options = {});

} // namespace tavrino
