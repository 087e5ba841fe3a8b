#include "input/hook/capture_choice.h"

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

} // namespace orvel::input
