#include "common/code_page.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {

TEST(CodePage, Windows1252RoundTripsEveryAssignedByte) {
    const CodePage& page = CodePage::windows1252();
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const Encoded back = page.fromUtf8(page.toUtf8(byte));
        ASSERT_TRUE(back.ok) << b;
        EXPECT_EQ(back.bytes, byte) << b;
    }
    EXPECT_EQ(page.toUtf8("\x80 \x8A\xE9"), "€ Šé");
}

TEST(CodePage, RefusesCharactersItCannotHold) {
    const Encoded result = CodePage::windows1252().fromUtf8("Čt1");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.unmappable, U'Č');
}

TEST(CodePage, FoldIgnoresCaseBeyondAscii) {
    const CodePage& page = CodePage::windows1252();
    EXPECT_TRUE(page.startsWithIgnoringCase("\xC9lite", "\xE9L")); // Élite / éL
    EXPECT_TRUE(page.startsWithIgnoringCase("\x8Aport", "\x9A"));  // Šport / š
    EXPECT_FALSE(page.startsWithIgnoringCase("ab", "abc"));
    EXPECT_EQ(page.folded("AbC\xDE"), "abc\xFE");
}

TEST(CodePage, OtherCodePagesComeFromIconv) {
    const CodePage* cyrillic = CodePage::byName("CP1251");
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_EQ(cyrillic->toUtf8("\xC0"), "А");
    EXPECT_TRUE(cyrillic->startsWithIgnoringCase("\xC0\xC1", "\xE0"));
    EXPECT_EQ(CodePage::byName("NO-SUCH-PAGE"), nullptr);
    EXPECT_EQ(CodePage::byName("CP1251"), cyrillic); // cached for the whole run
}

} // namespace
} // namespace tavrino
