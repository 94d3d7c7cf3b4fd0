#include "cli/edit_session.h"
#include "common/excerpt.h"
#include "common/number_text.h"
#include "database/transponder_file.h"
#include "import/kingofsat.h"
#include "import/satellite_import.h"
#include "import/satellites_xml.h"

#include <charconv>
#include <ostream>

namespace tavrino::cli {
namespace {

// "19.2E,5.0W" as tenths of a degree, West negative.
std::vector<std::int32_t> positionsFrom(const std::string& text) {
    std::vector<std::int32_t> positions;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, end - start);
        const char side = item.empty() ? ' ' : item.back();
        const auto tenths =
            parseDegreesAsTenths(item.substr(0, item.empty() ? 0 : item.size() - 1));
        if ((side != 'E' && side != 'W') || !tenths) {
            throw UsageError("--only takes positions like 19.2E,5.0W, not '" + excerpt(item) + "'");
        }
        positions.push_back(side == 'W' ? -*tenths : *tenths);
        start = end + 1;
    }
    return positions;
}

std::string positionText(std::int32_t tenths) {
    const PositionText text = formatPosition(tenths);
    return text.degrees + text.eastWest;
}

ImportChoice choiceFrom(const ImportedList& list, const Arguments& args,
                        const std::string& source) {
    ImportChoice choice = defaultChoice(list);
    choice.keepAntenna = !args.has("reset-antenna");
    const auto only = args.value("only");
    if (!only) {
        return choice;
    }
    std::fill(choice.chosen.begin(), choice.chosen.end(), false);
    for (const std::int32_t position : positionsFrom(*only)) {
        bool found = false;
        for (std::size_t i = 0; i < list.satellites.size(); ++i) {
            if (list.satellites[i].position == position) {
                choice.chosen[i] = found = true;
            }
        }
        if (!found) {
            throw InputRefused(source + ": no satellite at " + positionText(position));
        }
    }
    return choice;
}

std::string fateText(ImportFate fate) {
    switch (fate) {
    case ImportFate::Added:
        return "Added";
    case ImportFate::Kept:
        return "Kept";
    case ImportFate::LeftOut:
        break;
    }
    return "Left out";
}

std::string optionalNumber(const std::optional<int>& n) {
    return n ? std::to_string(*n) : std::string();
}

void printPreview(const ImportPreview& p, const Context& ctx) {
    TableWriter table({"Fate", "Index", "Replaces", "Name", "Position", "EW", "Transponders",
                       "TpAdded", "TpRemoved", "TpChanged", "Services", "Antenna"});
    for (const PreviewSatellite& s : p.satellites) {
        const PositionText position = formatPosition(s.position);
        const bool chosen = s.fate != ImportFate::LeftOut;
        table.add({fateText(s.fate), optionalNumber(s.number), optionalNumber(s.replaces), s.name,
                   position.degrees, position.eastWest, std::to_string(s.transponders),
                   chosen ? std::to_string(s.transpondersAdded) : "",
                   chosen ? std::to_string(s.transpondersRemoved) : "",
                   chosen ? std::to_string(s.transpondersChanged) : "", std::to_string(s.services),
                   chosen ? (s.keepsAntenna ? "kept" : "default") : ""});
    }
    for (const PreviewRemoved& r : p.removed) {
        const PositionText position = formatPosition(r.position);
        table.add({"Removed", "", std::to_string(r.number), r.name, position.degrees,
                   position.eastWest, std::to_string(r.transponders), "",
                   std::to_string(r.transponders), "", std::to_string(r.services), ""});
    }
    table.print(ctx.out, ctx.format);
}

void report(const ImportPreview& p, std::ostream& err) {
    for (const ImportFailure& f : p.failures) {
        err << "failed: " << f.source << ": " << f.reason << '\n';
    }
    for (const std::string& note : p.notes) {
        err << "note: " << note << '\n';
    }
    err << "summary: " << p.chosen << " satellites (" << p.added << " added, " << p.kept
        << " kept, " << p.removed.size() << " removed), " << p.transponders << " transponders; "
        << p.servicesRenumbered << " services refer to satellite numbers that change\n";
}

// Opens DIR, reads the list, and imports it or shows what the import would do.
void importInto(const Arguments& args, Context& ctx, const std::string& source,
                const std::function<ImportedList(Session&)>& read) {
    Session s(ctx);
    openForEdit(s, args);
    const ImportedList list = read(s);
    if (list.satellites.empty()) {
        for (const ImportFailure& f : list.failures) {
            ctx.err << "failed: " << f.source << ": " << f.reason << '\n';
        }
        throw InputRefused(source + ": no list could be read");
    }
    const ImportChoice choice = choiceFrom(list, args, source);
    const ImportPreview preview = previewImport(s.ws, list, choice);
    report(preview, ctx.err);
    if (preview.refusal) {
        throw InputRefused(source + ": " + preview.refusal->text);
    }
    if (args.has("dry-run")) {
        printPreview(preview, ctx);
        return;
    }
    applyImport(s.ws, list, choice);
    saveOrRefuse(s.ws, s.folder, args, ctx);
}

void importXml(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    const std::string file = args.positional(1, "FILE");
    importInto(args, ctx, file, [&](Session&) { return readSatellitesXml(file); });
}

void importIni(const Arguments& args, Context& ctx) {
    if (args.positional().size() < 2) {
        throw UsageError("import-ini needs DIR and at least one FILE");
    }
    const std::vector<std::filesystem::path> files(args.positional().begin() + 1,
                                                   args.positional().end());
    importInto(args, ctx, files.front().string(),
               [&](Session&) { return readTransponderLists(files); });
}

std::vector<int> selectionFrom(const std::string& text, std::size_t entries) {
    std::vector<int> chosen;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        chosen.push_back(parseInt(text.substr(start, end - start), "--select", 0,
                                  static_cast<int>(entries) - 1));
        start = end + 1;
    }
    return chosen;
}

HttpOptions httpOptionsFrom(const Arguments& args) {
    HttpOptions options;
    if (const auto text = args.value("timeout")) {
        double seconds = 0;
        const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), seconds);
        if (ec != std::errc() || end != text->data() + text->size() || seconds <= 0 ||
            seconds > 3600) {
            throw UsageError("--timeout must be a number of seconds above 0, up to 3600, not '" +
                             excerpt(*text) + "'");
        }
        options.timeout = std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
    }
    return options;
}

// Each download on its own stderr line, as the window's progress bar shows it.
class LineProgress : public DownloadProgress {
public:
    explicit LineProgress(std::ostream& err) : err_(err) {}
    void downloading(std::size_t done, std::size_t total, const std::string& label) override {
        if (!label.empty()) {
            err_ << "downloading " << done + 1 << " of " << total << ": " << label << '\n';
        }
    }

private:
    std::ostream& err_;
};

void importKingOfSat(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    const std::filesystem::path listFile =
        args.value("list").value_or((dataFolderOf(ctx) / satListFileName).string());
    const HttpOptions options = httpOptionsFrom(args);
    importInto(args, ctx, listFile.string(), [&](Session&) {
        const SatList satList = readSatList(listFile);
        for (const std::string& note : satList.notes) {
            ctx.err << "note: " << note << '\n';
        }
        const auto select = args.value("select");
        const std::vector<int> chosen =
            select ? selectionFrom(*select, satList.entries.size())
                   : readSelection(dataFolderOf(ctx) / selectionFileName, satList.entries.size());
        if (chosen.empty()) {
            throw InputRefused(listFile.string() + ": no satellite chosen (--select, or Sel.ini)");
        }
        LineProgress progress(ctx.err);
        return downloadLists(satList, chosen, options, progress).list;
    });
}

} // namespace

std::vector<Command> importCommands() {
    const auto flags = withSaveFlags({"reset-antenna", "dry-run"});
    const std::string common =
        "The satellites and transponders of DVBS.dat and antenna_list.dat are replaced in one\n"
        "step and the folder is written back as \"Save Files\" does; all_channel.dat keeps its\n"
        "services and their satellite numbers. A satellite at the position of one already\n"
        "present keeps that one's antenna record (--reset-antenna: every satellite gets the\n"
        "default record). --only 19.2E,5.0W takes only the satellites at those positions\n"
        "(without it the first 256). --dry-run prints what would change as a table and writes\n"
        "nothing. Notes about what was read differently or left out go to stderr.";
    return {
        {"import-xml",
         "DIR FILE [--only POSITIONS] [--reset-antenna] [--dry-run]",
         "Imports the satellites and transponders of a satellites.xml file.\n" + common,
         {"only"},
         flags,
         importXml},
        {"import-ini",
         "DIR FILE... [--only POSITIONS] [--reset-antenna] [--dry-run]",
         "Imports KingOfSat-format transponder lists from files, one satellite each, in the\n"
         "given order. A file that cannot be read is named on stderr and the others import.\n" +
             common,
         {"only"},
         flags,
         importIni},
        {"import-kingofsat",
         "DIR [--list FILE] [--select 0,3,7] [--only POSITIONS] [--reset-antenna] [--dry-run] "
         "[--timeout SECONDS]",
         "Downloads the KingOfSat lists of the chosen lines of SATList.ini (the data folder's,\n"
         "or --list FILE): --select numbers them from 0; without it the choice in Sel.ini\n"
         "counts. Each list is one HTTP GET within --timeout (10 s by default); a list that\n"
         "fails is named on stderr and the others import.\n" +
             common,
         {"list", "select", "only", "timeout"},
         flags,
         importKingOfSat},
    };
}

} // namespace tavrino::cli
