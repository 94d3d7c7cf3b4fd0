#include "database/folder_lock.h"
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
    test::writeFile(staging() / ".all_channel.dat.part-Ab12Cd", {1, 2});   // one killed on its way
    test::writeFile(staging() / ".notes.txt.part-Ab12Cd", {1, 2});         // not ours
    const ReceiveResult result = receiveFiles(context());
    EXPECT_FALSE(result.readyToOpen);
    EXPECT_FALSE(fs::exists(staging() / "all_channel.dat"));
    EXPECT_EQ(leftovers(staging()), std::vector<std::string>{".notes.txt.part-Ab12Cd"});
    EXPECT_EQ(fates(result),
              (std::vector{FileFate::Missing, FileFate::Arrived, FileFate::Arrived}));
    ASSERT_EQ(prompter.told.size(), 1u) << "one failure, one message";
    EXPECT_EQ(prompter.told[0],
              (Notice{"Tavrino",
                      "File not found - Unable To Complete Request.\r\n\r\nall_channel.dat - "
                      "Empty file !!!\r\n\r\nNothing was opened: all_channel.dat did not "
                      "arrive !!!",
                      NoticeIcon::Exclamation}));
    EXPECT_EQ(result.problem.rfind("all_channel.dat: not on the Orvix (550", 0), 0u)
        << result.problem;
}

TEST_F(ReceiveTest, AnotherReceiveIntoTheSameFolderIsWaitedForNotDisturbed) {
    startSim();
    fs::create_directories(staging());
    test::writeFile(staging() / ".DVBS.dat.part-Xy34Zw", {1, 2}); // the other one's download
    const test::LockHeldElsewhere other(staging());
    ASSERT_TRUE(other.held());
    const ReceiveResult result = receiveFiles(context());
    EXPECT_FALSE(result.readyToOpen);
    EXPECT_EQ(fates(result), std::vector<FileFate>(3, FileFate::NotTried));
    EXPECT_TRUE(fs::exists(staging() / ".DVBS.dat.part-Xy34Zw"));
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, folderBusyText(staging()));
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

TEST_F(ReceiveTest, ACutDownloadIsAFailedReceiveWhicheverFileItHits) {
    for (const char* file : {"DVBS.dat", "antenna_list.dat"}) {
        startSim({"--drop", file});
        prompter.told.clear();
        const ReceiveResult result = receiveFiles(context());
        EXPECT_FALSE(result.readyToOpen) << file;
        const auto failed = std::find_if(result.files.begin(), result.files.end(),
                                         [&](const FileReport& f) { return f.name == file; });
        EXPECT_EQ(failed->fate, FileFate::Failed);
        EXPECT_FALSE(fs::exists(staging() / file));
        EXPECT_TRUE(leftovers(staging()).empty());
        ASSERT_EQ(prompter.told.size(), 1u) << "one failure, one message";
        EXPECT_EQ(prompter.told[0].title, "Failure");
        EXPECT_EQ(prompter.told[0].text.rfind(std::string(file) +
                                                  " was not received: the connection broke "
                                                  "after 1,024 of ",
                                              0),
                  0u)
            << prompter.told[0].text;
        EXPECT_TRUE(prompter.told[0].text.ends_with(" bytes.\r\n\r\nNothing was opened."))
            << prompter.told[0].text;
        sim.reset();
    }
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
    EXPECT_TRUE(leftovers(staging()).empty()) << "no partial file";
    EXPECT_EQ(log().find("Unable"), std::string::npos) << "a cancel is not a failure";
}

} // namespace
} // namespace tavrino
