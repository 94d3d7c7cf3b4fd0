#pragma once

#include <cstdint>
#include <optional>

namespace tavrino {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

// A profile's colour code as a colour. 0x00BBGGRR is a plain colour; 0x800000nn is system
// colour nn, taken from the classic Windows scheme. Unset, unknown and malformed codes are
// black, as the lists show them.
Rgb colorOfCode(std::optional<std::int32_t> code);

// The plain colour code 0x00BBGGRR.
std::int32_t codeOfColor(Rgb color);

} // namespace tavrino
