// Same-mode lighting across a keyboard and a mouse on their emulators.

#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "devices/same_mode.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"

#include <gtest/gtest.h>

namespace orvel::devices {
namespace {

using namespace testing;
using sim::Path;

class SameModeOnEmulators : public ::testing::Test {
protected:
    SameModeOnEmulators()
    {
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
    EXPECT_EQ(keyboardDevice.link->syncFlag, 1);
    EXPECT_EQ(mouseDevice.link->syncFlag, 1);
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
    EXPECT_EQ(keyboardDevice.link->syncFlag, 0);
    EXPECT_FALSE(mouseDevice.Sent().empty());
}

} // namespace
} // namespace orvel::devices
