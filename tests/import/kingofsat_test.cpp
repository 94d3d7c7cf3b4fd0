#include "import/kingofsat.h"
#include "import/transponder_list.h"
#include "loopback_http.h"
#include "test_support.h"

#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <tuple>

namespace tavrino {
namespace {
using namespace std::chrono_literals;
using test::LoopbackHttp;

using Lines = std::vector<std::string>;

// A satellite read, as "name position transponder-count".
std::string summary(const ImportedSatellite& s) {
    return s.name + " " + std::to_string(s.position) + " " + std::to_string(s.transponders.size());
}

Lines summaries(const ImportedList& list) {
    Lines out;
    for (const ImportedSatellite& s : list.satellites) {
        out.push_back(summary(s));
    }
    return out;
}

std::string listFor(const std::string& position, const std::string& name, int transponders) {
    std::string text = "[SATTYPE]\r\n1=" + position + "\r\n2=" + name +
                       "\r\n[DVB]\r\n0=" + std::to_string(transponders) + "\r\n";
    for (int k = 1; k <= transponders; ++k) {
        text += std::to_string(k) + "=" + std::to_string(10700 + k) + ",H,27500,34,DVB-S\r\n";
    }
    return text;
}

// A label runs from pos= up to the next ampersand; a line without a position is "NOK".
TEST(SatList, ReadsOneEntryPerLineUpTo257) {
    test::TempDir dir;
    std::string text = "http://x/dl.php?pos=&fkhz=0\n";
    for (int i = 1; i < 260; ++i) {
        text += "http://x/dl.php?a=1&pos=" + std::to_string(i) + "E&a" + (i % 2 ? "\r\n" : "\n");
    }
    test::writeText(dir / "SATList.ini", text);
    const SatList list = readSatList(dir / "SATList.ini");
    ASSERT_EQ(list.entries.size(), 257u);
    EXPECT_EQ(list.entries[0].label, "NOK");
    EXPECT_EQ(list.entries[1].address, "http://x/dl.php?a=1&pos=1E&a");
    EXPECT_EQ(list.entries[256].label, "256E");
    EXPECT_EQ(list.notes, std::vector<std::string>{(dir / "SATList.ini").string() +
                                                   ": only the first 257 lines are read; 3 more "
                                                   "left out"});
}

// Writing Sel.ini and a missing one are the import window's test; here the reading rules.
TEST(Selection, IsReadBackByLeadingNumbers) {
    test::TempDir dir;
    test::writeText(dir / "Sel.ini", "4\n 2x\nabc\n-1\n4\n 7 \r\n");
    EXPECT_EQ(readSelection(dir / "Sel.ini", 5), (std::vector<int>{2, 4})) << "no entry 7";
}

// Keeps what the download showed; `cancelWhen` says when Cancel is pressed.
class RecordingDownload : public DownloadProgress {
public:
    void downloading(std::size_t done, std::size_t total, const std::string& label) override {
        shown.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + label);
    }
    bool cancelled() const override { return cancelWhen && cancelWhen(); }

    std::vector<std::string> shown;
    std::function<bool()> cancelWhen;
};

class Download : public testing::Test {
protected:
    void entry(const std::string& path, LoopbackHttp::Answer answer) {
        const std::string label = path.substr(1);
        satList.entries.push_back({http.url(path + "?pos=" + label + "&fkhz=0"), label});
        http.answer(path + "?pos=" + label + "&fkhz=0", std::move(answer));
    }

    LoopbackHttp http;
    SatList satList;
    RecordingDownload progress;
    HttpOptions options{300ms, 1u << 20};
};

TEST_F(Download, NumbersOnlyTheChosenAndSendsTheNoCacheHeaders) {
    for (int i = 0; i < 8; ++i) {
        const std::string n = std::to_string(i);
        entry("/s" + n, {200, listFor("010" + n, "Sat " + n, i), {}, {}});
    }
    const DownloadOutcome outcome = downloadLists(satList, {7, 3}, options, progress);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(summaries(outcome.list), (Lines{"Sat 3 103 3", "Sat 7 107 7"}));
    EXPECT_EQ(progress.shown, (Lines{"0/2 s3", "1/2 s7", "2/2 "}));
    const auto requests = http.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests) {
        EXPECT_NE(request.find("\r\nPragma: no-cache\r\n"), std::string::npos) << request;
        EXPECT_NE(request.find("\r\nCache-control: no-cache\r\n"), std::string::npos) << request;
    }
}

TEST_F(Download, AListThatFailsIsNamedAndTheOthersImport) {
    entry("/ok1", {200, listFor("0192", "Astra", 2), {}, {}});
    entry("/missing", {404, "not found", {}, {}});
    entry("/slow", {200, listFor("0130", "Hot Bird", 1), 2s, {}});
    entry("/html", {200, "<html>moved</html>", {}, {}});
    entry("/huge", {200, std::string((1u << 20) + 1, 'x'), {}, {}});
    entry("/moved", {301, "", {}, http.url("/target")});
    http.answer("/target", {200, listFor("3550", "Atlantic Bird 3", 1), {}, {}});
    satList.entries.push_back({"file:///etc/passwd", "file"});
    satList.entries.push_back({"", "NOK"});
    const DownloadOutcome outcome =
        downloadLists(satList, {0, 1, 2, 3, 4, 5, 6, 7}, options, progress);
    EXPECT_EQ(summaries(outcome.list), (Lines{"Astra 192 2", "Atlantic Bird 3 -50 1"}))
        << "redirects are followed";
    // Other schemes fail in curl's own words; an entry without a label goes by its address.
    Lines failures;
    for (const ImportFailure& f : outcome.list.failures) {
        failures.push_back(f.source +
                           (f.source == "file" || f.source.empty() ? "" : ": " + f.reason));
    }
    EXPECT_EQ(failures, (Lines{
                            "missing: the server answered with status 404",
                            "slow: no answer within 0.3 s",
                            "html: no [SATTYPE] section",
                            "huge: the answer is larger than 1 MiB, far more than a transponder "
                            "list",
                            "file",
                            "",
                        }));
}

TEST_F(Download, CancelStopsAtOnceAndKeepsNothingBack) {
    entry("/a", {200, listFor("0192", "Astra", 2), {}, {}});
    // An answer that never comes in time: a download that waited for it would hang.
    entry("/b", {200, listFor("0130", "Hot Bird", 1), 1h, {}});
    entry("/c", {200, listFor("0282", "Astra 2", 1), {}, {}});
    options.timeout = 2h;
    progress.cancelWhen = [&] { return http.requests().size() == 2; }; // while /b waits
    const DownloadOutcome outcome = downloadLists(satList, {0, 1, 2}, options, progress);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(http.requests().size(), 2u) << "nothing asked after the cancel";
}

TEST(TransponderListFiles, ReadInOrderWithFailuresNamed) {
    test::TempDir dir;
    test::writeText(dir / "a.ini", listFor("0192", "Astra", 2));
    test::writeText(dir / "b.ini", "nothing");
    test::writeText(dir / "c.ini", listFor("0130", "Hot Bird", 1));
    test::writeText(dir / "d.ini", "");
    const ImportedList list = readTransponderLists(
        {dir / "c.ini", dir / "a.ini", dir / "b.ini", dir / "none.ini", dir / "d.ini"});
    EXPECT_EQ(summaries(list), (Lines{"Hot Bird 130 1", "Astra 192 2"}));
    Lines failures;
    for (const ImportFailure& f : list.failures) {
        failures.push_back(std::filesystem::path(f.source).filename().string() + ": " + f.reason);
    }
    EXPECT_EQ(failures, (Lines{"b.ini: no [SATTYPE] section", "none.ini: no such file",
                               "d.ini: the file is empty"}));
}

// ---- The lists: [SATTYPE] and [DVB] ----

std::string listWith(const std::vector<std::string>& lines, const std::string& count = "") {
    std::string text = "[SATTYPE]\r\n1=0192\r\n2=Astra 1KR\r\n\r\n[DVB]\r\n0=" +
                       (count.empty() ? std::to_string(lines.size()) : count);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += "\r\n" + std::to_string(i + 1) + "=" + lines[i];
    }
    return text + "\r\n";
}

ImportedSatellite parseList(const std::string& text, std::vector<std::string>* notes = nullptr) {
    std::vector<std::string> kept;
    return parseTransponderList(text, "list.ini", notes ? *notes : kept);
}

// The refusal's detail, or "" when the list was read.
std::string listProblem(const std::string& text) {
    const auto problem = test::problemOf([&] { parseList(text); });
    return problem ? problem->detail() : "";
}

TEST(KingOfSatLines, GiveTheStoredValuesOrAreLeftOut) {
    // A line and what it stores, or nullopt: left out.
    using T = ImportedTransponder;
    const std::pair<const char*, std::optional<T>> cases[] = {
        {"10714,H,22000,56,DVB-S", T{10714000, 22000000, 4, 0, 0, 1, 0, 0}},
        {"10962.5,V,27500,34,S2,8PSK", T{10962500, 27500000, 3, 1, 1, 2, 0, 0}},
        {" 10957 , h , 4340 , 34 ", T{10957000, 4340000, 3, 0, 0, 1, 0, 0}},
        {"3716,V,4775,35,S2;8PSK", T{3716000, 4775000, 7, 1, 1, 2, 0, 0}},
        {"10953,V,2400", T{10953000, 2400000, 0, 1, 0, 1, 0, 0}},
        {"12239,L,20000,23,S2,8PSK", T{12239000, 20000000, 2, 0, 1, 2, 0, 0}},
        {"12253,R,20000,45,DVB-S2,8PSK ACM/VCM", T{12253000, 20000000, 8, 1, 1, 2, 0, 0}},
        {"11000,V,27500,91,S2", T{11000000, 27500000, 9, 1, 1, 2, 0, 0}},
        {"11000,V,27500,12,dvb-s,qpsk", T{11000000, 27500000, 1, 1, 0, 1, 0, 0}},
        {"11000,V,27500,78,DVB-S", T{11000000, 27500000, 5, 1, 0, 1, 0, 0}},
        {"11000,V,27500,89,S2,16APSK", T{11000000, 27500000, 6, 1, 1, 4, 0, 0}},
        {"11000,V,27500,99,DVB-S,QPSK", T{11000000, 27500000, 0, 1, 0, 1, 0, 0}},
        {"11000,V,27500,67;DSS", std::nullopt},
        {"3940,H,29270,34;DCII,QPSK", std::nullopt},
        {"11000,H,27500,34,DVB-T", std::nullopt},
        {"abc,H,27500", std::nullopt},
        {"11000,H", std::nullopt},
        {"11000,H,27,500", T{11000000, 27000, 0, 0, 0, 1, 0, 0}}, // "500" is no FEC of the table
        {"3000000,H,27500", std::nullopt},                        // beyond 32 bits in kHz
        {"10962.5555,H,27500", std::nullopt},
    };
    for (const auto& [line, stored] : cases) {
        SCOPED_TRACE(line);
        Lines notes;
        const auto tps = parseList(listWith({line}), &notes).transponders;
        EXPECT_EQ(tps.empty() ? std::nullopt : std::optional(tps.front()), stored);
        EXPECT_TRUE(stored || notes.size() == 1) << "a line left out is counted";
    }
}

// "1=" inside "11=" and "21=", sections in any letter case, an [UPDATE] section with keys of
// the same numbers first, comments and blank lines between, any line ends, none after the last.
TEST(KingOfSatLists, FindLinesByTheirNumberAndSection) {
    std::string lines = ";comment\n[UPDATE]\n0=Mar 24, 2018\n1=6652\n2=http://example\n\n"
                        "[sattype]\n2=Hot Bird\n1=0130\n[Dvb]\n0=12";
    for (int k = 12; k >= 1; --k) {
        lines +=
            "\n; note\n\n" + std::to_string(k) + "=" + std::to_string(11000 + k) + ",H,27500,34";
    }
    for (const std::string end : {"\n", "\r", "\r\n"}) {
        std::string text;
        for (const char c : lines) {
            text += c == '\n' ? end : std::string(1, c);
        }
        const ImportedSatellite sat = parseList(text);
        ASSERT_EQ(summary(sat), "Hot Bird 130 12");
        for (std::size_t i = 0; i < 12; ++i) {
            EXPECT_EQ(sat.transponders[i].frequency, static_cast<std::int32_t>(11001 + i) * 1000);
        }
    }
}

// Lines left out are counted by system and line; counts that disagree with the lines noted.
TEST(KingOfSatLists, NoteWhatWasLeftOut) {
    using Case = std::tuple<std::string, std::size_t, Lines>;
    const Case cases[] = {
        {listWith({"12224,R,20000,67;DSS,QPSK", "12239,L,20000,67;DSS,QPSK", "3940,H,29270,34;DCII",
                   "11000,X,27500", "11000,H,27500,34,S2,64APSK"}),
         1,
         {"list.ini: 1 transponder of the DCII system left out (not DVB-S or DVB-S2)",
          "list.ini: 2 transponders of the DSS system left out (not DVB-S or DVB-S2)",
          "list.ini: left out transponder lines that are not frequency, polarisation, symbol "
          "rate: line 10",
          "list.ini: an unknown modulation read as the system's usual one on 1 transponder"}},
        {listWith({"10714,H,22000", "10729,V,22000"}, "4"),
         2,
         {"list.ini: the count says 4 transponders, but these are missing: 3, 4"}},
        {listWith({"10714,H,22000", "10729,V,22000", "10744,V,22000"}, "1"),
         1,
         {"list.ini: 2 transponder lines after the count left out"}},
        {listWith({"10714,H,22000"}) + "1=10729,V,22000\n",
         1,
         {"list.ini: 1 line left out for a number an earlier line has"}},
        {listWith({}, "30"),
         0,
         {"list.ini: the count says 30 transponders, but these are missing: 1, 2, 3, 4, 5, 6, 7, "
          "8, 9, 10 and 20 more"}},
    };
    for (const auto& [text, transponders, wanted] : cases) {
        Lines notes;
        const ImportedSatellite sat = parseList(text, &notes);
        EXPECT_EQ(sat.transponders.size(), transponders);
        EXPECT_EQ(notes, wanted);
    }
}

// Positions count eastwards from 0 to 3599; names take apostrophes and either encoding.
TEST(KingOfSatLists, ReadPositionAndName) {
    // Position and name as written, and as read: name, position, transponders.
    using Case = std::tuple<const char*, std::string, std::string>;
    for (const auto& [position, name, read] :
         {Case{"0192", "Es?hail 2", "Es'hail 2 192 0"},
          Case{"0000", "T\xC3\xBCrksat 4A", "Türksat 4A 0 0"},
          Case{"1800", "T\xFCrksat 4A", "Türksat 4A 1800 0"},
          Case{"1801", "SES 1, DirecTV 4S,8", "SES 1, DirecTV 4S,8 -1799 0"},
          Case{"3599", "  Eutelsat 7\x80  ", "Eutelsat 7€ -1 0"}}) {
        EXPECT_EQ(summary(parseList("[SATTYPE]\r\n1=" + std::string(position) + "\r\n2=" + name +
                                    "\r\n[DVB]\r\n0=0")),
                  read);
    }
}

TEST(KingOfSatLists, WithoutWhatASatelliteNeedsAreRefused) {
    for (const auto& [text, problem] : std::map<std::string, std::string>{
             {"[SATTYPE]\n1=0192\n2=Astra\n", "no [DVB] section"},
             {"[SATTYPE]\n2=Astra\n[DVB]\n0=0\n", "no [SATTYPE] 1= position"},
             {"[SATTYPE]\n1=0192\n[DVB]\n0=0\n", "no [SATTYPE] 2= name"},
             {"[SATTYPE]\n1=0192\n2=Astra\n[DVB]\n1=10714,H,22000\n", "no [DVB] 0= count"},
             {"[SATTYPE]\n1=19.2E\n2=Astra\n[DVB]\n0=0\n",
              "line 2: the position \"19.2E\" is not tenths of a degree from 0 to 3599"},
             {"[SATTYPE]\n1=0192\n2=Astra\n[DVB]\n0=65536\n",
              "line 5: the count \"65536\" is not a number from 0 to 65535"}}) {
        EXPECT_EQ(listProblem(text), problem) << text;
    }
}

} // namespace
} // namespace tavrino
