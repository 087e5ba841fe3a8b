#pragma once
// The running capture program: its message window (found by the main window through its class
// and title), the session that takes the main window's commands, the recording and the
// spectra computed from it. The recording runs on the client library's thread; its spectra
// are handed to the message loop's thread, where everything else happens.

#include "platform/ipc.h"
#include "platform/winmsg.h"
#include "tools/audiorecord/pulse_capture.h"
#include "tools/audiorecord/record_session.h"
#include "tools/audiorecord/frequency_levels.h"

#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>

namespace orvel::audiorecord {

class CaptureProgram : public IMessageHandler, private SessionHost {
public:
    struct Options {
        bool print = false; // spectra as JSON lines on standard output, no main window
        long count = 0;     // with print: end after this many spectra (0: run until stopped)
    };

    explicit CaptureProgram(const Options& options);
    ~CaptureProgram() override;

    // Makes the window (addressable unless printing) and runs until told to exit; the exit code.
    int Run();

    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void StartCapture() override;
    void StopCapture() override;
    ipc::SendStatus SendBlock(const ipc::RemoteWindow& to, ULONG_PTR id, std::span<const std::uint8_t> bytes) override;
    void Exit() override;

    // On the capture thread.
    void OnSamples(std::span<const float> samples);
    // On the window's thread.
    void TakeSpectra();
    void Print(const Spectrum& spectrum);

    Options options_;
    UINT commandMessage_ = 0;
    HWND hwnd_ = nullptr;
    std::unique_ptr<ipc::Endpoint> endpoint_;
    RecordSession session_;
    SpectrumAnalyser analyser_;
    std::mutex lock_;
    std::deque<Spectrum> ready_;
    long printed_ = 0;
    PulseCapture capture_;
};

} // namespace orvel::audiorecord
