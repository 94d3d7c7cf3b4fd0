#include "database/option_texts.h"

namespace tavrino::options {

const std::vector<std::string>& lnbTypes() {
    static const std::vector<std::string> list = {
        "Universal", "Unicable",  "10000/10445", "OSC-DP", "DP-Twin 1", "DP-Twin 1",
        "DP-QUAD 1", "DP-QUAD 2", "USER DEF.",   "5150",   "9750",      "10000",
        "10600",     "10750",     "11250",       "11300",  "11475"};
    return list;
}

const std::vector<std::string>& diseqcPorts() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> l = {"OFF"};
        for (int i = 1; i <= 4; ++i) {
            l.push_back("1.0 - LNB " + std::to_string(i));
        }
        l.push_back("Mini - LNB 1");
        l.push_back("Mini - LNB 2");
        for (int i = 1; i <= 16; ++i) {
            l.push_back("1.1 - LNB " + std::to_string(i));
        }
        for (const char* s :
             {"SW21-DISH1", "SW21-DISH2", "SW42-DISH1", "SW42-DISH2", "SW44-DISH1", "SW44-DISH2",
              "SW64-DISH1", "SW64-DISH2", "SW64-DISH3", "Combination"}) {
            l.emplace_back(s);
        }
        return l;
    }();
    return list;
}

const std::vector<std::string>& motorModes() {
    static const std::vector<std::string> list = {"OFF", "DiSEqC 1.2", "USALS"};
    return list;
}

const std::vector<std::string>& offOn() {
    static const std::vector<std::string> list = {"Off", "On"};
    return list;
}

const std::vector<std::string>& switch12v() {
    static const std::vector<std::string> list = {"0V", "12V"};
    return list;
}

const std::vector<std::string>& committedSwitches() {
    static const std::vector<std::string> list = {"Switch A", "Switch B", "Switch C", "Switch D"};
    return list;
}

const std::vector<std::string>& uncommittedSwitches() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> l;
        for (int i = 1; i <= 16; ++i) {
            l.push_back("Switch " + std::to_string(i));
        }
        return l;
    }();
    return list;
}

const std::vector<std::string>& combinationOrders() {
    static const std::vector<std::string> list = {"Commit/Uncomm", "Uncomm/Commit"};
    return list;
}

const std::vector<std::string>& fecRates() {
    static const std::vector<std::string> list = {"Auto", "1/2", "2/3", "3/4", "5/6",
                                                  "7/8",  "8/9", "3/5", "4/5", "9/10"};
    return list;
}

const std::vector<std::string>& polarizations() {
    static const std::vector<std::string> list = {"H", "V"};
    return list;
}

const std::vector<std::string>& pilots() {
    static const std::vector<std::string> list = {"0", "1"};
    return list;
}

const std::vector<std::string>& modulationSystems() {
    static const std::vector<std::string> list = {"DVB-S", "DVB-S2"};
    return list;
}

const std::vector<std::string>& modulationTypes() {
    static const std::vector<std::string> list = {"QPSK", "8PSK"};
    return list;
}

const std::vector<std::string>& eastWest() {
    static const std::vector<std::string> list = {"E", "W"};
    return list;
}

const std::vector<CodedEntry>& videoCodecs() {
    static const std::vector<CodedEntry> list = {
        {"Unknown", 0}, {"MPEG2", 2}, {"MPEG4", 16}, {"h264", 27}, {"VC1", 234}};
    return list;
}

const std::vector<CodedEntry>& audioCodecs() {
    static const std::vector<CodedEntry> list = {{"Unknown", 0}, {"MPEG2", 3}, {"MPEG2", 4},
                                                 {"ADTS", 15},   {"PCM", 128}, {"AC3", 129},
                                                 {"DTS", 62},    {"MPEG4", 17}};
    return list;
}

const std::vector<CodedEntry>& flagBoxes() {
    static const std::vector<CodedEntry> list = {{"HD", 64},  {"DSMCC", 32},    {"AutoPid", 16},
                                                 {"SKIP", 8}, {"Scrambled", 4}, {"LOCK", 2},
                                                 {"Valid", 1}};
    return list;
}

const std::vector<std::string>& serviceTypes() {
    static const std::vector<std::string> list = {"TV", "Radio"};
    return list;
}

std::optional<int> entryOfCode(const std::vector<CodedEntry>& list, int code) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].code == code) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::string entryOrNumber(const std::vector<std::string>& list, long long stored,
                          long long firstValue) {
    const long long position = stored - firstValue;
    if (position >= 0 && static_cast<std::size_t>(position) < list.size()) {
        return list[static_cast<std::size_t>(position)];
    }
    return std::to_string(stored);
}

} // namespace tavrino::options
