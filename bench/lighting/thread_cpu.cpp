// CPU time of the light threads in real time: the keyboard, mouse, mouse pad and headset threads
// running their effects, plus the sync thread, for a number of seconds (60 by default). Prints
// the process's user + system time as a share of one core.
//
//   lighting_cpu [seconds] [speed 0..4] [--sync | --static]
//
// With --sync every device follows the synchronised lighting (their own threads idle and the sync
// thread renders for all four); with --static every device shows a static colour.

#include "lighting/device_lighting.h"
#include "lighting/keyboard_lighting.h"
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
    {
        LightThread t1(keyboard, KeyboardLighting::kTiming, std::make_shared<SteadyWaiter>());
        LightThread t2(mouse, mouse.Timing(), std::make_shared<SteadyWaiter>());
        LightThread t3(pad, pad.Timing(), std::make_shared<SteadyWaiter>());
        LightThread t4(headset, headset.Timing(), std::make_shared<SteadyWaiter>());
        LightThread t5(syncLighting, SyncLighting::kTiming, std::make_shared<SteadyWaiter>());
        for (LightThread* t : {&t1, &t2, &t3, &t4, &t5}) t->Start();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("%s, speed %d: %.3f s CPU in %.1f s = %.3f %% of one core\n",
                sync ? "synchronised" : still ? "static colours" : "own effects", speed, cpu, wall, 100.0 * cpu / wall);
    return 0;
}
