#pragma once

#include "common/notice.h"
#include "workspace/workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace tavrino {

namespace transponder_captions {
inline constexpr const char* frequency = "Freq :";
inline constexpr const char* nid = "NID :";
inline constexpr const char* tid = "TID :";
inline constexpr const char* symbolRate = "SR :";
inline constexpr const char* fec = "FEC :";
inline constexpr const char* polarization = "Pol. :";
inline constexpr const char* weFlag = "we flag :";
inline constexpr const char* pilot = "Pilot :";
inline constexpr const char* position = "Position :";
inline constexpr const char* modulationSystem = "Mod.Sys. :";
inline constexpr const char* modulationType = "Mod.Type :";
inline constexpr const char* add = "Add TP";
inline constexpr const char* update = "Update TP";
inline constexpr const char* remove = "Del TP";
} // namespace transponder_captions

inline constexpr const char* maxTranspondersMessage = "MAX Transponders (65535) !!!";

// The transponder editor's controls: texts of the boxes, positions in the option lists
// (options::fecRates() and so on; -1 when the stored value has no entry). The defaults are
// what the editor shows with no transponder selected.
struct TransponderForm {
    std::string frequency = "0";
    std::string nid = "0";
    std::string tid = "0";
    std::string symbolRate = "0";
    int fec = 0;
    int polarization = 0;
    std::string weFlag = "0";
    int pilot = 0;
    std::string position = "0.0"; // shown only: entries take their satellite's position
    int eastWest = 0;             // shown only
    int modulationSystem = 0;
    int modulationType = 0;

    bool operator==(const TransponderForm&) const = default;
};

// The transponder list of a satellite: one frequency per line.
std::vector<std::string> transponderLines(const Workspace& workspace, int satellite);
TransponderForm transponderForm(const Workspace& workspace, int satellite, int transponder);

struct TransponderChange {
    bool written = false;
    std::optional<FieldRefusal> refusal; // nothing written
    std::optional<int> select;           // transponder list row to select afterwards
};

// "Add TP": a new last entry of the satellite from every field of the form.
TransponderChange addTransponder(Workspace& workspace, int satellite, const TransponderForm& form);
// "Update TP": writes what differs between the form as edited and as it was filled; an entry
// that changes also gets the fixed bytes of a new entry and its satellite's stored position.
TransponderChange updateTransponder(Workspace& workspace, int satellite, int transponder,
                                    const TransponderForm& opened, const TransponderForm& edited);
// "Del TP": selects the same row afterwards, or the new last one.
TransponderChange deleteTransponder(Workspace& workspace, int satellite, int transponder);

} // namespace tavrino
