#include "database/layout.h"
#include "document/document.h"
#include "recording_prompter.h"
#include "services/flag_edit.h"
#include "tables_in_step.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::TempDir;

// A document on a sample folder that keeps every change it is told, and checks at each one
// that the tables already show the bytes.
class DocumentTest : public testing::Test {
protected:
    void SetUp() override {
        test::writeSample(folder.path(), {.services = 300, .satellites = 4, .bouquets = 5});
        doc.listen([this](const Change& change) {
            told.push_back(change);
            test::expectTablesInStep(doc.workspace());
        });
        ASSERT_TRUE(doc.openFolder(folder.path()).opened());
        told.clear();
    }

    // The flag words of `rows`, high byte included.
    std::vector<std::int64_t> flags(const std::vector<std::uint32_t>& rows) const {
        const Workspace& ws = doc.workspace();
        return test::mapped(rows, [&](std::uint32_t row) {
            const std::size_t at = ws.services().row(row).record.offset;
            return test::get(ws.channelBytes(), at + layout::channel::service::flags, 2);
        });
    }

    TempDir folder;
    test::RecordingPrompter prompter; // answers Yes
    Document doc{prompter};
    std::vector<Change> told;
};

TEST_F(DocumentTest, FlagCommandsChangeOneBitOfEachServiceAsOneStep) {
    const std::vector<std::uint32_t> rows = {0, 7, 12};
    Workspace& ws = doc.workspace();
    { // a high byte the commands must keep
        const auto step = ws.beginEdit("Edit");
        ws.channelEditor().writeNumber(
            ws.services().row(12).record.offset + layout::channel::service::flags + 1, 1, 0x13);
        ws.rereadServices({12});
    }
    for (const auto& [command, bit, set, step] :
         std::vector<std::tuple<FlagCommand, std::int64_t, bool, std::string>>{
             {FlagCommand::Lock, flagLocked, true, "LOCK 3 Services"},
             {FlagCommand::Unlock, flagLocked, false, "UnLOCK 3 Services"},
             {FlagCommand::InsertHd, flagHd, true, "Insert HD Flag on 3 Services"},
             {FlagCommand::RemoveHd, flagHd, false, "Remove HD Flag from 3 Services"}}) {
        SCOPED_TRACE(step);
        // The service's other bits and the high byte stay; so does every other byte.
        std::vector<std::int64_t> expected = flags(rows);
        for (std::int64_t& value : expected) {
            value = set ? value | bit : value & ~bit;
        }
        const Bytes image = ws.channelBytes();
        const std::size_t steps = ws.history().stepCount();
        told.clear();
        doc.changeFlags(rows, command);
        EXPECT_EQ(flags(rows), expected);
        if (ws.channelBytes() == image) {
            EXPECT_TRUE(told.empty()) << "nothing changed: no step, nothing told";
            EXPECT_EQ(ws.history().stepCount(), steps);
            continue;
        }
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ((std::tuple{told[0].kind, told[0].name, told[0].serviceRows}),
                  (std::tuple{Change::Kind::Edit, step, rows}));
        EXPECT_EQ(ws.history().undoName(), step);
        EXPECT_FALSE(doc.changeFlags(rows, command)) << "a second time changes nothing";
    }
}

// Every step that closes is told once, named, with what it touched, and with the tables
// already in step (checked at each).
TEST_F(DocumentTest, EveryClosedStepIsToldOnce) {
    BouquetEditor& bouquets = doc.bouquets();
    const std::uint32_t itemService = *bouquets.locate(0, 0);
    using Kind = Change::Kind;
    struct Step {
        const char* what;
        std::function<void()> run;
        std::string name = "";
        std::function<bool(const Change&)> fits = nullptr; // none: nothing is told
        Kind kind = Kind::Edit;
    };
    const auto anything = [](const Change&) { return true; };
    // One record: its row is read again, not the tree, and its items followed the SID.
    const auto sidEdit = [&](const Change& c) {
        return c.serviceRows.front() == itemService && c.bouquetRecords.front() == 0 &&
               !c.servicesRebuilt;
    };
    TempDir saved, other;
    test::writeSample(other.path(), {.services = 10, .satellites = 2, .seed = 5});
    const std::vector<Step> steps = {
        {"a bouquet added", [&] { bouquets.add("Neu"); }, "Add Bouquet",
         [](const Change& c) { return c.bouquetsChanged && c.bouquetRecords == std::vector{5}; }},
        {"a cut, which removes inside", [&] { bouquets.cut(1); }, "Cut Bouquet",
         [](const Change& c) { return c.bouquetsChanged; }},
        {"the cut undone", [&] { doc.undo(); }, "Cut Bouquet",
         [](const Change& c) { return c.bouquetRecords.front() == 1; }, Kind::Undo},
        {"a move that keeps the order", [&] { bouquets.move(0, 1); }},
        {"services dropped",
         [&] {
             const int last = static_cast<int>(bouquets.rows().size()) - 1;
             bouquets.dropServices(last, std::vector<std::uint32_t>{3, 4}, std::nullopt);
         },
         "Drop 2 Services",
         [&](const Change& c) {
             return c.bouquetRecords == std::vector{bouquets.rows().back().record};
         }},
        {"a service's SID",
         [&] {
             const ServiceForm opened = openServiceForm(doc.workspace(), itemService);
             ServiceForm edited = opened;
             edited.sid = "4711";
             doc.editService(opened, edited);
         },
         editServiceStep, sidEdit},
        {"the SID undone", [&] { doc.undo(); }, editServiceStep, sidEdit, Kind::Undo},
        {"the SID redone", [&] { doc.redo(); }, editServiceStep, sidEdit, Kind::Redo},
        {"a transponder added",
         [&] { doc.addTransponder(1, {.frequency = "12188", .symbolRate = "27500"}); },
         "Add Transponder",
         [](const Change& c) { return c.satellitesChanged && !c.bouquetsChanged; }},
        {"undo", [&] { doc.undo(); }, "Add Transponder",
         [](const Change& c) { return c.satellitesChanged; }, Kind::Undo},
        {"redo", [&] { doc.redo(); }, "Add Transponder", anything, Kind::Redo},
        {"nothing to redo", [&] { doc.redo(); }},
        {"saved", [&] { doc.save(SaveScope::AllFiles, saved.path(), {}, prompter); }, "",
         [&](const Change&) { return !doc.workspace().modified(); }, Kind::Save},
        {"the same satellite files, which are no step",
         [&] { doc.loadSatelliteFiles(saved / "antenna_list.dat", saved / "DVBS.dat"); }},
        {"other satellite files",
         [&] { doc.loadSatelliteFiles(other / "antenna_list.dat", other / "DVBS.dat"); },
         "Open Satellite Files",
         [&](const Change& c) { // the channel list stays, and its steps
             return c.satellitesChanged && !c.databaseReplaced &&
                    doc.workspace().files().satelliteFiles.satellites.size() == 2;
         },
         Kind::Open},
        {"other files", [&] { doc.openFolder(folder.path()); }, "",
         [](const Change& c) { return c.databaseReplaced; }, Kind::Open},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        told.clear();
        step.run();
        ASSERT_EQ(told.size(), step.fits ? 1u : 0u);
        if (step.fits) {
            EXPECT_EQ((std::pair{told[0].kind, told[0].name}), (std::pair{step.kind, step.name}));
            EXPECT_TRUE(step.fits(told[0]));
        }
    }
}

// Undo moves bouquet records back: the editor's ids start afresh before anyone reads them.
TEST_F(DocumentTest, BouquetIdsFollowAnUndo) {
    BouquetEditor& bouquets = doc.bouquets();
    const auto first = bouquets.idOfRow(0);
    bouquets.remove(0);
    std::optional<BouquetId> seen;
    doc.listen([&](const Change&) { seen = doc.bouquets().idOfRow(0); });
    doc.undo();
    ASSERT_TRUE(seen);
    EXPECT_NE(*seen, *first);
    EXPECT_EQ(doc.bouquets().rowOfId(*seen), 0);
}

} // namespace
} // namespace tavrino
