#pragma once

#include "samplegen/sample_generator.h"

#include <cstdint>
#include <vector>

namespace tavrino::sample {

// Services turned into copies of others, as repeated scans leave them in a list.
struct DuplicateOptions {
    std::uint64_t seed = 1;
    int groups = 20;
};

struct MadeGroup {
    std::vector<std::int32_t> flags; // FLAG of each service, the original first
    // The copies stand on the original's transponder with its SID, one 2 MHz above and one
    // 2 MHz below it (so the two copies are 4 MHz apart); otherwise one copy stands on
    // another satellite, more than 2 MHz away, with the original's SID, TID and NID.
    bool sameTransponder = false;
};

struct Duplicated {
    Files files;
    std::vector<MadeGroup> groups; // as many as the sample had room for, up to options.groups
};

// First gives every service of a generated sample a SID of its own, then makes the groups
// among satellite services; the reference tables and bouquet items follow. So these groups
// are the only services of the sample that share a SID. At most 65,000 services.
Duplicated addDuplicates(const Files& sample, const DuplicateOptions& options);

} // namespace tavrino::sample
