#include "bouquet_contents.h"
#include "common/csv.h"
#include "opened.h"
#include "recording_prompter.h"
#include "reference/bouquet_apply.h"
#include "reference/service_matcher.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::contents;
using test::links;
using test::names;
using test::TempDir;

const std::string header = "Bouquet,Item,Name,Satellite,Position,Frequency,Pol,SID,TID,NID,Type\n";

// A list row naming service-table row `s` by the values the service table shows.
std::string rowFor(const Workspace& ws, std::size_t s, const std::string& bouquet, int item,
                   const char* lineEnd = "\n") {
    const ServiceTable& t = ws.services();
    const auto position = satellitePosition(ws, t.row(s).record.satIndex);
    return csv::record({bouquet, std::to_string(item), t.serviceName(s),
                        t.cellText(s, colSatellite), position ? positionText(*position) : "",
                        t.cellText(s, colFrequency), t.cellText(s, colPol), t.cellText(s, colSid),
                        t.cellText(s, colTid), t.cellText(s, colNid), t.cellText(s, colType)},
                       lineEnd);
}

class ApplyTest : public testing::Test {
protected:
    void open(sample::Options options) {
        test::writeSample(folder.path(), options);
        ASSERT_TRUE(ws.openFolder(folder.path()).opened());
        editor.databaseReplaced();
    }
    ReferenceList list(const std::string& rows) const {
        return parseReferenceList(header + rows, ws.codePage());
    }
    ApplyPlan plan(const std::string& rows, bool replaceAll = false) {
        return planApply(ws, editor, list(rows), replaceAll);
    }
    std::int32_t flag(std::size_t s) const { return ws.services().row(s).record.flag; }

    TempDir folder;
    Workspace ws;
    test::RecordingPrompter prompter;
    BouquetEditor editor{ws, prompter};
};

// ---- Round trip ----

// Applied to the database it came from, the export changes no byte; applied to that database
// without its bouquets, it builds them again.
TEST_F(ApplyTest, TheExportChangesNoByteOfItsOwnDatabaseAndRebuildsLostBouquets) {
    open({.services = 1500, .satellites = 5, .bouquets = 12});
    editor.add("Leer"); // a bouquet without items travels as one row
    const Bytes before = ws.channelBytes();
    const auto old = std::pair(names(editor), contents(editor));
    const ReferenceList exported = parseReferenceList(exportReferenceList(ws), ws.codePage());
    for (const bool replaceAll : {false, true}) {
        const ApplyPlan p = planApply(ws, editor, exported, replaceAll);
        for (const auto& row : p.rows) {
            ASSERT_TRUE(row.result == RowResult::Found || row.result == RowResult::NoItems)
                << row.line << ": " << resultText(row);
        }
        EXPECT_EQ(test::mapped(p.bouquets, [](const auto& b) { return b.fate; }),
                  std::vector(p.bouquets.size(), BouquetFate::Unchanged));
        EXPECT_TRUE(applyPlan(ws, editor, p).empty());
        EXPECT_EQ(ws.channelBytes(), before);
    }
    EXPECT_EQ(ws.history().stepCount(), 1u) << "only the Add: applying changed nothing";

    editor.arrange({});
    ASSERT_TRUE(editor.rows().empty());
    applyPlan(ws, editor, planApply(ws, editor, exported, false));
    EXPECT_EQ(std::pair(names(editor), contents(editor)), old);
}

// ---- The rules ----

// What a case changes in the exported row, one bit each.
constexpr int Renamed = 1, OtherPol = 2, OtherSid = 4, NoPosition = 8, NoSatellite = 16,
              UnknownSatellite = 32, NoFrequency = 64, NoSid = 128, NoTid = 256;

struct RuleCase {
    const char* name;
    int kilohertz;                 // added to the frequency
    int edits;                     // of the bits above
    std::optional<MatchRule> rule; // none: not found
};

class MatchRules : public ApplyTest, public testing::WithParamInterface<RuleCase> {
protected:
    // A satellite service whose name, identity and SID/TID/NID no other service shares.
    std::size_t uniqueService() const {
        const ServiceTable& t = ws.services();
        for (std::size_t s = 0; s < t.size(); ++s) {
            const auto& r = t.row(s).record;
            bool shared = false;
            for (std::size_t o = 0; o < t.size() && !shared; ++o) {
                shared = o != s && (t.row(o).record.name == r.name || t.row(o).record.sid == r.sid);
            }
            if (!shared && satellitePosition(ws, r.satIndex) && t.row(s).pol != PolText::Empty) {
                return s;
            }
        }
        return t.size();
    }
};

TEST_P(MatchRules, StrongestRuleFirst) {
    open({.services = 800, .satellites = 5, .bouquets = 0});
    const std::size_t s = uniqueService();
    ASSERT_LT(s, ws.services().size());
    const RuleCase& c = GetParam();
    ReferenceRow row = list(rowFor(ws, s, "B", 1)).rows.front();
    *row.frequency += c.kilohertz;
    *row.sid += c.edits & OtherSid ? 1 : 0;
    row.name = c.edits & Renamed ? "Another name" : row.name;
    row.pol = c.edits & OtherPol ? (row.pol == "H" ? "V" : "H") : row.pol;
    row.satellite = c.edits & NoSatellite        ? ""
                    : c.edits & UnknownSatellite ? "Nowhere"
                                                 : row.satellite;
    row.position = c.edits & NoPosition ? std::nullopt : row.position;
    row.frequency = c.edits & NoFrequency ? std::nullopt : row.frequency;
    row.sid = c.edits & NoSid ? std::nullopt : row.sid;
    row.tid = c.edits & NoTid ? std::nullopt : row.tid;
    const Match m = ServiceMatcher(ws).find(row);
    EXPECT_EQ(m.service, c.rule ? std::optional(static_cast<std::uint32_t>(s)) : std::nullopt);
    if (c.rule) {
        EXPECT_EQ(std::pair(m.rule, m.candidates), std::pair(*c.rule, std::size_t{1}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MatchRules,
    testing::Values(
        RuleCase{"asExported", 0, 0, MatchRule::Identity},
        RuleCase{"twoMHzAway", -2000, 0, MatchRule::Identity},
        RuleCase{"renamedAndMoved", 1000, Renamed, MatchRule::Identity},
        RuleCase{"bySatelliteNameWithoutPosition", 0, NoPosition, MatchRule::Identity},
        RuleCase{"threeMHzAway", 3000, 0, MatchRule::Ids},
        RuleCase{"otherPolarisation", 0, OtherPol, MatchRule::Ids},
        RuleCase{"unknownSatelliteName", 0, NoPosition | UnknownSatellite, MatchRule::Ids},
        RuleCase{"onlyNameAndPosition", 0, NoFrequency | NoSid, MatchRule::Name},
        RuleCase{"otherSidAndNoTid", 0, OtherSid | NoTid, MatchRule::Name},
        RuleCase{"nameWithoutAPlace", 0, NoPosition | NoSatellite | NoSid, std::nullopt}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MatchRules, OfTwoServicesWithOneIdentityTheFirstWinsAndIsReported) {
    const std::vector<test::ServiceSpec> services = {{.name = "Twin", .link = 2, .sid = 7},
                                                     {.name = "Twin", .link = 3, .sid = 7},
                                                     {.name = "Solo", .link = 0, .sid = 8}};
    test::Opened opened(test::buildChannel({{"Sat", {{1, 3, services}}}}));
    Workspace& ws = opened.ws;
    test::RecordingPrompter prompter;
    BouquetEditor editor(ws, prompter);
    const auto plan = planApply(ws, editor,
                                parseReferenceList(header + "B,1,Twin,Sat,,11778000,H,7,,,\n"
                                                            "B,2,Twin,Sat,,,,,,,\n"
                                                            "B,3,Solo,Sat,,,,,,,\n",
                                                   ws.codePage()),
                                false);
    EXPECT_EQ(test::mapped(plan.rows, [](const auto& row) { return resultText(row); }),
              (std::vector<std::string>{"Found (first of 2 services)",
                                        "Not found (2 services of that name)", "Found by name"}));
    EXPECT_EQ(plan.rows[0].service, 0u);
    const auto& b = plan.bouquets.front();
    EXPECT_EQ(std::tuple(b.found, b.weaker, b.notFound), std::tuple(1, 1, 1));
}

// ---- Limits and duplicates ----

TEST_F(ApplyTest, AFiftyFirstBouquetIsNotCreated) {
    open({.services = 400, .satellites = 4, .bouquets = 0});
    editor.add("Mine");
    std::string rows;
    for (int b = 1; b <= 51; ++b) {
        rows += rowFor(ws, static_cast<std::size_t>(b), "B" + std::to_string(b), 1);
    }
    const ApplyPlan p = plan(rows);
    applyPlan(ws, editor, p);
    ASSERT_EQ(editor.rows().size(), 50u) << "Mine stays and 49 are added";
    EXPECT_EQ(editor.rows().back().name, "B49");
    EXPECT_EQ(p.bouquets[p.bouquets.size() - 2].fate, BouquetFate::NotCreated);
    EXPECT_EQ(
        std::tuple(p.bouquets.back().name, p.bouquets.back().leftOut, resultText(p.rows.back())),
        std::tuple("B51", 1, "Left out: more than 50 bouquets"));
    const auto last = plan(rows, true).bouquets.back(); // Mine goes, so B50 fits
    EXPECT_EQ(std::tuple(last.name, last.fate), std::tuple("B51", BouquetFate::NotCreated));
}

TEST_F(ApplyTest, ABouquetTakesTwoHundredServicesAndReportsTheRest) {
    open({.services = 400, .satellites = 4, .bouquets = 0});
    std::string rows = "Big,,,,,,,,,,\n"; // declaring the bouquet first changes nothing
    for (int i = 0; i < 201; ++i) {
        rows += rowFor(ws, static_cast<std::size_t>(i), "Big", i + 1);
    }
    const ApplyPlan p = plan(rows);
    applyPlan(ws, editor, p);
    ASSERT_EQ(editor.items(0).size(), 200u);
    EXPECT_EQ(editor.items(0).back().link, flag(199));
    EXPECT_EQ(p.rows.back().result, RowResult::TooManyItems);
    EXPECT_EQ(resultText(p.rows.back()), "Left out: more than 200 items");
    EXPECT_EQ(p.rows.front().result, RowResult::NoItems);
}

TEST_F(ApplyTest, ARepeatedItemNumberIsADuplicateButARepeatedServiceStays) {
    open({.services = 400, .satellites = 4, .bouquets = 0});
    const ApplyPlan p = plan(rowFor(ws, 5, "D", 1) + rowFor(ws, 6, "D", 2) + rowFor(ws, 5, "D", 1) +
                             rowFor(ws, 5, "D", 3));
    EXPECT_EQ(
        test::mapped(p.rows, [](const auto& row) { return row.result; }),
        (std::vector{RowResult::Found, RowResult::Found, RowResult::Duplicate, RowResult::Found}));
    EXPECT_EQ(resultText(p.rows[2]), "Duplicate of line 2");
    applyPlan(ws, editor, p);
    EXPECT_EQ(links(editor.items(0)), (std::vector<std::int32_t>{flag(5), flag(6), flag(5)}));
}

// ---- Where the bouquets go ----

struct LayoutCase {
    const char* name;
    std::vector<const char*> listed;
    bool replaceAll;
    std::vector<std::string> result;
};

class BouquetLayout : public ApplyTest, public testing::WithParamInterface<LayoutCase> {};

TEST_P(BouquetLayout, ListedInTheListsOrderOthersKeptOrRemoved) {
    open({.services = 400, .satellites = 4, .bouquets = 0});
    std::map<std::string, std::int32_t> flagOf; // of each bouquet's one service
    std::uint32_t service = 0;
    for (const char* name : {"A", "X", "B", "Y"}) {
        flagOf[name] = flag(service);
        editor.dropServices(*editor.add(name).select, std::vector<std::uint32_t>{service++},
                            std::nullopt);
    }
    std::string rows;
    for (const char* name : GetParam().listed) {
        rows += rowFor(ws, 100 + service, name, 1);
        flagOf[name] = flag(100 + service++);
    }
    applyPlan(ws, editor, plan(rows, GetParam().replaceAll));
    ASSERT_EQ(names(editor), GetParam().result);
    EXPECT_EQ(contents(editor), test::mapped(GetParam().result, [&](const std::string& name) {
                  return std::vector{flagOf[name]};
              }));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, BouquetLayout,
    testing::Values(LayoutCase{"sameOrder", {"A", "B"}, false, {"A", "X", "B", "Y"}},
                    LayoutCase{"swapped", {"B", "A"}, false, {"B", "X", "A", "Y"}},
                    LayoutCase{
                        "newOnesAtTheEnd", {"C", "B", "A"}, false, {"B", "X", "A", "Y", "C"}},
                    LayoutCase{"replaceAll", {"C", "B"}, true, {"C", "B"}},
                    LayoutCase{"emptyListKeepsAll", {}, false, {"A", "X", "B", "Y"}},
                    LayoutCase{"emptyListReplacesAll", {}, true, {}}),
    [](const auto& p) { return std::string(p.param.name); });

// ---- Export ----

TEST_F(ApplyTest, ExportWritesOneRowPerItemWithTheValuesTheServiceTableShows) {
    open({.services = 500, .satellites = 4, .bouquets = 0});
    editor.dropServices(*editor.add("News, Sport").select, std::vector<std::uint32_t>{7, 8},
                        std::nullopt);
    editor.add("Leer");
    const std::string text = exportReferenceList(ws);
    EXPECT_EQ(text, header.substr(0, header.size() - 1) + "\r\n" +
                        rowFor(ws, 7, "News, Sport", 1, "\r\n") +
                        rowFor(ws, 8, "News, Sport", 2, "\r\n") + "Leer,,,,,,,,,,\r\n");
}

TEST(ExportAfterRescan, AnItemWhoseServiceIsGoneKeepsWhatItStores) {
    const auto scanned = sample::generate({.services = 300, .satellites = 4, .bouquets = 2});
    const test::Opened opened(sample::rescan(scanned, {.seed = 2}).files);
    const Workspace& ws = opened.ws;
    const auto item = readBouquetItems(ws, 0).front();
    ASSERT_EQ(item.name, unknownServiceName) << "the rescan gave every service a new link";
    const auto rows = csv::parse(exportReferenceList(ws));
    const auto& f = rows[1].fields;
    EXPECT_EQ((std::vector{f[2], f[3], f[5], f[7], f[8], f[9]}), // no name
              (std::vector<std::string>{"", item.satellite, std::to_string(item.frequency),
                                        std::to_string(item.sid), std::to_string(item.tid),
                                        std::to_string(item.nid)}));
}

} // namespace
} // namespace tavrino
