// Which sessions let the program listen to the whole desktop.

#include "input/hook/capture_choice.h"

#include <gtest/gtest.h>

namespace orvel::input {
namespace {

TEST(CaptureChoice, OnlyAnX11SessionIsListenedToDesktopWide)
{
    const struct {
        SessionEnvironment session;
        bool desktop;
    } cases[] = {
        {{":0", "", "x11"}, true},
        {{":0", "", ""}, true},
        {{":0", "wayland-0", "wayland"}, false}, // XWayland shows X programs no other keys
        {{":0", "wayland-0", ""}, false},
        {{":0", "", "wayland"}, false},
        {{"", "", "x11"}, false},
        {{"", "", ""}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.session.display + "|" + c.session.waylandDisplay + "|" + c.session.sessionType);
        const std::string why = DesktopCaptureUnavailable(c.session);
        EXPECT_EQ(why.empty(), c.desktop) << why;
    }
}

} // namespace
} // namespace orvel::input
