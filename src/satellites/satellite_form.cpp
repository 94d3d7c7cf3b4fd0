#include "satellites/satellite_editor.h"

// What the satellite editor shows: its two lists and the form of one satellite.
namespace tavrino {

std::vector<std::string> satelliteLines(const Workspace& workspace) {
    std::vector<std::string> lines;
    for (const auto& satellite : workspace.files().satelliteFiles.satellites) {
        lines.push_back(workspace.codePage().toUtf8(satellite.name));
    }
    return lines;
}

std::vector<std::string> antennaLines(const Workspace& workspace) {
    std::vector<std::string> lines;
    for (const auto& record : workspace.files().satelliteFiles.antennaSettings.records) {
        lines.push_back(antennaLine(record.netIndex));
    }
    return lines;
}

SatelliteForm satelliteForm(const Workspace& workspace, std::optional<int> index) {
    const SatelliteFiles& files = workspace.files().satelliteFiles;
    const AntennaSettings& antenna = files.antennaSettings;
    SatelliteForm form;
    form.satellite = index;
    form.longitude = std::to_string(antenna.longitude);
    form.latitude = std::to_string(antenna.latitude);
    form.maxSat = std::to_string(antenna.satelliteCount);
    if (!index || *index < 0) {
        return form;
    }
    const auto i = static_cast<std::size_t>(*index);
    if (i < files.satellites.size()) {
        const DvbsSatellite& satellite = files.satellites[i];
        const PositionText position = formatPosition(satellite.orbitalPosition);
        form.inDvbs = true;
        form.name = workspace.codePage().toUtf8(satellite.name);
        form.position = position.degrees;
        form.eastWest = position.eastWest == "W" ? 1 : 0;
    }
    if (i < antenna.records.size()) {
        form.inAntenna = true;
        form.antenna = antennaForm(antenna.records[i]);
    }
    return form;
}

} // namespace tavrino
