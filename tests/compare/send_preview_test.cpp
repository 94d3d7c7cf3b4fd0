#include "compare/send_preview.h"
#include "link_fixture.h"
#include "workspace/workspace.h"

namespace tavrino {
namespace {

class SendPreviewTest : public test::LinkFixture {};

// The preview refuses what a send would refuse, tells what a send would tell, and a cancel
// stops it without a message. What it prints is the command line's test.
TEST_F(SendPreviewTest, TellsAFailureAndStopsWhenCancelled) {
    startSim({"--refuse-login"});
    test::TempDir local;
    Workspace toSend;
    sample::writeFolder(receiverFiles, local.path());
    std::filesystem::remove(local / "antenna_list.dat");
    ASSERT_TRUE(toSend.openFolder(local.path()).opened());
    EXPECT_FALSE(previewSend(toSend, context()).comparison) << "a send would refuse it too";
    sample::writeFolder(receiverFiles, local.path());
    ASSERT_TRUE(toSend.openFolder(local.path()).opened());
    EXPECT_FALSE(previewSend(toSend, context()).comparison);
    cancel.cancel();
    const SendPreview cancelled = previewSend(toSend, context());
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.comparison);
    ASSERT_EQ(prompter.told.size(), 2u) << "a cancel is no failure to tell";
    EXPECT_EQ(prompter.told[0].text,
              "Open all_channel.dat, antenna_list.dat and DVBS.dat before sending !!!");
    EXPECT_EQ(prompter.told[1].text, "Invalid username or password");
    EXPECT_TRUE(leftovers(staging()).empty());
}

} // namespace
} // namespace tavrino
