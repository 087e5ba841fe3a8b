// Which sessions let the program listen to the whole desktop.

#include "input/hook/capture_choice.h"
#include "tests/hook/fake_capture.h"

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

// The source the program ends up with: the desktop only where the session allows it and the X
// display opens with raw events; otherwise its own window, with the reason.
TEST(CaptureChoice, FallsBackToTheProgramsOwnWindowWithItsReason)
{
    const struct {
        const char* what;
        SessionEnvironment session;
        bool displayOpens;
        bool tried;         // the display was opened
        CaptureScope scope;
        const char* reason; // part of the reason given
    } cases[] = {
        {"an X11 session", {":0", "", "x11"}, true, true, CaptureScope::Desktop, ""},
        {"an X server without XInput 2.1", {":0", "", "x11"}, false, true, CaptureScope::WindowOnly, "no XInput 2.1"},
        {"Wayland, with XWayland", {":0", "wayland-0", "wayland"}, true, false, CaptureScope::WindowOnly, "Wayland"},
        {"Wayland without XWayland", {"", "wayland-0", "wayland"}, true, false, CaptureScope::WindowOnly, "Wayland"},
        {"no display at all", {"", "", ""}, true, false, CaptureScope::WindowOnly, "no X display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::FakeCapture::Shared shared;
        std::vector<std::string> opened;
        const DesktopOpener open = [&](const std::string& display, std::string* why) -> std::unique_ptr<CaptureBackend> {
            opened.push_back(display);
            if (!c.displayOpens) {
                *why = "the X display has no XInput 2.1";
                return nullptr;
            }
            return std::make_unique<testing::FakeCapture>(shared);
        };
        std::string why;
        const std::unique_ptr<CaptureBackend> backend = ChooseCaptureBackend(c.session, open, &why);
        ASSERT_NE(backend, nullptr);
        EXPECT_EQ(backend->Scope(), c.scope);
        EXPECT_EQ(opened, c.tried ? std::vector<std::string>{c.session.display} : std::vector<std::string>{});
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
        EXPECT_EQ(why.empty(), c.scope == CaptureScope::Desktop) << why;
    }
}

} // namespace
} // namespace orvel::input
