#pragma once
// Which of the library's devices the headset uses, and what the library says a device offers.

#include "audio/osconf_api.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orvel::audio {

using FeatureWords = std::array<std::int32_t, 3>;

// One device the program talks to: the library's record and three feature words. An all-zero
// record is no device; its feature words stay 0.
struct AudioDevice {
    OsConfDevice record{};
    FeatureWords features{};

    bool Present() const { return record.id != 0 || record.type != 0 || record.reserved != 0 || record.state != 0; }
};

// The playback device: the first active device of type 1; failing that of type 12, then 7,
// then 4. An empty record when none fits.
OsConfDevice ChoosePlaybackDevice(const std::vector<OsConfDevice>& devices);
// The recording device: the first device of type 2, active or not.
OsConfDevice ChooseRecordingDevice(const std::vector<OsConfDevice>& devices);

// "GetSupportFeature" text: comma-separated integers. Words 0, 1 and 2 are fields 0, 4 and 6;
// nullopt with fewer than seven fields. A field that is not a number counts as 0.
std::optional<FeatureWords> ParseFeatures(std::string_view text);

} // namespace orvel::audio
