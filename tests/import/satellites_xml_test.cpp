#include "database/file_problem.h"
#include "import/satellites_xml.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {

std::string
document(const std::string& sats,
         const std::string& declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") {
    return declaration + "<satellites>\n" + sats + "</satellites>\n";
}

ImportedList parse(const std::string& text) {
    return parseSatellitesXml(text, "/x/satellites.xml");
}

std::string problemOf(const std::string& text) {
    const auto problem = test::problemOf([&] { parse(text); });
    EXPECT_TRUE(problem && problem->kind() == FileProblem::Kind::Damaged);
    return problem ? problem->detail() : "";
}

TEST(SatellitesXml, ReadsAttributesInAnyOrderWithEntitiesAndComments) {
    const std::string sats =
        "  <!-- a comment -->\n"
        "  <sat name=\"Astra &amp; Co &#233;\" flags=\"0\" position=\"192\">\n"
        "    <transponder frequency=\"11778000\" symbol_rate=\"27500000\" polarization=\"1\" "
        "fec_inner=\"3\" system=\"0\" modulation=\"1\" is_id=\"-1\" pls_mode=\"0\" />\n"
        "  </sat>\n"
        "  <sat flags=\"1\" name=\"Express 3A (11.0W)\" position=\"-110\">\n"
        "    <transponder fec_inner=\"2\" frequency=\"11459500\" modulation=\"2\" onid=\"1150\" "
        "polarization=\"0\" symbol_rate=\"2848000\" system=\"1\" tsid=\"30700\"/>\n"
        "  </sat>\n"
        "  <sat name=\"Empty\"  flags=\"1\" position=\"0\"/>\n";
    const ImportedList list = parse(document(sats));
    ASSERT_EQ(list.satellites.size(), 3u);
    EXPECT_EQ(list.satellites[0].name, "Astra & Co é");
    EXPECT_EQ(list.satellites[0].position, 192);
    EXPECT_EQ(list.satellites[0].transponders,
              (std::vector<ImportedTransponder>{{11778000, 27500000, 3, 1, 0, 1, 0, 0}}));
    EXPECT_EQ(list.satellites[1].name, "Express 3A (11.0W)");
    EXPECT_EQ(list.satellites[1].position, -110);
    EXPECT_EQ(list.satellites[1].transponders,
              (std::vector<ImportedTransponder>{{11459500, 2848000, 2, 0, 1, 2, 1150, 30700}}));
    EXPECT_TRUE(list.satellites[2].transponders.empty()) << "a <sat/> of its own";
    EXPECT_TRUE(list.notes.empty());
}

TEST(SatellitesXml, MapsValuesAsTheImportStoresThem) {
    const std::pair<std::string, ImportedTransponder> cases[] = {
        {"frequency=\"10714000\" symbol_rate=\"22000000\" polarization=\"2\" fec_inner=\"4\"",
         {10714000, 22000000, 4, 0, 0, 0, 0, 0}},
        {"polarization=\"3\"", {0, 0, 0, 1, 0, 0, 0, 0}},
        {"polarization=\"4\"", {0, 0, 0, 0, 0, 0, 0, 0}},
        {"polarization=\"1\" fec_inner=\"10\" modulation=\"4\" system=\"1\"",
         {0, 0, 10, 1, 1, 4, 0, 0}},
        {"frequency=\"11778000kHz\" symbol_rate=\" 27500000\" fec_inner=\"auto\"",
         {11778000, 27500000, 0, 0, 0, 0, 0, 0}},
        {"frequency=\"\" onid=\"65535\" tsid=\"1\"", {0, 0, 0, 0, 0, 0, 65535, 1}},
    };
    for (const auto& [attributes, stored] : cases) {
        const ImportedList list = parse(
            document("<sat name=\"S\" position=\"1\"><transponder " + attributes + "/></sat>"));
        EXPECT_EQ(list.satellites.at(0).transponders, std::vector{stored}) << attributes;
    }
}

TEST(SatellitesXml, ReadsTheDeclaredEncodingAndAnyLineEnds) {
    const std::string sat = "<sat name=\"T\xFCrksat \x80\" position=\"420\"/>";
    // The bytes, and the name read.
    const std::pair<std::string, std::string> cases[] = {
        {document("<sat name=\"Türksat\" position=\"420\"/>", ""), "Türksat"},
        {"\xEF\xBB\xBF" + document("<sat name=\"Türksat\" position=\"420\"/>"), "Türksat"},
        {document(sat, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"), "Türksat \u0080"},
        {document(sat, "<?xml version='1.0' encoding='windows-1252'?>\r\n"), "Türksat €"},
        {"<satellites>\r\n<sat name=\"A\"\r\n position=\"420\">\r\n</sat>\r\n</satellites>", "A"},
    };
    for (const auto& [bytes, name] : cases) {
        const ImportedList list = parse(bytes);
        ASSERT_EQ(list.satellites.size(), 1u) << bytes;
        EXPECT_EQ(std::pair(list.satellites[0].name, list.satellites[0].position),
                  std::pair(name, 420));
    }
}

TEST(SatellitesXml, RefusesDamagedDocumentsNamingLineAndColumn) {
    const std::pair<std::string, std::string> cases[] = {
        {"<satellites>\n  <sat name=\"a\" position=\"1\">\n    <transponder frequency=",
         "line 3, column 27: Error parsing element attribute"},
        {"", "line 1, column 1: No document element found"},
        {"<?xml version=\"1.0\"?>\n<tv>\n<sat name=\"a\" position=\"1\"/></tv>",
         "line 2, column 1: the root element is <tv>, so this is no satellites.xml"},
        {"<satellites>\n</satellites>\n<satellites/>",
         "line 3, column 1: a second root element after </satellites>"},
        {"<satellites>\n  <transponder/>\n</satellites>",
         "line 1, column 1: <satellites> holds no <sat> element"},
        {"<satellites>\n  <sat name=\"T\xFCrksat\" position=\"1\"/></satellites>",
         "line 2, column 3: the name is not UTF-8 text, and the document declares no other "
         "encoding"},
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><satellites/>",
         "the declared encoding \"Shift_JIS\" is not one Tavrino reads (UTF-8, ISO-8859-n, "
         "windows-125n, KOI8-R)"},
        {std::string("\xFF\xFE<\0s\0", 6), "the file is UTF-16 or UTF-32; save it as UTF-8"},
        {"<satellites>\n  <sat name=\"a\"/>\n</satellites>",
         "line 2, column 3: <sat> has no position attribute"},
        {"<satellites>\n <sat name=\"a\" position=\"99999\"/>\n</satellites>",
         "line 2, column 2: position=\"99999\" is outside -3600 to 3600"},
        {"<satellites><sat name=\"a\" position=\"1\"><transponder tsid=\"65536\"/></sat>"
         "</satellites>",
         "line 1, column 40: tsid=\"65536\" is outside 0 to 65535"},
        // A huge value is quoted cut, not whole.
        {"<satellites><sat name=\"a\" position=\"1\"><transponder frequency=\"" +
             std::string(1000000, '9') + "\"/></sat></satellites>",
         "line 1, column 40: frequency=\"" + std::string(60, '9') +
             "...\" is outside 0 to 2147483647"},
    };
    for (const auto& [bytes, problem] : cases) {
        EXPECT_EQ(problemOf(bytes), problem) << bytes;
    }
}

TEST(SatellitesXml, AFileMissingOrEmptyIsTheEmptyFileMessage) {
    test::TempDir dir;
    test::writeFile(dir / "empty.xml", {});
    for (const char* name : {"missing.xml", "empty.xml"}) {
        const auto problem = test::problemOf([&] { readSatellitesXml(dir / name); });
        ASSERT_TRUE(problem) << name << " was read";
        EXPECT_EQ(problem->notice().text,
                  "Error occured: Empty file !!!\n\n" + (dir / name).string());
    }
    EXPECT_THROW(readSatellitesXml(dir.path()), FileProblem) << "a folder is no file";
}

} // namespace
} // namespace tavrino
