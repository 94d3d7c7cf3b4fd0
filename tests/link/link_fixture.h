#pragma once

#include "link/link_context.h"
#include "receiver_sim_process.h"
#include "recording_prompter.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <memory>
#include <mutex>

namespace tavrino::test {

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

// A receiver simulator serving a generated folder, a data folder and everything a
// workflow needs, with waits short enough for tests.
class LinkFixture : public testing::Test {
protected:
    LinkFixture() {
        receiverFiles = sample::generate({.services = 200, .satellites = 4, .bouquets = 3});
        sample::writeFolder(receiverFiles, disk2());
        profile.profileName = "sim";
        profile.address = "127.0.0.1";
        profile.userName = "root";
        profile.password = simPassword;
        profile.passive = true;
        profile.prompt = "[~]$";
        timeouts = {Milliseconds{3000}, Milliseconds{3000}, Milliseconds{3000}, Milliseconds{3000},
                    Milliseconds{30}};
    }

    void startSim(std::vector<std::string> faults = {}) {
        faults.insert(faults.end(), {"--password", simPassword});
        sim = std::make_unique<ReceiverSim>(served.path(), faults);
        profile.ftpPort = sim->ftpPort();
        profile.telnetPort = sim->telnetPort();
    }

    LinkContext context() { return {profile, timeouts, data.path(), progress, prompter, cancel}; }

    std::filesystem::path disk2() const { return served / "DISK2"; }
    std::filesystem::path staging() const { return data / "tmp"; }
    std::string log() const {
        const Bytes bytes = readFile(staging() / "FTPLog.txt");
        return {bytes.begin(), bytes.end()};
    }
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
    sample::Files receiverFiles;
    std::unique_ptr<ReceiverSim> sim;
    ConnectionProfile profile;
    LinkTimeouts timeouts;
    RecordingProgress progress;
    RecordingPrompter prompter;
    CancelToken cancel;
};

} // namespace tavrino::test
