#pragma once

#include "common/notice.h"
#include "database/antenna_file.h"
#include "satellites/form_planner.h"

#include <cstdint>
#include <string>

namespace tavrino {

// Captions of the antenna controls; the three switch lists have none on screen, so refusals
// name them by what they choose.
namespace antenna_captions {
inline constexpr const char* netIndex = "net index :";
inline constexpr const char* nitSearch = "nit search:";
inline constexpr const char* tunerSelect = "tsel:";
inline constexpr const char* lnbType = "LNB type :";
inline constexpr const char* lnbFrequency = "LNB freq.:";
inline constexpr const char* power = "Power :";
inline constexpr const char* tone22k = "22kHz :";
inline constexpr const char* switch12v = "0/12V Switch :";
inline constexpr const char* diseqc = "DiSEqC :";
inline constexpr const char* committed = "committed switch";
inline constexpr const char* uncommitted = "uncommitted switch";
inline constexpr const char* order = "switch order";
inline constexpr const char* motor = "Motor Setting :";
inline constexpr const char* motorPosition = "DiSEqC 1.2 P :";
} // namespace antenna_captions

// Positions in the option lists (options::lnbTypes() and so on) that have a meaning of their own.
inline constexpr int userDefinedLnb = 8;    // "USER DEF."
inline constexpr int combinationEntry = 32; // "Combination"
inline constexpr int diseqc12Motor = 1;     // "DiSEqC 1.2"

// The antenna controls of the satellite editor: texts of the boxes, positions in the lists.
// A position of -1 means the list has no entry for the stored value; the stored bytes then stay
// unless the user picks an entry. The defaults are what the editor shows with nothing loaded.
struct AntennaForm {
    std::string netIndex = "0";
    int nitSearch = 0;
    std::string tunerSelect = "0";
    int lnbType = 0;
    std::string lnbFrequency = "0";
    int power = 0;
    int tone22k = 0;
    int switch12v = 0;
    int diseqc = 0;
    int committed = 0;   // shown only while diseqc is "Combination"
    int uncommitted = 0; // shown only while diseqc is "Combination"
    int order = 0;       // shown only while diseqc is "Combination"
    int motor = 0;
    std::string motorPosition = "0";

    bool operator==(const AntennaForm&) const = default;
};

AntennaForm antennaForm(const AntennaRecord& record);

// Which controls apply for the choices the form holds.
struct AntennaControls {
    bool lnbFrequencyEnabled = false;  // only for "USER DEF."
    bool motorPositionEnabled = false; // only for "DiSEqC 1.2"
    bool switchesVisible = false;      // the committed, uncommitted and order lists
};
AntennaControls antennaControls(const AntennaForm& form);

// The user picks a motor setting: any other than "DiSEqC 1.2" sets the position box to 0.
void chooseMotor(AntennaForm& form, int motor);

// The fields an update writes: only those whose control changed, never "net index :".
RecordPlan planAntennaUpdate(const AntennaForm& opened, const AntennaForm& edited);
// Every field of a new record.
RecordPlan planNewAntenna(const AntennaForm& form);

} // namespace tavrino
