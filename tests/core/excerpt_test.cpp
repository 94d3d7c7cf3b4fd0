#include "common/excerpt.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {

TEST(Excerpt, CutsLongValuesAndShowsControlCharacters) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const std::string sixty(60, 'a');
    const std::string umlauts = [] {
        std::string text;
        for (int i = 0; i < 61; ++i) {
            text += "\xC3\xA4"; // ä: one character of two bytes
        }
        return text;
    }();
    for (const Case& c : std::vector<Case>{
             {"", ""},
             {"Astra", "Astra"},
             {sixty, sixty},
             {sixty + "b", sixty + "..."},
             {std::string(100000, 'x'), std::string(60, 'x') + "..."},
             {umlauts, umlauts.substr(0, 120) + "..."},
             {std::string("A\0B", 3), "A\\x00B"},
             {"line\r\nbreak\t\x7F", "line\\x0D\\x0Abreak\\x09\\x7F"},
         }) {
        EXPECT_EQ(excerpt(c.text), c.shown) << c.text.size();
    }
}

} // namespace
} // namespace tavrino
