// Real tavrino-cli processes on one folder at once, and folders a command must not write as
// they are (read-only files, links, a planted save journal).
#include "cli_runner.h"
#include "database/folder_lock.h"
#include "test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::CliRun;
using test::TempDir;

const TempDir& dataFolder() {
    static const TempDir folder;
    return folder;
}

std::string cli() {
    return "TAVRINO_HOME='" + dataFolder().path().string() + "' timeout 60 " +
           std::string(TAVRINO_CLI);
}

CliRun runCli(const std::string& args) {
    return test::runProgram(cli(), args);
}

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Starts every command at once in the background; each leaves its exit code and stderr in
// `results` as <n>.code and <n>.err.
void runTogether(const std::vector<std::string>& commands, const fs::path& results) {
    std::string script;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const std::string n = (results / std::to_string(i)).string();
        script += "(" + cli() + " " + commands[i] + " >/dev/null 2>'" + n + ".err'; echo $? >'" +
                  n + ".code') & ";
    }
    script += "wait";
    ASSERT_EQ(std::system(script.c_str()), 0);
}

std::string contents(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Each command holds the folder from its open to its save, so none loses another's edit, and
// an `info` in between neither removes a running save's temporaries nor reads half a save.
TEST(CliTwoProcesses, EditsOnOneFolderAtOnceAllLand) {
    TempDir rx, results;
    test::writeSample(rx.path(), {.services = 100, .satellites = 2, .bouquets = 0});
    std::vector<std::string> commands;
    for (int i = 0; i < 4; ++i) {
        commands.push_back("bouquet-add " + quoted(rx.path()) + " A" + std::to_string(i));
        commands.push_back("info " + quoted(rx.path()));
        commands.push_back("bouquet-add " + quoted(rx.path()) + " B" + std::to_string(i));
    }
    runTogether(commands, results.path());
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const fs::path n = results / std::to_string(i);
        EXPECT_EQ(contents(n.string() + ".code"), "0\n")
            << commands[i] << ": " << contents(n.string() + ".err");
    }
    const std::string bouquets = runCli("bouquets " + quoted(rx.path())).out;
    for (int i = 0; i < 4; ++i) {
        for (const char* side : {"A", "B"}) {
            EXPECT_NE(bouquets.find("," + std::string(side) + std::to_string(i) + ","),
                      std::string::npos)
                << side << i << " is gone:\n"
                << bouquets;
        }
    }
    EXPECT_EQ(test::entries(rx.path()),
              (std::set<std::string>{"all_channel.dat", "DVBS.dat", "antenna_list.dat"}));
}

// While another Tavrino holds the folder (here this test), a command waits a few seconds and
// then says so, changing nothing and leaving the other's temporaries alone.
TEST(CliTwoProcesses, AFolderHeldElsewhereIsRefusedWithExitTwo) {
    TempDir rx, results;
    const auto files = test::writeSample(rx.path(), {.services = 30, .bouquets = 1});
    test::writeFile(rx / ".all_channel.dat.tmp-q1W2e3", Bytes(10, 7));
    std::string why;
    const auto held = FolderLock::tryAcquire(rx.path(), why);
    ASSERT_TRUE(held) << why;
    runTogether({"bouquet-add " + quoted(rx.path()) + " Late", "info " + quoted(rx.path())},
                results.path());
    const std::string busy =
        rx.path().string() +
        " is being written by another Tavrino; try again when it has finished.";
    EXPECT_EQ(contents(results / "0.code"), "2\n");
    EXPECT_EQ(contents(results / "0.err"), busy + " Nothing was changed.\n");
    EXPECT_EQ(contents(results / "1.code"), "2\n");
    EXPECT_EQ(contents(results / "1.err"), busy + "\n");
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), files.channel);
    EXPECT_TRUE(fs::exists(rx / ".all_channel.dat.tmp-q1W2e3"));
}

TEST(CliFolders, ReadOnlyFilesAreReplacedOnlyWithForce) {
    TempDir in, out;
    test::writeSample(in.path(), {.services = 40, .seed = 1});
    const auto old = test::writeSample(out.path(), {.services = 20, .seed = 2});
    for (const char* name : {"all_channel.dat", "DVBS.dat"}) {
        ::chmod((out / name).c_str(), 0444);
    }
    const std::string args = "resave " + quoted(in.path()) + " " + quoted(out.path());
    const CliRun refused = runCli(args + " --no-backup");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, out.path().string() +
                               ": all_channel.dat, DVBS.dat are read-only; nothing was written "
                               "(--force replaces read-only files)\n");
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), old.channel);

    const CliRun forced = runCli(args + " --no-backup --force");
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), test::readFile(in / "all_channel.dat"));
    struct stat info {};
    ::stat((out / "all_channel.dat").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
}

TEST(CliFolders, AReceiverFileThatIsALinkIsRefusedAndNotCopied) {
    TempDir in, out, secret, data;
    test::writeSample(in.path(), {.services = 40, .seed = 1});
    const auto old = test::writeSample(out.path(), {.services = 20, .seed = 2});
    test::writeFile(secret / "owner-only.dat", old.dvbs);
    ::chmod((secret / "owner-only.dat").c_str(), 0600);
    fs::remove(out / "DVBS.dat");
    fs::create_symlink(secret / "owner-only.dat", out / "DVBS.dat");
    const CliRun run = runCli("--data-dir " + quoted(data.path()) + " resave " + quoted(in.path()) +
                              " " + quoted(out.path()));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.rfind((out / "DVBS.dat").string() +
                                " could not be written: it is a symbolic link to " +
                                (secret / "owner-only.dat").string(),
                            0),
              0u)
        << run.err;
    EXPECT_TRUE(fs::is_symlink(out / "DVBS.dat"));
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), old.channel);
    EXPECT_FALSE(fs::exists(data / "backups" / "files")) << "nothing of the link was copied";
}

// The case of the report: a journal naming other files made `info` delete one and overwrite
// the other.
TEST(CliFolders, APlantedJournalIsRefusedAndNothingIsTouched) {
    TempDir rx;
    test::writeSample(rx.path(), {.services = 20});
    const std::string journal = "tavrino save 1 undo\nthesis.pdf\t.thesis.pdf.tmp-Ab12C0\t-\n"
                                "notes.txt\t.notes.txt.tmp-Ab12C1\t-\n";
    test::writeFile(rx / ".tavrino-save", Bytes(journal.begin(), journal.end()));
    test::writeFile(rx / "thesis.pdf", Bytes(5, 1));
    test::writeFile(rx / "notes.txt", Bytes(5, 2));
    test::writeFile(rx / ".notes.txt.tmp-Ab12C1", Bytes(5, 3));
    const auto before = test::entries(rx.path());
    const CliRun run = runCli("info " + quoted(rx.path()));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("is not a step of a save"), std::string::npos) << run.err;
    EXPECT_EQ(test::entries(rx.path()), before);
    EXPECT_EQ(test::readFile(rx / "thesis.pdf"), Bytes(5, 1));
    EXPECT_EQ(test::readFile(rx / "notes.txt"), Bytes(5, 2));
}

} // namespace
} // namespace tavrino
