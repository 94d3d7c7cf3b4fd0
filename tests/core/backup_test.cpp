#include "database/backups.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>
#include <thread>

namespace tavrino {
namespace {
using test::TempDir;
namespace fs = std::filesystem;

class SaveBackups : public testing::Test {
protected:
    void SetUp() override {
        test::writeSample(rx.path(), {.services = 80, .satellites = 2, .bouquets = 2});
        ASSERT_TRUE(ws.openFolder(rx.path()).opened());
    }
    SaveOptions withBackups() const { return {data.path() / "backups", false}; }
    fs::path files() const { return data.path() / "backups" / "files"; }

    TempDir rx;
    TempDir data;
    Workspace ws;
};

TEST_F(SaveBackups, TheNewestBackupHoldsExactlyTheFilesReplaced) {
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    const Bytes dvbs = test::readFile(rx / "DVBS.dat");
    ws.channelEditor().writeNumber(layout::channel::bouquets + 6, 1, 'Z');
    const SaveResult saved = ws.save(rx.path(), withBackups());
    ASSERT_TRUE(saved.ok());
    ASSERT_TRUE(saved.backup.has_value());
    EXPECT_EQ(test::entries(*saved.backup),
              (std::set<std::string>{"DVBS.dat", "all_channel.dat", "antenna_list.dat"}));
    EXPECT_EQ(test::readFile(*saved.backup / "all_channel.dat"), channel);
    EXPECT_EQ(test::readFile(*saved.backup / "DVBS.dat"), dvbs);
    EXPECT_NE(test::readFile(rx / "all_channel.dat"), channel);

    TempDir empty; // nothing there to replace: no backup
    EXPECT_FALSE(ws.save(empty.path(), withBackups()).backup.has_value());
}

TEST_F(SaveBackups, TheEleventhDropsTheOldest) {
    const auto now = std::chrono::system_clock::now();
    std::vector<fs::path> made;
    for (int i = 0; i < 11; ++i) {
        made.push_back(*backupBeforeSave(data.path() / "backups", rx.path(), {"all_channel.dat"},
                                         now + std::chrono::hours(i)));
    }
    EXPECT_EQ(test::entries(files()).size(), 10u);
    EXPECT_FALSE(fs::exists(made.front()));
    EXPECT_TRUE(fs::exists(made.back()));
    const auto again = backupBeforeSave(data.path() / "backups", rx.path(), {"all_channel.dat"},
                                        now + std::chrono::hours(10));
    EXPECT_NE(*again, made.back()) << "the same second gets its own folder";
}

TEST_F(SaveBackups, AFailedSaveLeavesNoBackupAndTheFilesUntouched) {
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    ws.channelEditor().writeNumber(layout::channel::bouquets + 6, 1, 'Z');
    // A folder in place of DVBS.dat: the other two are backed up, then the save is refused.
    fs::remove(rx / "DVBS.dat");
    fs::create_directory(rx / "DVBS.dat");
    test::writeFile(rx / "DVBS.dat" / "x", {1});
    SaveOptions options = withBackups();
    options.overwriteChanged = true;
    const SaveResult saved = ws.save(rx.path(), options);
    EXPECT_FALSE(saved.ok());
    EXPECT_FALSE(saved.backup.has_value());
    EXPECT_TRUE(test::entries(files()).empty()) << "no backup of a save that did not happen";
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), channel);
}

TEST_F(SaveBackups, FilesChangedOnDiskAreNotOverwrittenUnlessAsked) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Bytes other = test::readFile(rx / "DVBS.dat");
    test::writeFile(rx / "DVBS.dat", other); // rewritten by someone else
    ws.channelEditor().writeNumber(layout::channel::bouquets + 6, 1, 'Z');
    const SaveResult refused = ws.save(rx.path(), withBackups());
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(refused.changedOnDisk, std::vector<std::string>{"DVBS.dat"});
    EXPECT_TRUE(refused.written.empty());
    EXPECT_FALSE(fs::exists(files())) << "no backup for a save that did not happen";
    EXPECT_EQ(changedOnDiskQuestion(rx.path()).text, "The files in " + rx.path().string() +
                                                         " changed since they were opened. "
                                                         "Overwrite them?");

    TempDir elsewhere; // only the folder the files came from is compared
    EXPECT_TRUE(ws.save(elsewhere.path()).ok());
    SaveOptions force = withBackups();
    force.overwriteChanged = true;
    EXPECT_TRUE(ws.save(rx.path(), force).ok());
    EXPECT_TRUE(ws.save(rx.path(), withBackups()).ok()) << "our own save is not a change";
}

} // namespace
} // namespace tavrino
