// CPU time of the lighting in real time: the keyboard, mouse, mouse pad and headset running their
// effects, plus the synchronised lighting, all on the one light scheduler thread as the program
// runs them, for a number of seconds (60 by default). Prints the process's user + system time as
// a share of one core, and the scheduler's wake-ups per second.
//
//   lighting_cpu [seconds] [speed 0..4] [--sync | --static]
//
// With --sync every device follows the synchronised lighting (their own loops idle and the sync
// loop renders for all four); with --static every device shows a static colour.

#include "lighting/device_lighting.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/light_scheduler.h"
#include "lighting/sync_lighting.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <thread>

namespace {

using namespace orvel::lighting;

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

LightSettings Settings(int mode, int speed)
{
    LightSettings l;
    l.mode = mode;
    l.brightness = 4;
    l.speed = speed;
    l.direction = true;
    l.multicolor = true;
    l.colour = {200, 120, 40};
    return l;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int speed = argc > 2 ? std::atoi(argv[2]) : 2;
    const bool sync = argc > 3 && std::strcmp(argv[3], "--sync") == 0;
    const bool still = argc > 3 && std::strcmp(argv[3], "--static") == 0;

    KeyboardLighting keyboard;
    MouseLighting mouse;
    RingLighting pad(RingLighting::Kind::MousePad);
    RingLighting headset(RingLighting::Kind::Headset);
    keyboard.SetSettings(Settings(still ? 6 : 13, speed)); // static, or a reactive ripple over the matrix
    mouse.SetSettings(Settings(still ? 3 : 0, speed));     // static, or wave
    pad.SetSettings(Settings(still ? 3 : 6, speed));       // static, or comet
    headset.SetSettings(Settings(still ? 3 : 0, speed));   // static, or wave

    SyncLighting syncLighting;
    for (DeviceLighting* device : std::initializer_list<DeviceLighting*>{&keyboard, &mouse, &pad, &headset}) {
        device->SetLinkOpen(true);
        device->SetSync(sync);
    }
    syncLighting.AddDevice(keyboard.Leds(), keyboard.Flags());
    syncLighting.AddDevice(mouse.Leds(), mouse.Flags());
    syncLighting.AddDevice(pad.Leds(), pad.Flags());
    syncLighting.AddDevice(headset.Leds(), headset.Flags());
    SyncEffect effect;
    effect.code = kSyncBreathing;
    effect.settings = Settings(0, speed);
    syncLighting.Start(effect);

    const double cpuBefore = CpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    uint64_t wakeups = 0;
    {
        LightScheduler scheduler(std::make_shared<SteadyWaiter>());
        scheduler.Add(keyboard, KeyboardLighting::kTiming);
        scheduler.Add(mouse, mouse.Timing());
        scheduler.Add(pad, pad.Timing());
        scheduler.Add(headset, headset.Timing());
        scheduler.Add(syncLighting, SyncLighting::kTiming);
        scheduler.Start();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        scheduler.Stop();
        wakeups = scheduler.Wakeups();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("%s, speed %d: %.3f s CPU in %.1f s = %.3f %% of one core, %.1f wake-ups/s\n",
                sync ? "synchronised" : still ? "static colours" : "own effects", speed, cpu, wall, 100.0 * cpu / wall,
                double(wakeups) / wall);
    return 0;
}
