#pragma once
// What a hook message carries: wParam is the key or mouse message, lParam points at a record
// laid out as the program's handlers read it (valid only while the message is handled, since
// it is sent, never posted). Raw input from a capture source is turned into these messages
// here, and the handlers read them back here.

#include "input/macro_event.h"
#include "platform/events.h"
#include "platform/winmsg.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace orvel::input {

inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_XBUTTONDOWN = 0x020B;
inline constexpr UINT WM_XBUTTONUP = 0x020C;

// The low-level keyboard record: virtual-key code, set-1 scan code, flags (bit 0 extended key,
// bit 5 Alt held, bit 7 release) and the event's time on the HookTickCount clock.
struct KBDLLHOOKSTRUCT {
    DWORD vkCode = 0;
    DWORD scanCode = 0;
    DWORD flags = 0;
    DWORD time = 0;
    ULONG_PTR dwExtraInfo = 0;
};
inline constexpr DWORD LLKHF_EXTENDED = 0x01;
inline constexpr DWORD LLKHF_ALTDOWN = 0x20;
inline constexpr DWORD LLKHF_UP = 0x80;

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The mouse record: the screen point first, the mouse data at byte 20 with the X button in its
// high 16 bits (1 first, 2 second). Byte 16 carries the event's time on the HookTickCount clock.
struct MOUSEHOOKSTRUCTEX {
    POINT pt;
    DWORD hwnd = 0;
    DWORD wHitTestCode = 0;
    DWORD time = 0;
    DWORD mouseData = 0;
};
static_assert(offsetof(MOUSEHOOKSTRUCTEX, pt) == 0 && offsetof(MOUSEHOOKSTRUCTEX, mouseData) == 20);
inline constexpr DWORD XBUTTON1 = 1;
inline constexpr DWORD XBUTTON2 = 2;

// Milliseconds of the steady clock, as 32 bits: the clock of the records' time fields and of
// a recording's start.
DWORD HookTickCount();

// Input as a capture source sees it.
enum class PointerButton { Left, Middle, Right, Back, Forward };

struct RawKey {
    std::uint16_t evdevCode = 0; // Linux input code (an X keycode is this + 8)
    bool down = false;
    DWORD time = 0;
};

struct RawButton {
    PointerButton button = PointerButton::Left;
    bool down = false;
    std::int32_t x = 0; // pointer position on the screen
    std::int32_t y = 0;
    DWORD time = 0;
};

struct KeyMessage {
    WPARAM wParam = 0;
    KBDLLHOOKSTRUCT record;
};

struct MouseMessageRecord {
    WPARAM wParam = 0;
    MOUSEHOOKSTRUCTEX record;
};

// Turns raw keys into key messages, keeping the modifier state that picks WM_SYS* (a key
// pressed or released while Alt is held without Ctrl, as Windows reports them). Keys without
// a set-1 scan code give nothing.
class KeyMessageMaker {
public:
    std::optional<KeyMessage> Make(const RawKey& key);
    void Reset();

private:
    bool altDown_[2] {};
    bool ctrlDown_[2] {};
};

MouseMessageRecord MakeMouseMessage(const RawButton& button);

// Caps Lock, Num Lock and Scroll Lock keep working while keys are captured.
bool IsLockKey(std::uint16_t evdevCode);

// A key event read back from a hook message.
struct HookKeyEvent {
    std::uint8_t scanCode = 0;
    bool extended = false;
    bool down = false;
    DWORD time = 0;
};
std::optional<HookKeyEvent> ReadKeyMessage(WPARAM wParam, LPARAM lParam);

// A mouse button event read back from a hook message.
struct HookMouseEvent {
    MouseMessage message = MouseMessage::LButtonDown;
    int xButton = 0;
    POINT point;
    DWORD time = 0;
};
std::optional<HookMouseEvent> ReadMouseMessage(WPARAM wParam, LPARAM lParam);

} // namespace orvel::input
