#pragma once
// Whether this session lets the program listen to the whole desktop: only an X11 session
// does. In a Wayland session X clients see no keys of other programs (even through XWayland),
// and without a display there is nothing to listen to.

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

} // namespace orvel::input
