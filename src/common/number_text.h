#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tavrino {

// A whole number typed into a box: optional blanks around, an optional minus sign, digits.
// Nothing else is taken, so "12abc" or "1.5" is not a number.
std::optional<std::int64_t> parseWhole(std::string_view text, std::int64_t min, std::int64_t max);

// A 32-bit field accepts its value as read (signed) or as the unsigned pattern of its bytes.
inline constexpr std::int64_t min32 = -2147483648LL;
inline constexpr std::int64_t max32 = 4294967295LL;
// The largest value a 32-bit field shows as positive (it is read signed).
inline constexpr std::int64_t maxPositive32 = 2147483647LL;

// Degrees from 0.0 to 180.0 with any number of decimals, rounded half up to tenths.
std::optional<int> parseDegreesAsTenths(std::string_view text);

} // namespace tavrino
