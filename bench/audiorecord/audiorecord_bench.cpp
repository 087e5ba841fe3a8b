// orvel-audiorecord against a real PulseAudio server started here (a private folder, a null
// sink as the only output), with the main window's side of the link (the cores the window runs)
// in this process.
//
//   audiorecord_bench --cpu [seconds]       the capture program's CPU while it sends (60 s),
//                                           then 10 s stopped (commands 2 and 4)
//   audiorecord_bench --latency [tones]     from a tone starting to the keyboard's lighting
//                                           following it (20 tones)
//
// The CPU mode plays music-like sound (a chord whose notes come and go) the whole time and
// prints the capture program's user + system time as a share of one core, the blocks received
// per second and the sound server's share. The latency mode plays into the sink through its own
// low-latency stream: silence, then a 1 kHz tone; the time runs from the first tone sample
// leaving the stream (its write time plus the stream's latency then) to the first frame of the
// keyboard's audio lighting (mode 29, vertical bars) with a lit key, rendered as soon as the
// bands arrive. Not in that figure: the light loop's next step (at most 4 ms) and the frame's
// way to the keyboard (sent every 5 ms).

#include "app/app_messages.h"
#include "lighting/audio_lighting.h"
#include "lighting/audio_record_protocol.h"
#include "lighting/keyboard_lighting.h"
#include "tests/support/child_process.h"
#include "tests/support/private_pulse_server.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tone_wav.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace orvel;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double CpuSeconds(long pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    std::size_t at = close + 2;
    while (at < text.size()) {
        const std::size_t space = text.find(' ', at);
        fields.push_back(text.substr(at, space - at));
        if (space == std::string::npos) break;
        at = space + 1;
    }
    // Fields 14 and 15 of the file (utime, stime) are 11 and 12 after the name.
    if (fields.size() < 13) return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / double(::sysconf(_SC_CLK_TCK));
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A main window of this thread with the window side's cores, as the program wires them.
class MainWindow : public IMessageHandler, public lighting::AudioInputSink {
public:
    explicit MainWindow(testing::TempFolder& temp)
    {
        hwnd_ = CreateWindowHandle(this, L"MainWnd", L"VARNO Orvel 80");
        endpoint_ = ipc::Endpoint::Create(hwnd_);
        lighting::AudioLighting::Setup setup{
            app::RegisterProgramMessages().audioRecord, hwnd_, [] { std::fprintf(stderr, "the capture program did not start\n"); },
            testing::ProgramBeside(std::string(lighting::kAudioRecordProgram)),
            lighting::AudioFile(temp.path() / "AudioFile.json", testing::SourceDefaultData() / "AudioFile.json"),
            std::make_unique<lighting::SteadyWaiter>()};
        audio_ = std::make_unique<lighting::AudioLighting>(std::move(setup));
        lighting::LightSettings l;
        l.mode = 29;
        l.brightness = 4;
        keyboard_.SetSettings(l);
        lighting::AudioLightSettings style;
        style.style = 0;
        style.foreground = {255, 0, 0};
        keyboard_.SetAudioSettings(style);
    }
    ~MainWindow() override
    {
        slot_.Stop();
        audio_->Shutdown();
        endpoint_.reset();
        DestroyWindowHandle(hwnd_);
    }
    void Start()
    {
        audio_->Start(slot_);
        Pump(150ms);
        audio_->OnConnectTimer();
    }
    void Pump(Clock::duration span)
    {
        const auto end = Clock::now() + span;
        while (Clock::now() < end) PumpMessages(5);
    }
    LRESULT HandleMessage(HWND, UINT msg, WPARAM, LPARAM lParam) override
    {
        if (msg == WM_COPYDATA) {
            ++blocks_;
            audio_->OnBlock(*reinterpret_cast<const COPYDATASTRUCT*>(lParam), this);
        }
        return 0;
    }
    // The first keyboard: its lighting takes the bands and draws its next frame at once.
    void SpectrumInput(std::span<const std::int32_t> values) override
    {
        keyboard_.SpectrumInput(values);
        frameMs_ += 1000;
        keyboard_.RenderFrame(frameMs_);
        bool any = false;
        for (int p = 0; p < lighting::KeyboardLighting::kPositions; ++p) any = any || (keyboard_.Leds().GetLedColor(p) & 0xFFFFFF) != 0;
        if (any && !lit_) litAt_ = Clock::now();
        lit_ = any;
    }
    void ColourInput(std::span<const std::int32_t> values) override { keyboard_.ColourInput(values); }

    long CapturePid() const
    {
        const auto window = ipc::FindWindowW(lighting::kAudioRecordClass, lighting::kAudioRecordTitle);
        return window ? std::stol(window->socket.filename().string()) : -1;
    }
    void Command(WPARAM command)
    {
        if (const auto window = ipc::FindWindowW(lighting::kAudioRecordClass, lighting::kAudioRecordTitle))
            ipc::SendMessageW(*window, app::RegisterProgramMessages().audioRecord, command, 0, hwnd_);
    }

    long blocks_ = 0;
    bool lit_ = false;
    Clock::time_point litAt_{};

private:
    HWND hwnd_ = nullptr;
    std::unique_ptr<ipc::Endpoint> endpoint_;
    std::unique_ptr<lighting::AudioLighting> audio_;
    WorkerSlot slot_;
    lighting::KeyboardLighting keyboard_;
    uint64_t frameMs_ = 0;
};

// A chord whose notes come and go, as music changes.
void WriteMusic(const std::filesystem::path& file, double seconds)
{
    static constexpr double kNotes[] = {110, 220, 330, 440, 660, 880, 1320, 1760};
    testing::WriteWav(file, seconds, [](double t) {
        double v = 0;
        for (int n = 0; n < 8; ++n) {
            const double gate = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * (0.7 + 0.3 * n) * t);
            v += 0.1 * gate * std::sin(2 * std::numbers::pi * kNotes[n] * t);
        }
        return v;
    });
}

int MeasureCpu(testing::TempFolder& temp, testing::PrivatePulseServer& pulse, int seconds)
{
    MainWindow window(temp);
    window.Start();
    const auto music = temp.path() / "music.wav";
    WriteMusic(music, seconds + 15);
    const pid_t player = testing::Spawn({"paplay", music.string()}, temp.path() / "paplay.out", temp.path() / "paplay.err");
    window.Pump(4s); // connected, sending, the first spectra through
    const long pid = window.CapturePid();
    if (pid <= 0 || window.blocks_ == 0) {
        std::fprintf(stderr, "no blocks came from the capture program\n");
        testing::Stop(player);
        return 1;
    }
    const double startCpu = CpuSeconds(pid);
    const double startServer = CpuSeconds(pulse.Pid());
    const long startBlocks = window.blocks_;
    const auto start = Clock::now();
    window.Pump(std::chrono::seconds(seconds));
    const double wall = Ms(Clock::now() - start) / 1000;
    std::printf("sending: %.3f %% of one core over %.1f s (%.1f blocks/s received); sound server %.3f %%\n",
                100 * (CpuSeconds(pid) - startCpu) / wall, wall, double(window.blocks_ - startBlocks) / wall,
                100 * (CpuSeconds(pulse.Pid()) - startServer) / wall);
    testing::Stop(player);
    window.Command(lighting::kStopSending);
    window.Command(lighting::kStopCapture);
    window.Pump(1s);
    const double idleCpu = CpuSeconds(pid);
    const long idleBlocks = window.blocks_;
    window.Pump(10s);
    std::printf("stopped: %.3f %% of one core over 10 s, %ld blocks\n", 100 * (CpuSeconds(pid) - idleCpu) / 10,
                window.blocks_ - idleBlocks);
    return 0;
}

int MeasureLatency(testing::TempFolder& temp, int tones)
{
    MainWindow window(temp);
    window.Start();
    pa_sample_spec format{PA_SAMPLE_FLOAT32NE, 48000, 1};
    pa_buffer_attr attr{};
    attr.maxlength = uint32_t(-1);
    attr.tlength = 48000 / 100 * 4; // 10 ms
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "audiorecord_bench", PA_STREAM_PLAYBACK, nullptr, "tone", &format, nullptr, &attr, &error);
    if (stream == nullptr) {
        std::fprintf(stderr, "no playback stream: %s\n", pa_strerror(error));
        return 1;
    }
    std::atomic<bool> tone = false, stop = false;
    std::atomic<long long> toneStartUs = 0;
    std::thread player([&] {
        std::vector<float> block(240); // 5 ms
        long long phase = 0;
        bool wasTone = false;
        while (!stop) {
            const bool on = tone;
            for (float& s : block) s = on ? float(0.5 * std::sin(2 * std::numbers::pi * 1000 * double(phase++) / 48000)) : 0.0f;
            if (on && !wasTone) {
                // The first tone sample is heard after what the stream holds already.
                const pa_usec_t queued = pa_simple_get_latency(stream, &error);
                toneStartUs = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch()).count() + long(queued);
            }
            wasTone = on;
            pa_simple_write(stream, block.data(), block.size() * sizeof(float), &error);
        }
    });
    window.Pump(4s);
    std::vector<double> latencies;
    int early = 0;
    for (int i = 0; i < tones; ++i) {
        window.lit_ = false;
        window.litAt_ = {};
        toneStartUs = 0;
        tone = true;
        const auto asked = Clock::now();
        while (window.litAt_ == Clock::time_point{} && Clock::now() - asked < 2s) PumpMessages(1);
        // Lit before the player even wrote the tone: what is left of the last one, not this.
        if (window.litAt_ != Clock::time_point{} && toneStartUs == 0) {
            ++early;
        } else if (window.litAt_ != Clock::time_point{}) {
            const Clock::time_point started{std::chrono::microseconds(toneStartUs.load())};
            latencies.push_back(Ms(window.litAt_ - started));
        }
        window.Pump(300ms);
        tone = false;
        window.Pump(1500ms); // the bands fall back to nothing
    }
    stop = true;
    player.join();
    pa_simple_free(stream);
    if (latencies.empty()) {
        std::fprintf(stderr, "the keyboard never lit\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("tone to keyboard frame over %zu tones: median %.1f ms, 90th percentile %.1f ms, least %.1f ms, most %.1f ms\n",
                latencies.size(), latencies[latencies.size() / 2], latencies[latencies.size() * 9 / 10], latencies.front(),
                latencies.back());
    if (early > 0) std::printf("%d tones found the keyboard lit before they were played, and are not counted\n", early);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "--cpu" && mode != "--latency") {
        std::fprintf(stderr, "usage: audiorecord_bench --cpu [seconds] | --latency [tones]\n");
        return 2;
    }
    testing::TempFolder temp;
    temp.setEnv("XDG_RUNTIME_DIR", temp.path().string());
    temp.setEnv("XDG_DATA_HOME", (temp.path() / "data").string());
    testing::PrivatePulseServer pulse(temp, false);
    std::string error;
    if (!pulse.Start(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : (mode == "--cpu" ? 60 : 20);
    return mode == "--cpu" ? MeasureCpu(temp, pulse, count) : MeasureLatency(temp, count);
}
