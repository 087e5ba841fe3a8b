// Holds the keyboard of the display named on the command line through the X11 source, says
// "H" on standard output, and crashes (abort) once nobody reads that output any more.

#include "input/hook/x11_capture.h"

#include <csignal>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace {

struct Sink final : orvel::input::CaptureSink {
    void OnKey(const orvel::input::RawKey&) override {}
    void OnButton(const orvel::input::RawButton&) override {}
    void OnLost() override {}
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    auto source = orvel::input::X11Capture::Open(argv[1]);
    Sink sink;
    if (!source || !source->Start({true, true, 0}, &sink)) {
        return 1;
    }
    if (::write(1, "H", 1) != 1) {
        return 1;
    }
    while (::write(1, "", 0) == 0 && ::write(1, ".", 1) == 1) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::abort();
}
