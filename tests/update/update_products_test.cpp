// Which products are asked about, their app keys and version texts.

#include "update/update_products.h"

#include <gtest/gtest.h>

namespace orvel::update {
namespace {

TEST(UpdateProducts, OnlyConnectedDevicesAndTheProgramAreAskedAbout)
{
    const auto none = PresentProducts({});
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0].displayName, "AP");
    EXPECT_EQ(none[0].currentVersion, 1000);  // 1.0.0.0 without its dots
    EXPECT_FALSE(none[0].HexVersions());

    std::array<DeviceVersion, kFirmwareProductCount> devices{};
    devices[kProductMouse] = {0x0105, true};
    devices[kProductMousePad] = {0x0201, false};
    const auto present = PresentProducts(devices);
    ASSERT_EQ(present.size(), 3u);
    EXPECT_EQ(present[0].shortName, "MS");
    EXPECT_EQ(present[0].revision, -1);  // through its receiver
    EXPECT_EQ(present[1].shortName, "P71");
    EXPECT_EQ(present[1].revision, 1);
    EXPECT_EQ(present[2].shortName, "P71_RT4_RT3");
}

TEST(UpdateProducts, AppKeysAndVersionTexts)
{
    std::array<DeviceVersion, kFirmwareProductCount> devices{};
    devices[kProductKeyboard] = {0x0102, false};
    const auto all = AllProducts(devices);
    EXPECT_EQ(BuildAppKey(all[kProductMouse]), "NULL");
    EXPECT_EQ(BuildAppKey(all[kProductKeyboard]), "ZENTA_1_QL40P22B_KB_1");
    EXPECT_EQ(BuildAppKey(all[3]), "ZENTA_0_ALL_P71_RT4_RT3_1");
    EXPECT_EQ(ShownCurrentVersion(all[kProductKeyboard]), "V0102");
    EXPECT_EQ(ShownCurrentVersion(all[3]), "V1.0.0.0");
    EXPECT_EQ(VersionText(0x1a, true), "V001a");
    EXPECT_EQ(VersionText(105, false), "V105");
}

TEST(UpdateProducts, FirmwareVersionIsTheLastWordOfTheInformationRecord)
{
    std::array<std::uint8_t, 34> info{};
    info[31] = 0x77;
    info[32] = 0x05;
    info[33] = 0x01;
    EXPECT_EQ(FirmwareVersion(info), 0x0105);
}

} // namespace
} // namespace orvel::update
