#include "app/window_rules.h"

#include "devicelink/device_tables.h"

#include <cstring>

namespace orvel::app {

int ChooseLayoutDpi(int monitorWidth, int monitorHeight)
{
    return monitorWidth > 1500 && monitorHeight > 960 ? 144 : 96;
}

std::array<std::uint8_t, kWorkToolBytes> BuildWorkToolAnswer()
{
    std::vector<std::int32_t> values(kWorkToolHead.begin(), kWorkToolHead.end());
    values.push_back(static_cast<std::int32_t>(DeviceKindTable.size()));
    for (const DeviceKindRow& row : DeviceKindTable) {
        values.push_back(row.vendorId);
        values.push_back(row.productId);
        values.push_back(row.kind);
    }
    std::array<std::uint8_t, kWorkToolBytes> block{};
    std::memcpy(block.data(), values.data(), values.size() * sizeof(std::int32_t));
    return block;
}

int NextVisibleItem(const std::vector<bool>& visible, int current, int step)
{
    const int count = static_cast<int>(visible.size());
    for (int i = current + step; i >= 0 && i < count; i += step) {
        if (visible[static_cast<std::size_t>(i)])
            return i;
    }
    return -1;
}

} // namespace orvel::app
