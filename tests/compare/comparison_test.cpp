#include "compare/comparison.h"
#include "opened.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>

namespace tavrino {
namespace {
using test::Opened;

std::map<std::int32_t, const DecodedService*> recordsByFlag(const Workspace& ws) {
    std::map<std::int32_t, const DecodedService*> records;
    for (const ServiceRow& row : ws.services().rows()) {
        records[row.record.flag] = &row.record;
    }
    return records;
}

// (change, field, FLAG after or, for a removed service, before, value before, value after)
using Seen = std::tuple<std::string, std::string, std::int32_t, std::string, std::string>;

// The generator reorders every transponder and service and gives each service a new link;
// the comparison must find only the services it removed, renamed and moved in frequency.
TEST(Comparison, ARescanShowsTheServicesTheGeneratorRemovedRenamedAndMovedAndNothingElse) {
    const auto scanned =
        sample::generate({.services = 3000, .satellites = 10, .bouquets = 8, .seed = 5});
    const sample::Rescan rescan = sample::rescan(scanned, {.seed = 3});
    const Opened before(scanned);
    const Opened after(rescan.files);
    const auto beforeRecords = recordsByFlag(before.ws);
    const auto afterRecords = recordsByFlag(after.ws);

    std::multiset<Seen> expected;
    for (const std::int32_t flag : rescan.removed) {
        expected.insert({"Removed", "", flag, "", ""});
    }
    for (const auto& [old, now] : rescan.newFlag) {
        const DecodedService& x = *beforeRecords.at(old);
        const DecodedService& y = *afterRecords.at(now);
        if (rescan.renamed.count(old) != 0) {
            expected.insert({"Changed", "Service", now, before.ws.codePage().toUtf8(x.name),
                             after.ws.codePage().toUtf8(y.name)});
        }
        if (x.frequency != y.frequency) {
            expected.insert({"Changed", "Frequency", now, std::to_string(x.frequency),
                             std::to_string(y.frequency)});
        }
    }
    ASSERT_GT(std::min(rescan.removed.size(), rescan.renamed.size()), 50u);
    ASSERT_GT(expected.size(), rescan.removed.size() + rescan.renamed.size())
        << "some services moved in frequency";

    const Comparison c = compareWorkspaces(before.ws, after.ws);
    std::multiset<Seen> seen;
    for (const DiffRow& row : c.rows()) {
        ASSERT_EQ(row.area, DiffArea::Service) << row.name << " " << row.where;
        const std::int32_t old = before.ws.services().row(row.beforeService.value()).record.flag;
        const bool removed = row.change == DiffChange::Removed;
        const std::int32_t flag =
            removed ? old : after.ws.services().row(row.afterService.value()).record.flag;
        EXPECT_TRUE(removed || rescan.newFlag.at(old) == flag) << "paired as the rescan made it";
        seen.insert({std::string(changeText(row.change)), row.field, flag, row.before, row.after});
    }
    EXPECT_EQ(seen, expected);
}

// Two services share an identity only by SID, TID and NID. Pairing one service after the
// other with every rule would let the first take the service the second matches exactly.
// Twins pair one to one; of two services with one identity, the one that kept its name stays.
TEST(Comparison, EveryPairOfTheStrongestRuleComesFirstAndTwinsPairOneToOne) {
    const auto channel = [](std::int32_t firstFrequency, const std::string& firstName,
                            std::int32_t secondFrequency, const std::string& secondName,
                            std::vector<test::ServiceSpec> sameIdentity) {
        return test::buildChannel(
            {{"Sat",
              {{1,
                2,
                {{.name = firstName, .link = 2, .sid = 7, .frequency = firstFrequency},
                 {.name = secondName, .link = 0, .sid = 7, .frequency = secondFrequency}}},
               {3,
                4,
                {{.name = "Twin", .link = 4, .sid = 9, .frequency = 10900},
                 {.name = "Twin", .link = 0, .sid = 9, .frequency = 10900}}},
               {5, 6, std::move(sameIdentity)}}}});
    };
    const test::ServiceSpec gone{.name = "Gone", .link = 6, .sid = 5, .frequency = 10800};
    const test::ServiceSpec stays{.name = "Stays", .link = 0, .sid = 5, .frequency = 10800};
    const Opened before(channel(11000, "Alpha", 12000, "Beta", {gone, stays}));
    const Opened after(channel(12000, "Beta", 11500, "Gamma", {stays}));
    const Comparison c = compareWorkspaces(before.ws, after.ws);
    // Change, field, before, after and the service rows: Gone is row 4 before, Alpha row 0,
    // Gamma row 1 after. Removed rows come before changed ones.
    using Row = std::tuple<DiffChange, std::string, std::string, std::string,
                           std::optional<std::uint32_t>, std::optional<std::uint32_t>>;
    std::vector<Row> rows;
    for (const DiffRow& r : c.rows()) {
        rows.emplace_back(r.change, r.field, r.before, r.after, r.beforeService, r.afterService);
    }
    EXPECT_EQ(rows, (std::vector<Row>{{DiffChange::Removed, "", "", "", 4, std::nullopt},
                                      {DiffChange::Changed, "Service", "Alpha", "Gamma", 0, 1},
                                      {DiffChange::Changed, "Frequency", "11000", "11500", 0, 1}}));
    EXPECT_EQ(c.count(DiffArea::Service, DiffChange::Changed), 1u);
}

} // namespace
} // namespace tavrino
