#include "cli/command.h"

#include <filesystem>
#include <iostream>

namespace tavrino::cli {

void openOrRefuse(Workspace& workspace, const std::string& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        const bool oddError = error && error != std::errc::no_such_file_or_directory;
        throw InputRefused(folder + ": not a folder" +
                           (oddError ? " (" + error.message() + ")" : std::string()));
    }
    const OpenResult result = workspace.openFolder(folder);
    printNote(result.note);
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

void printNote(const std::optional<std::string>& note) {
    if (note) {
        std::cerr << *note << '\n';
    }
}

} // namespace tavrino::cli
