#pragma once
// The key-set panel's state without its controls: the selected key's two halves, what the
// panel shows, the state of its three save buttons, and the write to the device. The panel
// reads its controls into KeySetFields, calls one operation per notification, stores the code
// an operation returns in the page's key list and profile, and shows Fields().

#include "input/event_image.h"
#include "input/key_tables.h"
#include "input/key_text.h"
#include "input/keyset_code.h"

#include <functional>
#include <optional>

namespace orvel::input {

// "key_butt_prosave": the device's macro write as the page's device reports it.
struct MacroWriteOutcome {
    ImageStatus image = ImageStatus::Failed;
    int64_t value = 0;   // total size (TooBig) or event count (TooManyEvents)
    int linkStatus = 0;  // 1 when the image reached the device
    int unitsOf128 = 0;  // the device's macro memory, in units of 128 bytes
};

// The device steps of "key_butt_prosave", run in this order: the profile is saved (so the
// assignment is kept whatever the device does), the macros the keys use are written, and the
// key table only once they reached the device.
struct KeyWriteSteps {
    std::function<bool()> saveProfile;
    std::function<MacroWriteOutcome()> writeMacros; // GetMacroList, then WriteMacros
    std::function<int()> writeKeys;                 // WriteCurrentKeys(0): a link status
};

struct KeyWriteResult {
    bool keysWritten = false;      // the device holds the new key table
    bool profileSaved = false;
    WriteMessage refusal;          // why the macros were not written ("message_text_…"), if so
    bool deviceNotUpdated = false; // a write went out and failed: the page shows its not-updated message
};

// The device steps in their order: the profile saved, the macros the keys use written, and the
// key table only once the macros reached the device. "key_butt_prosave" runs it, and so does a
// macro deletion that renumbered the current profile's keys (the device's key table would
// otherwise still play the deleted macro).
KeyWriteResult WriteMacrosThenKeys(const KeyWriteSteps& steps);

class KeySetPanel {
public:
    // deviceKind 1 keyboard, 2 mouse.
    explicit KeySetPanel(int deviceKind = kDeviceKeyboard);

    void SetDeviceKind(int deviceKind);
    // The number of items of "keyset_macro_combo" (the macro list).
    void SetMacroCount(int count) { macroCount_ = count; }

    // A key button was clicked: remembers both halves and shows the current one. A keyboard
    // code the panel cannot show (a usage missing from the key table, several modifier bits)
    // becomes the code shown.
    const KeySetFields& ShowKey(KeyHalves halves);
    const KeySetFields& ShowDefault();
    const KeySetFields& ShowCurrent();
    void SetCurrentCode(AssignmentCode code);

    const KeyHalves& Halves() const { return halves_; }
    const KeySetFields& Fields() const { return fields_; }
    bool SaveButtonsEnabled() const { return saveEnabled_; }

    // Save ("key_butt_keysave", an item picked in any combo, a number edit left): the code the
    // controls describe becomes the current half, the fields show the numbers as used, and the
    // save buttons are enabled. Returns the code for the page's key list and profile.
    AssignmentCode Save(const KeySetFields& controls);
    // "keyset_function_combo": shows category c's page (category 6 also clears the key edit
    // and the modifier boxes), then saves.
    AssignmentCode PickCategory(const KeySetFields& controls, int category);
    // "key_ComBox_check_" + box: only that box selected, then save.
    AssignmentCode PickModifier(const KeySetFields& controls, int box);
    // "keyset_macro_over_combo": the repeat-count row shows only for repeat mode 4, then save.
    AssignmentCode PickRepeatMode(const KeySetFields& controls, int mode);
    // A key pressed while the key edit captures: nothing when the key is ignored (not in the
    // scan-code table); otherwise the key edit and boxes change and the code is saved.
    std::optional<AssignmentCode> CaptureKey(const KeySetFields& controls, uint8_t scanCode, bool extended);

    // "key_butt_keydefalut": shows the default half (stored only by a later save) and enables
    // the save buttons.
    const KeySetFields& Default();
    // "key_butt_keycancel": shows the current half again and disables the save buttons.
    const KeySetFields& Cancel();

    // "key_butt_prosave". The save buttons are disabled once the keys reached the device; when
    // they did not, the assignment stays in the profile and the buttons stay as they were.
    KeyWriteResult WriteToDevice(const KeyWriteSteps& steps);

private:
    const KeySetFields& Show(AssignmentCode code);

    int deviceKind_;
    int macroCount_ = 0;
    KeyHalves halves_;
    KeySetFields fields_;
    bool saveEnabled_ = false;
};

} // namespace orvel::input
