#include "devicelink/hiddevice.h"
#include "platform/hid/hid_path.h"
#include "tests/hid/descriptor_fixtures.h"
#include "tests/hid/vhid_device_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <cstdio>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

namespace {

namespace fx = orvel::testing::fixtures;
using orvel::testing::VhidBench;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

std::vector<std::string> VhidPaths(CHidDevice& hid)
{
    std::vector<std::string> paths;
    while (const char* path = hid.NextPath()) {
        if (std::string(path).rfind("vhid:", 0) == 0) {
            paths.push_back(path);
        }
    }
    return paths;
}

TEST(HidDeviceTest, NextPathIsNullBeforeEnumerateAndAfterTheEnd)
{
    VhidBench bench;
    bench.Add("kbd", 0x320F, 0x5055, 1, fx::kBootKeyboard);
    CHidDevice hid;
    EXPECT_EQ(hid.NextPath(), nullptr);
    ASSERT_TRUE(hid.Enumerate());
    EXPECT_EQ(VhidPaths(hid).size(), 1u);
    EXPECT_EQ(hid.NextPath(), nullptr);
    hid.FreePaths();
    EXPECT_EQ(hid.NextPath(), nullptr);
}

TEST(HidDeviceTest, EnumerateListsEveryInterfaceAndCollection)
{
    VhidBench bench;
    // Ten single-collection interfaces and one with three collections: more than 8 paths.
    for (int i = 0; i < 10; ++i) {
        bench.Add("dev" + std::to_string(i), 0x1000 + i, 0x2000, i, fx::kVendor64);
    }
    bench.Add("zcomposite", 0x320F, 0x221C, 1, fx::kComposite);
    CHidDevice hid;
    ASSERT_TRUE(hid.Enumerate());
    const auto paths = VhidPaths(hid);
    ASSERT_EQ(paths.size(), 13u);
    EXPECT_EQ(paths[0], bench.PathOf(0, "#vid_1000&pid_2000&mi_00"));
    EXPECT_EQ(paths[9], bench.PathOf(9, "#vid_1009&pid_2000&mi_09"));
    EXPECT_EQ(paths[10], bench.PathOf(10, "#vid_320f&pid_221c&mi_01&col01"));
    EXPECT_EQ(paths[12], bench.PathOf(10, "#vid_320f&pid_221c&mi_01&col03"));
}

TEST(HidDeviceTest, EnumerateSkipsUnusableSockets)
{
    VhidBench bench;
    bench.Add("good", 0x320F, 0x1004, 1, fx::kVendor64);
    bench.Add("malformed", 0x320F, 0x1005, 1, {0x05, 0x01, 0xA1});
    // A socket whose owner listens but never greets, and a plain file named like a socket.
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_TRUE(orvel::vhid::BindUnixSocket(listener, bench.folder() / "silent.sock"));
    ASSERT_EQ(::listen(listener, 4), 0);
    std::FILE* plain = std::fopen((bench.folder() / "plain.sock").c_str(), "w");
    ASSERT_NE(plain, nullptr);
    std::fclose(plain);
    CHidDevice hid;
    ASSERT_TRUE(hid.Enumerate());
    EXPECT_EQ(VhidPaths(hid), (std::vector<std::string> {bench.PathOf(0, "#vid_320f&pid_1004&mi_01")}));

    // A folder others may write to is not trusted at all.
    ::chmod(bench.folder().c_str(), 0777);
    ASSERT_TRUE(hid.Enumerate());
    EXPECT_TRUE(VhidPaths(hid).empty());
    EXPECT_EQ(hid.Open(bench.PathOf(0, "#vid_320f&pid_1004&mi_01"), true, true, true, false), 0);
    ::chmod(bench.folder().c_str(), 0700);
    ::close(listener);
}

struct OpenCase {
    const char* name;
    const Bytes* descriptor;
    const char* suffix;
    HidCaps caps;
    size_t inputItems, outputItems, featureItems;
    uint32_t mi, col;
};

TEST(HidDeviceTest, OpenGivesAttributesCapsAndItems)
{
    const OpenCase cases[] = {
        {"boot keyboard", &fx::kBootKeyboard, "#vid_320f&pid_5055&mi_00", {0x06, 0x01, 9, 2, 0, 2, 0, 1, 0, 0, 0}, 2, 1, 0, 0, 0},
        {"wheel mouse", &fx::kWheelMouse, "#vid_320f&pid_5055&mi_00", {0x02, 0x01, 5, 0, 0, 1, 3, 0, 0, 0, 0}, 4, 0, 0, 0, 0},
        {"consumer", &fx::kConsumerControl, "#vid_320f&pid_5055&mi_02", {0x01, 0x0C, 3, 0, 0, 1, 0, 0, 0, 0, 0}, 1, 0, 0, 2, 0},
        {"vendor", &fx::kVendor64, "#vid_320f&pid_5055&mi_01", {0x92, 0xFF1C, 64, 64, 0, 0, 1, 0, 1, 0, 0}, 1, 1, 0, 1, 0},
        {"composite col01", &fx::kComposite, "#vid_320f&pid_5055&mi_01&col01", {0x80, 0x01, 2, 0, 0, 1, 0, 0, 0, 0, 0}, 1, 0, 0, 1, 1},
        {"composite col03", &fx::kComposite, "#vid_320f&pid_5055&mi_01&COL03", {0x92, 0xFF1C, 64, 64, 5, 0, 1, 0, 1, 0, 1}, 1, 1, 1, 1, 3},
        {"ranged values", &fx::kRangedValues, "#vid_320f&pid_5055&mi_00", {0x01, 0xFF00, 5, 0, 0, 0, 1, 0, 0, 0, 0}, 4, 0, 0, 0, 0},
        {"headset", &fx::kHeadset, "#vid_320f&pid_5055&mi_03", {0x01, 0x0C, 64, 64, 0, 0, 1, 0, 2, 0, 0}, 1, 2, 0, 3, 0},
    };
    for (const OpenCase& c : cases) {
        VhidBench bench;
        bench.Add("dev", 0x320F, 0x5055, 1, *c.descriptor);
        CHidDevice hid;
        ASSERT_EQ(hid.Open(bench.PathOf(0, c.suffix), true, false, true, false), 1) << c.name;
        EXPECT_EQ(hid.attributes.VendorID, 0x320F) << c.name;
        EXPECT_EQ(hid.attributes.ProductID, 0x5055) << c.name;
        EXPECT_EQ(hid.attributes.VersionNumber, 0x0102) << c.name;
        EXPECT_EQ(hid.caps.Usage, c.caps.Usage) << c.name;
        EXPECT_EQ(hid.caps.UsagePage, c.caps.UsagePage) << c.name;
        EXPECT_EQ(hid.caps.InputReportByteLength, c.caps.InputReportByteLength) << c.name;
        EXPECT_EQ(hid.caps.OutputReportByteLength, c.caps.OutputReportByteLength) << c.name;
        EXPECT_EQ(hid.caps.FeatureReportByteLength, c.caps.FeatureReportByteLength) << c.name;
        EXPECT_EQ(hid.caps.NumberInputButtonCaps, c.caps.NumberInputButtonCaps) << c.name;
        EXPECT_EQ(hid.caps.NumberInputValueCaps, c.caps.NumberInputValueCaps) << c.name;
        EXPECT_EQ(hid.caps.NumberOutputButtonCaps, c.caps.NumberOutputButtonCaps) << c.name;
        EXPECT_EQ(hid.caps.NumberOutputValueCaps, c.caps.NumberOutputValueCaps) << c.name;
        EXPECT_EQ(hid.caps.NumberFeatureValueCaps, c.caps.NumberFeatureValueCaps) << c.name;
        EXPECT_EQ(hid.inputItems.size(), c.inputItems) << c.name;
        EXPECT_EQ(hid.outputItems.size(), c.outputItems) << c.name;
        EXPECT_EQ(hid.featureItems.size(), c.featureItems) << c.name;
        EXPECT_EQ(hid.inputReport.size(), c.caps.InputReportByteLength) << c.name;
        EXPECT_EQ(hid.interfaceNumber, c.mi) << c.name;
        EXPECT_EQ(hid.collectionNumber, c.col) << c.name;
    }
}

TEST(HidDeviceTest, ButtonItemsCarryTheirRangeAndUsageRoom)
{
    VhidBench bench;
    bench.Add("kbd", 0x320F, 0x5055, 0, fx::kBootKeyboard);
    CHidDevice hid;
    ASSERT_EQ(hid.Open(bench.PathOf(0, "#vid_320f&pid_5055&mi_00"), true, true, true, false), 1);
    ASSERT_EQ(hid.inputItems.size(), 2u);
    const HidDataItem& modifiers = hid.inputItems[0];
    EXPECT_TRUE(modifiers.isButtonData);
    EXPECT_EQ(modifiers.usagePage, 0x07);
    EXPECT_EQ(modifiers.usageMin, 0xE0u);
    EXPECT_EQ(modifiers.usageMax, 0xE7u);
    // 14 usages of the page fit a report, but only eight modifiers and the end mark matter.
    EXPECT_EQ(modifiers.maxUsageLength, 9u);
    EXPECT_EQ(modifiers.usages.size(), 9u);
    EXPECT_EQ(hid.inputItems[1].maxUsageLength, 14u);
    EXPECT_EQ(modifiers.status, HIDP_STATUS_SUCCESS);

    const Bytes report {0, 0x22, 0, 0x04, 0xE0, 0, 0, 0, 0}; // left and right shift bits, 'a', and slot E0
    uint16_t first = 0;
    ASSERT_TRUE(hid.UnpackReport(report.data(), report.size(), HidReportType::kInput, &first));
    EXPECT_EQ(hid.inputItems[0].usages, (std::vector<uint16_t> {0xE1, 0xE5, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(hid.inputItems[1].usages, (std::vector<uint16_t> {0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(hid.inputItems[1].isDataSet);
    EXPECT_EQ(first, 0xE1);
}

TEST(HidDeviceTest, UnpackReportOfValuesAndNotifications)
{
    VhidBench bench;
    bench.Add("mouse", 0x320F, 0x221C, 0, fx::kWheelMouse);
    bench.Add("consumer", 0x320F, 0x221C, 1, fx::kConsumerControl);
    bench.Add("ranged", 0x320F, 0x221C, 2, fx::kRangedValues);

    CHidDevice mouse;
    ASSERT_EQ(mouse.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_00"), true, false, true, false), 1);
    const Bytes move {0, 0x01, 0xFE, 0x03, 0xFF};
    uint16_t first = 0;
    ASSERT_TRUE(mouse.UnpackReport(move.data(), move.size(), HidReportType::kInput, &first));
    ASSERT_EQ(mouse.inputItems.size(), 4u);
    EXPECT_EQ(first, 1);
    struct ValueExpect {
        uint16_t usage;
        uint32_t raw;
        int32_t scaled;
    };
    const ValueExpect values[] = {{0x30, 0xFE, -2}, {0x31, 3, 3}, {0x38, 0xFF, -1}};
    for (size_t i = 0; i < 3; ++i) {
        const HidDataItem& item = mouse.inputItems[i + 1];
        EXPECT_FALSE(item.isButtonData);
        EXPECT_EQ(item.usage, values[i].usage);
        EXPECT_EQ(item.rawValue, values[i].raw);
        EXPECT_EQ(item.scaledValue, values[i].scaled);
        EXPECT_TRUE(item.isDataSet);
    }
    const Bytes shortMove {0, 0x01};
    EXPECT_FALSE(mouse.UnpackReport(shortMove.data(), shortMove.size(), HidReportType::kInput, &first));
    EXPECT_EQ(first, 0);

    CHidDevice consumer;
    ASSERT_EQ(consumer.Open(bench.PathOf(1, "#vid_320f&pid_221c&mi_01"), true, false, true, false), 1);
    struct NotifyCase {
        Bytes report;
        uint16_t first;
    };
    const NotifyCase notes[] = {{{3, 0x01, 0x04}, 0x401}, {{3, 0x00, 0x00}, 0}, {{3, 0x05, 0x11}, 0x1105}};
    for (const NotifyCase& n : notes) {
        ASSERT_TRUE(consumer.UnpackReport(n.report.data(), n.report.size(), HidReportType::kInput, &first));
        EXPECT_EQ(first, n.first);
    }
    // A report of another id matches no item: nothing is pressed.
    const Bytes other {9, 0x01, 0x04};
    ASSERT_TRUE(consumer.UnpackReport(other.data(), other.size(), HidReportType::kInput, &first));
    EXPECT_EQ(first, 0);

    CHidDevice ranged;
    ASSERT_EQ(ranged.Open(bench.PathOf(2, "#vid_320f&pid_221c&mi_02"), true, false, true, false), 1);
    ASSERT_EQ(ranged.inputItems.size(), 4u);
    const Bytes sample {0, 10, 20, 30, 255};
    ASSERT_TRUE(ranged.UnpackReport(sample.data(), sample.size(), HidReportType::kInput, &first));
    for (uint16_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ranged.inputItems[i].usage, i + 1);
        EXPECT_EQ(ranged.inputItems[i].rawValue, sample[i + 1]);
    }
    EXPECT_EQ(ranged.inputItems[3].scaledValue, 1000);
    EXPECT_EQ(first, 0);
}

TEST(HidDeviceTest, FailedOpenLeavesItClosed)
{
    VhidBench bench;
    bench.Add("composite", 0x320F, 0x221C, 1, fx::kComposite);
    bench.Add("broken", 0x320F, 0x221C, 2, {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75});
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"collection 4 of 3", bench.PathOf(0, "#vid_320f&pid_221c&mi_01&col04")},
        {"no collection of several", bench.PathOf(0, "#vid_320f&pid_221c&mi_01")},
        {"another product", bench.PathOf(0, "#vid_320f&pid_5055&mi_01&col01")},
        {"malformed descriptor", bench.PathOf(1, "#vid_320f&pid_221c&mi_02")},
        {"no such socket", "vhid:" + (bench.folder() / "gone.sock").string() + "#vid_320f&pid_221c&mi_01"},
        {"no such node", "/dev/hidraw-none#vid_320f&pid_221c&mi_01"},
    };
    for (const auto& c : cases) {
        CHidDevice hid;
        ASSERT_EQ(hid.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01&col02"), true, true, true, false), 1) << c.name;
        EXPECT_EQ(hid.Open(c.path, true, true, true, false), 0) << c.name;
        EXPECT_FALSE(hid.IsOpen()) << c.name;
        EXPECT_EQ(hid.caps.InputReportByteLength, 0) << c.name;
        EXPECT_TRUE(hid.inputItems.empty()) << c.name;
        uint8_t buffer[4];
        uint32_t got = 99;
        EXPECT_EQ(hid.Read(buffer, sizeof(buffer), &got, 0), 0) << c.name;
        EXPECT_EQ(got, 0u) << c.name;
        hid.Close();
    }
}

TEST(HidDeviceTest, WriteThenReadRoundTrip)
{
    VhidBench bench;
    bench.Add("vendor", 0x320F, 0x221C, 1, fx::kVendor64, /*echo=*/true);
    CHidDevice hid;
    ASSERT_EQ(hid.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01"), true, true, true, false), 1);
    Bytes command(64, 0);
    command[0] = 4;
    command[1] = 0x12;
    command[63] = 0x5A;
    uint32_t written = 0;
    ASSERT_EQ(hid.Write(command.data(), 64, &written, 1000), 1);
    EXPECT_EQ(written, 64u);
    Bytes answer(64, 0);
    uint32_t read = 0;
    ASSERT_EQ(hid.Read(answer.data(), 64, &read, 1000), 1);
    EXPECT_EQ(read, 64u);
    EXPECT_EQ(answer, command);
    EXPECT_EQ(bench.Outputs(0), (std::vector<Bytes> {command}));

    // A longer report than the buffer is cut to it.
    ASSERT_EQ(hid.Write(command.data(), 64, &written, 1000), 1);
    uint8_t small[8] = {};
    ASSERT_EQ(hid.Read(small, sizeof(small), &read, 1000), 1);
    EXPECT_EQ(read, 8u);
    EXPECT_EQ(small[1], 0x12);
}

TEST(HidDeviceTest, ReadTimesOutWithoutInput)
{
    VhidBench bench;
    bench.Add("vendor", 0x320F, 0x221C, 1, fx::kVendor64);
    CHidDevice hid;
    ASSERT_EQ(hid.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01"), true, true, true, false), 1);
    uint8_t buffer[64];
    uint32_t read = 7;
    const auto start = Clock::now();
    EXPECT_EQ(hid.Read(buffer, 64, &read, 50), 0);
    const auto took = Clock::now() - start;
    EXPECT_EQ(read, 0u);
    EXPECT_GE(took, std::chrono::milliseconds(45));
    EXPECT_LT(took, std::chrono::milliseconds(1000));
}

TEST(HidDeviceTest, CloseWakesAnInfiniteReadOnAnotherThread)
{
    VhidBench bench;
    bench.Add("consumer", 0x320F, 0x221C, 1, fx::kConsumerControl);
    CHidDevice hid;
    ASSERT_EQ(hid.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01"), true, true, true, false), 1);
    auto reader = std::async(std::launch::async, [&hid] {
        uint8_t buffer[3];
        uint32_t read = 0;
        return hid.Read(buffer, sizeof(buffer), &read, CHidDevice::kInfinite);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = Clock::now();
    hid.Close();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(reader.get(), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(hid.IsOpen());
    hid.Close(); // closing again is harmless
}

TEST(HidDeviceTest, NotificationReaderSurvivesDetachesAndReattaches)
{
    // A notification reader keeps reading and unpacking while another thread closes and
    // reopens its interface, as a detach and a re-attach do. Every report it manages to unpack
    // must give the usage the device sent, never the state of a half-closed interface.
    VhidBench bench;
    orvel::vhid::Server& server = bench.Add("consumer", 0x320F, 0x221C, 1, fx::kConsumerControl);
    const std::string path = bench.PathOf(0, "#vid_320f&pid_221c&mi_01");
    CHidDevice hid;
    ASSERT_EQ(hid.Open(path, true, false, true, false), 1);

    std::atomic<bool> stop {false};
    auto device = std::async(std::launch::async, [&] {
        while (!stop) {
            server.SendInput(Bytes {3, 0x01, 0x04});
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });
    std::atomic<int> unpacked {0};
    std::atomic<int> wrong {0};
    auto reader = std::async(std::launch::async, [&] {
        while (!stop) {
            uint8_t report[3];
            uint32_t n = 0;
            if (hid.Read(report, sizeof(report), &n, CHidDevice::kInfinite) != 1) {
                std::this_thread::yield();
                continue;
            }
            uint16_t first = 0;
            if (hid.UnpackReport(report, n, HidReportType::kInput, &first)) {
                ++unpacked;
                wrong += first != 0x401 ? 1 : 0;
            }
        }
    });
    for (int i = 0; i < 500; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        hid.Close();
        if (hid.Open(path, true, false, true, false) != 1) {
            ADD_FAILURE() << "reopen " << i;
            break;
        }
    }
    stop = true;
    hid.Close(); // wakes the reader's read
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    device.wait();
    EXPECT_GT(unpacked, 0);
    EXPECT_EQ(wrong, 0);
}

TEST(HidDeviceTest, UnplugEndsAWaitingReadAndLaterCalls)
{
    VhidBench bench;
    orvel::vhid::Server& server = bench.Add("consumer", 0x320F, 0x221C, 1, fx::kConsumerControl);
    const std::string path = bench.PathOf(0, "#vid_320f&pid_221c&mi_01");
    CHidDevice hid;
    ASSERT_EQ(hid.Open(path, true, true, true, false), 1);
    EXPECT_TRUE(CHidDevice::IsPresent(path));
    auto reader = std::async(std::launch::async, [&hid] {
        uint8_t buffer[3];
        uint32_t read = 0;
        return hid.Read(buffer, sizeof(buffer), &read, CHidDevice::kInfinite);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.Stop();
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(reader.get(), 0);
    uint8_t buffer[3] = {3, 1, 4};
    uint32_t n = 0;
    EXPECT_EQ(hid.Read(buffer, 3, &n, 100), 0);
    EXPECT_EQ(hid.Write(buffer, 3, &n, 100), 0);
    EXPECT_FALSE(CHidDevice::IsPresent(path));
}

TEST(HidDeviceTest, ACollectionReadsOnlyItsOwnReports)
{
    VhidBench bench;
    orvel::vhid::Server& server = bench.Add("composite", 0x320F, 0x221C, 1, fx::kComposite);
    CHidDevice consumer;
    CHidDevice vendor;
    ASSERT_EQ(consumer.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01&col02"), true, true, true, false), 1);
    ASSERT_EQ(vendor.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01&col03"), true, true, true, false), 1);
    // The collections of one interface share its connection, as they share a hidraw node.
    ASSERT_TRUE(server.WaitForClients(1, 2000));
    EXPECT_EQ(server.ClientCount(), 1u);
    Bytes vendorReport(64, 0);
    vendorReport[0] = 4;
    vendorReport[1] = 0x77;
    server.SendInput(Bytes {1, 0x01});
    server.SendInput(vendorReport);
    server.SendInput(Bytes {3, 0x02, 0x04});

    uint8_t buffer[64];
    uint32_t n = 0;
    ASSERT_EQ(consumer.Read(buffer, 64, &n, 1000), 1);
    EXPECT_EQ(Bytes(buffer, buffer + n), (Bytes {3, 0x02, 0x04}));
    ASSERT_EQ(vendor.Read(buffer, 64, &n, 1000), 1);
    EXPECT_EQ(Bytes(buffer, buffer + n), vendorReport);
    EXPECT_EQ(vendor.Read(buffer, 64, &n, 20), 0);
}

TEST(HidDeviceTest, TwoHandlesOnOneInterfaceBothReceiveAnInputReport)
{
    VhidBench bench;
    orvel::vhid::Server& server = bench.Add("consumer", 0x320F, 0x221C, 1, fx::kConsumerControl);
    const std::string path = bench.PathOf(0, "#vid_320f&pid_221c&mi_01");
    CHidDevice a;
    CHidDevice b;
    ASSERT_EQ(a.Open(path, true, false, true, false), 1);
    ASSERT_EQ(b.Open(path, true, false, true, false), 1);
    ASSERT_TRUE(server.WaitForClients(1, 2000));
    EXPECT_EQ(server.SendInput(Bytes {3, 0x03, 0x04}), 1u);
    for (CHidDevice* hid : {&a, &b}) {
        uint8_t buffer[3];
        uint32_t n = 0;
        ASSERT_EQ(hid->Read(buffer, 3, &n, 1000), 1);
        uint16_t first = 0;
        ASSERT_TRUE(hid->UnpackReport(buffer, n, HidReportType::kInput, &first));
        EXPECT_EQ(first, 0x403);
    }
}

long VoluntarySwitches()
{
    rusage usage {};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nvcsw;
}

// A notification reader waits for ever on one collection while the link exchanges commands and
// answers on another collection of the same interface.
TEST(HidDeviceTest, AReaderWaitingForEverSleepsThroughAnotherCollectionsAnswers)
{
    VhidBench bench;
    orvel::vhid::Server& server = bench.Add("composite", 0x320F, 0x221C, 1, fx::kComposite, true);
    CHidDevice consumer;
    CHidDevice vendor;
    ASSERT_EQ(consumer.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01&col02"), true, true, true, false), 1);
    ASSERT_EQ(vendor.Open(bench.PathOf(0, "#vid_320f&pid_221c&mi_01&col03"), true, true, true, false), 1);
    const auto exchange = [&](uint8_t i) {
        Bytes request(64, 0);
        request[0] = 4;
        request[3] = i;
        uint32_t n = 0;
        uint8_t answer[64];
        ASSERT_EQ(vendor.Write(request.data(), 64, &n, 1000), 1);
        ASSERT_EQ(vendor.Read(answer, 64, &n, 1000), 1);
        EXPECT_EQ(answer[3], i);
    };
    const auto readNotification = [&consumer] {
        const long before = VoluntarySwitches();
        uint8_t buffer[64];
        uint32_t n = 0;
        const int result = consumer.Read(buffer, 64, &n, CHidDevice::kInfinite);
        const long wakes = VoluntarySwitches() - before;
        return std::make_pair(result == 1 ? Bytes(buffer, buffer + n) : Bytes {}, wakes);
    };

    auto reader = std::async(std::launch::async, readNotification);
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // it waits in the socket
    for (int i = 0; i < 100; ++i)
        exchange(static_cast<uint8_t>(i));
    server.SendInput(Bytes {3, 0x02, 0x04});
    exchange(100); // reads the notification with its answer
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    const auto [report, wakes] = reader.get();
    EXPECT_EQ(report, (Bytes {3, 0x02, 0x04}));
    // It woke to leave the socket to the answers and for its report, not once per answer.
    EXPECT_LT(wakes, 10);

    // With no answers to wait for, the reader takes the socket back.
    auto later = std::async(std::launch::async, readNotification);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    server.SendInput(Bytes {3, 0x05, 0x00});
    ASSERT_EQ(later.wait_for(std::chrono::seconds(1)), std::future_status::ready);
    EXPECT_EQ(later.get().first, (Bytes {3, 0x05, 0x00}));
}

TEST(HidDeviceTest, HeadsetLightReportsAndFeatureReports)
{
    VhidBench bench;
    bench.Add("headset", 0x0C76, 0x1630, 3, fx::kHeadset);
    CHidDevice hid;
    ASSERT_EQ(hid.Open(bench.PathOf(0, "#vid_0c76&pid_1630&mi_03"), true, true, true, false), 1);
    Bytes light(17, 0);
    light[0] = 0xFF;
    light[1] = 0x01;
    light[2] = 0x20;
    light[4] = 0xF7;
    ASSERT_TRUE(hid.SetOutputReport(light.data(), 17));

    Bytes feature {0x05, 1, 2, 3};
    ASSERT_TRUE(hid.SetFeature(feature.data(), 4));
    uint8_t got[8] = {0x05};
    ASSERT_TRUE(hid.GetFeature(got, sizeof(got)));
    EXPECT_EQ(Bytes(got, got + 4), feature);
    uint8_t unknown[8] = {0x06};
    EXPECT_FALSE(hid.GetFeature(unknown, sizeof(unknown)));
    EXPECT_EQ(bench.Outputs(0), (std::vector<Bytes> {light}));
    EXPECT_EQ(bench.Feature(0), feature);
}

// The thread that waits reads the socket itself; what it reads for another thread reaches that
// thread, and reports nobody waited for are there at the next read, the newest 64 of them.
TEST(HidDeviceTest, OneConnectionServesAWaitingReaderAFeatureRequestAndALateReader)
{
    VhidBench bench;
    orvel::vhid::Server& server = bench.Add("headset", 0x0C76, 0x1630, 3, fx::kHeadset);
    CHidDevice hid;
    ASSERT_EQ(hid.Open(bench.PathOf(0, "#vid_0c76&pid_1630&mi_03"), true, true, true, false), 1);
    auto input = [](uint8_t mark) {
        Bytes report(64, 0);
        report[0] = 0x04;
        report[1] = mark;
        return report;
    };
    auto reader = std::async(std::launch::async, [&hid] {
        uint8_t buffer[64] = {};
        uint32_t read = 0;
        return hid.Read(buffer, sizeof(buffer), &read, CHidDevice::kInfinite) == 1 ? int(buffer[1]) : -1;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Bytes feature {0x05, 7, 8, 9};
    ASSERT_TRUE(hid.SetFeature(feature.data(), 4));
    uint8_t got[8] = {0x05};
    const auto asked = Clock::now();
    ASSERT_TRUE(hid.GetFeature(got, sizeof(got)));
    // Answered when it comes, not at the end of the request's time-out (1 s).
    EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(500));
    EXPECT_EQ(Bytes(got, got + 4), feature);
    EXPECT_EQ(server.SendInput(input(0x2A)), 1u);
    ASSERT_EQ(reader.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(reader.get(), 0x2A);

    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(server.SendInput(input(uint8_t(i))), 1u);
    for (int i = 36; i < 100; ++i) {
        uint8_t buffer[64] = {};
        uint32_t read = 0;
        ASSERT_EQ(hid.Read(buffer, sizeof(buffer), &read, 1000), 1) << i;
        EXPECT_EQ(buffer[1], i);
    }
    uint8_t buffer[64];
    uint32_t read = 0;
    EXPECT_EQ(hid.Read(buffer, sizeof(buffer), &read, 20), 0);
}

TEST(HidDeviceTest, PresenceProbeWithoutAccessRights)
{
    VhidBench bench;
    orvel::vhid::Server& server = bench.Add("pad", 0x320F, 0x1004, 1, fx::kComposite);
    const std::string path = bench.PathOf(0, "#vid_320f&pid_1004&mi_01&col03");
    CHidDevice probe;
    ASSERT_EQ(probe.Open(path, false, false, true, false), 1);
    EXPECT_EQ(probe.caps.UsagePage, 0xFF1C);
    EXPECT_EQ(probe.attributes.ProductID, 0x1004);
    uint8_t buffer[64];
    uint32_t n = 0;
    EXPECT_EQ(probe.Read(buffer, 64, &n, 0), 0);
    probe.Close();
    EXPECT_TRUE(CHidDevice::IsPresent(path));
    server.Stop();
    EXPECT_FALSE(CHidDevice::IsPresent(path));
    EXPECT_FALSE(CHidDevice::IsPresent("/dev/hidraw-none#vid_320f&pid_1004&mi_01"));
}

TEST(HidDeviceTest, LongPathsAreKeptWhole)
{
    VhidBench bench;
    // A socket folder with "#" and "&mi_" in its name, deep enough that the path exceeds
    // both 260 characters and the size of a socket address.
    const auto folder = bench.temp / (std::string(120, 'a') + "&mi_07#x") / std::string(120, 'b');
    bench.temp.setEnv("ORVEL_VHID_DIR", folder.string());
    orvel::vhid::Hello hello;
    hello.vendorId = 0x320F;
    hello.productId = 0x5055;
    hello.interfaceNumber = 1;
    hello.reportDescriptor = fx::kVendor64;
    orvel::vhid::Server server(folder, "keyboard.if1", hello);
    ASSERT_TRUE(server.Start());

    CHidDevice hid;
    ASSERT_TRUE(hid.Enumerate());
    const auto paths = VhidPaths(hid);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_GT(paths[0].size(), 260u);
    ASSERT_EQ(hid.Open(paths[0], true, true, true, false), 1);
    EXPECT_EQ(hid.devicePath, paths[0]);
    EXPECT_EQ(hid.interfaceNumber, 1u);
    EXPECT_EQ(hid.collectionNumber, 0u);
}

} // namespace
