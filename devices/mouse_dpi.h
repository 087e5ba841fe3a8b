#pragma once
// DPI stages store levels; the page shows DPI values. The rule comes from the mouse's
// information record: sensor identifier (bytes 9-10), DPI step (byte 11), number of levels
// (bytes 12-13) and lowest DPI (bytes 14-15). The 0x3325 sensor counts 200 DPI per level
// above level 48.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orvel::devices {

inline constexpr std::uint16_t kSteppedSensor = 0x3325;
inline constexpr int kSteppedSensorKnee = 48;
inline constexpr int kSteppedSensorStride = 200;

struct DpiRule {
    std::uint16_t sensorId = 0;
    int step = 0;
    int levels = 0;
    int lowest = 0;

    static DpiRule FromDeviceInfo(const std::array<std::uint8_t, 34>& info);
    // With a step of 0 the DPI edits and sliders are disabled and only levels are shown.
    bool Editable() const { return step != 0; }
    int SliderMaximum() const { return levels; }
    int EditMaximum() const { return levels * step; }

    int LevelToDpi(int level) const;
    // The level of a typed DPI (text read as the edit does: a leading number, empty = 0),
    // raised to the lowest DPI and clamped to 0..levels; the level's DPI is the typed value
    // rounded down to a level. Nothing when the step is 0.
    std::optional<int> DpiToLevel(std::string_view typed) const;
    std::optional<int> DpiToLevel(std::int64_t dpi) const;
};

// The DPI reference row beside the stages holds any value from 200 to 6500 and is never written
// to the mouse. A typed value is read as the stage edits read theirs and clamped to that range.
inline constexpr int kReferenceDpiLowest = 200;
inline constexpr int kReferenceDpiHighest = 6500;
int ReferenceDpi(std::string_view typed);

} // namespace orvel::devices
