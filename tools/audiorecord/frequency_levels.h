#pragma once
// The capture program's spectrum: every 20 ms, the magnitudes of the last 2048 samples (mono,
// 48 kHz, Hann window, FFTW real transform) in 500 values of 23.4375 Hz each, from 0 Hz up. A
// value is the level of its frequency on a decibel scale: 0 for -60 dB or less below a
// full-scale sine, 2000 for a full-scale sine. docs/audio-lighting.md lists the frequencies.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace orvel::audiorecord {

inline constexpr int kSampleRate = 48000;
inline constexpr int kWindowSize = 2048;
inline constexpr int kHopSize = kSampleRate / 50; // 20 ms
inline constexpr int kSpectrumValues = 500;
inline constexpr int32_t kSpectrumTop = 2000;
inline constexpr double kFloorDb = -60.0;

// The frequency at the centre of value k, and the value whose band holds a frequency (-1 past
// the last value). Value k covers centre ± half a step.
double ValueCentreHz(int k);
int ValueOfFrequency(double hz);

// A level relative to a full-scale sine (1.0) on the 0..2000 scale.
int32_t ScaleLevel(double relative);

struct Spectrum {
    std::array<int32_t, kSpectrumValues> values{};
    // The loudness of the last 20 ms on the same scale (the RMS of a full-scale sine is 2000).
    int32_t loudness = 0;
};

class SpectrumAnalyser {
public:
    SpectrumAnalyser();
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // Takes mono samples (-1..1); for every 20 ms of them, calls done with the spectrum of the
    // 2048 samples up to that point.
    void Push(std::span<const float> samples, const std::function<void(const Spectrum&)>& done);
    // Forgets what was pushed (a new source starts from silence).
    void Reset();

private:
    Spectrum Analyse();

    std::vector<float> history_; // the last kWindowSize samples, oldest first
    int sinceLast_ = 0;          // samples pushed since the last spectrum
    double hopEnergy_ = 0;       // sum of squares of those samples
    std::vector<float> window_;
    float* in_ = nullptr;
    void* out_ = nullptr;
    void* plan_ = nullptr;
};

} // namespace orvel::audiorecord
