#include "cli/command.h"

#include <filesystem>

namespace tavrino::cli {

void openOrRefuse(Workspace& workspace, const std::string& folder) {
    if (!std::filesystem::is_directory(folder)) {
        throw InputRefused(folder + ": not a folder");
    }
    const OpenResult result = workspace.openFolder(folder);
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

} // namespace tavrino::cli
