#pragma once
// The registered messages of the input hook and of game-event senders, in one place: their
// names (the contract with other programs), the hook modes that choose which message reports
// an event, the message that drives the hook, and where the main window hands each message.

#include "input/macro_editor.h"
#include "platform/winmsg.h"

#include <array>
#include <string_view>

namespace orvel::input {

// The 24 names every part of the program registers; "UWM_MOUSERBUTTONDOWN_USER_MSG" appears
// twice and so has one number.
inline constexpr std::array<std::wstring_view, 24> kHookMessageNames = {
    L"WM_HOOK_KEY_SINGLEKEY_MSG",       L"WM_HOOK_KEY_HITKEY_MSG",         L"WM_HOOK_KEY_KBMACRO_MSG",
    L"WM_HOOK_KEY_MSMACRO_MSG",         L"WM_HOOK_KEY_KBMACROSINGLE_MSG",  L"WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    L"WM_HOOK_KEY_KBMACROLATER_MSG",    L"WM_HOOK_MOU_SINGLEKEY_MSG",      L"WM_HOOK_MOU_HITKEY_MSG",
    L"WM_HOOK_MOU_KBMACRO_MSG",         L"WM_HOOK_MOU_MSMACRO_MSG",        L"WM_HOOK_KEY_MSMACROSINGLE_MSG",
    L"WM_HOOK_KEY_MSMACROPREVIOUS_MSG", L"WM_HOOK_KEY_MSMACROLATER_MSG",   L"UWM_MOUSERBUTTONDOWN_USER_MSG",
    L"UWM_MOUSELBUTTONUP_USER_MSG",     L"UWM_MOUSELBUTTONDOWN_USER_MSG",  L"UWM_MOUSERBUTTONUP_USER_MSG",
    L"UWM_MOUSERBUTTONDOWN_USER_MSG",   L"UWM_MOUSEMOVE_USER_MSG",         L"Game_Start",
    L"Game_End",                        L"Game_Kill",                      L"Game_Death",
};

// The numbers of the names above in this process.
struct HookMessages {
    UINT keySingleKey = 0;       // "WM_HOOK_KEY_SINGLEKEY_MSG": key capture for the key-set panel
    UINT keyHitKey = 0;
    UINT keyKbMacro = 0;         // keyboard recording: append
    UINT keyMsMacro = 0;         // mouse recording: append
    UINT keyKbMacroSingle = 0;   // keyboard recording: replace
    UINT keyKbMacroPrevious = 0; // keyboard recording: insert before
    UINT keyKbMacroLater = 0;    // keyboard recording: insert after
    UINT mouSingleKey = 0;
    UINT mouHitKey = 0;
    UINT mouKbMacro = 0;
    UINT mouMsMacro = 0;
    UINT keyMsMacroSingle = 0;   // mouse recording: replace
    UINT keyMsMacroPrevious = 0; // mouse recording: insert before
    UINT keyMsMacroLater = 0;    // mouse recording: insert after
    UINT mouseRButtonDown = 0;
    UINT mouseLButtonUp = 0;
    UINT mouseLButtonDown = 0;
    UINT mouseRButtonUp = 0;
    UINT mouseMove = 0;
    UINT gameStart = 0;
    UINT gameEnd = 0;
    UINT gameKill = 0;
    UINT gameDeath = 0;
};

// Registers the 24 names once (later calls return the same numbers).
const HookMessages& RegisterHookMessages();

// Sent to the main window: wParam 1 installs the hook in mode 1 for that window (key capture),
// wParam 0 removes it.
// wParam 4, 8, 16 or 32 installs that recording placement (hookmode::kAppend ...) for the
// main window; the answer is Install's.
inline constexpr UINT WM_HOOK_CONTROL = WM_USER + 30;
// Sent by the main window to its pages when an installation ended without being asked (a
// window event, a lost source): a recording panel stops and saves.
inline constexpr UINT WM_HOOK_ENDED = WM_USER + 31;
// Asked by a panel of the main window: 1 when the hook listens to the whole desktop, 0 when
// it takes only what the program's own window receives (a Wayland session, no X display).
inline constexpr UINT WM_HOOK_SCOPE = WM_USER + 32;

// The hook mode: one bit, chosen by whoever installs the hook, selecting the message that
// reports its events. The program installs kSingleKey and the four recording placements.
namespace hookmode {
inline constexpr int kSingleKey = 1;
inline constexpr int kHitKey = 2;
inline constexpr int kAppend = static_cast<int>(Placement::Append);
inline constexpr int kBefore = static_cast<int>(Placement::Before);
inline constexpr int kAfter = static_cast<int>(Placement::After);
inline constexpr int kReplace = static_cast<int>(Placement::Replace);
inline constexpr int kMouseSingleKey = 256;
inline constexpr int kMouseHitKey = 512;
inline constexpr int kMouseKbMacro = 1024;
} // namespace hookmode

// The message a key event is reported with in mode, 0 for a mode that reports none.
UINT KeyboardMessageOf(int mode);
// The message a mouse button event is reported with in mode (the recording modes only).
UINT MouseMessageOf(int mode);

// Where the main window hands a hook or game message, for the panels of the page shown.
enum class HookTarget {
    NotHook,           // not one of the 24 names
    KeyCapture,        // the key-set panel's key edit
    KeyboardRecording, // the macro panel, keyboard event at placement
    MouseRecording,    // the macro panel, mouse event at placement
    GameLighting,      // the lighting of the device shown, for five seconds
    Ignored,           // registered, but no part of the program acts on it
};

struct HookRoute {
    HookTarget target = HookTarget::NotHook;
    Placement placement = Placement::Append; // for the two recording targets
};

HookRoute RouteHookMessage(UINT message);

} // namespace orvel::input
