#include "tests/support/private_display.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orvel::testing {

pid_t SpawnProgram(const std::vector<std::string>& words, const EnvChanges& changes,
                   const posix_spawn_file_actions_t* actions)
{
    std::vector<char*> argv;
    for (const std::string& w : words) {
        argv.push_back(const_cast<char*>(w.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<std::string> envText = ChildEnvironment(changes);
    std::vector<char*> env;
    for (std::string& e : envText) {
        env.push_back(e.data());
    }
    env.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), env.data()) != 0) {
        return -1;
    }
    return pid;
}

PrivateDisplay::PrivateDisplay()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Xvfb writes the display number it took to descriptor 3.
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    server_ = SpawnProgram({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"}, {},
                           &actions);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string number;
    pollfd p {fds[0], POLLIN, 0};
    char c = 0;
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    ::close(fds[0]);
    if (!number.empty()) {
        name_ = ":" + number;
    }
}

void PrivateDisplay::Stop()
{
    testing::Stop(server_);
    server_ = -1;
}

pid_t PrivateDisplay::StartXdotool(std::vector<std::string> words) const
{
    words.insert(words.begin(), "xdotool");
    return SpawnProgram(words, {{"DISPLAY", name_}});
}

TargetWindow::TargetWindow(const std::string& display, int x, int y, int width, int height)
{
    display_ = XOpenDisplay(display.c_str());
    if (display_ == nullptr) {
        return;
    }
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, 0, 0);
    XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask);
    XMapWindow(display_, window_);
    XSync(display_, False);
    for (int i = 0; i < 100; ++i) {
        XWindowAttributes attributes;
        XGetWindowAttributes(display_, window_, &attributes);
        if (attributes.map_state == IsViewable) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    Focus();
}

TargetWindow::~TargetWindow()
{
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

void TargetWindow::Focus()
{
    XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
    XSync(display_, False);
}

void TargetWindow::Unmap()
{
    XUnmapWindow(display_, window_);
    XSync(display_, False);
}

std::vector<WindowInput> TargetWindow::Take(int waitMs)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == KeyPress || event.type == KeyRelease) {
                input_.push_back({true, event.type == KeyPress, event.xkey.keycode, event.xkey.time});
            } else if (event.type == ButtonPress || event.type == ButtonRelease) {
                input_.push_back({false, event.type == ButtonPress, event.xbutton.button, event.xbutton.time});
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            break;
        }
        pollfd p {ConnectionNumber(display_), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
    std::vector<WindowInput> taken;
    taken.swap(input_);
    return taken;
}

bool TargetWindow::CapsLocked()
{
    XkbStateRec state;
    XkbGetState(display_, XkbUseCoreKbd, &state);
    return (state.locked_mods & LockMask) != 0;
}

unsigned TargetWindow::Keycode(const char* keysym)
{
    return XKeysymToKeycode(display_, XStringToKeysym(keysym));
}

} // namespace orvel::testing
