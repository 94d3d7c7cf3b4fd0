#include "database/layout.h"
#include "satellites/satellite_editor.h"
#include "satellites/transponder_editor.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
namespace dv = layout::dvbs;
using test::TempDir;

class TransponderEditorTest : public testing::TestWithParam<int> {
protected:
    void SetUp() override { open(); }

    void open(const std::function<void(Bytes&)>& patchDvbs = {}) {
        auto files = sample::generate({.services = 300, .satellites = 5, .version = GetParam()});
        if (patchDvbs) {
            patchDvbs(files.dvbs);
        }
        sample::writeFolder(files, folder.path());
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    }

    const Bytes& dvbs() const { return ws.files().satelliteFiles.dvbs.bytes; }
    const DvbsSatellite& satellite(int i) const {
        return ws.files().satelliteFiles.satellites.at(static_cast<std::size_t>(i));
    }
    std::size_t entry(int sat, int tp) const {
        return satellite(sat).offset + dv::satelliteSize +
               dv::transponderSize * static_cast<std::size_t>(tp);
    }

    TempDir folder;
    Workspace ws;
};

INSTANTIATE_TEST_SUITE_P(Versions, TransponderEditorTest, testing::Values(6, 9, 10),
                         [](const auto& version) {
                             return "version" + std::to_string(version.param);
                         });

TransponderForm sampleForm() {
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

TEST_P(TransponderEditorTest, AddingToASatelliteWithoutTranspondersPutsItAfterTheHeader) {
    ASSERT_EQ(satellite(4).tpCount, 0);
    const std::size_t at = satellite(4).offset + dv::satelliteSize;
    const std::int32_t position = satellite(4).orbitalPosition;
    const Bytes before = dvbs();
    const TransponderChange change = addTransponder(ws, 4, sampleForm());
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 0);
    EXPECT_EQ(ws.history().undoName(), "Add Transponder");
    ASSERT_EQ(dvbs().size(), before.size() + dv::transponderSize);
    Bytes expected = {0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0xD0, 0xB7, 0xB3, 0x00,
                      1,    0,    0x1B, 0x04, 2,    0,    0,    0,    0xE0, 0x9D, 0xA3, 0x01,
                      3,    1,    1,    1,    0,    0,    0,    0,    0,    1,    2,    0};
    test::put(expected, 28, 4, position);
    EXPECT_EQ(Bytes(dvbs().begin() + static_cast<std::ptrdiff_t>(at),
                    dvbs().begin() + static_cast<std::ptrdiff_t>(at + dv::transponderSize)),
              expected);
    EXPECT_EQ(test::get(dvbs(), satellite(4).offset + dv::satelliteTpCount, 2), 1);
    EXPECT_EQ(transponderLines(ws, 4), std::vector<std::string>{"11778000"});
}

TEST_P(TransponderEditorTest, UpdateWritesTheFixedBytesAndTheSatellitesPosition) {
    const std::size_t at = entry(0, 1);
    open([&](Bytes& b) {
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
    EXPECT_EQ(Bytes(dvbs().begin() + static_cast<std::ptrdiff_t>(at),
                    dvbs().begin() + static_cast<std::ptrdiff_t>(at + 8)),
              Bytes(8, 0x33));
    EXPECT_EQ(test::get(dvbs(), at + 16, 4), 2);
    EXPECT_EQ(test::get(dvbs(), at + 28, 4), satellite(0).orbitalPosition);
    EXPECT_EQ(test::get(dvbs(), at + 14, 2), 4242);
    EXPECT_EQ(dvbs()[at + 24], 12) << "untouched lists keep their bytes";
    EXPECT_EQ(dvbs()[at + 34], 7);
}

TEST_P(TransponderEditorTest, DeleteSelectsTheSameRowOrTheNewLast) {
    const int count = satellite(0).tpCount;
    ASSERT_GE(count, 3);
    EXPECT_EQ(deleteTransponder(ws, 0, 1).select, 1);
    EXPECT_EQ(satellite(0).tpCount, count - 1);
    EXPECT_EQ(deleteTransponder(ws, 0, count - 2).select, count - 3) << "the last one";
    ASSERT_TRUE(addTransponder(ws, 4, sampleForm()).written);
    const TransponderChange only = deleteTransponder(ws, 4, 0);
    ASSERT_TRUE(only.written);
    EXPECT_FALSE(only.select.has_value());
    EXPECT_TRUE(transponderLines(ws, 4).empty());
}

TEST(TransponderCount, IsWrittenInBothBytes) {
    Workspace ws;
    ASSERT_TRUE(addSatellite(ws, satelliteForm(ws, std::nullopt)).written);
    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(addTransponder(ws, 0, sampleForm()).written);
    }
    const Bytes& dvbs = ws.files().satelliteFiles.dvbs.bytes;
    const std::size_t count = dv::headerSize + dv::satelliteTpCount;
    EXPECT_EQ(test::get(dvbs, count, 2), 256);
    ASSERT_TRUE(deleteTransponder(ws, 0, 0).written);
    EXPECT_EQ(test::get(ws.files().satelliteFiles.dvbs.bytes, count, 2), 255);
}

TEST_P(TransponderEditorTest, RefusalsNameTheBoxAndWriteNothing) {
    struct Case {
        std::function<void(TransponderForm&)> change;
        const char* field;
        const char* text = nullptr;
    };
    const std::vector<Case> cases = {
        {[](TransponderForm& f) { f.frequency = "11.7"; }, "Freq :"},
        {[](TransponderForm& f) { f.frequency = "-5"; },
         "Freq :", "Freq: enter a whole number from 1 to 2147483647 !!!"},
        {[](TransponderForm& f) { f.frequency = "0"; }, "Freq :"},
        {[](TransponderForm& f) { f.frequency = "2147483648"; }, "Freq :"}, // shown negative
        {[](TransponderForm& f) { f.symbolRate = "0"; },
         "SR :", "SR: enter a whole number from 1 to 2147483647 !!!"},
        {[](TransponderForm& f) { f.nid = "65536"; }, "NID :"},
        {[](TransponderForm& f) { f.tid = ""; }, "TID :"},
        {[](TransponderForm& f) { f.symbolRate = "4294967296"; }, "SR :"},
        {[](TransponderForm& f) { f.fec = 10; }, "FEC :"},
        {[](TransponderForm& f) { f.polarization = -1; }, "Pol. :"},
        {[](TransponderForm& f) { f.weFlag = "256"; }, "we flag :"},
        {[](TransponderForm& f) { f.modulationType = 2; }, "Mod.Type :"},
    };
    const Bytes before = dvbs();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        TransponderForm form = sampleForm();
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
        EXPECT_EQ(dvbs(), before);
    }
    EXPECT_FALSE(ws.history().canUndo());
    TransponderForm smallest = sampleForm();
    smallest.symbolRate = "1";
    EXPECT_TRUE(addTransponder(ws, 2, smallest).written);
}

} // namespace
} // namespace tavrino
