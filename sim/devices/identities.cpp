#include "sim/devices/identities.h"

namespace orvel::sim {

std::vector<std::uint8_t> BootKeyboardDescriptor()
{
    return {
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,             // generic desktop, keyboard, application
        0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,
        0x95, 0x01, 0x75, 0x08, 0x81, 0x01,             // reserved byte
        0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02,   // LEDs
        0x95, 0x01, 0x75, 0x03, 0x91, 0x01,
        0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x05, 0x07, 0x19, 0x00, 0x2A, 0xFF, 0x00,
        0x81, 0x00,                                     // six key codes
        0xC0,
    };
}

std::vector<std::uint8_t> BootMouseDescriptor()
{
    return {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,
        0x05, 0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01, 0x81, 0x02,
        0x95, 0x01, 0x75, 0x03, 0x81, 0x01,
        0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03,
        0x81, 0x06,
        0xC0, 0xC0,
    };
}

std::vector<std::uint8_t> CommandInterfaceDescriptor()
{
    return {
        // collection 1: system control, report 1
        0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x01,
        0x19, 0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,
        0x95, 0x05, 0x81, 0x01, 0xC0,
        // collection 2: keyboard key bitmap, report 2
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x02,
        0x05, 0x07, 0x19, 0x04, 0x29, 0x70, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x6D, 0x81, 0x02,
        0x95, 0x03, 0x81, 0x01, 0xC0,
        // collection 3: consumer control, report 3: one 16-bit usage (the device notifications)
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, kNotifyReportId,
        0x19, 0x00, 0x2A, 0xFF, 0x1F, 0x15, 0x00, 0x26, 0xFF, 0x1F, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00,
        0xC0,
        // collection 4: vendor page 0xFF1C usage 0x92, report 4: 63 data bytes each way
        0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04,
        0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02,
        0x09, 0x01, 0x91, 0x02,
        0xC0,
    };
}

std::vector<std::uint8_t> HeadsetDescriptor()
{
    return {
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,
        // report 4: the command reports, 63 data bytes each way
        0x85, 0x04, 0x06, 0x1C, 0xFF, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F,
        0x81, 0x02, 0x09, 0x01, 0x91, 0x02,
        // report 0xFF: light registers, 16 data bytes, output only
        0x85, kHeadsetLightReportId, 0x09, 0x02, 0x95, 0x10, 0x91, 0x02,
        0xC0,
    };
}

namespace {

Identity Make(std::string name, DeviceKind kind, Path path, std::uint16_t productId, std::string product,
              std::string serial, std::vector<HidInterface> interfaces)
{
    Identity id;
    id.name = std::move(name);
    id.kind = kind;
    id.path = path;
    id.vendorId = 0x320F;
    id.productId = productId;
    id.manufacturer = "VARNO";
    id.product = std::move(product);
    id.serial = std::move(serial);
    id.interfaces = std::move(interfaces);
    return id;
}

std::vector<Identity> BuildIdentities()
{
    const HidInterface bootKeyboard{0, BootKeyboardDescriptor()};
    const HidInterface bootMouse{0, BootMouseDescriptor()};
    const HidInterface command{1, CommandInterfaceDescriptor()};
    std::vector<Identity> all;
    all.push_back(Make("keyboard", DeviceKind::Keyboard, Path::Cable, 0x5055, "Orvel 80 Keyboard", "SIMKB0001",
                       {bootKeyboard, command}));
    all.push_back(Make("keyboard-receiver", DeviceKind::Keyboard, Path::Receiver, 0x5088,
                       "Orvel 80 Keyboard Receiver", "SIMKR0001", {bootKeyboard, command}));
    all.push_back(Make("mouse", DeviceKind::Mouse, Path::Cable, 0x221C, "Orvel 80 Mouse", "SIMMS0001",
                       {bootMouse, command}));
    all.push_back(Make("mouse-receiver", DeviceKind::Mouse, Path::Receiver, 0x221D, "Orvel 80 Mouse Receiver",
                       "SIMMR0001", {bootMouse, command}));
    all.push_back(Make("mousepad", DeviceKind::MousePad, Path::Cable, 0x1004, "Orvel 80 Mouse Pad", "SIMMP0001",
                       {bootKeyboard, command}));
    Identity headset = Make("headset", DeviceKind::Headset, Path::Cable, 0x1630, "Orvel 80 Headset", "SIMHS0001",
                            {{3, HeadsetDescriptor()}});
    headset.vendorId = 0x0C76;
    all.push_back(std::move(headset));
    return all;
}

} // namespace

const std::vector<Identity>& AllIdentities()
{
    static const std::vector<Identity> all = BuildIdentities();
    return all;
}

const Identity* FindIdentity(std::string_view name)
{
    for (const auto& id : AllIdentities()) {
        if (id.name == name) {
            return &id;
        }
    }
    return nullptr;
}

const Identity* IdentityFor(DeviceKind kind, Path path)
{
    for (const auto& id : AllIdentities()) {
        if (id.kind == kind && id.path == path) {
            return &id;
        }
    }
    return nullptr;
}

std::string_view KindName(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::Keyboard: return "keyboard";
    case DeviceKind::Mouse: return "mouse";
    case DeviceKind::MousePad: return "mousepad";
    case DeviceKind::Headset: return "headset";
    }
    return "";
}

std::optional<DeviceKind> KindFromName(std::string_view name)
{
    for (DeviceKind kind : {DeviceKind::Keyboard, DeviceKind::Mouse, DeviceKind::MousePad, DeviceKind::Headset}) {
        if (KindName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

bool HasReceiver(DeviceKind kind)
{
    return kind == DeviceKind::Keyboard || kind == DeviceKind::Mouse;
}

} // namespace orvel::sim
