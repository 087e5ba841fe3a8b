// The hook over the X11 source on an X server of the test's own, with xdotool typing and
// clicking into another program's window while a macro is recorded: the rows, their order and
// delays in each time mode, the keyboard kept from that window and given back on every way
// out, the lock keys, and the stop-button click.

#include "input/hook/device_hook.h"
#include "input/hook/hook_messages.h"
#include "input/hook/x11_capture.h"
#include "input/key_tables.h"
#include "tests/hook/recording_window.h"
#include "tests/support/private_display.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>

#include <filesystem>
#include <stdexcept>

namespace orvel::input {
namespace {

using orvel::testing::PrivateDisplay;
using orvel::testing::TargetWindow;
using orvel::testing::WindowInput;

using testing::RecordingWindow;

std::string Describe(const std::vector<MacroEvent>& events)
{
    std::string text;
    for (const MacroEvent& e : events) {
        text += (e.down ? " down " : " up ") + std::to_string(e.type) + "/" + std::to_string(e.button) + " then " +
                std::to_string(e.delay) + ";";
    }
    return text;
}

class X11Recording : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Other sessions' variables must not turn the source away from the test's own display.
        temp.setEnv("WAYLAND_DISPLAY", "");
        temp.setEnv("XDG_SESSION_TYPE", "x11");
        ASSERT_TRUE(display.Running()) << "Xvfb could not be started";
        ASSERT_TRUE(target.Open());
        std::string why;
        auto source = X11Capture::Open(display.Name(), &why);
        ASSERT_NE(source, nullptr) << why;
        x11 = source.get();
        hook = std::make_unique<CDeviceHook>(std::move(source));
        ASSERT_EQ(hook->Scope(), CaptureScope::Desktop);
    }

    // Runs xdotool while this thread takes the hook's messages, as the UI thread does.
    void RunWhilePumping(const std::vector<std::string>& words)
    {
        const pid_t xdotool = display.StartXdotool(words);
        ASSERT_GT(xdotool, 0);
        int status = 0;
        while (::waitpid(xdotool, &status, WNOHANG) == 0) {
            PumpMessages(5);
        }
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (std::chrono::steady_clock::now() < until) {
            PumpMessages(10);
        }
    }

    // Keys of the target window only (buttons reach it whatever the hook does).
    std::vector<unsigned> KeysReceived(int waitMs = 300)
    {
        std::vector<unsigned> keys;
        for (const WindowInput& input : target.Take(waitMs)) {
            if (input.key && input.press) {
                keys.push_back(input.detail);
            }
        }
        return keys;
    }

    bool TargetTakesKeysAgain()
    {
        EXPECT_EQ(display.Xdotool({"key", "--delay", "0", "c"}), 0);
        return KeysReceived() == std::vector<unsigned> {target.Keycode("c")};
    }

    orvel::testing::TempFolder temp;
    PrivateDisplay display;
    TargetWindow target {display.Name()};
    X11Capture* x11 = nullptr;
    std::unique_ptr<CDeviceHook> hook;
    RecordingWindow recorder;
};

// a down, 150 ms, a up, 250 ms, left down, 100 ms, left up, 200 ms, b down, 50 ms, b up; the
// pointer over the target window. (xdotool presses a modifier key together with its left twin,
// so modifiers are left to the core tests.)
const std::vector<std::string> kSequence = {
    "mousemove", "50", "50", "sleep", "0.1",
    "keydown", "--delay", "0", "a", "sleep", "0.15", "keyup", "--delay", "0", "a", "sleep", "0.25",
    "mousedown", "1", "sleep", "0.1", "mouseup", "1", "sleep", "0.2",
    "keydown", "--delay", "0", "b", "sleep", "0.05", "keyup", "--delay", "0", "b"};
const std::vector<MacroEvent> kRecorded = {
    {true, eventtype::kKey, 0x04, 150},         {false, eventtype::kKey, 0x04, 250},
    {true, eventtype::kMouseButton, 1, 100},    {false, eventtype::kMouseButton, 1, 200},
    {true, eventtype::kKey, 0x05, 50},          {false, eventtype::kKey, 0x05, 0},
};

TEST_F(X11Recording, KeysAndClicksIntoAnotherWindowAreRecordedInEachTimeMode)
{
    const struct {
        TimeMode mode;
        const char* name;
    } modes[] = {{TimeMode::Record, "record"}, {TimeMode::Constant, "constant"}, {TimeMode::Ignore, "ignore"}};
    for (const auto& m : modes) {
        SCOPED_TRACE(m.name);
        recorder.editor.SetEvents({});
        recorder.editor.StartRecording(m.mode, 40, HookTickCount());
        ASSERT_EQ(hook->Install(hookmode::kAppend, recorder.Handle(), true, true), 1);
        EXPECT_TRUE(x11->KeyboardHeld());
        RunWhilePumping(kSequence);

        const std::vector<WindowInput> seen = target.Take();
        for (const WindowInput& input : seen) {
            EXPECT_FALSE(input.key) << "a key reached the other window while recording: " << input.detail;
        }
        EXPECT_EQ(seen.size(), 2u) << "the clicks still reach the window under the pointer";

        EXPECT_EQ(hook->Uninstall(), 1);
        recorder.editor.StopRecording();
        EXPECT_FALSE(x11->KeyboardHeld());
        const std::vector<MacroEvent> events = recorder.editor.CollectEvents();
        ASSERT_EQ(events.size(), kRecorded.size()) << Describe(events);
        for (size_t i = 0; i < events.size(); ++i) {
            SCOPED_TRACE(i);
            MacroEvent expected = kRecorded[i];
            const int told = expected.delay;
            expected.delay = events[i].delay;
            EXPECT_EQ(events[i], expected);
            switch (m.mode) {
            case TimeMode::Record:
                // The display stamps each event when xdotool sends it, after its sleep; a
                // loaded machine can only make xdotool later, never earlier.
                EXPECT_GE(events[i].delay, told - 5);
                EXPECT_LE(events[i].delay, told + 80);
                break;
            case TimeMode::Constant:
                EXPECT_EQ(events[i].delay, 40);
                break;
            case TimeMode::Ignore:
                EXPECT_EQ(events[i].delay, 0);
                break;
            }
        }
        EXPECT_TRUE(TargetTakesKeysAgain()) << "the keyboard is given back";
    }
}

TEST_F(X11Recording, CapsLockStillLocksWhileTheKeyboardIsHeld)
{
    ASSERT_EQ(hook->OnHookControl(recorder.Handle(), 1), 1);
    const bool before = target.CapsLocked();
    RunWhilePumping({"key", "--delay", "0", "Caps_Lock"});
    EXPECT_NE(target.CapsLocked(), before);
    EXPECT_TRUE(KeysReceived().empty());
    EXPECT_EQ(recorder.keyCaptures, 2) << "the key edit hears the press and the release";
    RunWhilePumping({"key", "--delay", "0", "Caps_Lock"});
    EXPECT_EQ(target.CapsLocked(), before);
    EXPECT_EQ(hook->OnHookControl(recorder.Handle(), 0), 1);
    EXPECT_TRUE(TargetTakesKeysAgain());
}

TEST_F(X11Recording, TheClickOnTheStopButtonIsNotRecorded)
{
    recorder.stopButton = ScreenRect {600, 500, 700, 540};
    recorder.editor.StartRecording(TimeMode::Ignore, 0, HookTickCount());
    ASSERT_EQ(hook->Install(hookmode::kAppend, recorder.Handle(), false, true), 1);
    EXPECT_FALSE(x11->KeyboardHeld()) << "buttons only: the keyboard is not taken";
    RunWhilePumping({"mousemove", "650", "520", "click", "1", "click", "3", "mousemove", "50", "50", "click", "1"});
    hook->Uninstall();
    std::vector<std::pair<bool, std::uint8_t>> rows;
    for (const MacroRow& row : recorder.editor.Rows()) {
        rows.emplace_back(row.event.down, row.event.button);
    }
    EXPECT_EQ(rows, (std::vector<std::pair<bool, std::uint8_t>> {{true, 2}, {false, 2}, {true, 1}, {false, 1}}));
}

TEST_F(X11Recording, WindowEventsAndAThrowingHandlerGiveTheKeyboardBack)
{
    ASSERT_EQ(hook->Install(hookmode::kAppend, recorder.Handle(), true, true), 1);
    EXPECT_EQ(display.Xdotool({"key", "--delay", "0", "x"}), 0);
    EXPECT_TRUE(KeysReceived().empty());
    EXPECT_TRUE(hook->OnWindowEvent(HookWindowEvent::Deactivated));
    EXPECT_TRUE(TargetTakesKeysAgain());

    struct Throwing final : IMessageHandler {
        LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM) override { throw std::runtime_error("recording failed"); }
    } throwing;
    const HWND window = CreateWindowHandle(&throwing);
    ASSERT_EQ(hook->Install(hookmode::kAppend, window, true, true), 1);
    const pid_t xdotool = display.StartXdotool({"key", "--delay", "0", "x"});
    bool thrown = false;
    for (int i = 0; i < 200 && !thrown; ++i) {
        try {
            PumpMessages(10);
        } catch (const std::runtime_error&) {
            thrown = true;
        }
    }
    orvel::testing::WaitFor(xdotool, std::chrono::seconds(30));
    DestroyWindowHandle(window);
    EXPECT_TRUE(thrown);
    EXPECT_FALSE(hook->Installed());
    EXPECT_FALSE(x11->KeyboardHeld());
    EXPECT_TRUE(TargetTakesKeysAgain());
}

TEST_F(X11Recording, UnmappingTheProgramsWindowEndsCapture)
{
    TargetWindow own(display.Name(), 500, 400, 200, 100);
    int ended = 0;
    hook->SetEndedHandler([&] { ++ended; });
    hook->SetNativeWindow(own.Id());
    ASSERT_EQ(hook->OnHookControl(recorder.Handle(), 1), 1);
    target.Focus();
    EXPECT_EQ(display.Xdotool({"key", "--delay", "0", "x"}), 0);
    EXPECT_TRUE(KeysReceived().empty());
    own.Unmap();
    for (int i = 0; i < 50 && ended == 0; ++i) {
        PumpMessages(10);
    }
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(hook->Installed());
    EXPECT_TRUE(TargetTakesKeysAgain());
    EXPECT_EQ(hook->OnHookControl(recorder.Handle(), 1), 0) << "a hidden window cannot take the keyboard";
}

// No other connection to this display may be open: Xlib ends the process when one of those loses
// its display.
TEST(X11Source, ADisplayThatGoesAwayEndsCaptureNotTheProgram)
{
    PrivateDisplay display;
    ASSERT_TRUE(display.Running());
    CDeviceHook hook(X11Capture::Open(display.Name()));
    RecordingWindow recorder;
    int ended = 0;
    hook.SetEndedHandler([&] { ++ended; });
    ASSERT_EQ(hook.Install(hookmode::kAppend, recorder.Handle(), true, true), 1);
    display.Stop();
    for (int i = 0; i < 200 && ended == 0; ++i) {
        PumpMessages(10);
    }
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(hook.Installed());
    EXPECT_EQ(hook.Install(hookmode::kAppend, recorder.Handle(), true, true), 0);
}

TEST_F(X11Recording, AProgramThatDiesHoldingTheKeyboardLeavesItFree)
{
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    const std::string helper = orvel::testing::ProgramBeside("hook_grab_and_crash").string();
    const pid_t pid = orvel::testing::SpawnProgram({helper, display.Name()}, {}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    ASSERT_GT(pid, 0);
    char ready = 0;
    ASSERT_EQ(::read(fds[0], &ready, 1), 1);
    EXPECT_EQ(ready, 'H') << "the helper holds the keyboard";
    EXPECT_EQ(display.Xdotool({"key", "--delay", "0", "x"}), 0);
    EXPECT_TRUE(KeysReceived().empty());
    ::close(fds[0]); // the helper crashes once its pipe closes
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(TargetTakesKeysAgain());
}

TEST(CaptureSource, WithoutADisplayTheProgramsOwnWindowIsListenedTo)
{
    orvel::testing::TempFolder temp;
    temp.setEnv("DISPLAY", "");
    temp.setEnv("WAYLAND_DISPLAY", "");
    temp.setEnv("XDG_SESSION_TYPE", "");
    std::string why;
    EXPECT_EQ(OpenCaptureBackend(&why)->Scope(), CaptureScope::WindowOnly);
    EXPECT_NE(why.find("no X display"), std::string::npos) << why;

    temp.setEnv("DISPLAY", ":9999");
    EXPECT_EQ(OpenCaptureBackend(&why)->Scope(), CaptureScope::WindowOnly);
    EXPECT_NE(why.find("cannot be opened"), std::string::npos) << why;

    PrivateDisplay display;
    ASSERT_TRUE(display.Running());
    temp.setEnv("DISPLAY", display.Name());
    EXPECT_EQ(OpenCaptureBackend(&why)->Scope(), CaptureScope::Desktop);
    temp.setEnv("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(OpenCaptureBackend(&why)->Scope(), CaptureScope::WindowOnly);
}

} // namespace
} // namespace orvel::input
