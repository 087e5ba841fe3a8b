// The shared device pieces: power report display values, notification meanings, mode lists,
// restoring defaults.

#include "devices/headset_device.h"
#include "devices/keyboard_core.h"
#include "devices/mode_list.h"
#include "devices/mouse_core.h"
#include "devices/mousepad_device.h"
#include "devices/notification.h"
#include "devices/power_report.h"
#include "profiles/profilefiles.h"
#include "tests/support/file_text.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <vector>

namespace orvel::devices {
namespace {

struct PowerCase {
    std::vector<std::uint8_t> report;
    int kind;
    const char* text;
    int progress;
    bool progressVisible;
    const char* image;
    std::optional<bool> logo;
    const char* phone;
};

TEST(PowerReport, DisplayValuesByKindAndChargeState)
{
    const std::vector<PowerCase> cases = {
        {{85, 3, 0, 0, 0, 0}, 2, "85%", 15, true, "", false, ""},
        {{40, 0, 0, 1, 0, 0}, 6, "40%", 60, false, "file='power/powered.png'", true, ""},
        {{40, 1, 0, 1, 0, 0}, 9, "40%", 60, false, "file='power/wuxian_powering.png'", true, ""},
        {{40, 1, 0, 0, 0, 0}, 1, "40%", 60, false, "file='power/powering.png'", false, ""},
        {{100, 2, 0, 0, 0, 0}, 2, "100%", 0, false, "file='power/power.png'", false, ""},
        // A percent beyond 100 from the device never gives a negative progress value.
        {{250, 3, 0, 0, 0, 0}, 2, "100%", 0, true, "", false, ""},
        {{70, 3, 0, 1, 0, 2}, 3, "70%", 30, true, "", std::nullopt, "Phone_type_samsung"},
        {{70, 3, 0, 0, 0, 9}, 3, "70%", 30, true, "", std::nullopt, "Phone_type_no_device"},
        // A short report reads as zeros where it ends.
        {{55}, 7, "55%", 45, false, "file='power/powered.png'", std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << c.kind << " percent " << int(c.report[0]));
        const PowerView view = DecodePowerReport(c.report, c.kind, true);
        EXPECT_EQ(view.valueText, c.text);
        EXPECT_EQ(view.progressValue, c.progress);
        EXPECT_EQ(view.progressVisible, c.progressVisible);
        EXPECT_EQ(view.statusImage, c.image);
        EXPECT_EQ(view.receiverLogo, c.logo);
        EXPECT_EQ(view.phoneText, c.phone);
    }
    EXPECT_FALSE(DecodePowerReport(std::vector<std::uint8_t>{50, 0, 0, 0, 0, 0}, 2, false).powerLayoutVisible);
    EXPECT_EQ(DecodePowerReport(std::vector<std::uint8_t>{50, 0, 0, 0, 0, 1}, 3, false).phoneImage,
              "file='power/Phone_type_iphone.png'");
}

struct NotifyCase {
    std::uint16_t usage;
    DeviceFamily family;
    NotifySource source;
    NotifyMeaning meaning;
};

TEST(Notification, MeaningOfEachCodeByFamilyAndInterface)
{
    using A = NotifyAction;
    const auto K = DeviceFamily::Keyboard;
    const auto M = DeviceFamily::Mouse;
    const auto cable = NotifySource::Cable;
    const auto rx = NotifySource::Receiver;
    const std::vector<NotifyCase> cases = {
        {0x0401, K, cable, {A::Resync, 50, 0, -1}},
        {0x0401, M, rx, {A::Resync, 50, 0, -1}},
        {0x0401, DeviceFamily::MousePad, cable, {A::Resync, 500, 0, -1}},
        {0x0402, K, rx, {A::ProfileChanged, 50, 0, -1}},
        {0x0402, M, cable, {}},
        {0x0403, M, cable, {A::KeyPress, 0, 0, -1}},
        {0x0403, M, rx, {}},
        {0x0403, K, cable, {}},
        {0x1002, K, cable, {A::Bank, 0, 2, -1}},
        {0x1123, K, cable, {A::Bank, 0, 3, 2}},
        {0x11F4, M, rx, {A::Bank, 0, 4, 15}},
        {0x1200, K, cable, {}},
        {0x0400, M, cable, {}},
        {0x0000, K, cable, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.usage);
        EXPECT_EQ(MeaningOf(c.usage, c.family, c.source), c.meaning);
    }
}

TEST(Notification, FamilyOfEveryKind)
{
    EXPECT_EQ(FamilyOfKind(1), DeviceFamily::Keyboard);
    EXPECT_EQ(FamilyOfKind(9), DeviceFamily::Keyboard);
    EXPECT_EQ(FamilyOfKind(2), DeviceFamily::Mouse);
    EXPECT_EQ(FamilyOfKind(6), DeviceFamily::Mouse);
    EXPECT_EQ(FamilyOfKind(3), DeviceFamily::MousePad);
    EXPECT_EQ(FamilyOfKind(7), DeviceFamily::Headset);
}

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path) << text;
}

TEST(ModeList, ReadsTheKindsListOrAFlatOne)
{
    orvel::testing::TempFolder temp;
    const auto folder = temp / "data";
    std::filesystem::create_directories(folder);
    WriteText(folder / kDefaultLightFile,
              R"({"DefaultLightName": [[], [{"LightName": "a", "value": 7}, {"LightName": "b", "visible": false, "value": 30}],
                  [{"LightName": "m", "value": 3}]]})");
    const ModeList keyboard = ModeList::Load(folder, 1);
    ASSERT_EQ(keyboard.Size(), 2);
    EXPECT_EQ(keyboard.Entries()[1].name, "b");
    EXPECT_FALSE(keyboard.Entries()[1].visible);
    EXPECT_EQ(keyboard.CodeAt(0), 7);
    EXPECT_EQ(keyboard.CodeAt(2), std::nullopt);
    EXPECT_EQ(keyboard.CodeAt(-1), std::nullopt);
    EXPECT_EQ(keyboard.IndexOf(30), 1);
    EXPECT_EQ(keyboard.IndexOf(8), std::nullopt);
    EXPECT_EQ(ModeList::Load(folder, 2).CodeAt(0), 3);
    EXPECT_EQ(ModeList::Load(folder, 7).Size(), 0);

    WriteText(folder / kDefaultLightFile, R"({"DefaultLightName": [{"LightName": "x", "value": 4}]})");
    EXPECT_EQ(ModeList::Load(folder, 2).CodeAt(0), 4);
    WriteText(folder / kDefaultLightFile, "{broken");
    EXPECT_EQ(ModeList::Load(folder, 2).Size(), 0);
}

TEST(ModeList, ShippedListsHaveTheirModeCounts)
{
    const auto folder = orvel::testing::SourceDefaultData();
    EXPECT_EQ(ModeList::Load(folder, 1).Size(), 31);
    EXPECT_EQ(ModeList::Load(folder, 2).Size(), 10);
}

template <typename Core>
SequenceResult RestoreDefaults(CDeviceLink& link, DeviceFolders folders)
{
    Core core(link, std::move(folders));
    core.SetProfileIdentifier("p1");
    return core.RestoreDefaults();
}

std::set<std::string> FileNames(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(RestoreDefaults, ABrokenShippedDocumentStaysAsItIs)
{
    // An unreadable user document is moved aside; the default data is only ever read, and a
    // default that cannot be read restores nothing: the user's profile stays as it was.
    const struct {
        const char* folder;
        SequenceResult (*restore)(CDeviceLink&, DeviceFolders);
    } kinds[] = {
        {"mouse", RestoreDefaults<MouseCore>},
        {"keyboard", RestoreDefaults<KeyboardCore>},
        {"MousePad", RestoreDefaults<CMousePadCore>},
        {"HD", RestoreDefaults<CHeadsetCore>},
    };
    for (const auto& kind : kinds) {
        orvel::testing::TempFolder temp;
        const auto defaults = temp / "DefaultData";
        std::filesystem::copy(orvel::testing::SourceDefaultData(), defaults);
        const auto broken = defaults / (std::string(kind.folder) + ".Json");
        const std::string text = "{ \"Device\": [ {";
        orvel::testing::WriteText(broken, text);
        std::filesystem::create_directory(temp / "profiles");
        const auto user = temp / "profiles" / "p1.Json";
        std::filesystem::copy_file(orvel::testing::SourceDefaultData() / (std::string(kind.folder) + ".Json"), user);
        const std::string userText = orvel::testing::FileText(user);
        const auto names = FileNames(defaults);
        CDeviceLink link;
        const SequenceResult result = kind.restore(link, {temp / "profiles", defaults, kind.folder});
        EXPECT_EQ(FileNames(defaults), names) << kind.folder;
        EXPECT_EQ(orvel::testing::FileText(broken), text) << kind.folder;
        EXPECT_EQ(result.status, kProfileNotLoaded) << kind.folder;
        EXPECT_EQ(orvel::testing::FileText(user), userText) << kind.folder;
    }
}

} // namespace
} // namespace orvel::devices
