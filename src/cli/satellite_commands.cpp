#include "cli/edit_session.h"
#include "database/option_texts.h"
#include "satellites/satellite_editor.h"

#include <ostream>

namespace tavrino::cli {
namespace {

// Antenna options, named after the antenna command's columns and taking its texts.
struct ListOption {
    const char* name;
    int AntennaForm::*field;
    const std::vector<std::string>& (*entries)();
};

const ListOption listOptions[] = {
    {"nit-search", &AntennaForm::nitSearch, options::offOn},
    {"lnb-type", &AntennaForm::lnbType, options::lnbTypes},
    {"power", &AntennaForm::power, options::offOn},
    {"22khz", &AntennaForm::tone22k, options::offOn},
    {"switch", &AntennaForm::switch12v, options::switch12v},
    {"diseqc", &AntennaForm::diseqc, options::diseqcPorts},
    {"order", &AntennaForm::order, options::combinationOrders},
    {"committed", &AntennaForm::committed, options::committedSwitches},
    {"uncommitted", &AntennaForm::uncommitted, options::uncommittedSwitches},
};

struct TextOption {
    const char* name;
    std::string AntennaForm::*field;
};

const TextOption textOptions[] = {
    {"net-index", &AntennaForm::netIndex},
    {"tsel", &AntennaForm::tunerSelect},
    {"lnb-freq", &AntennaForm::lnbFrequency},
    {"motor-position", &AntennaForm::motorPosition},
};

std::set<std::string> antennaOptionNames() {
    std::set<std::string> names = {"motor"};
    for (const auto& o : listOptions) {
        names.insert(o.name);
    }
    for (const auto& o : textOptions) {
        names.insert(o.name);
    }
    return names;
}

// Options for controls the editor disables or hides for the choices made are refused.
void checkControlRules(const Arguments& args, const AntennaForm& form) {
    const AntennaControls controls = antennaControls(form);
    if (args.has("lnb-freq") && !controls.lnbFrequencyEnabled) {
        throw UsageError("--lnb-freq applies only to --lnb-type \"USER DEF.\"");
    }
    if (args.has("motor-position") && !controls.motorPositionEnabled) {
        throw UsageError("--motor-position applies only to --motor \"DiSEqC 1.2\"");
    }
    for (const char* name : {"committed", "uncommitted", "order"}) {
        if (args.has(name) && !controls.switchesVisible) {
            throw UsageError(std::string("--") + name + " applies only to --diseqc Combination");
        }
    }
}

void applyAntennaOptions(const Arguments& args, AntennaForm& form) {
    for (const auto& o : listOptions) {
        if (const auto value = args.value(o.name)) {
            form.*o.field = parseEntry(o.entries(), *value, std::string("--") + o.name);
        }
    }
    if (const auto motor = args.value("motor")) {
        chooseMotor(form, parseEntry(options::motorModes(), *motor, "--motor"));
    }
    for (const auto& o : textOptions) {
        if (const auto value = args.value(o.name)) {
            form.*o.field = *value;
        }
    }
    checkControlRules(args, form);
}

// "19.2E" or "5W": the degrees go to the position box, the letter to the East/West list.
void applyPosition(const Arguments& args, SatelliteForm& form) {
    const auto text = args.value("position");
    if (!text) {
        return;
    }
    const char side = text->empty() ? ' ' : text->back();
    if (side != 'E' && side != 'W') {
        throw UsageError("--position takes degrees and E or W, like 19.2E or 5.0W");
    }
    form.position = text->substr(0, text->size() - 1);
    form.eastWest = side == 'W' ? 1 : 0;
}

void applySatelliteOptions(const Arguments& args, SatelliteForm& form) {
    if (const auto name = args.value("name")) {
        form.name = *name;
    }
    applyPosition(args, form);
    if (const auto longitude = args.value("longitude")) {
        form.longitude = *longitude;
    }
    if (const auto latitude = args.value("latitude")) {
        form.latitude = *latitude;
    }
    applyAntennaOptions(args, form.antenna);
}

int satelliteIndex(const Arguments& args) {
    return parseInt(args.positional(1, "INDEX"), "INDEX", 0, 255);
}

bool done(const Session& s, const SatelliteChange& change) {
    if (change.refusal) {
        refuse(s, change.refusal->notice, dvbsPath(s));
    }
    return change.written;
}

void satelliteAdd(const Arguments& args, Context& ctx) {
    if (!args.has("name") || !args.has("position")) {
        throw UsageError("satellite-add needs --name and --position");
    }
    editFolder(args, ctx, 1, [&](Session& s) {
        SatelliteForm form = satelliteForm(s.ws, std::nullopt);
        applySatelliteOptions(args, form);
        return done(s, addSatellite(s.ws, form));
    });
}

void satelliteUpdate(const Arguments& args, Context& ctx) {
    if (args.has("net-index")) {
        throw UsageError("--net-index is set when a satellite is added; Update keeps it");
    }
    editFolder(args, ctx, 2, [&](Session& s) {
        const SatelliteForm opened = satelliteForm(s.ws, satelliteIndex(args));
        SatelliteForm edited = opened;
        applySatelliteOptions(args, edited);
        return done(s, updateSatellite(s.ws, opened, edited));
    });
}

void satelliteDelete(const Arguments& args, Context& ctx) {
    editFolder(args, ctx, 2, [&](Session& s) {
        const bool written = done(s, deleteSatellite(s.ws, satelliteIndex(args), s.prompter));
        for (const std::string& question : s.prompter.questions) {
            ctx.err << "note: " << question.substr(0, question.find('\r')) << '\n';
        }
        return written;
    });
}

} // namespace

std::vector<Command> satelliteCommands() {
    auto valued = antennaOptionNames();
    valued.insert({"name", "position"});
    auto updateValued = valued;
    updateValued.insert({"longitude", "latitude"});
    const std::string antenna =
        "Antenna options are named after the antenna command's columns and take its texts:\n"
        "--net-index N (add only), --nit-search Off|On, --tsel N, --lnb-type \"USER DEF.\",\n"
        "--lnb-freq N (USER DEF. only), --power, --22khz Off|On, --switch 0V|12V,\n"
        "--diseqc \"1.0 - LNB 2\"|Combination, --committed \"Switch A\", --uncommitted\n"
        "\"Switch 16\", --order Commit/Uncomm (Combination only), --motor OFF|\"DiSEqC "
        "1.2\"|USALS,\n"
        "--motor-position N (DiSEqC 1.2 only).";
    return {
        {"satellite-add", "DIR --name NAME --position DEGREES(E|W) [antenna options]",
         "Adds a satellite after the last one of DVBS.dat, with its record in\n"
         "antenna_list.dat. Options not given keep the editor's first entries and 0.\n" +
             antenna,
         valued, withSaveFlags(), satelliteAdd},
        {"satellite-update",
         "DIR INDEX [--name NAME] [--position DEGREES(E|W)] [antenna options] [--longitude N] "
         "[--latitude N]",
         "Changes satellite INDEX (from 0) as \"Update SAT\" does: only what is given changes.\n" +
             antenna,
         updateValued, withSaveFlags(), satelliteUpdate},
        {"satellite-delete",
         "DIR INDEX",
         "Deletes satellite INDEX from both files. Services keep their satellite numbers in\n"
         "all_channel.dat; a note says how many use this or a later number.",
         {},
         withSaveFlags(),
         satelliteDelete},
    };
}

} // namespace tavrino::cli
