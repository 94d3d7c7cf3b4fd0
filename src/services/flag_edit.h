#pragma once

#include "database/image_editor.h"
#include "services/service_table.h"

#include <cstdint>
#include <span>
#include <string>

namespace tavrino {

// The four flag commands of the service list's menu, and the bit each sets or clears.
enum class FlagCommand { Lock, Unlock, InsertHd, RemoveHd };
struct FlagBitChange {
    std::uint8_t bit;
    bool set;
};
FlagBitChange flagBitChange(FlagCommand command);

// Sets or clears one flag bit (FlagBit) of each given table row: one byte at record +184 is
// written, the high byte never, and bits 128 and up are kept. The rows follow at once.
void changeFlagBit(ImageEditor& channel, ServiceTable& table,
                   std::span<const std::uint32_t> tableRows, std::uint8_t bit, bool set);

// The name of a flag command over `count` services, as the undo entry shows it.
std::string flagCommandName(std::uint8_t bit, bool set, std::size_t count);

} // namespace tavrino
