#pragma once

#include "cli/arguments.h"
#include "cli/table_writer.h"
#include "common/code_page.h"
#include "compare/comparison.h"
#include "link/link_context.h"
#include "workspace/workspace.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tavrino::cli {

// The input was refused or is damaged: exit code 2.
class InputRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Context {
    std::ostream& out;
    std::ostream& err; // notes and warnings that do not fail the command
    // A command that stops cleanly once `cancel` is set calls `cancellable` as it starts, so
    // from then on Ctrl+C cancels it instead of ending the program.
    const CancelToken& cancel;
    std::function<void()> cancellable;
    OutputFormat format = OutputFormat::Csv;
    const CodePage* codePage = &CodePage::windows1252();
    std::optional<std::filesystem::path> dataDir = std::nullopt; // --data-dir
    int exitStatus = 0; // of a command that ran to its end (diff: 1 when they differ)
};

struct Command {
    std::string name;
    std::string synopsis;    // arguments after the name
    std::string description; // what it does, for --help
    std::set<std::string> valued;
    std::set<std::string> flags;
    std::function<void(const Arguments&, Context&)> run;
    int usageExit = 1; // diff keeps 1 for "different", so its wrong usage is 2
};

std::vector<Command> readCommands();
std::vector<Command> writeCommands();
std::vector<Command> bouquetCommands();
std::vector<Command> referenceCommands();
std::vector<Command> duplicateCommands();
std::vector<Command> profileCommands();
std::vector<Command> transferCommands();
std::vector<Command> compareCommands();

// The data folder: --data-dir, else the same rules as the window.
std::filesystem::path dataFolderOf(const Context& ctx);
std::vector<Command> serviceCommands();
std::vector<Command> satelliteCommands();
std::vector<Command> transponderCommands();
std::vector<Command> importCommands();

// --only services|bouquets|satellites; everything without it.
CompareOptions compareOptions(const Arguments& args);
// The rows of a comparison under the header Area,Change,Name,Where,Field,Before,After.
void printComparison(const Comparison& comparison, const Context& ctx);

// Opens DIR as "Open Files" does; throws InputRefused with one line naming file and problem.
void openOrRefuse(Workspace& workspace, const std::string& folder, const Context& ctx);

// A note about a save cut short goes to stderr as one line; the command carries on.
void printNote(const std::optional<std::string>& note, const Context& ctx);

// The flags every command that writes a folder takes: --no-backup and --force.
std::set<std::string> withSaveFlags(std::set<std::string> flags = {});

// Writes the workspace into `folder` as "Save Files" does (or only the satellite files), through
// the save policy the window uses: under the folder's lock, after copying the files it replaces
// into the data folder's backups/ (unless --no-backup). Refuses files changed since they were
// read from the folder and read-only files (unless --force). Prints what it wrote.
void saveOrRefuse(Workspace& workspace, const std::string& folder, const Arguments& args,
                  const Context& ctx, SaveScope scope = SaveScope::AllFiles);

} // namespace tavrino::cli
