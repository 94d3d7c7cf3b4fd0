#include "link/telnet_conversation.h"

#include "link/link_messages.h"

#include <algorithm>

namespace tavrino {

namespace {

constexpr std::string_view loginText = "login:";
constexpr std::string_view passwordText = "Password:";
constexpr std::string_view refusalText = "Login incorrect";

} // namespace

TelnetConversation::TelnetConversation(TelnetGoal goal, const ConnectionProfile& profile)
    : goal_(goal), user_(profile.userName), password_(profile.password), prompt_(profile.prompt) {}

TelnetConversation::Reaction TelnetConversation::connected() {
    Reaction reaction;
    if (phase_ != Phase::Connecting) {
        return reaction;
    }
    if (goal_ == TelnetGoal::TestConnection) {
        finish(TelnetResult::Connected);
        return reaction;
    }
    phase_ = Phase::AwaitLogin;
    advance(reaction);
    return reaction;
}

TelnetConversation::Reaction TelnetConversation::received(std::string_view bytes) {
    Reaction reaction;
    if (phase_ == Phase::Finished) {
        return reaction;
    }
    watchForRefusal(bytes);
    pending_.append(bytes);
    advance(reaction);
    // Only a tail that could still begin a match is worth keeping.
    const std::size_t keep =
        std::max({loginText.size(), passwordText.size(), refusalText.size(), prompt_.size()});
    if (pending_.size() > keep) {
        pending_.erase(0, pending_.size() - keep);
    }
    return reaction;
}

void TelnetConversation::watchForRefusal(std::string_view bytes) {
    refusalTail_.append(bytes);
    if (refusalTail_.find(refusalText) != std::string::npos) {
        refusalSeen_ = true;
    }
    if (refusalTail_.size() >= refusalText.size()) {
        refusalTail_.erase(0, refusalTail_.size() - (refusalText.size() - 1));
    }
}

bool TelnetConversation::take(std::string_view needle) {
    const auto at = pending_.find(needle);
    if (at == std::string::npos) {
        return false;
    }
    pending_.erase(0, at + needle.size());
    return true;
}

void TelnetConversation::advance(Reaction& reaction) {
    for (;;) {
        switch (phase_) {
        case Phase::AwaitLogin:
            if (!take(loginText)) {
                return;
            }
            reaction.steps.emplace_back(linktext::login);
            reaction.send += user_ + "\n";
            phase_ = Phase::AwaitPasswordOrPrompt;
            break;
        case Phase::AwaitPasswordOrPrompt: {
            // Whichever comes first in the bytes decides.
            const auto password = pending_.find(passwordText);
            const auto prompt = pending_.find(prompt_);
            const auto refusal = pending_.find(refusalText);
            const auto first = std::min({password, prompt, refusal});
            if (first == std::string::npos) {
                return;
            }
            if (first == refusal) {
                finish(TelnetResult::LoginIncorrect);
                return;
            }
            if (first == password) {
                take(passwordText);
                reaction.send += password_ + "\n";
                phase_ = Phase::AwaitPrompt;
            } else {
                take(prompt_); // no password asked
                loggedIn(reaction);
            }
            break;
        }
        case Phase::AwaitPrompt:
            if (refusalSeen_) {
                finish(TelnetResult::LoginIncorrect);
                return;
            }
            if (!take(prompt_)) {
                return;
            }
            loggedIn(reaction);
            break;
        case Phase::AwaitFinalPrompt:
            if (!take(prompt_)) {
                return;
            }
            reaction.steps.emplace_back(linktext::success);
            finish(TelnetResult::Reloaded);
            return;
        case Phase::Connecting:
        case Phase::Finished:
            return;
        }
    }
}

void TelnetConversation::loggedIn(Reaction& reaction) {
    if (goal_ != TelnetGoal::Reload) {
        finish(TelnetResult::LoggedIn);
        return;
    }
    reaction.steps.emplace_back(linktext::reload);
    reaction.send += std::string(reloadCommand) + "\r\n";
    commandSent_ = true;
    phase_ = Phase::AwaitFinalPrompt;
}

void TelnetConversation::finish(TelnetResult result) {
    if (phase_ == Phase::Finished) {
        return;
    }
    endedIn_ = phase_;
    phase_ = Phase::Finished;
    result_ = result;
}

std::string TelnetConversation::awaited() const {
    switch (phase_ == Phase::Finished ? endedIn_ : phase_) {
    case Phase::AwaitLogin:
        return std::string(loginText);
    case Phase::AwaitPasswordOrPrompt:
        return std::string(passwordText) + "\" or \"" + prompt_;
    case Phase::AwaitPrompt:
    case Phase::AwaitFinalPrompt:
        return prompt_;
    case Phase::Connecting:
    case Phase::Finished:
        break;
    }
    return {};
}

} // namespace tavrino
