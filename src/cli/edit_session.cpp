#include "cli/edit_session.h"

#include "database/file_io.h"

#include <filesystem>
#include <ostream>

namespace tavrino::cli {

void openForEdit(Session& s, const Arguments& args) {
    s.folder = args.positional(0, "DIR");
    // A folder that cannot be opened is named by the open below.
    try {
        s.lock = lockFolderForWriting(s.folder);
    } catch (const FileProblem& busy) {
        throw InputRefused(busy.oneLine() + " Nothing was changed.");
    }
    openOrRefuse(s.ws, s.folder, s.ctx);
}

void finish(Session& s, bool changed, const Arguments& args, const Context& ctx) {
    if (!s.prompter.message.empty()) {
        throw InputRefused(s.ws.files().channelPath + ": " + s.prompter.message);
    }
    if (!changed) {
        throw InputRefused(s.ws.files().channelPath + ": nothing changed");
    }
    saveOrRefuse(s.ws, s.folder, args, ctx);
}

void editFolder(const Arguments& args, Context& ctx, std::size_t positionalCount,
                const std::function<bool(Session&)>& edit) {
    args.expectPositional(positionalCount);
    Session s(ctx);
    openForEdit(s, args);
    finish(s, edit(s), args, ctx);
}

void refuse(const Session& s, const Notice& notice, const std::string& file) {
    throw InputRefused((file.empty() ? s.ws.files().channelPath : file) + ": " + notice.text);
}

std::string dvbsPath(const Session& s) {
    const std::string& path = s.ws.files().satelliteFiles.dvbsPath;
    return path.empty() ? (std::filesystem::path(s.folder) / dvbsFileName).string() : path;
}

} // namespace tavrino::cli
