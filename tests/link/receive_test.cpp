#include "database/folder_lock.h"
#include "link/link_messages.h"
#include "link/workflows.h"
#include "link_fixture.h"
#include "workspace/workspace.h"

#include <gmock/gmock.h>
#include <tuple>

namespace tavrino {
namespace {
namespace fs = std::filesystem;
using namespace testing;
using enum FileFate;

std::vector<FileFate> fates(const ReceiveResult& result) {
    std::vector<FileFate> out;
    for (const auto& f : result.files) {
        out.push_back(f.fate);
    }
    return out;
}

class ReceiveTest : public test::LinkFixture {};

// Another receive into the same folder is waited for, not disturbed; once it is done the
// three files arrive and open.
TEST_F(ReceiveTest, FetchesTheThreeFilesOnceAnotherReceiveIntoTheFolderIsDone) {
    startSim();
    fs::create_directories(staging());
    test::writeFile(staging() / ".DVBS.dat.part-Xy34Zw", {1, 2}); // the other one's download
    auto other = std::make_unique<test::LockHeldElsewhere>(staging());
    ASSERT_TRUE(other->held());
    const ReceiveResult busy = receiveFiles(context());
    EXPECT_FALSE(busy.readyToOpen);
    EXPECT_EQ(fates(busy), std::vector<FileFate>(3, NotTried));
    EXPECT_TRUE(fs::exists(staging() / ".DVBS.dat.part-Xy34Zw"));
    EXPECT_EQ(told().text, folderBusyText(staging()));

    other.reset();
    const ReceiveResult result = receiveFiles(context());
    ASSERT_TRUE(result.readyToOpen) << result.problem;
    EXPECT_EQ(fates(result), std::vector<FileFate>(3, Arrived));
    EXPECT_THAT(prompter.told, IsEmpty());
    EXPECT_THAT(result.warnings, IsEmpty());
    EXPECT_EQ(test::readFile(staging() / "DVBS.dat"), receiverFiles.dvbs);
    Workspace ws;
    ASSERT_TRUE(ws.openStaged(result.stagingFolder).opened());
    EXPECT_EQ(ws.services().size(), 200u);
}

TEST_F(ReceiveTest, StaleStagedFilesAreRemovedAndNothingOpensWithoutTheChannelFile) {
    startSim({"--missing", "all_channel.dat"});
    fs::create_directories(staging());
    test::writeFile(staging() / "all_channel.dat", receiverFiles.channel); // an older receive
    test::writeFile(staging() / ".all_channel.dat.part-Ab12Cd", {1, 2});   // one killed on its way
    test::writeFile(staging() / ".notes.txt.part-Ab12Cd", {1, 2});         // not ours
    const ReceiveResult result = receiveFiles(context());
    EXPECT_FALSE(result.readyToOpen);
    EXPECT_FALSE(fs::exists(staging() / "all_channel.dat"));
    EXPECT_THAT(leftovers(staging()), ElementsAre(".notes.txt.part-Ab12Cd"));
    EXPECT_THAT(fates(result), ElementsAre(Missing, Arrived, Arrived));
    EXPECT_THAT(prompter.told,
                ElementsAre(Notice{"Tavrino",
                                   "File not found - Unable To Complete Request.\r\n\r\n"
                                   "all_channel.dat - Empty file !!!\r\n\r\nNothing was opened: "
                                   "all_channel.dat did not arrive !!!",
                                   NoticeIcon::Exclamation}))
        << "one failure, one message";
    EXPECT_THAT(result.problem, StartsWith("all_channel.dat: not on the Orvix (550"));
}

// A failed session or a cut download is told once, opens nothing and leaves no partial file.
TEST_F(ReceiveTest, AFailureIsToldOnceAndOpensNothing) {
    const auto cut = [&](const std::string& file, std::size_t size) {
        return file + " was not received: the connection broke after 1,024 of " + bytesText(size) +
               " bytes.\r\n\r\nNothing was opened.";
    };
    using Case = std::tuple<std::vector<std::string>, std::vector<FileFate>, Notice>;
    for (const auto& [faults, wanted, notice] : {
             Case{{"--refuse-login"},
                  {Failed, NotTried, NotTried},
                  {"Error", "Invalid username or password", NoticeIcon::None}},
             Case{{"--no-disk2"},
                  {Failed, NotTried, NotTried},
                  {"Failure",
                   "The folder /DISK2 is not on the Orvix: nothing was transferred.\r\n\r\n550 "
                   "No such file or directory.",
                   NoticeIcon::Critical}},
             Case{{"--drop", "DVBS.dat"},
                  {Arrived, Arrived, Failed},
                  {"Failure", cut("DVBS.dat", receiverFiles.dvbs.size()), NoticeIcon::Critical}},
             Case{{"--drop", "antenna_list.dat"},
                  {Arrived, Failed, NotTried},
                  {"Failure", cut("antenna_list.dat", receiverFiles.antenna.size()),
                   NoticeIcon::Critical}},
         }) {
        SCOPED_TRACE(faults.back());
        startSim(faults);
        prompter.told.clear();
        const ReceiveResult result = receiveFiles(context());
        EXPECT_FALSE(result.readyToOpen);
        EXPECT_EQ(fates(result), wanted);
        EXPECT_THAT(prompter.told, ElementsAre(notice));
        EXPECT_THAT(result.problem, Not(HasSubstr(test::simPassword)));
        for (const FileReport& f : result.files) {
            EXPECT_EQ(fs::exists(staging() / f.name), f.fate == Arrived) << f.name;
        }
        EXPECT_THAT(leftovers(staging()), IsEmpty());
        sim.reset();
    }
}

} // namespace
} // namespace tavrino
