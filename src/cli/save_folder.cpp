#include "cli/command.h"
#include "common/data_folder.h"
#include "database/file_io.h"

#include <ostream>

namespace tavrino::cli {
namespace {

// The command line asks nobody: what a person would be asked is refused, and --force allows.
class Declining : public Prompter {
public:
    void tell(const Notice&) override {}
    bool ask(const Notice&) override { return false; }
};

std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

} // namespace

std::set<std::string> withSaveFlags(std::set<std::string> flags) {
    flags.insert({"no-backup", "force"});
    return flags;
}

void saveOrRefuse(Workspace& workspace, const std::string& folder, const Arguments& args,
                  const Context& ctx, SaveScope scope) {
    makeFolder(folder);
    SaveOptions options;
    options.overwriteChanged = args.has("force");
    options.overwriteReadOnly = args.has("force");
    if (!args.has("no-backup")) {
        options.backupsIn = resolveDataFolder(ctx.dataDir) / "backups";
    }
    Declining nobody;
    const SaveResult result = saveFolder(workspace, scope, folder, options, nobody);
    printNote(result.note, ctx);
    if (result.problem) {
        throw InputRefused(result.problem->oneLine());
    }
    if (!result.changedOnDisk.empty()) {
        throw InputRefused(folder + ": " + listed(result.changedOnDisk) +
                           " changed since it was read; nothing was written (--force overwrites)");
    }
    if (!result.readOnly.empty()) {
        throw InputRefused(folder + ": " + listed(result.readOnly) +
                           (result.readOnly.size() == 1 ? " is" : " are") +
                           " read-only; nothing was written (--force replaces read-only files)");
    }
    for (const auto& path : result.written) {
        ctx.out << "wrote " << path.string() << '\n';
    }
    if (result.backup) {
        ctx.out << "kept the replaced files in " << result.backup->string() << '\n';
    }
    printNote(result.keptFromBefore, ctx);
}

} // namespace tavrino::cli
