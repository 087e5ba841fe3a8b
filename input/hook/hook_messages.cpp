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

namespace {

// The messages each mode reports with (members of HookMessages; null for none).
struct ModeMessages {
    int mode;
    UINT HookMessages::*keyboard;
    UINT HookMessages::*mouse;
};
constexpr ModeMessages kModes[] = {
    {hookmode::kSingleKey, &HookMessages::keySingleKey, nullptr},
    {hookmode::kHitKey, &HookMessages::keyHitKey, nullptr},
    {hookmode::kAppend, &HookMessages::keyKbMacro, &HookMessages::keyMsMacro},
    {hookmode::kBefore, &HookMessages::keyKbMacroPrevious, &HookMessages::keyMsMacroPrevious},
    {hookmode::kAfter, &HookMessages::keyKbMacroLater, &HookMessages::keyMsMacroLater},
    {hookmode::kReplace, &HookMessages::keyKbMacroSingle, &HookMessages::keyMsMacroSingle},
    {hookmode::kMouseSingleKey, &HookMessages::mouSingleKey, nullptr},
    {hookmode::kMouseHitKey, &HookMessages::mouHitKey, nullptr},
    {hookmode::kMouseKbMacro, &HookMessages::mouKbMacro, nullptr},
};

UINT MessageOf(int mode, UINT HookMessages::*ModeMessages::*which)
{
    for (const ModeMessages& m : kModes) {
        if (m.mode == mode && m.*which != nullptr) {
            return RegisterHookMessages().*(m.*which);
        }
    }
    return 0;
}

} // namespace

UINT KeyboardMessageOf(int mode)
{
    return MessageOf(mode, &ModeMessages::keyboard);
}

UINT MouseMessageOf(int mode)
{
    return MessageOf(mode, &ModeMessages::mouse);
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
    // The four recording modes are the placements of their events.
    for (const ModeMessages& mode : kModes) {
        if (mode.mouse == nullptr) {
            continue;
        }
        const auto placement = static_cast<Placement>(mode.mode);
        if (message == m.*mode.keyboard) {
            return {HookTarget::KeyboardRecording, placement};
        }
        if (message == m.*mode.mouse) {
            return {HookTarget::MouseRecording, placement};
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
