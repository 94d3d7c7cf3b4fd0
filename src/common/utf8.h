#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino::utf8 {

void append(std::string& out, char32_t codePoint);

// Decodes UTF-8; malformed sequences become U+FFFD so a bad byte never stops a caller.
std::vector<char32_t> decode(std::string_view text);

// Offset of the first byte that is not part of well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF); nullopt when the whole text is UTF-8.
std::optional<std::size_t> firstInvalid(std::string_view text);

// Number of code points, for aligning columns of text.
std::size_t length(std::string_view text);

} // namespace tavrino::utf8
