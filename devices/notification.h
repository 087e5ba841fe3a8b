#pragma once
// What a notification usage read on a device's notification interface means. The reader
// thread only classifies the code and hands the meaning to the owner thread, which applies it
// to the device core (DeviceCore::ApplyNotification): profile data and the page are never
// touched from the reader.

#include <cstdint>

namespace orvel::devices {

enum class DeviceFamily { Keyboard, Mouse, MousePad, Headset };

// Which notification interface the report came from.
enum class NotifySource { Cable, Receiver };

enum class NotifyAction {
    Ignore,
    Resync,          // 0x0401: the device changed its settings; re-read them after resyncDelayMs
    ProfileChanged,  // 0x0402 (keyboard): reload the profile, then resync after resyncDelayMs
    KeyPress,        // 0x0403 (mouse, cable interface): trigger of the key-press light effect
    Bank,            // 0x10NN / 0x11NN: the active bank (and, for 0x11NN, bits 4-7)
};

struct NotifyMeaning {
    NotifyAction action = NotifyAction::Ignore;
    int resyncDelayMs = 0;
    int bank = 0;        // low 4 bits of 0x10NN / 0x11NN
    int upper = -1;      // bits 4-7 of 0x11NN; -1 for 0x10NN
    friend bool operator==(const NotifyMeaning&, const NotifyMeaning&) = default;
};

inline constexpr std::uint16_t kNotifySettingsChanged = 0x0401;
inline constexpr std::uint16_t kNotifyProfileChanged = 0x0402;
inline constexpr std::uint16_t kNotifyKeyPress = 0x0403;

NotifyMeaning MeaningOf(std::uint16_t usage, DeviceFamily family, NotifySource source);

// Family of a device kind number (1/9 keyboard, 2/6 mouse, 3 mouse pad, 7 headset).
DeviceFamily FamilyOfKind(int kind);

} // namespace orvel::devices
