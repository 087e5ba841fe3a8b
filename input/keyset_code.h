#pragma once
// The key-set panel's logic without its controls: the panel reads its controls into
// KeySetFields, asks BuildCode for the code, and shows a code by applying the fields that
// ShowCode returns. Indexes are combo item indexes, -1 for "nothing selected".

#include "input/assignment_code.h"

#include <cstdint>
#include <string>

namespace orvel::input {

struct KeySetFields {
    int category = 0;              // user data of the selected "keyset_function_combo" item
    bool layoutVisible = true;     // "keyset_layout"; hidden when the category has no item
    int mouseButton = -1;          // "keyset_mousekey_combo"
    int tiltDirection = 0;         // "keyset_mouseswing_combo": 0 left, 1 right
    std::string tiltCount, tiltDelay, tiltSpeed;
    int wheelDirection = 0;        // "keyset_mousewheel_combo": 0 up, 1 down
    std::string wheelCount, wheelDelay, wheelSpeed;
    int dpi = -1;                  // "keyset_mousedpi_combo"
    std::string fireInterval, fireCount;
    std::string keyName;           // language key shown in "keyset_keyboard_text_edit"; empty = empty edit
    uint8_t keyUsage = 0;          // usage of the captured key shown there
    int modifierBox = -1;          // "key_ComBox_check_" 0-4: none, Ctrl, Shift, Alt, Win
    int media = -1;                // "keyset_media_combo"
    int system = -1;               // "keyset_system_combo"
    int macro = -1;                // "keyset_macro_combo"
    int macroMode = -1;            // "keyset_macro_over_combo": repeat mode 0-3, 4 = repeat count
    std::string macroRepeat;       // "keyset_macro_cycle_edit"
    bool repeatRowVisible = false; // "keyset_macro_cycle_layout"
    int gun = -1;                  // "keyset_gunkey_combo"
    int combination = -1;          // "keyset_combokey_combo"

    friend bool operator==(const KeySetFields&, const KeySetFields&) = default;
};

// The two halves of the selected key.
struct KeyHalves {
    AssignmentCode current;
    AssignmentCode defaults;
};

inline constexpr int kMacroRepeatCountMode = 4;

struct BuiltCode {
    AssignmentCode code;
    KeySetFields fields; // the input with every number edit rewritten to the value used
};

// The code the panel's fields describe (it becomes the new current half). Typed numbers
// are clamped to their field: counts 1-127, delay and speed 0-15, bytes 0-255. A list with
// nothing selected, or a macro that is not below macroCount, keeps the current code.
BuiltCode BuildCode(const KeySetFields& fields, const KeyHalves& halves, int macroCount);

// The fields that show code, for a panel of the given device kind. code.type 0x20 with a
// usage missing from the key table shows as (and becomes) 0x20/00/00: see shownCode.
struct ShownCode {
    KeySetFields fields;
    AssignmentCode shownCode;
};
ShownCode ShowCode(AssignmentCode code, AssignmentCode defaults, int deviceKind, int macroCount);

// A key pressed while capturing for the key edit. Returns false when the key is ignored
// (not in the scan-code table, or not a keyboard key); otherwise fields are updated as the
// panel shows them afterwards, ready for BuildCode and a save.
bool CaptureKey(KeySetFields& fields, uint8_t scanCode, bool extended);

// The modifier box of a modifier bit: left and right of a modifier share a box.
int ModifierBoxOf(size_t modifierIndex);

// The fields after the user picks category c in the function combo (category 6 clears the
// key edit and every modifier box).
KeySetFields SelectCategory(KeySetFields fields, int c);

} // namespace orvel::input
