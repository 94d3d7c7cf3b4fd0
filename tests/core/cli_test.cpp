#include "cli_runner.h"
#include "database/layout.h"
#include "test_support.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace tavrino {
namespace {
using test::TempDir;

using test::CliRun;
using test::lines;

// The data folder every command of this test run uses (backups land there).
const TempDir& dataFolder() {
    static const TempDir folder;
    return folder;
}

CliRun runCli(const std::string& args) {
    // timeout: a command that hangs fails the test instead of stopping the suite.
    return test::runProgram("TAVRINO_HOME=" + dataFolder().path().string() + " timeout 60 " +
                                std::string(TAVRINO_CLI),
                            args);
}

class CliTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempDir;
        test::writeSample(folder->path(), {.services = 300, .satellites = 5, .bouquets = 4});
    }
    static void TearDownTestSuite() { delete folder; }
    static std::string dir() { return "'" + folder->path().string() + "'"; }
    static TempDir* folder;
};
TempDir* CliTest::folder = nullptr;

TEST_F(CliTest, ServicesPrintsTheTableAsCsv) {
    const CliRun run = runCli("services " + dir());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 301u);
    EXPECT_EQ(rows[0], "Service,Provider,Type,Satellite,Frequency,Pol,TID,NID,SID,VPID,APID,PMT,"
                       "PCR,TXT,SatPos,FLAG,type,countryid,genreid,video_tag,audio_tag,HDFlag,"
                       "Lokacija");
    EXPECT_NE(rows[1].find(",1596824"), std::string::npos) << "first record offset last";
}

TEST_F(CliTest, FiltersAndSortsLikeTheWindow) {
    const CliRun radio = runCli("services " + dir() + " --type Radio --sort Frequency:desc");
    ASSERT_EQ(radio.exitCode, 0) << radio.err;
    long long previous = LLONG_MAX;
    for (const auto& row : lines(radio.out)) {
        if (row.rfind("Service,", 0) == 0) {
            continue;
        }
        EXPECT_NE(row.find(",Radio,"), std::string::npos) << row;
        long long frequency = 0;
        int column = 0;
        std::size_t at = 0;
        for (; column < 4; ++column) {
            at = row.find(',', at) + 1;
        }
        frequency = std::stoll(row.substr(at));
        EXPECT_LE(frequency, previous);
        previous = frequency;
    }
    const CliRun table =
        runCli("--format table services " + dir() + " --satellite 'Hot Bird 13°E'");
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out.rfind("Service ", 0), 0u);
}

TEST_F(CliTest, ListsBouquetsSatellitesTranspondersAntennaAndInfo) {
    struct Case {
        std::string args;
        std::string header;
    };
    for (const Case& c : {
             Case{"bouquets " + dir(), "Row,Record,Name,Items"},
             Case{"bouquet " + dir() + " 1", "Service,Tun.,Satellite,type,chbroj,reserved,satbr,"
                                             "frequency,Polariz,sid,nid,tid,link"},
             Case{"satellites " + dir(), "Index,Name,Position,EW,Transponders"},
             Case{"transponders " + dir() + " 0", "Index,Frequency,NID,TID,SR,FEC,Pol,WeFlag,"
                                                  "Pilot,Position,EW,ModSys,ModType"},
             Case{"antenna " + dir(), "Index,Line,NetIndex,NitSearch,Tsel,LnbType,LnbFreq,Power,"
                                      "22kHz,Switch,DiSEqC,Motor,Order,Committed,Uncommitted,"
                                      "MotorPosition"},
             Case{"info " + dir(), "version: 10"},
         }) {
        const CliRun run = runCli(c.args);
        ASSERT_EQ(run.exitCode, 0) << c.args << ": " << run.err;
        EXPECT_EQ(lines(run.out).at(0), c.header) << c.args;
    }
    EXPECT_EQ(lines(runCli("bouquet " + dir() + " 1").out).size(), 201u); // the first is full
}

TEST_F(CliTest, ExitCodesTellUsageFromRefusal) {
    TempDir broken;
    auto files = sample::generate({});
    files.channel[0] = 5;
    sample::writeFolder(files, broken.path());
    struct Case {
        std::string args;
        int exitCode;
        std::string err;
    };
    for (const Case& c : {
             Case{"", 1, "Usage"},
             Case{"frobnicate", 1, "unknown command"},
             Case{"services", 1, "missing DIR"},
             Case{"services " + dir() + " --type Tv", 1, "TV or Radio"},
             Case{"services " + dir() + " --sort Nope", 1, "no column"},
             Case{"bouquet " + dir() + " 99", 1, "ROW must be"},
             Case{"info '" + broken.path().string() + "'", 2,
                  (broken / "all_channel.dat").string() + ": Version < 6 is not supported"},
             Case{"info /no/such/folder", 2, "/no/such/folder: not a folder"},
             Case{"bouquet-add-services " + dir() + " 2 --services ''", 1, "FLAG:SID pairs"},
             Case{"bouquet-rename " + dir() + " 1 ''", 1, "NAME must not be empty"},
             Case{"--data-dir", 1, "--data-dir needs a value"},
             Case{"--data-dir '' info " + dir(), 1, "--data-dir needs a value"},
             Case{"make-sample " + dir(), 2, "--force replaces them"},
         }) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << ": " << run.err;
        if (c.exitCode == 2) {
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line";
        }
    }
}

TEST(CliBouquets, EditingCommandsWriteTheFolder) {
    TempDir rx;
    test::writeSample(rx.path(), {.services = 200, .satellites = 3, .bouquets = 2});
    const std::string dir = "'" + rx.path().string() + "'";
    struct Step {
        std::string args;
        int exitCode;
        std::vector<std::string> bouquets; // the bouquet list afterwards: "Name,Items"
    };
    const std::vector<Step> steps = {
        {"bouquet-add " + dir + " 'Neu ü'", 0, {"Favoriten,200", "Sport & Spaß,", "Neu ü,0"}},
        {"bouquet-move " + dir + " 3 1", 0, {"Neu ü,0", "Favoriten,200", "Sport & Spaß,"}},
        {"bouquet-add-services " + dir + " 1 --type Radio --limit 5", 0, {"Neu ü,5"}},
        {"bouquet-remove-items " + dir + " 1 1 3", 0, {"Neu ü,3"}},
        {"bouquet-add-services " + dir + " 2 --type TV", 2, {"Neu ü,3", "Favoriten,200"}},
        {"bouquet-rename " + dir + " 1 Mine", 0, {"Mine,3"}},
        {"bouquet-insert " + dir + " 1 First", 0, {"First,0", "Mine,3"}},
        {"bouquet-remove " + dir + " 1", 0, {"Mine,3", "Favoriten,200"}},
        {"bouquet-add " + dir + " 'Česko'", 2, {"Mine,3"}},
        {"bouquet-rename " + dir + " 9 X", 1, {"Mine,3"}},
    };
    for (const Step& step : steps) {
        const CliRun run = runCli(step.args);
        EXPECT_EQ(run.exitCode, step.exitCode) << step.args << ": " << run.err;
        const auto rows = lines(runCli("bouquets " + dir).out);
        for (std::size_t i = 0; i < step.bouquets.size(); ++i) {
            ASSERT_LT(i + 1, rows.size()) << step.args;
            const std::string& row = rows[i + 1];
            const std::string nameAndItems = row.substr(row.find(',', row.find(',') + 1) + 1);
            EXPECT_EQ(nameAndItems.rfind(step.bouquets[i], 0), 0u) << step.args << ": " << row;
        }
    }
    const auto items = lines(runCli("bouquet " + dir + " 1").out);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[1].find("IME"), std::string::npos);
}

// Special files and folders are refused with one line naming the path, never a crash or hang.
TEST(CliSpecialFiles, AreRefusedWithOneLine) {
    TempDir top;
    test::writeSample(top / "fifo", {.services = 10});
    std::filesystem::remove(top / "fifo" / "DVBS.dat");
    ASSERT_EQ(::mkfifo((top / "fifo" / "DVBS.dat").c_str(), 0644), 0);
    std::filesystem::create_directory_symlink("loop", top / "loop");
    test::writeFile(top / "file", Bytes{1});
    const std::string in = "'" + (top / "fifo").string() + "' ";
    struct Case {
        std::string args;
        std::string err;
    };
    for (const Case& c : {
             Case{"info " + in, (top / "fifo" / "DVBS.dat").string() +
                                    " cannot be read: it is a FIFO, not a regular file.\n"},
             Case{"info '" + (top / "loop").string() + "'",
                  (top / "loop").string() + ": not a folder (Too many levels of symbolic links)\n"},
             Case{"make-sample '" + (top / "file").string() + "'",
                  (top / "file").string() + " could not be written: it is a file, not a folder.\n"},
             Case{"make-sample '" + (top / "file" / "below").string() + "'",
                  (top / "file" / "below").string() +
                      " could not be written: it lies under a file.\n"},
         }) {
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, 2) << c.args;
        EXPECT_EQ(run.err, c.err) << c.args;
    }
}

TEST(CliSpecialFiles, ResaveIntoAFileIsRefused) {
    TempDir top;
    test::writeSample(top / "in", {.services = 10});
    test::writeFile(top / "file", Bytes{1});
    const CliRun run =
        runCli("resave '" + (top / "in").string() + "' '" + (top / "file").string() + "'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err,
              (top / "file").string() + " could not be written: it is a file, not a folder.\n");
    EXPECT_EQ(test::readFile(top / "file"), Bytes{1});
}

TEST(CliNotes, ASaveCutShortIsReportedOnOneLineAndTheCommandCarriesOn) {
    TempDir rx;
    test::writeSample(rx.path(), {.services = 10});
    test::writeFile(rx / ".all_channel.dat.tmp-a1B2c3", Bytes(100, 1));
    const CliRun run = runCli("info '" + rx.path().string() + "'");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "Removed 1 temporary file that an interrupted save had left in " +
                           rx.path().string() + ".\n");
    EXPECT_EQ(lines(run.out).at(0), "version: 10");
}

// Each step runs one editing command, then one reading command whose line `line` must begin
// with `expected`. A refused step leaves every file as it was.
TEST(CliEdits, ServiceSatelliteAndTransponderCommandsWriteTheFolder) {
    TempDir rx;
    test::writeSample(rx.path(), {.services = 200, .satellites = 5, .bouquets = 2});
    const std::string dir = "'" + rx.path().string() + "'";
    const auto first = lines(runCli("services " + dir).out).at(1);
    std::vector<std::string> cells;
    for (std::size_t at = 0; at <= first.size();) {
        const auto end = std::min(first.find(',', at), first.size());
        cells.push_back(first.substr(at, end - at));
        at = end + 1;
    }
    const std::string service = cells[15] + ":" + cells[8]; // FLAG:SID
    struct Step {
        std::string args;
        int exitCode;
        std::string read;
        std::size_t line;
        std::string expected;
    };
    const std::vector<Step> steps = {
        {"service-edit " + dir + " " + service + " Service=Neu SID=4711 Type=Radio TXT=", 0,
         "services " + dir, 1, "Neu," + cells[1] + ",Radio,"},
        {"service-edit " + dir + " " + cells[15] + ":4711 video_tag=234 audio_tag=4 HDFlag=3", 0,
         "services " + dir, 1, "Neu"},
        {"service-edit " + dir + " " + cells[15] + ":4711 PMT=70000", 2, "services " + dir, 1,
         "Neu"},
        {"service-edit " + dir + " " + cells[15] + ":4711 Provider=x", 1, "services " + dir, 1,
         "Neu"},
        {"satellite-add " + dir +
             " --name Neu --position 13.0E --lnb-type 'USER DEF.' "
             "--lnb-freq 9750 --diseqc Combination --committed 'Switch C' --order Uncomm/Commit",
         0, "antenna " + dir, 6,
         "5,000.,0,Off,0,USER DEF.,9750,Off,Off,0V,Combination,OFF,Uncomm/Commit,Switch C,"},
        {"satellites " + dir, 0, "satellites " + dir, 6, "5,Neu,13.0,E,0"},
        {"satellite-add " + dir + " --name X --position 13.0E --lnb-freq 1", 1, "satellites " + dir,
         7, ""},
        {"satellite-update " + dir + " 5 --position 5.0W --motor USALS", 0, "satellites " + dir, 6,
         "5,Neu,5.0,W"},
        {"satellite-update " + dir + " 5 --position 181E", 2, "satellites " + dir, 6,
         "5,Neu,5.0,W"},
        {"transponder-add " + dir +
             " 5 --frequency 11778000 --sr 27500000 --fec 3/4 --pol V "
             "--system DVB-S2 --modulation 8PSK",
         0, "transponders " + dir + " 5", 1, "0,11778000,0,0,27500000,3/4,V,0,0,5.0,W,DVB-S2,8PSK"},
        {"transponder-update " + dir + " 5 0 --nid 7 --pilot 1", 0, "transponders " + dir + " 5", 1,
         "0,11778000,7,0,27500000,3/4,V,0,1,"},
        {"transponder-update " + dir + " 5 0 --we-flag 256", 2, "transponders " + dir + " 5", 1,
         "0,11778000,7,"},
        {"transponder-delete " + dir + " 5 0", 0, "satellites " + dir, 6, "5,Neu,5.0,W,0"},
        {"satellite-delete " + dir + " 5", 0, "satellites " + dir, 6, ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.args);
        const Bytes dvbs = test::readFile(rx / "DVBS.dat");
        const Bytes channel = test::readFile(rx / "all_channel.dat");
        const CliRun run = runCli(step.args);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.err;
        if (step.exitCode != 0) {
            EXPECT_EQ(test::readFile(rx / "DVBS.dat"), dvbs);
            EXPECT_EQ(test::readFile(rx / "all_channel.dat"), channel);
        }
        const auto shown = lines(runCli(step.read).out);
        const std::string line = step.line < shown.size() ? shown[step.line] : "";
        EXPECT_EQ(line.rfind(step.expected, 0), 0u) << line;
    }
}

// The cells of the first line `services` prints for the folder (the first record).
std::vector<std::string> firstServiceCells(const std::string& dir) {
    const auto first = lines(runCli("services " + dir).out).at(1);
    std::vector<std::string> cells;
    for (std::size_t at = 0; at <= first.size();) {
        const auto end = std::min(first.find(',', at), first.size());
        cells.push_back(first.substr(at, end - at));
        at = end + 1;
    }
    return cells;
}

struct RefusedEdit {
    std::string args; // after DIR
    std::string err;
};

TEST(CliEdits, ValuesOutsideTheirFieldAreRefusedNamingIt) {
    TempDir rx;
    test::writeSample(rx.path(), {.services = 50, .satellites = 3, .bouquets = 1});
    const std::string dir = "'" + rx.path().string() + "'";
    const auto cells = firstServiceCells(dir);
    const std::string service = "service-edit " + dir + " " + cells[15] + ":" + cells[8] + " ";
    const std::string add = "transponder-add " + dir + " 0 ";
    const std::string update = "transponder-update " + dir + " 0 0 ";
    const std::vector<RefusedEdit> cases = {
        {add + "--frequency -5 --sr 27500000", "Freq: enter a whole number from 1 to"},
        {add + "--frequency 11778000 --sr 0", "SR: enter a whole number from 1 to"},
        {update + "--sr -1", "SR: "},
        {update + "--frequency -5", "Freq: "},
        {update + "--tid 65536", "TID: enter a whole number from 0 to 65535"},
        {service + "Frequency=-5", "Freqfency: enter a whole number from 1 to"},
        {service + "PMT=8192", "pmt_pid: enter a whole number from 0 to 8191"},
        {service + "VPID=-1", "video_pid: "},
        {service + "SID=65536", "SID: "},
    };
    const Bytes dvbs = test::readFile(rx / "DVBS.dat");
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    for (const RefusedEdit& c : cases) {
        SCOPED_TRACE(c.args);
        const CliRun run = runCli(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line";
    }
    EXPECT_EQ(test::readFile(rx / "DVBS.dat"), dvbs);
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), channel);
}

// What `services` prints, typed back, leaves the bits or the code as they are; only a real
// change to a value outside the dialog's lists is refused.
TEST(CliEdits, ServiceEditTakesBackWhatServicesPrints) {
    namespace sv = layout::channel::service;
    const std::size_t record = test::firstServiceOffset;
    auto files = sample::generate({.services = 50, .satellites = 3, .bouquets = 1});
    test::put(files.channel, record + sv::flags, 2, 194); // bit 128 with HD and LOCK
    test::put(files.channel, record + sv::videoTag, 2, 36);
    TempDir rx;
    sample::writeFolder(files, rx.path());
    const std::string dir = "'" + rx.path().string() + "'";
    const auto cells = firstServiceCells(dir);
    ASSERT_EQ(cells[21], "194");
    ASSERT_EQ(cells[19], "36");
    const std::string edit = "service-edit " + dir + " " + cells[15] + ":" + cells[8] + " ";
    struct Step {
        std::string fields;
        int exitCode;
        std::int64_t flags; // stored afterwards
        std::int64_t videoTag;
        std::string err;
    };
    const std::vector<Step> steps = {
        {"Service=Neu HDFlag=194 video_tag=36 audio_tag=" + cells[20], 0, 194, 36, ""},
        {"HDFlag=194 video_tag=36", 2, 194, 36, "nothing changed"}, // taken, not refused
        {"HDFlag=195 video_tag=36", 0, 195, 36, ""},
        {"HDFlag=66", 0, 194, 36, ""}, // bit 128 stays
        {"HDFlag=322", 2, 194, 36, "HD Flag: only the seven flag bits"},
        {"HDFlag=65536", 2, 194, 36, "HD Flag: "},
        {"video_tag=37", 2, 194, 36, "video_tag: choose a code of the list: 0, 2, 16, 27, 234"},
        {"video_tag=27", 0, 194, 27, ""},
        {"video_tag=36", 2, 194, 27, "video_tag: "},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.fields);
        const CliRun run = runCli(edit + step.fields);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.err;
        EXPECT_NE(run.err.find(step.err), std::string::npos) << run.err;
        const Bytes now = test::readFile(rx / "all_channel.dat");
        EXPECT_EQ(test::get(now, record + sv::flags, 2), step.flags);
        EXPECT_EQ(test::get(now, record + sv::videoTag, 2), step.videoTag);
    }
}

TEST_F(CliTest, EveryCommandHasHelp) {
    for (const char* command : {"services",
                                "bouquets",
                                "bouquet",
                                "satellites",
                                "transponders",
                                "antenna",
                                "info",
                                "resave",
                                "make-sample",
                                "bouquet-add",
                                "bouquet-insert",
                                "bouquet-rename",
                                "bouquet-remove",
                                "bouquet-move",
                                "bouquet-add-services",
                                "bouquet-remove-items",
                                "service-edit",
                                "satellite-add",
                                "satellite-update",
                                "satellite-delete",
                                "transponder-add",
                                "transponder-update",
                                "transponder-delete"}) {
        const CliRun run = runCli(std::string(command) + " --help");
        EXPECT_EQ(run.exitCode, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("Usage: tavrino-cli ") + command, 0), 0u) << command;
        const bool writes = std::string(command).find('-') != std::string::npos &&
                            std::string(command) != "make-sample";
        EXPECT_EQ(run.out.find("--no-backup") != std::string::npos,
                  writes || std::string(command) == "resave")
            << command;
    }
}

TEST_F(CliTest, ResaveAndMakeSampleWriteFolders) {
    TempDir out, made;
    ASSERT_EQ(runCli("resave " + dir() + " '" + out.path().string() + "'").exitCode, 0);
    auto expected = test::readFile(folder->path() / "all_channel.dat");
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), expected);
    const std::string args = "make-sample '" + made.path().string() +
                             "' --services 50 --satellites 2 --bouquets 1 --version 6 --seed 3";
    ASSERT_EQ(runCli(args).exitCode, 0);
    EXPECT_EQ(
        test::readFile(made / "all_channel.dat"),
        sample::generate({.services = 50, .satellites = 2, .bouquets = 1, .version = 6, .seed = 3})
            .channel);
}

TEST(CliSaves, BackUpWhatTheyReplaceAndRefuseFilesChangedMeanwhile) {
    TempDir rx;
    test::writeSample(rx.path(), {.services = 60, .satellites = 2, .bouquets = 2});
    const Bytes before = test::readFile(rx / "all_channel.dat");
    TempDir data;
    const std::string withData = "--data-dir " + data.path().string() + " ";
    const CliRun add = runCli(withData + "bouquet-add " + rx.path().string() + " Kept");
    ASSERT_EQ(add.exitCode, 0) << add.err;
    const auto files = data.path() / "backups" / "files";
    const auto backups = test::entries(files);
    ASSERT_EQ(backups.size(), 1u);
    const auto backup = files / *backups.begin();
    EXPECT_EQ(backup.filename().string().rfind(rx.path().filename().string() + "-", 0), 0u);
    EXPECT_EQ(test::readFile(backup / "all_channel.dat"), before);
    EXPECT_NE(add.out.find("kept the replaced files in " + backup.string()), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(backup / "DVBS.dat"));

    const CliRun quiet =
        runCli(withData + "bouquet-add " + rx.path().string() + " Unkept --no-backup");
    ASSERT_EQ(quiet.exitCode, 0) << quiet.err;
    EXPECT_EQ(test::entries(data.path() / "backups" / "files").size(), 1u);
}

} // namespace
} // namespace tavrino
