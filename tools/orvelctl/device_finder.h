#pragma once
// Finds the supported devices the way the window's scan does (the match table over hidraw and
// vhid) and names them for the command line: a kind name with an optional index.

#include "devicelink/device_scan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::ctl {

// A device as the user names it: a row of the kind table and which one of that kind (1-based).
struct DeviceName {
    int kindRow = -1;
    int index = 1;
};

// "mouse", "keyboard", "MousePad", "HD" (any case; also "pad", "mouse-pad", "headset"),
// optionally followed by ":N" with N from 1. nullopt for anything else.
std::optional<DeviceName> ParseDeviceName(std::string_view text);
// The name as the user types it: "mouse" for the first, "mouse:2" for the second.
std::string DeviceNameText(const DeviceName& name);
// The kind's folder name: "mouse", "keyboard", "MousePad", "HD".
std::string_view KindName(int kindRow);
// Words for the user: "mouse", "keyboard", "mouse pad", "headset".
std::string_view KindDisplayName(int kindRow);
// The kind number of the kind row (2 mouse, 1 keyboard, 3 mouse pad, 7 headset).
int KindNumber(int kindRow);

// One device found: its command interface by cable and/or through its receiver.
struct FoundDevice {
    DeviceName name;
    std::string cablePath;
    std::string receiverPath;
    std::uint16_t vendorId = 0;  // of the path commands go to (the cable when both are present)
    std::uint16_t productId = 0;

    bool ViaReceiver() const { return cablePath.empty(); }
    const std::string& CommandPath() const { return ViaReceiver() ? receiverPath : cablePath; }
};

// Every device present, ordered by kind row and index. Interfaces of one kind are numbered in
// path order; the n-th cable interface and the n-th receiver interface are one device (with one
// device of a kind, its cable and receiver are always paired). false when the system could not
// list its HID interfaces.
bool FindDevices(IHidProbe& probe, std::vector<FoundDevice>& devices);

} // namespace orvel::ctl
