// Command-link throughput against the emulators at their default latency, next to the bound
// that latency sets (frames x 2 x one-way latency), and the CPU the scan pass costs with all
// six identities attached.
//
//   build/bin/devicelink_bench --benchmark_min_time=2

#include "devicelink/command_sequence.h"
#include "tests/devicelink/emulator_host.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <array>
#include <chrono>

namespace orvel::test {
namespace {

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void WriteKeyTable(benchmark::State& state)
{
    // 0: cable, 1: receiver, both at the default latency; 2: cable without latency, which
    // shows what the program and the socket add per frame.
    const auto path = state.range(0) == 1 ? sim::Path::Receiver : sim::Path::Cable;
    EmulatorHost host;
    auto mouse = host.Emulator(sim::DeviceKind::Mouse);
    if (state.range(0) == 2)
        mouse->SetLatency(path, std::chrono::milliseconds(0));
    if (!mouse->Plug(path)) {
        state.SkipWithError("emulator not served");
        return;
    }
    host.Scan();
    CDeviceLink& link = host.Device(4).command;
    std::array<std::uint8_t, 512> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint8_t>(i * 7);
    const int frames = (512 + link.chunkSize - 1) / link.chunkSize;
    // One open sequence around all the timed writes: only the key table frames are timed.
    CCommandSequence sequence(link);
    if (sequence.Begin() != 1) {
        state.SkipWithError("BeginConfig failed");
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (link.WriteKeyTable(table, 0) != 1) {
            state.SkipWithError("key table write failed");
            return;
        }
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    const double latencyMs = static_cast<double>(mouse->Latency(path).count());
    state.counters["frames_per_table"] = frames;
    state.counters["frames_per_s"]
        = benchmark::Counter(static_cast<double>(frames) * static_cast<double>(state.iterations()),
                             benchmark::Counter::kIsRate);
    state.counters["bound_ms"] = frames * 2 * latencyMs;
    state.counters["latency_ms"] = latencyMs;
    if (latencyMs > 0)
        state.counters["ratio"] = elapsed.count() / static_cast<double>(state.iterations()) / (frames * 2 * latencyMs);
}
BENCHMARK(WriteKeyTable)->Arg(0)->Arg(1)->Arg(2)->ArgName("path")->Unit(benchmark::kMillisecond)->UseRealTime();

void ScanPassAllAttached(benchmark::State& state)
{
    EmulatorHost host;
    std::vector<std::unique_ptr<sim::ServedDevice>> devices;
    for (auto kind : {sim::DeviceKind::Keyboard, sim::DeviceKind::Mouse, sim::DeviceKind::MousePad,
                      sim::DeviceKind::Headset}) {
        devices.push_back(host.Emulator(kind));
        devices.back()->Plug(sim::Path::Cable);
        if (sim::HasReceiver(kind))
            devices.back()->Plug(sim::Path::Receiver);
    }
    host.Scan();
    if (!AllSlotsAttached(host.slots)) {
        state.SkipWithError("not every slot attached");
        return;
    }
    const double cpuBefore = ProcessCpuSeconds();
    for (auto _ : state)
        host.Scan();
    const double processCpu = ProcessCpuSeconds() - cpuBefore;
    const double passes = static_cast<double>(state.iterations());
    // 600 passes a minute at the 100 ms poll.
    state.counters["process_cpu_ms_per_min"] = processCpu / passes * 600 * 1000;
}
BENCHMARK(ScanPassAllAttached)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace orvel::test

BENCHMARK_MAIN();
