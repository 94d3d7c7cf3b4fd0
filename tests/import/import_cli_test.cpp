#include "cli_runner.h"
#include "loopback_http.h"
#include "shared_data.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using test::runProgram;

using test::sharedData;
const std::string dmm = (sharedData / "satellites-xml/dmm-2016.xml").string();

std::string arg(const fs::path& path) { // for the shell
    return "'" + path.string() + "'";
}

Bytes bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

class ImportCli : public testing::Test {
protected:
    void SetUp() override { test::writeSample(rx.path(), {.services = 300, .satellites = 5}); }

    test::CliRun cli(const std::string& args) {
        return runProgram(TAVRINO_CLI, "--data-dir " + arg(data.path()) + " " + args);
    }
    std::vector<Bytes> files() const {
        return {test::readFile(rx / "all_channel.dat"), test::readFile(rx / "antenna_list.dat"),
                test::readFile(rx / "DVBS.dat")};
    }
    std::size_t satelliteRows() {
        return test::lines(cli("satellites " + arg(rx.path())).out).size() - 1;
    }

    test::TempDir rx;
    test::TempDir data;
};

TEST_F(ImportCli, ImportXmlWritesTheFolderAndLeavesTheServices) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    const test::CliRun run = cli("import-xml " + arg(rx.path()) + " " + arg(dmm));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("wrote "), std::string::npos);
    EXPECT_NE(run.err.find("summary: 52 satellites (52 added, 0 kept, 5 removed), 1916 "
                           "transponders;"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(satelliteRows(), 52u);
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), channel);
    EXPECT_TRUE(fs::exists(data / "backups/files")) << "the replaced files are kept";
}

TEST_F(ImportCli, DryRunPrintsThePreviewAndWritesNothing) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    const auto before = files();
    const test::CliRun run =
        cli("import-xml " + arg(rx.path()) + " " + arg(dmm) + " --dry-run --only 11.0W,9.0E");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = test::lines(run.out);
    ASSERT_EQ(rows.size(), 1u + 52 + 5);
    EXPECT_EQ(rows[0], "Fate,Index,Replaces,Name,Position,EW,Transponders,TpAdded,TpRemoved,"
                       "TpChanged,Services,Antenna");
    EXPECT_EQ(rows[1], "Added,0,,Express 3A (11.0W),11.0,W,20,20,0,0,0,default");
    EXPECT_EQ(rows[2], "Left out,,,Atlantic Bird 1 (12.5W),12.5,W,80,,,,0,");
    EXPECT_EQ(rows[52].substr(0, 30), "Added,1,,Eurobird 9 (9.0E),9.0");
    EXPECT_EQ(rows[53].substr(0, 10), "Removed,,0");
    EXPECT_EQ(files(), before);
}

TEST_F(ImportCli, ResetAntennaGivesEveryRecordTheDefault) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    const Bytes antenna = test::readFile(rx / "antenna_list.dat");
    ASSERT_NE(test::get(antenna, 0, 2), 0) << "the sample's longitude";
    ASSERT_EQ(cli("import-xml " + arg(rx.path()) + " " + arg(dmm) + " --reset-antenna").exitCode,
              0);
    EXPECT_EQ(test::get(test::readFile(rx / "antenna_list.dat"), 0, 2), 0);
}

TEST_F(ImportCli, RefusalsWriteNothing) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    test::writeFile(data / "broken.xml", bytesOf("<satellites>\n<sat name=\"a\" position=\"1\">"));
    struct Case {
        std::string args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"import-xml DIR " + arg(data / "broken.xml"), 2,
         "broken.xml is damaged: line 2, column 27: Start-end tags mismatch."},
        {"import-xml DIR " + arg(data / "none.xml"), 2, "Error occured: Empty file !!!"},
        {"import-xml DIR " + arg(dmm) + " --only 1.0E", 2, "no satellite at 1.0E"},
        {"import-xml DIR " + arg(dmm) + " --only 19.2", 1, "--only takes positions"},
        {"import-ini DIR " + arg(data / "none.ini"), 2, "no list could be read"},
        {"import-kingofsat DIR", 2, "SATList.ini: Error occured: Empty file !!!"},
    };
    const auto before = files();
    for (const Case& c : cases) {
        std::string args = c.args;
        args.replace(args.find("DIR"), 3, arg(rx.path()));
        const test::CliRun run = cli(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(files(), before);
    }
}

TEST_F(ImportCli, ImportIniTakesFilesInOrderAndNamesThoseItCannotRead) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    const fs::path ini = sharedData / "transponder-ini";
    const test::CliRun run =
        cli("import-ini " + arg(rx.path()) + " " + arg(ini / "mixesoft-2018-2590.ini") + " " +
            arg(data / "none.ini") + " " + arg(ini / "kingofsat-2015-0420.ini"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("failed: " + (data / "none.ini").string() + ": no such file"),
              std::string::npos)
        << run.err;
    const auto rows = test::lines(cli("satellites " + arg(rx.path())).out);
    EXPECT_EQ(rows, (std::vector<std::string>{"Index,Name,Position,EW,Transponders",
                                              "0,\"SES 1, DirecTV 4S,8\",101.0,W,20",
                                              "1,42E,42.0,E,175"}));
}

TEST_F(ImportCli, ImportKingOfSatDownloadsTheChosenLines) {
    test::LoopbackHttp http;
    const auto list = [](const std::string& pos, const std::string& name) {
        return "[SATTYPE]\n1=" + pos + "\n2=" + name + "\n[DVB]\n0=1\n1=11778,V,27500,34,S2,8PSK\n";
    };
    http.answer("/dl?pos=19.2E&x", {200, list("0192", "Astra 1KR"), {}, {}});
    http.answer("/dl?pos=13.0E&x", {200, list("0130", "Hot Bird"), {}, {}});
    http.answer("/dl?pos=28.2E&x", {200, list("0282", "Astra 2"), {}, {}});
    test::writeFile(data / "SATList.ini",
                    bytesOf(http.url("/dl?pos=19.2E&x") + "\r\n" + http.url("/dl?pos=gone&x") +
                            "\r\n" + http.url("/dl?pos=13.0E&x") + "\r\n" +
                            http.url("/dl?pos=28.2E&x") + "\r\n"));
    test::writeFile(data / "Sel.ini", bytesOf(" 1 \r\n 3 \r\n"));
    test::CliRun run = cli("import-kingofsat " + arg(rx.path()) + " --timeout 5");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("failed: gone: the server answered with status 404"), std::string::npos)
        << run.err;
    EXPECT_EQ(satelliteRows(), 1u) << "Sel.ini chose lines 1 and 3";

    run = cli("import-kingofsat " + arg(rx.path()) + " --select 2,0 --dry-run");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = test::lines(run.out);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[1].substr(0, 20), "Added,0,,Astra 1KR,1");
    EXPECT_EQ(rows[2].substr(0, 21), "Added,1,,Hot Bird,13.");
    EXPECT_NE(run.err.find("downloading 1 of 2: 19.2E"), std::string::npos) << run.err;
    EXPECT_EQ(cli("import-kingofsat " + arg(rx.path()) + " --select 4").exitCode, 1);
}

} // namespace
} // namespace tavrino
