#pragma once

#include "link/byte_stream.h"
#include "link/link_context.h"
#include "link/telnet_conversation.h"

#include <optional>

namespace tavrino {

struct TelnetOutcome {
    TelnetResult result = TelnetResult::Pending;
    bool commandSent = false;
    std::optional<Notice> notice; // a failure, or the success of a test; none when cancelled
    bool ftpLoginFailed = false;  // TestLogin: the FTP login was tried too and did not succeed

    bool ok() const {
        return !ftpLoginFailed &&
               (result == TelnetResult::Connected || result == TelnetResult::LoggedIn ||
                result == TelnetResult::Reloaded);
    }
};

// One telnet conversation with the active profile over `stream`: status texts and the
// transcript go to ctx.progress; every wait is bounded. Tells nothing itself. TestLogin
// then tries the FTP login (and /DISK2) too, as Receive and Send log in there, and its notice
// says which login worked.
TelnetOutcome converse(TelnetGoal goal, const LinkContext& ctx, ByteStream& stream);

// "Test IP Connection", "Test Username / Pass." and "Restart": a conversation over TCP (or
// `stream`) that tells its outcome through ctx.prompter; a reload that worked says nothing.
TelnetOutcome runTelnet(TelnetGoal goal, const LinkContext& ctx, ByteStream* stream = nullptr);

// The whole conversation with the reload command ("Restart").
inline TelnetOutcome reloadReceiver(const LinkContext& ctx) {
    return runTelnet(TelnetGoal::Reload, ctx);
}

} // namespace tavrino
