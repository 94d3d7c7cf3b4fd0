#include "database/file_problem.h"
#include "services/service_table.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::BlockSpec;
using test::ServiceSpec;
using test::TransponderSpec;

ServiceTable tableOf(const std::vector<BlockSpec>& blocks, ProviderTable providers = {}) {
    ChannelImage image{test::buildChannel(blocks)};
    return ServiceTable::build(image, "all_channel.dat", std::move(providers),
                               CodePage::windows1252());
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
                  }}});
    EXPECT_EQ(column(table, colFlag), (std::vector<std::string>{"100", "11", "12", "900", "600"}));
}

TEST(ServiceTable, TypeAndPolRepeatTheServiceBeforeForUnknownValues) {
    const auto table =
        tableOf({{"Sat",
                  {{0,
                    0,
                    {
                        {.serviceType = 0x0103, .polarization = 5}, // nothing before: empty
                        {.serviceType = 0x0B02, .polarization = 1},
                        {.serviceType = 0x0199, .polarization = 7},
                        {.serviceType = 0x0201, .polarization = 0},
                        {.serviceType = 0x0102, .polarization = 2},
                    }}}}});
    EXPECT_EQ(column(table, colType),
              (std::vector<std::string>{"", "Radio", "Radio", "TV", "Radio"}));
    EXPECT_EQ(column(table, colPol), (std::vector<std::string>{"", "V", "V", "H", "H"}));
    EXPECT_EQ(column(table, colTypeNumber)[2], "409");
}

TEST(ServiceTable, CellsFollowTheRecord) {
    ProviderTable providers;
    providers.names[0] = "Zero";
    providers.names[7] = "Seven";
    const auto table = tableOf({{"Astra",
                                 {{0,
                                   0,
                                   {
                                       {.name = "Caf\xE9",
                                        .link = 1,
                                        .providerIndex = 7,
                                        .videoPid = 65535,
                                        .teletextPid = 33,
                                        .flags = 66},
                                       {.name = "B",
                                        .providerIndex = 2001,
                                        .videoPid = 0,
                                        .teletextPid = 65535,
                                        .frequency = -5},
                                   }}}}},
                               providers);
    EXPECT_EQ(table.cellText(0, colService), "Café");
    EXPECT_EQ(table.cellText(0, colProvider), "Seven");
    EXPECT_EQ(table.cellText(1, colProvider), "Zero"); // above 2000: entry 0
    EXPECT_EQ(table.cellText(0, colVpid), "");
    EXPECT_EQ(table.cellText(1, colVpid), "0");
    EXPECT_EQ(table.cellText(0, colTxt), "33");
    EXPECT_EQ(table.cellText(1, colTxt), "");
    EXPECT_EQ(table.cellText(1, colFrequency), "-5");
    EXPECT_EQ(table.cellText(0, colHdFlag), "66");
    EXPECT_EQ(table.cellText(0, colCountryId), "4");
    EXPECT_EQ(table.cellText(0, colSatellite), "Astra");
    EXPECT_EQ(table.cellText(0, colLokacija), std::to_string(test::firstServiceOffset));
    EXPECT_EQ(table.cellText(1, colLokacija), std::to_string(test::firstServiceOffset + 200));
}

TEST(ServiceTable, SignedLinkValuesShowNegative) {
    const auto table = tableOf({{"Sat", {{static_cast<std::int32_t>(2147483649u), 0, {{}, {}}}}}});
    EXPECT_EQ(table.cellText(0, colFlag), "-2147483647");
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
    ASSERT_NE(table.blockNameForSatIndex(3), nullptr);
    EXPECT_EQ(*table.blockNameForSatIndex(3), "C");
    EXPECT_EQ(table.blockNameForSatIndex(4), nullptr);
}

TEST(ServiceTable, LooksUpByFlagAndSidWithTheFirstServiceWinning) {
    const auto table = tableOf(
        {{"Sat",
          {
              {10,
               30,
               {{.link = 10, .sid = 5}, {.link = 20, .sid = 6}, {.sid = 5}}}, // flags 10, 10, 30
          }}});
    EXPECT_EQ(table.findByFlagAndSid(10, 5), 0u);
    EXPECT_EQ(table.findByFlagAndSid(10, 6), 1u);
    EXPECT_EQ(table.findByFlagAndSid(30, 5), 2u);
    EXPECT_EQ(table.findByFlagAndSid(20, 6), std::nullopt);
    EXPECT_EQ(table.findByOffset(test::firstServiceOffset + 200), 1u);
    EXPECT_EQ(table.findByOffset(test::firstServiceOffset + 1), std::nullopt);
}

TEST(ServiceTable, RefusesSatelliteNumbersAbove255) {
    try {
        tableOf({{"Sat", {{0, 0, {{.satIndex = 256}}}}}});
        FAIL();
    } catch (const FileProblem& e) {
        EXPECT_NE(e.detail().find("satellite number 256"), std::string::npos);
    }
}

TEST(ServiceTable, NameLengthBeyondTheNameAreaIsBounded) {
    Bytes image = test::buildChannel({{"Sat", {{0, 0, {{.name = "Abc"}}}}}});
    test::put(image, test::firstServiceOffset + 106, 2, 60000);
    const auto table =
        ServiceTable::build(ChannelImage{image}, "f", ProviderTable{}, CodePage::windows1252());
    EXPECT_EQ(table.cellText(0, colService), "Abc");
    EXPECT_EQ(table.cellText(0, colCountryId), "60000");
}

} // namespace
} // namespace tavrino
