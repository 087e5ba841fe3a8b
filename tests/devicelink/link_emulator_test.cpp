// The link, discovery and attach core over the real HID layer against the emulators.

#include "tests/devicelink/emulator_host.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

namespace orvel::test {
namespace {

using sim::DeviceKind;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kKeyboard = 0;
constexpr std::size_t kMouse = 4;

std::vector<int> Lengths(const std::vector<CommandFrame>& frames, std::uint8_t command)
{
    std::vector<int> lengths;
    for (const CommandFrame& f : frames)
        if (f[3] == command)
            lengths.push_back(f[4]);
    return lengths;
}

class LinkEmulatorTest : public ::testing::Test {
protected:
    EmulatorHost host;
};

TEST_F(LinkEmulatorTest, DeviceInfoIsOneFrameByCableAndTwoThroughTheReceiver)
{
    auto mouse = host.Emulator(DeviceKind::Mouse);
    ASSERT_TRUE(mouse->Plug(sim::Path::Receiver));
    host.Scan();
    HostDevice& device = host.Device(kMouse);
    ASSERT_EQ(device.command.viaDongle, 1);
    std::array<std::uint8_t, 34> viaReceiver{};
    ASSERT_EQ(device.command.ReadDeviceInfo(viaReceiver), 1);
    EXPECT_EQ(Lengths(device.Receiver().Take(), 0x03), (std::vector<int>{24, 10}));

    ASSERT_TRUE(mouse->Plug(sim::Path::Cable));
    host.Scan();
    ASSERT_EQ(device.command.viaDongle, 0);
    std::array<std::uint8_t, 34> byCable{};
    ASSERT_EQ(device.command.ReadDeviceInfo(byCable), 1);
    EXPECT_EQ(Lengths(device.Cable().Take(), 0x03), (std::vector<int>{34}));
    EXPECT_EQ(byCable, viaReceiver);
    EXPECT_EQ(byCable[32] | (byCable[33] << 8), sim::kFirmwareVersion);
}

TEST_F(LinkEmulatorTest, ArgumentChecksSendNothing)
{
    auto keyboard = host.Emulator(DeviceKind::Keyboard);
    ASSERT_TRUE(keyboard->Plug(sim::Path::Cable));
    host.Scan();
    CDeviceLink& link = host.Device(kKeyboard).command;
    ASSERT_EQ(link.linkOpen, 1);
    std::array<std::uint8_t, 512> table{};
    EXPECT_EQ(link.SetDataSize(513), 0);
    EXPECT_EQ(link.WriteKeyTable(table, 1), -201);
    EXPECT_EQ(link.SetDataSize(0), 1);
    EXPECT_EQ(link.ReadKeyTable(table), 1);
    EXPECT_TRUE(link.QueryWirelessLink());
    EXPECT_TRUE(host.Device(kKeyboard).Cable().Take().empty());
}

TEST_F(LinkEmulatorTest, BadArgumentStatusStopsAChunkedTransferAtThatFrame)
{
    auto keyboard = host.Emulator(DeviceKind::Keyboard);
    keyboard->Device().AddFault({.command = 0x07, .path = std::nullopt, .action = sim::FaultAction::BadChecksumStatus, .skip = 2});
    ASSERT_TRUE(keyboard->Plug(sim::Path::Cable));
    host.Scan();
    HostDevice& device = host.Device(kKeyboard);
    std::array<std::uint8_t, 512> table{};
    EXPECT_EQ(device.command.ReadKeyTable(table), -103);
    EXPECT_EQ(Lengths(device.Cable().Take(), 0x07).size(), 3u);
}

TEST_F(LinkEmulatorTest, SleepingMouseBehindItsReceiver)
{
    auto mouse = host.Emulator(DeviceKind::Mouse);
    ASSERT_TRUE(mouse->Plug(sim::Path::Receiver));
    host.Scan();
    CDeviceLink& link = host.Device(kMouse).command;
    EXPECT_TRUE(link.QueryWirelessLink());
    mouse->Device().SetWireless(sim::WirelessState::Asleep);
    EXPECT_FALSE(link.QueryWirelessLink());
    EXPECT_EQ(link.BeginConfig(), -101);
}

TEST_F(LinkEmulatorTest, CableTakesOverAndHandsBack)
{
    auto mouse = host.Emulator(DeviceKind::Mouse);
    ASSERT_TRUE(mouse->Plug(sim::Path::Receiver));
    host.Scan();
    HostDevice& device = host.Device(kMouse);
    EXPECT_FALSE(device.itemVisible) << "through the receiver the ready step shows the item";

    ASSERT_TRUE(mouse->Plug(sim::Path::Cable));
    host.Scan();
    EXPECT_TRUE(device.itemVisible);
    EXPECT_TRUE(device.last.reportReachable);
    EXPECT_EQ(device.command.chunkSize, 56);
    EXPECT_EQ(device.command.TimeoutMs(), 1000u);
    std::array<std::uint8_t, 512> table{};
    ASSERT_EQ(device.command.ReadKeyTable(table), 1);
    EXPECT_EQ(Lengths(device.Cable().Take(), 0x07).size(), 10u);

    mouse->Unplug(sim::Path::Cable);
    host.Scan();
    EXPECT_TRUE(device.itemVisible) << "no flicker when the mouse answers through the receiver";
    EXPECT_FALSE(device.last.stepSwitch);
    EXPECT_TRUE(device.last.startLinkWatch);
    EXPECT_EQ(device.command.viaDongle, 1);
    device.Receiver().Take();
    ASSERT_EQ(device.command.ReadKeyTable(table), 1);
    EXPECT_EQ(Lengths(device.Receiver().Take(), 0x07).size(), 22u);
}

TEST_F(LinkEmulatorTest, OnlyDeviceUnplugged)
{
    auto pad = host.Emulator(DeviceKind::MousePad);
    ASSERT_TRUE(pad->Plug(sim::Path::Cable));
    host.Scan();
    HostDevice& device = host.Device(8);
    ASSERT_EQ(device.command.linkOpen, 1);
    pad->Unplug(sim::Path::Cable);
    host.Scan();
    EXPECT_TRUE(device.last.hideItem);
    EXPECT_EQ(device.command.linkOpen, 0);
    EXPECT_FALSE(device.command.primaryHid->IsOpen());
    EXPECT_TRUE(host.AttachedSlots().empty());
    EXPECT_EQ(device.command.BeginConfig(), 0);
}

TEST_F(LinkEmulatorTest, BootInterfaceIsNeverAttached)
{
    auto keyboard = host.Emulator(DeviceKind::Keyboard);
    auto mouse = host.Emulator(DeviceKind::Mouse);
    ASSERT_TRUE(keyboard->Plug(sim::Path::Cable));
    ASSERT_TRUE(mouse->Plug(sim::Path::Cable));
    host.Scan();
    host.Scan();
    EXPECT_EQ(host.AttachedSlots(), (std::vector<std::size_t>{0, 1, 4, 5}));
    for (std::size_t slot : host.AttachedSlots())
        EXPECT_EQ(ParseCandidate(host.slots[slot].path).interfaceNumber, 1) << host.slots[slot].path;
}

TEST_F(LinkEmulatorTest, UnplugDuringATransferOnAWorkerThread)
{
    auto keyboard = host.Emulator(DeviceKind::Keyboard);
    keyboard->SetLatency(sim::Path::Cable, milliseconds(40));
    ASSERT_TRUE(keyboard->Plug(sim::Path::Cable));
    host.Scan();
    CDeviceLink& link = host.Device(kKeyboard).command;
    std::array<std::uint8_t, 512> table{};
    auto transfer = std::async(std::launch::async, [&] { return link.ReadKeyTable(table); });
    std::this_thread::sleep_for(milliseconds(200));
    keyboard->Unplug(sim::Path::Cable);
    const auto start = Clock::now();
    host.Scan();
    const int status = transfer.get();
    EXPECT_TRUE(status == 0 || status == -1) << status;
    EXPECT_LT(Clock::now() - start, milliseconds(900));
    EXPECT_TRUE(host.Device(kKeyboard).last.hideItem);
    const auto later = Clock::now();
    EXPECT_EQ(link.ReadKeyTable(table), 0);
    EXPECT_LT(Clock::now() - later, milliseconds(50));
}

std::size_t Entries(const char* folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

TEST_F(LinkEmulatorTest, PlugCyclesLeaveNothingBehind)
{
    auto mouse = host.Emulator(DeviceKind::Mouse);
    const std::size_t fds = Entries("/proc/self/fd");
    const std::size_t threads = Entries("/proc/self/task");
    for (int cycle = 0; cycle < 10; ++cycle) {
        ASSERT_TRUE(mouse->Plug(cycle % 2 == 0 ? sim::Path::Cable : sim::Path::Receiver));
        host.Scan();
        ASSERT_EQ(host.Device(kMouse).command.linkOpen, 1) << cycle;
        std::array<std::uint8_t, 34> info{};
        EXPECT_EQ(host.Device(kMouse).command.ReadDeviceInfo(info), 1) << cycle;
        mouse->Unplug(cycle % 2 == 0 ? sim::Path::Cable : sim::Path::Receiver);
        host.Scan();
        ASSERT_EQ(host.Device(kMouse).command.linkOpen, 0) << cycle;
    }
    mouse->Drain();
    EXPECT_EQ(Entries("/proc/self/fd"), fds);
    EXPECT_EQ(Entries("/proc/self/task"), threads);
    EXPECT_TRUE(std::filesystem::is_empty(host.folder.path()));
}

} // namespace
} // namespace orvel::test
