// Same-mode lighting across a keyboard and a mouse on their emulators.

#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "devices/same_mode.h"
#include "lighting/device_lighting.h"
#include "lighting/keyboard_lighting.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"
#include "tests/support/full_disk.h"

#include <gtest/gtest.h>

namespace orvel::devices {
namespace {

using namespace testing;
using sim::Path;

class SameModeOnEmulators : public ::testing::Test {
protected:
    SameModeOnEmulators()
    {
        mouse.ConnectLighting(&mouseLights);
        keyboard.ConnectLighting(&keyboardLights);
        mouse.SetProfileIdentifier("profile1");
        keyboard.SetProfileIdentifier("profile1");
        mouseDevice.Attach(Path::Cable);
        keyboardDevice.Attach(Path::Cable);
        EXPECT_EQ(mouse.LoadFromDevice(), 1);
        EXPECT_EQ(keyboard.LoadFromDevice(), 1);
        mouseDevice.Sent();
        keyboardDevice.Sent();
    }

    EmulatedDevice mouseDevice{sim::DeviceKind::Mouse};
    EmulatedDevice keyboardDevice{sim::DeviceKind::Keyboard};
    MouseCore mouse{*mouseDevice.link, mouseDevice.Folders("mouse")};
    KeyboardCore keyboard{*keyboardDevice.link, keyboardDevice.Folders("keyboard")};
    // The light loops of the two pages; their flags are the ones same mode sets.
    lighting::MouseLighting mouseLights;
    lighting::KeyboardLighting keyboardLights;
};

TEST_F(SameModeOnEmulators, EveryConnectedDeviceTakesTheCommonEffect)
{
    profiles::LightRecord record = mouse.CurrentLight();
    record.selectItem = 2; // the mouse's breathing
    record.speed = 1;
    record.red = 10;
    ASSERT_EQ(mouse.ApplyLight(record).status, 1);
    mouseDevice.Sent();

    const SameModeResult result = SyncSameMode(mouse, {&mouse, &keyboard});
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(result.writes.status, 1);
    EXPECT_EQ(keyboard.CurrentLight().selectItem, 5); // the keyboard's breathing
    EXPECT_EQ(keyboard.CurrentLight().speed, 1);
    EXPECT_EQ(keyboard.CurrentLight().red, 10);
    EXPECT_EQ(keyboard.Profile().GetLightInfo().selectItem, 5);
    EXPECT_TRUE(keyboardLights.SyncFlag());
    EXPECT_TRUE(mouseLights.SyncFlag());
    EXPECT_EQ(keyboardDevice.Memory().block[1], 5);
    EXPECT_EQ(keyboardDevice.Memory().block[3], 3);
    EXPECT_EQ(mouseDevice.Memory().block[1], 2);
}

TEST_F(SameModeOnEmulators, ModesWithoutACommonEffectAndClosedLinksAreLeftAlone)
{
    profiles::LightRecord record = mouse.CurrentLight();
    record.selectItem = 0; // the mouse's wave has no common effect
    mouse.ApplyLight(record);
    mouseDevice.Sent();
    EXPECT_FALSE(SyncSameMode(mouse, {&mouse, &keyboard}).applied);
    EXPECT_TRUE(mouseDevice.Sent().empty());
    EXPECT_TRUE(keyboardDevice.Sent().empty());

    record.selectItem = 3; // static
    mouse.ApplyLight(record);
    mouseDevice.Sent();
    keyboardDevice.link->linkOpen = 0;
    const int before = keyboard.CurrentLight().selectItem;
    EXPECT_TRUE(SyncSameMode(mouse, {&mouse, &keyboard}).applied);
    EXPECT_EQ(keyboard.CurrentLight().selectItem, before);
    EXPECT_FALSE(keyboardLights.SyncFlag());
    EXPECT_FALSE(mouseDevice.Sent().empty());
}

// A light change from the device's own panel, the same entry on every kind, leaves the
// synchronised lighting: the light loop runs its own effect again.
TEST_F(SameModeOnEmulators, ChangingTheLightingOnTheDeviceLeavesTheSynchronisedLighting)
{
    profiles::LightRecord record = mouse.CurrentLight();
    record.selectItem = 3; // static
    ASSERT_EQ(mouse.ApplyLight(record).status, 1);
    ASSERT_TRUE(SyncSameMode(mouse, {&mouse, &keyboard}).applied);
    struct Case {
        DeviceCore& core;
        lighting::DeviceLighting& lights;
    };
    for (Case c : {Case{mouse, mouseLights}, Case{keyboard, keyboardLights}}) {
        ASSERT_TRUE(c.lights.SyncFlag());
        profiles::LightRecord own = c.core.CurrentLight();
        own.light = 1;
        EXPECT_EQ(c.core.ChangeLighting(own).status, 1);
        EXPECT_FALSE(c.lights.SyncFlag());
        EXPECT_EQ(c.core.CurrentLight().light, 1);
    }
}

// Each device's own result is kept: a profile that could not be saved (the devices were
// written) is not a device that was not updated, and a device that refused is still one.
TEST_F(SameModeOnEmulators, ProfilesNotSavedAreNotReportedAsDevicesNotUpdated)
{
    profiles::LightRecord record = mouse.CurrentLight();
    record.selectItem = 2; // breathing
    ASSERT_EQ(mouse.ApplyLight(record).status, 1);
    struct Case {
        const char* name;
        bool keyboardRefuses;
        int status;
        std::vector<UserMessage> messages;
    };
    const Case cases[] = {
        {"both written, neither saved", false, kProfileNotSaved, {{kProfileNotSavedMessage}}},
        {"the keyboard refuses, neither saved", true, kLinkRejected,
         {{kDeviceNotUpdatedMessage}, {kProfileNotSavedMessage}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.keyboardRefuses) {
            keyboardDevice.RefuseNext(sim::cmd::kWriteBlock);
        }
        SameModeResult result;
        {
            orvel::testing::FullDisk full(1024);
            ASSERT_TRUE(full.Active());
            result = SyncSameMode(mouse, {&mouse, &keyboard});
        }
        EXPECT_TRUE(result.applied);
        EXPECT_EQ(result.writes.status, c.status);
        EXPECT_EQ(result.writes.messages, c.messages);
        EXPECT_EQ(mouseDevice.Memory().block[1], 2) << "the mouse was written";
    }
}

} // namespace
} // namespace orvel::devices
