#include "cli_runner.h"
#include "compare/send_preview.h"
#include "link_fixture.h"
#include "workspace/workspace.h"

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::CliRun;
using test::lines;

const std::string header = "Area,Change,Name,Where,Field,Before,After\n";

class SendPreviewTest : public test::LinkFixture {
protected:
    CliRun cli(const std::string& args) {
        return test::runProgram(TAVRINO_CLI, "--data-dir '" + data.path().string() + "' " + args);
    }
    void addSimProfile() {
        const std::string line = test::simPassword + "\n";
        test::writeFile(data / "pw", Bytes(line.begin(), line.end()));
        const CliRun run =
            cli("profile-add sim --address 127.0.0.1 --password-file '" + (data / "pw").string() +
                "' --ftp-port " + std::to_string(sim->ftpPort()) + " --telnet-port " +
                std::to_string(sim->telnetPort()) + " --passive");
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    // The receiver holds exactly what it held before, and nothing was left beside it.
    void expectReceiverUntouched() {
        EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"), receiverFiles.channel);
        EXPECT_EQ(test::readFile(disk2() / "DVBS.dat"), receiverFiles.dvbs);
        EXPECT_TRUE(leftovers(disk2()).empty());
        EXPECT_TRUE(sim->commands().empty()) << "no telnet login, no reload";
        EXPECT_FALSE(fs::exists(data / "backups"));
        EXPECT_TRUE(leftovers(staging()).empty()) << "the temporary folder is gone";
    }
    std::string folderOfReceiverFiles() {
        sample::writeFolder(receiverFiles, local.path());
        return "'" + local.path().string() + "'";
    }

    test::TempDir local;
};

TEST_F(SendPreviewTest, ADryRunPrintsWhatTheSendWouldChangeAndChangesNothing) {
    startSim();
    addSimProfile();
    const std::string dir = folderOfReceiverFiles();
    ASSERT_EQ(cli("bouquet-rename " + dir + " 1 Eins --no-backup").exitCode, 0);
    const CliRun run = cli("send " + dir + " --profile sim --dry-run");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    Workspace receiver;
    ASSERT_TRUE(receiver.openFolder(disk2()).opened());
    const std::string old = receiver.codePage().toUtf8(receiver.files().bouquets.rows[0].name);
    EXPECT_EQ(run.out, header + "Bouquet,Changed,Eins,#1,Name," + old + ",Eins\n");
    EXPECT_EQ(run.err, "");
    expectReceiverUntouched();
    EXPECT_EQ(test::readFile(disk2() / "antenna_list.dat"), receiverFiles.antenna);
}

TEST_F(SendPreviewTest, AFileTheReceiverLacksIsComparedAsEmptyAndNamed) {
    startSim({"--missing", "antenna_list.dat"});
    addSimProfile();
    const CliRun run =
        cli("send " + folderOfReceiverFiles() + " --profile sim --dry-run --only satellites");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "warning: antenna_list.dat: not on the Orvix; compared as empty\n");
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 5u) << run.out;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].rfind("Antenna,Added,", 0), 0u) << rows[i];
    }
    expectReceiverUntouched();
}

TEST_F(SendPreviewTest, AFailedFetchSendsNothingAndSaysWhy) {
    startSim({"--refuse-login"});
    addSimProfile();
    const std::string dir = folderOfReceiverFiles();
    const CliRun run = cli("send " + dir + " --profile sim --dry-run");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("send: all_channel.dat: Invalid username or password", 0), 0u)
        << run.err;
    EXPECT_TRUE(run.err.ends_with(" - nothing was sent\n")) << run.err;
    EXPECT_EQ(run.err.find(test::simPassword), std::string::npos);
    expectReceiverUntouched();

    const CliRun usage = cli("send " + dir + " --profile sim --only services");
    EXPECT_EQ(usage.exitCode, 1);
    EXPECT_NE(usage.err.find("--only needs --dry-run"), std::string::npos) << usage.err;
}

TEST_F(SendPreviewTest, ThePreviewTellsAFailureAndStopsWhenCancelled) {
    startSim({"--refuse-login"});
    Workspace toSend;
    sample::writeFolder(receiverFiles, local.path());
    fs::remove(local / "antenna_list.dat");
    ASSERT_TRUE(toSend.openFolder(local.path()).opened());
    const SendPreview partial = previewSend(toSend, context());
    EXPECT_FALSE(partial.comparison) << "a send would refuse it too";
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text,
              "Open all_channel.dat, antenna_list.dat and DVBS.dat before sending !!!");

    sample::writeFolder(receiverFiles, local.path());
    ASSERT_TRUE(toSend.openFolder(local.path()).opened());
    const SendPreview refused = previewSend(toSend, context());
    EXPECT_FALSE(refused.comparison);
    ASSERT_EQ(prompter.told.size(), 2u);
    EXPECT_EQ(prompter.told[1].text, "Invalid username or password");

    cancel.cancel();
    const SendPreview cancelled = previewSend(toSend, context());
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.comparison);
    EXPECT_EQ(prompter.told.size(), 2u) << "a cancel is no failure to tell";
    EXPECT_TRUE(leftovers(staging()).empty());
}

} // namespace
} // namespace tavrino
