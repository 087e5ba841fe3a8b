#pragma once
// The capture program's side of the link with the main window: the commands it takes, the
// colour levels it keeps, and the blocks it sends for every spectrum while sending.
//
// Commands: register (the sender becomes the main window), start and stop capture, start and
// stop sending, exit, and the red, green and blue levels (0..9, also set together by the
// colour block). While capturing and sending, every spectrum goes to the main window, and the
// colour input (the levels times the loudness, 0..255 each) whenever it changed. The program
// ends when the main window it serves is gone (its watchdog starts a new one for the next main
// window), and when no main window has registered within half a minute of its start.

#include "lighting/audio_record_protocol.h"
#include "platform/ipc.h"
#include "tools/audiorecord/frequency_levels.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvel::audiorecord {

class SessionHost {
public:
    virtual ~SessionHost() = default;
    virtual void StartCapture() = 0;
    virtual void StopCapture() = 0;
    virtual ipc::SendStatus SendBlock(const ipc::RemoteWindow& to, ULONG_PTR id, std::span<const std::uint8_t> bytes) = 0;
    virtual void Exit() = 0;
};

using ColourInput = std::array<std::int32_t, lighting::kColourInputCount>;

// Red, green and blue: level / 9 of full brightness, times the loudness (0..2000); the other
// three values are 0.
ColourInput ColourInputOf(const std::array<std::int32_t, 3>& levels, std::int32_t loudness);

// The bytes of a block of 32-bit values, as the receiver reads them.
std::vector<std::uint8_t> BlockBytes(std::span<const std::int32_t> values);

class RecordSession {
public:
    explicit RecordSession(SessionHost& host) : host_(host) {}

    void OnCommand(WPARAM command, LPARAM value, const std::optional<ipc::RemoteWindow>& sender);
    // The colour block (dwData 10): refused unless it has exactly its size.
    bool OnColourBlock(std::span<const std::uint8_t> bytes);
    void OnSpectrum(const Spectrum& spectrum);
    // Every few seconds: whether the registered main window is still there.
    void OnWatch(bool mainWindowThere, std::uint64_t msSinceStart);
    static constexpr std::uint64_t kRegisterWithinMs = 30000;

    const std::optional<ipc::RemoteWindow>& MainWindow() const { return main_; }
    bool Capturing() const { return capturing_; }
    bool Sending() const { return sending_; }
    const std::array<std::int32_t, 3>& Levels() const { return levels_; }

private:
    void Send(ULONG_PTR id, std::span<const std::int32_t> values);
    void End(const char* why);

    SessionHost& host_;
    std::optional<ipc::RemoteWindow> main_;
    bool capturing_ = false;
    bool sending_ = false;
    bool ended_ = false;
    std::array<std::int32_t, 3> levels_{lighting::kLevelTop, lighting::kLevelTop, lighting::kLevelTop};
    std::optional<ColourInput> lastColour_;
};

} // namespace orvel::audiorecord
