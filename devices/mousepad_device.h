#pragma once
// The mouse pad's protocol core (kind 3): a lit pad with 15 LEDs, no keys, cable only. Its
// profile is a plain profile document of which it uses the lighting; its 21-byte settings block
// carries the effect parameters. The pad's LED frames are the shared light stream.

#include "devices/ring_device.h"

namespace orvel::devices {

class CMousePadCore : public CRingDeviceCore {
public:
    static constexpr int kKind = 3;
    static constexpr int kLedCount = 15;
    // The selector item's resync timer after the pad's notification 0x401.
    static constexpr int kResyncDelayMs = 500;

    CMousePadCore(CDeviceLink& link, RingDeviceSetup setup);

    // Device ready: the information record (inside Begin...End), then LoadProfile and
    // ApplyProfile. Returns the status of the information read.
    int LoadFromDevice();
    // After the pad changed its settings itself: the block follows the pad; the profile stays.
    RingRead ResyncFromDevice() { return ReadSettingsBlock(); }
    // The pad's status: byte 5 is the phone on the pad.
    StatusReading QueryPower() { return ReadStatus(); }

    const std::array<std::uint8_t, 34>& DeviceInfo() const { return deviceInfo_; }

protected:
    lighting::DeviceKind SyncKind() const override { return lighting::DeviceKind::MousePad; }

private:
    std::array<std::uint8_t, 34> deviceInfo_{};
};

} // namespace orvel::devices
