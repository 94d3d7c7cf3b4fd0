#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Option lists of the satellite and transponder editors, in list order.
namespace tavrino::options {

const std::vector<std::string>& lnbTypes();            // lnbType value = position + 1
const std::vector<std::string>& diseqcPorts();         // 33 entries, last is "Combination"
const std::vector<std::string>& motorModes();          // "OFF", "DiSEqC 1.2", "USALS"
const std::vector<std::string>& offOn();               // "Off", "On"
const std::vector<std::string>& switch12v();           // "0V", "12V"
const std::vector<std::string>& committedSwitches();   // "Switch A".."Switch D"
const std::vector<std::string>& uncommittedSwitches(); // "Switch 1".."Switch 16"
const std::vector<std::string>& combinationOrders();   // "Commit/Uncomm", "Uncomm/Commit"
const std::vector<std::string>& fecRates();
const std::vector<std::string>& polarizations();     // "H", "V"
const std::vector<std::string>& pilots();            // "0", "1"
const std::vector<std::string>& modulationSystems(); // "DVB-S", "DVB-S2"
const std::vector<std::string>& modulationTypes();   // stored value = position + 1
const std::vector<std::string>& eastWest();          // "E", "W"

// Lists of the service dialog whose entries stand for stored codes.
struct CodedEntry {
    std::string text;
    int code;
};
const std::vector<CodedEntry>& videoCodecs(); // "Unknown" 0 .. "VC1" 234
const std::vector<CodedEntry>& audioCodecs(); // "MPEG2" twice: codes 3 and 4
const std::vector<CodedEntry>& flagBoxes();   // "HD" 64 .. "Valid" 1; "SD" is the opposite of "HD"
inline constexpr const char* sdFlagBox = "SD";
const std::vector<std::string>& serviceTypes(); // "TV", "Radio"

// Position of the entry with this code, if the list has one (the first of equal codes).
std::optional<int> entryOfCode(const std::vector<CodedEntry>& list, int code);

// The entry for a stored value (entry 0 stands for `firstValue`), or the stored number itself
// when the value is outside the list.
std::string entryOrNumber(const std::vector<std::string>& list, long long stored,
                          long long firstValue = 0);

} // namespace tavrino::options
