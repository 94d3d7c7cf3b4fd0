#include "cli_runner.h"
#include "test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::CliRun;
using test::lines;
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

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

std::string textOf(const std::filesystem::path& path) {
    const Bytes bytes = test::readFile(path);
    return {bytes.begin(), bytes.end()};
}

std::size_t count(const std::vector<std::string>& rows, const std::string& ending) {
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [&](const auto& r) {
        return r.size() >= ending.size() &&
               r.compare(r.size() - ending.size(), ending.size(), ending) == 0;
    }));
}

class ReferenceCli : public testing::Test {
protected:
    void SetUp() override {
        scanned = sample::generate({.services = 1200, .satellites = 5, .bouquets = 6, .seed = 4});
        sample::writeFolder(scanned, before.path());
        list = before / "list.csv";
        const CliRun run = runCli("export-bouquets " + quoted(before.path()) + " " + quoted(list));
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "wrote " + list.string() + "\n");
    }

    sample::Files scanned;
    TempDir before;
    TempDir after;
    std::filesystem::path list;
};

TEST_F(ReferenceCli, ADryRunShowsEveryRowAndWritesNothing) {
    const CliRun run =
        runCli("apply-bouquets " + quoted(before.path()) + " " + quoted(list) + " --dry-run");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    const auto exported = lines(textOf(list));
    ASSERT_EQ(rows.size(), exported.size());
    EXPECT_EQ(rows[0], "Bouquet,Item,Name,Result");
    EXPECT_EQ(count(rows, ",Found") + count(rows, ",No items"), rows.size() - 1);
    EXPECT_EQ(test::readFile(before / "all_channel.dat"), scanned.channel);
}

TEST_F(ReferenceCli, ApplyingToARescanWritesTheFolderAndReportsWhatIsGone) {
    const sample::Rescan rescan = sample::rescan(scanned, {.seed = 9});
    sample::writeFolder(rescan.files, after.path());
    const std::string args = "apply-bouquets " + quoted(after.path()) + " " + quoted(list);
    const CliRun run = runCli(args + " --no-backup");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    EXPECT_EQ(rows[0], "Bouquet,Item,Name,Result");
    EXPECT_GT(count(rows, ",Not found"), 5u);
    EXPECT_EQ(count(rows, ",Found"), 0u) << "a real run reports only what needs a look";
    EXPECT_NE(run.err.find("wrote " + (after / "all_channel.dat").string()), std::string::npos)
        << "what was written goes to stderr, the report to stdout";
    EXPECT_NE(test::readFile(after / "all_channel.dat"), rescan.files.channel);
    const CliRun contents = runCli("bouquet " + quoted(after.path()) + " 1");
    EXPECT_EQ(contents.out.find("IME,"), std::string::npos) << "every item names a service";

    const CliRun again = runCli(args);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.err.find("nothing was written"), std::string::npos) << again.err;
}

TEST_F(ReferenceCli, ReplaceAllNamesTheBouquetsItRemoves) {
    const auto exported = lines(textOf(list));
    std::string oneBouquet = exported[0] + "\n" + exported[1] + "\n";
    test::writeFile(after / "one.csv", Bytes(oneBouquet.begin(), oneBouquet.end()));
    const CliRun run = runCli("apply-bouquets " + quoted(before.path()) + " " +
                              quoted(after / "one.csv") + " --replace-all --dry-run");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(count(lines(run.out), ",Removed"), 5u);
}

TEST_F(ReferenceCli, AMalformedListIsRefusedWithItsLineAndNothingChanges) {
    struct Case {
        std::string text;
        std::string says;
    };
    const std::string header =
        "Bouquet,Item,Name,Satellite,Position,Frequency,Pol,SID,TID,NID,Type\n";
    const std::string ok = "A,1,N,S,1.0E,11778,H,1,2,3,TV\n";
    for (const Case& c : {
             Case{"Name,Bouquet\n", "line 1: the first line is not the header"},
             Case{header + ok + "A,2,N\n", "line 3: the row has 3 fields"},
             Case{header + ok + ok + "A,3,N,S,1.0E,fast,H,1,2,3,TV\n", "line 4: Frequency"},
             Case{header + "Caf\xE9,1,,,,,,,,,\n", "line 2: the text is not UTF-8"},
         }) {
        test::writeFile(after / "bad.csv", Bytes(c.text.begin(), c.text.end()));
        const CliRun run =
            runCli("apply-bouquets " + quoted(before.path()) + " " + quoted(after / "bad.csv"));
        EXPECT_EQ(run.exitCode, 2) << c.says;
        EXPECT_NE(run.err.find((after / "bad.csv").string() + " is damaged: " + c.says),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(test::readFile(before / "all_channel.dat"), scanned.channel);
}

TEST(ReferenceCliSample, MakeSampleWritesARescan) {
    TempDir rx;
    const CliRun run = runCli("make-sample " + quoted(rx / "new") + " --services 500 --rescan 3");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rescanned = sample::rescan(sample::generate({.services = 500}), {.seed = 3});
    EXPECT_EQ(test::readFile(rx / "new" / "all_channel.dat"), rescanned.files.channel);
    const auto info = runCli("info " + quoted(rx / "new"));
    EXPECT_NE(info.out.find("services: " + std::to_string(500 - rescanned.removed.size())),
              std::string::npos)
        << info.out;
}

} // namespace
} // namespace tavrino
