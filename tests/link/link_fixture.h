#pragma once

#include "link/link_context.h"
#include "receiver_sim_process.h"
#include "recording_prompter.h"
#include "test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavrino::test {
using namespace std::chrono_literals;

// Keeps what a workflow showed; can cancel once a transfer has moved some bytes.
class RecordingProgress : public LinkProgress {
public:
    void step(const std::string& text) override { steps.push_back(text); }
    void bytes(std::uint64_t done, std::uint64_t total) override {
        lastDone = done;
        lastTotal = total;
        if (cancelAfterBytes && done > 0) {
            cancelAfterBytes->cancel();
        }
    }
    void transcript(const TranscriptChange& change) override {
        if (change.cleared) {
            transcriptText.clear();
        }
        transcriptText += change.added;
    }

    std::vector<std::string> steps;
    std::uint64_t lastDone = 0;
    std::uint64_t lastTotal = 0;
    std::string transcriptText;
    CancelToken* cancelAfterBytes = nullptr;
};

inline const std::string simPassword = "s3cret-Pa55";

// A profile of that name and address whose colour was never set.
inline ConnectionProfile named(const std::string& name, const std::string& address = "10.0.0.1") {
    ConnectionProfile p = defaultProfile();
    p.profileName = name;
    p.address = address;
    p.foreColor.reset();
    return p;
}

// The one message told since the last look, which clears them: none or several fail the test.
inline Notice toldOnce(RecordingPrompter& prompter) {
    EXPECT_EQ(prompter.told.size(), 1u) << "one failure, one message";
    const Notice notice = prompter.told.empty() ? Notice{} : prompter.told.back();
    prompter.told.clear();
    return notice;
}

// A TCP socket on 127.0.0.1: bound only, connections to it are refused; listening, it takes
// them and says nothing.
class LoopbackSocket {
public:
    explicit LoopbackSocket(bool listening, int port = 0) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        socklen_t size = sizeof address;
        bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
                 (!listening || ::listen(fd_, 4) == 0);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackSocket() { ::close(fd_); }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    bool bound() const { return bound_; }
    int port() const { return port_; }
    // Whether anyone has connected (to a listening socket).
    bool connectedTo() const {
        const int peer = ::accept(fd_, nullptr, nullptr);
        if (peer >= 0) {
            ::close(peer);
        }
        return peer >= 0;
    }

private:
    int fd_ = -1;
    int port_ = 0;
    bool bound_ = false;
};

// A receiver simulator serving a generated folder, a data folder and everything a
// workflow needs, with waits short enough for tests.
class LinkFixture : public testing::Test {
protected:
    LinkFixture() { sample::writeFolder(receiverFiles, disk2()); }

    void startSim(std::vector<std::string> faults = {}) {
        faults.insert(faults.end(), {"--password", simPassword});
        sim = std::make_unique<ReceiverSim>(served.path(), faults);
        profile.ftpPort = sim->ftpPort();
        profile.telnetPort = sim->telnetPort();
    }

    LinkContext context() { return {profile, timeouts, data.path(), progress, prompter, cancel}; }
    Notice told() { return toldOnce(prompter); }

    std::filesystem::path disk2() const { return served / "DISK2"; }
    std::filesystem::path staging() const { return data / "tmp"; }
    std::string log() const { return readText(staging() / "FTPLog.txt"); }
    // Files of a folder whose names start with a dot: temporaries left behind.
    static std::vector<std::string> leftovers(const std::filesystem::path& folder) {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& e : std::filesystem::directory_iterator(folder, ignored)) {
            if (e.path().filename().string().front() == '.') {
                names.push_back(e.path().filename().string());
            }
        }
        return names;
    }

    TempDir served;
    TempDir data;
    sample::Files receiverFiles =
        sample::generate({.services = 200, .satellites = 4, .bouquets = 3});
    std::unique_ptr<ReceiverSim> sim;
    ConnectionProfile profile{"sim", "127.0.0.1", "root", simPassword, 21, 23, true, "[~]$", {}};
    LinkTimeouts timeouts{3s, 3s, 3s, 3s, 30ms};
    RecordingProgress progress;
    RecordingPrompter prompter;
    CancelToken cancel;
};

} // namespace tavrino::test
