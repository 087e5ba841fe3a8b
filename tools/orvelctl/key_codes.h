#pragma once
// The CODE of "set DEVICE key": a name of the key table or an assignment code in hexadecimal,
// and the positions a mouse or keyboard offers with their factory functions.

#include "input/assignment_code.h"
#include "profiles/records.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::ctl {

// A language key without its "keyboard_key_" / "mouse_key_" prefix: "F5", "left".
std::string ShortName(std::string_view nameKey);

// The key table's names as CODE takes them, each once, in table order, with their code.
struct NamedCode {
    std::string name;
    input::AssignmentCode code;
};
std::vector<NamedCode> KeyNames();

// CODE read as a key-table name (any case, spaces ignored: "num enter", "PageUp") or as
// TTB1B2 / 0xTTB1B2. False with the reason for anything else, including a type no key takes.
bool ParseKeyCode(const std::string& text, input::AssignmentCode& code, std::string& problem);

// "20003E": the code as the profile's integer in hexadecimal.
std::string CodeText(input::AssignmentCode code);
// The code's function in words ("F5", "left", "LCtrl+A"), or its hexadecimal form.
std::string CodeName(input::AssignmentCode code);

// Positions of a kind (1 keyboard, 2 mouse) with the function each has from the factory;
// keyboard positions that stand for no key are left out.
struct KeyPosition {
    int position;
    input::AssignmentCode factory;
};
std::vector<KeyPosition> KeyPositions(int kind);
// The highest position of a kind (10 for the mouse, 169 for the keyboard).
int HighestKeyPosition(int kind);

// One key of the selected profile to be given a new code.
struct KeyChange {
    int position = 0;
    input::AssignmentCode code;
    bool mouse = false;   // a mouse keeps one button with the left click
    bool onDevice = true; // the position has a physical key on the attached device
};
// Why the change is refused, or nothing: a position beyond the profile's key list or without a
// key on the device, taking the left click from the only button that has it, or a macro that
// is not in the macro list (macroCount macros).
std::optional<std::string> KeyChangeRefusal(std::span<const profiles::KeyEntry> keys, const KeyChange& change,
                                            std::size_t macroCount);

} // namespace orvel::ctl
