#include "compare/send_preview.h"
#include "link_fixture.h"
#include "opened.h"

namespace tavrino {
namespace {

class SendPreviewTest : public test::LinkFixture {};

// The preview refuses what a send would refuse, tells what a send would tell, and a cancel
// stops it without a message. What it prints is the command line's test.
TEST_F(SendPreviewTest, TellsAFailureAndStopsWhenCancelled) {
    startSim({"--refuse-login"});
    const test::Opened channelOnly(receiverFiles.channel);
    EXPECT_FALSE(previewSend(channelOnly.ws, context()).comparison) << "a send would refuse it";
    const test::Opened whole(receiverFiles);
    cancel.cancel();
    const SendPreview cancelled = previewSend(whole.ws, context());
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.comparison);
    ASSERT_EQ(prompter.told.size(), 1u) << "a cancel is no failure to tell";
    EXPECT_EQ(prompter.told[0].text,
              "Open all_channel.dat, antenna_list.dat and DVBS.dat before sending !!!");
    EXPECT_TRUE(leftovers(staging()).empty());
}

} // namespace
} // namespace tavrino
