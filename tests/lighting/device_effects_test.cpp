#include "lighting/device_effects.h"

#include "lighting/tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace orvel::lighting;

LightSettings Settings(int mode, bool direction, bool multicolor, Rgb colour = {200, 100, 50})
{
    LightSettings l;
    l.mode = mode;
    l.brightness = 4;
    l.speed = 2;
    l.direction = direction;
    l.multicolor = multicolor;
    l.colour = colour;
    return l;
}

std::vector<uint8_t> Levels(const LedBuffer& b)
{
    std::vector<uint8_t> v;
    for (int i = 0; i < b.Count(); ++i) v.push_back(LevelOf(b.GetLedColor(i)));
    return v;
}

TEST(PadWave, SevenColourAtPhase190)
{
    LedBuffer b(15);
    RenderState s;
    s.phase = 189;
    RenderPadWave(b, s, Settings(0, true, true));
    ASSERT_EQ(s.phase, 190);
    EXPECT_EQ(b.GetLedColor(0), PackLed(kWheel[191], 255));
    EXPECT_EQ(b.GetLedColor(1), PackLed(kWheel[6], 255));
    EXPECT_EQ(b.GetLedColor(2), PackLed(kWheel[13], 255));
}

TEST(PadWave, SingleColourAlongTheCurve)
{
    LedBuffer b(15);
    RenderState s;
    RenderPadWave(b, s, Settings(0, true, false, {255, 255, 255}));
    // phase 1: LED i reads curve96[2 + 7 i]
    const std::vector<uint8_t> expected = {26, 48, 76, 108, 145, 187, 233, 233, 187, 145,
                                           108, 76, 48, 26, 32};
    EXPECT_EQ(Levels(b), expected);
}

TEST(MouseWave, GroupsShareTheirColour)
{
    LedBuffer b(15);
    RenderState s;
    RenderMouseWave(b, s, Settings(0, false, true));
    ASSERT_EQ(s.phase, 191);
    const int wheelOfLed[15] = {0, 7, 14, 21, 28, 35, 42, 42, 35, 28, 21, 14, 7, 0, 42};
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(b.GetLedColor(i), PackLed(kWheel[wheelOfLed[i]], 255)) << i;
    }
}

TEST(HeadsetWave, SevenColourAndSingleColour)
{
    LedBuffer b(13);
    RenderState s;
    RenderHeadsetWave(b, s, Settings(0, true, true));
    EXPECT_EQ(b.GetLedColor(0), PackLed(kWheel[2], 255));
    EXPECT_EQ(b.GetLedColor(1), PackLed(kWheel[18], 255));
    EXPECT_EQ(b.GetLedColor(12), PackLed(kWheel[2], 255)); // 2 + 192 wraps

    RenderState t;
    RenderHeadsetWave(b, t, Settings(0, false, false, {255, 255, 255}));
    ASSERT_EQ(t.phase, 93); // backward from 0 by 3
    const std::vector<uint8_t> expected = {26, 41, 80, 128, 187, 254, 193, 133, 84, 44, 23, 56, 98};
    EXPECT_EQ(Levels(b), expected);
}

TEST(Comet, TailDecaysBehindTheHead)
{
    LedBuffer b(4);
    RenderState s;
    uint32_t counter = 0;
    const std::vector<std::vector<uint8_t>> frames = {
        {0, 0, 0, 0}, {214, 0, 0, 0}, {174, 0, 0, 0}, {134, 214, 0, 0}, {94, 174, 0, 0}, {64, 134, 214, 0},
    };
    for (const auto& expected : frames) {
        RenderComet(b, s, Settings(6, true, false), counter);
        EXPECT_EQ(Levels(b), expected);
    }
}

TEST(Comet, SevenColourLedsAreTwelvePlacesApartWhileTheHeadIsDark)
{
    LedBuffer b(3);
    RenderState s;
    uint32_t counter = 0;
    RenderComet(b, s, Settings(6, true, true), counter);
    // phase 1, then +12 for each LED
    EXPECT_EQ(ColourOf(b.GetLedColor(0)), kWheel[13]);
    EXPECT_EQ(ColourOf(b.GetLedColor(1)), kWheel[25]);
    EXPECT_EQ(ColourOf(b.GetLedColor(2)), kWheel[37]);
    RenderComet(b, s, Settings(6, true, true), counter); // head lit: colours kept
    EXPECT_EQ(ColourOf(b.GetLedColor(1)), kWheel[25]);
}

TEST(MirroredComet, LeavesLedZeroAndMissingLedsAlone)
{
    LedBuffer b(13);
    const uint32_t untouched = PackLed({1, 2, 3}, 77);
    b.Fill(untouched);
    RenderState s;
    uint32_t counter = 0;
    for (int f = 0; f < 6; ++f) RenderMirroredComet(b, s, Settings(7, false, false), counter);
    EXPECT_EQ(b.GetLedColor(0), untouched);
    // pairs driven together: (3, 12) ... (7, 8); pairs (1, 14) and (2, 13) only on their first member
    for (int k = 2; k < 7; ++k) {
        EXPECT_EQ(b.GetLedColor(k + 1), b.GetLedColor(14 - k)) << k;
    }
    EXPECT_EQ(b.GetLedColor(13), 0u); // outside the buffer
    EXPECT_EQ(LevelOf(b.GetLedColor(1)), 64);  // pair 0 holds LED 0's intensity, three marks ago
    EXPECT_EQ(LevelOf(b.GetLedColor(2)), 134);
    EXPECT_EQ(LevelOf(b.GetLedColor(3)), 214);
}

TEST(RotatingTrigger, MarkerRunsRoundTheGroups)
{
    LedBuffer b(15);
    RenderState s;
    const LightSettings l = Settings(5, true, false);
    TriggerMouseRing(s, l);
    std::vector<std::vector<uint8_t>> groupLevels;
    for (int f = 0; f < 3; ++f) {
        RenderRotatingTrigger(b, s, l);
        groupLevels.push_back({LevelOf(b.GetLedColor(0)), LevelOf(b.GetLedColor(1)), LevelOf(b.GetLedColor(2)),
                               LevelOf(b.GetLedColor(13))});
    }
    const std::vector<std::vector<uint8_t>> expected = {
        {214, 0, 0, 214}, {174, 214, 0, 174}, {134, 174, 214, 134},
    };
    EXPECT_EQ(groupLevels, expected);
}

TEST(KeyPressFade, FullThenFifteenLessEachFrame)
{
    LedBuffer b(15);
    KeyPressFade fade;
    Random random(7);
    fade.Trigger(random);
    const LightSettings l = Settings(6, false, false);
    std::vector<uint8_t> seen;
    for (int f = 0; f < 19; ++f) {
        fade.Render(b, l);
        seen.push_back(LevelOf(b.GetLedColor(14)));
    }
    const std::vector<uint8_t> expected = {254, 239, 224, 209, 194, 179, 164, 149, 134, 119,
                                           104, 89,  74,  59,  44,  29,  14,  0,   0};
    EXPECT_EQ(seen, expected);
}

} // namespace
