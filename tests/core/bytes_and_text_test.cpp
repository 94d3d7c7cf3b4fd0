// The bounded reader and writer of numbers in an image, code pages, and input quoted in messages.
#include "common/code_page.h"
#include "common/excerpt.h"
#include "database/byte_reader.h"
#include "database/file_problem.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {

TEST(ByteReader, ReadsOutsideTheImageAreRefusedAsDamage) {
    const Bytes bytes(10, 0);
    const ByteReader reader(bytes, "/data/all_channel.dat");
    const auto problem = test::problemOf([&] { reader.readNumber(8, 4, "tpCount"); });
    ASSERT_TRUE(problem) << "read outside the image";
    EXPECT_EQ(problem->kind(), FileProblem::Kind::Damaged);
    EXPECT_THROW(reader.require(static_cast<std::size_t>(-1), 2, "huge"), FileProblem);
    EXPECT_NO_THROW(reader.require(10, 0, "empty tail"));
}

TEST(CodePage, Windows1252RoundTripsEveryAssignedByteRefusesTheRestAndFoldsCase) {
    const CodePage& page = CodePage::windows1252();
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const Encoded back = page.fromUtf8(page.toUtf8(byte));
        ASSERT_TRUE(back.ok) << b;
        EXPECT_EQ(back.bytes, byte) << b;
    }
    EXPECT_EQ(page.toUtf8("\x80 \x8A\xE9"), "€ Šé");
    const Encoded refused = page.fromUtf8("Čt1");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.unmappable, U'Č');

    // Case folds beyond ASCII; other pages come from iconv.
    EXPECT_TRUE(page.startsWithIgnoringCase("\xC9lite", "\xE9L")); // Élite / éL
    EXPECT_TRUE(page.startsWithIgnoringCase("\x8Aport", "\x9A"));  // Šport / š
    EXPECT_FALSE(page.startsWithIgnoringCase("ab", "abc"));
    EXPECT_EQ(page.folded("AbC\xDE"), "abc\xFE");
    const CodePage* cyrillic = CodePage::byName("CP1251");
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_EQ(cyrillic->toUtf8("\xC0"), "А");
    EXPECT_TRUE(cyrillic->startsWithIgnoringCase("\xC0\xC1", "\xE0"));
    EXPECT_EQ(CodePage::byName("NO-SUCH-PAGE"), nullptr);
    EXPECT_EQ(CodePage::byName("CP1251"), cyrillic); // cached for the whole run
}

TEST(Excerpt, CutsLongValuesAndShowsControlCharacters) {
    const std::string sixty(60, 'a');
    std::string umlauts;
    for (int i = 0; i < 61; ++i) {
        umlauts += "\xC3\xA4"; // ä: one character of two bytes
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {sixty, sixty},
        {sixty + "b", sixty + "..."},
        {umlauts, umlauts.substr(0, 120) + "..."},
        {"line\r\nbreak\t\x7F", "line\\x0D\\x0Abreak\\x09\\x7F"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(excerpt(text), shown) << text.size();
    }
}

} // namespace
} // namespace tavrino
