#include "link/receiver_upload.h"

#include "link/ftp_session.h"
#include "link/link_messages.h"
#include "link/transfer.h"

#include <sys/stat.h>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

using Result = TransferStatus::Result;
const std::string remoteFolder = linktext::receiverFolder;

std::uint64_t localSize(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// A server that will not take a name or a command says so in a reply; a lost connection or
// a full disk is no reason to store the files over the receiver's own.
bool refusedOutright(const TransferStatus& outcome) {
    const int code = outcome.replyCode;
    return !outcome.started && outcome.result == Result::Failed &&
           (code == 500 || code == 501 || code == 502 || code == 504 || code == 550 || code == 553);
}

class NoProgress : public LinkProgress {};

class Replacement {
public:
    Replacement(const fs::path& folder, SendResult& result, const LinkContext& ctx, bool restoring)
        : folder_(folder), result_(result), ctx_(ctx), restoring_(restoring),
          // Clean-up, renames and the look at a cut file run to their end once begun, also
          // after a cancel: they take a moment and decide what the receiver is left with.
          steady_{ctx.profile, ctx.timeouts, ctx.dataFolder, quietProgress_, ctx.prompter, never_} {
    }

    std::optional<Notice> run() {
        bool fallBack = false;
        std::optional<Notice> notice = uploadTemporaries(fallBack);
        if (!fallBack) {
            result_.cancelled = result_.cancelled || ctx_.cancel.cancelled();
            if (notice || result_.cancelled) {
                removeTemporaries();
                return notice;
            }
            notice = renameAll(fallBack);
            if (!fallBack) {
                return notice;
            }
        }
        removeTemporaries();
        return storeDirectly();
    }

private:
    // nullopt with fallBack set when the server will not take the temporary names.
    std::optional<Notice> uploadTemporaries(bool& fallBack) {
        for (auto& file : result_.files) {
            ctx_.progress.step(file.name);
            TransferRequest request{file.name, Direction::Upload, folder_ / file.name};
            request.remoteName = uploadTemporaryName(file.name);
            const TransferStatus outcome = transferFile(request, ctx_);
            if (outcome.done()) {
                continue;
            }
            if (&file == &result_.files.front() && refusedOutright(outcome)) {
                fallBack = true;
                return std::nullopt;
            }
            return failedBeforeChange(file, outcome);
        }
        return std::nullopt;
    }

    std::optional<Notice> failedBeforeChange(FileReport& file, const TransferStatus& outcome) {
        file.fate = FileFate::Failed;
        file.reason = transferReason(outcome, remoteFolder);
        if (outcome.result == Result::Cancelled) {
            result_.cancelled = true;
            return std::nullopt;
        }
        if (outcome.endsSession() && !restoring_) {
            return sessionNotice(outcome, remoteFolder);
        }
        return nothingChangedNotice(lead() + file.name + " was not sent: " + file.reason + ".",
                                    restoring_ ? backupLine() : std::string());
    }

    std::optional<Notice> renameAll(bool& fallBack) {
        FtpSession session(ctx_.profile, remoteFolder, ctx_.timeouts, never_, quietProgress_);
        for (auto& file : result_.files) {
            const FtpStatus status =
                session.commands({"RNFR " + uploadTemporaryName(file.name), "RNTO " + file.name});
            if (status.ok()) {
                file.fate = FileFate::Arrived;
                continue;
            }
            TransferStatus outcome{Result::Failed,   status.reply, status.detail, 0,
                                   status.replyCode, false};
            if (&file == &result_.files.front() && refusedOutright(outcome)) {
                fallBack = true;
                return std::nullopt;
            }
            file.fate = FileFate::Failed;
            file.reason = transferReason(outcome, remoteFolder);
            removeTemporaries();
            std::string why =
                lead() + file.name + " could not be put in place: " + file.reason + ".";
            if (status.replyCode < 400) {
                why += " The connection broke during the rename, so " + file.name +
                       " may be the new one.";
            }
            return stoppedNotice(why, {});
        }
        result_.uploaded = true;
        return std::nullopt;
    }

    std::optional<Notice> storeDirectly() {
        for (auto& file : result_.files) {
            file.fate = FileFate::NotTried;
        }
        for (auto& file : result_.files) {
            ctx_.progress.step(file.name);
            const TransferStatus outcome =
                transferFile({file.name, Direction::Upload, folder_ / file.name}, ctx_);
            if (outcome.done()) {
                file.fate = FileFate::Arrived;
                continue;
            }
            file.fate = FileFate::Failed;
            file.reason = transferReason(outcome, remoteFolder);
            result_.cancelled = outcome.result == Result::Cancelled;
            const std::string why =
                lead() + (result_.cancelled ? std::string("Sending was cancelled.")
                                            : file.name + " was not sent: " + file.reason + ".");
            const std::string damage = outcome.started ? lookAtCutFile(file) : std::string();
            if (!result_.receiverChanged()) {
                if (result_.cancelled) {
                    return std::nullopt;
                }
                return outcome.endsSession() && !restoring_
                           ? sessionNotice(outcome, remoteFolder)
                           : nothingChangedNotice(why, restoring_ ? backupLine() : std::string());
            }
            return stoppedNotice(why, damage);
        }
        result_.uploaded = true;
        return std::nullopt;
    }

    // The store had begun, so the server has cut the receiver's file to what came.
    std::string lookAtCutFile(FileReport& file) {
        const std::uint64_t expected = localSize(folder_ / file.name);
        const auto there = remoteSize(file.name, steady_, remoteFolder);
        if (there && *there == expected) {
            file.fate = FileFate::Arrived; // it all came; only the goodbye was lost
            return {};
        }
        file.fate = FileFate::Damaged;
        if (there) {
            return file.name + " on the Orvix is now incomplete: " + bytesText(*there) + " of " +
                   bytesText(expected) + " bytes.";
        }
        return file.name + " on the Orvix may now be incomplete: its upload broke off and the " +
               "Orvix cannot say how much it kept.";
    }

    void removeTemporaries() {
        std::vector<std::string> commands;
        for (const auto& file : result_.files) {
            commands.push_back("*DELE " + uploadTemporaryName(file.name));
        }
        ftpCommands(commands, steady_, remoteFolder);
    }

    Notice stoppedNotice(const std::string& why, const std::string& damage) const {
        std::vector<std::string> replaced;
        std::vector<std::string> unchanged;
        for (const auto& file : result_.files) {
            if (file.fate == FileFate::Arrived) {
                replaced.push_back(file.name);
            } else if (file.fate != FileFate::Damaged) {
                unchanged.push_back(file.name);
            }
        }
        return sendStoppedNotice(why, damage, replaced, unchanged, backupLine());
    }

    std::string backupLine() const {
        if (restoring_) {
            return "The backup is still in " + result_.backupFolder.string();
        }
        return result_.backupFolder.empty()
                   ? "No backup was made."
                   : "Its earlier files are in " + result_.backupFolder.string();
    }

    std::string lead() const {
        return restoring_ ? "Putting the backed-up files back failed. " : "";
    }

    const fs::path& folder_;
    SendResult& result_;
    const LinkContext& ctx_;
    bool restoring_;
    CancelToken never_;
    NoProgress quietProgress_;
    LinkContext steady_;
};

} // namespace

std::string uploadTemporaryName(const std::string& fileName) {
    return ".tavrino-upload-" + fileName;
}

std::optional<Notice> replaceOnReceiver(const fs::path& folder, SendResult& result,
                                        const LinkContext& ctx, bool restoring) {
    return Replacement(folder, result, ctx, restoring).run();
}

} // namespace tavrino
