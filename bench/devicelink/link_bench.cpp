// Command-link throughput against the emulators at their default latency, next to the bound
// that latency sets (frames x 2 x one-way latency), and the CPU the scan pass costs with all
// six identities attached.
//
//   build/bin/devicelink_bench --benchmark_min_time=2s

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
    const auto path = state.range(0) == 0 ? sim::Path::Cable : sim::Path::Receiver;
    EmulatorHost host;
    auto mouse = host.Emulator(sim::DeviceKind::Mouse);
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
    for (auto _ : state) {
        if (link.WriteKeyTable(table, 0) != 1) {
            state.SkipWithError("key table write failed");
            return;
        }
    }
    const double latencyMs = static_cast<double>(mouse->Latency(path).count());
    state.counters["frames_per_table"] = frames;
    state.counters["frames_per_s"]
        = benchmark::Counter(static_cast<double>(frames) * static_cast<double>(state.iterations()),
                             benchmark::Counter::kIsRate);
    state.counters["bound_ms"] = frames * 2 * latencyMs;
    state.counters["latency_ms"] = latencyMs;
}
BENCHMARK(WriteKeyTable)->Arg(0)->Arg(1)->ArgName("receiver")->Unit(benchmark::kMillisecond)->UseRealTime();

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
