#include "link/link_messages.h"
#include "link/receiver_backup.h"
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

    std::size_t backupCount() const {
        std::error_code ignored;
        const fs::directory_iterator folders(data / "backups" / "receiver", ignored);
        return static_cast<std::size_t>(std::distance(folders, fs::directory_iterator()));
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
    EXPECT_TRUE(leftovers(disk2()).empty()) << "every temporary was renamed into place";
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

TEST_F(SendTest, ARenameRefusedHalfwayNamesNewAndOldFilesAndOnlyAWorkingPutBackRestores) {
    startSim({"--refuse-rename", "antenna_list.dat"});
    const SendResult result = send();
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.reached(), std::vector<std::string>{"DVBS.dat"});
    EXPECT_TRUE(result.receiverChanged());
    EXPECT_EQ(test::readFile(disk2() / "DVBS.dat"), edited.dvbs);
    EXPECT_EQ(test::readFile(disk2() / "antenna_list.dat"), receiverFiles.antenna);
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"), receiverFiles.channel);
    EXPECT_TRUE(leftovers(disk2()).empty());
    EXPECT_TRUE(sim->commands().empty()) << "no reload after a failure";
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text,
              "antenna_list.dat could not be put in place: refused (550 Rename refused.).\r\n\r\n"
              "New on the Orvix: DVBS.dat\r\nUnchanged on the Orvix: antenna_list.dat, "
              "all_channel.dat\r\nThe Orvix was not told to reload.\r\n\r\nIts earlier files "
              "are in " +
                  result.backupFolder.string());

    prompter.told.clear();
    EXPECT_FALSE(restoreBackup(result.backupFolder, context()).ok()) << "the rename fails again";
    ASSERT_EQ(prompter.told.size(), 1u);
    const std::string& text = prompter.told[0].text;
    EXPECT_EQ(text.rfind("Putting the backed-up files back failed. antenna_list.dat could not be "
                         "put in place",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("The backup is still in " + result.backupFolder.string()),
              std::string::npos)
        << text;

    sim.reset();
    startSim();
    prompter.told.clear();
    ASSERT_TRUE(restoreBackup(result.backupFolder, context()).ok());
    EXPECT_TRUE(receiverUnchanged()) << "the backup put back what was there";
    EXPECT_EQ(prompter.told.size(), 1u);
}

TEST_F(SendTest, AServerWithoutRenamesGetsTheFilesStoredDirectly) {
    for (const char* fault : {"--no-rename", "--refuse-hidden"}) {
        startSim({fault});
        const SendResult result = send();
        EXPECT_TRUE(result.ok()) << fault << ": " << result.problem;
        EXPECT_TRUE(result.reloaded) << fault;
        EXPECT_EQ(test::readFile(disk2() / "DVBS.dat"), edited.dvbs) << fault;
        EXPECT_EQ(test::readFile(disk2() / "antenna_list.dat"), edited.antenna) << fault;
        EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"), ws.channelBytes()) << fault;
        EXPECT_TRUE(leftovers(disk2()).empty()) << fault;
        EXPECT_TRUE(prompter.told.empty()) << fault;
        sample::writeFolder(receiverFiles, disk2());
        sim.reset();
    }
}

TEST_F(SendTest, ADirectStoreThatBreaksOffNamesTheIncompleteFile) {
    const std::string size = bytesText(ws.channelBytes().size());
    for (const bool backup : {true, false}) {
        startSim({"--refuse-hidden", "--cut-upload", "all_channel.dat"});
        prompter.told.clear();
        const SendResult result = send({.backup = backup});
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.files[2].fate, FileFate::Damaged);
        EXPECT_EQ(test::readFile(disk2() / "all_channel.dat").size(), 1024u);
        EXPECT_TRUE(sim->commands().empty()) << "no reload after a failure";
        ASSERT_EQ(prompter.told.size(), 1u);
        EXPECT_EQ(prompter.told[0].text,
                  "all_channel.dat was not sent: the connection broke during the upload."
                  "\r\n\r\nall_channel.dat on the Orvix is now incomplete: 1,024 of " +
                      size +
                      " bytes.\r\nNew on the Orvix: DVBS.dat, antenna_list.dat\r\nUnchanged on "
                      "the Orvix: none\r\nThe Orvix was not told to reload.\r\n\r\n" +
                      (backup ? "Its earlier files are in " + result.backupFolder.string()
                              : std::string("No backup was made.")));
        EXPECT_EQ(result.problem, oneLine(prompter.told[0]));
        sample::writeFolder(receiverFiles, disk2());
        sim.reset();
    }
}

TEST_F(SendTest, CancelBeforeTheRenamesLeavesTheReceiverAsItWas) {
    startSim({"--slow", "20000"});
    progress.cancelAfterBytes = &cancel;
    const SendResult result = send({.backup = false});
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.problem.empty());
    EXPECT_TRUE(receiverUnchanged());
    EXPECT_TRUE(leftovers(disk2()).empty());
    EXPECT_TRUE(prompter.told.empty());
}

// A refusal before the uploads, or an upload that fails, leaves every file on the receiver
// as it was: the temporaries are removed and no rename or reload follows.
TEST_F(SendTest, AFailureBeforeTheRenamesChangesNothingOnTheReceiver) {
    struct Case {
        std::vector<std::string> faults;
        std::string told; // how the message begins
        bool uploading;   // the failure came during the uploads
    };
    for (const Case& c : {
             Case{{"--refuse-login"}, "Invalid username or password", false},
             Case{{"--no-disk2"}, "The folder /DISK2 is not on the Orvix", false},
             Case{{"--drop", "DVBS.dat"}, "The receiver's files could not be backed up", false},
             Case{{"--read-only"}, "DVBS.dat was not sent: ", true},
             Case{{"--short-store", "antenna_list.dat"},
                  "antenna_list.dat was not sent: the Orvix holds ",
                  true},
             Case{{"--cut-upload", "all_channel.dat"},
                  "all_channel.dat was not sent: the connection broke during the upload.",
                  true},
         }) {
        startSim(c.faults);
        prompter.told.clear();
        progress.steps.clear();
        const SendResult result = send();
        const std::string what = c.faults.back();
        EXPECT_FALSE(result.ok()) << what;
        EXPECT_TRUE(result.reached().empty()) << what;
        EXPECT_FALSE(result.receiverChanged()) << what;
        EXPECT_TRUE(receiverUnchanged()) << what << ": byte for byte";
        EXPECT_TRUE(leftovers(disk2()).empty()) << what << ": the temporaries are gone";
        EXPECT_TRUE(sim->commands().empty()) << what << ": no reload";
        EXPECT_EQ(std::find(progress.steps.begin(), progress.steps.end(), "Uploading."),
                  progress.steps.end())
            << what << ": no pause either";
        ASSERT_EQ(prompter.told.size(), 1u) << what;
        const std::string& text = prompter.told[0].text;
        EXPECT_EQ(text.rfind(c.told, 0), 0u) << text;
        EXPECT_EQ(text.ends_with(".\r\n\r\nNothing on the Orvix was changed."), c.uploading)
            << text;
        sim.reset();
    }
}

// The look before the uploads sees the receiver's files as they are and the files to send,
// with or without a backup; No leaves the receiver as it was and no fetched copy behind.
TEST_F(SendTest, ConfirmSeesBothSidesAndNoSendsNothing) {
    startSim();
    for (const bool backup : {true, false}) {
        for (const bool answer : {false, true}) {
            const std::string what =
                std::string(backup ? "backup, " : "no backup, ") + (answer ? "Send" : "Cancel");
            sample::writeFolder(receiverFiles, disk2());
            fs::remove(disk2() / "antenna_list.dat");
            const std::size_t reloadsBefore = sim->commands().size();
            const std::size_t backupsBefore = backupCount();
            int asked = 0;
            SendOptions options{.backup = backup};
            options.confirm = [&](const fs::path& onReceiver, const fs::path& toSend) {
                ++asked;
                EXPECT_EQ(test::readFile(onReceiver / "all_channel.dat"), receiverFiles.channel);
                EXPECT_FALSE(fs::exists(onReceiver / "antenna_list.dat")) << what;
                EXPECT_EQ(test::readFile(toSend / "DVBS.dat"), edited.dvbs) << what;
                return answer;
            };
            const SendResult result = send(options);
            EXPECT_EQ(asked, 1) << what;
            EXPECT_EQ(result.backupFolder.empty(), !(backup && answer)) << what;
            EXPECT_EQ(backupCount() - backupsBefore, backup && answer ? 1u : 0u)
                << what << ": a cancelled send keeps no backup";
            EXPECT_EQ(result.ok(), answer) << what << ": " << result.problem;
            EXPECT_EQ(result.cancelled, !answer) << what;
            EXPECT_EQ(result.reloaded, answer) << what;
            EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"),
                      answer ? ws.channelBytes() : receiverFiles.channel)
                << what;
            EXPECT_EQ(fs::exists(disk2() / "antenna_list.dat"), answer) << what;
            EXPECT_EQ(test::readFile(disk2() / "DVBS.dat"),
                      answer ? edited.dvbs : receiverFiles.dvbs)
                << what;
            EXPECT_EQ(sim->commands().size() - reloadsBefore, answer ? 1u : 0u)
                << what << ": reload only on Send";
            EXPECT_TRUE(leftovers(disk2()).empty()) << what;
            EXPECT_TRUE(leftovers(staging()).empty()) << what << ": the fetched copy is gone";
            EXPECT_TRUE(prompter.told.empty()) << what;
        }
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
