#pragma once
// The macro panel's rules without its controls, beside the editor (macro_editor.h) and the
// files (macro_library.h): what its buttons and its row menu do, how a row looks, which
// controls recording disables, and the questions asked before a macro is deleted.

#include "input/macro_editor.h"
#include "input/macro_library.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::input {

// "macro_btn_starredio": recording appends, with the constant delay when "macro_check_time" is
// selected and the delays as recorded otherwise.
TimeMode RecordingTimeMode(bool constantChecked);

// An item of the row menu "XML\Menus\macro_action_menu.xml".
struct MacroMenuCommand {
    enum class Kind {
        InsertButton, // insert the press, the release or both (press first) after the row, then save
        Record,       // record at placement with mode
    };
    Kind kind = Kind::InsertButton;
    std::uint8_t buttonMask = 0;
    ClickKind click = ClickKind::Click;
    Placement placement = Placement::Append;
    TimeMode mode = TimeMode::Record;
    // "macro_action_edit" replaces the row's key with the next key pressed: recording stops
    // once one event was recorded.
    bool stopsAfterFirstEvent = false;
};
// Nothing for a name that is not one of the menu's 22 items.
std::optional<MacroMenuCommand> MacroMenuCommandOf(std::string_view item, bool constantChecked);

// "macro_inset_move…key_btn": the move and the edit its distance is typed in.
struct MoveInsert {
    MoveDirection direction;
    const char* distanceEdit;
};
std::optional<MoveInsert> MoveInsertOf(std::string_view button);

// One row of "macro_action_list".
struct MacroRowLook {
    std::string nameKey;         // the name label's language key; empty for events without a name
    const char* nameStyle;       // "macro_label_keyboard_style" or "macro_label_mouse_style"
    const char* actionStyle;     // "macro_label_down_style", "macro_label_up_style", or for moves "macro_label_text_style"
    std::string actionText;      // a move's distance; empty for presses and releases
    std::string delayText;       // the "macro_delay" edit
    std::string userData;        // the event as JSON text
};
MacroRowLook RowLook(const MacroRow& row);
inline constexpr int kDelayEditMaxChars = 6;

// Disabled while recording, enabled after (the main window also disables the device selector
// "device_select_layout" and the profile panel).
inline constexpr std::array<const char*, 4> kControlsDisabledWhileRecording = {
    "macro_name_tab", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit", "macro_action_list"};
// Disabled while no macro is left, enabled when one loads.
inline constexpr std::array<const char*, 6> kControlsNeedingAMacro = {
    "macro_action_layout", "mouse_move_layout", "macro_btn_export", "macro_btn_name_sub", "macro_btn_name_edit",
    "macro_btn_starredio"};

// "macro_btn_name_sub": the questions to ask, in order, before anything changes: whether to
// delete the macro, then, when a key of the current profile uses it, whether to delete it all
// the same. MacroLibrary::Delete runs only after every one was answered yes. Empty when index
// names no macro.
std::vector<std::string> DeleteQuestions(const MacroLibrary& library, int index,
                                         const std::filesystem::path& currentProfile);

// The language key of the message a macro file operation shows (add, rename, save, import,
// export, delete); empty for Done and for a blank rename, which does nothing.
const char* MacroMessage(MacroStatus status);

} // namespace orvel::input
