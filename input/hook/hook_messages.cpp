#include "input/hook/hook_messages.h"

namespace orvel::input {
namespace {

HookMessages Register()
{
    HookMessages m;
    UINT* const fields[] = {&m.keySingleKey,       &m.keyHitKey,        &m.keyKbMacro,       &m.keyMsMacro,
                            &m.keyKbMacroSingle,   &m.keyKbMacroPrevious, &m.keyKbMacroLater, &m.mouSingleKey,
                            &m.mouHitKey,          &m.mouKbMacro,       &m.mouMsMacro,       &m.keyMsMacroSingle,
                            &m.keyMsMacroPrevious, &m.keyMsMacroLater,  &m.mouseRButtonDown, &m.mouseLButtonUp,
                            &m.mouseLButtonDown,   &m.mouseRButtonUp,   &m.mouseRButtonDown, &m.mouseMove,
                            &m.gameStart,          &m.gameEnd,          &m.gameKill,         &m.gameDeath};
    static_assert(std::size(fields) == kHookMessageNames.size());
    for (size_t i = 0; i < kHookMessageNames.size(); ++i) {
        *fields[i] = RegisterWindowMessageW(kHookMessageNames[i]);
    }
    return m;
}

} // namespace

const HookMessages& RegisterHookMessages()
{
    static const HookMessages messages = Register();
    return messages;
}

UINT KeyboardMessageOf(int mode)
{
    const HookMessages& m = RegisterHookMessages();
    switch (mode) {
    case hookmode::kSingleKey:
        return m.keySingleKey;
    case hookmode::kHitKey:
        return m.keyHitKey;
    case hookmode::kAppend:
        return m.keyKbMacro;
    case hookmode::kBefore:
        return m.keyKbMacroPrevious;
    case hookmode::kAfter:
        return m.keyKbMacroLater;
    case hookmode::kReplace:
        return m.keyKbMacroSingle;
    case hookmode::kMouseSingleKey:
        return m.mouSingleKey;
    case hookmode::kMouseHitKey:
        return m.mouHitKey;
    case hookmode::kMouseKbMacro:
        return m.mouKbMacro;
    default:
        return 0;
    }
}

UINT MouseMessageOf(int mode)
{
    const HookMessages& m = RegisterHookMessages();
    switch (mode) {
    case hookmode::kAppend:
        return m.keyMsMacro;
    case hookmode::kBefore:
        return m.keyMsMacroPrevious;
    case hookmode::kAfter:
        return m.keyMsMacroLater;
    case hookmode::kReplace:
        return m.keyMsMacroSingle;
    default:
        return 0;
    }
}

HookRoute RouteHookMessage(UINT message)
{
    const HookMessages& m = RegisterHookMessages();
    if (message == 0) {
        return {};
    }
    if (message == m.keySingleKey) {
        return {HookTarget::KeyCapture};
    }
    const struct {
        UINT message;
        HookTarget target;
        Placement placement;
    } recording[] = {
        {m.keyKbMacro, HookTarget::KeyboardRecording, Placement::Append},
        {m.keyKbMacroPrevious, HookTarget::KeyboardRecording, Placement::Before},
        {m.keyKbMacroLater, HookTarget::KeyboardRecording, Placement::After},
        {m.keyKbMacroSingle, HookTarget::KeyboardRecording, Placement::Replace},
        {m.keyMsMacro, HookTarget::MouseRecording, Placement::Append},
        {m.keyMsMacroPrevious, HookTarget::MouseRecording, Placement::Before},
        {m.keyMsMacroLater, HookTarget::MouseRecording, Placement::After},
        {m.keyMsMacroSingle, HookTarget::MouseRecording, Placement::Replace},
    };
    for (const auto& r : recording) {
        if (message == r.message) {
            return {r.target, r.placement};
        }
    }
    if (message == m.gameStart || message == m.gameEnd || message == m.gameKill || message == m.gameDeath) {
        return {HookTarget::GameLighting};
    }
    for (const std::wstring_view name : kHookMessageNames) {
        if (winmsg::RegisteredMessage(name) == message) {
            return {HookTarget::Ignored};
        }
    }
    return {};
}

} // namespace orvel::input
