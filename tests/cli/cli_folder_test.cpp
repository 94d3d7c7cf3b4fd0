// How the command line writes a folder back (backups, files it must not replace), and the
// commands over whole lists: duplicates and reference lists. In-process.
#include "cli_runner.h"
#include "common/csv.h"
#include "samplegen/sample_duplicates.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::CliRun;
using test::lines;
using test::runCli;
using test::TempDir;
using Row = std::vector<std::string>;

std::vector<Row> records(const std::string& text) {
    std::vector<Row> rows;
    for (const auto& record : csv::parse(text)) {
        rows.push_back(record.fields);
    }
    return rows;
}

std::size_t endingIn(const std::vector<std::string>& rows, const std::string& ending) {
    return static_cast<std::size_t>(std::count_if(
        rows.begin(), rows.end(), [&](const auto& r) { return r.ends_with(ending); }));
}

TEST(CliSaves, BackUpWhatTheyReplaceUnlessToldNot) {
    TempDir rx, data;
    test::writeSample(rx.path(), {.services = 60, .satellites = 2, .bouquets = 2});
    const Bytes before = test::readFile(rx / "all_channel.dat");
    const auto add = [&](std::vector<std::string> more) {
        more.insert(more.begin(),
                    {"--data-dir", data.path().string(), "bouquet-add", rx.path().string()});
        return runCli(more);
    };
    const CliRun kept = add({"Kept"});
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    const auto files = data.path() / "backups" / "files";
    ASSERT_EQ(test::entries(files).size(), 1u);
    const auto backup = files / *test::entries(files).begin();
    EXPECT_EQ(backup.filename().string().rfind(rx.path().filename().string() + "-", 0), 0u);
    EXPECT_EQ(test::readFile(backup / "all_channel.dat"), before);
    EXPECT_TRUE(fs::exists(backup / "DVBS.dat"));
    EXPECT_NE(kept.out.find("kept the replaced files in " + backup.string()), std::string::npos);

    ASSERT_EQ(add({"Unkept", "--no-backup"}).exitCode, 0);
    EXPECT_EQ(test::entries(files).size(), 1u);
}

// Read-only files are replaced only with --force; a link never, and nothing of it is copied.
TEST(CliSaves, ReadOnlyFilesNeedForceAndLinksAreRefused) {
    TempDir in, out, secret, data;
    test::writeSample(in.path(), {.services = 40, .seed = 1});
    const auto old = test::writeSample(out.path(), {.services = 20, .seed = 2});
    for (const char* name : {"all_channel.dat", "DVBS.dat"}) {
        ::chmod((out / name).c_str(), 0444);
    }
    std::vector<std::string> resave = {"--data-dir", data.path().string(), "resave",
                                       in.path().string(), out.path().string()};
    CliRun run = runCli(resave);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, out.path().string() +
                           ": all_channel.dat, DVBS.dat are read-only; nothing was written "
                           "(--force replaces read-only files)\n");
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), old.channel);

    resave.push_back("--force");
    test::writeFile(secret / "owner-only.dat", old.antenna);
    fs::remove(out / "antenna_list.dat");
    fs::create_symlink(secret / "owner-only.dat", out / "antenna_list.dat");
    run = runCli(resave);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.rfind((out / "antenna_list.dat").string() +
                                " could not be written: it is a symbolic link to " +
                                (secret / "owner-only.dat").string(),
                            0),
              0u)
        << run.err;
    EXPECT_TRUE(fs::is_symlink(out / "antenna_list.dat"));
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), old.channel);
    EXPECT_FALSE(fs::exists(data / "backups" / "files")) << "nothing was copied";

    fs::remove(out / "antenna_list.dat");
    run = runCli(resave);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), test::readFile(in / "all_channel.dat"));
    EXPECT_EQ(test::modeOf(out / "all_channel.dat"), 0444u);
}

// An immutable target makes the second rename of the group fail for real (root may set the
// flag; elsewhere the group commit's own tests cover it through a seam).
TEST(CliSaves, AFailedRenameLeavesTheOldFilesAndExitsTwo) {
    TempDir folder;
    test::writeSample(folder.path(), {.services = 30, .bouquets = 2});
    const Bytes channelBefore = test::readFile(folder / "all_channel.dat");
    const test::ImmutableFile locked(folder / "DVBS.dat");
    if (!locked.set()) {
        GTEST_SKIP() << "the immutable flag cannot be set here";
    }
    EXPECT_EQ(runCli({"bouquet-add", folder.path().string(), "Extra"}).exitCode, 2);
    EXPECT_EQ(test::readFile(folder / "all_channel.dat"), channelBefore);
    EXPECT_EQ(test::entries(folder.path()),
              (std::set<std::string>{"all_channel.dat", "DVBS.dat", "antenna_list.dat"}));
}

const Row groupHeader = {"Group", "Service", "Satellite", "Frequency", "Pol",
                         "SID",   "TID",     "NID",       "FLAG",      "Rule"};
const Row itemHeader = {"Bouquet", "Item", "Service", "FirstItem"};

// The grouping rules and the bytes of a removal are the core's tests; here the commands print
// and report them.
TEST(CliDuplicates, GroupsAndRepeatedItemsArePrintedAndDedupeRemovesThem) {
    TempDir rx;
    const std::string dir = rx.path().string();
    sample::writeFolder(
        sample::addDuplicates(
            sample::generate({.services = 500, .satellites = 4, .bouquets = 3, .seed = 8}),
            {.seed = 8, .groups = 0}) // every service has a SID of its own
            .files,
        rx.path());
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin() + 1, dir);
        args.push_back("--no-backup");
        const CliRun r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
        return r.out;
    };
    const auto table = [&](std::vector<std::string> args) {
        args.insert(args.begin() + 1, dir);
        return records(runCli(args).out);
    };
    EXPECT_EQ(table({"duplicates"}), std::vector<Row>{groupHeader});

    // Cells of `services`: Service 0, Satellite 3, Frequency 4, Pol 5, TID 6, NID 7, SID 8,
    // SatPos 14, FLAG 15. B takes A's SID, TID and NID; C A's place, frequency + 2 and SID.
    auto services = table({"services"});
    std::size_t b = 2;
    std::size_t c = services.size() - 1;
    while (services[b][14] == services[1][14] || std::stoi(services[b][14]) > 240) {
        ++b;
    }
    while (services[c][14] == services[1][14] || std::stoi(services[c][14]) > 240) {
        --c;
    }
    const Row a = services[1];
    run({"service-edit", services[b][15] + ":" + services[b][8], "SID=" + a[8], "TID=" + a[6],
         "NID=" + a[7]});
    run({"service-edit", services[c][15] + ":" + services[c][8], "Satellite=" + a[14],
         "Frequency=" + std::to_string(std::stoi(a[4]) + 2), "Pol=" + a[5], "SID=" + a[8]});
    services = table({"services"});
    const auto groupRow = [&](std::size_t s, const std::string& rule) {
        const Row& r = services[s];
        return Row{"1", r[0], r[3], r[4], r[5], r[8], r[6], r[7], r[15], rule};
    };
    EXPECT_EQ(
        table({"duplicates"}),
        (std::vector<Row>{groupHeader, groupRow(1, "Position/Frequency/Pol/SID"),
                          groupRow(b, "SID/TID/NID"), groupRow(c, "Position/Frequency/Pol/SID")}));

    const auto repeated = table({"duplicates", "--bouquets"});
    ASSERT_GT(repeated.size(), 1u) << "the generated bouquets name some services twice";
    EXPECT_TRUE(
        run({"bouquet-dedupe", "all"})
            .ends_with("removed " + std::to_string(repeated.size() - 1) + " duplicate items\n"));
    EXPECT_EQ(table({"duplicates", "--bouquets"}), std::vector<Row>{itemHeader});
    const Bytes clean = test::readFile(rx / "all_channel.dat");
    const auto items = table({"bouquet", "1"}); // Service 0, ..., sid 9, link 12
    run({"bouquet-add-services", "1", "--services", items[3][12] + ":" + items[3][9]});
    EXPECT_EQ(table({"duplicates", "--bouquets"}),
              (std::vector<Row>{
                  itemHeader,
                  {table({"bouquets"})[1][2], std::to_string(items.size()), items[3][0], "3"}}));
    EXPECT_TRUE(run({"bouquet-dedupe", "1"}).ends_with("\nremoved 1 duplicate item\n"));
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), clean);
    const CliRun again = runCli({"bouquet-dedupe", dir, "all"});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_NE(again.err.find("nothing changed"), std::string::npos) << again.err;
}

class CliReference : public testing::Test {
protected:
    void SetUp() override {
        scanned = sample::generate({.services = 1200, .satellites = 5, .bouquets = 6, .seed = 4});
        sample::writeFolder(scanned, before.path());
        list = (before / "list.csv").string();
        const CliRun run = runCli({"export-bouquets", before.path().string(), list});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "wrote " + list + "\n");
    }

    sample::Files scanned;
    TempDir before;
    TempDir after;
    std::string list;
};

TEST_F(CliReference, ADryRunShowsEveryRowAndWritesNothing) {
    const CliRun run = runCli({"apply-bouquets", before.path().string(), list, "--dry-run"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    const Bytes exported = test::readFile(list);
    ASSERT_EQ(rows.size(), lines(std::string(exported.begin(), exported.end())).size());
    EXPECT_EQ(rows[0], "Bouquet,Item,Name,Result");
    EXPECT_EQ(endingIn(rows, ",Found") + endingIn(rows, ",No items"), rows.size() - 1);
    EXPECT_EQ(test::readFile(before / "all_channel.dat"), scanned.channel);

    const std::string oneBouquet = lines(std::string(exported.begin(), exported.end()))[0] + "\n" +
                                   lines(std::string(exported.begin(), exported.end()))[1] + "\n";
    test::writeFile(after / "one.csv", Bytes(oneBouquet.begin(), oneBouquet.end()));
    const CliRun replace = runCli({"apply-bouquets", before.path().string(),
                                   (after / "one.csv").string(), "--replace-all", "--dry-run"});
    ASSERT_EQ(replace.exitCode, 0) << replace.err;
    EXPECT_EQ(endingIn(lines(replace.out), ",Removed"), 5u);
}

TEST_F(CliReference, ApplyingToARescanWritesTheFolderAndReportsWhatIsGone) {
    const sample::Rescan rescan = sample::rescan(scanned, {.seed = 9});
    sample::writeFolder(rescan.files, after.path());
    const std::vector<std::string> apply = {"apply-bouquets", after.path().string(), list,
                                            "--no-backup"};
    const CliRun run = runCli(apply);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    EXPECT_EQ(rows[0], "Bouquet,Item,Name,Result");
    EXPECT_GT(endingIn(rows, ",Not found"), 5u);
    EXPECT_EQ(endingIn(rows, ",Found"), 0u) << "a real run reports only what needs a look";
    EXPECT_NE(run.err.find("wrote " + (after / "all_channel.dat").string()), std::string::npos)
        << "what was written goes to stderr, the report to stdout";
    EXPECT_NE(test::readFile(after / "all_channel.dat"), rescan.files.channel);
    EXPECT_EQ(runCli({"bouquet", after.path().string(), "1"}).out.find("IME,"), std::string::npos)
        << "every item names a service";

    const CliRun again = runCli(apply);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.err.find("nothing was written"), std::string::npos) << again.err;
}

} // namespace
} // namespace tavrino
