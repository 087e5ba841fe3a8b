#pragma once
// A device write sequence: BeginConfig, data commands, EndConfig. It holds the link's
// cmdLock from start to end, so no other thread's command lands inside it. Through the
// receiver every command is sent only while the link is open and the wireless device answers
// QueryWirelessLink; otherwise the sequence is abandoned with 0. After the first status other
// than 1 nothing more is sent, except the closing EndConfig once BeginConfig went through,
// so the device is never left inside a sequence while it can still be reached.

#include "devicelink/device_link.h"

#include <functional>
#include <mutex>

namespace orvel {

class CCommandSequence {
public:
    explicit CCommandSequence(CDeviceLink& link);
    // Ends a begun sequence that End was not called for.
    ~CCommandSequence();
    CCommandSequence(const CCommandSequence&) = delete;
    CCommandSequence& operator=(const CCommandSequence&) = delete;

    int Begin();
    // Runs one data command (a sender of the link, or any step that returns a status).
    int Run(const std::function<int(CDeviceLink&)>& command);
    // Sends EndConfig when Begin went through; returns the first failure of the sequence,
    // else EndConfig's status.
    int End();

    // 1 while every step so far succeeded, else the first failure.
    int Status() const { return status_; }

private:
    int Guarded(const std::function<int(CDeviceLink&)>& command);

    CDeviceLink& link_;
    std::lock_guard<std::recursive_mutex> lock_;
    int status_ = kLinkOk;
    bool begun_ = false;
};

// Whether a command may be sent now: always over the cable; through the receiver only while
// the link is open and the wireless device answers.
bool MaySend(CDeviceLink& link);

} // namespace orvel
