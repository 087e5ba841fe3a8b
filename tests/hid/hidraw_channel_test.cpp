// The hidraw channel over a packet socket pair that stands in for a hidraw node: each
// write on the far end is one report, as the kernel delivers them.
#include "platform/hid/hidraw_backend.h"
#include "tests/hid/descriptor_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace orvel::hid {
namespace {

using Bytes = std::vector<uint8_t>;
namespace fx = testing::fixtures;

class HidrawChannelTest : public ::testing::Test {
protected:
    std::unique_ptr<Channel> Open(const Bytes& descriptor, size_t collection)
    {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        device_ = fds[1];
        auto parsed = ParseReportDescriptor(descriptor);
        EXPECT_TRUE(parsed);
        return hidraw::MakeChannel(fds[0], ReportIdFilter(*parsed, collection), parsed->usesReportIds);
    }
    void TearDown() override
    {
        if (device_ >= 0) {
            ::close(device_);
        }
    }
    void DeviceSends(const Bytes& report) { ASSERT_EQ(::write(device_, report.data(), report.size()), ssize_t(report.size())); }
    Bytes DeviceReceives()
    {
        uint8_t buffer[256];
        const ssize_t n = ::read(device_, buffer, sizeof(buffer));
        return n > 0 ? Bytes(buffer, buffer + n) : Bytes();
    }
    Bytes ReadOne(Channel& channel, uint32_t timeoutMs, IoStatus expected = IoStatus::kOk)
    {
        uint8_t buffer[80] = {};
        size_t got = 0;
        EXPECT_EQ(channel.Read(buffer, sizeof(buffer), got, timeoutMs), expected);
        return Bytes(buffer, buffer + got);
    }

    int device_ = -1;
};

TEST_F(HidrawChannelTest, ReportsOfOtherCollectionsAreSkipped)
{
    auto consumer = Open(fx::kComposite, 1);
    DeviceSends({1, 0x01});
    DeviceSends({4, 0x10, 0x20});
    DeviceSends({3, 0x01, 0x04});
    EXPECT_EQ(ReadOne(*consumer, 1000), (Bytes {3, 0x01, 0x04}));
    EXPECT_EQ(ReadOne(*consumer, 10, IoStatus::kTimeout), Bytes());
}

TEST_F(HidrawChannelTest, ReportsWithoutIdsGetTheZeroId)
{
    auto mouse = Open(fx::kWheelMouse, 0);
    DeviceSends({0x01, 0xFF, 0x02, 0x00});
    EXPECT_EQ(ReadOne(*mouse, 1000), (Bytes {0, 0x01, 0xFF, 0x02, 0x00}));
}

TEST_F(HidrawChannelTest, WritesAndOutputReportsReachTheNode)
{
    auto headset = Open(fx::kHeadset, 0);
    Bytes light(17, 0);
    light[0] = 0xFF;
    light[4] = 0x33;
    size_t written = 0;
    ASSERT_EQ(headset->Write(light.data(), light.size(), written, 1000), IoStatus::kOk);
    EXPECT_EQ(written, 17u);
    EXPECT_EQ(DeviceReceives(), light);
    // A node without the output-report control call takes the report as a write.
    ASSERT_TRUE(headset->SetOutputReport(light.data(), light.size()));
    EXPECT_EQ(DeviceReceives(), light);
}

TEST_F(HidrawChannelTest, AbortWakesEveryWaiter)
{
    auto vendor = Open(fx::kVendor64, 0);
    auto first = std::async(std::launch::async, [&] { return ReadOne(*vendor, kWaitForever, IoStatus::kAborted); });
    auto second = std::async(std::launch::async, [&] { return ReadOne(*vendor, kWaitForever, IoStatus::kAborted); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    vendor->Abort();
    ASSERT_EQ(first.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    ASSERT_EQ(second.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_TRUE(first.get().empty());
    EXPECT_TRUE(second.get().empty());
    EXPECT_EQ(ReadOne(*vendor, 0, IoStatus::kAborted), Bytes());
}

TEST_F(HidrawChannelTest, ANodeThatGoesAwayFailsTheRead)
{
    auto vendor = Open(fx::kVendor64, 0);
    ::close(device_);
    device_ = -1;
    EXPECT_EQ(ReadOne(*vendor, 1000, IoStatus::kFailed), Bytes());
}

} // namespace
} // namespace orvel::hid
