#include "cli_runner.h"
#include "common/csv.h"
#include "samplegen/sample_duplicates.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::CliRun;
using test::TempDir;

const TempDir& dataFolder() {
    static const TempDir folder;
    return folder;
}

CliRun runCli(const std::string& args) {
    return test::runProgram("TAVRINO_HOME=" + dataFolder().path().string() + " timeout 60 " +
                                std::string(TAVRINO_CLI),
                            args);
}

std::vector<std::vector<std::string>> records(const std::string& text) {
    std::vector<std::vector<std::string>> out;
    for (auto& record : csv::parse(text)) {
        out.push_back(std::move(record.fields));
    }
    return out;
}

const std::vector<std::string> groupHeader = {"Group", "Service", "Satellite", "Frequency", "Pol",
                                              "SID",   "TID",     "NID",       "FLAG",      "Rule"};
const std::vector<std::string> itemHeader = {"Bouquet", "Item", "Service", "FirstItem"};

class DuplicatesCli : public testing::Test {
protected:
    // Every service has a SID of its own; the generated bouquets name some services twice.
    void SetUp() override {
        const auto files = sample::addDuplicates(
            sample::generate({.services = 500, .satellites = 4, .bouquets = 3, .seed = 8}),
            {.seed = 8, .groups = 0});
        sample::writeFolder(files.files, folder.path());
    }

    std::vector<std::vector<std::string>> run(const std::string& command,
                                              const std::string& args = "") {
        const CliRun r = runCli(command + " " + dir() + " " + args);
        EXPECT_EQ(r.exitCode, 0) << command << ": " << r.err;
        return records(r.out);
    }
    std::string dir() const { return "'" + folder.path().string() + "'"; }
    Bytes channel() const { return test::readFile(folder / "all_channel.dat"); }

    TempDir folder;
};

// Cells of a `services` row: Service 0, Satellite 3, Frequency 4, Pol 5, TID 6, NID 7, SID 8,
// SatPos 14, FLAG 15.
std::vector<std::string> groupRow(const std::string& group, const std::vector<std::string>& s,
                                  const std::string& rule) {
    return {group, s[0], s[3], s[4], s[5], s[8], s[6], s[7], s[15], rule};
}

TEST_F(DuplicatesCli, ServicesEditedAlikeComeOutAsOneGroup) {
    EXPECT_EQ(run("duplicates"), (std::vector<std::vector<std::string>>{groupHeader}));
    auto services = run("services");
    const auto onOtherSatellite = [&](std::size_t s) {
        return services[s][14] != services[1][14] && std::stoi(services[s][14]) <= 240;
    };
    const std::size_t a = 1;
    std::size_t b = a + 1;
    std::size_t c = services.size() - 1;
    while (!onOtherSatellite(b)) {
        ++b;
    }
    while (!onOtherSatellite(c)) {
        --c;
    }
    ASSERT_LT(b, c);
    const auto& sa = services[a];
    const auto key = [&](std::size_t s) { return services[s][15] + ":" + services[s][8]; };

    run("service-edit",
        key(b) + " SID=" + sa[8] + " TID=" + sa[6] + " NID=" + sa[7] + " --no-backup");
    run("service-edit", key(c) + " Satellite=" + sa[14] +
                            " Frequency=" + std::to_string(std::stoi(sa[4]) + 2) + " Pol=" + sa[5] +
                            " SID=" + sa[8] + " --no-backup");
    services = run("services");
    const auto groups = run("duplicates");
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(groups[1], groupRow("1", services[a], "Position/Frequency/Pol/SID"));
    EXPECT_EQ(groups[2], groupRow("1", services[b], "SID/TID/NID"));
    EXPECT_EQ(groups[3], groupRow("1", services[c], "Position/Frequency/Pol/SID"));
}

TEST_F(DuplicatesCli, DedupeAfterADropGivesBackTheBytes) {
    const auto repeated = run("duplicates", "--bouquets");
    ASSERT_GT(repeated.size(), 1u) << "the generated bouquets name some services twice";
    EXPECT_EQ(repeated.front(), itemHeader);
    const CliRun all = runCli("bouquet-dedupe " + dir() + " all --no-backup");
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_NE(all.out.find("removed " + std::to_string(repeated.size() - 1) + " duplicate items\n"),
              std::string::npos)
        << all.out;
    EXPECT_EQ(run("duplicates", "--bouquets"), (std::vector<std::vector<std::string>>{itemHeader}));
    const Bytes clean = channel();

    // Items: Service 0, ..., sid 9, link 12.
    const auto items = run("bouquet", "1");
    const auto& third = items[3];
    run("bouquet-add-services", "1 --services " + third[12] + ":" + third[9] + " --no-backup");
    const auto bouquets = run("bouquets");
    EXPECT_EQ(run("duplicates", "--bouquets"),
              (std::vector<std::vector<std::string>>{
                  itemHeader, {bouquets[1][2], std::to_string(items.size()), third[0], "3"}}));

    const CliRun one = runCli("bouquet-dedupe " + dir() + " 1 --no-backup");
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_NE(one.out.find("removed 1 duplicate item\n"), std::string::npos) << one.out;
    EXPECT_EQ(channel(), clean);

    const CliRun again = runCli("bouquet-dedupe " + dir() + " all --no-backup");
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_NE(again.err.find("nothing changed"), std::string::npos) << again.err;
    EXPECT_EQ(channel(), clean);
}

TEST_F(DuplicatesCli, WrongUsageAndTroubleHaveTheirExitCodes) {
    struct Case {
        std::string args;
        int exitCode;
    };
    for (const Case& c :
         {Case{"duplicates", 1}, Case{"duplicates " + dir() + " extra", 1},
          Case{"bouquet-dedupe " + dir(), 1}, Case{"bouquet-dedupe " + dir() + " 4", 1},
          Case{"bouquet-dedupe " + dir() + " first", 1},
          Case{"duplicates '" + (folder / "missing").string() + "'", 2}}) {
        EXPECT_EQ(runCli(c.args).exitCode, c.exitCode) << c.args;
    }
}

} // namespace
} // namespace tavrino
