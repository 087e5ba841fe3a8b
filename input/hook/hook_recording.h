#pragma once
// The panels' entry points for hook messages: the key-set panel's key capture and the macro
// panel's recording, read straight from the message's wParam and record.

#include "input/hook/hook_records.h"
#include "input/keyset_panel.h"
#include "input/macro_editor.h"

#include <optional>

namespace orvel::input {

// The screen rectangle of a control (right and bottom outside it).
struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool Contains(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

// "WM_HOOK_KEY_SINGLEKEY_MSG": a key pressed while the key edit captures. Releases are not
// captures (releasing Ctrl after Ctrl+A would otherwise leave Ctrl alone in the edit).
std::optional<AssignmentCode> CaptureKeyMessage(KeySetPanel& panel, const KeySetFields& controls, WPARAM wParam,
                                                LPARAM lParam);

// The keyboard recording messages, at their placement (RouteHookMessage gives it).
RecordedRow RecordKeyMessage(MacroEditor& editor, Placement placement, WPARAM wParam, LPARAM lParam);
// The mouse recording messages; a left click inside stopButton (the screen rectangle of
// "macro_btn_stopredio" while it shows) is not recorded.
RecordedRow RecordMouseMessage(MacroEditor& editor, Placement placement, WPARAM wParam, LPARAM lParam,
                               const std::optional<ScreenRect>& stopButton);

// Any of the eight recording messages at the placement its name gives (RouteHookMessage);
// nothing for other messages. This is what the macro panel does with a recording message.
RecordedRow RecordHookMessage(MacroEditor& editor, UINT message, WPARAM wParam, LPARAM lParam,
                              const std::optional<ScreenRect>& stopButton);

} // namespace orvel::input
