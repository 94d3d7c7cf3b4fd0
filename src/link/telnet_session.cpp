#include "link/telnet_session.h"

#include "link/link_messages.h"
#include "link/telnet_options.h"
#include "link/transcript.h"
#include "link/transfer.h"

#include <chrono>

namespace tavrino {

namespace {

using Clock = std::chrono::steady_clock;
constexpr Milliseconds slice{100}; // how often a wait looks at the cancel token

class Driver {
public:
    Driver(TelnetGoal goal, const LinkContext& ctx, ByteStream& stream)
        : ctx_(ctx), stream_(stream), conversation_(goal, ctx.profile) {}

    TelnetOutcome run() {
        ctx_.progress.transcript(transcript_.clear());
        ctx_.progress.step(linktext::connecting);
        const auto& p = ctx_.profile;
        if (auto why =
                stream_.connect(p.address, p.telnetPort, ctx_.timeouts.connect, ctx_.cancel)) {
            ctx_.cancel.cancelled() ? conversation_.cancelled() : conversation_.connectFailed();
            return outcome(*why);
        }
        apply(conversation_.connected());
        waitUntilFinished();
        stream_.close();
        return outcome({});
    }

private:
    Milliseconds limitOf(TelnetConversation::Phase phase) const {
        return phase == TelnetConversation::Phase::AwaitFinalPrompt ? ctx_.timeouts.prompt
                                                                    : ctx_.timeouts.reply;
    }

    void waitUntilFinished() {
        auto phase = conversation_.phase();
        auto deadline = Clock::now() + limitOf(phase);
        std::string chunk;
        while (conversation_.phase() != TelnetConversation::Phase::Finished) {
            if (conversation_.phase() != phase) {
                phase = conversation_.phase();
                deadline = Clock::now() + limitOf(phase);
            }
            const auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now());
            if (ctx_.cancel.cancelled()) {
                conversation_.cancelled();
            } else if (left.count() <= 0) {
                limit_ = limitOf(phase);
                conversation_.timedOut();
            } else {
                switch (stream_.receive(chunk, std::min(left, slice))) {
                case ByteStream::Read::Data:
                    take(chunk);
                    break;
                case ByteStream::Read::Closed:
                    conversation_.closed();
                    break;
                case ByteStream::Read::Idle:
                    break;
                }
            }
        }
    }

    // Option requests are answered at once; only what the shell said reaches the pane.
    void take(const std::string& chunk) {
        const TelnetOptions::Split split = options_.feed(chunk);
        if (!split.answer.empty() && !stream_.send(split.answer)) {
            conversation_.closed();
            return;
        }
        if (!split.data.empty()) {
            ctx_.progress.transcript(transcript_.append(split.data));
            apply(conversation_.received(split.data));
        }
    }

    void apply(const TelnetConversation::Reaction& reaction) {
        for (const auto& step : reaction.steps) {
            ctx_.progress.step(step);
        }
        if (!reaction.send.empty() && !stream_.send(reaction.send)) {
            conversation_.closed();
        }
    }

    TelnetOutcome outcome(const std::string& why) const {
        TelnetOutcome out{conversation_.result(), conversation_.commandSent(), std::nullopt};
        const auto& p = ctx_.profile;
        const bool sent = out.commandSent;
        switch (out.result) {
        case TelnetResult::Connected:
        case TelnetResult::LoggedIn:
            out.notice = connectedNotice(p);
            break;
        case TelnetResult::ConnectFailed:
            out.notice = couldNotConnectNotice(p, why);
            break;
        case TelnetResult::LoginIncorrect:
            out.notice = loginIncorrectNotice(p);
            break;
        case TelnetResult::TimedOut:
            out.notice = telnetTimeoutNotice(conversation_.awaited(), limit_, sent);
            break;
        case TelnetResult::Closed:
            out.notice = telnetClosedNotice(conversation_.awaited(), sent);
            break;
        case TelnetResult::Pending:
        case TelnetResult::Reloaded:
        case TelnetResult::Cancelled:
            break;
        }
        return out;
    }

    const LinkContext& ctx_;
    ByteStream& stream_;
    TelnetConversation conversation_;
    TelnetOptions options_;
    Transcript transcript_;
    Milliseconds limit_{0};
};

} // namespace

TelnetOutcome converse(TelnetGoal goal, const LinkContext& ctx, ByteStream& stream) {
    if (auto problem = profileProblem(ctx.profile)) {
        return {TelnetResult::Pending, false, problem};
    }
    TelnetOutcome outcome = Driver(goal, ctx, stream).run();
    if (goal != TelnetGoal::TestLogin || outcome.result == TelnetResult::Cancelled ||
        !outcome.notice) {
        return outcome;
    }
    ctx.progress.step(linktext::connecting);
    const TransferStatus ftp = ftpCommands({}, ctx);
    if (ftp.result == TransferStatus::Result::Cancelled) {
        outcome.result = TelnetResult::Cancelled;
        outcome.notice.reset();
        return outcome;
    }
    const bool telnetOk = outcome.ok();
    outcome.ftpLoginFailed = !ftp.done();
    outcome.notice =
        loginTestNotice(ctx.profile, *outcome.notice, telnetOk,
                        ftp.done() ? std::string() : transferReason(ftp, linktext::receiverFolder));
    return outcome;
}

TelnetOutcome runTelnet(TelnetGoal goal, const LinkContext& ctx, ByteStream* stream) {
    TcpStream tcp;
    TelnetOutcome out = converse(goal, ctx, stream != nullptr ? *stream : tcp);
    if (out.notice && !(goal == TelnetGoal::Reload && out.ok())) {
        ctx.prompter.tell(*out.notice);
    }
    return out;
}

} // namespace tavrino
