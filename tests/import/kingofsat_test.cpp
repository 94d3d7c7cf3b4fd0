#include "database/file_problem.h"
#include "import/kingofsat.h"
#include "loopback_http.h"
#include "test_support.h"

#include <atomic>
#include <gtest/gtest.h>

namespace tavrino {
namespace {
using namespace std::chrono_literals;
using test::LoopbackHttp;

Bytes bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string listFor(const std::string& position, const std::string& name, int transponders) {
    std::string text = "[SATTYPE]\r\n1=" + position + "\r\n2=" + name +
                       "\r\n[DVB]\r\n0=" + std::to_string(transponders) + "\r\n";
    for (int k = 1; k <= transponders; ++k) {
        text += std::to_string(k) + "=" + std::to_string(10700 + k) + ",H,27500,34,DVB-S\r\n";
    }
    return text;
}

TEST(SatList, LabelsComeFromPosUpToTheNextAmpersand) {
    struct Case {
        const char* line;
        const char* label;
    };
    for (const Case& c :
         {Case{"http://en.kingofsat.net/dl.php?pos=19.2E&fkhz=0", "19.2E"},
          Case{"http://x/dl.php?a=1&pos=5.0W", "5.0W"}, Case{"http://x/dl.php?pos=&fkhz=0", "NOK"},
          Case{"http://x/dl.php?position", "NOK"}, Case{"", "NOK"}}) {
        EXPECT_EQ(satListLabel(c.line), c.label) << c.line;
    }
}

TEST(SatList, ReadsOneEntryPerLineUpTo257) {
    test::TempDir dir;
    std::string text;
    for (int i = 0; i < 260; ++i) {
        text += "http://x/dl.php?pos=" + std::to_string(i) + "E&a" + (i % 2 ? "\r\n" : "\n");
    }
    test::writeFile(dir / "SATList.ini", bytesOf(text));
    const SatList list = readSatList(dir / "SATList.ini");
    ASSERT_EQ(list.entries.size(), 257u);
    EXPECT_EQ(list.entries[0].address, "http://x/dl.php?pos=0E&a");
    EXPECT_EQ(list.entries[256].label, "256E");
    EXPECT_EQ(list.notes, std::vector<std::string>{(dir / "SATList.ini").string() +
                                                   ": only the first 257 lines are read; 3 more "
                                                   "left out"});
}

TEST(SatList, MissingIsTheEmptyFileMessage) {
    test::TempDir dir;
    try {
        readSatList(dir / "SATList.ini");
        FAIL();
    } catch (const FileProblem& problem) {
        EXPECT_EQ(
            problem.notice(),
            (Notice{"Failure", "Error occured: Empty file !!!\n\n" + (dir / "SATList.ini").string(),
                    NoticeIcon::Exclamation}));
    }
}

TEST(Selection, IsRememberedAndReadBackByLeadingNumbers) {
    test::TempDir dir;
    EXPECT_TRUE(readSelection(dir / "Sel.ini", 10).empty()) << "no file: nothing chosen";
    writeSelection(dir / "Sel.ini", {0, 3, 7});
    const Bytes written = test::readFile(dir / "Sel.ini");
    EXPECT_EQ(std::string(written.begin(), written.end()), " 0 \r\n 3 \r\n 7 \r\n");
    EXPECT_EQ(readSelection(dir / "Sel.ini", 10), (std::vector<int>{0, 3, 7}));
    EXPECT_EQ(readSelection(dir / "Sel.ini", 5), (std::vector<int>{0, 3})) << "no entry 7";
    test::writeFile(dir / "Sel.ini", bytesOf("4\n 2x\nabc\n-1\n4\n"));
    EXPECT_EQ(readSelection(dir / "Sel.ini", 10), (std::vector<int>{2, 4}));
}

// Keeps what the download showed; `cancel` is set from another thread as a Cancel button would.
class RecordingDownload : public DownloadProgress {
public:
    void downloading(std::size_t done, std::size_t total, const std::string& label) override {
        shown.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + label);
    }
    bool cancelled() const override { return cancel; }

    std::vector<std::string> shown;
    std::atomic<bool> cancel{false};
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
        entry("/s" + std::to_string(i),
              {200, listFor("0" + std::to_string(100 + i), "Sat " + std::to_string(i), i), {}, {}});
    }
    const DownloadOutcome outcome = downloadLists(satList, {7, 3}, options, progress);
    EXPECT_FALSE(outcome.cancelled);
    ASSERT_EQ(outcome.list.satellites.size(), 2u);
    EXPECT_EQ(outcome.list.satellites[0].name, "Sat 3");
    EXPECT_EQ(outcome.list.satellites[0].transponders.size(), 3u);
    EXPECT_EQ(outcome.list.satellites[1].name, "Sat 7");
    EXPECT_EQ(outcome.list.satellites[1].position, 107);
    EXPECT_EQ(progress.shown, (std::vector<std::string>{"0/2 s3", "1/2 s7", "2/2 "}));
    const auto requests = http.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const std::string& request : requests) {
        EXPECT_EQ(request.rfind("GET /s", 0), 0u) << request;
        EXPECT_NE(request.find("\r\nPragma: no-cache\r\n"), std::string::npos) << request;
        EXPECT_NE(request.find("\r\nCache-control: no-cache\r\n"), std::string::npos) << request;
    }
}

TEST_F(Download, AListThatFailsIsNamedAndTheOthersImport) {
    entry("/ok1", {200, listFor("0192", "Astra", 2), {}, {}});
    entry("/missing", {404, "not found", {}, {}});
    entry("/slow", {200, listFor("0130", "Hot Bird", 1), 2s, {}});
    entry("/server", {500, listFor("0130", "Hot Bird", 1), {}, {}});
    entry("/html", {200, "<html>moved</html>", {}, {}});
    entry("/huge", {200, std::string((1u << 20) + 1, 'x'), {}, {}});
    entry("/moved", {301, "", {}, http.url("/target")});
    http.answer("/target", {200, listFor("3550", "Atlantic Bird 3", 1), {}, {}});
    const DownloadOutcome outcome =
        downloadLists(satList, {0, 1, 2, 3, 4, 5, 6}, options, progress);
    ASSERT_EQ(outcome.list.satellites.size(), 2u);
    EXPECT_EQ(outcome.list.satellites[0].name, "Astra");
    EXPECT_EQ(outcome.list.satellites[1].name, "Atlantic Bird 3") << "redirects are followed";
    EXPECT_EQ(outcome.list.satellites[1].position, -50);
    std::vector<std::string> failures;
    for (const ImportFailure& f : outcome.list.failures) {
        failures.push_back(f.source + ": " + f.reason);
    }
    EXPECT_EQ(failures, (std::vector<std::string>{
                            "missing: the server answered with status 404",
                            "slow: no answer within 0.3 s",
                            "server: the server answered with status 500",
                            "html: no [SATTYPE] section",
                            "huge: the answer is larger than 1 MiB, far more than a transponder "
                            "list",
                        }));
}

TEST_F(Download, AddressesOtherThanHttpFail) {
    satList.entries = {{"file:///etc/passwd", "file"}, {"ftp://127.0.0.1/x", "ftp"}, {"", "NOK"}};
    const DownloadOutcome outcome = downloadLists(satList, {0, 1, 2}, options, progress);
    EXPECT_TRUE(outcome.list.satellites.empty());
    ASSERT_EQ(outcome.list.failures.size(), 3u);
    EXPECT_EQ(outcome.list.failures[2].source, "") << "an entry without a label goes by address";
}

TEST_F(Download, CancelStopsAtOnceAndKeepsNothingBack) {
    entry("/a", {200, listFor("0192", "Astra", 2), {}, {}});
    entry("/b", {200, listFor("0130", "Hot Bird", 1), 5s, {}});
    entry("/c", {200, listFor("0282", "Astra 2", 1), {}, {}});
    options.timeout = 20s;
    const auto started = std::chrono::steady_clock::now();
    std::thread canceller([&] {
        std::this_thread::sleep_for(200ms);
        progress.cancel = true; // while /b keeps its answer back
    });
    const DownloadOutcome outcome = downloadLists(satList, {0, 1, 2}, options, progress);
    canceller.join();
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s) << "the slow answer is not awaited";
    EXPECT_EQ(http.requests().size(), 2u) << "nothing asked after the cancel";
}

TEST(TransponderListFiles, ReadInOrderWithFailuresNamed) {
    test::TempDir dir;
    test::writeFile(dir / "a.ini", bytesOf(listFor("0192", "Astra", 2)));
    test::writeFile(dir / "b.ini", bytesOf("nothing"));
    test::writeFile(dir / "c.ini", bytesOf(listFor("0130", "Hot Bird", 1)));
    test::writeFile(dir / "d.ini", {});
    const ImportedList list = readTransponderLists(
        {dir / "c.ini", dir / "a.ini", dir / "b.ini", dir / "none.ini", dir / "d.ini"});
    ASSERT_EQ(list.satellites.size(), 2u);
    EXPECT_EQ(list.satellites[0].name, "Hot Bird");
    EXPECT_EQ(list.satellites[1].name, "Astra");
    ASSERT_EQ(list.failures.size(), 3u);
    EXPECT_EQ(list.failures[0].reason, "no [SATTYPE] section");
    EXPECT_EQ(list.failures[1].reason, "no such file");
    EXPECT_EQ(list.failures[2].reason, "the file is empty");
}

} // namespace
} // namespace tavrino
