// The command line's import commands, run in-process: the lists are the import tests'; here
// the commands choose, report and write.
#include "cli_runner.h"
#include "loopback_http.h"
#include "shared_data.h"

#include <gmock/gmock.h>
#include <tuple>

namespace tavrino {
namespace {
using namespace testing;
using test::CliRun;
using test::lines;
using test::sharedData;

const std::string dmm = (sharedData / "satellites-xml/dmm-2016.xml").string();

class CliImport : public testing::Test {
protected:
    void SetUp() override { test::writeSample(rx.path(), {.services = 300, .satellites = 5}); }

    CliRun cli(std::vector<std::string> args) {
        args.insert(args.begin(), {"--data-dir", data.path().string()});
        args.insert(args.begin() + 3, dir());
        return test::runCli(args);
    }
    std::string dir() const { return rx.path().string(); }
    std::vector<Bytes> files() const {
        return {test::readFile(rx / "all_channel.dat"), test::readFile(rx / "antenna_list.dat"),
                test::readFile(rx / "DVBS.dat")};
    }
    std::vector<std::string> satellites() { return lines(cli({"satellites"}).out); }

    test::TempDir rx;
    test::TempDir data;
};

TEST_F(CliImport, ImportXmlWritesTheFolderAndLeavesTheServices) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    const Bytes channel = test::readFile(rx / "all_channel.dat");
    const CliRun run = cli({"import-xml", dmm});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("wrote "));
    EXPECT_THAT(run.err, HasSubstr("summary: 52 satellites (52 added, 0 kept, 5 removed), 1916 "
                                   "transponders;"));
    EXPECT_EQ(satellites().size(), 53u);
    EXPECT_EQ(test::readFile(rx / "all_channel.dat"), channel);
    ASSERT_NE(test::get(test::readFile(rx / "antenna_list.dat"), 0, 2), 0)
        << "the sample's longitude stays";
    ASSERT_EQ(cli({"import-xml", dmm, "--reset-antenna"}).exitCode, 0);
    EXPECT_EQ(test::get(test::readFile(rx / "antenna_list.dat"), 0, 2), 0);
}

TEST_F(CliImport, ADryRunOrARefusalWritesNothing) {
    TAVRINO_SKIP_WITHOUT_SHARED_DATA();
    const auto before = files();
    const CliRun run = cli({"import-xml", dmm, "--dry-run", "--only", "11.0W,9.0E"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 1u + 52 + 5);
    EXPECT_EQ(rows[0], "Fate,Index,Replaces,Name,Position,EW,Transponders,TpAdded,TpRemoved,"
                       "TpChanged,Services,Antenna");
    EXPECT_EQ(rows[1], "Added,0,,Express 3A (11.0W),11.0,W,20,20,0,0,0,default");
    using Refusal = std::tuple<std::vector<std::string>, int, std::string>;
    for (const auto& [args, exitCode, message] : std::vector<Refusal>{
             {{"import-xml", dmm, "--only", "19.2"}, 1, "--only takes positions"},
             {{"import-kingofsat"}, 2, "SATList.ini: Error occured: Empty file !!!"},
         }) {
        const CliRun refused = cli(args);
        EXPECT_EQ(refused.exitCode, exitCode) << args.back();
        EXPECT_THAT(refused.err, HasSubstr(message));
    }
    EXPECT_EQ(files(), before);
}

TEST_F(CliImport, ImportKingOfSatDownloadsTheChosenLines) {
    test::LoopbackHttp http;
    const auto list = [](const std::string& pos, const std::string& name) {
        return "[SATTYPE]\n1=" + pos + "\n2=" + name + "\n[DVB]\n0=1\n1=11778,V,27500,34,S2,8PSK\n";
    };
    http.answer("/dl?pos=19.2E&x", {200, list("0192", "Astra 1KR"), {}, {}});
    http.answer("/dl?pos=13.0E&x", {200, list("0130", "Hot Bird"), {}, {}});
    http.answer("/dl?pos=28.2E&x", {200, list("0282", "Astra 2"), {}, {}});
    std::string satList;
    for (const char* pos : {"19.2E", "gone", "13.0E", "28.2E"}) {
        satList += http.url("/dl?pos=" + std::string(pos) + "&x") + "\r\n";
    }
    test::writeText(data / "SATList.ini", satList);
    test::writeText(data / "Sel.ini", " 1 \r\n 3 \r\n");
    CliRun run = cli({"import-kingofsat", "--timeout", "5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(run.err, HasSubstr("failed: gone: the server answered with status 404"));
    EXPECT_EQ(satellites().size(), 2u) << "Sel.ini chose lines 1 and 3";

    run = cli({"import-kingofsat", "--select", "2,0", "--dry-run"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_THAT(lines(run.out), IsSupersetOf({StartsWith("Added,0,,Astra 1KR,1"),
                                              StartsWith("Added,1,,Hot Bird,13.")}));
    EXPECT_THAT(run.err, HasSubstr("downloading 1 of 2: 19.2E"));
    EXPECT_EQ(cli({"import-kingofsat", "--select", "4"}).exitCode, 1);
}

} // namespace
} // namespace tavrino
