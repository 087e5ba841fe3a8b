#include "lighting/keyboard_lighting.h"

#include "lighting/tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace orvel::lighting;
using keyboard::kMatrix;

LightSettings Mode(int mode, bool multicolor = true, bool direction = true, int brightness = 4)
{
    LightSettings l;
    l.mode = mode;
    l.brightness = brightness;
    l.speed = 2;
    l.direction = direction;
    l.fx = direction ? 1 : 0;
    l.multicolor = multicolor;
    l.colour = {255, 255, 255};
    return l;
}

std::vector<uint32_t> Frame(KeyboardLighting& k)
{
    std::vector<uint32_t> v;
    for (int p = 0; p < 170; ++p) v.push_back(k.Leds().GetLedColor(p));
    return v;
}

void Steps(KeyboardLighting& k, int n)
{
    for (int i = 0; i < n; ++i) k.RenderFrame(uint64_t(i + 1) * 1400);
}

TEST(KeyboardLighting, BrightnessZeroIsDarkInEveryModeAndAudioStyle)
{
    for (int mode = 0; mode <= 31; ++mode) {
        for (int style = 0; style < (mode == 29 ? 7 : 1); ++style) {
            for (bool multi : {false, true}) {
                KeyboardLighting k;
                k.SetSettings(Mode(mode, multi, true, 0));
                AudioLightSettings audio;
                audio.style = style;
                audio.background = {255, 255, 255};
                audio.foreground = {255, 0, 0};
                audio.multicolor = multi;
                k.SetAudioSettings(audio);
                k.ColourInput(std::vector<int32_t>{255, 255, 255});
                k.SetCustomColours(std::vector<Rgb>(170, Rgb{255, 255, 255}));
                for (int i = 0; i < 40; ++i) {
                    k.SpectrumInput(std::vector<int32_t>(25, 1000));
                    k.KeyEvent(69, i % 2 + 1);
                    k.RenderFrame(uint64_t(i) * 1400);
                    k.PlayerPass(uint64_t(i), 1);
                }
                for (int p = 0; p < 170; ++p) {
                    ASSERT_EQ(LevelOf(k.Leds().GetLedColor(p)), 0) << "mode " << mode << " style " << style << " p " << p;
                }
            }
        }
    }
}

TEST(KeyboardLighting, StepThresholdsByModeAndSpeed)
{
    struct Case {
        int mode;
        Schedule::Kind kind;
        std::array<uint32_t, 5> threshold;
    };
    using K = Schedule::Kind;
    const Case cases[] = {
        {1, K::Ticks, {10, 8, 5, 3, 1}},  {28, K::Ticks, {10, 8, 5, 3, 1}}, {16, K::Ticks, {3, 3, 3, 3, 3}},
        {18, K::Ticks, {3, 3, 3, 3, 3}},  {29, K::Ticks, {2, 2, 2, 2, 2}},  {30, K::EveryPass, {0, 0, 0, 0, 0}},
        {0, K::Player, {0, 0, 0, 0, 0}},  {20, K::Player, {0, 0, 0, 0, 0}}, {31, K::Player, {0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        for (int speed = 0; speed < 5; ++speed) {
            KeyboardLighting k;
            LightSettings l = Mode(c.mode);
            l.speed = speed;
            k.SetSettings(l);
            const Schedule s = k.CurrentSchedule();
            EXPECT_EQ(s.kind, c.kind) << c.mode;
            if (c.kind == K::Ticks) {
                EXPECT_EQ(s.threshold, c.threshold[speed]) << c.mode << " speed " << speed;
            }
        }
    }
}

TEST(KeyboardLighting, Mode16StepsEveryThirdTickAndMode29EverySecond)
{
    struct Case {
        int mode;
        std::vector<uint64_t> frames; // ticks are 2 ms
    };
    const Case cases[] = {{16, {6, 12, 18, 24}}, {29, {4, 8, 12, 16, 20, 24}}};
    for (const auto& c : cases) {
        for (int speed : {0, 4}) {
            struct Counting : KeyboardLighting {
                std::vector<uint64_t> frames;
                void RenderFrame(uint64_t nowMs) override
                {
                    frames.push_back(nowMs);
                    KeyboardLighting::RenderFrame(nowMs);
                }
            } k;
            k.SetLinkOpen(true);
            LightSettings l = Mode(c.mode);
            l.speed = speed;
            k.SetSettings(l);
            LightLoop loop(k, KeyboardLighting::kTiming);
            for (uint64_t t = 0; t <= 25; ++t) loop.Pass(t);
            EXPECT_EQ(k.frames, c.frames) << c.mode << " speed " << speed;
        }
    }
}

TEST(KeyboardLighting, Mode1ColumnsAndItsPeriod)
{
    KeyboardLighting k;
    k.SetSettings(Mode(1, true, true));
    Steps(k, 1);
    // effect position 1: columns read the wheel at 2, 9, 16, ... (7 apart)
    const int wheelOfColumn[23] = {2,  9,  16, 23, 30, 37,  44,  51,  58,  65,  72, 79,
                                   86, 93, 100, 107, 114, 121, 128, 135, 142, 149, 156};
    for (int c = 0; c < 23; ++c) {
        for (uint8_t p : kMatrix[c]) {
            if (p < 170) {
                EXPECT_EQ(k.Leds().GetLedColor(p), PackLed(kWheel[wheelOfColumn[c]], 255)) << c;
            }
        }
    }
    const auto first = Frame(k);
    Steps(k, 191);
    EXPECT_NE(Frame(k), first);
    Steps(k, 1);
    EXPECT_EQ(Frame(k), first);
}

TEST(KeyboardLighting, Mode17ColourChosenByFx)
{
    struct Case {
        int fx;
        int entry;
    };
    for (const Case c : {Case{1, 25}, Case{2, 70}, Case{3, 95}, Case{0, 174}, Case{9, 174}}) {
        KeyboardLighting k;
        LightSettings l = Mode(17);
        l.fx = c.fx;
        l.brightness = 2;
        k.SetSettings(l);
        Steps(k, 1);
        EXPECT_EQ(Frame(k), std::vector<uint32_t>(170, PackLed(kWheel[c.entry], 135))) << c.fx;
    }
}

TEST(KeyboardLighting, Mode21SnakePausesSixtyOneStepsBeforeItsHeadReturns)
{
    KeyboardLighting k;
    k.SetSettings(Mode(21, false, true));
    std::vector<int> stepsLightingPosition0;
    for (int step = 1; step <= 400; ++step) {
        const uint8_t before = k.StateForTests().level[0];
        Steps(k, 1);
        if (k.StateForTests().level[0] > before) stepsLightingPosition0.push_back(step);
    }
    // the head lights position 0 at step 1, then after 110 path steps, 60 empty ones and the restart
    EXPECT_EQ(stepsLightingPosition0, (std::vector<int>{1, 172, 343}));
}

TEST(KeyboardLighting, Mode21BackwardNeverReadsBeyondThePath)
{
    KeyboardLighting k;
    k.SetSettings(Mode(21, false, false));
    Steps(k, 1); // position 0 -> 170: a restart, nothing lit
    for (int p = 0; p < 170; ++p) EXPECT_EQ(k.StateForTests().level[p], 0);
    Steps(k, 60); // steps 170 .. 111 name nothing
    for (int p = 0; p < 170; ++p) EXPECT_EQ(k.StateForTests().level[p], 0);
    Steps(k, 1); // step 110: none; then 109 lights position 105, which decays in the same step
    Steps(k, 1);
    EXPECT_EQ(k.StateForTests().level[105], 214);
}

TEST(KeyboardLighting, Mode24SingleColourFadesIn51Steps)
{
    // a key that only one row of the rain reaches
    int key = -1;
    int row = -1;
    for (int p = 0; p < 170 && key < 0; ++p) {
        std::vector<int> rows;
        for (int r = 0; r < 52; ++r) {
            for (uint8_t q : keyboard::kRain[r]) {
                if (q == p) rows.push_back(r);
            }
        }
        if (rows.size() == 1) {
            key = p;
            row = rows[0];
        }
    }
    ASSERT_GE(key, 0);
    KeyboardLighting k;
    k.SetSettings(Mode(24, false, true));
    Steps(k, row); // the rain reaches the key
    std::vector<uint8_t> levels{k.StateForTests().level[key]};
    for (int step = 1; step <= 50; ++step) {
        Steps(k, 1);
        levels.push_back(k.StateForTests().level[key]);
    }
    std::vector<uint8_t> expected;
    for (int v = 250; v >= 0; v -= 5) expected.push_back(uint8_t(v));
    EXPECT_EQ(levels, expected); // 255 when reached (250 after that step's fade), 0 after 50 more steps
    EXPECT_EQ(LevelOf(k.Leds().GetLedColor(key)), 0);
}

TEST(KeyboardLighting, AudioStyle2StartsARippleOnEveryThirdInput)
{
    KeyboardLighting k;
    k.SetSettings(Mode(29));
    AudioLightSettings audio;
    audio.style = 2;
    k.SetAudioSettings(audio);
    const std::vector<int32_t> loud(25, 2000); // height 0 everywhere: 25 added per input
    std::vector<int> ripples;
    for (int input = 1; input <= 9; ++input) {
        k.SpectrumInput(loud);
        if (k.StateForTests().planes[0][10] & (1 << 2)) {
            ripples.push_back(input);
            auto s = k.StateForTests();
            for (auto& plane : s.planes) plane.fill(0);
            k.SetStateForTests(s);
        }
    }
    EXPECT_EQ(ripples, (std::vector<int>{3, 6, 9}));
}

TEST(KeyboardLighting, SpreadGrowsADiamondAndMoveCarriesThePlanesSideways)
{
    KeyboardLighting k;
    k.SetSettings(Mode(8, false));
    k.KeyEvent(69, 1); // column 7, row 3
    auto s = k.StateForTests();
    for (const auto& plane : s.planes) EXPECT_EQ(plane[7], 1 << 3);
    Steps(k, 2); // mark + spread twice
    s = k.StateForTests();
    // plane 0: up and left; plane 1: up and right; plane 2: down and right; plane 3: down and left
    EXPECT_EQ(s.planes[0][5], 1 << 3);
    EXPECT_EQ(s.planes[0][6], 1 << 2);
    EXPECT_EQ(s.planes[0][7], 1 << 1);
    EXPECT_EQ(s.planes[1][9], 1 << 3);
    EXPECT_EQ(s.planes[1][8], 1 << 2);
    EXPECT_EQ(s.planes[2][8], 1 << 4);
    EXPECT_EQ(s.planes[2][7], 1 << 5);
    EXPECT_EQ(s.planes[3][6], 1 << 4);
    // the ring after one spread was marked at full level: cells one step from the key
    EXPECT_GT(s.level[kMatrix[6][3]], 0);
    EXPECT_GT(s.level[kMatrix[7][2]], 0);

    KeyboardLighting m;
    m.SetSettings(Mode(9, false));
    m.KeyEvent(69, 1);
    Steps(m, 2);
    s = m.StateForTests();
    EXPECT_EQ(s.planes[0][7], 0);
    EXPECT_EQ(s.planes[2][7], 0);
    EXPECT_EQ(s.planes[1][9], 1 << 3);
    EXPECT_EQ(s.planes[3][5], 1 << 3);
}

TEST(KeyboardLighting, StartStates)
{
    KeyboardLighting gradient;
    gradient.SetSettings(Mode(1));
    const auto g = gradient.StateForTests();
    EXPECT_EQ(std::vector<uint8_t>(g.hue.begin(), g.hue.begin() + 8), (std::vector<uint8_t>{33, 66, 99, 132, 165, 6, 39, 72}));

    KeyboardLighting k22;
    k22.SetSettings(Mode(22));
    const auto s = k22.StateForTests();
    EXPECT_EQ(s.phase[105], 140);
    EXPECT_EQ(s.hue[105], 0);
    const uint8_t column2[] = {0, 22, 43, 64, 85, 107};
    const uint8_t phases2[] = {106, 71, 36, 1, 159, 124};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(s.phase[column2[i]], phases2[i]) << int(column2[i]);
        EXPECT_EQ(s.hue[column2[i]], 14);
    }

    KeyboardLighting k15;
    k15.SetSettings(Mode(15));
    const auto t = k15.StateForTests();
    EXPECT_EQ(t.level[105], 72 + 24); // column 0, row 6 reads column 1's first phase
    EXPECT_EQ(t.level[0], 100);       // column 2, row 1
    EXPECT_EQ(t.hue[0], 14);

    KeyboardLighting k13;
    k13.SetSettings(Mode(13));
    for (const auto& plane : k13.StateForTests().planes) EXPECT_EQ(plane[9], 1 << 6);
    KeyboardLighting k16;
    k16.SetSettings(Mode(16));
    for (const auto& plane : k16.StateForTests().planes) EXPECT_EQ(plane[1], 1);
}

// The keys of an audio style after the same spectrum arrived eight times, a frame after each
// (the ripple style starts a ripple once enough loudness has come in).
std::vector<uint32_t> AudioFrame(int style, const std::vector<int32_t>& spectrum)
{
    KeyboardLighting k;
    k.SetSettings(Mode(29));
    AudioLightSettings audio;
    audio.style = style;
    audio.foreground = {255, 0, 0};
    audio.background = {0, 0, 9};
    k.SetAudioSettings(audio);
    for (int i = 0; i < 8; ++i) {
        k.SpectrumInput(spectrum);
        Steps(k, 1);
    }
    return Frame(k);
}

// The capture program may send any number of values of any size: only the first 25 are taken,
// and a value beyond the range of heights lights the keys as the end of the range does.
TEST(KeyboardLighting, AudioHeightsOutOfRangeStayInsideTheMatrix)
{
    std::vector<int32_t> first25(25);
    for (int i = 0; i < 25; ++i) first25[i] = (i * 373) % 2400;
    std::vector<int32_t> long500 = first25;
    long500.resize(500, INT32_MAX);
    const std::vector<int32_t> loudest(25, INT32_MAX);
    const std::vector<int32_t> quietest(25, INT32_MIN);
    const std::vector<int32_t> silence(25, 0);
    for (int style = 0; style < 7; ++style) {
        const std::vector<uint32_t> shown = AudioFrame(style, first25);
        EXPECT_NE(shown, AudioFrame(style, silence)) << "style " << style << " shows its input";
        EXPECT_EQ(AudioFrame(style, long500), shown) << "style " << style;
        EXPECT_EQ(AudioFrame(style, loudest), AudioFrame(style, std::vector<int32_t>(25, 4000))) << "style " << style;
        EXPECT_EQ(AudioFrame(style, quietest), AudioFrame(style, std::vector<int32_t>(25, -4000))) << "style " << style;
    }
}

TEST(KeyboardLighting, AudioStyle0BarsRiseFromTheBottom)
{
    KeyboardLighting k;
    k.SetSettings(Mode(29));
    AudioLightSettings audio;
    audio.style = 0;
    audio.foreground = {255, 0, 0};
    audio.background = {0, 0, 100};
    k.SetAudioSettings(audio);
    std::vector<int32_t> spectrum(25, 0);
    spectrum[2] = 2000; // column 2: height 0, rows 1..5 inside the bar
    spectrum[3] = 1000; // column 3: height 300, rows 4..5
    k.SpectrumInput(spectrum);
    Steps(k, 1);
    const uint32_t bar = PackLed({255, 0, 0}, 254);
    const uint32_t back = PackLed({0, 0, 100}, 255);
    const std::vector<uint32_t> column2 = {back, bar, bar, bar, bar, bar};
    const std::vector<uint32_t> column3 = {back, back, back, back, bar, bar};
    for (int r = 0; r < 6; ++r) {
        EXPECT_EQ(k.Leds().GetLedColor(kMatrix[2][r]), column2[r]) << r;
        EXPECT_EQ(k.Leds().GetLedColor(kMatrix[3][r]), column3[r]) << r;
    }
    // silence: the bar falls back from its tip, one cell after another
    k.SpectrumInput(std::vector<int32_t>(25, 0));
    Steps(k, 1);
    EXPECT_EQ(LevelOf(k.Leds().GetLedColor(kMatrix[2][1])), Mul8(255, 210));
    EXPECT_EQ(LevelOf(k.Leds().GetLedColor(kMatrix[2][2])), 254);
}

TEST(KeyboardLighting, ColourInputAndCustomColours)
{
    KeyboardLighting k;
    k.SetSettings(Mode(30, false, true, 2));
    k.ColourInput(std::vector<int32_t>{10, 300, -4, 1, 2, 3, 4, 5});
    Steps(k, 1);
    EXPECT_EQ(Frame(k), std::vector<uint32_t>(170, PackLed({10, 255, 0}, 135)));

    KeyboardLighting c;
    c.SetSettings(Mode(19, false, true, 3));
    std::vector<Rgb> colours(170, Rgb{1, 2, 3});
    colours[5] = {9, 8, 7};
    c.SetCustomColours(colours);
    Steps(c, 1);
    EXPECT_EQ(c.Leds().GetLedColor(5), PackLed({9, 8, 7}, 195));
    EXPECT_EQ(c.Leds().GetLedColor(6), PackLed({1, 2, 3}, 195));
    EXPECT_TRUE(KeyboardLighting::StreamsFrames(29));
    EXPECT_TRUE(KeyboardLighting::StreamsFrames(30));
    EXPECT_FALSE(KeyboardLighting::StreamsFrames(19));
}

TEST(KeyboardLighting, Mode25PressRaisesNeighboursAndReleaseLowersThem)
{
    KeyboardLighting k;
    k.SetSettings(Mode(25, false));
    k.KeyEvent(69, 1);
    auto s = k.StateForTests();
    EXPECT_EQ(s.level[69], 255);
    EXPECT_EQ(s.level[kMatrix[6][3]], 240); // direct neighbour
    EXPECT_EQ(s.level[kMatrix[5][3]], 165); // two cells away
    EXPECT_EQ(s.level[kMatrix[6][2]], 165); // diagonal
    k.KeyEvent(69, 2);
    s = k.StateForTests();
    EXPECT_EQ(s.held[69], 2);
    EXPECT_EQ(s.level[kMatrix[6][3]], 225);
    EXPECT_EQ(s.level[kMatrix[5][3]], 75);
    Steps(k, 1);
    EXPECT_EQ(k.StateForTests().level[69], 250);
}

} // namespace
