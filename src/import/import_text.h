#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Small text rules the import readers share.
namespace tavrino::import_text {

// Numbers beyond a trillion read as a trillion, which every range check refuses.
inline constexpr std::int64_t numberCeiling = 1'000'000'000'000;

// Lists in the wild are UTF-8 or Windows-1252: the text as UTF-8 either way, without a BOM.
std::string asUtf8(std::string_view bytes);

struct LineColumn {
    std::size_t line = 1;   // from 1
    std::size_t column = 1; // characters from 1
};
// Where `offset` of a UTF-8 text lies; CR LF, LF and a lone CR each end a line.
LineColumn lineColumnAt(std::string_view text, std::size_t offset);
std::string describe(const LineColumn& at); // "line 3, column 7"

// Lines without their ends (CR LF, LF or a lone CR); no empty last line after a final end.
std::vector<std::string_view> splitLines(std::string_view text);
std::vector<std::string_view> splitFields(std::string_view text, char separator); // trimmed

// "1 transponder", "3 transponders".
std::string counted(std::size_t count, const std::string& noun);

std::string_view trimmed(std::string_view text);                 // blanks and tabs
bool equalsIgnoringCase(std::string_view a, std::string_view b); // ASCII letters
bool allDigits(std::string_view text);                           // and not empty

// The number a text starts with: blanks, an optional sign, digits; nullopt without digits.
// Values beyond a trillion come back as a trillion, which every range check refuses.
std::optional<std::int64_t> leadingNumber(std::string_view text);
// The same up to a NUL, inline: satellites.xml has a few of them per transponder.
inline std::optional<std::int64_t> leadingNumber(const char* text) {
    while (*text == ' ' || *text == '\t') {
        ++text;
    }
    const bool negative = *text == '-';
    text += *text == '-' || *text == '+' ? 1 : 0;
    const char* const digits = text;
    std::int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value < numberCeiling ? value * 10 + (*text - '0') : numberCeiling;
    }
    if (text == digits) {
        return std::nullopt;
    }
    value = value < numberCeiling ? value : numberCeiling;
    return negative ? -value : value;
}

// "10962.5" as 10962500: digits with at most three decimals, scaled by 1000; nullopt for
// anything else or a result beyond 32 bits.
std::optional<std::int32_t> timesThousand(std::string_view text);

} // namespace tavrino::import_text
