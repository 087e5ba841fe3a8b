#include "input/hook/hook_recording.h"

#include "input/hook/hook_messages.h"

namespace orvel::input {

std::optional<AssignmentCode> CaptureKeyMessage(KeySetPanel& panel, const KeySetFields& controls, WPARAM wParam,
                                                LPARAM lParam)
{
    const auto key = ReadKeyMessage(wParam, lParam);
    if (!key || !key->down) {
        return std::nullopt;
    }
    return panel.CaptureKey(controls, key->scanCode, key->extended);
}

RecordedRow RecordKeyMessage(MacroEditor& editor, Placement placement, WPARAM wParam, LPARAM lParam)
{
    const auto key = ReadKeyMessage(wParam, lParam);
    if (!key) {
        return std::nullopt;
    }
    return editor.RecordKey(placement, key->scanCode, key->extended, key->down, key->time);
}

RecordedRow RecordMouseMessage(MacroEditor& editor, Placement placement, WPARAM wParam, LPARAM lParam,
                               const std::optional<ScreenRect>& stopButton)
{
    const auto mouse = ReadMouseMessage(wParam, lParam);
    if (!mouse) {
        return std::nullopt;
    }
    const bool inside = stopButton && stopButton->Contains(mouse->point);
    return editor.RecordMouse(placement, mouse->message, mouse->xButton, inside, mouse->time);
}

RecordedRow RecordHookMessage(MacroEditor& editor, UINT message, WPARAM wParam, LPARAM lParam,
                              const std::optional<ScreenRect>& stopButton)
{
    const HookRoute route = RouteHookMessage(message);
    switch (route.target) {
    case HookTarget::KeyboardRecording:
        return RecordKeyMessage(editor, route.placement, wParam, lParam);
    case HookTarget::MouseRecording:
        return RecordMouseMessage(editor, route.placement, wParam, lParam, stopButton);
    default:
        return std::nullopt;
    }
}

} // namespace orvel::input
