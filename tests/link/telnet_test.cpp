#include "link/link_messages.h"
#include "link/telnet_options.h"
#include "link/telnet_session.h"
#include "link/transcript.h"
#include "link_fixture.h"

#include <deque>
#include <gmock/gmock.h>
#include <tuple>

namespace tavrino {
namespace {
using namespace testing;
using test::RecordingProgress;
using test::RecordingPrompter;

// The receiver's side as a script: chunks arrive one per read, then silence (or a close).
class ScriptedStream : public ByteStream {
public:
    explicit ScriptedStream(std::deque<std::string> script = {}, bool closes = false)
        : chunks(std::move(script)), closeAtEnd(closes) {}
    std::optional<std::string> connect(const std::string&, int, Milliseconds,
                                       const CancelToken&) override {
        return refuse;
    }
    bool send(std::string_view bytes) override {
        sent.emplace_back(bytes);
        return true;
    }
    Read receive(std::string& chunk, Milliseconds) override {
        if (chunks.empty()) {
            return closeAtEnd ? Read::Closed : Read::Idle;
        }
        chunk = chunks.front();
        chunks.pop_front();
        return Read::Data;
    }
    void close() override {}

    std::deque<std::string> chunks;
    bool closeAtEnd = false;
    std::optional<std::string> refuse;
    std::vector<std::string> sent;
};

const std::string iac = "\xff\xfb\x01\xff\xfb\x03";
const std::string refusals = "\xff\xfe\x01\xff\xfe\x03"; // DONT ECHO, DONT SGA
const std::string user = "root\n";
const std::string password = "kelvo\n";
const std::string command = "vfd_display -td210 REBOOT\r\n";

struct Conversation {
    std::string name;
    std::deque<std::string> chunks;
    TelnetResult result;
    std::vector<std::string> sent;
    TelnetGoal goal;
};

Conversation talk(std::string name, std::deque<std::string> chunks, TelnetResult result,
                  std::vector<std::string> sent, TelnetGoal goal = TelnetGoal::Reload) {
    return {std::move(name), std::move(chunks), result, std::move(sent), goal};
}

class TelnetTest : public testing::Test {
protected:
    TelnetTest() {
        // A login test tries the FTP login too: here it finds a port that refuses.
        profile.address = "127.0.0.1";
        profile.ftpPort = noFtp.port();
    }

    TelnetOutcome run(TelnetGoal goal, ScriptedStream& stream) {
        return runTelnet(goal, {profile, timeouts, {}, progress, prompter, cancel}, &stream);
    }
    Notice told() { return test::toldOnce(prompter); }

    test::LoopbackSocket noFtp{false};
    ConnectionProfile profile = defaultProfile();
    LinkTimeouts timeouts{Milliseconds{50}, Milliseconds{50}, Milliseconds{50}};
    RecordingProgress progress;
    RecordingPrompter prompter;
    CancelToken cancel;
};

TEST_F(TelnetTest, EveryBranchOfTheConversation) {
    using enum TelnetResult;
    for (const Conversation& c : {
             talk("full reload",
                  {iac + "\r\nOrvix login: ", "root\r\nPassword: ", "\r\n[~]$ ", "REBOOT\r\n[~]$ "},
                  Reloaded, {refusals, user, password, command}),
             talk("no password asked", {"login: ", "root\r\n[~]$ ", "[~]$ "}, Reloaded,
                  {user, command}),
             talk("wrong password", {"login: ", "Password: ", "\r\nLogin incorrect\r\nlogin: "},
                  LoginIncorrect, {user, password}),
             talk("refusal already in the transcript",
                  {"Login incorrect\r\nlogin: ", "Password: ", "[~]$ "}, LoginIncorrect,
                  {user, password}),
             talk("unknown user, no password asked", {"login: ", "Login incorrect\r\nlogin: "},
                  LoginIncorrect, {user}),
             talk("texts split over chunks",
                  {"log", "in:", " Pass", "word", ": ", "[~", "]$", "[", "~]$"}, Reloaded,
                  {user, password, command}),
             talk("negotiation bytes inside a prompt",
                  {"\xff\xfd\x18login:", "\xff\xfb\x01Password:", "[~]$", "[~]$"}, Reloaded,
                  {"\xff\xfc\x18", user, "\xff\xfe\x01", password, command}),
             talk("a daemon that waits for answers before the login",
                  {"\xff\xfd\x18\xff\xfd\x20", "\xff\xfd\x18", "login: ", "Password: ", "[~]$ ",
                   "[~]$ "},
                  Reloaded, {"\xff\xfc\x18\xff\xfc\x20", user, password, command}),
             talk("no login prompt", {"Orvix 2.6\r\n"}, TimedOut, {}),
             talk("a shell that never prompts", {"login: ", "Password: ", "\r\n"}, TimedOut,
                  {user, password}),
             talk("no prompt after the command", {"login: ", "Password: ", "[~]$ "}, TimedOut,
                  {user, password, command}),
             talk("closed after the user name", {"login: "}, Closed, {user}),
             talk("test login sends no command", {"login: ", "Password: ", "[~]$ "}, LoggedIn,
                  {user, password}, TelnetGoal::TestLogin),
             talk("test connection sends nothing", {"login: "}, Connected, {},
                  TelnetGoal::TestConnection),
         }) {
        SCOPED_TRACE(c.name);
        ScriptedStream stream(c.chunks, c.result == Closed); // the one case that closes
        const TelnetOutcome outcome = run(c.goal, stream);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.ftpLoginFailed, c.goal == TelnetGoal::TestLogin);
        EXPECT_EQ(stream.sent, c.sent);
        EXPECT_EQ(outcome.commandSent, !c.sent.empty() && c.sent.back() == command);
    }
}

// Each message is pinned whole, so none can hold the password.
TEST_F(TelnetTest, MessagesNameAddressAndPortButNeverThePassword) {
    profile.password = "hunter22";
    ScriptedStream refused;
    refused.refuse = "Connection refused";
    run(TelnetGoal::TestConnection, refused);
    EXPECT_EQ(told(), (Notice{"Failure",
                              "Could not open connection to the host - IP address 127.0.0.1 "
                              "(port23)\r\n\r\nConnection refused",
                              NoticeIcon::Critical}));
    ScriptedStream wrong({"login: ", "Password: ", "Login incorrect\r\n"});
    run(TelnetGoal::TestLogin, wrong);
    const std::string ftpPort = std::to_string(noFtp.port());
    EXPECT_EQ(told(), (Notice{"Failure",
                              "Login incorrect - Username : root / Password : ********\r\n\r\n"
                              "Telnet login (Telnet Port 23, used by Restart and after Send): "
                              "failed, as said above.\r\nFTP login (FTP Port " +
                                  ftpPort +
                                  ", used by Receive and Send): Unknown Error: No connection "
                                  "Established (127.0.0.1 port " +
                                  ftpPort + " refused the connection).",
                              NoticeIcon::Critical}));
    ScriptedStream fine({"login: "});
    run(TelnetGoal::TestConnection, fine);
    EXPECT_EQ(told(), (Notice{"Information",
                              "Successfully connected to the Orvix on IP address 127.0.0.1 "
                              "(port23)\r\n\r\n",
                              NoticeIcon::Information}));
    ScriptedStream silent({"login: ", "Password: ", "[~]$"});
    run(TelnetGoal::Reload, silent);
    EXPECT_EQ(told().text, "The reload command was sent, but the Orvix did not show \"[~]$\" "
                           "again within 0.05 s.");
}

// A profile problem is refused before connecting: a port outside the range is not wrapped.
TEST_F(TelnetTest, EmptyPromptBadPortAndCancelSendNothing) {
    profile.prompt.clear();
    ScriptedStream stream({"login: "});
    EXPECT_FALSE(run(TelnetGoal::Reload, stream).ok());
    EXPECT_EQ(told().text, "Command promt must not be empty !!!");
    profile.prompt = "[~]$";
    profile.telnetPort = 99999;
    EXPECT_FALSE(run(TelnetGoal::TestConnection, stream).ok());
    EXPECT_EQ(told().text, "Telnet Port: 99999 is not a port number (1 to 65535) !!!");
    EXPECT_THAT(stream.sent, IsEmpty());

    profile.telnetPort = 23;
    cancel.cancel();
    ScriptedStream cancelled({"login: "});
    EXPECT_EQ(run(TelnetGoal::Reload, cancelled).result, TelnetResult::Cancelled);
    EXPECT_THAT(cancelled.sent, IsEmpty());
    EXPECT_THAT(prompter.told, IsEmpty()) << "a cancel needs no message";
}

TEST_F(TelnetTest, TranscriptPaneIsFedAndMatchingIgnoresItsClearing) {
    ScriptedStream stream(
        {std::string(Transcript::limit + 10, 'x') + "log", "in:", "Password:", "[~]$", "[~]$"});
    ASSERT_TRUE(run(TelnetGoal::Reload, stream).ok());
    EXPECT_EQ(progress.transcriptText, "in:\r\nPassword:\r\n[~]$\r\n[~]$\r\n")
        << "cleared at the chunk after the long one, which still completed \"login:\"";
}

TEST(TelnetOptions, EveryRequestIsRefusedOnceAndNoCommandReachesTheData) {
    using Case = std::tuple<std::string, std::vector<std::string>, std::string, std::string>;
    for (const auto& [name, chunks, data, answer] : {
             Case{"DO and WILL", {"\xff\xfd\x18\xff\xfb\x01"}, "", "\xff\xfc\x18\xff\xfe\x01"},
             Case{"once per option",
                  {"\xff\xfd\x27", "\xff\xfd\x27\xff\xfb\x27"},
                  "",
                  "\xff\xfc\x27\xff\xfe\x27"},
             Case{"DONT and WONT need no answer", {"\xff\xfe\x01\xff\xfc\x03"}, "", ""},
             Case{"split over chunks", {"log\xff", "\xfd", "\x23in:"}, "login:", "\xff\xfc\x23"},
             Case{"sub-negotiation dropped", {"a\xff\xfa\x18\x01\xff", "\xf0", "b"}, "ab", ""},
             Case{"doubled 255 is data, other commands go", {"x\xff\xff\xff\xf1y"}, "x\xffy", ""},
         }) {
        TelnetOptions options;
        TelnetOptions::Split all;
        for (const auto& chunk : chunks) {
            const auto split = options.feed(chunk);
            all.data += split.data;
            all.answer += split.answer;
        }
        EXPECT_EQ((std::pair{all.data, all.answer}), (std::pair{data, answer})) << name;
    }
}

TEST(Transcript, KeepsPrintableCodesAndEndsEveryChunk) {
    using Case = std::tuple<std::string, std::string>;
    for (const auto& [chunk, text] : {
             Case{"login: ", "login: \r\n"},
             Case{"\xff\xfb\x01x\x1b[0m\t", "x[0m\r\n"},
             Case{std::string("\x20\x7f\xe5\xe6\xff"), std::string("\x20\x7f\xe5\r\n")},
             Case{"", "\r\n"},
         }) {
        Transcript t;
        const TranscriptChange change = t.append(chunk);
        EXPECT_EQ(change.added, text);
        EXPECT_FALSE(change.cleared);
        EXPECT_EQ(t.text(), text);
    }
}

} // namespace
} // namespace tavrino
