#include "recording_prompter.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

// What happened to DVBS.dat in the folder since it was opened.
enum class Disturbance { ChangedOnDisk, ReadOnly };

struct PolicyCase {
    const char* what;
    SaveScope scope;
    Disturbance disturbance;
    bool answer;
};

class SavePolicy : public testing::TestWithParam<PolicyCase> {
protected:
    void SetUp() override {
        test::writeSample(rx.path(), {.services = 60, .satellites = 3, .bouquets = 2});
        ASSERT_TRUE(ws.openFolder(rx.path()).opened());
        const auto step = ws.beginEdit("Edit");
        ws.dvbsEditor().writeNumber(200, 1, 7);
    }
    SaveOptions options() const { return {data.path() / "backups"}; }
    std::set<std::string> backups() const {
        const fs::path files = data / "backups" / "files";
        return fs::exists(files) ? test::entries(files) : std::set<std::string>{};
    }

    TempDir rx;
    TempDir data;
    Workspace ws;
    test::RecordingPrompter prompter;
};

// Both saves, the window's questions (here answered by the prompter) and the command line's
// --force (the same options) go through one policy: ask, and on No write nothing; on Yes back
// up, write, and take what was written for the folder's own state.
TEST_P(SavePolicy, AsksBeforeReplacingAndBacksUpWhatItReplaces) {
    const auto& c = GetParam();
    const Bytes dvbs = test::readFile(rx / "DVBS.dat");
    std::string question;
    if (c.disturbance == Disturbance::ChangedOnDisk) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        fs::remove(rx / "DVBS.dat");
        test::writeFile(rx / "DVBS.dat", dvbs); // rewritten by someone else
        question = "The files in " + rx.path().string() +
                   " changed since they were opened. Overwrite them?";
    } else {
        ::chmod((rx / "DVBS.dat").c_str(), 0444);
        question = "DVBS.dat in " + rx.path().string() + " is read-only. Replace it anyway?";
    }
    prompter.answers = {c.answer};
    const SaveResult result = saveFolder(ws, c.scope, rx.path(), options(), prompter);
    ASSERT_FALSE(result.problem) << result.problem->oneLine();
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, question);
    if (!c.answer) {
        EXPECT_FALSE(result.ok());
        EXPECT_TRUE(result.written.empty());
        EXPECT_EQ(test::readFile(rx / "DVBS.dat"), dvbs);
        EXPECT_TRUE(backups().empty()) << "no backup of a save that did not happen";
        return;
    }
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.written.size(), c.scope == SaveScope::AllFiles ? 3u : 2u);
    EXPECT_EQ(test::readFile(rx / "DVBS.dat"), ws.files().satelliteFiles.dvbs.bytes);
    ASSERT_TRUE(result.backup);
    EXPECT_EQ(test::readFile(*result.backup / "DVBS.dat"), dvbs);
    if (c.disturbance == Disturbance::ReadOnly) {
        struct stat info {};
        ::stat((rx / "DVBS.dat").c_str(), &info);
        EXPECT_EQ(info.st_mode & 0777, 0444u) << "the replacement stays read-only";
        ::chmod((rx / "DVBS.dat").c_str(), 0644);
    }
    // What this program wrote is no change made by someone else.
    test::RecordingPrompter silent;
    EXPECT_TRUE(saveFolder(ws, SaveScope::AllFiles, rx.path(), options(), silent).ok());
    EXPECT_TRUE(silent.asked.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Saves, SavePolicy,
    testing::Values(PolicyCase{"save_files_over_a_changed_file_no", SaveScope::AllFiles,
                               Disturbance::ChangedOnDisk, false},
                    PolicyCase{"save_files_over_a_changed_file_yes", SaveScope::AllFiles,
                               Disturbance::ChangedOnDisk, true},
                    PolicyCase{"satellite_files_over_a_changed_file_no", SaveScope::SatelliteFiles,
                               Disturbance::ChangedOnDisk, false},
                    PolicyCase{"satellite_files_over_a_changed_file_yes", SaveScope::SatelliteFiles,
                               Disturbance::ChangedOnDisk, true},
                    PolicyCase{"save_files_over_a_read_only_file_no", SaveScope::AllFiles,
                               Disturbance::ReadOnly, false},
                    PolicyCase{"save_files_over_a_read_only_file_yes", SaveScope::AllFiles,
                               Disturbance::ReadOnly, true},
                    PolicyCase{"satellite_files_over_a_read_only_file_yes",
                               SaveScope::SatelliteFiles, Disturbance::ReadOnly, true}),
    [](const auto& param) { return std::string(param.param.what); });

// A receiver file that is a link to a file elsewhere is neither copied into the backups nor
// replaced by a plain file: the save refuses, naming it, and changes nothing.
TEST_F(SavePolicy, ASymbolicLinkIsRefusedBeforeAnythingIsCopiedOrWritten) {
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
    struct stat info {};
    ::stat((secret / "DVBS.dat").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A folder without DVBS.dat keeps the satellites of the folder opened before (as "Open Files"
// does on purpose); the open says so, and so does the first save into that folder.
TEST(KeptSatelliteFiles, AreNamedAtTheOpenAndAtTheNextSave) {
    TempDir r9, r4;
    const auto nine = test::writeSample(r9.path(), {.services = 30, .satellites = 4, .seed = 9});
    test::writeSample(r4.path(), {.services = 20, .satellites = 2, .seed = 4});
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

    const SaveResult saved = ws.save(r4.path());
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved.keptFromBefore, sentence);
    EXPECT_EQ(test::readFile(r4 / "DVBS.dat"), nine.dvbs);
    EXPECT_FALSE(ws.save(r4.path()).keptFromBefore) << "said once";

    fs::remove(r4 / "DVBS.dat");
    fs::remove(r4 / "antenna_list.dat");
    ASSERT_TRUE(ws.openFolder(r9.path()).opened());
    EXPECT_EQ(ws.openFolder(r4.path()).keptFromBefore,
              r4.path().filename().string() +
                  " has no DVBS.dat and no antenna_list.dat; the satellites and antenna "
                  "settings of " +
                  r9.path().filename().string() + " are still loaded and will be saved there");

    // Folders of one name are told apart by their whole paths.
    TempDir other;
    const fs::path sameName = other / r4.path().filename().string();
    test::writeSample(sameName, {.services = 20, .satellites = 2, .seed = 5});
    ASSERT_TRUE(ws.openFolder(sameName).opened());
    EXPECT_EQ(ws.openFolder(r4.path()).keptFromBefore,
              r4.path().string() +
                  " has no DVBS.dat and no antenna_list.dat; the satellites and antenna "
                  "settings of " +
                  sameName.string() + " are still loaded and will be saved there");
}

// A file put into the folder after an open that found none is somebody else's: the save asks.
TEST(KeptSatelliteFiles, AFileThatAppearedSinceTheOpenCountsAsChanged) {
    TempDir r9, r4;
    test::writeSample(r9.path(), {.services = 30, .satellites = 4, .seed = 9});
    const auto four = test::writeSample(r4.path(), {.services = 20, .satellites = 2, .seed = 4});
    fs::remove(r4 / "DVBS.dat");
    Workspace ws;
    ASSERT_TRUE(ws.openFolder(r9.path()).opened());
    ASSERT_TRUE(ws.openFolder(r4.path()).opened());
    test::writeFile(r4 / "DVBS.dat", four.dvbs);
    const SaveResult refused = ws.save(r4.path());
    EXPECT_EQ(refused.changedOnDisk, std::vector<std::string>{"DVBS.dat"});
    EXPECT_EQ(test::readFile(r4 / "DVBS.dat"), four.dvbs);
}

} // namespace
} // namespace tavrino
