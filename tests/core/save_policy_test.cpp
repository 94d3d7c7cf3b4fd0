// The one save policy of the window and the command line: the questions before replacing
// files, the backups of what it replaces, and the satellites kept from another folder.
#include "database/backups.h"
#include "recording_prompter.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::TempDir;
using namespace std::chrono_literals;

class SaveTest : public testing::Test {
protected:
    void SetUp() override {
        test::writeSample(rx.path(), {.services = 60, .satellites = 3, .bouquets = 2});
        ASSERT_TRUE(ws.openFolder(rx.path()).opened());
        const auto step = ws.beginEdit("Edit");
        ws.dvbsEditor().writeNumber(200, 1, 7);
    }
    SaveOptions options() const { return {data.path() / "backups"}; }
    fs::path files() const { return data.path() / "backups" / "files"; }
    std::set<std::string> backups() const {
        return fs::exists(files()) ? test::entries(files()) : std::set<std::string>{};
    }

    TempDir rx;
    TempDir data;
    Workspace ws;
    test::RecordingPrompter prompter;
};

// What happened to DVBS.dat in the folder since it was opened.
enum class Disturbance { ChangedOnDisk, ReadOnly };

using PolicyCase = std::tuple<SaveScope, Disturbance, bool>; // the answer to the question

class SavePolicy : public SaveTest, public testing::WithParamInterface<PolicyCase> {};

// Both saves, the window's questions (here answered by the prompter) and the command line's
// --force (the same options) go through one policy: ask, and on No write nothing; on Yes back
// up, write, and take what was written for the folder's own state.
TEST_P(SavePolicy, AsksBeforeReplacingAndBacksUpWhatItReplaces) {
    const auto [scope, disturbance, answer] = GetParam();
    const Bytes dvbs = test::readFile(rx / "DVBS.dat");
    std::string question;
    if (disturbance == Disturbance::ChangedOnDisk) {
        // Rewritten by someone else, maybe into the same inode within the same clock tick.
        fs::remove(rx / "DVBS.dat");
        test::writeFile(rx / "DVBS.dat", dvbs);
        fs::last_write_time(rx / "DVBS.dat", fs::last_write_time(rx / "DVBS.dat") + 1s);
        question = "The files in " + rx.path().string() +
                   " changed since they were opened. Overwrite them?";
    } else {
        ::chmod((rx / "DVBS.dat").c_str(), 0444);
        question = "DVBS.dat in " + rx.path().string() + " is read-only. Replace it anyway?";
    }
    prompter.answers = {answer};
    const SaveResult result = saveFolder(ws, scope, rx.path(), options(), prompter);
    ASSERT_FALSE(result.problem) << result.problem->oneLine();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, question);
    test::RecordingPrompter silent;
    if (!answer) {
        EXPECT_TRUE(!result.ok() && result.written.empty());
        EXPECT_EQ(test::readFile(rx / "DVBS.dat"), dvbs);
        EXPECT_TRUE(backups().empty()) << "no backup of a save that did not happen";
        // Only the folder the files came from is compared; with nothing to replace, no backup.
        TempDir elsewhere;
        const SaveResult there = saveFolder(ws, scope, elsewhere.path(), options(), silent);
        EXPECT_TRUE(there.ok() && !there.backup);
        EXPECT_TRUE(silent.asked.empty());
        return;
    }
    const std::set<std::string> replaced =
        scope == SaveScope::AllFiles
            ? std::set<std::string>{"all_channel.dat", "DVBS.dat", "antenna_list.dat"}
            : std::set<std::string>{"DVBS.dat", "antenna_list.dat"};
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.written.size(), replaced.size());
    EXPECT_EQ(test::readFile(rx / "DVBS.dat"), ws.files().satelliteFiles.dvbs.bytes);
    ASSERT_TRUE(result.backup);
    auto backedUp = test::entries(*result.backup);
    backedUp.erase(".source"); // our record of where it came from
    EXPECT_EQ(backedUp, replaced) << "exactly the files replaced";
    EXPECT_EQ(test::readFile(*result.backup / "DVBS.dat"), dvbs);
    if (disturbance == Disturbance::ReadOnly) {
        EXPECT_EQ(test::modeOf(rx / "DVBS.dat"), 0444u) << "the replacement stays read-only";
        ::chmod((rx / "DVBS.dat").c_str(), 0644);
    }
    // What this program wrote is no change made by someone else; nothing would change: no backup.
    const SaveResult again = saveFolder(ws, SaveScope::AllFiles, rx.path(), options(), silent);
    EXPECT_TRUE(again.ok() && !again.backup);
    EXPECT_TRUE(silent.asked.empty());
}

std::string caseName(const testing::TestParamInfo<PolicyCase>& info) {
    const auto [scope, disturbance, answer] = info.param;
    return std::string(scope == SaveScope::AllFiles ? "save_files" : "satellite_files") +
           (disturbance == Disturbance::ChangedOnDisk ? "_over_a_changed_file"
                                                      : "_over_a_read_only_file") +
           (answer ? "_yes" : "_no");
}

INSTANTIATE_TEST_SUITE_P(
    Saves, SavePolicy,
    testing::Combine(testing::Values(SaveScope::AllFiles, SaveScope::SatelliteFiles),
                     testing::Values(Disturbance::ChangedOnDisk, Disturbance::ReadOnly),
                     testing::Bool()),
    caseName);

// A receiver file that is a link to a file elsewhere is neither copied into the backups nor
// replaced by a plain file: the save refuses, naming it, and changes nothing. A backup made
// anyway keeps the link as a link and is never readable by more people than the file it copies.
TEST_F(SaveTest, ASymbolicLinkIsRefusedBeforeAnythingIsCopiedOrWritten) {
    TempDir secret;
    const Bytes privateBytes = test::readFile(rx / "DVBS.dat");
    test::writeFile(secret / "DVBS.dat", privateBytes);
    ::chmod((secret / "DVBS.dat").c_str(), 0600);
    fs::remove(rx / "DVBS.dat");
    fs::create_symlink(secret / "DVBS.dat", rx / "DVBS.dat");
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    for (const SaveScope scope : {SaveScope::AllFiles, SaveScope::SatelliteFiles}) {
        const SaveResult result = saveFolder(ws, scope, rx.path(), options(), prompter);
        ASSERT_TRUE(result.problem);
        EXPECT_EQ(result.problem->path(), (rx / "DVBS.dat").string());
        EXPECT_NE(result.problem->detail().find("it is a symbolic link to " +
                                                (secret / "DVBS.dat").string()),
                  std::string::npos)
            << result.problem->detail();
    }
    EXPECT_TRUE(fs::is_symlink(rx / "DVBS.dat"));
    EXPECT_EQ(test::readFile(secret / "DVBS.dat"), privateBytes);
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), channel);
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(test::modeOf(secret / "DVBS.dat"), 0600u);

    ::chmod((rx / "antenna_list.dat").c_str(), 0640);
    const auto backup = backupBeforeSave(
        data.path() / "backups", {{rx / "DVBS.dat", channel}, {rx / "antenna_list.dat", channel}});
    ASSERT_TRUE(backup);
    EXPECT_EQ(fs::read_symlink(*backup / "DVBS.dat"), secret / "DVBS.dat");
    EXPECT_EQ(test::modeOf(*backup / "antenna_list.dat") & ~0640u, 0u) << "no wider than 0640";
}

// Backups are counted per folder and in the order they were made, whatever their names and
// the clock say: many in one second, a clock put back, two folders of the same name.
TEST_F(SaveTest, EachFolderKeepsItsNewestTen) {
    TempDir other;
    const fs::path sameName = other.path() / rx.path().filename();
    test::writeSample(sameName, {.services = 20, .satellites = 1, .bouquets = 0});
    const auto later = std::chrono::system_clock::now();
    const auto backupAndPrune = [&](const fs::path& folder, auto when) {
        const Bytes changed(10, static_cast<std::uint8_t>(std::rand()));
        const auto made = backupBeforeSave(data.path() / "backups",
                                           {{folder / "all_channel.dat", changed}}, when);
        pruneBackups(data.path() / "backups", folder);
        return *made;
    };
    const fs::path otherFirst = backupAndPrune(sameName, later);
    std::vector<fs::path> made;
    for (int i = 0; i < 14; ++i) { // the clock goes back half-way through
        made.push_back(backupAndPrune(rx.path(), i < 7 ? later : later - std::chrono::hours(3)));
    }
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(fs::exists(made[static_cast<std::size_t>(i)]), i >= 4) << i;
    }
    EXPECT_TRUE(fs::exists(otherFirst)) << "another folder's backups are its own";
    EXPECT_EQ(backups().size(), 11u);

    const fs::path partial = files() / ".rx-20260101-000000.partial";
    fs::create_directories(partial);
    fs::last_write_time(partial, fs::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_TRUE(ws.save(rx.path(), options()).backup.has_value());
    EXPECT_FALSE(fs::exists(partial)) << "an abandoned half backup is cleared away";
}

TEST_F(SaveTest, AFailedSaveLeavesNoBackupAndTheFilesUntouched) {
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    // A folder in place of DVBS.dat: the other two are backed up, then the save is refused.
    fs::remove(rx / "DVBS.dat");
    fs::create_directory(rx / "DVBS.dat");
    test::writeFile(rx / "DVBS.dat" / "x", {1});
    SaveOptions force = options();
    force.overwriteChanged = true;
    const SaveResult saved = ws.save(rx.path(), force);
    EXPECT_FALSE(saved.ok());
    EXPECT_TRUE(backups().empty()) << "no backup of a save that did not happen";
    EXPECT_NE(saved.problem->detail().find("a folder of that name is in the way"),
              std::string::npos);
    EXPECT_EQ(saved.problem->path(), (rx / "DVBS.dat").string());
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), channel);
    EXPECT_EQ(test::entries(rx.path()),
              (std::set<std::string>{"all_channel.dat", "DVBS.dat", "antenna_list.dat"}))
        << "no temporary file is left behind";
}

// Two saves in the same second (two processes, or folders of the same name) each get a backup
// of their own: one still being copied is not in the way, nor one finished a moment ago.
TEST_F(SaveTest, BackupsMadeInTheSameSecondNeverCollide) {
    const auto now = std::chrono::system_clock::now();
    const Bytes changed(10, 1);
    const std::vector<FileToWrite> replacing = {{rx / "all_channel.dat", changed}};
    const auto first = backupBeforeSave(data.path() / "backups", replacing, now);
    ASSERT_TRUE(first);
    // Another process half-way through a backup of the same name, as the old naming had it.
    const fs::path partial = files() / ("." + first->filename().string() + ".partial");
    fs::create_directories(partial);
    test::writeFile(partial / "all_channel.dat", Bytes(3, 3));
    const auto second = backupBeforeSave(data.path() / "backups", replacing, now);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->filename().string(), first->filename().string() + "-2");
    EXPECT_EQ(test::readFile(*second / "all_channel.dat"), test::readFile(rx / "all_channel.dat"));
    EXPECT_EQ(test::readFile(partial / "all_channel.dat"), Bytes(3, 3)) << "not ours to touch";
}

// A folder without DVBS.dat keeps the satellites of the folder opened before (as "Open Files"
// does on purpose); the open says so, and so does the first save into that folder. A file put
// there after that open is somebody else's: the save asks.
TEST(KeptSatelliteFiles, AreNamedAtTheOpenAndAtTheNextSave) {
    TempDir r9, r4;
    const auto nine = test::writeSample(r9.path(), {.services = 30, .satellites = 4, .seed = 9});
    const auto four = test::writeSample(r4.path(), {.services = 20, .satellites = 2, .seed = 4});
    fs::remove(r4 / "DVBS.dat");
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(r9.path()).opened());
    EXPECT_FALSE(ws.openFolder(r9.path()).keptFromBefore);
    const OpenResult opened = ws.openFolder(r4.path());
    ASSERT_TRUE(opened.opened());
    const std::string sentence =
        r4.path().filename().string() + " has no DVBS.dat; the satellites of " +
        r9.path().filename().string() + " are still loaded and will be saved there";
    EXPECT_EQ(opened.keptFromBefore, sentence);
    test::writeFile(r4 / "DVBS.dat", four.dvbs);
    EXPECT_EQ(ws.save(r4.path()).changedOnDisk, std::vector<std::string>{"DVBS.dat"});
    fs::remove(r4 / "DVBS.dat");

    const SaveResult saved = ws.save(r4.path());
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.keptFromBefore, sentence);
    EXPECT_EQ(test::readFile(r4 / "DVBS.dat"), nine.dvbs);
    EXPECT_EQ(test::readFile(r4 / "antenna_list.dat"), four.antenna);
    EXPECT_FALSE(ws.save(r4.path()).keptFromBefore) << "said once";

    const std::string neither = " has no DVBS.dat and no antenna_list.dat; the satellites and "
                                "antenna settings of ";
    fs::remove(r4 / "DVBS.dat");
    fs::remove(r4 / "antenna_list.dat");
    ASSERT_TRUE(ws.openFolder(r9.path()).opened());
    const OpenResult bare = ws.openFolder(r4.path());
    EXPECT_EQ(bare.keptFromBefore, r4.path().filename().string() + neither +
                                       r9.path().filename().string() +
                                       " are still loaded and will be saved there");
    EXPECT_EQ(ws.files().satelliteFiles.antenna.bytes, nine.antenna);

    // Folders of one name are told apart by their whole paths.
    TempDir other;
    const fs::path sameName = other / r4.path().filename().string();
    test::writeSample(sameName, {.services = 20, .satellites = 2, .seed = 5});
    ASSERT_TRUE(ws.openFolder(sameName).opened());
    EXPECT_EQ(ws.openFolder(r4.path()).keptFromBefore,
              r4.path().string() + neither + sameName.string() +
                  " are still loaded and will be saved there");
}

} // namespace
} // namespace tavrino
