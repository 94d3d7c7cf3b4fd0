#include "loopback_http.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace tavrino::test {

LoopbackHttp::LoopbackHttp() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("the loopback HTTP server could not listen");
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackHttp::~LoopbackHttp() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    stopped_.notify_all();
    ::shutdown(listener_, SHUT_RDWR); // wakes the accept
    acceptor_.join();
    for (auto& worker : workers_) {
        worker.join();
    }
    ::close(listener_);
}

void LoopbackHttp::answer(const std::string& path, Answer answer) {
    const std::lock_guard lock(mutex_);
    answers_[path] = std::move(answer);
}

std::string LoopbackHttp::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<std::string> LoopbackHttp::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackHttp::acceptLoop() {
    while (!stop_) {
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0) {
            workers_.emplace_back([this, client] { serve(client); });
        }
    }
}

void LoopbackHttp::serve(int client) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && !stop_) {
        pollfd p{client, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) {
            continue;
        }
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        head.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t start = head.find(' ') + 1;
    const std::string path = head.substr(start, head.find(' ', start) - start);
    Answer answer{404, "not here", {}, {}};
    std::unique_lock lock(mutex_);
    requests_.push_back(head);
    if (const auto it = answers_.find(path); it != answers_.end()) {
        answer = it->second;
    }
    // A slow answer gives way when the server goes.
    if (!stopped_.wait_for(lock, answer.delay, [this] { return stop_.load(); })) {
        lock.unlock();
        std::string reply =
            "HTTP/1.1 " + std::to_string(answer.status) + " Test\r\n" +
            "Content-Length: " + std::to_string(answer.body.size()) + "\r\n" +
            (answer.location.empty() ? "" : "Location: " + answer.location + "\r\n") +
            "Connection: close\r\n\r\n" + answer.body;
        ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    ::close(client);
}

} // namespace tavrino::test
