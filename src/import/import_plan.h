#pragma once

#include "common/code_page.h"
#include "database/byte_image.h"
#include "database/receiver_files.h"
#include "import/imported_list.h"

#include <optional>
#include <string>
#include <vector>

namespace tavrino {

// What the user chose in the preview.
struct ImportChoice {
    std::vector<bool> chosen; // one per satellite of the list
    bool keepAntenna = true;  // "Keep antenna settings of satellites already present"
};

// Every satellite ticked, up to the receiver's 256 in list order.
ImportChoice defaultChoice(const ImportedList& list);

// A name as it will be stored: code-page bytes, cut to the 64-byte name field.
struct StoredName {
    std::string bytes;
    bool replaced = false; // characters the code page cannot hold became "?"
    bool cut = false;
};
StoredName storedName(const std::string& utf8, const CodePage& codePage);

// How the chosen satellites meet the current lists. A chosen satellite replaces the current
// one at the same position (one each, the same name first); its antenna record comes from
// that one, or from any current satellite at its position.
struct ImportPlan {
    std::vector<std::size_t> chosen;             // list indexes; the new satellite numbers
    std::vector<std::optional<int>> replaces;    // per chosen: the current satellite
    std::vector<std::optional<int>> antennaFrom; // per chosen: the current antenna record
    std::vector<StoredName> names;               // per chosen
    bool keepAntennaHeader = false;              // longitude, latitude and the rest stay
};
ImportPlan planImport(const ImportedList& list, const ImportChoice& choice,
                      const SatelliteFiles& current, const CodePage& codePage);

// DVBS.dat and antenna_list.dat (current layout, 32,804 bytes) holding the chosen satellites.
struct ImportImages {
    Bytes dvbs;
    Bytes antenna;
};
ImportImages buildImportImages(const ImportedList& list, const ImportPlan& plan,
                               const SatelliteFiles& current);

} // namespace tavrino
