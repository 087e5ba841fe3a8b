// The program's command link (CDeviceLink over CHidDevice) against the emulators: every
// sender gets the answer and status it expects, by cable and through the receiver.

#include "devicelink/device_link.h"
#include "sim/devices/event_image.h"
#include "sim/devices/factory_tables.h"
#include "sim/serve/served_device.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <array>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;

class LinkToEmulator : public ::testing::Test {
protected:
    LinkToEmulator() { temp.setEnv("ORVEL_VHID_DIR", folder.string()); }

    ServedDevice& Serve(DeviceKind kind)
    {
        device = std::make_unique<ServedDevice>(kind, folder, clock);
        device->SetLatency(Path::Cable, 0ms);
        device->SetLatency(Path::Receiver, 0ms);
        EXPECT_TRUE(device->Plug(Path::Cable));
        if (HasReceiver(kind)) {
            EXPECT_TRUE(device->Plug(Path::Receiver));
        }
        return *device;
    }

    std::string CommandPath(Path path) const
    {
        const Identity* id = IdentityFor(device->Kind(), path);
        char suffix[64];
        const int mi = id->interfaces.back().number;
        std::snprintf(suffix, sizeof(suffix), "#vid_%04x&pid_%04x&mi_%02d%s", id->vendorId, id->productId, mi,
                      mi == 1 ? "&col04" : "");
        return "vhid:" + (folder / (id->name + ".if" + std::to_string(mi) + ".sock")).string() + suffix;
    }

    // Opens both paths as attach does and selects one.
    void Attach(CDeviceLink& link, Path use)
    {
        ASSERT_EQ(link.primaryHid->Open(CommandPath(Path::Cable), true, true, true, false), 1);
        if (HasReceiver(device->Kind())) {
            ASSERT_EQ(link.dongleHid->Open(CommandPath(Path::Receiver), true, true, true, false), 1);
        }
        link.linkOpen = 1;
        // Only a device with a receiver has its link's mode set; the pad's keeps 24 bytes a frame.
        if (HasReceiver(device->Kind())) {
            link.SetLinkMode(use == Path::Receiver ? 2 : 1);
        }
    }

    orvel::testing::TempFolder temp;
    std::filesystem::path folder = temp / "vhid";
    SteadyClock clock;
    std::unique_ptr<ServedDevice> device;
};

TEST_F(LinkToEmulator, AttachReadOfTheKeyboardByEitherPath)
{
    Serve(DeviceKind::Keyboard);
    for (Path path : {Path::Cable, Path::Receiver}) {
        CDeviceLink link;
        Attach(link, path);
        std::array<std::uint8_t, 34> info{};
        ASSERT_EQ(link.BeginConfig(), 1);
        ASSERT_EQ(link.ReadDeviceInfo(info), 1);
        EXPECT_EQ(info[5], 104);
        EXPECT_EQ(info[6], 32);
        ASSERT_EQ(link.SetDataSize(static_cast<std::uint16_t>(info[5] * 3)), 1);
        std::array<std::uint8_t, 512> keys{};
        std::array<std::uint8_t, 512> leds{};
        ASSERT_EQ(link.ReadKeyTable(keys), 1);
        ASSERT_EQ(link.ReadKeyTableExtra(leds), 1);
        ASSERT_EQ(link.EndConfig(), 1);
        const auto factory = KeyboardFactoryKeyTable();
        EXPECT_TRUE(std::equal(factory.begin(), factory.end(), keys.begin()));
        const auto ledTable = KeyboardLedTable();
        EXPECT_TRUE(std::equal(ledTable.begin(), ledTable.end(), leds.begin()));
    }
}

TEST_F(LinkToEmulator, WriteSequencesLandInMemory)
{
    Serve(DeviceKind::Mouse);
    CDeviceLink link;
    Attach(link, Path::Receiver);
    ASSERT_TRUE(link.QueryWirelessLink());

    std::vector<std::uint8_t> block(66, 0);
    block[1] = 3;
    block[12] = 4;
    ASSERT_EQ(link.BeginConfig(), 1);
    EXPECT_EQ(link.WriteBlock(block, 0), 1);
    std::array<std::uint8_t, 512> table{};
    const auto factory = MouseFactoryKeyTable();
    std::copy(factory.begin(), factory.end(), table.begin());
    table[0] = 0x70;
    ASSERT_EQ(link.SetDataSize(33), 1);
    EXPECT_EQ(link.WriteKeyTable(table, 0), 1);
    ImageSection click;
    click.events = {{10, 0x81, 1}, {20, 0x01, 1}};
    const auto macros = BuildEventImage({click});
    EXPECT_EQ(link.WriteMacroData(macros), 1);
    ASSERT_EQ(link.EndConfig(), 1);

    const auto memory = device->Device().Snapshot();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), memory.block.begin()));
    EXPECT_EQ(memory.keyTable[0], 0x70);
    EXPECT_EQ(memory.macros, macros);

    std::vector<std::uint8_t> back(71, 0xEE);
    EXPECT_EQ(link.ReadBlock(back, 0), 1);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), back.begin()));

    std::array<std::uint8_t, 6> power{};
    EXPECT_EQ(link.ReadSmall(power, 0), 1);
    EXPECT_EQ(power[0], 100);
    EXPECT_EQ(power[3], 1);
}

TEST_F(LinkToEmulator, StatusesTheLinkTurnsIntoCodes)
{
    Serve(DeviceKind::Mouse);
    CDeviceLink link;
    Attach(link, Path::Receiver);

    FaultRule checksum;
    checksum.action = FaultAction::BadChecksumStatus;
    device->Device().AddFault(checksum);
    EXPECT_EQ(link.BeginConfig(), -103);

    FaultRule rejected;
    rejected.action = FaultAction::RejectedStatus;
    device->Device().AddFault(rejected);
    EXPECT_EQ(link.BeginConfig(), -102);

    std::vector<std::uint8_t> outOfRange(56);
    EXPECT_EQ(link.ReadBlock(outOfRange, 600), -102);

    device->Unplug(Path::Cable);   // with its cable in, the mouse never sleeps
    device->Device().SetWireless(WirelessState::Asleep);
    EXPECT_FALSE(link.QueryWirelessLink());
    EXPECT_EQ(link.BeginConfig(), -101);
    device->Device().SetWireless(WirelessState::Awake);
    EXPECT_TRUE(link.QueryWirelessLink());
    EXPECT_EQ(link.BeginConfig(), 1);
    EXPECT_EQ(link.EndConfig(), 1);
}

TEST_F(LinkToEmulator, LightCommandsOfTheKeyboardAndThePad)
{
    Serve(DeviceKind::Keyboard);
    CDeviceLink keyboard;
    Attach(keyboard, Path::Cable);
    EXPECT_EQ(keyboard.SetHostLightControl(), 1);
    std::vector<std::uint8_t> frame(312, 0x40);
    EXPECT_EQ(keyboard.WriteLightStream(frame), 1);
    EXPECT_EQ(keyboard.WriteLightFrame(frame, 2, 512), 1);
    const auto memory = device->Device().Snapshot();
    EXPECT_TRUE(memory.hostLightControl);
    EXPECT_EQ(memory.ledPicture[311], 0x40);
    EXPECT_EQ(memory.lightGroups[2 * 512 + 311], 0x40);

    Serve(DeviceKind::MousePad);
    CDeviceLink pad;
    Attach(pad, Path::Cable);
    std::vector<std::uint8_t> leds(45, 0x11);
    EXPECT_EQ(pad.WriteLightStream(leds), 1);
    EXPECT_EQ(device->Device().Snapshot().ledPicture, leds);
}

} // namespace
} // namespace orvel::sim
