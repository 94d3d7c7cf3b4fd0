#include "database/layout.h"
#include "recording_prompter.h"
#include "satellites/dvbs_edit.h"
#include "satellites/satellite_editor.h"
#include "satellites/transponder_editor.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
namespace an = layout::antenna;
namespace dv = layout::dvbs;
using test::TempDir;

const Bytes& dvbsOf(const Workspace& ws) {
    return ws.files().satelliteFiles.dvbs.bytes;
}
const Bytes& antennaOf(const Workspace& ws) {
    return ws.files().satelliteFiles.antenna.bytes;
}
std::size_t recordAt(int i) {
    return an::headerSize + an::recordSize * static_cast<std::size_t>(i);
}

// Numbers an image must hold: offset, width, value.
struct Field {
    std::size_t at;
    int width;
    std::int64_t value;
};
void expectFields(const Bytes& bytes, std::initializer_list<Field> fields) {
    for (const Field& f : fields) {
        EXPECT_EQ(test::get(bytes, f.at, f.width), f.value) << "at " << f.at;
    }
}

class SatelliteFilesEditTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override { open(); }

    void open(const std::function<void(sample::Files&)>& patch = {}) {
        auto files = sample::generate({.services = 300, .satellites = 5, .version = GetParam()});
        if (patch) {
            patch(files);
        }
        sample::writeFolder(files, folder.path());
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    }

    const DvbsSatellite& satellite(int i) const {
        return ws.files().satelliteFiles.satellites.at(static_cast<std::size_t>(i));
    }
    std::size_t offsetOf(int i) const { return satellite(i).offset; }
    // Where transponder `tp` of satellite `sat` stands in DVBS.dat.
    std::size_t entry(int sat, int tp) const {
        return offsetOf(sat) + dv::satelliteSize +
               dv::transponderSize * static_cast<std::size_t>(tp);
    }

    TempDir folder;
    Workspace ws;
    test::RecordingPrompter prompter; // answers Yes
};

INSTANTIATE_TEST_SUITE_P(Versions, SatelliteFilesEditTest, testing::Values(6, 9, 10),
                         [](const auto& version) {
                             return "version" + std::to_string(version.param);
                         });

TEST(SatellitePositions, AreTenthsOfADegreeRoundedWithEastOrWest) {
    struct Case {
        const char* degrees;
        int eastWest;
        std::optional<std::int32_t> tenths; // nullopt: refused
    };
    for (const Case& c :
         {Case{"13.0", 0, 130}, Case{"5.0", 1, -50}, Case{"19.25", 0, 193}, Case{"19.249", 1, -192},
          Case{" 0 ", 1, 0}, Case{"180", 1, -1800}, Case{".5", 0, 5}, Case{"180.04", 0, 1800},
          Case{"180.05", 0, {}}, Case{"-5", 0, {}}, Case{"abc", 0, {}}, Case{"", 0, {}},
          Case{"1e3", 0, {}}, Case{"19,2", 0, {}}, Case{"13.0", 2, {}}}) {
        const auto result = dvbs_edit::positionTenths(c.degrees, c.eastWest, "Position");
        if (c.tenths) {
            ASSERT_TRUE(std::holds_alternative<std::int32_t>(result)) << c.degrees;
            EXPECT_EQ(std::get<std::int32_t>(result), *c.tenths) << c.degrees;
        } else {
            EXPECT_TRUE(std::holds_alternative<FieldRefusal>(result)) << c.degrees;
        }
    }
}

TEST(SatelliteAdd, AnEmptyEditorCreatesBothFilesInTheCurrentLayout) {
    Workspace ws;
    SatelliteForm form = satelliteForm(ws, std::nullopt);
    form.position = "13.0";
    form.antenna.netIndex = "7";
    const SatelliteChange change = addSatellite(ws, form);
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 0);
    const Bytes& dvbs = dvbsOf(ws);
    ASSERT_EQ(dvbs.size(), dv::headerSize + dv::satelliteSize);
    expectFields(dvbs, {{dv::satelliteCount, 2, 1},
                        {dv::headerSize + 108, 4, 130},
                        {dv::headerSize + 116, 4, 130}});
    EXPECT_EQ(std::string(dvbs.begin() + dv::headerSize + 9, dvbs.begin() + dv::headerSize + 18),
              "Satellite");
    const Bytes& antenna = antennaOf(ws); // the record layouts are the import's tests
    ASSERT_EQ(antenna.size(), an::convertedSize) << "never the old 8,200-byte layout";
    expectFields(
        antenna,
        {{an::satelliteCount, 2, 1}, {recordAt(0), 2, 7}, {recordAt(0) + 8, 2, 1}}); // Universal
}

TEST_P(SatelliteFilesEditTest, AddPutsTheSatelliteAfterTheLastOneBeforeAnyTail) {
    const Bytes tail = {'T', 'A', 'I', 'L'};
    open([&](sample::Files& f) { f.dvbs.insert(f.dvbs.end(), tail.begin(), tail.end()); });
    const Bytes before = dvbsOf(ws);
    const std::size_t end = before.size() - tail.size();
    SatelliteForm form = satelliteForm(ws, 2);
    form.name = std::string(70, 'n');
    form.position = "5.0";
    form.eastWest = 1;
    const SatelliteChange change = addSatellite(ws, form);
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 5);
    const Bytes& dvbs = dvbsOf(ws);
    ASSERT_EQ(dvbs.size(), before.size() + dv::satelliteSize);
    EXPECT_TRUE(std::equal(before.begin() + 2, before.begin() + static_cast<std::ptrdiff_t>(end),
                           dvbs.begin() + 2));
    EXPECT_EQ(Bytes(dvbs.end() - 4, dvbs.end()), tail);
    EXPECT_EQ(dvbs[end + dv::satelliteNumber], 5);
    expectFields(dvbs, {{end + 108, 4, -50}, {0, 2, 6}});
    EXPECT_EQ(ws.files().satelliteFiles.satellites.back().name, std::string(64, 'n'))
        << "cut to the 64-byte field";
    EXPECT_EQ(test::get(antennaOf(ws), an::satelliteCount, 2), 6);
}

TransponderForm sampleTransponder();

// Counts of satellites and of a satellite's transponders are written in both bytes.
TEST(SatelliteAdd, The257thIsRefusedAndCountsUseBothBytes) {
    Workspace ws;
    SatelliteForm form = satelliteForm(ws, std::nullopt);
    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(addSatellite(ws, form).written) << i;
    }
    EXPECT_EQ(test::get(dvbsOf(ws), dv::satelliteCount, 2), 256);
    EXPECT_EQ(test::get(antennaOf(ws), an::satelliteCount, 2), 256);
    const Bytes dvbs = dvbsOf(ws);
    const Bytes antenna = antennaOf(ws);
    const SatelliteChange refused = addSatellite(ws, form);
    ASSERT_TRUE(refused.refusal);
    EXPECT_EQ(refused.refusal->notice.text, "MAX Satellites (256) !!!");
    EXPECT_EQ(dvbsOf(ws), dvbs);
    EXPECT_EQ(antennaOf(ws), antenna);

    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(addTransponder(ws, 0, sampleTransponder()).written);
    }
    const std::size_t count = dv::headerSize + dv::satelliteTpCount;
    EXPECT_EQ(test::get(dvbsOf(ws), count, 2), 256);
    ASSERT_TRUE(deleteTransponder(ws, 0, 0).written);
    EXPECT_EQ(test::get(dvbsOf(ws), count, 2), 255);
}

// Stored values the lists cannot show, or a frequency kept for a fixed LNB type, stay.
TEST_P(SatelliteFilesEditTest, UpdateWritesOnlyWhatChanged) {
    const std::size_t r = recordAt(1);
    open([&](sample::Files& f) {
        if (GetParam() < 9) {
            return; // the old layout is converted on open; patched below instead
        }
        test::put(f.antenna, r + 2, 2, 5);      // nit search
        test::put(f.antenna, r + 8, 2, 18);     // LNB type
        test::put(f.antenna, r + 12, 4, 12345); // frequency of a fixed type
        test::put(f.antenna, r + 20, 2, 7);     // motor mode: combination without order
        f.antenna[r + 16] = 9;                  // power
    });
    const SatelliteForm opened = satelliteForm(ws, 1);
    if (GetParam() >= 9) {
        EXPECT_EQ(opened.antenna.lnbType, -1);
        EXPECT_EQ(opened.antenna.nitSearch, -1);
        EXPECT_EQ(opened.antenna.motor, -1);
        EXPECT_EQ(opened.antenna.order, -1);
    }
    const Bytes antenna = antennaOf(ws);
    const Bytes dvbs = dvbsOf(ws);
    for (int i = 0; i < 5; ++i) {
        const SatelliteForm form = satelliteForm(ws, i);
        EXPECT_FALSE(updateSatellite(ws, form, form).written) << "nothing changed in " << i;
    }
    EXPECT_FALSE(ws.history().canUndo());
    SatelliteForm edited = opened;
    edited.name = "Astra";
    edited.antenna.tunerSelect = "3";
    ASSERT_TRUE(updateSatellite(ws, opened, edited).written);
    Bytes expectedAntenna = antenna;
    expectedAntenna[r + 4] = 3;
    EXPECT_EQ(antennaOf(ws), expectedAntenna);
    Bytes expectedDvbs = dvbs;
    const std::size_t name = offsetOf(1) + dv::satelliteName;
    const std::string astra = "Astra";
    std::fill_n(expectedDvbs.begin() + static_cast<std::ptrdiff_t>(name), 64, 0);
    std::copy(astra.begin(), astra.end(), expectedDvbs.begin() + static_cast<std::ptrdiff_t>(name));
    EXPECT_EQ(dvbsOf(ws), expectedDvbs);
    EXPECT_EQ(satelliteLines(ws)[1], "Astra");
}

TEST_P(SatelliteFilesEditTest, UpdateWritesTheHeaderPositionAndAntennaAndShowsThemAgain) {
    const SatelliteForm opened = satelliteForm(ws, 3);
    SatelliteForm edited = opened;
    edited.longitude = "1234";
    edited.latitude = "567";
    edited.position = "19.2";
    edited.eastWest = 0;
    edited.antenna.lnbType = userDefinedLnb;
    edited.antenna.lnbFrequency = "10600";
    edited.antenna.diseqc = combinationEntry;
    edited.antenna.committed = 2;
    edited.antenna.uncommitted = 5;
    edited.antenna.order = 1;
    chooseMotor(edited.antenna, diseqc12Motor);
    edited.antenna.motorPosition = "33";
    const SatelliteChange change = updateSatellite(ws, opened, edited);
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 3);
    const std::size_t r = recordAt(3);
    expectFields(antennaOf(ws), {{0, 2, 1234},
                                 {2, 2, 567},
                                 {r + 8, 2, 9},
                                 {r + 12, 4, 10600},
                                 {r + 20, 2, 33},
                                 {r + 22, 2, 33}});
    expectFields(dvbsOf(ws), {{offsetOf(3) + 108, 4, 192}, {offsetOf(3) + 116, 4, 192}});
    EXPECT_EQ(antennaOf(ws)[r + 19], 0x25);

    const SatelliteForm shown = satelliteForm(ws, 3);
    EXPECT_EQ(shown.antenna, edited.antenna);
    EXPECT_EQ(shown.position, "19.2");
    EXPECT_EQ(shown.longitude, "1234");
}

TEST_P(SatelliteFilesEditTest, DeleteKeepsTheAntennaFileLengthAndAsksWithTheCount) {
    open([](sample::Files& f) {
        if (f.antenna.size() >= 8200) {
            std::fill_n(f.antenna.begin() + 8168, 32, 0xAB);
        }
    });
    const Bytes antenna = antennaOf(ws);
    const Bytes dvbs = dvbsOf(ws);
    const std::size_t removed =
        dvbs_edit::endOf(ws.files().satelliteFiles.satellites[1]) - offsetOf(1);
    std::size_t users = 0;
    for (const auto& row : ws.services().rows()) {
        users += row.record.satIndex >= 1 && row.record.satIndex < 5 ? 1 : 0;
    }
    const SatelliteChange change = deleteSatellite(ws, 1, prompter);
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 1);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text.rfind(std::to_string(users) + " services use", 0), 0u);
    EXPECT_EQ(dvbsOf(ws).size(), dvbs.size() - removed);
    EXPECT_EQ(test::get(dvbsOf(ws), 0, 2), 4);
    ASSERT_EQ(antennaOf(ws).size(), antenna.size());
    EXPECT_EQ(test::get(antennaOf(ws), an::satelliteCount, 2), 4);
    for (int i = 1; i < 4; ++i) {
        EXPECT_TRUE(std::equal(antenna.begin() + recordAt(i + 1), antenna.begin() + recordAt(i + 2),
                               antennaOf(ws).begin() + recordAt(i)))
            << "record " << i + 1 << " moved down";
    }
    EXPECT_EQ(Bytes(antennaOf(ws).begin() + recordAt(4), antennaOf(ws).begin() + recordAt(5)),
              Bytes(an::recordSize, 0))
        << "the freed last slot is blank";
    EXPECT_TRUE(
        std::equal(antenna.begin() + 8168, antenna.begin() + 8200, antennaOf(ws).begin() + 8168));

    // Declined, nothing changes; the last satellite, holding no transponders, asks nothing.
    open();
    prompter.answers = {false};
    EXPECT_FALSE(deleteSatellite(ws, 0, prompter).written);
    EXPECT_EQ(dvbsOf(ws), dvbs);
    prompter.asked.clear();
    const SatelliteChange last = deleteSatellite(ws, 4, prompter);
    ASSERT_TRUE(last.written);
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(last.select, 3);
}

TEST_P(SatelliteFilesEditTest, ASatelliteMissingFromOneFileShowsDefaultsAndIsRefused) {
    open([&](sample::Files& f) {
        const std::size_t count = GetParam() < 9 ? 4 : an::satelliteCount; // old layout: at 4
        test::put(f.antenna, count, 2, 4);
    });
    const SatelliteForm form = satelliteForm(ws, 4);
    EXPECT_TRUE(form.inDvbs);
    EXPECT_FALSE(form.inAntenna);
    EXPECT_EQ(form.antenna, AntennaForm{});
    const Bytes dvbs = dvbsOf(ws);
    const Bytes antenna = antennaOf(ws);
    SatelliteForm edited = form;
    edited.name = "X";
    for (const SatelliteChange& change :
         {updateSatellite(ws, form, edited), deleteSatellite(ws, 4, prompter),
          addSatellite(ws, edited)}) {
        ASSERT_TRUE(change.refusal);
        EXPECT_FALSE(change.written);
        EXPECT_EQ(change.refusal->notice.title, "Tavrino");
    }
    EXPECT_EQ(dvbsOf(ws), dvbs);
    EXPECT_EQ(antennaOf(ws), antenna);
}

TEST_P(SatelliteFilesEditTest, RefusalsNameTheBoxAndWriteNothing) {
    struct Case {
        std::function<void(SatelliteForm&)> change;
        const char* field;
    };
    const std::vector<Case> cases = {
        {[](SatelliteForm& f) { f.position = "180.1"; }, "Position"},
        {[](SatelliteForm& f) { f.name = "Спутник"; }, "Name"},
        {[](SatelliteForm& f) { f.longitude = "65536"; }, "Longitude:"},
        {[](SatelliteForm& f) { f.antenna.tunerSelect = "256"; }, "tsel:"},
        {[](SatelliteForm& f) { f.antenna.lnbType = 17; }, "LNB type :"},
        {[](SatelliteForm& f) {
             f.antenna.lnbType = userDefinedLnb;
             f.antenna.lnbFrequency = "x";
         },
         "LNB freq.:"},
        {[](SatelliteForm& f) {
             f.antenna.diseqc = combinationEntry;
             f.antenna.committed = -1;
         },
         "committed switch"},
        {[](SatelliteForm& f) { f.antenna.motorPosition = "-1"; }, "DiSEqC 1.2 P :"},
    };
    const Bytes dvbs = dvbsOf(ws);
    const Bytes antenna = antennaOf(ws);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const SatelliteForm opened = satelliteForm(ws, 2);
        SatelliteForm edited = opened;
        c.change(edited);
        const SatelliteChange change = updateSatellite(ws, opened, edited);
        ASSERT_TRUE(change.refusal);
        EXPECT_EQ(change.refusal->field, c.field);
        EXPECT_EQ(dvbsOf(ws), dvbs);
        EXPECT_EQ(antennaOf(ws), antenna);
    }
}

// Choosing another motor mode clears a DiSEqC 1.2 position.
TEST(AntennaForm, AnotherMotorClearsThePosition) {
    AntennaForm form;
    form.motor = diseqc12Motor;
    form.motorPosition = "17";
    chooseMotor(form, 2); // "USALS"
    EXPECT_EQ(form.motorPosition, "0");
}

TransponderForm sampleTransponder() {
    TransponderForm form;
    form.frequency = "11778000";
    form.nid = "1";
    form.tid = "1051";
    form.symbolRate = "27500000";
    form.fec = 3; // "3/4"
    form.polarization = 1;
    form.weFlag = "1";
    form.pilot = 1;
    form.position = "99.9"; // not read: entries take their satellite's position
    form.eastWest = 1;
    form.modulationSystem = 1;
    form.modulationType = 1; // "8PSK"
    return form;
}

TEST_P(SatelliteFilesEditTest, TransponderAddedToAnEmptySatelliteFollowsItsHeader) {
    ASSERT_EQ(satellite(4).tpCount, 0);
    const std::size_t at = satellite(4).offset + dv::satelliteSize;
    const std::int32_t position = satellite(4).orbitalPosition;
    const Bytes before = dvbsOf(ws);
    const TransponderChange change = addTransponder(ws, 4, sampleTransponder());
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 0);
    ASSERT_EQ(dvbsOf(ws).size(), before.size() + dv::transponderSize);
    Bytes expected = {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0xD0, 0xB7, 0xB3, 0x00,
                      1,    0,    0x1B, 0x04, 2,    0,    0,    0,    0xE0, 0x9D, 0xA3, 0x01,
                      3,    1,    1,    1,    0,    0,    0,    0,    0,    1,    2,    0};
    test::put(expected, 28, 4, position);
    EXPECT_EQ(Bytes(dvbsOf(ws).begin() + static_cast<std::ptrdiff_t>(at),
                    dvbsOf(ws).begin() + static_cast<std::ptrdiff_t>(at + dv::transponderSize)),
              expected);
    EXPECT_EQ(test::get(dvbsOf(ws), satellite(4).offset + dv::satelliteTpCount, 2), 1);
}

TEST_P(SatelliteFilesEditTest, TransponderUpdateWritesTheFixedBytesAndTheSatellitesPosition) {
    const std::size_t at = entry(0, 1);
    open([&](sample::Files& f) {
        Bytes& b = f.dvbs;
        std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(at), 8, 0);
        test::put(b, at + 16, 4, 9);
        test::put(b, at + 28, 4, 555);
        b[at + 24] = 12; // a FEC the list cannot show
        b[at + 34] = 7;  // a modulation type the list cannot show
    });
    const TransponderForm opened = transponderForm(ws, 0, 1);
    EXPECT_EQ(opened.fec, -1);
    EXPECT_EQ(opened.modulationType, -1);
    EXPECT_FALSE(updateTransponder(ws, 0, 1, opened, opened).written)
        << "nothing changed: not even the fixed bytes are written";
    TransponderForm edited = opened;
    edited.tid = "4242";
    const TransponderChange change = updateTransponder(ws, 0, 1, opened, edited);
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 1);
    EXPECT_EQ(Bytes(dvbsOf(ws).begin() + static_cast<std::ptrdiff_t>(at),
                    dvbsOf(ws).begin() + static_cast<std::ptrdiff_t>(at + 8)),
              Bytes(8, 0x33));
    expectFields(dvbsOf(ws),
                 {{at + 16, 4, 2}, {at + 28, 4, satellite(0).orbitalPosition}, {at + 14, 2, 4242}});
    EXPECT_EQ(dvbsOf(ws)[at + 24], 12) << "untouched lists keep their bytes";
    EXPECT_EQ(dvbsOf(ws)[at + 34], 7);
}

TEST_P(SatelliteFilesEditTest, TransponderDeleteSelectsTheSameRowOrTheNewLast) {
    const int count = satellite(0).tpCount;
    ASSERT_GE(count, 3);
    EXPECT_EQ(deleteTransponder(ws, 0, 1).select, 1);
    EXPECT_EQ(satellite(0).tpCount, count - 1);
    EXPECT_EQ(deleteTransponder(ws, 0, count - 2).select, count - 3) << "the last one";
    ASSERT_TRUE(addTransponder(ws, 4, sampleTransponder()).written);
    const TransponderChange only = deleteTransponder(ws, 4, 0);
    ASSERT_TRUE(only.written);
    EXPECT_FALSE(only.select.has_value());
    EXPECT_TRUE(transponderLines(ws, 4).empty());
}

TEST_P(SatelliteFilesEditTest, TransponderRefusalsNameTheBoxAndWriteNothing) {
    struct Case {
        std::function<void(TransponderForm&)> change;
        const char* field;
        const char* text = nullptr;
    };
    const std::vector<Case> cases = {
        {[](TransponderForm& f) { f.frequency = "-5"; },
         "Freq :", "Freq: enter a whole number from 1 to 2147483647 !!!"},
        {[](TransponderForm& f) { f.frequency = "2147483648"; }, "Freq :"}, // shown negative
        {[](TransponderForm& f) { f.symbolRate = "0"; },
         "SR :", "SR: enter a whole number from 1 to 2147483647 !!!"},
        {[](TransponderForm& f) { f.nid = "65536"; }, "NID :"},
        {[](TransponderForm& f) { f.fec = 10; }, "FEC :"},
        {[](TransponderForm& f) { f.polarization = -1; }, "Pol. :"},
        {[](TransponderForm& f) { f.weFlag = "256"; }, "we flag :"},
        {[](TransponderForm& f) { f.modulationType = 2; }, "Mod.Type :"},
    };
    const Bytes before = dvbsOf(ws);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        TransponderForm form = sampleTransponder();
        c.change(form);
        const TransponderChange added = addTransponder(ws, 2, form);
        ASSERT_TRUE(added.refusal);
        EXPECT_EQ(added.refusal->field, c.field);
        if (c.text) {
            EXPECT_EQ(added.refusal->notice.text, c.text);
        }
        const TransponderForm opened = transponderForm(ws, 2, 0);
        const TransponderChange updated = updateTransponder(ws, 2, 0, opened, form);
        ASSERT_TRUE(updated.refusal);
        EXPECT_EQ(dvbsOf(ws), before);
    }
    EXPECT_FALSE(ws.history().canUndo());
    TransponderForm smallest = sampleTransponder();
    smallest.symbolRate = "1";
    EXPECT_TRUE(addTransponder(ws, 2, smallest).written);
}

} // namespace
} // namespace tavrino
