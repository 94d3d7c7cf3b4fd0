#include "link/telnet_options.h"

namespace tavrino {

namespace {

constexpr unsigned char iac = 255;
constexpr unsigned char dont = 254;
constexpr unsigned char doVerb = 253;
constexpr unsigned char wont = 252;
constexpr unsigned char will = 251;
constexpr unsigned char sb = 250;
constexpr unsigned char se = 240;

} // namespace

TelnetOptions::Split TelnetOptions::feed(std::string_view bytes) {
    Split split;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (state_) {
        case State::Data:
            if (b == iac) {
                state_ = State::Command;
            } else {
                split.data += c;
            }
            break;
        case State::Command:
            if (b == iac) {
                split.data += c;
                state_ = State::Data;
            } else if (b >= will && b <= dont) {
                verb_ = b;
                state_ = State::Option;
            } else {
                state_ = b == sb ? State::SubNegotiation : State::Data;
            }
            break;
        case State::Option:
            answer(verb_, b, split.answer);
            state_ = State::Data;
            break;
        case State::SubNegotiation:
            if (b == iac) {
                state_ = State::SubCommand;
            }
            break;
        case State::SubCommand:
            state_ = b == se ? State::Data : State::SubNegotiation;
            break;
        }
    }
    return split;
}

// WONT and DONT need no answer: every option is off already.
void TelnetOptions::answer(unsigned char verb, unsigned char option, std::string& out) {
    auto& answered = verb == doVerb ? refusedDo_ : refusedWill_;
    if ((verb != doVerb && verb != will) || answered.test(option)) {
        return;
    }
    answered.set(option);
    out += static_cast<char>(iac);
    out += static_cast<char>(verb == doVerb ? wont : dont);
    out += static_cast<char>(option);
}

} // namespace tavrino
