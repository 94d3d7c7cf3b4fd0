#include "bouquet_contents.h"
#include "bouquets/bouquet_duplicates.h"
#include "bouquets/bouquet_editor.h"
#include "database/layout.h"
#include "recording_prompter.h"
#include "reference/duplicate_services.h"
#include "samplegen/sample_duplicates.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>

namespace tavrino {
namespace {
namespace sv = layout::channel::service;
using test::links;
using test::TempDir;

class DuplicateServicesTest : public testing::Test {
protected:
    // A sample whose services all have SIDs of their own, so it holds no duplicates at first.
    void SetUp() override {
        const auto files = sample::addDuplicates(
            sample::generate({.services = 600, .satellites = 4, .bouquets = 2, .seed = 3}),
            {.seed = 3, .groups = 0});
        sample::writeFolder(files.files, folder.path());
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
        ASSERT_TRUE(findDuplicateServices(ws).groups.empty());
    }

    DecodedService fields(std::uint32_t row) const { return ws.services().row(row).record; }

    // Writes the fields the two rules compare.
    void write(std::uint32_t row, const DecodedService& f) {
        const auto step = ws.beginEdit("Edit");
        ImageEditor e = ws.channelEditor();
        const std::size_t at = ws.services().row(row).record.offset;
        e.writeNumber(at + sv::satIndex, 4, f.satIndex);
        e.writeNumber(at + sv::frequency, 4, f.frequency);
        e.writeNumber(at + sv::polarization, 2, f.polarization);
        e.writeNumber(at + sv::sid, 2, f.sid);
        e.writeNumber(at + sv::tid, 2, f.tid);
        e.writeNumber(at + sv::nid, 2, f.nid);
        Bytes name(sv::nameCapacity, 0);
        std::copy(f.name.begin(), f.name.end(), name.begin());
        e.writeBytes(at + sv::name, name);
        e.writeNumber(at + sv::nameLength, 2, static_cast<std::int64_t>(f.name.size()));
        ws.rereadServices({row});
    }

    // The first service after `from` on satellite number `satIndex`.
    std::uint32_t serviceOn(int satIndex, std::uint32_t from = 0) const {
        for (std::uint32_t i = from; i < ws.services().size(); ++i) {
            if (ws.services().row(i).record.satIndex == satIndex) {
                return i;
            }
        }
        ADD_FAILURE() << "no service on satellite " << satIndex;
        return 0;
    }

    TempDir folder;
    Workspace ws;
};

// The fields of A a case gives B.
enum Copy { Sat = 1, Pol = 2, Sid = 4, Tid = 8, Nid = 16, Name = 32 };

struct RuleCase {
    const char* name;
    int copy;                      // of Copy
    std::optional<int> apart;      // MHz from A; none: 50
    bool otherPol;                 // the other polarisation than A's
    std::optional<MatchRule> rule; // none: no group
};

class RuleCases : public DuplicateServicesTest, public testing::WithParamInterface<RuleCase> {};

// A stands on satellite 0, B on satellite 1 with its own frequency, TID and NID; the case makes
// B like A in some fields.
TEST_P(RuleCases, TwoServicesAreOneChannelOnlyByTheFirstTwoRules) {
    const RuleCase& c = GetParam();
    const std::uint32_t a = serviceOn(0);
    const std::uint32_t b = serviceOn(1);
    ASSERT_NE(satellitePosition(ws, 0), satellitePosition(ws, 1));
    const DecodedService like = fields(a);
    DecodedService changed = fields(b);
    ASSERT_NE(changed.tid, like.tid);
    ASSERT_NE(changed.nid, like.nid);
    changed.frequency = like.frequency + c.apart.value_or(50);
    changed.satIndex = c.copy & Sat ? like.satIndex : changed.satIndex;
    changed.polarization = static_cast<std::uint16_t>(c.otherPol     ? 1 - like.polarization
                                                      : c.copy & Pol ? like.polarization
                                                                     : changed.polarization);
    changed.sid = c.copy & Sid ? like.sid : changed.sid;
    changed.tid = c.copy & Tid ? like.tid : changed.tid;
    changed.nid = c.copy & Nid ? like.nid : changed.nid;
    changed.name = c.copy & Name ? like.name : changed.name;
    write(b, changed);

    const DuplicateServices found = findDuplicateServices(ws);
    std::vector<std::uint32_t> numbers(ws.services().size(), 0);
    numbers[a] = numbers[b] = c.rule ? 1 : 0;
    EXPECT_EQ(found.groupNumber, numbers);
    ASSERT_EQ(found.groups.size(), c.rule ? 1u : 0u);
    if (c.rule) {
        const DuplicateGroup& g = found.groups.front();
        EXPECT_EQ(g.services, (std::vector<std::uint32_t>{std::min(a, b), std::max(a, b)}));
        EXPECT_EQ(std::pair(g.rule, g.rules), std::pair(*c.rule, std::vector(2, *c.rule)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Duplicates, RuleCases,
    testing::Values(
        RuleCase{"identityWithinTwoMegahertz", Sat | Pol | Sid, -2, false, MatchRule::Identity},
        RuleCase{"threeMegahertzApart", Sat | Pol | Sid, 3, false, std::nullopt},
        RuleCase{"otherPolarisation", Sat | Sid, 0, true, std::nullopt},
        RuleCase{"otherPosition", Pol | Sid, 0, false, std::nullopt},
        RuleCase{"sidTidAndNid", Sid | Tid | Nid, std::nullopt, false, MatchRule::Ids},
        RuleCase{"sidAndTidButOtherNid", Sid | Tid, std::nullopt, false, std::nullopt},
        RuleCase{"bothRules", Sat | Pol | Sid | Tid | Nid, 0, false, MatchRule::Identity},
        RuleCase{"nameAndPlaceAlone", Sat | Pol | Name, 0, false, std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(DuplicateServicesTest, FrequenciesChainThroughAServiceBetweenThem) {
    const std::uint32_t a = serviceOn(0);
    const std::uint32_t b = serviceOn(0, a + 1);
    const std::uint32_t c = serviceOn(0, b + 1);
    // Like A but for the frequency and the TID, which keeps the second rule out.
    const DecodedService aFields = fields(a);
    const auto likeA = [&](std::uint32_t row, int megahertz) {
        DecodedService f = fields(row);
        std::tie(f.satIndex, f.polarization, f.sid) =
            std::tie(aFields.satIndex, aFields.polarization, aFields.sid);
        f.frequency = aFields.frequency + megahertz;
        f.tid = static_cast<std::uint16_t>(aFields.tid + megahertz);
        write(row, f);
    };
    likeA(c, 4);
    EXPECT_TRUE(findDuplicateServices(ws).groups.empty()) << "4 MHz apart: no tie";

    likeA(b, 2);
    EXPECT_EQ(test::mapped(findDuplicateServices(ws).groups,
                           [](const auto& g) { return std::pair(g.services, g.rule); }),
              (std::vector{std::pair(std::vector{a, b, c}, MatchRule::Identity)}));
}

// A ~ B by the first rule, C ~ A by the second only: C joins by the weaker rule, and so does
// the group; a larger group comes before a smaller one found earlier in the file.
TEST_F(DuplicateServicesTest, EachServiceKeepsTheRuleThatTiesItAndLargerGroupsComeFirst) {
    const std::uint32_t pair1 = serviceOn(0);
    const std::uint32_t pair2 = serviceOn(0, pair1 + 1);
    const std::uint32_t a = serviceOn(1);
    const std::uint32_t b = serviceOn(1, a + 1);
    const std::uint32_t c = serviceOn(2);
    write(pair2, fields(pair1));
    const DecodedService like = fields(a);
    DecodedService f = like;
    f.tid += 1; // b ties to a by the first rule only
    write(b, f);
    f = fields(c); // c to a by the second only
    std::tie(f.sid, f.tid, f.nid) = std::tie(like.sid, like.tid, like.nid);
    write(c, f);

    const auto found = findDuplicateServices(ws);
    ASSERT_EQ(found.groups.size(), 2u);
    EXPECT_EQ(found.groups[0].services, (std::vector<std::uint32_t>{a, b, c}));
    EXPECT_EQ(found.groups[0].rules,
              (std::vector<MatchRule>{MatchRule::Identity, MatchRule::Identity, MatchRule::Ids}));
    EXPECT_EQ(found.groups[0].rule, MatchRule::Ids);
    EXPECT_EQ(found.groups[1].services, (std::vector<std::uint32_t>{pair1, pair2}));
    EXPECT_EQ(found.groupNumber[c], 1u);
    EXPECT_EQ(found.groupNumber[pair2], 2u);
}

// ---- Bouquet items ----

BouquetItem item(const DecodedService& service) {
    BouquetItem i;
    std::tie(i.sid, i.link) = std::tuple(service.sid, service.flag);
    return i;
}

// An item repeats the first item that names its service; an added item finds where its service
// already stood, before or after it, but not among the items added with it. Items that find no
// service repeat nothing.
TEST_F(DuplicateServicesTest, ItemsFindTheItemThatAlreadyNamesTheirService) {
    const DecodedService& s0 = ws.services().row(0).record;
    const DecodedService& s1 = ws.services().row(1).record;
    DecodedService gone = s0;
    gone.flag = 999999;
    BouquetItem otherSid = item(s0);
    otherSid.sid = s1.sid;
    const std::vector<BouquetItem> items = {item(s0),   item(s1), item(s0), item(gone),
                                            item(gone), item(s1), item(s0), otherSid};
    EXPECT_EQ(firstItemsNaming(ws, items),
              (std::vector<std::optional<int>>{std::nullopt, std::nullopt, 0, std::nullopt,
                                               std::nullopt, 1, 0, std::nullopt}));
    EXPECT_EQ(itemsAlreadyNaming(ws, items, std::vector<int>{1, 2, 4, 9}),
              (std::vector<std::optional<int>>{5, 0, std::nullopt, std::nullopt}));
    EXPECT_EQ(itemsAlreadyNaming(ws, items, std::vector<int>{0, 2, 6}),
              std::vector<std::optional<int>>(3)); // every copy just added
}

// Dropped at or after the item that holds the service, the copies go and the bytes are those
// before the drop; dropped before it, the first copy stays and the service moves up.
TEST_F(DuplicateServicesTest, RemovingWhatADropRepeatedGivesBackTheBouquetsBytes) {
    test::RecordingPrompter prompter;
    BouquetEditor editor(ws, prompter);
    // Each bouquet of the sample is written once by the editor, without duplicates.
    for (int row = 0; row < static_cast<int>(editor.rows().size()); ++row) {
        editor.removeDuplicateItems(row);
        ASSERT_GE(editor.items(row).size(), 5u);
    }
    const Bytes clean = ws.channelBytes();
    const auto items = editor.items(0);
    const int n = static_cast<int>(items.size());
    const std::uint32_t held = *editor.locate(0, 2);
    const std::size_t opened = ws.history().stepCount();
    EXPECT_FALSE(editor.removeDuplicateItems(0).written) << "none there: nothing is written";
    EXPECT_FALSE(editor.removeDuplicateItems(99).written);
    EXPECT_EQ(ws.history().stepCount(), opened);
    for (const std::optional<int> at :
         {std::optional<int>(2), std::optional<int>(3), std::optional<int>()}) {
        ASSERT_TRUE(editor.dropServices(0, std::vector<std::uint32_t>{held, held}, at).written);
        ASSERT_EQ(editor.items(0).size(), items.size() + 2);
        const std::size_t steps = ws.history().stepCount();
        const ContentsChange change = editor.removeDuplicateItems(0);
        EXPECT_EQ(ws.history().stepCount(), steps + 1) << "one step";
        EXPECT_EQ(ws.history().undoName(), "Remove 2 Duplicate Items");
        EXPECT_EQ(ws.channelBytes(), clean) << "dropped before item " << at.value_or(-1);
        EXPECT_EQ(change.select, at ? 3 : n - 1) << "where the first removed item stood";
    }

    editor.dropServices(0, std::vector<std::uint32_t>{held}, 0);
    EXPECT_EQ(editor.removeDuplicateItems(0).select, 3);
    auto expected = links(items);
    expected.erase(expected.begin() + 2);
    expected.insert(expected.begin(), items[2].link);
    EXPECT_EQ(links(editor.items(0)), expected);
}

} // namespace
} // namespace tavrino
