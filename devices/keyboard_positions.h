#pragma once
// The on-screen keyboard's 170 positions and the code each one produces by default; a
// physical key belongs to the first position whose code equals its factory code.

#include "input/assignment_code.h"

#include <array>

namespace orvel::devices {

inline constexpr int kKeyboardPositions = 170;

const std::array<input::AssignmentCode, kKeyboardPositions>& KeyboardPositionCodes();
// Positions that stand for no key (their code 0x20/00/00 would otherwise match a blank key).
bool IsUnmatchedPosition(int position);

} // namespace orvel::devices
