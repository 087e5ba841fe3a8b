#include "tools/audiorecord/capture_program.h"

#include "app/app_messages.h"
#include "lighting/audio_record_protocol.h"
#include "platform/debuglog.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace orvel::audiorecord {

namespace {

// Posted by the capture thread when spectra wait.
constexpr UINT kSpectraReady = WM_APP + 1;
// Whether the main window is still there is looked at this often.
constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchMs = 5000;
// Spectra kept while the window's thread is busy; older ones are dropped.
constexpr std::size_t kMaxWaiting = 8;
constexpr DWORD kSendTimeoutMs = 1000;

long long NowMs()
{
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

CaptureProgram::CaptureProgram(const Options& options)
    : options_(options), session_(*this),
      capture_([this](std::span<const float> samples) { OnSamples(samples); },
               [this](const std::string&) { analyser_.Reset(); })
{
    NowMs();
}

CaptureProgram::~CaptureProgram() = default;

int CaptureProgram::Run()
{
    commandMessage_ = RegisterWindowMessageW(app::kAudioRecordMessageName);
    hwnd_ = CreateWindowHandle(this, lighting::kAudioRecordClass, lighting::kAudioRecordTitle);
    int code = 0;
    if (options_.print) {
        if (!capture_.Start()) code = 1;
    } else {
        std::string error;
        endpoint_ = ipc::Endpoint::Create(hwnd_, &error);
        if (!endpoint_) {
            std::fprintf(stderr, "orvel-audiorecord: the main window cannot reach this program: %s\n", error.c_str());
            code = 1;
        }
        SetTimer(hwnd_, kWatchTimer, kWatchMs);
    }
    if (code == 0) code = RunMessageLoop();
    capture_.Stop();
    endpoint_.reset();
    DestroyWindowHandle(hwnd_);
    return code;
}

LRESULT CaptureProgram::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kSpectraReady) {
        TakeSpectra();
    } else if (msg == WM_TIMER && wParam == kWatchTimer) {
        const auto& main = session_.MainWindow();
        const std::vector<ipc::RemoteWindow> windows = main ? ipc::AllWindows() : std::vector<ipc::RemoteWindow>{};
        session_.OnWatch(main && std::find(windows.begin(), windows.end(), *main) != windows.end(), std::uint64_t(NowMs()));
    } else if (msg == commandMessage_) {
        session_.OnCommand(wParam, lParam, ipc::SenderOf(hwnd));
    } else if (msg == WM_COPYDATA) {
        const auto* block = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (block != nullptr && block->dwData == lighting::kColourBlock)
            session_.OnColourBlock(std::span(static_cast<const std::uint8_t*>(block->lpData), block->cbData));
    }
    return 0;
}

void CaptureProgram::StartCapture()
{
    capture_.Start();
}

void CaptureProgram::StopCapture()
{
    capture_.Stop();
}

ipc::SendStatus CaptureProgram::SendBlock(const ipc::RemoteWindow& to, ULONG_PTR id, std::span<const std::uint8_t> bytes)
{
    COPYDATASTRUCT block{id, std::uint32_t(bytes.size()), bytes.data()};
    return ipc::SendMessageTimeoutW(to, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block), kSendTimeoutMs, hwnd_).status;
}

void CaptureProgram::Exit()
{
    PostQuitMessage(0);
}

void CaptureProgram::OnSamples(std::span<const float> samples)
{
    analyser_.Push(samples, [this](const Spectrum& spectrum) {
        bool wake = false;
        {
            std::lock_guard guard(lock_);
            if (ready_.size() == kMaxWaiting) ready_.pop_front();
            wake = ready_.empty();
            ready_.push_back(spectrum);
        }
        if (wake) PostMessageW(hwnd_, kSpectraReady, 0, 0);
    });
}

void CaptureProgram::TakeSpectra()
{
    std::deque<Spectrum> taken;
    {
        std::lock_guard guard(lock_);
        taken.swap(ready_);
    }
    for (const Spectrum& spectrum : taken) {
        if (options_.print) {
            Print(spectrum);
        } else {
            session_.OnSpectrum(spectrum);
        }
    }
}

void CaptureProgram::Print(const Spectrum& spectrum)
{
    if (options_.count > 0 && printed_ >= options_.count) return;
    std::string line = "{\"ms\":" + std::to_string(NowMs()) + ",\"loudness\":" + std::to_string(spectrum.loudness) +
                       ",\"spectrum\":[";
    for (std::size_t k = 0; k < spectrum.values.size(); ++k) {
        if (k > 0) line += ',';
        line += std::to_string(spectrum.values[k]);
    }
    line += "]}\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    if (options_.count > 0 && ++printed_ >= options_.count) PostQuitMessage(0);
}

} // namespace orvel::audiorecord
