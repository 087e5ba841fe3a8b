#include "lighting/tables.h"

#include <gtest/gtest.h>

namespace {

using namespace orvel::lighting;

TEST(Tables, WheelEntriesNamedByTheirPlaces)
{
    struct Case {
        int index;
        Rgb colour;
    };
    const Case cases[] = {
        {0, {255, 1, 0}},   {31, {255, 255, 0}}, {32, {248, 255, 0}}, {63, {0, 255, 0}},
        {64, {0, 255, 1}},  {127, {0, 0, 255}},  {128, {1, 0, 255}},  {191, {255, 0, 0}},
        {192, {255, 1, 0}}, {255, {0, 255, 0}},  {70, {0, 255, 18}},  {174, {255, 0, 85}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kWheel[c.index], c.colour) << c.index;
    }
}

TEST(Tables, CurvesRiseAndFallSymmetrically)
{
    EXPECT_EQ(kBreathing[0], 0);
    EXPECT_EQ(kBreathing[63], 255);
    EXPECT_EQ(kBreathing[64], 255);
    EXPECT_EQ(kBreathing[65], 248);
    EXPECT_EQ(kBreathing[127], 0);
    EXPECT_EQ(kCurve96[0], 22);
    EXPECT_EQ(kCurve96[47], 255);
    EXPECT_EQ(kCurve96[48], 255);
    EXPECT_EQ(kCurve96[95], 22);
}

TEST(Tables, OutOfRangeBrightnessAndSpeedAreClamped)
{
    struct Case {
        int level;
        uint8_t intensity;
        uint8_t threshold;
        uint8_t spectrum;
    };
    const Case cases[] = {
        {-3, 0, 28, 10}, {0, 0, 28, 10}, {1, 80, 23, 8}, {2, 135, 18, 5},
        {3, 195, 13, 3}, {4, 255, 7, 1}, {5, 255, 7, 1}, {200, 255, 7, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Intensity(c.level), c.intensity) << c.level;
        EXPECT_EQ(FrameThreshold(c.level), c.threshold) << c.level;
        EXPECT_EQ(SpectrumStepThreshold(c.level), c.spectrum) << c.level;
    }
    EXPECT_EQ(BlinkPeriodMs(0), 5600u);
    EXPECT_EQ(BlinkPeriodMs(4), 1400u);
}

TEST(Tables, StepRule)
{
    struct Case {
        bool forward;
        uint8_t period, value, increment, result;
    };
    const Case cases[] = {
        {true, 192, 0, 1, 1},     {true, 192, 190, 1, 191}, {true, 192, 191, 1, 0},
        {true, 96, 94, 3, 0},     {true, 255, 254, 3, 1},   {false, 192, 0, 1, 191},
        {false, 192, 191, 1, 190}, {false, 128, 5, 1, 4},   {false, 96, 1, 3, 93},
        {false, 25, 0, 1, 24},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Step(c.forward, c.period, c.value, c.increment), c.result)
            << c.forward << " " << int(c.period) << " " << int(c.value) << " " << int(c.increment);
    }
}

} // namespace
