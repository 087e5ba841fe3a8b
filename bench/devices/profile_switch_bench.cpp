// Wall time of a profile select (the whole profile-switch sequence: settings block, macro
// image, key table, and for the keyboard its custom colour group) against the emulators at
// their default latency, with the frames it sends and the bound the latency sets
// (frames x 2 x one-way latency).
//
//   build/bin/devices_bench --benchmark_min_time=1

#include "devices/keyboard_core.h"
#include "devices/mouse_core.h"
#include "tests/devices/emulated_device.h"
#include "tests/devices/profile_documents.h"

#include <benchmark/benchmark.h>

namespace orvel::devices {
namespace {

using namespace testing;

// device 0: mouse by cable, 1: mouse through its receiver, 2: keyboard by cable, 3: keyboard
// through its receiver; latency 1: the emulator's default, 0: none (what the program itself
// costs: profile files, image building, sockets).
void ProfileSelect(benchmark::State& state)
{
    const bool isKeyboard = state.range(0) >= 2;
    const auto path = state.range(0) % 2 == 1 ? sim::Path::Receiver : sim::Path::Cable;
    const auto kind = isKeyboard ? sim::DeviceKind::Keyboard : sim::DeviceKind::Mouse;
    const auto latency = state.range(1) == 0 ? std::chrono::milliseconds(0)
                         : path == sim::Path::Cable ? sim::kDefaultCableLatency
                                                    : sim::kDefaultReceiverLatency;
    EmulatedDevice dev(kind, latency);
    const std::string file = isKeyboard ? "keyboard" : "mouse";
    WriteMacros(dev.profileFolder, {20, 20});
    // Two profiles that differ in lighting and in the macro one key plays.
    const int key = isKeyboard ? 30 : 3;
    for (int n : {1, 2}) {
        WriteProfile(dev.profileFolder, "profile" + std::to_string(n), file, [&](Json::Value& e) {
            e["KeyList"][key]["Assignment"] = 0x700000 + ((n - 1) << 8);
            e["LightInfo"]["SelectItem"] = n;
        });
    }
    std::unique_ptr<MouseCore> mouse;
    std::unique_ptr<KeyboardCore> keyboard;
    DeviceCore* core = nullptr;
    if (isKeyboard) {
        keyboard = std::make_unique<KeyboardCore>(*dev.link, dev.Folders(file));
        core = keyboard.get();
    } else {
        mouse = std::make_unique<MouseCore>(*dev.link, dev.Folders(file));
        core = mouse.get();
    }
    core->SetProfileIdentifier("profile1");
    dev.Attach(path);
    if (core->LoadFromDevice() != 1) {
        state.SkipWithError("attach read failed");
        return;
    }
    dev.Sent();
    lighting::LedBuffer leds(kKeyboardPositions);
    std::size_t frames = 0;
    int n = 0;
    for (auto _ : state) {
        core->SetProfileIdentifier(n++ % 2 == 0 ? "profile2" : "profile1");
        const SequenceResult result = keyboard ? keyboard->SwitchProfile(leds) : mouse->SwitchProfile();
        if (result.status != 1) {
            state.SkipWithError("profile switch failed");
            return;
        }
        frames += dev.Sent().size();
    }
    const double latencyMs = static_cast<double>(dev.device->Latency(path).count());
    const double perSwitch = static_cast<double>(frames) / static_cast<double>(state.iterations());
    state.counters["frames"] = perSwitch;
    state.counters["latency_ms"] = latencyMs;
    state.counters["bound_ms"] = perSwitch * 2 * latencyMs;
}
BENCHMARK(ProfileSelect)
    ->ArgsProduct({{0, 1, 2, 3}, {1, 0}})
    ->ArgNames({"device", "latency"})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace orvel::devices
BENCHMARK_MAIN();
