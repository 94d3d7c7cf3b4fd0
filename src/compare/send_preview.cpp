#include "compare/send_preview.h"

#include "common/data_folder.h"
#include "link/link_messages.h"
#include "link/receiver_fetch.h"
#include "workspace/workspace.h"

namespace tavrino {
namespace fs = std::filesystem;

namespace {

bool present(const fs::path& file) {
    std::error_code ignored;
    return fs::is_regular_file(file, ignored);
}

} // namespace

SendPreview previewAgainst(const fs::path& receiverFolder, const Workspace& toSend,
                           const CompareOptions& options) {
    SendPreview preview;
    Workspace receiver(toSend.codePage());
    const OpenResult opened = receiver.openFolder(receiverFolder);
    if (opened.status == OpenResult::Status::Refused) {
        preview.problem = opened.problem->oneLine();
        return preview;
    }
    const fs::path antenna = receiverFolder / antennaFileName;
    const fs::path dvbs = receiverFolder / dvbsFileName;
    // A receiver without all_channel.dat may still have its satellites.
    if (!opened.opened() && present(antenna) && present(dvbs)) {
        const OpenResult satellites = receiver.loadSatelliteFiles(antenna, dvbs);
        if (satellites.status == OpenResult::Status::Refused) {
            preview.problem = satellites.problem->oneLine();
            return preview;
        }
    }
    for (const char* name : {channelFileName, antennaFileName, dvbsFileName}) {
        if (!present(receiverFolder / name)) {
            preview.missing.push_back(name);
        }
    }
    preview.comparison = compareWorkspaces(receiver, toSend, options);
    return preview;
}

SendPreview previewSend(const Workspace& toSend, const LinkContext& ctx,
                        const CompareOptions& options) {
    SendPreview preview;
    if (!readyToSend(toSend.files())) { // the send itself would refuse
        const Notice notice = sendNeedsAllFilesNotice();
        preview.problem = oneLine(notice);
        ctx.prompter.tell(notice);
        return preview;
    }
    const TemporaryFolder folder(stagingFolderOf(ctx.dataFolder));
    if (folder.path().empty()) {
        preview.problem = "cannot create a folder in " + stagingFolderOf(ctx.dataFolder).string();
        ctx.prompter.tell({"Failure", preview.problem, NoticeIcon::Critical});
        return preview;
    }
    const FetchResult fetched = fetchReceiverFiles(folder.path(), ctx);
    if (!fetched.ok()) {
        preview.cancelled = fetched.cancelled;
        preview.problem = fetched.problem;
        if (fetched.failure) {
            ctx.prompter.tell(*fetched.failure);
        }
        return preview;
    }
    preview = previewAgainst(folder.path(), toSend, options);
    if (!preview.comparison) {
        ctx.prompter.tell({"Failure", preview.problem, NoticeIcon::Critical});
    }
    return preview;
}

} // namespace tavrino
