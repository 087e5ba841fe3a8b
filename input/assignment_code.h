#pragma once
// The function of one key or button: three bytes type, b1, b2. Profiles store it as the
// integer type × 65536 + b1 × 256 + b2; device key tables store the three bytes.

#include <cstdint>

namespace orvel::input {

struct AssignmentCode {
    uint8_t type = 0;
    uint8_t b1 = 0;
    uint8_t b2 = 0;

    friend bool operator==(const AssignmentCode&, const AssignmentCode&) = default;
};

namespace codetype {
inline constexpr uint8_t kNone = 0x00;
inline constexpr uint8_t kMouseButton = 0x10;
inline constexpr uint8_t kTilt = 0x11;
inline constexpr uint8_t kWheel = 0x12;
inline constexpr uint8_t kDpiStep = 0x13;
inline constexpr uint8_t kAutoFire = 0x14;
inline constexpr uint8_t kDpiShift = 0x16;
inline constexpr uint8_t kKeyboardKey = 0x20;
inline constexpr uint8_t kShortcut = 0x22;
inline constexpr uint8_t kShowWindow = 0x23;
inline constexpr uint8_t kMedia = 0x30;
inline constexpr uint8_t kSystem = 0x40;
inline constexpr uint8_t kMacroMode = 0x70;
inline constexpr uint8_t kMacroCount = 0x71;
inline constexpr uint8_t kGunKey = 0x72;
inline constexpr uint8_t kDeviceFunction = 0xA0;
inline constexpr uint8_t kCombination = 0xB0;
inline constexpr uint8_t kMKey = 0xD0;
} // namespace codetype

// The profile integer of a code.
constexpr uint32_t ToInteger(AssignmentCode code)
{
    return (uint32_t(code.type) << 16) | (uint32_t(code.b1) << 8) | uint32_t(code.b2);
}

// The code held in bits 16..23, 8..15 and 0..7 of a profile integer; higher bits are ignored.
constexpr AssignmentCode FromInteger(int64_t value)
{
    const auto v = static_cast<uint64_t>(value);
    return {uint8_t((v >> 16) & 0xFF), uint8_t((v >> 8) & 0xFF), uint8_t(v & 0xFF)};
}

// Gun keys (0x72) name one of the four shoot patterns of a mouse.
inline constexpr int kGunCount = 4;

constexpr bool IsMacroCode(AssignmentCode code)
{
    return code.type == codetype::kMacroMode || code.type == codetype::kMacroCount;
}

} // namespace orvel::input
