#include "bouquets/bouquet_items.h"
#include "cli_runner.h"
#include "common/csv.h"
#include "reference/service_matcher.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::CliRun;
using test::TempDir;
using Row = std::vector<std::string>;

const std::string header = "Area,Change,Name,Where,Field,Before,After\n";

const TempDir& dataFolder() {
    static const TempDir folder;
    return folder;
}

CliRun cli(const std::string& args) {
    return test::runProgram("TAVRINO_HOME=" + dataFolder().path().string() + " timeout 60 " +
                                std::string(TAVRINO_CLI),
                            args);
}

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// The rows after the header, each split into its seven fields.
std::vector<Row> rowsOf(const std::string& out) {
    std::vector<Row> rows;
    for (const auto& record : csv::parse(out)) {
        rows.push_back(record.fields);
    }
    EXPECT_FALSE(rows.empty());
    if (!rows.empty()) {
        EXPECT_EQ(csv::record(rows.front(), "\n"), header);
        rows.erase(rows.begin());
    }
    return rows;
}

const sample::Options sampleOptions{.services = 300, .satellites = 6, .bouquets = 5, .seed = 3};

class DiffCli : public testing::Test {
protected:
    void SetUp() override {
        files = sample::generate(sampleOptions);
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
    std::string flagSid(std::size_t s) const {
        const DecodedService& r = ws.services().row(s).record;
        return std::to_string(r.flag) + ":" + std::to_string(r.sid);
    }
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

    sample::Files files;
    TempDir original;
    Workspace ws;
};

TEST_F(DiffCli, AFolderAgainstItselfIsTheHeaderAloneAndTroubleIsTwo) {
    const std::string dir = quoted(original.path());
    struct Case {
        std::string args;
        int exitCode;
        std::string out;
        std::string err;
    };
    for (const Case& c : {
             Case{"diff " + dir + " " + dir, 0, header, ""},
             Case{"diff " + dir + " " + dir + " --only bouquets", 0, header, ""},
             Case{"--format table diff " + dir + " " + dir, 0,
                  "Area  Change  Name  Where  Field  Before  After\n", ""},
             Case{"diff " + dir, 2, "", "missing DIR2"},
             Case{"diff " + dir + " " + dir + " --only items", 2, "",
                  "--only must be services, bouquets or satellites"},
             Case{"diff " + dir + " " + dir + " --sort Service", 2, "", "--sort"},
             Case{"diff " + dir + " /nonexistent", 2, "", "/nonexistent: not a folder"},
         }) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << c.args;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << ": " << run.err;
    }
}

// Each edit command, run on a copy, against the rows a diff from the original shows.
TEST_F(DiffCli, EachEditCommandShowsExactlyTheRowsItExplains) {
    const std::size_t firstItem = *ws.services().findByFlagAndSid(readStoredItems(ws, 0).at(0).link,
                                                                  readStoredItems(ws, 0).at(0).sid);
    const std::size_t secondItem = *ws.services().findByFlagAndSid(
        readStoredItems(ws, 0).at(1).link, readStoredItems(ws, 0).at(1).sid);
    const AntennaRecord& antenna = ws.files().satelliteFiles.antennaSettings.records.at(1);
    const auto tp = listTransponders(ws.files().satelliteFiles.dvbs, 0);
    const std::string tpWhere = position(0) + " " + std::to_string(tp.at(0).frequency) + " " +
                                (tp.at(0).polarization == 0 ? "H" : "V");
    const std::string tp1Where = position(0) + " " + std::to_string(tp.at(1).frequency) + " " +
                                 (tp.at(1).polarization == 0 ? "H" : "V");
    const int newRate = tp.at(0).symbolRate == 22000 ? 27500 : 22000;
    const DecodedService& edited = ws.services().row(firstItem).record;
    const std::string newVpid = edited.videoPid == 512 ? "513" : "512";
    const std::string oldVpid = edited.videoPid == 65535 ? "" : std::to_string(edited.videoPid);

    // Satellite 4 has no transponders: deleting it makes number 5 name nothing in DVBS.dat.
    ASSERT_EQ(satellite(4).tpCount, 0);
    std::vector<Row> deleted;
    for (std::size_t s = 0; s < ws.services().size(); ++s) {
        if (ws.services().row(s).record.satIndex == 5) {
            // Without a satellite the number names no position: the block's name places it.
            std::string place = where(s);
            place.replace(0, position(5).size(), ws.satelliteName(5));
            deleted.push_back({"Service", "Changed", name(s), place, "Satellite",
                               satelliteName(5) + " (" + position(5) + ")", "5 (not in DVBS.dat)"});
        }
    }
    ASSERT_FALSE(deleted.empty());
    deleted.push_back({"Satellite", "Removed", satelliteName(4), position(4), "", "", ""});

    std::vector<Row> removedBouquet = {{"Bouquet", "Removed", bouquet(2), "#3", "", "", ""}};
    for (const BouquetItem& item : readBouquetItems(ws, 2)) {
        removedBouquet.push_back({"Item", "Removed", item.name,
                                  bouquet(2) + " #" + std::to_string(item.position), "", "", ""});
    }

    struct Case {
        std::string command; // DIR stands for the copy
        std::vector<Row> rows;
    };
    const std::vector<Case> cases = {
        {"bouquet-add DIR Neu", {{"Bouquet", "Added", "Neu", "#6", "", "", ""}}},
        {"bouquet-insert DIR 2 Neu", {{"Bouquet", "Added", "Neu", "#2", "", "", ""}}},
        {"bouquet-rename DIR 2 Zwei",
         {{"Bouquet", "Changed", "Zwei", "#2", "Name", bouquet(1), "Zwei"}}},
        {"bouquet-remove DIR 3", removedBouquet},
        {"bouquet-move DIR 1 end", {{"Bouquet", "Moved", bouquet(0), "#5", "", "1", "5"}}},
        {"bouquet-add-services DIR 2 --services " + flagSid(firstItem) + " --at 1",
         {{"Item", "Added", name(firstItem), bouquet(1) + " #1", "", "", ""}}},
        {"bouquet-remove-items DIR 1 2",
         {{"Item", "Removed", name(secondItem), bouquet(0) + " #2", "", "", ""}}},
        {"service-edit DIR " + flagSid(firstItem) + " Service='Neuer Name' VPID=" + newVpid +
             " PMT=4321",
         {{"Service", "Changed", "Neuer Name", where(firstItem), "Service", name(firstItem),
           "Neuer Name"},
          {"Service", "Changed", "Neuer Name", where(firstItem), "VPID", oldVpid, newVpid},
          {"Service", "Changed", "Neuer Name", where(firstItem), "PMT",
           std::to_string(edited.pmtPid), "4321"}}},
        // The new SID goes into the bouquet items too: they still name the same service.
        {"service-edit DIR " + flagSid(firstItem) + " SID=65001",
         {{"Service", "Changed", name(firstItem), where(firstItem), "SID",
           std::to_string(edited.sid), "65001"}}},
        {"satellite-add DIR --name 'Astra 3B' --position 23.5E",
         {{"Satellite", "Added", "Astra 3B", "23.5E", "", "", ""}}},
        {"satellite-update DIR 1 --name Neu --tsel " + std::to_string(1 - antenna.tunerSelect),
         {{"Satellite", "Changed", "Neu", position(1), "Name", satelliteName(1), "Neu"},
          {"Antenna", "Changed", "Neu", position(1), "Tsel", std::to_string(antenna.tunerSelect),
           std::to_string(1 - antenna.tunerSelect)}}},
        {"satellite-delete DIR 4", deleted},
        {"transponder-add DIR 0 --frequency 12345 --sr 27500 --pol H",
         {{"Transponder", "Added", satelliteName(0), position(0) + " 12345 H", "", "", ""}}},
        {"transponder-update DIR 0 0 --sr " + std::to_string(newRate),
         {{"Transponder", "Changed", satelliteName(0), tpWhere, "SR",
           std::to_string(tp.at(0).symbolRate), std::to_string(newRate)}}},
        {"transponder-delete DIR 0 1",
         {{"Transponder", "Removed", satelliteName(0), tp1Where, "", "", ""}}},
    };
    for (const Case& c : cases) {
        TempDir copy;
        sample::writeFolder(files, copy.path());
        std::string command = c.command;
        command.replace(command.find("DIR"), 3, quoted(copy.path()));
        const CliRun edit = cli(command + " --no-backup");
        ASSERT_EQ(edit.exitCode, 0) << c.command << ": " << edit.err;
        const CliRun run = cli("diff " + quoted(original.path()) + " " + quoted(copy.path()));
        EXPECT_EQ(run.exitCode, 1) << c.command << ": " << run.err;
        EXPECT_EQ(rowsOf(run.out), c.rows) << c.command;
    }

    TempDir resaved;
    ASSERT_EQ(cli("resave " + quoted(original.path()) + " " + quoted(resaved.path())).exitCode, 0);
    const CliRun same = cli("diff " + quoted(original.path()) + " " + quoted(resaved.path()));
    EXPECT_EQ(same.exitCode, 0) << same.out;
    EXPECT_EQ(same.out, header);
}

TEST_F(DiffCli, OnlyNarrowsTheRowsAndTheExitStatus) {
    TempDir copy;
    sample::writeFolder(files, copy.path());
    const std::string dir = quoted(copy.path());
    for (const std::string& edit :
         {"bouquet-rename " + dir + " 1 Eins", "satellite-update " + dir + " 0 --name Neu"}) {
        ASSERT_EQ(cli(edit + " --no-backup").exitCode, 0) << edit;
    }
    const std::string diff = "diff " + quoted(original.path()) + " " + dir;
    const CliRun services = cli(diff + " --only services");
    EXPECT_EQ(services.exitCode, 0) << services.err;
    EXPECT_EQ(services.out, header);
    const CliRun bouquets = cli(diff + " --only bouquets");
    EXPECT_EQ(bouquets.exitCode, 1);
    EXPECT_EQ(rowsOf(bouquets.out),
              (std::vector<Row>{{"Bouquet", "Changed", "Eins", "#1", "Name", bouquet(0), "Eins"}}));
    const CliRun satellites = cli(diff + " --only satellites");
    EXPECT_EQ(satellites.exitCode, 1);
    EXPECT_EQ(rowsOf(satellites.out), (std::vector<Row>{{"Satellite", "Changed", "Neu", position(0),
                                                         "Name", satelliteName(0), "Neu"}}));
}

} // namespace
} // namespace tavrino
