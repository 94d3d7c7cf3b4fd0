#include "bouquets/bouquet_editor.h"
#include "database/layout.h"
#include "recording_prompter.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <numeric>

namespace tavrino {
namespace {
namespace ch = layout::channel;
using test::TempDir;

std::vector<std::string> names(const BouquetEditor& editor) {
    std::vector<std::string> out;
    for (const auto& row : editor.rows()) {
        out.push_back(row.name);
    }
    return out;
}

std::vector<std::int32_t> links(const std::vector<BouquetItem>& items) {
    std::vector<std::int32_t> out;
    for (const auto& item : items) {
        out.push_back(item.link);
    }
    return out;
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
            const auto row = editor.add(name).select;
            ASSERT_TRUE(row.has_value());
            std::vector<std::uint32_t> services;
            for (int i = 0; i <= *row; ++i) {
                services.push_back(service++);
            }
            editor.dropServices(*row, services, std::nullopt);
        }
    }

    // The saved folder opens again with the same bouquets and contents.
    void expectSavedFileShowsTheSame() {
        TempDir out;
        ASSERT_TRUE(ws.save(out.path()).ok());
        Workspace reopened;
        ASSERT_TRUE(reopened.openFolder(out.path()).opened());
        test::RecordingPrompter quiet;
        BouquetEditor other(reopened, quiet);
        ASSERT_EQ(names(other), names(editor));
        for (int r = 0; r < static_cast<int>(editor.rows().size()); ++r) {
            EXPECT_EQ(links(other.items(r)), links(editor.items(r))) << "row " << r;
        }
    }

    const Bytes& image() const { return ws.channelBytes(); }
    std::int64_t at(std::size_t offset, int width) const {
        return test::get(image(), offset, width);
    }

    TempDir folder;
    Workspace ws;
    test::RecordingPrompter prompter;
    BouquetEditor editor{ws, prompter};
};

TEST_F(BouquetEditorTest, AddCutsNamesTo50AndStartsEmpty) {
    const std::string longName(60, 'x');
    const auto change = editor.add(longName);
    ASSERT_TRUE(change.written);
    EXPECT_EQ(change.select, 0);
    EXPECT_EQ(at(ch::bouquetCount, 2), 1);
    EXPECT_EQ(at(ch::bouquets + 2, 2) & 0xFF, 0);
    EXPECT_EQ(at(ch::bouquets + 4, 1), 50);
    EXPECT_EQ(names(editor), std::vector<std::string>{std::string(50, 'x')});
    EXPECT_EQ(at(ch::bouquetItemCounts, 2), 0);
    EXPECT_TRUE(std::all_of(image().begin() + ch::bouquetItems,
                            image().begin() + ch::bouquetItems + 4800,
                            [](auto b) { return b == 0; }));
    EXPECT_FALSE(editor.add("").written);
    expectSavedFileShowsTheSame();
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
    ASSERT_EQ(prompter.told.size(), 3u);
    for (const auto& notice : prompter.told) {
        EXPECT_EQ(notice, (Notice{"Tavrino", "MAX Bouquet (50) !!!", NoticeIcon::Exclamation}));
    }
}

TEST_F(BouquetEditorTest, InsertBeforeTheFirstMovesEverythingUp) {
    makeFourBouquets();
    const Bytes before = image();
    const auto change = editor.insert(0, "New");
    EXPECT_EQ(change.select, 0);
    EXPECT_EQ(names(editor), (std::vector<std::string>{"New", "A", "B", "C", "D"}));
    for (int b = 0; b < 4; ++b) {
        EXPECT_TRUE(std::equal(before.begin() + ch::bouquetItems + 4800 * b,
                               before.begin() + ch::bouquetItems + 4800 * (b + 1),
                               image().begin() + ch::bouquetItems + 4800 * (b + 1)));
        EXPECT_EQ(at(ch::bouquetItemCounts + 2 * (b + 1), 2), b + 1);
        EXPECT_EQ(at(ch::bouquets + 104 * (b + 1) + 2, 1), b + 1) << "renumbered";
    }
    EXPECT_EQ(at(ch::bouquetItemCounts, 2), 0);
    EXPECT_TRUE(editor.items(0).empty());
    EXPECT_EQ(at(ch::bouquetCount, 2), 5);
    EXPECT_FALSE(editor.insert(0, "").written);
    expectSavedFileShowsTheSame();
}

TEST_F(BouquetEditorTest, RemoveAsksAndSelectsTheNextRow) {
    makeFourBouquets();
    const Bytes before = image();
    prompter.answers = {false};
    EXPECT_FALSE(editor.remove(1).written);
    EXPECT_EQ(image(), before);
    EXPECT_EQ(prompter.asked.back(),
              (Notice{"Confirm", "Are you sure you want to delete Bouquet : B ?\r\n\r\n",
                      NoticeIcon::Question}));
    EXPECT_EQ(editor.remove(3).select, 2); // the last: the new last is selected
    EXPECT_EQ(names(editor), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(editor.remove(0).select, 0);
    EXPECT_EQ(links(editor.items(0)).size(), 2u) << "B's items moved down with it";
    editor.remove(0);
    const auto last = editor.remove(0);
    EXPECT_TRUE(last.written);
    EXPECT_EQ(last.select, std::nullopt);
    EXPECT_TRUE(editor.rows().empty());
    EXPECT_TRUE(std::all_of(image().begin() + ch::bouquets,
                            image().begin() + ch::bouquets + 104 * 4,
                            [](auto b) { return b == 0; }))
        << "freed slots are cleared";
    expectSavedFileShowsTheSame();
}

TEST_F(BouquetEditorTest, RenameZeroesTheRestOfTheName) {
    editor.add("Hello");
    ws.channelEditor().writeNumber(ch::bouquets + 103, 1, 0x5A);
    editor.rename(0, "Hi");
    EXPECT_EQ(at(ch::bouquets + 4, 1), 2);
    for (std::size_t i = 8; i <= 102; ++i) {
        EXPECT_EQ(image()[ch::bouquets + i], 0) << i;
    }
    EXPECT_EQ(image()[ch::bouquets + 103], 0x5A);
    EXPECT_EQ(editor.rename(0, std::string(70, 'r')).select, 0);
    EXPECT_EQ(names(editor)[0].size(), 50u);
}

TEST_F(BouquetEditorTest, DragMoveEndsBeforeTheDropRow) {
    struct Case {
        int from;
        std::optional<int> onto;
        std::vector<std::string> order;
    };
    for (const Case& c : {Case{1, 3, {"A", "C", "B", "D"}}, Case{3, 1, {"A", "D", "B", "C"}},
                          Case{1, 2, {"A", "B", "C", "D"}}, Case{1, 1, {"A", "B", "C", "D"}},
                          Case{0, std::nullopt, {"B", "C", "D", "A"}}}) {
        TempDir fresh;
        test::writeSample(fresh.path(), {.services = 50, .satellites = 2, .bouquets = 0});
        Workspace w;
        ASSERT_TRUE(w.openFolder(fresh.path()).opened());
        test::RecordingPrompter p;
        BouquetEditor e(w, p);
        for (const char* name : {"A", "B", "C", "D"}) {
            const int row = *e.add(name).select;
            const std::uint32_t service[] = {static_cast<std::uint32_t>(row)};
            e.dropServices(row, service, std::nullopt);
        }
        const auto movedLinks = links(e.items(c.from));
        const auto change = e.move(c.from, c.onto);
        EXPECT_EQ(names(e), c.order) << c.from;
        if (change.select) {
            EXPECT_EQ(links(e.items(*change.select)), movedLinks) << "items travel along";
            EXPECT_EQ(p.asked.back().text,
                      "Are you sure you want to move Bouquet : " +
                          e.rows()[static_cast<std::size_t>(*change.select)].name + " ?\r\n\r\n");
        }
    }
}

TEST_F(BouquetEditorTest, DecliningAMoveChangesNothing) {
    makeFourBouquets();
    const Bytes before = image();
    prompter.answers = {false};
    EXPECT_FALSE(editor.move(1, 3).written);
    EXPECT_EQ(image(), before);
}

TEST_F(BouquetEditorTest, CutAndPasteCarryNameAndServices) {
    makeFourBouquets();
    const auto cLinks = links(editor.items(2));
    editor.cut(2);
    EXPECT_EQ(names(editor), (std::vector<std::string>{"A", "B", "D"}));
    const auto change = editor.paste(0);
    EXPECT_EQ(change.select, 0);
    EXPECT_EQ(names(editor), (std::vector<std::string>{"C", "A", "B", "D"}));
    EXPECT_EQ(links(editor.items(0)), cLinks);
    expectSavedFileShowsTheSame();
}

TEST_F(BouquetEditorTest, RowsKeepTheirRecordWhenANameIsEmpty) {
    makeFourBouquets();
    ws.channelEditor().writeNumber(ch::bouquets + 104 + 4, 2, 0); // record 1 loses its name
    ws.refreshBouquets();
    ASSERT_EQ(names(editor), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(editor.items(1).size(), 3u) << "row 1 shows record 2";
    editor.rename(1, "Cee");
    EXPECT_EQ(names(editor), (std::vector<std::string>{"A", "Cee", "D"}));
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
    const Bytes record(image().begin() + ch::bouquets + 104, image().begin() + ch::bouquets + 208);
    const Bytes table(image().begin() + ch::bouquetItems + 4800,
                      image().begin() + ch::bouquetItems + 9600);

    EXPECT_EQ(editor.move(1, 3).select, 2);
    Bytes expected = record;
    expected[ch::nameRecordIndex] = 2;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image().begin() + ch::bouquets + 208))
        << "a move keeps every byte of the record";
    EXPECT_TRUE(std::equal(table.begin(), table.end(), image().begin() + ch::bouquetItems + 9600));
    EXPECT_EQ(names(editor), (std::vector<std::string>{"A", "C", longName, "D"}));

    editor.cut(2);
    editor.paste(0);
    EXPECT_EQ(names(editor)[0], longName);
    EXPECT_EQ(at(ch::bouquets + 4, 1), 98);
    expectSavedFileShowsTheSame();
}

TEST_F(BouquetEditorTest, IdsFollowTheirBouquetThroughEveryChange) {
    makeFourBouquets();
    const auto b = *editor.idOfRow(1);
    const auto d = *editor.idOfRow(3);
    editor.insert(0, "New");
    EXPECT_EQ(editor.rowOfId(b), 2);
    editor.move(2, std::nullopt);
    EXPECT_EQ(editor.rowOfId(b), 4);
    EXPECT_EQ(editor.rowOfId(d), 3);
    editor.remove(4);
    EXPECT_EQ(editor.rowOfId(b), std::nullopt);
    EXPECT_EQ(editor.rowOfId(d), 3);
    editor.databaseReplaced();
    EXPECT_EQ(editor.rowOfId(d), std::nullopt) << "another database, other bouquets";
}

TEST_F(BouquetEditorTest, NamesTheCodePageCannotHoldAreRefused) {
    const Bytes before = image();
    const auto refused = editor.add("Česko");
    EXPECT_FALSE(refused.written);
    EXPECT_TRUE(refused.nameRefused);
    EXPECT_EQ(image(), before);
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_NE(prompter.told[0].text.find("Č"), std::string::npos);
    EXPECT_TRUE(editor.add("Café").written);
    EXPECT_EQ(names(editor)[0], "Caf\xE9");
}

TEST_F(BouquetEditorTest, DropAddsServicesInOrderUpTo200) {
    EXPECT_FALSE(editor.dropServices(0, std::vector<std::uint32_t>{1}, std::nullopt).written);
    EXPECT_EQ(prompter.told.back().text, "You must create bouquet first !!!");
    editor.add("Fav");
    const std::vector<std::uint32_t> three = {5, 6, 7};
    auto change = editor.dropServices(0, three, std::nullopt);
    EXPECT_EQ(change.select, 2);
    const std::vector<std::uint32_t> two = {10, 11};
    change = editor.dropServices(0, two, 0);
    EXPECT_EQ(change.select, 1);
    const auto items = editor.items(0);
    const auto& services = ws.services();
    std::vector<std::int32_t> expected;
    for (const std::uint32_t s : {10u, 11u, 5u, 6u, 7u}) {
        expected.push_back(services.row(s).record.flag);
    }
    EXPECT_EQ(links(items), expected);
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].position, i + 1);
        EXPECT_NE(items[i].name, "IME");
    }
    EXPECT_EQ(at(ch::bouquetItemCounts, 2), 5);
    for (std::size_t b = 24 * 5; b < 4800; ++b) {
        ASSERT_EQ(image()[ch::bouquetItems + b], 0) << b;
    }

    std::vector<std::uint32_t> many(194);
    std::iota(many.begin(), many.end(), 20u);
    editor.dropServices(0, many, std::nullopt); // 199 items now
    prompter.told.clear();
    change = editor.dropServices(0, three, std::nullopt);
    EXPECT_EQ(editor.items(0).size(), 200u);
    EXPECT_EQ(change.select, 199);
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "MAX Items in Bouquet (200) !!!");
    const Bytes full = image();
    EXPECT_FALSE(editor.dropServices(0, three, std::nullopt).written);
    EXPECT_EQ(image(), full);
    expectSavedFileShowsTheSame();
}

TEST_F(BouquetEditorTest, ReorderMovesTheSelectionBeforeTheTarget) {
    editor.add("Fav");
    editor.dropServices(0, std::vector<std::uint32_t>{0, 1, 2, 3, 4, 5}, std::nullopt);
    const auto original = links(editor.items(0));
    const Bytes before = image();
    EXPECT_FALSE(editor.moveItems(0, {1, 3}, 3).written) << "dropped on its own selection";
    EXPECT_EQ(image(), before);
    const auto change = editor.moveItems(0, {1, 3}, 5);
    EXPECT_EQ(change.select, 4);
    const auto items = editor.items(0);
    EXPECT_EQ(links(items), (std::vector<std::int32_t>{original[0], original[2], original[4],
                                                       original[1], original[3], original[5]}));
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].position, i + 1);
    }
    EXPECT_EQ(editor.itemClipboard().size(), 2u);
    editor.moveItems(0, {0}, std::nullopt); // below the last row: to the end
    EXPECT_EQ(links(editor.items(0)).back(), original[0]);
}

TEST_F(BouquetEditorTest, DeleteCopyCutAndPasteItems) {
    editor.add("Fav");
    editor.dropServices(0, std::vector<std::uint32_t>{0, 1, 2, 3}, std::nullopt);
    const auto original = links(editor.items(0));
    prompter.answers = {false};
    EXPECT_FALSE(editor.deleteItems(0, {0, 2}).written);
    EXPECT_EQ(prompter.asked.back().text,
              "Are you sure you want to delete 2 services from this bouquet ?\r\n\r\n");
    EXPECT_TRUE(editor.deleteItem(0, 3).written);
    EXPECT_EQ(prompter.asked.back().text,
              "Are you sure you want to delete 1 services from this bouquet ?\r\n\r\n");
    editor.cutItems(0, {0});
    EXPECT_EQ(links(editor.items(0)), (std::vector<std::int32_t>{original[1], original[2]}));
    editor.pasteItems(0, 1);
    EXPECT_EQ(links(editor.items(0)),
              (std::vector<std::int32_t>{original[1], original[0], original[2]}));
    editor.copyItems(0, {0, 1, 2});
    editor.pasteItems(0, std::nullopt);
    EXPECT_EQ(editor.items(0).size(), 6u);
}

TEST_F(BouquetEditorTest, PasteStopsAt200Items) {
    editor.add("Fav");
    std::vector<std::uint32_t> many(199);
    std::iota(many.begin(), many.end(), 0u);
    editor.dropServices(0, many, std::nullopt);
    editor.copyItems(0, {0, 1, 2});
    const auto change = editor.pasteItems(0, 0);
    EXPECT_TRUE(change.written);
    EXPECT_EQ(editor.items(0).size(), 200u);
    EXPECT_EQ(prompter.told.back().text, "MAX Items in Bouquet (200) !!!");
    expectSavedFileShowsTheSame();
}

TEST_F(BouquetEditorTest, AZeroPositionEndsTheList) {
    editor.add("Fav");
    editor.dropServices(0, std::vector<std::uint32_t>{0, 1, 2, 3}, std::nullopt);
    ws.channelEditor().writeNumber(ch::bouquetItems + 24 * 2 + 2, 2, 0);
    EXPECT_EQ(editor.items(0).size(), 2u);
}

TEST_F(BouquetEditorTest, UnknownServicesShowImeAndLocateFindsKnownOnes) {
    editor.add("Fav");
    editor.dropServices(0, std::vector<std::uint32_t>{7, 8}, std::nullopt);
    EXPECT_EQ(editor.locate(0, 1), 8u);
    ws.channelEditor().writeNumber(ch::bouquetItems + 24 + 14, 2, 65001); // no such SID
    EXPECT_EQ(editor.items(0)[1].name, "IME");
    EXPECT_EQ(editor.locate(0, 1), std::nullopt);
}

TEST(BouquetDetails, TipShowsTheStoredFields) {
    BouquetItem item;
    item.name = "News";
    item.position = 3;
    item.satellite = "Astra";
    item.frequency = 11778;
    item.sid = 5;
    item.tid = 6;
    item.nid = 7;
    const std::string rule = "------------------------------";
    EXPECT_EQ(bouquetItemDetails(item), "News\r\n" + rule +
                                            "\r\nCh.No.: 3\r\nTuner  : A\r\nSat.      : Astra\r\n"
                                            "Freq.    : 11778\r\n" +
                                            rule + "\r\nSID    : 5\r\nTID    : 6\r\nNID   : 7\r\n" +
                                            rule);
}

} // namespace
} // namespace tavrino
