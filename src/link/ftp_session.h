#pragma once

#include "link/ftp_reply.h"
#include "link/link_context.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavrino {

enum class FtpFailure {
    None,
    NoConnection, // no TCP connection, or no server greeting
    LoginRefused,
    NoFolder,
    NotFound,
    TooLarge, // a download past the limit it was given
    TransferFailed,
    TimedOut,
    Cancelled,
};

struct FtpStatus {
    FtpFailure failure = FtpFailure::None;
    std::string reply;  // the server's last reply line, when it gave one
    int replyCode = 0;  // its code
    std::string detail; // what went wrong, in words
    // The server took up the transfer (a 1xx reply came): a store has begun overwriting.
    bool started = false;
    std::uint64_t moved = 0;                  // bytes that went over the data connection
    std::optional<std::uint64_t> announced{}; // the size the server gave for a download

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

    // Streams the file into `fd`, stopping once more than `limit` bytes come or are announced.
    FtpStatus download(const std::string& name, int fd, std::uint64_t limit);
    FtpStatus upload(const std::string& name, int fd, std::uint64_t size);
    // The size the server reports; nullopt with an ok status when the server does not say.
    FtpStatus size(const std::string& name, std::optional<std::uint64_t>& bytes);
    // Sends raw commands in the folder, in order; the first refused one ends them, except those
    // written with a leading '*', whose refusal is ignored.
    FtpStatus commands(const std::vector<std::string>& lines);

    // The server accepted the login (a 230 reply); `then` runs at that moment.
    bool loggedIn() const;
    void onLogin(std::function<void()> then);
    // The server's current folder as it gave it after the last transfer.
    const std::string& currentFolder() const { return currentFolder_; }

private:
    struct Impl;
    enum class Kind { Size, Download, Upload, Commands };
    FtpStatus perform(const std::string& name, Kind kind);
    FtpStatus classify(int code) const;
    std::string connectionWords(int code) const;
    std::string failureWords(int code) const;
    std::optional<std::uint64_t> announcedSize() const;

    std::unique_ptr<Impl> impl_;
    std::string address_;
    std::int32_t port_;
    LinkTimeouts timeouts_;
    std::string folderUrl_;
    std::string currentFolder_;
};

} // namespace tavrino
