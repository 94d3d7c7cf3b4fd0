#pragma once

#include "link/ftp_reply.h"
#include "link/link_context.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tavrino {

enum class FtpFailure {
    None,
    NoConnection, // no TCP connection, or no server greeting
    LoginRefused,
    NoFolder,
    NotFound,
    TransferFailed,
    TimedOut,
    Cancelled,
};

struct FtpStatus {
    FtpFailure failure = FtpFailure::None;
    std::string reply;  // the server's last reply line, when it gave one
    std::string detail; // the client's account of what went wrong

    bool ok() const { return failure == FtpFailure::None; }
};

// One FTP session over libcurl in one folder of the server: each transfer logs in (once),
// changes to the folder, checks the file's size and moves it in binary; the control
// connection stays open for a size check afterwards and is closed (QUIT) when the object goes.
class FtpSession {
public:
    FtpSession(const ConnectionProfile& profile, const std::string& folder,
               const LinkTimeouts& timeouts, const CancelToken& cancel, LinkProgress& progress);
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // Streams the file into `fd`; `size` gets what the server announced, when it did.
    FtpStatus download(const std::string& name, int fd, std::optional<std::uint64_t>& size);
    FtpStatus upload(const std::string& name, int fd, std::uint64_t size);
    // The size the server reports; nullopt with an ok status when the server does not say.
    FtpStatus size(const std::string& name, std::optional<std::uint64_t>& bytes);

    // The server accepted the login (a 230 reply); `then` runs at that moment.
    bool loggedIn() const;
    void onLogin(std::function<void()> then);
    // The server's current folder as it gave it after the last transfer.
    const std::string& currentFolder() const { return currentFolder_; }

private:
    struct Impl;
    enum class Kind { Size, Download, Upload };
    FtpStatus perform(const std::string& name, Kind kind);
    FtpStatus classify(int code) const;
    std::optional<std::uint64_t> announcedSize() const;

    std::unique_ptr<Impl> impl_;
    std::string folderUrl_;
    std::string currentFolder_;
};

} // namespace tavrino
