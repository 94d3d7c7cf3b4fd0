#include "bouquet_contents.h"
#include "bouquets/bouquet_editor.h"
#include "database/layout.h"
#include "recording_prompter.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <numeric>

namespace tavrino {
namespace {
namespace ch = layout::channel;
using test::links;
using test::names;
using test::TempDir;

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t to) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(to)};
}

std::vector<std::uint32_t> serviceRows(std::uint32_t first, std::size_t count) {
    std::vector<std::uint32_t> rows(count);
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

class BouquetEditorTest : public testing::Test {
protected:
    void SetUp() override {
        test::writeSample(folder.path(), {.services = 400, .satellites = 4, .bouquets = 0});
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
    }

    // Bouquets A, B, C, D holding 1, 2, 3 and 4 services.
    void makeFourBouquets() {
        std::uint32_t service = 0;
        for (const char* name : {"A", "B", "C", "D"}) {
            const int row = *editor.add(name).select;
            editor.dropServices(row, serviceRows(service, static_cast<std::size_t>(row) + 1), {});
            service += static_cast<std::uint32_t>(row) + 1;
        }
    }
    // One bouquet, "Fav", holding `count` services.
    void makeFavourites(std::size_t count) {
        editor.add("Fav");
        editor.dropServices(0, serviceRows(0, count), std::nullopt);
    }

    const Bytes& image() const { return ws.channelBytes(); }
    // A change declined or refused: it says so and leaves every byte.
    void expectNothingWritten(const auto& change) {
        const Bytes before = image();
        EXPECT_FALSE(change().written);
        EXPECT_EQ(image(), before);
    }
    std::int64_t at(std::size_t offset, int width) const {
        return test::get(image(), offset, width);
    }
    bool zeroes(std::size_t from, std::size_t to) const {
        return slice(image(), from, to) == Bytes(to - from, 0);
    }

    TempDir folder;
    Workspace ws;
    test::RecordingPrompter prompter;
    BouquetEditor editor{ws, prompter};
};

// Typed names are cut to 50 bytes, a rename clears what is left of the old name, and a name
// the code page cannot hold is refused.
TEST_F(BouquetEditorTest, NamesAreCutTo50AndMustFitTheCodePage) {
    const Bytes before = image();
    const auto refused = editor.add("Česko");
    EXPECT_TRUE(refused.nameRefused && !refused.written);
    EXPECT_EQ(image(), before);
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_NE(prompter.told[0].text.find("Č"), std::string::npos);
    EXPECT_FALSE(editor.add("").written);
    EXPECT_EQ(editor.add(std::string(60, 'x')).select, 0);
    EXPECT_EQ(at(ch::bouquetCount, 2), 1);
    EXPECT_EQ(at(ch::bouquets + 4, 1), 50);
    EXPECT_EQ(names(editor), std::vector<std::string>{std::string(50, 'x')});
    ws.channelEditor().writeNumber(ch::bouquets + 103, 1, 0x5A);
    editor.rename(0, "Hi");
    EXPECT_EQ(at(ch::bouquets + 4, 1), 2);
    EXPECT_TRUE(zeroes(ch::bouquets + 8, ch::bouquets + 103));
    EXPECT_EQ(image()[ch::bouquets + 103], 0x5A);
}

TEST_F(BouquetEditorTest, LimitsRefuseWithTheirMessage) {
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(editor.add("B" + std::to_string(i)).written);
    }
    const Bytes before = image();
    EXPECT_FALSE(editor.add("one more").written);
    EXPECT_FALSE(editor.insert(0, "one more").written);
    editor.copy(3);
    EXPECT_FALSE(editor.paste(0).written);
    EXPECT_EQ(image(), before);
    EXPECT_EQ(prompter.told, std::vector<Notice>(3, Notice{"Tavrino", "MAX Bouquet (50) !!!",
                                                           NoticeIcon::Exclamation}));
}

TEST_F(BouquetEditorTest, InsertBeforeTheFirstMovesEverythingUp) {
    makeFourBouquets();
    const Bytes before = image();
    EXPECT_EQ(editor.insert(0, "New").select, 0);
    EXPECT_EQ(names(editor), (std::vector<std::string>{"New", "A", "B", "C", "D"}));
    for (std::size_t b = 0; b < 4; ++b) {
        const std::size_t items = ch::bouquetItems + 4800 * b;
        EXPECT_TRUE(slice(before, items, items + 4800) ==
                    slice(image(), items + 4800, items + 9600));
        EXPECT_EQ(at(ch::bouquetItemCounts + 2 * (b + 1), 2), b + 1);
        EXPECT_EQ(at(ch::bouquets + 104 * (b + 1) + 2, 1), b + 1) << "renumbered";
    }
    EXPECT_EQ(at(ch::bouquetItemCounts, 2), 0);
    EXPECT_EQ(at(ch::bouquetCount, 2), 5);
    EXPECT_FALSE(editor.insert(0, "").written);
}

TEST_F(BouquetEditorTest, RemoveAsksAndSelectsTheNextRow) {
    makeFourBouquets();
    prompter.answers = {false};
    expectNothingWritten([&] { return editor.remove(1); });
    EXPECT_EQ(prompter.asked.back(),
              (Notice{"Confirm", "Are you sure you want to delete Bouquet : B ?\r\n\r\n",
                      NoticeIcon::Question}));
    EXPECT_EQ(editor.remove(3).select, 2); // the last: the new last is selected
    EXPECT_EQ(editor.remove(0).select, 0);
    EXPECT_EQ(names(editor), (std::vector<std::string>{"B", "C"}));
    EXPECT_EQ(editor.items(0).size(), 2u) << "B's items moved down with it";
    editor.remove(0);
    const auto last = editor.remove(0);
    EXPECT_TRUE(last.written && !last.select);
    EXPECT_TRUE(zeroes(ch::bouquets, ch::bouquets + 104 * 4)) << "freed slots are cleared";
}

// A dragged bouquet lands before the one it is dropped on (the end when none), with its items.
TEST_F(BouquetEditorTest, DragMoveEndsBeforeTheDropRowAndAsksFirst) {
    makeFourBouquets();
    struct Case {
        int from;
        std::optional<int> onto;
        std::vector<std::string> order;
    };
    for (const Case& c : {Case{1, 3, {"A", "C", "B", "D"}}, Case{3, 1, {"A", "D", "B", "C"}},
                          Case{1, 2, {"A", "B", "C", "D"}}, Case{1, 1, {"A", "B", "C", "D"}},
                          Case{0, std::nullopt, {"B", "C", "D", "A"}}}) {
        const auto movedLinks = links(editor.items(c.from));
        const auto change = editor.move(c.from, c.onto);
        EXPECT_EQ(names(editor), c.order) << c.from;
        if (change.written) {
            EXPECT_EQ(links(editor.items(*change.select)), movedLinks) << "items travel along";
            EXPECT_EQ(prompter.asked.back().text, "Are you sure you want to move Bouquet : " +
                                                      c.order[*change.select] + " ?\r\n\r\n");
            ws.undo();
        }
    }
    prompter.answers = {false};
    expectNothingWritten([&] { return editor.move(1, 3); });
}

TEST_F(BouquetEditorTest, RowsKeepTheirRecordWhenANameIsEmpty) {
    makeFourBouquets();
    ws.channelEditor().writeNumber(ch::bouquets + 104 + 4, 2, 0); // record 1 loses its name
    ws.refreshBouquets();
    ASSERT_EQ(names(editor), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(editor.items(1).size(), 3u) << "row 1 shows record 2";
    editor.rename(1, "Cee");
    editor.remove(2);
    EXPECT_EQ(names(editor), (std::vector<std::string>{"A", "Cee"}));
    EXPECT_EQ(at(ch::bouquetCount, 2), 3);
}

// Names longer than a typed one may be (the receiver writes up to 98 bytes) travel whole.
TEST_F(BouquetEditorTest, MovesAndPastesKeepStoredNamesWhole) {
    makeFourBouquets();
    const std::string longName(98, 'L');
    {
        ImageEditor edit = ws.channelEditor();
        edit.writeNumber(ch::bouquets + 104 + 4, 2, 98);
        edit.writeBytes(ch::bouquets + 104 + 6,
                        {reinterpret_cast<const std::uint8_t*>(longName.data()), 98});
    }
    ws.refreshBouquets();
    Bytes record = slice(image(), ch::bouquets + 104, ch::bouquets + 208);
    const Bytes table = slice(image(), ch::bouquetItems + 4800, ch::bouquetItems + 9600);
    EXPECT_EQ(editor.move(1, 3).select, 2);
    record[ch::nameRecordIndex] = 2;
    EXPECT_EQ(slice(image(), ch::bouquets + 208, ch::bouquets + 312), record)
        << "a move keeps every byte of the record";
    EXPECT_TRUE(slice(image(), ch::bouquetItems + 9600, ch::bouquetItems + 14400) == table);
    EXPECT_EQ(names(editor), (std::vector<std::string>{"A", "C", longName, "D"}));
    editor.cut(2);
    editor.paste(0);
    EXPECT_EQ(names(editor)[0], longName);
    EXPECT_EQ(at(ch::bouquets + 4, 1), 98);
    TempDir out; // the saved folder opens again with the same bouquets and contents
    ASSERT_TRUE(ws.save(out.path()).ok());
    Workspace reopened;
    ASSERT_TRUE(reopened.openFolder(out.path()).opened());
    const BouquetEditor other(reopened, prompter);
    EXPECT_EQ(std::pair(names(other), test::contents(other)),
              std::pair(names(editor), test::contents(editor)));
}

TEST_F(BouquetEditorTest, IdsFollowTheirBouquetThroughEveryChange) {
    makeFourBouquets();
    const auto b = *editor.idOfRow(1), d = *editor.idOfRow(3);
    const auto rows = [&] { return std::vector{editor.rowOfId(b), editor.rowOfId(d)}; };
    editor.insert(0, "New");
    EXPECT_EQ(rows(), (std::vector<std::optional<int>>{2, 4}));
    editor.move(2, std::nullopt);
    EXPECT_EQ(rows(), (std::vector<std::optional<int>>{4, 3}));
    editor.remove(4);
    EXPECT_EQ(rows(), (std::vector<std::optional<int>>{std::nullopt, 3}));
    editor.databaseReplaced();
    EXPECT_EQ(editor.rowOfId(d), std::nullopt) << "another database, other bouquets";
}

TEST_F(BouquetEditorTest, DropAddsServicesInOrderUpTo200) {
    EXPECT_FALSE(editor.dropServices(0, serviceRows(1, 1), std::nullopt).written);
    EXPECT_EQ(prompter.told.back().text, "You must create bouquet first !!!");
    editor.add("Fav");
    EXPECT_EQ(editor.dropServices(0, serviceRows(5, 3), std::nullopt).select, 2);
    EXPECT_EQ(editor.dropServices(0, serviceRows(10, 2), 0).select, 1);
    const auto items = editor.items(0);
    EXPECT_EQ(links(items),
              test::mapped(std::vector<std::uint32_t>{10, 11, 5, 6, 7},
                           [&](auto row) { return ws.services().row(row).record.flag; }));
    EXPECT_EQ(test::mapped(items, [](const auto& i) { return int{i.position}; }),
              (std::vector{1, 2, 3, 4, 5}));
    EXPECT_EQ(at(ch::bouquetItemCounts, 2), 5);
    EXPECT_TRUE(zeroes(ch::bouquetItems + 24 * 5, ch::bouquetItems + 4800));

    editor.dropServices(0, serviceRows(20, 194), std::nullopt); // 199 items now
    prompter.told.clear();
    EXPECT_EQ(editor.dropServices(0, serviceRows(5, 3), std::nullopt).select, 199);
    EXPECT_EQ(editor.items(0).size(), 200u);
    EXPECT_EQ(prompter.told, (std::vector<Notice>{{"Tavrino", "MAX Items in Bouquet (200) !!!",
                                                   NoticeIcon::Exclamation}}));
    expectNothingWritten([&] { return editor.dropServices(0, serviceRows(5, 3), std::nullopt); });
}

// A reorder moves the selection before the target row; then deletes ask, and cut, copy and
// paste work on the reordered items.
TEST_F(BouquetEditorTest, ReorderDeleteCopyCutAndPasteItems) {
    makeFavourites(6);
    const auto o = links(editor.items(0));
    expectNothingWritten([&] { return editor.moveItems(0, {1, 3}, 3); }); // onto its selection
    EXPECT_EQ(editor.moveItems(0, {1, 3}, 5).select, 4);
    EXPECT_EQ(links(editor.items(0)),
              (std::vector<std::int32_t>{o[0], o[2], o[4], o[1], o[3], o[5]}));
    editor.moveItems(0, {0}, std::nullopt); // below the last row: to the end
    EXPECT_EQ(links(editor.items(0)).back(), o[0]);

    prompter.answers = {false};
    EXPECT_FALSE(editor.deleteItems(0, {0, 2}).written);
    EXPECT_EQ(prompter.asked.back().text,
              "Are you sure you want to delete 2 services from this bouquet ?\r\n\r\n");
    EXPECT_TRUE(editor.deleteItem(0, 5).written);
    EXPECT_EQ(prompter.asked.back().text,
              "Are you sure you want to delete 1 services from this bouquet ?\r\n\r\n");
    editor.cutItems(0, {0});
    EXPECT_EQ(links(editor.items(0)), (std::vector<std::int32_t>{o[4], o[1], o[3], o[5]}));
    editor.pasteItems(0, 1);
    EXPECT_EQ(links(editor.items(0)), (std::vector<std::int32_t>{o[4], o[2], o[1], o[3], o[5]}));
    editor.copyItems(0, {0, 1, 2});
    editor.pasteItems(0, std::nullopt);
    EXPECT_EQ(editor.items(0).size(), 8u);

    editor.dropServices(0, serviceRows(10, 191), std::nullopt); // 199 items
    editor.copyItems(0, {0, 1, 2});
    EXPECT_TRUE(editor.pasteItems(0, 0).written);
    EXPECT_EQ(editor.items(0).size(), 200u) << "a paste stops at 200";
    EXPECT_EQ(prompter.told.back().text, "MAX Items in Bouquet (200) !!!");
}

// Items end at a zero position; an item whose service is gone shows "IME" and locates nothing.
TEST_F(BouquetEditorTest, ItemsEndAtAZeroPositionAndUnknownServicesShowIme) {
    makeFavourites(4);
    EXPECT_EQ(editor.locate(0, 1), 1u);
    ws.channelEditor().writeNumber(ch::bouquetItems + 24 + 14, 2, 65001); // no such SID
    EXPECT_EQ(editor.items(0)[1].name, "IME");
    EXPECT_EQ(editor.locate(0, 1), std::nullopt);
    ws.channelEditor().writeNumber(ch::bouquetItems + 24 * 2 + 2, 2, 0);
    EXPECT_EQ(editor.items(0).size(), 2u);
}

} // namespace
} // namespace tavrino
