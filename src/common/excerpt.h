#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrino {

inline constexpr std::size_t excerptLength = 60;

// A value read from input as a message may quote it: at most `length` characters (UTF-8 code
// points) followed by "..." when there was more, and control characters written as \xNN, so
// a huge value never floods a terminal and a NUL never cuts the message short.
std::string excerpt(std::string_view text, std::size_t length = excerptLength);

} // namespace tavrino
