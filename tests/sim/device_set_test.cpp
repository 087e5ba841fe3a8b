// The commands of a running orvel-devsim, through its control socket, and the probe for
// real hardware.

#include "sim/devices/describe.h"
#include "sim/serve/control_socket.h"
#include "sim/serve/device_set.h"
#include "sim/serve/hardware_probe.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;

class DeviceSetTest : public ::testing::Test {
protected:
    DeviceSetTest() : devices(DeviceSetOptions{temp / "vhid", temp / "memory", 0ms, 0ms})
    {
        std::filesystem::create_directories(temp / "memory");
    }
    orvel::testing::TempFolder temp;
    DeviceSet devices;
};

TEST_F(DeviceSetTest, CommandsAndTheirEffects)
{
    std::string error;
    ASSERT_TRUE(devices.Serve("mouse", &error)) << error;
    ASSERT_TRUE(devices.Serve("mouse-receiver", &error)) << error;
    ASSERT_TRUE(devices.Serve("mousepad", &error)) << error;
    EXPECT_FALSE(devices.Serve("trackball", &error));

    const struct {
        const char* line;
        const char* replyStart;
    } cases[] = {
        {"press mouse dpi", "ok 1120"},
        {"press mouse profile", "ok 1001"},
        {"press mousepad dpi", "ok\n"},            // no DPI key: nothing sent
        {"press mouse wheel", "error:"},
        {"battery mouse 42", "ok"},
        {"battery mouse 101", "error:"},
        {"phone mousepad 3", "ok"},
        {"phone mouse 3", "error:"},
        {"latency mouse receiver 7", "ok"},
        {"latency mousepad receiver 7", "error:"},
        {"sleep mousepad", "error:"},
        {"unplug mouse cable", "ok"},
        {"sleep mouse", "ok"},
        {"notify mouse 0401", "error:"},           // asleep, no path carries it
        {"wake mouse", "ok"},
        {"notify mouse 0401", "ok"},
        {"notify mouse 2000", "error:"},
        {"fault mouse late command 05 via receiver times 2 by 5500", "ok"},
        {"fault mouse explode", "error:"},
        {"fault mouse drop skip", "error:"},
        {"clear-faults mouse", "ok"},
        {"show mouse power", "battery 42%"},
        {"show mouse colours", "error:"},
        {"show headset", "error:"},                // not served
        {"plug headset", "ok"},
        {"frobnicate mouse", "error: unknown command"},
        {"list", "mouse: cable unplugged, receiver plugged, awake"},
    };
    for (const auto& c : cases) {
        const std::string reply = devices.Execute(c.line);
        EXPECT_TRUE(reply.starts_with(c.replyStart)) << c.line << " -> " << reply;
    }
    ServedDevice* mouse = devices.Find(DeviceKind::Mouse);
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->Latency(Path::Receiver), 7ms);
    EXPECT_FALSE(mouse->Plugged(Path::Cable));
    EXPECT_EQ(mouse->Device().ActiveBank(), 1);
    EXPECT_TRUE(std::filesystem::exists(temp / "vhid" / "headset.if3.sock"));
    EXPECT_TRUE(std::filesystem::exists(temp / "memory" / "mouse.json")) << "the on-board keys changed stored memory";
}

TEST_F(DeviceSetTest, ShowPrintsWhatTheProgramWrote)
{
    std::string error;
    ASSERT_TRUE(devices.Serve("keyboard", &error)) << error;
    Firmware& keyboard = devices.Find(DeviceKind::Keyboard)->Device();
    keyboard.HandleCommand(Path::Cable, MakeRequest(cmd::kBeginConfig));
    const std::vector<std::uint8_t> macro{0x70, 0x00, 0x00};   // key 0 plays macro 0
    keyboard.HandleCommand(Path::Cable, MakeRequest(cmd::kWriteKeyTable, 3, 0, macro));
    keyboard.HandleCommand(Path::Cable, MakeRequest(cmd::kEndConfig));
    const std::string keys = devices.Execute("show keyboard keys");
    EXPECT_NE(keys.find("1 not at their factory code"), std::string::npos) << keys;
    EXPECT_NE(keys.find("* key 0 (position 0, LED 0): 70 00 00   factory 20 00 29"), std::string::npos) << keys;
    const std::string all = devices.Execute("show keyboard");
    for (const char* part : {"== info", "== power", "== settings", "== keys", "== macros", "== leds", "host light control off"}) {
        EXPECT_NE(all.find(part), std::string::npos) << part;
    }
}

TEST_F(DeviceSetTest, FramesListsTheReportsReceivedSinceTheLastCall)
{
    std::string error;
    ASSERT_TRUE(devices.Serve("mousepad", &error)) << error;
    Firmware& pad = devices.Find(DeviceKind::MousePad)->Device();
    EXPECT_EQ(devices.Execute("frames mousepad"), "0 frames received\n");
    FaultRule drop;
    drop.command = cmd::kReadSmall;
    pad.AddFault(drop);
    const std::vector<std::uint8_t> payload{0x11, 0x22};
    pad.HandleCommand(Path::Cable, MakeRequest(cmd::kReadBlock, 1, 0));
    pad.HandleCommand(Path::Cable, MakeRequest(cmd::kWriteLightStream, 2, 3, payload));
    pad.HandleCommand(Path::Cable, MakeRequest(cmd::kReadBlock, 31, 0));   // more than the pad's link carries
    pad.HandleCommand(Path::Cable, MakeRequest(cmd::kReadSmall, 6, 0));
    // Request bytes up to the last non-zero one: id, checksum, command, length, address, 0, payload.
    EXPECT_EQ(devices.Execute("frames mousepad"), "4 frames received\n"
                                                  "cable 04 06 00 05 01 00 00 00 -> 00\n"
                                                  "cable 04 4A 00 12 02 03 00 00 11 22 -> 00\n"
                                                  "cable 04 24 00 05 1F 00 00 00 -> FF\n"
                                                  "cable 04 20 00 1A 06 00 00 00 -> -\n");
    EXPECT_EQ(devices.Execute("frames mousepad"), "0 frames received\n");
    EXPECT_TRUE(devices.Execute("frames headset").starts_with("error:"));
}

TEST(DpiOfLevel, SensorRule)
{
    EXPECT_EQ(MouseDpiOfLevel(48, 100, 100, 0x3325), 4900);
    EXPECT_EQ(MouseDpiOfLevel(49, 100, 100, 0x3325), 5100);
    EXPECT_EQ(MouseDpiOfLevel(49, 100, 100, 0x3360), 5000);
}

TEST(ControlSocket, OneCommandPerConnection)
{
    orvel::testing::TempFolder temp;
    ControlSocket control(temp / kControlSocketName, [](const std::string& line) { return "echo " + line + "\n"; });
    ASSERT_TRUE(control.Start());
    EXPECT_EQ(SendControlCommand(temp / kControlSocketName, "press mouse dpi"), "echo press mouse dpi\n");
    EXPECT_EQ(SendControlCommand(temp / kControlSocketName, "list"), "echo list\n");
    control.Stop();
    EXPECT_FALSE(std::filesystem::exists(temp / kControlSocketName));
    EXPECT_FALSE(SendControlCommand(temp / kControlSocketName, "list", 200));
}

TEST(HardwareProbe, MatchesTheHidIdOfAnyIdentity)
{
    orvel::testing::TempFolder temp;
    auto node = [&](const std::string& name, const std::string& hidId) {
        std::filesystem::create_directories(temp / name / "device");
        std::ofstream(temp / name / "device" / "uevent") << "DRIVER=hid-generic\nHID_ID=" << hidId << "\nHID_NAME=x\n";
    };
    EXPECT_FALSE(SupportedHardwarePresent(temp.path()));
    node("hidraw0", "0003:0000046D:0000C52B");
    EXPECT_FALSE(SupportedHardwarePresent(temp.path()));
    node("hidraw1", "0003:00000C76:00001630");
    EXPECT_TRUE(SupportedHardwarePresent(temp.path()));
    EXPECT_FALSE(SupportedHardwarePresent(temp / "missing"));
}

} // namespace
} // namespace orvel::sim
