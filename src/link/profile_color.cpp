#include "link/profile_color.h"

#include <array>

namespace tavrino {

namespace {

constexpr std::uint32_t systemFlag = 0x80000000u;

// GetSysColor's values in the classic Windows scheme, by system colour number; the system
// that wrote a profile is not ours to ask, and these stay readable on light rows.
constexpr std::array<Rgb, 31> systemColors = {{
    {212, 208, 200}, // 0 scroll bar
    {58, 110, 165},  // 1 desktop
    {10, 36, 106},   // 2 active caption: the default profile's colour
    {128, 128, 128}, // 3 inactive caption
    {212, 208, 200}, // 4 menu
    {255, 255, 255}, // 5 window
    {0, 0, 0},       // 6 window frame
    {0, 0, 0},       // 7 menu text
    {0, 0, 0},       // 8 window text
    {255, 255, 255}, // 9 caption text
    {212, 208, 200}, // 10 active border
    {212, 208, 200}, // 11 inactive border
    {128, 128, 128}, // 12 application workspace
    {10, 36, 106},   // 13 highlight
    {255, 255, 255}, // 14 highlight text
    {212, 208, 200}, // 15 button face
    {128, 128, 128}, // 16 button shadow
    {128, 128, 128}, // 17 grey text
    {0, 0, 0},       // 18 button text
    {212, 208, 200}, // 19 inactive caption text
    {255, 255, 255}, // 20 button highlight
    {64, 64, 64},    // 21 3D dark shadow
    {212, 208, 200}, // 22 3D light
    {0, 0, 0},       // 23 tip text
    {255, 255, 225}, // 24 tip background
    {0, 0, 0},       // 25 not used
    {0, 0, 128},     // 26 hot-tracked item
    {166, 202, 240}, // 27 active caption gradient
    {192, 192, 192}, // 28 inactive caption gradient
    {10, 36, 106},   // 29 menu highlight
    {212, 208, 200}, // 30 menu bar
}};

} // namespace

Rgb colorOfCode(std::optional<std::int32_t> code) {
    if (!code) {
        return {};
    }
    const auto bits = static_cast<std::uint32_t>(*code);
    if ((bits & systemFlag) != 0) {
        const std::uint32_t index = bits & ~systemFlag;
        return index < systemColors.size() ? systemColors[index] : Rgb{};
    }
    if ((bits & 0xFF000000u) != 0) {
        return {};
    }
    return {static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>((bits >> 8) & 0xFF),
            static_cast<std::uint8_t>((bits >> 16) & 0xFF)};
}

std::int32_t codeOfColor(Rgb color) {
    return static_cast<std::int32_t>(color.red | (color.green << 8) | (color.blue << 16));
}

} // namespace tavrino
