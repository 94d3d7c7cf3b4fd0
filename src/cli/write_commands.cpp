#include "cli/command.h"
#include "database/file_io.h"
#include "samplegen/sample_duplicates.h"
#include "samplegen/sample_generator.h"

#include <ostream>

namespace tavrino::cli {
namespace {

void resave(const Arguments& args, Context& ctx) {
    args.expectPositional(2);
    Workspace ws(*ctx.codePage);
    openOrRefuse(ws, args.positional(0, "DIR"), ctx);
    saveOrRefuse(ws, args.positional(1, "OUT"), args, ctx);
}

void makeSample(const Arguments& args, Context& ctx) {
    args.expectPositional(1);
    sample::Options options;
    options.services = args.intValue("services", options.services, 0, 200000);
    options.satellites = args.intValue("satellites", options.satellites, 0, 240);
    options.transponders = args.intValue("transponders", options.transponders, -1, 1000000);
    options.bouquets = args.intValue("bouquets", options.bouquets, 0, 50);
    options.version = args.intValue("version", options.version, 6, 255);
    options.seed = static_cast<std::uint64_t>(args.intValue("seed", 1, 0, 2147483647));
    const int duplicates = args.intValue("duplicates", 0, 0, 10000);
    if (args.has("duplicates") && options.services > 65000) {
        throw UsageError("--duplicates needs at most 65000 services");
    }
    const std::string folder = args.positional(0, "DIR");
    if (!args.has("force") && fileExists(std::filesystem::path(folder) / channelFileName)) {
        throw InputRefused(folder + ": holds a receiver's lists already; --force replaces them "
                                    "with a sample");
    }
    sample::Files files = sample::generate(options);
    if (args.has("duplicates")) {
        files = sample::addDuplicates(files, {.seed = options.seed, .groups = duplicates}).files;
    }
    if (args.has("rescan")) {
        const auto seed = static_cast<std::uint64_t>(args.intValue("rescan", 1, 0, 2147483647));
        files = sample::rescan(files, {.seed = seed}).files;
    }
    sample::writeFolder(files, folder);
    ctx.out << "wrote a sample receiver folder to " << folder << '\n';
}

} // namespace

std::vector<Command> writeCommands() {
    return {
        {"resave",
         "DIR OUT",
         "Opens DIR as \"Open Files\" does (older files are converted) and writes the three\n"
         "files to OUT as \"Save Files\" does. Files it replaces in OUT are first copied into\n"
         "the data folder's backups/ (not with --no-backup).",
         {},
         withSaveFlags(),
         resave},
        {"make-sample",
         "DIR [--services N] [--satellites N] [--transponders N] [--bouquets N] [--version V] "
         "[--seed S] [--rescan SEED] [--duplicates N] [--force]",
         "Writes a generated receiver folder (the same options always give the same bytes).\n"
         "--transponders shares N transponders out among the satellites (every fifth holds\n"
         "none); without it each holds 3 to 24. --rescan writes what a new scan of that sample\n"
         "would: services in another order with new links, 5% gone, 5% renamed, some moved by\n"
         "1 MHz, the bouquets left pointing at the old links. --duplicates gives every service\n"
         "a SID of its own, then makes up to N groups of services that are the same channel\n"
         "(`duplicates` lists them; at most 65000 services). A folder that already holds\n"
         "all_channel.dat is left alone unless --force is given.",
         {"services", "satellites", "transponders", "bouquets", "version", "seed", "rescan",
          "duplicates"},
         {"force"},
         makeSample},
    };
}

} // namespace tavrino::cli
