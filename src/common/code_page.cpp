#include "common/code_page.h"

#include "common/utf8.h"

#include <algorithm>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace tavrino {
namespace {

std::array<char32_t, 256> windows1252Table() {
    // 0x80..0x9F differ from Latin-1; the five unassigned bytes keep their C1 code points,
    // as Windows itself maps them.
    static constexpr char32_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::array<char32_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        table[b] = (b >= 0x80 && b < 0xA0) ? high[b - 0x80] : static_cast<char32_t>(b);
    }
    return table;
}

std::optional<std::array<char32_t, 256>> iconvTable(const std::string& name) {
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::array<char32_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        unsigned char out[8] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        const std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        if (rc == static_cast<std::size_t>(-1) || outLeft != 4) {
            table[b] = 0xF700 + b; // unassigned byte: a private code point keeps it distinct
        } else {
            table[b] = static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
        }
    }
    iconv_close(cd);
    return table;
}

char32_t lowerCase(char32_t c) {
    if ((c >= U'A' && c <= U'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return c + 0x20;
    }
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x138 && c != 0x149 && c != 0x178) {
        // Latin Extended-A alternates upper/lower, with the parity switching at 0x139,
        // 0x14A and 0x179.
        const bool upperIsOdd = (c > 0x138 && c < 0x149) || c > 0x178;
        const bool upper = (c % 2 == 1) == upperIsOdd;
        return upper ? c + 1 : c;
    }
    if (c == 0x178) {
        return 0xFF;
    }
    if ((c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) {
        return c + 0x20;
    }
    if (c >= 0x400 && c <= 0x40F) {
        return c + 0x50;
    }
    return c;
}

} // namespace

CodePage::CodePage(std::string name, const std::array<char32_t, 256>& table)
    : name_(std::move(name)), toUnicode_(table) {
    fromUnicode_.reserve(256);
    for (unsigned b = 0; b < 256; ++b) {
        fromUnicode_.emplace_back(table[b], static_cast<std::uint8_t>(b));
    }
    std::sort(fromUnicode_.begin(), fromUnicode_.end());
    for (unsigned b = 0; b < 256; ++b) {
        fold_[b] = static_cast<std::uint8_t>(b);
        const char32_t lower = lowerCase(table[b]);
        if (lower == table[b]) {
            continue;
        }
        const auto it = std::lower_bound(fromUnicode_.begin(), fromUnicode_.end(),
                                         std::pair<char32_t, std::uint8_t>{lower, 0});
        if (it != fromUnicode_.end() && it->first == lower) {
            fold_[b] = it->second;
        }
    }
}

const CodePage& CodePage::windows1252() {
    static const CodePage page("CP1252", windows1252Table());
    return page;
}

const CodePage* CodePage::byName(const std::string& name) {
    if (name == "CP1252" || name == "WINDOWS-1252") {
        return &windows1252();
    }
    static std::mutex mutex;
    static std::map<std::string, std::unique_ptr<CodePage>> loaded;
    const std::lock_guard lock(mutex);
    if (const auto it = loaded.find(name); it != loaded.end()) {
        return it->second.get();
    }
    auto table = iconvTable(name);
    if (!table) {
        return nullptr;
    }
    auto page = std::unique_ptr<CodePage>(new CodePage(name, *table));
    return loaded.emplace(name, std::move(page)).first->second.get();
}

std::vector<std::string> CodePage::knownNames() {
    return {"CP1250",     "CP1251",     "CP1252",     "CP1253", "CP1254",     "CP1255",
            "CP1256",     "CP1257",     "CP1258",     "CP874",  "ISO-8859-1", "ISO-8859-2",
            "ISO-8859-5", "ISO-8859-7", "ISO-8859-9", "KOI8-R"};
}

std::string CodePage::toUtf8(std::string_view bytes) const {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const char32_t cp = toUnicode_[static_cast<std::uint8_t>(c)];
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            utf8::append(out, cp);
        }
    }
    return out;
}

Encoded CodePage::fromUtf8(std::string_view text) const {
    Encoded result;
    for (const char32_t cp : utf8::decode(text)) {
        const auto it = std::lower_bound(fromUnicode_.begin(), fromUnicode_.end(),
                                         std::pair<char32_t, std::uint8_t>{cp, 0});
        // Byte 0 is skipped when names are read, so it cannot be stored either.
        if (cp == 0 || it == fromUnicode_.end() || it->first != cp) {
            return {{}, false, cp};
        }
        result.bytes += static_cast<char>(it->second);
    }
    return result;
}

std::string CodePage::folded(std::string_view bytes) const {
    std::string out(bytes);
    for (char& c : out) {
        c = static_cast<char>(fold_[static_cast<std::uint8_t>(c)]);
    }
    return out;
}

bool CodePage::startsWithIgnoringCase(std::string_view text, std::string_view prefix) const {
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (fold_[static_cast<std::uint8_t>(text[i])] !=
            fold_[static_cast<std::uint8_t>(prefix[i])]) {
            return false;
        }
    }
    return true;
}

} // namespace tavrino
