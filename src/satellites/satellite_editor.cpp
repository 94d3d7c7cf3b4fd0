#include "satellites/satellite_editor.h"

#include "common/utf8.h"
#include "database/layout.h"
#include "satellites/dvbs_edit.h"

#include <algorithm>
#include <array>

namespace tavrino {
namespace {
namespace an = layout::antenna;
namespace dv = layout::dvbs;
namespace cap = satellite_captions;

SatelliteChange refused(FieldRefusal refusal) {
    return {false, std::move(refusal), std::nullopt};
}

SatelliteChange refused(const std::string& text) {
    return refused(FieldRefusal{"", limitNotice(text)});
}

std::size_t recordAt(int index) {
    return an::headerSize + an::recordSize * static_cast<std::size_t>(index);
}

// The name as stored: code-page bytes cut to the 64-byte field.
std::variant<std::string, FieldRefusal> encodeName(const Workspace& workspace,
                                                   const std::string& name) {
    const Encoded encoded = workspace.codePage().fromUtf8(name);
    if (!encoded.ok) {
        std::string character;
        utf8::append(character, encoded.unmappable);
        return refuseField(cap::name, "the character \"" + character + "\" cannot be stored in " +
                                          workspace.codePage().name() + " names");
    }
    return encoded.bytes.substr(0, dv::satelliteNameWidth);
}

Bytes nameField(const std::string& name) {
    Bytes field(dv::satelliteNameWidth, 0);
    std::copy(name.begin(), name.end(), field.begin());
    return field;
}

Bytes newHeader(int number, const std::string& name, std::int32_t position) {
    Bytes header(dv::satelliteSize, 0);
    header[dv::satelliteNumber] = static_cast<std::uint8_t>(number);
    const Bytes field = nameField(name);
    std::copy(field.begin(), field.end(), header.begin() + dv::satelliteName);
    std::copy(dvbs_edit::headerTemplate.begin(), dvbs_edit::headerTemplate.end(),
              header.begin() + dv::satelliteTemplate);
    writeNumber(header, dv::satelliteOrbitalPosition, 4, position);
    writeNumber(header, dv::satellitePositionCopy, 4, position);
    return header;
}

// Makes room for record `index`, so the writes after it stay inside the image.
void ensureAntennaRecord(Workspace& workspace, int index) {
    const SatelliteImage& antenna = workspace.files().satelliteFiles.antenna;
    const std::size_t needed = recordAt(index) + an::recordSize;
    if (antenna.loaded() && antenna.length() >= needed) {
        return;
    }
    Bytes image = antenna.loaded() ? antenna.bytes : dvbs_edit::newAntennaImage();
    image.resize(std::max(image.size(), an::convertedSize), 0);
    workspace.antennaEditor().replaceAll(std::move(image));
}

// Update and delete need the satellite in both files.
std::optional<std::string> missingFrom(const Workspace& workspace, int index) {
    const SatelliteFiles& files = workspace.files().satelliteFiles;
    const std::string number = "Satellite " + std::to_string(index);
    if (index < 0 || static_cast<std::size_t>(index) >= files.satellites.size()) {
        return number + " is not in DVBS.dat !!!";
    }
    if (index >= files.antennaSettings.satelliteCount) {
        return number + " has no record in antenna_list.dat !!!";
    }
    return std::nullopt;
}

// Services whose satellite number is this one or a later one of DVBS.dat.
std::size_t servicesFrom(const Workspace& workspace, int index) {
    const auto count = static_cast<int>(workspace.files().satelliteFiles.satellites.size());
    return static_cast<std::size_t>(
        std::count_if(workspace.services().rows().begin(), workspace.services().rows().end(),
                      [&](const ServiceRow& row) {
                          return row.record.satIndex >= index && row.record.satIndex < count;
                      }));
}

void writeRecord(ImageEditor& antenna, int index, const std::vector<RecordWrite>& writes) {
    for (const RecordWrite& w : writes) {
        antenna.writeNumber(recordAt(index) + w.at, w.width, w.value);
    }
}

} // namespace

SatelliteChange addSatellite(Workspace& workspace, const SatelliteForm& form) {
    const SatelliteFiles& files = workspace.files().satelliteFiles;
    const auto count = static_cast<int>(files.satellites.size());
    if (static_cast<std::size_t>(count) >= dv::maxSatellites) {
        return refused(maxSatellitesMessage);
    }
    if (files.antennaSettings.satelliteCount != count) {
        return refused("antenna_list.dat holds " +
                       std::to_string(files.antennaSettings.satelliteCount) +
                       " satellites and DVBS.dat " + std::to_string(count) +
                       "; satellites are added only while both hold the same !!!");
    }
    auto name = encodeName(workspace, form.name);
    auto position = dvbs_edit::positionTenths(form.position, form.eastWest, cap::position);
    auto antenna = planNewAntenna(form.antenna);
    for (FieldRefusal* r : {std::get_if<FieldRefusal>(&name), std::get_if<FieldRefusal>(&position),
                            std::get_if<FieldRefusal>(&antenna)}) {
        if (r) {
            return refused(std::move(*r));
        }
    }
    {
        const auto step = workspace.beginEdit("Add Satellite");
        const Bytes header =
            newHeader(count, std::get<std::string>(name), std::get<std::int32_t>(position));
        Bytes dvbs = files.dvbs.loaded() ? files.dvbs.bytes : Bytes(dv::headerSize, 0);
        // Right after the last satellite: any bytes after it stay after it.
        const std::size_t at =
            count > 0 ? dvbs_edit::endOf(files.satellites.back()) : dv::headerSize;
        dvbs = dvbs_edit::spliced(dvbs, at, 0, header);
        writeNumber(dvbs, dv::satelliteCount, 2, count + 1);
        workspace.dvbsEditor().replaceAll(std::move(dvbs));

        ensureAntennaRecord(workspace, count);
        ImageEditor editor = workspace.antennaEditor();
        editor.fill(recordAt(count), an::recordSize, 0);
        writeRecord(editor, count, std::get<std::vector<RecordWrite>>(antenna));
        editor.writeNumber(an::satelliteCount, 2, count + 1);
    }
    return {true, std::nullopt, count};
}

SatelliteChange updateSatellite(Workspace& workspace, const SatelliteForm& opened,
                                const SatelliteForm& edited) {
    if (!opened.satellite) {
        return {};
    }
    const int index = *opened.satellite;
    if (const auto missing = missingFrom(workspace, index)) {
        return refused(*missing);
    }
    std::vector<std::pair<std::size_t, std::int64_t>> header; // antenna header, 2 bytes each
    for (const auto& [caption, field, at] :
         {std::tuple{cap::longitude, &SatelliteForm::longitude, an::longitude},
          std::tuple{cap::latitude, &SatelliteForm::latitude, an::latitude}}) {
        if (edited.*field != opened.*field) {
            auto value = dvbs_edit::numberIn(edited.*field, caption, 0, 65535);
            if (auto* r = std::get_if<FieldRefusal>(&value)) {
                return refused(std::move(*r));
            }
            header.emplace_back(at, std::get<std::int64_t>(value));
        }
    }
    std::optional<std::string> name;
    if (edited.name != opened.name) {
        auto encoded = encodeName(workspace, edited.name);
        if (auto* r = std::get_if<FieldRefusal>(&encoded)) {
            return refused(std::move(*r));
        }
        name = std::get<std::string>(encoded);
    }
    std::optional<std::int32_t> position;
    if (edited.position != opened.position || edited.eastWest != opened.eastWest) {
        auto tenths = dvbs_edit::positionTenths(edited.position, edited.eastWest, cap::position);
        if (auto* r = std::get_if<FieldRefusal>(&tenths)) {
            return refused(std::move(*r));
        }
        position = std::get<std::int32_t>(tenths);
    }
    auto antenna = planAntennaUpdate(opened.antenna, edited.antenna);
    if (auto* r = std::get_if<FieldRefusal>(&antenna)) {
        return refused(std::move(*r));
    }
    const std::uint64_t before = workspace.history().lastDone();
    {
        const auto step = workspace.beginEdit("Update Satellite");
        ImageEditor antennaEditor = workspace.antennaEditor();
        for (const auto& [at, value] : header) {
            antennaEditor.writeNumber(at, 2, value);
        }
        writeRecord(antennaEditor, index, std::get<std::vector<RecordWrite>>(antenna));
        const std::size_t start =
            workspace.files().satelliteFiles.satellites[static_cast<std::size_t>(index)].offset;
        ImageEditor dvbs = workspace.dvbsEditor();
        if (name) {
            dvbs.writeBytes(start + dv::satelliteName, nameField(*name));
        }
        if (position) {
            dvbs.writeNumber(start + dv::satelliteOrbitalPosition, 4, *position);
            dvbs.writeNumber(start + dv::satellitePositionCopy, 4, *position);
        }
    }
    return {workspace.history().lastDone() != before, std::nullopt, index};
}

SatelliteChange deleteSatellite(Workspace& workspace, int index, Prompter& prompter) {
    if (const auto missing = missingFrom(workspace, index)) {
        return refused(*missing);
    }
    const SatelliteFiles& files = workspace.files().satelliteFiles;
    const DvbsSatellite& satellite = files.satellites[static_cast<std::size_t>(index)];
    if (const std::size_t users = servicesFrom(workspace, index); users > 0) {
        const std::string question =
            std::to_string(users) +
            " services use this satellite or one below it in the list. all_channel.dat keeps "
            "their satellite numbers, so they will name other satellites.\r\n\r\nAre you sure "
            "you want to delete Satellite : " +
            workspace.codePage().toUtf8(satellite.name) + " ?";
        if (!prompter.ask(confirmQuestion(question))) {
            return {};
        }
    }
    const auto dvbsCount = static_cast<int>(files.satellites.size());
    const int antennaCount = files.antennaSettings.satelliteCount;
    {
        const auto step = workspace.beginEdit("Delete Satellite");
        Bytes dvbs = dvbs_edit::spliced(files.dvbs.bytes, satellite.offset,
                                        dvbs_edit::endOf(satellite) - satellite.offset, {});
        writeNumber(dvbs, dv::satelliteCount, 2, dvbsCount - 1);
        workspace.dvbsEditor().replaceAll(std::move(dvbs));

        // The antenna file keeps its length: later records move down, the last slot is blanked.
        ImageEditor antenna = workspace.antennaEditor();
        const auto later = static_cast<std::size_t>(antennaCount - 1 - index);
        if (later > 0) {
            antenna.move(recordAt(index + 1), recordAt(index), an::recordSize * later);
        }
        antenna.fill(recordAt(antennaCount - 1), an::recordSize, 0);
        antenna.writeNumber(an::satelliteCount, 2, antennaCount - 1);
    }
    std::optional<int> select;
    if (dvbsCount > 1) {
        select = std::min(index, dvbsCount - 2);
    }
    return {true, std::nullopt, select};
}

} // namespace tavrino
