#include "audio/audio_devices.h"

#include "audio/property_text.h"

namespace orvel::audio {

OsConfDevice ChoosePlaybackDevice(const std::vector<OsConfDevice>& devices)
{
    for (const std::int32_t type : {1, 12, 7, 4}) {
        for (const OsConfDevice& device : devices) {
            if (device.type == type && device.state == 1)
                return device;
        }
    }
    return {};
}

OsConfDevice ChooseRecordingDevice(const std::vector<OsConfDevice>& devices)
{
    for (const OsConfDevice& device : devices) {
        if (device.type == OSCONF_TYPE_MICROPHONE)
            return device;
    }
    return {};
}

std::optional<FeatureWords> ParseFeatures(std::string_view text)
{
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (fields.size() < 7)
        return std::nullopt;
    const auto word = [&](std::size_t i) { return ParseIntegerText(fields[i]).value_or(0); };
    return FeatureWords{word(0), word(4), word(6)};
}

} // namespace orvel::audio
