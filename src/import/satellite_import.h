#pragma once

#include "common/notice.h"
#include "import/import_plan.h"
#include "import/imported_list.h"
#include "workspace/workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace tavrino {

enum class ImportFate { Added, Kept, LeftOut };

// One satellite of the list as the import would take it.
struct PreviewSatellite {
    ImportFate fate = ImportFate::LeftOut;
    std::optional<int> number;   // its satellite number afterwards (chosen ones only)
    std::optional<int> replaces; // the current satellite at its position it takes over (Kept)
    std::string name;            // UTF-8, as it will be stored
    std::int32_t position = 0;   // tenths of a degree, West negative
    std::size_t transponders = 0;
    // Against the satellite it replaces; an added one adds all. A transponder is the same when
    // frequency and polarisation agree, and changed when its other tuning values do not.
    std::size_t transpondersAdded = 0;
    std::size_t transpondersRemoved = 0;
    std::size_t transpondersChanged = 0;
    std::size_t services = 0;  // services that use the number of the satellite it replaces
    bool keepsAntenna = false; // takes the antenna record of a satellite at its position
};

// A current satellite that no chosen one replaces.
struct PreviewRemoved {
    int number = 0;
    std::string name; // UTF-8
    std::int32_t position = 0;
    std::size_t transponders = 0;
    std::size_t services = 0; // services that use its number
};

// What "Import" would do with the current choice; recomputed whenever the choice changes.
struct ImportPreview {
    std::vector<PreviewSatellite> satellites; // every satellite of the list, in list order
    std::vector<PreviewRemoved> removed;
    std::size_t chosen = 0;
    std::size_t added = 0;
    std::size_t kept = 0;
    std::size_t transponders = 0; // of the chosen satellites
    // Services whose satellite number will name another satellite, or none, afterwards:
    // all_channel.dat keeps the numbers.
    std::size_t servicesRenumbered = 0;
    std::vector<std::string> notes; // read differently or left out, one line each
    std::vector<ImportFailure> failures;
    std::optional<Notice> refusal; // why "Import" would change nothing
};

ImportPreview previewImport(const Workspace& workspace, const ImportedList& list,
                            const ImportChoice& choice);

struct ImportResult {
    bool written = false;
    std::optional<Notice> refusal;
};

// Replaces DVBS.dat and antenna_list.dat with the chosen satellites in one undoable step
// ("Import 52 Satellites"). all_channel.dat stays as it is.
ImportResult applyImport(Workspace& workspace, const ImportedList& list,
                         const ImportChoice& choice);

} // namespace tavrino
