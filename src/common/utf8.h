#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavrino::utf8 {

void append(std::string& out, char32_t codePoint);

// Decodes UTF-8; malformed sequences become U+FFFD so a bad byte never stops a caller.
std::vector<char32_t> decode(std::string_view text);

// Number of code points, for aligning columns of text.
std::size_t length(std::string_view text);

} // namespace tavrino::utf8
