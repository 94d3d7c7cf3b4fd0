#include "receiver_sim_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavrino::test {
namespace fs = std::filesystem;

namespace {

// Reads the "READY ftp=N telnet=M" line, giving up after `limit`.
std::string readyLine(int fd, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string line;
    char c = 0;
    while (line.empty() || line.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0 ||
            ::read(fd, &c, 1) != 1) {
            break;
        }
        line += c;
    }
    return line;
}

} // namespace

ReceiverSim::ReceiverSim(const fs::path& root, std::vector<std::string> options)
    : record_(root / "shell-commands.txt") {
    std::vector<std::string> words = {TAVRINO_PYTHON, TAVRINO_RECEIVER_SIM, "--root",
                                      root.string(),  "--record",           record_.string()};
    words.insert(words.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);

    int out[2];
    if (::pipe(out) != 0) {
        throw std::runtime_error("receiver simulator: no pipe");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        pid_ = -1;
        throw std::runtime_error("receiver simulator: cannot start " + words[0]);
    }
    const std::string line = readyLine(out[0], std::chrono::seconds(20));
    ::close(out[0]);
    if (std::sscanf(line.c_str(), "READY ftp=%d telnet=%d", &ftpPort_, &telnetPort_) != 2) {
        stop();
        throw std::runtime_error("receiver simulator did not start: '" + line + "'");
    }
}

ReceiverSim::~ReceiverSim() {
    stop();
}

void ReceiverSim::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
}

std::vector<std::string> ReceiverSim::commands() const {
    std::ifstream in(record_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

} // namespace tavrino::test
