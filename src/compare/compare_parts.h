#pragma once

#include "compare/comparison.h"
#include "reference/service_matcher.h"
#include "workspace/workspace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino::comparing {

// Which thing of one side stands for which of the other, by index on each side.
struct Pairing {
    std::vector<std::optional<std::uint32_t>> afterOf;  // by index in `before`
    std::vector<std::optional<std::uint32_t>> beforeOf; // by index in `after`

    Pairing(std::size_t before, std::size_t after) : afterOf(before), beforeOf(after) {}
    void pair(std::uint32_t b, std::uint32_t a) {
        afterOf[b] = a;
        beforeOf[a] = b;
    }
};

// Both sides and what has been paired so far.
struct Sides {
    Sides(const Workspace& b, const Workspace& a) : before(b), after(a) {}
    const Workspace& before;
    const Workspace& after;
    ServiceMatcher afterMatcher{after};
    Pairing satellites{0, 0}; // DVBS.dat satellites
    Pairing services{0, 0};   // service-table rows
};

Pairing pairSatellites(const Workspace& before, const Workspace& after);
Pairing pairServices(const Sides& sides);

void compareServiceList(const Sides& sides, Comparison& out);
void compareBouquets(const Sides& sides, Comparison& out);
void compareSatellites(const Sides& sides, Comparison& out);

// The satellite of DVBS.dat a satellite number names; none for cable, terrestrial and IP
// numbers and numbers DVBS.dat does not hold.
std::optional<std::uint32_t> dvbsSatellite(const Workspace& ws, int satIndex);
// "Hot Bird 13C (13.0E)"; "5 (not in DVBS.dat)"; cable, terrestrial and IP numbers by the
// satellite-name table's entry ("DVB-Cable").
std::string satelliteLabel(const Workspace& ws, int satIndex);
// "19.2E 11778 H": the satellite's position (else its name), frequency and polarisation.
std::string placeText(const Workspace& ws, int satIndex, std::int32_t frequency, int polarization);
std::string polarizationText(int polarization); // "H", "V", else the number

// Adds a Changed row for `field`.
void addChange(std::vector<DiffRow>& rows, const DiffRow& thing, std::string_view field,
               std::string before, std::string after);
// Adds a Changed row for `field` unless both sides agree. Texts that read the same while the
// stored values differ give way to the values.
void addField(std::vector<DiffRow>& rows, const DiffRow& thing, std::string_view field,
              std::string before, std::string after, std::int64_t beforeValue,
              std::int64_t afterValue);
void addField(std::vector<DiffRow>& rows, const DiffRow& thing, std::string_view field,
              std::int64_t before, std::int64_t after);

// Of things paired in `before` order, given their places in `after`: which keep their order
// (the longest rising run); the others moved.
std::vector<bool> keptInOrder(const std::vector<std::uint32_t>& places);

// Rows in the order a comparison lists them: Added, Removed, Changed, Moved.
class ChangeGroups {
public:
    void add(std::vector<DiffRow> rows) { groups_[index(rows.front())].push_back(std::move(rows)); }
    void add(DiffRow row) {
        std::vector<DiffRow> rows;
        rows.push_back(std::move(row)); // a braced list would copy it
        add(std::move(rows));
    }
    void moveInto(Comparison& out);

private:
    static std::size_t index(const DiffRow& row) { return static_cast<std::size_t>(row.change); }
    std::vector<std::vector<DiffRow>> groups_[diffChangeCount];
};

} // namespace tavrino::comparing
