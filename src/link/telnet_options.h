#pragma once

#include <bitset>
#include <string>
#include <string_view>

namespace tavrino {

// The telnet commands inside what the receiver sends. A minimal client refuses every option:
// DO is answered WONT and WILL is answered DONT, once per option, so a daemon that waits for
// answers before it shows "login:" goes on. Sub-negotiations and other commands are dropped;
// a doubled 255 is one data byte. Commands split over chunks are put together.
class TelnetOptions {
public:
    struct Split {
        std::string data;   // what the shell said, without commands
        std::string answer; // to send back at once
    };

    Split feed(std::string_view bytes);

private:
    enum class State { Data, Command, Option, SubNegotiation, SubCommand };

    void answer(unsigned char verb, unsigned char option, std::string& out);

    State state_ = State::Data;
    unsigned char verb_ = 0;
    std::bitset<256> refusedDo_;   // options already answered WONT
    std::bitset<256> refusedWill_; // options already answered DONT
};

} // namespace tavrino
