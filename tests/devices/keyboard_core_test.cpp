// The keyboard core against the emulated keyboard: position maps, the 31-byte settings block,
// notifications, key table, macro image, light frames and custom colour groups, checked by
// the frames the keyboard received and by its memory afterwards.

#include "devices/keyboard_core.h"
#include "lighting/colour.h"
#include "sim/devices/factory_tables.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"

#include <gtest/gtest.h>

namespace orvel::devices {
namespace {

using namespace testing;
using sim::Path;
namespace cmd = sim::cmd;

constexpr std::size_t kKeys = 104;
constexpr std::size_t kTableBytes = kKeys * 3;

class KeyboardOnEmulator : public ::testing::Test {
protected:
    KeyboardOnEmulator() { core.SetProfileIdentifier("profile1"); }

    void AttachAndRead(Path path = Path::Cable)
    {
        dev.Attach(path);
        ASSERT_EQ(core.LoadFromDevice(), 1);
        dev.Sent();
    }

    std::vector<std::uint8_t> BlockInMemory(std::size_t profile = 0) const
    {
        const auto block = dev.Memory().block;
        const auto at = static_cast<std::ptrdiff_t>(30 * profile);
        return {block.begin() + at, block.begin() + at + kKeyboardBlockSize};
    }

    void UseProfile(const std::function<void(Json::Value&)>& change)
    {
        WriteProfile(dev.profileFolder, "profile1", "keyboard", change);
        ASSERT_EQ(core.LoadProfile(), 1);
    }

    EmulatedDevice dev{sim::DeviceKind::Keyboard};
    KeyboardCore core{*dev.link, dev.Folders("keyboard")};
};

TEST_F(KeyboardOnEmulator, AttachReadMapsPositionsToKeysAndLeds)
{
    dev.Attach(Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    std::vector<int> expected = {cmd::kBeginConfig, cmd::kReadDeviceInfo};
    expected.insert(expected.end(), 6, cmd::kReadKeyTable);
    expected.insert(expected.end(), 2, cmd::kReadKeyTableExtra); // one byte per key
    expected.insert(expected.end(), {cmd::kEndConfig, cmd::kReadBlock, cmd::kReadBlock});
    EXPECT_EQ(Commands(dev.Sent()), expected);

    const auto& positions = sim::KeyboardKeyPositions();
    const auto leds = sim::KeyboardLedTable();
    ASSERT_EQ(positions.size(), kKeys);
    for (std::size_t k = 0; k < kKeys; ++k) {
        const auto p = static_cast<std::size_t>(positions[k]);
        if (positions[k] == sim::kFnLockPosition) {
            EXPECT_EQ(core.KeyOfPosition()[p], kNoneIndex);
            continue;
        }
        EXPECT_EQ(core.KeyOfPosition()[p], k) << "position " << p;
        EXPECT_EQ(core.LedOfPosition()[p], leds[k]) << "position " << p;
    }
    for (int unmatched : {18, 19, 20, 104, 128, 169}) {
        EXPECT_EQ(core.KeyOfPosition()[static_cast<std::size_t>(unmatched)], kNoneIndex);
    }
}

TEST_F(KeyboardOnEmulator, LedIndexesBeyondTheFrameAreNoLed)
{
    const auto& positions = sim::KeyboardKeyPositions();
    dev.cable->onAnswer = [](std::uint8_t* answer, std::uint32_t) {
        if (answer[3] == cmd::kReadKeyTableExtra && answer[5] == 0 && answer[6] == 0) {
            answer[8] = 170; // key 0: bytes 510-512 would pass the frame
            answer[9] = 200; // key 1
            answer[10] = 169; // key 2: the last LED that fits
        }
    };
    dev.Attach(Path::Cable);
    ASSERT_EQ(core.LoadFromDevice(), 1);
    EXPECT_EQ(core.LedOfPosition()[static_cast<std::size_t>(positions[0])], kNoneIndex);
    EXPECT_EQ(core.LedOfPosition()[static_cast<std::size_t>(positions[1])], kNoneIndex);
    EXPECT_EQ(core.LedOfPosition()[static_cast<std::size_t>(positions[2])], 169);
}

TEST_F(KeyboardOnEmulator, OversizeKeyTableLeavesTheMapsEmptyAndNothingIsWritten)
{
    dev.cable->onAnswer = [](std::uint8_t* answer, std::uint32_t) {
        if (answer[3] == cmd::kReadDeviceInfo) {
            answer[8 + 5] = 171;
        }
    };
    dev.Attach(Path::Cable);
    EXPECT_EQ(core.LoadFromDevice(), kLinkInvalidArgument);
    EXPECT_EQ(Commands(dev.Sent()), (std::vector<int>{cmd::kBeginConfig, cmd::kReadDeviceInfo, cmd::kEndConfig,
                                                      cmd::kReadBlock, cmd::kReadBlock}));
    EXPECT_TRUE(std::all_of(core.KeyOfPosition().begin(), core.KeyOfPosition().end(),
                            [](std::uint8_t v) { return v == kNoneIndex; }));
    EXPECT_EQ(core.WriteCurrentKeys(0), 0);
    lighting::LedBuffer leds(kKeyboardPositions);
    leds.Fill(lighting::PackLed({255, 255, 255}, 255));
    UseProfile([](Json::Value& e) { e["LightInfo"]["SelectItem"] = 29; });
    EXPECT_EQ(core.SendLightFrame(leds), 0);
    EXPECT_TRUE(dev.Sent().empty());
}

// After one good attach, neither a later attach whose reads fail nor a detach leaves its tables
// behind: no keys, macros, light frames or colour groups are written from them.
TEST_F(KeyboardOnEmulator, TablesOfAnEarlierAttachAreForgotten)
{
    const std::vector<std::pair<const char*, std::function<void()>>> cases = {
        {"a later attach whose LED-table read is refused",
         [this] {
             dev.RefuseNext(cmd::kReadKeyTableExtra);
             EXPECT_EQ(core.LoadFromDevice(), kLinkRejected);
         }},
        {"a detach", [this] { core.Detach(); }},
    };
    dev.Attach(Path::Cable);
    lighting::LedBuffer leds(kKeyboardPositions);
    leds.Fill(lighting::PackLed({255, 255, 255}, 255));
    const std::vector<profiles::CustomColour> colours(kKeyboardPositions, {1, 2, 3, 255});
    for (const auto& [name, forget] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(core.LoadFromDevice(), 1);
        ASSERT_NE(core.KeyOfPosition()[22], kNoneIndex);
        forget();
        EXPECT_FALSE(core.TablesRead());
        EXPECT_EQ(core.KeyOfPosition()[22], kNoneIndex);
        EXPECT_EQ(core.LedOfPosition()[22], kNoneIndex);
        dev.Sent();
        EXPECT_EQ(core.WriteCurrentKeys(0), 0);
        EXPECT_EQ(core.WriteMacros({}).linkStatus, 0);
        UseProfile([](Json::Value& e) { e["LightInfo"]["SelectItem"] = 29; });
        EXPECT_EQ(core.SendLightFrame(leds), 0);
        UseProfile([](Json::Value& e) { e["LightInfo"]["SelectItem"] = 19; });
        EXPECT_EQ(core.SendCustomGroup(0, colours), 0);
        EXPECT_TRUE(dev.Sent().empty());
    }
}

TEST_F(KeyboardOnEmulator, SettingsBlockAt30TimesProfileByteForByte)
{
    AttachAndRead();
    // The attach read took the keyboard's lighting into the profile; go back to the defaults.
    UseProfile([](Json::Value&) {});
    std::vector<std::uint8_t> expected = BlockInMemory();
    // The default keyboard profile over the bytes the keyboard holds.
    expected[0] = 0;
    expected[1] = 4;   // "SelectItem" 4, whose code is 4
    expected[2] = 4;
    expected[3] = 2;   // 4 - "Speed" 2
    expected[4] = 1;
    expected[5] = 1;
    expected[6] = 255;
    expected[7] = 0;
    expected[8] = 0;
    expected[16] = 0;
    expected[18] = 0;
    expected[19] = 0;
    expected[20] = 0;
    expected[21] = 0;
    expected[22] = 3;  // "PollingRate"
    expected[25] = 0;
    ASSERT_EQ(core.WriteSettings(), 1);
    EXPECT_EQ(dev.Sent(), (std::vector<Frame>{Request(cmd::kBeginConfig),
                                              sim::MakeRequest(cmd::kWriteBlock, 31, 0, expected),
                                              Request(cmd::kEndConfig)}));
    EXPECT_EQ(BlockInMemory(), expected);
}

struct KeyboardBlockCase {
    const char* name;
    std::function<void(Json::Value&)> change;
    std::vector<std::pair<int, int>> bytes;
};

TEST_F(KeyboardOnEmulator, SettingsBlockEdgeCases)
{
    const std::vector<KeyboardBlockCase> cases = {
        {"mode 29 is rendered by the program", [](Json::Value& e) { e["LightInfo"]["SelectItem"] = 29; }, {{1, 0xFE}}},
        {"mode 30 is rendered by the program", [](Json::Value& e) { e["LightInfo"]["SelectItem"] = 30; }, {{1, 0xFE}}},
        {"mode 28 keeps its code", [](Json::Value& e) { e["LightInfo"]["SelectItem"] = 28; }, {{1, 28}}},
        {"speed 0 is written as 4", [](Json::Value& e) { e["LightInfo"]["Speed"] = 0; }, {{3, 4}}},
        {"speed 4 is written as 0", [](Json::Value& e) { e["LightInfo"]["Speed"] = 4; }, {{3, 0}}},
        {"options",
         [](Json::Value& e) {
             e["SystemStages"]["WFlag"] = 1;
             e["SystemStages"]["Key6Flag"] = 1;
             e["SystemStages"]["WinFlag"] = 1;
             e["SystemStages"]["PollingRate"] = 2;
             e["LightInfo"]["ZZCCLedMode"] = 3;
             e["LightInfo"]["CustomGroup"] = 4;
         },
         {{18, 3}, {19, 1}, {20, 1}, {21, 1}, {22, 2}, {25, 4}}},
    };
    AttachAndRead();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseProfile(c.change);
        ASSERT_EQ(core.WriteSettings(), 1);
        const auto block = BlockInMemory();
        for (const auto& [index, value] : c.bytes) {
            EXPECT_EQ(block[static_cast<std::size_t>(index)], value) << "byte " << index;
        }
    }
}

TEST_F(KeyboardOnEmulator, ReadingTheProgramsOwnCodeKeepsTheShownMode)
{
    AttachAndRead();
    UseProfile([](Json::Value& e) { e["LightInfo"]["SelectItem"] = 29; });
    ASSERT_EQ(core.WriteSettings(), 1);
    UseProfile([](Json::Value& e) {
        e["LightInfo"]["SelectItem"] = 7;
        e["LightInfo"]["Light"] = 1;
    });
    ASSERT_EQ(core.ReadSettingsBlock(), 1);
    EXPECT_EQ(core.Settings().mode, 7);
    EXPECT_EQ(core.Settings().brightness, 4); // the rest is the keyboard's
    EXPECT_EQ(core.BlockImage()[1], 0xFE);    // no list entry has the code: kept as it is
}

TEST_F(KeyboardOnEmulator, ProfileNotificationIsCarriedByTheNextWrite)
{
    AttachAndRead();
    const NotifyEffect effect = core.ApplyNotification(MeaningOf(0x1123, DeviceFamily::Keyboard, NotifySource::Cable));
    EXPECT_TRUE(effect.refreshPage);
    EXPECT_EQ(core.Settings().activeProfile, 3);
    EXPECT_EQ(core.BlockImage()[17], 2);
    ASSERT_EQ(core.WriteSettings(), 1);
    EXPECT_EQ(BlockInMemory()[17], 2);

    dev.link->linkOpen = 0;
    core.ApplyNotification(MeaningOf(0x1141, DeviceFamily::Keyboard, NotifySource::Cable));
    EXPECT_EQ(core.Settings().activeProfile, 3);
    EXPECT_EQ(core.BlockImage()[17], 2);
}

TEST_F(KeyboardOnEmulator, ProfileChangedOnTheKeyboardReloadsTheProfileAtResync)
{
    AttachAndRead();
    const NotifyEffect effect = core.ApplyNotification(MeaningOf(0x0402, DeviceFamily::Keyboard, NotifySource::Receiver));
    EXPECT_EQ(effect.resyncAfterMs, 50);
    EXPECT_TRUE(KeyboardCore::ProfileChangedOnDevice());
    WriteProfile(dev.profileFolder, "profile2", "keyboard", [](Json::Value& e) { e["SystemStages"]["Repeat"] = 9; });
    core.SetProfileIdentifier("profile2");
    ASSERT_EQ(core.ResyncFromDevice(), 1);
    EXPECT_FALSE(KeyboardCore::ProfileChangedOnDevice());
    EXPECT_EQ(core.Profile().GetProfilePath().filename(), "profile2.Json");
    EXPECT_EQ(core.Profile().GetKeyboardSystem()[0] & 0xFFFF, 9u);
}

TEST_F(KeyboardOnEmulator, FailedBlockReadKeepsImageAndProfile)
{
    AttachAndRead();
    ASSERT_EQ(core.ApplyNotification(MeaningOf(0x1120, DeviceFamily::Keyboard, NotifySource::Cable)).refreshPage, true);
    core.Profile().Save();
    const std::string before = profiles::readjsonFile(dev.profileFolder / "profile1.Json");
    const auto image = core.BlockImage();
    for (int skip : {0, 1}) {
        dev.device->Device().AddFault({cmd::kReadBlock, std::nullopt, sim::FaultAction::BadChecksumStatus, skip, 1});
        EXPECT_NE(core.ReadSettingsBlock(), 1);
        dev.device->Device().ClearFaults();
    }
    dev.link->linkOpen = 0;
    EXPECT_EQ(core.ReadSettingsBlock(), 0);
    EXPECT_EQ(core.BlockImage(), image);
    EXPECT_EQ(profiles::readjsonFile(dev.profileFolder / "profile1.Json"), before);
}

TEST_F(KeyboardOnEmulator, KeyTableUsesDenseMacroNumbersInPositionOrder)
{
    WriteMacros(dev.profileFolder, {2, 2, 2, 2, 2});
    const auto& positions = sim::KeyboardKeyPositions();
    // Keys 10, 20, 30 and 40 by their positions.
    const int a = positions[10], b = positions[20], c = positions[30], d = positions[40];
    UseProfile([&](Json::Value& e) {
        e["KeyList"][a]["Assignment"] = 0x700300; // macro 3
        e["KeyList"][b]["Assignment"] = 0x710102; // macro 1
        e["KeyList"][c]["Assignment"] = 0x700305; // macro 3 again
        e["KeyList"][d]["Assignment"] = 0x700500; // macro 5 of 5: falls back to the default
    });
    AttachAndRead();
    EXPECT_EQ(core.GetMacroList(), (std::vector<int>{3, 1}));
    ASSERT_EQ(core.WriteCurrentKeys(0), 1);
    auto table = sim::KeyboardFactoryKeyTable();
    table.resize(kTableBytes);
    const auto put = [&](std::size_t k, std::uint8_t type, std::uint8_t b1, std::uint8_t b2) {
        table[3 * k] = type;
        table[3 * k + 1] = b1;
        table[3 * k + 2] = b2;
    };
    put(10, 0x70, 0, 0x00);
    put(20, 0x71, 1, 0x02);
    put(30, 0x70, 0, 0x05);
    EXPECT_EQ(dev.Sent(), Join({{Request(cmd::kReadDeviceInfo, 34, 0), Request(cmd::kBeginConfig)},
                                Chunks(cmd::kWriteKeyTable, table, 0, 56),
                                {Request(cmd::kEndConfig)}}));
    const auto memory = dev.Memory().keyTable;
    EXPECT_TRUE(std::equal(table.begin(), table.end(), memory.begin()));
}

TEST_F(KeyboardOnEmulator, MacroImageUpToTheMemorySizeIsAccepted)
{
    AttachAndRead();
    ASSERT_EQ(dev.Memory().info[6], 32);
    // 16 + 6 x 10 + 4 x 1005 = 4096 bytes = 32 x 128.
    WriteMacros(dev.profileFolder, {250, 250, 250, 250, 5, 0, 0, 0, 0, 0});
    const ImageWriteResult fits = core.WriteMacros({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(fits.image, input::ImageStatus::Ok);
    EXPECT_EQ(fits.linkStatus, 1);
    EXPECT_EQ(dev.Memory().macros.size(), 4096u);
    dev.Sent();
    for (const auto& file : std::filesystem::directory_iterator(dev.profileFolder)) {
        if (file.path().extension() == ".mac" || file.path().filename() == "macro.config") {
            std::filesystem::remove(file.path());
        }
    }
    // 16 + 6 x 11 + 4 x 1004 = 4098: the smallest image above the memory.
    WriteMacros(dev.profileFolder, {250, 250, 250, 250, 4, 0, 0, 0, 0, 0, 0});
    const ImageWriteResult refused = core.WriteMacros({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    EXPECT_EQ(refused.image, input::ImageStatus::TooBig);
    EXPECT_EQ(refused.value, 4098);
    // Only the information record was read again.
    EXPECT_EQ(Commands(dev.Sent()), (std::vector<int>{cmd::kReadDeviceInfo}));
    EXPECT_FALSE(refused.KeysMayFollow());
}

lighting::LedBuffer Rainbow()
{
    lighting::LedBuffer leds(kKeyboardPositions);
    for (int p = 0; p < kKeyboardPositions; ++p) {
        leds.SetLedColor(p, lighting::PackLed({static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(255 - p), 90},
                                              static_cast<std::uint8_t>(100 + p / 2)));
    }
    return leds;
}

// The frame the keyboard should receive for the buffer: key k's LED carries its position's
// colour scaled by its level. The emulated keyboard's LED indexes are position numbers, so the
// frame reaches up to the highest position that has a key (3 x K bytes would leave LEDs dark).
std::vector<std::uint8_t> ExpectedFrame(const lighting::LedBuffer& leds)
{
    std::size_t bytes = kTableBytes;
    for (const std::uint8_t led : sim::KeyboardLedTable()) {
        bytes = std::max(bytes, 3 * std::size_t(led) + 3);
    }
    std::vector<std::uint8_t> frame(std::min<std::size_t>(bytes, 512), 0);
    const auto& positions = sim::KeyboardKeyPositions();
    const auto ledTable = sim::KeyboardLedTable();
    for (std::size_t k = 0; k < kKeys; ++k) {
        if (positions[k] == sim::kFnLockPosition) {
            continue;
        }
        const std::uint32_t e = leds.GetLedColor(positions[k]);
        const unsigned level = e >> 24;
        const std::size_t at = 3 * std::size_t(ledTable[k]);
        frame[at] = static_cast<std::uint8_t>(((e & 0xFF) * level) >> 8);
        frame[at + 1] = static_cast<std::uint8_t>((((e >> 8) & 0xFF) * level) >> 8);
        frame[at + 2] = static_cast<std::uint8_t>((((e >> 16) & 0xFF) * level) >> 8);
    }
    return frame;
}

TEST_F(KeyboardOnEmulator, LightFramesAreStreamedOnlyInTheProgramsOwnModes)
{
    AttachAndRead();
    const lighting::LedBuffer leds = Rainbow();
    const auto frame = ExpectedFrame(leds);
    for (int mode : {29, 30}) {
        SCOPED_TRACE(mode);
        UseProfile([mode](Json::Value& e) { e["LightInfo"]["SelectItem"] = mode; });
        EXPECT_EQ(core.SendLightFrame(leds), 0);
        EXPECT_EQ(dev.Sent(), Chunks(cmd::kWriteLightStream, frame, 0, 56));
        const auto picture = dev.Memory().ledPicture;
        EXPECT_TRUE(std::equal(frame.begin(), frame.end(), picture.begin()));
    }
    for (int mode : {0, 6, 19, 28}) {
        UseProfile([mode](Json::Value& e) { e["LightInfo"]["SelectItem"] = mode; });
        EXPECT_EQ(core.SendLightFrame(leds), 0);
        EXPECT_TRUE(dev.Sent().empty()) << mode;
    }
    UseProfile([](Json::Value& e) { e["LightInfo"]["SelectItem"] = 29; });
    core.SetLightOwnership(false);
    EXPECT_EQ(core.SendLightFrame(leds), 0);
    EXPECT_TRUE(dev.Sent().empty());
    // Taking light control back tells the keyboard.
    EXPECT_EQ(core.SetLightOwnership(true), 1);
    EXPECT_EQ(dev.Sent(), (std::vector<Frame>{Request(cmd::kSetHostLightControl)}));
    EXPECT_TRUE(dev.Memory().hostLightControl);
}

TEST_F(KeyboardOnEmulator, CustomColourGroupsAreWrittenAtGroupTimes512)
{
    AttachAndRead();
    UseProfile([](Json::Value& e) { e["LightInfo"]["SelectItem"] = 19; });
    std::vector<profiles::CustomColour> colours(kKeyboardPositions);
    lighting::LedBuffer leds(kKeyboardPositions);
    for (int p = 0; p < kKeyboardPositions; ++p) {
        colours[static_cast<std::size_t>(p)] = {static_cast<std::uint8_t>(p), 40, static_cast<std::uint8_t>(200 - p), 128};
        leds.SetLedColor(p, lighting::PackLed({static_cast<std::uint8_t>(p), 40, static_cast<std::uint8_t>(200 - p)}, 128));
    }
    const auto scaled = ExpectedFrame(leds);
    EXPECT_EQ(core.SendCustomGroup(2, colours), 0);
    EXPECT_EQ(dev.Sent(), Chunks(cmd::kWriteLightFrame, scaled, 1024, 56));
    auto groups = dev.Memory().lightGroups;
    EXPECT_TRUE(std::equal(scaled.begin(), scaled.end(), groups.begin() + 1024));

    // Unscaled, as a clicked key sends them.
    EXPECT_EQ(core.SendCustomGroup(2, colours, false), 0);
    groups = dev.Memory().lightGroups;
    const auto& positions = sim::KeyboardKeyPositions();
    const std::size_t led = 3 * std::size_t(positions[5]);
    EXPECT_EQ(groups[1024 + led], positions[5]);
    EXPECT_EQ(groups[1024 + led + 1], 40);
    dev.Sent();

    // A group whose address would pass 16 bits, or a mode other than 19: nothing is sent.
    EXPECT_EQ(core.SendCustomGroup(128, colours), 0);
    UseProfile([](Json::Value& e) { e["LightInfo"]["SelectItem"] = 3; });
    EXPECT_EQ(core.SendCustomGroup(1, colours), 0);
    EXPECT_TRUE(dev.Sent().empty());
}

TEST_F(KeyboardOnEmulator, ProfileSwitchRestoreAndLightingChangeSequences)
{
    WriteMacros(dev.profileFolder, {3});
    WriteProfile(dev.profileFolder, "profile2", "keyboard", [](Json::Value& e) {
        e["KeyList"][sim::KeyboardKeyPositions()[7]]["Assignment"] = 0x700000;
        e["LightInfo"]["SelectItem"] = 19;
        e["CustomLightMode"]["CustomLightModeGroupIndex"] = 1;
    });
    AttachAndRead();
    core.SetProfileIdentifier("profile2");
    lighting::LedBuffer leds(kKeyboardPositions);
    const SequenceResult switched = core.SwitchProfile(leds);
    EXPECT_EQ(switched.status, 1);
    std::vector<int> expected = {cmd::kBeginConfig, cmd::kWriteBlock, cmd::kEndConfig, cmd::kReadDeviceInfo,
                                 cmd::kBeginConfig, cmd::kWriteMacroData, cmd::kEndConfig};
    const std::size_t groupFrames = (ExpectedFrame(leds).size() + 55) / 56;
    expected.insert(expected.end(), groupFrames, cmd::kWriteLightFrame);
    expected.insert(expected.end(), {cmd::kReadDeviceInfo, cmd::kBeginConfig});
    expected.insert(expected.end(), 6, cmd::kWriteKeyTable);
    expected.push_back(cmd::kEndConfig);
    EXPECT_EQ(Commands(dev.Sent()), expected);
    EXPECT_EQ(dev.Memory().keyTable[3 * 7], 0x70);
    EXPECT_EQ(BlockInMemory()[1], 19);
    // The group's colours are in the buffer the lighting draws from.
    const auto colours = core.Profile().GetCustomColours(1, kKeyboardPositions);
    EXPECT_EQ(leds.GetLedColor(5), lighting::PackLed({colours[5].red, colours[5].green, colours[5].blue}, colours[5].alpha));

    const SequenceResult restored = core.RestoreDefaults();
    EXPECT_EQ(restored.status, 1);
    expected = {cmd::kReadDeviceInfo, cmd::kBeginConfig};
    expected.insert(expected.end(), 6, cmd::kWriteKeyTable);
    expected.insert(expected.end(), {cmd::kEndConfig, cmd::kBeginConfig, cmd::kWriteBlock, cmd::kEndConfig});
    EXPECT_EQ(Commands(dev.Sent()), expected);
    EXPECT_EQ(dev.Memory().keyTable[3 * 7], sim::KeyboardFactoryKeyTable()[3 * 7]);
    EXPECT_EQ(BlockInMemory()[1], 4);

    profiles::LightRecord record = core.CurrentLight();
    record.selectItem = 6;
    record.speed = 0;
    const SequenceResult changed = core.ApplyLight(record);
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(BlockInMemory()[1], 6);
    EXPECT_EQ(BlockInMemory()[3], 4);
    EXPECT_TRUE(core.TakeLightRestart());
    EXPECT_FALSE(core.TakeLightRestart());
}

struct OptionCase {
    KeyboardOption option;
    int value;
    int byte;      // -1: not part of the block
    int written;
};

TEST_F(KeyboardOnEmulator, OptionChangesReachTheBlockOrStayInTheProfile)
{
    const std::vector<OptionCase> cases = {
        {KeyboardOption::PollingRate, 2, 22, 2},
        {KeyboardOption::PollingRate, 7, 22, 0},
        {KeyboardOption::WinLock, 1, 21, 1},
        {KeyboardOption::WFlag, 1, 19, 1},
        {KeyboardOption::SixKey, 5, 20, 1},
        {KeyboardOption::Repeat, 12, -1, 0},
        {KeyboardOption::RepeatDelay, 2, -1, 0},
    };
    AttachAndRead();
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.option) << " = " << c.value);
        EXPECT_EQ(core.SetOption(c.option, c.value).status, 1);
        const auto sent = dev.Sent();
        if (c.byte < 0) {
            EXPECT_TRUE(sent.empty());
        } else {
            EXPECT_EQ(Commands(sent), (std::vector<int>{cmd::kBeginConfig, cmd::kWriteBlock, cmd::kEndConfig}));
            EXPECT_EQ(BlockInMemory()[static_cast<std::size_t>(c.byte)], c.written);
        }
    }
    profiles::CKeyboardProfiledata reread;
    reread.Load(dev.profileFolder / "profile1.Json");
    EXPECT_EQ(reread.GetKeyboardSystem()[0], 12u | (2u << 16));
}

TEST_F(KeyboardOnEmulator, AsleepBehindTheReceiverCommandsAreAbandoned)
{
    AttachAndRead(Path::Receiver);
    dev.device->Unplug(Path::Cable);
    const auto before = dev.Memory();
    dev.device->Device().SetWireless(sim::WirelessState::Asleep);
    lighting::LedBuffer leds(kKeyboardPositions);
    const SequenceResult result = core.SwitchProfile(leds);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(core.RestoreDefaults().status, 0);
    EXPECT_EQ(core.ReadSettingsBlock(), 0);
    for (const auto& frame : dev.Sent()) {
        EXPECT_EQ(frame[3], cmd::kQueryWirelessLink);
    }
    EXPECT_EQ(dev.Memory().block, before.block);
    EXPECT_EQ(dev.Memory().keyTable, before.keyTable);
}

TEST_F(KeyboardOnEmulator, UnplugDuringAProfileSwitchStopsTheSequence)
{
    struct Case {
        const char* name;
        std::uint8_t command;
        int skip;
    };
    const std::vector<Case> cases = {{"during the settings block", cmd::kWriteBlock, 0},
                                     {"during the macro image", cmd::kWriteMacroData, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedDevice other{sim::DeviceKind::Keyboard};
        KeyboardCore keyboard{*other.link, other.Folders("keyboard")};
        keyboard.SetProfileIdentifier("profile2");
        WriteMacros(other.profileFolder, {60});
        WriteProfile(other.profileFolder, "profile2", "keyboard", [](Json::Value& e) {
            e["KeyList"][sim::KeyboardKeyPositions()[7]]["Assignment"] = 0x700000;
            e["LightInfo"]["SelectItem"] = 9;
        });
        other.Attach(Path::Cable);
        ASSERT_EQ(keyboard.LoadFromDevice(), 1);
        const auto before = other.Memory();
        other.device->Device().AddFault({c.command, std::nullopt, sim::FaultAction::Unplug, c.skip, 1});
        lighting::LedBuffer leds(kKeyboardPositions);
        const SequenceResult result = keyboard.SwitchProfile(leds);
        EXPECT_NE(result.status, 1);
        ASSERT_FALSE(result.messages.empty());
        EXPECT_EQ(result.messages.front().key, kDeviceNotUpdatedMessage);
        EXPECT_TRUE(other.Memory().macros.empty());
        EXPECT_EQ(other.Memory().keyTable, before.keyTable);
        EXPECT_NE(other.Memory().block[1], 9);
    }
}

} // namespace
} // namespace orvel::devices
