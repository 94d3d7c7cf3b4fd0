#include "cli_runner.h"
#include "link/link_messages.h"
#include "link/profiles.h"
#include "link_fixture.h"

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::CliRun;
using test::lines;

class LinkCliTest : public test::LinkFixture {
protected:
    CliRun cli(const std::string& args) {
        return test::runProgram(TAVRINO_CLI, "--data-dir '" + data.path().string() + "' " + args);
    }
    // Adds the simulator as profile "sim" with the password from a file.
    void addSimProfile(const std::string& extra = "") {
        const std::string line = test::simPassword + "\n";
        test::writeFile(data / "pw", Bytes(line.begin(), line.end()));
        const CliRun run =
            cli("profile-add sim --address 127.0.0.1 --password-file '" + (data / "pw").string() +
                "' --ftp-port " + std::to_string(sim->ftpPort()) + " --telnet-port " +
                std::to_string(sim->telnetPort()) + " --passive " + extra);
        ASSERT_EQ(run.exitCode, 0) << run.err;
    }
    static void expectSecret(const CliRun& run) {
        EXPECT_EQ(run.out.find(test::simPassword), std::string::npos) << run.out;
        EXPECT_EQ(run.err.find(test::simPassword), std::string::npos) << run.err;
    }
};

TEST_F(LinkCliTest, ProfilesAreCreatedListedAddedAndRemoved) {
    const CliRun first = cli("profiles");
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(lines(first.out),
              (std::vector<std::string>{"Name,Address,User,FtpPort,TelnetPort,Passive,Prompt",
                                        "TEST Connection,192.168.1.36,root,21,23,0,[~]$"}));
    EXPECT_EQ(first.out.find("kelvo"), std::string::npos);

    startSim();
    addSimProfile("--prompt '#'");
    const CliRun listed = cli("profiles");
    EXPECT_EQ(lines(listed.out).at(2), "sim,127.0.0.1,root," + std::to_string(sim->ftpPort()) +
                                           "," + std::to_string(sim->telnetPort()) + ",1,#");
    expectSecret(listed);
    const auto stored = loadProfiles(data.path()).profiles;
    EXPECT_EQ(stored.at(1).password, test::simPassword) << "one final line end dropped";
    EXPECT_FALSE(stored.at(1).foreColor);

    struct Case {
        std::string args;
        int exitCode;
        std::string err;
    };
    for (const Case& c : {
             Case{"profile-add sim --address 10.0.0.1", 2, "already there"},
             Case{"profile-add other", 1, "--address is needed"},
             Case{"profile-add other --address a --prompt ''", 2,
                  "Command promt must not be empty"},
             Case{"profile-add other --address a --ftp-port x", 1, "--ftp-port must be"},
             Case{"profile-remove nobody", 2, "no profile named 'nobody'"},
             Case{"receive --timeout 0", 1, "--timeout must be"},
             Case{"receive --profile nobody", 2, "no profile named 'nobody'"},
         }) {
        const CliRun run = cli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args << ": " << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << ": " << run.err;
    }
    EXPECT_EQ(cli("profile-remove 'TEST Connection'").exitCode, 0);
    const CliRun last = cli("profile-remove sim");
    EXPECT_EQ(last.exitCode, 2);
    EXPECT_NE(last.err.find("the last profile cannot be removed"), std::string::npos);
}

TEST_F(LinkCliTest, ReceiveWritesTheFilesAndWarnsAboutAMissingAntennaFile) {
    startSim({"--missing", "antenna_list.dat"});
    addSimProfile();
    test::TempDir out;
    const CliRun run = cli("receive --profile sim --to '" + out.path().string() + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), receiverFiles.channel);
    EXPECT_FALSE(fs::exists(out / "antenna_list.dat"));
    ASSERT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("warning: antenna_list.dat: not on the Orvix", 0), 0u) << run.err;
}

TEST_F(LinkCliTest, ACutDownloadFailsTheReceiveAndLeavesTheTargetFolderAlone) {
    startSim({"--drop", "antenna_list.dat"});
    addSimProfile();
    test::TempDir out;
    const auto old = sample::generate({.services = 20, .seed = 9});
    sample::writeFolder(old, out.path());
    const CliRun run = cli("receive --profile sim --to '" + out.path().string() + "'");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_EQ(lines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind("receive: antenna_list.dat: the connection broke after 1,024 of ", 0),
              0u)
        << run.err;
    EXPECT_TRUE(run.err.ends_with(" bytes - nothing was opened\n")) << run.err;
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), old.channel);
    EXPECT_EQ(test::readFile(out / "antenna_list.dat"), old.antenna);
}

TEST_F(LinkCliTest, ACutSendSaysWhatTheReceiverHoldsNow) {
    test::TempDir folder;
    const auto files = sample::generate({.services = 80, .seed = 3});
    sample::writeFolder(files, folder.path());
    const std::string dir = "'" + folder.path().string() + "'";
    struct Case {
        std::vector<std::string> faults;
        std::string err;
    };
    for (const Case& c : {
             Case{{"--cut-upload", "all_channel.dat"},
                  "send: all_channel.dat was not sent: the connection broke during the upload. - "
                  "Nothing on the Orvix was changed.\n"},
             Case{{"--cut-upload", "all_channel.dat", "--refuse-hidden"},
                  "send: all_channel.dat was not sent: the connection broke during the upload. - "
                  "all_channel.dat on the Orvix is now incomplete: 1,024 of " +
                      bytesText(files.channel.size()) +
                      " bytes. - New on the Orvix: DVBS.dat, antenna_list.dat - Unchanged on the "
                      "Orvix: none - The Orvix was not told to reload. - No backup was made.\n"},
         }) {
        startSim(c.faults);
        addSimProfile();
        const CliRun run = cli("send " + dir + " --profile sim --no-backup");
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, c.err);
        EXPECT_TRUE(sim->commands().empty());
        cli("profile-remove sim");
        sample::writeFolder(receiverFiles, disk2());
        sim.reset();
    }
}

TEST_F(LinkCliTest, TheTelnetCommandsAnswerADaemonThatNegotiates) {
    startSim({"--negotiate"});
    addSimProfile();
    const CliRun login = cli("test-login --profile sim");
    ASSERT_EQ(login.exitCode, 0) << login.err;
    EXPECT_NE(
        login.out.find("Telnet login (Telnet Port " + std::to_string(sim->telnetPort()) +
                       ", used by Restart and after Send): accepted for root. - FTP login "
                       "(FTP Port " +
                       std::to_string(sim->ftpPort()) +
                       ", used by Receive and Send): accepted for root, and /DISK2 is there."),
        std::string::npos)
        << login.out;
    const CliRun reload = cli("reload --profile sim");
    ASSERT_EQ(reload.exitCode, 0) << reload.err;
    EXPECT_EQ(sim->commands(), std::vector<std::string>{"vfd_display -td210 REBOOT"});
    expectSecret(login);
}

TEST_F(LinkCliTest, FailuresAreOneLineWithoutThePassword) {
    struct Case {
        std::vector<std::string> faults;
        std::string command;
        std::string err;
    };
    for (const Case& c : {
             Case{{"--refuse-login"},
                  "receive",
                  "receive: all_channel.dat: Invalid username or password (530"},
             Case{{"--missing", "DVBS.dat"}, "receive", "receive: DVBS.dat: not on the Orvix"},
             Case{{"--refuse-telnet"},
                  "test-connection",
                  "Could not open connection to the host - IP address 127.0.0.1 (port"},
             Case{{"--login-incorrect"},
                  "test-login",
                  "Login incorrect - Username : root / Password : ********"},
             Case{{"--no-prompt"},
                  "reload --timeout 0.3",
                  "The Orvix did not send \"[~]$\" within 0.3 s; nothing more was sent."},
         }) {
        startSim(c.faults);
        addSimProfile();
        const CliRun run = cli(c.command + " --profile sim");
        EXPECT_EQ(run.exitCode, 2) << c.command;
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
        expectSecret(run);
        cli("profile-remove sim");
        sim.reset();
    }
}

TEST_F(LinkCliTest, SendUploadsAndNamesTheBackupWhenTheReloadFails) {
    test::TempDir folder;
    const auto files = sample::generate({.services = 80, .version = 6, .seed = 3});
    sample::writeFolder(files, folder.path());
    const std::string dir = "'" + folder.path().string() + "'";

    startSim({"--login-incorrect"});
    addSimProfile();
    const CliRun sent = cli("send " + dir + " --profile sim --no-reload --no-backup");
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.out, "sent DVBS.dat\nsent antenna_list.dat\nsent all_channel.dat\n");
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat").at(0), 9) << "converted as opened";

    const CliRun failed = cli("send " + dir + " --profile sim");
    EXPECT_EQ(failed.exitCode, 2);
    EXPECT_EQ(failed.err.rfind("send: the files are on the receiver but it did not reload: Login "
                               "incorrect",
                               0),
              0u)
        << failed.err;
    EXPECT_NE(failed.err.find("earlier files are in " + (data / "backups" / "receiver").string()),
              std::string::npos)
        << failed.err;
    EXPECT_NE(failed.out.find("backup " + (data / "backups" / "receiver").string()),
              std::string::npos);
    EXPECT_TRUE(sim->commands().empty());
    expectSecret(failed);
}

} // namespace
} // namespace tavrino
