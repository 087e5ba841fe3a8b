#include "input/hook/capture_choice.h"

#include "input/hook/window_capture.h"
#include "platform/debuglog.h"

#include <cstdlib>

namespace orvel::input {
namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

SessionEnvironment ReadSessionEnvironment()
{
    return {Variable("DISPLAY"), Variable("WAYLAND_DISPLAY"), Variable("XDG_SESSION_TYPE")};
}

std::string DesktopCaptureUnavailable(const SessionEnvironment& session)
{
    if (!session.waylandDisplay.empty() || session.sessionType == "wayland") {
        return "a Wayland session shows X programs no keys of other programs";
    }
    if (session.display.empty()) {
        return "there is no X display (DISPLAY is not set)";
    }
    return {};
}

std::unique_ptr<CaptureBackend> ChooseCaptureBackend(const SessionEnvironment& session, const DesktopOpener& openDesktop,
                                                     std::string* why)
{
    std::string reason = DesktopCaptureUnavailable(session);
    if (reason.empty()) {
        if (auto desktop = openDesktop(session.display, &reason)) {
            return desktop;
        }
    }
    debuglog::Write("input hook: only the program's own window can be listened to: " + reason);
    if (why != nullptr) {
        *why = reason;
    }
    return std::make_unique<WindowCapture>();
}

} // namespace orvel::input
