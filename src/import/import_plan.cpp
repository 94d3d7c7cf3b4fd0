#include "import/import_plan.h"

#include "database/byte_reader.h"
#include "database/layout.h"
#include "satellites/dvbs_edit.h"

#include <algorithm>

namespace tavrino {
namespace {
namespace an = layout::antenna;
namespace dv = layout::dvbs;

// Satellites the antenna file holds a record for.
int antennaRecords(const SatelliteFiles& current) {
    const auto fit = current.antenna.length() < an::headerSize
                         ? 0
                         : (current.antenna.length() - an::headerSize) / an::recordSize;
    return std::min(current.antennaSettings.satelliteCount, static_cast<int>(fit));
}

// The current satellite a chosen one replaces: same position, not taken, the same name first.
std::optional<int> partnerOf(const StoredName& name, std::int32_t position,
                             const SatelliteFiles& current, const std::vector<bool>& taken,
                             const CodePage& codePage) {
    std::optional<int> first;
    const std::string wanted = codePage.folded(name.bytes);
    for (std::size_t i = 0; i < current.satellites.size(); ++i) {
        const DvbsSatellite& sat = current.satellites[i];
        if (taken[i] || sat.orbitalPosition != position) {
            continue;
        }
        if (codePage.folded(sat.name) == wanted) {
            return static_cast<int>(i);
        }
        first = first ? first : static_cast<int>(i);
    }
    return first;
}

std::optional<int> antennaAt(std::int32_t position, const SatelliteFiles& current) {
    const int records = antennaRecords(current);
    for (std::size_t i = 0; i < current.satellites.size(); ++i) {
        if (current.satellites[i].orbitalPosition == position && static_cast<int>(i) < records) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

inline void putLittleEndian(std::uint8_t* at, int width, std::uint32_t value) {
    for (int i = 0; i < width; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void appendSatellite(Bytes& dvbs, std::size_t number, const StoredName& name,
                     const ImportedSatellite& sat) {
    namespace t = dv::transponder;
    const std::size_t at = dvbs.size();
    dvbs.resize(at + dv::satelliteSize + dv::transponderSize * sat.transponders.size(), 0);
    std::fill_n(dvbs.begin() + static_cast<std::ptrdiff_t>(at), dv::satelliteNumber, 0x11);
    dvbs[at + dv::satelliteNumber] = static_cast<std::uint8_t>(number);
    std::copy(name.bytes.begin(), name.bytes.end(),
              dvbs.begin() + static_cast<std::ptrdiff_t>(at + dv::satelliteName));
    writeNumber(dvbs, at + dv::satelliteTpCount, 2,
                static_cast<std::int64_t>(sat.transponders.size()));
    std::copy(dvbs_edit::headerTemplate.begin(), dvbs_edit::headerTemplate.end(),
              dvbs.begin() + static_cast<std::ptrdiff_t>(at + dv::satelliteTemplate));
    writeNumber(dvbs, at + dv::satelliteOrbitalPosition, 4, sat.position);
    writeNumber(dvbs, at + dv::satellitePositionCopy, 4, sat.position);
    // Every entry starts as the satellite's blank one; thousands of them are written.
    Bytes blank(dv::transponderSize, 0);
    dvbs_edit::entryFixedBytes(blank, 0, sat.position);
    std::uint8_t* entry = dvbs.data() + at + dv::satelliteSize;
    for (const ImportedTransponder& tp : sat.transponders) {
        std::copy(blank.begin(), blank.end(), entry);
        putLittleEndian(entry + t::frequency, 4, static_cast<std::uint32_t>(tp.frequency));
        putLittleEndian(entry + t::nid, 2, tp.nid);
        putLittleEndian(entry + t::tid, 2, tp.tid);
        putLittleEndian(entry + t::symbolRate, 4, static_cast<std::uint32_t>(tp.symbolRate));
        entry[t::fec] = tp.fec;
        entry[t::polarization] = tp.polarization;
        entry[t::modulationSystem] = tp.system;
        entry[t::modulationType] = tp.modulation;
        entry += dv::transponderSize;
    }
}

// The record an imported satellite gets when it keeps none: Universal LNB, power on.
void writeDefaultRecord(Bytes& antenna, std::size_t at, std::size_t number) {
    namespace r = an::record;
    writeNumber(antenna, at + r::netIndex, 2, static_cast<std::int64_t>(number));
    antenna[at + r::lnbType] = 1;
    antenna[at + r::lnbFrequency] = 1;
    antenna[at + r::lnbPower] = 1;
    antenna[at + 24] = 186; // 1210 in the two bytes after the motor position, as the receiver
    antenna[at + 25] = 4;   // writes them
    antenna[at + 28] = 1;
}

} // namespace

ImportChoice defaultChoice(const ImportedList& list) {
    ImportChoice choice;
    choice.chosen.resize(list.satellites.size(), false);
    std::fill_n(choice.chosen.begin(), std::min(list.satellites.size(), dv::maxSatellites), true);
    return choice;
}

StoredName storedName(const std::string& utf8, const CodePage& codePage) {
    StoredName name;
    name.bytes.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte > 0 && byte < 0x80 && codePage.decode(byte) == byte) {
            name.bytes += static_cast<char>(byte);
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            ++end;
        }
        const Encoded encoded = codePage.fromUtf8(std::string_view(utf8).substr(i, end - i));
        name.replaced = name.replaced || !encoded.ok;
        name.bytes += encoded.ok ? encoded.bytes : "?";
        i = end;
    }
    if (name.bytes.size() > dv::satelliteNameWidth) {
        name.bytes.resize(dv::satelliteNameWidth);
        name.cut = true;
    }
    return name;
}

ImportPlan planImport(const ImportedList& list, const ImportChoice& choice,
                      const SatelliteFiles& current, const CodePage& codePage) {
    ImportPlan plan;
    plan.keepAntennaHeader = choice.keepAntenna && current.antenna.length() >= an::headerSize;
    std::vector<bool> taken(current.satellites.size(), false);
    for (std::size_t i = 0; i < list.satellites.size(); ++i) {
        if (i >= choice.chosen.size() || !choice.chosen[i]) {
            continue;
        }
        const ImportedSatellite& sat = list.satellites[i];
        StoredName name = storedName(sat.name, codePage);
        const auto partner = partnerOf(name, sat.position, current, taken, codePage);
        if (partner) {
            taken[static_cast<std::size_t>(*partner)] = true;
        }
        std::optional<int> antenna;
        if (choice.keepAntenna) {
            antenna = partner && *partner < antennaRecords(current)
                          ? partner
                          : antennaAt(sat.position, current);
        }
        plan.chosen.push_back(i);
        plan.replaces.push_back(partner);
        plan.antennaFrom.push_back(antenna);
        plan.names.push_back(std::move(name));
    }
    return plan;
}

ImportImages buildImportImages(const ImportedList& list, const ImportPlan& plan,
                               const SatelliteFiles& current) {
    ImportImages images;
    std::size_t dvbsSize = dv::headerSize;
    for (const std::size_t i : plan.chosen) {
        dvbsSize +=
            dv::satelliteSize + dv::transponderSize * list.satellites[i].transponders.size();
    }
    images.dvbs.reserve(dvbsSize);
    images.dvbs.assign(dv::headerSize, 0);
    if (current.dvbs.length() >= dv::headerSize) { // bytes no one reads stay as they were
        std::copy_n(current.dvbs.bytes.begin(), dv::headerSize, images.dvbs.begin());
    }
    writeNumber(images.dvbs, dv::satelliteCount, 2, static_cast<std::int64_t>(plan.chosen.size()));

    images.antenna = dvbs_edit::newAntennaImage();
    if (plan.keepAntennaHeader) {
        std::copy_n(current.antenna.bytes.begin(), an::headerSize, images.antenna.begin());
    }
    writeNumber(images.antenna, an::satelliteCount, 2,
                static_cast<std::int64_t>(plan.chosen.size()));
    for (std::size_t n = 0; n < plan.chosen.size(); ++n) {
        appendSatellite(images.dvbs, n, plan.names[n], list.satellites[plan.chosen[n]]);
        const std::size_t at = an::headerSize + an::recordSize * n;
        if (const auto from = plan.antennaFrom[n]) {
            const auto source =
                current.antenna.bytes.begin() +
                static_cast<std::ptrdiff_t>(an::headerSize +
                                            an::recordSize * static_cast<std::size_t>(*from));
            std::copy_n(source, an::recordSize,
                        images.antenna.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            writeDefaultRecord(images.antenna, at, n);
        }
    }
    return images;
}

} // namespace tavrino
