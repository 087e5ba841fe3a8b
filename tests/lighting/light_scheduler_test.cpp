#include "lighting/light_scheduler.h"

#include "lighting/device_lighting.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/sync_lighting.h"
#include "lighting/tables.h"
#include "tests/lighting/loop_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace orvel::lighting;
using orvel::lighting::testing::Entries;
using orvel::lighting::testing::RecordingSource;
using orvel::lighting::testing::RenderEveryFrame;

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

// The program's lighting: four devices and the synchronised lighting that writes them.
struct Rig {
    KeyboardLighting keyboard;
    MouseLighting mouse;
    RingLighting pad{RingLighting::Kind::MousePad};
    RingLighting headset{RingLighting::Kind::Headset};
    SyncLighting sync;

    Rig()
    {
        for (DeviceLighting* d : Devices()) {
            d->SetLinkOpen(true);
            sync.AddDevice(d->Leds(), d->Flags());
        }
    }
    std::array<DeviceLighting*, 4> Devices() { return {&keyboard, &mouse, &pad, &headset}; }
    std::array<std::pair<LightSource*, LoopTiming>, 5> Sources()
    {
        return {{{&keyboard, KeyboardLighting::kTiming},
                 {&mouse, mouse.Timing()},
                 {&pad, pad.Timing()},
                 {&headset, headset.Timing()},
                 {&sync, SyncLighting::kTiming}}};
    }
};

using Script = std::function<void(Rig&, uint64_t)>;

// A waiter the test steps by hand: it only notes that the scheduler was woken.
class WakeFlag : public Waiter {
public:
    bool woken = false;
    uint64_t NowMs() override { return 0; }
    bool WaitUntil(uint64_t) override { return true; }
    void Wake() override { woken = true; }
    void Stop() override {}
    bool Stopped() override { return false; }
};

// The frames a reference device showed, each with the millisecond it appeared.
struct Shown {
    std::vector<std::pair<uint64_t, std::vector<uint32_t>>> frames;
    size_t index = 0; // the frame the scheduled device shows
};

// Runs the rig twice: every source as a loop passed each millisecond (the reference), and all on
// one scheduler, run when it asks to be or when a change wakes it, as its thread would be. Each
// source is added at its time of addAtMs (keyboard, mouse, pad, headset, sync). Every device must
// show the reference's frames in their order, none left out, each no more than maxLateMs after
// the reference shows it. Counts the scheduler's wake-ups.
void ExpectReferenceFramesAtMostLate(uint32_t maxLateMs, uint64_t endMs, const Script& script, uint64_t* wakeups,
                                     std::array<uint64_t, 5> addAtMs = {0, 3, 7, 12, 1})
{
    Rig reference;
    Rig scheduled;
    std::vector<std::unique_ptr<RenderEveryFrame>> everyFrame;
    std::vector<std::unique_ptr<LightLoop>> referenceLoops;
    auto waiter = std::make_shared<WakeFlag>();
    LightScheduler scheduler(waiter, maxLateMs);
    std::array<Shown, 4> shown;
    uint64_t wakeAt = UINT64_MAX;
    *wakeups = 0;
    for (uint64_t t = 0; t <= endMs; ++t) {
        script(reference, t);
        script(scheduled, t);
        for (size_t i = 0; i < addAtMs.size(); ++i) {
            if (addAtMs[i] == t) {
                const auto [source, timing] = reference.Sources()[i];
                everyFrame.push_back(std::make_unique<RenderEveryFrame>(*source));
                referenceLoops.push_back(std::make_unique<LightLoop>(*everyFrame.back(), timing));
                scheduler.Add(*scheduled.Sources()[i].first, scheduled.Sources()[i].second);
            }
        }
        for (const auto& loop : referenceLoops) loop->Pass(t);
        if (waiter->woken || t >= wakeAt) {
            waiter->woken = false;
            wakeAt = scheduler.RunDue(t);
            ++*wakeups;
        }
        for (size_t d = 0; d < shown.size(); ++d) {
            Shown& s = shown[d];
            auto expected = Entries(reference.Devices()[d]->Leds());
            if (s.frames.empty() || s.frames.back().second != expected) {
                s.frames.emplace_back(t, std::move(expected));
            }
            const auto actual = Entries(scheduled.Devices()[d]->Leds());
            if (actual != s.frames[s.index].second) {
                ASSERT_LT(s.index + 1, s.frames.size()) << "device " << d << " shows a frame ahead at " << t;
                ASSERT_EQ(actual, s.frames[s.index + 1].second) << "device " << d << " lost a frame at " << t;
                ++s.index;
            }
            if (s.index + 1 < s.frames.size()) {
                ASSERT_LE(t - s.frames[s.index + 1].first, maxLateMs) << "device " << d << " late at " << t;
            }
        }
    }
    for (const Shown& s : shown) {
        EXPECT_GT(s.frames.size(), 1u); // every device was lit and changed
    }
}

// Each device's own effect, as the user picked it.
Script OwnEffects(int keyboardMode, int mouseMode, int padMode, int headsetMode, int speed)
{
    return [=](Rig& rig, uint64_t t) {
        if (t == 0) {
            rig.keyboard.SetSettings(Settings(keyboardMode, speed));
            rig.mouse.SetSettings(Settings(mouseMode, speed));
            rig.pad.SetSettings(Settings(padMode, speed));
            rig.headset.SetSettings(Settings(headsetMode, speed));
        }
    };
}

TEST(LightScheduler, EveryDeviceShowsTheFramesOfAPerMillisecondLoopAtMostALittleLate)
{
    struct Case {
        const char* what;
        Script script;
    };
    const Case cases[] = {
        {"ripple, waves and comet, speed 0", OwnEffects(13, 0, 6, 0, 0)},
        {"ripple, waves and comet, speed 2", OwnEffects(13, 0, 6, 0, 2)},
        {"ripple, waves and comet, speed 4", OwnEffects(13, 0, 6, 0, 4)},
        {"blink, spectrum, breathing, mirrored comet", OwnEffects(23, 1, 2, 7, 4)},
        {"effect lists and per-LED effects",
         [](Rig& rig, uint64_t t) {
             if (t != 0) return;
             OwnEffects(0, 10, 9, 3, 3)(rig, t); // the keyboard, mouse and pad play their effect lists
             std::vector<EffectStep> steps(3);
             steps[0] = {4, 4, 3, true, true, {}, 700, 0};  // wave
             steps[1] = {2, 4, 4, false, false, {9, 8, 7}, 1500, 0}; // blink
             steps[2] = {5, 3, 2, true, true, {}, 400, 0};  // spectrum
             rig.keyboard.LoadEffects(steps, t);
             rig.mouse.LoadEffects(steps, t);
             rig.pad.LoadEffects(steps, t);
             std::vector<LedEffect> list(13);
             list[0] = {2, 4, 4, false, true, {}, true}; // blink
             list[1] = {3, 4, 2, false, true, {}, true}; // spectrum
             list[4] = {0, 4, 3, true, false, {1, 2, 3}, true}; // breathing
             rig.headset.LoadPerLed(list, t);
         }},
        {"synchronised breathing, devices joining and leaving",
         // (A change reaches a frame that waits to be delivered; these fall where none waits.)
         [](Rig& rig, uint64_t t) {
             if (t == 0) {
                 OwnEffects(1, 0, 0, 0, 1)(rig, t);
                 rig.sync.Start(SyncEffect{kSyncBreathing, Settings(0, 3)});
                 rig.mouse.SetSync(true);
             }
             if (t == 1210) rig.pad.SetSync(true);
             if (t == 2600) rig.mouse.SetSync(false);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint64_t onTime = 0;
        uint64_t late = 0;
        ExpectReferenceFramesAtMostLate(0, 3000, c.script, &onTime);
        ExpectReferenceFramesAtMostLate(LightScheduler::kMaxLateMs, 3000, c.script, &late);
        EXPECT_LT(late, onTime); // running loops a little late shares wake-ups
    }
}

TEST(LightScheduler, TheDevicesShareMostWakeupsAtSpeed2)
{
    // Each loop on its own thread wakes once per frame: 100 + 55.6 + 27.8 + 27.8 per second.
    const uint64_t ownThreads = 3000 * (1000 / 10 + 1000 / 18 + 2 * 1000 / 36) / 1000;
    uint64_t shared = 0;
    ExpectReferenceFramesAtMostLate(LightScheduler::kMaxLateMs, 3000, OwnEffects(13, 0, 6, 0, 2), &shared);
    EXPECT_LT(shared, ownThreads * 2 / 3) << ownThreads;
}

TEST(LightScheduler, ALateLoopRendersTheFramesOfItsDueTicks)
{
    // Frames every 10 and every 18 ms: the second shares the first's wake-ups when it may wait.
    RecordingSource fast;
    RecordingSource slow;
    RecordingSource fastPolled;
    RecordingSource slowPolled;
    fast.schedule = fastPolled.schedule = Schedule{Schedule::Kind::Ticks, 5};
    slow.schedule = slowPolled.schedule = Schedule{Schedule::Kind::Ticks, 9};
    LightLoop fastLoop(fastPolled, {2, 1});
    LightLoop slowLoop(slowPolled, {2, 1});
    auto waiter = std::make_shared<WakeFlag>();
    LightScheduler scheduler(waiter, 4);
    uint64_t wakeAt = UINT64_MAX;
    uint64_t wakeups = 0;
    size_t delivered = 0;
    for (uint64_t t = 0; t <= 2000; ++t) {
        if (t == 0) scheduler.Add(fast, {2, 1});
        if (t == 5) scheduler.Add(slow, {2, 1}); // in another phase
        fastLoop.Pass(t);
        if (t >= 5) slowLoop.Pass(t - 5);
        if (waiter->woken || t >= wakeAt) {
            waiter->woken = false;
            wakeAt = scheduler.RunDue(t);
            ++wakeups;
        }
        for (; delivered < slow.frames.size(); ++delivered) {
            EXPECT_LE(t - slow.frames[delivered], 4u) << "frame of " << slow.frames[delivered];
        }
    }
    // The ticks are those of a loop passed every millisecond (the slow one started at 5 ms).
    std::vector<uint64_t> slowExpected;
    for (uint64_t f : slowPolled.frames) slowExpected.push_back(f + 5);
    // All but a last frame not delivered yet.
    for (const auto& [frames, expected] : {std::pair{fast.frames, fastPolled.frames}, std::pair{slow.frames, slowExpected}}) {
        ASSERT_LE(frames.size(), expected.size());
        EXPECT_LE(expected.size() - frames.size(), 1u);
        EXPECT_TRUE(std::equal(frames.begin(), frames.end(), expected.begin()));
    }
    EXPECT_LT(wakeups, fast.frames.size() + slow.frames.size() / 2);
}

TEST(LightScheduler, RunsOnItsThreadWithAnInjectedClockAndStops)
{
    RingLighting pad(RingLighting::Kind::MousePad);
    KeyboardLighting keyboard;
    pad.SetLinkOpen(true);
    keyboard.SetLinkOpen(true);
    pad.SetSettings(Settings(0, 4)); // wave: 7 steps of 2 ms
    LightSettings still = Settings(6, 4); // static
    still.multicolor = false;
    keyboard.SetSettings(still);
    auto waiter = std::make_shared<ManualWaiter>(0, 1405); // the frame of 1400 ms is out by 1404
    {
        LightScheduler scheduler(waiter);
        scheduler.Add(pad, pad.Timing());
        scheduler.Add(keyboard, KeyboardLighting::kTiming);
        scheduler.Start();
        while (!waiter->Stopped()) std::this_thread::yield();
        scheduler.Stop();
    }
    // 1400 ms / 14 ms = 100 frames: the wave's phase is 100
    EXPECT_EQ(pad.Leds().GetLedColor(0), PackLed(kWheel[101], 255));
    EXPECT_EQ(pad.Leds().GetLedColor(1), PackLed(kWheel[108], 255));
    EXPECT_EQ(keyboard.Leds().GetLedColor(0), PackLed({200, 120, 40}, 255));
    // One per wave frame, and the start, the keyboard's first frame and its pass before, the stop.
    EXPECT_LE(waiter->Waits(), 104u);
}

bool WaitFor(const std::function<bool()>& done)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(LightScheduler, WakesForNewInputAndStopsPromptlyInRealTime)
{
    KeyboardLighting keyboard;
    MouseLighting mouse;
    keyboard.SetLinkOpen(true);
    mouse.SetLinkOpen(true);
    keyboard.SetSettings(Settings(30, 4)); // shows the colour input as it comes
    mouse.SetSettings(Settings(3, 0));     // static: nothing due
    LightScheduler scheduler(std::make_shared<SteadyWaiter>());
    scheduler.Add(keyboard, KeyboardLighting::kTiming);
    scheduler.Add(mouse, mouse.Timing());
    scheduler.Start();
    for (int32_t red : {10, 20, 30}) {
        keyboard.ColourInput(std::vector<int32_t>{red, 0, 0});
        EXPECT_TRUE(WaitFor([&] { return keyboard.Leds().GetLedColor(100) == PackLed({uint8_t(red), 0, 0}, 255); }))
            << red;
    }
    LightSettings blue = Settings(3, 0);
    blue.colour = {0, 0, 255};
    mouse.SetSettings(blue);
    EXPECT_TRUE(WaitFor([&] { return mouse.Leds().GetLedColor(0) == PackLed({0, 0, 255}, 255); }));
    const auto before = std::chrono::steady_clock::now();
    scheduler.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
}

TEST(LightScheduler, DevicesComeAndGoWhileItRuns)
{
    // A device may be removed and destroyed at once; its loop never runs again.
    KeyboardLighting keyboard;
    keyboard.SetLinkOpen(true);
    keyboard.SetSettings(Settings(13, 4)); // a frame every 2 ms
    LightScheduler scheduler(std::make_shared<SteadyWaiter>());
    scheduler.Add(keyboard, KeyboardLighting::kTiming);
    scheduler.Start();
    for (int round = 0; round < 60; ++round) {
        auto mouse = std::make_unique<MouseLighting>();
        mouse->SetLinkOpen(true);
        mouse->SetSettings(Settings(0, 4)); // wave, a frame every 7 ms
        const LightScheduler::Id id = scheduler.Add(*mouse, mouse->Timing());
        std::this_thread::sleep_for(std::chrono::microseconds(300 * (round % 7)));
        mouse->SetSettings(Settings(1 + round % 2, 4)); // wakes the thread
        scheduler.Remove(id);
        if (round % 20 == 0) {
            const auto left = Entries(mouse->Leds());
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            EXPECT_EQ(Entries(mouse->Leds()), left) << round;
        }
        mouse->SetSettings(Settings(0, 4)); // no handler any more
    }
    scheduler.Remove(12345); // unknown: ignored
    const auto before = Entries(keyboard.Leds());
    EXPECT_TRUE(WaitFor([&] { return Entries(keyboard.Leds()) != before; })); // still running
    scheduler.Stop();
}

} // namespace
