// Measures the X11 input hook on an X server of its own (Xvfb), with xdotool as the user.
//
//   hook_measure delay [events]   records events (keys and clicks into another window, default
//                                 200) with pauses xdotool is told to take (20-300 ms) and prints
//                                 how far the recorded delays are from those pauses, and from the
//                                 display's own time stamps as the other window received them
//   hook_measure idle [seconds]   keeps a recording installed with nothing happening (default
//                                 60 s) and prints the process's CPU time as a share of one core

#include "input/hook/device_hook.h"
#include "input/hook/hook_messages.h"
#include "input/hook/x11_capture.h"
#include "tests/hook/recording_window.h"
#include "tests/support/private_display.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

using namespace orvel;
using namespace orvel::input;

using input::testing::RecordingWindow;

double CpuSeconds()
{
    rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void PumpFor(std::chrono::milliseconds span)
{
    const auto until = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < until) {
        PumpMessages(static_cast<int>(std::max<long long>(
            1, std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count())));
    }
}

struct Spread {
    double median = 0;
    double worst = 0;
    double mean = 0;
};

Spread SpreadOf(std::vector<double> errors)
{
    Spread s;
    if (errors.empty()) {
        return s;
    }
    std::vector<double> magnitudes;
    for (const double e : errors) {
        magnitudes.push_back(std::fabs(e));
        s.mean += e / double(errors.size());
    }
    std::sort(magnitudes.begin(), magnitudes.end());
    s.median = magnitudes[magnitudes.size() / 2];
    s.worst = magnitudes.back();
    return s;
}

int MeasureDelay(int events)
{
    orvel::testing::PrivateDisplay display;
    orvel::testing::TargetWindow target(display.Name());
    if (!display.Running() || !target.Open()) {
        std::fprintf(stderr, "hook_measure: Xvfb could not be started\n");
        return 1;
    }
    CDeviceHook hook(X11Capture::Open(display.Name()));
    RecordingWindow recorder;
    // Presses and releases of a key, then of the left button, and so on; the pause after each.
    std::mt19937 random(17);
    std::uniform_int_distribution<int> pause(20, 300);
    std::vector<int> told;
    std::vector<std::string> words {"mousemove", "40", "40", "sleep", "0.2"};
    for (int i = 0; i < events; ++i) {
        const bool down = i % 2 == 0;
        if ((i / 2) % 2 == 0) {
            words.insert(words.end(), {down ? "keydown" : "keyup", "--delay", "0", "a"});
        } else {
            words.emplace_back(down ? "mousedown" : "mouseup");
            words.emplace_back("1");
        }
        if (i + 1 < events) {
            told.push_back(pause(random));
            words.insert(words.end(), {"sleep", std::to_string(told.back() / 1000.0)});
        }
    }
    recorder.editor.StartRecording(TimeMode::Record, 0, HookTickCount());
    if (hook.Install(hookmode::kAppend, recorder.Handle(), true, true) != 1) {
        std::fprintf(stderr, "hook_measure: the keyboard could not be held\n");
        return 1;
    }
    const pid_t xdotool = display.StartXdotool(words);
    int status = 0;
    while (::waitpid(xdotool, &status, WNOHANG) == 0) {
        PumpMessages(5);
    }
    PumpFor(std::chrono::milliseconds(300));
    hook.Uninstall();
    const std::vector<MacroEvent> recorded = recorder.editor.CollectEvents();
    // The clicks reached the other window with the display's time stamps; its keys did not (they
    // were held), so only the button pairs can be compared with the display's own times.
    const std::vector<orvel::testing::WindowInput> seen = target.Take();
    if (recorded.size() != static_cast<size_t>(events)) {
        std::fprintf(stderr, "hook_measure: %zu of %d events recorded\n", recorded.size(), events);
        return 1;
    }
    std::vector<double> againstTold;
    for (size_t i = 0; i + 1 < recorded.size(); ++i) {
        againstTold.push_back(double(recorded[i].delay) - told[i]);
    }
    std::vector<double> againstDisplay;
    for (size_t b = 0, i = 2; b + 1 < seen.size() && i < recorded.size(); b += 2, i += 4) {
        againstDisplay.push_back(double(recorded[i].delay) - double(seen[b + 1].time - seen[b].time));
    }
    const Spread t = SpreadOf(againstTold);
    const Spread d = SpreadOf(againstDisplay);
    std::printf("%d events recorded in order\n", events);
    std::printf("recorded delay - pause told to xdotool: median %.1f ms, worst %.1f ms, mean %+.2f ms (%zu pauses)\n",
                t.median, t.worst, t.mean, againstTold.size());
    std::printf("recorded delay - display's time stamps at the other window: median %.1f ms, worst %.1f ms (%zu)\n",
                d.median, d.worst, againstDisplay.size());
    return 0;
}

int MeasureIdle(int seconds)
{
    orvel::testing::PrivateDisplay display;
    if (!display.Running()) {
        std::fprintf(stderr, "hook_measure: Xvfb could not be started\n");
        return 1;
    }
    CDeviceHook hook(X11Capture::Open(display.Name()));
    RecordingWindow recorder;
    recorder.editor.StartRecording(TimeMode::Record, 0, HookTickCount());
    if (hook.Install(hookmode::kAppend, recorder.Handle(), true, true) != 1) {
        std::fprintf(stderr, "hook_measure: the keyboard could not be held\n");
        return 1;
    }
    const double cpu = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    PumpFor(std::chrono::seconds(seconds));
    const double used = CpuSeconds() - cpu;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    hook.Uninstall();
    std::printf("recording installed, nothing happening, %.1f s: %.4f s CPU = %.4f %% of one core\n", wall, used,
                100.0 * used / wall);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string what = argc > 1 ? argv[1] : "";
    const int amount = argc > 2 ? std::atoi(argv[2]) : 0;
    if (what == "delay") {
        return MeasureDelay(amount > 1 ? amount : 200);
    }
    if (what == "idle") {
        return MeasureIdle(amount > 0 ? amount : 60);
    }
    std::fprintf(stderr, "usage: hook_measure delay [events] | idle [seconds]\n");
    return 2;
}
