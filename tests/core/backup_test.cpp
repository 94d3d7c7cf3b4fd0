#include "database/backups.h"
#include "test_support.h"
#include "workspace/workspace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
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

// Names in a backup but our hidden record of where it came from.
std::set<std::string> receiverFiles(const fs::path& backup) {
    auto names = test::entries(backup);
    names.erase(".source");
    return names;
}

TEST_F(SaveBackups, TheNewestBackupHoldsExactlyTheFilesReplaced) {
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    const Bytes dvbs = test::readFile(rx / "DVBS.dat");
    ws.channelEditor().writeNumber(layout::channel::bouquets + 6, 1, 'Z');
    const SaveResult saved = ws.save(rx.path(), withBackups());
    ASSERT_TRUE(saved.ok());
    ASSERT_TRUE(saved.backup.has_value());
    EXPECT_EQ(receiverFiles(*saved.backup),
              (std::set<std::string>{"DVBS.dat", "all_channel.dat", "antenna_list.dat"}));
    EXPECT_EQ(test::readFile(*saved.backup / "all_channel.dat"), channel);
    EXPECT_EQ(test::readFile(*saved.backup / "DVBS.dat"), dvbs);
    EXPECT_NE(test::readFile(rx / "all_channel.dat"), channel);

    const SaveResult again = ws.save(rx.path(), withBackups());
    EXPECT_TRUE(again.ok());
    EXPECT_FALSE(again.backup.has_value()) << "nothing would change: the older backup stays";
    TempDir empty; // nothing there to replace: no backup
    EXPECT_FALSE(ws.save(empty.path(), withBackups()).backup.has_value());
}

// Backups are counted per folder and in the order they were made, whatever their names and
// the clock say: many in one second, a clock put back, two folders of the same name.
TEST_F(SaveBackups, EachFolderKeepsItsNewestTen) {
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
    EXPECT_EQ(test::entries(files()).size(), 11u);
}

TEST_F(SaveBackups, AnAbandonedHalfBackupIsClearedAway) {
    const fs::path partial = files() / ".rx-20260101-000000.partial";
    fs::create_directories(partial);
    test::writeFile(partial / "all_channel.dat", Bytes(10, 1));
    fs::last_write_time(partial, fs::file_time_type::clock::now() - std::chrono::hours(1));
    ws.channelEditor().writeNumber(layout::channel::bouquets + 6, 1, 'Z');
    ASSERT_TRUE(ws.save(rx.path(), withBackups()).backup.has_value());
    EXPECT_FALSE(fs::exists(partial));
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
    EXPECT_NE(saved.problem->detail().find("a folder of that name is in the way"),
              std::string::npos);
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

// Two saves in the same second (two processes, or folders of the same name) each get a backup
// of their own: one still being copied is not in the way, nor one finished a moment ago.
TEST_F(SaveBackups, BackupsMadeInTheSameSecondNeverCollide) {
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

// A backup is never readable by more people than the file it copies, and a link is kept as a
// link: the file it points to is not the folder's to copy.
TEST_F(SaveBackups, KeepPermissionsAndLinksAsTheyAre) {
    TempDir secret;
    test::writeFile(secret / "private.dat", Bytes(20, 9));
    ::chmod((secret / "private.dat").c_str(), 0600);
    ::chmod((rx / "antenna_list.dat").c_str(), 0640);
    fs::remove(rx / "DVBS.dat");
    fs::create_symlink(secret / "private.dat", rx / "DVBS.dat");
    const Bytes changed(10, 1);
    const auto backup = backupBeforeSave(
        data.path() / "backups", {{rx / "DVBS.dat", changed}, {rx / "antenna_list.dat", changed}});
    ASSERT_TRUE(backup);
    EXPECT_TRUE(fs::is_symlink(*backup / "DVBS.dat"));
    EXPECT_EQ(fs::read_symlink(*backup / "DVBS.dat"), secret / "private.dat");
    struct stat info {};
    ::stat((*backup / "antenna_list.dat").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777 & ~0640u, 0u) << "no wider than its original's 0640";
}

} // namespace
} // namespace tavrino
