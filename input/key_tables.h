#pragma once
// The fixed tables that give assignment codes their names: the 144-entry key table, the
// scan codes used when capturing and recording keys, and the lists of the key-set panel's
// combo boxes. Names are language keys; the shown text comes from the language file.

#include "input/assignment_code.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvel::input {

struct KeyTableEntry {
    uint16_t virtualKey; // the program's own values above 0xFF for keys without one
    AssignmentCode code;
    const char* nameKey;
};

inline constexpr size_t kKeyTableSize = 144;
inline constexpr size_t kModifierCount = 8;   // entries 0-7: left Ctrl, Shift, Alt, Win, then right
inline constexpr size_t kScanCodeCount = 113; // the first 113 entries can be captured

std::span<const KeyTableEntry> KeyTable();

// The set-1 scan code and extended-key flag reported for key-table entry i (i < 113).
struct ScanCode {
    uint8_t code;
    bool extended;
};
std::span<const ScanCode> ScanCodeTable();

// Index of the key-table entry pressed with this scan code and extended flag.
std::optional<size_t> FindKeyByScanCode(uint8_t scanCode, bool extended);
// The first key-table entry whose code equals code in all three bytes.
std::optional<size_t> FindKeyByCode(AssignmentCode code);
// The modifier entry (0-7) whose bit equals mask exactly.
std::optional<size_t> FindModifier(uint8_t mask);

struct FunctionEntry {
    AssignmentCode code;
    const char* nameKey;
};

// The combo lists of the key-set panel, in item order.
std::span<const FunctionEntry> MouseButtonList();   // "keyset_mousekey_combo"
std::span<const FunctionEntry> DpiList();           // "keyset_mousedpi_combo"
std::span<const FunctionEntry> MediaList();         // "keyset_media_combo"
std::span<const FunctionEntry> SystemList();        // "keyset_system_combo"
std::span<const FunctionEntry> CombinationList();   // "keyset_combokey_combo"
// Names of codes of the other types.
std::span<const FunctionEntry> OtherFunctionList();
// Editing-shortcut names by b2 (0-8).
std::span<const char* const> ShortcutNames();

inline constexpr const char* kTiltLeftName = "mouse_key_left_Swing";
inline constexpr const char* kTiltRightName = "mouse_key_right_Swing";
inline constexpr const char* kWheelUpName = "mouse_key_up_Swing";
inline constexpr const char* kWheelDownName = "mouse_key_down_Swing";
inline constexpr const char* kDisabledName = "close_text";

// Index of the entry whose code equals code in all three bytes.
std::optional<size_t> FindInList(std::span<const FunctionEntry> list, AssignmentCode code);

// Function categories: the user data of the "keyset_function_combo" items and the pages of
// "function_switch_tablayout".
namespace category {
inline constexpr int kNone = -1;
inline constexpr int kDefault = 0;
inline constexpr int kMouseButton = 1;
inline constexpr int kTilt = 2;
inline constexpr int kWheel = 3;
inline constexpr int kDpi = 4;
inline constexpr int kAutoFire = 5;
inline constexpr int kKeyboardKey = 6;
inline constexpr int kMedia = 7;
inline constexpr int kSystem = 8;
inline constexpr int kMacro = 9;
inline constexpr int kGunKey = 10;
inline constexpr int kCombination = 11;
} // namespace category

inline constexpr int kDeviceKeyboard = 1;
inline constexpr int kDeviceMouse = 2;

// The categories offered in the function combo for a device kind (1 keyboard, 2 mouse), in
// item order: a keyboard has no DPI and no gun keys.
std::vector<int> FunctionCategories(int deviceKind);

} // namespace orvel::input
