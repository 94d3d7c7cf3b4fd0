#include "link/byte_stream.h"
#include "link/link_messages.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavrino {

namespace {

using Clock = std::chrono::steady_clock;
constexpr Milliseconds slice{100}; // how often a wait looks at the cancel token

int pollFor(int fd, short events, Milliseconds wait) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, static_cast<int>(wait.count()));
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

} // namespace

std::optional<std::string> TcpStream::connect(const std::string& host, int port, Milliseconds limit,
                                              const CancelToken& cancel) {
    close();
    if (auto problem = portProblem(port)) {
        return problem; // getaddrinfo would take 99999 modulo 65536
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
        return std::string(::gai_strerror(rc));
    }
    std::optional<std::string> why = std::string("no address");
    for (const addrinfo* a = found; a != nullptr && why; a = a->ai_next) {
        why = connectTo(a->ai_addr, a->ai_addrlen, a->ai_family, limit, cancel);
    }
    ::freeaddrinfo(found);
    return why;
}

std::optional<std::string> TcpStream::connectTo(const void* address, unsigned length, int family,
                                                Milliseconds limit, const CancelToken& cancel) {
    fd_ = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        return std::string(std::strerror(errno));
    }
    if (::connect(fd_, static_cast<const sockaddr*>(address), length) == 0) {
        return std::nullopt;
    }
    if (errno != EINPROGRESS) {
        const std::string why = std::strerror(errno);
        close();
        return why;
    }
    const auto deadline = Clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now());
        if (cancel.cancelled()) {
            close();
            return std::string("cancelled");
        }
        if (left.count() <= 0) {
            close();
            return "no answer within " + secondsText(limit);
        }
        if (pollFor(fd_, POLLOUT, std::min(left, slice)) > 0) {
            break;
        }
    }
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) {
        close();
        return std::string(std::strerror(error));
    }
    return std::nullopt;
}

bool TcpStream::send(std::string_view bytes) {
    while (!bytes.empty() && fd_ >= 0) {
        const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollFor(fd_, POLLOUT, slice);
        } else {
            return false;
        }
    }
    return bytes.empty();
}

ByteStream::Read TcpStream::receive(std::string& chunk, Milliseconds wait) {
    chunk.clear();
    if (fd_ < 0) {
        return Read::Closed;
    }
    if (pollFor(fd_, POLLIN, wait) <= 0) {
        return Read::Idle;
    }
    char buffer[4096];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n > 0) {
        chunk.assign(buffer, static_cast<std::size_t>(n));
        return Read::Data;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
        return Read::Idle;
    }
    return Read::Closed;
}

void TcpStream::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace tavrino
