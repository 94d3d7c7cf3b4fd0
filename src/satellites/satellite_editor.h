#pragma once

#include "common/notice.h"
#include "satellites/antenna_form.h"
#include "workspace/workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace tavrino {

namespace satellite_captions {
inline constexpr const char* longitude = "Longitude:";
inline constexpr const char* latitude = "Latitude:";
inline constexpr const char* maxSat = "Max.SAT:";
inline constexpr const char* name = "Name";         // the name box has no caption on screen
inline constexpr const char* position = "Position"; // nor has the position box
inline constexpr const char* add = "Add Sat";
inline constexpr const char* update = "Update SAT";
inline constexpr const char* remove = "Del Sat";
} // namespace satellite_captions

inline constexpr const char* maxSatellitesMessage = "MAX Satellites (256) !!!";

// The upper half of "Organize Sat && TP" for one satellite: DVBS.dat's name and position and
// antenna_list.dat's settings. A satellite missing from one of the files shows the defaults
// for that file's part.
struct SatelliteForm {
    std::optional<int> satellite; // the satellite shown; nullopt with none selected
    bool inDvbs = false;          // DVBS.dat holds this satellite
    bool inAntenna = false;       // antenna_list.dat holds its record
    std::string longitude = "0";
    std::string latitude = "0";
    std::string maxSat = "0"; // shown only
    std::string name = "Satellite";
    std::string position = "0.0";
    int eastWest = 0; // options::eastWest()
    AntennaForm antenna;
};

// The satellite list (names in DVBS.dat order) and the antenna list ("007." lines).
std::vector<std::string> satelliteLines(const Workspace& workspace);
std::vector<std::string> antennaLines(const Workspace& workspace);

// The form as the editor fills it when satellite `index` (or antenna line `index`) is selected.
SatelliteForm satelliteForm(const Workspace& workspace, std::optional<int> index);

struct SatelliteChange {
    bool written = false;
    std::optional<FieldRefusal> refusal; // nothing written; `field` is empty when no one box
                                         // is at fault
    std::optional<int> select;           // satellite list row to select afterwards
};

// "Add Sat": a new satellite after the last one, in both files, from every field of the form.
SatelliteChange addSatellite(Workspace& workspace, const SatelliteForm& form);
// "Update SAT": writes what differs between the form as edited and as it was filled.
SatelliteChange updateSatellite(Workspace& workspace, const SatelliteForm& opened,
                                const SatelliteForm& edited);
// "Del Sat": asks first when services use this or a later satellite number, since their
// numbers in all_channel.dat stay as they are.
SatelliteChange deleteSatellite(Workspace& workspace, int index, Prompter& prompter);

} // namespace tavrino
