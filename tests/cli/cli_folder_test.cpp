// How the command line writes a folder back (backups, files it must not replace), and the
// commands over whole lists: duplicates and reference lists. In-process.
#include "cli_runner.h"

#include <gmock/gmock.h>
#include <sys/stat.h>

namespace tavrino {
namespace {
using namespace testing;
using test::CliRun;
using test::lines;
using test::runCli;
using test::TempDir;

// A save cut short before is finished on one line and the command carries on.
TEST(CliSaves, BackUpWhatTheyReplaceUnlessToldNot) {
    TempDir rx, data;
    test::writeSample(rx.path(), {.services = 60, .satellites = 2, .bouquets = 2});
    const auto add = [&](std::vector<std::string> more) {
        more.insert(more.begin(),
                    {"--data-dir", data.path().string(), "bouquet-add", rx.path().string()});
        return runCli(more);
    };
    test::writeFile(rx / ".all_channel.dat.tmp-a1B2c3", Bytes(100, 1)); // a save cut short
    const CliRun kept = add({"Kept"});
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.err, "Removed 1 temporary file that an interrupted save had left in " +
                            rx.path().string() + ".\n");
    const auto files = data.path() / "backups" / "files";
    ASSERT_EQ(test::entries(files).size(), 1u);
    // What a backup holds is the save's; here it is made, named after the folder, and told.
    const auto backup = files / *test::entries(files).begin();
    EXPECT_THAT(backup.filename().string(), StartsWith(rx.path().filename().string() + "-"));
    EXPECT_THAT(kept.out, HasSubstr("kept the replaced files in " + backup.string()));

    ASSERT_EQ(add({"Unkept", "--no-backup"}).exitCode, 0);
    EXPECT_EQ(test::entries(files).size(), 1u);
}

// Read-only files are replaced only with --force (the save asks; the command line answers
// with the option).
TEST(CliSaves, ReadOnlyFilesNeedForce) {
    TempDir in, out, data;
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
    run = runCli(resave);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), test::readFile(in / "all_channel.dat"));
}

// The grouping rules and the bytes of a removal are the core's; here the commands print
// and report them.
TEST(CliDuplicates, GroupsAndRepeatedItemsArePrintedAndDedupeRemovesThem) {
    TempDir rx;
    const std::string dir = rx.path().string();
    ASSERT_EQ(runCli({"make-sample", dir, "--services", "500", "--satellites", "4", "--bouquets",
                      "3", "--seed", "8", "--duplicates", "3"})
                  .exitCode,
              0);
    const auto groups = lines(runCli({"duplicates", dir}).out);
    ASSERT_GT(groups.size(), 6u) << "three groups of two or more";
    EXPECT_EQ(groups[0], "Group,Service,Satellite,Frequency,Pol,SID,TID,NID,FLAG,Rule");
    EXPECT_THAT(groups.back(), StartsWith("3,"));

    const auto repeated = lines(runCli({"duplicates", dir, "--bouquets"}).out);
    ASSERT_GT(repeated.size(), 1u) << "the generated bouquets name some services twice";
    EXPECT_EQ(repeated[0], "Bouquet,Item,Service,FirstItem");
    EXPECT_THAT(
        runCli({"bouquet-dedupe", dir, "all", "--no-backup"}).out,
        EndsWith("\nremoved " + std::to_string(repeated.size() - 1) + " duplicate items\n"));
    const CliRun again = runCli({"bouquet-dedupe", dir, "1"});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_THAT(again.err, HasSubstr("nothing changed"));
}

// Exported, a list applied to its own folder finds every row; to a rescan it reports what is
// gone (stderr names what was written), and applied again it writes nothing.
TEST(CliReference, ExportAndApplyToARescan) {
    TempDir before, after;
    const auto scanned =
        sample::generate({.services = 1200, .satellites = 5, .bouquets = 6, .seed = 4});
    sample::writeFolder(scanned, before.path());
    const std::string list = (before / "list.csv").string();
    const CliRun exported = runCli({"export-bouquets", before.path().string(), list});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_EQ(exported.out, "wrote " + list + "\n");

    const CliRun dry = runCli({"apply-bouquets", before.path().string(), list, "--dry-run"});
    ASSERT_EQ(dry.exitCode, 0) << dry.err;
    const auto rows = lines(dry.out);
    ASSERT_EQ(rows.size(), lines(test::readText(list)).size());
    EXPECT_EQ(rows[0], "Bouquet,Item,Name,Result");
    EXPECT_EQ(test::readFile(before / "all_channel.dat"), scanned.channel);

    const sample::Rescan rescan = sample::rescan(scanned, {.seed = 9});
    sample::writeFolder(rescan.files, after.path());
    const std::vector<std::string> apply = {"apply-bouquets", after.path().string(), list,
                                            "--no-backup"};
    const CliRun run = runCli(apply);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(lines(run.out),
                AllOf(Contains(EndsWith(",Not found")), Not(Contains(EndsWith(",Found")))))
        << "a real run reports only what needs a look";
    EXPECT_THAT(run.err, HasSubstr("wrote " + (after / "all_channel.dat").string()));
    EXPECT_NE(test::readFile(after / "all_channel.dat"), rescan.files.channel);
    const CliRun again = runCli(apply);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_THAT(again.err, HasSubstr("nothing was written"));
}

} // namespace
} // namespace tavrino
