#include "link/link_messages.h"
#include "link/telnet_options.h"
#include "link/telnet_session.h"
#include "link/transcript.h"
#include "link_fixture.h"

#include <deque>

namespace tavrino {
namespace {
using test::RecordingProgress;
using test::RecordingPrompter;

// The receiver's side as a script: chunks arrive one per read, then silence (or a close).
class ScriptedStream : public ByteStream {
public:
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
    std::optional<std::string> refuse;
    bool closeAtEnd = false;
    std::vector<std::string> sent;
};

const std::string iac = "\xff\xfb\x01\xff\xfb\x03";
const std::string refusals = "\xff\xfe\x01\xff\xfe\x03"; // DONT ECHO, DONT SGA
const std::string user = "root\n";
const std::string password = "kelvo\n";
const std::string command = "vfd_display -td210 REBOOT\r\n";

struct Conversation {
    std::string name;
    TelnetGoal goal;
    std::deque<std::string> chunks;
    TelnetResult result;
    std::vector<std::string> sent;
    bool closeAtEnd = false;
};

class TelnetTest : public testing::Test {
protected:
    TelnetTest() {
        timeouts.reply = timeouts.prompt = timeouts.connect = Milliseconds{50};
        // A login test tries the FTP login too: here it finds a port that refuses.
        profile.address = "127.0.0.1";
        profile.ftpPort = noFtp.port();
    }

    TelnetOutcome run(TelnetGoal goal, ScriptedStream& stream) {
        return runTelnet(goal, {profile, timeouts, {}, progress, prompter, cancel}, &stream);
    }

    test::LoopbackSocket noFtp{false};
    ConnectionProfile profile = defaultProfile();
    LinkTimeouts timeouts;
    RecordingProgress progress;
    RecordingPrompter prompter;
    CancelToken cancel;
};

TEST_F(TelnetTest, EveryBranchOfTheConversation) {
    using R = TelnetResult;
    const auto reload = TelnetGoal::Reload;
    const std::vector<Conversation> cases = {
        {"full reload",
         reload,
         {iac + "\r\nOrvix login: ", "root\r\nPassword: ", "\r\n[~]$ ", "REBOOT\r\n[~]$ "},
         R::Reloaded,
         {refusals, user, password, command}},
        {"no password asked",
         reload,
         {"login: ", "root\r\n[~]$ ", "[~]$ "},
         R::Reloaded,
         {user, command}},
        {"wrong password",
         reload,
         {"login: ", "Password: ", "\r\nLogin incorrect\r\nlogin: "},
         R::LoginIncorrect,
         {user, password}},
        {"refusal already in the transcript",
         reload,
         {"Login incorrect\r\nlogin: ", "Password: ", "[~]$ "},
         R::LoginIncorrect,
         {user, password}},
        {"unknown user, no password asked",
         reload,
         {"login: ", "Login incorrect\r\nlogin: "},
         R::LoginIncorrect,
         {user}},
        {"texts split over chunks",
         reload,
         {"log", "in:", " Pass", "word", ": ", "[~", "]$", "[", "~]$"},
         R::Reloaded,
         {user, password, command}},
        {"negotiation bytes inside a prompt",
         reload,
         {"\xff\xfd\x18login:", "\xff\xfb\x01Password:", "[~]$", "[~]$"},
         R::Reloaded,
         {"\xff\xfc\x18", user, "\xff\xfe\x01", password, command}},
        {"a daemon that waits for answers before the login",
         reload,
         {"\xff\xfd\x18\xff\xfd\x20", "\xff\xfd\x18", "login: ", "Password: ", "[~]$ ", "[~]$ "},
         R::Reloaded,
         {"\xff\xfc\x18\xff\xfc\x20", user, password, command}},
        {"no login prompt", reload, {"Orvix 2.6\r\n"}, R::TimedOut, {}},
        {"a shell that never prompts",
         reload,
         {"login: ", "Password: ", "\r\n"},
         R::TimedOut,
         {user, password}},
        {"no prompt after the command",
         reload,
         {"login: ", "Password: ", "[~]$ "},
         R::TimedOut,
         {user, password, command}},
        {"closed after the user name", reload, {"login: "}, R::Closed, {user}, true},
        {"test login sends no command",
         TelnetGoal::TestLogin,
         {"login: ", "Password: ", "[~]$ "},
         R::LoggedIn,
         {user, password}},
        {"test connection sends nothing",
         TelnetGoal::TestConnection,
         {"login: "},
         R::Connected,
         {}},
    };
    for (const auto& c : cases) {
        ScriptedStream stream;
        stream.chunks = c.chunks;
        stream.closeAtEnd = c.closeAtEnd;
        const TelnetOutcome outcome = run(c.goal, stream);
        EXPECT_EQ(outcome.result, c.result) << c.name;
        EXPECT_EQ(outcome.ftpLoginFailed, c.goal == TelnetGoal::TestLogin) << c.name;
        EXPECT_EQ(stream.sent, c.sent) << c.name;
        EXPECT_EQ(outcome.commandSent, !c.sent.empty() && c.sent.back() == command) << c.name;
    }
}

TEST_F(TelnetTest, MessagesNameAddressAndPortButNeverThePassword) {
    profile.password = "hunter22";
    ScriptedStream refused;
    refused.refuse = "Connection refused";
    run(TelnetGoal::TestConnection, refused);
    ScriptedStream wrong;
    wrong.chunks = {"login: ", "Password: ", "Login incorrect\r\n"};
    run(TelnetGoal::TestLogin, wrong);
    ScriptedStream fine;
    fine.chunks = {"login: "};
    run(TelnetGoal::TestConnection, fine);
    ScriptedStream silent;
    silent.chunks = {"login: ", "Password: ", "[~]$"};
    run(TelnetGoal::Reload, silent);
    ASSERT_EQ(prompter.told.size(), 4u);
    EXPECT_EQ(prompter.told[0],
              (Notice{"Failure",
                      "Could not open connection to the host - IP address 127.0.0.1 (port23)"
                      "\r\n\r\nConnection refused",
                      NoticeIcon::Critical}));
    const std::string ftpPort = std::to_string(noFtp.port());
    EXPECT_EQ(prompter.told[1],
              (Notice{"Failure",
                      "Login incorrect - Username : root / Password : ********\r\n\r\n"
                      "Telnet login (Telnet Port 23, used by Restart and after Send): failed, as "
                      "said above.\r\nFTP login (FTP Port " +
                          ftpPort +
                          ", used by Receive and Send): Unknown Error: No connection "
                          "Established (127.0.0.1 port " +
                          ftpPort + " refused the connection).",
                      NoticeIcon::Critical}));
    EXPECT_EQ(prompter.told[2],
              (Notice{"Information",
                      "Successfully connected to the Orvix on IP address 127.0.0.1 (port23)"
                      "\r\n\r\n",
                      NoticeIcon::Information}));
    EXPECT_EQ(prompter.told[3].text, "The reload command was sent, but the Orvix did not show "
                                     "\"[~]$\" again within 0.05 s.");
    for (const auto& notice : prompter.told) {
        EXPECT_EQ(notice.text.find("hunter22"), std::string::npos);
    }
}

TEST_F(TelnetTest, APortOutsideTheRangeIsRefusedNotWrapped) {
    test::LoopbackSocket wrapped(true, 99999 % 65536);
    profile.telnetPort = 99999;
    const TelnetOutcome outcome =
        runTelnet(TelnetGoal::TestConnection, {profile, timeouts, {}, progress, prompter, cancel});
    EXPECT_FALSE(outcome.ok());
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "Telnet Port: 99999 is not a port number (1 to 65535) !!!");
    if (wrapped.bound()) {
        EXPECT_FALSE(wrapped.connectedTo()) << "99999 modulo 65536";
    }
}

TEST_F(TelnetTest, EmptyPromptAndCancelSendNothing) {
    profile.prompt.clear();
    ScriptedStream stream;
    stream.chunks = {"login: "};
    EXPECT_FALSE(run(TelnetGoal::Reload, stream).ok());
    EXPECT_TRUE(stream.sent.empty());
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "Command promt must not be empty !!!");

    profile.prompt = "[~]$";
    cancel.cancel();
    ScriptedStream cancelled;
    cancelled.chunks = {"login: "};
    EXPECT_EQ(run(TelnetGoal::Reload, cancelled).result, TelnetResult::Cancelled);
    EXPECT_TRUE(cancelled.sent.empty());
    EXPECT_EQ(prompter.told.size(), 1u) << "a cancel needs no message";
}

TEST_F(TelnetTest, TranscriptPaneIsFedAndMatchingIgnoresItsClearing) {
    ScriptedStream stream;
    stream.chunks = {std::string(Transcript::limit + 10, 'x') + "log", "in:", "Password:", "[~]$",
                     "[~]$"};
    ASSERT_TRUE(run(TelnetGoal::Reload, stream).ok());
    EXPECT_EQ(progress.transcriptText, "in:\r\nPassword:\r\n[~]$\r\n[~]$\r\n")
        << "cleared at the chunk after the long one, which still completed \"login:\"";
}

TEST(TelnetOptions, EveryRequestIsRefusedOnceAndNoCommandReachesTheData) {
    struct Case {
        std::string name;
        std::vector<std::string> chunks;
        std::string data;
        std::string answer;
    };
    for (const Case& c : {
             Case{"DO and WILL", {"\xff\xfd\x18\xff\xfb\x01"}, "", "\xff\xfc\x18\xff\xfe\x01"},
             Case{"once per option",
                  {"\xff\xfd\x27", "\xff\xfd\x27\xff\xfb\x27"},
                  "",
                  "\xff\xfc\x27\xff\xfe\x27"},
             Case{"DONT and WONT need no answer", {"\xff\xfe\x01\xff\xfc\x03"}, "", ""},
             Case{"split over chunks", {"log\xff", "\xfd", "\x23in:"}, "login:", "\xff\xfc\x23"},
             Case{"sub-negotiation dropped",
                  {"a\xff\xfa\x18\x01\xff", "\xf0"
                                            "b"},
                  "ab",
                  ""},
             Case{"doubled 255 is data, other commands go", {"x\xff\xff\xff\xf1y"}, "x\xffy", ""},
         }) {
        TelnetOptions options;
        TelnetOptions::Split all;
        for (const auto& chunk : c.chunks) {
            const auto split = options.feed(chunk);
            all.data += split.data;
            all.answer += split.answer;
        }
        EXPECT_EQ(all.data, c.data) << c.name;
        EXPECT_EQ(all.answer, c.answer) << c.name;
    }
}

TEST(Transcript, KeepsPrintableCodesAndEndsEveryChunk) {
    struct Case {
        std::string chunk;
        std::string text;
    };
    for (const Case& c : {
             Case{"login: ", "login: \r\n"},
             Case{"a\r\nb\r\n", "a\r\nb\r\n\r\n"},
             Case{"\xff\xfb\x01x\x1b[0m\t", "x[0m\r\n"},
             Case{std::string("\x20\x7f\xe5\xe6\xff"), std::string("\x20\x7f\xe5\r\n")},
             Case{"", "\r\n"},
         }) {
        Transcript t;
        const TranscriptChange change = t.append(c.chunk);
        EXPECT_EQ(change.added, c.text);
        EXPECT_FALSE(change.cleared);
        EXPECT_EQ(t.text(), c.text);
    }
}

TEST(Transcript, ClearsOnlyWhenAChunkArrivesAtTheLimit) {
    Transcript t;
    t.append(std::string(Transcript::limit - 10, 'a'));
    const TranscriptChange over = t.append(std::string(100, 'b'));
    EXPECT_FALSE(over.cleared) << "a chunk past the allowance is appended whole";
    EXPECT_EQ(t.text().size(), Transcript::limit - 10 + 2 + 100 + 2);
    const TranscriptChange next = t.append("c");
    EXPECT_TRUE(next.cleared);
    EXPECT_EQ(t.text(), "c\r\n");
}

} // namespace
} // namespace tavrino
