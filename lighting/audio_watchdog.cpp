#include "lighting/audio_watchdog.h"

#include "platform/debuglog.h"

#include <algorithm>

namespace orvel::lighting {

bool AudioWatchdog::StartNow()
{
    return Start(waiter_.NowMs());
}

bool AudioWatchdog::Start(uint64_t now)
{
    const bool started = host_.StartCapture();
    bool report = false;
    {
        std::lock_guard guard(lock_);
        ++quickStarts_;
        const uint64_t wait = std::min(kLongestWaitMs, kCheckMs << std::min(quickStarts_ - 1, 16));
        nextStartMs_ = now + wait;
        seenRunning_ = false;
        report = !started && !reported_;
        reported_ = reported_ || !started;
    }
    if (report) host_.StartFailed();
    return started;
}

bool AudioWatchdog::Check()
{
    const uint64_t now = waiter_.NowMs();
    if (host_.CaptureRunning()) {
        {
            std::lock_guard guard(lock_);
            if (!seenRunning_) {
                seenRunning_ = true;
                runningSinceMs_ = now;
            } else if (now - runningSinceMs_ >= kStableMs) {
                quickStarts_ = 0;
            }
        }
        if (!host_.Connected()) host_.Connect();
        return false;
    }
    {
        std::lock_guard guard(lock_);
        seenRunning_ = false;
        if (now < nextStartMs_) return false;
    }
    return Start(now);
}

void AudioWatchdog::Run()
{
    while (waiter_.WaitUntil(waiter_.NowMs() + kCheckMs)) {
        if (Check() && waiter_.WaitUntil(waiter_.NowMs() + kConnectDelayMs)) host_.Connect();
    }
    debuglog::Write("AudioDaemonThreadPrc stop");
}

} // namespace orvel::lighting
