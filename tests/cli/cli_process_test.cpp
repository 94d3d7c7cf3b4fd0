// The real tavrino-cli program, where a separate process is the point: several at once on one
// folder, Ctrl+C, and the exit statuses main() hands on.
#include "cli_runner.h"
#include "database/folder_lock.h"
#include "link/profiles.h"
#include "link_fixture.h"

#include <csignal>
#include <gmock/gmock.h>
#include <spawn.h>
#include <unistd.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using namespace testing;
using test::TempDir;

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::string cli() {
    return "timeout 60 " + std::string(TAVRINO_CLI) + " --data-dir " +
           quoted(test::cliDataFolder().path());
}

// Starts every command at once in the background and waits for all; returns each one's exit
// code (as the shell prints it) and stderr.
std::vector<std::pair<std::string, std::string>>
runTogether(const std::vector<std::string>& commands) {
    TempDir results;
    std::string script;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string n = (results / std::to_string(i)).string();
        script +=
            "(" + commands[i] + " >/dev/null 2>'" + n + ".err'; echo $? >'" + n + ".code') & ";
    }
    EXPECT_EQ(std::system((script + "wait").c_str()), 0);
    std::vector<std::pair<std::string, std::string>> ended;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string n = (results / std::to_string(i)).string();
        ended.emplace_back(test::readText(n + ".code"), test::readText(n + ".err"));
    }
    return ended;
}

// Each command holds the folder from its open to its save, so none loses another's edit, and
// an `info` in between neither removes a running save's temporaries nor reads half a save.
// Profiles added at once into one data folder are all kept too.
TEST(CliProgram, EditsOnOneFolderAtOnceAllLand) {
    TempDir rx, data;
    test::writeSample(rx.path(), {.services = 100, .satellites = 2, .bouquets = 0});
    loadProfiles(data.path());
    std::vector<std::string> commands;
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        commands.push_back(cli() + " bouquet-add " + quoted(rx.path()) + " A" + n);
        commands.push_back(cli() + " info " + quoted(rx.path()));
        commands.push_back(cli() + " bouquet-add " + quoted(rx.path()) + " B" + n);
        for (const std::string p : {"p", "q"}) {
            commands.push_back(std::string(TAVRINO_CLI) + " --data-dir " + quoted(data.path()) +
                               " profile-add " + p + n + " --address 10.0.0." + n);
        }
    }
    for (const auto& [code, err] : runTogether(commands)) {
        EXPECT_EQ(code, "0\n") << err;
    }
    EXPECT_EQ(loadProfiles(data.path()).profiles.size(), 9u);
    const std::string bouquets = test::runCli({"bouquets", rx.path().string()}).out;
    for (int i = 0; i < 4; ++i) {
        for (const std::string side : {"A", "B"}) {
            EXPECT_THAT(bouquets, HasSubstr("," + side + std::to_string(i) + ",")) << "is gone";
        }
    }
    EXPECT_EQ(test::entries(rx.path()),
              (std::set<std::string>{"all_channel.dat", "DVBS.dat", "antenna_list.dat"}));
}

// While another Tavrino holds the folder (here this test), a command waits a few seconds and
// then says so, changing nothing and leaving the other's temporaries alone. main() hands on
// the exit statuses 0, 1 and 2.
TEST(CliProgram, HandsOnItsExitStatusesAndRefusesAFolderHeldElsewhere) {
    TempDir rx;
    const auto files = test::writeSample(rx.path(), {.services = 30, .bouquets = 1});
    test::writeFile(rx / ".all_channel.dat.tmp-q1W2e3", Bytes(10, 7));
    std::string why;
    const auto held = FolderLock::tryAcquire(rx.path(), why);
    ASSERT_TRUE(held) << why;
    const std::string busy =
        rx.path().string() +
        " is being written by another Tavrino; try again when it has finished.";
    EXPECT_THAT(runTogether({cli() + " bouquet-add " + quoted(rx.path()) + " Late",
                             cli() + " info " + quoted(rx.path()), cli() + " --help",
                             cli() + " frobnicate", cli() + " info /no/such/folder"}),
                ElementsAre(Pair("2\n", busy + " Nothing was changed.\n"), Pair("2\n", busy + "\n"),
                            Pair("0\n", ""), Pair("1\n", _),
                            Pair("2\n", "/no/such/folder: not a folder\n")));
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), files.channel);
    EXPECT_TRUE(fs::exists(rx / ".all_channel.dat.tmp-q1W2e3"));
}

class CliInterrupt : public test::LinkFixture {};

// Ctrl+C during a download stops it cleanly: no partial file, nothing opened, exit 2.
TEST_F(CliInterrupt, CtrlCCancelsAReceiveAndLeavesNoPartialFile) {
    startSim({"--slow", "20000"});
    saveProfiles(data.path(), {profile});
    // The shell hands its process over to the program, which the signal then reaches.
    const std::string command = "exec " + std::string(TAVRINO_CLI) + " --data-dir " +
                                quoted(data.path()) + " receive 2>" + quoted(data / "err");
    const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(
        ::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ),
        0);
    for (int i = 0; i < 500 && leftovers(staging()).empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_FALSE(leftovers(staging()).empty()) << "the download did not start";
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal, not by the cancel";
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(test::readText(data / "err"), "receive: cancelled; nothing was opened\n");
    EXPECT_THAT(leftovers(staging()), IsEmpty());
    EXPECT_FALSE(fs::exists(staging() / "all_channel.dat"));
}

} // namespace
} // namespace tavrino
