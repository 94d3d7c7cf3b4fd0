#pragma once

#include "reference/reference_list.h"
#include "workspace/workspace.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tavrino {

// The orbital position DVBS.dat gives a satellite number, in tenths of a degree (negative =
// West); none for cable, terrestrial and IP numbers and for numbers DVBS.dat does not hold.
std::optional<int> satellitePosition(const Workspace& workspace, int satIndex);

// The rules that find a row's service, strongest first.
enum class MatchRule {
    Identity, // position, frequency within 2 MHz, polarisation and SID
    Ids,      // SID, TID and NID
    Name,     // name and position, when no other service of that name stands there
};

struct Match {
    std::optional<std::uint32_t> service; // service-table row; none: not found
    MatchRule rule = MatchRule::Identity;
    // Services the rule matched (those with the row's name, when some have it); the first in
    // file order is taken.
    std::size_t candidates = 0;
};

// Finds the services of reference rows in the open database. A row names its place by
// Position, or, when that is empty (cable, terrestrial, IP), by its Satellite name. A service
// stands at the position DVBS.dat gives its satellite number and under the name its Satellite
// cell shows. Built once per database state: the tables must not change while it is used.
class ServiceMatcher {
public:
    explicit ServiceMatcher(const Workspace& workspace);

    Match find(const ReferenceRow& row) const;
    // The same by one rule only, among the services `available` lets through: a comparison
    // pairs the services of two databases one to one, every pair of the strongest rule first.
    Match findBy(const ReferenceRow& row, MatchRule rule,
                 const std::function<bool(std::uint32_t)>& available) const;

private:
    using Key = std::pair<std::uint64_t, std::uint32_t>; // (key, row), sorted: file order wins
    // Each index is built when a row first needs it: most rows need only the first.
    enum Index { identityByPosition, identityByName, ids, nameByPosition, nameByName, indexCount };
    const std::vector<Key>& index(Index which) const;
    std::vector<Key> build(Index which) const;

    std::optional<std::int64_t> placeOf(const ReferenceRow& row) const;
    std::vector<std::uint32_t> identityMatches(const ReferenceRow& row, std::int64_t place) const;
    std::vector<std::uint32_t> idMatches(const ReferenceRow& row) const;
    std::vector<std::uint32_t> nameMatches(const ReferenceRow& row, std::int64_t place) const;
    // Of several services, those with the row's name; all of them when none has it.
    std::vector<std::uint32_t> named(std::vector<std::uint32_t> rows,
                                     const ReferenceRow& row) const;
    static std::vector<std::uint32_t> lookup(const std::vector<Key>& index, std::uint64_t key);

    const Workspace& workspace_;
    std::vector<std::pair<std::string, std::int64_t>> satellitePlaces_; // UTF-8 block name
    mutable std::array<std::optional<std::vector<Key>>, indexCount> indexes_;
};

} // namespace tavrino
