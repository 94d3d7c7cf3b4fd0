#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tavrino::test {

// A tiny HTTP server on 127.0.0.1 that the test starts: each path answers as set up, and
// every request's head is kept so the test can check what the client sent.
class LoopbackHttp {
public:
    struct Answer {
        int status = 200;
        std::string body;
        std::chrono::milliseconds delay{0}; // before the answer: a slow server
        std::string location;               // a Location header, for redirects
    };

    LoopbackHttp();
    ~LoopbackHttp();
    LoopbackHttp(const LoopbackHttp&) = delete;
    LoopbackHttp& operator=(const LoopbackHttp&) = delete;

    void answer(const std::string& path, Answer answer);
    std::string url(const std::string& path) const;
    std::vector<std::string> requests() const; // request heads, in arrival order

private:
    void acceptLoop();
    void serve(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    std::map<std::string, Answer> answers_;
    std::vector<std::string> requests_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

} // namespace tavrino::test
