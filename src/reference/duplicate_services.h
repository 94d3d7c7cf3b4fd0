#pragma once

#include "reference/service_matcher.h"
#include "workspace/workspace.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace tavrino {

// Services of one list that are the same channel.
struct DuplicateGroup {
    std::vector<std::uint32_t> services; // service-table rows, in file order
    // Per service: Identity when the first rule ties it to another member, else Ids.
    std::vector<MatchRule> rules;
    // Identity when the first rule alone joins the whole group.
    MatchRule rule = MatchRule::Identity;
};

struct DuplicateServices {
    std::vector<DuplicateGroup> groups; // largest first, equal sizes by their first service
    // Per service-table row: the number of its group (index + 1), 0 when it has no duplicate.
    std::vector<std::uint32_t> groupNumber;
};

// Groups the services that the first two rules of the service matcher tie together: position
// (else the satellite block), frequency within 2 MHz, polarisation and SID; or SID, TID and NID.
// A name alone never ties. Ties are pairs and groups are their union, so A~B and B~C make one
// group even when A and C are 4 MHz apart: the user sees every candidate, and nothing is
// removed on the strength of a group.
DuplicateServices findDuplicateServices(const Workspace& workspace);

// "Position/Frequency/Pol/SID" or "SID/TID/NID".
std::string_view duplicateRuleText(MatchRule rule);

} // namespace tavrino
