#include "services/flag_edit.h"

#include "database/layout.h"

namespace tavrino {

void changeFlagBit(ImageEditor& channel, ServiceTable& table,
                   std::span<const std::uint32_t> tableRows, std::uint8_t bit, bool set) {
    for (const std::uint32_t row : tableRows) {
        const DecodedService& record = table.row(row).record;
        const auto low = static_cast<std::uint8_t>(record.flags & 0xFF);
        const auto newLow = static_cast<std::uint8_t>(set ? (low | bit) : (low & ~bit));
        channel.writeNumber(record.offset + layout::channel::service::flags, 1, newLow);
        table.setFlags(row, static_cast<std::uint16_t>((record.flags & 0xFF00) | newLow));
    }
}

FlagBitChange flagBitChange(FlagCommand command) {
    switch (command) {
    case FlagCommand::Lock:
        return {flagLocked, true};
    case FlagCommand::Unlock:
        return {flagLocked, false};
    case FlagCommand::InsertHd:
        return {flagHd, true};
    case FlagCommand::RemoveHd:
        break;
    }
    return {flagHd, false};
}

std::string flagCommandName(std::uint8_t bit, bool set, std::size_t count) {
    const std::string services = std::to_string(count) + (count == 1 ? " Service" : " Services");
    if (bit == flagLocked) {
        return (set ? "LOCK " : "UnLOCK ") + services;
    }
    if (bit == flagHd) {
        return set ? "Insert HD Flag on " + services : "Remove HD Flag from " + services;
    }
    return "Change Flags of " + services;
}

} // namespace tavrino
