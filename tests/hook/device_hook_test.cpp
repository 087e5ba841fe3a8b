// The hook over a capture source the test drives: what it asks of the source, which messages
// reach the window, and every way an installation ends.

#include "input/hook/device_hook.h"
#include "input/hook/hook_messages.h"
#include "input/hook/window_capture.h"
#include "tests/hook/fake_capture.h"
#include "tests/hook/message_window.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace orvel::input {
namespace {

using testing::FakeCapture;
using testing::MessageWindow;

constexpr RawKey kKeyA {30, true, 100};
constexpr RawButton kLeftDown {PointerButton::Left, true, 12, 34, 110};

class HookOverFakeSource : public ::testing::Test {
protected:
    void Pump() { PumpMessages(0); }

    FakeCapture::Shared source;
    CDeviceHook hook {std::make_unique<FakeCapture>(source)};
    MessageWindow window;
    const HookMessages& names = RegisterHookMessages();
};

TEST_F(HookOverFakeSource, RecordingSendsKeysAndButtonsWithTheModesMessages)
{
    ASSERT_EQ(hook.Install(hookmode::kBefore, window.Handle(), true, true), 1);
    ASSERT_EQ(source.starts.size(), 1u);
    EXPECT_TRUE(source.starts[0].keys);
    EXPECT_TRUE(source.starts[0].buttons);
    EXPECT_TRUE(hook.Installed());
    EXPECT_EQ(hook.Mode(), hookmode::kBefore);
    EXPECT_EQ(hook.Window(), window.Handle());

    testing::Report(source, kKeyA);
    testing::Report(source, kLeftDown);
    EXPECT_TRUE(window.received.empty()) << "messages go out on the hook's thread, from its loop";
    Pump();
    ASSERT_EQ(window.received.size(), 2u);
    EXPECT_EQ(window.received[0].message, names.keyKbMacroPrevious);
    EXPECT_EQ(window.received[0].wParam, WM_KEYDOWN);
    EXPECT_EQ(window.received[0].key.scanCode, 0x1Eu);
    EXPECT_EQ(window.received[0].key.time, 100u);
    EXPECT_EQ(window.received[1].message, names.keyMsMacroPrevious);
    EXPECT_EQ(window.received[1].wParam, WM_LBUTTONDOWN);
    EXPECT_EQ(window.received[1].mouse.pt.x, 12);
    EXPECT_EQ(window.received[1].mouse.pt.y, 34);

    EXPECT_EQ(hook.Uninstall(), 1);
    EXPECT_EQ(source.stops, 1);
    EXPECT_FALSE(hook.Installed());
    EXPECT_EQ(hook.Uninstall(), 0);
}

TEST_F(HookOverFakeSource, KeyCaptureReportsKeysOnly)
{
    ASSERT_EQ(hook.OnHookControl(window.Handle(), 1), 1);
    EXPECT_EQ(hook.Mode(), hookmode::kSingleKey);
    testing::Report(source, kKeyA);
    testing::Report(source, kLeftDown);
    Pump();
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].message, names.keySingleKey);
    EXPECT_EQ(hook.OnHookControl(window.Handle(), 0), 1);
    EXPECT_FALSE(hook.Installed());
}

TEST_F(HookOverFakeSource, WithoutTheLocalHookNoKeyIsHeldOrReported)
{
    ASSERT_EQ(hook.Install(hookmode::kAppend, window.Handle(), false, true), 1);
    EXPECT_FALSE(source.starts.at(0).keys);
    testing::Report(source, kKeyA);
    testing::Report(source, kLeftDown);
    Pump();
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].message, names.keyMsMacro);
    EXPECT_EQ(hook.Uninstall(), 0) << "no key capture was removed";
}

TEST_F(HookOverFakeSource, AKeyboardThatCannotBeHeldInstallsNothing)
{
    source.refuseKeys = true;
    EXPECT_EQ(hook.Install(hookmode::kAppend, window.Handle(), true, true), 0);
    EXPECT_FALSE(hook.Installed());
    EXPECT_TRUE(source.starts.empty()) << "the buttons were not started without the keys";
}

TEST_F(HookOverFakeSource, InstallingAgainReplacesModeAndWindow)
{
    MessageWindow other;
    ASSERT_EQ(hook.Install(hookmode::kSingleKey, window.Handle(), true, true), 1);
    testing::Report(source, kKeyA);
    ASSERT_EQ(hook.Install(hookmode::kAfter, other.Handle(), true, true), 1);
    testing::Report(source, RawKey {30, false, 120});
    Pump();
    EXPECT_TRUE(window.received.empty()) << "input of the first installation is dropped";
    ASSERT_EQ(other.received.size(), 1u);
    EXPECT_EQ(other.received[0].message, names.keyKbMacroLater);
    EXPECT_EQ(other.received[0].wParam, WM_KEYUP);
    EXPECT_EQ(source.stops, 1);
    EXPECT_EQ(source.starts.size(), 2u);
}

TEST_F(HookOverFakeSource, InputQueuedBeforeAnUninstallIsNotDelivered)
{
    ASSERT_EQ(hook.Install(hookmode::kAppend, window.Handle(), true, true), 1);
    testing::Report(source, kKeyA);
    hook.Uninstall();
    Pump();
    EXPECT_TRUE(window.received.empty());
}

TEST_F(HookOverFakeSource, AHandlerThatUninstallsStopsTheRestOfTheQueue)
{
    ASSERT_EQ(hook.Install(hookmode::kAppend, window.Handle(), true, true), 1);
    window.onMessage = [&](const testing::ReceivedMessage&) { hook.Uninstall(); };
    testing::Report(source, kKeyA);
    testing::Report(source, RawKey {30, false, 150});
    Pump();
    EXPECT_EQ(window.received.size(), 1u);
}

TEST_F(HookOverFakeSource, WindowEventsEndCaptureAndRecording)
{
    const struct {
        HookWindowEvent event;
        int mode;
        bool ends;
    } cases[] = {
        {HookWindowEvent::EditFocusLost, hookmode::kSingleKey, true},
        {HookWindowEvent::EditFocusLost, hookmode::kAppend, false},
        {HookWindowEvent::Hidden, hookmode::kSingleKey, true},
        {HookWindowEvent::Hidden, hookmode::kAppend, true},
        {HookWindowEvent::Minimised, hookmode::kReplace, true},
        {HookWindowEvent::Deactivated, hookmode::kSingleKey, true},
        {HookWindowEvent::Deactivated, hookmode::kBefore, true},
        {HookWindowEvent::PageSwitched, hookmode::kAppend, true},
        {HookWindowEvent::DeviceSwitched, hookmode::kSingleKey, true},
        {HookWindowEvent::Detached, hookmode::kAfter, true},
        {HookWindowEvent::Exiting, hookmode::kAppend, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.event) * 100 + c.mode);
        ASSERT_EQ(hook.Install(c.mode, window.Handle(), true, true), 1);
        const int stops = source.stops;
        EXPECT_EQ(hook.OnWindowEvent(c.event), c.ends);
        EXPECT_EQ(hook.Installed(), !c.ends);
        EXPECT_EQ(source.stops, stops + (c.ends ? 1 : 0));
        hook.Uninstall();
        EXPECT_FALSE(hook.OnWindowEvent(c.event)) << "nothing to end";
    }
}

TEST_F(HookOverFakeSource, AHandlerThatThrowsLeavesNoKeyboardHeld)
{
    ASSERT_EQ(hook.Install(hookmode::kAppend, window.Handle(), true, true), 1);
    window.onMessage = [](const testing::ReceivedMessage&) { throw std::runtime_error("recording failed"); };
    testing::Report(source, kKeyA);
    EXPECT_THROW(Pump(), std::runtime_error);
    EXPECT_FALSE(hook.Installed());
    EXPECT_EQ(source.stops, 1);
}

TEST_F(HookOverFakeSource, ALostSourceEndsTheInstallationAndSaysSo)
{
    int ended = 0;
    hook.SetEndedHandler([&] { ++ended; });
    ASSERT_EQ(hook.Install(hookmode::kAppend, window.Handle(), true, true), 1);
    testing::ReportLost(source);
    Pump();
    EXPECT_FALSE(hook.Installed());
    EXPECT_EQ(ended, 1);
}

TEST_F(HookOverFakeSource, AStalledUiThreadGetsTheKeyboardTakenBack)
{
    int ended = 0;
    hook.SetEndedHandler([&] { ++ended; });
    ASSERT_EQ(hook.Install(hookmode::kAppend, window.Handle(), true, true), 1);
    // The source's thread reports while this (UI) thread takes nothing.
    std::thread([&] {
        testing::Report(source, kKeyA);
        std::this_thread::sleep_for(std::chrono::milliseconds(CDeviceHook::kStalledMs / 2));
        testing::Report(source, RawKey {30, false, 1100});
    }).join();
    EXPECT_EQ(source.releases, 0) << "a short wait is not a stall";
    std::thread([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(CDeviceHook::kStalledMs / 2 + 200));
        testing::Report(source, RawKey {48, true, 3500});
    }).join();
    EXPECT_EQ(source.releases, 1);
    Pump();
    EXPECT_EQ(window.received.size(), 3u) << "what was typed is still delivered";
    EXPECT_FALSE(hook.Installed());
    EXPECT_EQ(ended, 1);
}

TEST_F(HookOverFakeSource, TheHookUninstallsWhenItGoes)
{
    FakeCapture::Shared own;
    auto scoped = std::make_unique<CDeviceHook>(std::make_unique<FakeCapture>(own));
    ASSERT_EQ(scoped->Install(hookmode::kAppend, window.Handle(), true, true), 1);
    scoped.reset();
    EXPECT_EQ(own.stops, 1);
    CDeviceHook none(nullptr);
    EXPECT_EQ(none.Install(hookmode::kAppend, window.Handle(), true, true), 0);
    EXPECT_EQ(none.Scope(), CaptureScope::WindowOnly);
}

TEST(HookOverTheWindow, TheWindowsOwnKeysAndButtonsGiveTheSameMessages)
{
    const HookMessages& names = RegisterHookMessages();
    CDeviceHook hook(std::make_unique<WindowCapture>());
    MessageWindow window;
    EXPECT_EQ(hook.Scope(), CaptureScope::WindowOnly);
    EXPECT_FALSE(hook.OnWindowKey(38, true)) << "nothing is taken while the hook is not installed";

    ASSERT_EQ(hook.Install(hookmode::kAppend, window.Handle(), true, true), 1);
    EXPECT_TRUE(hook.OnWindowKey(38, true)) << "A (X keycode 38) is kept from the window's controls";
    EXPECT_FALSE(hook.OnWindowKey(66, true)) << "Caps Lock still reaches the window";
    EXPECT_FALSE(hook.OnWindowKey(3, true)) << "not a keycode";
    hook.OnWindowButton(PointerButton::Right, false, 5, 6);
    PumpMessages(0);
    ASSERT_EQ(window.received.size(), 3u);
    EXPECT_EQ(window.received[0].message, names.keyKbMacro);
    EXPECT_EQ(window.received[0].key.scanCode, 0x1Eu);
    EXPECT_EQ(window.received[1].key.scanCode, 0x3Au);
    EXPECT_EQ(window.received[2].message, names.keyMsMacro);
    EXPECT_EQ(window.received[2].wParam, WM_RBUTTONUP);
    EXPECT_EQ(window.received[2].mouse.pt.x, 5);

    ASSERT_EQ(hook.OnHookControl(window.Handle(), 1), 1);
    hook.OnWindowButton(PointerButton::Left, true, 0, 0);
    EXPECT_TRUE(hook.OnWindowKey(38, false));
    PumpMessages(0);
    ASSERT_EQ(window.received.size(), 4u) << "key capture takes no buttons";
    EXPECT_EQ(window.received[3].message, names.keySingleKey);
    hook.Uninstall();
    EXPECT_FALSE(hook.OnWindowKey(38, true));
}

} // namespace
} // namespace orvel::input
