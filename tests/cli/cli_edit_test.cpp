// The command line's editing commands, run in-process: what each changes (as diff shows it,
// which also shows that nothing else changed), and that a refused edit writes nothing.
#include "bouquets/bouquet_items.h"
#include "cli_runner.h"
#include "common/csv.h"
#include "database/layout.h"
#include "reference/service_matcher.h"

#include <gmock/gmock.h>
#include <tuple>

namespace tavrino {
namespace {
using namespace testing;
using test::CliRun;
using test::lines;
using test::runCli;
using test::TempDir;
using Row = std::vector<std::string>;
using Args = std::vector<std::string>;

const std::string header = "Area,Change,Name,Where,Field,Before,After\n";

std::vector<Row> records(const std::string& text) {
    std::vector<Row> rows;
    for (const auto& record : csv::parse(text)) {
        rows.push_back(record.fields);
    }
    return rows;
}

// The rows a diff printed after its header.
std::vector<Row> diffRows(const std::string& out) {
    EXPECT_EQ(out.substr(0, header.size()), header);
    auto rows = records(out);
    rows.erase(rows.begin());
    return rows;
}

class CliEdits : public testing::Test {
protected:
    void SetUp() override {
        sample::writeFolder(files, original.path());
        ASSERT_TRUE(ws.openFolder(original.path()).opened());
    }

    // Service-table row `s` as diff places it: "36.2E 12379 V".
    std::string where(std::size_t s) const {
        const DecodedService& r = ws.services().row(s).record;
        const auto position = satellitePosition(ws, r.satIndex);
        return (position ? positionText(*position) : ws.satelliteName(r.satIndex)) + " " +
               std::to_string(r.frequency) + " " + (r.polarization == 0 ? "H" : "V");
    }
    std::string name(std::size_t s) const { return ws.services().serviceName(s); }
    std::string cell(std::size_t s, int column) const { return ws.services().cellText(s, column); }
    std::string flagSid(std::size_t s) const { return cell(s, colFlag) + ":" + cell(s, colSid); }
    std::string bouquet(std::size_t row) const {
        return ws.codePage().toUtf8(ws.files().bouquets.rows.at(row).name);
    }
    const DvbsSatellite& satellite(std::size_t i) const {
        return ws.files().satelliteFiles.satellites.at(i);
    }
    std::string satelliteName(std::size_t i) const {
        return ws.codePage().toUtf8(satellite(i).name);
    }
    std::string position(std::size_t i) const { return positionText(satellite(i).orbitalPosition); }
    std::string dir() const { return original.path().string(); }
    std::vector<Bytes> images(const TempDir& folder) const {
        return {test::readFile(folder / "all_channel.dat"), test::readFile(folder / "DVBS.dat"),
                test::readFile(folder / "antenna_list.dat")};
    }

    sample::Files files =
        sample::generate({.services = 300, .satellites = 6, .bouquets = 5, .seed = 3});
    TempDir original;
    Workspace ws;
};

// Each command's arguments reach its operation: the diff against the original shows the rows
// it changed (how each operation changes the bytes is the core's).
TEST_F(CliEdits, EachEditCommandChangesWhatItsArgumentsName) {
    const auto item = [&](std::size_t i) {
        const auto stored = readStoredItems(ws, 0).at(i);
        return *ws.services().findByFlagAndSid(stored.link, stored.sid);
    };
    const std::size_t first = item(0);
    std::size_t radio = 0;
    while (cell(radio, colType) != "Radio") {
        ++radio;
    }
    const int tsel = ws.files().satelliteFiles.antennaSettings.records.at(1).tunerSelect;
    const auto tp = listTransponders(ws.files().satelliteFiles.dvbs, 0);
    const auto tpWhere = [&](std::size_t t) {
        return position(0) + " " + std::to_string(tp.at(t).frequency) + " " +
               (tp.at(t).polarization == 0 ? "H" : "V");
    };
    const int newRate = tp.at(0).symbolRate == 22000 ? 27500 : 22000;

    // Satellite 4 has no transponders: deleting it makes number 5 name nothing in DVBS.dat.
    ASSERT_EQ(satellite(4).tpCount, 0);
    std::vector<std::size_t> onFive;
    for (std::size_t s = 0; s < ws.services().size(); ++s) {
        if (ws.services().row(s).record.satIndex == 5) {
            onFive.push_back(s);
        }
    }
    ASSERT_FALSE(onFive.empty());
    const std::size_t renumbered = onFive.front();
    std::string place = where(renumbered); // without a satellite, the block's name places it
    place.replace(0, position(5).size(), ws.satelliteName(5));

    // A command ("DIR" stands for the copy), the rows its diff shows and one of them.
    using Case = std::tuple<std::vector<std::string>, std::size_t, Row>;
    const std::vector<Case> cases = {
        {Args{"bouquet-add", "DIR", "Neu ü"}, 1,
         Row{"Bouquet", "Added", "Neu ü", "#6", "", "", ""}},
        {Args{"bouquet-insert", "DIR", "2", "Neu"}, 1,
         Row{"Bouquet", "Added", "Neu", "#2", "", "", ""}},
        {Args{"bouquet-rename", "DIR", "2", "Zwei"}, 1,
         Row{"Bouquet", "Changed", "Zwei", "#2", "Name", bouquet(1), "Zwei"}},
        {Args{"bouquet-remove", "DIR", "3"}, 1 + readBouquetItems(ws, 2).size(),
         Row{"Bouquet", "Removed", bouquet(2), "#3", "", "", ""}},
        {Args{"bouquet-move", "DIR", "1", "end"}, 1,
         Row{"Bouquet", "Moved", bouquet(0), "#5", "", "1", "5"}},
        {Args{"bouquet-add-services", "DIR", "2", "--services", flagSid(first), "--at", "1"}, 1,
         Row{"Item", "Added", name(first), bouquet(1) + " #1", "", "", ""}},
        {Args{"bouquet-add-services", "DIR", "2", "--type", "Radio", "--limit", "2", "--at", "1"},
         2, Row{"Item", "Added", name(radio), bouquet(1) + " #1", "", "", ""}},
        {Args{"bouquet-remove-items", "DIR", "1", "2"}, 1,
         Row{"Item", "Removed", name(item(1)), bouquet(0) + " #2", "", "", ""}},
        {Args{"service-edit", "DIR", flagSid(first), "Service=Neuer Name", "PMT=4321"}, 2,
         Row{"Service", "Changed", "Neuer Name", where(first), "PMT", cell(first, colPmt), "4321"}},
        {Args{"satellite-add", "DIR", "--name", "Astra 3B", "--position", "23.5E"}, 1,
         Row{"Satellite", "Added", "Astra 3B", "23.5E", "", "", ""}},
        {Args{"satellite-update", "DIR", "1", "--name", "Neu", "--tsel", std::to_string(1 - tsel)},
         2,
         Row{"Antenna", "Changed", "Neu", position(1), "Tsel", std::to_string(tsel),
             std::to_string(1 - tsel)}},
        {Args{"satellite-delete", "DIR", "4"}, onFive.size() + 1,
         Row{"Service", "Changed", name(renumbered), place, "Satellite",
             satelliteName(5) + " (" + position(5) + ")", "5 (not in DVBS.dat)"}},
        {Args{"transponder-update", "DIR", "0", "0", "--sr", std::to_string(newRate)}, 1,
         Row{"Transponder", "Changed", satelliteName(0), tpWhere(0), "SR",
             std::to_string(tp.at(0).symbolRate), std::to_string(newRate)}},
        {Args{"transponder-delete", "DIR", "0", "1"}, 1,
         Row{"Transponder", "Removed", satelliteName(0), tpWhere(1), "", "", ""}},
    };
    for (const auto& [args, rows, row] : cases) {
        SCOPED_TRACE(args[0] + " " + args.back());
        TempDir copy;
        sample::writeFolder(files, copy.path());
        std::vector<std::string> command = args;
        std::replace(command.begin(), command.end(), std::string("DIR"), copy.path().string());
        command.push_back("--no-backup");
        const CliRun edit = runCli(command);
        ASSERT_EQ(edit.exitCode, 0) << edit.err;
        const CliRun run = runCli({"diff", dir(), copy.path().string()});
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_THAT(diffRows(run.out), AllOf(SizeIs(rows), Contains(row)));
    }

    TempDir resaved;
    ASSERT_EQ(runCli({"resave", dir(), resaved.path().string()}).exitCode, 0);
    const CliRun same = runCli({"--format", "table", "diff", dir(), resaved.path().string()});
    EXPECT_EQ(same.exitCode, 0) << same.out;
    EXPECT_EQ(same.out, "Area  Change  Name  Where  Field  Before  After\n");
}

// Every option of the two adding commands, read back through the reading commands.
TEST_F(CliEdits, NewSatellitesAndTranspondersTakeEveryOption) {
    ASSERT_EQ(runCli({"satellite-add", dir(), "--name", "Neu", "--position", "13.0E", "--lnb-type",
                      "USER DEF.", "--lnb-freq", "9750", "--diseqc", "Combination", "--committed",
                      "Switch C", "--order", "Uncomm/Commit", "--no-backup"})
                  .exitCode,
              0);
    EXPECT_THAT(lines(runCli({"antenna", dir()}).out).at(7),
                StartsWith("6,000.,0,Off,0,USER DEF.,9750,Off,Off,0V,Combination,OFF,"
                           "Uncomm/Commit,Switch C,"));
    // The options' inline form, --name=value.
    ASSERT_EQ(runCli({"transponder-add", dir(), "6", "--frequency=11778000", "--sr=27500000",
                      "--fec=3/4", "--pol=V", "--system=DVB-S2", "--modulation=8PSK", "--nid=7",
                      "--pilot=1", "--no-backup"})
                  .exitCode,
              0);
    EXPECT_EQ(lines(runCli({"transponders", dir(), "6"}).out).at(1),
              "0,11778000,7,0,27500000,3/4,V,0,1,13.0,E,DVB-S2,8PSK");
}

// A refused edit exits 2 with one line naming the file and the problem (1 for wrong usage)
// and leaves every file as it was. The values' limits are the core's tests; these rows show
// that the refusals reach stderr, and pin the flag command's own usage.
TEST_F(CliEdits, ARefusedEditWritesNothing) {
    const std::string service = flagSid(0);
    // The arguments after DIR, the exit code and the error.
    using Case = std::tuple<std::vector<std::string>, int, std::string>;
    const std::vector<Case> cases = {
        {{"bouquet-add-services", "1", "--type", "TV"}, 2, "MAX Items in Bouquet (200) !!!"},
        {{"bouquet-rename", "9", "X"}, 1, "ROW must be a whole number from 1 to 5"},
        {{"service-edit", service, "SID=65536"}, 2, "SID: enter a whole number from 0 to 65535"},
        {{"service-edit", service, "Provider=x"}, 1, "FIELD must be one of"},
        {{"service-flags", "--lock", service + ",0:65535"}, 2, "no service with FLAG 0 and SID"},
        {{"service-flags", "--lock", "--hd", service}, 1, ""},
        {{"service-flags", service}, 1, ""},
        {{"satellite-add", "--name", "X", "--position", "1.0E", "--lnb-freq", "1"}, 1, "--lnb"},
    };
    const auto before = images(original);
    for (const auto& [after, exitCode, err] : cases) {
        SCOPED_TRACE(after[0] + " " + after[1]);
        std::vector<std::string> args = {after[0], dir()};
        args.insert(args.end(), after.begin() + 1, after.end());
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, exitCode);
        EXPECT_THAT(lines(run.err), ElementsAre(HasSubstr(err)));
        EXPECT_EQ(images(original), before);
    }
}

// The four options reach the flag operation for every service named; a list that changes
// nothing is refused (which bits change is the core's).
TEST_F(CliEdits, ServiceFlagsOptionsReachEachServiceNamed) {
    const auto hdFlags = [&](std::size_t row) { // HDFlag column of `services`
        return std::stoi(records(runCli({"services", dir()}).out).at(row + 1).at(21));
    };
    using Step = std::tuple<const char*, int, bool>;
    for (const auto& [option, bit, set] : {Step{"--lock", 2, true}, Step{"--no-hd", 64, false},
                                           Step{"--unlock", 2, false}, Step{"--hd", 64, true}}) {
        SCOPED_TRACE(option);
        const bool changes = ((hdFlags(3) & bit) != 0) != set || ((hdFlags(9) & bit) != 0) != set;
        const CliRun run =
            runCli({"service-flags", dir(), option, flagSid(3) + "," + flagSid(9), "--no-backup"});
        EXPECT_EQ(run.exitCode, changes ? 0 : 2) << run.err;
        EXPECT_EQ((hdFlags(3) & bit) != 0, set);
        EXPECT_EQ((hdFlags(9) & bit) != 0, set);
    }
}

// What `services` prints, typed back, leaves the bits or the code as they are; only a real
// change to a value outside the dialog's lists is refused.
TEST_F(CliEdits, ServiceEditTakesBackWhatServicesPrints) {
    namespace sv = layout::channel::service;
    const std::size_t record = test::firstServiceOffset;
    test::put(files.channel, record + sv::flags, 2, 194); // bit 128 with HD and LOCK
    test::put(files.channel, record + sv::videoTag, 2, 36);
    sample::writeFolder(files, original.path());
    ASSERT_TRUE(ws.openFolder(original.path()).opened());
    ASSERT_EQ(cell(0, colHdFlag), "194");
    ASSERT_EQ(cell(0, colVideoTag), "36");
    // The fields, the exit code, the flags and video_tag stored afterwards, the error.
    using Step = std::tuple<Args, int, std::int64_t, std::int64_t, std::string>;
    const std::string audio = "audio_tag=" + cell(0, colAudioTag);
    for (const auto& [fields, exitCode, flags, videoTag, err] : std::vector<Step>{
             {{"Service=Neu", "HDFlag=194", "video_tag=36", audio}, 0, 194, 36, ""},
             {{"HDFlag=194", "video_tag=36"}, 2, 194, 36, "nothing changed"}, // taken back
             {{"HDFlag=195", "video_tag=36"}, 0, 195, 36, ""},
             {{"HDFlag=66"}, 0, 194, 36, ""}, // bit 128 stays
             {{"HDFlag=322"}, 2, 194, 36, "HD Flag: only the seven flag bits"},
             {{"HDFlag=65536"}, 2, 194, 36, "HD Flag: "},
             {{"video_tag=37"}, 2, 194, 36, "video_tag: choose a code of the list"},
             {{"video_tag=27"}, 0, 194, 27, ""},
         }) {
        SCOPED_TRACE(fields[0]);
        Args args = {"service-edit", dir(), flagSid(0), "--no-backup"};
        args.insert(args.end(), fields.begin(), fields.end());
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        EXPECT_THAT(run.err, HasSubstr(err));
        const Bytes now = test::readFile(original / "all_channel.dat");
        EXPECT_EQ(test::get(now, record + sv::flags, 2), flags);
        EXPECT_EQ(test::get(now, record + sv::videoTag, 2), videoTag);
    }
}

} // namespace
} // namespace tavrino
