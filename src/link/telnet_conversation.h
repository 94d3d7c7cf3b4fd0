#pragma once

#include "link/profiles.h"

#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

enum class TelnetGoal {
    TestConnection, // connect only
    TestLogin,      // connect and log in, send no command
    Reload,         // log in and send the reload command
};

enum class TelnetResult {
    Pending,
    Connected,
    LoggedIn,
    Reloaded,
    ConnectFailed,
    LoginIncorrect,
    TimedOut,
    Closed,
    Cancelled,
};

inline constexpr const char* reloadCommand = "vfd_display -td210 REBOOT";

// The conversation with the receiver's shell, kept apart from any socket: it is told what
// happened (connected, bytes received, a wait ran out) and answers with what to send. It
// matches on the bytes as they arrive, so a text split over two chunks is still found.
class TelnetConversation {
public:
    enum class Phase {
        Connecting,
        AwaitLogin,            // "login:"
        AwaitPasswordOrPrompt, // after the user name
        AwaitPrompt,           // after the password
        AwaitFinalPrompt,      // after the reload command
        Finished,
    };

    struct Reaction {
        std::vector<std::string> steps; // status texts, shown before `send` goes out
        std::string send;
    };

    TelnetConversation(TelnetGoal goal, const ConnectionProfile& profile);

    Reaction connected();
    Reaction received(std::string_view bytes);
    void connectFailed() { finish(TelnetResult::ConnectFailed); }
    void timedOut() { finish(TelnetResult::TimedOut); }
    void closed() { finish(TelnetResult::Closed); }
    void cancelled() { finish(TelnetResult::Cancelled); }

    Phase phase() const { return phase_; }
    TelnetResult result() const { return result_; }
    bool commandSent() const { return commandSent_; }
    // The text the conversation waited for when it ended (or waits for now).
    std::string awaited() const;

private:
    void advance(Reaction& reaction);
    bool take(std::string_view needle); // consumes up to the end of the needle when present
    void loggedIn(Reaction& reaction);
    void finish(TelnetResult result);
    void watchForRefusal(std::string_view bytes);

    TelnetGoal goal_;
    std::string user_;
    std::string password_;
    std::string prompt_;
    Phase phase_ = Phase::Connecting;
    Phase endedIn_ = Phase::Connecting;
    TelnetResult result_ = TelnetResult::Pending;
    bool commandSent_ = false;
    std::string pending_;      // bytes received since the current wait began
    std::string refusalTail_;  // the last bytes seen, for "Login incorrect" across chunks
    bool refusalSeen_ = false; // "Login incorrect" anywhere since the connection opened
};

} // namespace tavrino
