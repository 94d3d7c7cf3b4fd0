#include "link/link_messages.h"
#include "link/receiver_backup.h"
#include "link/telnet_session.h"
#include "link/workflows.h"
#include "link_fixture.h"
#include "workspace/workspace.h"

namespace tavrino {
namespace {
namespace fs = std::filesystem;

class SendTest : public test::LinkFixture {
protected:
    SendTest() {
        edited = sample::generate({.services = 150, .satellites = 3, .bouquets = 2, .seed = 7});
        sample::writeFolder(edited, local.path());
        EXPECT_TRUE(ws.openFolder(local.path()).opened());
    }

    SendResult send(SendOptions options = {}) { return sendFiles(ws.files(), options, context()); }
    bool receiverUnchanged() const {
        return test::readFile(disk2() / "all_channel.dat") == receiverFiles.channel &&
               test::readFile(disk2() / "antenna_list.dat") == receiverFiles.antenna &&
               test::readFile(disk2() / "DVBS.dat") == receiverFiles.dvbs;
    }

    test::TempDir local;
    sample::Files edited;
    Workspace ws;
};

TEST_F(SendTest, UploadsBacksUpAndReloads) {
    startSim();
    const SendResult result = send();
    ASSERT_TRUE(result.ok()) << result.problem;
    EXPECT_TRUE(result.uploaded);
    EXPECT_TRUE(result.reloaded);
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"), edited.channel);
    EXPECT_EQ(test::readFile(disk2() / "DVBS.dat"), edited.dvbs);
    EXPECT_EQ(test::readFile(result.backupFolder / "all_channel.dat"), receiverFiles.channel);
    EXPECT_EQ(result.backupFolder.parent_path(), data / "backups" / "receiver");
    EXPECT_EQ(sim->commands(), std::vector<std::string>{"vfd_display -td210 REBOOT"});
    EXPECT_TRUE(prompter.told.empty());
    const auto& s = progress.steps;
    for (const char* step : {"DVBS.dat", "antenna_list.dat", "all_channel.dat", "Uploading...",
                             "Uploading.", "Uploading..", "Reload...", "Success."}) {
        EXPECT_NE(std::find(s.begin(), s.end(), step), s.end()) << step;
    }
}

TEST_F(SendTest, AnOldDatabaseGoesOutWithTheTargetVersion) {
    startSim();
    sample::writeFolder(sample::generate({.services = 50, .version = 6}), local.path());
    Workspace old;
    ASSERT_TRUE(old.openFolder(local.path()).opened());
    ASSERT_TRUE(sendFiles(old.files(), {.backup = false, .reload = false}, context()).ok());
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat").at(0), 9);
    EXPECT_FALSE(fs::exists(data / "backups"));
    EXPECT_TRUE(sim->commands().empty());
}

TEST_F(SendTest, RefusedUnlessAllThreeImagesAreLoaded) {
    startSim();
    fs::remove(local / "antenna_list.dat");
    Workspace partial;
    ASSERT_TRUE(partial.openFolder(local.path()).opened());
    const SendResult result = sendFiles(partial.files(), {}, context());
    EXPECT_FALSE(result.ok());
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0], sendNeedsAllFilesNotice());
    EXPECT_TRUE(receiverUnchanged());
    EXPECT_FALSE(fs::exists(data / "backups"));
}

TEST_F(SendTest, AFailedUploadStopsAtOnceWithoutReload) {
    startSim({"--short-store", "antenna_list.dat"});
    const SendResult result = send();
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.reached(), std::vector<std::string>{"DVBS.dat"});
    EXPECT_EQ(result.files[2].fate, FileFate::NotTried);
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"), receiverFiles.channel);
    EXPECT_TRUE(sim->commands().empty()) << "no reload after a failed upload";
    EXPECT_EQ(std::find(progress.steps.begin(), progress.steps.end(), "Uploading."),
              progress.steps.end())
        << "no pause either";
    ASSERT_EQ(prompter.told.size(), 1u);
    const std::string& text = prompter.told[0].text;
    EXPECT_EQ(text.rfind("antenna_list.dat was not sent: the Orvix holds", 0), 0u) << text;
    EXPECT_NE(text.find("On the Orvix now: DVBS.dat\r\nNot sent: antenna_list.dat, "
                        "all_channel.dat\r\nThe Orvix was not told to reload."),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(result.backupFolder.string()), std::string::npos);

    sim.reset();
    startSim();
    prompter.told.clear();
    ASSERT_TRUE(restoreBackup(result.backupFolder, context()).ok());
    EXPECT_TRUE(receiverUnchanged()) << "the backup put back what was there";
    EXPECT_EQ(prompter.told.size(), 1u);
}

TEST_F(SendTest, AFailedPutBackSaysSoAndNamesTheBackupAgain) {
    startSim({"--short-store", "antenna_list.dat"});
    const SendResult result = send();
    ASSERT_FALSE(result.ok());
    prompter.told.clear();
    const SendResult restore = restoreBackup(result.backupFolder, context());
    EXPECT_FALSE(restore.ok());
    ASSERT_EQ(prompter.told.size(), 1u);
    const std::string& text = prompter.told[0].text;
    EXPECT_EQ(
        text.rfind("Putting the backed-up files back failed. antenna_list.dat was not sent", 0), 0u)
        << text;
    EXPECT_NE(text.find(result.backupFolder.string()), std::string::npos) << text;
}

TEST_F(SendTest, NothingIsUploadedWhenTheReceiverRefuses) {
    struct Case {
        std::vector<std::string> faults;
        std::string told;
    };
    for (const Case& c : {
             Case{{"--refuse-login"}, "Invalid username or password"},
             Case{{"--no-disk2"}, "The folder /DISK2 is not on the Orvix"},
             Case{{"--drop", "DVBS.dat"}, "The receiver's files could not be backed up"},
             Case{{"--read-only"}, "DVBS.dat was not sent: "},
         }) {
        startSim(c.faults);
        prompter.told.clear();
        const SendResult result = send();
        const std::string what = c.faults.front();
        EXPECT_FALSE(result.ok()) << what;
        EXPECT_TRUE(result.reached().empty()) << what;
        EXPECT_TRUE(receiverUnchanged()) << what;
        EXPECT_TRUE(sim->commands().empty()) << what;
        ASSERT_EQ(prompter.told.size(), 1u) << what;
        EXPECT_EQ(prompter.told[0].text.rfind(c.told, 0), 0u) << prompter.told[0].text;
        sim.reset();
    }
}

TEST_F(SendTest, AReloadThatFailsSaysTheFilesAreThere) {
    for (const char* fault : {"--login-incorrect", "--no-prompt", "--refuse-telnet"}) {
        startSim({fault});
        prompter.told.clear();
        timeouts.reply = Milliseconds{300};
        const SendResult result = send({.backup = false});
        EXPECT_TRUE(result.uploaded) << fault;
        EXPECT_FALSE(result.reloaded) << fault;
        EXPECT_EQ(result.problem.rfind("the files are on the receiver but it did not reload: ", 0),
                  0u)
            << result.problem;
        EXPECT_TRUE(sim->commands().empty()) << fault << ": no command into an unknown state";
        ASSERT_EQ(prompter.told.size(), 1u);
        EXPECT_TRUE(prompter.told[0].text.ends_with(
            "The three files are on the Orvix, but it did not reload them."));
        EXPECT_EQ(prompter.told[0].text.find(test::simPassword), std::string::npos);
        sim.reset();
    }
}

TEST_F(SendTest, AShellThatAsksNoPasswordStillReloads) {
    startSim({"--no-password"});
    const TelnetOutcome outcome = reloadReceiver(context());
    EXPECT_TRUE(outcome.ok());
    EXPECT_EQ(sim->commands(), std::vector<std::string>{"vfd_display -td210 REBOOT"});
    EXPECT_NE(progress.transcriptText.find("Orvix login: \r\n"), std::string::npos)
        << progress.transcriptText;
}

TEST(ReceiverBackups, OnlyTheNewestTenBackupsAreKept) {
    test::TempDir root;
    const auto start = std::chrono::system_clock::now();
    std::vector<fs::path> made;
    for (int i = 0; i < 12; ++i) {
        made.push_back(*makeBackupFolder(root.path(), start + std::chrono::seconds(i / 2)));
    }
    fs::create_directory(root / "notes");
    EXPECT_EQ(made[1].filename().string(), made[0].filename().string() + "-2");
    pruneBackups(root.path(), 10);
    EXPECT_FALSE(fs::exists(made[0]));
    EXPECT_FALSE(fs::exists(made[1]));
    for (std::size_t i = 2; i < made.size(); ++i) {
        EXPECT_TRUE(fs::exists(made[i])) << made[i];
    }
    EXPECT_TRUE(fs::exists(root / "notes"));
}

TEST(ReceiverBackups, TheBackupJustMadeStaysWhenTheClockWentBack) {
    test::TempDir root;
    const auto start = std::chrono::system_clock::now();
    for (int i = 0; i < 10; ++i) {
        makeBackupFolder(root.path(), start + std::chrono::hours(i + 1));
    }
    const fs::path made = *makeBackupFolder(root.path(), start);
    pruneBackups(root.path(), 10, made);
    EXPECT_TRUE(fs::exists(made));
    EXPECT_EQ(std::distance(fs::directory_iterator(root.path()), fs::directory_iterator()), 10);
}

} // namespace
} // namespace tavrino
