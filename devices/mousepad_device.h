#pragma once
// The mouse pad's protocol core (kind 3): a lit pad with 15 LEDs, no keys, cable only. Its
// profile is a plain profile document of which it uses the lighting; its 21-byte settings block
// carries the effect parameters. The pad's LED frames are the shared light stream; its status
// (byte 5: the phone on the pad) is the base's QueryPower.

#include "devices/ring_device.h"

namespace orvel::devices {

class CMousePadCore : public CRingDeviceCore {
public:
    static constexpr int kKind = 3;
    static constexpr int kLedCount = 15;

    CMousePadCore(CDeviceLink& link, DeviceFolders folders);

    // Device ready: the information record (inside Begin...End) and the settings block, so the
    // bytes only the pad knows are carried into every later write; then LoadProfile and
    // ApplyProfile. The first failed read's status, else LoadProfile's.
    int LoadFromDevice() override;
};

} // namespace orvel::devices
