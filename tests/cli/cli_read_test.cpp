// The command line's reading commands, its usage and its exit statuses, run in-process.
#include "cli_runner.h"
#include "common/csv.h"
#include "services/service_columns.h"

#include <gmock/gmock.h>
#include <regex>
#include <tuple>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using namespace testing;
using test::CliRun;
using test::lines;
using test::runCli;
using test::TempDir;

class CliRead : public testing::Test {
protected:
    // One sample for every test, written once.
    static std::string dir() {
        static const TempDir folder;
        static const auto files =
            test::writeSample(folder.path(), {.services = 300, .satellites = 5, .bouquets = 4});
        return folder.path().string();
    }
};

// Filtering and sorting are the service table's; here the options reach it.
TEST_F(CliRead, ServicesTakesTheWindowsFilterAndSortAndEitherFormat) {
    const auto all = lines(runCli({"services", dir()}).out);
    ASSERT_EQ(all.size(), 301u);
    EXPECT_EQ(all[0].substr(0, 26), "Service,Provider,Type,Sate");
    EXPECT_THAT(all[1], HasSubstr(",1596824")) << "first record offset last";
    auto radio =
        lines(runCli({"services", dir(), "--type", "Radio", "--sort", "Frequency:desc"}).out);
    ASSERT_GT(radio.size(), 2u);
    radio.erase(radio.begin());
    EXPECT_THAT(radio, Each(HasSubstr(",Radio,")));
    const auto frequency = [](const std::string& row) {
        return std::stoll(csv::parse(row).at(0).fields.at(colFrequency));
    };
    EXPECT_GE(frequency(radio.front()), frequency(radio.back()));
    EXPECT_THAT(
        runCli({"--format", "table", "services", dir(), "--satellite", "Hot Bird 13°E"}).out,
        StartsWith("Service "));
    EXPECT_EQ(lines(runCli({"bouquet", dir(), "1"}).out).size(), 201u); // the first is full
}

// Wrong usage exits 1; a refused or damaged input exits 2 with one line naming the file and
// the problem (the core's tests pin the reading of damaged and special files).
TEST_F(CliRead, ExitStatusesTellUsageFromRefusal) {
    TempDir top;
    auto files = sample::generate({.services = 10});
    files.channel[0] = 5;
    sample::writeFolder(files, top / "broken");
    fs::create_directory_symlink("loop", top / "loop");
    test::writeFile(top / "file", Bytes{1});
    const std::string at = top.path().string() + "/";
    using Case = std::tuple<std::vector<std::string>, int, std::string>;
    for (const auto& [args, exitCode, err] : std::vector<Case>{
             {{}, 1, "Usage"},
             {{"frobnicate"}, 1, "unknown command"},
             {{"services", dir(), "--type", "Tv"}, 1, "TV or Radio"},
             {{"bouquet-add-services", dir(), "2", "--services", ""}, 1, "FLAG:SID pairs"},
             {{"bouquet-rename", dir(), "1", ""}, 1, "NAME must not be empty"},
             {{"duplicates", dir(), "extra"}, 1, "unexpected argument 'extra'"},
             {{"--data-dir", "", "info", dir()}, 1, "--data-dir needs a value"},
             {{"--codepage", "KLINGON", "info", dir()}, 1, "unknown code page 'KLINGON'"},
             {{"diff", dir()}, 2, "missing DIR2"}, // diff keeps 1 for "different"
             {{"diff", dir(), dir(), "--only", "items"}, 2, "--only must be services"},
             {{"send", dir(), "--only", "services"}, 1, "--only needs --dry-run"},
             {{"receive", "--timeout", "0"}, 1, "--timeout must be"},
             {{"profile-add", "other"}, 1, "--address is needed"},
             {{"profile-add", "other", "--address", "a", "--ftp-port", "x"}, 1, "--ftp-port must"},
             {{"make-sample", dir()}, 2, "--force replaces them"},
             {{"info", at + "broken"}, 2, at + "broken/all_channel.dat: Version < 6"},
             {{"info", at + "loop"}, 2, at + "loop: not a folder (Too many levels"},
             {{"resave", dir(), at + "file"}, 2, at + "file could not be written: it is a file"},
             {{"receive", "--profile", "nobody"}, 2, "Profiles.ini: no profile named 'nobody'"},
         }) {
        SCOPED_TRACE(args.empty() ? "" : args[0]);
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_THAT(run.err, HasSubstr(err));
        EXPECT_EQ(run.out, "");
        if (exitCode == 2) {
            EXPECT_EQ(lines(run.err).size(), 1u) << "one line";
        }
    }
    EXPECT_EQ(test::readFile(top / "file"), Bytes{1});
}

// Every command has help; those that write a folder name --no-backup and --force.
TEST_F(CliRead, EveryCommandHasHelp) {
    const CliRun usage = runCli({"--help"});
    ASSERT_EQ(usage.exitCode, 0);
    std::vector<std::string> commands;
    for (const auto& line : lines(usage.out)) {
        if (line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
            commands.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
    }
    ASSERT_GE(commands.size(), 35u);
    const std::regex writes(
        "resave|apply-bouquets|(bouquet|service|satellite|transponder|import)-.*");
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const CliRun run = runCli({command, "--help"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_THAT(run.out, StartsWith("Usage: tavrino-cli " + command + " "));
        EXPECT_EQ(run.out.find("\n--no-backup  do not copy") != std::string::npos,
                  std::regex_match(command, writes));
    }
}

} // namespace
} // namespace tavrino
