#pragma once
// Whether this session lets the program listen to the whole desktop: only an X11 session
// does. In a Wayland session X clients see no keys of other programs (even through XWayland),
// and without a display there is nothing to listen to.

#include "input/hook/capture_backend.h"

#include <functional>
#include <memory>
#include <string>

namespace orvel::input {

struct SessionEnvironment {
    std::string display;        // DISPLAY
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string sessionType;    // XDG_SESSION_TYPE
};

SessionEnvironment ReadSessionEnvironment();

// Why the desktop cannot be listened to, for the debug log; empty when the X display named by
// display should be tried.
std::string DesktopCaptureUnavailable(const SessionEnvironment& session);

// Opens the desktop source of the session's X display (null, with why set, when the display
// cannot be opened or offers no XInput 2.1 raw events).
using DesktopOpener = std::function<std::unique_ptr<CaptureBackend>(const std::string& display, std::string* why)>;

// The desktop source where the session lets the program listen to the whole desktop and the
// display opens; otherwise the program's own window, with the reason in why (and the debug log).
std::unique_ptr<CaptureBackend> ChooseCaptureBackend(const SessionEnvironment& session, const DesktopOpener& openDesktop,
                                                     std::string* why = nullptr);

} // namespace orvel::input
