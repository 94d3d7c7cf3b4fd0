#include "common/data_folder.h"
#include "database/file_problem.h"
#include "link/link_messages.h"
#include "link/receiver_backup.h"
#include "link/receiver_fetch.h"
#include "link/receiver_upload.h"
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
Backup backUpReceiver(const LinkContext& ctx) {
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
    return {*folder, std::nullopt};
}

struct Confirmation {
    bool goOn = false;
    std::optional<Notice> failure;
};

// Lets the caller look at what the send would replace. A backup already holds the receiver's
// files; a backup that found none leaves nothing to fetch.
Confirmation confirmSend(const SendOptions& options, const fs::path& backupFolder,
                         const fs::path& staging, const LinkContext& ctx) {
    if (!backupFolder.empty()) {
        return {options.confirm(backupFolder, staging), std::nullopt};
    }
    const TemporaryFolder fetched(staging);
    if (fetched.path().empty()) {
        return {false, Notice{"Failure", "Cannot create a folder in " + staging.string() + ".",
                              NoticeIcon::Critical}};
    }
    if (!options.backup) {
        const FetchResult result = fetchReceiverFiles(fetched.path(), ctx);
        if (result.cancelled) {
            return {};
        }
        if (!result.ok()) {
            return {false, result.failure.value_or(
                               Notice{"Failure", result.problem, NoticeIcon::Critical})};
        }
    }
    return {options.confirm(fetched.path(), staging), std::nullopt};
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

bool SendResult::receiverChanged() const {
    for (const auto& file : files) {
        if (file.fate == FileFate::Arrived || file.fate == FileFate::Damaged) {
            return true;
        }
    }
    return false;
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
    // Nothing goes up that the reload at the end could not follow.
    if (auto problem = portProblem(ctx.profile.ftpPort)) {
        return failedWith(std::move(result), noConnectionNotice("FTP " + *problem), ctx);
    }
    if (auto problem = portProblem(ctx.profile.telnetPort); problem && options.reload) {
        return failedWith(std::move(result),
                          couldNotConnectNotice(ctx.profile, "telnet " + *problem), ctx);
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
        Backup backup = backUpReceiver(ctx);
        if (backup.failure) {
            return failedWith(std::move(result), *backup.failure, ctx);
        }
        result.backupFolder = backup.folder;
    }
    if (ctx.cancel.cancelled()) {
        result.cancelled = true;
        return result;
    }
    if (options.confirm) {
        const Confirmation answer = confirmSend(options, result.backupFolder, staging, ctx);
        if (answer.failure) {
            return failedWith(std::move(result), *answer.failure, ctx);
        }
        if (!answer.goOn || ctx.cancel.cancelled()) {
            // The receiver keeps what the backup holds: no copy to keep, none pushed out.
            std::error_code ignored;
            fs::remove_all(result.backupFolder, ignored);
            result.backupFolder.clear();
            result.cancelled = true;
            return result;
        }
    }
    if (!result.backupFolder.empty()) {
        pruneBackups(receiverBackupsOf(ctx.dataFolder), options.keepBackups, result.backupFolder);
    }
    if (auto failure = replaceOnReceiver(staging, result, ctx, false)) {
        return failedWith(std::move(result), *failure, ctx);
    }
    if (result.cancelled) {
        return result;
    }
    if (!options.reload) {
        return result;
    }
    if (!settle(ctx)) {
        result.cancelled = true;
        return failedWith(std::move(result), reloadCancelledNotice(), ctx);
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
    if (auto failure = replaceOnReceiver(backupFolder, result, ctx, true)) {
        return failedWith(std::move(result), *failure, ctx);
    }
    if (result.cancelled) {
        return result;
    }
    ctx.prompter.tell({"Information", "The files backed up before sending are back on the Orvix.",
                       NoticeIcon::Information});
    return result;
}

} // namespace tavrino
