#include "bouquet_contents.h"
#include "common/csv.h"
#include "common/utf8.h"
#include "database/file_problem.h"
#include "reference/reference_list.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
using test::TempDir;

const std::string header = "Bouquet,Item,Name,Satellite,Position,Frequency,Pol,SID,TID,NID,Type\n";

// `line` `count` times over.
std::string repeated(const std::string& line, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += line;
    }
    return text;
}

// ---- CSV ----

struct CsvCase {
    const char* name;
    std::string text;
    std::vector<std::vector<std::string>> fields;
    std::vector<int> lines;
};

class CsvReads : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvReads, FieldsAndTheLinesTheyStartOn) {
    const auto records = csv::parse(GetParam().text);
    EXPECT_EQ(test::mapped(records, [](const auto& r) { return r.fields; }), GetParam().fields);
    EXPECT_EQ(test::mapped(records, [](const auto& r) { return r.line; }), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Rfc4180, CsvReads,
    testing::Values(
        CsvCase{"plain", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}, {1, 2}},
        CsvCase{"lfAndCr", "a\nb\rc", {{"a"}, {"b"}, {"c"}}, {1, 2, 3}},
        CsvCase{"quoted", "\"a,b\",\"say \"\"hi\"\"\"\n", {{"a,b", "say \"hi\""}}, {1}},
        CsvCase{"breakInsideQuotes",
                "\"one\r\ntwo\",x\nnext,y\n",
                {{"one\r\ntwo", "x"}, {"next", "y"}},
                {1, 3}},
        CsvCase{"emptyFieldsAndTrailingComma", ",,\na,\n", {{"", "", ""}, {"a", ""}}, {1, 2}},
        CsvCase{"emptyLinesSkipped", "\n\na\r\n\r\nb", {{"a"}, {"b"}}, {3, 5}},
        CsvCase{"byteOrderMark", "\xEF\xBB\xBFx,y", {{"x", "y"}}, {1}},
        CsvCase{"emptyQuoted", "\"\",b", {{"", "b"}}, {1}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(Csv, WritesFieldsQuotedOnlyWhenTheyNeedIt) {
    EXPECT_EQ(csv::record({"a", "b c", "x,y", "say \"hi\"", "two\nlines", ""}),
              "a,b c,\"x,y\",\"say \"\"hi\"\"\",\"two\nlines\",\r\n");
    const std::vector<std::string> awkward = {"x,y", "\"", "\r\n", "é"};
    EXPECT_EQ(csv::parse(csv::record(awkward)).front().fields, awkward);
}

TEST(Utf8, FirstInvalidByte) {
    EXPECT_EQ(utf8::firstInvalid("plain é € 𝄞"), std::nullopt);
    EXPECT_EQ(utf8::firstInvalid("ab\xE9"), 2u);           // Windows-1252 é
    EXPECT_EQ(utf8::firstInvalid("a\xC0\x80"), 1u);        // overlong
    EXPECT_EQ(utf8::firstInvalid("\xED\xA0\x80"), 0u);     // surrogate
    EXPECT_EQ(utf8::firstInvalid("\xF4\x90\x80\x80"), 0u); // above U+10FFFF
    EXPECT_EQ(utf8::firstInvalid("ok\xE2\x82"), 2u);       // cut short
}

// ---- Reference rows ----

ReferenceList parse(const std::string& rows) {
    return parseReferenceList(header + rows, CodePage::windows1252());
}

// A row's fields joined by '|', "-" for a value left empty.
std::string shown(const ReferenceRow& r) {
    const auto opt = [](const auto& v) { return v ? std::to_string(*v) : std::string("-"); };
    return std::to_string(r.line) + "|" + r.bouquet + "|" + opt(r.item) + "|" + r.name + "|" +
           r.satellite + "|" + opt(r.position) + "|" + opt(r.frequency) + "|" + r.pol + "|" +
           opt(r.sid) + "|" + opt(r.tid) + "|" + opt(r.nid) + "|" + r.type;
}

TEST(ReferenceList, ReadsEveryColumn) {
    const auto list = parse("\"Sport, HD\",3,Señor 1,Astra,19.2E,11778000,V,7,8,9,TV\n"
                            "Radio,,,,,,,,,,\n"
                            "Radio,,,DVB-Cable,30.5W,-5,,0,65535,1,Radio\n");
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_EQ(shown(list.rows[0]), "2|Sport, HD|3|Señor 1|Astra|192|11778000|V|7|8|9|TV");
    EXPECT_EQ(shown(list.rows[1]), "3|Radio|-|||-|-||-|-|-|");
    EXPECT_EQ(shown(list.rows[2]), "4|Radio|-||DVB-Cable|-305|-5||0|65535|1|Radio");
    EXPECT_TRUE(list.rows[0].namesService());
    EXPECT_FALSE(list.rows[1].namesService()) << "the row of a bouquet without items";
    EXPECT_EQ(parse("Caf\xC3\xA9,1,,,,,,,,,\n").rows[0].bouquetBytes, "Caf\xE9")
        << "names are kept in the database's code page";
    EXPECT_EQ(positionText(192) + positionText(-300) + positionText(0), "19.2E30.0W0.0E");
}

struct RowFault {
    const char* name;
    std::string text; // the whole file
    int line;
    std::string says;
};

class ReferenceListRefuses : public testing::TestWithParam<RowFault> {};

TEST_P(ReferenceListRefuses, WithTheLineAndWhatIsWrong) {
    try {
        parseReferenceList(GetParam().text, CodePage::windows1252());
        FAIL() << "accepted";
    } catch (const csv::Problem& problem) {
        EXPECT_EQ(problem.line(), GetParam().line) << problem.what();
        EXPECT_NE(std::string(problem.what()).find(GetParam().says), std::string::npos)
            << problem.what();
    }
}

const std::string okRow = "A,1,Name,Sat,19.2E,11778000,H,1,2,3,TV\n";

INSTANTIATE_TEST_SUITE_P(
    Malformed, ReferenceListRefuses,
    testing::Values(
        RowFault{"emptyFile", "", 1, "header"}, RowFault{"noHeader", okRow, 1, "header"},
        RowFault{"tooFewFields", header + okRow + "A,2,Name,Sat,19.2E,11778000,H,1,2,3\n", 3,
                 "10 fields"},
        RowFault{"frequencyText", header + okRow + okRow + "A,3,N,S,1.0E,abc,H,1,2,3,TV\n", 4,
                 "Frequency \"abc\""},
        RowFault{"positionBeyond180", header + "A,1,N,S,190.0E,1,H,1,2,3,TV\n", 2,
                 "Position \"190.0E\""},
        RowFault{"polNotHOrV", header + "A,1,N,S,1.0E,1,X,1,2,3,TV\n", 2, "Pol \"X\""},
        RowFault{"emptyBouquet", header + okRow + ",2,N,S,1.0E,1,H,1,2,3,TV\n", 3, "Bouquet"},
        RowFault{"bouquetNameOutsideCodePage", header + "日本,1,,,,,,,,,\n", 2, "日"},
        RowFault{"bouquetNameTooLong", header + std::string(99, 'x') + ",1,,,,,,,,,\n", 2,
                 "98 characters"},
        RowFault{"notUtf8", header + okRow + okRow + "Caf\xE9,1,,,,,,,,,\n", 4, "UTF-8"},
        RowFault{"quoteLeftOpen", header + okRow + "\"A,1,,,,,,,,,\n", 3, "never closed"},
        RowFault{"textAfterClosingQuote", header + okRow + "\"x\"y,z\n", 3, ""},
        RowFault{"quoteInsidePlainField", header + okRow + "ab\"c\n", 3, ""},
        RowFault{"afterAQuotedLineBreak", header + "A,1,\"x\ny\",,,,,,,,\n\"z\"w\n", 4, ""},
        // Values quoted in a message are cut and show their control characters.
        RowFault{"hugeValue",
                 header + "A,1,N,S,1.0E," + std::string(100000, '7') + "x,H,1,2,3,TV\n", 2,
                 "Frequency \"" + std::string(60, '7') + "...\" is not a whole number"},
        RowFault{"nulInAValue",
                 header + "A,1,N,S,1.0E,1,H,1,2,3," + std::string("Fi\0lm", 5) + "\n", 2,
                 "Type \"Fi\\x00lm\" is none of TV, Radio or empty"},
        RowFault{"tooManyRows", header + repeated("A,1,,,,,,,,,\n", 50001), 50002,
                 "more than 50000 rows"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ReferenceList, AFileNamesItselfAndTheLine) {
    TempDir dir;
    const auto path = dir / "list.csv";
    const std::string text = header + okRow + "A,2,N,S,1.0E,x,H,1,2,3,TV\n";
    test::writeFile(path, Bytes(text.begin(), text.end()));
    const auto read = [](const auto& file) {
        return test::problemOf([&] { readReferenceList(file, CodePage::windows1252()); });
    };
    ASSERT_TRUE(read(path));
    EXPECT_EQ(read(path)->oneLine().rfind(path.string() + " is damaged: line 3: Frequency", 0), 0u)
        << read(path)->oneLine();
    EXPECT_EQ(read(dir / "none.csv")->kind(), FileProblem::Kind::Missing);
}

} // namespace
} // namespace tavrino
