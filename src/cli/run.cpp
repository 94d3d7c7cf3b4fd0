#include "cli/cli.h"
#include "cli/command.h"
#include "common/excerpt.h"

#include <filesystem>
#include <ostream>

namespace tavrino::cli {
namespace {

constexpr int exitOk = 0;
constexpr int exitUsage = 1;
constexpr int exitRefused = 2;

std::vector<Command> allCommands() {
    auto commands = readCommands();
    for (auto* group : {&writeCommands, &bouquetCommands, &duplicateCommands, &referenceCommands,
                        &serviceCommands, &satelliteCommands, &transponderCommands, &importCommands,
                        &compareCommands, &profileCommands, &transferCommands}) {
        for (auto& c : group()) {
            commands.push_back(std::move(c));
        }
    }
    return commands;
}

void printUsage(std::ostream& out, const std::vector<Command>& commands) {
    out << "Usage: tavrino-cli [--format csv|table] [--codepage NAME] [--data-dir DIR] COMMAND "
           "ARGS...\n\n"
           "Reads and writes the channel lists of an Orvix receiver folder (all_channel.dat,\n"
           "antenna_list.dat, DVBS.dat) and moves them to and from the receiver. Output is CSV\n"
           "unless --format table is given. --data-dir chooses the folder that holds\n"
           "Profiles.ini, the staging folder and the backups.\n"
           "Commands that write a folder first copy the files they replace into the data\n"
           "folder's backups/ (--no-backup: not) and refuse files changed since they were read\n"
           "(--force: overwrite them).\n"
           "Exit status: 0 success, 1 wrong usage, 2 input refused or damaged, or the receiver\n"
           "refused or failed.\n\nCommands:\n";
    for (const auto& c : commands) {
        out << "  " << c.name << ' ' << c.synopsis << '\n';
    }
    out << "\nRun 'tavrino-cli COMMAND --help' for more about one command.\n";
}

void printCommandHelp(std::ostream& out, const Command& c) {
    out << "Usage: tavrino-cli " << c.name << ' ' << c.synopsis << "\n\n" << c.description << '\n';
    if (c.flags.contains("no-backup") && c.flags.contains("force")) {
        out << "\n--no-backup  do not copy the files it replaces into the data folder's backups/\n"
               "--force      overwrite files that changed since the command read them\n";
    }
}

// A global option that takes a value: the value, refused when it is missing or empty.
std::string optionValue(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        throw UsageError(args[i] + " needs a value");
    }
    return args[++i];
}

} // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const CancelToken& cancel, const std::function<void()>& cancellable) {
    const auto commands = allCommands();
    Context ctx{out, err, cancel, cancellable};
    int usageExit = exitUsage;
    try {
        // Global options come before the command name.
        std::size_t i = 0;
        for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
            if (args[i] == "--help") {
                printUsage(out, commands);
                return exitOk;
            }
            if (args[i] == "--format") {
                const std::string f = optionValue(args, i);
                if (f != "csv" && f != "table") {
                    throw UsageError("--format must be csv or table");
                }
                ctx.format = f == "table" ? OutputFormat::Table : OutputFormat::Csv;
            } else if (args[i] == "--data-dir") {
                ctx.dataDir = optionValue(args, i);
            } else if (args[i] == "--codepage") {
                ctx.codePage = CodePage::byName(optionValue(args, i));
                if (!ctx.codePage) {
                    throw UsageError("unknown code page '" + excerpt(args[i]) + "'");
                }
            } else {
                throw UsageError("unknown option " + args[i]);
            }
        }
        if (i >= args.size()) {
            printUsage(err, commands);
            return exitUsage;
        }
        const std::string name = args[i];
        const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                            args.end());
        for (const auto& c : commands) {
            if (c.name != name) {
                continue;
            }
            usageExit = c.usageExit;
            auto flags = c.flags;
            flags.insert("help");
            const Arguments parsed(rest, c.valued, flags);
            if (parsed.has("help")) {
                printCommandHelp(out, c);
                return exitOk;
            }
            c.run(parsed, ctx);
            out.flush();
            return ctx.exitStatus;
        }
        throw UsageError("unknown command '" + excerpt(name) + "'");
    } catch (const UsageError& e) {
        err << "tavrino-cli: " << e.what() << " (see tavrino-cli --help)\n";
        return usageExit;
    } catch (const InputRefused& e) {
        err << e.what() << '\n';
        return exitRefused;
    } catch (const FileProblem& e) {
        err << e.oneLine() << '\n';
        return exitRefused;
    } catch (const std::filesystem::filesystem_error& e) {
        // The core reports file problems itself; this keeps anything it missed off abort().
        err << e.path1().string() << ": " << e.code().message() << '\n';
        return exitRefused;
    }
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const CancelToken never;
    return run(args, out, err, never);
}

} // namespace tavrino::cli
