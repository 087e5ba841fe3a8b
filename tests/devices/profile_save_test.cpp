// A change whose profile cannot be saved (the disk is full) still reaches the device, is reported as not saved
// instead of as success, and stays in memory so the next save that succeeds keeps it.

#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "tests/devices/emulated_device.h"
#include "tests/support/full_disk.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvel::devices {
namespace {

using namespace testing;

bool AsksForNotSaved(const SequenceResult& result)
{
    return std::find(result.messages.begin(), result.messages.end(), UserMessage{kProfileNotSavedMessage}) !=
           result.messages.end();
}

TEST(ProfileSaveFailure, MouseChangesReachTheDeviceAndAreKeptForTheNextSave)
{
    EmulatedDevice dev{sim::DeviceKind::Mouse};
    MouseCore core{*dev.link, dev.Folders("mouse")};
    core.SetProfileIdentifier("profile1");
    core.SetScreenSize(1920, 1080);
    dev.Attach(sim::Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    const auto file = dev.profileFolder / "profile1.Json";
    {
        orvel::testing::FullDisk full(1024);
        ASSERT_TRUE(full.Active());
        EXPECT_EQ(core.SetStageDpi(2, "5100"), kProfileNotSaved);
        EXPECT_EQ(dev.Memory().block[14 + 9 * 2 + 2], 49);

        profiles::LightRecord record = core.Light();
        record.light = 1;
        const SequenceResult light = core.ApplyLight(record);
        EXPECT_EQ(light.status, kProfileNotSaved);
        EXPECT_TRUE(AsksForNotSaved(light));
        EXPECT_EQ(dev.Memory().block[2], 1);
    }
    ASSERT_EQ(core.SetPollingRate(1), 1);
    profiles::CMouseProfiledata reread;
    reread.Load(file);
    EXPECT_EQ(reread.GetDpiStages()[2].levelX, 49);
    EXPECT_EQ(reread.GetLightInfo().light, 1);
}

TEST(ProfileSaveFailure, KeyboardOptionAndLightReportNotSaved)
{
    EmulatedDevice dev{sim::DeviceKind::Keyboard};
    KeyboardCore core{*dev.link, dev.Folders("keyboard")};
    core.SetProfileIdentifier("profile1");
    dev.Attach(sim::Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    const auto file = dev.profileFolder / "profile1.Json";
    orvel::testing::FullDisk full(1024);
    ASSERT_TRUE(full.Active());

    const SequenceResult option = core.SetOption(KeyboardOption::WinLock, 1);
    EXPECT_EQ(option.status, kProfileNotSaved);
    EXPECT_TRUE(AsksForNotSaved(option));
    EXPECT_EQ(dev.Memory().block[21], 1);

    profiles::LightRecord record = core.CurrentLight();
    record.selectItem = 6;
    const SequenceResult light = core.ApplyLight(record);
    EXPECT_EQ(light.status, kProfileNotSaved);
    EXPECT_EQ(dev.Memory().block[1], 6);
}

TEST(ProfileSaveFailure, ALinkFailureComesBeforeTheSaveFailure)
{
    SequenceResult result;
    result.Take(kLinkNoAnswer);
    result.TakeSave(false);
    EXPECT_EQ(result.status, kLinkNoAnswer);
    EXPECT_EQ(result.messages, (std::vector<UserMessage>{{kDeviceNotUpdatedMessage}, {kProfileNotSavedMessage}}));
    EXPECT_EQ(SavedThenWritten(false, kLinkWriteFailed), kLinkWriteFailed);
    EXPECT_EQ(SavedThenWritten(false, kLinkOk), kProfileNotSaved);
    EXPECT_EQ(SavedThenWritten(true, kLinkOk), kLinkOk);
}

} // namespace
} // namespace orvel::devices
