#include "database/edit_history.h"
#include "document/document.h"
#include "recording_prompter.h"
#include "tables_in_step.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>

namespace tavrino {
namespace {
using test::TempDir;

class UndoTest : public testing::Test {
public:
    int undoAll() {
        int undone = 0;
        while (ws.undo()) {
            ++undone;
        }
        return undone;
    }

    test::RecordingPrompter prompter; // answers Yes
    Document doc{prompter};
    Workspace& ws = doc.workspace();
    BouquetEditor& editor = doc.bouquets();
    TempDir folder;

protected:
    void SetUp() override {
        test::writeSample(folder.path(), {.services = 500, .satellites = 5, .bouquets = 6});
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    }
};

// Item and service-row lists, written without braces so each operation fits on a line.
std::vector<int> items(auto... n) {
    return {n...};
}
std::vector<std::uint32_t> services(auto... n) {
    return {static_cast<std::uint32_t>(n)...};
}

struct Operation {
    const char* name; // the step's name as the Edit menu shows it
    std::function<void(UndoTest&)> run;
};

const std::vector<Operation>& operations() {
    static const std::vector<Operation> all = {
        {"LOCK 3 Services",
         [](UndoTest& t) { t.doc.changeFlags(services(0, 7, 9), FlagCommand::Lock); }},
        {"Add Bouquet", [](UndoTest& t) { t.editor.add("Sport"); }},
        {"Insert Bouquet", [](UndoTest& t) { t.editor.insert(0, "First"); }},
        {"Rename Bouquet", [](UndoTest& t) { t.editor.rename(2, "Renamed"); }},
        {"Remove Bouquet", [](UndoTest& t) { t.editor.remove(1); }},
        {"Cut Bouquet", [](UndoTest& t) { t.editor.cut(3); }},
        {"Paste Bouquet",
         [](UndoTest& t) {
             t.editor.copy(2);
             t.editor.paste(0);
         }},
        {"Move Bouquet", [](UndoTest& t) { t.editor.move(0, std::nullopt); }},
        {"Drop 3 Services", [](UndoTest& t) { t.editor.dropServices(1, services(5, 6, 7), 0); }},
        {"Move 2 Items", [](UndoTest& t) { t.editor.moveItems(0, items(1, 3), 6); }},
        {"Delete 2 Items", [](UndoTest& t) { t.editor.deleteItems(0, items(0, 5)); }},
        {"Cut 2 Items", [](UndoTest& t) { t.editor.cutItems(0, items(2, 3)); }},
        {"Paste 2 Items",
         [](UndoTest& t) {
             t.editor.copyItems(0, items(0, 1));
             t.editor.pasteItems(2, 0);
         }},
        {"Apply Bouquets",
         [](UndoTest& t) { // the exported list with its first row in a bouquet of its own
             auto list = parseReferenceList(exportReferenceList(t.ws), t.ws.codePage());
             if (!list.rows.empty()) {
                 list.rows[0].bouquet = list.rows[0].bouquetBytes = "Fresh";
             }
             t.doc.applyPlan(t.doc.planApply(list, true));
         }},
        {"Edit Service",
         [](UndoTest& t) { // a bouquet's first service, whose items follow the new SID
             const auto form = openServiceForm(t.ws, t.editor.locate(0, 0).value_or(0));
             ServiceForm to = form;
             to.name = to.name == "Edited" ? "Edited again" : "Edited";
             to.sid = to.sid == "4711" ? "4712" : "4711";
             to.type = to.type == 1 ? 0 : 1;
             ASSERT_TRUE(t.doc.editService(form, to).written);
         }},
        {"Add Satellite",
         [](UndoTest& t) {
             SatelliteForm form = satelliteForm(t.ws, 1);
             form.name = "New";
             t.doc.addSatellite(form);
         }},
        {"Update Satellite", // refused once random deletes took it
         [](UndoTest& t) {
             const auto form = satelliteForm(t.ws, 2);
             SatelliteForm to = form;
             to.name = to.name == "Renamed" ? "Renamed again" : "Renamed";
             to.latitude = to.latitude == "512" ? "513" : "512";
             to.antenna.diseqc = combinationEntry;
             t.doc.updateSatellite(form, to);
         }},
        {"Delete Satellite", [](UndoTest& t) { t.doc.deleteSatellite(1); }},
        {"Add Transponder",
         [](UndoTest& t) {
             t.doc.addTransponder(2, {.frequency = "12188000", .symbolRate = "27500000"});
         }},
        {"Update Transponder",
         [](UndoTest& t) {
             const auto form = transponderForm(t.ws, 0, 1);
             TransponderForm to = form;
             to.symbolRate = to.symbolRate == "31000000" ? "31000001" : "31000000";
             t.doc.updateTransponder(0, 1, form, to);
         }},
        {"Delete Transponder", [](UndoTest& t) { t.doc.deleteTransponder(3, 0); }},
        {"Import 2 Satellites",
         [](UndoTest& t) {
             ImportedList list;
             list.satellites = {{"Imported", 192, {{11778000, 27500000, 3, 1, 1, 2, 0, 0}}},
                                {"Second", -50, {}}};
             t.doc.importSatellites(list, defaultChoice(list));
         }},
    };
    return all;
}

// Every operation that writes: undo gives back every byte, redo every edited byte, and the
// tables follow both.
TEST_F(UndoTest, EachOperationUndoesAndRedoesByteForByte) {
    for (const Operation& op : operations()) {
        SCOPED_TRACE(op.name);
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
        const auto original = test::imagesOf(ws);
        op.run(*this);
        const auto edited = test::imagesOf(ws);
        ASSERT_NE(edited, original);
        EXPECT_EQ(ws.history().undoName(), op.name);
        ASSERT_TRUE(ws.undo());
        EXPECT_EQ(test::imagesOf(ws), original);
        EXPECT_FALSE(ws.modified()) << "back at the state the files were opened in";
        test::expectTablesInStep(ws);
        ASSERT_TRUE(ws.redo());
        EXPECT_EQ(test::imagesOf(ws), edited);
        EXPECT_TRUE(ws.modified());
        test::expectTablesInStep(ws);
    }
}

TEST_F(UndoTest, FiftyRandomOperationsUndoToTheOriginalAndRedoToTheEdit) {
    const auto original = test::imagesOf(ws);
    std::mt19937 random(7);
    for (int i = 0; i < 50; ++i) {
        operations()[random() % operations().size()].run(*this);
    }
    const auto edited = test::imagesOf(ws);
    EXPECT_GT(undoAll(), 30);
    EXPECT_EQ(test::imagesOf(ws), original);
    while (ws.redo()) {
    }
    EXPECT_EQ(test::imagesOf(ws), edited);
}

TEST_F(UndoTest, ModifiedFollowsTheSavedStep) {
    editor.rename(0, editor.rows()[0].name);
    EXPECT_FALSE(ws.history().canUndo()) << "writing what is there is no step";
    editor.add("One");
    editor.add("Two");
    TempDir out;
    ASSERT_TRUE(ws.save(out.path()).ok());
    EXPECT_FALSE(ws.modified());
    ws.undo();
    EXPECT_TRUE(ws.modified()) << "the saved file has Two";
    ws.redo();
    EXPECT_FALSE(ws.modified());
    ws.undo();
    editor.add("Three"); // the saved step can no longer be reached
    EXPECT_FALSE(ws.history().canRedo()) << "a new edit ends the redo chain";
    ws.undo();
    ws.undo();
    EXPECT_TRUE(ws.modified());
    EXPECT_FALSE(ws.redo() == std::nullopt);
    ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    EXPECT_FALSE(ws.history().canUndo() || ws.history().canRedo()) << "opening clears the history";
    EXPECT_FALSE(ws.modified());
}

TEST_F(UndoTest, TheOldestStepsGoFirstWhenALimitIsReached) {
    ws.setHistoryLimits({.steps = 3, .bytes = 64u << 20});
    for (const char* name : {"A", "B", "C", "D", "E"}) {
        editor.add(name);
    }
    EXPECT_EQ(ws.history().stepCount(), 3u);
    EXPECT_EQ(undoAll(), 3);
    EXPECT_EQ(editor.rows().back().name, "B");

    ws.setHistoryLimits({.steps = 100, .bytes = 12000}); // about one bouquet drop
    EXPECT_LE(ws.history().recordedBytes(), 12000u) << "the undone steps went";
    const int row = *editor.add("Room").select;
    for (int i = 0; i < 6; ++i) {
        editor.dropServices(row, std::vector<std::uint32_t>{static_cast<std::uint32_t>(i)}, 0);
        EXPECT_LE(ws.history().recordedBytes(), 12000u);
    }
    EXPECT_EQ(ws.history().stepCount(), 1u);
    EXPECT_EQ(ws.history().undoName(), "Drop 1 Service");
}

} // namespace
} // namespace tavrino
