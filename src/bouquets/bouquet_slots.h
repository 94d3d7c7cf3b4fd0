#pragma once

#include "database/layout.h"

#include <string>

// Where bouquet b keeps its name record, item table and item count in the channel database.
namespace tavrino::bouquet_slots {

namespace ch = layout::channel;

inline std::size_t recordAt(int record) {
    return ch::bouquets + ch::nameRecordSize * static_cast<std::size_t>(record);
}

inline std::size_t tableAt(int record) {
    return ch::bouquetItems + ch::bouquetItemTableSize * static_cast<std::size_t>(record);
}

inline std::size_t itemCountAt(int record) {
    return ch::bouquetItemCounts + 2 * static_cast<std::size_t>(record);
}

// Items on these satellites are marked as cable or terrestrial and use tuner B.
inline bool isAltSystemName(const std::string& satelliteName) {
    return satelliteName == "DVB-Cable" || satelliteName == "DVB-Terrestrial";
}

// Questions before deleting or moving end with two line breaks.
inline constexpr const char* questionEnd = "\r\n\r\n";

} // namespace tavrino::bouquet_slots
