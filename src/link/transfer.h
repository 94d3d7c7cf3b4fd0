#pragma once

#include "link/link_context.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

enum class Direction { Download, Upload };

struct TransferRequest {
    std::string fileName; // the same on both sides, e.g. "DVBS.dat"
    Direction direction = Direction::Download;
    std::filesystem::path localPath; // where a download lands, what an upload sends
    std::string remoteFolder = "/DISK2";
    std::string remoteName{}; // the name on the receiver when it is not fileName

    const std::string& nameThere() const { return remoteName.empty() ? fileName : remoteName; }
};

struct TransferStatus {
    enum class Result {
        Done,
        Missing,      // download: the receiver has no such file
        Failed,       // this file did not get across
        LoginRefused, // the rest are failures of the session: the next file would meet them too
        NoConnection,
        NoFolder,
        TimedOut,
        Cancelled,
    };
    Result result = Result::Failed;
    std::string reply;  // the server's last reply line, when it said something
    std::string detail; // what went wrong, for a person
    std::uint64_t bytes = 0;
    int replyCode = 0;
    // The server took up the transfer: an upload over an existing file has begun replacing it.
    bool started = false;

    bool done() const { return result == Result::Done; }
    bool endsSession() const { return result >= Result::LoginRefused; }
};

// One FTP session for one file: log in, change to the remote folder, check, transfer, log
// to FTPLog.txt in the staging folder. A download lands in a temporary beside localPath and
// replaces it only when complete, and stops past the largest file of its name the program
// opens; an upload is checked against the size the server reports.
// Tells nothing: the caller reports the outcome.
TransferStatus transferFile(const TransferRequest& request, const LinkContext& ctx);

// One FTP session that sends `commands` in the remote folder (see FtpSession::commands).
TransferStatus ftpCommands(const std::vector<std::string>& commands, const LinkContext& ctx,
                           const std::string& remoteFolder = "/DISK2");

// The size of a file on the receiver in a session of its own; nullopt when it cannot be told.
std::optional<std::uint64_t> remoteSize(const std::string& name, const LinkContext& ctx,
                                        const std::string& remoteFolder = "/DISK2");

// The notice for a failure of the session (login, connection, folder, time-out).
Notice sessionNotice(const TransferStatus& outcome, const std::string& remoteFolder);

// A one-line reason for a terminal or a summary.
std::string transferReason(const TransferStatus& outcome, const std::string& remoteFolder);

std::filesystem::path transferLogPath(const std::filesystem::path& dataFolder);

} // namespace tavrino
