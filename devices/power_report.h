#pragma once
// The 6-byte power report a device answers to ReadSmall at address 0, turned into what the
// power display shows: battery percent, charge state, the receiver logo and, on the mouse pad,
// the phone lying on it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace orvel::devices {

inline constexpr std::size_t kPowerReportSize = 6;

struct PowerView {
    bool powerLayoutVisible = false;   // "device_power_Layout": wireless-capable devices only
    std::string valueText;             // "device_power_value": "85%"
    int progressValue = 0;             // "device_Power_progress": 100 - percent
    bool progressVisible = true;
    std::string statusImage;           // "device_power_status"; empty leaves it as it is
    std::optional<bool> receiverLogo;  // "device_wuxian_logo": mouse and keyboard displays only
    std::string phoneText;             // "device_phone_type": mouse pad only
    std::string phoneImage;
};

// kind: the device kind number (1/9 keyboard, 2/6 mouse, 3 mouse pad, 7 headset). A report
// shorter than 6 bytes reads as zeros where it ends; the percent is clamped to 0..100.
PowerView DecodePowerReport(std::span<const std::uint8_t> report, int kind, bool wirelessCapable);

} // namespace orvel::devices
