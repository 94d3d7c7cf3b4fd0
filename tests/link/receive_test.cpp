#include "link/link_messages.h"
#include "link/workflows.h"
#include "link_fixture.h"
#include "workspace/workspace.h"

namespace tavrino {
namespace {
namespace fs = std::filesystem;

class ReceiveTest : public test::LinkFixture {
protected:
    std::vector<FileFate> fates(const ReceiveResult& result) {
        std::vector<FileFate> out;
        for (const auto& f : result.files) {
            out.push_back(f.fate);
        }
        return out;
    }
};

TEST_F(ReceiveTest, FetchesTheThreeFilesAndTheyOpen) {
    startSim();
    const ReceiveResult result = receiveFiles(context());
    ASSERT_TRUE(result.readyToOpen) << result.problem;
    EXPECT_EQ(fates(result), std::vector<FileFate>(3, FileFate::Arrived));
    EXPECT_TRUE(prompter.told.empty());
    EXPECT_TRUE(result.warnings.empty());
    EXPECT_EQ(test::readFile(staging() / "DVBS.dat"), receiverFiles.dvbs);
    EXPECT_EQ(progress.steps.front(), "Conecting...");
    EXPECT_EQ(std::count(progress.steps.begin(), progress.steps.end(), "Downloading..."), 3);
    Workspace ws;
    ASSERT_TRUE(ws.openStaged(result.stagingFolder).opened());
    EXPECT_EQ(ws.services().size(), 200u);
}

TEST_F(ReceiveTest, StaleStagedFilesAreRemovedAndNothingOpensWithoutTheChannelFile) {
    startSim({"--missing", "all_channel.dat"});
    fs::create_directories(staging());
    test::writeFile(staging() / "all_channel.dat", receiverFiles.channel); // an older receive
    const ReceiveResult result = receiveFiles(context());
    EXPECT_FALSE(result.readyToOpen);
    EXPECT_FALSE(fs::exists(staging() / "all_channel.dat"));
    EXPECT_EQ(fates(result),
              (std::vector{FileFate::Missing, FileFate::Arrived, FileFate::Arrived}));
    ASSERT_EQ(prompter.told.size(), 2u);
    EXPECT_EQ(prompter.told[0],
              (Notice{"Tavrino",
                      "File not found - Unable To Complete Request.\r\n\r\nall_channel.dat - "
                      "Empty file !!!",
                      NoticeIcon::None}));
    EXPECT_EQ(prompter.told[1].text, "Nothing was opened: all_channel.dat did not arrive !!!");
    EXPECT_EQ(result.problem.rfind("all_channel.dat: not on the Orvix (550", 0), 0u)
        << result.problem;
}

TEST_F(ReceiveTest, WithoutTheAntennaFileTheOthersOpenWithAWarning) {
    startSim({"--missing", "antenna_list.dat"});
    const ReceiveResult result = receiveFiles(context());
    ASSERT_TRUE(result.readyToOpen);
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0].rfind("antenna_list.dat: not on the Orvix", 0), 0u);
    EXPECT_EQ(prompter.told.size(), 1u);
    Workspace ws;
    ASSERT_TRUE(ws.openStaged(result.stagingFolder).opened());
    EXPECT_FALSE(ws.files().satelliteFiles.antenna.loaded());
}

TEST_F(ReceiveTest, SessionFailuresAreToldOnceAndEndTheReceive) {
    struct Case {
        std::string fault;
        Notice notice;
    };
    for (const Case& c : {
             Case{"--refuse-login", {"Error", "Invalid username or password", NoticeIcon::None}},
             Case{"--no-disk2",
                  {"Failure",
                   "The folder /DISK2 is not on the Orvix: nothing was transferred.\r\n\r\n550 "
                   "No such file or directory.",
                   NoticeIcon::Critical}},
         }) {
        startSim({c.fault});
        prompter.told.clear();
        const ReceiveResult result = receiveFiles(context());
        EXPECT_FALSE(result.readyToOpen);
        EXPECT_EQ(fates(result),
                  (std::vector{FileFate::Failed, FileFate::NotTried, FileFate::NotTried}));
        ASSERT_EQ(prompter.told.size(), 1u) << c.fault;
        EXPECT_EQ(prompter.told[0], c.notice);
        EXPECT_EQ(result.problem.find(test::simPassword), std::string::npos);
        sim.reset();
    }
}

TEST_F(ReceiveTest, DroppedTransferCountsAsFailedAndLeavesNoPartialFile) {
    startSim({"--drop", "DVBS.dat"});
    const ReceiveResult result = receiveFiles(context());
    EXPECT_FALSE(result.readyToOpen);
    EXPECT_EQ(result.files[2].fate, FileFate::Failed);
    EXPECT_FALSE(fs::exists(staging() / "DVBS.dat"));
    EXPECT_TRUE(leftovers(staging()).empty());
    ASSERT_EQ(prompter.told.size(), 2u);
    EXPECT_EQ(prompter.told[0].text.rfind("DVBS.dat was not received: ", 0), 0u);
    EXPECT_EQ(prompter.told[1].text, "Nothing was opened: DVBS.dat did not arrive !!!");
}

TEST_F(ReceiveTest, CancelDuringATransferOpensNothingAndSaysNothing) {
    startSim({"--slow", "20000"});
    progress.cancelAfterBytes = &cancel;
    const ReceiveResult result = receiveFiles(context());
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.readyToOpen);
    EXPECT_TRUE(prompter.told.empty());
    EXPECT_EQ(fates(result),
              (std::vector{FileFate::Failed, FileFate::NotTried, FileFate::NotTried}));
    EXPECT_TRUE(leftovers(staging()).empty());
}

} // namespace
} // namespace tavrino
