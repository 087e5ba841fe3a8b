#include "lighting/audio_band_input.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

using namespace orvel::lighting;
using Result = AudioSpectrumInput::Result;
using orvel::ULONG_PTR;

struct RecordingKeyboard : AudioInputSink {
    void SpectrumInput(std::span<const std::int32_t> v) override { spectra.emplace_back(v.begin(), v.end()); }
    void ColourInput(std::span<const std::int32_t> v) override { colours.emplace_back(v.begin(), v.end()); }
    std::vector<std::vector<std::int32_t>> spectra, colours;
};

std::vector<std::uint8_t> Bytes(const std::vector<std::int32_t>& values)
{
    std::vector<std::uint8_t> b(values.size() * 4);
    std::memcpy(b.data(), values.data(), b.size());
    return b;
}

std::vector<std::uint8_t> Spectrum(std::int32_t value) { return Bytes(std::vector<std::int32_t>(500, value)); }

TEST(AudioSpectrumInput, TheFirstSpectrumIsComparedWithZeros)
{
    std::vector<std::int32_t> values(500, 0);
    values[0] = 40;   // band 0
    values[3] = -20;  // band 0, its fourth value
    values[4] = 1000; // the fifth value of band 0 takes no part
    values[9] = 8;    // band 1
    values[124] = 7;  // the last band's fifth value
    values[123] = 12; // the last band's fourth value
    values[200] = 9999; // beyond the bands
    AudioSpectrumInput input;
    EXPECT_EQ(input.OnBlock(kSpectrumBlock, Bytes(values), nullptr), Result::Taken);
    std::array<std::int32_t, 25> expected{};
    expected[0] = 15;
    expected[1] = 0;
    expected[24] = 3;
    EXPECT_EQ(input.Bands(), expected);
    values[9] = 0;
    values[8] = 8;
    input.OnBlock(kSpectrumBlock, Bytes(values), nullptr);
    expected[0] = 3;  // (15 + 0) / 4
    expected[1] = 2;  // (0 + 8) / 4
    expected[24] = 0; // (3 + 0) / 4
    EXPECT_EQ(input.Bands(), expected);
}

TEST(AudioSpectrumInput, EqualSpectraLeaveAQuarterOfEachBand)
{
    AudioSpectrumInput input;
    input.OnBlock(kSpectrumBlock, Spectrum(400), nullptr);
    EXPECT_EQ(input.Bands()[7], 400);
    for (std::int32_t expected : {100, 25, 6, 1, 0}) {
        input.OnBlock(kSpectrumBlock, Spectrum(400), nullptr);
        EXPECT_EQ(input.Bands()[7], expected);
    }
}

TEST(AudioSpectrumInput, EveryThirdSpectrumReachesTheKeyboard)
{
    AudioSpectrumInput input;
    RecordingKeyboard keyboard;
    std::vector<Result> results;
    for (int i = 0; i < 7; ++i) results.push_back(input.OnBlock(kSpectrumBlock, Spectrum(i % 2 ? 800 : 0), &keyboard));
    EXPECT_EQ(results, (std::vector<Result>{Result::Taken, Result::Taken, Result::Delivered, Result::Taken, Result::Taken,
                                            Result::Delivered, Result::Taken}));
    ASSERT_EQ(keyboard.spectra.size(), 2u);
    EXPECT_EQ(keyboard.spectra[0].size(), 25u) << "only the bands, never 500 values";
    EXPECT_EQ(keyboard.spectra[0][0], 1000); // 0, then (0 + 4 x 800) / 4, then (800 + 4 x 800) / 4
    EXPECT_EQ(input.Counter(), 1);
}

TEST(AudioSpectrumInput, TheColourInputGoesToTheKeyboardAtOnce)
{
    AudioSpectrumInput input;
    RecordingKeyboard keyboard;
    EXPECT_EQ(input.OnBlock(kColourInputBlock, Bytes({255, 1, 2, 3, 4, 5}), &keyboard), Result::Delivered);
    EXPECT_EQ(keyboard.colours, (std::vector<std::vector<std::int32_t>>{{255, 1, 2, 3, 4, 5}}));
    EXPECT_EQ(input.OnBlock(kColourInputBlock, Bytes({9, 9, 9, 0, 0, 0}), nullptr), Result::Taken);
    EXPECT_EQ(input.ColourInput(), (std::array<std::int32_t, 6>{9, 9, 9, 0, 0, 0}));
}

TEST(AudioSpectrumInput, BlocksOfAnotherSizeOrKindAreRefusedAndChangeNothing)
{
    struct Case {
        ULONG_PTR id;
        std::size_t bytes;
    } cases[] = {{kSpectrumBlock, 0},    {kSpectrumBlock, 1999}, {kSpectrumBlock, 2001}, {kSpectrumBlock, 4000},
                 {kSpectrumBlock, 24},   {kColourInputBlock, 0}, {kColourInputBlock, 23}, {kColourInputBlock, 28},
                 {kColourInputBlock, 2000}, {kColourBlock, 40},  {0, 2000},              {3, 24},
                 {ULONG_PTR(-1), 2000}};
    for (const Case& c : cases) {
        AudioSpectrumInput input;
        RecordingKeyboard keyboard;
        input.OnBlock(kSpectrumBlock, Spectrum(100), &keyboard);
        input.OnBlock(kColourInputBlock, Bytes({1, 2, 3, 0, 0, 0}), &keyboard);
        const auto bands = input.Bands();
        const auto colour = input.ColourInput();
        const std::vector<std::uint8_t> block(c.bytes, 0x7F);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(input.OnBlock(c.id, block, &keyboard), Result::Refused) << c.id << " " << c.bytes;
        EXPECT_EQ(input.Bands(), bands);
        EXPECT_EQ(input.ColourInput(), colour);
        EXPECT_EQ(input.Counter(), 1) << "a refused block does not count as a spectrum";
        EXPECT_TRUE(keyboard.spectra.empty());
        EXPECT_EQ(keyboard.colours.size(), 1u);
    }
}

TEST(AudioSpectrumInput, ExtremeValuesDoNotOverflow)
{
    AudioSpectrumInput input;
    input.OnBlock(kSpectrumBlock, Spectrum(INT32_MIN), nullptr);
    input.OnBlock(kSpectrumBlock, Spectrum(INT32_MAX), nullptr);
    for (std::int32_t band : input.Bands()) EXPECT_EQ(band, INT32_MAX);
}

} // namespace
