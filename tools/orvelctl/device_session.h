#pragma once
// One found device opened for commands: its command link over the cable (preferred) or
// through its receiver, and the link questions every command starts with.

#include "devicelink/device_link.h"
#include "tools/orvelctl/device_finder.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orvel::ctl {

// The user's words for a link status: "no answer", "not reachable", "refused by the device" ...
std::string LinkStatusText(int status);

// The power report as the window's power display reads it.
struct PowerStatus {
    int batteryPercent = 0;
    int chargeState = 0; // 0 powered (no battery), 1 charging, 2 charged, other: on battery
    bool viaReceiver = false;
    int phone = 0;       // mouse pad: 0 none, 1 iPhone, 2 Samsung, 3 other
};
PowerStatus DecodePower(const std::array<std::uint8_t, 6>& report, bool viaReceiver);
// "charging", "charged", "on battery", "powered".
std::string ChargeStateText(int chargeState);

class DeviceSession {
public:
    explicit DeviceSession(const FoundDevice& device);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Opens the command interface for reading and writing, shared; a link status.
    int Open();
    // Through the receiver: whether the device answers its receiver; by cable always true.
    bool Reachable();
    // The power report (ReadSmall, 6 bytes at 0); a link status.
    int ReadPower(PowerStatus& status);

    CDeviceLink& Link() { return link_; }
    const FoundDevice& Device() const { return device_; }

private:
    FoundDevice device_;
    CDeviceLink link_;
};

} // namespace orvel::ctl
