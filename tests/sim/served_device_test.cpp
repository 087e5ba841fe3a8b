// Emulators served on a vhid folder, driven through bare sockets: HELLO of every interface,
// answers with their wire delay, notifications, unplugging and the headset's light reports.

#include "platform/hid/vhid_wire.h"
#include "sim/serve/served_device.h"
#include "tests/hid/raw_vhid_client.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;
using orvel::testing::RawVhidClient;

class Served : public ::testing::Test {
protected:
    std::unique_ptr<ServedDevice> Serve(DeviceKind kind, std::vector<Path> paths, std::chrono::milliseconds latency = 0ms)
    {
        auto device = std::make_unique<ServedDevice>(kind, folder, clock);
        device->SetLatency(Path::Cable, latency);
        device->SetLatency(Path::Receiver, latency);
        for (Path path : paths) {
            EXPECT_TRUE(device->Plug(path));
        }
        return device;
    }

    // Connects and takes the HELLO.
    std::unique_ptr<RawVhidClient> Connect(const std::string& socketName, vhid::Hello* hello = nullptr)
    {
        auto client = std::make_unique<RawVhidClient>((folder / socketName).string());
        EXPECT_TRUE(client->Connected()) << socketName;
        const auto first = client->Receive();
        EXPECT_TRUE(first && first->type == vhid::kHello) << socketName;
        if (first && hello) {
            auto decoded = vhid::DecodeHello(std::string(first->payload.begin(), first->payload.end()));
            EXPECT_TRUE(decoded);
            if (decoded) {
                *hello = *decoded;
            }
        }
        return client;
    }

    static std::optional<Frame> Command(RawVhidClient& client, const Frame& request, int timeoutMs = 2000)
    {
        EXPECT_TRUE(client.Send(vhid::kOutput, std::vector<std::uint8_t>(request.begin(), request.end())));
        const auto message = client.Receive(timeoutMs);
        if (!message || message->type != vhid::kInput) {
            return std::nullopt;
        }
        return ToFrame(message->payload);
    }

    orvel::testing::TempFolder temp;
    std::filesystem::path folder = temp / "vhid";
    SteadyClock clock;
};

TEST_F(Served, EveryIdentityGreetsWithItsIdentityOnEachInterface)
{
    auto keyboard = Serve(DeviceKind::Keyboard, {Path::Cable, Path::Receiver});
    auto mouse = Serve(DeviceKind::Mouse, {Path::Cable, Path::Receiver});
    auto pad = Serve(DeviceKind::MousePad, {Path::Cable});
    auto headset = Serve(DeviceKind::Headset, {Path::Cable});
    for (const auto& identity : AllIdentities()) {
        for (const auto& hid : identity.interfaces) {
            vhid::Hello hello;
            Connect(identity.name + ".if" + std::to_string(hid.number) + ".sock", &hello);
            EXPECT_EQ(hello.vendorId, identity.vendorId) << identity.name;
            EXPECT_EQ(hello.productId, identity.productId) << identity.name;
            EXPECT_EQ(hello.interfaceNumber, static_cast<std::uint32_t>(hid.number)) << identity.name;
            EXPECT_EQ(hello.reportDescriptor, hid.reportDescriptor) << identity.name;
        }
    }
}

TEST_F(Served, CommandsAreAnsweredOnTheCommandInterfaceOnly)
{
    auto mouse = Serve(DeviceKind::Mouse, {Path::Cable});
    auto command = Connect("mouse.if1.sock");
    const auto answer = Command(*command, MakeRequest(cmd::kReadDeviceInfo, 34, 0));
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[3], cmd::kReadDeviceInfo);
    EXPECT_EQ((*answer)[7], kStatusOk);
    EXPECT_EQ((*answer)[8 + 5], 11);

    auto boot = Connect("mouse.if0.sock");
    const Frame request = MakeRequest(cmd::kBeginConfig);
    EXPECT_TRUE(boot->Send(vhid::kOutput, std::vector<std::uint8_t>(request.begin(), request.end())));
    EXPECT_FALSE(boot->Receive(100)) << "the boot interface never answers";
}

TEST_F(Served, DefaultWireDelayPerPath)
{
    auto keyboard = std::make_unique<ServedDevice>(DeviceKind::Keyboard, folder, clock);
    ASSERT_TRUE(keyboard->Plug(Path::Cable));
    ASSERT_TRUE(keyboard->Plug(Path::Receiver));
    const struct {
        const char* socket;
        std::chrono::milliseconds atLeast;
    } cases[] = {{"keyboard.if1.sock", 2 * kDefaultCableLatency}, {"keyboard-receiver.if1.sock", 2 * kDefaultReceiverLatency}};
    for (const auto& c : cases) {
        auto client = Connect(c.socket);
        const auto start = std::chrono::steady_clock::now();
        const auto answer = Command(*client, MakeRequest(cmd::kBeginConfig));
        const auto took = std::chrono::steady_clock::now() - start;
        ASSERT_TRUE(answer) << c.socket;
        EXPECT_GE(took, c.atLeast) << c.socket;
        EXPECT_LT(took, c.atLeast + 500ms) << c.socket;
    }
}

TEST_F(Served, OnBoardKeysNotifyOnTheConsumerCollection)
{
    auto mouse = Serve(DeviceKind::Mouse, {Path::Cable, Path::Receiver});
    auto cable = Connect("mouse.if1.sock");
    auto receiver = Connect("mouse-receiver.if1.sock");
    EXPECT_EQ(mouse->Press(OnBoardKey::Profile), std::vector<std::uint16_t>{0x1001});
    const auto press = cable->Receive();
    ASSERT_TRUE(press);
    EXPECT_EQ(press->payload, (std::vector<std::uint8_t>{kNotifyReportId, 0x01, 0x10}));
    const auto release = cable->Receive();
    ASSERT_TRUE(release);
    EXPECT_EQ(release->payload, (std::vector<std::uint8_t>{kNotifyReportId, 0x00, 0x00}));
    EXPECT_FALSE(receiver->Receive(50)) << "with the cable in, the receiver stays quiet";

    mouse->Unplug(Path::Cable);
    EXPECT_EQ(mouse->Press(OnBoardKey::KeyPress), std::vector<std::uint16_t>{0x0403});
    const auto viaReceiver = receiver->Receive();
    ASSERT_TRUE(viaReceiver);
    EXPECT_EQ(viaReceiver->payload, (std::vector<std::uint8_t>{kNotifyReportId, 0x03, 0x04}));

    mouse->Device().SetWireless(WirelessState::OutOfRange);
    EXPECT_TRUE(mouse->Press(OnBoardKey::Profile).empty()) << "out of range, nothing reaches the host";
}

TEST_F(Served, UnplugInTheMiddleOfATransfer)
{
    auto keyboard = Serve(DeviceKind::Keyboard, {Path::Cable, Path::Receiver});
    auto cable = Connect("keyboard.if1.sock");
    FaultRule pull;
    pull.command = cmd::kWriteKeyTable;
    pull.action = FaultAction::Unplug;
    pull.skip = 2;
    keyboard->Device().AddFault(pull);
    ASSERT_TRUE(Command(*cable, MakeRequest(cmd::kBeginConfig)));
    for (int frame = 0; frame < 2; ++frame) {
        const auto answer = Command(*cable, MakeRequest(cmd::kWriteKeyTable, 56, static_cast<std::uint16_t>(56 * frame)));
        ASSERT_TRUE(answer);
        EXPECT_EQ((*answer)[7], kStatusOk);
    }
    const Frame third = MakeRequest(cmd::kWriteKeyTable, 56, 112);
    EXPECT_TRUE(cable->Send(vhid::kOutput, std::vector<std::uint8_t>(third.begin(), third.end())));
    EXPECT_TRUE(cable->SeesEndOfStream());
    keyboard->Drain();
    EXPECT_FALSE(keyboard->Plugged(Path::Cable));
    EXPECT_FALSE(std::filesystem::exists(folder / "keyboard.if1.sock"));
    EXPECT_FALSE(std::filesystem::exists(folder / "keyboard.if0.sock"));
    EXPECT_TRUE(keyboard->Plugged(Path::Receiver));

    // The receiver still reaches the device, and the cable can come back.
    auto receiver = Connect("keyboard-receiver.if1.sock");
    const auto query = Command(*receiver, MakeRequest(cmd::kQueryWirelessLink));
    ASSERT_TRUE(query);
    EXPECT_EQ((*query)[8], 0xFF);
    EXPECT_TRUE(keyboard->Plug(Path::Cable));
    EXPECT_TRUE(std::filesystem::exists(folder / "keyboard.if1.sock"));
}

TEST_F(Served, LateAnswerArrivesAfterItsDelay)
{
    auto pad = Serve(DeviceKind::MousePad, {Path::Cable});
    auto client = Connect("mousepad.if1.sock");
    FaultRule late;
    late.action = FaultAction::Late;
    late.lateBy = 300ms;
    pad->Device().AddFault(late);
    EXPECT_FALSE(Command(*client, MakeRequest(cmd::kReadSmall, 6, 0), 100)) << "not within 100 ms";
    const auto answer = client->Receive(1000);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->payload[3], cmd::kReadSmall);
}

TEST_F(Served, HeadsetLightReportsArriveAsOutputReports)
{
    auto headset = Serve(DeviceKind::Headset, {Path::Cable});
    auto client = Connect("headset.if3.sock");
    std::vector<std::uint8_t> report(kHeadsetLightReportSize, 0);
    report[0] = kHeadsetLightReportId;
    report[1] = 0x22;
    report[2] = 0xAB;
    report[4] = 200;
    EXPECT_TRUE(client->Send(vhid::kOutput, report));
    const auto answer = Command(*client, MakeRequest(cmd::kReadBlock, 1, 0));   // orders after the report
    ASSERT_TRUE(answer);
    EXPECT_EQ(headset->Device().Snapshot().headset.bank22[1][0], 200);
}

} // namespace
} // namespace orvel::sim
