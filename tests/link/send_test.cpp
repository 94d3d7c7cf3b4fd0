#include "link/link_messages.h"
#include "link/receiver_backup.h"
#include "link/workflows.h"
#include "link_fixture.h"
#include "workspace/workspace.h"

#include <gmock/gmock.h>
#include <tuple>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using namespace testing;
using Images = std::vector<Bytes>; // all_channel.dat, antenna_list.dat, DVBS.dat

Images imagesOf(const sample::Files& files) {
    return {files.channel, files.antenna, files.dvbs};
}

Images imagesIn(const fs::path& folder) {
    return {test::readFile(folder / "all_channel.dat"), test::readFile(folder / "antenna_list.dat"),
            test::readFile(folder / "DVBS.dat")};
}

class SendTest : public test::LinkFixture {
protected:
    SendTest() {
        sample::writeFolder(edited, local.path());
        EXPECT_TRUE(ws.openFolder(local.path()).opened());
    }

    SendResult send(SendOptions options = {}) { return sendFiles(ws.files(), options, context()); }
    Images onReceiver() const { return imagesIn(disk2()); }
    std::size_t backupCount() const { return test::entries(data / "backups" / "receiver").size(); }

    test::TempDir local;
    sample::Files edited =
        sample::generate({.services = 150, .satellites = 3, .bouquets = 2, .seed = 7});
    Workspace ws;
};

TEST_F(SendTest, UploadsBacksUpAndReloads) {
    startSim();
    const SendResult result = send();
    ASSERT_TRUE(result.ok()) << result.problem;
    EXPECT_TRUE(result.uploaded);
    EXPECT_TRUE(result.reloaded);
    EXPECT_EQ(onReceiver(), imagesOf(edited));
    EXPECT_EQ(imagesIn(result.backupFolder), imagesOf(receiverFiles));
    EXPECT_THAT(sim->commands(), ElementsAre("vfd_display -td210 REBOOT"));
    EXPECT_THAT(prompter.told, IsEmpty());
    EXPECT_THAT(leftovers(disk2()), IsEmpty()) << "every temporary was renamed into place";
    EXPECT_THAT(progress.steps,
                IsSupersetOf({"DVBS.dat", "antenna_list.dat", "all_channel.dat", "Uploading...",
                              "Uploading.", "Uploading..", "Reload...", "Success."}));
}

// Only a whole set goes out; an old database goes out in the target version.
TEST_F(SendTest, APartialSetIsRefusedAndAnOldDatabaseGoesOutWithTheTargetVersion) {
    startSim();
    fs::remove(local / "antenna_list.dat");
    Workspace partial; // not `ws`, which would keep the antenna it has
    ASSERT_TRUE(partial.openFolder(local.path()).opened());
    EXPECT_FALSE(sendFiles(partial.files(), {}, context()).ok());
    EXPECT_THAT(prompter.told, ElementsAre(sendNeedsAllFilesNotice()));
    EXPECT_EQ(onReceiver(), imagesOf(receiverFiles));
    EXPECT_FALSE(fs::exists(data / "backups"));

    sample::writeFolder(sample::generate({.services = 50, .version = 6}), local.path());
    Workspace old;
    ASSERT_TRUE(old.openFolder(local.path()).opened());
    ASSERT_TRUE(sendFiles(old.files(), {.backup = false, .reload = false}, context()).ok());
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat").at(0), 9);
    EXPECT_FALSE(fs::exists(data / "backups"));
    EXPECT_THAT(sim->commands(), IsEmpty());
}

TEST_F(SendTest, ARenameRefusedHalfwayNamesNewAndOldFilesAndOnlyAWorkingPutBackRestores) {
    startSim({"--refuse-rename", "antenna_list.dat"});
    const SendResult result = send();
    EXPECT_FALSE(result.ok());
    EXPECT_THAT(result.reached(), ElementsAre("DVBS.dat"));
    EXPECT_TRUE(result.receiverChanged());
    EXPECT_EQ(onReceiver(), (Images{receiverFiles.channel, receiverFiles.antenna, edited.dvbs}));
    EXPECT_THAT(leftovers(disk2()), IsEmpty());
    EXPECT_THAT(sim->commands(), IsEmpty()) << "no reload after a failure";
    const std::string backup = result.backupFolder.string();
    EXPECT_EQ(told().text, "antenna_list.dat could not be put in place: refused (550 Rename "
                           "refused.).\r\n\r\nNew on the Orvix: DVBS.dat\r\nUnchanged on the "
                           "Orvix: antenna_list.dat, all_channel.dat\r\nThe Orvix was not told to "
                           "reload.\r\n\r\nIts earlier files are in " +
                               backup);

    EXPECT_FALSE(restoreBackup(result.backupFolder, context()).ok()) << "the rename fails again";
    EXPECT_THAT(told().text, AllOf(StartsWith("Putting the backed-up files back failed. "
                                              "antenna_list.dat could not be put in place"),
                                   HasSubstr("The backup is still in " + backup)));
    sim.reset();
    startSim();
    ASSERT_TRUE(restoreBackup(result.backupFolder, context()).ok());
    EXPECT_EQ(onReceiver(), imagesOf(receiverFiles)) << "the backup put back what was there";
    EXPECT_EQ(prompter.told.size(), 1u);
}

TEST_F(SendTest, AServerWithoutRenamesGetsTheFilesStoredDirectly) {
    for (const char* fault : {"--no-rename", "--refuse-hidden"}) {
        SCOPED_TRACE(fault);
        startSim({fault});
        const SendResult result = send();
        EXPECT_TRUE(result.ok()) << result.problem;
        EXPECT_TRUE(result.reloaded);
        EXPECT_EQ(onReceiver(), imagesOf(edited));
        EXPECT_THAT(leftovers(disk2()), IsEmpty());
        EXPECT_THAT(prompter.told, IsEmpty());
        sample::writeFolder(receiverFiles, disk2());
        sim.reset();
    }
}

TEST_F(SendTest, ADirectStoreThatBreaksOffNamesTheIncompleteFile) {
    const std::string size = bytesText(ws.channelBytes().size());
    for (const bool backup : {true, false}) {
        startSim({"--refuse-hidden", "--cut-upload", "all_channel.dat"});
        const SendResult result = send({.backup = backup});
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.files[2].fate, FileFate::Damaged);
        EXPECT_EQ(test::readFile(disk2() / "all_channel.dat").size(), 1024u);
        EXPECT_THAT(sim->commands(), IsEmpty()) << "no reload after a failure";
        const Notice notice = told();
        EXPECT_EQ(notice.text,
                  "all_channel.dat was not sent: the connection broke during the upload."
                  "\r\n\r\nall_channel.dat on the Orvix is now incomplete: 1,024 of " +
                      size +
                      " bytes.\r\nNew on the Orvix: DVBS.dat, antenna_list.dat\r\nUnchanged on "
                      "the Orvix: none\r\nThe Orvix was not told to reload.\r\n\r\n" +
                      (backup ? "Its earlier files are in " + result.backupFolder.string()
                              : std::string("No backup was made.")));
        EXPECT_EQ(result.problem, oneLine(notice));
        sample::writeFolder(receiverFiles, disk2());
        sim.reset();
    }
}

TEST_F(SendTest, CancelBeforeTheRenamesLeavesTheReceiverAsItWas) {
    startSim({"--slow", "20000"});
    progress.cancelAfterBytes = &cancel;
    const SendResult result = send({.backup = false});
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.problem, "");
    EXPECT_EQ(onReceiver(), imagesOf(receiverFiles));
    EXPECT_THAT(leftovers(disk2()), IsEmpty());
    EXPECT_THAT(prompter.told, IsEmpty());
}

// A refusal before the uploads, or an upload that fails, leaves every file on the receiver
// as it was: the temporaries are removed and no rename or reload follows.
TEST_F(SendTest, AFailureBeforeTheRenamesChangesNothingOnTheReceiver) {
    // The faults, how the message begins, whether the failure came during the uploads.
    using Case = std::tuple<std::vector<std::string>, std::string, bool>;
    for (const auto& [faults, message, uploading] : {
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
        SCOPED_TRACE(faults.back());
        startSim(faults);
        progress.steps.clear();
        const SendResult result = send();
        EXPECT_FALSE(result.ok());
        EXPECT_THAT(result.reached(), IsEmpty());
        EXPECT_FALSE(result.receiverChanged());
        EXPECT_EQ(onReceiver(), imagesOf(receiverFiles));
        EXPECT_THAT(leftovers(disk2()), IsEmpty()) << "the temporaries are gone";
        EXPECT_THAT(sim->commands(), IsEmpty()) << "no reload";
        EXPECT_THAT(progress.steps, Not(Contains("Uploading."))) << "no pause either";
        const std::string text = told().text;
        EXPECT_THAT(text, StartsWith(message));
        EXPECT_EQ(text.ends_with(".\r\n\r\nNothing on the Orvix was changed."), uploading) << text;
        sim.reset();
    }
}

// The look before the uploads sees the receiver's files as they are and the files to send,
// with or without a backup; No leaves the receiver as it was and no fetched copy behind.
TEST_F(SendTest, ConfirmSeesBothSidesAndNoSendsNothing) {
    startSim();
    fs::create_directories(data / "backups" / "receiver");
    for (const bool backup : {true, false}) {
        for (const bool answer : {false, true}) {
            SCOPED_TRACE(std::string(backup ? "backup, " : "no backup, ") +
                         (answer ? "Send" : "Cancel"));
            sample::writeFolder(receiverFiles, disk2());
            fs::remove(disk2() / "antenna_list.dat");
            const Images before = onReceiver();
            const std::size_t reloadsBefore = sim->commands().size();
            const std::size_t backupsBefore = backupCount();
            int asked = 0;
            SendOptions options{.backup = backup};
            options.confirm = [&](const fs::path& onReceiver, const fs::path& toSend) {
                ++asked;
                EXPECT_EQ(imagesIn(onReceiver), before);
                EXPECT_EQ(imagesIn(toSend), imagesOf(edited));
                return answer;
            };
            const SendResult result = send(options);
            const bool kept = backup && answer; // a cancelled send keeps no backup
            // Asked once; a backup and a reload only on Send.
            EXPECT_EQ(
                (std::tuple{asked, !result.backupFolder.empty(), backupCount() - backupsBefore,
                            sim->commands().size() - reloadsBefore, result.ok(), result.cancelled,
                            result.reloaded}),
                (std::tuple{1, kept, std::size_t{kept}, std::size_t{answer}, answer, !answer,
                            answer}))
                << result.problem;
            EXPECT_EQ(onReceiver(), answer ? imagesOf(edited) : before);
            EXPECT_THAT(leftovers(disk2()), IsEmpty());
            EXPECT_THAT(leftovers(staging()), IsEmpty()) << "the fetched copy is gone";
            EXPECT_THAT(prompter.told, IsEmpty());
        }
    }
}

TEST_F(SendTest, AReloadThatFailsSaysTheFilesAreThere) {
    timeouts.reply = Milliseconds{300};
    for (const char* fault : {"--login-incorrect", "--no-prompt", "--refuse-telnet"}) {
        SCOPED_TRACE(fault);
        startSim({fault});
        const SendResult result = send({.backup = false});
        EXPECT_TRUE(result.uploaded);
        EXPECT_FALSE(result.reloaded);
        EXPECT_THAT(result.problem,
                    StartsWith("the files are on the receiver but it did not reload: "));
        EXPECT_THAT(sim->commands(), IsEmpty()) << "no command into an unknown state";
        EXPECT_THAT(told().text,
                    AllOf(EndsWith("The three files are on the Orvix, but it did not reload them."),
                          Not(HasSubstr(test::simPassword))));
        sim.reset();
    }
}

// Only the newest ten are kept, other folders aside; the one just made counts as the newest,
// so a clock set back cannot remove it.
TEST(ReceiverBackups, TheNewestTenAndTheOneJustMadeAreKept) {
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
    EXPECT_TRUE(fs::exists(made[2]));
    EXPECT_TRUE(fs::exists(root / "notes"));
    const fs::path back = *makeBackupFolder(root.path(), start - std::chrono::hours(1));
    pruneBackups(root.path(), 10, back);
    EXPECT_TRUE(fs::exists(back));
    EXPECT_FALSE(fs::exists(made[2]));
    EXPECT_EQ(test::entries(root.path()).size(), 11u) << "ten backups and the notes";
}

} // namespace
} // namespace tavrino
