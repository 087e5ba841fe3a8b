#include "tools/audiorecord/frequency_levels.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

namespace orvel::audiorecord {

namespace {

constexpr double kStepHz = double(kSampleRate) / kWindowSize;

// FFTW's planner is not thread-safe; plans are made and destroyed under this lock.
std::mutex& PlannerLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

double ValueCentreHz(int k) { return k * kStepHz; }

int ValueOfFrequency(double hz)
{
    const int k = int(std::floor(hz / kStepHz + 0.5));
    return k >= 0 && k < kSpectrumValues ? k : -1;
}

int32_t ScaleLevel(double relative)
{
    if (!(relative > 0)) return 0;
    const double db = 20.0 * std::log10(relative);
    const double scaled = (db - kFloorDb) / -kFloorDb * kSpectrumTop;
    return int32_t(std::lround(std::clamp(scaled, 0.0, double(kSpectrumTop))));
}

SpectrumAnalyser::SpectrumAnalyser() : history_(kWindowSize, 0.0f), window_(kWindowSize)
{
    for (int i = 0; i < kWindowSize; ++i) window_[i] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / kWindowSize));
    std::lock_guard guard(PlannerLock());
    in_ = fftwf_alloc_real(kWindowSize);
    auto* out = fftwf_alloc_complex(kWindowSize / 2 + 1);
    out_ = out;
    plan_ = fftwf_plan_dft_r2c_1d(kWindowSize, in_, out, FFTW_ESTIMATE);
}

SpectrumAnalyser::~SpectrumAnalyser()
{
    std::lock_guard guard(PlannerLock());
    fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
    fftwf_free(out_);
    fftwf_free(in_);
}

void SpectrumAnalyser::Reset()
{
    std::fill(history_.begin(), history_.end(), 0.0f);
    sinceLast_ = 0;
    hopEnergy_ = 0;
}

void SpectrumAnalyser::Push(std::span<const float> samples, const std::function<void(const Spectrum&)>& done)
{
    while (!samples.empty()) {
        const std::size_t take = std::min<std::size_t>(samples.size(), std::size_t(kHopSize - sinceLast_));
        // The history moves on by whole chunks: the oldest samples leave at the front.
        std::move(history_.begin() + take, history_.end(), history_.begin());
        std::copy_n(samples.begin(), take, history_.end() - take);
        for (std::size_t i = 0; i < take; ++i) hopEnergy_ += double(samples[i]) * samples[i];
        samples = samples.subspan(take);
        sinceLast_ += int(take);
        if (sinceLast_ == kHopSize) {
            done(Analyse());
            sinceLast_ = 0;
            hopEnergy_ = 0;
        }
    }
}

Spectrum SpectrumAnalyser::Analyse()
{
    for (int i = 0; i < kWindowSize; ++i) in_[i] = history_[i] * window_[i];
    fftwf_execute(static_cast<fftwf_plan>(plan_));
    const auto* out = static_cast<const fftwf_complex*>(out_);
    // A full-scale sine in the middle of a value gives |X| = N / 4 through the Hann window.
    const double unit = kWindowSize / 4.0;
    Spectrum s;
    for (int k = 0; k < kSpectrumValues; ++k) {
        s.values[k] = ScaleLevel(std::hypot(double(out[k][0]), double(out[k][1])) / unit);
    }
    // The RMS of a full-scale sine is 1/sqrt(2).
    s.loudness = ScaleLevel(std::sqrt(2.0 * hopEnergy_ / kHopSize));
    return s;
}

} // namespace orvel::audiorecord
