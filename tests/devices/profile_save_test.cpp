// A change whose profile cannot be saved (the disk is full) still reaches the device, is reported as not saved
// instead of as success, and stays in memory so the next save that succeeds keeps it.

#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "tests/devices/emulated_device.h"
#include "tests/support/file_text.h"
#include "tests/support/full_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

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

// The files of a folder, for seeing that nothing was created.
std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// An identifier that names no document (empty, or not a plain file name) loads nothing, saves
// nothing (least of all into the profile loaded before it) and says so; the sequences that would
// write a blank profile to the device send nothing.
TEST(ProfileNotLoaded, MouseAndKeyboardLoadSaveAndWriteNothing)
{
    struct Kind {
        sim::DeviceKind kind;
        const char* folder;
        std::function<std::unique_ptr<DeviceCore>(EmulatedDevice&)> make;
        std::function<SequenceResult(DeviceCore&)> switchProfile;
        std::function<SequenceResult(DeviceCore&)> restore;
        std::function<int(DeviceCore&)> edit; // an edit the device takes, then a save
    };
    lighting::LedBuffer leds(kKeyboardPositions);
    const Kind kinds[] = {
        {sim::DeviceKind::Mouse, "mouse",
         [](EmulatedDevice& d) { return std::make_unique<MouseCore>(*d.link, d.Folders("mouse")); },
         [](DeviceCore& c) { return static_cast<MouseCore&>(c).SwitchProfile(); },
         [](DeviceCore& c) { return static_cast<MouseCore&>(c).RestoreDefaults(); },
         [](DeviceCore& c) { return static_cast<MouseCore&>(c).SetStageLevel(1, 20); }},
        {sim::DeviceKind::Keyboard, "keyboard",
         [](EmulatedDevice& d) { return std::make_unique<KeyboardCore>(*d.link, d.Folders("keyboard")); },
         [&leds](DeviceCore& c) { return static_cast<KeyboardCore&>(c).SwitchProfile(leds); },
         [](DeviceCore& c) { return static_cast<KeyboardCore&>(c).RestoreDefaults(); },
         [](DeviceCore& c) { return static_cast<KeyboardCore&>(c).SetOption(KeyboardOption::WinLock, 1).status; }},
    };
    const std::vector<UserMessage> notLoaded{{kProfileNotLoadedMessage}};
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.folder);
        EmulatedDevice dev{k.kind};
        const std::unique_ptr<DeviceCore> core = k.make(dev);
        core->SetProfileIdentifier("profile1");
        dev.Attach(sim::Path::Cable);
        ASSERT_EQ(core->LoadFromDevice(), 1);
        const auto file = dev.profileFolder / "profile1.Json";
        const std::string before = orvel::testing::FileText(file);
        const std::vector<std::string> files = FilesIn(dev.profileFolder);
        for (const char* id : {"", "../profile1", "sub/profile1"}) {
            SCOPED_TRACE(id);
            core->SetProfileIdentifier(id);
            EXPECT_EQ(core->LoadProfile(), kProfileNotLoaded);
            dev.Sent();
            const SequenceResult switched = k.switchProfile(*core);
            EXPECT_EQ(switched.status, kProfileNotLoaded);
            EXPECT_EQ(switched.messages, notLoaded);
            const SequenceResult restored = k.restore(*core);
            EXPECT_EQ(restored.status, kProfileNotLoaded);
            EXPECT_EQ(restored.messages, notLoaded);
            EXPECT_TRUE(dev.Sent().empty());
            EXPECT_EQ(k.edit(*core), kProfileNotSaved);
        }
        EXPECT_EQ(orvel::testing::FileText(file), before);
        EXPECT_EQ(FilesIn(dev.profileFolder), files);
    }
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

    // Taken from another device's result, a device failure still comes first, and each message
    // is asked for once.
    SequenceResult notSaved;
    notSaved.TakeSave(false);
    SequenceResult both = notSaved;
    both.Merge(notSaved);
    EXPECT_EQ(both.status, kProfileNotSaved);
    EXPECT_EQ(both.messages, (std::vector<UserMessage>{{kProfileNotSavedMessage}}));
    both.Merge(result);
    EXPECT_EQ(both.status, kLinkNoAnswer);
    EXPECT_EQ(both.messages, (std::vector<UserMessage>{{kProfileNotSavedMessage}, {kDeviceNotUpdatedMessage}}));
    result.Merge(notSaved);
    EXPECT_EQ(result.status, kLinkNoAnswer);
}

} // namespace
} // namespace orvel::devices
