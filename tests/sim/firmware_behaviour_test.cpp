// What the emulated devices do of their own: the receiver's unreachable device, power
// status and battery, on-board keys and their notifications, scripted faults, and memory
// kept in a file across restarts.

#include "sim/devices/firmware.h"
#include "tests/sim/host_side.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;
using testing::Exchange;
using testing::ReadChunked;
using testing::Status;
using testing::WriteSequence;

std::vector<std::uint8_t> PowerStatus(Firmware& device, Path via)
{
    const auto answer = Exchange(device, via, MakeRequest(cmd::kReadSmall, 6, 0));
    if (!answer || (*answer)[7] != kStatusOk) {
        return {};
    }
    return std::vector<std::uint8_t>(answer->begin() + 8, answer->begin() + 14);
}

TEST(Receiver, UnreachableDeviceIsAnsweredWithAA)
{
    ManualClock clock;
    Firmware mouse(DeviceKind::Mouse, clock);
    mouse.SetPathPresent(Path::Receiver, true);
    const struct {
        const char* name;
        WirelessState state;
        bool reachable;
    } cases[] = {
        {"awake", WirelessState::Awake, true},
        {"asleep", WirelessState::Asleep, false},
        {"out of range", WirelessState::OutOfRange, false},
        {"receiver with no device", WirelessState::Unpaired, false},
    };
    for (const auto& c : cases) {
        mouse.SetWireless(c.state);
        const auto query = Exchange(mouse, Path::Receiver, MakeRequest(cmd::kQueryWirelessLink));
        ASSERT_TRUE(query) << c.name;
        EXPECT_EQ((*query)[3], 0xAA) << c.name;
        EXPECT_EQ((*query)[8], c.reachable ? 0xFF : 0x00) << c.name;
        EXPECT_NE((*query)[7], kStatusRejected) << c.name;
        const auto begin = Exchange(mouse, Path::Receiver, MakeRequest(cmd::kBeginConfig));
        ASSERT_TRUE(begin) << c.name;
        EXPECT_EQ((*begin)[3], c.reachable ? cmd::kBeginConfig : kUnreachable) << c.name;
        Status(mouse, Path::Receiver, MakeRequest(cmd::kEndConfig));
    }
}

TEST(Receiver, CableAndReceiverShareOneMemory)
{
    ManualClock clock;
    Firmware keyboard(DeviceKind::Keyboard, clock);
    keyboard.SetPathPresent(Path::Cable, true);
    keyboard.SetPathPresent(Path::Receiver, true);
    const std::vector<std::uint8_t> block(31, 0x21);
    EXPECT_EQ(WriteSequence(keyboard, Path::Receiver, cmd::kWriteBlock, block, 60, 24), kStatusOk);
    EXPECT_EQ(ReadChunked(keyboard, Path::Cable, cmd::kReadBlock, 31, 60), block);
}

TEST(Receiver, PluggingTheCableWakesTheDevice)
{
    ManualClock clock;
    Firmware mouse(DeviceKind::Mouse, clock);
    mouse.SetPathPresent(Path::Receiver, true);
    mouse.SetWireless(WirelessState::Asleep);
    EXPECT_FALSE(mouse.IsReachable(Path::Receiver));
    EXPECT_FALSE(mouse.NotificationPath());
    mouse.SetPathPresent(Path::Cable, true);
    EXPECT_TRUE(mouse.IsReachable(Path::Receiver));
    EXPECT_EQ(mouse.NotificationPath(), Path::Cable);
}

TEST(Power, StatusBytesPerKindAndPath)
{
    ManualClock clock;
    Firmware mouse(DeviceKind::Mouse, clock);
    mouse.SetPathPresent(Path::Receiver, true);
    mouse.SetBattery(73);
    EXPECT_EQ(PowerStatus(mouse, Path::Receiver), (std::vector<std::uint8_t>{73, 3, 0, 1, 0, 0}));
    mouse.SetPathPresent(Path::Cable, true);
    EXPECT_EQ(PowerStatus(mouse, Path::Cable), (std::vector<std::uint8_t>{73, 1, 0, 0, 0, 0}));

    Firmware pad(DeviceKind::MousePad, clock);
    pad.SetPathPresent(Path::Cable, true);
    pad.SetPhone(2);
    EXPECT_EQ(PowerStatus(pad, Path::Cable), (std::vector<std::uint8_t>{100, 0, 0, 0, 0, 2}));
    EXPECT_EQ(Status(pad, Path::Cable, MakeRequest(cmd::kReadSmall, 6, 12)), kStatusRejected);
}

TEST(Power, BatteryDrainsOnItsOwnAndChargesByCable)
{
    ManualClock clock;
    Firmware keyboard(DeviceKind::Keyboard, clock);
    keyboard.SetPathPresent(Path::Receiver, true);
    keyboard.SetBatteryRates(2.0, 10.0);
    keyboard.SetBattery(10);
    clock.Advance(2min);
    EXPECT_EQ(keyboard.BatteryPercent(), 6);
    EXPECT_EQ(keyboard.Charge(), ChargeState::Discharging);
    clock.Advance(5min);
    EXPECT_EQ(keyboard.BatteryPercent(), 0);
    EXPECT_FALSE(keyboard.IsReachable(Path::Receiver)) << "an empty battery puts the device to sleep";
    keyboard.SetPathPresent(Path::Cable, true);
    clock.Advance(3min);
    EXPECT_EQ(keyboard.BatteryPercent(), 30);
    EXPECT_EQ(keyboard.Charge(), ChargeState::Charging);
    clock.Advance(10min);
    EXPECT_EQ(keyboard.BatteryPercent(), 100);
    EXPECT_EQ(keyboard.Charge(), ChargeState::Charged);
}

struct KeyCase {
    const char* name;
    DeviceKind kind;
    OnBoardKey key;
    std::vector<std::uint16_t> notifications;
};

TEST(OnBoardKeys, NotificationsOfEachKey)
{
    const KeyCase cases[] = {
        {"keyboard profile", DeviceKind::Keyboard, OnBoardKey::Profile, {0x0402, 0x1001}},
        {"keyboard layer", DeviceKind::Keyboard, OnBoardKey::Layer, {0x1110}},
        {"keyboard light", DeviceKind::Keyboard, OnBoardKey::Light, {0x0401}},
        {"keyboard key press", DeviceKind::Keyboard, OnBoardKey::KeyPress, {0x0403}},
        {"keyboard has no DPI key", DeviceKind::Keyboard, OnBoardKey::Dpi, {}},
        {"mouse profile", DeviceKind::Mouse, OnBoardKey::Profile, {0x1001}},
        {"mouse DPI: stage 1 to 2 in bank 0", DeviceKind::Mouse, OnBoardKey::Dpi, {0x1120}},
        {"mouse key press", DeviceKind::Mouse, OnBoardKey::KeyPress, {0x0403}},
        {"pad light", DeviceKind::MousePad, OnBoardKey::Light, {0x0401}},
        {"pad profile", DeviceKind::MousePad, OnBoardKey::Profile, {0x0401}},
        {"headset sends nothing", DeviceKind::Headset, OnBoardKey::Profile, {}},
    };
    for (const auto& c : cases) {
        ManualClock clock;
        Firmware device(c.kind, clock);
        device.SetPathPresent(Path::Cable, true);
        EXPECT_EQ(device.PressKey(c.key), c.notifications) << c.name;
    }
}

TEST(OnBoardKeys, TheyChangeWhatTheProgramReadsBack)
{
    ManualClock clock;
    Firmware mouse(DeviceKind::Mouse, clock);
    mouse.SetPathPresent(Path::Cable, true);
    mouse.PressKey(OnBoardKey::Profile);
    mouse.PressKey(OnBoardKey::Profile);
    EXPECT_EQ(ReadChunked(mouse, Path::Cable, cmd::kReadBlock, 1, 0), std::vector<std::uint8_t>{2});
    // Stage 3 of bank 2 switched off: the DPI key skips it.
    std::vector<std::uint8_t> off{0};
    ASSERT_EQ(WriteSequence(mouse, Path::Cable, cmd::kWriteBlock, off, 2 * 128 + 14 + 9 * 2), kStatusOk);
    EXPECT_EQ(mouse.PressKey(OnBoardKey::Dpi), std::vector<std::uint16_t>{0x1132});
    EXPECT_EQ(ReadChunked(mouse, Path::Cable, cmd::kReadBlock, 1, 2 * 128 + 12), std::vector<std::uint8_t>{3});

    Firmware keyboard(DeviceKind::Keyboard, clock);
    keyboard.PressKey(OnBoardKey::Light);
    keyboard.PressKey(OnBoardKey::Layer);
    const auto block = ReadChunked(keyboard, Path::Cable, cmd::kReadBlock, 31, 0);
    ASSERT_EQ(block.size(), 31u);
    EXPECT_EQ(block[1], 2) << "next light mode code";
    EXPECT_EQ(block[17], 1) << "layer in byte 17";
}

TEST(OnBoardKeys, APressWakesASleepingDevice)
{
    ManualClock clock;
    Firmware mouse(DeviceKind::Mouse, clock);
    mouse.SetPathPresent(Path::Receiver, true);
    mouse.SetWireless(WirelessState::Asleep);
    mouse.PressKey(OnBoardKey::KeyPress);
    EXPECT_EQ(mouse.Wireless(), WirelessState::Awake);
    EXPECT_EQ(mouse.NotificationPath(), Path::Receiver);
}

TEST(Faults, ScriptedPerCommand)
{
    ManualClock clock;
    Firmware mouse(DeviceKind::Mouse, clock);
    mouse.SetPathPresent(Path::Cable, true);
    FaultRule drop;
    drop.command = cmd::kReadBlock;
    drop.action = FaultAction::Drop;
    drop.skip = 1;
    mouse.AddFault(drop);
    EXPECT_TRUE(Exchange(mouse, Path::Cable, MakeRequest(cmd::kReadBlock, 1, 0))) << "skipped once";
    EXPECT_FALSE(Exchange(mouse, Path::Cable, MakeRequest(cmd::kReadBlock, 1, 0))) << "dropped";
    EXPECT_TRUE(Exchange(mouse, Path::Cable, MakeRequest(cmd::kReadBlock, 1, 0))) << "only once";

    const struct {
        FaultAction action;
        int status;
    } statuses[] = {{FaultAction::BadChecksumStatus, kStatusBadChecksum}, {FaultAction::RejectedStatus, kStatusRejected}};
    for (const auto& s : statuses) {
        FaultRule rule;
        rule.action = s.action;
        mouse.AddFault(rule);
        EXPECT_EQ(Status(mouse, Path::Cable, MakeRequest(cmd::kBeginConfig)), s.status);
        EXPECT_FALSE(mouse.ConfigOpen()) << "a refused command is not carried out";
    }

    FaultRule late;
    late.action = FaultAction::Late;
    late.lateBy = 5500ms;
    late.path = Path::Receiver;
    mouse.AddFault(late);
    EXPECT_EQ(mouse.HandleCommand(Path::Cable, MakeRequest(cmd::kBeginConfig)).extraDelay, 0ms) << "other path";
    const Reaction delayed = mouse.HandleCommand(Path::Receiver, MakeRequest(cmd::kBeginConfig));
    EXPECT_TRUE(delayed.answer);
    EXPECT_EQ(delayed.extraDelay, 5500ms);

    FaultRule unplug;
    unplug.action = FaultAction::Unplug;
    unplug.command = cmd::kWriteKeyTable;
    mouse.AddFault(unplug);
    const Reaction pulled = mouse.HandleCommand(Path::Cable, MakeRequest(cmd::kWriteKeyTable, 3, 0));
    EXPECT_TRUE(pulled.unplug);
    EXPECT_FALSE(pulled.answer);

    FaultRule forever;
    forever.action = FaultAction::Drop;
    forever.times = -1;
    mouse.AddFault(forever);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(Exchange(mouse, Path::Cable, MakeRequest(cmd::kReadSmall, 6, 0)));
    }
    mouse.ClearFaults();
    EXPECT_TRUE(Exchange(mouse, Path::Cable, MakeRequest(cmd::kReadSmall, 6, 0)));
}

TEST(MemoryFile, WrittenSettingsSurviveARestart)
{
    orvel::testing::TempFolder temp;
    const auto file = temp / "mouse.json";
    ManualClock clock;
    const std::vector<std::uint8_t> block(66, 0x42);
    {
        Firmware mouse(DeviceKind::Mouse, clock);
        ASSERT_TRUE(mouse.UseMemoryFile(file));
        EXPECT_EQ(WriteSequence(mouse, Path::Cable, cmd::kWriteBlock, block, 128), kStatusOk);
        mouse.PressKey(OnBoardKey::Profile);
    }
    Firmware again(DeviceKind::Mouse, clock);
    ASSERT_TRUE(again.UseMemoryFile(file));
    EXPECT_EQ(ReadChunked(again, Path::Cable, cmd::kReadBlock, 66, 128), block);
    EXPECT_EQ(again.ActiveBank(), 1);

    Firmware keyboard(DeviceKind::Keyboard, clock);
    EXPECT_FALSE(keyboard.UseMemoryFile(file)) << "a file of another kind is not taken";
}

TEST(MemoryFile, BrokenFileLeavesTheFactoryMemoryAndTheFile)
{
    orvel::testing::TempFolder temp;
    const auto file = temp / "pad.json";
    std::ofstream(file) << R"({"kind": "mousepad", "block": "zz"})";
    ManualClock clock;
    Firmware pad(DeviceKind::MousePad, clock);
    EXPECT_FALSE(pad.UseMemoryFile(file));
    EXPECT_EQ(pad.Snapshot().block, FactoryMemory(DeviceKind::MousePad).block);
    pad.PressKey(OnBoardKey::Light);
    std::ifstream in(file);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, R"({"kind": "mousepad", "block": "zz"})") << "the unusable file is not overwritten";
}

} // namespace
} // namespace orvel::sim
