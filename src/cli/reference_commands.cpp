#include "cli/edit_session.h"
#include "reference/bouquet_apply.h"

#include <ostream>

namespace tavrino::cli {
namespace {

void exportBouquetList(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    const std::string file = args.positional(1, "FILE");
    exportBouquets(ws, file);
    ctx.out << "wrote " << file << '\n';
}

// The dry run shows every row; a real run only those that need a look.
bool worthReporting(const RowOutcome& row) {
    return row.result != RowResult::Found && row.result != RowResult::NoItems;
}

void applyBouquetList(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    Session s(ctx);
    openForEdit(s, args);
    const ReferenceList list = readReferenceList(args.positional(1, "FILE"), *ctx.codePage);
    const ApplyPlan plan = planApply(s.ws, s.editor, list, args.has("replace-all"));
    const bool dryRun = args.has("dry-run");
    TableWriter table({"Bouquet", "Item", "Name", "Result"});
    for (const RowOutcome& row : plan.rows) {
        if (dryRun || worthReporting(row)) {
            table.add({row.bouquet, row.item, row.name, resultText(row)});
        }
    }
    table.print(ctx.out, ctx.format);
    if (dryRun) {
        return;
    }
    if (applyPlan(s.ws, s.editor, plan).empty()) {
        ctx.err << s.ws.files().channelPath
                << ": the bouquets already stand as the list says; nothing was written\n";
        return;
    }
    // Standard output holds the report, so what was written goes with the notes.
    Context saving{ctx.err,    ctx.err,      ctx.cancel, ctx.cancellable,
                   ctx.format, ctx.codePage, ctx.dataDir};
    saveOrRefuse(s.ws, s.folder, args, saving);
}

} // namespace

std::vector<Command> referenceCommands() {
    return {
        {"export-bouquets",
         "DIR FILE.csv",
         "Writes the bouquets of DIR to a reference list: UTF-8 CSV with the header\n"
         "Bouquet,Item,Name,Satellite,Position,Frequency,Pol,SID,TID,NID,Type and one row per\n"
         "item (a bouquet without items: one row with an empty Item).",
         {},
         {},
         exportBouquetList},
        {"apply-bouquets",
         "DIR FILE.csv [--replace-all] [--dry-run]",
         "Rebuilds the bouquets a reference list names from the services of DIR, found by\n"
         "position, frequency (within 2 MHz), polarisation and SID; else by SID, TID and NID;\n"
         "else by name and position when that name is unique there. Missing bouquets are added\n"
         "(up to 50); the others stay unless --replace-all is given. Prints Bouquet,Item,Name,\n"
         "Result for every row not found or found only by a weaker rule (--dry-run: for every\n"
         "row, and writes nothing). A malformed list is refused with its line number.",
         {},
         withSaveFlags({"replace-all", "dry-run"}),
         applyBouquetList},
    };
}

} // namespace tavrino::cli
