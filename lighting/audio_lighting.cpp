#include "lighting/audio_lighting.h"

#include "lighting/audio_record_protocol.h"
#include "platform/namedmutex.h"
#include "platform/paths.h"
#include "platform/shell.h"

namespace orvel::lighting {

AudioLighting::Setup AudioLighting::StandardSetup(UINT commandMessage, HWND mainWindow, std::function<void()> startFailed)
{
    return Setup{commandMessage, mainWindow, std::move(startFailed), paths::ExecutableFolder() / kAudioRecordProgram,
                 AudioFile::Standard(), std::make_unique<SteadyWaiter>()};
}

AudioLighting::AudioLighting(Setup setup)
    : startFailed_(std::move(setup.startFailed)), program_(std::move(setup.program)), file_(std::move(setup.file)),
      waiter_(std::move(setup.waiter)), link_(setup.commandMessage, setup.mainWindow), watchdog_(*this, *waiter_)
{
}

// The watchdog's slot belongs to the window, which stops it before this goes.
AudioLighting::~AudioLighting() = default;

void AudioLighting::Start(WorkerSlot& slot)
{
    slot.Start(this, [this](const WorkerParam&) { watchdog_.Run(); }, [this] { waiter_->Stop(); });
    watchdog_.StartNow();
    link_.SendColour(file_.Load());
}

void AudioLighting::OnConnectTimer()
{
    link_.Connect();
}

AudioSpectrumInput::Result AudioLighting::OnBlock(const COPYDATASTRUCT& block, AudioInputSink* keyboard)
{
    const auto* bytes = static_cast<const std::uint8_t*>(block.lpData);
    return input_.OnBlock(block.dwData, std::span(bytes, bytes == nullptr ? 0 : block.cbData), keyboard);
}

void AudioLighting::OnLevelSlider(int channel, int value)
{
    link_.SendLevel(channel, value);
}

std::wstring AudioLighting::LevelLabel(int channel, int value)
{
    static constexpr wchar_t kNames[] = {L'R', L'G', L'B'};
    return std::wstring(1, kNames[std::clamp(channel, 0, 2)]) + L" " + std::to_wstring(value);
}

bool AudioLighting::OnMusicConfirmed(const AudioStyleSettings& settings)
{
    link_.SendColour(settings);
    return file_.Save(settings);
}

void AudioLighting::ResetAudioFile()
{
    file_.Reset();
}

void AudioLighting::Shutdown()
{
    link_.Disconnect();
}

bool AudioLighting::CaptureRunning()
{
    return ipc::OpenMutexW(kAudioRecordMutex);
}

bool AudioLighting::StartCapture()
{
    return shell::SpawnDetached({program_.string()});
}

void AudioLighting::StartFailed()
{
    if (startFailed_) startFailed_();
}

} // namespace orvel::lighting
