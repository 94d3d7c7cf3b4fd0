#include "common/excerpt.h"

namespace tavrino {

std::string excerpt(std::string_view text, std::size_t length) {
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool continuation = (byte & 0xC0) == 0x80;
        if (!continuation && characters++ == length) {
            return out + "...";
        }
        if (byte < 0x20 || byte == 0x7F) {
            constexpr const char* hex = "0123456789ABCDEF";
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

} // namespace tavrino
