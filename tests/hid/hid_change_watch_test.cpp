// The change watch over the folder of virtual devices: created when missing, quiet while
// nothing changes, signalled when a socket appears or goes.

#include "platform/hid/hid_change_watch.h"

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvel {
namespace {

TEST(HidChangeWatch, SignalsWhenTheVirtualFolderChanges)
{
    orvel::testing::TempFolder temp;
    const auto folder = temp / "vhid";
    temp.setEnv("ORVEL_VHID_DIR", folder.string());
    const EventHandle changed = CreateEventW(false, false);
    HidChangeWatch watch(changed);
    ASSERT_TRUE(watch.WatchesVirtualFolder());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(WaitForSingleObject(changed, 200), WAIT_TIMEOUT);

    std::ofstream(folder / "mouse.if1.sock") << "";
    EXPECT_EQ(WaitForSingleObject(changed, 2000), WAIT_OBJECT_0);
    std::filesystem::remove(folder / "mouse.if1.sock");
    EXPECT_EQ(WaitForSingleObject(changed, 2000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(changed, 200), WAIT_TIMEOUT);
}

} // namespace
} // namespace orvel
