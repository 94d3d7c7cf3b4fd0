#include "services/service_view.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::ServiceSpec;

class ServiceViewTest : public testing::Test {
protected:
    void SetUp() override {
        ChannelImage image{test::buildChannel({
            {"Astra",
             {{0,
               0,
               {
                   {.name = "bravo", .serviceType = 0x0101, .sid = 3, .videoPid = 10},
                   {.name = "Alpha", .serviceType = 0x0102, .sid = 1, .videoPid = 65535},
                   {.name = "BBC One", .serviceType = 0x0101, .sid = 20, .videoPid = 5},
               }}}},
            {"Hot Bird",
             {{0,
               0,
               {
                   {.name = "\xC9lite", .serviceType = 0x0102, .sid = 2, .videoPid = 65535},
                   {.name = "charlie", .serviceType = 0x0101, .sid = 10, .videoPid = 7},
               }}}},
        })};
        table = ServiceTable::build(image, "f", ProviderTable{}, CodePage::windows1252());
        view.reset(table);
    }

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto r : view.rows()) {
            out.push_back(table.cellText(r, colService));
        }
        return out;
    }

    ServiceTable table;
    ServiceView view;
};

TEST_F(ServiceViewTest, FiltersBySatelliteAndTypeExactly) {
    view.applyFilter(table, {1, std::nullopt});
    EXPECT_EQ(names(), (std::vector<std::string>{"Élite", "charlie"}));
    view.applyFilter(table, {std::nullopt, TypeText::Radio});
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Élite"}));
    view.applyFilter(table, {0, TypeText::TV});
    EXPECT_EQ(names(), (std::vector<std::string>{"bravo", "BBC One"}));
    view.applyFilter(table, {});
    EXPECT_EQ(view.size(), 5u);
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
    const ChannelImage image{test::buildChannel(blocks)};
    const auto table = ServiceTable::build(image, "f", ProviderTable{}, CodePage::windows1252());
    ASSERT_EQ(table.satelliteNames().size(), 65538u);
    EXPECT_EQ(table.cellText(1, colSatellite), "Sat 65537");

    ServiceView view;
    view.applyFilter(table, {65537, std::nullopt});
    EXPECT_EQ(view.rows(), std::vector<std::uint32_t>{1});
    view.applyFilter(table, {1, std::nullopt});
    EXPECT_EQ(view.rows(), std::vector<std::uint32_t>{0});
}

TEST_F(ServiceViewTest, EveryHeaderClickFlipsTheOneDirection) {
    EXPECT_FALSE(view.sortByHeaderClick(table, colSid)); // first click: descending
    EXPECT_EQ(names(), (std::vector<std::string>{"BBC One", "charlie", "bravo", "Élite", "Alpha"}));
    EXPECT_TRUE(view.sortByHeaderClick(table, colSid));
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Élite", "bravo", "charlie", "BBC One"}));
    EXPECT_FALSE(view.sortByHeaderClick(table, colService)); // another column: descending again
    EXPECT_EQ(names(), (std::vector<std::string>{"Élite", "charlie", "bravo", "BBC One", "Alpha"}));
}

TEST_F(ServiceViewTest, TextSortIgnoresCase) {
    view.sort(table, colService, true);
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "BBC One", "bravo", "charlie", "Élite"}));
}

TEST_F(ServiceViewTest, EmptyNumberCellsSortFirstAscendingAndLastDescending) {
    view.sort(table, colVpid, true);
    EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Élite", "BBC One", "charlie", "bravo"}));
    view.sort(table, colVpid, false);
    EXPECT_EQ(names(), (std::vector<std::string>{"bravo", "charlie", "BBC One", "Alpha", "Élite"}));
}

TEST_F(ServiceViewTest, AFilterReturnsTheViewToFileOrder) {
    view.sort(table, colService, false);
    view.applyFilter(table, {});
    EXPECT_EQ(names(), (std::vector<std::string>{"bravo", "Alpha", "BBC One", "Élite", "charlie"}));
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

} // namespace
} // namespace tavrino
