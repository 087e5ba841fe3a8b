#pragma once
// The six USB identities the emulators present: vendor and product ids, strings, and the
// HID interfaces each one serves with its report descriptor.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::sim {

enum class DeviceKind { Keyboard, Mouse, MousePad, Headset };
// How the host reaches a device: its own cable, or the 2.4 GHz receiver paired with it.
enum class Path { Cable, Receiver };

struct HidInterface {
    int number = 0;
    std::vector<std::uint8_t> reportDescriptor;
};

struct Identity {
    std::string name;          // socket base name: <name>.if<N>.sock
    DeviceKind kind = DeviceKind::Keyboard;
    Path path = Path::Cable;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0x0100;
    std::string manufacturer;
    std::string product;
    std::string serial;
    std::vector<HidInterface> interfaces;
};

// Report ids on the interfaces.
inline constexpr std::uint8_t kNotifyReportId = 0x03;     // consumer control, one 16-bit usage
inline constexpr std::uint8_t kHeadsetLightReportId = 0xFF;
inline constexpr std::size_t kHeadsetLightReportSize = 17;

// All six, cable identities before receivers: keyboard, keyboard-receiver, mouse,
// mouse-receiver, mousepad, headset.
const std::vector<Identity>& AllIdentities();
const Identity* FindIdentity(std::string_view name);
// The identity of a kind reached by a path (nullopt for a receiver of the pad or headset).
const Identity* IdentityFor(DeviceKind kind, Path path);

std::string_view KindName(DeviceKind kind);
std::optional<DeviceKind> KindFromName(std::string_view name);
bool HasReceiver(DeviceKind kind);

// Report descriptors, exposed for tests.
std::vector<std::uint8_t> BootKeyboardDescriptor();
std::vector<std::uint8_t> BootMouseDescriptor();
std::vector<std::uint8_t> CommandInterfaceDescriptor();   // collections 1..4, 3 = consumer, 4 = vendor
std::vector<std::uint8_t> HeadsetDescriptor();

} // namespace orvel::sim
