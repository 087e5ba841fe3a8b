// Deleting a macro while keys of the keyboard's profile play it or a macro after it: the
// profile's keys and the keyboard's key table and macro image must agree afterwards, so no key
// of the device plays the deleted macro or one that took another's place.

#include "devices/key_write_steps.h"
#include "devices/keyboard_core.h"
#include "input/macro_library.h"
#include "sim/devices/factory_tables.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"

#include <gtest/gtest.h>

#include <array>

namespace orvel::input {
namespace {

using devices::KeyboardCore;

std::array<std::uint8_t, 3> TableEntry(const devices::testing::EmulatedDevice& dev, std::size_t key)
{
    const std::vector<std::uint8_t> table = dev.Memory().keyTable;
    return {table.at(3 * key), table.at(3 * key + 1), table.at(3 * key + 2)};
}

profiles::KeyEntry& EntryOfKey(KeyboardCore& core, std::size_t key)
{
    return core.Keys().at(static_cast<std::size_t>(sim::KeyboardKeyPositions()[key]));
}

TEST(MacroDeleteOnTheKeyboard, TheKeysOfTheDeletedMacroAndOfTheMacrosAfterItAreWrittenAnew)
{
    devices::testing::EmulatedDevice dev(sim::DeviceKind::Keyboard);
    // Three macros told apart by their length (2, 4 and 6 events).
    devices::testing::WriteMacros(dev.profileFolder, {2, 4, 6});
    devices::testing::WriteProfile(dev.profileFolder, "profile1", "keyboard", [](Json::Value&) {});
    KeyboardCore core(*dev.link, dev.Folders("keyboard"));
    core.SetProfileIdentifier("profile1");
    dev.Attach(sim::Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);

    // Keys 10, 11 and 12 play macros 0, 1 and 2 (repeat mode 1).
    const std::array<std::size_t, 3> keys = {10, 11, 12};
    for (std::size_t m = 0; m < keys.size(); ++m) {
        profiles::KeyEntry& entry = EntryOfKey(core, keys[m]);
        entry.current = profiles::KeyHalf::FromCode(entry.current.position, ToInteger({0x70, static_cast<std::uint8_t>(m), 0x01}));
    }
    core.Profile().SetKeyAssignments(core.Keys());
    ASSERT_TRUE(WriteMacrosThenKeys(devices::KeyWriteStepsOf(core)).keysWritten);
    const auto factory = sim::KeyboardFactoryKeyTable();
    ASSERT_EQ(TableEntry(dev, keys[1]), (std::array<std::uint8_t, 3>{0x70, 0x01, 0x01}));

    MacroLibrary library(dev.profileFolder);
    library.Load();
    const DeleteOutcome outcome = library.Delete(1, dev.profileFolder / "profile1.Json");
    ASSERT_EQ(outcome.status, MacroStatus::Done);
    ASSERT_TRUE(outcome.currentProfileChanged);
    ASSERT_EQ(core.LoadProfile(), 1);
    const KeyWriteResult written = WriteMacrosThenKeys(devices::KeyWriteStepsOf(core));
    EXPECT_TRUE(written.keysWritten);
    EXPECT_TRUE(written.profileSaved);

    // The profile: key 11 is back on its default, key 12 on the macro that was number 2.
    EXPECT_EQ(EntryOfKey(core, keys[1]).current.Code(), EntryOfKey(core, keys[1]).defaults.Code());
    EXPECT_EQ(EntryOfKey(core, keys[2]).current.Code(), ToInteger({0x70, 0x01, 0x01}));
    // The keyboard: key 11 does what it did from the factory, keys 10 and 12 play the first and
    // second macro of an image that holds the 2- and 6-event macros only.
    EXPECT_EQ(TableEntry(dev, keys[0]), (std::array<std::uint8_t, 3>{0x70, 0x00, 0x01}));
    EXPECT_EQ(TableEntry(dev, keys[1]),
              (std::array<std::uint8_t, 3>{factory.at(3 * keys[1]), factory.at(3 * keys[1] + 1), factory.at(3 * keys[1] + 2)}));
    EXPECT_EQ(TableEntry(dev, keys[2]), (std::array<std::uint8_t, 3>{0x70, 0x01, 0x01}));
    const std::vector<int> remaining = {0, 1};
    const ImageResult image = library.BuildImage(remaining, core.DeviceInfo()[6]);
    ASSERT_EQ(image.status, ImageStatus::Ok);
    ASSERT_EQ(library.LoadEvents(1).size(), 6u);
    EXPECT_EQ(dev.Memory().macros, image.bytes);
}

} // namespace
} // namespace orvel::input
