// The service table, its view (filter, sort, search) and the texts made from it.
#include "bouquet_contents.h"
#include "common/csv.h"
#include "opened.h"
#include "services/service_csv.h"
#include "services/service_details.h"
#include "services/service_view.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::BlockSpec;

ServiceTable tableOf(const std::vector<BlockSpec>& blocks, ProviderTable providers = {}) {
    return ServiceTable::build(ChannelImage{test::buildChannel(blocks)}, "all_channel.dat",
                               std::move(providers), CodePage::windows1252());
}

// Satellite `name` with one transponder holding `services`.
BlockSpec block(std::string name, std::vector<test::ServiceSpec> services) {
    return {std::move(name), {{0, 0, std::move(services)}}};
}

// The services on one transponder of satellite "Sat".
ServiceTable servicesTable(std::vector<test::ServiceSpec> services, ProviderTable providers = {}) {
    return tableOf({block("Sat", std::move(services))}, std::move(providers));
}

std::vector<std::string> column(const ServiceTable& table, int col) {
    std::vector<std::string> cells;
    for (std::size_t r = 0; r < table.size(); ++r) {
        cells.push_back(table.cellText(r, col));
    }
    return cells;
}

TEST(ServiceTable, FlagIsFirstLinkThenPreviousLinkThenLastLink) {
    const auto table =
        tableOf({{"Sat",
                  {
                      {100, 900, {{.link = 11}, {.link = 12}, {.link = 13}, {.link = 14}}},
                      {500, 600, {{.link = 77}}}, // a single service shows lastLink
                      {static_cast<std::int32_t>(2147483649u), 0, {{}, {}}},
                  }}});
    EXPECT_EQ(column(table, colFlag),
              (std::vector<std::string>{"100", "11", "12", "900", "600", "-2147483647", "0"}));
}

TEST(ServiceTable, TypeAndPolRepeatTheServiceBeforeForUnknownValues) {
    const auto table = servicesTable({
        {.serviceType = 0x0103, .polarization = 5}, // nothing before: empty
        {.serviceType = 0x0B02, .polarization = 1},
        {.serviceType = 0x0199, .polarization = 7},
        {.serviceType = 0x0201, .polarization = 0},
        {.serviceType = 0x0102, .polarization = 2},
    });
    EXPECT_EQ(column(table, colType),
              (std::vector<std::string>{"", "Radio", "Radio", "TV", "Radio"}));
    EXPECT_EQ(column(table, colPol), (std::vector<std::string>{"", "V", "V", "H", "H"}));
    EXPECT_EQ(column(table, colTypeNumber)[2], "409");
}

TEST(ServiceTable, CellsFollowTheRecord) {
    ProviderTable providers;
    providers.names[0] = "Zero";
    providers.names[7] = "Seven";
    const auto table = servicesTable(
        {{.name = "Caf\xE9", .providerIndex = 7, .videoPid = 65535, .teletextPid = 33, .flags = 66},
         {.name = "B", .providerIndex = 2001, .videoPid = 0, .frequency = -5}}, // above 2000: 0
        providers);
    const auto cells = [&](std::size_t row) {
        std::string text;
        for (const int c : {colService, colProvider, colVpid, colTxt, colFrequency, colHdFlag,
                            colCountryId, colSatellite, colLokacija}) {
            text += "|" + table.cellText(row, c);
        }
        return text;
    };
    const std::size_t at = test::firstServiceOffset;
    EXPECT_EQ(cells(0), "|Café|Seven||33|11778000|66|4|Sat|" + std::to_string(at));
    EXPECT_EQ(cells(1), "|B|Zero|0||-5|1|1|Sat|" + std::to_string(at + 200));
}

TEST(ServiceTable, SatelliteListKeepsFirstAppearanceAndEmptyBlocks) {
    const auto table = tableOf({
        {"B", {{0, 0, {{}}}}},
        {"Empty", {}},       // 304 bytes, no transponders
        {"A", {{0, 0, {}}}}, // a transponder without services
        {"B", {{0, 0, {{}}}}},
        {"C", {{0, 0, {{.satIndex = 3}}}}},
    });
    EXPECT_EQ(table.satelliteNames(), (std::vector<std::string>{"B", "Empty", "A", "C"}));
    EXPECT_EQ(column(table, colSatellite), (std::vector<std::string>{"B", "B", "C"}));
    const std::string* c = table.blockNameForSatIndex(3);
    EXPECT_EQ(c ? *c : "none", "C");
    EXPECT_EQ(table.blockNameForSatIndex(4), nullptr);
}

TEST(ServiceTable, LooksUpByFlagAndSidWithTheFirstServiceWinning) {
    const auto table = // flags 10, 10, 30
        tableOf(
            {{"Sat", {{10, 30, {{.link = 10, .sid = 5}, {.link = 20, .sid = 6}, {.sid = 5}}}}}});
    EXPECT_EQ(table.findByFlagAndSid(10, 5), 0u);
    EXPECT_EQ(table.findByFlagAndSid(10, 6), 1u);
    EXPECT_EQ(table.findByFlagAndSid(30, 5), 2u);
    EXPECT_EQ(table.findByFlagAndSid(20, 6), std::nullopt);
    EXPECT_EQ(table.findByOffset(test::firstServiceOffset + 200), 1u);
    EXPECT_EQ(table.findByOffset(test::firstServiceOffset + 1), std::nullopt);
}

// Satellite numbers above 255 are refused with the open's damaged-file cases.
TEST(ServiceTable, ANameLengthBeyondItsAreaStaysWithinTheRecord) {
    Bytes image = test::buildChannel({{"Sat", {{0, 0, {{.name = "Abc"}}}}}});
    test::put(image, test::firstServiceOffset + 106, 2, 60000); // a name longer than its area
    const auto table =
        ServiceTable::build(ChannelImage{image}, "f", ProviderTable{}, CodePage::windows1252());
    EXPECT_EQ(table.cellText(0, colService), "Abc");
    EXPECT_EQ(table.cellText(0, colCountryId), "60000");
}

class ServiceViewTest : public testing::Test {
protected:
    ServiceViewTest()
        : table(tableOf({
              block("Astra", {{.name = "bravo", .sid = 3, .videoPid = 10},
                              {.name = "Alpha", .serviceType = 0x0102, .sid = 1, .videoPid = 65535},
                              {.name = "BBC One", .sid = 20, .videoPid = 5}}),
              block("Hot Bird",
                    {{.name = "\xC9lite", .serviceType = 0x0102, .sid = 2, .videoPid = 65535},
                     {.name = "charlie", .sid = 10, .videoPid = 7}}),
          })) {
        view.reset(table);
    }

    std::vector<std::string> names() const {
        return test::mapped(view.rows(), [&](auto r) { return table.cellText(r, colService); });
    }
    using Names = std::vector<std::string>;

    ServiceTable table;
    ServiceView view;
};

// Satellite and type filters match exactly. Duplicates only: the rows of a group together,
// groups in their numbered order, file order within one; the other filters still apply, and
// groups found for a shorter table reach only its rows.
TEST_F(ServiceViewTest, FiltersAndDuplicatesOnly) {
    const std::vector<std::uint32_t> groups = {2, 0, 1, 2, 1};
    struct Case {
        ServiceFilter filter;
        std::optional<std::vector<std::uint32_t>> groups;
        Names shown;
    };
    for (const Case& c : {
             Case{{1, std::nullopt}, std::nullopt, {"Élite", "charlie"}},
             Case{{std::nullopt, TypeText::Radio}, std::nullopt, {"Alpha", "Élite"}},
             Case{{0, TypeText::TV}, std::nullopt, {"bravo", "BBC One"}},
             Case{{}, groups, {"BBC One", "charlie", "bravo", "Élite"}},
             Case{{1, std::nullopt}, groups, {"charlie", "Élite"}},
             Case{{}, std::vector<std::uint32_t>{2, 0}, {"bravo"}},
             Case{{}, std::vector<std::uint32_t>(5), {}},
         }) {
        view.setDuplicateGroups(c.groups);
        view.applyFilter(table, c.filter);
        EXPECT_EQ(names(), c.shown);
    }
    view.setDuplicateGroups(groups);
    view.applyFilter(table, {});
    EXPECT_EQ((std::vector{view.groupOf(2), view.groupOf(1), view.groupOf(99)}),
              (std::vector<std::uint32_t>{1, 0, 0}));
    view.reset(table);
    EXPECT_EQ(view.groupOf(2), 0u) << "other files: every service again, unshaded";
    EXPECT_EQ(view.size(), 5u);
    view.sort(table, colService, false);
    view.applyFilter(table, {});
    EXPECT_EQ(names(), (Names{"bravo", "Alpha", "BBC One", "Élite", "charlie"}))
        << "a filter returns the view to file order";
}

// Block names are numbered in order of first appearance; numbers past 65535 must not wrap
// onto the early blocks, in the cells or in the filter.
TEST(ServiceViewBlocks, MoreThan65536BlockNamesKeepTheirOwnNumbers) {
    std::vector<test::BlockSpec> blocks(65538);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        blocks[i].name = "Sat " + std::to_string(i);
    }
    blocks[1].transponders = {{0, 0, {{.name = "Early"}}}};
    blocks.back().transponders = {{0, 0, {{.name = "Late"}}}};
    const auto table = tableOf(blocks);
    ASSERT_EQ(table.satelliteNames().size(), 65538u);
    EXPECT_EQ(table.cellText(1, colSatellite), "Sat 65537");
    ServiceView view;
    for (const auto& [block, row] : {std::pair(65537, 1u), std::pair(1, 0u)}) {
        view.applyFilter(table, {block, std::nullopt});
        EXPECT_EQ(view.rows(), std::vector<std::uint32_t>{row});
    }
}

// Every header click flips the one direction (the first descending); text sorts ignore case;
// empty number cells come first ascending and last descending.
TEST_F(ServiceViewTest, SortsAsTheHeaderClicksSay) {
    EXPECT_FALSE(view.sortByHeaderClick(table, colSid));
    EXPECT_EQ(names(), (Names{"BBC One", "charlie", "bravo", "Élite", "Alpha"}));
    EXPECT_TRUE(view.sortByHeaderClick(table, colSid));
    EXPECT_EQ(names(), (Names{"Alpha", "Élite", "bravo", "charlie", "BBC One"}));
    EXPECT_FALSE(view.sortByHeaderClick(table, colService));
    EXPECT_EQ(names(), (Names{"Élite", "charlie", "bravo", "BBC One", "Alpha"}));
    view.sort(table, colService, true);
    EXPECT_EQ(names(), (Names{"Alpha", "BBC One", "bravo", "charlie", "Élite"}));
    view.sort(table, colVpid, true);
    EXPECT_EQ(names(), (Names{"Alpha", "Élite", "BBC One", "charlie", "bravo"}));
    view.sort(table, colVpid, false);
    EXPECT_EQ(names(), (Names{"bravo", "charlie", "BBC One", "Alpha", "Élite"}));
}

TEST_F(ServiceViewTest, NameSearchFindsTheFirstRowInViewOrder) {
    struct Case {
        const char* text;
        std::optional<std::size_t> position;
    };
    for (const Case& c : {Case{"bb", 2}, Case{"B", 0}, Case{"éL", 3}, Case{"zz", std::nullopt},
                          Case{"", std::nullopt}, Case{"Č", std::nullopt}}) {
        EXPECT_EQ(view.findByName(table, c.text), c.position) << c.text;
    }
    view.sort(table, colService, false);
    EXPECT_EQ(view.findByName(table, "b"), 2u); // "bravo" comes before "BBC One" descending
}

// The tip lists the set flags; the clipboard takes the (up to 101) rows after the selected one,
// none after the last.
TEST(ServiceDetails, TipListsTheSetFlagsAndTheClipboardTheRowsAfterTheSelection) {
    const auto table = servicesTable({{.name = "News", .flags = 66},
                                      {.name = "Zero", .flags = 0},
                                      {.name = "All", .flags = 127}});
    const std::string rule = "------------------";
    EXPECT_EQ(channelInfoText(table, 0), "News\n" + rule + "\nHD Ch.\nLOCKed Ch.\n" + rule);
    EXPECT_EQ(channelInfoText(table, 1), "Zero\n" + rule + "\nSD Ch.\n" + rule);
    EXPECT_EQ(channelInfoText(table, 2), "All\n" + rule +
                                             "\nHD Ch.\nDSMCC Ch.\nAutoPid\nSkiped Ch.\n"
                                             "Scrambled Ch.\nLOCKed Ch.\nValid Ch.\n" +
                                             rule);

    const auto rows = servicesTable({{.name = "A", .satIndex = 1},
                                     {.name = "B", .serviceType = 0x0102, .satIndex = 3},
                                     {.name = "C", .satIndex = 3},
                                     {.name = "D", .satIndex = 5}});
    ServiceView view;
    view.reset(rows);
    EXPECT_EQ(clipboardText(rows, view, 0),
              "3 - -3 - B - Radio\r\n3 - 0 - C - TV\r\n5 - -2 - D - TV\r\n");
    EXPECT_EQ(clipboardText(rows, view, 3), "");
    const auto many = ServiceTable::build(ChannelImage{sample::generate({.services = 300}).channel},
                                          "f", ProviderTable{}, CodePage::windows1252());
    view.reset(many);
    const std::string text = clipboardText(many, view, 10);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 101);
}

TEST(ServiceListCsv, HoldsTheViewAsShownWithTheTwentyThreeHeaders) {
    test::Opened opened(sample::generate({.services = 400, .satellites = 4, .bouquets = 0}));
    Workspace& ws = opened.ws;
    ws.view().applyFilter(ws.services(), {std::nullopt, TypeText::Radio});
    ws.view().sort(ws.services(), colFrequency, false);
    std::string expected = csv::record(test::mapped(
        serviceColumns(), [](const auto& column) { return std::string(column.header); }));
    for (std::size_t p = 0; p < ws.view().size(); ++p) {
        std::vector<std::string> cells;
        for (int c = 0; c < serviceColumnCount; ++c) {
            cells.push_back(ws.services().cellText(ws.view().tableRow(p), c));
        }
        expected += csv::record(cells); // CR LF ends every line
    }
    EXPECT_EQ(serviceListCsv(ws.services(), ws.view()), expected);
}

} // namespace
} // namespace tavrino
