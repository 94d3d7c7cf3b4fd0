#pragma once

#include "workspace/workspace.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavrino {

// One row of a bouquet's contents: the stored reference plus the texts shown for it.
struct BouquetItem {
    std::string name;       // UTF-8; "IME" when no service has this link value and SID
    std::string satellite;  // UTF-8 name from the satellite-name table
    bool altSystem = false; // satellite is "DVB-Cable" or "DVB-Terrestrial": tuner B
    std::uint16_t type = 0; // the two mark bytes read together
    std::uint16_t position = 0;
    std::uint16_t reserved = 0;
    std::uint16_t satIndex = 0;
    std::int32_t frequency = 0;
    std::uint16_t polarization = 0;
    std::uint16_t sid = 0;
    std::uint16_t nid = 0;
    std::uint16_t tid = 0;
    std::int32_t link = 0;

    std::string tuner() const { return altSystem ? "B" : "A"; }
};

inline constexpr const char* unknownServiceName = "IME";

// Items of bouquet record b, slot 0 upward, ending at the first slot whose position is 0.
std::vector<BouquetItem> readBouquetItems(const Workspace& workspace, int record);
// The same with the stored fields only: no name, satellite or tuner looked up.
std::vector<BouquetItem> readStoredItems(const Workspace& workspace, int record);

// Writes an item into slot `slot` of a 4800-byte item table with this position, as the
// contents write does: bytes +3, +5 and +13 keep what the slot held.
void encodeItem(Bytes& table, std::size_t slot, const BouquetItem& item, std::size_t position);

// Fills name, satellite and tuner of an item from its stored fields.
void describeItem(const Workspace& workspace, BouquetItem& item);

} // namespace tavrino
