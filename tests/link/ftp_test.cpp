#include "database/receiver_files.h"
#include "link/ftp_reply.h"
#include "link/link_messages.h"
#include "link/transfer.h"
#include "link_fixture.h"

#include <gmock/gmock.h>
#include <tuple>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using Result = TransferStatus::Result;
using namespace testing;

TEST(FtpReplies, TheCodeIsTakenFromTheFinalLine) {
    using Case = std::tuple<std::vector<std::string>, std::optional<FtpReply>>;
    for (const auto& [chunks, last] : {
             Case{{"230 Login successful.\r\n"}, FtpReply{230, "230 Login successful."}},
             Case{{"230-Welcome, user 530\r\n530 is not a code here\r\n230 OK\r\n"},
                  FtpReply{230, "230 OK"}},
             Case{{"53", "0 Login inc", "orrect.\r\n"}, FtpReply{530, "530 Login incorrect."}},
             Case{{"220 ready\r\n", "331 send password\n"}, FtpReply{331, "331 send password"}},
             Case{{"230-multi\r\n230-still\r\n"}, std::nullopt},
             Case{{"hello 230 world\r\n"}, std::nullopt},
         }) {
        FtpReplyReader reader;
        for (const auto& chunk : chunks) {
            reader.feed(chunk);
        }
        EXPECT_EQ(reader.last(), last) << chunks.front();
    }
    EXPECT_EQ(quotedFolder("257 \"/DISK2\" is the current directory."), "/DISK2");
    EXPECT_EQ(quotedFolder("257 \"/a \"\"b\"\"\" created"), "/a \"b\"");
    EXPECT_EQ(quotedFolder("257 no quotes"), std::nullopt);
}

class FtpTest : public test::LinkFixture {
protected:
    void SetUp() override { fs::create_directories(staging()); }
    TransferStatus transfer(const std::string& name, Direction direction = Direction::Download) {
        return transferFile({name, direction, staging() / name}, context());
    }
};

TEST_F(FtpTest, DownloadsAndUploadsByteForByteInBothModesAndLogsEachStep) {
    startSim();
    const std::uint64_t size = receiverFiles.channel.size();
    for (const bool passive : {true, false}) {
        profile.passive = passive;
        const TransferStatus got = transfer("all_channel.dat");
        ASSERT_TRUE(got.done()) << log() << got.detail;
        EXPECT_EQ(test::readFile(staging() / "all_channel.dat"), receiverFiles.channel);
        EXPECT_EQ((std::pair{progress.lastDone, progress.lastTotal}), (std::pair{size, size}));
        Bytes changed = receiverFiles.dvbs;
        changed[10] ^= 0xFF;
        test::writeFile(staging() / "DVBS.dat", changed);
        ASSERT_TRUE(transfer("DVBS.dat", Direction::Upload).done());
        EXPECT_EQ(test::readFile(disk2() / "DVBS.dat"), changed);
    }
    EXPECT_THAT(leftovers(staging()), IsEmpty());

    // The log: a time and one event per line, no password.
    EXPECT_EQ(transfer("none.dat").result, Result::Missing);
    const std::string text = log();
    EXPECT_THAT(text, Not(StartsWith(" -> ")));
    const std::string local = (staging() / "all_channel.dat").string();
    for (const std::string& event : std::vector<std::string>{
             "Session Start\r\n", "Remote Filename: /DISK2/all_channel.dat DOWNLOADED to " + local,
             "Session Close\r\n", "File not found - Unable To Complete Request.\r\n"}) {
        EXPECT_THAT(text, HasSubstr(" -> " + event));
    }
    EXPECT_THAT(text, Not(HasSubstr(test::simPassword)));
}

TEST_F(FtpTest, EachFaultOfTheReceiverHasItsOutcome) {
    struct Case {
        std::vector<std::string> faults;
        Direction direction;
        Result result;
        bool logged;        // the login succeeded, so the log has lines
        std::string reason; // part of the one-line reason
        bool passive = true;
    };
    const std::string held = "the Orvix holds " + bytesText(receiverFiles.dvbs.size() / 2) +
                             " of " + bytesText(receiverFiles.dvbs.size()) + " bytes";
    const std::string limit = bytesText(receiverFileLimit(dvbsFileName).bytes);
    const std::string atMost = " bytes; such a file holds at most " + limit;
    const std::string offered = "the Orvix offers 10,737,418,240" + atMost;
    const std::string sentMore = "the Orvix sent more than " + limit + atMost;
    const auto down = Direction::Download;
    const auto up = Direction::Upload;
    using enum TransferStatus::Result;
    for (const Case& c : {
             Case{{"--refuse-login"}, down, LoginRefused, false, "Invalid username or password"},
             Case{{"--refuse-ftp"}, down, NoConnection, false, "port"},
             Case{{"--no-disk2"}, down, NoFolder, true, "the folder /DISK2 is not on the Orvix"},
             Case{{"--missing", "DVBS.dat"}, down, Missing, true, "not on the Orvix (550"},
             Case{{"--drop", "DVBS.dat"}, down, Failed, true, "the connection broke after"},
             Case{{"--drop", "DVBS.dat"}, up, Failed, true, "the connection broke during"},
             // Active mode reports the server's reply, not a note of the library's.
             Case{{"--read-only"}, up, Failed, true, "refused (550 Not enough privileges.)", false},
             Case{{"--short-store", "DVBS.dat"}, up, Failed, true, held},
             // A download stops past the largest file of its name, said size or not.
             Case{{"--endless", "DVBS.dat"}, down, Failed, true, offered},
             Case{{"--endless", "DVBS.dat", "--no-size"}, down, Failed, true, sentMore},
         }) {
        SCOPED_TRACE(c.faults.front());
        startSim(c.faults);
        profile.passive = c.passive;
        const Bytes before = test::readFile(staging() / "DVBS.dat");
        if (c.direction == up) {
            test::writeFile(staging() / "DVBS.dat", receiverFiles.dvbs);
        }
        const TransferStatus outcome = transfer("DVBS.dat", c.direction);
        EXPECT_EQ(outcome.result, c.result) << outcome.detail;
        EXPECT_LE(outcome.bytes, receiverFileLimit(dvbsFileName).bytes);
        // A preliminary reply ("Data connection ...") explains nothing.
        EXPECT_THAT(transferReason(outcome, "/DISK2"),
                    AllOf(HasSubstr(c.reason), Not(HasSubstr("Data connection"))));
        EXPECT_EQ(fs::exists(transferLogPath(data.path())), c.logged);
        if (c.direction == down) {
            EXPECT_EQ(test::readFile(staging() / "DVBS.dat"), before) << "the staged copy stays";
        }
        EXPECT_THAT(leftovers(staging()), IsEmpty());
        fs::remove(transferLogPath(data.path()));
        sim.reset();
    }
}

TEST_F(FtpTest, NoConnectionNamesTheAddressAndPortAndWhatHappened) {
    test::LoopbackSocket silent(true);
    test::LoopbackSocket refusing(false);
    test::LoopbackSocket wrapped(true, 99999 % 65536);
    timeouts.reply = Milliseconds{500};
    const auto at = [](int port) { return "127.0.0.1 port " + std::to_string(port); };
    for (const auto& [port, said] : std::vector<std::pair<int, std::string>>{
             {silent.port(),
              at(silent.port()) + " accepted the connection but sent no FTP greeting within 0.5 s"},
             {refusing.port(), at(refusing.port()) + " refused the connection"},
             {99999, "FTP port 99999 does not exist: ports run from 1 to 65535"},
         }) {
        profile.ftpPort = port;
        const TransferStatus outcome = transfer("DVBS.dat");
        EXPECT_EQ(outcome.result, Result::NoConnection) << port;
        EXPECT_EQ(sessionNotice(outcome, "/DISK2"),
                  (Notice{"Error", "Unknown Error: No connection Established (" + said + ")",
                          NoticeIcon::None}));
    }
    if (wrapped.bound()) {
        EXPECT_FALSE(wrapped.connectedTo()) << "99999 modulo 65536";
    }
}

} // namespace
} // namespace tavrino
