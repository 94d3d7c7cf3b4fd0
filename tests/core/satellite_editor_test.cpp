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

std::size_t recordAt(int i) {
    return an::headerSize + an::recordSize * static_cast<std::size_t>(i);
}
Bytes slice(const Bytes& bytes, std::size_t at, std::size_t count) {
    const auto from = bytes.begin() + static_cast<std::ptrdiff_t>(at);
    return Bytes(from, from + static_cast<std::ptrdiff_t>(count));
}

// Numbers an image must hold: offset, width, value.
using Field = std::tuple<std::size_t, int, std::int64_t>;
void expectFields(const Bytes& bytes, std::initializer_list<Field> fields) {
    for (const auto& [at, width, value] : fields) {
        EXPECT_EQ(test::get(bytes, at, width), value) << "at " << at;
    }
}

// The row a change selects; none when it wrote nothing.
std::optional<int> selected(const auto& change) {
    return change.written ? change.select : std::nullopt;
}
// A change's refusal; a box named "(none)" when it was not refused.
FieldRefusal refusal(const auto& change) {
    return change.refusal.value_or(FieldRefusal{"(none)", {}});
}

// Frequency, NID, TID, symbol rate, FEC "3/4", polarization, we flag, pilot, position (not
// read: an entry takes its satellite's), East/West, modulation system, "8PSK".
const TransponderForm sampleTransponder{"11778000", "1", "1051", "27500000", 3, 1,
                                        "1",        1,   "99.9", 1,          1, 1};

class SatelliteEditing : public testing::Test {
protected:
    const Bytes& dvbs() const { return ws.files().satelliteFiles.dvbs.bytes; }
    const Bytes& antenna() const { return ws.files().satelliteFiles.antenna.bytes; }
    std::pair<Bytes, Bytes> images() const { return {dvbs(), antenna()}; }

    Workspace ws;
};

// Every version of the files, each test with the images as opened kept for comparison.
class SatelliteFilesEditTest : public SatelliteEditing, public testing::WithParamInterface<int> {
protected:
    void SetUp() override { open(); }

    void open(const std::function<void(sample::Files&)>& patch = [](sample::Files&) {}) {
        auto files = sample::generate({.services = 300, .satellites = 5, .version = GetParam()});
        patch(files);
        sample::writeFolder(files, folder.path());
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
        openedDvbs = dvbs();
        openedAntenna = antenna();
    }
    void expectUnchanged() const { EXPECT_EQ(images(), std::pair(openedDvbs, openedAntenna)); }

    const DvbsSatellite& satellite(int i) const {
        return ws.files().satelliteFiles.satellites.at(static_cast<std::size_t>(i));
    }
    // Where transponder `tp` of satellite `sat` stands in DVBS.dat.
    std::size_t entry(int sat, int tp) const {
        return satellite(sat).offset + dv::satelliteSize +
               dv::transponderSize * static_cast<std::size_t>(tp);
    }

    test::TempDir folder;
    Bytes openedDvbs, openedAntenna;
    test::RecordingPrompter prompter; // answers Yes
};

INSTANTIATE_TEST_SUITE_P(Version, SatelliteFilesEditTest, testing::Values(6, 9, 10));

TEST(SatellitePositions, AreTenthsOfADegreeRoundedWithEastOrWest) {
    const std::optional<std::int32_t> refused;
    const std::vector<std::tuple<const char*, int, std::optional<std::int32_t>>> cases = {
        {"13.0", 0, 130},       {"5.0", 1, -50},      {"19.25", 0, 193},   {"19.249", 1, -192},
        {" 0 ", 1, 0},          {"180", 1, -1800},    {".5", 0, 5},        {"180.04", 0, 1800},
        {"180.05", 0, refused}, {"-5", 0, refused},   {"abc", 0, refused}, {"", 0, refused},
        {"1e3", 0, refused},    {"19,2", 0, refused}, {"13.0", 2, refused}};
    for (const auto& [degrees, eastWest, tenths] : cases) {
        const auto result = dvbs_edit::positionTenths(degrees, eastWest, "Position");
        const auto* value = std::get_if<std::int32_t>(&result);
        EXPECT_EQ(value ? std::optional(*value) : refused, tenths) << degrees;
    }
}

// Counts of satellites and of a satellite's transponders are written in both bytes.
TEST_F(SatelliteEditing, AnEmptyEditorCreatesBothFilesInTheCurrentLayoutAndRefusesThe257th) {
    SatelliteForm form = satelliteForm(ws, std::nullopt);
    form.position = "13.0";
    form.antenna.netIndex = "7";
    ASSERT_EQ(selected(addSatellite(ws, form)), 0);
    ASSERT_EQ(dvbs().size(), dv::headerSize + dv::satelliteSize);
    expectFields(dvbs(), {{dv::satelliteCount, 2, 1},
                          {dv::headerSize + 108, 4, 130},
                          {dv::headerSize + 116, 4, 130}});
    EXPECT_EQ(slice(dvbs(), dv::headerSize + 9, 9), Bytes(form.name.begin(), form.name.end()));
    // The record layouts are the import's tests.
    ASSERT_EQ(antenna().size(), an::convertedSize) << "never the old 8,200-byte layout";
    expectFields(
        antenna(),
        {{an::satelliteCount, 2, 1}, {recordAt(0), 2, 7}, {recordAt(0) + 8, 2, 1}}); // Universal

    for (int i = 1; i < 256; ++i) {
        ASSERT_TRUE(addSatellite(ws, form).written) << i;
    }
    expectFields(dvbs(), {{dv::satelliteCount, 2, 256}});
    expectFields(antenna(), {{an::satelliteCount, 2, 256}});
    const auto before = images();
    EXPECT_EQ(refusal(addSatellite(ws, form)).notice.text, "MAX Satellites (256) !!!");
    EXPECT_EQ(images(), before);

    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(addTransponder(ws, 0, sampleTransponder).written);
    }
    expectFields(dvbs(), {{dv::headerSize + dv::satelliteTpCount, 2, 256}});
    ASSERT_TRUE(deleteTransponder(ws, 0, 0).written);
    expectFields(dvbs(), {{dv::headerSize + dv::satelliteTpCount, 2, 255}});
}

TEST_P(SatelliteFilesEditTest, AddPutsTheSatelliteAfterTheLastOneBeforeAnyTail) {
    const Bytes tail = {'T', 'A', 'I', 'L'};
    open([&](sample::Files& f) { f.dvbs.insert(f.dvbs.end(), tail.begin(), tail.end()); });
    const std::size_t end = openedDvbs.size() - tail.size();
    SatelliteForm form = satelliteForm(ws, 2);
    form.name = std::string(70, 'n');
    form.position = "5.0";
    form.eastWest = 1;
    ASSERT_EQ(selected(addSatellite(ws, form)), 5);
    ASSERT_EQ(dvbs().size(), openedDvbs.size() + dv::satelliteSize);
    EXPECT_EQ(slice(dvbs(), 2, end - 2), slice(openedDvbs, 2, end - 2));
    EXPECT_EQ(slice(dvbs(), dvbs().size() - 4, 4), tail);
    EXPECT_EQ(dvbs()[end + dv::satelliteNumber], 5);
    expectFields(dvbs(), {{end + 108, 4, -50}, {0, 2, 6}});
    EXPECT_EQ(ws.files().satelliteFiles.satellites.back().name, std::string(64, 'n'))
        << "cut to the 64-byte field";
    expectFields(antenna(), {{an::satelliteCount, 2, 6}});
}

// An update writes only what changed: stored values the lists cannot show, or a frequency kept
// for a fixed LNB type, stay. The header, position and antenna it writes show again.
TEST_P(SatelliteFilesEditTest, UpdateWritesOnlyWhatChangedAndShowsItAgain) {
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
    const AntennaForm& shown = opened.antenna;
    if (GetParam() >= 9) {
        EXPECT_EQ((std::array{shown.lnbType, shown.nitSearch, shown.motor, shown.order}),
                  (std::array{-1, -1, -1, -1}));
    }
    for (int i = 0; i < 5; ++i) {
        const SatelliteForm form = satelliteForm(ws, i);
        EXPECT_FALSE(updateSatellite(ws, form, form).written) << "nothing changed in " << i;
    }
    EXPECT_FALSE(ws.history().canUndo());
    SatelliteForm edited = opened;
    edited.name = "Astra";
    edited.antenna.tunerSelect = "3";
    ASSERT_TRUE(updateSatellite(ws, opened, edited).written);
    Bytes expectedAntenna = openedAntenna;
    expectedAntenna[r + 4] = 3;
    EXPECT_EQ(antenna(), expectedAntenna);
    Bytes expectedDvbs = openedDvbs;
    const std::string astra = std::string("Astra") + std::string(59, '\0');
    std::copy(astra.begin(), astra.end(),
              expectedDvbs.begin() + satellite(1).offset + dv::satelliteName);
    EXPECT_EQ(dvbs(), expectedDvbs);
    EXPECT_EQ(satelliteLines(ws)[1], "Astra");

    const SatelliteForm third = satelliteForm(ws, 3);
    edited = third;
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
    ASSERT_EQ(selected(updateSatellite(ws, third, edited)), 3);
    // The record's layout is the import's to pin; here it must read back as edited.
    expectFields(antenna(), {{0, 2, 1234}, {2, 2, 567}});
    const std::size_t sat = satellite(3).offset;
    expectFields(dvbs(), {{sat + 108, 4, 192}, {sat + 116, 4, 192}});
    const SatelliteForm again = satelliteForm(ws, 3);
    EXPECT_EQ(again.antenna, edited.antenna);
    EXPECT_EQ((std::pair{again.position, again.longitude}),
              (std::pair{edited.position, edited.longitude}));
}

TEST_P(SatelliteFilesEditTest, DeleteKeepsTheAntennaFileLengthAndAsksWithTheCount) {
    open([](sample::Files& f) {
        if (f.antenna.size() >= 8200) {
            std::fill_n(f.antenna.begin() + 8168, 32, 0xAB);
        }
    });
    const std::size_t removed = dvbs_edit::endOf(satellite(1)) - satellite(1).offset;
    std::size_t users = 0;
    for (const auto& row : ws.services().rows()) {
        users += row.record.satIndex >= 1 && row.record.satIndex < 5 ? 1 : 0;
    }
    ASSERT_EQ(selected(deleteSatellite(ws, 1, prompter)), 1);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text.rfind(std::to_string(users) + " services use", 0), 0u);
    EXPECT_EQ(dvbs().size(), openedDvbs.size() - removed);
    expectFields(dvbs(), {{0, 2, 4}});
    // Records 2 to 4 move down, the freed last slot is blank, the rest (an old tail) stays.
    Bytes expected = openedAntenna;
    const auto record = [&](int i) { return openedAntenna.begin() + recordAt(i); };
    std::copy(record(2), record(5), expected.begin() + recordAt(1));
    std::fill(expected.begin() + recordAt(4), expected.begin() + recordAt(5), 0);
    test::put(expected, an::satelliteCount, 2, 4);
    EXPECT_EQ(antenna(), expected);

    // Declined, nothing changes; the last satellite, holding no transponders, asks nothing.
    open();
    prompter.answers = {false};
    EXPECT_FALSE(deleteSatellite(ws, 0, prompter).written);
    expectUnchanged();
    prompter.asked.clear();
    EXPECT_EQ(selected(deleteSatellite(ws, 4, prompter)), 3);
    EXPECT_TRUE(prompter.asked.empty());
}

TEST_P(SatelliteFilesEditTest, ASatelliteMissingFromOneFileShowsDefaultsAndIsRefused) {
    open([&](sample::Files& f) {
        const std::size_t count = GetParam() < 9 ? 4 : an::satelliteCount; // old layout: at 4
        test::put(f.antenna, count, 2, 4);
    });
    const SatelliteForm form = satelliteForm(ws, 4);
    EXPECT_EQ((std::pair{form.inDvbs, form.inAntenna}), (std::pair{true, false}));
    EXPECT_EQ(form.antenna, AntennaForm{});
    SatelliteForm edited = form;
    edited.name = "X";
    for (const SatelliteChange& change :
         {updateSatellite(ws, form, edited), deleteSatellite(ws, 4, prompter),
          addSatellite(ws, edited)}) {
        EXPECT_EQ(std::pair(change.written, refusal(change).notice.title),
                  std::pair(false, std::string("Tavrino")));
    }
    expectUnchanged();
}

TEST_P(SatelliteFilesEditTest, RefusalsNameTheBoxAndWriteNothing) {
    // Edits of a form in user-defined LNB and combination mode, where every box is read.
    const SatelliteForm opened = satelliteForm(ws, 2);
    SatelliteForm base = opened;
    base.antenna.lnbType = userDefinedLnb;
    base.antenna.diseqc = combinationEntry;
    using Case = std::pair<std::function<void(SatelliteForm&)>, const char*>;
    const std::vector<Case> cases = {
        {[](SatelliteForm& f) { f.position = "180.1"; }, "Position"},
        {[](SatelliteForm& f) { f.name = "Спутник"; }, "Name"},
        {[](SatelliteForm& f) { f.longitude = "65536"; }, "Longitude:"},
        {[](SatelliteForm& f) { f.antenna.tunerSelect = "256"; }, "tsel:"},
        {[](SatelliteForm& f) { f.antenna.lnbType = 17; }, "LNB type :"},
        {[](SatelliteForm& f) { f.antenna.lnbFrequency = "x"; }, "LNB freq.:"},
        {[](SatelliteForm& f) { f.antenna.committed = -1; }, "committed switch"},
        {[](SatelliteForm& f) { f.antenna.motorPosition = "-1"; }, "DiSEqC 1.2 P :"},
    };
    for (const auto& [change, field] : cases) {
        SatelliteForm edited = base;
        change(edited);
        EXPECT_EQ(refusal(updateSatellite(ws, opened, edited)).field, field);
    }
    expectUnchanged();
}

// Choosing another motor mode clears a DiSEqC 1.2 position.
TEST(AntennaForm, AnotherMotorClearsThePosition) {
    AntennaForm form{.motor = diseqc12Motor, .motorPosition = "17"};
    chooseMotor(form, 2); // "USALS"
    EXPECT_EQ(form.motorPosition, "0");
}

// Added to an empty satellite, a transponder follows its header; a delete keeps the row
// selected, or selects the new last, or nothing once the satellite has none.
TEST_P(SatelliteFilesEditTest, TransponderAddFollowsTheHeaderAndDeleteSelectsTheSameRowOrTheLast) {
    ASSERT_EQ(satellite(4).tpCount, 0);
    ASSERT_EQ(selected(addTransponder(ws, 4, sampleTransponder)), 0);
    ASSERT_EQ(dvbs().size(), openedDvbs.size() + dv::transponderSize);
    Bytes expected = {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0xD0, 0xB7, 0xB3, 0x00,
                      1,    0,    0x1B, 0x04, 2,    0,    0,    0,    0xE0, 0x9D, 0xA3, 0x01,
                      3,    1,    1,    1,    0,    0,    0,    0,    0,    1,    2,    0};
    test::put(expected, 28, 4, satellite(4).orbitalPosition);
    EXPECT_EQ(slice(dvbs(), entry(4, 0), dv::transponderSize), expected);
    expectFields(dvbs(), {{satellite(4).offset + dv::satelliteTpCount, 2, 1}});

    const int count = satellite(0).tpCount;
    ASSERT_GE(count, 3);
    EXPECT_EQ(deleteTransponder(ws, 0, 1).select, 1);
    EXPECT_EQ(satellite(0).tpCount, count - 1);
    EXPECT_EQ(deleteTransponder(ws, 0, count - 2).select, count - 3) << "the last one";
    const TransponderChange only = deleteTransponder(ws, 4, 0);
    EXPECT_TRUE(only.written && !only.select);
    EXPECT_TRUE(transponderLines(ws, 4).empty());
}

TEST_P(SatelliteFilesEditTest, TransponderUpdateWritesTheFixedBytesAndTheSatellitesPosition) {
    const std::size_t at = entry(0, 1);
    open([&](sample::Files& f) {
        Bytes& b = f.dvbs;
        std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(at), 8, 0);
        test::put(b, at + 12, 2, 65535); // a NID read unsigned
        test::put(b, at + 16, 4, 9);
        test::put(b, at + 28, 4, 555);
        b[at + 24] = 12; // a FEC the list cannot show
        b[at + 34] = 7;  // a modulation type the list cannot show
    });
    const TransponderForm opened = transponderForm(ws, 0, 1);
    EXPECT_EQ(std::tuple(opened.fec, opened.modulationType, opened.nid),
              std::tuple(-1, -1, "65535"));
    EXPECT_FALSE(updateTransponder(ws, 0, 1, opened, opened).written)
        << "nothing changed: not even the fixed bytes are written";
    TransponderForm edited = opened;
    edited.tid = "4242";
    ASSERT_EQ(selected(updateTransponder(ws, 0, 1, opened, edited)), 1);
    EXPECT_EQ(slice(dvbs(), at, 8), Bytes(8, 0x33));
    // Untouched lists keep their bytes.
    expectFields(dvbs(), {{at + 16, 4, 2},
                          {at + 28, 4, satellite(0).orbitalPosition},
                          {at + 14, 2, 4242},
                          {at + 24, 1, 12},
                          {at + 34, 1, 7}});
}

TEST_P(SatelliteFilesEditTest, TransponderRefusalsNameTheBoxAndWriteNothing) {
    // The box named, and the message where it says more than the box's name; 2147483648 would
    // be shown negative.
    const std::vector<std::tuple<std::function<void(TransponderForm&)>, const char*, std::string>>
        cases = {
            {[](TransponderForm& f) { f.frequency = "-5"; },
             "Freq :", "Freq: enter a whole number from 1 to 2147483647 !!!"},
            {[](TransponderForm& f) { f.frequency = "2147483648"; }, "Freq :", ""},
            {[](TransponderForm& f) { f.symbolRate = "0"; },
             "SR :", "SR: enter a whole number from 1 to 2147483647 !!!"},
            {[](TransponderForm& f) { f.nid = "65536"; }, "NID :", ""},
            {[](TransponderForm& f) { f.fec = 10; }, "FEC :", ""},
            {[](TransponderForm& f) { f.polarization = -1; }, "Pol. :", ""},
            {[](TransponderForm& f) { f.weFlag = "256"; }, "we flag :", ""},
            {[](TransponderForm& f) { f.modulationType = 2; }, "Mod.Type :", ""},
        };
    for (const auto& [change, field, text] : cases) {
        SCOPED_TRACE(field);
        TransponderForm form = sampleTransponder;
        change(form);
        const FieldRefusal added = refusal(addTransponder(ws, 2, form));
        EXPECT_EQ(added.field, field);
        EXPECT_TRUE(text.empty() || added.notice.text == text) << added.notice.text;
        EXPECT_TRUE(updateTransponder(ws, 2, 0, transponderForm(ws, 2, 0), form).refusal);
    }
    expectUnchanged();
    EXPECT_FALSE(ws.history().canUndo());
    TransponderForm smallest = sampleTransponder;
    smallest.symbolRate = "1";
    EXPECT_TRUE(addTransponder(ws, 2, smallest).written);
}

} // namespace
} // namespace tavrino
