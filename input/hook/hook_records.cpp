#include "input/hook/hook_records.h"

#include "input/key_tables.h"
#include "input/linux_keys.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <chrono>
#include <utility>

namespace orvel::input {

DWORD HookTickCount()
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<DWORD>(ms.count());
}

std::optional<KeyMessage> KeyMessageMaker::Make(const RawKey& key)
{
    const auto scan = ScanCodeOfLinuxKey(key.evdevCode);
    switch (key.evdevCode) {
    case KEY_LEFTALT:
    case KEY_RIGHTALT:
        altDown_[key.evdevCode == KEY_RIGHTALT] = key.down;
        break;
    case KEY_LEFTCTRL:
    case KEY_RIGHTCTRL:
        ctrlDown_[key.evdevCode == KEY_RIGHTCTRL] = key.down;
        break;
    default:
        break;
    }
    if (!scan) {
        return std::nullopt;
    }
    const bool alt = altDown_[0] || altDown_[1];
    const bool ctrl = ctrlDown_[0] || ctrlDown_[1];
    const bool isAlt = key.evdevCode == KEY_LEFTALT || key.evdevCode == KEY_RIGHTALT;
    // The release of Alt itself still counts as a system key.
    const bool system = (alt || (isAlt && !key.down)) && !ctrl;
    KeyMessage message;
    message.wParam = key.down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    KBDLLHOOKSTRUCT& r = message.record;
    if (const auto index = FindKeyByScanCode(scan->code, scan->extended)) {
        r.vkCode = KeyTable()[*index].virtualKey;
    }
    r.scanCode = scan->code;
    r.flags = (scan->extended ? LLKHF_EXTENDED : 0) | (alt ? LLKHF_ALTDOWN : 0) | (key.down ? 0 : LLKHF_UP);
    r.time = key.time;
    return message;
}

void KeyMessageMaker::Reset()
{
    *this = KeyMessageMaker();
}

MouseMessageRecord MakeMouseMessage(const RawButton& button)
{
    MouseMessageRecord message;
    const bool down = button.down;
    switch (button.button) {
    case PointerButton::Left:
        message.wParam = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        break;
    case PointerButton::Right:
        message.wParam = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        break;
    case PointerButton::Middle:
        message.wParam = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
        break;
    case PointerButton::Back:
    case PointerButton::Forward:
        message.wParam = down ? WM_XBUTTONDOWN : WM_XBUTTONUP;
        message.record.mouseData = (button.button == PointerButton::Back ? XBUTTON1 : XBUTTON2) << 16;
        break;
    }
    message.record.pt = {button.x, button.y};
    message.record.time = button.time;
    return message;
}

bool IsLockKey(std::uint16_t evdevCode)
{
    return evdevCode == KEY_CAPSLOCK || evdevCode == KEY_NUMLOCK || evdevCode == KEY_SCROLLLOCK;
}

std::optional<HookKeyEvent> ReadKeyMessage(WPARAM wParam, LPARAM lParam)
{
    const auto* record = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (record == nullptr || record->scanCode > 0xFF) {
        return std::nullopt;
    }
    HookKeyEvent event;
    switch (wParam) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        event.down = true;
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        event.down = false;
        break;
    default:
        return std::nullopt;
    }
    event.scanCode = static_cast<std::uint8_t>(record->scanCode);
    event.extended = (record->flags & LLKHF_EXTENDED) != 0;
    event.time = record->time;
    return event;
}

std::optional<HookMouseEvent> ReadMouseMessage(WPARAM wParam, LPARAM lParam)
{
    const auto* record = reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(lParam);
    if (record == nullptr) {
        return std::nullopt;
    }
    constexpr std::pair<UINT, MouseMessage> kButtons[] = {
        {WM_LBUTTONDOWN, MouseMessage::LButtonDown}, {WM_LBUTTONUP, MouseMessage::LButtonUp},
        {WM_RBUTTONDOWN, MouseMessage::RButtonDown}, {WM_RBUTTONUP, MouseMessage::RButtonUp},
        {WM_MBUTTONDOWN, MouseMessage::MButtonDown}, {WM_MBUTTONUP, MouseMessage::MButtonUp},
        {WM_XBUTTONDOWN, MouseMessage::XButtonDown}, {WM_XBUTTONUP, MouseMessage::XButtonUp},
    };
    const auto found = std::find_if(std::begin(kButtons), std::end(kButtons),
                                    [&](const auto& b) { return b.first == wParam; });
    if (found == std::end(kButtons)) {
        return std::nullopt;
    }
    HookMouseEvent event;
    event.message = found->second;
    event.xButton = static_cast<int>(record->mouseData >> 16);
    event.point = record->pt;
    event.time = record->time;
    return event;
}

} // namespace orvel::input
