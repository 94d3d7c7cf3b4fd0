#include "database/receiver_files.h"
#include "link/ftp_reply.h"
#include "link/link_messages.h"
#include "link/transfer.h"
#include "link_fixture.h"

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using Result = TransferStatus::Result;

TEST(FtpReplies, TheCodeIsTakenFromTheFinalLine) {
    struct Case {
        std::vector<std::string> chunks;
        std::optional<FtpReply> last;
    };
    for (const Case& c : {
             Case{{"230 Login successful.\r\n"}, FtpReply{230, "230 Login successful."}},
             Case{{"230-Welcome, user 530\r\n530 is not a code here\r\n230 OK\r\n"},
                  FtpReply{230, "230 OK"}},
             Case{{"53", "0 Login inc", "orrect.\r\n"}, FtpReply{530, "530 Login incorrect."}},
             Case{{"220 ready\r\n", "331 send password\n"}, FtpReply{331, "331 send password"}},
             Case{{"230-multi\r\n230-still\r\n"}, std::nullopt},
             Case{{"hello 230 world\r\n"}, std::nullopt},
         }) {
        FtpReplyReader reader;
        for (const auto& chunk : c.chunks) {
            reader.feed(chunk);
        }
        EXPECT_EQ(reader.last(), c.last) << c.chunks.front();
    }
    EXPECT_EQ(quotedFolder("257 \"/DISK2\" is the current directory."), "/DISK2");
    EXPECT_EQ(quotedFolder("257 \"/a \"\"b\"\"\" created"), "/a \"b\"");
    EXPECT_EQ(quotedFolder("257 no quotes"), std::nullopt);
}

class FtpTest : public test::LinkFixture {
protected:
    TransferStatus get(const std::string& name) {
        return transferFile({name, Direction::Download, staging() / name}, context());
    }
    TransferStatus put(const std::string& name) {
        return transferFile({name, Direction::Upload, staging() / name}, context());
    }
    void SetUp() override { fs::create_directories(staging()); }
};

TEST_F(FtpTest, DownloadsAndUploadsByteForByteInBothModes) {
    startSim();
    for (const bool passive : {true, false}) {
        profile.passive = passive;
        const TransferStatus got = get("all_channel.dat");
        ASSERT_TRUE(got.done()) << test::LinkFixture::log() << got.detail;
        EXPECT_EQ(test::readFile(staging() / "all_channel.dat"), receiverFiles.channel);
        EXPECT_EQ(progress.lastDone, receiverFiles.channel.size());
        EXPECT_EQ(progress.lastTotal, receiverFiles.channel.size());

        Bytes changed = receiverFiles.dvbs;
        changed[10] ^= 0xFF;
        test::writeFile(staging() / "DVBS.dat", changed);
        ASSERT_TRUE(put("DVBS.dat").done());
        EXPECT_EQ(test::readFile(disk2() / "DVBS.dat"), changed);
    }
    EXPECT_TRUE(leftovers(staging()).empty());
}

TEST_F(FtpTest, LogHasTheLineKindsButNoPassword) {
    startSim({"--missing", "DVBS.dat"});
    ASSERT_TRUE(get("antenna_list.dat").done());
    EXPECT_EQ(get("DVBS.dat").result, Result::Missing);
    const std::string text = log();
    const auto stamp = text.substr(0, text.find(" -> "));
    EXPECT_FALSE(stamp.empty());
    const std::string local = (staging() / "antenna_list.dat").string();
    for (const std::string& event : std::vector<std::string>{
             "Session Start\r\n", "Remote Filename: /DISK2/antenna_list.dat DOWNLOADED to " + local,
             "Session Close\r\n", "File not found - Unable To Complete Request.\r\n"}) {
        EXPECT_NE(text.find(" -> " + event), std::string::npos) << event << "\n" << text;
    }
    EXPECT_EQ(text.find(test::simPassword), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
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
             Case{{"--read-only"}, up, Failed, true, "refused (550 "},
             // Active mode reports the server's reply, not a note of the library's.
             Case{{"--read-only"}, up, Failed, true, "refused (550 Not enough privileges.)", false},
             Case{{"--short-store", "DVBS.dat"}, up, Failed, true, held},
             // A download stops past the largest file of its name, said size or not.
             Case{{"--endless", "DVBS.dat"},
                  down,
                  Failed,
                  true,
                  "the Orvix offers 10,737,418,240 bytes; such a file holds at most " + limit},
             Case{{"--endless", "DVBS.dat", "--no-size"},
                  down,
                  Failed,
                  true,
                  "the Orvix sent more than " + limit + " bytes; such a file holds at most " +
                      limit},
         }) {
        startSim(c.faults);
        profile.passive = c.passive;
        const Bytes before = test::readFile(staging() / "DVBS.dat");
        if (c.direction == up) {
            test::writeFile(staging() / "DVBS.dat", receiverFiles.dvbs);
        }
        const TransferStatus outcome = c.direction == down ? get("DVBS.dat") : put("DVBS.dat");
        const std::string what = c.faults.front();
        EXPECT_EQ(outcome.result, c.result) << what << ": " << outcome.detail;
        EXPECT_LE(outcome.bytes, receiverFileLimit(dvbsFileName).bytes) << what;
        const std::string reason = transferReason(outcome, "/DISK2");
        EXPECT_NE(reason.find(c.reason), std::string::npos) << what << ": " << reason;
        EXPECT_EQ(reason.find("Data connection"), std::string::npos)
            << what << ": a preliminary reply explains nothing: " << reason;
        EXPECT_EQ(fs::exists(transferLogPath(data.path())), c.logged) << what;
        if (c.direction == down) {
            EXPECT_EQ(test::readFile(staging() / "DVBS.dat"), before)
                << what << ": a failed download leaves the staged copy alone";
        }
        EXPECT_TRUE(leftovers(staging()).empty()) << what;
        fs::remove(transferLogPath(data.path()));
        sim.reset();
    }
}

TEST_F(FtpTest, NoConnectionNamesTheAddressAndPortAndWhatHappened) {
    test::LoopbackSocket silent(true);
    test::LoopbackSocket refusing(false);
    test::LoopbackSocket wrapped(true, 99999 % 65536);
    timeouts.reply = Milliseconds{500};
    struct Case {
        int port;
        std::string words;
    };
    for (const Case& c : {
             Case{silent.port(), " accepted the connection but sent no FTP greeting within 0.5 s"},
             Case{refusing.port(), " refused the connection"},
             Case{99999, ""},
         }) {
        profile.ftpPort = c.port;
        const TransferStatus outcome = get("DVBS.dat");
        EXPECT_EQ(outcome.result, Result::NoConnection) << c.port;
        const std::string expected =
            c.port == 99999 ? "FTP port 99999 does not exist: ports run from 1 to 65535"
                            : "127.0.0.1 port " + std::to_string(c.port) + c.words;
        EXPECT_EQ(sessionNotice(outcome, "/DISK2"),
                  (Notice{"Error", "Unknown Error: No connection Established (" + expected + ")",
                          NoticeIcon::None}));
    }
    if (wrapped.bound()) {
        EXPECT_FALSE(wrapped.connectedTo()) << "99999 modulo 65536";
    }
}

} // namespace
} // namespace tavrino
