#pragma once

#include "cli/arguments.h"
#include "cli/table_writer.h"
#include "common/code_page.h"
#include "workspace/workspace.h"

#include <functional>
#include <iosfwd>
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
    OutputFormat format = OutputFormat::Csv;
    const CodePage* codePage = &CodePage::windows1252();
};

struct Command {
    std::string name;
    std::string synopsis;    // arguments after the name
    std::string description; // what it does, for --help
    std::set<std::string> valued;
    std::set<std::string> flags;
    std::function<void(const Arguments&, Context&)> run;
};

std::vector<Command> readCommands();
std::vector<Command> writeCommands();
std::vector<Command> bouquetCommands();
std::vector<Command> serviceCommands();
std::vector<Command> satelliteCommands();
std::vector<Command> transponderCommands();

// Opens DIR as "Open Files" does; throws InputRefused with one line naming file and problem.
void openOrRefuse(Workspace& workspace, const std::string& folder);

} // namespace tavrino::cli
