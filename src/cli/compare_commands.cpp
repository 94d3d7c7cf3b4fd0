#include "cli/command.h"

#include <ostream>

namespace tavrino::cli {

CompareOptions compareOptions(const Arguments& args) {
    const auto only = args.value("only");
    if (!only) {
        return {};
    }
    if (*only == "services") {
        return {true, false, false};
    }
    if (*only == "bouquets") {
        return {false, true, false};
    }
    if (*only == "satellites") {
        return {false, false, true};
    }
    throw UsageError("--only must be services, bouquets or satellites, not '" + *only + "'");
}

void printComparison(const Comparison& comparison, const Context& ctx) {
    TableWriter table({diffHeader.begin(), diffHeader.end()});
    for (const DiffRow& row : comparison.rows()) {
        const auto cells = row.cells();
        table.add({cells.begin(), cells.end()});
    }
    table.print(ctx.out, ctx.format);
}

namespace {

void diff(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    const CompareOptions options = compareOptions(args);
    Workspace before(*ctx.codePage);
    openOrRefuse(before, args.positional(0, "DIR1"), ctx);
    Workspace after(*ctx.codePage);
    openOrRefuse(after, args.positional(1, "DIR2"), ctx);
    const Comparison comparison = compareWorkspaces(before, after, options);
    printComparison(comparison, ctx);
    ctx.exitStatus = comparison.same() ? 0 : 1;
}

} // namespace

std::vector<Command> compareCommands() {
    Command diffCommand{
        "diff",
        "DIR1 DIR2 [--only services|bouquets|satellites]",
        "What changes from the lists in DIR1 to those in DIR2, one row per added, removed or\n"
        "moved thing and per changed field: Area,Change,Name,Where,Field,Before,After.\n"
        "Services are paired by position, frequency within 2 MHz, polarisation and SID; else\n"
        "SID, TID and NID; else name and position, so a rescan shows only what really changed.\n"
        "--only narrows it to the services, the bouquets with their items, or the satellites\n"
        "with their transponders and antenna settings.\n"
        "Exit status: 0 the same, 1 different, 2 trouble (wrong usage included).",
        {"only"},
        {},
        diff,
    };
    diffCommand.usageExit = 2;
    return {diffCommand};
}

} // namespace tavrino::cli
