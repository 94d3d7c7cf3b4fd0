#include "link/ftp_session.h"

#include "link/link_messages.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <curl/curl.h>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace tavrino {

namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

long wholeSeconds(Milliseconds limit) {
    return std::max<long>(1, static_cast<long>((limit.count() + 999) / 1000));
}

// "/DISK2" -> "%2FDISK2/": the leading %2F makes the folder absolute rather than relative to
// the login folder.
std::string folderPath(const std::string& folder) {
    std::string path = "%2F";
    for (char c : folder.substr(folder.rfind('/', 0) == 0 ? 1 : 0)) {
        if (c == ' ') {
            path += "%20";
        } else {
            path += c;
        }
    }
    if (path.back() != '/') {
        path += '/';
    }
    return path;
}

FtpStatus noConnection(std::string why) {
    FtpStatus status;
    status.failure = FtpFailure::NoConnection;
    status.detail = std::move(why);
    return status;
}

std::string hostPart(const std::string& address) {
    return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

} // namespace

struct FtpSession::Impl {
    CURL* curl = nullptr;
    curl_slist* pwd = nullptr;
    curl_slist* quote = nullptr;
    FtpReplyReader replies;
    bool everReplied = false;
    bool loggedIn = false;
    std::function<void()> onLogin;
    std::string lastVerb; // the command the last reply answers; never its argument
    bool started = false; // a 1xx reply to RETR or STOR
    bool downloading = false;
    int fd = -1;
    int fdErrno = 0;
    std::uint64_t total = 0;
    std::uint64_t written = 0;
    std::uint64_t limit = 0; // a download stops past it; 0 for none
    bool tooLarge = false;
    std::uint64_t moved = 0;
    const CancelToken* cancel = nullptr;
    LinkProgress* progress = nullptr;
    curl_off_t reported = -1;

    std::uint64_t bytesMoved() const { return downloading ? written : moved; }

    bool overLimit(std::uint64_t bytes) {
        if (limit != 0 && bytes > limit) {
            tooLarge = true;
        }
        return tooLarge;
    }

    static int debug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        auto* impl = static_cast<Impl*>(self);
        const std::string_view text(data, size);
        if (type == CURLINFO_HEADER_IN) {
            impl->replies.feed(text);
            impl->everReplied = true;
            const auto& last = impl->replies.last();
            if (last && last->code >= 100 && last->code < 200 &&
                (impl->lastVerb == "RETR" || impl->lastVerb == "STOR")) {
                impl->started = true;
            }
            if (last && last->code == 230 && !impl->loggedIn) {
                impl->loggedIn = true;
                if (impl->onLogin) {
                    impl->onLogin();
                }
            }
        } else if (type == CURLINFO_HEADER_OUT) {
            // Only the verb: the argument of PASS is the password.
            impl->lastVerb = std::string(text.substr(0, text.find_first_of(" \r\n")));
        }
        return 0;
    }

    static size_t writeToFd(char* data, size_t size, size_t count, void* self) {
        auto* impl = static_cast<Impl*>(self);
        const size_t total = size * count;
        if (impl->fd < 0) {
            return total; // the header lines a size check writes
        }
        if (impl->overLimit(impl->written + total)) {
            return 0; // ends the transfer with a write error
        }
        impl->written += total;
        size_t done = 0;
        while (done < total) {
            const ssize_t n = ::write(impl->fd, data + done, total - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                impl->fdErrno = errno;
                return 0; // ends the transfer with a write error
            }
            done += static_cast<size_t>(n);
        }
        return total;
    }

    static size_t readFromFd(char* data, size_t size, size_t count, void* self) {
        auto* impl = static_cast<Impl*>(self);
        for (;;) {
            const ssize_t n = ::read(impl->fd, data, size * count);
            if (n >= 0) {
                return static_cast<size_t>(n);
            }
            if (errno != EINTR) {
                impl->fdErrno = errno;
                return CURL_READFUNC_ABORT;
            }
        }
    }

    static int xferInfo(void* self, curl_off_t downTotal, curl_off_t downNow, curl_off_t,
                        curl_off_t upNow) {
        auto* impl = static_cast<Impl*>(self);
        if (impl->cancel->cancelled()) {
            return 1;
        }
        const curl_off_t now = std::max(downNow, upNow);
        impl->moved = std::max(impl->moved, static_cast<std::uint64_t>(now));
        if (impl->total == 0 && downTotal > 0) {
            impl->total = static_cast<std::uint64_t>(downTotal);
            if (impl->overLimit(impl->total)) {
                return 1; // announced too large: not a byte more
            }
        }
        if (now != impl->reported) {
            impl->reported = now;
            impl->progress->bytes(static_cast<std::uint64_t>(now), impl->total);
        }
        return 0;
    }
};

FtpSession::FtpSession(const ConnectionProfile& profile, const std::string& folder,
                       const LinkTimeouts& timeouts, const CancelToken& cancel,
                       LinkProgress& progress)
    : impl_(std::make_unique<Impl>()), address_(profile.address), port_(profile.ftpPort),
      timeouts_(timeouts),
      folderUrl_("ftp://" + hostPart(profile.address) + "/" + folderPath(folder)),
      currentFolder_(folder) {
    initialiseCurlOnce();
    impl_->cancel = &cancel;
    impl_->progress = &progress;
    impl_->pwd = curl_slist_append(nullptr, "PWD");
    CURL* c = impl_->curl = curl_easy_init();
    if (c == nullptr) {
        return;
    }
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, &Impl::debug);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, impl_.get());
    curl_easy_setopt(c, CURLOPT_USERNAME, profile.userName.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, profile.password.c_str());
    curl_easy_setopt(c, CURLOPT_PORT, static_cast<long>(profile.ftpPort));
    curl_easy_setopt(c, CURLOPT_FTPPORT, profile.passive ? nullptr : "-");
    curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    curl_easy_setopt(c, CURLOPT_ACCEPTTIMEOUT_MS, static_cast<long>(timeouts.connect.count()));
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, wholeSeconds(timeouts.reply));
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, wholeSeconds(timeouts.dataIdle));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Impl::xferInfo);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, impl_.get());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Impl::writeToFd);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, impl_.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, &Impl::readFromFd);
    curl_easy_setopt(c, CURLOPT_READDATA, impl_.get());
}

FtpSession::~FtpSession() {
    if (impl_->curl != nullptr) {
        curl_easy_cleanup(impl_->curl);
    }
    curl_slist_free_all(impl_->pwd);
    curl_slist_free_all(impl_->quote);
}

bool FtpSession::loggedIn() const {
    return impl_->loggedIn;
}

void FtpSession::onLogin(std::function<void()> then) {
    impl_->onLogin = std::move(then);
}

FtpStatus FtpSession::download(const std::string& name, int fd, std::uint64_t limit) {
    impl_->fd = fd;
    impl_->total = 0;
    impl_->limit = limit;
    FtpStatus status = perform(name, Kind::Download);
    status.announced = announcedSize();
    return status;
}

FtpStatus FtpSession::upload(const std::string& name, int fd, std::uint64_t size) {
    impl_->fd = fd;
    impl_->total = size;
    impl_->limit = 0;
    return perform(name, Kind::Upload);
}

FtpStatus FtpSession::size(const std::string& name, std::optional<std::uint64_t>& bytes) {
    impl_->fd = -1;
    impl_->limit = 0;
    FtpStatus status = perform(name, Kind::Size);
    bytes = status.ok() ? announcedSize() : std::nullopt;
    return status;
}

FtpStatus FtpSession::commands(const std::vector<std::string>& lines) {
    curl_slist_free_all(std::exchange(impl_->quote, nullptr));
    for (const auto& line : lines) {
        impl_->quote = curl_slist_append(impl_->quote, line.c_str());
    }
    impl_->fd = -1;
    impl_->limit = 0;
    return perform({}, Kind::Commands);
}

std::optional<std::uint64_t> FtpSession::announcedSize() const {
    curl_off_t length = -1;
    if (curl_easy_getinfo(impl_->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK ||
        length < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(length);
}

// A transfer is the first command of a session: libcurl stalls for a second when a data
// connection follows an earlier request on the same control connection.
FtpStatus FtpSession::perform(const std::string& name, Kind kind) {
    CURL* c = impl_->curl;
    if (c == nullptr) {
        return noConnection("the FTP client could not start");
    }
    if (auto problem = portProblem(port_)) {
        return noConnection("FTP " + *problem);
    }
    const bool transfer = kind == Kind::Download || kind == Kind::Upload;
    const std::string url = folderUrl_ + name;
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_NOBODY, transfer ? 0L : 1L);
    curl_easy_setopt(c, CURLOPT_UPLOAD, kind == Kind::Upload ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE,
                     kind == Kind::Upload ? static_cast<curl_off_t>(impl_->total) : -1);
    curl_easy_setopt(c, CURLOPT_POSTQUOTE,
                     transfer ? impl_->pwd : (kind == Kind::Commands ? impl_->quote : nullptr));
    impl_->replies.forget();
    impl_->fdErrno = 0;
    impl_->reported = -1;
    impl_->started = false;
    impl_->downloading = kind == Kind::Download;
    impl_->written = 0;
    impl_->tooLarge = false;
    impl_->moved = 0;
    const CURLcode code = curl_easy_perform(c);
    FtpStatus status = classify(code);
    if (status.ok() && transfer && impl_->replies.last()) {
        if (auto folder = quotedFolder(impl_->replies.last()->line)) {
            currentFolder_ = *folder;
        }
    }
    return status;
}

FtpStatus FtpSession::classify(int rawCode) const {
    const auto code = static_cast<CURLcode>(rawCode);
    FtpStatus status;
    status.started = impl_->started;
    status.moved = impl_->bytesMoved();
    if (code == CURLE_OK) {
        return status;
    }
    const auto& reply = impl_->replies.last();
    status.reply = reply ? reply->line : std::string();
    status.replyCode = reply ? reply->code : 0;
    const std::string& verb = impl_->lastVerb;
    if (impl_->tooLarge) {
        status.failure = FtpFailure::TooLarge;
    } else if (code == CURLE_ABORTED_BY_CALLBACK) {
        status.failure = FtpFailure::Cancelled;
    } else if (code == CURLE_LOGIN_DENIED || status.replyCode == 530) {
        status.failure = FtpFailure::LoginRefused;
    } else if (!impl_->everReplied || code == CURLE_COULDNT_CONNECT ||
               code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_URL_MALFORMAT) {
        status.failure = FtpFailure::NoConnection;
    } else if (code == CURLE_OPERATION_TIMEDOUT || code == CURLE_FTP_ACCEPT_TIMEOUT) {
        status.failure = FtpFailure::TimedOut;
    } else if (verb == "CWD" && status.replyCode >= 400) {
        status.failure = FtpFailure::NoFolder;
    } else if (code == CURLE_REMOTE_FILE_NOT_FOUND && !status.started) {
        status.failure = FtpFailure::NotFound;
    } else {
        status.failure = FtpFailure::TransferFailed;
    }
    status.detail =
        status.failure == FtpFailure::NoConnection ? connectionWords(code) : failureWords(code);
    return status;
}

// Which address and port, and what became of the connection; libcurl's own error text may
// hold a note from an earlier step (an active-mode address lookup), never the cause.
std::string FtpSession::connectionWords(int rawCode) const {
    const auto code = static_cast<CURLcode>(rawCode);
    CURL* c = impl_->curl;
    const std::string where = address_ + " port " + std::to_string(port_);
    long osErrno = 0;
    curl_easy_getinfo(c, CURLINFO_OS_ERRNO, &osErrno);
    curl_off_t connectTime = 0;
    curl_easy_getinfo(c, CURLINFO_CONNECT_TIME_T, &connectTime);
    if (code == CURLE_COULDNT_RESOLVE_HOST) {
        return "the name " + address_ + " is not known";
    }
    if (code == CURLE_URL_MALFORMAT) {
        return "\"" + address_ + "\" is not an address";
    }
    if (osErrno == ECONNREFUSED) {
        return where + " refused the connection";
    }
    if (connectTime > 0) {
        return code == CURLE_OPERATION_TIMEDOUT
                   ? where + " accepted the connection but sent no FTP greeting within " +
                         secondsText(timeouts_.reply)
                   : where + " closed the connection without an FTP greeting";
    }
    if (code == CURLE_OPERATION_TIMEDOUT) {
        return where + " did not answer within " + secondsText(timeouts_.connect);
    }
    if (osErrno != 0) {
        return where + " cannot be reached (" + std::strerror(static_cast<int>(osErrno)) + ")";
    }
    return where + ": " + curl_easy_strerror(code);
}

std::string FtpSession::failureWords(int rawCode) const {
    const auto code = static_cast<CURLcode>(rawCode);
    if (impl_->fdErrno != 0) {
        return std::string("local file: ") + std::strerror(impl_->fdErrno);
    }
    const std::uint64_t moved = impl_->bytesMoved();
    std::string progress = bytesText(moved);
    if (impl_->total != 0) {
        progress += " of " + bytesText(impl_->total);
    }
    progress += " bytes";
    if (impl_->tooLarge) {
        return (impl_->total > impl_->limit
                    ? "the Orvix offers " + bytesText(impl_->total) + " bytes"
                    : "the Orvix sent more than " + bytesText(impl_->limit) + " bytes") +
               "; such a file holds at most " + bytesText(impl_->limit);
    }
    // What went into the socket is no measure of what the server kept, so an upload gets no
    // count here; the caller asks the server.
    const std::string when = impl_->downloading ? " after " + progress : " during the upload";
    if (code == CURLE_OPERATION_TIMEDOUT || code == CURLE_FTP_ACCEPT_TIMEOUT) {
        return impl_->started ? "nothing moved for " + secondsText(timeouts_.dataIdle) + when
                              : "no reply within " + secondsText(timeouts_.reply);
    }
    if (impl_->started || moved > 0) {
        const auto& reply = impl_->replies.last();
        return reply && reply->code >= 400 ? "the transfer stopped" + when
                                           : "the connection broke" + when;
    }
    const auto& reply = impl_->replies.last();
    if (reply && reply->code >= 400) {
        return "refused";
    }
    return curl_easy_strerror(code);
}

} // namespace tavrino
