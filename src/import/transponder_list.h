#pragma once

#include "import/imported_list.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

// One KingOfSat-format transponder list ([SATTYPE] with 1= position and 2= name, [DVB] with
// 0= count and numbered transponder lines). Lines it leaves out are counted in `notes`, each
// note starting with `source`. Throws FileProblem naming `source` when the list lacks what
// a satellite needs.
ImportedSatellite parseTransponderList(std::string_view bytes, const std::string& source,
                                       std::vector<std::string>& notes);

} // namespace tavrino
