#include "lighting/audio_record_link.h"

#include "lighting/audio_record_protocol.h"
#include "platform/debuglog.h"

namespace orvel::lighting {

namespace {

constexpr DWORD kColourTimeoutMs = 1500;

} // namespace

AudioRecordLink::AudioRecordLink(UINT commandMessage, HWND mainWindow)
    : commandMessage_(commandMessage), mainWindow_(mainWindow)
{
}

bool AudioRecordLink::Connect()
{
    const std::optional<ipc::RemoteWindow> found = ipc::FindWindowW(kAudioRecordClass, kAudioRecordTitle);
    {
        std::lock_guard guard(lock_);
        window_ = found;
    }
    if (!found) return false;
    return SendCommands(*found, {{kRegister, 0}, {kStartSending, 0}, {kStartCapture, 0}});
}

void AudioRecordLink::Disconnect()
{
    const std::optional<ipc::RemoteWindow> found = ipc::FindWindowW(kAudioRecordClass, kAudioRecordTitle);
    {
        std::lock_guard guard(lock_);
        window_ = found;
    }
    if (found) SendCommands(*found, {{kStopSending, 0}, {kStopCapture, 0}, {kExit, 0}});
}

bool AudioRecordLink::Connected()
{
    std::lock_guard guard(lock_);
    return window_.has_value();
}

std::optional<ipc::RemoteWindow> AudioRecordLink::Window()
{
    std::lock_guard guard(lock_);
    return window_;
}

void AudioRecordLink::SendColour(const AudioStyleSettings& settings)
{
    const auto to = Window();
    if (!to) return;
    const std::vector<std::uint8_t> bytes = ColourBlockOf(settings);
    COPYDATASTRUCT block{kColourBlock, std::uint32_t(bytes.size()), bytes.data()};
    const ipc::SendResult sent = ipc::SendMessageTimeoutW(*to, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow_),
                                                          reinterpret_cast<LPARAM>(&block), kColourTimeoutMs, mainWindow_);
    if (sent.status == ipc::SendStatus::NoPeer) Forget(*to);
}

void AudioRecordLink::SendLevel(int channel, int value)
{
    if (channel < 0 || channel > 2) return;
    if (const auto to = Window()) SendCommands(*to, {{kSetRed + WPARAM(channel), value}});
}

bool AudioRecordLink::SendCommands(const ipc::RemoteWindow& to, std::initializer_list<std::pair<WPARAM, LPARAM>> commands)
{
    for (const auto& [command, value] : commands) {
        const LPARAM lParam = command == kRegister ? reinterpret_cast<LPARAM>(mainWindow_) : value;
        const ipc::SendStatus status = ipc::SendMessageTimeoutW(to, commandMessage_, command, lParam, ipc::kSendTimeoutMs,
                                                                mainWindow_).status;
        if (status == ipc::SendStatus::NoPeer) {
            Forget(to);
            return false;
        }
        if (status != ipc::SendStatus::Ok) debuglog::Writef("audio capture: command %lu was not answered", (unsigned long)command);
    }
    return true;
}

void AudioRecordLink::Forget(const ipc::RemoteWindow& gone)
{
    std::lock_guard guard(lock_);
    if (window_ == gone) window_.reset();
}

} // namespace orvel::lighting
