// The command line's receiver commands against the simulator, run in-process. The workflows'
// own outcomes are the link tests'; here the commands report them.
#include "cli_runner.h"
#include "link/profiles.h"
#include "link_fixture.h"

#include <gmock/gmock.h>
#include <tuple>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using namespace testing;
using test::CliRun;
using test::lines;

class CliLink : public test::LinkFixture {
protected:
    CliRun cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--data-dir", data.path().string()});
        return test::runCli(args);
    }
    // The simulator as profile "sim", the only one.
    void addSimProfile() { saveProfiles(data.path(), {profile}); }
    // A folder holding `files`, to send.
    std::string folderOf(const sample::Files& files) {
        sample::writeFolder(files, local.path());
        return local.path().string();
    }
    static void expectSecret(const CliRun& run) {
        EXPECT_THAT(run.out + run.err, Not(HasSubstr(test::simPassword)));
    }

    test::TempDir local;
};

TEST_F(CliLink, ProfilesAreCreatedListedAddedAndRemoved) {
    const CliRun first = cli({"profiles"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(lines(first.out),
              (std::vector<std::string>{"Name,Address,User,FtpPort,TelnetPort,Passive,Prompt",
                                        "TEST Connection,192.168.1.36,root,21,23,0,[~]$"}));

    test::writeText(data / "pw", test::simPassword + "\n");
    const CliRun added = cli({"profile-add", "sim", "--address", "127.0.0.1", "--password-file",
                              (data / "pw").string(), "--ftp-port", "2121", "--telnet-port", "2323",
                              "--passive", "--prompt", "#"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const CliRun listed = cli({"profiles"});
    EXPECT_EQ(lines(listed.out).at(2), "sim,127.0.0.1,root,2121,2323,1,#");
    expectSecret(listed);
    const auto stored = loadProfiles(data.path()).profiles;
    EXPECT_EQ(stored.at(1).password, test::simPassword) << "one final line end dropped";
    EXPECT_FALSE(stored.at(1).foreColor);

    ASSERT_EQ(cli({"profile-remove", "TEST Connection"}).exitCode, 0);
    EXPECT_EQ(loadProfiles(data.path()).profiles.size(), 1u);
}

// Every failure is one line on stderr, exit 2, without the password; a failed receive leaves
// the target folder alone.
TEST_F(CliLink, FailuresAreOneLineWithoutThePassword) {
    const auto old = sample::generate({.services = 80, .seed = 3});
    const std::string dir = folderOf(old);
    // The faults, the command and how its error line begins.
    using Case = std::tuple<std::vector<std::string>, std::vector<std::string>, std::string>;
    for (const auto& [faults, args, err] : {
             Case{{"--drop", "antenna_list.dat"}, {"receive", "--to", dir}, "receive: antenna"},
             Case{{"--refuse-telnet"}, {"test-connection"}, "Could not open connection to"},
             Case{{"--login-incorrect"}, {"test-login"}, "Login incorrect - Username : root"},
             Case{{"--no-prompt"},
                  {"reload", "--timeout", "0.3"},
                  "The Orvix did not send \"[~]$\" within 0.3 s; nothing more was sent."},
             Case{{"--cut-upload", "all_channel.dat"},
                  {"send", dir, "--no-backup"},
                  "send: all_channel.dat was not sent: the connection broke during the upload. - "
                  "Nothing on the Orvix was changed.\n"},
             Case{{"--refuse-login"}, {"send", dir, "--dry-run"}, "send: all_channel.dat: Invalid"},
         }) {
        SCOPED_TRACE(args[0]);
        startSim(faults);
        addSimProfile();
        std::vector<std::string> command = args;
        command.insert(command.end(), {"--profile", "sim"});
        const CliRun run = cli(command);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, StartsWith(err));
        EXPECT_EQ(lines(run.err).size(), 1u);
        expectSecret(run);
        EXPECT_THAT(sim->commands(), IsEmpty());
        sim.reset();
    }
    EXPECT_EQ(test::readFile(local / "all_channel.dat"), old.channel);
    EXPECT_EQ(test::readFile(local / "antenna_list.dat"), old.antenna);
}

TEST_F(CliLink, TheTelnetCommandsAnswerADaemonThatNegotiates) {
    startSim({"--negotiate"});
    addSimProfile();
    const CliRun login = cli({"test-login", "--profile", "sim"});
    ASSERT_EQ(login.exitCode, 0) << login.err;
    EXPECT_THAT(login.out, AllOf(HasSubstr("and after Send): accepted for root. - FTP login"),
                                 EndsWith("accepted for root, and /DISK2 is there.\n")));
    expectSecret(login);
    ASSERT_EQ(cli({"reload", "--profile", "sim"}).exitCode, 0);
    EXPECT_THAT(sim->commands(), ElementsAre("vfd_display -td210 REBOOT"));
}

TEST_F(CliLink, SendUploadsAndNamesTheBackupWhenTheReloadFails) {
    const auto files = sample::generate({.services = 80, .seed = 3});
    const std::string dir = folderOf(files);
    startSim({"--login-incorrect"});
    addSimProfile();
    const CliRun sent = cli({"send", dir, "--profile", "sim", "--no-reload", "--no-backup"});
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(sent.out, "sent DVBS.dat\nsent antenna_list.dat\nsent all_channel.dat\n");
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"), files.channel);

    const CliRun failed = cli({"send", dir, "--profile", "sim"});
    EXPECT_EQ(failed.exitCode, 2);
    const std::string backups = (data / "backups" / "receiver").string();
    EXPECT_THAT(failed.err, AllOf(StartsWith("send: the files are on the receiver but it did not "
                                             "reload: Login incorrect"),
                                  HasSubstr("earlier files are in " + backups)));
    EXPECT_THAT(failed.out, HasSubstr("backup " + backups));
    expectSecret(failed);
}

// A dry run fetches the receiver's files and prints what a send would change there, as diff
// does; the receiver keeps every byte, and gets no login, no backup and no reload.
TEST_F(CliLink, ADryRunPrintsWhatTheSendWouldChangeAndChangesNothing) {
    const std::string dir = folderOf(receiverFiles);
    ASSERT_EQ(cli({"bouquet-rename", dir, "1", "Eins", "--no-backup"}).exitCode, 0);
    startSim();
    addSimProfile();
    const CliRun run = cli({"send", dir, "--profile", "sim", "--dry-run"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(lines(run.out), ElementsAre(_, StartsWith("Bouquet,Changed,Eins,#1,Name,")));
    EXPECT_EQ(test::readFile(disk2() / "all_channel.dat"), receiverFiles.channel);
    EXPECT_THAT(leftovers(disk2()), IsEmpty());
    EXPECT_THAT(sim->commands(), IsEmpty()) << "no telnet login, no reload";
    EXPECT_FALSE(fs::exists(data / "backups"));
    EXPECT_THAT(leftovers(staging()), IsEmpty()) << "the temporary folder is gone";

    // Without the receiver's antenna file a dry run compares with none and a receive warns.
    startSim({"--missing", "antenna_list.dat"});
    addSimProfile();
    const CliRun missing =
        cli({"send", dir, "--profile", "sim", "--dry-run", "--only", "satellites"});
    ASSERT_EQ(missing.exitCode, 0) << missing.err;
    EXPECT_EQ(missing.err, "warning: antenna_list.dat: not on the Orvix; compared as empty\n");
    EXPECT_THAT(missing.out, AllOf(HasSubstr("\nAntenna,Added,"), Not(HasSubstr("\nBouquet,"))));
    test::TempDir out;
    const CliRun received = cli({"receive", "--profile", "sim", "--to", out.path().string()});
    ASSERT_EQ(received.exitCode, 0) << received.err;
    EXPECT_EQ(test::readFile(out / "all_channel.dat"), receiverFiles.channel);
    EXPECT_FALSE(fs::exists(out / "antenna_list.dat"));
    EXPECT_THAT(lines(received.err), ElementsAre(StartsWith("warning: antenna_list.dat: not on")));
}

} // namespace
} // namespace tavrino
