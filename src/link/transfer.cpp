#include "link/transfer.h"

#include "common/data_folder.h"
#include "database/receiver_files.h"
#include "link/ftp_session.h"
#include "link/link_messages.h"
#include "link/transfer_log.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavrino {
namespace fs = std::filesystem;

namespace {

using Result = TransferStatus::Result;

Result resultOf(FtpFailure failure) {
    switch (failure) {
    case FtpFailure::None:
        return Result::Done;
    case FtpFailure::NoConnection:
        return Result::NoConnection;
    case FtpFailure::LoginRefused:
        return Result::LoginRefused;
    case FtpFailure::NoFolder:
        return Result::NoFolder;
    case FtpFailure::NotFound:
        return Result::Missing;
    case FtpFailure::TimedOut:
        return Result::TimedOut;
    case FtpFailure::Cancelled:
        return Result::Cancelled;
    case FtpFailure::TooLarge:
    case FtpFailure::TransferFailed:
        break;
    }
    return Result::Failed;
}

std::string errnoText() {
    return std::strerror(errno);
}

std::string serverPath(const std::string& folder, const std::string& name) {
    return (folder.empty() || folder.back() != '/' ? folder + "/" : folder) + name;
}

std::string logReason(const TransferStatus& outcome, const std::string& folder) {
    if (outcome.result == Result::Missing) {
        return "File not found";
    }
    if (outcome.result == Result::NoFolder) {
        return "Folder not found";
    }
    return "Other error: " + transferReason(outcome, folder);
}

// A download's temporary beside its target; removed unless it was renamed into place.
class PartFile {
public:
    explicit PartFile(const fs::path& target) {
        pattern_ =
            (target.parent_path() / ("." + target.filename().string() + ".part-XXXXXX")).string();
        fd_ = ::mkstemp(pattern_.data());
        if (fd_ >= 0) {
            ::fchmod(fd_, 0644); // mkstemp's 0600 is for secrets; these are lists
        }
    }
    ~PartFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!kept_) {
            ::unlink(pattern_.c_str());
        }
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    int fd() const { return fd_; }
    std::uint64_t size() const {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    }
    // Flushes, closes and renames over `target`; the error text, or empty.
    std::string keepAs(const fs::path& target) {
        if (::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0) {
            return "flushing the received file failed: " + errnoText();
        }
        if (::rename(pattern_.c_str(), target.c_str()) != 0) {
            return "replacing " + target.string() + " failed: " + errnoText();
        }
        kept_ = true;
        if (const int folder = ::open(target.parent_path().c_str(), O_RDONLY | O_DIRECTORY);
            folder >= 0) {
            ::fsync(folder);
            ::close(folder);
        }
        return {};
    }

private:
    std::string pattern_;
    int fd_ = -1;
    bool kept_ = false;
};

class Transfer {
public:
    Transfer(const TransferRequest& request, const LinkContext& ctx)
        : request_(request), ctx_(ctx),
          session_(ctx.profile, request.remoteFolder, ctx.timeouts, ctx.cancel, ctx.progress),
          log_(transferLogPath(ctx.dataFolder)) {
        const bool down = request.direction == Direction::Download;
        session_.onLogin([this, down] {
            log_.sessionStart();
            ctx_.progress.step(down ? linktext::downloading : linktext::uploading);
        });
    }

    TransferStatus run() {
        return request_.direction == Direction::Download ? download() : upload();
    }

private:
    TransferStatus outcomeOf(const FtpStatus& status) const {
        const auto& password = ctx_.profile.password;
        return {resultOf(status.failure),
                withoutPassword(status.reply, password),
                withoutPassword(status.detail, password),
                status.moved,
                status.replyCode,
                status.started};
    }

    TransferStatus failed(std::string detail) const {
        return {Result::Failed, {}, std::move(detail), 0};
    }

    // The log is only written once the login succeeded.
    TransferStatus logged(TransferStatus outcome) {
        if (session_.loggedIn() && !outcome.done() && outcome.result != Result::Cancelled) {
            log_.unable(logReason(outcome, request_.remoteFolder));
        }
        return outcome;
    }

    TransferStatus download() {
        PartFile part(request_.localPath);
        if (part.fd() < 0) {
            return failed("cannot create a file in " + request_.localPath.parent_path().string() +
                          ": " + errnoText());
        }
        const FtpStatus got = session_.download(request_.nameThere(), part.fd(),
                                                receiverFileLimit(request_.fileName).bytes);
        if (!got.ok()) {
            return logged(outcomeOf(got));
        }
        const std::uint64_t bytes = part.size();
        if (got.announced && bytes != *got.announced) {
            return logged(failed("the connection broke after " + bytesText(bytes) + " of " +
                                 bytesText(*got.announced) + " bytes"));
        }
        if (std::string why = part.keepAs(request_.localPath); !why.empty()) {
            return logged(failed(why));
        }
        ctx_.progress.bytes(bytes, bytes);
        log_.downloaded(serverPath(session_.currentFolder(), request_.fileName),
                        request_.localPath);
        return {Result::Done, {}, {}, bytes};
    }

    TransferStatus upload() {
        const std::string& name = request_.nameThere();
        const int fd = ::open(request_.localPath.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0 || ::fstat(fd, &info) != 0) {
            const std::string why = request_.localPath.string() + ": " + errnoText();
            if (fd >= 0) {
                ::close(fd);
            }
            return failed(why);
        }
        const auto bytes = static_cast<std::uint64_t>(info.st_size);
        const FtpStatus sent = session_.upload(name, fd, bytes);
        ::close(fd);
        if (!sent.ok()) {
            return logged(outcomeOf(sent));
        }
        const std::string stored = serverPath(session_.currentFolder(), name);
        std::optional<std::uint64_t> remote;
        if (const FtpStatus checked = session_.size(name, remote); !checked.ok()) {
            return logged(outcomeOf(checked));
        }
        if (remote && *remote != bytes) {
            TransferStatus outcome = failed("the Orvix holds " + bytesText(*remote) + " of " +
                                            bytesText(bytes) + " bytes");
            outcome.started = true;
            return logged(outcome);
        }
        ctx_.progress.bytes(bytes, bytes);
        log_.uploaded(request_.localPath, stored);
        return {Result::Done, {}, {}, bytes};
    }

    const TransferRequest& request_;
    const LinkContext& ctx_;
    FtpSession session_;
    TransferLog log_;
};

std::string withReply(std::string text, const std::string& reply) {
    return reply.empty() ? text : text + " (" + reply + ")";
}

// A refusal explains itself ("553 Could not create file."); a preliminary or positive reply
// ("125 Data connection already open") says nothing about what went wrong.
std::string explaining(const TransferStatus& outcome) {
    return outcome.replyCode >= 400 ? outcome.reply : std::string();
}

} // namespace

TransferStatus transferFile(const TransferRequest& request, const LinkContext& ctx) {
    if (ctx.cancel.cancelled()) {
        return {Result::Cancelled, {}, {}, 0};
    }
    return Transfer(request, ctx).run();
}

std::string transferReason(const TransferStatus& outcome, const std::string& remoteFolder) {
    switch (outcome.result) {
    case Result::Done:
        return {};
    case Result::Missing:
        return withReply("not on the Orvix", explaining(outcome));
    case Result::Failed:
        return withReply(outcome.detail, explaining(outcome));
    case Result::LoginRefused:
        return withReply("Invalid username or password", explaining(outcome));
    case Result::NoConnection:
        return "Unknown Error: No connection Established (" + outcome.detail + ")";
    case Result::NoFolder:
        return withReply("the folder " + remoteFolder + " is not on the Orvix",
                         explaining(outcome));
    case Result::TimedOut:
        return "the Orvix stopped answering (" + outcome.detail + ")";
    case Result::Cancelled:
        return "cancelled";
    }
    return {};
}

Notice sessionNotice(const TransferStatus& outcome, const std::string& remoteFolder) {
    switch (outcome.result) {
    case Result::LoginRefused:
        return invalidLoginNotice();
    case Result::NoConnection:
        return noConnectionNotice(outcome.detail);
    case Result::NoFolder:
        return noFolderNotice(remoteFolder, outcome.reply);
    case Result::TimedOut:
        return ftpTimeoutNotice(outcome.detail);
    default:
        break;
    }
    return {"Failure", transferReason(outcome, remoteFolder), NoticeIcon::Critical};
}

TransferStatus ftpCommands(const std::vector<std::string>& commands, const LinkContext& ctx,
                           const std::string& remoteFolder) {
    FtpSession session(ctx.profile, remoteFolder, ctx.timeouts, ctx.cancel, ctx.progress);
    const FtpStatus status = session.commands(commands);
    const auto& password = ctx.profile.password;
    return {resultOf(status.failure),
            withoutPassword(status.reply, password),
            withoutPassword(status.detail, password),
            0,
            status.replyCode,
            false};
}

std::optional<std::uint64_t> remoteSize(const std::string& name, const LinkContext& ctx,
                                        const std::string& remoteFolder) {
    FtpSession session(ctx.profile, remoteFolder, ctx.timeouts, ctx.cancel, ctx.progress);
    std::optional<std::uint64_t> bytes;
    if (!session.size(name, bytes).ok()) {
        return std::nullopt;
    }
    return bytes;
}

fs::path transferLogPath(const fs::path& dataFolder) {
    return stagingFolderOf(dataFolder) / "FTPLog.txt";
}

} // namespace tavrino
