#include "tools/audiorecord/frequency_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace orvel::audiorecord;

std::vector<float> Tone(double hz, double amplitude, int count, int start = 0)
{
    std::vector<float> samples(count);
    for (int i = 0; i < count; ++i)
        samples[i] = float(amplitude * std::sin(2 * std::numbers::pi * hz * (start + i) / kSampleRate));
    return samples;
}

// Every spectrum the samples give, pushed in pieces of the given sizes (repeated).
std::vector<Spectrum> Analyse(SpectrumAnalyser& analyser, const std::vector<float>& samples,
                              std::vector<std::size_t> pieces = {4096})
{
    std::vector<Spectrum> out;
    std::size_t at = 0;
    for (std::size_t i = 0; at < samples.size(); ++i) {
        const std::size_t n = std::min(pieces[i % pieces.size()], samples.size() - at);
        analyser.Push(std::span(samples).subspan(at, n), [&](const Spectrum& s) { out.push_back(s); });
        at += n;
    }
    return out;
}

int Peak(const Spectrum& s)
{
    return int(std::max_element(s.values.begin(), s.values.end()) - s.values.begin());
}

TEST(Spectrum, FrequenciesOfTheValues)
{
    struct Case {
        double hz;
        int value;
    } cases[] = {{0, 0}, {11.7, 0}, {11.8, 1}, {23.4375, 1}, {1000, 43}, {5000, 213}, {11707, 499}, {11720, -1}, {-30, -1}};
    for (const Case& c : cases) EXPECT_EQ(ValueOfFrequency(c.hz), c.value) << c.hz;
    EXPECT_DOUBLE_EQ(ValueCentreHz(43), 1007.8125);
    EXPECT_DOUBLE_EQ(ValueCentreHz(499), 11695.3125);
}

TEST(Spectrum, DecibelScale)
{
    struct Case {
        double relative;
        int32_t level;
    } cases[] = {{1.0, 2000}, {2.0, 2000}, {std::pow(10.0, -30.0 / 20), 1000}, {0.001, 0}, {0.0001, 0}, {0, 0}, {-1, 0}, {NAN, 0}};
    for (const Case& c : cases) EXPECT_EQ(ScaleLevel(c.relative), c.level) << c.relative;
}

TEST(Spectrum, ATonePeaksInTheValueThatHoldsItsFrequency)
{
    struct Case {
        double hz;
        double amplitude;
    } cases[] = {{1000, 0.5}, {60, 0.9}, {440, 0.1}, {3000, 0.25}, {11000, 0.5}};
    for (const Case& c : cases) {
        SpectrumAnalyser analyser;
        const std::vector<Spectrum> spectra = Analyse(analyser, Tone(c.hz, c.amplitude, 10 * kHopSize));
        ASSERT_EQ(spectra.size(), 10u);
        const Spectrum& s = spectra.back();
        EXPECT_EQ(Peak(s), ValueOfFrequency(c.hz)) << c.hz;
        // The window loses at most 1.5 dB between two values; 2000 units are 60 dB.
        EXPECT_NEAR(s.values[Peak(s)], ScaleLevel(c.amplitude), 55) << c.hz;
        EXPECT_NEAR(s.loudness, ScaleLevel(c.amplitude), 5) << c.hz;
        // Far from the tone the spectrum is dark.
        const int far = ValueOfFrequency(c.hz) > 250 ? 20 : 480;
        EXPECT_EQ(s.values[far], 0) << c.hz;
    }
}

TEST(Spectrum, SilenceIsZero)
{
    SpectrumAnalyser analyser;
    for (const Spectrum& s : Analyse(analyser, std::vector<float>(4 * kHopSize, 0.0f))) {
        EXPECT_EQ(s.loudness, 0);
        EXPECT_TRUE(std::all_of(s.values.begin(), s.values.end(), [](int32_t v) { return v == 0; }));
    }
}

TEST(Spectrum, OneSpectrumPerTwentyMillisecondsWhateverThePieces)
{
    const std::vector<float> samples = Tone(500, 0.5, 5 * kHopSize - 1);
    SpectrumAnalyser reference;
    const std::vector<Spectrum> expected = Analyse(reference, samples, {samples.size()});
    ASSERT_EQ(expected.size(), 4u);
    for (const std::vector<std::size_t>& pieces : std::vector<std::vector<std::size_t>>{{1}, {7, 1000, 333}, {960}}) {
        SpectrumAnalyser analyser;
        const std::vector<Spectrum> got = Analyse(analyser, samples, pieces);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].values, expected[i].values) << i;
            EXPECT_EQ(got[i].loudness, expected[i].loudness) << i;
        }
    }
}

TEST(Spectrum, ResetForgetsThePreviousSource)
{
    SpectrumAnalyser analyser;
    Analyse(analyser, Tone(1000, 0.8, 3 * kHopSize));
    analyser.Reset();
    const std::vector<Spectrum> after = Analyse(analyser, std::vector<float>(kHopSize, 0.0f));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].values[43], 0);

    SpectrumAnalyser kept;
    Analyse(kept, Tone(1000, 0.8, 3 * kHopSize));
    EXPECT_GT(Analyse(kept, std::vector<float>(kHopSize, 0.0f))[0].values[43], 1000);
}

} // namespace
