#pragma once
// Sound as WAV files (48 kHz, 16-bit stereo) for tests and benchmarks that play it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <vector>

namespace orvel::testing {

inline constexpr int kWavRate = 48000;

// seconds of the signal (a function of the time in seconds, -1..1) on both channels.
inline void WriteWav(const std::filesystem::path& file, double seconds, const std::function<double(double)>& signal)
{
    const auto frames = std::uint32_t(seconds * kWavRate);
    std::vector<std::int16_t> samples(std::size_t(frames) * 2);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto v = std::int16_t(std::lround(32767 * std::clamp(signal(double(i) / kWavRate), -1.0, 1.0)));
        samples[2 * i] = samples[2 * i + 1] = v;
    }
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    std::ofstream out(file, std::ios::binary);
    auto put32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    put32(36 + dataBytes);
    out.write("WAVEfmt ", 8);
    put32(16);
    put16(1); // PCM
    put16(2);
    put32(kWavRate);
    put32(kWavRate * 4);
    put16(4);
    put16(16);
    out.write("data", 4);
    put32(dataBytes);
    out.write(reinterpret_cast<const char*>(samples.data()), dataBytes);
}

inline void WriteToneWav(const std::filesystem::path& file, double hz, double seconds, double amplitude)
{
    WriteWav(file, seconds, [=](double t) { return amplitude * std::sin(2 * std::numbers::pi * hz * t); });
}

} // namespace orvel::testing
