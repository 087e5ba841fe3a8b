#pragma once
// The desktop capture source of an X11 session: XInput 2 raw key and button events selected on
// the root window (delivered whatever window has the focus, and during grabs), the pointer
// position at each button event, and the keyboard grabbed while keys are captured, so other
// programs receive none. The display's own lock handling keeps Caps Lock, Num Lock and Scroll
// Lock working while the keyboard is grabbed.
//
// The source has its own connection to the display and its own thread, which sleeps in poll()
// while nothing happens. Every Xlib call is made on that thread.

#include "input/hook/capture_backend.h"

#include <memory>
#include <string>

namespace orvel::input {

class X11Capture final : public CaptureBackend {
public:
    // Nothing when the display cannot be opened or lacks XInput 2.2; why then says which.
    static std::unique_ptr<X11Capture> Open(const std::string& displayName, std::string* why = nullptr);
    ~X11Capture() override;

    CaptureScope Scope() const override { return CaptureScope::Desktop; }
    bool Start(const CaptureRequest& request, CaptureSink* sink) override;
    void Stop() override;
    void ReleaseKeyboard() override;

    // Whether the keyboard is grabbed now (for tests and the debug log).
    bool KeyboardHeld() const;

    class Connection;

private:
    explicit X11Capture(std::unique_ptr<Connection> connection);
    std::unique_ptr<Connection> connection_;
};

// The source for this session: the X11 source where the desktop can be listened to, else one
// that takes the program's own window's input. why tells the debug log the reason for the
// second.
std::unique_ptr<CaptureBackend> OpenCaptureBackend(std::string* why = nullptr);

} // namespace orvel::input
