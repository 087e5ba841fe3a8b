#include "lighting/tables.h"

#include <algorithm>

namespace orvel::lighting {

namespace {

// One third of the wheel: the component that rises while the previous one is 255 ...
constexpr std::array<uint8_t, 32> kRise = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                           44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                           140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
// ... and the one that falls while the next one is 255.
constexpr std::array<uint8_t, 32> kFall = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                           114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                           29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

constexpr std::array<Rgb, 256> MakeWheel()
{
    std::array<Rgb, 256> w{};
    for (int i = 0; i < 32; ++i) {
        w[i] = {255, kRise[i], 0};
        w[32 + i] = {kFall[i], 255, 0};
        w[64 + i] = {0, 255, kRise[i]};
        w[96 + i] = {0, kFall[i], 255};
        w[128 + i] = {kRise[i], 0, 255};
        w[160 + i] = {255, 0, kFall[i]};
    }
    for (int i = 192; i < 256; ++i) {
        w[i] = w[i - 192];
    }
    return w;
}

constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 48> kCurveRise = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

template <std::size_t N>
constexpr std::array<uint8_t, 2 * N> RiseAndFall(const std::array<uint8_t, N>& rise)
{
    std::array<uint8_t, 2 * N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = rise[i];
        out[2 * N - 1 - i] = rise[i];
    }
    return out;
}

constexpr std::array<uint8_t, 5> kIntensity = {0, 80, 135, 195, 255};
constexpr std::array<uint8_t, 5> kFrameThreshold = {28, 23, 18, 13, 7};
constexpr std::array<uint8_t, 5> kSpectrumStep = {10, 8, 5, 3, 1};

int Clamp04(int v) { return std::clamp(v, 0, 4); }

} // namespace

const std::array<Rgb, 256> kWheel = MakeWheel();
const std::array<Rgb, 4> kFixedColours = {Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255},
                                          Rgb{255, 0, 0}};
const std::array<uint8_t, 128> kBreathing = RiseAndFall(kBreathRise);
const std::array<uint8_t, 96> kCurve96 = RiseAndFall(kCurveRise);

uint8_t Intensity(int brightness) { return kIntensity[Clamp04(brightness)]; }
uint8_t FrameThreshold(int speed) { return kFrameThreshold[Clamp04(speed)]; }
uint8_t SpectrumStepThreshold(int speed) { return kSpectrumStep[Clamp04(speed)]; }
uint32_t BlinkPeriodMs(int speed) { return 200u * FrameThreshold(speed); }

uint8_t Step(bool forward, uint8_t period, uint8_t value, uint8_t increment)
{
    if (forward) {
        const unsigned next = uint8_t(value + increment);
        return next < period ? uint8_t(next) : 0;
    }
    const uint8_t back = uint8_t(value - increment);
    return back < period ? back : uint8_t(period - increment);
}

} // namespace orvel::lighting
