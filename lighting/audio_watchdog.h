#pragma once
// Keeps the audio capture program running for the main window: every second it looks whether
// the program holds its mutex; when not, it starts it and connects to it half a second later.
// A program that runs but is not connected (it was not up yet when the window first looked) is
// connected then. Starts that fail, or programs that end again within 30 s, wait longer each
// time before the next start (1 s, 2 s, 4 s ... up to 60 s); the failure to start is reported
// once per run at most, also when the window's own first start failed. Runs on its own thread
// with a clock that tests replace.

#include "lighting/clock.h"

#include <cstdint>
#include <mutex>

namespace orvel::lighting {

class AudioWatchdogHost {
public:
    virtual ~AudioWatchdogHost() = default;
    // Whether the capture program's mutex is held.
    virtual bool CaptureRunning() = 0;
    // StartAudioRecord; false when the program could not be started.
    virtual bool StartCapture() = 0;
    virtual bool Connected() = 0;
    // ConnectAudioRecord.
    virtual void Connect() = 0;
    // The program could not be started: tell the user (called once per run at most, on the
    // thread that tried; the host hands it to its window's thread).
    virtual void StartFailed() = 0;
};

class AudioWatchdog {
public:
    static constexpr uint64_t kCheckMs = 1000;
    static constexpr uint64_t kConnectDelayMs = 500;
    static constexpr uint64_t kStableMs = 30000;
    static constexpr uint64_t kLongestWaitMs = 60000;

    AudioWatchdog(AudioWatchdogHost& host, Waiter& waiter) : host_(host), waiter_(waiter) {}

    // The window's own start (start order step 2).
    bool StartNow();
    // The thread: checks every second until the waiter is stopped ("AudioDaemonThreadPrc").
    void Run();

private:
    // One check at the waiter's time; true when a start was made.
    bool Check();
    bool Start(uint64_t now);

    AudioWatchdogHost& host_;
    Waiter& waiter_;
    std::mutex lock_;
    int quickStarts_ = 0;         // starts in a row that did not lead to a program running 30 s
    uint64_t nextStartMs_ = 0;    // no start before this time
    bool seenRunning_ = false;
    uint64_t runningSinceMs_ = 0;
    bool reported_ = false;
};

} // namespace orvel::lighting
