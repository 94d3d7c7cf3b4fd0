#include "cli/command.h"

#include <filesystem>
#include <ostream>

namespace tavrino::cli {

void openOrRefuse(Workspace& workspace, const std::string& folder, const Context& ctx) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        const bool oddError = error && error != std::errc::no_such_file_or_directory;
        throw InputRefused(folder + ": not a folder" +
                           (oddError ? " (" + error.message() + ")" : std::string()));
    }
    const OpenResult result = workspace.openFolder(folder);
    printNote(result.note, ctx);
    switch (result.status) {
    case OpenResult::Status::Opened:
        return;
    case OpenResult::Status::NothingToOpen:
        throw InputRefused((std::filesystem::path(folder) / channelFileName).string() +
                           ": no such file");
    case OpenResult::Status::Refused:
        throw InputRefused(result.problem->oneLine());
    }
}

void printNote(const std::optional<std::string>& note, const Context& ctx) {
    if (note) {
        ctx.err << *note << '\n';
    }
}

} // namespace tavrino::cli
