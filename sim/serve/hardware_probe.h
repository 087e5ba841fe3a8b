#pragma once
// Whether a supported device is plugged in for real: a hidraw node whose HID_ID names one of
// the six identities.

#include <filesystem>

namespace orvel::sim {

// Looks at <hidrawClass>/*/device/uevent.
bool SupportedHardwarePresent(const std::filesystem::path& hidrawClass = "/sys/class/hidraw");

} // namespace orvel::sim
