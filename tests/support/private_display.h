#pragma once
// An X server of the test's own (Xvfb on a display number it picks itself), so that a test that
// grabs the keyboard never touches the display of the person running it; xdotool runs against
// it; and a plain window on it that keeps the keys and buttons it receives. Xlib stays in the
// source file: its macros would clash with GoogleTest's names.

#include "tests/support/child_process.h"

#include <spawn.h>
#include <string>
#include <sys/types.h>
#include <vector>

struct _XDisplay;

namespace orvel::testing {

// Starts words[0] (looked up on PATH) with its descriptors arranged by actions; -1 when it
// cannot start.
pid_t SpawnProgram(const std::vector<std::string>& words, const EnvChanges& changes = {},
                   const posix_spawn_file_actions_t* actions = nullptr);

class PrivateDisplay {
public:
    PrivateDisplay();
    ~PrivateDisplay() { Stop(); }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool Running() const { return !name_.empty(); }
    const std::string& Name() const { return name_; }

    // Ends the server (a display going away while the program listens to it).
    void Stop();

    // Runs xdotool with these words against this display and waits for it; its exit code.
    int Xdotool(const std::vector<std::string>& words) const
    {
        return WaitFor(StartXdotool(words), std::chrono::seconds(30)).value_or(-1);
    }
    pid_t StartXdotool(std::vector<std::string> words) const;

private:
    pid_t server_ = -1;
    std::string name_;
};

// What a window of another program receives.
struct WindowInput {
    bool key = false;     // a key, else a mouse button
    bool press = false;   // a press, else a release
    unsigned detail = 0;  // keycode or button
    unsigned long time = 0;
};

// A mapped window that has the input focus, on a connection of its own.
class TargetWindow {
public:
    explicit TargetWindow(const std::string& display, int x = 0, int y = 0, int width = 400, int height = 300);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    bool Open() const { return display_ != nullptr; }
    unsigned long Id() const { return window_; }

    void Focus();
    void Unmap();
    // The keys and buttons received so far, waiting up to waitMs for more to arrive.
    std::vector<WindowInput> Take(int waitMs = 200);
    // Whether Caps Lock is locked on.
    bool CapsLocked();
    // The X keycode of a key symbol on this display.
    unsigned Keycode(const char* keysym);

private:
    _XDisplay* display_ = nullptr;
    unsigned long window_ = 0;
    std::vector<WindowInput> input_;
};

} // namespace orvel::testing
