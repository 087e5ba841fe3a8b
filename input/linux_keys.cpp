#include "input/linux_keys.h"

#include <array>

namespace orvel::input {
namespace {

struct LinuxKey {
    uint16_t evdev;
    ScanCode scan;
};

// evdev codes 1-88 are the set-1 codes themselves. Num Lock and right Shift are reported
// with the extended flag, which is how the scan-code table lists them.
constexpr uint16_t kLastPlainCode = 88;
constexpr uint16_t kNumLock = 69;
constexpr uint16_t kRightShift = 54;

constexpr std::array<LinuxKey, 26> kOtherKeys {{
    {89, {0x73, false}},  // KEY_RO
    {92, {0x79, false}},  // KEY_HENKAN
    {93, {0x70, false}},  // KEY_KATAKANAHIRAGANA
    {94, {0x7B, false}},  // KEY_MUHENKAN
    {96, {0x1C, true}},   // KEY_KPENTER
    {97, {0x1D, true}},   // KEY_RIGHTCTRL
    {98, {0x35, true}},   // KEY_KPSLASH
    {99, {0x37, true}},   // KEY_SYSRQ (Print Screen)
    {100, {0x38, true}},  // KEY_RIGHTALT
    {102, {0x47, true}},  // KEY_HOME
    {103, {0x48, true}},  // KEY_UP
    {104, {0x49, true}},  // KEY_PAGEUP
    {105, {0x4B, true}},  // KEY_LEFT
    {106, {0x4D, true}},  // KEY_RIGHT
    {107, {0x4F, true}},  // KEY_END
    {108, {0x50, true}},  // KEY_DOWN
    {109, {0x51, true}},  // KEY_PAGEDOWN
    {110, {0x52, true}},  // KEY_INSERT
    {111, {0x53, true}},  // KEY_DELETE
    {119, {0x45, false}}, // KEY_PAUSE
    {121, {0x7E, false}}, // KEY_KPCOMMA
    {122, {0x72, false}}, // KEY_HANGEUL
    {123, {0x71, false}}, // KEY_HANJA
    {124, {0x7D, false}}, // KEY_YEN
    {125, {0x5B, true}},  // KEY_LEFTMETA
    {126, {0x5C, true}},  // KEY_RIGHTMETA
}};

constexpr LinuxKey kCompose {127, {0x5D, true}}; // KEY_COMPOSE, the application key

} // namespace

std::optional<ScanCode> ScanCodeOfLinuxKey(uint16_t evdevCode)
{
    if (evdevCode >= 1 && evdevCode <= kLastPlainCode && evdevCode != 84 && evdevCode != 85) {
        return ScanCode {static_cast<uint8_t>(evdevCode), evdevCode == kNumLock || evdevCode == kRightShift};
    }
    for (const LinuxKey& key : kOtherKeys) {
        if (key.evdev == evdevCode) {
            return key.scan;
        }
    }
    if (evdevCode == kCompose.evdev) {
        return kCompose.scan;
    }
    return std::nullopt;
}

} // namespace orvel::input
