#include "common/number_text.h"

namespace tavrino {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<std::int64_t> parseWhole(std::string_view text, std::int64_t min, std::int64_t max) {
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    value = negative ? -value : value;
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> parseDegreesAsTenths(std::string_view text) {
    text = trimmed(text);
    const auto point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if ((whole.empty() && decimals.empty()) || whole.size() > 3) {
        return std::nullopt;
    }
    int tenths = 0;
    for (const char c : whole) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        tenths = tenths * 10 + (c - '0');
    }
    tenths *= 10;
    for (std::size_t i = 0; i < decimals.size(); ++i) {
        if (!isDigit(decimals[i])) {
            return std::nullopt;
        }
    }
    if (!decimals.empty()) {
        tenths += decimals[0] - '0';
    }
    if (decimals.size() > 1 && decimals[1] >= '5') {
        ++tenths; // 19.25 is 19.3: rounded, not cut
    }
    if (tenths > 1800) {
        return std::nullopt;
    }
    return tenths;
}

} // namespace tavrino
