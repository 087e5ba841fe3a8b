#pragma once
// Linux input key codes (evdev KEY_*; an X11 keycode is the evdev code + 8) to the set-1 scan
// code and extended flag that capture and recording look up in the scan-code table. The
// mapping follows the kernel's AT keyboard driver.

#include "input/key_tables.h"

#include <cstdint>
#include <optional>

namespace orvel::input {

std::optional<ScanCode> ScanCodeOfLinuxKey(uint16_t evdevCode);

inline constexpr uint16_t kX11KeycodeOffset = 8;

} // namespace orvel::input
