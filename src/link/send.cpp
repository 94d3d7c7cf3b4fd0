#include "common/data_folder.h"
#include "database/file_problem.h"
#include "link/link_messages.h"
#include "link/receiver_backup.h"
#include "link/telnet_session.h"
#include "link/transfer.h"
#include "link/workflows.h"

#include <thread>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

constexpr const char* sendOrder[] = {dvbsFileName, antennaFileName, channelFileName};
const std::string remoteFolder = linktext::receiverFolder;

SendResult failedWith(SendResult result, const Notice& notice, const LinkContext& ctx) {
    ctx.prompter.tell(notice);
    result.problem = oneLine(notice);
    return result;
}

// Waits `length`, looking at the cancel token; false when cancelled.
bool pause(Milliseconds length, const LinkContext& ctx) {
    const auto end = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < end) {
        if (ctx.cancel.cancelled()) {
            return false;
        }
        std::this_thread::sleep_for(std::min(Milliseconds{50}, length));
    }
    return !ctx.cancel.cancelled();
}

// "Uploading." "Uploading.." "Uploading...", a third of the pause each.
bool settle(const LinkContext& ctx) {
    std::string text = "Uploading";
    for (int i = 0; i < 3; ++i) {
        text += '.';
        ctx.progress.step(text);
        if (!pause(ctx.timeouts.settle / 3, ctx)) {
            return false;
        }
    }
    return true;
}

struct Backup {
    fs::path folder;
    std::optional<Notice> failure; // nothing may be sent
};

// Fetches the receiver's files before anything overwrites them.
Backup backUpReceiver(const SendOptions& options, const LinkContext& ctx) {
    const fs::path root = receiverBackupsOf(ctx.dataFolder);
    const auto folder = makeBackupFolder(root, std::chrono::system_clock::now());
    if (!folder) {
        return {{}, backupFailedNotice("cannot create a folder in " + root.string())};
    }
    bool any = false;
    for (const char* name : sendOrder) {
        ctx.progress.step(linktext::backup);
        const TransferStatus outcome =
            transferFile({name, Direction::Download, *folder / name}, ctx);
        if (outcome.result == TransferStatus::Result::Missing) {
            continue; // nothing there to lose
        }
        if (!outcome.done()) {
            std::error_code ignored;
            fs::remove_all(*folder, ignored);
            if (outcome.result == TransferStatus::Result::Cancelled) {
                return {{}, std::nullopt};
            }
            return {{},
                    outcome.endsSession()
                        ? sessionNotice(outcome, remoteFolder)
                        : backupFailedNotice(name + std::string(": ") +
                                             transferReason(outcome, remoteFolder))};
        }
        any = true;
    }
    std::error_code ignored;
    if (!any) {
        fs::remove(*folder, ignored);
        return {{}, std::nullopt};
    }
    pruneBackups(root, options.keepBackups, *folder);
    return {*folder, std::nullopt};
}

// Uploads the files of `folder` in the send order; the first failure stops it.
std::optional<TransferStatus> uploadAll(const fs::path& folder, SendResult& result,
                                        const LinkContext& ctx) {
    for (auto& file : result.files) {
        ctx.progress.step(file.name);
        const TransferStatus outcome =
            transferFile({file.name, Direction::Upload, folder / file.name}, ctx);
        if (!outcome.done()) {
            file.fate = FileFate::Failed;
            file.reason = transferReason(outcome, remoteFolder);
            return outcome;
        }
        file.fate = FileFate::Arrived;
    }
    result.uploaded = true;
    return std::nullopt;
}

std::vector<std::string> notSent(const SendResult& result) {
    std::vector<std::string> names;
    for (const auto& file : result.files) {
        if (file.fate != FileFate::Arrived) {
            names.push_back(file.name);
        }
    }
    return names;
}

// A stop after the uploads began: nothing reached means only the cause needs telling. A stop
// while the backup is put back says so, so it cannot be taken for the send's own failure.
SendResult stopped(SendResult result, const TransferStatus& outcome, const LinkContext& ctx,
                   bool restoring = false) {
    result.cancelled = outcome.result == TransferStatus::Result::Cancelled;
    const std::string lead = restoring ? "Putting the backed-up files back failed. " : "";
    const auto reached = result.reached();
    if (reached.empty()) {
        if (result.cancelled) {
            return result;
        }
        return failedWith(std::move(result),
                          outcome.endsSession()
                              ? sessionNotice(outcome, remoteFolder)
                              : Notice{"Failure",
                                       lead + notSent(result).front() + " was not sent: " +
                                           transferReason(outcome, remoteFolder),
                                       NoticeIcon::Critical},
                          ctx);
    }
    const std::string why = lead + (result.cancelled ? std::string("Sending was cancelled.")
                                                     : notSent(result).front() + " was not sent: " +
                                                           transferReason(outcome, remoteFolder));
    const Notice notice =
        sendStoppedNotice(why, reached, notSent(result), result.backupFolder.string());
    ctx.prompter.tell(notice);
    result.problem = oneLine(notice);
    return result;
}

SendResult startResult() {
    SendResult result;
    for (const char* name : sendOrder) {
        result.files.push_back({name, FileFate::NotTried, {}});
    }
    return result;
}

} // namespace

bool readyToSend(const ReceiverFiles& files) {
    return files.channel.loaded() && files.satelliteFiles.antenna.loaded() &&
           files.satelliteFiles.dvbs.loaded();
}

std::vector<std::string> SendResult::reached() const {
    std::vector<std::string> names;
    for (const auto& file : files) {
        if (file.fate == FileFate::Arrived) {
            names.push_back(file.name);
        }
    }
    return names;
}

SendResult sendFiles(ReceiverFiles files, const SendOptions& options, const LinkContext& ctx) {
    SendResult result = startResult();
    if (!readyToSend(files)) {
        return failedWith(std::move(result), sendNeedsAllFilesNotice(), ctx);
    }
    const fs::path staging = stagingFolderOf(ctx.dataFolder);
    try {
        std::error_code ignored;
        fs::create_directories(staging, ignored);
        saveFiles(files, staging); // the save path puts TargetVersion into byte 0
    } catch (const FileProblem& problem) {
        return failedWith(std::move(result), problem.notice(), ctx);
    }
    if (options.backup) {
        Backup backup = backUpReceiver(options, ctx);
        if (backup.failure) {
            return failedWith(std::move(result), *backup.failure, ctx);
        }
        result.backupFolder = backup.folder;
    }
    if (ctx.cancel.cancelled()) {
        result.cancelled = true;
        return result;
    }
    if (auto failure = uploadAll(staging, result, ctx)) {
        return stopped(std::move(result), *failure, ctx);
    }
    if (!options.reload) {
        return result;
    }
    if (!settle(ctx)) {
        return stopped(std::move(result), {TransferStatus::Result::Cancelled, {}, {}, 0}, ctx);
    }
    TcpStream stream;
    const TelnetOutcome telnet = converse(TelnetGoal::Reload, ctx, stream);
    result.reloaded = telnet.ok();
    result.cancelled = telnet.result == TelnetResult::Cancelled;
    if (!result.reloaded && telnet.notice) {
        const Notice notice = reloadFailedNotice(*telnet.notice);
        ctx.prompter.tell(notice);
        result.problem =
            "the files are on the receiver but it did not reload: " + oneLine(*telnet.notice);
    }
    return result;
}

SendResult restoreBackup(const fs::path& backupFolder, const LinkContext& ctx) {
    SendResult result = startResult();
    result.backupFolder = backupFolder; // still named when putting it back fails
    std::erase_if(result.files,
                  [&](const FileReport& file) { return !fs::exists(backupFolder / file.name); });
    if (auto failure = uploadAll(backupFolder, result, ctx)) {
        return stopped(std::move(result), *failure, ctx, true);
    }
    ctx.prompter.tell({"Information", "The files backed up before sending are back on the Orvix.",
                       NoticeIcon::Information});
    return result;
}

} // namespace tavrino
