// The mouse core against the emulated mouse: every sequence checked by the frames the mouse
// received and by its memory afterwards.

#include "devices/mouse_core.h"
#include "input/shoot_data.h"
#include "profiles/jsonaccess.h"
#include "sim/devices/factory_tables.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"

#include <gtest/gtest.h>

namespace orvel::devices {
namespace {

using namespace testing;
using sim::Path;
namespace cmd = sim::cmd;

class MouseOnEmulator : public ::testing::Test {
protected:
    MouseOnEmulator()
    {
        core.SetProfileIdentifier("profile1");
        core.SetScreenSize(1920, 1080);
    }

    void AttachAndRead(Path path = Path::Cable)
    {
        dev.Attach(path);
        ASSERT_EQ(core.LoadFromDevice(), 1);
        dev.Sent();
    }

    std::vector<std::uint8_t> BlockInMemory(std::size_t bank = 0) const
    {
        const auto block = dev.Memory().block;
        return {block.begin() + static_cast<std::ptrdiff_t>(128 * bank),
                block.begin() + static_cast<std::ptrdiff_t>(128 * bank + kMouseBlockWrite)};
    }

    EmulatedDevice dev{sim::DeviceKind::Mouse};
    MouseCore core{*dev.link, dev.Folders("mouse")};
};

TEST_F(MouseOnEmulator, AttachReadMapsEveryButtonAndTakesTheDpiRule)
{
    dev.Attach(Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    EXPECT_EQ(Commands(dev.Sent()), (std::vector<int>{cmd::kBeginConfig, cmd::kReadDeviceInfo, cmd::kReadKeyTable,
                                                      cmd::kEndConfig}));
    for (int n = 0; n < kMouseButtons; ++n) {
        EXPECT_EQ(core.SlotOfButton()[static_cast<std::size_t>(n)], n);
    }
    EXPECT_TRUE(core.TablesRead());
    EXPECT_EQ(core.Dpi().sensorId, kSteppedSensor);
    EXPECT_EQ(core.Dpi().step, 100);
    EXPECT_EQ(core.Dpi().levels, 128);
    EXPECT_EQ(core.Dpi().lowest, 100);
    EXPECT_EQ(core.Dpi().EditMaximum(), 12800);
    // The profile was loaded from the kind's default document.
    EXPECT_EQ(core.Keys().size(), 11u);
}

TEST_F(MouseOnEmulator, ButtonsWhoseCodeIsMissingKeepNoSlot)
{
    // The device reports button 2's factory code as something no on-screen button has.
    dev.cable->onAnswer = [](std::uint8_t* answer, std::uint32_t) {
        if (answer[3] == cmd::kReadKeyTable) {
            answer[8 + 6] = 0x55;
        }
    };
    dev.Attach(Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    EXPECT_EQ(core.SlotOfButton()[2], kNoSlot);
    EXPECT_EQ(core.SlotOfButton()[3], 3);
}

TEST_F(MouseOnEmulator, OversizeButtonTableIsRefusedAndNothingIsWrittenLater)
{
    dev.cable->onAnswer = [](std::uint8_t* answer, std::uint32_t) {
        if (answer[3] == cmd::kReadDeviceInfo) {
            answer[8 + 5] = 200; // 600 bytes of button table
        }
    };
    dev.Attach(Path::Cable);
    EXPECT_NE(core.LoadFromDevice(), 1);
    EXPECT_EQ(Commands(dev.Sent()), (std::vector<int>{cmd::kBeginConfig, cmd::kReadDeviceInfo, cmd::kEndConfig}));
    EXPECT_FALSE(core.TablesRead());
    EXPECT_EQ(core.WriteCurrentKeys(0), 0);
    EXPECT_TRUE(dev.Sent().empty());
}

// After one good attach, neither a later attach whose reads fail nor a detach leaves the tables
// of the first one behind: nothing is written from them.
TEST_F(MouseOnEmulator, TablesOfAnEarlierAttachAreForgotten)
{
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"a later attach whose key-table read is refused",
         [this] {
             dev.RefuseNext(cmd::kReadKeyTable);
             EXPECT_EQ(core.LoadFromDevice(), kLinkRejected);
         }},
        {"a detach", [this] { core.Detach(); }},
    };
    WriteMacros(dev.profileFolder, {2});
    // Button 3 plays macro 0, so the macro image goes out with the keys.
    WriteProfile(dev.profileFolder, "profile1", "mouse", [](Json::Value& e) { e["KeyList"][3]["Assignment"] = 0x700000; });
    dev.Attach(Path::Cable);
    for (const auto& [name, forget] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(core.LoadFromDevice(), 1);
        ASSERT_EQ(core.GetMacroList(), std::vector<int>{0});
        forget();
        dev.Sent();
        EXPECT_FALSE(core.TablesRead());
        EXPECT_EQ(core.SlotOfButton()[3], kNoSlot);
        EXPECT_TRUE(core.GetMacroList().empty());
        EXPECT_EQ(core.WriteCurrentKeys(0), 0);
        EXPECT_EQ(core.WriteMacros({0}).linkStatus, 0);
        EXPECT_EQ(core.WriteShootData().linkStatus, 0);
        EXPECT_TRUE(dev.Sent().empty());
    }
}

// The default mouse profile's settings block, byte by byte.
std::vector<std::uint8_t> DefaultProfileBlock()
{
    std::vector<std::uint8_t> b(kMouseBlockWrite, 0);
    b[1] = 1;                          // "SelectItem" 1 -> the code of mode 1
    b[2] = 4;                          // "Light"
    b[3] = 2;                          // 4 - "Speed" 2
    b[4] = 1;                          // "Fx"
    b[5] = 1;                          // "MultiColor"
    b[6] = 255;                        // red
    b[12] = 1;                         // current stage
    const std::uint8_t stages[5][9] = {{1, 0, 3, 0, 3, 0, 255, 0, 0},
                                       {1, 0, 7, 0, 7, 0, 0, 255, 0},
                                       {1, 0, 15, 0, 15, 0, 0, 0, 255},
                                       {1, 0, 31, 0, 31, 0, 255, 255, 0},
                                       {1, 0, 63, 0, 63, 0, 255, 0, 255}};
    for (int i = 0; i < 5; ++i) {
        std::copy(stages[i], stages[i] + 9, b.begin() + 14 + 9 * i);
    }
    b[59] = 1;
    b[60] = 1920 & 0xFF;
    b[61] = 1920 >> 8;
    b[62] = 1080 & 0xFF;
    b[63] = 1080 >> 8;
    return b;
}

TEST_F(MouseOnEmulator, SettingsBlockReachesBankZeroByteForByte)
{
    AttachAndRead();
    auto expected = DefaultProfileBlock();
    const Json::Value document = profiles::LoadJsonFile(SourceDefaultData() / "mouse.Json");
    const Json::Value& correct = document["Device"][0]["CorrectInfo"][0];
    if (profiles::JsonInt(correct, "CorrectSelect") != 0) {
        expected[64] = static_cast<std::uint8_t>(profiles::JsonInt(correct, "CorrectMinSq"));
        expected[65] = static_cast<std::uint8_t>(profiles::JsonInt(correct, "CorrectPixThresh"));
    }
    expected[11] = static_cast<std::uint8_t>(profiles::JsonInt(document["Device"][0]["ReportStages"], "StageActive"));

    ASSERT_EQ(core.WriteSettings(), 1);
    EXPECT_EQ(dev.Sent(), Join({{Request(cmd::kBeginConfig)},
                                Chunks(cmd::kWriteBlock, expected, 0, 56),
                                {Request(cmd::kEndConfig)}}));
    EXPECT_EQ(BlockInMemory(), expected);
}

struct BlockCase {
    const char* name;
    std::function<void(Json::Value&)> change;
    std::vector<std::pair<int, int>> bytes; // index, value
};

TEST_F(MouseOnEmulator, SettingsBlockEdgeCases)
{
    const std::vector<BlockCase> cases = {
        {"three stages leave bytes 41-58 zero",
         [](Json::Value& e) { e["DPIStages"]["StageDPIs"].resize(3); },
         {{41, 0}, {45, 0}, {50, 0}, {58, 0}, {32, 1}, {34, 15}}},
        {"SelectItem 12 sends entry 0's code",
         [](Json::Value& e) { e["LightInfo"]["SelectItem"] = 12; },
         {{1, 0}}},
        {"speed 0 is written as 4", [](Json::Value& e) { e["LightInfo"]["Speed"] = 0; }, {{3, 4}}},
        {"speed 4 is written as 0", [](Json::Value& e) { e["LightInfo"]["Speed"] = 4; }, {{3, 0}}},
        {"a stage beyond 4 is written as stage 4",
         [](Json::Value& e) { e["DPIStages"]["StageActive"] = 9; },
         {{12, 4}}},
        {"polling index 4", [](Json::Value& e) { e["ReportStages"]["StageActive"] = 4; }, {{11, 4}}},
        {"a polling index above 4 goes as 0", [](Json::Value& e) { e["ReportStages"]["StageActive"] = 7; }, {{11, 0}}},
        {"a polling index above 255 goes as 0, not its low byte",
         [](Json::Value& e) { e["ReportStages"]["StageActive"] = 260; },
         {{11, 0}}},
        {"no selected correction writes zeros",
         [](Json::Value& e) { e["CorrectInfo"][0]["CorrectSelect"] = 0; },
         {{64, 0}, {65, 0}}},
    };
    AttachAndRead();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteProfile(dev.profileFolder, "profile1", "mouse", c.change);
        ASSERT_EQ(core.LoadProfile(), 1);
        ASSERT_EQ(core.WriteSettings(), 1);
        const auto block = BlockInMemory();
        for (const auto& [index, value] : c.bytes) {
            EXPECT_EQ(block[static_cast<std::size_t>(index)], value) << "byte " << index;
        }
    }
}

struct DpiCase {
    std::uint16_t sensor;
    int step;
    const char* typed;
    std::optional<int> level;
    int shown;
};

TEST(MouseDpi, LevelsAndTypedValues)
{
    const std::vector<DpiCase> cases = {
        {0x3325, 100, "5100", 49, 5100},  // a typed DPI round-trips
        {0x3325, 100, "5000", 48, 4900},
        {0x3325, 100, "4900", 48, 4900},
        {0x3325, 100, "4950", 48, 4900},
        {0x3325, 100, "5300", 50, 5300},
        {0x3325, 100, "", 0, 100},        // empty text: the lowest DPI
        {0x3325, 100, "20", 0, 100},      // below the lowest: raised to it
        {0x3325, 100, "999999", 128, 20900}, // clamped to the number of levels
        {0x1234, 100, "5100", 50, 5100},
        {0x1234, 50, "1025", 18, 1000},
        {0x3325, 0, "5100", std::nullopt, 100}, // no step: nothing to convert
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.sensor << std::dec << " step " << c.step << " '" << c.typed << "'");
        const DpiRule rule{c.sensor, c.step, 128, 100};
        const auto level = rule.DpiToLevel(std::string_view(c.typed));
        EXPECT_EQ(level, c.level);
        EXPECT_EQ(rule.LevelToDpi(level.value_or(0)), c.shown);
    }
    const DpiRule stepped{0x3325, 100, 128, 100};
    EXPECT_EQ(stepped.LevelToDpi(48), 4900);
    EXPECT_EQ(stepped.LevelToDpi(49), 5100);
    EXPECT_FALSE((DpiRule{0x3325, 0, 128, 100}.Editable()));
}

TEST_F(MouseOnEmulator, TypedDpiIsStoredAsItsLevelAndWritten)
{
    AttachAndRead();
    ASSERT_EQ(core.SetStageDpi(2, "5100"), 1);
    EXPECT_EQ(BlockInMemory()[14 + 9 * 2 + 2], 49);
    EXPECT_EQ(core.Profile().GetDpiStages()[2].levelX, 49);
}

TEST_F(MouseOnEmulator, ResyncReadsTheActiveBankIntoTheProfile)
{
    AttachAndRead();
    ASSERT_EQ(core.WriteSettings(), 1);
    // The mouse's own profile key moves it to bank 1, whose block the emulator starts with.
    dev.device->Press(sim::OnBoardKey::Profile);
    dev.device->Drain();
    const int bank = dev.device->Device().ActiveBank();
    ASSERT_NE(bank, 0);
    const auto memory = dev.Memory().block;
    const std::size_t at = static_cast<std::size_t>(128 * bank);
    dev.Sent();

    ASSERT_EQ(core.ResyncFromDevice(), 1);
    EXPECT_EQ(dev.Sent(), (std::vector<Frame>{Request(cmd::kReadBlock, 1, 0),
                                              Request(cmd::kReadBlock, 56, static_cast<std::uint16_t>(at)),
                                              Request(cmd::kReadBlock, 15, static_cast<std::uint16_t>(at + 56))}));
    EXPECT_EQ(core.BlockCopy()[0], bank);
    EXPECT_EQ(core.BlockCopy()[9], 0);
    const auto light = core.Profile().GetLightInfo();
    EXPECT_EQ(light.light, memory[at + 2]);
    EXPECT_EQ(light.speed, 4 - std::min<int>(memory[at + 3], 4));
    EXPECT_EQ(light.red, memory[at + 6]);
    EXPECT_EQ(core.Profile().GetActiveDpiStage(), std::min<int>(memory[at + 12], 4));
    // The profile file holds it too.
    profiles::CMouseProfiledata reread;
    reread.Load(dev.profileFolder / "profile1.Json");
    EXPECT_EQ(reread.GetLightInfo().light, memory[at + 2]);
}

TEST_F(MouseOnEmulator, FailedResyncLeavesProfileAndBlockCopy)
{
    AttachAndRead();
    core.Profile().Save();
    const std::string before = profiles::readjsonFile(dev.profileFolder / "profile1.Json");
    const auto copy = core.BlockCopy();
    for (int skip : {0, 1}) {
        dev.device->Device().AddFault({cmd::kReadBlock, std::nullopt, sim::FaultAction::RejectedStatus, skip, 1});
        EXPECT_EQ(core.ResyncFromDevice(), kLinkRejected);
        dev.device->Device().ClearFaults();
    }
    EXPECT_EQ(profiles::readjsonFile(dev.profileFolder / "profile1.Json"), before);
    EXPECT_EQ(core.BlockCopy(), copy);
}

// Button j (0..10) assigned to code (type, b1, b2).
void Assign(std::vector<profiles::KeyEntry>& keys, std::size_t j, std::uint8_t type, std::uint8_t b1, std::uint8_t b2)
{
    keys[j].current.type = type;
    keys[j].current.b1 = b1;
    keys[j].current.b2 = b2;
}

TEST_F(MouseOnEmulator, ButtonTableNumbersMacrosInOrderOfFirstUse)
{
    WriteMacros(dev.profileFolder, {2, 2, 2, 2, 2});
    AttachAndRead();
    auto keys = core.Keys();
    Assign(keys, 3, 0x70, 4, 1);
    Assign(keys, 4, 0x71, 2, 3);
    Assign(keys, 5, 0x70, 4, 2);
    Assign(keys, 6, 0x70, 5, 1); // macro 5 of 5: not in the list
    core.Keys() = keys;
    EXPECT_EQ(core.GetMacroList(), (std::vector<int>{4, 2}));

    ASSERT_EQ(core.WriteCurrentKeys(0), 1);
    std::vector<std::uint8_t> table = sim::MouseFactoryKeyTable();
    table.resize(33);
    const std::uint8_t written[4][3] = {{0x70, 0, 1}, {0x71, 1, 3}, {0x70, 0, 2}, {0x13, 0x02, 0x00}};
    for (int i = 0; i < 4; ++i) {
        std::copy(written[i], written[i] + 3, table.begin() + 3 * (3 + i));
    }
    EXPECT_EQ(dev.Sent(), Join({{Request(cmd::kReadDeviceInfo, 34, 0), Request(cmd::kBeginConfig)},
                                Chunks(cmd::kWriteKeyTable, table, 0, 56),
                                {Request(cmd::kEndConfig)}}));
    const auto memory = dev.Memory().keyTable;
    EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.begin()));

    EXPECT_TRUE(core.ValidateKeyMacros());
    EXPECT_EQ(core.Keys()[6].current, core.Keys()[6].defaults);
    EXPECT_FALSE(core.ValidateKeyMacros());
}

TEST_F(MouseOnEmulator, MacroImageUpToTheMemorySizeIsAccepted)
{
    AttachAndRead();
    const int units = dev.Memory().info[6];
    ASSERT_EQ(units, 16);
    // 16 + 6 x 10 + 4 x 493 = 2048 bytes = 16 x 128.
    WriteMacros(dev.profileFolder, {50, 50, 50, 50, 50, 50, 50, 50, 50, 43});
    const std::vector<int> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const ImageWriteResult fits = core.WriteMacros(all);
    EXPECT_EQ(fits.image, input::ImageStatus::Ok);
    EXPECT_EQ(fits.linkStatus, 1);
    EXPECT_EQ(dev.Memory().macros.size(), 2048u);
    dev.Sent();

    // Eleven macros with 492 events in all: 2050 bytes, the smallest image above the memory.
    for (const auto& file : std::filesystem::directory_iterator(dev.profileFolder)) {
        std::filesystem::remove(file.path());
    }
    WriteMacros(dev.profileFolder, {50, 50, 50, 50, 50, 50, 50, 50, 46, 46, 0});
    const std::vector<int> eleven = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const ImageWriteResult refused = core.WriteMacros(eleven);
    EXPECT_EQ(refused.image, input::ImageStatus::TooBig);
    EXPECT_EQ(refused.value, 2050);
    EXPECT_TRUE(dev.Sent().empty());
    SequenceResult result;
    TakeMacroWrite(result, refused, units);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].key, "message_text_16");
}

TEST_F(MouseOnEmulator, ProfileSwitchWritesSettingsMacrosThenKeys)
{
    WriteMacros(dev.profileFolder, {3});
    WriteProfile(dev.profileFolder, "profile2", "mouse", [](Json::Value& e) {
        e["KeyList"][3]["Assignment"] = 0x700001;
    });
    AttachAndRead();
    core.SetProfileIdentifier("profile2");
    const SequenceResult result = core.SwitchProfile();
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.messages.empty());
    EXPECT_EQ(Commands(dev.Sent()),
              (std::vector<int>{cmd::kBeginConfig, cmd::kWriteBlock, cmd::kWriteBlock, cmd::kEndConfig,
                                cmd::kBeginConfig, cmd::kWriteMacroData, cmd::kEndConfig,
                                cmd::kReadDeviceInfo, cmd::kBeginConfig, cmd::kWriteKeyTable, cmd::kEndConfig}));
    EXPECT_EQ(dev.Memory().keyTable[9], 0x70);
    EXPECT_EQ(dev.Memory().macros.size(), 16u + 6 + 12);
}

TEST_F(MouseOnEmulator, AsleepBehindTheReceiverNothingIsWritten)
{
    AttachAndRead(Path::Receiver);
    dev.device->Unplug(Path::Cable);
    const auto before = dev.Memory();
    EXPECT_TRUE(core.IsWirelessLinkUp());
    dev.device->Device().SetWireless(sim::WirelessState::Asleep);
    EXPECT_FALSE(core.IsWirelessLinkUp());
    const SequenceResult result = core.SwitchProfile();
    EXPECT_EQ(result.status, 0);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].key, kDeviceNotUpdatedMessage);
    for (const auto& frame : dev.Sent()) {
        EXPECT_EQ(frame[3], cmd::kQueryWirelessLink);
    }
    EXPECT_EQ(dev.Memory().block, before.block);
    EXPECT_EQ(dev.Memory().keyTable, before.keyTable);
    EXPECT_EQ(core.QueryPower().status, 0);
    EXPECT_EQ(core.ResyncFromDevice(), 0);
}

TEST_F(MouseOnEmulator, UnplugDuringAProfileSwitchLeavesNothingHalfWritten)
{
    WriteMacros(dev.profileFolder, {40});
    WriteProfile(dev.profileFolder, "profile2", "mouse", [](Json::Value& e) {
        e["KeyList"][3]["Assignment"] = 0x700001;
    });
    AttachAndRead();
    const auto before = dev.Memory();
    // The cable goes away on the second frame of the macro image.
    dev.device->Device().AddFault({cmd::kWriteMacroData, std::nullopt, sim::FaultAction::Unplug, 1, 1});
    core.SetProfileIdentifier("profile2");
    const SequenceResult result = core.SwitchProfile();
    EXPECT_NE(result.status, 1);
    EXPECT_EQ(result.messages.front().key, kDeviceNotUpdatedMessage);
    EXPECT_TRUE(dev.Memory().macros.empty());
    EXPECT_EQ(dev.Memory().keyTable, before.keyTable);
}

TEST_F(MouseOnEmulator, ShootDataOfTheFourGunsReachesTheMouse)
{
    input::RepairGunFiles(dev.profileFolder, SourceDefaultData());
    AttachAndRead();
    const ImageWriteResult written = core.WriteShootData();
    ASSERT_EQ(written.linkStatus, 1);
    const auto image = input::BuildShootImage(dev.profileFolder, kShootCapacity);
    EXPECT_EQ(dev.Memory().shoot, image.bytes);
    EXPECT_EQ(dev.Sent(), Join({{Request(cmd::kBeginConfig)},
                                Chunks(cmd::kWriteShootData, image.bytes, 0, 56),
                                {Request(cmd::kEndConfig)}}));
}

TEST_F(MouseOnEmulator, PowerReportTellsTheWay)
{
    dev.device->Device().SetBattery(64);
    AttachAndRead(Path::Cable);
    PowerResult power = core.QueryPower();
    ASSERT_EQ(power.status, 1);
    EXPECT_EQ(power.report[0], 64);
    EXPECT_EQ(power.report[3], 0);
    EXPECT_FALSE(core.IsWirelessLinkUp()); // the cable is no wireless link
    dev.link->SetLinkMode(2);
    power = core.QueryPower();
    ASSERT_EQ(power.status, 1);
    EXPECT_EQ(power.report[3], 1);
    core.SetWirelessCapable(true);
    core.SetWindowHidden(true);
    dev.Sent();
    EXPECT_EQ(core.QueryPower().status, 0);
    EXPECT_TRUE(dev.Sent().empty());
}

TEST_F(MouseOnEmulator, BankNotificationsChangeTheBlockCopyOnlyWhileOpen)
{
    AttachAndRead();
    NotifyEffect effect = core.ApplyNotification(MeaningOf(0x1123, DeviceFamily::Mouse, NotifySource::Cable));
    EXPECT_TRUE(effect.refreshPage);
    EXPECT_EQ(core.BlockCopy()[0], 3);
    EXPECT_EQ(core.BlockCopy()[12], 2);
    effect = core.ApplyNotification(MeaningOf(0x0403, DeviceFamily::Mouse, NotifySource::Cable));
    EXPECT_TRUE(effect.keyPress);
    effect = core.ApplyNotification(MeaningOf(0x0401, DeviceFamily::Mouse, NotifySource::Receiver));
    EXPECT_EQ(effect.resyncAfterMs, 50);
    dev.link->linkOpen = 0;
    effect = core.ApplyNotification(MeaningOf(0x1001, DeviceFamily::Mouse, NotifySource::Cable));
    EXPECT_FALSE(effect.refreshPage);
    EXPECT_EQ(core.BlockCopy()[0], 3);
}

} // namespace
} // namespace orvel::devices
