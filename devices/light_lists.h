#pragma once
// The names a device's lighting panel lists: the kind's modes (each with whether it shows and
// the device's code), the kind's lighting areas, and the user's own light effects, which follow
// the built-in modes in the mode list ("SelectItem" = built-in count + effect number).

#include "devices/mode_list.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orvel::devices {

struct LightPanelLists {
    ModeList modes;
    std::vector<std::string> areas;
    std::vector<std::string> userEffects;
};

// Reads the kind's lists: modes and areas from "default_light.json" of the default data folder,
// the user effects from the light configuration document. A default file that does not parse or
// holds no "DefaultLightName" keeps the modes and areas of previous.
LightPanelLists LoadLightLists(const std::filesystem::path& defaultDataFolder, const std::filesystem::path& lightConfig,
                          int kind, const LightPanelLists& previous = {});

} // namespace orvel::devices
