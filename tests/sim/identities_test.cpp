// The six identities and the interfaces they serve, read back through the HID layer's own
// report-descriptor parser, the way discovery will see them.

#include "platform/hid/report_descriptor.h"
#include "sim/devices/identities.h"

#include <gtest/gtest.h>

namespace orvel::sim {
namespace {

struct IdentityCase {
    const char* name;
    std::uint16_t vendorId;
    std::uint16_t productId;
    DeviceKind kind;
    Path path;
    std::vector<int> interfaces;
};

TEST(Identities, VendorProductAndInterfaces)
{
    const IdentityCase cases[] = {
        {"keyboard", 0x320F, 0x5055, DeviceKind::Keyboard, Path::Cable, {0, 1}},
        {"keyboard-receiver", 0x320F, 0x5088, DeviceKind::Keyboard, Path::Receiver, {0, 1}},
        {"mouse", 0x320F, 0x221C, DeviceKind::Mouse, Path::Cable, {0, 1}},
        {"mouse-receiver", 0x320F, 0x221D, DeviceKind::Mouse, Path::Receiver, {0, 1}},
        {"mousepad", 0x320F, 0x1004, DeviceKind::MousePad, Path::Cable, {0, 1}},
        {"headset", 0x0C76, 0x1630, DeviceKind::Headset, Path::Cable, {3}},
    };
    ASSERT_EQ(AllIdentities().size(), std::size(cases));
    for (const auto& c : cases) {
        const Identity* id = FindIdentity(c.name);
        ASSERT_NE(id, nullptr) << c.name;
        EXPECT_EQ(id->vendorId, c.vendorId) << c.name;
        EXPECT_EQ(id->productId, c.productId) << c.name;
        EXPECT_EQ(id->kind, c.kind) << c.name;
        EXPECT_EQ(id->path, c.path) << c.name;
        std::vector<int> numbers;
        for (const auto& hid : id->interfaces) {
            numbers.push_back(hid.number);
        }
        EXPECT_EQ(numbers, c.interfaces) << c.name;
        EXPECT_EQ(IdentityFor(c.kind, c.path), id) << c.name;
    }
    EXPECT_EQ(IdentityFor(DeviceKind::Headset, Path::Receiver), nullptr);
}

hid::ReportDescriptor Parse(const std::vector<std::uint8_t>& bytes)
{
    std::string error;
    auto parsed = hid::ParseReportDescriptor(bytes, &error);
    EXPECT_TRUE(parsed) << error;
    return parsed.value_or(hid::ReportDescriptor{});
}

TEST(Identities, CommandInterfaceHasTheConsumerAndVendorCollectionsThirdAndFourth)
{
    const auto descriptor = Parse(CommandInterfaceDescriptor());
    ASSERT_EQ(descriptor.collections.size(), 4u);
    const auto& consumer = descriptor.collections[2];
    EXPECT_EQ(consumer.usagePage, 0x000C);
    EXPECT_EQ(consumer.usage, 0x0001);
    const auto& vendor = descriptor.collections[3];
    EXPECT_EQ(vendor.usagePage, 0xFF1C);
    EXPECT_EQ(vendor.usage, 0x0092);
    EXPECT_EQ(vendor.ReportByteLength(hid::ReportType::kInput), 64);
    EXPECT_EQ(vendor.ReportByteLength(hid::ReportType::kOutput), 64);
    EXPECT_TRUE(vendor.HasReport(hid::ReportType::kOutput, 4));
    EXPECT_EQ(descriptor.CollectionOfInputReport(kNotifyReportId), 2);
    EXPECT_EQ(descriptor.CollectionOfInputReport(4), 3);

    // A notification is the first pressed usage of the consumer report.
    const struct {
        std::uint16_t usage;
    } notifications[] = {{0x0401}, {0x0402}, {0x0403}, {0x1003}, {0x1124}};
    for (const auto& n : notifications) {
        const std::vector<std::uint8_t> report{kNotifyReportId, static_cast<std::uint8_t>(n.usage & 0xFF),
                                               static_cast<std::uint8_t>(n.usage >> 8)};
        std::vector<std::uint16_t> usages;
        ASSERT_TRUE(consumer.GetUsages(hid::ReportType::kInput, 0x000C, report, usages)) << n.usage;
        ASSERT_FALSE(usages.empty()) << n.usage;
        EXPECT_EQ(usages.front(), n.usage);
    }
    std::vector<std::uint16_t> released;
    ASSERT_TRUE(consumer.GetUsages(hid::ReportType::kInput, 0x000C, std::vector<std::uint8_t>{kNotifyReportId, 0, 0},
                                   released));
    EXPECT_TRUE(released.empty());
}

TEST(Identities, HeadsetInterfaceCarriesCommandsAndLightReports)
{
    const auto descriptor = Parse(HeadsetDescriptor());
    ASSERT_EQ(descriptor.collections.size(), 1u);
    const auto& only = descriptor.collections[0];
    EXPECT_EQ(only.usagePage, 0x000C);
    EXPECT_EQ(only.usage, 0x0001);
    EXPECT_EQ(only.ReportByteLength(hid::ReportType::kInput), 64);
    EXPECT_TRUE(only.HasReport(hid::ReportType::kOutput, 4));
    EXPECT_TRUE(only.HasReport(hid::ReportType::kOutput, kHeadsetLightReportId));
    EXPECT_EQ(only.reportBits[static_cast<std::size_t>(hid::ReportType::kOutput)].at(kHeadsetLightReportId), 16u * 8);
}

TEST(Identities, BootInterfacesAreNotOnTheMatchedPages)
{
    for (const auto& bytes : {BootKeyboardDescriptor(), BootMouseDescriptor()}) {
        const auto descriptor = Parse(bytes);
        ASSERT_EQ(descriptor.collections.size(), 1u);
        EXPECT_EQ(descriptor.collections[0].usagePage, 0x0001);
        EXPECT_NE(descriptor.collections[0].usagePage, 0xFF1C);
    }
}

} // namespace
} // namespace orvel::sim
