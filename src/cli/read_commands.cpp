#include "bouquets/bouquet_items.h"
#include "cli/command.h"
#include "common/excerpt.h"
#include "database/antenna_file.h"
#include "database/option_texts.h"
#include "database/transponder_file.h"
#include "services/service_columns.h"

#include <ostream>

namespace tavrino::cli {
namespace {

std::optional<TypeText> typeFilter(const Arguments& args) {
    const auto type = args.value("type");
    if (!type) {
        return std::nullopt;
    }
    if (*type == "TV") {
        return TypeText::TV;
    }
    if (*type == "Radio") {
        return TypeText::Radio;
    }
    throw UsageError("--type must be TV or Radio");
}

std::optional<std::uint16_t> satelliteFilter(const Workspace& ws, const Arguments& args) {
    const auto name = args.value("satellite");
    if (!name) {
        return std::nullopt;
    }
    const auto& names = ws.services().satelliteNames();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (ws.codePage().toUtf8(names[i]) == *name) {
            return static_cast<std::uint16_t>(i);
        }
    }
    throw UsageError("no satellite named '" + excerpt(*name) + "' in the service list");
}

void sortView(Workspace& ws, const std::string& sortArgument) {
    std::string header = sortArgument;
    bool ascending = true;
    if (const auto colon = sortArgument.rfind(':'); colon != std::string::npos) {
        const std::string direction = sortArgument.substr(colon + 1);
        if (direction != "desc" && direction != "asc") {
            throw UsageError("--sort direction must be asc or desc");
        }
        ascending = direction == "asc";
        header.resize(colon);
    }
    const auto column = serviceColumnByHeader(header);
    if (!column) {
        throw UsageError("no column headed '" + excerpt(header) + "'");
    }
    ws.view().sort(ws.services(), *column, ascending);
}

void services(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    ws.view().applyFilter(ws.services(), {satelliteFilter(ws, args), typeFilter(args)});
    if (const auto sort = args.value("sort")) {
        sortView(ws, *sort);
    }
    std::vector<std::string> header;
    for (const auto& c : serviceColumns()) {
        header.emplace_back(c.header);
    }
    TableWriter table(header);
    for (const auto row : ws.view().rows()) {
        std::vector<std::string> cells;
        for (int c = 0; c < serviceColumnCount; ++c) {
            cells.push_back(ws.services().cellText(row, c));
        }
        table.add(std::move(cells));
    }
    table.print(ctx.out, ctx.format);
}

void bouquets(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    TableWriter table({"Row", "Record", "Name", "Items"});
    int rowNumber = 1;
    for (const auto& row : ws.files().bouquets.rows) {
        table.add({std::to_string(rowNumber++), std::to_string(row.record),
                   ws.codePage().toUtf8(row.name),
                   std::to_string(readBouquetItems(ws, row.record).size())});
    }
    table.print(ctx.out, ctx.format);
}

void bouquet(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    const auto& rows = ws.files().bouquets.rows;
    if (rows.empty()) {
        throw InputRefused(ws.files().channelPath + ": the database holds no bouquets");
    }
    const int row = parseInt(args.positional(1, "ROW"), "ROW", 1, static_cast<int>(rows.size()));
    TableWriter table({"Service", "Tun.", "Satellite", "type", "chbroj", "reserved", "satbr",
                       "frequency", "Polariz", "sid", "nid", "tid", "link"});
    for (const auto& item : readBouquetItems(ws, rows[static_cast<std::size_t>(row - 1)].record)) {
        table.add({item.name, item.tuner(), item.satellite, std::to_string(item.type),
                   std::to_string(item.position), std::to_string(item.reserved),
                   std::to_string(item.satIndex), std::to_string(item.frequency),
                   std::to_string(item.polarization), std::to_string(item.sid),
                   std::to_string(item.nid), std::to_string(item.tid), std::to_string(item.link)});
    }
    table.print(ctx.out, ctx.format);
}

void satellites(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    TableWriter table({"Index", "Name", "Position", "EW", "Transponders"});
    int index = 0;
    for (const auto& sat : ws.files().satelliteFiles.satellites) {
        const PositionText position = formatPosition(sat.orbitalPosition);
        table.add({std::to_string(index++), ws.codePage().toUtf8(sat.name), position.degrees,
                   position.eastWest, std::to_string(sat.tpCount)});
    }
    table.print(ctx.out, ctx.format);
}

void transponders(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    const auto& sats = ws.files().satelliteFiles.satellites;
    if (sats.empty()) {
        throw InputRefused(args.positional(0, "DIR") + ": no satellites in DVBS.dat");
    }
    const int index =
        parseInt(args.positional(1, "INDEX"), "INDEX", 0, static_cast<int>(sats.size()) - 1);
    TableWriter table({"Index", "Frequency", "NID", "TID", "SR", "FEC", "Pol", "WeFlag", "Pilot",
                       "Position", "EW", "ModSys", "ModType"});
    int j = 0;
    for (const auto& tp : listTransponders(ws.files().satelliteFiles.dvbs, index)) {
        const TransponderDisplay d = describeTransponder(tp);
        table.add({std::to_string(j++), std::to_string(tp.frequency), std::to_string(tp.nid),
                   std::to_string(tp.tid), std::to_string(tp.symbolRate), d.fec, d.polarization,
                   std::to_string(tp.weFlag), d.pilot, d.position.degrees, d.position.eastWest,
                   d.modulationSystem, d.modulationType});
    }
    table.print(ctx.out, ctx.format);
}

void antenna(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    TableWriter table({"Index", "Line", "NetIndex", "NitSearch", "Tsel", "LnbType", "LnbFreq",
                       "Power", "22kHz", "Switch", "DiSEqC", "Motor", "Order", "Committed",
                       "Uncommitted", "MotorPosition"});
    int index = 0;
    for (const auto& a : ws.files().satelliteFiles.antennaSettings.records) {
        const AntennaDisplay d = describeAntenna(a);
        table.add({std::to_string(index++), antennaLine(a.netIndex), std::to_string(a.netIndex),
                   d.nitSearch, std::to_string(a.tunerSelect), d.lnbType,
                   std::to_string(a.lnbFrequency), d.power, d.tone22k, d.switch12v, d.diseqc,
                   d.motor, d.order, d.committed, d.uncommitted, std::to_string(a.motorPosition)});
    }
    table.print(ctx.out, ctx.format);
}

void info(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    const ReceiverFiles& f = ws.files();
    const auto& antenna = f.satelliteFiles.antennaSettings;
    ctx.out << "version: " << f.channelFileVersion << '\n'
            << "target_version: " << f.targetVersion << '\n'
            << "providers: " << (f.providers ? f.providers->count : 0) << '\n'
            << "bouquets: " << f.bouquets.rows.size() << '\n'
            << "services: " << ws.services().size() << '\n'
            << "satellites: " << f.satelliteFiles.satellites.size() << '\n'
            << "antenna_records: " << antenna.records.size() << '\n'
            << "longitude: " << antenna.longitude << '\n'
            << "latitude: " << antenna.latitude << '\n';
}

} // namespace

std::vector<Command> readCommands() {
    return {
        {"services",
         "DIR [--satellite NAME] [--type TV|Radio] [--sort HEADER[:desc]]",
         "The service list: the 23 columns of the service table, one row per service in file\n"
         "order, or filtered and sorted as the window would show it.",
         {"satellite", "type", "sort"},
         {},
         services},
        {"bouquets",
         "DIR",
         "The bouquet list: list row, record index, name and item count.",
         {},
         {},
         bouquets},
        {"bouquet",
         "DIR ROW",
         "The contents of the bouquet in list row ROW (from 1).",
         {},
         {},
         bouquet},
        {"satellites",
         "DIR",
         "The satellites of DVBS.dat with position and transponder count.",
         {},
         {},
         satellites},
        {"transponders",
         "DIR INDEX",
         "The transponders of satellite INDEX (from 0) of DVBS.dat.",
         {},
         {},
         transponders},
        {"antenna",
         "DIR",
         "The antenna settings of antenna_list.dat, one row per satellite.",
         {},
         {},
         antenna},
        {"info", "DIR", "Versions and counts of the database, as key: value lines.", {}, {}, info},
    };
}

} // namespace tavrino::cli
