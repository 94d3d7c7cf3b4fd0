#pragma once

#include "database/transponder_file.h"
#include "import/imported_list.h"
#include "workspace/workspace.h"

namespace tavrino::test {

// Satellite i of the open files in the import's terms, its name in UTF-8.
inline ImportedSatellite satelliteIn(const Workspace& ws, std::size_t i) {
    const SatelliteFiles& files = ws.files().satelliteFiles;
    const DvbsSatellite& s = files.satellites.at(i);
    ImportedSatellite out{ws.codePage().toUtf8(s.name), s.orbitalPosition, {}};
    const auto byte = [](int v) { return static_cast<std::uint8_t>(v); };
    const auto word = [](int v) { return static_cast<std::uint16_t>(v); };
    for (const DvbsTransponder& t : listTransponders(files.dvbs, static_cast<int>(i))) {
        out.transponders.push_back({t.frequency, t.symbolRate, byte(t.fec), byte(t.polarization),
                                    byte(t.modulationSystem), byte(t.modulationType), word(t.nid),
                                    word(t.tid)});
    }
    return out;
}

} // namespace tavrino::test
