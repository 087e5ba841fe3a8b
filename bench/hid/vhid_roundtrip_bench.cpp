// One command round trip over vhid: CHidDevice writes a 64-byte report, an in-process echo
// server sends it back as input, CHidDevice reads it. Reports the median and the 99th
// percentile of the single round trips besides Google Benchmark's mean.
#include "devicelink/hiddevice.h"
#include "sim/vhid/vhid_server.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

// The vendor collection of the command interface: report id 4, 63 data bytes each way.
const std::vector<uint8_t> kVendor64 = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x01, 0x95, 0x3F, 0x91, 0x02, 0xC0};

void BM_VhidWriteReadRoundTrip(benchmark::State& state)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvel-bench-XXXXXX").string();
    const std::filesystem::path folder = std::filesystem::path(::mkdtemp(pattern.data())) / "vhid";

    orvel::vhid::Hello hello;
    hello.vendorId = 0x320F;
    hello.productId = 0x221C;
    hello.interfaceNumber = 1;
    hello.reportDescriptor = kVendor64;
    orvel::vhid::Server* echo = nullptr;
    orvel::vhid::ServerCallbacks callbacks;
    callbacks.onOutput = [&echo](const std::vector<uint8_t>& report) { echo->SendInput(report); };
    orvel::vhid::Server server(folder, "bench.if1", hello, callbacks);
    echo = &server;
    if (!server.Start()) {
        state.SkipWithError("cannot start the echo server");
        return;
    }
    CHidDevice hid;
    const std::string path = "vhid:" + server.SocketPath().string() + "#vid_320f&pid_221c&mi_01";
    if (hid.Open(path, true, true, true, false) != 1) {
        state.SkipWithError("cannot open the virtual interface");
        return;
    }
    std::vector<uint8_t> command(64, 0);
    command[0] = 4;
    std::vector<uint8_t> answer(64, 0);
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        uint32_t n = 0;
        command[1] = static_cast<uint8_t>(micros.size());
        if (hid.Write(command.data(), 64, &n, 1000) != 1 || hid.Read(answer.data(), 64, &n, 1000) != 1
            || answer[1] != command[1]) {
            state.SkipWithError("round trip failed");
            break;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    if (!micros.empty()) {
        std::sort(micros.begin(), micros.end());
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    }
    hid.Close();
    server.Stop();
    std::error_code ec;
    std::filesystem::remove_all(folder.parent_path(), ec);
}
BENCHMARK(BM_VhidWriteReadRoundTrip)->Iterations(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
