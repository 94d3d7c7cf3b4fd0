// The command line's reading commands, its usage and its exit statuses, run in-process.
#include "cli_runner.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::CliRun;
using test::lines;
using test::runCli;
using test::TempDir;

class CliRead : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempDir;
        test::writeSample(folder->path(), {.services = 300, .satellites = 5, .bouquets = 4});
    }
    static void TearDownTestSuite() { delete folder; }
    static std::string dir() { return folder->path().string(); }
    static TempDir* folder;
};
TempDir* CliRead::folder = nullptr;

TEST_F(CliRead, ServicesPrintsTheTableAsCsvFilteredAndSortedLikeTheWindow) {
    const CliRun all = runCli({"services", dir()});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    const auto rows = lines(all.out);
    ASSERT_EQ(rows.size(), 301u);
    EXPECT_EQ(rows[0], "Service,Provider,Type,Satellite,Frequency,Pol,TID,NID,SID,VPID,APID,PMT,"
                       "PCR,TXT,SatPos,FLAG,type,countryid,genreid,video_tag,audio_tag,HDFlag,"
                       "Lokacija");
    EXPECT_NE(rows[1].find(",1596824"), std::string::npos) << "first record offset last";

    const CliRun radio = runCli({"services", dir(), "--type", "Radio", "--sort", "Frequency:desc"});
    ASSERT_EQ(radio.exitCode, 0) << radio.err;
    long long previous = LLONG_MAX;
    for (const auto& row : lines(radio.out)) {
        if (row.rfind("Service,", 0) != 0) {
            EXPECT_NE(row.find(",Radio,"), std::string::npos) << row;
            std::size_t at = 0;
            for (int column = 0; column < 4; ++column) {
                at = row.find(',', at) + 1;
            }
            EXPECT_LE(std::stoll(row.substr(at)), previous);
            previous = std::stoll(row.substr(at));
        }
    }
    const CliRun table =
        runCli({"--format", "table", "services", dir(), "--satellite", "Hot Bird 13°E"});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out.rfind("Service ", 0), 0u);
}

TEST_F(CliRead, ListsBouquetsSatellitesTranspondersAntennaAndInfo) {
    struct Case {
        std::vector<std::string> args;
        std::string header;
    };
    for (const Case& c : {
             Case{{"bouquets", dir()}, "Row,Record,Name,Items"},
             Case{{"bouquet", dir(), "1"},
                  "Service,Tun.,Satellite,type,chbroj,reserved,satbr,"
                  "frequency,Polariz,sid,nid,tid,link"},
             Case{{"satellites", dir()}, "Index,Name,Position,EW,Transponders"},
             Case{{"transponders", dir(), "0"},
                  "Index,Frequency,NID,TID,SR,FEC,Pol,WeFlag,Pilot,"
                  "Position,EW,ModSys,ModType"},
             Case{{"antenna", dir()},
                  "Index,Line,NetIndex,NitSearch,Tsel,LnbType,LnbFreq,Power,"
                  "22kHz,Switch,DiSEqC,Motor,Order,Committed,Uncommitted,"
                  "MotorPosition"},
             Case{{"info", dir()}, "version: 10"},
         }) {
        const CliRun run = runCli(c.args);
        ASSERT_EQ(run.exitCode, 0) << c.args[0] << ": " << run.err;
        EXPECT_EQ(lines(run.out).at(0), c.header) << c.args[0];
    }
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
    test::writeFile(top / "bad.csv", Bytes{'A', ',', '1', '\n'});
    const std::string at = top.path().string() + "/";
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string err;
    };
    for (const Case& c : std::vector<Case>{
             {{}, 1, "Usage"},
             {{"frobnicate"}, 1, "unknown command"},
             {{"services"}, 1, "missing DIR"},
             {{"services", dir(), "--type", "Tv"}, 1, "TV or Radio"},
             {{"services", dir(), "--sort", "Nope"}, 1, "no column"},
             {{"bouquet", dir(), "99"}, 1, "ROW must be"},
             {{"bouquet-add-services", dir(), "2", "--services", ""}, 1, "FLAG:SID pairs"},
             {{"bouquet-rename", dir(), "1", ""}, 1, "NAME must not be empty"},
             {{"bouquet-dedupe", dir(), "first"}, 1, "ROW must be a whole number"},
             {{"duplicates", dir(), "extra"}, 1, "unexpected argument 'extra'"},
             {{"--data-dir"}, 1, "--data-dir needs a value"},
             {{"--data-dir", "", "info", dir()}, 1, "--data-dir needs a value"},
             {{"--codepage", "KLINGON", "info", dir()}, 1, "unknown code page 'KLINGON'"},
             {{"diff", dir()}, 2, "missing DIR2"}, // diff keeps 1 for "different"
             {{"diff", dir(), dir(), "--only", "items"}, 2, "--only must be services"},
             {{"send", dir(), "--only", "services"}, 1, "--only needs --dry-run"},
             {{"receive", "--timeout", "0"}, 1, "--timeout must be"},
             {{"profile-add", "other"}, 1, "--address is needed"},
             {{"make-sample", dir()}, 2, "--force replaces them"},
             {{"info", at + "broken"},
              2,
              at + "broken/all_channel.dat: Version < 6 is not supported"},
             {{"info", at + "loop"},
              2,
              at + "loop: not a folder (Too many levels of symbolic links)\n"},
             {{"make-sample", at + "file"},
              2,
              at + "file could not be written: it is a file, not a folder.\n"},
             {{"make-sample", at + "file/below"},
              2,
              at + "file/below could not be written: it lies under a file.\n"},
             {{"resave", dir(), at + "file"},
              2,
              at + "file could not be written: it is a file, not a folder.\n"},
             {{"apply-bouquets", dir(), at + "bad.csv"},
              2,
              at + "bad.csv is damaged: line 1: the first line is not the header"},
             {{"receive", "--profile", "nobody"}, 2, "Profiles.ini: no profile named 'nobody'"},
         }) {
        const CliRun run = runCli(c.args);
        const std::string args = c.args.empty() ? "" : c.args[0];
        EXPECT_EQ(run.exitCode, c.exitCode) << args;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << args << ": " << run.err;
        EXPECT_EQ(run.out, "") << args;
        if (c.exitCode == 2) {
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line";
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
    for (const std::string& command : commands) {
        const CliRun run = runCli({command, "--help"});
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_EQ(run.out.rfind("Usage: tavrino-cli " + command + " ", 0), 0u) << command;
        bool writes = command == "resave" || command == "apply-bouquets";
        for (const char* prefix :
             {"bouquet-", "service-", "satellite-", "transponder-", "import-"}) {
            writes = writes || command.rfind(prefix, 0) == 0;
        }
        EXPECT_EQ(run.out.find("\n--no-backup  do not copy") != std::string::npos, writes)
            << command;
    }
}

TEST_F(CliRead, ASaveCutShortIsReportedOnOneLineAndTheCommandCarriesOn) {
    TempDir rx;
    test::writeSample(rx.path(), {.services = 10});
    test::writeFile(rx / ".all_channel.dat.tmp-a1B2c3", Bytes(100, 1));
    const CliRun run = runCli({"info", rx.path().string()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "Removed 1 temporary file that an interrupted save had left in " +
                           rx.path().string() + ".\n");
    EXPECT_EQ(lines(run.out).at(0), "version: 10");
}

TEST_F(CliRead, ResaveAndMakeSampleWriteFolders) {
    TempDir out;
    ASSERT_EQ(runCli({"resave", dir(), out.path().string()}).exitCode, 0);
    EXPECT_EQ(test::readFile(out / "all_channel.dat"),
              test::readFile(folder->path() / "all_channel.dat"));
    const std::string made = (out / "made").string();
    ASSERT_EQ(runCli({"make-sample", made, "--services", "50", "--satellites", "2", "--bouquets",
                      "1", "--version", "6", "--seed", "3"})
                  .exitCode,
              0);
    EXPECT_EQ(
        test::readFile(out / "made" / "all_channel.dat"),
        sample::generate({.services = 50, .satellites = 2, .bouquets = 1, .version = 6, .seed = 3})
            .channel);
    const CliRun rescanned =
        runCli({"make-sample", made, "--services", "500", "--rescan", "3", "--force"});
    ASSERT_EQ(rescanned.exitCode, 0) << rescanned.err;
    const auto rescan = sample::rescan(sample::generate({.services = 500}), {.seed = 3});
    EXPECT_EQ(test::readFile(out / "made" / "all_channel.dat"), rescan.files.channel);
    EXPECT_NE(
        runCli({"info", made}).out.find("services: " + std::to_string(500 - rescan.removed.size())),
        std::string::npos);
}

} // namespace
} // namespace tavrino
