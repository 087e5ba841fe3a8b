#include "lighting/light_loop.h"

#include "lighting/device_lighting.h"
#include "lighting/keyboard_lighting.h"
#include "lighting/tables.h"
#include "tests/lighting/loop_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using namespace orvel::lighting;
using orvel::lighting::testing::RecordingSource;
using orvel::lighting::testing::RenderEveryFrame;

// Calls Pass at every millisecond, as a thread that wakes each pass would.
std::vector<uint64_t> FramesPolledEveryMs(RecordingSource& src, LoopTiming timing, uint64_t endMs)
{
    LightLoop loop(src, timing);
    for (uint64_t t = 0; t <= endMs; ++t) loop.Pass(t);
    return src.frames;
}

// Calls Pass only when the loop says something is due.
std::vector<uint64_t> FramesWhenDue(RecordingSource& src, LoopTiming timing, uint64_t endMs, uint64_t* wakeups)
{
    LightLoop loop(src, timing);
    uint64_t t = 0;
    *wakeups = 0;
    while (t <= endMs) {
        ++*wakeups;
        t = loop.Pass(t);
    }
    return src.frames;
}

TEST(LightLoop, FramesFallOnTheThresholdTicks)
{
    struct Case {
        LoopTiming timing;
        uint32_t threshold;
        std::vector<uint64_t> frames;
    };
    const Case cases[] = {
        {{2, 1}, 5, {10, 20, 30, 40}},
        {{1, 1}, 18, {18, 36}},
        {{2, 2}, 7, {14, 28, 42}},
        {{2, 1}, 2, {4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44}},
    };
    for (const auto& c : cases) {
        RecordingSource polled;
        polled.schedule = Schedule{Schedule::Kind::Ticks, c.threshold};
        EXPECT_EQ(FramesPolledEveryMs(polled, c.timing, 45), c.frames) << c.threshold;
    }
}

TEST(LightLoop, SleepingUntilDueGivesTheSameFramesWithFewWakeups)
{
    const uint32_t thresholds[] = {1, 3, 7, 10, 28};
    for (uint32_t threshold : thresholds) {
        for (LoopTiming timing : {LoopTiming{1, 1}, LoopTiming{2, 1}, LoopTiming{2, 2}}) {
            RecordingSource polled;
            RecordingSource sleeping;
            polled.schedule = sleeping.schedule = Schedule{Schedule::Kind::Ticks, threshold};
            uint64_t wakeups = 0;
            const auto expected = FramesPolledEveryMs(polled, timing, 3000);
            EXPECT_EQ(FramesWhenDue(sleeping, timing, 3000, &wakeups), expected);
            EXPECT_LE(wakeups, expected.size() + 2) << threshold;
        }
    }
}

TEST(LightLoop, PerLedEffectsThatChangeEveryPassKeepTheLoopAwake)
{
    RecordingSource src;
    src.schedule = Schedule{Schedule::Kind::Ticks, 10};
    src.perLedDue = 1;
    uint64_t wakeups = 0;
    FramesWhenDue(src, {2, 1}, 100, &wakeups);
    EXPECT_GE(wakeups, 100u);
    EXPECT_EQ(src.perLedPasses, 100u);
}

TEST(LightLoop, InputDrivenFramesRenderOncePerChange)
{
    RecordingSource src;
    src.schedule = Schedule{Schedule::Kind::EveryPass, 0, Schedule::kNeverChanges};
    LightLoop loop(src, {2, 1});
    uint64_t t = loop.Pass(0);
    t = loop.Pass(t);
    EXPECT_EQ(src.frames, (std::vector<uint64_t>{1}));
    EXPECT_EQ(t, UINT64_MAX); // nothing due until an input changes
    loop.InputChanged();
    loop.Pass(50);
    EXPECT_EQ(src.frames, (std::vector<uint64_t>{1, 50}));
}

TEST(LightLoop, NothingIsCountedWhileTheLinkIsClosedOrSynchronised)
{
    RecordingSource src;
    src.schedule = Schedule{Schedule::Kind::Ticks, 3};
    LightLoop loop(src, {2, 1});
    src.link = false;
    EXPECT_EQ(loop.Pass(0), 100u);
    src.link = true;
    src.sync = true;
    EXPECT_EQ(loop.Pass(100), UINT64_MAX); // until the device leaves the synchronised lighting
    EXPECT_TRUE(src.frames.empty());
    EXPECT_EQ(src.perLedPasses, 0u);
    src.sync = false;
    uint64_t t = loop.Pass(200);
    while (t <= 212) t = loop.Pass(t);
    EXPECT_EQ(src.frames, (std::vector<uint64_t>{206, 212}));
}

TEST(LightLoop, EffectListPlaysEveryPassWithoutWakingForEach)
{
    RecordingSource src;
    src.schedule = Schedule{Schedule::Kind::Player, 0};
    uint64_t wakeups = 0;
    FramesWhenDue(src, {2, 2}, 140, &wakeups);
    ASSERT_FALSE(src.playerPasses.empty());
    EXPECT_EQ(src.playerPasses.size(), src.playerPasses.back() / 2); // every pass of 2 ms is counted
    EXPECT_LE(wakeups, 12u);                 // but the thread wakes only when a frame is due
}

TEST(DeviceLighting, ModeToRendererAndEffectList)
{
    struct Case {
        int mode;
        Schedule::Kind mouse, ring;
    };
    const Case cases[] = {
        {0, Schedule::Kind::Ticks, Schedule::Kind::Ticks},   {5, Schedule::Kind::Ticks, Schedule::Kind::Player},
        {8, Schedule::Kind::Ticks, Schedule::Kind::Ticks},   {9, Schedule::Kind::Ticks, Schedule::Kind::Player},
        {10, Schedule::Kind::Player, Schedule::Kind::Player}, {-1, Schedule::Kind::Player, Schedule::Kind::Player},
    };
    for (const auto& c : cases) {
        MouseLighting mouse;
        RingLighting headset(RingLighting::Kind::Headset);
        LightSettings l;
        l.mode = c.mode;
        l.speed = 9; // clamped to 4
        mouse.SetSettings(l);
        headset.SetSettings(l);
        EXPECT_EQ(mouse.CurrentSchedule().kind, c.mouse) << c.mode;
        EXPECT_EQ(headset.CurrentSchedule().kind, c.ring) << c.mode;
        if (c.mouse == Schedule::Kind::Ticks) {
            EXPECT_EQ(mouse.CurrentSchedule().threshold, 7u);
        }
    }
}

TEST(DeviceLighting, MouseKeyPressStartsTheFadeOnlyInItsMode)
{
    MouseLighting mouse;
    LightSettings l;
    l.mode = 6;
    l.brightness = 4;
    l.colour = {255, 255, 255};
    mouse.SetSettings(l);
    mouse.RenderFrame(0);
    EXPECT_EQ(mouse.Leds().GetLedColor(3), PackLed({255, 255, 255}, 0));
    mouse.KeyPressed();
    mouse.RenderFrame(1);
    EXPECT_EQ(mouse.Leds().GetLedColor(3), PackLed({255, 255, 255}, 254));
}

} // namespace

namespace {

// Two identical devices: the reference passed every millisecond, the other only when its loop
// says something is due (or when a change wakes it, as its thread would be woken). At every
// millisecond both buffers must hold the same frame.
template <typename Device>
void ExpectSameFramesAsPolling(Device& polled, Device& sleeping, LoopTiming timing, uint64_t endMs,
                               uint64_t* wakeups, const std::function<void(Device&, uint64_t)>& atMs = {})
{
    RenderEveryFrame reference(polled);
    LightLoop a(reference, timing);
    LightLoop b(sleeping, timing);
    bool woken = false;
    sleeping.SetWakeHandler([&] {
        b.InputChanged();
        woken = true;
    });
    uint64_t due = 0;
    *wakeups = 0;
    for (uint64_t t = 0; t <= endMs; ++t) {
        if (atMs) {
            atMs(polled, t);
            atMs(sleeping, t);
        }
        a.Pass(t);
        if (t >= due || woken) {
            woken = false;
            due = b.Pass(t);
            ++*wakeups;
        }
        for (int i = 0; i < polled.Leds().Count(); ++i) {
            ASSERT_EQ(polled.Leds().GetLedColor(i), sleeping.Leds().GetLedColor(i)) << "LED " << i << " at " << t;
        }
    }
    sleeping.SetWakeHandler(nullptr);
}

TEST(LightLoop, StaticBlinkAndAnimatedModesGiveTheFramesOfAPerMillisecondLoop)
{
    struct Case {
        int mode;
        int speed;
        uint64_t maxWakeups;
    };
    const Case cases[] = {
        {6, 2, 3},      // static: rendered once
        {17, 0, 3},     // one wheel colour
        {28, 4, 3},     // off
        {23, 4, 12},    // blink: once per toggle (1400 ms) over 12 s
        {27, 0, 5},     // four-colour blink, 5600 ms
        {19, 3, 3},     // custom colours
        {1, 2, 1300},   // wave: every 10 ms
        {13, 4, 6100},  // ripple: every 2 ms
    };
    for (const auto& c : cases) {
        KeyboardLighting polled;
        KeyboardLighting sleeping;
        for (KeyboardLighting* k : {&polled, &sleeping}) {
            k->SetLinkOpen(true);
            LightSettings l;
            l.mode = c.mode;
            l.brightness = 3;
            l.speed = c.speed;
            l.direction = true;
            l.multicolor = true;
            k->SetSettings(l);
        }
        uint64_t wakeups = 0;
        ExpectSameFramesAsPolling(polled, sleeping, KeyboardLighting::kTiming, 12000, &wakeups);
        EXPECT_LE(wakeups, c.maxWakeups) << c.mode;
    }
}

TEST(LightLoop, ChangesReachASleepingStaticEffect)
{
    MouseLighting polled;
    MouseLighting sleeping;
    LightSettings l;
    l.mode = 3; // static
    l.brightness = 4;
    l.speed = 0;
    l.colour = {1, 2, 3};
    std::function<void(MouseLighting&, uint64_t)> script = [&](MouseLighting& m, uint64_t t) {
        if (t == 0) {
            m.SetLinkOpen(true);
            m.SetSettings(l);
        }
        if (t == 503) {
            LightSettings red = l;
            red.colour = {255, 0, 0};
            m.SetSettings(red);
        }
        if (t == 900) m.SetSync(true);
        if (t == 950) m.Leds().Fill(0x12345678); // the sync thread writes the buffer
        if (t == 1000) m.SetSync(false);
        if (t == 1500) {
            std::vector<LedEffect> list(2);
            list[1] = {1, 4, 0, false, false, {0, 0, 9}, true};
            m.LoadPerLed(list, t);
        }
    };
    uint64_t wakeups = 0;
    ExpectSameFramesAsPolling(polled, sleeping, polled.Timing(), 3000, &wakeups, script);
    EXPECT_EQ(sleeping.Leds().GetLedColor(0), PackLed({255, 0, 0}, 255));
    EXPECT_EQ(sleeping.Leds().GetLedColor(1), PackLed({0, 0, 9}, 255));
    EXPECT_LE(wakeups, 30u);
}

TEST(LightLoop, PerLedEffectsKeepTheirTimingWhileTheMainEffectSleeps)
{
    RingLighting polled(RingLighting::Kind::Headset);
    RingLighting sleeping(RingLighting::Kind::Headset);
    std::vector<LedEffect> list(13);
    list[0] = {2, 4, 4, false, true, {}, true};  // blink
    list[1] = {3, 4, 2, false, true, {}, true};  // spectrum
    list[5] = {1, 2, 0, false, false, {7, 7, 7}, true};
    for (RingLighting* h : {&polled, &sleeping}) {
        h->SetLinkOpen(true);
        LightSettings l;
        l.mode = 3;
        l.brightness = 4;
        l.colour = {50, 60, 70};
        h->SetSettings(l);
        h->LoadPerLed(list, 0);
    }
    uint64_t wakeups = 0;
    ExpectSameFramesAsPolling(polled, sleeping, polled.Timing(), 6000, &wakeups);
    EXPECT_LE(wakeups, 6000u / 36 + 10); // the spectrum LED steps every 18 passes of 2 ms
}

} // namespace
