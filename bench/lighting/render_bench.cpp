// Nanoseconds per rendered frame: every keyboard mode (and audio style), and each device kind's
// effects, with the frame packing each kind does.

#include "lighting/device_effects.h"
#include "lighting/device_lighting.h"
#include "lighting/frame_output.h"
#include "lighting/keyboard_lighting.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace orvel::lighting;

LightSettings Settings(int mode, bool multicolor)
{
    LightSettings l;
    l.mode = mode;
    l.brightness = 4;
    l.speed = 4;
    l.direction = true;
    l.fx = 1;
    l.multicolor = multicolor;
    l.colour = {200, 120, 40};
    return l;
}

void KeyboardMode(benchmark::State& state)
{
    const int mode = int(state.range(0));
    const int style = int(state.range(1));
    KeyboardLighting k;
    k.SetSettings(Settings(mode, true));
    AudioLightSettings audio;
    audio.style = style;
    audio.multicolor = true;
    k.SetAudioSettings(audio);
    const std::vector<int32_t> spectrum = {1900, 300, 1200, 50,  1800, 700, 20,  1500, 900, 400, 1000, 1300, 600,
                                           100,  1700, 800, 1100, 200, 1600, 500, 1400, 0,  2000, 350, 950};
    uint64_t now = 0;
    for (auto _ : state) {
        if (mode == 29) k.SpectrumInput(spectrum);
        if (mode == 7 || mode == 8 || mode == 9 || mode == 25) k.KeyEvent(69, (now & 1) + 1);
        k.RenderFrame(now += 14);
        benchmark::DoNotOptimize(k.Leds().GetLedColor(69));
    }
}
BENCHMARK(KeyboardMode)
    ->ArgsProduct({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21, 22, 23, 24, 25, 26, 27, 28, 30}, {0}})
    ->ArgsProduct({{29}, {0, 1, 2, 3, 4, 5, 6}});

void KeyboardFramePacking(benchmark::State& state)
{
    LedBuffer leds(170);
    leds.Fill(PackLed({200, 100, 50}, 128));
    std::vector<uint8_t> ledOfPosition(170);
    for (int p = 0; p < 170; ++p) ledOfPosition[p] = uint8_t(p < 126 ? p : 255);
    Frame frame;
    for (auto _ : state) {
        PackKeyboardFrame(leds, ledOfPosition, frame);
        benchmark::DoNotOptimize(frame.data());
    }
}
BENCHMARK(KeyboardFramePacking);

template <typename Lighting>
void DeviceMode(benchmark::State& state, Lighting& device)
{
    device.SetSettings(Settings(int(state.range(0)), state.range(1) != 0));
    uint64_t now = 0;
    for (auto _ : state) {
        device.RenderFrame(now += 14);
        benchmark::DoNotOptimize(device.Leds().GetLedColor(0));
    }
}

void Mouse(benchmark::State& state)
{
    MouseLighting mouse;
    DeviceMode(state, mouse);
}
BENCHMARK(Mouse)->ArgsProduct({{0, 1, 2, 5, 6}, {0, 1}});

void MousePad(benchmark::State& state)
{
    RingLighting pad(RingLighting::Kind::MousePad);
    DeviceMode(state, pad);
}
BENCHMARK(MousePad)->ArgsProduct({{0, 6, 7}, {0, 1}});

void Headset(benchmark::State& state)
{
    RingLighting headset(RingLighting::Kind::Headset);
    DeviceMode(state, headset);
}
BENCHMARK(Headset)->ArgsProduct({{0, 6, 7}, {0, 1}});

void HeadsetReportPacking(benchmark::State& state)
{
    LedBuffer leds(13);
    leds.Fill(PackLed({255, 128, 9}, 255));
    for (auto _ : state) {
        const HeadsetReports r = PackHeadsetReports(leds);
        benchmark::DoNotOptimize(r.data());
    }
}
BENCHMARK(HeadsetReportPacking);

void BaseFramePacking(benchmark::State& state)
{
    LedBuffer leds(15);
    leds.Fill(PackLed({255, 128, 9}, 200));
    Frame frame;
    for (auto _ : state) {
        benchmark::DoNotOptimize(PackBaseFrame(leds, frame));
    }
}
BENCHMARK(BaseFramePacking);

} // namespace

BENCHMARK_MAIN();
