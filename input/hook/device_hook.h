#pragma once
// The input hook of the main window. Install(mode, window, …) makes the capture source report
// every key and mouse button to window as the hook message of mode (hook_messages.h), sent on
// the thread that created the hook, with lParam pointing at the event's record
// (hook_records.h). While keys are captured the keyboard is held, so keys reach no other
// program; Caps Lock, Num Lock and Scroll Lock keep working.
//
// The keyboard is given back on every way out: Uninstall, the window events of OnWindowEvent,
// destruction, a handler that throws, and a UI thread that stops taking the events (after
// kStalledMs a key pressed meanwhile releases the keyboard from the source's thread).
//
// Use from one thread (the UI thread), which runs a message loop.

#include "input/hook/capture_backend.h"
#include "platform/winmsg.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace orvel::input {

// Window events that end key capture and recording.
enum class HookWindowEvent {
    EditFocusLost,  // the key edit lost the focus: ends key capture (mode 1) only
    Hidden,         // the window was hidden (to the tray) or closed
    Minimised,
    Deactivated,    // another window (a dialog of ours too) became active
    PageSwitched,   // another device page or function tab was shown
    DeviceSwitched, // another device was selected
    Detached,       // the device of the page went away
    Exiting,
};

class CDeviceHook {
public:
    // A hook without a backend can never be installed.
    explicit CDeviceHook(std::unique_ptr<CaptureBackend> backend);
    ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Replaces any earlier installation. useLocalHook: keys are reported (and held);
    // useHookLibrary: mouse buttons are reported. 1 on success; 0, with nothing installed, when
    // the keyboard cannot be held.
    int Install(int mode, HWND window, bool useLocalHook, bool useHookLibrary);
    // 1 when a key capture was removed, else 0.
    int Uninstall();

    bool Installed() const;
    int Mode() const;
    HWND Window() const;
    CaptureScope Scope() const;

    // WM_HOOK_CONTROL: wParam 1 installs mode 1 for window (keys and buttons), 0 uninstalls.
    LRESULT OnHookControl(HWND window, WPARAM wParam);

    // True when the event ended an installation.
    bool OnWindowEvent(HookWindowEvent event);

    // Input of the program's own window (Qt's native scan code is the X keycode, evdev + 8).
    // A window-only source reports it; the result tells whether the window must keep the key
    // from its controls (every key while keys are captured, except the three lock keys).
    bool OnWindowKey(std::uint32_t nativeKeycode, bool down);
    void OnWindowButton(PointerButton button, bool down, int x, int y);

    // The program's native window, to hold the keyboard on from the next Install: the display
    // then gives the keyboard back by itself when that window is unmapped.
    void SetNativeWindow(std::uint64_t window);

    // Called on the hook's thread when an installation ended without Uninstall: the source was
    // lost, or the UI thread stalled while keys were held.
    void SetEndedHandler(std::function<void()> ended);

    static constexpr DWORD kStalledMs = 2000;

private:
    class Relay;
    std::unique_ptr<Relay> relay_;
};

} // namespace orvel::input
