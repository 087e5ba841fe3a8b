// orvel-audiorecord against a PulseAudio server of the test's own, whose only output is a null
// sink: tones played into it with paplay, the spectra it prints, and the main window's side of
// the link (the cores the window runs) with the watchdog, over the program's real messages.

#include "app/app_messages.h"
#include "lighting/audio_lighting.h"
#include "lighting/audio_record_protocol.h"
#include "platform/namedmutex.h"
#include "tests/profiles/json_text.h"
#include "tests/support/child_process.h"
#include "tests/support/private_pulse_server.h"
#include "tests/support/source_folder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tone_wav.h"
#include "tools/audiorecord/frequency_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

using namespace orvel;
using namespace std::chrono_literals;
using orvel::testing::ProgramBeside;

// A program the test started, ended with the test unless it was waited for.
struct Child {
    pid_t pid;
    ~Child()
    {
        if (pid > 0) orvel::testing::Stop(pid);
    }
};

struct Printed {
    long long ms;
    std::vector<int> values;
    int Peak() const { return int(std::max_element(values.begin(), values.end()) - values.begin()); }
    int Max() const { return *std::max_element(values.begin(), values.end()); }
};

std::vector<Printed> ReadPrinted(const std::filesystem::path& file)
{
    std::vector<Printed> out;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.back() != '}') continue; // a line still being written
        const Json::Value v = orvel::testing::ParseJson(line);
        Printed p{v["ms"].asInt64(), {}};
        for (const Json::Value& x : v["spectrum"]) p.values.push_back(x.asInt());
        if (p.values.size() == audiorecord::kSpectrumValues) out.push_back(std::move(p));
    }
    return out;
}

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit, const std::function<void()>& meanwhile = {})
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        if (meanwhile) {
            meanwhile();
        } else {
            std::this_thread::sleep_for(10ms);
        }
    }
    return true;
}

class CaptureSystem : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp_.setEnv("XDG_RUNTIME_DIR", temp_.path().string());
        temp_.setEnv("XDG_DATA_HOME", (temp_.path() / "data").string());
        temp_.setEnv("XDG_CACHE_HOME", (temp_.path() / "cache").string());
        std::string error;
        ASSERT_TRUE(pulse_.Start(error)) << error;
    }

    std::filesystem::path Tone(double hz, double seconds, double amplitude = 0.5)
    {
        const std::filesystem::path file = temp_.path() / ("tone" + std::to_string(int(hz)) + ".wav");
        orvel::testing::WriteToneWav(file, hz, seconds, amplitude);
        return file;
    }

    // Plays a file into the server (its default output, or the named sink) and waits for the end.
    void Play(const std::filesystem::path& file, const std::string& sink = {})
    {
        std::vector<std::string> words = {"paplay"};
        if (!sink.empty()) words.push_back("--device=" + sink);
        words.push_back(file.string());
        Child player{orvel::testing::Spawn(words, temp_.path() / "paplay.out", temp_.path() / "paplay.err")};
        ASSERT_GT(player.pid, 0);
        const std::optional<int> code = orvel::testing::WaitFor(player.pid, 15s);
        if (code) player.pid = -1;
        EXPECT_EQ(code, 0) << orvel::testing::FileText(temp_.path() / "paplay.err");
    }

    orvel::testing::TempFolder temp_;
    orvel::testing::PrivatePulseServer pulse_{temp_, false};
};

TEST_F(CaptureSystem, PrintedSpectraPeakAtTheTonesValueAndAreZeroInSilence)
{
    const std::filesystem::path out = temp_.path() / "spectra.jsonl";
    Child capture{orvel::testing::Spawn({ProgramBeside("orvel-audiorecord").string(), "--print"}, out, temp_.path() / "capture.err")};
    ASSERT_GT(capture.pid, 0);
    ASSERT_TRUE(Eventually([&] { return ReadPrinted(out).size() >= 10; }, 15s)) << orvel::testing::FileText(temp_.path() / "capture.err");
    const std::size_t silent = ReadPrinted(out).size();
    Play(Tone(1000, 1.0));
    ASSERT_TRUE(Eventually([&] { return ReadPrinted(out).size() >= silent + 60; }, 10s));
    orvel::testing::Stop(std::exchange(capture.pid, -1));

    const std::vector<Printed> spectra = ReadPrinted(out);
    for (std::size_t i = 0; i < silent; ++i) EXPECT_LE(spectra[i].Max(), 20) << "silence, spectrum " << i;
    const int value = audiorecord::ValueOfFrequency(1000);
    ASSERT_EQ(value, 43);
    int toneSpectra = 0;
    for (const Printed& p : spectra) {
        if (p.Max() < 1500) continue;
        ++toneSpectra;
        EXPECT_EQ(p.Peak(), value) << "at " << p.ms << " ms";
    }
    // One second of tone is 50 spectra, less the ones the tone only partly fills.
    EXPECT_GE(toneSpectra, 40);
    EXPECT_LE(toneSpectra, 55);
    EXPECT_LE(spectra.back().Max(), 20) << "silence again after the tone";
}

TEST_F(CaptureSystem, ItFollowsAChangeOfTheDefaultOutput)
{
    const std::filesystem::path out = temp_.path() / "spectra.jsonl";
    Child capture{orvel::testing::Spawn({ProgramBeside("orvel-audiorecord").string(), "--print"}, out, temp_.path() / "capture.err")};
    ASSERT_GT(capture.pid, 0);
    ASSERT_TRUE(Eventually([&] { return ReadPrinted(out).size() >= 5; }, 15s));
    ASSERT_FALSE(pulse_.Pactl("load-module module-null-sink sink_name=second").empty());
    ASSERT_TRUE(pulse_.Pactl("set-default-sink second").empty());
    ASSERT_NE(pulse_.Pactl("info").find("Default Sink: second"), std::string::npos);
    const std::size_t before = ReadPrinted(out).size();
    // Time to move over, then a tone on the new default output only.
    ASSERT_TRUE(Eventually([&] { return ReadPrinted(out).size() >= before + 25; }, 10s));
    Play(Tone(2000, 1.0), "second");
    ASSERT_TRUE(Eventually([&] { return ReadPrinted(out).size() >= before + 100; }, 10s));
    const std::vector<Printed> spectra = ReadPrinted(out);
    const int value = audiorecord::ValueOfFrequency(2000);
    const auto heard = std::count_if(spectra.begin() + long(before), spectra.end(),
                                     [&](const Printed& p) { return p.Max() >= 1500 && p.Peak() == value; });
    EXPECT_GE(heard, 40);
}

TEST_F(CaptureSystem, WithoutASoundServerItWaitsForOne)
{
    pulse_.Kill();
    std::filesystem::remove(pulse_.Socket());
    const std::filesystem::path out = temp_.path() / "spectra.jsonl";
    Child capture{orvel::testing::Spawn({ProgramBeside("orvel-audiorecord").string(), "--print"}, out, temp_.path() / "capture.err")};
    ASSERT_GT(capture.pid, 0);
    const std::optional<int> ended = orvel::testing::WaitFor(capture.pid, 2500ms);
    if (ended) capture.pid = -1;
    ASSERT_FALSE(ended) << "it ended with " << *ended << ": " << orvel::testing::FileText(temp_.path() / "capture.err");
    EXPECT_TRUE(ReadPrinted(out).empty());
    std::string error;
    ASSERT_TRUE(pulse_.Start(error)) << error;
    EXPECT_TRUE(Eventually([&] { return ReadPrinted(out).size() >= 5; }, 15s)) << "the server that came is recorded";
}

// The main window's cores around a window of the test's thread, as the program wires them.
class WindowSide : public CaptureSystem, public IMessageHandler {
protected:
    struct Keyboard : lighting::AudioInputSink {
        void SpectrumInput(std::span<const std::int32_t> v) override { spectra.emplace_back(v.begin(), v.end()); }
        void ColourInput(std::span<const std::int32_t> v) override { colours.emplace_back(v.begin(), v.end()); }
        std::vector<std::vector<std::int32_t>> spectra, colours;
    };

    void SetUp() override
    {
        CaptureSystem::SetUp();
        main_ = CreateWindowHandle(this, L"MainWnd", L"VARNO Orvel 80");
        endpoint_ = ipc::Endpoint::Create(main_);
        ASSERT_TRUE(endpoint_);
        lighting::AudioLighting::Setup setup{
            app::RegisterProgramMessages().audioRecord, main_, [this] { ++startFailures_; },
            ProgramBeside(std::string(lighting::kAudioRecordProgram)),
            lighting::AudioFile(temp_.path() / "data" / "AudioFile.json", orvel::testing::SourceDefaultData() / "AudioFile.json"),
            std::make_unique<lighting::SteadyWaiter>()};
        audio_ = std::make_unique<lighting::AudioLighting>(std::move(setup));
    }
    void TearDown() override
    {
        slot_.Stop();
        if (audio_) audio_->Shutdown();
        Eventually([] { return !ipc::OpenMutexW(lighting::kAudioRecordMutex); }, 5s, [] { PumpMessages(10); });
        audio_.reset();
        endpoint_.reset();
        DestroyWindowHandle(main_);
    }
    LRESULT HandleMessage(HWND, UINT msg, WPARAM, LPARAM lParam) override
    {
        if (msg == WM_COPYDATA) audio_->OnBlock(*reinterpret_cast<const COPYDATASTRUCT*>(lParam), &keyboard_);
        return 0;
    }
    bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit)
    {
        return Eventually(done, limit, [] { PumpMessages(10); });
    }
    // The start order of "windowinit" and timer 1011, then the first spectra on the keyboard.
    void StartAndConnect(std::size_t spectra)
    {
        audio_->Start(slot_);
        Pump([] { return false; }, 100ms);
        audio_->OnConnectTimer();
        ASSERT_TRUE(Pump([&] { return keyboard_.spectra.size() >= spectra; }, 15s));
    }
    // The process id in the running capture program's endpoint name ("<pid>-...").
    static long CapturePid()
    {
        const auto window = ipc::FindWindowW(lighting::kAudioRecordClass, lighting::kAudioRecordTitle);
        return window ? std::stol(window->socket.filename().string()) : -1;
    }

    HWND main_ = nullptr;
    std::unique_ptr<ipc::Endpoint> endpoint_;
    std::unique_ptr<lighting::AudioLighting> audio_;
    WorkerSlot slot_;
    Keyboard keyboard_;
    int startFailures_ = 0;
};

TEST_F(WindowSide, TheBandsFollowTheChangesOfTheMusic)
{
    StartAndConnect(5);
    for (const auto& bands : keyboard_.spectra) EXPECT_EQ(bands, std::vector<std::int32_t>(lighting::kAudioBands, 0)) << "silence";
    const std::size_t before = keyboard_.spectra.size();
    std::thread player([&] { Play(Tone(1000, 1.0)); });
    Pump([&] { return keyboard_.spectra.size() >= before + 30; }, 10s);
    player.join();
    std::array<std::int32_t, lighting::kAudioBands> loudest{};
    for (std::size_t i = before; i < keyboard_.spectra.size(); ++i)
        for (std::size_t j = 0; j < loudest.size(); ++j) loudest[j] = std::max(loudest[j], keyboard_.spectra[i][j]);
    // The bands show how much the spectrum changes: a tone that starts (and ends) moves them
    // all, band 8 (values 40..43, 1 kHz is value 43) among them; a steady tone or silence lets
    // them fall back to nothing.
    EXPECT_GT(*std::max_element(loudest.begin(), loudest.end()), 300);
    EXPECT_GT(loudest[8], 100);
    const std::size_t after = keyboard_.spectra.size();
    ASSERT_TRUE(Pump([&] { return keyboard_.spectra.size() >= after + 10; }, 5s));
    EXPECT_EQ(keyboard_.spectra.back(), std::vector<std::int32_t>(lighting::kAudioBands, 0));
    EXPECT_FALSE(keyboard_.colours.empty());
    EXPECT_EQ(startFailures_, 0);
}

TEST_F(WindowSide, TheWatchdogBringsBackAKilledCaptureProgram)
{
    StartAndConnect(3);
    const long first = CapturePid();
    ASSERT_GT(first, 0);
    ASSERT_EQ(::kill(pid_t(first), SIGKILL), 0);
    const auto killed = std::chrono::steady_clock::now();
    ASSERT_TRUE(Pump([&] { return CapturePid() > 0 && CapturePid() != first; }, 10s));
    const std::size_t before = keyboard_.spectra.size();
    EXPECT_TRUE(Pump([&] { return keyboard_.spectra.size() >= before + 3; }, 15s)) << "spectra flow again";
    const auto back = std::chrono::steady_clock::now() - killed;
    EXPECT_LT(back, 5s) << "the watchdog looks every second";
    EXPECT_EQ(startFailures_, 0);
}

TEST_F(WindowSide, AtExitTheCaptureProgramIsToldToEnd)
{
    StartAndConnect(1);
    const long pid = CapturePid();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(slot_.Stop(), WorkerSlot::StopResult::Ended);
    audio_->Shutdown();
    EXPECT_TRUE(Pump([&] { return ::kill(pid_t(pid), 0) != 0; }, 5s));
    EXPECT_FALSE(ipc::OpenMutexW(lighting::kAudioRecordMutex));
}

} // namespace
