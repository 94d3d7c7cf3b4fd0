#include "cli/edit_session.h"
#include "database/option_texts.h"
#include "satellites/transponder_editor.h"

namespace tavrino::cli {
namespace {

struct ListOption {
    const char* name;
    int TransponderForm::*field;
    const std::vector<std::string>& (*entries)();
};

const ListOption listOptions[] = {
    {"fec", &TransponderForm::fec, options::fecRates},
    {"pol", &TransponderForm::polarization, options::polarizations},
    {"pilot", &TransponderForm::pilot, options::pilots},
    {"system", &TransponderForm::modulationSystem, options::modulationSystems},
    {"modulation", &TransponderForm::modulationType, options::modulationTypes},
};

struct TextOption {
    const char* name;
    std::string TransponderForm::*field;
};

const TextOption textOptions[] = {
    {"frequency", &TransponderForm::frequency},
    {"sr", &TransponderForm::symbolRate},
    {"nid", &TransponderForm::nid},
    {"tid", &TransponderForm::tid},
    {"we-flag", &TransponderForm::weFlag},
};

std::set<std::string> optionNames() {
    std::set<std::string> names;
    for (const auto& o : listOptions) {
        names.insert(o.name);
    }
    for (const auto& o : textOptions) {
        names.insert(o.name);
    }
    return names;
}

void applyOptions(const Arguments& args, TransponderForm& form) {
    for (const auto& o : listOptions) {
        if (const auto value = args.value(o.name)) {
            form.*o.field = parseEntry(o.entries(), *value, std::string("--") + o.name);
        }
    }
    for (const auto& o : textOptions) {
        if (const auto value = args.value(o.name)) {
            form.*o.field = *value;
        }
    }
}

int satellite(const Session& s, const Arguments& args) {
    const auto count = static_cast<int>(s.ws.files().satelliteFiles.satellites.size());
    if (count == 0) {
        throw InputRefused(dvbsPath(s) + ": no satellites");
    }
    return parseInt(args.positional(1, "SAT"), "SAT", 0, count - 1);
}

int transponder(const Session& s, const Arguments& args, int sat) {
    const int count = s.ws.files().satelliteFiles.satellites[static_cast<std::size_t>(sat)].tpCount;
    if (count == 0) {
        throw InputRefused(dvbsPath(s) + ": satellite " + std::to_string(sat) +
                           " has no transponders");
    }
    return parseInt(args.positional(2, "TP"), "TP", 0, count - 1);
}

bool done(const Session& s, const TransponderChange& change) {
    if (change.refusal) {
        refuse(s, change.refusal->notice, dvbsPath(s));
    }
    return change.written;
}

void transponderAdd(const Arguments& args, Context& ctx) {
    if (!args.has("frequency") || !args.has("sr")) {
        throw UsageError("transponder-add needs --frequency and --sr");
    }
    editFolder(args, ctx, 2, [&](Session& s) {
        TransponderForm form;
        applyOptions(args, form);
        return done(s, addTransponder(s.ws, satellite(s, args), form));
    });
}

void transponderUpdate(const Arguments& args, Context& ctx) {
    editFolder(args, ctx, 3, [&](Session& s) {
        const int sat = satellite(s, args);
        const int tp = transponder(s, args, sat);
        const TransponderForm opened = transponderForm(s.ws, sat, tp);
        TransponderForm edited = opened;
        applyOptions(args, edited);
        return done(s, updateTransponder(s.ws, sat, tp, opened, edited));
    });
}

void transponderDelete(const Arguments& args, Context& ctx) {
    editFolder(args, ctx, 3, [&](Session& s) {
        const int sat = satellite(s, args);
        return done(s, deleteTransponder(s.ws, sat, transponder(s, args, sat)));
    });
}

} // namespace

std::vector<Command> transponderCommands() {
    const std::string options =
        "[--fec 3/4] [--pol H|V] [--nid N] [--tid N] [--we-flag N] [--pilot 0|1] "
        "[--system DVB-S|DVB-S2] [--modulation QPSK|8PSK]";
    return {
        {"transponder-add", "DIR SAT --frequency F --sr S " + options,
         "Adds a transponder after the last one of satellite SAT (from 0, as the satellites\n"
         "command shows them). It takes the satellite's position. F is in kHz and S in symbols\n"
         "per second, as the receiver stores them, both from 1. Options not given are the\n"
         "editor's first entries and 0.",
         optionNames(), withSaveFlags(), transponderAdd},
        {"transponder-update", "DIR SAT TP [--frequency F] [--sr S] " + options,
         "Changes transponder TP (from 0, as the transponders command shows them) of satellite\n"
         "SAT as \"Update TP\" does: the fields given change, and the entry takes the\n"
         "satellite's position.",
         optionNames(), withSaveFlags(), transponderUpdate},
        {"transponder-delete",
         "DIR SAT TP",
         "Deletes transponder TP of satellite SAT.",
         {},
         withSaveFlags(),
         transponderDelete},
    };
}

} // namespace tavrino::cli
