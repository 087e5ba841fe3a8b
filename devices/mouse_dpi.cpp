#include "devices/mouse_dpi.h"

#include "input/decimal.h"

#include <algorithm>

namespace orvel::devices {

DpiRule DpiRule::FromDeviceInfo(const std::array<std::uint8_t, 34>& info)
{
    DpiRule rule;
    rule.sensorId = static_cast<std::uint16_t>(info[9] | info[10] << 8);
    rule.step = info[11];
    rule.levels = info[12] | info[13] << 8;
    rule.lowest = info[14] | info[15] << 8;
    return rule;
}

int DpiRule::LevelToDpi(int level) const
{
    if (sensorId == kSteppedSensor && level > kSteppedSensorKnee) {
        return kSteppedSensorKnee * step + (level - kSteppedSensorKnee) * kSteppedSensorStride + lowest;
    }
    return level * step + lowest;
}

std::optional<int> DpiRule::DpiToLevel(std::int64_t dpi) const
{
    if (step == 0) {
        return std::nullopt;
    }
    const std::int64_t v = std::max<std::int64_t>(dpi, lowest);
    const std::int64_t knee = std::int64_t(kSteppedSensorKnee) * step + lowest;
    std::int64_t level = 0;
    if (sensorId == kSteppedSensor && v > knee) {
        level = kSteppedSensorKnee + (v - knee) / kSteppedSensorStride;
    } else {
        level = (v - lowest) / step;
    }
    return static_cast<int>(std::clamp<std::int64_t>(level, 0, levels));
}

std::optional<int> DpiRule::DpiToLevel(std::string_view typed) const
{
    return DpiToLevel(input::ParseDecimal(typed));
}

int ReferenceDpi(std::string_view typed)
{
    return static_cast<int>(input::ParseClamped(typed, kReferenceDpiLowest, kReferenceDpiHighest));
}

} // namespace orvel::devices
