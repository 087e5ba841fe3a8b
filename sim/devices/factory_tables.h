#pragma once
// What the emulated devices carry from the factory: the codes their keys and buttons produce
// (type, b1, b2 of an assignment code) and the keyboard's LED index of each key.

#include <array>
#include <cstdint>
#include <vector>

namespace orvel::sim {

struct KeyCode {
    std::uint8_t type = 0;
    std::uint8_t b1 = 0;
    std::uint8_t b2 = 0;
    bool operator==(const KeyCode&) const = default;
};

inline constexpr int kKeyboardPositions = 170;

// The default code of each of the program's 170 on-screen keyboard positions.
const std::array<KeyCode, kKeyboardPositions>& KeyboardPositionCodes();

// The emulated keyboard is a 104-key board. Entry k is the on-screen position its physical
// key k stands for; its factory code is that position's code, except for the key at
// kFnLockPosition, which produces a code of its own that no position shows.
const std::vector<int>& KeyboardKeyPositions();
inline constexpr int kFnLockPosition = 111;
inline constexpr KeyCode kFnLockCode{0xA0, 0x1C, 0x00};

// Factory key table as the keyboard sends it: 3 bytes per physical key.
std::vector<std::uint8_t> KeyboardFactoryKeyTable();
// LED index of each physical key (the position index it stands for).
std::vector<std::uint8_t> KeyboardLedTable();

// The mouse's 11 buttons in its own order: the codes of the on-screen buttons 0..10.
const std::array<KeyCode, 11>& MouseButtonCodes();
std::vector<std::uint8_t> MouseFactoryKeyTable();

} // namespace orvel::sim
