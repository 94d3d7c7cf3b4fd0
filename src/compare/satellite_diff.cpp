#include "compare/compare_parts.h"
#include "database/antenna_file.h"
#include "database/transponder_file.h"

#include <cstdlib>
#include <functional>

namespace tavrino::comparing {
namespace {

constexpr std::int32_t frequencyTolerance = 2; // MHz, as the service identity allows

// Pairs what is left unpaired, one rule at a time in the order given, each side in order.
template <typename T>
void pairBy(Pairing& pairing, const std::vector<T>& before, const std::vector<T>& after,
            const std::vector<std::function<bool(const T&, const T&)>>& rules) {
    for (const auto& same : rules) {
        for (std::uint32_t b = 0; b < before.size(); ++b) {
            for (std::uint32_t a = 0; a < after.size() && !pairing.afterOf[b]; ++a) {
                if (!pairing.beforeOf[a] && same(before[b], after[a])) {
                    pairing.pair(b, a);
                }
            }
        }
    }
}

DiffRow satelliteThing(const Workspace& ws, std::uint32_t i, DiffChange change,
                       DiffArea area = DiffArea::Satellite) {
    const DvbsSatellite& sat = ws.files().satelliteFiles.satellites[i];
    DiffRow row;
    row.area = area;
    row.change = change;
    row.name = ws.codePage().toUtf8(sat.name);
    row.where = positionText(sat.orbitalPosition);
    return row;
}

std::vector<DvbsTransponder> transpondersOf(const Workspace& ws, std::uint32_t i) {
    return listTransponders(ws.files().satelliteFiles.dvbs, static_cast<int>(i));
}

DiffRow transponderThing(const DiffRow& satellite, std::int32_t position, const DvbsTransponder& tp,
                         DiffChange change) {
    DiffRow row = satellite;
    row.area = DiffArea::Transponder;
    row.change = change;
    row.where = positionText(position) + " " + std::to_string(tp.frequency) + " " +
                polarizationText(tp.polarization);
    return row;
}

// One row per field that differs, in the order of the transponder list's columns.
std::vector<DiffRow> changedTransponder(const DiffRow& thing, const DvbsTransponder& x,
                                        const DvbsTransponder& y) {
    const TransponderDisplay dx = describeTransponder(x);
    const TransponderDisplay dy = describeTransponder(y);
    std::vector<DiffRow> rows;
    addField(rows, thing, "Frequency", x.frequency, y.frequency);
    addField(rows, thing, "NID", x.nid, y.nid);
    addField(rows, thing, "TID", x.tid, y.tid);
    addField(rows, thing, "SR", x.symbolRate, y.symbolRate);
    addField(rows, thing, "FEC", dx.fec, dy.fec, x.fec, y.fec);
    addField(rows, thing, "Pol", dx.polarization, dy.polarization, x.polarization, y.polarization);
    addField(rows, thing, "WeFlag", x.weFlag, y.weFlag);
    addField(rows, thing, "Pilot", dx.pilot, dy.pilot, x.pilot, y.pilot);
    addField(rows, thing, "Position", positionText(x.orbitalPosition),
             positionText(y.orbitalPosition), x.orbitalPosition, y.orbitalPosition);
    addField(rows, thing, "ModSys", dx.modulationSystem, dy.modulationSystem, x.modulationSystem,
             y.modulationSystem);
    addField(rows, thing, "ModType", dx.modulationType, dy.modulationType, x.modulationType,
             y.modulationType);
    return rows;
}

void compareTransponders(const Sides& sides, std::uint32_t b, std::uint32_t a,
                         ChangeGroups& groups) {
    const auto before = transpondersOf(sides.before, b);
    const auto after = transpondersOf(sides.after, a);
    Pairing pairing(before.size(), after.size());
    using Tp = DvbsTransponder;
    pairBy<Tp>(pairing, before, after,
               {[](const Tp& x, const Tp& y) {
                    return x.frequency == y.frequency && x.polarization == y.polarization;
                },
                [](const Tp& x, const Tp& y) {
                    return std::abs(std::int64_t{x.frequency} - y.frequency) <=
                               frequencyTolerance &&
                           x.polarization == y.polarization;
                },
                [](const Tp& x, const Tp& y) { return x.tid == y.tid && x.nid == y.nid; }});
    const DiffRow satBefore = satelliteThing(sides.before, b, DiffChange::Removed);
    const DiffRow satAfter = satelliteThing(sides.after, a, DiffChange::Added);
    const std::int32_t positionBefore =
        sides.before.files().satelliteFiles.satellites[b].orbitalPosition;
    const std::int32_t positionAfter =
        sides.after.files().satelliteFiles.satellites[a].orbitalPosition;
    for (std::uint32_t j = 0; j < after.size(); ++j) {
        if (const auto i = pairing.beforeOf[j]) {
            const DiffRow thing =
                transponderThing(satAfter, positionAfter, after[j], DiffChange::Changed);
            if (auto rows = changedTransponder(thing, before[*i], after[j]); !rows.empty()) {
                groups.add(std::move(rows));
            }
        } else {
            groups.add(transponderThing(satAfter, positionAfter, after[j], DiffChange::Added));
        }
    }
    for (std::uint32_t i = 0; i < before.size(); ++i) {
        if (!pairing.afterOf[i]) {
            groups.add(transponderThing(satBefore, positionBefore, before[i], DiffChange::Removed));
        }
    }
}

// Every transponder of a satellite that only one side has.
void allTransponders(const Workspace& ws, std::uint32_t i, DiffChange change,
                     ChangeGroups& groups) {
    const DiffRow satellite = satelliteThing(ws, i, change);
    const std::int32_t position = ws.files().satelliteFiles.satellites[i].orbitalPosition;
    for (const DvbsTransponder& tp : transpondersOf(ws, i)) {
        groups.add(transponderThing(satellite, position, tp, change));
    }
}

std::vector<DiffRow> changedAntenna(const DiffRow& thing, const AntennaRecord& x,
                                    const AntennaRecord& y) {
    const AntennaDisplay dx = describeAntenna(x);
    const AntennaDisplay dy = describeAntenna(y);
    // Combination mode keeps the order in motorMode's high part and both switches in
    // diseqcPort; each control is compared by the part it shows.
    const auto port = [](const AntennaRecord& r, const AntennaDisplay& d) {
        return d.combination ? -1 : r.diseqcPort;
    };
    const auto committed = [](const AntennaRecord& r, const AntennaDisplay& d) {
        return d.combination ? r.diseqcPort / 16 : -1;
    };
    const auto uncommitted = [](const AntennaRecord& r, const AntennaDisplay& d) {
        return d.combination ? r.diseqcPort % 16 : -1;
    };
    std::vector<DiffRow> rows;
    addField(rows, thing, "NetIndex", x.netIndex, y.netIndex);
    addField(rows, thing, "NitSearch", dx.nitSearch, dy.nitSearch, x.nitSearch, y.nitSearch);
    addField(rows, thing, "Tsel", x.tunerSelect, y.tunerSelect);
    addField(rows, thing, "LnbType", dx.lnbType, dy.lnbType, x.lnbType, y.lnbType);
    addField(rows, thing, "LnbFreq", x.lnbFrequency, y.lnbFrequency);
    addField(rows, thing, "Power", dx.power, dy.power, x.lnbPower, y.lnbPower);
    addField(rows, thing, "22kHz", dx.tone22k, dy.tone22k, x.tone22k, y.tone22k);
    addField(rows, thing, "Switch", dx.switch12v, dy.switch12v, x.switch12v, y.switch12v);
    addField(rows, thing, "DiSEqC", dx.diseqc, dy.diseqc, port(x, dx), port(y, dy));
    addField(rows, thing, "Motor", dx.motor, dy.motor, x.motorMode % 16, y.motorMode % 16);
    addField(rows, thing, "Order", dx.order, dy.order, x.motorMode / 16, y.motorMode / 16);
    addField(rows, thing, "Committed", dx.committed, dy.committed, committed(x, dx),
             committed(y, dy));
    addField(rows, thing, "Uncommitted", dx.uncommitted, dy.uncommitted, uncommitted(x, dx),
             uncommitted(y, dy));
    addField(rows, thing, "MotorPosition", x.motorPosition, y.motorPosition);
    return rows;
}

const AntennaRecord* antennaOf(const Workspace& ws, std::uint32_t i) {
    const auto& records = ws.files().satelliteFiles.antennaSettings.records;
    return i < records.size() ? &records[i] : nullptr;
}

void compareAntenna(const Sides& sides, std::uint32_t b, std::uint32_t a, ChangeGroups& groups) {
    const AntennaRecord* x = antennaOf(sides.before, b);
    const AntennaRecord* y = antennaOf(sides.after, a);
    if (x && y) {
        const DiffRow thing =
            satelliteThing(sides.after, a, DiffChange::Changed, DiffArea::Antenna);
        if (auto rows = changedAntenna(thing, *x, *y); !rows.empty()) {
            groups.add(std::move(rows));
        }
    } else if (x) {
        groups.add(satelliteThing(sides.before, b, DiffChange::Removed, DiffArea::Antenna));
    } else if (y) {
        groups.add(satelliteThing(sides.after, a, DiffChange::Added, DiffArea::Antenna));
    }
}

// The site's longitude and latitude, when both sides have an antenna_list.dat.
void compareSite(const Sides& sides, ChangeGroups& groups) {
    const auto& files = [](const Workspace& ws) -> const SatelliteFiles& {
        return ws.files().satelliteFiles;
    };
    if (!files(sides.before).antenna.loaded() || !files(sides.after).antenna.loaded()) {
        return;
    }
    const AntennaSettings& x = files(sides.before).antennaSettings;
    const AntennaSettings& y = files(sides.after).antennaSettings;
    DiffRow site;
    site.area = DiffArea::Antenna;
    std::vector<DiffRow> rows;
    addField(rows, site, "Longitude", x.longitude, y.longitude);
    addField(rows, site, "Latitude", x.latitude, y.latitude);
    if (!rows.empty()) {
        groups.add(std::move(rows));
    }
}

} // namespace

Pairing pairSatellites(const Workspace& before, const Workspace& after) {
    const auto& b = before.files().satelliteFiles.satellites;
    const auto& a = after.files().satelliteFiles.satellites;
    Pairing pairing(b.size(), a.size());
    using Sat = DvbsSatellite;
    pairBy<Sat>(pairing, b, a,
                {[](const Sat& x, const Sat& y) {
                     return x.orbitalPosition == y.orbitalPosition && x.name == y.name;
                 },
                 [](const Sat& x, const Sat& y) { return x.orbitalPosition == y.orbitalPosition; },
                 [](const Sat& x, const Sat& y) { return x.name == y.name; }});
    return pairing;
}

void compareSatellites(const Sides& sides, Comparison& out) {
    ChangeGroups satellites;
    ChangeGroups transponders;
    ChangeGroups antennas;
    const auto& before = sides.before.files().satelliteFiles.satellites;
    const auto& after = sides.after.files().satelliteFiles.satellites;
    for (std::uint32_t a = 0; a < after.size(); ++a) {
        const auto b = sides.satellites.beforeOf[a];
        if (!b) {
            satellites.add(satelliteThing(sides.after, a, DiffChange::Added));
            allTransponders(sides.after, a, DiffChange::Added, transponders);
            continue;
        }
        const DiffRow thing = satelliteThing(sides.after, a, DiffChange::Changed);
        std::vector<DiffRow> rows;
        const CodePage& page = sides.after.codePage();
        addField(rows, thing, "Name", page.toUtf8(before[*b].name), page.toUtf8(after[a].name), 0,
                 0);
        addField(rows, thing, "Position", positionText(before[*b].orbitalPosition),
                 positionText(after[a].orbitalPosition), before[*b].orbitalPosition,
                 after[a].orbitalPosition);
        if (!rows.empty()) {
            satellites.add(std::move(rows));
        }
        compareTransponders(sides, *b, a, transponders);
        compareAntenna(sides, *b, a, antennas);
    }
    for (std::uint32_t b = 0; b < before.size(); ++b) {
        if (!sides.satellites.afterOf[b]) {
            satellites.add(satelliteThing(sides.before, b, DiffChange::Removed));
            allTransponders(sides.before, b, DiffChange::Removed, transponders);
        }
    }
    compareSite(sides, antennas);
    satellites.moveInto(out);
    transponders.moveInto(out);
    antennas.moveInto(out);
}

} // namespace tavrino::comparing
