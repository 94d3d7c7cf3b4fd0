#include "cli/command.h"
#include "common/data_folder.h"
#include "database/file_io.h"

#include <ostream>

namespace tavrino::cli {

std::set<std::string> withSaveFlags(std::set<std::string> flags) {
    flags.insert({"no-backup", "force"});
    return flags;
}

void saveOrRefuse(Workspace& workspace, const std::string& folder, const Arguments& args,
                  const Context& ctx) {
    makeFolder(folder);
    SaveOptions options;
    options.overwriteChanged = args.has("force");
    if (!args.has("no-backup")) {
        options.backupsIn = resolveDataFolder(ctx.dataDir) / "backups";
    }
    const SaveResult result = workspace.save(folder, options);
    printNote(result.note);
    if (!result.changedOnDisk.empty()) {
        std::string files;
        for (const auto& name : result.changedOnDisk) {
            files += (files.empty() ? "" : ", ") + name;
        }
        throw InputRefused(folder + ": " + files +
                           " changed since it was read; nothing was written (--force overwrites)");
    }
    if (result.problem) {
        throw InputRefused(result.problem->oneLine());
    }
    for (const auto& path : result.written) {
        ctx.out << "wrote " << path.string() << '\n';
    }
    if (result.backup) {
        ctx.out << "kept the replaced files in " << result.backup->string() << '\n';
    }
}

} // namespace tavrino::cli
