#include "compare/compare_parts.h"

namespace tavrino::comparing {
namespace {

constexpr std::uint16_t noPid = 65535;

// What a reference list would say of the service: what the identity rules find it by.
ReferenceRow identityOf(const Workspace& ws, std::uint32_t s,
                        const std::vector<std::string>& blockNames) {
    const ServiceRow& row = ws.services().row(s);
    const DecodedService& r = row.record;
    ReferenceRow id;
    id.name = ws.codePage().toUtf8(r.name);
    id.satellite = blockNames[row.satelliteBlock];
    id.position = satellitePosition(ws, r.satIndex);
    id.frequency = r.frequency;
    id.pol = polText(row.pol);
    id.sid = r.sid;
    id.tid = r.tid;
    id.nid = r.nid;
    return id;
}

// "TV" and "Radio" for the types the list knows, else the number.
std::string typeWord(std::uint16_t serviceType) {
    switch (serviceType) {
    case 0x0101:
    case 0x0201:
    case 0x0B01:
        return "TV";
    case 0x0102:
    case 0x0202:
    case 0x0B02:
        return "Radio";
    default:
        return std::to_string(serviceType);
    }
}

std::string pidText(std::uint16_t pid) {
    return pid == noPid ? std::string() : std::to_string(pid);
}

// Both numbers name the same satellite: paired DVBS.dat satellites, or the same number for
// cable, terrestrial and IP.
bool sameSatellite(const Sides& sides, int before, int after) {
    const auto b = dvbsSatellite(sides.before, before);
    const auto a = dvbsSatellite(sides.after, after);
    if (!b && !a) {
        return before == after;
    }
    return b && a && sides.satellites.afterOf[*b] == *a;
}

DiffRow serviceThing(const Workspace& ws, std::uint32_t s, DiffChange change) {
    const DecodedService& r = ws.services().row(s).record;
    DiffRow row;
    row.area = DiffArea::Service;
    row.change = change;
    row.name = ws.codePage().toUtf8(r.name);
    row.where = placeText(ws, r.satIndex, r.frequency, r.polarization);
    (change == DiffChange::Removed ? row.beforeService : row.afterService) = s;
    return row;
}

// One row per field that differs, in the order of the service list's columns.
std::vector<DiffRow> changedFields(const Sides& sides, std::uint32_t b, std::uint32_t a) {
    const DecodedService& x = sides.before.services().row(b).record;
    const DecodedService& y = sides.after.services().row(a).record;
    DiffRow thing = serviceThing(sides.after, a, DiffChange::Changed);
    thing.beforeService = b;
    std::vector<DiffRow> rows;
    const CodePage& page = sides.after.codePage();
    if (x.name != y.name) {
        addChange(rows, thing, "Service", page.toUtf8(x.name), page.toUtf8(y.name));
    }
    addField(rows, thing, "Type", typeWord(x.serviceType), typeWord(y.serviceType), x.serviceType,
             y.serviceType);
    if (!sameSatellite(sides, x.satIndex, y.satIndex)) {
        addChange(rows, thing, "Satellite", satelliteLabel(sides.before, x.satIndex),
                  satelliteLabel(sides.after, y.satIndex));
    }
    addField(rows, thing, "Frequency", x.frequency, y.frequency);
    addField(rows, thing, "Pol", polarizationText(x.polarization), polarizationText(y.polarization),
             x.polarization, y.polarization);
    addField(rows, thing, "TID", x.tid, y.tid);
    addField(rows, thing, "NID", x.nid, y.nid);
    addField(rows, thing, "SID", x.sid, y.sid);
    addField(rows, thing, "VPID", pidText(x.videoPid), pidText(y.videoPid), x.videoPid, y.videoPid);
    addField(rows, thing, "APID", x.audioPid, y.audioPid);
    addField(rows, thing, "PMT", x.pmtPid, y.pmtPid);
    addField(rows, thing, "PCR", x.pcrPid, y.pcrPid);
    addField(rows, thing, "TXT", pidText(x.teletextPid), pidText(y.teletextPid), x.teletextPid,
             y.teletextPid);
    addField(rows, thing, "video_tag", x.videoTag, y.videoTag);
    addField(rows, thing, "audio_tag", x.audioTag, y.audioTag);
    addField(rows, thing, "HDFlag", x.flags, y.flags);
    return rows;
}

} // namespace

Pairing pairServices(const Sides& sides) {
    const std::size_t before = sides.before.services().size();
    Pairing pairing(before, sides.after.services().size());
    std::vector<std::string> blockNames;
    for (const std::string& name : sides.before.services().satelliteNames()) {
        blockNames.push_back(sides.before.codePage().toUtf8(name));
    }
    std::vector<ReferenceRow> identities;
    identities.reserve(before);
    for (std::uint32_t b = 0; b < before; ++b) {
        identities.push_back(identityOf(sides.before, b, blockNames));
    }
    const auto available = [&](std::uint32_t a) { return !pairing.beforeOf[a]; };
    const auto sameName = [&](std::uint32_t b, std::uint32_t a) {
        return sides.before.services().row(b).record.name ==
               sides.after.services().row(a).record.name;
    };
    // Every pair the strongest rule makes first, so a weaker rule never takes a service that
    // a stronger one would have paired; within a rule, the pairs that keep their name first,
    // so a service that is gone does not take the place of its twin that stayed.
    for (const MatchRule rule : {MatchRule::Identity, MatchRule::Ids, MatchRule::Name}) {
        for (const bool named : {true, false}) {
            if (named && rule == MatchRule::Name) {
                continue; // the name rule keeps the name anyway
            }
            for (std::uint32_t b = 0; b < before; ++b) {
                if (pairing.afterOf[b]) {
                    continue;
                }
                const Match m = sides.afterMatcher.findBy(identities[b], rule, available);
                if (m.service && (!named || sameName(b, *m.service))) {
                    pairing.pair(b, *m.service);
                }
            }
        }
    }
    return pairing;
}

void compareServiceList(const Sides& sides, Comparison& out) {
    ChangeGroups groups;
    for (std::uint32_t a = 0; a < sides.after.services().size(); ++a) {
        if (const auto b = sides.services.beforeOf[a]) {
            if (auto rows = changedFields(sides, *b, a); !rows.empty()) {
                groups.add(std::move(rows));
            }
        } else {
            groups.add(serviceThing(sides.after, a, DiffChange::Added));
        }
    }
    for (std::uint32_t b = 0; b < sides.before.services().size(); ++b) {
        if (!sides.services.afterOf[b]) {
            groups.add(serviceThing(sides.before, b, DiffChange::Removed));
        }
    }
    groups.moveInto(out);
}

} // namespace tavrino::comparing
