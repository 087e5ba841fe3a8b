// A thin client drives the emulators through the program's own HID layer (CHidDevice over
// vhid): discovery sees the interfaces the device table matches, commands are answered as
// the link expects, notifications arrive as first pressed usages, and an unplug ends the
// transfer in flight.

#include "devicelink/hiddevice.h"
#include "sim/serve/served_device.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace orvel::sim {
namespace {

using namespace std::chrono_literals;

class HidClient : public ::testing::Test {
protected:
    HidClient() { temp.setEnv("ORVEL_VHID_DIR", folder.string()); }

    ServedDevice& Serve(DeviceKind kind, std::vector<Path> paths, const std::filesystem::path& memory = {})
    {
        served.push_back(std::make_unique<ServedDevice>(kind, folder, clock));
        ServedDevice& device = *served.back();
        device.SetLatency(Path::Cable, 0ms);
        device.SetLatency(Path::Receiver, 0ms);
        if (!memory.empty()) {
            EXPECT_TRUE(device.Device().UseMemoryFile(memory));
        }
        for (Path path : paths) {
            EXPECT_TRUE(device.Plug(path));
        }
        return device;
    }

    std::string PathOf(const std::string& identity, int mi, int col) const
    {
        const Identity* id = FindIdentity(identity);
        char suffix[64];
        std::snprintf(suffix, sizeof(suffix), "#vid_%04x&pid_%04x&mi_%02d", id->vendorId, id->productId, mi);
        std::string path = "vhid:" + (folder / (identity + ".if" + std::to_string(mi) + ".sock")).string() + suffix;
        if (col != 0) {
            char c[16];
            std::snprintf(c, sizeof(c), "&col%02d", col);
            path += c;
        }
        return path;
    }

    // One request and its answer, as the link sends them; nullopt when no answer came.
    static std::optional<Frame> Transact(CHidDevice& hid, const Frame& request, std::uint32_t timeoutMs = 1000)
    {
        std::uint32_t moved = 0;
        if (hid.Write(request.data(), kFrameSize, &moved, timeoutMs) != 1) {
            return std::nullopt;
        }
        Frame answer{};
        if (hid.Read(answer.data(), kFrameSize, &moved, timeoutMs) != 1) {
            return std::nullopt;
        }
        return answer;
    }

    orvel::testing::TempFolder temp;
    std::filesystem::path folder = temp / "vhid";
    SteadyClock clock;
    std::vector<std::unique_ptr<ServedDevice>> served;
};

TEST_F(HidClient, DiscoveryFindsEveryRowOfTheDeviceTableOnce)
{
    Serve(DeviceKind::Keyboard, {Path::Cable, Path::Receiver});
    Serve(DeviceKind::Mouse, {Path::Cable, Path::Receiver});
    Serve(DeviceKind::MousePad, {Path::Cable});
    Serve(DeviceKind::Headset, {Path::Cable});

    using Key = std::tuple<int, int, int, int, int, int>;   // vid, pid, mi, col, page, usage
    std::multiset<Key> found;
    CHidDevice scan;
    ASSERT_TRUE(scan.Enumerate());
    while (const char* path = scan.NextPath()) {
        CHidDevice probe;
        ASSERT_EQ(probe.Open(path, false, false, true, false), 1) << path;
        found.insert(Key{probe.attributes.VendorID, probe.attributes.ProductID, int(probe.interfaceNumber),
                         int(probe.collectionNumber), probe.caps.UsagePage, probe.caps.Usage});
    }
    const Key rows[] = {
        {0x320F, 0x5055, 1, 4, 0xFF1C, 0x92}, {0x320F, 0x5055, 1, 3, 0x0C, 0x01}, {0x320F, 0x5088, 1, 4, 0xFF1C, 0x92},
        {0x320F, 0x5088, 1, 3, 0x0C, 0x01},   {0x320F, 0x221C, 1, 4, 0xFF1C, 0x92}, {0x320F, 0x221C, 1, 3, 0x0C, 0x01},
        {0x320F, 0x221D, 1, 4, 0xFF1C, 0x92}, {0x320F, 0x221D, 1, 3, 0x0C, 0x01},   {0x320F, 0x1004, 1, 4, 0xFF1C, 0x92},
        {0x320F, 0x1004, 1, 3, 0x0C, 0x01},   {0x0C76, 0x1630, 3, 0, 0x0C, 0x01},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(found.count(row), 1u) << std::get<1>(row) << " mi " << std::get<2>(row) << " col " << std::get<3>(row);
    }
    // The boot interfaces are there, on pages the table never matches.
    EXPECT_EQ(found.count(Key{0x320F, 0x221C, 0, 0, 0x01, 0x02}), 1u);
    EXPECT_EQ(found.count(Key{0x320F, 0x5055, 0, 0, 0x01, 0x06}), 1u);
}

TEST_F(HidClient, CommandsThroughCableAndReceiver)
{
    Serve(DeviceKind::Mouse, {Path::Cable, Path::Receiver});
    CHidDevice cable;
    CHidDevice receiver;
    ASSERT_EQ(cable.Open(PathOf("mouse", 1, 4), true, true, true, false), 1);
    ASSERT_EQ(receiver.Open(PathOf("mouse-receiver", 1, 4), true, true, true, false), 1);
    EXPECT_EQ(cable.caps.OutputReportByteLength, 64);

    Frame wrong = MakeRequest(cmd::kReadDeviceInfo, 34, 0);
    wrong[2] ^= 0x10;
    const struct {
        const char* name;
        Frame request;
        std::uint8_t status;
    } cases[] = {
        {"good checksum", MakeRequest(cmd::kReadDeviceInfo, 34, 0), kStatusOk},
        {"wrong checksum", wrong, kStatusBadChecksum},
        {"unknown command", MakeRequest(0x44), kStatusRejected},
        {"address out of range", MakeRequest(cmd::kReadBlock, 56, 600), kStatusRejected},
        {"write outside Begin...End", MakeRequest(cmd::kWriteBlock, 1, 0, std::vector<std::uint8_t>{1}), kStatusRejected},
    };
    for (const auto& c : cases) {
        const auto answer = Transact(cable, c.request);
        ASSERT_TRUE(answer) << c.name;
        EXPECT_EQ((*answer)[3], c.request[3]) << c.name;
        EXPECT_EQ((*answer)[7], c.status) << c.name;
    }

    // The information record through the receiver: two frames, 24 + 10 bytes.
    std::vector<std::uint8_t> info;
    for (std::uint16_t offset : {0, 24}) {
        const auto length = static_cast<std::uint8_t>(offset == 0 ? 24 : 10);
        const auto answer = Transact(receiver, MakeRequest(cmd::kReadDeviceInfo, length, offset));
        ASSERT_TRUE(answer);
        EXPECT_EQ((*answer)[5], offset);
        info.insert(info.end(), answer->begin() + 8, answer->begin() + 8 + length);
    }
    ASSERT_EQ(info.size(), kInfoSize);
    EXPECT_EQ(info[5], 11);
    EXPECT_EQ(info[12], 128);

    // A settings block written by cable reads back through the receiver: one memory.
    std::vector<std::uint8_t> block(66);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0x80 + i);
    ASSERT_TRUE(Transact(cable, MakeRequest(cmd::kBeginConfig)));
    for (std::size_t offset = 0; offset < block.size(); offset += 56) {
        const std::size_t n = std::min<std::size_t>(56, block.size() - offset);
        const auto answer = Transact(cable, MakeRequest(cmd::kWriteBlock, static_cast<std::uint8_t>(n),
                                                        static_cast<std::uint16_t>(128 + offset),
                                                        std::span(block).subspan(offset, n)));
        ASSERT_TRUE(answer);
        EXPECT_EQ((*answer)[7], kStatusOk);
    }
    ASSERT_TRUE(Transact(cable, MakeRequest(cmd::kEndConfig)));
    std::vector<std::uint8_t> back;
    for (std::size_t offset = 0; offset < block.size(); offset += 24) {
        const std::size_t n = std::min<std::size_t>(24, block.size() - offset);
        const auto answer =
            Transact(receiver, MakeRequest(cmd::kReadBlock, static_cast<std::uint8_t>(n), static_cast<std::uint16_t>(128 + offset)));
        ASSERT_TRUE(answer);
        back.insert(back.end(), answer->begin() + 8, answer->begin() + 8 + static_cast<std::ptrdiff_t>(n));
    }
    EXPECT_EQ(back, block);
}

TEST_F(HidClient, SleepingDeviceBehindItsReceiver)
{
    ServedDevice& keyboard = Serve(DeviceKind::Keyboard, {Path::Receiver});
    CHidDevice receiver;
    ASSERT_EQ(receiver.Open(PathOf("keyboard-receiver", 1, 4), true, true, true, false), 1);
    auto query = Transact(receiver, MakeRequest(cmd::kQueryWirelessLink));
    ASSERT_TRUE(query);
    EXPECT_EQ((*query)[8], 0xFF);
    keyboard.Device().SetWireless(WirelessState::Asleep);
    query = Transact(receiver, MakeRequest(cmd::kQueryWirelessLink));
    ASSERT_TRUE(query);
    EXPECT_EQ((*query)[8], 0x00);
    const auto answer = Transact(receiver, MakeRequest(cmd::kReadBlock, 1, 0));
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[3], kUnreachable);
}

TEST_F(HidClient, NotificationsAreTheFirstPressedUsage)
{
    ServedDevice& keyboard = Serve(DeviceKind::Keyboard, {Path::Cable});
    CHidDevice notify;
    ASSERT_EQ(notify.Open(PathOf("keyboard", 1, 3), true, true, true, false), 1);
    EXPECT_EQ(notify.caps.UsagePage, 0x000C);
    keyboard.Press(OnBoardKey::Profile);
    keyboard.Press(OnBoardKey::KeyPress);
    std::vector<std::uint16_t> usages;
    for (int i = 0; i < 6; ++i) {
        std::uint8_t report[16] = {};
        std::uint32_t got = 0;
        ASSERT_EQ(notify.Read(report, sizeof(report), &got, 1000), 1);
        std::uint16_t first = 0;
        ASSERT_TRUE(notify.UnpackReport(report, got, HidReportType::kInput, &first));
        usages.push_back(first);
    }
    EXPECT_EQ(usages, (std::vector<std::uint16_t>{0x0402, 0, 0x1001, 0, 0x0403, 0}));
}

TEST_F(HidClient, UnplugInTheMiddleOfAKeyTableWrite)
{
    ServedDevice& keyboard = Serve(DeviceKind::Keyboard, {Path::Cable});
    FaultRule pull;
    pull.command = cmd::kWriteKeyTable;
    pull.action = FaultAction::Unplug;
    pull.skip = 3;
    keyboard.Device().AddFault(pull);
    const std::string path = PathOf("keyboard", 1, 4);
    CHidDevice cable;
    ASSERT_EQ(cable.Open(path, true, true, true, false), 1);
    ASSERT_TRUE(Transact(cable, MakeRequest(cmd::kBeginConfig)));
    int answered = 0;
    for (std::uint16_t offset = 0; offset < 312; offset += 56) {
        if (!Transact(cable, MakeRequest(cmd::kWriteKeyTable, 56, offset), 500)) {
            break;
        }
        ++answered;
    }
    EXPECT_EQ(answered, 3);
    EXPECT_FALSE(Transact(cable, MakeRequest(cmd::kEndConfig), 200)) << "nothing answers once unplugged";
    keyboard.Drain();
    EXPECT_FALSE(CHidDevice::IsPresent(path));
    EXPECT_TRUE(keyboard.Device().ConfigOpen()) << "the sequence never ended";
}

TEST_F(HidClient, HeadsetCommandsAndLightReportsOnItsOnlyInterface)
{
    ServedDevice& headset = Serve(DeviceKind::Headset, {Path::Cable});
    CHidDevice hid;
    ASSERT_EQ(hid.Open(PathOf("headset", 3, 0), true, true, true, false), 1);
    const auto answer = Transact(hid, MakeRequest(cmd::kReadBlock, 24, 30));
    ASSERT_TRUE(answer);
    EXPECT_EQ((*answer)[7], kStatusOk);
    EXPECT_EQ((*answer)[8 + 2], 3) << "brightness of profile 1";
    for (std::uint8_t reg = 0xAA; reg <= 0xAF; ++reg) {
        for (std::uint8_t bank : {0x22, 0x44}) {
            std::uint8_t report[kHeadsetLightReportSize] = {kHeadsetLightReportId, bank, reg, 0, 247, 1, 2, 3, 4, 5, 6};
            EXPECT_TRUE(hid.SetOutputReport(report, sizeof(report)));
        }
    }
    ASSERT_TRUE(Transact(hid, MakeRequest(cmd::kReadSmall, 6, 0)));   // the light reports came first
    const auto picture = headset.Device().Snapshot().headset;
    EXPECT_EQ(picture.framesCompleted, 1);
    EXPECT_EQ(picture.bank44[2][7], 247);
}

TEST_F(HidClient, WrittenSettingsAreReadBackAfterARestart)
{
    const auto memory = temp / "keyboard.json";
    const std::vector<std::uint8_t> block{0, 7, 2, 1, 0, 0, 0x11, 0x22, 0x33};
    {
        Serve(DeviceKind::Keyboard, {Path::Cable}, memory);
        CHidDevice cable;
        ASSERT_EQ(cable.Open(PathOf("keyboard", 1, 4), true, true, true, false), 1);
        ASSERT_TRUE(Transact(cable, MakeRequest(cmd::kBeginConfig)));
        ASSERT_TRUE(Transact(cable, MakeRequest(cmd::kWriteBlock, static_cast<std::uint8_t>(block.size()), 0, block)));
        ASSERT_TRUE(Transact(cable, MakeRequest(cmd::kEndConfig)));
        served.clear();
    }
    Serve(DeviceKind::Keyboard, {Path::Cable}, memory);
    CHidDevice cable;
    ASSERT_EQ(cable.Open(PathOf("keyboard", 1, 4), true, true, true, false), 1);
    const auto answer = Transact(cable, MakeRequest(cmd::kReadBlock, static_cast<std::uint8_t>(block.size()), 0));
    ASSERT_TRUE(answer);
    EXPECT_EQ(std::vector<std::uint8_t>(answer->begin() + 8, answer->begin() + 8 + static_cast<std::ptrdiff_t>(block.size())),
              block);
}

} // namespace
} // namespace orvel::sim
