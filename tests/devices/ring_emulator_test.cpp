// The mouse pad's and headset's cores end to end against the emulators over a temporary vhid
// folder: the exact frames the device received and its memory afterwards.

#include "devicelink/hid_adapters.h"
#include "devices/headset_device.h"
#include "devices/mousepad_device.h"
#include "devices/same_mode.h"
#include "lighting/colour.h"
#include "lighting/device_lighting.h"
#include "profiles/jsonfile.h"
#include "profiles/profilefiles.h"
#include "sim/serve/served_device.h"
#include "tests/support/file_text.h"
#include "tests/support/recording_port.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace orvel::devices {
namespace {

using sim::DeviceKind;
using Frames = std::vector<CommandFrame>;

using orvel::testing::RecordingPort;

// The headset's light reports as sent, passed on to the device.
class RecordingReports : public HeadsetReportSink {
public:
    explicit RecordingReports(HeadsetReportSink& next) : next_(next) {}
    bool SetOutputReport(std::span<const std::uint8_t> report) override
    {
        sent.emplace_back(report.begin(), report.end());
        return next_.SetOutputReport(report);
    }
    std::vector<std::vector<std::uint8_t>> sent;

private:
    HeadsetReportSink& next_;
};

// A command report built here, byte by byte: id 4, checksum of bytes 3..63 in bytes 1-2 (low
// first), command, length, address (low first), data from byte 8.
CommandFrame Frame(std::uint8_t command, std::uint8_t length, std::uint16_t address,
                   std::vector<std::uint8_t> data = {})
{
    CommandFrame f{};
    f[0] = 0x04;
    f[3] = command;
    f[4] = length;
    f[5] = static_cast<std::uint8_t>(address & 0xFF);
    f[6] = static_cast<std::uint8_t>(address >> 8);
    std::copy(data.begin(), data.end(), f.begin() + 8);
    unsigned sum = 0;
    for (std::size_t i = 3; i < f.size(); ++i)
        sum += f[i];
    f[1] = static_cast<std::uint8_t>(sum & 0xFF);
    f[2] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
    return f;
}

const CommandFrame kBegin = Frame(0x01, 0, 0);
const CommandFrame kEnd = Frame(0x02, 0, 0);
// The reads on a link of 24 bytes per frame: the information record, and the active bank with
// its block of 31 bytes.
const Frames kInfoRead = {kBegin, Frame(0x03, 24, 0), Frame(0x03, 10, 24), kEnd};
const Frames kBlockRead = {Frame(0x05, 1, 0), Frame(0x05, 24, 0), Frame(0x05, 7, 24)};

// What the emulators start with in bank b: byte 4 = 0x50 + b, bytes 9..20 = 0xA0 + 16 b + (n - 9).
std::vector<std::uint8_t> WithCarried(std::vector<std::uint8_t> lighting, int bank = 0)
{
    lighting.resize(21, 0);
    lighting[4] = static_cast<std::uint8_t>(0x50 + bank);
    for (std::size_t n = 9; n <= 20; ++n)
        lighting[n] = static_cast<std::uint8_t>(0xA0 + 0x10 * bank + (n - 9));
    return lighting;
}

profiles::LightRecord Record(std::uint8_t mode, std::uint8_t light, std::uint8_t speed, std::uint8_t r,
                             std::uint8_t g, std::uint8_t b)
{
    profiles::LightRecord record;
    record.selectItem = mode;
    record.light = light;
    record.speed = speed;
    record.multiColor = 0;
    record.red = r;
    record.green = g;
    record.blue = b;
    return record;
}

// One emulated device, a real link on its command interface, the profile and light documents in
// a temporary folder. The mode list's codes run backwards (index i has code 8 - i), so every
// frame shows whether an index or a code went out.
class Rig {
public:
    Rig(DeviceKind kind, std::uint16_t vendor, std::uint16_t product, std::uint16_t usagePage,
        std::chrono::milliseconds latency = std::chrono::milliseconds{0})
        : link(std::make_unique<RecordingPort>(), std::make_unique<RecordingPort>())
    {
        folder.setEnv("ORVEL_VHID_DIR", folder.path().string());
        emulator = std::make_unique<sim::ServedDevice>(kind, folder.path(), clock);
        emulator->SetLatency(sim::Path::Cable, latency);
        EXPECT_TRUE(emulator->Plug(sim::Path::Cable));
        CHidProbe probe;
        std::vector<std::string> paths;
        EXPECT_TRUE(probe.Enumerate(paths));
        for (const std::string& path : paths) {
            ProbeInfo info;
            if (probe.Probe(path, info) && info.vendorId == vendor && info.productId == product &&
                info.usagePage == usagePage) {
                // As the window's attach: the link of a pad or a headset keeps its mode, and so
                // its 24 bytes per frame.
                EXPECT_EQ(link.primaryHid->Open(path, true, true, true, false), 1);
                link.linkOpen = 1;
            }
        }
        EXPECT_EQ(link.linkOpen, 1);

        Json::Value modes(Json::arrayValue);
        for (int i = 0; i <= 8; ++i) {
            Json::Value mode;
            mode["LightName"] = "m" + std::to_string(i);
            mode["visible"] = true;
            mode["value"] = 8 - i;
            modes.append(mode);
        }
        Json::Value light;
        light["DefaultLightName"] = modes;
        profiles::SaveJsonFile(folder.path() / kDefaultLightFile, light);
        std::filesystem::create_directories(folder.path() / "profiles");
        for (const char* name : {"MousePad", "HD"})
            std::filesystem::copy_file(profiles::DefaultProfilePath(name), folder.path() / (std::string(name) + ".Json"));
    }

    DeviceFolders Folders(const char* deviceFolder)
    {
        return {folder.path() / "profiles", folder.path(), deviceFolder};
    }
    Frames Take() { return static_cast<RecordingPort&>(*link.primaryHid).Take(); }
    std::vector<std::uint8_t> Memory(std::size_t from, std::size_t count)
    {
        const auto block = emulator->Device().Snapshot().block;
        return {block.begin() + from, block.begin() + from + count};
    }

    orvel::testing::TempFolder folder;
    sim::SteadyClock clock;
    std::unique_ptr<sim::ServedDevice> emulator;
    CDeviceLink link;
};

int SwitchTo(CRingDeviceCore& core, const char* id)
{
    core.SetProfileIdentifier(id);
    return core.SwitchProfile().status;
}

std::vector<std::uint8_t> Bytes(const RingBlock& block)
{
    return {block.begin(), block.end()};
}

class MousePadTest : public ::testing::Test {
protected:
    MousePadTest()
    {
        pad.SetProfileIdentifier("p1");
    }
    Rig rig{DeviceKind::MousePad, 0x320F, 0x1004, 0xFF1C};
    CMousePadCore pad{rig.link, rig.Folders("MousePad")};
};

TEST_F(MousePadTest, DeviceReadyReadsTheRecordAndTheBlockAndLoadsTheProfile)
{
    EXPECT_EQ(pad.LoadFromDevice(), 1);
    Frames expected = kInfoRead;
    expected.insert(expected.end(), kBlockRead.begin(), kBlockRead.end());
    EXPECT_EQ(rig.Take(), expected);
    EXPECT_EQ(pad.DeviceInfo()[0], 3);
    EXPECT_EQ(pad.DeviceInfo()[7], 15);
    EXPECT_TRUE(std::filesystem::exists(rig.folder.path() / "profiles" / "p1.Json"));
    // The lighting is the profile's, the bytes only the pad knows are the pad's.
    const profiles::LightRecord light = pad.GetLightInfo();
    EXPECT_EQ(Bytes(pad.Block()), WithCarried({0, light.selectItem, light.light, light.speed, 0, light.multiColor,
                                               light.red, light.green, light.blue}));
}

TEST_F(MousePadTest, LightingChangeWritesTheCodeAndReversedSpeedAtBankZero)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    rig.Take();
    EXPECT_EQ(pad.ChangeLighting(Record(2, 3, 0, 0x11, 0x22, 0x33)).status, 1);
    const std::vector<std::uint8_t> sent = WithCarried({0, 6, 3, 4, 0, 0, 0x11, 0x22, 0x33});
    EXPECT_EQ(rig.Take(), (Frames{kBegin, Frame(0x06, 21, 0, sent), kEnd}));
    EXPECT_EQ(rig.Memory(0, 21), sent);
    // The program keeps the index and the panel speed; the document holds the new record.
    EXPECT_EQ(pad.Block()[1], 2);
    EXPECT_EQ(pad.Block()[3], 0);
    profiles::CBasicProfiledata saved;
    saved.Load(rig.folder.path() / "profiles" / "p1.Json");
    EXPECT_EQ(saved.GetLightInfo(), Record(2, 3, 0, 0x11, 0x22, 0x33));
}

TEST_F(MousePadTest, UserEffectSendsTheCodeOfTheFirstMode)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    rig.Take();
    for (std::uint8_t mode : {9, 12}) {
        SCOPED_TRACE(int(mode));
        EXPECT_EQ(pad.ChangeLighting(Record(mode, 4, 1, 1, 2, 3)).status, 1);
        const Frames frames = rig.Take();
        ASSERT_EQ(frames.size(), 3u);
        EXPECT_EQ(frames[1][4], 21);  // the block fits one frame of 24
        EXPECT_EQ(frames[1][8 + 1], 8);  // entry 0's code
        EXPECT_EQ(frames[1][8 + 3], 3);  // speed 1 sent as 3
        EXPECT_EQ(pad.Block()[1], mode);
    }
}

TEST_F(MousePadTest, ResyncFollowsThePadButLeavesTheProfile)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    ASSERT_EQ(pad.ChangeLighting(Record(2, 3, 1, 9, 8, 7)).status, 1);
    rig.Take();
    int lightingUpdates = 0;
    pad.onLightingState = [&](const CRingDeviceCore&) { ++lightingUpdates; };
    rig.emulator->Press(sim::OnBoardKey::Light);  // code 6 -> 7, index 1
    lighting::RingLighting lights(lighting::RingLighting::Kind::MousePad);
    pad.ConnectLighting(&lights);
    pad.SetSyncFlag(true);
    const RingRead read = pad.ReadSettingsBlock();
    EXPECT_EQ(read.status, 1);
    EXPECT_EQ(read.bank, 0);
    EXPECT_EQ(rig.Take(), kBlockRead);
    EXPECT_EQ(pad.Block()[1], 1);
    EXPECT_EQ(pad.Block()[3], 1);  // stored 3, panel speed 1
    EXPECT_FALSE(lights.SyncFlag());
    EXPECT_EQ(pad.GetLightInfo().selectItem, 2);
    profiles::CBasicProfiledata saved;
    saved.Load(rig.folder.path() / "profiles" / "p1.Json");
    EXPECT_EQ(saved.GetLightInfo().selectItem, 2);
    // The light thread renders the pad's mode with the record's colour.
    EXPECT_EQ(lightingUpdates, 1);
    const lighting::LightSettings shown = pad.LightThreadSettings();
    EXPECT_EQ(shown.mode, 1);
    EXPECT_EQ(shown.speed, 1);
    EXPECT_EQ(shown.brightness, 3);
    EXPECT_EQ(shown.colour, (lighting::Rgb{9, 8, 7}));
}

TEST_F(MousePadTest, TheLightKeyNotifiesAResyncAfterHalfASecond)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    ASSERT_EQ(pad.ChangeLighting(Record(0, 3, 1, 9, 9, 9)).status, 1);
    const std::vector<std::uint16_t> usages = rig.emulator->Press(sim::OnBoardKey::Light);
    ASSERT_EQ(usages, (std::vector<std::uint16_t>{kNotifySettingsChanged}));
    const NotifyEffect effect = pad.ApplyNotification(MeaningOf(usages[0], pad.Family(), NotifySource::Cable));
    EXPECT_EQ(effect.resyncAfterMs, 500);
    EXPECT_EQ(pad.ResyncFromDevice(), 1);
    EXPECT_EQ(pad.Block()[1], 8);  // the pad went from code 8 round to code 0, the last entry
}

TEST_F(MousePadTest, FailedReadKeepsTheBlockAndTheNextWriteSendsIt)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    ASSERT_EQ(pad.ChangeLighting(Record(3, 2, 2, 5, 6, 7)).status, 1);
    const RingBlock before = pad.Block();
    rig.Take();

    sim::FaultRule reject;
    reject.command = 0x05;
    reject.action = sim::FaultAction::RejectedStatus;
    reject.skip = 1;  // the bank byte answers, the block read is refused
    rig.emulator->Device().AddFault(reject);
    EXPECT_EQ(pad.ReadSettingsBlock().status, kLinkRejected);
    EXPECT_EQ(pad.Block(), before);

    rig.link.linkOpen = 0;
    EXPECT_EQ(pad.ReadSettingsBlock().status, kLinkNoAnswer);
    EXPECT_EQ(pad.Block(), before);
    rig.link.linkOpen = 1;
    rig.Take();

    EXPECT_EQ(pad.WriteSettings(0), 1);
    EXPECT_EQ(rig.Memory(0, 21), Bytes(ToDeviceImage(before, pad.Modes(), 0)));
}

TEST_F(MousePadTest, FailedWritesAreReported)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    rig.Take();
    rig.link.linkOpen = 0;
    EXPECT_EQ(pad.WriteSettings(0), kLinkNoAnswer);
    EXPECT_EQ(pad.ChangeLighting(Record(2, 1, 1, 1, 1, 1)).messages.size(), 1u);
    EXPECT_TRUE(rig.Take().empty());
    rig.link.linkOpen = 1;

    sim::FaultRule reject;
    reject.command = 0x06;
    reject.action = sim::FaultAction::RejectedStatus;
    rig.emulator->Device().AddFault(reject);
    const auto before = rig.Memory(0, 21);
    const SequenceResult result = pad.ChangeLighting(Record(1, 1, 1, 1, 1, 1));
    EXPECT_EQ(result.status, kLinkRejected);
    EXPECT_EQ(result.messages, (std::vector<UserMessage>{{kDeviceNotUpdatedMessage}}));
    const Frames frames = rig.Take();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames.back(), kEnd);
    EXPECT_EQ(rig.Memory(0, 21), before);
}

TEST_F(MousePadTest, RestoreDefaultsWritesTheDefaultRecordIntoTheProfile)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    profiles::CBasicProfiledata defaults;
    defaults.Load(profiles::DefaultProfilePath("MousePad"));
    const profiles::LightRecord factory = defaults.GetLightInfo();
    ASSERT_EQ(pad.ChangeLighting(Record(7, 1, 4, 1, 2, 3)).status, 1);
    ASSERT_NE(pad.GetLightInfo(), factory);
    rig.Take();

    EXPECT_EQ(pad.RestoreDefaults().status, 1);
    EXPECT_EQ(pad.GetLightInfo(), factory);
    ASSERT_LE(factory.selectItem, 8);
    const auto memory = rig.Memory(0, 21);
    EXPECT_EQ(memory[1], 8 - factory.selectItem);
    EXPECT_EQ(memory[3], 4 - factory.speed);
    profiles::CBasicProfiledata saved;
    saved.Load(rig.folder.path() / "profiles" / "p1.Json");
    EXPECT_EQ(saved.GetLightInfo(), factory);
}

TEST_F(MousePadTest, ProfileSwitchWritesTheOtherProfilesLighting)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    ASSERT_EQ(pad.ChangeLighting(Record(1, 1, 1, 1, 1, 1)).status, 1);
    pad.SetProfileIdentifier("p2");
    ASSERT_EQ(pad.LoadProfile(), 1);
    ASSERT_EQ(pad.ChangeLighting(Record(4, 2, 3, 0x40, 0x50, 0x60)).status, 1);
    rig.Take();

    EXPECT_EQ(SwitchTo(pad, "p1"), 1);
    EXPECT_EQ(rig.Take(), (Frames{kBegin, Frame(0x06, 21, 0, WithCarried({0, 7, 1, 3, 0, 0, 1, 1, 1})), kEnd}));
    EXPECT_EQ(SwitchTo(pad, "p2"), 1);
    const std::vector<std::uint8_t> p2 = WithCarried({0, 4, 2, 1, 0, 0, 0x40, 0x50, 0x60});
    EXPECT_EQ(rig.Take(), (Frames{kBegin, Frame(0x06, 21, 0, p2), kEnd}));
    EXPECT_EQ(rig.Memory(0, 21), p2);
}

TEST_F(MousePadTest, UnplugDuringAProfileSwitch)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    ASSERT_EQ(pad.ChangeLighting(Record(1, 1, 1, 1, 1, 1)).status, 1);
    pad.SetProfileIdentifier("p2");
    ASSERT_EQ(pad.LoadProfile(), 1);
    ASSERT_EQ(pad.ChangeLighting(Record(4, 2, 3, 4, 5, 6)).status, 1);
    const auto before = rig.Memory(0, 21);
    rig.Take();

    sim::FaultRule unplug;
    unplug.command = 0x06;
    unplug.action = sim::FaultAction::Unplug;
    rig.emulator->Device().AddFault(unplug);
    const auto start = std::chrono::steady_clock::now();
    const int status = SwitchTo(pad, "p1");
    EXPECT_NE(status, 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    // The page shows the profile chosen; the pad kept what it had.
    EXPECT_EQ(pad.GetLightInfo().selectItem, 1);
    EXPECT_EQ(rig.Memory(0, 21), before);
    const Frames frames = rig.Take();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], kBegin);
    EXPECT_EQ(frames[1][3], 0x06);
}

TEST_F(MousePadTest, PowerReadShowsThePhoneOnThePad)
{
    rig.emulator->Device().SetPhone(2);
    const PowerResult reading = pad.QueryPower();
    EXPECT_EQ(reading.status, 1);
    EXPECT_EQ(rig.Take(), (Frames{Frame(0x1A, 6, 0)}));
    EXPECT_EQ(reading.report, (std::array<std::uint8_t, 6>{100, 0, 0, 0, 0, 2}));
    rig.link.linkOpen = 0;
    EXPECT_EQ(pad.QueryPower().status, kLinkNoAnswer);
    EXPECT_TRUE(rig.Take().empty());
}

// As the window has the headset once it is shown: started (its profile loaded) and read.
class HeadsetTest : public ::testing::Test {
protected:
    HeadsetTest()
    {
        headset.SetProfileIdentifier("h1");
        EXPECT_EQ(headset.Start(), 1);
        EXPECT_EQ(headset.LoadFromDevice(), 1);
        EXPECT_EQ(rig.Take(), kBlockRead);
    }
    Rig rig{DeviceKind::Headset, 0x0C76, 0x1630, 0x000C};
    CHeadsetCore headset{rig.link, rig.Folders("HD")};
};

TEST_F(HeadsetTest, ProfileOneGoesToAddressThirtyWithTheModeCode)
{
    ASSERT_EQ(headset.ChangeLighting(Record(6, 4, 2, 0xAA, 0xBB, 0xCC)).status, 1);
    rig.Take();
    EXPECT_EQ(headset.WriteSettings(1), 1);
    // The bytes only the headset knows are those read of its active bank 0.
    const std::vector<std::uint8_t> sent = WithCarried({0, 2, 4, 2, 0, 0, 0xAA, 0xBB, 0xCC});
    EXPECT_EQ(rig.Take(), (Frames{kBegin, Frame(0x06, 21, 30, sent), kEnd}));
    EXPECT_EQ(rig.Memory(30, 21), sent);
    EXPECT_EQ(headset.Block()[1], 6);
}

TEST_F(HeadsetTest, ReadFromDeviceTakesTheActiveProfilesBlock)
{
    ASSERT_EQ(headset.ChangeLighting(Record(3, 4, 0, 1, 2, 3)).status, 1);
    ASSERT_EQ(headset.WriteSettings(1), 1);
    const RingRead read = headset.ReadSettingsBlock();
    EXPECT_EQ(read.status, 1);
    EXPECT_EQ(read.bank, 0);
    rig.Take();
    // Bank 0's block is the one at address 0; what was written for profile 1 stays there.
    EXPECT_EQ(rig.Memory(31, 8), (std::vector<std::uint8_t>{5, 4, 4, 0x50, 0, 1, 2, 3}));
}

TEST_F(HeadsetTest, AudioSettingsAndTheirEqualiserComeBackWithTheProfile)
{
    const profiles::EqBands bands{1, -2, 3, -4, 5, -6, 7, -8, 9, -10};
    headset.HeadsetProfile().SetCustomEq(1, bands);
    profiles::HeadsetSettings audio;
    audio.magicEnable = 1;
    audio.magicType = 3;
    audio.eqType = profiles::CHs6533Profiledata::kCustomEqType;
    audio.customEqSeletIndex = 1;
    audio.micInSelect = 1;
    audio.micInValue = 42;
    ASSERT_TRUE(headset.SaveAudioSettings(audio));

    CHeadsetCore again(rig.link, rig.Folders("HD"));
    again.SetProfileIdentifier("h1");
    ASSERT_EQ(again.LoadProfile(), 1);
    EXPECT_EQ(again.AudioSettings(), audio);
    EXPECT_EQ(again.EqBands(), std::vector<int>(bands.begin(), bands.end()));
}

TEST_F(HeadsetTest, TheAudioPanelsHearOfEveryProfileTheyMustShow)
{
    profiles::HeadsetSettings audio = headset.AudioSettings();
    audio.micInValue = 17;
    ASSERT_TRUE(headset.SaveAudioSettings(audio));
    std::vector<int> shown;
    headset.onAudioLoaded = [&] { shown.push_back(headset.AudioSettings().micInValue); };

    headset.SetProfileIdentifier("h2");
    EXPECT_EQ(headset.SwitchProfile().status, 1);
    headset.SetProfileIdentifier("h1");
    EXPECT_EQ(headset.SwitchProfile().status, 1);
    EXPECT_EQ(headset.LoadDefaultProfile(), 1);
    const int defaultLevel = headset.AudioSettings().micInValue;
    EXPECT_NE(defaultLevel, 17);
    EXPECT_EQ(shown, (std::vector<int>{defaultLevel, 17, defaultLevel}));
}

TEST_F(HeadsetTest, StatusByteFourAndNoDongle)
{
    const PowerResult reading = headset.QueryPower();
    EXPECT_EQ(reading.status, 1);
    EXPECT_EQ(rig.Take(), (Frames{Frame(0x1A, 6, 0)}));
    EXPECT_EQ(reading.report[3], 0);
    EXPECT_EQ(reading.report[4], 0);
}

TEST_F(HeadsetTest, LightFrameIsTwelveReportsTheHeadsetShows)
{
    lighting::LedBuffer leds(CHeadsetCore::kLedCount);
    // LED 0 white at full level is capped at 247; LED 6 is red 128 at full level: 127.
    leds.SetLedColor(0, lighting::PackLed({255, 255, 255}, 255));
    leds.SetLedColor(6, lighting::PackLed({128, 0, 0}, 255));
    auto& port = static_cast<CHidPort&>(*rig.link.primaryHid);
    HidOutputReports device(port.Device());
    RecordingReports reports(device);

    EXPECT_EQ(headset.SendLightFrame(leds, false, reports), 0);
    EXPECT_TRUE(reports.sent.empty());
    EXPECT_EQ(headset.SendLightFrame(leds, true, reports), 12);
    ASSERT_EQ(reports.sent.size(), 12u);
    // A command on the same interface is answered after the reports before it were taken.
    ASSERT_EQ(headset.QueryPower().status, 1);
    const sim::HeadsetPicture picture = rig.emulator->Device().Snapshot().headset;
    EXPECT_EQ(picture.framesCompleted, 1);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(picture.bank22[c][0], 247);
        EXPECT_EQ(picture.bank44[c][0], 247);
    }
    EXPECT_EQ(picture.bank22[0][6], 127);
    EXPECT_EQ(reports.sent[0], (std::vector<std::uint8_t>{0xFF, 0x22, 0xAA, 0, 247, 0, 0, 0, 0, 0, 127, 0, 0, 0, 0, 0, 0}));
    // The six-byte report after it is built in the same buffer, so byte 10 still holds LED 6.
    EXPECT_EQ(reports.sent[1], (std::vector<std::uint8_t>{0xFF, 0x22, 0xAD, 0, 0, 0, 0, 0, 0, 0, 127, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(reports.sent[11], (std::vector<std::uint8_t>{0xFF, 0x44, 0xAF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(RingSameMode, PadAndHeadsetFollowTheCommonEffect)
{
    Rig padRig(DeviceKind::MousePad, 0x320F, 0x1004, 0xFF1C);
    Rig headsetRig(DeviceKind::Headset, 0x0C76, 0x1630, 0x000C);
    CMousePadCore pad(padRig.link, padRig.Folders("MousePad"));
    CHeadsetCore headset(headsetRig.link, headsetRig.Folders("HD"));
    lighting::RingLighting padLights(lighting::RingLighting::Kind::MousePad);
    lighting::RingLighting headsetLights(lighting::RingLighting::Kind::Headset);
    pad.ConnectLighting(&padLights);
    headset.ConnectLighting(&headsetLights);
    for (CRingDeviceCore* core : {static_cast<CRingDeviceCore*>(&pad), static_cast<CRingDeviceCore*>(&headset)}) {
        core->SetProfileIdentifier("s");
        core->LoadProfile();
    }
    ASSERT_EQ(headset.ChangeLighting(Record(6, 1, 1, 0, 0, 0)).status, 1);
    const std::vector<DeviceCore*> devices{&pad, &headset};

    // Wave has no common effect: nothing is written anywhere.
    ASSERT_EQ(pad.ChangeLighting(Record(0, 2, 3, 0x12, 0x34, 0x56)).status, 1);
    padRig.Take();
    headsetRig.Take();
    EXPECT_FALSE(SyncSameMode(pad, devices).applied);
    EXPECT_TRUE(padRig.Take().empty());
    EXPECT_TRUE(headsetRig.Take().empty());
    EXPECT_EQ(headset.GetLightInfo().selectItem, 6);

    // Breathing (mode 2 on both) goes to the source and the headset, with the source's values.
    ASSERT_EQ(pad.ChangeLighting(Record(2, 2, 3, 0x12, 0x34, 0x56)).status, 1);
    padRig.Take();
    const SameModeResult result = SyncSameMode(pad, devices);
    EXPECT_TRUE(result.applied);
    EXPECT_EQ(result.writes.status, 1);
    struct Case {
        CRingDeviceCore& core;
        Rig& rig;
        lighting::RingLighting& lights;
    };
    for (Case c : {Case{pad, padRig, padLights}, Case{headset, headsetRig, headsetLights}}) {
        // The flag the light loop pauses on is the one same mode set.
        EXPECT_TRUE(c.lights.SyncFlag());
        EXPECT_TRUE(c.core.SyncFlag());
        EXPECT_EQ(c.core.GetLightInfo().selectItem, 2);
        EXPECT_EQ(c.rig.Take(), (Frames{kBegin, Frame(0x06, 21, 0, {0, 6, 2, 1, 0, 0, 0x12, 0x34, 0x56}), kEnd}));
        // The next change made on the device's own panel leaves the synchronised lighting.
        EXPECT_EQ(c.core.ChangeLighting(Record(3, 2, 3, 1, 1, 1)).status, 1);
        EXPECT_FALSE(c.lights.SyncFlag());
    }
}

// Whether, from inside one frame's exchange, the command lock is still held once that frame's
// own hold is let go, that is by a hold around more than the frame.
bool HeldBeyondTheFrame(std::recursive_mutex& lock)
{
    lock.unlock();
    bool taken = false;
    std::thread([&] {
        if (lock.try_lock()) {
            taken = true;
            lock.unlock();
        }
    }).join();
    lock.lock();
    return !taken;
}

// The active bank and its block are read under one hold of the command lock, so no command of
// another thread (a bank change among them) lands between the two reads.
TEST(RingRead, BankAndBlockAreReadUnderOneHoldOfTheCommandLock)
{
    struct Case {
        DeviceKind kind;
        std::uint16_t vendor, product, page;
        const char* folder;
    };
    const Case cases[] = {
        {DeviceKind::MousePad, 0x320F, 0x1004, 0xFF1C, "MousePad"},
        {DeviceKind::Headset, 0x0C76, 0x1630, 0x000C, "HD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        Rig rig(c.kind, c.vendor, c.product, c.page);
        std::unique_ptr<CRingDeviceCore> core;
        if (c.kind == DeviceKind::MousePad)
            core = std::make_unique<CMousePadCore>(rig.link, rig.Folders(c.folder));
        else
            core = std::make_unique<CHeadsetCore>(rig.link, rig.Folders(c.folder));
        int bankReads = 0;
        bool held = false;
        static_cast<RecordingPort&>(*rig.link.primaryHid).onAnswer = [&](std::uint8_t* answer, std::uint32_t) {
            if (answer[3] == 0x05 && answer[4] == 1 && answer[5] == 0 && answer[6] == 0) {
                ++bankReads;
                held = HeldBeyondTheFrame(rig.link.cmdLock);
            }
        };
        EXPECT_EQ(core->ReadSettingsBlock().status, 1);
        EXPECT_EQ(bankReads, 1);
        EXPECT_TRUE(held);
    }
}

// An identifier that names no document loads nothing, saves nothing and writes no blank profile
// to the device; the profile loaded before it is left as it was.
TEST_F(MousePadTest, AnIdentifierThatNamesNoDocumentLoadsSavesAndWritesNothing)
{
    ASSERT_EQ(pad.LoadFromDevice(), 1);
    const auto file = rig.folder.path() / "profiles" / "p1.Json";
    const std::string before = orvel::testing::FileText(file);
    for (const char* id : {"", "../p1", "a/p1"}) {
        SCOPED_TRACE(id);
        const auto memory = rig.Memory(0, 21);
        pad.SetProfileIdentifier(id);
        rig.Take();
        EXPECT_EQ(pad.LoadProfile(), kProfileNotLoaded);
        for (const SequenceResult& result : {pad.SwitchProfile(), pad.RestoreDefaults(), pad.ResetProfile()}) {
            EXPECT_EQ(result.status, kProfileNotLoaded);
            EXPECT_EQ(result.messages, (std::vector<UserMessage>{{kProfileNotLoadedMessage}}));
        }
        EXPECT_TRUE(rig.Take().empty());
        EXPECT_EQ(rig.Memory(0, 21), memory);
        // A change the user makes still reaches the pad, and is reported as not kept.
        EXPECT_EQ(pad.ChangeLighting(Record(3, 1, 1, 1, 1, 1)).status, kProfileNotSaved);
        EXPECT_EQ(rig.Memory(1, 1), std::vector<std::uint8_t>{5});
    }
    EXPECT_EQ(orvel::testing::FileText(file), before);
}

// Wall time of one profile select at the emulator's default latency, against the bound the
// latency sets (every frame waits for its answer: 2 x latency per frame) and EndConfig's pause.
TEST(RingMeasure, ProfileSelectAtDefaultLatency)
{
    struct Case {
        const char* name;
        DeviceKind kind;
        std::uint16_t vendor, product, page;
        const char* folder;
    };
    const Case cases[] = {
        {"mouse pad", DeviceKind::MousePad, 0x320F, 0x1004, 0xFF1C, "MousePad"},
        {"headset", DeviceKind::Headset, 0x0C76, 0x1630, 0x000C, "HD"},
    };
    for (const Case& c : cases) {
        Rig rig(c.kind, c.vendor, c.product, c.page, sim::kDefaultCableLatency);
        std::unique_ptr<CRingDeviceCore> core;
        if (c.kind == DeviceKind::MousePad)
            core = std::make_unique<CMousePadCore>(rig.link, rig.Folders(c.folder));
        else
            core = std::make_unique<CHeadsetCore>(rig.link, rig.Folders(c.folder));
        core->SetProfileIdentifier("a");
        core->LoadProfile();
        core->SetProfileIdentifier("b");
        core->LoadProfile();
        constexpr int kRuns = 10;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRuns; ++i)
            ASSERT_EQ(SwitchTo(*core, i % 2 ? "a" : "b"), 1);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kRuns;
        const std::size_t frames = rig.Take().size() / kRuns;
        const double bound = double(frames) * 2 * double(sim::kDefaultCableLatency.count());
        std::printf("[ measure ] %s profile select: %.2f ms, %zu frames, latency bound %.0f ms (+10 ms EndConfig pause)\n",
                    c.name, ms, frames, bound);
        EXPECT_EQ(frames, 3u);
        EXPECT_GE(ms, bound);
    }
}

} // namespace
} // namespace orvel::devices
