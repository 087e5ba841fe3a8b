#include "devicelink/device_tables.h"

namespace orvel {

// Fields: vendorId, productId, interface ("&mi_"), collection ("&col"), kind, role, attached,
// usagePage, usage, hasPartner, partner.
const std::array<CDeviceSlot, kMatchRows> DeviceMatchTable = {{
    {0x320F, 0x5055, 1, 4, 1, 0x00, 0, 0xFF1C, 0x0092, 1, 2, {}},
    {0x320F, 0x5055, 1, 3, 1, 0xFF, 0, 0x000C, 0x0001, 1, 3, {}},
    {0x320F, 0x5088, 1, 4, 9, 0x00, 0, 0xFF1C, 0x0092, 1, 0, {}},
    {0x320F, 0x5088, 1, 3, 9, 0xFF, 0, 0x000C, 0x0001, 1, 1, {}},
    {0x320F, 0x221C, 1, 4, 2, 0x00, 0, 0xFF1C, 0x0092, 1, 6, {}},
    {0x320F, 0x221C, 1, 3, 2, 0xFF, 0, 0x000C, 0x0001, 1, 7, {}},
    {0x320F, 0x221D, 1, 4, 6, 0x00, 0, 0xFF1C, 0x0092, 1, 4, {}},
    {0x320F, 0x221D, 1, 3, 6, 0xFF, 0, 0x000C, 0x0001, 1, 5, {}},
    {0x320F, 0x1004, 1, 4, 3, 0x00, 0, 0xFF1C, 0x0092, 0, 0, {}},
    {0x320F, 0x1004, 1, 3, 3, 0xFF, 0, 0x000C, 0x0001, 0, 0, {}},
    {0x0C76, 0x1630, 3, 0, 7, 0x00, 0, 0x000C, 0x0001, 0, 0, {}},
}};

namespace {
constexpr std::string_view kItemLayout = "XML\\CustomControlXML\\DeviceOption.xml";
constexpr std::string_view kTabHeader = "tab_header_device";
constexpr std::string_view kPowerContainer = "device_power_switch";
} // namespace

const std::array<DeviceKindRow, 4> DeviceKindTable = {{
    {kItemLayout, kTabHeader, kPowerContainer, "mouse", 1, 0x320F, 0x221C, 2, 0},
    {kItemLayout, kTabHeader, kPowerContainer, "keyboard", 0, 0x320F, 0x5055, 1, 0},
    {kItemLayout, kTabHeader, kPowerContainer, "MousePad", 2, 0x320F, 0x1004, 3, 0},
    {kItemLayout, kTabHeader, kPowerContainer, "HD", 3, 0x0C76, 0x1630, 7, 0},
}};

const std::array<DevicePageRow, 4> DevicePageTable = {{
    {15, 11, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "zenta_light"},
    {170, 170, 1, -1, "XML\\DeviceXml\\keyboarddevice.xml", "zenta_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "zenta_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\hs6533device.xml", "zenta_light"},
}};

const std::array<UpdateProductRow, 4> UpdateProductTable = {{
    {1, 1, 0, "ZENTA", "QL40P23B", "MS", "MS", ""},
    {1, 1, 0, "ZENTA", "QL40P22B", "KB", "KB", ""},
    {2, 1, 0, "ZENTA", "QL40P05B_1", "P71", "P71", ""},
    {0, 1, 0, "ZENTA", "ALL", "P71_RT4_RT3", "AP", "V1.0.0.0"},
}};

int FindKindRow(std::int32_t vendorId, std::int32_t productId, std::int32_t kind, std::int32_t sub)
{
    for (std::size_t i = 0; i < DeviceKindTable.size(); ++i) {
        const DeviceKindRow& row = DeviceKindTable[i];
        if (row.vendorId == vendorId && row.productId == productId && row.kind == kind && row.sub == sub)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace orvel
