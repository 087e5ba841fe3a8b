// What the window shows in the states where a choice was made.

#include "update/update_look.h"

#include <gtest/gtest.h>

#include <string>

namespace orvel::update {
namespace {

TEST(UpdateLook, OnlyQueuedAndRunningDownloadsHoldTheWindowOpen)
{
    for (int state = 0; state <= 8; ++state) {
        SCOPED_TRACE(state);
        // A downloaded row stays downloaded: it must not keep the window from closing.
        EXPECT_EQ(HoldsWindowOpen(state), state == 3 || state == 4 || state == 6);
        EXPECT_EQ(LookOfRow(state, false, false).tickable, state == 1 || state == 2 || state == 8);
    }
}

TEST(UpdateLook, FailedCheckAndDownloadedRowsSayWhatHappened)
{
    EXPECT_EQ(std::string(LookOfRow(kRowNothing, true, false).textKey), "UpdateCheckFailText");
    EXPECT_EQ(std::string(LookOfRow(kRowNothing, false, false).textKey), "LessUpdateText");

    const RowLook program = LookOfRow(kRowDownloaded, false, true);
    const RowLook firmware = LookOfRow(kRowDownloaded, false, false);
    EXPECT_EQ(std::string(program.textKey), "DownloadOkText");
    EXPECT_TRUE(program.showOpenFolder && program.showOk && firmware.showOpenFolder);
    ASSERT_TRUE(program.hintKey && firmware.hintKey);
    EXPECT_NE(std::string(program.hintKey), std::string(firmware.hintKey));

    EXPECT_TRUE(LookOfRow(kRowDownloading, false, false).showProgress);
    EXPECT_TRUE(LookOfPage(kPageChecking).showRing);
    EXPECT_TRUE(LookOfPage(kPageUpToDate).appendDate);
    EXPECT_EQ(std::string(LookOfPage(kPageUpdatesOff).textKey), "UpdateServiceOffText");
}

} // namespace
} // namespace orvel::update
