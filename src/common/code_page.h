#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrino {

// Result of encoding typed text into the receiver's single-byte code page.
struct Encoded {
    std::string bytes; // valid when ok
    bool ok = true;
    char32_t unmappable = 0; // first character the code page cannot hold
};

// A single-byte code page: names in the receiver files are one byte per character.
// Windows-1252 is built in; other code pages come from the C library's iconv.
class CodePage {
public:
    static const CodePage& windows1252();
    // Code pages live for the whole run, so references to them stay valid.
    // Returns nullptr for a name the C library does not know.
    static const CodePage* byName(const std::string& name);
    static std::vector<std::string> knownNames();

    const std::string& name() const { return name_; }
    char32_t decode(std::uint8_t byte) const { return toUnicode_[byte]; }
    std::string toUtf8(std::string_view bytes) const;
    Encoded fromUtf8(std::string_view utf8) const;

    // Byte of the lower-case letter for comparisons that ignore case.
    std::uint8_t fold(std::uint8_t byte) const { return fold_[byte]; }
    std::string folded(std::string_view bytes) const;
    bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) const;

private:
    CodePage(std::string name, const std::array<char32_t, 256>& table);

    std::string name_;
    std::array<char32_t, 256> toUnicode_{};
    std::array<std::uint8_t, 256> fold_{};
    std::vector<std::pair<char32_t, std::uint8_t>> fromUnicode_; // sorted by code point
};

} // namespace tavrino
