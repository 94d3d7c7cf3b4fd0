#include "compare/comparison.h"
#include "opened.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>

namespace tavrino {
namespace {
using test::Opened;

std::size_t countOf(const Comparison& c, DiffArea area) {
    return c.count(area);
}

TEST(Comparison, ListsMatchThemselvesAndAnEmptySideHoldsNothing) {
    const auto files = sample::generate({.services = 500, .satellites = 6, .bouquets = 4});
    const Opened a(files);
    const Opened b(files);
    const Comparison same = compareWorkspaces(a.ws, b.ws);
    EXPECT_TRUE(same.same());
    EXPECT_TRUE(same.rows().empty());

    const Workspace nothing;
    const Comparison added = compareWorkspaces(nothing, a.ws);
    EXPECT_EQ(added.count(DiffArea::Service, DiffChange::Added), 500u);
    EXPECT_EQ(added.count(DiffArea::Bouquet, DiffChange::Added), 4u);
    EXPECT_EQ(added.count(DiffArea::Satellite, DiffChange::Added), 6u);
    EXPECT_EQ(countOf(added, DiffArea::Service), 500u) << "nothing else for services";
    const Comparison removed = compareWorkspaces(
        a.ws, nothing, {.services = true, .bouquets = false, .satellites = false});
    EXPECT_EQ(removed.count(DiffArea::Service, DiffChange::Removed), 500u);
    EXPECT_EQ(removed.rows().size(), 500u) << "--only services leaves the other areas out";
}

std::map<std::int32_t, std::uint32_t> rowsByFlag(const Workspace& ws) {
    std::map<std::int32_t, std::uint32_t> rows;
    for (std::uint32_t r = 0; r < ws.services().size(); ++r) {
        rows[ws.services().row(r).record.flag] = r;
    }
    return rows;
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
    const auto beforeRows = rowsByFlag(before.ws);
    const auto afterRows = rowsByFlag(after.ws);
    const auto recordOf = [](const Opened& side, const std::map<std::int32_t, std::uint32_t>& rows,
                             std::int32_t flag) -> const DecodedService& {
        return side.ws.services().row(rows.at(flag)).record;
    };

    std::multiset<Seen> expected;
    std::size_t changedServices = 0;
    for (const std::int32_t flag : rescan.removed) {
        expected.insert({"Removed", "", flag, "", ""});
    }
    for (const auto& [old, now] : rescan.newFlag) {
        const DecodedService& x = recordOf(before, beforeRows, old);
        const DecodedService& y = recordOf(after, afterRows, now);
        const bool renamed = rescan.renamed.count(old) != 0;
        const bool moved = x.frequency != y.frequency;
        if (renamed) {
            expected.insert({"Changed", "Service", now, before.ws.codePage().toUtf8(x.name),
                             after.ws.codePage().toUtf8(y.name)});
        }
        if (moved) {
            expected.insert({"Changed", "Frequency", now, std::to_string(x.frequency),
                             std::to_string(y.frequency)});
        }
        changedServices += renamed || moved ? 1 : 0;
    }
    ASSERT_GT(rescan.removed.size(), 50u);
    ASSERT_GT(rescan.renamed.size(), 50u);
    ASSERT_GT(changedServices, rescan.renamed.size()) << "some services moved in frequency";

    const Comparison c = compareWorkspaces(before.ws, after.ws);
    std::multiset<Seen> seen;
    for (const DiffRow& row : c.rows()) {
        ASSERT_EQ(row.area, DiffArea::Service) << row.name << " " << row.where;
        if (row.change == DiffChange::Removed) {
            seen.insert({"Removed", "", before.ws.services().row(*row.beforeService).record.flag,
                         row.before, row.after});
            continue;
        }
        ASSERT_EQ(row.change, DiffChange::Changed);
        const std::int32_t old = before.ws.services().row(*row.beforeService).record.flag;
        const std::int32_t now = after.ws.services().row(*row.afterService).record.flag;
        EXPECT_EQ(rescan.newFlag.at(old), now) << "paired with the service the rescan made of it";
        seen.insert({"Changed", row.field, now, row.before, row.after});
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(c.count(DiffArea::Service, DiffChange::Removed), rescan.removed.size());
    EXPECT_EQ(c.count(DiffArea::Service, DiffChange::Changed), changedServices);
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
    ASSERT_EQ(c.rows().size(), 3u);
    EXPECT_EQ(c.rows()[0].change, DiffChange::Removed) << "removed rows come before changed ones";
    EXPECT_EQ(c.rows()[0].name, "Gone");
    for (std::size_t i = 1; i < 3; ++i) {
        const DiffRow& row = c.rows()[i];
        EXPECT_EQ(row.change, DiffChange::Changed);
        EXPECT_EQ(row.beforeService, 0u);
        EXPECT_EQ(row.afterService, 1u);
    }
    EXPECT_EQ(c.rows()[1].field, "Service");
    EXPECT_EQ(c.rows()[1].before, "Alpha");
    EXPECT_EQ(c.rows()[1].after, "Gamma");
    EXPECT_EQ(c.rows()[2].field, "Frequency");
    EXPECT_EQ(c.rows()[2].before, "11000");
    EXPECT_EQ(c.rows()[2].after, "11500");
    EXPECT_EQ(c.count(DiffArea::Service, DiffChange::Changed), 1u);
}

} // namespace
} // namespace tavrino
