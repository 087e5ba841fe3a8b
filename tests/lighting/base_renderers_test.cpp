#include "lighting/base_renderers.h"
#include "lighting/effect_player.h"
#include "lighting/per_led_effects.h"
#include "lighting/tables.h"
#include "tests/lighting/loop_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace orvel::lighting;
using orvel::lighting::testing::Entries;

LightSettings Settings(int brightness, int speed, bool direction, bool multicolor, Rgb colour = {10, 20, 30})
{
    LightSettings l;
    l.brightness = brightness;
    l.speed = speed;
    l.direction = direction;
    l.multicolor = multicolor;
    l.colour = colour;
    return l;
}

TEST(LedBuffer, IndexesOutsideTheBufferChangeNothing)
{
    LedBuffer b(4);
    b.SetLedColor(-1, 0x11223344);
    b.SetLedColor(4, 0x11223344);
    b.SetLedColor(2, 0xFF0000FF);
    EXPECT_EQ(Entries(b), (std::vector<uint32_t>{0, 0, 0xFF0000FF, 0}));
    EXPECT_EQ(b.GetLedColor(-1), 0u);
    EXPECT_EQ(b.GetLedColor(4), 0u);
}

TEST(BaseRenderers, BrightnessZeroIsDarkForEveryEffect)
{
    for (bool multi : {false, true}) {
        LedBuffer b(5);
        RenderState s;
        const LightSettings l = Settings(0, 4, true, multi, {255, 255, 255});
        for (int frame = 0; frame < 200; ++frame) {
            RenderBreathing(b, s, l);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(LevelOf(b.GetLedColor(i)), 0);
            RenderBreathing4(b, s, l);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(LevelOf(b.GetLedColor(i)), 0);
            RenderStatic(b, s, l);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(LevelOf(b.GetLedColor(i)), 0);
            RenderSpectrum(b, s, l);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(LevelOf(b.GetLedColor(i)), 0);
            RenderBlink(b, s, l, uint64_t(frame) * 1400);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(LevelOf(b.GetLedColor(i)), 0);
            RenderBlink4(b, s, l, uint64_t(frame) * 1400);
            for (int i = 0; i < 5; ++i) EXPECT_EQ(LevelOf(b.GetLedColor(i)), 0);
        }
    }
}

TEST(BaseRenderers, BackwardSpectrumWrapsFromZeroTo191)
{
    LedBuffer b(2);
    RenderState s;
    const LightSettings l = Settings(4, 0, false, true);
    const uint8_t expected[] = {191, 190, 189};
    for (uint8_t pos : expected) {
        RenderSpectrum(b, s, l);
        EXPECT_EQ(s.position, pos);
        EXPECT_EQ(b.GetLedColor(1), PackLed(kWheel[pos], 255));
    }
}

TEST(BaseRenderers, BlinkTogglesOncePerPeriodOfItsSpeed)
{
    struct Case {
        int speed;
        uint64_t period;
    };
    for (const Case c : {Case{4, 1400}, Case{0, 5600}}) {
        LedBuffer b(1);
        RenderState s;
        const LightSettings l = Settings(4, c.speed, true, false, {200, 100, 50});
        const uint32_t on = PackLed({200, 100, 50}, 255);
        struct Frame {
            uint64_t at;
            uint32_t entry;
        };
        const Frame frames[] = {{c.period - 1, 0},  {c.period, on},         {2 * c.period - 1, on},
                                {2 * c.period, 0}, {3 * c.period - 5, 0}, {3 * c.period, on}};
        for (const Frame& f : frames) {
            RenderBlink(b, s, l, f.at);
            EXPECT_EQ(b.GetLedColor(0), f.entry) << c.speed << " at " << f.at;
        }
    }
}

TEST(BaseRenderers, SevenColourBlinkAdvancesTheWheelBy16)
{
    LedBuffer b(1);
    RenderState s;
    const LightSettings l = Settings(2, 4, true, true);
    const uint32_t expected[] = {PackLed(kWheel[16], 135), 0, PackLed(kWheel[48], 135), 0};
    for (int i = 0; i < 4; ++i) {
        RenderBlink(b, s, l, 1400u * unsigned(i + 1));
        EXPECT_EQ(b.GetLedColor(0), expected[i]) << i;
    }
}

TEST(BaseRenderers, BreathingFollowsTheCurveAndMovesTheWheelAtEachReturn)
{
    LedBuffer b(3);
    RenderState s;
    const LightSettings l = Settings(4, 0, true, true);
    std::vector<uint32_t> seen;
    for (int i = 0; i < 130; ++i) {
        RenderBreathing(b, s, l);
        seen.push_back(b.GetLedColor(2));
    }
    EXPECT_EQ(seen[0], PackLed(kWheel[0], 0));     // phase 1: curve 1 x 255 >> 8 = 0
    EXPECT_EQ(seen[62], PackLed(kWheel[0], 254));  // phase 63: 255 x 255 >> 8
    EXPECT_EQ(seen[127], PackLed(kWheel[16], 0));  // phase back to 0: wheel + 16
    EXPECT_EQ(seen[129], PackLed(kWheel[16], 1));  // phase 2: 2 x 255 >> 8
}

TEST(BaseRenderers, FourColourBreathingCyclesTheFixedColours)
{
    LedBuffer b(1);
    RenderState s;
    const LightSettings l = Settings(4, 0, true, false);
    for (int turn = 1; turn <= 5; ++turn) {
        for (int i = 0; i < 128; ++i) RenderBreathing4(b, s, l);
        EXPECT_EQ(ColourOf(b.GetLedColor(0)), kFixedColours[turn % 4]) << turn;
    }
}

TEST(Decay, ThreeRows)
{
    struct Case {
        uint8_t v;
        uint8_t mode0, mode29, other;
    };
    const Case cases[] = {
        {255, 215, 210, 215}, {0x90, 104, 99, 104}, {0x8F, 103, 103, 103}, {128, 88, 88, 88},
        {127, 97, 92, 97},    {0x60, 66, 66, 66},   {64, 34, 44, 34},      {63, 48, 53, 53},
        {32, 17, 22, 22},     {31, 23, 26, 23},     {17, 9, 12, 9},        {16, 15, 15, 15},
        {1, 0, 0, 0},         {0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecayIntensity(c.v, 0), c.mode0) << int(c.v);
        EXPECT_EQ(DecayIntensity(c.v, 29), c.mode29) << int(c.v);
        EXPECT_EQ(DecayIntensity(c.v, 7), c.other) << int(c.v);
    }
}

TEST(MarkerRing, RotatesAndLightsOnlyWithinLimits)
{
    RenderState s;
    s.marks[0] = 1;
    s.marks[22] = 1;
    RotateMarks(s, true);
    EXPECT_EQ(s.marks[0], 1);
    EXPECT_EQ(s.marks[1], 1);
    EXPECT_EQ(s.marks[22], 0);
    RotateMarks(s, false);
    RotateMarks(s, false);
    EXPECT_EQ(s.marks[0], 0);
    EXPECT_EQ(s.marks[21], 1);
    EXPECT_EQ(s.marks[22], 1);

    RenderState r;
    r.marks = {};
    r.marks[0] = r.marks[7] = 1;
    RotateMarks(r, true, 8); // place 7 wraps into place 0 within the first 8 places
    EXPECT_EQ(r.marks[0], 1);
    EXPECT_EQ(r.marks[1], 1);
    EXPECT_EQ(r.marks[8], 0);

    RenderState m;
    m.marks.fill(1);
    LightMarkedKeys(m, 9);
    EXPECT_EQ(m.intensity[8], 255);
    EXPECT_EQ(m.intensity[9], 0);
    LightMarkedKeys(m, 170); // the ring has 23 places: no LED beyond them is lit
    EXPECT_EQ(m.intensity[22], 255);
    EXPECT_EQ(m.intensity[23], 0);
    ClearReactive(m);
    EXPECT_EQ(m.intensity[0], 0);
    EXPECT_EQ(m.marks[0], 0);
}

TEST(PerLedEffects, EachTypeOnItsOwnLed)
{
    LedBuffer b(6);
    b.Fill(PackLed({1, 2, 3}, 9));
    PerLedEffects fx;
    std::vector<LedEffect> list(7);
    list[0] = {0, 4, 0, false, false, {100, 0, 0}, true};   // breathing
    list[1] = {1, 2, 0, false, false, {0, 50, 0}, true};    // static
    list[2] = {2, 4, 4, false, false, {0, 0, 70}, true};    // blink, 1400 ms
    list[3] = {3, 3, 4, false, true, {}, true};             // spectrum every 7 passes
    list[4] = {4, 4, 0, false, false, {9, 9, 9}, true};     // off
    list[5] = {};                                           // null element: untouched
    list[6] = {1, 4, 0, false, false, {5, 5, 5}, true};     // beyond the LED count
    fx.Load(list, 1000);

    fx.Apply(b, 1001);
    EXPECT_EQ(b.GetLedColor(0), PackLed({100, 0, 0}, Mul8(kBreathing[4], 255)));
    EXPECT_EQ(b.GetLedColor(1), PackLed({0, 50, 0}, 135));
    EXPECT_EQ(b.GetLedColor(2), 0u);
    EXPECT_EQ(b.GetLedColor(3), PackLed(kWheel[0], 195));
    EXPECT_EQ(b.GetLedColor(4), 0u);
    EXPECT_EQ(b.GetLedColor(5), PackLed({1, 2, 3}, 9));

    for (int i = 0; i < 6; ++i) fx.Apply(b, 1002 + i);
    EXPECT_EQ(b.GetLedColor(3), PackLed(kWheel[1], 195)); // seventh pass
    fx.Apply(b, 2400);
    EXPECT_EQ(b.GetLedColor(2), PackLed({0, 0, 70}, 255));
    fx.Apply(b, 3799);
    EXPECT_EQ(b.GetLedColor(2), PackLed({0, 0, 70}, 255));
    fx.Apply(b, 3800);
    EXPECT_EQ(b.GetLedColor(2), 0u);
}

TEST(PerLedEffects, AndTheEffectListTimeAListLoadedAfterAPassFromItsLoad)
{
    // A loop run a little late passes the time it was due, which may be before the load.
    LedBuffer b(1);
    PerLedEffects fx;
    fx.Load({LedEffect{2, 4, 4, false, false, {0, 0, 70}, true}}, 1000); // blink, 1400 ms
    fx.Apply(b, 998);
    EXPECT_EQ(b.GetLedColor(0), 0u);
    fx.Apply(b, 2399);
    EXPECT_EQ(b.GetLedColor(0), 0u);
    fx.Apply(b, 2400);
    EXPECT_EQ(b.GetLedColor(0), PackLed({0, 0, 70}, 255));

    RenderState s;
    EffectPlayer p;
    const EffectStep step{1, 4, 4, false, false, {10, 20, 30}, 20, 0};
    p.Load({step, step}, 1000);
    for (uint64_t t = 997; t <= 1020; ++t) p.Pass(b, s, t);
    EXPECT_EQ(p.CurrentIndex(), 0u);
    p.Pass(b, s, 1021);
    EXPECT_EQ(p.CurrentIndex(), 1u);
}

TEST(EffectPlayer, EmptyListRendersOff)
{
    LedBuffer b(3);
    b.Fill(0xFFFFFFFF);
    RenderState s;
    EffectPlayer p;
    p.Pass(b, s, 5);
    EXPECT_EQ(b.GetLedColor(1), 0u);
}

TEST(EffectPlayer, StepsRenderAtTheirThresholdAndMoveOnAfterTheirTime)
{
    LedBuffer b(2);
    RenderState s;
    EffectPlayer p;
    EffectStep stat{1, 4, 4, false, false, {10, 20, 30}, 20, 0}; // every 7 passes, 20 ms
    EffectStep wheel{5, 2, 4, false, true, {}, 1000, 0};         // every pass
    p.Load({stat, wheel}, 0);
    for (uint64_t t = 1; t <= 6; ++t) p.Pass(b, s, t);
    EXPECT_EQ(b.GetLedColor(0), 0u);
    p.Pass(b, s, 7);
    EXPECT_EQ(b.GetLedColor(0), PackLed({10, 20, 30}, 255));
    for (uint64_t t = 8; t <= 21; ++t) p.Pass(b, s, t);
    EXPECT_EQ(p.CurrentIndex(), 1u);
    p.Pass(b, s, 22);
    EXPECT_EQ(b.GetLedColor(1), PackLed(kWheel[1], 135));
}

TEST(EffectPlayer, OneStepOfTimeZeroKeepsPlaying)
{
    LedBuffer b(1);
    RenderState s;
    EffectPlayer p;
    p.Load({EffectStep{5, 4, 4, false, true, {}, 0, 0}}, 0);
    for (uint64_t t = 1; t <= 5; ++t) {
        p.Pass(b, s, t);
        EXPECT_EQ(b.GetLedColor(0), PackLed(kWheel[t], 255)) << t;
        EXPECT_EQ(p.CurrentIndex(), 0u);
    }
}

TEST(EffectPlayer, SevenColourWaveKeepsTheWheelIndexInRangeOnLongBuffers)
{
    LedBuffer b(170);
    RenderState s;
    EffectPlayer p;
    p.Load({EffectStep{4, 4, 4, false, true, {}, 100000, 0}}, 0);
    for (uint64_t t = 1; t <= 7; ++t) p.Pass(b, s, t);
    EXPECT_EQ(b.GetLedColor(0), PackLed(kWheel[2], 255));
    EXPECT_EQ(b.GetLedColor(169), PackLed(kWheel[(1 + 1 + 12 * 169) % 192], 255));
}

} // namespace
