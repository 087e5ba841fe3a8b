// Our audio library against a real PulseAudio server started here (private folder, the
// headset's null devices), through the program's wrapper as the headset page calls it.
//
//   audio_bench [count]                      time count property reads and writes (1000)
//   audio_bench --cpu [seconds] [--every S]  CPU while the headset page is shown
//
// The timing mode reads "VolumeScalarControl" and writes it (alternating levels), one call at
// a time, and prints the median and the worst of each. The CPU mode shows the page once (the
// library started, the devices probed, the levels read) and then leaves it shown for the
// given seconds (60): the page reads nothing more until it is shown again. With --every S it
// is shown again every S seconds (a new device list, the probe and the reads each time). It
// prints this process's user + system time (the wrapper's thread and the library's main loop)
// and the sound server's, as a share of one core.

#include "audio/headset_audio.h"
#include "tests/support/private_pulse_server.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace orvel;
using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// user + system time of another process, from /proc.
double OtherCpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::vector<std::string> fields;
    std::size_t at = close + 2;
    while (at < text.size()) {
        const std::size_t space = text.find(' ', at);
        fields.push_back(text.substr(at, space - at));
        if (space == std::string::npos)
            break;
        at = space + 1;
    }
    // After the name: state is field 0, utime field 11, stime field 12.
    if (fields.size() < 13)
        return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / double(sysconf(_SC_CLK_TCK));
}

void Report(const char* what, std::vector<double>& micros)
{
    std::sort(micros.begin(), micros.end());
    std::printf("%-6s n=%zu  median %.1f us  worst %.1f us  (p99 %.1f us)\n", what, micros.size(),
                micros[micros.size() / 2], micros.back(), micros[micros.size() * 99 / 100]);
}

int Timing(audio::CAudioSdk& sdk, int count)
{
    std::vector<double> reads, writes;
    for (int i = 0; i < count; ++i) {
        auto start = Clock::now();
        const bool read = sdk.ReadFraction(audio::AudioFlow::Recording, audio::prop::kVolumeScalar,
                                           &audio::kMicrophoneParameter)
                              .has_value();
        reads.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        start = Clock::now();
        const bool written = sdk.WriteScalar(audio::AudioFlow::Recording, audio::prop::kVolumeScalar,
                                             i % 2 == 0 ? 0.4f : 0.6f, &audio::kMicrophoneParameter);
        writes.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (!read || !written) {
            std::fprintf(stderr, "audio_bench: call %d failed\n", i);
            return 1;
        }
    }
    Report("read", reads);
    Report("write", writes);
    return 0;
}

int Cpu(audio::CHeadsetAudioCore& page, pid_t serverPid, int seconds, int every)
{
    const double before = ProcessCpuSeconds();
    const double serverBefore = OtherCpuSeconds(serverPid);
    const auto start = Clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    int shows = 0;
    page.PageShown();
    ++shows;
    while (Clock::now() < end) {
        const auto next = every > 0 ? std::min(end, Clock::now() + std::chrono::seconds(every)) : end;
        std::this_thread::sleep_until(next);
        if (every > 0 && Clock::now() < end) {
            page.PageShown();
            ++shows;
        }
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%d s, page shown %d times: this process %.3f %% of one core, sound server %.3f %%\n", seconds, shows,
                100.0 * (ProcessCpuSeconds() - before) / wall, 100.0 * (OtherCpuSeconds(serverPid) - serverBefore) / wall);
    return page.View().micLevelAvailable ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    bool cpu = false;
    int count = 1000;
    int seconds = 60;
    int every = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--cpu") == 0) {
            cpu = true;
            if (i + 1 < argc && argv[i + 1][0] != '-')
                seconds = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--every") == 0 && i + 1 < argc) {
            every = std::atoi(argv[++i]);
        } else {
            count = std::max(1, std::atoi(argv[i]));
        }
    }
    testing::TempFolder temp;
    testing::PrivatePulseServer server(temp);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "audio_bench: %s\n", error.c_str());
        return 1;
    }
    std::filesystem::create_directories(temp.path() / "HD");
    CDeviceLink link;
    devices::CHeadsetCore headset(link, {temp.path() / "HD", testing::SourceDefaultData(), "HD"});
    headset.SetProfileIdentifier("bench");
    headset.LoadProfile();
    audio::CAudioSdk sdk;
    if (!sdk.Start()) {
        std::fprintf(stderr, "audio_bench: %s\n", sdk.LoadError().c_str());
        return 1;
    }
    audio::CHeadsetAudioCore page(headset, sdk);
    return cpu ? Cpu(page, server.Pid(), seconds, every) : Timing(sdk, count);
}
